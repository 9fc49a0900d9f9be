#pragma once

#include "base/FileTime.h"

#include <cstdint>
#include <optional>
#include <QString>

// The scope's values as a user types them and as the listings write them. Each reader gives
// nothing for a text it cannot read and then sets `error` to why, in German, without the text
// itself, so that the caller names the option or field and the value.

// A number of levels: digits only ("0", "3").
std::optional<std::int64_t> ParseDepthText(const QString& text, QString& error);

// A size in bytes: digits, optionally followed by k, M, G or T for 1024, 1024², 1024³ and
// 1024⁴ bytes ("4096", "10k", "2G"; lower and upper case alike).
std::optional<std::int64_t> ParseSizeText(const QString& text, QString& error);

// A point in time, whole seconds: an ISO 8601 date ("2026-01-31", midnight local time), a date
// and time ("2026-01-31T14:30", "2026-01-31 14:30:15", local time unless it ends in "Z" or an
// offset such as "+01:00"), or a span back from `now`: digits followed by s, min, h, d or w
// (seconds, minutes, hours, days of 24 hours, weeks: "30d", "12h").
std::optional<FileTime> ParseWhenText(const QString& text, FileTime now, QString& error);

// "2026-01-31T14:30:00+01:00": a whole second in local time with its offset from UTC, as the
// listing's header shows a time of the scope.
QString ScopeTimeText(FileTime time);
// The time that ScopeTimeText wrote (any ISO 8601 date and time with an offset or "Z").
std::optional<FileTime> ParseScopeTimeText(const QString& text);
