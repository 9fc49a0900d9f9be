#pragma once

#include "walk/WorkerPool.h"

#include <atomic>
#include <cstddef>
#include <functional>
#include <mutex>
#include <optional>

// The size reads of one folder, in runs that whichever thread asks next takes: the thread reading
// the folder and, when the folder is large or its reads are slow, workers of the pool. A large
// folder's runs are long and go to a few workers, so its reads use every core; when the reads
// wait (a network share), each entry is a run of its own and as many workers as may wait take
// them, so that as many requests are in flight.
class SharedSizeReads final {
public:
    struct RunResult {
        int error = 0;         // the first error of the run
        std::size_t reads = 0; // sizes actually read (entries that have one)
    };
    // Reads the sizes of the entries [begin, end); stops early once `stop` is set.
    using ReadRun =
        std::function<RunResult(std::size_t begin, std::size_t end, const std::atomic<bool>& stop)>;

    // `pool` may be null: the reading thread then reads every run.
    SharedSizeReads(std::size_t entries, std::size_t matched, ReadRun readRun, WorkerPool* pool);
    // Stops the workers' runs and waits for them.
    ~SharedSizeReads();
    SharedSizeReads(const SharedSizeReads&) = delete;
    SharedSizeReads& operator=(const SharedSizeReads&) = delete;

    // Reads every run. `afterRun(entries)` is asked after each run of the calling thread and
    // `whileWaiting()` between short waits for the workers' last runs; false from either stops
    // the reads, and readAll returns false once no worker reads any more.
    bool readAll(const std::function<bool(std::size_t)>& afterRun,
                 const std::function<bool()>& whileWaiting);
    // The first error in the folder's order, after readAll.
    int firstError() const { return firstError_; }

private:
    bool claim(std::size_t length, std::size_t& begin, std::size_t& end);
    RunResult readRun(std::size_t begin, std::size_t end);
    void share(std::size_t runLength, std::size_t helpers);
    void helpOut();
    bool stopAndWait();

    const ScanTuning& tuning_;
    const std::size_t entries_;
    const std::size_t matched_;
    const ReadRun readRun_;
    std::atomic<std::size_t> next_{0}; // the first entry no run has taken
    std::atomic<bool> stop_{false};
    // The workers' run length, set before the first worker's task is posted; 0 until the reads
    // are shared.
    std::size_t workerRun_ = 0;
    std::mutex errorMutex_;
    std::size_t firstErrorAt_ = static_cast<std::size_t>(-1);
    int firstError_ = 0;
    WorkerPool* const pool_;
    // Last, so it is gone, with every worker's run ended, before the rest.
    std::optional<WorkerPool::Group> group_;
};
