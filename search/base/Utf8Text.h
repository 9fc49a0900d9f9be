#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Names on Linux are bytes. These helpers turn them into what a listing shows and into the keys
// that order and match them, treating every byte that is not valid UTF-8 as one character.

// Length of the valid UTF-8 sequence at the start of `text` (1 to 4) with its code point in
// `codePoint`, or 0 when the first byte does not start a valid sequence.
std::size_t DecodeUtf8(std::string_view text, char32_t& codePoint);

// Appends `codePoint` to `out` as UTF-8.
void AppendUtf8(std::string& out, char32_t codePoint);

// The control characters that a shown text replaces by "?". A listing, its header and the
// progress captions take the C0 controls and DEL, so that one entry stays one line; a terminal
// also takes the C1 controls (U+0080 to U+009F), which could start an escape sequence there.
enum class ControlCharacters { Listing, Terminal };

// The one rule for making a name safe to show: appends `raw` with every control character of
// `rule` as "?" and each byte that is not valid UTF-8 as U+FFFD. Returns the number of characters
// (code points) appended.
std::size_t AppendDisplayText(std::string& out, std::string_view raw,
                              ControlCharacters rule = ControlCharacters::Listing);

// Appends `raw` with each byte that is not valid UTF-8 as U+FFFD and everything else, control
// characters included, as it is. Returns false when a byte had to be replaced.
bool AppendValidUtf8(std::string& out, std::string_view raw);

// `raw` as AppendDisplayText shows it.
std::string DisplayText(std::string_view raw, ControlCharacters rule = ControlCharacters::Listing);

// Number of characters of valid UTF-8 text.
std::size_t CountCharacters(std::string_view utf8);

// The upper-case form used to order and match names: every valid character upper-cased, every
// invalid byte kept as it is.
void AppendUpperKey(std::string& out, std::string_view raw);
std::string UpperKey(std::string_view raw);
