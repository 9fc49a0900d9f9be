#include "DelayedReplies.h"

#include <algorithm>
#include <utility>

DelayedReplies::DelayedReplies(RequestProfile& profile)
    : profile_(profile), thread_([this] { run(); }) {}

DelayedReplies::~DelayedReplies() {
    {
        const std::lock_guard lock(mutex_);
        stop_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

void DelayedReplies::send(RequestProfile::Kind kind, Clock::time_point arrived,
                          Clock::duration delay, std::function<void()> reply) {
    Pending pending{arrived + delay, 0, kind, arrived, std::move(reply)};
    if (delay <= Clock::duration::zero()) {
        answer(pending, false);
        return;
    }
    {
        const std::lock_guard lock(mutex_);
        pending.order = nextOrder_++;
        pending_.push_back(std::move(pending));
        std::push_heap(pending_.begin(), pending_.end());
    }
    changed_.notify_all();
}

void DelayedReplies::flush() {
    std::unique_lock lock(mutex_);
    flushing_ = true;
    changed_.notify_all();
    changed_.wait(lock, [this] { return pending_.empty(); });
    flushing_ = false;
}

void DelayedReplies::run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        if (pending_.empty()) {
            if (stop_)
                return;
            changed_.notify_all(); // a flush waits for the queue to run empty
            changed_.wait(lock);
            continue;
        }
        const Clock::time_point due = pending_.front().due;
        if (!flushing_ && !stop_ && Clock::now() < due) {
            changed_.wait_until(lock, due);
            continue;
        }
        std::pop_heap(pending_.begin(), pending_.end());
        Pending pending = std::move(pending_.back());
        pending_.pop_back();
        lock.unlock();
        answer(pending, true);
        lock.lock();
    }
}

void DelayedReplies::answer(Pending& pending, bool waited) {
    pending.reply();
    profile_.record(pending.kind, pending.arrived, Clock::now(), waited);
}
