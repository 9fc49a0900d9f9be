#pragma once

#include <chrono>
#include <cstdio>
#include <mutex>
#include <vector>

// When each request to the share arrived and when it was answered, to tell how many requests were
// in flight while a command ran: on a share, the time is the round trips divided by that number.
class RequestProfile final {
public:
    using Clock = std::chrono::steady_clock;
    enum class Kind { Lookup, Getattr, Opendir, Readdir, Other };

    RequestProfile() = default;
    RequestProfile(const RequestProfile&) = delete;
    RequestProfile& operator=(const RequestProfile&) = delete;

    // `waited`: the answer was held back for the share's delay, so the request was a round trip.
    void record(Kind kind, Clock::time_point arrived, Clock::time_point answered, bool waited);
    // "name value" lines: the command's time, the requests by kind, the round trips in flight on
    // average and at most, and their average in each twentieth of the command's time.
    void write(std::FILE* out, Clock::time_point commandStart, Clock::time_point commandEnd) const;

private:
    struct Request {
        Kind kind;
        bool waited;
        Clock::time_point arrived;
        Clock::time_point answered;
    };

    mutable std::mutex mutex_;
    std::vector<Request> requests_;
};
