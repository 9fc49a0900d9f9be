#include "base/Utf8Text.h"

#include <algorithm>
#include <array>
#include <bitset>
#include <cstdint>
#include <cstring>
#include <QChar>

namespace {

bool isContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

constexpr std::string_view replacementCharacter = "\xEF\xBF\xBD";

// Blank to tilde; the other ASCII bytes are the control characters.
bool isPrintableAsciiByte(unsigned char byte) {
    return byte >= 0x20 && byte < 0x7F;
}

// Names are mostly ASCII, so the loops over them take eight bytes at a time where they can.
constexpr std::uint64_t everyByte(unsigned char byte) {
    return 0x0101010101010101ULL * byte;
}
constexpr std::uint64_t topBits = everyByte(0x80);

std::uint64_t eightBytes(const char* at) {
    std::uint64_t word = 0;
    std::memcpy(&word, at, sizeof word);
    return word;
}

// No byte of `word` is a control character or beyond ASCII. Below 0x80 no byte carries into the
// next: taking 0x20 sets the top bit of a byte below 0x20, adding 1 that of 0x7F (DEL).
bool allPrintableAscii(std::uint64_t word) {
    return ((word | (word - everyByte(0x20)) | (word + everyByte(0x01))) & topBits) == 0;
}

std::size_t endOfAscii(std::string_view text, std::size_t pos) {
    while (pos + 8 <= text.size() && (eightBytes(text.data() + pos) & topBits) == 0)
        pos += 8;
    while (pos < text.size() && static_cast<unsigned char>(text[pos]) < 0x80)
        ++pos;
    return pos;
}

// The ASCII bytes of `word` with "a" to "z" upper-cased. Added to bytes below 0x80, 0x1F sets the
// top bit from "a" on and 0x05 from past "z", without a carry into the next byte.
std::uint64_t upperAscii(std::uint64_t word) {
    const std::uint64_t fromA = word + everyByte(0x80 - 'a');
    const std::uint64_t pastZ = word + everyByte(0x80 - 'z' - 1);
    const std::uint64_t lower = fromA & ~pastZ & topBits;
    return word - (lower >> 2); // 0x20 in each lower-case letter
}

// ASCII letters upper-cased, every other ASCII byte as it is; one append for the whole run. The
// last eight bytes of a run of eight or more are done again from the source, which changes
// nothing already done.
void appendUpperAscii(std::string& out, std::string_view ascii) {
    const std::size_t start = out.size();
    out.append(ascii);
    char* const upper = out.data() + start;
    if (ascii.size() < 8) {
        for (std::size_t i = 0; i < ascii.size(); ++i) {
            if (upper[i] >= 'a' && upper[i] <= 'z')
                upper[i] = static_cast<char>(upper[i] - ('a' - 'A'));
        }
        return;
    }
    for (std::size_t i = 0;; i += 8) {
        const std::size_t at = std::min(i, ascii.size() - 8);
        const std::uint64_t word = upperAscii(eightBytes(ascii.data() + at));
        std::memcpy(upper + at, &word, sizeof word);
        if (at == ascii.size() - 8)
            return;
    }
}

// Upper-case forms of U+0080 to U+07FF (the accented Latin, Greek and Cyrillic letters), and
// which characters from U+0800 to U+FFFF have one at all (few do: CJK, kana and most symbols have
// none), looked up once, so the common characters of a name need no decoder and no Qt call.
const std::array<char32_t, 0x800 - 0x80>& twoByteUpper() {
    static const auto table = [] {
        std::array<char32_t, 0x800 - 0x80> upper{};
        for (char32_t cp = 0x80; cp < 0x800; ++cp)
            upper[cp - 0x80] = QChar::toUpper(cp);
        return upper;
    }();
    return table;
}

const std::bitset<0x10000>& threeByteCased() {
    static const auto cased = [] {
        std::bitset<0x10000> bits;
        for (char32_t cp = 0x800; cp < 0x10000; ++cp)
            bits[cp] = QChar::toUpper(cp) != cp;
        return bits;
    }();
    return cased;
}

// Appends the upper-case key of the two- or three-byte character `text` starts with and gives
// its length; gives 0, appending nothing, for anything else, which the decoder then takes.
std::size_t appendUpperBmp(std::string& out, std::string_view text) {
    if (text.size() < 2)
        return 0;
    const auto b0 = static_cast<unsigned char>(text[0]);
    const auto b1 = static_cast<unsigned char>(text[1]);
    if (b0 >= 0xC2 && b0 <= 0xDF && isContinuation(b1)) {
        const char32_t cp = (char32_t{b0} & 0x1Fu) << 6 | (char32_t{b1} & 0x3Fu);
        const char32_t upper = twoByteUpper()[cp - 0x80];
        if (upper == cp)
            out.append(text.substr(0, 2));
        else
            AppendUtf8(out, upper);
        return 2;
    }
    // A three-byte character without an upper-case form keeps its bytes; the rest go to the
    // decoder, which also refuses overlong forms and surrogates.
    if (b0 < 0xE1 || b0 > 0xEF || b0 == 0xED || text.size() < 3 || !isContinuation(b1) ||
        !isContinuation(static_cast<unsigned char>(text[2])))
        return 0;
    const char32_t cp = (char32_t{b0} & 0x0Fu) << 12 | (char32_t{b1} & 0x3Fu) << 6 |
                        (static_cast<unsigned char>(text[2]) & 0x3Fu);
    if (threeByteCased()[cp])
        return 0;
    out.append(text.substr(0, 3));
    return 3;
}

} // namespace

