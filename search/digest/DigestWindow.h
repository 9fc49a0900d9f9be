#pragma once

#include "digest/FileDigest.h"
#include "walk/FolderDescriptor.h"
#include "walk/WorkerPool.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

// Files read for their digests on a run's workers, several at a time, and their digests taken
// in the order the files were handed in, whatever the number of workers. Its owner bounds how
// many files it hands in before it takes the oldest; of those, up to `filesInFlight` are read at
// once, and each thread that reads holds one piece of a file in memory. A worker reads file
// after file, in the order handed in, up to a batch, so that small files cost no hand-off each;
// the owner, when it has to wait, reads small files itself instead. Files are handed in and
// taken on one thread, the owner's.
class DigestWindow final {
public:
    // The folder a file is named in, held open until its last file has been read; none: the
    // name is taken as it is, relative to the working folder.
    using Folder = std::shared_ptr<const FolderDescriptor>;

    DigestWindow(WorkerPool& pool, DigestAlgorithm algorithm, DigestLink link,
                 std::size_t filesInFlight);
    // Stops the reads and waits for those running.
    ~DigestWindow();
    DigestWindow(const DigestWindow&) = delete;
    DigestWindow& operator=(const DigestWindow&) = delete;

    DigestAlgorithm algorithm() const { return method_.algorithm(); }
    // `size`: the file's size as listed, where known; the owner reads a small file itself
    // rather than wait.
    void push(Folder folder, std::string name, std::int64_t size = unknownSize);
    static constexpr std::int64_t unknownSize = -1;
    // Files handed in and not taken yet, and the folders they are named in.
    std::size_t size() const { return size_; }
    std::size_t folders() const { return folders_; }
    // Waits up to `slice` until the oldest file has been read (or found unreadable). Meanwhile
    // the oldest file, when no worker took it, and small files waiting are read here, with
    // `goOn` asked between their pieces (see DigestFile). True once the oldest is ready; a zero
    // slice only looks.
    bool waitOldest(std::chrono::milliseconds slice, const std::function<bool()>& goOn = {});
    // The oldest file's digest, once it is ready.
    FileDigest takeOldest();
    // Ends the reads: running ones at their next piece, the others are dropped; every file not
    // read whole is taken as stopped. Returns once no worker reads any more.
    void stop();
    // Bytes read so far, of every file.
    std::int64_t bytesRead() const { return bytesRead_.load(std::memory_order_relaxed); }

private:
    struct Slot {
        Folder folder;
        std::string name;
        std::int64_t size = unknownSize;
        enum class State { Waiting, Taken, Done } state = State::Waiting;
        FileDigest digest;
    };

    void postReaders();
    void readWaiting();
    Slot& takeWaiting();
    void read(std::unique_lock<std::mutex>& lock, Slot& slot,
              const std::function<bool()>& goOn = {});
    bool ownerReadsNext(const Slot& oldest) const;

    DigestMethod method_;
    const DigestLink link_;
    const std::size_t filesInFlight_;
    std::atomic<bool> stop_{false};
    std::atomic<std::int64_t> bytesRead_{0};
    std::size_t size_ = 0;    // the owner's count of slots_
    std::size_t folders_ = 0; // runs of one folder among slots_

    std::mutex mutex_;
    std::condition_variable slotDone_;
    std::deque<Slot> slots_;         // oldest first; references stay valid while in the deque
    std::size_t firstWaiting_ = 0;   // slots before it were taken by a worker or the owner
    std::size_t readers_ = 0;        // tasks posted that read waiting files, queued or running
    std::size_t readingReaders_ = 0; // of those, the ones in the middle of a file
    bool ownerWaits_ = false;        // the owner waits for the oldest file
    bool stopped_ = false;

    // Last: withdrawn and waited for before the slots go.
    WorkerPool::Group group_;
};
