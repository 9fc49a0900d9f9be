#pragma once

#include "base/FileTime.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The pieces of JSON text that the inventory and the differences are made of.

// Appends `raw` as the inside of a JSON string: '"', '\' and the control characters escaped and
// each byte that is not valid UTF-8 as U+FFFD. Returns false when a byte had to be replaced.
bool AppendJsonBody(std::string& out, std::string_view raw);

// Appends `"<key>":"<string>"`, and, when `raw` is not valid UTF-8, `,"<key>_bytes":"<base64>"`
// with its exact bytes.
void AppendJsonText(std::string& out, std::string_view key, std::string_view raw);

// Appends `"<key>":<value>`.
void AppendJsonNumber(std::string& out, std::string_view key, std::int64_t value);

void AppendBase64(std::string& out, std::string_view raw);

// Appends `"mtime":"<UTC to the microsecond>","mtime_ns":<nanoseconds since 1970>`, which data
// tools take for a timestamp and its exact value; null for a time that is not known, and
// "mtime_ns" null where 64 bits cannot hold it.
void AppendJsonTime(std::string& out, std::optional<FileTime> time);
