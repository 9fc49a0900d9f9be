#pragma once

// SIGINT and SIGTERM act like "Abbrechen": the handler only raises a flag, which the search
// tests between entries. The handler stays in place, so further such signals (timeout(1) sends
// one to the tool and one to its process group) are ignored while the tool writes what it has
// found; SIGKILL ends it at once. The handlers restart interrupted system calls, and the engine's
// threads block both signals, so a stop never turns into a read error. SIGPIPE is ignored: a
// closed reader shows up as EPIPE on write and ends the output quietly. Installed first thing in
// main, before anything else runs.
void InstallStopSignalHandlers();

// True once SIGINT or SIGTERM has arrived. Any thread may ask.
bool StopRequested();

// For its lifetime a stop signal interrupts a blocking system call (it returns EINTR) instead of
// letting it go on: for waits that only the stop should end, such as opening a FIFO that has no
// reader yet.
class InterruptibleByStop final {
public:
    InterruptibleByStop();
    ~InterruptibleByStop();
    InterruptibleByStop(const InterruptibleByStop&) = delete;
    InterruptibleByStop& operator=(const InterruptibleByStop&) = delete;
};
