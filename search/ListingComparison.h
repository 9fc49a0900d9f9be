#pragma once

#include "LineSink.h"
#include "ListingReader.h"

#include <cstdint>

// How many entries a comparison found new, gone and changed.
struct ListingComparison {
    std::int64_t added = 0;
    std::int64_t removed = 0;
    std::int64_t changed = 0;

    bool same() const { return added == 0 && removed == 0 && changed == 0; }
};

// Compares two listings that could be read (no error) and appends what changed to `lines`, one
// line a difference in path order: "+ <path>" new, "- <path>" gone, "~ <path>" a file whose size
// changed, with the sizes in bytes where the lists know them; then a blank line and
// "N neu, N entfernt, N geändert".
ListingComparison CompareListings(const SavedListing& earlier, const SavedListing& later,
                                  LineSink& lines);

// "Hinweis" texts for differences the comparison itself does not show: the two headers name
// other folders or masks, a list looks cut off.
QStringList ComparisonNotes(const SavedListing& earlier, const SavedListing& later);
