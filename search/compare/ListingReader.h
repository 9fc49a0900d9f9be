#pragma once

#include "base/DigestAlgorithm.h"
#include "compare/ListingGaps.h"
#include "compare/PathSet.h"
#include "scope/SearchScope.h"

#include <functional>
#include <memory>
#include <optional>
#include <QString>
#include <QStringList>
#include <string>
#include <string_view>
#include <vector>

class ChecksumListingReader;
class JsonInventoryReader;

// Extended: files, folders and sizes; simple (full paths): which entries there are; a checksum
// list: files with their digests only (ChecksumListingReader).
enum class ListingForm { Extended, Simple, Checksums };

// A listing read back: the set of its entries, what its header says and what it lacks.
struct SavedListing {
    PathSet entries;
    // Why the list cannot be compared; empty when it can.
    QString error;
    ListingForm form = ListingForm::Simple;
    // The header's lines from "Suchverzeichnisse" to "Suchmasken: ...", each folder spelt as
    // FolderKey spells it; empty without header.
    QStringList searchedFor;
    // The searched folders, each spelt as the list's folder texts are (FolderKey of the path with
    // its "/"); empty without header.
    std::vector<std::string> searchedFolders;
    // Where the list ends early; the caller adds what it knows of unread folders.
    ListingGaps gaps;
    // Names and folders are exact bytes (an inventory in JSON Lines, or a search's records) with
    // the entries' modification times.
    bool exactNames = false;
    bool withTimes = false;
    // The kinds are exact: links and special files are told from files (an inventory in JSON
    // Lines of format 2, or a search's records). In a text listing they are files.
    bool exactKinds = false;
    // The algorithm of the files' digests, where the list carries them (an inventory in JSON
    // Lines made with --hash, or a search that read its files).
    std::optional<DigestAlgorithm> digest;
    // The folder that the list's relative paths start from, where it is not the working folder
    // (a checksum list opened in the window names paths from its own folder).
    std::string pathsFrom;
    // What the search left out beyond its masks, as the header or inventory line says.
    SearchScope scope;
    // With one file system: the folders on other file systems that the search listed but did
    // not enter, each spelt as FolderKey spells it, where the list names them (an inventory in
    // JSON Lines, a search's own run); a text listing does not.
    std::vector<std::string> notEntered;
    bool notEnteredKnown = false;
};

// What a listing of these folders and masks says in its header about what was searched, as
// SavedListing::searchedFor holds it, with the exact bytes of folders and masks (as PathText.h
// keeps bytes in text), so that masks that differ only in bytes that are not UTF-8 differ here
// too; ShownForm shows them as a listing's header does.
struct SearchedFolder {
    std::string rawPath;
    bool recursive = false;
};
QStringList SearchedForLines(const std::vector<SearchedFolder>& folders, std::string_view rawMasks);

// The listing as a listing of shown text, for a comparison with one (SavedListing::exactNames).
SavedListing ShownForm(const SavedListing& exact);

// The listing with its paths taken below `folder`, one of its searched folders: folder texts,
// gaps and the header's folder lose that start, so that a copy of a tree in another place
// compares path by path with its original.
SavedListing BelowFolder(const SavedListing& listing, std::string_view folder);

// Reads a listing of this program back, line by line as its text arrives in pieces: an inventory
// in JSON Lines (JsonInventoryReader) when its first line is a JSON object (or starts as an
// inventory's and is no listing's either, when the reasons are the inventory's), a checksum list
// (ChecksumListingReader) when its first line is a checksum line, else an extended
// listing (header, "Verzeichnis von" headings, "<DIR>" and file lines, sums and footer, each
// line where it can stand and in the form the writer gives it) or a simple listing with full or
// relative paths. Either may end with the line that says a stop cut it short, which leaves open
// what lies beyond. Lines end in CR LF or LF and hold UTF-8 text without control characters, as
// the listing shows every name. A simple listing of bare names or of names without
// their extensions cannot be compared; anything else that is not such a listing is refused with
// the number of the first line that does not fit, as soon as that line is seen.
class ListingReader final {
public:
    // Longer than any line this program writes but the first line of an inventory in JSON Lines
    // (which names every folder searched): a path of PATH_MAX bytes that shows U+FFFD for each
    // byte takes 12 KiB, a header line of the longest argument a system passes (128 KiB) less
    // than 400 KiB.
    static constexpr std::size_t maxLineBytes = 1 << 20;

    ListingReader();
    ~ListingReader();
    ListingReader(const ListingReader&) = delete;
    ListingReader& operator=(const ListingReader&) = delete;

    // The next piece of the text; a line may be split across pieces.
    void addText(std::string_view text);
    // One whole line, without its line end.
    void addLine(std::string_view line);
    // The text cannot be a listing; more of it changes nothing.
    bool failed() const { return state_ == State::Failed; }
    // Ends the text and hands over what was read.
    SavedListing finish();

private:
    enum class State {
        Start,
        Header, // the fixed lines of the header, counted by headerLine_
        HeaderFolders,
        HeaderMasks,
        HeaderEnd,
        BlockBlank1, // before a heading or the footer: two blank lines
        BlockBlank2,
        HeadingOrFooter,
        HeadingBlank,
        Entries,
        Sum,
        FooterFolders,
        End,
        Simple,
        CutShort, // after the line that says a stop cut the list short
        Json,
        Checksums,
        Failed,
    };

    bool mayBeInventoryLine(std::string_view piece) const;
    void readListingLine(std::string_view line);
    void failAsInventory(std::string_view firstLine);
    void startForm(std::string_view line);
    void readHeaderLine(std::string_view line);
    void readBodyLine(std::string_view line);
    void readEntry(std::string_view line);
    void readSimpleLine(std::string_view line);
    void startBlock(std::string_view folder);
    void fail(const QString& reason);
    void failAtLine();

    SavedListing listing_;
    State state_ = State::Start;
    std::string pending_;              // the start of a line whose end has not arrived yet
    std::string folder_;               // the folder of the current block, as FolderKey spells it
    std::string brokenInventoryStart_; // a first line that starts as an inventory's, until line 2
    long long lineNumber_ = 0;
    std::size_t headerLine_ = 0;
    bool blockHasFiles_ = false;
    std::unique_ptr<JsonInventoryReader> json_;
    std::unique_ptr<ChecksumListingReader> checksums_;
};

// Tells a long read whether to go on.
using KeepReading = std::function<bool()>;

// Reads the listing in the file `fileName` (settings text, see PathText.h); an error names the
// file. Reading stops at the first line that does not fit, and when `keepReading` says so; a
// pipe or a FIFO that stays silent is waited for in short turns, so a stop is seen there too.
SavedListing ReadListingFile(const QString& fileName, const KeepReading& keepReading = {});

// The same from an open descriptor (standard input), which stays open; errors name it as
// `shownName`.
SavedListing ReadListingDescriptor(int fd, const QString& shownName,
                                   const KeepReading& keepReading = {});

// Reads a listing held in memory.
SavedListing ReadListingText(std::string_view text);
