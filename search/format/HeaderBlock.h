#pragma once

#include "output/LineSink.h"
#include "run/SearchSettings.h"

// Appends the header block that opens an extended listing: the framed title, the searched
// folders with their recursion, and the mask text as typed.
void AppendHeaderBlock(const TSearchFiles& settings, LineSink& lines);
