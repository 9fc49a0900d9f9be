#pragma once

#include "compare/ListingReader.h"

#include <cstdint>
#include <QStringList>
#include <string>
#include <string_view>
#include <unordered_set>

// A checksum list read as the earlier or later side of a comparison: each line names a file
// with its digest, as sha256sum, md5sum and their kin write it (see ParseChecksumLine), and
// nothing more: no sizes, no times, no folders, and none of the files that could not be read
// when it was made. Its paths are exact bytes, relative to the folder it was made in or
// absolute. Empty lines and lines that begin with "#" are passed over; every other line must
// name a file with a digest of the list's one algorithm.
class ChecksumListingReader final {
public:
    ChecksumListingReader();

    // One line without its line end.
    void addLine(std::string_view line, long long number);
    // Why the list cannot be compared; empty while it can.
    const QString& error() const { return error_; }
    SavedListing finish();

private:
    SavedListing listing_;
    std::string folder_; // of the block being read
    bool anyEntry_ = false;
    QString error_;
};

// The line is one of a checksum list (so a list that starts with it is one).
bool IsChecksumLine(std::string_view line);

// One side of a comparison where either side is a checksum list, its paths spelt as the other
// side's will be: a checksum list names its files as they were given to the program that made
// it, relative or absolute. When neither side names an absolute path or one with "." or ".." in
// it, "./" at the start is left out ("./a" is "a"); else each relative path is taken from
// `list.pathsFrom` (the working folder where that is empty) and "." and ".." are resolved, so
// that "b" in a list made in "sub" meets "../sub/b" and an absolute path.
void AlignPathsForChecksums(SavedListing& list, const SavedListing& other);

// What a checksum list cannot name, for its comparison with another list: folders, and entries
// that carry no digest where the other list carries digests (links, devices and files that could
// not be read whole; a checksum list names none of them).
class ChecksumListReach final {
public:
    explicit ChecksumListReach(const SavedListing& checksumList);

    // Entry i of `other`, which the checksum list does not name, lies beyond what it can name: a
    // folder, an entry of unknown kind that holds files of the list, or a file without a digest
    // in a list that carries digests.
    bool beyond(const SavedListing& other, std::size_t i) const;

private:
    std::unordered_set<std::string> folders_; // every folder that holds a file of the list
};

// The note on a comparison where either list is a checksum list: what it can tell and what it
// cannot; empty where both are checksum lists of one algorithm.
QString ChecksumListNote(const SavedListing& earlier, const SavedListing& later);

// Files that both lists name while only one gives a digest, where both carry digests of one
// algorithm: whether their content changed stays open. The first few are named, the rest counted.
class DigestlessNotes final {
public:
    void add(bool earlierSide, const std::string& path);
    void appendTo(QStringList& notes) const;

private:
    QStringList named_;
    std::int64_t unnamed_ = 0;
};
