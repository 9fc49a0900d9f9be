#include "output/ResultLines.h"

#include "base/ByteBuffer.h"

#include <gtest/gtest.h>
#include <string>
#include <utility>

namespace {

std::string numbered(int i) {
    return "Zeile " + std::to_string(i) + " äöü";
}

// Enough lines for the buffer to grow many times, past the size where the C library maps blocks
// of their own.
ResultLines manyLines(int count) {
    ResultLines lines;
    for (int i = 0; i < count; ++i)
        lines.append(numbered(i));
    return lines;
}

TEST(ResultLines, LinesSurviveEveryGrowth) {
    const int count = 200000;
    const ResultLines lines = manyLines(count);
    ASSERT_EQ(lines.size(), count);
    for (const int i : {0, 1, 4095, 65536, count - 1})
        EXPECT_EQ(lines.view(i), numbered(i));
    std::string expected;
    for (int i = 0; i < count; ++i)
        expected += numbered(i) + "\n";
    EXPECT_EQ(lines.text(), expected);
    EXPECT_EQ(lines.byteSize(), expected.size());
}

TEST(ResultLines, FormattedLinesFollowEarlierOnes) {
    ResultLines lines;
    lines.append(std::string_view("erste"));
    std::string& line = lines.beginLine();
    EXPECT_TRUE(line.empty());
    line.append("zweite");
    lines.finishLine();
    lines.append(std::string_view());
    EXPECT_EQ(lines.text(), "erste\nzweite\n\n");
    EXPECT_EQ(lines.view(1), "zweite");
    EXPECT_EQ(lines.view(2), "");
}

TEST(ResultLines, CopiesAreIndependentAndMovesEmptyTheSource) {
    ResultLines original = manyLines(1000);
    ResultLines copy = original;
    copy.append(std::string_view("nur in der Kopie"));
    EXPECT_EQ(original.size(), 1000);
    EXPECT_EQ(copy.size(), 1001);
    EXPECT_EQ(copy.view(999), original.view(999));

    ResultLines moved = std::move(copy);
    EXPECT_EQ(moved.view(1000), "nur in der Kopie");
    copy = original; // a moved-from list takes new lines
    EXPECT_EQ(copy.size(), original.size());
    EXPECT_EQ(copy.text(), original.text());

    original.clear();
    EXPECT_TRUE(original.isEmpty());
    EXPECT_EQ(original.text(), "");
    original.append(std::string_view("neu"));
    EXPECT_EQ(original.text(), "neu\n");
}

TEST(ByteBuffer, AppendsItsOwnBytesWhileGrowing) {
    ByteBuffer buffer;
    buffer.append("abc");
    for (int i = 0; i < 20; ++i)
        buffer.append(buffer.view()); // doubles, and must read the bytes before they move
    EXPECT_EQ(buffer.size(), std::size_t{3} << 20);
    EXPECT_EQ(buffer.view().substr(buffer.size() - 6), "abcabc");

    ByteBuffer empty;
    EXPECT_EQ(empty.view(), "");
    empty = buffer;
    EXPECT_EQ(empty.view(), buffer.view());
    buffer = std::move(empty);
    EXPECT_EQ(buffer.size(), std::size_t{3} << 20);
}

// Bytes written in place, then the buffer cut to a large and to a small size and grown again:
// the bytes kept stay as they were, in every size of block.
TEST(ByteBuffer, KeepsItsBytesWhenCutAndGrownAgain) {
    ByteBuffer buffer;
    std::string model;
    const auto grow = [&](std::size_t bytes) {
        for (std::size_t i = 0; i < bytes; i += 1000) {
            char* const room = buffer.room(1000);
            for (std::size_t j = 0; j < 1000; ++j)
                room[j] = static_cast<char>('a' + (model.size() + j) % 26);
            buffer.commit(1000);
            model.append(std::string_view(room, 1000));
        }
    };
    grow(std::size_t{5} << 20);
    for (const std::size_t size : {std::size_t{3} << 20, std::size_t{2000}, std::size_t{0}}) {
        buffer.shrinkTo(size);
        model.resize(size);
        ASSERT_EQ(buffer.view(), model);
        grow(std::size_t{2} << 20);
        ASSERT_EQ(buffer.view(), model);
    }
}

} // namespace
