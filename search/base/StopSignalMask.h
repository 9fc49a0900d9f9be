#pragma once

#include <csignal>

// Blocks SIGINT and SIGTERM in the calling thread for its lifetime. A thread inherits the
// signal mask of the thread that starts it, so the engine starts its workers inside one: a stop
// signal then always lands on the main thread, whose handler only raises a flag, and never
// interrupts a worker's read of a folder.
class StopSignalMask final {
public:
    StopSignalMask();
    ~StopSignalMask();
    StopSignalMask(const StopSignalMask&) = delete;
    StopSignalMask& operator=(const StopSignalMask&) = delete;

private:
    sigset_t previous_;
};
