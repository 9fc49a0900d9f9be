#include "walk/FolderReadAhead.h"

#include "walk/DescriptorBudget.h"

#include <algorithm>
#include <atomic>
#include <cerrno>

struct FolderReadAhead::Job {
    enum class State { Pending, Running, Done, Taken };
    std::string name;
    State state = State::Pending;
    bool ready = false; // Done with a result; false: the scan reads the folder itself
    FolderDescriptor folder;
    int openError = 0;
    bool read = false;
    std::unique_ptr<FolderSnapshot> snapshot;
    std::size_t bytes = 0;
    std::atomic<bool> long_{false};         // the worker has asked whether to go on many times
    std::atomic<std::size_t> filesFound{0}; // as the worker's read last reported
};

struct FolderReadAhead::Level {
    Level(FolderDescriptor descriptor, std::size_t count, std::string_view relativeFolder)
        : parent(std::move(descriptor)), relative(relativeFolder), jobs(count) {}
    Level(const Level&) = delete;
    Level& operator=(const Level&) = delete;

    const FolderDescriptor parent;
    const std::string relative; // the parent's path below the searched folder
    std::vector<Job> jobs;
    std::size_t nextTaken = 0;          // the job the scan takes next
    std::size_t nextStarted = 0;        // the first job nobody has started
    std::atomic<bool> abandoned{false}; // read by the worker reading one of its folders
};

FolderReadAhead::FolderReadAhead(const MaskMatcher& mask, const WalkScope& scope, bool withSizes,
                                 FolderSnapshot::Details details, WorkerPool& pool)
    : mask_(mask), scope_(scope), withSizes_(withSizes), details_(details), pool_(pool),
      tuning_(pool.tuning()), tasks_(pool) {}

FolderReadAhead::~FolderReadAhead() {
    stop_ = true;
    tasks_.withdraw();
    while (!tasks_.waitIdle(tuning_.waitSlice)) {
    }
    while (!levels_.empty())
        popLevel();
}

bool FolderReadAhead::pushLevel(int parent, std::vector<std::string> names,
                                std::string_view relativeFolder) {
    FolderDescriptor::Reservation reserved = FolderDescriptor::Reservation::tryMake();
    if (!reserved)
        return false;
    FolderDescriptor duplicate = FolderDescriptor::duplicate(std::move(reserved), parent);
    if (!duplicate.valid())
        return false;
    auto level = std::make_shared<Level>(std::move(duplicate), names.size(), relativeFolder);
    for (std::size_t i = 0; i < names.size(); ++i)
        level->jobs[i].name = std::move(names[i]);
    const std::lock_guard lock(mutex_);
    levels_.push_back(std::move(level));
    postReads();
    return true;
}

FolderReadAhead::Result FolderReadAhead::takeNext(const KeepWaiting& keepWaiting) {
    std::unique_lock lock(mutex_);
    Level& level = *levels_.back();
    Job& job = level.jobs[level.nextTaken];
    while (job.state == Job::State::Running) {
        jobDone_.wait_for(lock, tuning_.waitSlice);
        if (job.state != Job::State::Running)
            break;
        lock.unlock();
        const bool goOn = keepWaiting(job.long_, job.filesFound.load(std::memory_order_relaxed));
        lock.lock();
        if (!goOn) {
            Result stopped;
            stopped.stopped = true;
            return stopped;
        }
    }
    ++level.nextTaken;
    Result result;
    if (job.state == Job::State::Pending) {
        // Nobody has started on it: the scan is ahead of the workers and reads it itself.
        level.nextStarted = std::max(level.nextStarted, level.nextTaken);
        job.state = Job::State::Taken;
        return result;
    }
    job.state = Job::State::Taken;
    result.ready = job.ready;
    result.folder = std::move(job.folder);
    result.openError = job.openError;
    result.read = job.read;
    result.snapshot = std::move(job.snapshot);
    --ahead_;
    aheadBytes_ -= job.bytes;
    postReads();
    return result;
}

void FolderReadAhead::popLevel() {
    std::unique_lock lock(mutex_);
    const std::shared_ptr<Level> level = std::move(levels_.back());
    levels_.pop_back();
    level->abandoned = true;
    level->nextStarted = level->jobs.size();
    for (Job& job : level->jobs) {
        if (job.state == Job::State::Done)
            dropJob(job);
    }
    postReads();
}

// Closes what the workers have read and the scan has not taken yet; the scan reads those
// folders itself when it comes to them.
void FolderReadAhead::giveBack() {
    const std::lock_guard lock(mutex_);
    for (const std::shared_ptr<Level>& level : levels_) {
        for (Job& job : level->jobs) {
            if (job.state != Job::State::Done || !job.folder.valid())
                continue;
            closeJob(job);
            job.ready = false;
        }
    }
}

ReadAheadSnapshot::~ReadAheadSnapshot() {
    if (snapshot_)
        readAhead_->recycle(std::move(snapshot_));
}

void FolderReadAhead::recycle(std::unique_ptr<FolderSnapshot> snapshot) {
    if (!snapshot || snapshot->memoryBytes() > tuning_.reusableSnapshotBytes)
        return;
    const std::lock_guard lock(mutex_);
    if (free_.size() < tuning_.reusableSnapshots)
        free_.push_back(std::move(snapshot));
}

