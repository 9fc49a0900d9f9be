#pragma once

#include "scope/MaskMatcher.h"
#include "walk/FolderDescriptor.h"
#include "walk/FolderSnapshot.h"
#include "walk/WalkScope.h"
#include "walk/WorkerPool.h"

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <utility>
#include <vector>

// Reads folders on the run's workers ahead of the scan. For each folder it is about to descend
// from, the scan hands over the subfolders it will enter (as the walk's scope decides), in its
// order, as a level; workers open them relative to the folder's descriptor and read them. A
// folder read ahead hands its own subfolders on in turn, as the scan would enter them (the same
// scope, depth and loop test, decided once for both), so the reads reach down the whole tree
// wherever it is wide, not only beside the scan's path. Workers take the folder the scan will
// come to first: in the deepest level the folders after the one the scan is in, each followed by
// what it has handed on, then those of the level above. Each folder is one task of the pool,
// posted while there are folders to start and room for them, so the pool sees how much reading
// waits for a worker. The scan takes the results in its order and reads a subfolder itself when
// no worker has started on it. How far the workers run ahead is bounded by a number of folders,
// a memory budget and the process's descriptor budget (DescriptorBudget), so a tree of any size
// is read in bounded memory and within the descriptor limit. Workers only read: every line,
// warning and total stays with the scan, in its order.
class FolderReadAhead final {
public:
    using FolderId = std::pair<dev_t, ino_t>;

    // A level the scan holds as its deepest while it passes through the folder's subfolders;
    // ends the level when it goes. Empty when there is none.
    class Subfolders final {
    public:
        Subfolders() = default;
        explicit Subfolders(FolderReadAhead* readAhead) : readAhead_(readAhead) {}
        Subfolders(Subfolders&& other) noexcept : readAhead_(std::exchange(other.readAhead_, {})) {}
        Subfolders& operator=(Subfolders&& other) noexcept;
        Subfolders(const Subfolders&) = delete;
        Subfolders& operator=(const Subfolders&) = delete;
        ~Subfolders();
        explicit operator bool() const { return readAhead_ != nullptr; }

    private:
        FolderReadAhead* readAhead_ = nullptr;
    };

    // One subfolder as the scan takes it.
    struct Result {
        bool ready = false;      // a worker read it; otherwise the scan reads it itself
        bool stopped = false;    // the scan stopped waiting: the search was cancelled
        FolderDescriptor folder; // the subfolder, now the taker's; none when opening failed
        int openError = 0;
        bool read = false; // the snapshot holds the complete folder
        std::unique_ptr<FolderSnapshot> snapshot;
        // With `decided`, what becomes of each entry of the snapshot, as the worker found it
        // before handing the subfolders on; the scan goes by it.
        bool decided = false;
        std::vector<WalkScope::Verdict> descents;
        // The subfolders the folder has handed on, now the deepest level.
        Subfolders subfolders;
    };

    // `mask`, `scope` and `pool` must outlive this object. `details` are kept with the sizes.
    // Each read leaves out what `scope` says. `searchedLength` is the length of the searched
    // folder's path, ending in "/", which the paths below it extend.
    FolderReadAhead(const MaskMatcher& mask, const WalkScope& scope, bool withSizes,
                    FolderSnapshot::Details details, WorkerPool& pool, std::size_t searchedLength);
    // Stops the reads under way at their next test and waits for them.
    ~FolderReadAhead();
    FolderReadAhead(const FolderReadAhead&) = delete;
    FolderReadAhead& operator=(const FolderReadAhead&) = delete;

    // The subfolders of a folder that the walk enters by `descents` and that can be opened: those
    // whose path, below the folder's of `folderLength` bytes, fits the system's limit. In order.
    static std::vector<std::string>
    subfoldersToRead(const FolderSnapshot& snapshot,
                     const std::vector<WalkScope::Verdict>& descents, std::size_t folderLength);

    // Offers the subfolders `names` of the open folder `parent` (which keeps its own
    // descriptor; a duplicate is held here), whose path below the searched folder is
    // `relativeFolder` ("" or ending in "/"), `depth` levels below it, as the next level.
    // `chain` holds the folder and those above it. Empty when the descriptor budget grants no
    // duplicate or it could not be made: the scan then reads that level itself.
    Subfolders pushLevel(int parent, std::vector<std::string> names,
                         std::string_view relativeFolder, std::size_t depth,
                         const std::vector<FolderId>& chain);
    // Asked between short waits for a worker; `readingLong` once the folder has taken the
    // worker more than a few pieces of work, with the matching files its read has found so
    // far. False stops the wait.
    using KeepWaiting = std::function<bool(bool readingLong, std::size_t filesFound)>;
    // The next subfolder of the deepest level. While a worker reads it, `keepWaiting` is asked
    // between short waits; when it says stop, the result is `stopped`.
    Result takeNext(const KeepWaiting& keepWaiting);
    // Gives a snapshot back for reuse.
    void recycle(std::unique_ptr<FolderSnapshot> snapshot);
    // Closes the folders read ahead and not taken yet, when the process has run out of
    // descriptors; the scan then reads them itself.
    void giveBack();

private:
    struct Decision;
    struct Job;
    struct Level;
    using LevelPointer = std::shared_ptr<Level>;

    void popLevel();
    void postReads();
    void readNext();
    bool canStart() const;
    std::pair<LevelPointer, std::size_t> nextJob() const;
    static std::pair<LevelPointer, std::size_t> firstUnstarted(const LevelPointer& level);
    void readJob(const Level& level, Job& job, FolderDescriptor::Reservation reserved);
    void handOn(const Level& level, Job& job);
    static LevelPointer makeLevel(int parent, std::vector<std::string> names, std::string relative,
                                  std::size_t depth, std::vector<FolderId> chain);
    void offer(Level& level);
    void finishJob(Level& level, Job& job);
    void retire(Level& level);
    void dropJob(Job& job);
    void closeJob(Job& job);
    std::unique_ptr<FolderSnapshot> freeSnapshot();

    const MaskMatcher& mask_;
    const WalkScope& scope_;
    const bool withSizes_;
    const FolderSnapshot::Details details_;
    WorkerPool& pool_;
    const ScanTuning& tuning_;
    const std::size_t searchedLength_;
    std::mutex mutex_;
    std::condition_variable jobDone_;
    std::vector<LevelPointer> levels_; // the scan's, the deepest last
    std::vector<std::unique_ptr<FolderSnapshot>> free_;
    std::size_t posted_ = 0;     // tasks posted and not begun
    std::size_t startable_ = 0;  // folders offered and not started, in every level
    std::size_t ahead_ = 0;      // folders started or read and not yet taken
    std::size_t aheadBytes_ = 0; // their snapshots' memory
    bool budgetSpent_ = false;   // the descriptor budget refused the last folder to start
    std::atomic<bool> stop_{false};
    WorkerPool::Group tasks_;
};

// Gives a snapshot that a worker read back for reuse once its folder is done.
class ReadAheadSnapshot final {
public:
    ReadAheadSnapshot(FolderReadAhead* readAhead, std::unique_ptr<FolderSnapshot> snapshot)
        : readAhead_(readAhead), snapshot_(std::move(snapshot)) {}
    ~ReadAheadSnapshot();
    ReadAheadSnapshot(const ReadAheadSnapshot&) = delete;
    ReadAheadSnapshot& operator=(const ReadAheadSnapshot&) = delete;
    FolderSnapshot* get() const { return snapshot_.get(); }

private:
    FolderReadAhead* readAhead_;
    std::unique_ptr<FolderSnapshot> snapshot_;
};
