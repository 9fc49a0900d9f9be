#pragma once

#include "base/ByteTotal.h"

#include <cstdint>
#include <optional>
#include <string_view>

// Takes the lines of a listing apart by ListingLayout, each kind of line in exactly the form the
// writer gives it: numbers are decimal without sign, grouping or leading zeros, and each fill is
// as wide as the layout says. A line of another form is no line of that kind. The texts returned
// point into the line.

// A directory or file line: the number, and the name column (the name as shown, followed by the
// fill up to `nameWidth` characters when it is shorter).
struct EntryLine {
    bool directory = false;
    std::int64_t size = 0;
    std::string_view nameColumn;
};
std::optional<EntryLine> ParseEntryLine(std::string_view line);

// The name of a name column without the fill. A name that ends in blanks cannot be told from a
// shorter one with fill, so every trailing blank goes, and a name of blanks only keeps one.
std::string_view WithoutFill(std::string_view nameColumn);

// Whether `name`, the name column `column` without its fill, stands for one name only: a name
// shown with "?" or U+FFFD may stand for several, and so may one that lost blanks.
bool ShownNameIsExact(std::string_view column, std::string_view name);

// "Verzeichnis von <folder text>": the folder text.
std::optional<std::string_view> ParseFolderHeading(std::string_view line);

// "<files> Datei(en), <bytes> Bytes".
struct FolderSum {
    std::int64_t files = 0;
    ByteTotal bytes = 0;
};
std::optional<FolderSum> ParseFolderSum(std::string_view line);

// The footer's first line, "<files> Datei(en) insgesamt, <bytes> Bytes (~ <megabytes> MB)", with
// the megabyte figure that FormatMegabytes gives for the bytes; and its second line,
// "<folders> Verzeichnis(se)".
struct TotalsLine {
    std::int64_t files = 0;
    ByteTotal bytes = 0;
};
std::optional<TotalsLine> ParseTotalsLine(std::string_view line);
std::optional<std::int64_t> ParseTotalFoldersLine(std::string_view line);

// A folder line of the header, " <folder> [mit Unterverzeichnissen]" or "... [ohne ...]".
struct HeaderFolder {
    std::string_view folder;
    bool recursive = false;
};
std::optional<HeaderFolder> ParseHeaderFolder(std::string_view line);

// "Suchmasken: <masks>": the mask text.
std::optional<std::string_view> ParseSearchMasks(std::string_view line);
