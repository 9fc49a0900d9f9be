#pragma once

#include "ByteBuffer.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The entries of one listing as a set of paths, compact enough for lists of millions of lines:
// every folder text once, the names in one block, 24 bytes an entry. A path is its folder text
// followed by its name; a folder's own path ends in "/".
class PathSet final {
public:
    static constexpr std::int64_t unknownSize = -1;

    // The entries added next lie in this folder (a text ending in "/").
    void enterFolder(std::string_view folderText);
    // One entry of the current folder; `name` of a folder ends in "/".
    void add(std::string_view name, std::int64_t size);
    // One entry given by its full path, without folder.
    void addPath(std::string_view path, std::int64_t size);
    // Puts the entries in path order (bytes compared as unsigned) and keeps the first of equal
    // paths, so a folder listed once per mask counts once.
    void finish();

    std::size_t size() const { return entries_.size(); }
    std::string path(std::size_t i) const;
    std::int64_t entrySize(std::size_t i) const { return entries_[i].size; }
    bool isFolder(std::size_t i) const;

    // Orders entry i of this set against entry j of `other` by path: < 0, 0 or > 0.
    int compare(std::size_t i, const PathSet& other, std::size_t j) const;

private:
    struct Entry {
        std::uint64_t nameStart;
        std::uint32_t nameLength;
        std::uint32_t folder;
        std::int64_t size;
    };
    std::string_view folderOf(const Entry& entry) const { return folders_[entry.folder]; }
    std::string_view nameOf(const Entry& entry) const {
        return names_.view().substr(entry.nameStart, entry.nameLength);
    }
    int compareEntries(const Entry& a, const PathSet& other, const Entry& b) const;
    int pathOrder(const Entry& a, const Entry& b) const;
    void rankFolders();

    std::vector<std::string> folders_{std::string()};
    ByteBuffer names_; // grows in place, without copying the names already held
    std::vector<Entry> entries_;
    std::uint32_t currentFolder_ = 0;
    // Set by finish: the place of each folder text in byte order (equal texts share it), and for
    // each place the last place whose text starts with that text (its subfolders).
    std::vector<std::uint32_t> rank_;
    std::vector<std::uint32_t> lastBelow_;
};
