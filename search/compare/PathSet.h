#pragma once

#include "base/ByteBuffer.h"
#include "base/FileTime.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// What a list says an entry is: an extended listing knows files from folders, a simple one
// knows folders only where it lists what they hold. Links and special files are files in a text
// listing; an inventory in JSON Lines and a search tell them apart.
enum class EntryKind : std::uint8_t { File, Folder, Unknown, Link, Special };

// Files, links and special files: what a text listing lists as a file.
inline bool IsFileLike(EntryKind kind) {
    return kind == EntryKind::File || kind == EntryKind::Link || kind == EntryKind::Special;
}

// What a list says about one entry.
struct EntryFacts {
    static constexpr std::int64_t unknownSize = -1;

    EntryKind kind = EntryKind::Unknown;
    std::int64_t size = unknownSize; // bytes; known for the files of an extended listing
    // The name as the list shows it stands for this one name only: it holds no "?" or U+FFFD
    // (which stand for control characters and invalid bytes) and lost no trailing blanks.
    bool exactName = false;
    // The modification time, where the list gives one.
    bool timeKnown = false;
    FileTime modified = {};
    // The line of a saved list that names the entry; 0 where there is none.
    long long line = 0;
    // The file's digest in hexadecimal, where the list gives one (SavedListing::digest).
    std::string_view digest = {};
};

// The entries of one listing as a set of paths, compact enough for lists of millions of lines:
// every folder text once, the names in one block, 48 bytes an entry. A path is its folder text
// (ending in "/") followed by its name; the set is ordered by path, bytes compared as unsigned but
// "/" before every other byte, so that what a folder holds follows the folder's own entry
// ("t/b", "t/b/x", "t/b.txt").
// Entries arrive in blocks, one per listing of a folder (a search lists a folder once per mask).
class PathSet final {
public:
    static constexpr std::int64_t unknownSize = EntryFacts::unknownSize;

    // The folder texts and names are the exact bytes of the file system (an inventory for
    // programs, or a search's own records) rather than shown text; path() then shows them.
    void setExactBytes() { exactBytes_ = true; }
    // The same entries as a listing shows them: names and folders by the listing's display rule,
    // without trailing blanks, exact only where the shown name can stand for no other. Entries
    // that now show alike are marked so.
    PathSet shownForm() const;
    // The same entries with each folder text replaced by `key(text)`, merged and marked again
    // where texts become equal.
    PathSet withFolderTexts(const std::function<std::string(std::string_view)>& key) const;

    // The entries added next are one listing of the folder `folderText`, which ends in "/".
    void startBlock(std::string_view folderText);
    // One entry of the current block; `name` without a trailing "/", also for a folder.
    void add(std::string_view name, const EntryFacts& facts);
    // Puts the entries in path order and merges entries of equal paths: those of different
    // blocks are one entry listed again (the first listing counts), those of one block are
    // different entries that the list shows alike, unless both names are exact. An entry shown
    // alike, or listed as a file once and as a folder once (then of unknown kind), is ambiguous,
    // and so is every entry below it: its path may lie in either folder. An entry listed again
    // with another size, time or digest (it changed between two listings, or the list was
    // edited) is ambiguous too: the list does not say which is right.
    void finish();
    // Before finish: an entry of unknown kind whose path the list shows as a folder with entries
    // of its own (a simple listing's "<path>/." or "<path>/<name>") is a folder.
    void knowFoldersByTheirEntries();
    // The same entries with `start` taken off each folder text that begins with it (a searched
    // folder, so that paths compare below it).
    PathSet below(std::string_view start) const;

