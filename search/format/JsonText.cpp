#include "format/JsonText.h"

#include "base/Utf8Text.h"

#include <charconv>
#include <QByteArray>

namespace {

void appendEscape(std::string& out, unsigned char byte) {
    switch (byte) {
    case '"':
        out.append("\\\"");
        return;
    case '\\':
        out.append("\\\\");
        return;
    case '\b':
        out.append("\\b");
        return;
    case '\f':
        out.append("\\f");
        return;
    case '\n':
        out.append("\\n");
        return;
    case '\r':
        out.append("\\r");
        return;
    case '\t':
        out.append("\\t");
        return;
    default:
        break;
    }
    static constexpr char hex[] = "0123456789abcdef";
    out.append("\\u00");
    out.push_back(hex[byte >> 4]);
    out.push_back(hex[byte & 0x0F]);
}

// Bytes that a JSON string cannot hold as they are.
bool needsEscape(unsigned char byte) {
    return byte < 0x20 || byte == '"' || byte == '\\';
}

} // namespace

// The escaped bytes are ASCII, so no character of several bytes spans one.
bool AppendJsonBody(std::string& out, std::string_view raw) {
    bool valid = true;
    std::size_t runStart = 0;
    for (std::size_t pos = 0; pos < raw.size(); ++pos) {
        const auto byte = static_cast<unsigned char>(raw[pos]);
        if (!needsEscape(byte))
            continue;
        valid &= AppendValidUtf8(out, raw.substr(runStart, pos - runStart));
        appendEscape(out, byte);
        runStart = pos + 1;
    }
    valid &= AppendValidUtf8(out, raw.substr(runStart));
    return valid;
}

void AppendBase64(std::string& out, std::string_view raw) {
    const QByteArray base64 =
        QByteArray::fromRawData(raw.data(), static_cast<qsizetype>(raw.size())).toBase64();
    out.append(base64.constData(), static_cast<std::size_t>(base64.size()));
}

void AppendJsonText(std::string& out, std::string_view key, std::string_view raw) {
    out.push_back('"');
    out.append(key);
    out.append("\":\"");
    const bool valid = AppendJsonBody(out, raw);
    out.push_back('"');
    if (valid)
        return;
    out.append(",\"");
    out.append(key);
    out.append("_bytes\":\"");
    AppendBase64(out, raw);
    out.push_back('"');
}

void AppendJsonNumber(std::string& out, std::string_view key, std::int64_t value) {
    out.push_back('"');
    out.append(key);
    out.append("\":");
    char digits[24];
    out.append(digits, std::to_chars(std::begin(digits), std::end(digits), value).ptr);
}

void AppendJsonTime(std::string& out, std::optional<FileTime> time) {
    if (!time) {
        out.append(R"("mtime":null,"mtime_ns":null)");
        return;
    }
    out.append(R"("mtime":")");
    AppendUtcTimestamp(out, *time, TimeFraction::Microseconds);
    out.append(R"(",)");
    if (const std::optional<std::int64_t> nanoseconds = NanosecondsSinceEpoch(*time))
        AppendJsonNumber(out, "mtime_ns", *nanoseconds);
    else
        out.append(R"("mtime_ns":null)");
}