// Posts a task for each folder that may start now and has none yet; while the descriptor budget
// refuses them, one task that asks again, at each folder the scan takes. Called with the lock
// held.
void FolderReadAhead::postReads() {
    if (stop_)
        return;
    const std::size_t room = ahead_ < tuning_.maxAhead && aheadBytes_ < tuning_.aheadBytes
                                 ? tuning_.maxAhead - ahead_
                                 : 0;
    const std::size_t wanted = std::min({startable(), room, budgetSpent_ ? std::size_t{1} : room});
    while (posted_ < wanted && tasks_.post(WorkerPool::Priority::Ahead, [this] { readNext(); }))
        ++posted_;
}

// A worker's task: reads the folder the scan will need soonest, if one may start. Each folder
// read ahead holds a descriptor until the scan takes it, counted from before its open.
void FolderReadAhead::readNext() {
    std::unique_lock lock(mutex_);
    --posted_;
    if (stop_ || !canStart())
        return;
    FolderDescriptor::Reservation reserved = FolderDescriptor::Reservation::tryMake();
    budgetSpent_ = !reserved;
    if (budgetSpent_)
        return;
    auto [level, index] = nextJob();
    Job& job = level->jobs[index];
    job.state = Job::State::Running;
    ++ahead_;
    lock.unlock();
    readJob(*level, job, std::move(reserved));
    lock.lock();
    finishJob(*level, job);
    postReads();
}

bool FolderReadAhead::canStart() const {
    return ahead_ < tuning_.maxAhead && aheadBytes_ < tuning_.aheadBytes && startable() > 0;
}

// Folders offered and not started, in every level.
std::size_t FolderReadAhead::startable() const {
    std::size_t count = 0;
    for (const std::shared_ptr<Level>& level : levels_)
        count += level->jobs.size() - level->nextStarted;
    return count;
}

// The first unstarted folder of the deepest level that has one.
std::pair<std::shared_ptr<FolderReadAhead::Level>, std::size_t> FolderReadAhead::nextJob() {
    for (auto it = levels_.rbegin(); it != levels_.rend(); ++it) {
        Level& level = **it;
        if (level.nextStarted < level.jobs.size())
            return {*it, level.nextStarted++};
    }
    return {nullptr, 0};
}

// Runs without the lock: the job is this worker's until it is Done, and the level, held by the
// caller, keeps its descriptor open. The descriptor budget has counted the job's descriptor in
// `reserved`.
void FolderReadAhead::readJob(const Level& level, Job& job,
                              FolderDescriptor::Reservation reserved) {
    try {
        FolderDescriptor folder =
            FolderDescriptor::open(std::move(reserved), level.parent.get(), job.name.c_str(),
                                   FolderDescriptor::Link::NoFollow);
        // Out of descriptors is this process's limit, not the folder's fault: the scan opens it.
        if (!folder.valid() && DescriptorBudget::exhausted(errno))
            return;
        job.openError = folder.valid() ? 0 : errno;
        job.folder = std::move(folder);
        if (job.folder.valid()) {
            job.snapshot = freeSnapshot();
            // Asked after every 16 entries or size read; after 64 questions the read counts as
            // long.
            FolderSnapshot::ReadOptions options{
                .mask = mask_,
                .sizes = withSizes_,
                .details = details_,
                .keepGoing =
                    [this, &level, &job, asked = 0](std::size_t found) mutable {
                        job.filesFound.store(found, std::memory_order_relaxed);
                        if (++asked == 64)
                            job.long_ = true;
                        return !stop_ && !level.abandoned;
                    },
                .askEvery = 16,
                .pool = &pool_,
                .files = &scope_.files()};
            if (scope_.excludesByName())
                options.exclusion = scope_.exclusionFor(level.relative + job.name + '/');
            job.read = job.snapshot->readOpen(job.folder.get(), options);
            job.bytes = job.snapshot->memoryBytes();
        }
        job.ready = true;
    } catch (...) {
        // Out of memory here: the scan reads the folder itself and meets the error there.
        job.folder.reset();
        job.snapshot.reset();
        job.bytes = 0;
        job.ready = false;
    }
}

void FolderReadAhead::finishJob(Level& level, Job& job) {
    job.state = Job::State::Done;
    aheadBytes_ += job.bytes;
    if (level.abandoned)
        dropJob(job);
    jobDone_.notify_all();
}

// Closes and frees what a job read for a level that was given up.
void FolderReadAhead::dropJob(Job& job) {
    closeJob(job);
    job.state = Job::State::Taken;
    --ahead_;
}

// Closes a read job's descriptor and frees its snapshot.
void FolderReadAhead::closeJob(Job& job) {
    job.folder.reset();
    job.snapshot.reset();
    aheadBytes_ -= job.bytes;
    job.bytes = 0;
}

std::unique_ptr<FolderSnapshot> FolderReadAhead::freeSnapshot() {
    {
        const std::lock_guard lock(mutex_);
        if (!free_.empty()) {
            std::unique_ptr<FolderSnapshot> snapshot = std::move(free_.back());
            free_.pop_back();
            return snapshot;
        }
    }
    return std::make_unique<FolderSnapshot>();
}
