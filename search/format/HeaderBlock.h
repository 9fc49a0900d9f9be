#pragma once

#include "output/LineSink.h"
#include "run/SearchSettings.h"

// Appends the header block that opens an extended listing: the framed title, the searched
// folders with their recursion, the mask text as typed, and what the search left out beyond the
// masks, when it was given a scope.
void AppendHeaderBlock(const TSearchFiles& settings, LineSink& lines);
