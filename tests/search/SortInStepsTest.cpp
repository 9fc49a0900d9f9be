#include "walk/SortInSteps.h"

#include <algorithm>
#include <cstddef>
#include <functional>
#include <gtest/gtest.h>
#include <vector>

namespace {

std::vector<int> scrambled(std::size_t count) {
    std::vector<int> items;
    for (std::size_t i = 0; i < count; ++i)
        items.push_back(static_cast<int>((i * 7919 + 13) % 1009));
    return items;
}

} // namespace

// Blocks of 8, merged through widths 8, 16, 32...; runs of every length, the last one short.
TEST(SortInSteps, BlocksAndMergesGiveTheFullOrderBehindTheFirstItems) {
    for (const std::size_t count : {0u, 1u, 8u, 9u, 17u, 100u, 1000u}) {
        std::vector<int> items = scrambled(count);
        std::vector<int> expected = items;
        const std::size_t first = std::min<std::size_t>(2, count);
        std::sort(expected.begin() + static_cast<std::ptrdiff_t>(first), expected.end());
        EXPECT_TRUE(
            SortInSteps(items, first, 8, 5, std::less<int>(), [](std::size_t) { return true; }));
        EXPECT_EQ(items, expected) << count << " items";
    }
}

TEST(SortInSteps, StopEndsTheSortAtTheStepThatSaysSo) {
    std::vector<int> items = scrambled(1000);
    int steps = 0;
    // 125 blocks of 8, then merge pieces: the 130th step falls into the first merges.
    EXPECT_FALSE(
        SortInSteps(items, 0, 8, 5, std::less<int>(), [&](std::size_t) { return ++steps < 130; }));
    EXPECT_EQ(steps, 130);
}
