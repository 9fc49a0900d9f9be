#pragma once

#include "FolderSnapshot.h"
#include "MaskMatcher.h"

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// Reads subfolders on worker threads ahead of the scan. For each folder it is about to descend
// from, the scan hands over the subfolders it will enter, in its order; idle workers open them
// relative to the folder's descriptor and read them, the deepest folder's subfolders first,
// since the scan needs those soonest. The scan takes the results in its order and reads a
// subfolder itself when no worker has started on it. How far the workers run ahead is bounded
// by a number of folders, a memory budget and the process's descriptor budget (DescriptorBudget),
// so a tree of any size is read in bounded memory and within the descriptor limit.
// Workers only read: every line, warning and total stays with the scan, in its order.
class FolderReadAhead final {
public:
    // One subfolder as the scan takes it.
    struct Result {
        bool ready = false;   // a worker read it; otherwise the scan reads it itself
        bool stopped = false; // the scan stopped waiting: the search was cancelled
        int fd = -1;          // the subfolder, owned by the taker; -1 when opening failed
        int openError = 0;
        bool read = false; // the snapshot holds the complete folder
        std::unique_ptr<FolderSnapshot> snapshot;
    };

    // `mask` must outlive this object.
    FolderReadAhead(const MaskMatcher& mask, bool withSizes);
    // Stops the workers at their next test and joins them.
    ~FolderReadAhead();
    FolderReadAhead(const FolderReadAhead&) = delete;
    FolderReadAhead& operator=(const FolderReadAhead&) = delete;

    // Offers the subfolders `names` of the open folder `parent` (which keeps its own
    // descriptor; a duplicate is held here) as the next level. False when no worker could be
    // started or the descriptor not duplicated: the scan then reads that level itself.
    bool pushLevel(int parent, std::vector<std::string> names);
    // Asked between short waits for a worker; `readingLong` once the folder has taken the
    // worker more than a few pieces of work, with the matching files its read has found so
    // far. False stops the wait.
    using KeepWaiting = std::function<bool(bool readingLong, std::size_t filesFound)>;
    // The next subfolder of the deepest level. While a worker reads it, `keepWaiting` is asked
    // between short waits; when it says stop, the result is `stopped`.
    Result takeNext(const KeepWaiting& keepWaiting);
    // Ends the deepest level; what was not taken is dropped.
    void popLevel();
    // Gives a snapshot back for reuse.
    void recycle(std::unique_ptr<FolderSnapshot> snapshot);
    // Closes the folders read ahead and not taken yet, when the process has run out of
    // descriptors; the scan then reads them itself.
    void giveBack();

private:
    struct Job;
    struct Level;

    void work();
    void stopWorkers();
    bool canStart() const;
    std::pair<std::shared_ptr<Level>, std::size_t> nextJob();
    void readJob(const Level& level, Job& job);
    void finishJob(Level& level, Job& job);
    void dropJob(Job& job);
    void closeJob(Job& job);
    std::unique_ptr<FolderSnapshot> freeSnapshot();

    const MaskMatcher& mask_;
    const bool withSizes_;
    std::mutex mutex_;
    std::condition_variable workAvailable_;
    std::condition_variable jobDone_;
    std::vector<std::shared_ptr<Level>> levels_;
    std::vector<std::unique_ptr<FolderSnapshot>> free_;
    std::size_t ahead_ = 0;      // folders started or read and not yet taken
    std::size_t aheadBytes_ = 0; // their snapshots' memory
    bool budgetSpent_ = false;   // a worker waits for the descriptor budget
    std::atomic<bool> stop_{false};
    std::vector<std::thread> workers_;
};
