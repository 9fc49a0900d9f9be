#include "format/JsonListing.h"

#include "base/PathText.h"
#include "base/Utf8Text.h"

#include <charconv>
#include <cstring>
#include <QByteArray>
#include <QSysInfo>

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

void appendNumber(std::string& out, std::int64_t value) {
    char digits[24];
    out.append(digits, std::to_chars(std::begin(digits), std::end(digits), value).ptr);
}

void appendNumberField(std::string& out, std::string_view key, std::int64_t value) {
    out.push_back('"');
    out.append(key);
    out.append("\":");
    appendNumber(out, value);
}

std::string_view bytesOf(const QByteArray& bytes) {
    return std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

// A folder of the run as its records name it: without the "/" the search appends, "/" stays.
std::string_view withoutTrailingSlash(std::string_view folder) {
    if (folder.size() > 1 && folder.back() == '/')
        folder.remove_suffix(1);
    return folder;
}

// Bytes that a JSON string cannot hold as they are.
bool needsEscape(unsigned char byte) {
    return byte < 0x20 || byte == '"' || byte == '\\';
}

// Appends `raw` as the inside of a JSON string: '"', '\' and the control characters escaped
// and each byte that is not valid UTF-8 as U+FFFD. Returns false when a byte had to be replaced.
// The escaped bytes are ASCII, so no character of several bytes spans one.
bool appendJsonBody(std::string& out, std::string_view raw) {
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

void appendBase64(std::string& out, std::string_view raw) {
    out.append(bytesOf(
        QByteArray::fromRawData(raw.data(), static_cast<qsizetype>(raw.size())).toBase64()));
}

// Appends `"<key>":"<string>"`, and, when `raw` is not valid UTF-8, `,"<key>_bytes":"<base64>"`.
void appendJsonText(std::string& out, std::string_view key, std::string_view raw) {
    out.push_back('"');
    out.append(key);
    out.append("\":\"");
    const bool valid = appendJsonBody(out, raw);
    out.push_back('"');
    if (valid)
        return;
    out.append(",\"");
    out.append(key);
    out.append("_bytes\":\"");
    appendBase64(out, raw);
    out.push_back('"');
}

} // namespace

std::string_view KindName(EntryRecord::Kind kind) {
    switch (kind) {
    case EntryRecord::Kind::Folder:
        return "folder";
    case EntryRecord::Kind::Link:
        return "link";
    case EntryRecord::Kind::Special:
        return "special";
    case EntryRecord::Kind::File:
    case EntryRecord::Kind::Dot:
        break;
    }
    return "file";
}

void JsonListing::begin(const TSearchFiles& settings, FileTime created, const Tool& tool) {
    std::string& line = lines_.beginLine();
    line.append(R"({"type":"inventory","format":2,"created":")");
    AppendUtcSeconds(line, created);
    line.append("\",");
    appendJsonText(line, "host", bytesOf(QSysInfo::machineHostName().toUtf8()));
    line.append(R"(,"tool":{)");
    appendJsonText(line, "name", tool.name);
    line.push_back(',');
    appendJsonText(line, "version", tool.version);
    line.append(R"(},"searched":[)");
    for (qsizetype i = 0; i < settings.Folders.size(); ++i) {
        const bool recursive = IsFolderRecursive(settings, i);
        line.append(i == 0 ? "{" : ",{");
        appendJsonText(line, "path", bytesOf(PathTextBytes(settings.Folders.at(i))));
        line.append(recursive ? R"(,"recursive":true})" : R"(,"recursive":false})");
    }
    line.append("],");
    appendJsonText(line, "masks", bytesOf(PathTextBytes(settings.Masks)));
    if (digest_) {
        line.append(R"(,"hash":")");
        line.append(DigestInfo(*digest_).name);
        line.push_back('"');
    }
    if (kept_) {
        line.append(R"(,"kinds":[")");
        line.append(KindName(*kept_));
        line.append("\"]");
    }
    line.push_back('}');
    lines_.finishLine();
}

RecordSink::Needs JsonListing::needs() const {
    return Needs{
        .sizes = true, .times = true, .foldersFirst = true, .digest = digest_, .targets = true};
}

void JsonListing::beginFolder(std::string_view folderText) {
    folderJson_.assign("\"");
    folderValid_ = appendJsonBody(folderJson_, folderText);
}

// `"path":"<folder><name>"`, and the exact bytes where they are not valid UTF-8.
void JsonListing::appendPath(std::string& line, const EntryRecord& record) {
    line.append(R"("path":)");
    line.append(folderJson_);
    const bool nameValid = appendJsonBody(line, record.name);
    line.push_back('"');
    if (folderValid_ && nameValid)
        return;
    path_.assign(record.folder);
    path_.append(record.name);
    line.append(R"(,"path_bytes":")");
    appendBase64(line, path_);
    line.push_back('"');
}

// Each kind has its keys: a file its size, a link its target; a value that could not be read is
// null, never a made-up 0 or 1970.
void JsonListing::entry(const EntryRecord& record) {
    if (record.kind == EntryRecord::Kind::Dot)
        return;
    std::string& line = lines_.beginLine();
    line.append(R"({"type":")");
    line.append(KindName(record.kind));
    line.append("\",");
    appendPath(line, record);
    switch (record.kind) {
    case EntryRecord::Kind::File:
        ++files_;
        if (record.sizeRead) {
            line.push_back(',');
            appendNumberField(line, "size", record.size);
            AddSize(bytes_, record.size);
        } else {
            line.append(R"(,"size":null)");
        }
        break;
    case EntryRecord::Kind::Folder:
        ++folders_;
        break;
    case EntryRecord::Kind::Link:
        ++links_;
        line.push_back(',');
        if (record.targetRead)
            appendJsonText(line, "target", record.target);
        else
            line.append(R"("target":null)");
        break;
    case EntryRecord::Kind::Special:
    case EntryRecord::Kind::Dot:
        ++special_;
        break;
    }
    appendTime(line, record);
    if (digest_ && record.kind == EntryRecord::Kind::File) {
        line.append(",\"");
        line.append(DigestInfo(*digest_).name);
        line.append("\":");
        if (record.digest.empty()) {
            line.append("null");
        } else {
            line.push_back('"');
            line.append(record.digest);
            line.push_back('"');
        }
    }
    line.push_back('}');
    lines_.finishLine();
}

// "mtime" to the microsecond, which data tools take for a timestamp, and "mtime_ns" exact; null
// where the time could not be read, and "mtime_ns" null where 64 bits cannot hold it.
void JsonListing::appendTime(std::string& line, const EntryRecord& record) {
    if (!record.timeRead) {
        line.append(R"(,"mtime":null,"mtime_ns":null)");
        return;
    }
    line.append(R"(,"mtime":")");
    AppendUtcTimestamp(line, record.modified, TimeFraction::Microseconds);
    line.append(R"(",)");
    if (const std::optional<std::int64_t> nanoseconds = NanosecondsSinceEpoch(record.modified))
        appendNumberField(line, "mtime_ns", *nanoseconds);
    else
        line.append(R"("mtime_ns":null)");
}

void JsonListing::endFolder() {}

void JsonListing::endRun() {
    std::string& line = lines_.beginLine();
    line.append(R"({"type":"summary",)");
    appendNumberField(line, "files", files_);
    line.push_back(',');
    appendNumberField(line, "folders", folders_);
    line.push_back(',');
    appendNumberField(line, "links", links_);
    line.push_back(',');
    appendNumberField(line, "special", special_);
    line.push_back(',');
    line.append(R"("bytes":)");
    AppendByteTotal(line, bytes_);
    if (outcome_.complete()) {
        line.append(R"(,"complete":true})");
    } else {
        line.append(R"(,"complete":false)");
        if (outcome_.cancelled())
            line.append(R"(,"cancelled":true)");
        appendUnreadable(line);
        if (!outcome_.loops().empty())
            appendLoops(line);
        line.push_back('}');
    }
    lines_.finishLine();
}

void JsonListing::appendUnreadable(std::string& line) {
    line.append(R"(,"unreadable":[)");
    bool first = true;
    const auto appendFolders = [&](const std::vector<RunOutcome::Folder>& folders,
                                   std::string_view what) {
        for (const RunOutcome::Folder& folder : folders) {
            line.append(first ? "{" : ",{");
            first = false;
            appendJsonText(line, "path", withoutTrailingSlash(bytesOf(folder.path)));
            line.append(R"(,"what":")");
            line.append(what);
            line.append(R"(",)");
            appendJsonText(line, "reason",
                           folder.error == 0 ? "während des Lesens geändert"
                                             : std::strerror(folder.error));
            line.push_back('}');
        }
    };
    appendFolders(outcome_.unreadableFolders(), "folder");
    appendFolders(outcome_.foldersWithUnreadableSizes(), "sizes");
    appendFolders(outcome_.filesNotRead(), "file");
    line.push_back(']');
}

void JsonListing::appendLoops(std::string& line) {
    line.append(R"(,"loops":[)");
    bool first = true;
    for (const RunOutcome::Folder& folder : outcome_.loops()) {
        line.append(first ? "{" : ",{");
        first = false;
        appendJsonText(line, "path", withoutTrailingSlash(bytesOf(folder.path)));
        line.push_back('}');
    }
    line.push_back(']');
}
