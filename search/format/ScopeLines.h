#pragma once

#include "output/LineSink.h"
#include "scope/SearchScope.h"

#include <string_view>

// The lines of an extended listing's header that name the scope of its search, between the
// masks and the closing rule (see ListingLayout): none when nothing is set, so that a listing
// without a scope stays as it always was.
void AppendScopeLines(const SearchScope& scope, LineSink& lines);

// Takes one such line back into `scope`; false when `line` is none of them.
bool ReadScopeLine(std::string_view line, SearchScope& scope);
