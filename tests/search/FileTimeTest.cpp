#include "base/FileTime.h"

#include <gtest/gtest.h>
#include <random>

namespace {

std::string utc(FileTime time) {
    std::string text;
    AppendUtcTimestamp(text, time);
    return text;
}

TEST(FileTimeTest, UtcTextsOfKnownTimes) {
    EXPECT_EQ(utc({0, 0}), "1970-01-01T00:00:00.000000000Z");
    EXPECT_EQ(utc({-1, 999999999}), "1969-12-31T23:59:59.999999999Z");
    EXPECT_EQ(utc({1709210096, 5}), "2024-02-29T12:34:56.000000005Z");
    EXPECT_EQ(utc({253402300800, 0}), "+10000-01-01T00:00:00.000000000Z");
    EXPECT_EQ(utc({-62167219201, 0}), "-0001-12-31T23:59:59.000000000Z");
    std::string seconds;
    AppendUtcSeconds(seconds, {1765183398, 123});
    EXPECT_EQ(seconds, "2025-12-08T08:43:18Z");
}

// Every time written reads back as itself, across the whole range of 64-bit seconds.
TEST(FileTimeTest, WrittenTimesReadBack) {
    std::mt19937_64 random(20261208);
    for (int i = 0; i < 20000; ++i) {
        const auto seconds = static_cast<std::int64_t>(random()) >> (random() % 64);
        const FileTime time{seconds, static_cast<std::int32_t>(random() % 1000000000)};
        ASSERT_EQ(ParseUtcTimestamp(utc(time)), time) << utc(time);
    }
    for (const std::int64_t seconds : {INT64_MIN, INT64_MIN + 86399, INT64_MAX}) {
        const FileTime time{seconds, 999999999};
        EXPECT_EQ(ParseUtcTimestamp(utc(time)), time) << utc(time);
    }
    EXPECT_EQ(ParseUtcTimestamp("2026-12-08T06:43:18Z"), (FileTime{1796712198, 0}));
}

// Six digits of the fraction, as inventories give them for data tools: cut to the microsecond,
// read back as such, also where a signed year makes the text as long as one with nine digits.
TEST(FileTimeTest, MicrosecondTimesAndNanosecondCounts) {
    const auto micro = [](FileTime time) {
        std::string text;
        AppendUtcTimestamp(text, time, TimeFraction::Microseconds);
        return text;
    };
    EXPECT_EQ(micro({1796712198, 123456789}), "2026-12-08T06:43:18.123456Z");
    EXPECT_EQ(micro({-1, 999999999}), "1969-12-31T23:59:59.999999Z");
    EXPECT_EQ(ParseUtcTimestamp("2026-12-08T06:43:18.123456Z"), (FileTime{1796712198, 123456000}));
    for (int round = 0; round < 2; ++round)
        EXPECT_EQ(ParseUtcTimestamp("+100000-01-01T00:00:00.000001Z"),
                  (FileTime{3093527980800, 1000}));
    EXPECT_EQ(NanosecondsSinceEpoch({1796712198, 123456789}), 1796712198123456789);
    EXPECT_EQ(NanosecondsSinceEpoch({-1, 999999999}), -1);
    EXPECT_FALSE(NanosecondsSinceEpoch({INT64_MAX / 1000000000 + 1, 0}).has_value());
    for (const std::int64_t nanoseconds : {std::int64_t{0}, std::int64_t{-1}, INT64_MIN, INT64_MAX})
        EXPECT_EQ(NanosecondsSinceEpoch(FromNanosecondsSinceEpoch(nanoseconds)), nanoseconds);
}

TEST(FileTimeTest, TextsThatNoWriterGivesAreRefused) {
    for (const char* text :
         {"", "2026-12-08", "2026-12-08T06:43:18", "2026-12-08 06:43:18Z",
          "2026-12-08T06:43:18.12Z", "2026-12-08T06:43:18.1234567Z", "2026-02-29T00:00:00Z",
          "2026-13-01T00:00:00Z", "2026-12-08T24:00:00Z", "2026-12-08T06:60:00Z",
          "+2026-12-08T06:43:18Z", "999999999999-01-01T00:00:00Z",
          "2026-12-08T06:43:18.123456789Zx", "２026-12-08T06:43:18Z"})
        EXPECT_FALSE(ParseUtcTimestamp(text).has_value()) << text;
}

} // namespace
