#pragma once

#include <chrono>
#include <cstddef>

// Two worker threads a core, at least four: with a cold cache, part of each read is a wait for the
// disk, and more reads in flight keep it busy.
std::size_t DefaultBusyWorkers();

// Every number that sets how a run spreads its reads over worker threads and how far it reads
// ahead, in one place. One set serves a whole run.
struct ScanTuning {
    // Workers while the reads keep the processor busy, as on a local disk.
    std::size_t busyWorkers = DefaultBusyWorkers();
    // Workers while the reads mostly wait, as on a network share: each is one request in
    // flight, and a share serves many at once.
    std::size_t waitingWorkers = 64;
    // A read waits when it waits for the storage longer than `slowRead` (a local disk's cache
    // never makes it wait); the reads mostly wait when more of about the last `judgedReads` do
    // than do not.
    std::chrono::microseconds slowRead{250};
    std::size_t judgedReads = 16;

    // Folders read ahead and not taken yet (each holds a descriptor, and one more for the
    // subfolders it hands on), and their memory.
    std::size_t maxAhead = 128;
    std::size_t aheadBytes = 32 * 1024 * 1024;
    // Snapshots kept for reuse are few and small; a large folder's memory is given back.
    std::size_t reusableSnapshots = 32;
    std::size_t reusableSnapshotBytes = 64 * 1024;

    // The size reads of a folder are shared with the workers in runs of `sizeRun` entries, by
    // up to `sizeHelpers` of them, once it has `sharedSizeReadsFrom` matching entries...
    std::size_t sizeRun = 256;
    std::size_t sharedSizeReadsFrom = 8 * 1024;
    std::size_t sizeHelpers = 3;
    // ...and one entry at a time, by as many workers as may wait, when the first
    // `probedSizeReads` of the folder each waited longer than `slowRead`.
    std::size_t probedSizeReads = 2;

    // Files given to the workers at once to be read for their digests; the pool runs as many of
    // them as it has workers.
    std::size_t digestFilesInFlight = 32;

    // How long a thread that waits for workers waits between two turns of the message pump.
    std::chrono::milliseconds waitSlice{4};
};
