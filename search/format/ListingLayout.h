#pragma once

#include <cstddef>
#include <string_view>

// The one description of how a listing's lines look: the writer (ListingFormat, HeaderBlock)
// builds its lines from it and the reader (ListingLineParser) takes them apart by it, so the two
// cannot drift apart. Widths count characters; a width fills with blanks on the right and never
// cuts.
namespace ListingLayout {

// The header block of an extended listing: the framed title, "Suchverzeichnisse", one line per
// folder (" <folder> [mit Unterverzeichnissen]"), a blank line, "Suchmasken: <masks>", the rule.
inline constexpr std::string_view titleLines[] = {
    "**    FolderInventory     **",
    "**  FolderInventory-Team  **",
    "**      Dateiliste        **",
};
inline constexpr std::string_view frameRule = "----------------------------";
inline constexpr std::string_view searchedFolders = "Suchverzeichnisse";
inline constexpr std::string_view folderIndent = " ";
inline constexpr std::string_view withSubfolders = " [mit Unterverzeichnissen]";
inline constexpr std::string_view withoutSubfolders = " [ohne Unterverzeichnisse]";
inline constexpr std::string_view searchMasks = "Suchmasken: ";
// Behind the masks, only when the search was given a scope, one line for each part of it that is
// set: "Ausschließen: <masks>", "Nur ein Dateisystem", "Tiefe: höchstens <n> Ebenen",
// "Größe: mindestens <n> Bytes, höchstens <n> Bytes" and "Geändert: nach <time>, spätestens
// <time>" (either half alone where only one is set; times as ScopeTimeText writes them).
inline constexpr std::string_view scopeExclusions = "Ausschließen: ";
inline constexpr std::string_view scopeOneFileSystem = "Nur ein Dateisystem";
inline constexpr std::string_view scopeDepth = "Tiefe: höchstens ";
inline constexpr std::string_view scopeDepthUnit = " Ebenen";
inline constexpr std::string_view scopeSize = "Größe: ";
inline constexpr std::string_view scopeTime = "Geändert: ";
inline constexpr std::string_view scopeAtLeast = "mindestens ";
inline constexpr std::string_view scopeAtMost = "höchstens ";
inline constexpr std::string_view scopeBytes = " Bytes";
inline constexpr std::string_view scopeAfter = "nach ";
inline constexpr std::string_view scopeUntil = "spätestens ";
inline constexpr std::string_view scopeAnd = ", ";

// A folder's heading: two blank lines, "Verzeichnis von <folder text>", a blank line.
inline constexpr std::string_view folderHeading = "Verzeichnis von ";
inline constexpr std::size_t blankLinesBeforeHeading = 2;

// "%-9d  %-50s" with 0 and "<DIR> <name>": a directory line always shows 0.
inline constexpr std::size_t directoryNumberWidth = 9;
inline constexpr std::string_view directoryMark = "<DIR> ";
// "%-15d  %-50s" with the size and the name.
inline constexpr std::size_t fileNumberWidth = 15;
inline constexpr std::size_t nameWidth = 50;
inline constexpr std::string_view columnGap = "  ";
// The name column of a directory line is what "<DIR> " leaves of the fifty characters.
inline constexpr std::size_t directoryNameWidth = nameWidth - directoryMark.size();

// A folder's sum after a blank line: "<files> Datei(en), <bytes> Bytes".
inline constexpr std::string_view folderSumFiles = " Datei(en), ";
inline constexpr std::string_view folderSumBytes = " Bytes";

// The totals footer after two blank lines:
// "%-10d Datei(en) insgesamt, %d Bytes (~ <megabytes> MB)" and "%-10d Verzeichnis(se)".
inline constexpr std::size_t totalsNumberWidth = 10;
inline constexpr std::string_view totalFiles = " Datei(en) insgesamt, ";
inline constexpr std::string_view totalBytes = " Bytes (~ ";
inline constexpr std::string_view totalMegabytes = " MB)";
inline constexpr std::string_view totalFolders = " Verzeichnis(se)";
inline constexpr std::size_t blankLinesBeforeFooter = 2;

// The last line of a listing that a stop cut short ("Abbrechen", SIGINT or SIGTERM): after the
// footer of the extended listing, after the last path of the simple one. It holds no "/", so it
// is no path of a simple listing, and no number starts it, so it is no entry of an extended one.
inline constexpr std::string_view cutShortLine = "Abgebrochen: Die Liste ist unvollständig.";

} // namespace ListingLayout