    std::size_t size() const { return entries_.size(); }
    // The path as a comparison shows it: a folder's ends in "/"; exact bytes are shown by the
    // listing's display rule.
    std::string path(std::size_t i) const;
    // The path as the list holds it: the exact bytes where it holds them, without a "/" at the
    // end.
    std::string heldPath(std::size_t i) const;
    bool exactBytes() const { return exactBytes_; }
    std::string_view folderText(std::size_t i) const { return folderOf(entries_[i]); }
    std::string_view name(std::size_t i) const { return nameOf(entries_[i]); }
    EntryKind kind(std::size_t i) const { return entries_[i].kind; }
    std::int64_t entrySize(std::size_t i) const { return entries_[i].size; }
    bool timeKnown(std::size_t i) const { return entries_[i].timeKnown; }
    FileTime modified(std::size_t i) const {
        return {entries_[i].seconds, entries_[i].nanoseconds};
    }
    // The entry may stand for several entries: shown alike, or below entries shown alike, or
    // listed again with other facts.
    bool ambiguous(std::size_t i) const {
        return entries_[i].shownAlike || entries_[i].belowShownAlike ||
               entries_[i].listedDifferently;
    }
    bool shownAlike(std::size_t i) const { return entries_[i].shownAlike; }
    // The entry is listed again with another size, time or digest.
    bool listedDifferently(std::size_t i) const { return entries_[i].listedDifferently; }
    // The file's digest in hexadecimal; empty where the list gives none.
    std::string_view digest(std::size_t i) const {
        const Entry& entry = entries_[i];
        return entry.hasDigest ? names_.view().substr(entry.nameStart + entry.nameLength,
                                                      entry.digestLength * std::size_t{2})
                               : std::string_view();
    }
    // For such an entry: the lines of the two listings that differ (0 where unknown).
    std::pair<long long, long long> differingLines(std::size_t i) const;
    // The first block that lists the entry.
    std::uint32_t block(std::size_t i) const { return entries_[i].block; }

    // The folder texts, each once for a run of blocks of the same folder; entry i lies in
    // folder folderIndex(i).
    std::size_t folderCount() const { return folders_.size(); }
    std::string_view folderTextAt(std::size_t folder) const { return folders_[folder]; }
    std::uint32_t folderIndex(std::size_t i) const { return entries_[i].folder; }
    // The blocks in the order listed, each by its folder.
    std::size_t blockCount() const { return blockFolders_.size(); }
    std::string_view blockFolderText(std::size_t block) const {
        return folders_[blockFolders_[block]];
    }

    // Orders entry i of this set against entry j of `other` by path: < 0, 0 or > 0.
    int compare(std::size_t i, const PathSet& other, std::size_t j) const;

private:
    struct Entry {
        std::uint64_t nameStart;
        std::int64_t size;
        std::int64_t seconds;
        std::uint32_t nameLength;
        std::uint32_t folder;
        std::uint32_t block;
        std::int32_t nanoseconds;
        std::uint32_t line; // saturated
        EntryKind kind : 3;
        bool exactName : 1;
        bool timeKnown : 1;
        bool shownAlike : 1 = false;
        bool belowShownAlike : 1 = false;
        bool listedDifferently : 1 = false;
        bool hasDigest : 1 = false;    // its hexadecimal digest follows the name in names_
        std::uint8_t digestLength = 0; // in bytes, half the hexadecimal digits
    };
    static_assert(sizeof(Entry) == 48, "the size an entry of the set is said to have above");
    struct DifferentListing {
        std::uint32_t firstLine;
        std::uint32_t otherLine;
    };
    std::string_view folderOf(const Entry& entry) const { return folders_[entry.folder]; }
    std::string_view nameOf(const Entry& entry) const {
        return names_.view().substr(entry.nameStart, entry.nameLength);
    }
    int compareEntries(const Entry& a, const PathSet& other, const Entry& b) const;
    template <typename FolderText, typename Name>
    PathSet rebuilt(FolderText&& folderText, Name&& name) const;
    bool factsDiffer(const Entry& a, const Entry& b) const;
    int pathOrder(const Entry& a, const Entry& b) const;
    void rankFolders();
    void mergeEqualPaths();
    void markBelowShownAlike();

    bool exactBytes_ = false;
    std::vector<std::string> folders_;
    std::vector<std::uint32_t> blockFolders_;
    ByteBuffer names_; // grows in place, without copying the names already held
    std::vector<Entry> entries_;
    std::vector<DifferentListing> differentListings_; // in line order, made by finish
    // Set by finish: the place of each folder text in byte order (equal texts share it), and for
    // each place the last place whose text starts with that text (its subfolders).
    std::vector<std::uint32_t> rank_;
    std::vector<std::uint32_t> lastBelow_;
};
