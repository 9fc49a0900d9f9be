#pragma once

#include "ResultLines.h"
#include "SearchSettings.h"

// Turns the settings into the complete list of result lines: every folder for the first mask,
// then every folder for the second mask, and so on; for extended output the totals footer
// closes the list. `Searching` is up for exactly the time of the search; clearing it stops the
// search, and the lines found so far (with the footer) are returned.
ResultLines RunSearch(TSearchFiles& settings, bool fullPath, bool showExtensions, bool extended);

// The same, appending to `lines`, which may stream its lines out as they come (spillTo).
void RunSearchInto(TSearchFiles& settings, bool fullPath, bool showExtensions, bool extended,
                   ResultLines& lines);
