#include "scope/MaskMatcher.h"

#include "base/PathText.h"
#include "base/Utf8Text.h"

#include <algorithm>

namespace {

// Bytes taken by the character at `pos`: a valid UTF-8 sequence, or one invalid byte.
std::size_t characterLength(std::string_view text, std::size_t pos) {
    char32_t ignored = 0;
    const std::size_t length = DecodeUtf8(text.substr(pos), ignored);
    return length == 0 ? 1 : length;
}

// Bytes of the character at `n` of the name when it is the character at `m` of the mask, else 0.
// Whole characters are compared, so an invalid byte of the mask matches only that byte, never
// the first byte of a valid character.
std::size_t sameCharacter(std::string_view mask, std::size_t m, std::string_view name,
                          std::size_t n) {
    if (static_cast<unsigned char>(mask[m]) < 0x80)
        return mask[m] == name[n] ? 1 : 0;
    const std::size_t length = characterLength(mask, m);
    if (characterLength(name, n) != length || name.compare(n, length, mask, m, length) != 0)
        return 0;
    return length;
}

} // namespace

MaskMatcher::MaskMatcher(const QString& mask) {
    const QByteArray utf8 = PathTextBytes(mask);
    const std::string_view raw(utf8.constData(), static_cast<std::size_t>(utf8.size()));
    everything_ = raw == "*.*" || raw == "*";
    nothing_ = raw.find('/') != std::string_view::npos;
    // A run of "*" matches what one does; collapsed, a mask of many stars costs no more than one.
    const auto repeatedStar = [](char a, char b) { return a == '*' && b == '*'; };
    key_ = UpperKey(raw);
    key_.erase(std::unique(key_.begin(), key_.end(), repeatedStar), key_.end());
}

bool MaskMatcher::matches(std::string_view rawName) const {
    return matchesKey(UpperKey(rawName));
}

bool MaskMatcher::matchesKey(std::string_view name) const {
    if (everything_)
        return true;
    if (nothing_)
        return false;

    const std::string_view mask = key_;
    constexpr std::size_t none = std::string_view::npos;
    std::size_t m = 0;
    std::size_t n = 0;
    std::size_t starMask = none; // mask position just behind the last "*"
    std::size_t starName = 0;    // name position that "*" has reached
    while (n < name.size()) {
        if (m < mask.size() && mask[m] == '*') {
            starMask = ++m;
            starName = n;
        } else if (m < mask.size() && mask[m] == '?') {
            ++m;
            n += characterLength(name, n);
        } else if (const std::size_t length = m < mask.size() ? sameCharacter(mask, m, name, n) : 0;
                   length > 0) {
            m += length;
            n += length;
        } else if (starMask != none) {
            starName += characterLength(name, starName);
            n = starName;
            m = starMask;
        } else {
            return false;
        }
    }
    while (m < mask.size() && mask[m] == '*')
        ++m;
    return m == mask.size();
}
