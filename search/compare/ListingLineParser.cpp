#include "compare/ListingLineParser.h"

#include "format/ListingFormat.h"
#include "format/ListingLayout.h"

#include <algorithm>
#include <charconv>
#include <QString>

namespace {

using namespace ListingLayout;

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool allBlanks(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c == ' '; });
}

// The number at the start of `text` as "%d" writes a value that is not negative: its length, 0
// when there is none, it has a leading zero or it is out of range.
std::size_t numberAt(std::string_view text, std::int64_t& value) {
    std::size_t length = 0;
    while (length < text.size() && isDigit(text[length]))
        ++length;
    if (length == 0 || (length > 1 && text[0] == '0'))
        return 0;
    const auto result = std::from_chars(text.data(), text.data() + length, value);
    return result.ec == std::errc() ? length : 0;
}

// A number filled to `width` characters ("%-<width>d"): the length of number and fill, 0 when
// the text does not start so.
std::size_t paddedNumberAt(std::string_view text, std::size_t width, std::int64_t& value) {
    const std::size_t digits = numberAt(text, value);
    if (digits == 0)
        return 0;
    const std::size_t filled = std::max(width, digits);
    return text.size() >= filled && allBlanks(text.substr(digits, filled - digits)) ? filled : 0;
}

// Removes `prefix` from the front of `text`; false when it is not there.
bool consume(std::string_view& text, std::string_view prefix) {
    if (!text.starts_with(prefix))
        return false;
    text.remove_prefix(prefix.size());
    return true;
}

// Removes a number filled to `width` characters from the front of `text` into `value`; false
// when it does not start so.
bool takeNumber(std::string_view& text, std::size_t width, std::int64_t& value) {
    const std::size_t length = paddedNumberAt(text, width, value);
    text.remove_prefix(length);
    return length > 0;
}

// A sum of sizes, which may be larger than any one size: its digits as "%d" writes them.
bool takeTotal(std::string_view& text, ByteTotal& value) {
    std::size_t length = 0;
    while (length < text.size() && isDigit(text[length]))
        ++length;
    if (length == 0 || (length > 1 && text[0] == '0') ||
        !ParseByteTotal(text.substr(0, length), value))
        return false;
    text.remove_prefix(length);
    return true;
}

// The directory line starts with "0", its fill and the gap, and the mark: always these bytes.
std::string directoryPrefix() {
    std::string prefix;
    AppendPaddedNumber(prefix, 0, directoryNumberWidth);
    prefix.append(columnGap);
    prefix.append(directoryMark);
    return prefix;
}

} // namespace

std::optional<EntryLine> ParseEntryLine(std::string_view line) {
    static const std::string directoryStart = directoryPrefix();
    if (line.starts_with(directoryStart) && line.size() > directoryStart.size())
        return EntryLine{true, 0, line.substr(directoryStart.size())};
    std::int64_t size = 0;
    if (!takeNumber(line, fileNumberWidth, size) || !consume(line, columnGap) || line.empty())
        return std::nullopt;
    return EntryLine{false, size, line};
}

std::string_view WithoutFill(std::string_view nameColumn) {
    const std::size_t end = nameColumn.find_last_not_of(' ');
    return nameColumn.substr(0, end == std::string_view::npos ? 1 : end + 1);
}

bool ShownNameIsExact(std::string_view column, std::string_view name) {
    constexpr std::string_view replacementCharacter = "\xEF\xBF\xBD";
    return column.size() == name.size() && name.find('?') == std::string_view::npos &&
           name.find(replacementCharacter) == std::string_view::npos;
}

std::optional<std::string_view> ParseFolderHeading(std::string_view line) {
    if (!consume(line, folderHeading) || line.empty())
        return std::nullopt;
    return line;
}

std::optional<FolderSum> ParseFolderSum(std::string_view line) {
    FolderSum sum;
    if (takeNumber(line, 0, sum.files) && consume(line, folderSumFiles) &&
        takeTotal(line, sum.bytes) && line == folderSumBytes)
        return sum;
    return std::nullopt;
}

std::optional<TotalsLine> ParseTotalsLine(std::string_view line) {
    TotalsLine totals;
    if (!takeNumber(line, totalsNumberWidth, totals.files) || !consume(line, totalFiles) ||
        !takeTotal(line, totals.bytes) || !consume(line, totalBytes) ||
        !line.ends_with(totalMegabytes))
        return std::nullopt;
    line.remove_suffix(totalMegabytes.size());
    // The figure is "<whole><separator><two decimals>"; the separator is the locale's at the time
    // of writing, so it is taken from the line and the figure checked against it.
    std::size_t whole = 0;
    while (whole < line.size() && isDigit(line[whole]))
        ++whole;
    if (whole == 0 || line.size() < whole + 3)
        return std::nullopt;
    const std::string_view separator = line.substr(whole, line.size() - whole - 2);
    const QString expected = FormatMegabytes(
        totals.bytes, QString::fromUtf8(separator.data(), qsizetype(separator.size())));
    return expected.toStdString() == line ? std::optional(totals) : std::nullopt;
}

std::optional<std::int64_t> ParseTotalFoldersLine(std::string_view line) {
    std::int64_t folders = 0;
    if (!takeNumber(line, totalsNumberWidth, folders) || line != totalFolders)
        return std::nullopt;
    return folders;
}

std::optional<HeaderFolder> ParseHeaderFolder(std::string_view line) {
    if (!consume(line, folderIndent))
        return std::nullopt;
    for (const bool recursive : {true, false}) {
        const std::string_view ending = recursive ? withSubfolders : withoutSubfolders;
        if (line.ends_with(ending))
            return HeaderFolder{line.substr(0, line.size() - ending.size()), recursive};
    }
    return std::nullopt;
}

std::optional<std::string_view> ParseSearchMasks(std::string_view line) {
    if (!consume(line, searchMasks))
        return std::nullopt;
    return line;
}
