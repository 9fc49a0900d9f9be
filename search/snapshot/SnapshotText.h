#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// How the snapshot writes texts and numbers.

// A name as the page's data holds it: shown as the listing shows it (control characters as "?",
// bytes that are not UTF-8 as U+FFFD) with "<" as a tab, which no shown name holds. Returns the
// length the page's script sees (UTF-16 code units).
std::size_t AppendDataText(std::string& out, std::string_view raw);

// The same inside a JSON string, "<" as "\u003c".
void AppendJsonDataText(std::string& out, std::string_view raw);

// Text for HTML: the shown form of `raw` with "&", "<", ">", '"' and "'" as references.
void AppendHtml(std::string& out, std::string_view raw);

// "1234567" as "1.234.567", as the page shows counts.
std::string GroupedNumber(std::int64_t value);

// Bytes in the largest unit that keeps at least 1, with one decimal: "3,4 MB", as the page
// shows them.
std::string ByteUnits(std::int64_t bytes);
