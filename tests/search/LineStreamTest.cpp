#include "output/LineStream.h"

#include <gtest/gtest.h>
#include <string>

namespace {

TEST(LineStream, LinesLeaveInOrderInPiecesAsTheyPileUp) {
    std::string received;
    int pieces = 0;
    LineStream stream(
        [&](std::string_view text) {
            received.append(text);
            ++pieces;
        },
        100);
    std::string expected;
    for (int i = 0; i < 50; ++i) {
        const std::string line = "Zeile " + std::to_string(i) + " äöü";
        stream.append(line);
        expected += line + "\n";
    }
    EXPECT_GT(pieces, 5);
    EXPECT_LT(expected.size() - received.size(), 100u); // less than a piece is held back
    stream.flush();
    EXPECT_EQ(received, expected);
    const int afterFlush = pieces;
    stream.flush(); // nothing left: no empty piece
    EXPECT_EQ(pieces, afterFlush);
}

} // namespace
