#pragma once

#include <cstddef>
#include <mutex>

// The descriptors the engine may hold at once, for the whole process: the soft limit of
// RLIMIT_NOFILE, less what the process held when the engine last held none, less a few left
// for the rest of the program. Every folder the engine opens is counted from before its open to
// its close, by whoever holds it: a scan, a read-ahead, or any other reader of folders.
//
// Two kinds of need: a scan cannot go on without its own opens (`take`), while reading ahead
// and keeping an ancestor folder open only save time (`tryTake`), and are granted only while
// room is left beyond what a scan's own opens need. So readers together never run the process
// out of descriptors, and a folder is never reported unreadable for want of one. Should the
// process run out all the same (descriptors opened elsewhere meanwhile), the opener gives back
// what it can do without and tries again (see `exhausted`).
class DescriptorBudget final {
public:
    // The one budget of the process.
    static DescriptorBudget& process();

    // Counts a descriptor that is needed, whatever the room.
    void take();
    // Counts a descriptor that saves time, when room is left for it; false otherwise.
    bool tryTake();
    // Whether a descriptor already counted may stay open beyond what is needed: the count is
    // still within the room for optional ones.
    bool mayKeep();
    // A counted descriptor was closed, or its open failed.
    void give();

    // The error of a failed open means that the process or the system is out of descriptors.
    static bool exhausted(int error);

    DescriptorBudget(const DescriptorBudget&) = delete;
    DescriptorBudget& operator=(const DescriptorBudget&) = delete;

private:
    DescriptorBudget() = default;
    void refreshRoom();

    std::mutex mutex_;
    std::size_t taken_ = 0;
    std::size_t optionalRoom_ = 0; // counted descriptors up to which tryTake grants one
};
