#include "digest/DigestWindow.h"

#include <algorithm>
#include <fcntl.h>
#include <utility>

namespace {

// A worker reads up to this many files, or this many bytes, before it gives its thread back to
// the pool's other tasks and queues again.
constexpr std::size_t batchFiles = 64;
constexpr std::int64_t batchBytes = 16 * 1024 * 1024;
// Files up to this size are read by the owner while it waits: one piece, soon done, so that the
// owner's turn with the oldest file never waits long for it.
constexpr std::int64_t ownerReadsUpTo = 256 * 1024;

} // namespace

DigestWindow::DigestWindow(WorkerPool& pool, DigestAlgorithm algorithm, DigestLink link,
                           std::size_t filesInFlight)
    : method_(algorithm), link_(link), filesInFlight_(filesInFlight == 0 ? 1 : filesInFlight),
      group_(pool) {}

DigestWindow::~DigestWindow() {
    stop();
}

void DigestWindow::push(Folder folder, std::string name, std::int64_t size) {
    const std::lock_guard lock(mutex_);
    if (slots_.empty() || slots_.back().folder != folder)
        ++folders_;
    slots_.push_back(
        Slot{std::move(folder), std::move(name), size, Slot::State::Waiting, FileDigest()});
    ++size_;
    postReaders();
}

// Posts a reader for each waiting file that no free reader will take, while fewer than
// filesInFlight_ are posted. Called with the lock held; the pool never calls back into the window
// under its own lock.
void DigestWindow::postReaders() {
    while (!stopped_ && readers_ < filesInFlight_ &&
           firstWaiting_ + (readers_ - readingReaders_) < slots_.size()) {
        if (!group_.post(WorkerPool::Priority::Ahead, [this] { readWaiting(); }))
            return; // no worker: the owner reads the files itself when it comes to them
        ++readers_;
    }
}

// A worker's task: reads the waiting files in their order, up to a batch.
void DigestWindow::readWaiting() {
    std::unique_lock lock(mutex_);
    std::int64_t bytes = 0;
    for (std::size_t files = 0; files < batchFiles && bytes < batchBytes; ++files) {
        if (stopped_ || firstWaiting_ >= slots_.size())
            break;
        Slot& slot = takeWaiting();
        ++readingReaders_;
        postReaders(); // the files behind it may want another reader now
        read(lock, slot);
        --readingReaders_;
        bytes += std::max<std::int64_t>(slot.size, 0);
        if (ownerWaits_ && &slot == &slots_.front())
            slotDone_.notify_one();
    }
    --readers_;
    postReaders();
}

// The first waiting file, taken for a read.
DigestWindow::Slot& DigestWindow::takeWaiting() {
    Slot& slot = slots_[firstWaiting_];
    slot.state = Slot::State::Taken;
    ++firstWaiting_;
    return slot;
}

// Reads `slot`, the lock released meanwhile.
void DigestWindow::read(std::unique_lock<std::mutex>& lock, Slot& slot,
                        const std::function<bool()>& goOn) {
    lock.unlock();
    const int folder = slot.folder ? slot.folder->get() : AT_FDCWD;
    FileDigest digest =
        DigestFile(method_, folder, slot.name.c_str(), link_, stop_, bytesRead_, goOn);
    lock.lock();
    slot.digest = std::move(digest);
    slot.state = Slot::State::Done;
}

// Whether the owner reads the first waiting file itself while it waits for the oldest one: the
// oldest when no worker took it, else the next waiting one when it is small.
bool DigestWindow::ownerReadsNext(const Slot& oldest) const {
    if (stopped_ || firstWaiting_ >= slots_.size())
        return false;
    const Slot& next = slots_[firstWaiting_];
    return &next == &oldest || (next.size >= 0 && next.size <= ownerReadsUpTo);
}

bool DigestWindow::waitOldest(std::chrono::milliseconds slice, const std::function<bool()>& goOn) {
    std::unique_lock lock(mutex_);
    Slot& oldest = slots_.front();
    if (slice.count() <= 0) {
        // Only a look, unless no worker will take the oldest: a wait of none would still sleep
        // in the system.
        if (oldest.state == Slot::State::Waiting && readers_ == 0 && !stopped_)
            read(lock, takeWaiting(), goOn);
        return oldest.state == Slot::State::Done || stopped_;
    }
    while (oldest.state != Slot::State::Done && ownerReadsNext(oldest))
        read(lock, takeWaiting(), goOn);
    ownerWaits_ = true;
    const bool done = slotDone_.wait_for(
        lock, slice, [&] { return oldest.state == Slot::State::Done || stopped_; });
    ownerWaits_ = false;
    return done;
}

FileDigest DigestWindow::takeOldest() {
    const std::lock_guard lock(mutex_);
    Slot& oldest = slots_.front();
    FileDigest digest = oldest.state == Slot::State::Done ? std::move(oldest.digest) : FileDigest();
    const Folder folder = std::move(oldest.folder);
    slots_.pop_front();
    --size_;
    if (slots_.empty() || slots_.front().folder != folder)
        --folders_;
    if (firstWaiting_ > 0)
        --firstWaiting_;
    postReaders();
    return digest;
}

void DigestWindow::stop() {
    stop_.store(true, std::memory_order_relaxed);
    {
        const std::lock_guard lock(mutex_);
        stopped_ = true;
    }
    group_.withdraw();
    while (!group_.waitIdle(std::chrono::milliseconds(100))) {
    }
    const std::lock_guard lock(mutex_);
    readers_ = 0;
    readingReaders_ = 0;
    slotDone_.notify_all();
}
