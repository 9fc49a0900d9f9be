#include "StopSignals.h"

#include <csignal>

namespace {

volatile std::sig_atomic_t stopRequested = 0;

void setAction(int signalNumber, void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: a read or write in progress returns EINTR, and the loops retry it.
    action.sa_flags = 0;
    sigaction(signalNumber, &action, nullptr);
}

// Only async-signal-safe work here: a flag.
void onStopSignal(int) {
    stopRequested = 1;
}

} // namespace

void InstallStopSignalHandlers() {
    setAction(SIGPIPE, SIG_IGN);
    setAction(SIGINT, onStopSignal);
    setAction(SIGTERM, onStopSignal);
}

bool StopRequested() {
    return stopRequested != 0;
}
