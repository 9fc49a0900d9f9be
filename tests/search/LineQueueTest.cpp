#include "output/LineQueue.h"

#include <gtest/gtest.h>
#include <string>
#include <utility>

namespace {

std::string numbered(int i) {
    return "Zeile " + std::to_string(i) + " äöü";
}

// Small blocks, so that lines cross many of them; a line longer than a block, an empty line,
// and appends after the queue ran empty.
TEST(LineQueue, LinesLeaveInTheirOrderAcrossBlocks) {
    LineQueue queue(4096);
    const std::string longLine(10000, 'x');
    std::size_t bytes = 0;
    for (int i = 0; i < 2000; ++i) {
        queue.append(numbered(i));
        bytes += numbered(i).size();
    }
    queue.append(longLine);
    queue.append(std::string_view());
    ASSERT_EQ(queue.size(), 2002);
    EXPECT_EQ(queue.textBytes(), bytes + longLine.size());

    for (int i = 0; i < 2000; ++i)
        ASSERT_EQ(queue.takeFront(), numbered(i));
    EXPECT_EQ(queue.takeFront(), longLine);
    EXPECT_EQ(queue.takeFront(), "");
    EXPECT_TRUE(queue.isEmpty());
    EXPECT_EQ(queue.textBytes(), 0U);

    queue.append(std::string_view("danach"));
    LineQueue moved = std::move(queue);
    EXPECT_TRUE(queue.isEmpty());
    ASSERT_EQ(moved.size(), 1);
    EXPECT_EQ(moved.takeFront(), "danach");
}

} // namespace
