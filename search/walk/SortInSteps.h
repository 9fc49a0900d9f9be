#pragma once

#include <algorithm>
#include <cstddef>
#include <vector>

// Sorts items[first..] in blocks of `block` items and merges the sorted runs pairwise, calling
// `step(work)` after each block and after each piece of `piece` items of a merge. When `step`
// returns false the sort stops at once and returns false, leaving the items in no particular
// order. No single step of a huge sort takes long, so its caller can be asked to go on often.
// The merge buffer holds the longest left run; it is taken once, before the first merge.
template <typename T, typename Before, typename Step>
bool SortInSteps(std::vector<T>& items, std::size_t first, std::size_t block, std::size_t piece,
                 const Before& before, const Step& step) {
    const auto at = [&items](std::size_t i) {
        return items.begin() + static_cast<std::ptrdiff_t>(std::min(i, items.size()));
    };
    for (std::size_t start = first; start < items.size(); start += block) {
        std::sort(at(start), at(start + block), before);
        if (!step(std::min(block, items.size() - start)))
            return false;
    }
    std::size_t longestLeftRun = 0;
    for (std::size_t width = block; first + width < items.size(); width *= 2)
        longestLeftRun = width;
    std::vector<T> buffer;
    buffer.reserve(longestLeftRun);
    for (std::size_t width = block; first + width < items.size(); width *= 2) {
        for (std::size_t left = first; left + width < items.size(); left += 2 * width) {
            // The left run moves to the buffer and the merge writes from the front; once the
            // left run is used up, the rest of the right run is already in place.
            const std::size_t right = std::min(left + 2 * width, items.size());
            buffer.assign(at(left), at(left + width));
            std::size_t fromLeft = 0;
            std::size_t fromRight = left + width;
            std::size_t out = left;
            while (fromLeft < buffer.size()) {
                const std::size_t pieceEnd = std::min(out + piece, right);
                for (; fromLeft < buffer.size() && out < pieceEnd; ++out) {
                    if (fromRight < right && before(items[fromRight], buffer[fromLeft]))
                        items[out] = items[fromRight++];
                    else
                        items[out] = buffer[fromLeft++];
                }
                if (!step(piece))
                    return false;
            }
        }
    }
    return true;
}
