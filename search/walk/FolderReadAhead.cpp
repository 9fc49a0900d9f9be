#include "walk/FolderReadAhead.h"

#include "walk/DescriptorBudget.h"

#include <algorithm>
#include <atomic>
#include <cerrno>

namespace {

// Folders this many levels below the searched folder hand nothing on, as the scan holds no
// deeper folder open: each level keeps the identities of the folders above it for the loop test,
// and their number stays bounded in a tree of any depth.
constexpr std::size_t handOnLevels = 48;

bool onChain(const std::vector<FolderReadAhead::FolderId>& chain,
             const FolderReadAhead::FolderId& folder) {
    return std::find(chain.begin(), chain.end(), folder) != chain.end();
}

} // namespace

// What the worker that read a folder decided for its subfolders: what becomes of each entry, and
// the level it hands on (none when there is nothing to hand on or no descriptor for it).
struct FolderReadAhead::Decision {
    std::vector<WalkScope::Verdict> descents;
    LevelPointer subfolders;
};

// One folder of a level; a level may have very many, so a job is small until it is read.
struct FolderReadAhead::Job {
    enum class State { Pending, Running, Done, Taken };
    std::string name;
    std::unique_ptr<FolderSnapshot> snapshot;
    std::unique_ptr<Decision> decision;
    std::size_t bytes = 0;
    std::atomic<std::size_t> filesFound{0}; // as the worker's read last reported
    State state = State::Pending;
    FolderDescriptor folder;
    int openError = 0;
    bool ready = false; // Done with a result; false: the scan reads the folder itself
    bool read = false;
    std::atomic<bool> long_{false}; // the worker has asked whether to go on many times
};

// The subfolders of one folder. A level that a worker made offers nothing until its folder's
// job is done (nextStarted starts at the end).
struct FolderReadAhead::Level {
    Level(FolderDescriptor descriptor, std::vector<std::string> names, std::string relativeFolder,
          std::size_t levelDepth, std::vector<FolderId> folders)
        : parent(std::move(descriptor)), relative(std::move(relativeFolder)), depth(levelDepth),
          chain(std::move(folders)), jobs(names.size()), nextStarted(names.size()) {
        for (std::size_t i = 0; i < names.size(); ++i)
            jobs[i].name = std::move(names[i]);
    }
    Level(const Level&) = delete;
    Level& operator=(const Level&) = delete;
    std::size_t memoryBytes() const;

    const FolderDescriptor parent;
    const std::string relative;        // the parent's path below the searched folder
    const std::size_t depth;           // the parent's levels below the searched folder
    const std::vector<FolderId> chain; // the parent and the folders above it
    std::vector<Job> jobs;
    std::size_t nextTaken = 0;          // the job the scan takes next
    std::size_t nextStarted;            // the first job nobody has started
    std::atomic<bool> abandoned{false}; // read by the worker reading one of its folders
};

std::size_t FolderReadAhead::Level::memoryBytes() const {
    std::size_t bytes = sizeof(Level) + jobs.capacity() * sizeof(Job) +
                        chain.capacity() * sizeof(FolderId) + relative.capacity();
    for (const Job& job : jobs)
        bytes += job.name.capacity();
    return bytes;
}

FolderReadAhead::FolderReadAhead(const MaskMatcher& mask, const WalkScope& scope, bool withSizes,
                                 FolderSnapshot::Details details, WorkerPool& pool,
                                 std::size_t searchedLength)
    : mask_(mask), scope_(scope), withSizes_(withSizes), details_(details), pool_(pool),
      tuning_(pool.tuning()), searchedLength_(searchedLength), tasks_(pool) {}

FolderReadAhead::~FolderReadAhead() {
    stop_ = true;
    tasks_.withdraw();
    while (!tasks_.waitIdle(tuning_.waitSlice)) {
    }
    while (!levels_.empty())
        popLevel();
}

