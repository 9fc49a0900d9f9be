#pragma once

#include "base/FileTime.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <QString>

// What a search leaves out beyond its masks, and which files it keeps. Exclusion masks leave
// files and folders out altogether (an excluded folder is never opened); a folder on another
// file system or deeper than MaxDepth levels below its searched folder is listed but not
// entered; files outside the size and time ranges are not listed, folders are listed whatever
// their size and time. Nothing set: the search is the same as without a scope.
struct SearchScope {
    // Exclusion masks separated by ";" as given (several --exclude joined by ";"): a mask
    // without "/" matches a name anywhere, one with "/" a path below the searched folder.
    QString Exclusions;
    // Subfolders on another file system than their searched folder are not entered.
    bool OneFileSystem = false;
    // Levels of subfolders entered below a searched folder: 0 enters none, as without
    // subfolders.
    std::optional<std::int64_t> MaxDepth;
    std::optional<std::int64_t> MinSize; // bytes: files of this size and larger are kept
    std::optional<std::int64_t> MaxSize; // bytes: files of this size and smaller are kept
    std::optional<FileTime> NewerThan;   // files modified after this time are kept
    std::optional<FileTime> OlderThan;   // files modified at this time or before are kept

    // Something is set: the listings say so.
    bool any() const { return hasExclusions() || OneFileSystem || MaxDepth || filtersFiles(); }
    bool hasExclusions() const { return !Exclusions.isEmpty(); }
    bool filtersBySize() const { return MinSize || MaxSize; }
    bool filtersByTime() const { return NewerThan || OlderThan; }
    bool filtersFiles() const { return filtersBySize() || filtersByTime(); }
    // A file of this size and modification time lies within the ranges.
    bool keepsFile(std::int64_t size, FileTime modified) const;
    // Whether the subfolders of a folder `depth` levels below a searched folder may be entered.
    bool entersBelow(std::size_t depth) const;

    friend bool operator==(const SearchScope&, const SearchScope&) = default;
};
