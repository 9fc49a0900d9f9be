#include "snapshot/SnapshotText.h"

#include "base/Utf8Text.h"

#include <array>
#include <charconv>

std::size_t AppendDataText(std::string& out, std::string_view raw) {
    const std::size_t start = out.size();
    AppendDisplayText(out, raw);
    std::size_t units = 0;
    for (std::size_t i = start; i < out.size(); ++i) {
        const auto byte = static_cast<unsigned char>(out[i]);
        if (byte == '<')
            out[i] = '\t';
        // A character starts at each byte that does not go on one; four bytes make two units.
        units += (byte & 0xC0) != 0x80 ? 1 : 0;
        units += byte >= 0xF0 ? 1 : 0;
    }
    return units;
}

void AppendJsonDataText(std::string& out, std::string_view raw) {
    for (const char c : DisplayText(raw)) {
        if (c == '"' || c == '\\')
            out.push_back('\\');
        if (c == '<')
            out.append("\\u003c");
        else
            out.push_back(c);
    }
}

void AppendHtml(std::string& out, std::string_view raw) {
    for (const char c : DisplayText(raw)) {
        switch (c) {
        case '&':
            out.append("&amp;");
            break;
        case '<':
            out.append("&lt;");
            break;
        case '>':
            out.append("&gt;");
            break;
        case '"':
            out.append("&quot;");
            break;
        case '\'':
            out.append("&#39;");
            break;
        default:
            out.push_back(c);
        }
    }
}

std::string GroupedNumber(std::int64_t value) {
    const std::string digits = std::to_string(value);
    const std::size_t sign = value < 0 ? 1 : 0;
    std::string grouped = digits.substr(0, sign);
    for (std::size_t i = sign; i < digits.size(); ++i) {
        if (i > sign && (digits.size() - i) % 3 == 0)
            grouped.push_back('.');
        grouped.push_back(digits[i]);
    }
    return grouped;
}

std::string ByteUnits(std::int64_t bytes) {
    if (bytes < 1024)
        return GroupedNumber(bytes) + " B";
    static constexpr std::array<const char*, 6> units{"KB", "MB", "GB", "TB", "PB", "EB"};
    double value = static_cast<double>(bytes) / 1024;
    std::size_t unit = 0;
    while (value >= 1024 && unit + 1 < units.size()) {
        value /= 1024;
        ++unit;
    }
    // to_chars, unlike printf, writes the same on every locale: a point, which becomes a comma.
    std::array<char, 32> text{};
    const auto end =
        std::to_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed, 1)
            .ptr;
    std::string result(text.data(), end);
    result[result.size() - 2] = ',';
    return result + ' ' + units[unit];
}
