// DisplayText against a plain model that decodes UTF-8 by its definition (the bit patterns, the
// shortest form, no surrogates, nothing above U+10FFFF) one character at a time: every valid
// character stays, a control character becomes "?" and every byte that starts no valid character
// becomes U+FFFD, for the listing's rule and the terminal's.

#include "base/Utf8Text.h"
#include "FuzzCheck.h"

#include <cstddef>
#include <cstdint>
#include <QString>
#include <string>
#include <string_view>

namespace {

// The length of the valid UTF-8 character at the start of `text` with its code point, or 0.
std::size_t plainDecode(std::string_view text, char32_t& codePoint) {
    const auto lead = static_cast<unsigned char>(text[0]);
    std::size_t length = 0;
    char32_t value = 0;
    if (lead < 0x80) {
        length = 1;
        value = lead;
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2;
        value = lead & 0x1Fu;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        value = lead & 0x0Fu;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        value = lead & 0x07u;
    } else {
        return 0;
    }
    if (text.size() < length)
        return 0;
    for (std::size_t i = 1; i < length; ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if ((byte & 0xC0) != 0x80)
            return 0;
        value = (value << 6) | (byte & 0x3Fu);
    }
    constexpr char32_t shortest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (value < shortest[length] || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return 0;
    codePoint = value;
    return length;
}

bool isControl(char32_t codePoint, ControlCharacters rule) {
    if (codePoint < 0x20 || codePoint == 0x7F)
        return true;
    return rule == ControlCharacters::Terminal && codePoint >= 0x80 && codePoint < 0xA0;
}

std::string plainDisplayText(std::string_view raw, ControlCharacters rule,
                             std::size_t& characters) {
    std::string shown;
    characters = 0;
    for (std::size_t pos = 0; pos < raw.size(); ++characters) {
        char32_t codePoint = 0;
        const std::size_t length = plainDecode(raw.substr(pos), codePoint);
        if (length == 0)
            shown += "\xEF\xBF\xBD";
        else if (isControl(codePoint, rule))
            shown += '?';
        else
            shown += raw.substr(pos, length);
        pos += length == 0 ? 1 : length;
    }
    return shown;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view raw(reinterpret_cast<const char*>(data), size);
    for (const ControlCharacters rule : {ControlCharacters::Listing, ControlCharacters::Terminal}) {
        std::size_t expectedCharacters = 0;
        const std::string expected = plainDisplayText(raw, rule, expectedCharacters);
        std::string shown = "prefix";
        const std::size_t characters = AppendDisplayText(shown, raw, rule);
        FUZZ_CHECK(shown.substr(6) == expected);
        FUZZ_CHECK(characters == expectedCharacters);
        FUZZ_CHECK(DisplayText(raw, rule) == expected);
        FUZZ_CHECK(CountCharacters(expected) == expectedCharacters);
        // What is shown is valid UTF-8 as Qt reads it too.
        const QString text = QString::fromUtf8(expected.data(), qsizetype(expected.size()));
        FUZZ_CHECK(text.toStdString() == expected);
    }
    return 0;
}
