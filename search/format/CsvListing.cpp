#include "format/CsvListing.h"

#include "base/Utf8Text.h"

#include <charconv>

namespace {

constexpr char separator = ';';
constexpr std::string_view byteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view headerRow = "Art;Pfad;Name;Größe;Geändert";

// What a spreadsheet would take for the start of a formula, or of a command in older ones, gets
// an apostrophe in front; so does an apostrophe, so that a reader that drops one leading
// apostrophe always has the name back.
bool needsGuard(std::string_view text) {
    return !text.empty() &&
           std::string_view("=+-@\t\r'").find(text.front()) != std::string_view::npos;
}

// What the Art column says of each kind, as the text cell it is.
std::string_view kindCell(EntryRecord::Kind kind) {
    switch (kind) {
    case EntryRecord::Kind::Folder:
        return "\"Verzeichnis\"";
    case EntryRecord::Kind::Link:
        return "\"Verknüpfung\"";
    case EntryRecord::Kind::Special:
        return "\"Sonderdatei\"";
    case EntryRecord::Kind::File:
    case EntryRecord::Kind::Dot:
        break;
    }
    return "\"Datei\"";
}

} // namespace

void CsvListing::begin() {
    std::string& row = rows_.beginLine();
    row.append(byteOrderMark);
    row.append(headerRow);
    if (digest_) {
        row.push_back(separator);
        row.append(DigestInfo(*digest_).shownName);
    }
    rows_.finishLine();
}

RecordSink::Needs CsvListing::needs() const {
    return Needs{.sizes = true, .times = true, .foldersFirst = true, .digest = digest_};
}

void CsvListing::beginFolder(std::string_view folderText) {
    folder_.clear();
    AppendValidUtf8(folder_, folderText);
}

// The text cells quoted, numbers and times not, so that a spreadsheet keeps every name as text
// ("0123", "1e5", "2026-01-01", "WAHR") and still takes sizes and times for what they are. A
// value that could not be read is an empty cell.
void CsvListing::entry(const EntryRecord& record) {
    if (record.kind == EntryRecord::Kind::Dot)
        return;
    std::string& row = rows_.beginLine();
    row.append(kindCell(record.kind));
    row.push_back(separator);
    name_.clear();
    AppendValidUtf8(name_, record.name);
    text_.assign(folder_);
    text_.append(name_);
    appendCell(row, text_);
    row.push_back(separator);
    appendCell(row, name_);
    row.push_back(separator);
    // Only a regular file's size is the bytes it holds; a link's own length is not.
    if (record.kind == EntryRecord::Kind::File && record.sizeRead) {
        char digits[24];
        row.append(digits, std::to_chars(std::begin(digits), std::end(digits), record.size).ptr);
    }
    row.push_back(separator);
    if (record.timeRead)
        AppendLocalTime(row, record.modified);
    if (digest_) {
        row.push_back(separator);
        if (!record.digest.empty())
            appendCell(row, record.digest);
    }
    rows_.finishLine();
}

void CsvListing::endFolder() {}

void CsvListing::endRun() {}

void CsvListing::appendCell(std::string& row, std::string_view text) {
    row.push_back('"');
    if (needsGuard(text))
        row.push_back('\'');
    for (const char c : text) {
        if (c == '"')
            row.push_back('"');
        row.push_back(c);
    }
    row.push_back('"');
}