std::vector<std::string>
FolderReadAhead::subfoldersToRead(const FolderSnapshot& snapshot,
                                  const std::vector<WalkScope::Verdict>& descents,
                                  std::size_t folderLength) {
    std::vector<std::string> names;
    for (std::size_t i = 0; i < snapshot.count(); ++i) {
        const std::string_view name = snapshot.name(snapshot.entry(i));
        if (descents[i].descent == WalkScope::Descent::Enter &&
            WalkScope::fitsPathLimit(folderLength, name))
            names.emplace_back(name);
    }
    return names;
}

FolderReadAhead::Subfolders FolderReadAhead::pushLevel(int parent, std::vector<std::string> names,
                                                       std::string_view relativeFolder,
                                                       std::size_t depth,
                                                       const std::vector<FolderId>& chain) {
    LevelPointer level = makeLevel(parent, std::move(names), std::string(relativeFolder), depth,
                                   std::vector<FolderId>(chain));
    if (!level)
        return {};
    const std::lock_guard lock(mutex_);
    offer(*level);
    levels_.push_back(std::move(level));
    postReads();
    return Subfolders(this);
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
    // Room for the level the folder hands on, before anything changes.
    levels_.reserve(levels_.size() + 1);
    ++level.nextTaken;
    Result result;
    if (job.state == Job::State::Pending) {
        // Nobody has started on it: the scan is ahead of the workers and reads it itself.
        ++level.nextStarted;
        --startable_;
        job.state = Job::State::Taken;
        return result;
    }
    job.state = Job::State::Taken;
    result.ready = job.ready;
    result.folder = std::move(job.folder);
    result.openError = job.openError;
    result.read = job.read;
    result.snapshot = std::move(job.snapshot);
    if (job.decision) {
        result.decided = true;
        result.descents = std::move(job.decision->descents);
        if (job.decision->subfolders) {
            levels_.push_back(std::move(job.decision->subfolders));
            result.subfolders = Subfolders(this);
        }
        job.decision.reset();
    }
    --ahead_;
    aheadBytes_ -= job.bytes;
    postReads();
    return result;
}

void FolderReadAhead::popLevel() {
    const std::lock_guard lock(mutex_);
    const LevelPointer level = std::move(levels_.back());
    levels_.pop_back();
    retire(*level);
    postReads();
}

FolderReadAhead::Subfolders& FolderReadAhead::Subfolders::operator=(Subfolders&& other) noexcept {
    if (this != &other) {
        if (readAhead_ != nullptr)
            readAhead_->popLevel();
        readAhead_ = std::exchange(other.readAhead_, nullptr);
    }
    return *this;
}

FolderReadAhead::Subfolders::~Subfolders() {
    if (readAhead_ != nullptr)
        readAhead_->popLevel();
}

// Closes what the workers have read and the scan has not taken yet; the scan reads those
// folders itself when it comes to them.
void FolderReadAhead::giveBack() {
    const std::lock_guard lock(mutex_);
    for (const LevelPointer& level : levels_) {
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
    const std::size_t wanted = std::min({startable_, room, budgetSpent_ ? std::size_t{1} : room});
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
    const auto [level, index] = nextJob();
    if (!level)
        return;
    ++level->nextStarted;
    --startable_;
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
    return ahead_ < tuning_.maxAhead && aheadBytes_ < tuning_.aheadBytes && startable_ > 0;
}

// The unstarted folder the scan comes to first, from the deepest level up.
std::pair<FolderReadAhead::LevelPointer, std::size_t> FolderReadAhead::nextJob() const {
    for (auto it = levels_.rbegin(); it != levels_.rend(); ++it) {
        auto found = firstUnstarted(*it);
        if (found.first)
            return found;
    }
    return {nullptr, 0};
}

// In the scan's order: the folders after the one the scan is in, each followed by the subfolders
// it has handed on. Jobs start in their level's order, so those before nextStarted have begun; a
// running job's fields are its worker's.
std::pair<FolderReadAhead::LevelPointer, std::size_t>
FolderReadAhead::firstUnstarted(const LevelPointer& level) {
    for (std::size_t i = level->nextTaken; i < level->nextStarted; ++i) {
        const Job& job = level->jobs[i];
        if (job.state != Job::State::Done || !job.decision || !job.decision->subfolders)
            continue;
        auto found = firstUnstarted(job.decision->subfolders);
        if (found.first)
            return found;
    }
    if (level->nextStarted < level->jobs.size())
        return {level, level->nextStarted};
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
            if (job.read)
                handOn(level, job);
        }
        job.ready = true;
    } catch (...) {
        // Out of memory here: the scan reads the folder itself and meets the error there.
        job.folder.reset();
        job.snapshot.reset();
        job.decision.reset();
        job.bytes = 0;
        job.ready = false;
    }
}

