#pragma once

#include <chrono>

// How long the calling thread has waited for the storage since the clock was made: its time less
// the processor time it used, counted only when it gave up the processor by itself (blocked in a
// read). A thread that was only kept from running by others, as on a busy machine, did not
// wait, so a loaded processor does not pass for a slow disk.
class WaitClock final {
public:
    WaitClock();
    std::chrono::nanoseconds waited() const;

private:
    struct Usage {
        std::chrono::nanoseconds cpuTime{};
        long blockings = 0; // times the thread gave up the processor by itself
    };
    static Usage usage();

    std::chrono::steady_clock::time_point started_;
    Usage startUsage_;
};
