#include "walk/WorkerPool.h"

#include "base/StopSignalMask.h"

#include <algorithm>
#include <iterator>
#include <utility>

WorkerPool::WorkerPool(const ScanTuning& tuning) : tuning_(tuning) {}

WorkerPool::~WorkerPool() {
    {
        const std::lock_guard lock(mutex_);
        stop_ = true;
    }
    taskPosted_.notify_all();
    for (std::thread& worker : workers_)
        worker.join();
}

bool WorkerPool::post(Group& group, Priority priority, std::function<void()> run) {
    std::unique_lock lock(mutex_);
    std::deque<Task>& queue = priority == Priority::Urgent ? urgent_ : ahead_;
    try {
        queue.push_back(Task{&group, std::move(run)});
    } catch (...) {
        return false; // no memory for it: the caller does the work
    }
    ++group.queued_;
    startWorkersWhileNeeded();
    if (workers_.empty()) {
        // No thread could be started: the caller does the work.
        Task dropped = std::move(queue.back());
        queue.pop_back();
        --group.queued_;
        lock.unlock();
        return false;
    }
    lock.unlock();
    taskPosted_.notify_one();
    return true;
}

// Starts a worker for each queued task that no idle worker will take, as far as the limit of the
// moment allows. Called with the lock held.
void WorkerPool::startWorkersWhileNeeded() {
    const std::size_t limit = mostlyWaiting_ ? std::max(tuning_.busyWorkers, tuning_.waitingWorkers)
                                             : tuning_.busyWorkers;
    while (urgent_.size() + ahead_.size() > idle_ && workers_.size() < limit) {
        // A stop signal lands on the thread that runs the search, never in a worker's read.
        const StopSignalMask workersTakeNoStops;
        try {
            workers_.emplace_back([this] { work(); });
        } catch (...) {
            return; // no thread, or no memory for one: those there take the tasks in turn
        }
        ++idle_; // counted from its start, so the next task starts no thread for it
    }
}

void WorkerPool::withdraw(Group& group) {
    std::vector<Task> dropped;
    {
        const std::lock_guard lock(mutex_);
        for (std::deque<Task>* queue : {&urgent_, &ahead_}) {
            const auto kept = std::stable_partition(
                queue->begin(), queue->end(), [&](const Task& t) { return t.group != &group; });
            std::move(kept, queue->end(), std::back_inserter(dropped));
            queue->erase(kept, queue->end());
        }
        group.queued_ -= dropped.size();
    }
    taskEnded_.notify_all();
    // The dropped tasks' captures are released here, outside the lock.
}

bool WorkerPool::waitIdle(Group& group, std::chrono::milliseconds slice) {
    std::unique_lock lock(mutex_);
    return taskEnded_.wait_for(lock, slice,
                               [&] { return group.queued_ == 0 && group.running_ == 0; });
}

void WorkerPool::waitIdle(Group& group) {
    std::unique_lock lock(mutex_);
    taskEnded_.wait(lock, [&] { return group.queued_ == 0 && group.running_ == 0; });
}

WorkerPool::Group::~Group() {
    withdraw();
    pool_.waitIdle(*this);
}

// Shares the workers fairly among the folders being read: the next task is the one for the
// folder with the fewest helpers. An urgent task's folder has as many as its group has tasks
// running; a task that starts a folder of its own has none. Among equals, urgent tasks go first,
// and each kind in the order posted.
bool WorkerPool::takeTask(Task& task) {
    std::deque<Task>* from = nullptr;
    std::deque<Task>::iterator taken;
    std::size_t fewest = 0;
    for (auto it = urgent_.begin(); it != urgent_.end() && (from == nullptr || fewest > 0); ++it) {
        if (from == nullptr || it->group->running_ < fewest) {
            from = &urgent_;
            taken = it;
            fewest = it->group->running_;
        }
    }
    if (!ahead_.empty() && (from == nullptr || fewest > 0)) {
        from = &ahead_;
        taken = ahead_.begin();
    }
    if (from == nullptr)
        return false;
    task = std::move(*taken);
    from->erase(taken);
    --task.group->queued_;
    ++task.group->running_;
    return true;
}

void WorkerPool::work() {
    std::unique_lock lock(mutex_);
    --idle_; // counted as idle from its start
    for (;;) {
        Task task;
        while (!takeTask(task)) {
            if (stop_)
                return;
            ++idle_;
            taskPosted_.wait(lock);
            --idle_;
        }
        lock.unlock();
        task.run();
        task.run = nullptr; // its captures go before the group learns that it ended
        lock.lock();
        --task.group->running_;
        taskEnded_.notify_all();
        startWorkersWhileNeeded();
    }
}

// Half of the judged reads decide: once as many of the recent reads waited, or did not, the
// judgement is made, and the counts start again at half, so that it follows the storage that the
// run has reached.
void WorkerPool::noteRead(std::chrono::nanoseconds waited) {
    const std::lock_guard lock(mutex_);
    std::size_t& count = waited >= tuning_.slowRead ? recentWaitingReads_ : recentQuickReads_;
    ++count;
    if (2 * count < tuning_.judgedReads)
        return;
    mostlyWaiting_ = &count == &recentWaitingReads_;
    recentWaitingReads_ /= 2;
    recentQuickReads_ /= 2;
    startWorkersWhileNeeded();
}
