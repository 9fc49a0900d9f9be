#include "walk/SharedSizeReads.h"

#include "walk/WaitClock.h"

#include <algorithm>
#include <chrono>
#include <optional>
#include <utility>

namespace {

const ScanTuning& tuningOf(const WorkerPool* pool) {
    static const ScanTuning defaults;
    return pool != nullptr ? pool->tuning() : defaults;
}

} // namespace

SharedSizeReads::SharedSizeReads(std::size_t entries, std::size_t matched, ReadRun readRun,
                                 WorkerPool* pool)
    : tuning_(tuningOf(pool)), entries_(entries), matched_(matched), readRun_(std::move(readRun)),
      pool_(pool) {}

SharedSizeReads::~SharedSizeReads() {
    stop_.store(true, std::memory_order_relaxed);
}

bool SharedSizeReads::claim(std::size_t length, std::size_t& begin, std::size_t& end) {
    begin = next_.fetch_add(length, std::memory_order_relaxed);
    if (begin >= entries_)
        return false;
    end = std::min(entries_, begin + length);
    return true;
}

// Reads one run and keeps its error when it comes first in the folder's order: runs never
// overlap, so the run that starts first holds the first error.
SharedSizeReads::RunResult SharedSizeReads::readRun(std::size_t begin, std::size_t end) {
    const RunResult result = readRun_(begin, end, stop_);
    if (result.error != 0) {
        const std::lock_guard lock(errorMutex_);
        if (begin < firstErrorAt_) {
            firstErrorAt_ = begin;
            firstError_ = result.error;
        }
    }
    return result;
}

// Hands runs of `runLength` entries to up to `helpers` workers besides the calling thread; done
// at most once, and only with a pool.
void SharedSizeReads::share(std::size_t runLength, std::size_t helpers) {
    workerRun_ = runLength;
    group_.emplace(*pool_);
    const std::size_t left = entries_ - std::min(entries_, next_.load(std::memory_order_relaxed));
    const std::size_t runsLeft = (left + runLength - 1) / runLength;
    for (std::size_t i = 0; i < std::min(helpers, runsLeft); ++i) {
        if (!group_->post(WorkerPool::Priority::Urgent, [this] { helpOut(); }))
            return;
    }
}

void SharedSizeReads::helpOut() {
    std::size_t begin = 0;
    std::size_t end = 0;
    while (!stop_.load(std::memory_order_relaxed) && claim(workerRun_, begin, end))
        readRun(begin, end);
}

// Runs of this thread: one entry at a time until the first reads tell whether they wait for the
// storage, then long runs, or, once shared, the workers' runs. Only reads that all waited make the
// folder slow: on a local disk the first read of a cold folder may wait, the next come from the
// block it brought in. A slow folder counts towards the pool's judgement like a folder read that
// waited, so that the pool may start the workers its reads need.
bool SharedSizeReads::readAll(const std::function<bool(std::size_t)>& afterRun,
                              const std::function<bool()>& whileWaiting) {
    if (pool_ != nullptr && matched_ >= tuning_.sharedSizeReadsFrom)
        share(tuning_.sizeRun, tuning_.sizeHelpers);
    std::size_t probed = 0;
    std::chrono::nanoseconds leastWaited = std::chrono::nanoseconds::max();
    std::size_t begin = 0;
    std::size_t end = 0;
    for (;;) {
        const bool shared = workerRun_ > 0;
        const bool probing = !shared && pool_ != nullptr && probed < tuning_.probedSizeReads;
        const std::size_t length = shared ? workerRun_ : probing ? 1 : tuning_.sizeRun;
        if (!claim(length, begin, end))
            break;
        // Only a probe is timed: the clock asks the system for the thread's times twice.
        std::optional<WaitClock> clock;
        if (probing)
            clock.emplace();
        const RunResult result = readRun(begin, end);
        if (probing && result.reads > 0) {
            leastWaited = std::min(leastWaited, clock->waited());
            if (++probed == tuning_.probedSizeReads && leastWaited >= tuning_.slowRead) {
                pool_->noteRead(leastWaited);
                share(1, tuning_.waitingWorkers);
            }
        }
        if (!afterRun(end - begin))
            return stopAndWait();
    }
    // Runs are left no more: tasks not started have nothing to do, running ones end their run.
    if (group_)
        group_->withdraw();
    while (group_ && !group_->waitIdle(tuning_.waitSlice)) {
        if (!whileWaiting())
            return stopAndWait();
    }
    return true;
}

// Each worker ends its run at the next entry.
bool SharedSizeReads::stopAndWait() {
    stop_.store(true, std::memory_order_relaxed);
    group_.reset();
    return false;
}
