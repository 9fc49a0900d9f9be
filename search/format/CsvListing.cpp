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

bool needsQuotes(std::string_view text) {
    return text.find_first_of(";\"\r\n") != std::string_view::npos;
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
    return Needs{true, true, true, digest_, false};
}

void CsvListing::beginFolder(std::string_view folderText) {
    folder_.clear();
    AppendValidUtf8(folder_, folderText);
}

void CsvListing::entry(const EntryRecord& record) {
    if (record.kind == EntryRecord::Kind::Dot)
        return;
    const bool file = record.kind == EntryRecord::Kind::File;
    std::string& row = rows_.beginLine();
    row.append(file ? "Datei" : "Verzeichnis");
    row.push_back(separator);
    name_.clear();
    AppendValidUtf8(name_, record.name);
    text_.assign(folder_);
    text_.append(name_);
    appendCell(row, text_);
    row.push_back(separator);
    appendCell(row, name_);
    row.push_back(separator);
    if (file) {
        char digits[24];
        row.append(digits, std::to_chars(std::begin(digits), std::end(digits), record.size).ptr);
    }
    row.push_back(separator);
    text_.clear();
    AppendLocalTime(text_, record.modified);
    appendCell(row, text_);
    if (digest_) {
        row.push_back(separator);
        row.append(record.digest);
    }
    rows_.finishLine();
}

void CsvListing::endFolder() {}

void CsvListing::endRun() {}

void CsvListing::appendCell(std::string& row, std::string_view text) {
    const bool quoted = needsQuotes(text);
    if (quoted)
        row.push_back('"');
    if (needsGuard(text))
        row.push_back('\'');
    for (const char c : text) {
        if (c == '"')
            row.push_back('"');
        row.push_back(c);
    }
    if (quoted)
        row.push_back('"');
}
