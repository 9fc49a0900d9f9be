#include "digest/DigestWindow.h"

#include <fcntl.h>
#include <utility>

DigestWindow::DigestWindow(WorkerPool& pool, DigestAlgorithm algorithm, DigestLink link,
                           std::size_t filesInFlight)
    : method_(algorithm), link_(link), filesInFlight_(filesInFlight == 0 ? 1 : filesInFlight),
      group_(pool) {}

DigestWindow::~DigestWindow() {
    stop();
}

void DigestWindow::push(Folder folder, std::string name) {
    const std::lock_guard lock(mutex_);
    if (slots_.empty() || slots_.back().folder != folder)
        ++folders_;
    slots_.push_back(Slot{std::move(folder), std::move(name), Slot::State::Waiting, FileDigest()});
    ++size_;
    postWaiting();
}

// Gives waiting files to the workers, oldest first, while fewer than filesInFlight_ are read.
// Called with the lock held; the pool never calls back into the window under its own lock.
void DigestWindow::postWaiting() {
    while (!stopped_ && inFlight_ < filesInFlight_ && firstWaiting_ < slots_.size()) {
        Slot& slot = slots_[firstWaiting_];
        const bool posted = group_.post(WorkerPool::Priority::Ahead, [this, &slot] { read(slot); });
        if (!posted)
            return; // no worker: the owner reads the file itself when it comes to it
        slot.state = Slot::State::Taken;
        ++firstWaiting_;
        ++inFlight_;
    }
}

void DigestWindow::read(Slot& slot) {
    const int folder = slot.folder ? slot.folder->get() : AT_FDCWD;
    FileDigest digest = DigestFile(method_, folder, slot.name.c_str(), link_, stop_, bytesRead_);
    const std::lock_guard lock(mutex_);
    slot.digest = std::move(digest);
    slot.state = Slot::State::Done;
    --inFlight_;
    postWaiting();
    slotDone_.notify_all();
}

bool DigestWindow::waitOldest(std::chrono::milliseconds slice, const std::function<bool()>& goOn) {
    std::unique_lock lock(mutex_);
    Slot& oldest = slots_.front();
    if (oldest.state == Slot::State::Waiting && !stopped_) {
        oldest.state = Slot::State::Taken;
        ++firstWaiting_;
        lock.unlock();
        const int folder = oldest.folder ? oldest.folder->get() : AT_FDCWD;
        FileDigest digest =
            DigestFile(method_, folder, oldest.name.c_str(), link_, stop_, bytesRead_, goOn);
        lock.lock();
        oldest.digest = std::move(digest);
        oldest.state = Slot::State::Done;
        return true;
    }
    return slotDone_.wait_for(lock, slice,
                              [&] { return oldest.state == Slot::State::Done || stopped_; });
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
    postWaiting();
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
    inFlight_ = 0;
    slotDone_.notify_all();
}
