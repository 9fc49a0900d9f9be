#include "walk/WaitClock.h"

#include <sys/resource.h>

WaitClock::WaitClock() : started_(std::chrono::steady_clock::now()), startUsage_(usage()) {}

std::chrono::nanoseconds WaitClock::waited() const {
    const Usage now = usage();
    const auto time = std::chrono::steady_clock::now() - started_;
    const std::chrono::nanoseconds cpuTime = now.cpuTime - startUsage_.cpuTime;
    if (now.blockings == startUsage_.blockings || time <= cpuTime)
        return std::chrono::nanoseconds::zero();
    return time - cpuTime;
}

WaitClock::Usage WaitClock::usage() {
    rusage own{};
    Usage result;
    if (::getrusage(RUSAGE_THREAD, &own) != 0)
        return result;
    const auto microseconds = [](const timeval& t) {
        return std::chrono::seconds(t.tv_sec) + std::chrono::microseconds(t.tv_usec);
    };
    result.cpuTime = microseconds(own.ru_utime) + microseconds(own.ru_stime);
    result.blockings = own.ru_nvcsw;
    return result;
}
