#pragma once

#include "records/RecordSink.h"
#include "run/SearchProgress.h"
#include "run/SearchSettings.h"

// Searches every folder for the first mask, then every folder for the second mask, and so on,
// handing the entries to `records` as they are found; `records` ends with endRun (also after a
// cancel). Progress, the message pumps and unreadable folders go to `progress`. `Searching` is up
// for exactly the time of the search; clearing it stops the search.
void RunSearch(TSearchFiles& settings, RecordSink& records, SearchProgress& progress);
