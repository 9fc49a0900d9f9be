#pragma once

#include "base/FileTime.h"
#include "records/EntryRecord.h"
#include "scope/ExclusionRule.h"
#include "scope/MaskMatcher.h"
#include "scope/SearchScope.h"
#include "walk/SharedSizeReads.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <utility>
#include <vector>

// Our directory search: reads one folder completely with getdents64 and then offers its entries
// in a fixed order: "." and ".." first (except in "/", which has neither), then the other
// entries sorted by their upper-case names, ties broken by the raw bytes. An entry is a directory
// exactly when it is one itself: symbolic links never count as directories and are never
// followed; links and special files (pipes, sockets, devices) are told apart from regular files
// by the folder read's entry type, or by the size read where there is one. The entries that the
// mask matches are marked, and, when asked, the size of each
// matching non-directory is read with fstatat relative to the folder, so no full path is built
// for a system call, and the same call gives the modification time, kept once times are asked
// for (beside the entries, for every matching entry but "." and ".."), and so are the targets of
// the matching links once asked for; given a worker pool, a large
// folder or one whose size reads are slow shares them with its workers. A long read asks its caller
// between pieces (getdents64 calls, size reads, sort blocks) whether to go on, so a cancel need not
// wait for a huge folder, and tells it how many matching files it has found so far.
class FolderSnapshot final {
public:
    // 32 bytes: a folder of a million entries holds little more than its names. The upper-case
    // key (UpperKey) is not kept: its first 16 bytes, which settle nearly every comparison of
    // the sort, are.
    struct Entry {
        std::uint64_t keyStart; // key bytes 0 to 7, big-endian, zero-filled
        std::uint64_t keyNext;  // key bytes 8 to 15
        std::int64_t size;      // matching non-directories, when sizes were asked for
        std::uint32_t nameOffset;
        std::uint16_t nameLength;
        bool directory : 1;
        bool matched : 1;
        bool link : 1;    // a symbolic link
        bool special : 1; // a pipe, socket or device
        // The entry could not be looked up when sizes (and times) were read: they are unknown.
        bool statFailed : 1;
        bool lookedUp : 1; // its size (and time) read, or tried
    };

    // What a read keeps beyond names, kinds and sizes.
    struct Details {
        bool times = false;   // the modification times, with the sizes
        bool targets = false; // the targets of matching links, with the sizes
    };

    // Asked between pieces of a long read with the number of matching files (entries that are
    // not directories) found so far; false stops the read.
    using KeepGoing = std::function<bool(std::size_t filesFound)>;

    FolderSnapshot() = default;
    FolderSnapshot(const FolderSnapshot&) = delete;
    FolderSnapshot& operator=(const FolderSnapshot&) = delete;

    // What a read takes from its folder and how it asks whether to go on.
    struct ReadOptions {
        const MaskMatcher& mask;
        // The size of each matching non-directory, and with it the details asked for (times of
        // subfolders included).
        bool sizes = false;
        Details details = {};
        // Asked after about `askEvery` entries of work (a size read counts as 16), and while
        // waiting for workers that read sizes; only the calling thread asks it. None: never.
        KeepGoing keepGoing = {};
        std::size_t askEvery = 1024;
        // Shares the size reads of a large or slow folder with its workers; none: all here.
        WorkerPool* pool = nullptr;
        // What the read leaves out: entries whose names `exclusion` matches are not taken at all
        // (no size read, never listed, never entered), and matching files outside the size and
        // time ranges of `files` match no more once their sizes and times are read (they are
        // read for that whatever `sizes` says).
        FolderExclusion exclusion = {};
        const SearchScope* files = nullptr;
    };

    // Reads the open folder `fd`, which stays open. Returns false with `error()` set when it
    // cannot be read (the snapshot is then empty), or with `stopped()` when `keepGoing` said stop:
    // the snapshot then keeps the entries read whole until then, in order, each with what was
    // asked of it (the names of a folder read in part, its files only once their sizes are read).
    bool readOpen(int fd, const ReadOptions& options);
    bool stopped() const { return stopped_; }

    int error() const { return error_; }
    // The first error of a size read other than a vanished name (EACCES in a folder without
    // search permission), 0 when every size was read.
    int sizeError() const { return sizeError_; }
    dev_t device() const { return device_; }
    ino_t inode() const { return inode_; }

    std::size_t count() const { return entries_.size(); }
    std::size_t matchedCount() const { return matched_; }
    // The matching entries that are not directories: the files the folder's lines count.
    std::size_t matchedFiles() const { return matchedFiles_; }
    // The memory the snapshot holds, in bytes.
    std::size_t memoryBytes() const;
    const Entry& entry(std::size_t i) const { return entries_[i]; }
    std::string_view name(const Entry& e) const {
        return std::string_view(names_).substr(e.nameOffset, e.nameLength);
    }
    // The modification time of entry i, when times were read; a vanished entry has time 0.
    FileTime modified(std::size_t i) const { return times_.empty() ? FileTime() : times_[i]; }
    // The target of link i, when targets were read and it could be read; nothing otherwise.
    std::optional<std::string_view> target(std::size_t i) const;
    // "." or "..": always directory entries, never descended into.
    static bool isDotEntry(std::string_view name) { return name == "." || name == ".."; }
    // The kind of entry `e` named `name`, as its record gives it.
    static EntryRecord::Kind kindOf(const Entry& e, std::string_view name);

private:
    void clear();
    bool readEntries(int fd, WorkerPool* pool);
    bool readEntries(int fd);
    void addEntry(std::string_view name, unsigned char type);
    bool sortEntries(std::size_t first);
    bool readSizes(int fd, WorkerPool* pool);
    bool readTargets(int fd);
    void keepFilesInRange();
    void keepReadSoFar(std::size_t firstSorted, bool sorted, bool sizes);
    bool entryBefore(const Entry& a, const Entry& b) const;
    SharedSizeReads::RunResult readSizeRange(int fd, std::size_t begin, std::size_t end,
                                             const std::atomic<bool>& stop);
    // Counts `work` done since the caller was last asked and asks it once askEvery_ is reached.
    bool keepGoing(std::size_t work);
    bool askNow();

    std::vector<Entry> entries_;
    std::vector<unsigned char> unknownType_; // parallel to entries_ while reading
    std::string names_;                      // every name NUL-terminated
    std::vector<FileTime> times_;            // parallel to entries_ when times were read
    // The targets of the links read, one after the other, each found by its entry's index.
    struct Target {
        std::size_t entry;
        std::size_t offset;
        std::size_t length;
    };
    std::vector<Target> targetIndex_;
    std::string targets_;
    Details details_;
    const FolderExclusion* exclusion_ = nullptr; // while reading
    const SearchScope* files_ = nullptr;         // while reading
    const MaskMatcher* mask_ = nullptr;          // while reading
    std::size_t matched_ = 0;
    std::size_t matchedFiles_ = 0; // of the entries whose kind is known yet
    int error_ = 0;
    int sizeError_ = 0;
    bool stopped_ = false;
    const KeepGoing* keepGoing_ = nullptr;
    std::size_t workSinceAsked_ = 0;
    std::size_t askEvery_ = 1024;
    dev_t device_ = 0;
    ino_t inode_ = 0;
};
