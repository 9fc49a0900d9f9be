#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

struct stat;

// A modification time as the file system gives it: seconds since 1970-01-01 00:00:00 UTC and
// the nanoseconds within that second.
struct FileTime {
    std::int64_t seconds = 0;
    std::int32_t nanoseconds = 0; // 0 to 999,999,999

    friend bool operator==(const FileTime&, const FileTime&) = default;
    friend bool operator<(const FileTime& a, const FileTime& b) {
        return a.seconds != b.seconds ? a.seconds < b.seconds : a.nanoseconds < b.nanoseconds;
    }
};

// The time now.
FileTime CurrentTime();

// The modification time in `st`.
FileTime ModificationTimeOf(const struct stat& st);

// How many digits of the second's fraction a UTC time shows.
enum class TimeFraction { Nanoseconds, Microseconds };

// "2026-12-08T06:43:18.123456789Z": UTC with all nine digits of the nanoseconds, or the six of
// the microseconds (cut, not rounded, so a time never moves into the next second), which data
// tools such as DuckDB and pandas take for a timestamp. Years beyond 0 to 9999 carry a sign
// ("+10000-01-01...").
void AppendUtcTimestamp(std::string& out, FileTime time,
                        TimeFraction fraction = TimeFraction::Nanoseconds);
// "2026-12-08T06:43:18Z": the same without the fraction.
void AppendUtcSeconds(std::string& out, FileTime time);

// The nanoseconds since 1970-01-01 00:00:00 UTC, where 64 bits hold them (1677 to 2262).
std::optional<std::int64_t> NanosecondsSinceEpoch(FileTime time);
FileTime FromNanosecondsSinceEpoch(std::int64_t nanoseconds);

// "2026-12-08 07:43:18": the local time to the second, as a spreadsheet or a person reads it.
void AppendLocalTime(std::string& out, FileTime time);
std::string LocalTimeText(FileTime time);

// The time that AppendUtcTimestamp wrote (nine or six digits of the fraction, or none at all);
// nothing for any other text.
std::optional<FileTime> ParseUtcTimestamp(std::string_view text);
