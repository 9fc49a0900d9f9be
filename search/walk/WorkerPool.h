#pragma once

#include "walk/ScanTuning.h"

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

// The worker threads of one run, shared by the read-ahead of folders and the size reads of large
// or slow folders. Threads start as tasks come and wait for them until the run ends: up to
// `busyWorkers` while the run's reads keep the processor busy, up to `waitingWorkers` while they
// mostly wait for the storage (see WaitClock), so that a network share gets many requests in
// flight and a local disk no more threads than help it. The workers are shared fairly among the
// folders being read (see takeTask).
class WorkerPool final {
public:
    // Urgent: helps read a folder that is being read (its group is that folder's helpers).
    // Ahead: starts reading a folder of its own.
    enum class Priority { Urgent, Ahead };
    class Group;

    explicit WorkerPool(const ScanTuning& tuning = ScanTuning());
    // Every group must be gone; joins the workers.
    ~WorkerPool();
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

    const ScanTuning& tuning() const { return tuning_; }
    // Counts a folder read that waited `waited` for the storage (see WaitClock) towards the
    // judgement whether the run's reads mostly wait.
    void noteRead(std::chrono::nanoseconds waited);

private:
    struct Task {
        Group* group;
        std::function<void()> run;
    };

    bool post(Group& group, Priority priority, std::function<void()> run);
    void withdraw(Group& group);
    bool waitIdle(Group& group, std::chrono::milliseconds slice);
    void waitIdle(Group& group);
    void work();
    void startWorkersWhileNeeded();
    bool takeTask(Task& task);

    const ScanTuning tuning_;
    std::mutex mutex_;
    std::condition_variable taskPosted_;
    std::condition_variable taskEnded_;
    std::deque<Task> urgent_;
    std::deque<Task> ahead_;
    std::size_t idle_ = 0; // workers waiting for a task
    bool stop_ = false;
    std::vector<std::thread> workers_;
    // The recent reads that waited and those that did not; both halved once judged.
    std::size_t recentWaitingReads_ = 0;
    std::size_t recentQuickReads_ = 0;
    bool mostlyWaiting_ = false;
};

// Tasks posted together: withdrawn and waited for together, so their owner may go once its group
// is gone.
class WorkerPool::Group final {
public:
    explicit Group(WorkerPool& pool) : pool_(pool) {}
    // Withdraws the tasks not started yet and waits for the running ones.
    ~Group();
    Group(const Group&) = delete;
    Group& operator=(const Group&) = delete;

    // Queues `run`; false when no worker could be started or no memory was left for it, and the
    // caller does that work itself.
    bool post(Priority priority, std::function<void()> run) {
        return pool_.post(*this, priority, std::move(run));
    }
    // Drops the tasks not started yet.
    void withdraw() { pool_.withdraw(*this); }
    // Waits up to `slice` until no task of the group waits or runs; true when none does.
    bool waitIdle(std::chrono::milliseconds slice) { return pool_.waitIdle(*this, slice); }

private:
    friend class WorkerPool;
    WorkerPool& pool_;
    std::size_t queued_ = 0; // guarded by the pool's mutex
    std::size_t running_ = 0;
};
