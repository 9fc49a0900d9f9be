#pragma once

#include "ListingReader.h"
#include "ResultLines.h"

#include <cstdint>

// What changed between an earlier listing and a later one, one line a difference in path order:
// "+ <path>" new, "- <path>" gone, "~ <path>" a file whose size changed, with the sizes in bytes
// where the lists know them; then a blank line and "N neu, N entfernt, N geändert".
struct ListingComparison {
    ResultLines lines;
    std::int64_t added = 0;
    std::int64_t removed = 0;
    std::int64_t changed = 0;

    bool same() const { return added == 0 && removed == 0 && changed == 0; }
};

// Compares two listings that could be read (no error). The lines go to `comparison.lines`, which
// may spill them to a sink as they pile up.
void CompareListings(const SavedListing& earlier, const SavedListing& later,
                     ListingComparison& comparison);

// "Hinweis" texts for differences the comparison itself does not show: the two headers name
// other folders or masks, a list looks cut off.
QStringList ComparisonNotes(const SavedListing& earlier, const SavedListing& later);
