#pragma once

#include "RequestProfile.h"

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

// Answers requests to the share after a set delay, from one thread: a request that waits holds
// no thread, so any number of requests can be in flight at once, as on a network share. Every
// answer is entered in the profile.
class DelayedReplies final {
public:
    using Clock = RequestProfile::Clock;

    explicit DelayedReplies(RequestProfile& profile);
    // Sends what is still waiting and ends the thread.
    ~DelayedReplies();
    DelayedReplies(const DelayedReplies&) = delete;
    DelayedReplies& operator=(const DelayedReplies&) = delete;

    // Runs `reply` `delay` after `arrived`; at once, on the calling thread, when `delay` is zero.
    void send(RequestProfile::Kind kind, Clock::time_point arrived, Clock::duration delay,
              std::function<void()> reply);
    // Sends every waiting reply now.
    void flush();

private:
    struct Pending {
        Clock::time_point due;
        std::uint64_t order; // replies due at the same time go in the order they came
        RequestProfile::Kind kind;
        Clock::time_point arrived;
        std::function<void()> reply;
        // The heap's order: the reply due first at the top.
        bool operator<(const Pending& other) const {
            return due != other.due ? due > other.due : order > other.order;
        }
    };

    void run();
    void answer(Pending& pending, bool waited);

    RequestProfile& profile_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Pending> pending_; // a heap
    std::uint64_t nextOrder_ = 0;
    bool flushing_ = false;
    bool stop_ = false;
    std::thread thread_;
};