std::size_t DecodeUtf8(std::string_view text, char32_t& codePoint) {
    if (text.empty())
        return 0;
    const auto b0 = static_cast<unsigned char>(text[0]);
    if (b0 < 0x80) {
        codePoint = b0;
        return 1;
    }
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        length = 2;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        length = 3;
        if (b0 == 0xE0)
            low = 0xA0;
        if (b0 == 0xED)
            high = 0x9F; // no surrogates
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        length = 4;
        if (b0 == 0xF0)
            low = 0x90;
        if (b0 == 0xF4)
            high = 0x8F;
    } else {
        return 0;
    }
    if (text.size() < length)
        return 0;
    const auto b1 = static_cast<unsigned char>(text[1]);
    if (b1 < low || b1 > high)
        return 0;
    char32_t value = b0 & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i) {
        const auto b = static_cast<unsigned char>(text[i]);
        if (!isContinuation(b))
            return 0;
        value = (value << 6) | (b & 0x3Fu);
    }
    codePoint = value;
    return length;
}

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

std::size_t AppendDisplayText(std::string& out, std::string_view raw, ControlCharacters rule) {
    // Characters shown as they are pile up in a run that goes over in one append; only a control
    // character or a byte that is not valid UTF-8 breaks it.
    std::size_t characters = 0;
    std::size_t runStart = 0;
    std::size_t pos = 0;
    while (pos < raw.size()) {
        if (raw.size() - pos >= 8 && allPrintableAscii(eightBytes(raw.data() + pos))) {
            characters += 8;
            pos += 8;
            continue;
        }
        ++characters;
        const auto byte = static_cast<unsigned char>(raw[pos]);
        if (isPrintableAsciiByte(byte)) {
            ++pos;
            continue;
        }
        char32_t codePoint = 0;
        const std::size_t length = byte < 0x80 ? 0 : DecodeUtf8(raw.substr(pos), codePoint);
        const bool c1Control = codePoint >= 0x80 && codePoint < 0xA0;
        if (length > 0 && !(c1Control && rule == ControlCharacters::Terminal)) {
            pos += length;
            continue;
        }
        out.append(raw.substr(runStart, pos - runStart));
        out.append(byte < 0x80 || length > 0 ? std::string_view("?") : replacementCharacter);
        pos += length > 0 ? length : 1;
        runStart = pos;
    }
    out.append(raw.substr(runStart));
    return characters;
}

bool AppendValidUtf8(std::string& out, std::string_view raw) {
    bool valid = true;
    std::size_t runStart = 0;
    std::size_t pos = 0;
    while (pos < raw.size()) {
        pos = endOfAscii(raw, pos);
        if (pos == raw.size())
            break;
        char32_t codePoint = 0;
        if (const std::size_t length = DecodeUtf8(raw.substr(pos), codePoint); length > 0) {
            pos += length;
            continue;
        }
        out.append(raw.substr(runStart, pos - runStart));
        out.append(replacementCharacter);
        valid = false;
        runStart = ++pos;
    }
    out.append(raw.substr(runStart));
    return valid;
}

std::string DisplayText(std::string_view raw, ControlCharacters rule) {
    std::string shown;
    shown.reserve(raw.size());
    AppendDisplayText(shown, raw, rule);
    return shown;
}

std::size_t CountCharacters(std::string_view utf8) {
    std::size_t characters = 0;
    for (const char c : utf8)
        characters += isContinuation(static_cast<unsigned char>(c)) ? 0 : 1;
    return characters;
}

void AppendUpperKey(std::string& out, std::string_view raw) {
    std::size_t pos = 0;
    while (pos < raw.size()) {
        const std::size_t asciiEnd = endOfAscii(raw, pos);
        if (asciiEnd > pos) {
            appendUpperAscii(out, raw.substr(pos, asciiEnd - pos));
            pos = asciiEnd;
            continue;
        }
        if (const std::size_t length = appendUpperBmp(out, raw.substr(pos)); length > 0) {
            pos += length;
            continue;
        }
        char32_t cp = 0;
        const std::size_t length = DecodeUtf8(raw.substr(pos), cp);
        if (length == 0) {
            out.push_back(raw[pos]);
            ++pos;
        } else {
            // A character without an upper-case form keeps its bytes.
            const char32_t upper = QChar::toUpper(cp);
            if (upper == cp)
                out.append(raw.substr(pos, length));
            else
                AppendUtf8(out, upper);
            pos += length;
        }
    }
}

std::string UpperKey(std::string_view raw) {
    std::string key;
    key.reserve(raw.size());
    AppendUpperKey(key, raw);
    return key;
}
