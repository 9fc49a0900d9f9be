#include "StopSignals.h"

#include <atomic>
#include <csignal>

namespace {

// Written by the handler, read by the search on any thread: a lock-free atomic is both safe in a
// handler and free of data races.
std::atomic<bool> stopRequested{false};
static_assert(std::atomic<bool>::is_always_lock_free);

void setAction(int signalNumber, void (*handler)(int), int flags) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = flags;
    sigaction(signalNumber, &action, nullptr);
}

// Only async-signal-safe work here: a flag.
void onStopSignal(int) {
    stopRequested.store(true, std::memory_order_relaxed);
}

void setStopActions(int flags) {
    setAction(SIGINT, onStopSignal, flags);
    setAction(SIGTERM, onStopSignal, flags);
}

} // namespace

void InstallStopSignalHandlers() {
    setAction(SIGPIPE, SIG_IGN, 0);
    setStopActions(SA_RESTART);
}

bool StopRequested() {
    return stopRequested.load(std::memory_order_relaxed);
}

InterruptibleByStop::InterruptibleByStop() {
    setStopActions(0);
}

InterruptibleByStop::~InterruptibleByStop() {
    setStopActions(SA_RESTART);
}
