// MaskMatcher against a plain matcher over whole characters: a table of which start of the mask
// matches which start of the name, "*" for any run of characters, "?" for exactly one, every other
// character equal to the name's (an invalid byte is a character of its own). Both sides compare
// the upper-case keys; "*.*" and "*" match every name, a mask with "/" none. The mask reaches the
// matcher as settings text, which must give back the very bytes it was made from.

#include "base/PathText.h"
#include "base/Utf8Text.h"
#include "FuzzCheck.h"
#include "scope/MaskMatcher.h"

#include <cstddef>
#include <cstdint>
#include <fuzzer/FuzzedDataProvider.h>
#include <string>
#include <string_view>
#include <vector>

namespace {

std::vector<std::string_view> charactersOf(std::string_view key) {
    std::vector<std::string_view> characters;
    for (std::size_t pos = 0; pos < key.size();) {
        char32_t ignored = 0;
        const std::size_t decoded = DecodeUtf8(key.substr(pos), ignored);
        const std::size_t length = decoded == 0 ? 1 : decoded;
        characters.push_back(key.substr(pos, length));
        pos += length;
    }
    return characters;
}

bool plainMatch(std::string_view rawMask, std::string_view rawName) {
    if (rawMask == "*.*" || rawMask == "*")
        return true;
    if (rawMask.find('/') != std::string_view::npos)
        return false;
    const std::string maskKey = UpperKey(rawMask);
    const std::string nameKey = UpperKey(rawName);
    const std::vector<std::string_view> mask = charactersOf(maskKey);
    const std::vector<std::string_view> name = charactersOf(nameKey);
    // matches[m][n]: mask characters from m on match name characters from n on.
    std::vector<std::vector<bool>> matches(mask.size() + 1,
                                           std::vector<bool>(name.size() + 1, false));
    matches[mask.size()][name.size()] = true;
    for (std::size_t m = mask.size(); m-- > 0;) {
        for (std::size_t n = name.size() + 1; n-- > 0;) {
            const bool more = n < name.size();
            if (mask[m] == "*")
                matches[m][n] = matches[m + 1][n] || (more && matches[m][n + 1]);
            else if (mask[m] == "?" || (more && mask[m] == name[n]))
                matches[m][n] = more && matches[m + 1][n + 1];
        }
    }
    return matches[0][0];
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const std::string mask = input.ConsumeRandomLengthString(128);
    const std::string name = input.ConsumeRandomLengthString(512);
    const QString maskText = PathTextFromBytes(mask);
    FUZZ_CHECK(PathTextBytes(maskText) == QByteArrayView(mask));
    const MaskMatcher matcher(maskText);
    FUZZ_CHECK(matcher.matches(name) == plainMatch(mask, name));
    return 0;
}
