#pragma once

#include "LineSink.h"
#include "RecordSink.h"
#include "SearchProgress.h"
#include "SearchSettings.h"

// Turns the settings into the result lines and appends them to `lines` as they are made: every
// folder for the first mask, then every folder for the second mask, and so on; for extended
// output the totals footer closes the list. Progress, the message pumps and unreadable folders
// go to `progress`. `Searching` is up for exactly the time of the search; clearing it stops the
// search, and the lines found so far are followed by the footer.
void RunSearch(TSearchFiles& settings, bool fullPath, bool showExtensions, bool extended,
               LineSink& lines, SearchProgress& progress);

// The same search handing its entries to `records`, which end with endRun (also after a cancel).
void RunSearch(TSearchFiles& settings, RecordSink& records, SearchProgress& progress);
