#pragma once

#include "base/ByteTotal.h"
#include "output/LineSink.h"

#include <cstdint>
#include <QString>
#include <string>
#include <string_view>

// The lines of a listing. Numbers are decimal without grouping; a width fills with blanks on the
// right and never cuts; widths count characters, not bytes. Names arrive raw (the bytes the file
// system gave) and are shown as AppendDisplayText shows them.

// Appends `value` left-aligned in `width` characters.
void AppendPaddedNumber(std::string& out, std::int64_t value, std::size_t width);

// The four heading lines of a folder: two blank lines, "Verzeichnis von <folder>", a blank line.
void AppendFolderHeading(LineSink& lines, std::string_view rawFolderText);

// "%-9d  %-50s" with 0 and "<DIR> <name>".
void AppendDirectoryLine(LineSink& lines, std::string_view rawName);

// "%-15d  %-50s" with the size and the name.
void AppendFileLine(LineSink& lines, std::int64_t size, std::string_view rawName);

// A blank line and "<files> Datei(en), <bytes> Bytes".
void AppendFolderSum(LineSink& lines, std::int64_t files, ByteTotal bytes);

// How a simple listing line holds a name: as shown (AppendDisplayText), or as its exact bytes for
// a list whose entries end in a NUL byte, where nothing needs to be replaced.
enum class NameBytes { Shown, Exact };

// The folder text of simple listing lines as they hold it. A folder's lines share it, so it is
// made once per folder rather than once per line.
std::string SimpleLineFolder(std::string_view rawFolderText, NameBytes bytes = NameBytes::Shown);

// The simple listing line of one entry: the full path (`folder` made by SimpleLineFolder with the
// same `bytes`) or the bare name, without its extension when `showExtensions` is false
// ("archive.tar.gz" gives "archive.tar", "README" stays).
void AppendSimpleLine(LineSink& lines, std::string_view folder, std::string_view rawName,
                      bool fullPath, bool showExtensions, NameBytes bytes = NameBytes::Shown);

// The megabyte figure of `bytes` with two decimals, rounded half away from zero on its exact
// value, with `decimalSeparator` between the whole and the decimals.
QString FormatMegabytes(ByteTotal bytes, const QString& decimalSeparator);

// The decimal separator of the user's locale now; a point when the locale gives none.
QString CurrentDecimalSeparator();

// The line that ends a listing that a stop cut short.
void AppendCutShortLine(LineSink& lines);

// The four lines of the totals footer.
void AppendTotalsFooter(LineSink& lines, std::int64_t totalFiles, ByteTotal totalBytes,
                        std::int64_t totalFolders, const QString& decimalSeparator);