// Decides, as the scan will, which subfolders of the folder just read are entered, and makes
// them the level the folder hands on, with a descriptor of its own. A folder already on the way
// down to it (a bind mount looping back) is not entered; the scan tells so when it comes there.
void FolderReadAhead::handOn(const Level& level, Job& job) {
    const FolderSnapshot& snapshot = *job.snapshot;
    const FolderId folder{snapshot.device(), snapshot.inode()};
    const std::size_t depth = level.depth + 1;
    if (depth >= handOnLevels || onChain(level.chain, folder))
        return;
    job.decision = std::make_unique<Decision>();
    Decision& decision = *job.decision;
    scope_.decide(snapshot, depth, job.folder.get(), decision.descents);
    job.bytes += sizeof(Decision) + decision.descents.capacity() * sizeof(WalkScope::Verdict);
    const std::string relative = level.relative + job.name + '/';
    std::vector<std::string> names =
        subfoldersToRead(snapshot, decision.descents, searchedLength_ + relative.size());
    if (names.empty())
        return;
    std::vector<FolderId> chain = level.chain;
    chain.push_back(folder);
    decision.subfolders =
        makeLevel(job.folder.get(), std::move(names), relative, depth, std::move(chain));
    if (decision.subfolders)
        job.bytes += decision.subfolders->memoryBytes();
}

// The subfolders `names` of the open folder `parent` as a level, holding a duplicate of its
// descriptor; none when the descriptor budget grants none or it could not be made.
FolderReadAhead::LevelPointer FolderReadAhead::makeLevel(int parent, std::vector<std::string> names,
                                                         std::string relative, std::size_t depth,
                                                         std::vector<FolderId> chain) {
    FolderDescriptor::Reservation reserved = FolderDescriptor::Reservation::tryMake();
    if (!reserved)
        return nullptr;
    FolderDescriptor duplicate = FolderDescriptor::duplicate(std::move(reserved), parent);
    if (!duplicate.valid())
        return nullptr;
    return std::make_shared<Level>(std::move(duplicate), std::move(names), std::move(relative),
                                   depth, std::move(chain));
}

// Lets the workers start on the folders of `level`, which offered none so far.
void FolderReadAhead::offer(Level& level) {
    startable_ += level.nextStarted;
    level.nextStarted = 0;
}

// A folder read for a level still wanted offers the subfolders it hands on.
void FolderReadAhead::finishJob(Level& level, Job& job) {
    job.state = Job::State::Done;
    aheadBytes_ += job.bytes;
    if (level.abandoned) {
        dropJob(job);
    } else if (job.decision && job.decision->subfolders) {
        offer(*job.decision->subfolders);
    }
    jobDone_.notify_all();
}

// Gives a level up with all it has handed on: nothing more of it starts, what was read is
// closed, and reads under way end at their next test.
void FolderReadAhead::retire(Level& level) {
    level.abandoned = true;
    startable_ -= level.jobs.size() - level.nextStarted;
    level.nextStarted = level.jobs.size();
    for (Job& job : level.jobs) {
        if (job.state == Job::State::Done)
            dropJob(job);
    }
}

// Closes and frees what a job read for a level that was given up.
void FolderReadAhead::dropJob(Job& job) {
    closeJob(job);
    job.state = Job::State::Taken;
    --ahead_;
}

// Closes a read job's descriptor, frees its snapshot and gives up what it handed on.
void FolderReadAhead::closeJob(Job& job) {
    job.folder.reset();
    job.snapshot.reset();
    if (job.decision && job.decision->subfolders)
        retire(*job.decision->subfolders);
    job.decision.reset();
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
