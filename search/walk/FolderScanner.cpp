#include "walk/FolderScanner.h"

#include "base/PathText.h"
#include "run/SearchProgress.h"
#include "scope/MaskMatcher.h"
#include "walk/DescriptorBudget.h"
#include "walk/FolderDescriptor.h"
#include "walk/FolderReadAhead.h"
#include "walk/FolderSnapshot.h"
#include "walk/FoundCount.h"
#include "walk/WalkScope.h"

#include <cerrno>
#include <chrono>
#include <climits>
#include <deque>
#include <fcntl.h>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <utility>
#include <vector>

namespace {

// The descriptors of the folders on the way down that stay open: a subfolder is opened relative
// to its parent's descriptor, so no component of its path can be swapped for a link between
// the parent's read and the descent. Only the top levels keep theirs, as many as the descriptor
// budget leaves room for and at most this many, so a tree of any depth needs a bounded number;
// below them a parent is opened again by its path relative to the deepest held level and must
// still be the folder that was read (device and inode). The top folder is always held.
constexpr std::size_t heldLevels = 48;

// One ScanFolder call: the walk over a folder and its subfolders. The path of the folder being
// listed lives in one buffer that grows by a name on each descent and shrinks on the way back;
// it names the folder in the records, while the file system is reached through descriptors.
// Each level keeps its snapshot until its subfolder pass is done.
class FolderScanner final {
public:
    FolderScanner(TSearchFiles& settings, const QString& mask, bool recursive, RecordSink& records,
                  std::int64_t& filesFound, SearchProgress& progress, WorkerPool& pool)
        : settings_(settings), mask_(mask), scope_(settings.Scope, recursive), records_(records),
          needs_(records.needs()), found_(filesFound), progress_(progress), pool_(pool) {}

    void scanTop(const QByteArray& folder) {
        path_.assign(folder.constData(), static_cast<std::size_t>(folder.size()));
        if (path_.empty() || path_.back() != '/')
            path_.push_back('/');
        topLength_ = path_.size();
        // The folder the user named may itself be a link; nothing below it may.
        FolderDescriptor top;
        int error = ENAMETOOLONG;
        if (path_.size() < PATH_MAX)
            top = openCounted(AT_FDCWD, path_.c_str(), FolderDescriptor::Link::Follow, error);
        scan(0, std::move(top), error, FolderReadAhead::Result());
    }

private:
    void scan(std::size_t depth, FolderDescriptor folder, int openError,
              FolderReadAhead::Result readAhead);
    using Verdict = WalkScope::Verdict;
    FolderReadAhead::Subfolders startReadAhead(const FolderSnapshot& snapshot, std::size_t depth,
                                               const std::vector<Verdict>& descents);
    bool waitForWorker(bool readingLong, std::size_t filesFound);
    bool isHeld(std::size_t depth) const { return depth < held_.size(); }
    bool mayHold(std::size_t depth) const;
    FolderDescriptor openCounted(int parent, const char* name, FolderDescriptor::Link link,
                                 int& error);
    FolderDescriptor openSubfolder(std::size_t depth, std::size_t parentLength, const char* name,
                                   int& error);
    bool openParent(std::size_t depth, std::size_t parentLength, FolderDescriptor& parent,
                    int& error);
    bool readFolder(FolderSnapshot& snapshot, int fd);
    bool onDescentChain(const FolderSnapshot& snapshot) const;
    QByteArray currentPath() const {
        return QByteArray(path_.data(), static_cast<qsizetype>(path_.size()));
    }
    void reportProgress();
    bool refreshProgress();
    void showReadProgress(std::size_t filesFound);
    bool withSizes() const { return needs_.sizes || needs_.times || needs_.targets; }
    FolderSnapshot::Details details() const {
        return {.times = needs_.times, .targets = needs_.targets};
    }
    void listEntries(const FolderSnapshot& snapshot, bool readCountShown, int folderFd, bool whole);
    const EntryRecord& recordOf(const FolderSnapshot& snapshot, std::size_t i);
    void handleEntry(const FolderSnapshot& snapshot, std::size_t i);
    void handOnFiles(const FolderSnapshot& snapshot, std::size_t handled);
    void descend(const FolderSnapshot& snapshot, std::size_t depth,
                 const std::vector<Verdict>& descents, FolderReadAhead::Subfolders&& handedOn);

    TSearchFiles& settings_;
    MaskMatcher mask_;
    WalkScope scope_;
    RecordSink& records_;
    const RecordSink::Needs needs_;
    FoundCount found_; // of the whole run, which the progress shows
    SearchProgress& progress_;
    WorkerPool& pool_;
    EntryRecord record_; // the entry being handed on

    std::string path_;          // the folder text of the current level, ending in "/"
    std::size_t topLength_ = 0; // of path_ at the searched folder; the rest is the path below it
    std::deque<FolderSnapshot> snapshots_;      // one per depth, reused from folder to folder
    std::deque<std::vector<Verdict>> descents_; // one per depth, for each entry of its snapshot
    std::vector<FolderReadAhead::FolderId> chain_;
    struct HeldLevel {
        int fd;
        std::size_t pathLength; // of path_ at that level
    };
    std::vector<HeldLevel> held_; // the top levels on the way down, owned by their scan calls
    std::chrono::steady_clock::time_point lastReport_; // of the progress
    // Started at the first descent; declared after mask_ and scope_, which it reads until it is
    // destroyed.
    std::unique_ptr<FolderReadAhead> readAhead_;
};

// `folder` is the folder opened for this level (none when that failed with `openError`). A folder
// that a worker read ahead comes with its snapshot.
void FolderScanner::scan(std::size_t depth, FolderDescriptor folder, int openError,
                         FolderReadAhead::Result readAhead) {
    if (!settings_.Searching)
        return;
    if (snapshots_.size() <= depth)
        snapshots_.emplace_back();
    const ReadAheadSnapshot readAheadSnapshot(readAhead_.get(), std::move(readAhead.snapshot));
    FolderSnapshot& snapshot =
        readAheadSnapshot.get() ? *readAheadSnapshot.get() : snapshots_[depth];
    const bool read = readAheadSnapshot.get()
                          ? readAhead.read
                          : folder.valid() && readFolder(snapshot, folder.get());
    const bool readCountShown = found_.readEnded();
    // A stop while the folder was read: what was read of it is listed.
    const bool readInPart = !read && snapshot.stopped() && !settings_.Searching;
    if (!read && !readInPart) {
        if (!snapshot.stopped())
            progress_.folderUnreadable(currentPath(),
                                       folder.valid() ? snapshot.error() : openError);
        return;
    }
    if (readInPart)
        progress_.folderReadInPart(currentPath());
    if (snapshot.sizeError() != 0)
        progress_.folderSizesUnreadable(currentPath(), snapshot.sizeError());
    // A folder already on the way down (a bind mount looping back) is not entered again.
    if (onDescentChain(snapshot)) {
        progress_.folderLoop(currentPath());
        return;
    }
    if (depth == 0)
        scope_.setSearchedDevice(snapshot.device());
    // What becomes of each subfolder; the scan and the read-ahead both go by it, as decided once
    // by the worker that read the folder and handed its subfolders on, or here.
    if (descents_.size() <= depth)
        descents_.emplace_back();
    std::vector<Verdict>& descents = descents_[depth];
    if (readAhead.decided)
        descents.swap(readAhead.descents);
    else
        scope_.decide(snapshot, depth, folder.get(), descents);
    const bool hold = mayHold(depth);
    if (hold)
        held_.push_back({folder.get(), path_.size()});
    chain_.emplace_back(snapshot.device(), snapshot.inode());
    // A folder that is not held stays open while its entries are handed on, when the sink reads
    // them relative to it.
    if (snapshot.matchedCount() > 0)
        listEntries(snapshot, readCountShown, needs_.openFolder ? folder.get() : -1, readInPart);
    if (!hold)
        folder.reset();
    descend(snapshot, depth, descents, std::move(readAhead.subfolders));
    chain_.pop_back();
    if (hold)
        held_.pop_back();
}

// The held levels are the top ones without a gap: the top folder always, a level below only
// when its parent is held and the descriptor budget leaves room.
bool FolderScanner::mayHold(std::size_t depth) const {
    return depth == 0 ||
           (depth == held_.size() && depth < heldLevels && DescriptorBudget::process().mayKeep());
}

// Hands the subfolders of the folder at `depth` that the scan enters to the workers, when they
// can open them relative to a descriptor held for the whole pass.
FolderReadAhead::Subfolders FolderScanner::startReadAhead(const FolderSnapshot& snapshot,
                                                          std::size_t depth,
                                                          const std::vector<Verdict>& descents) {
    if (!isHeld(depth))
        return {};
    std::vector<std::string> names =
        FolderReadAhead::subfoldersToRead(snapshot, descents, path_.size());
    if (names.empty())
        return {};
    if (!readAhead_)
        readAhead_ = std::make_unique<FolderReadAhead>(mask_, scope_, withSizes(), details(), pool_,
                                                       topLength_);
    return readAhead_->pushLevel(held_.back().fd, std::move(names), path_.substr(topLength_), depth,
                                 chain_);
}

// Between short waits for a worker: the pump turns and a cancel ends the wait. A long read shows
// its folder.
bool FolderScanner::waitForWorker(bool readingLong, std::size_t filesFound) {
    if (readingLong)
        showReadProgress(filesFound);
    progress_.processMessagesSoon();
    return settings_.Searching;
}

// Reads the open folder, pumping and testing for a cancel between the pieces of a long read.
bool FolderScanner::readFolder(FolderSnapshot& snapshot, int fd) {
    const FolderSnapshot::ReadOptions options{.mask = mask_,
                                              .sizes = withSizes(),
                                              .details = details(),
                                              .keepGoing =
                                                  [this](std::size_t filesFound) {
                                                      showReadProgress(filesFound);
                                                      progress_.processMessagesSoon();
                                                      return settings_.Searching;
                                                  },
                                              .askEvery = 1024,
                                              .pool = &pool_,
                                              .exclusion =
                                                  scope_.exclusionFor(path_.substr(topLength_)),
                                              .files = &scope_.files()};
    return snapshot.readOpen(fd, options);
}

// Opens the folder `name` relative to `parent`, counted by the budget; none with `error` set when
// that fails. When the process is out of descriptors, the read-ahead closes what it holds for
// later and the open is tried once more, so a folder is unreadable only for a reason of its own.
FolderDescriptor FolderScanner::openCounted(int parent, const char* name,
                                            FolderDescriptor::Link link, int& error) {
    for (bool retried = false;; retried = true) {
        FolderDescriptor folder = FolderDescriptor::open(parent, name, link);
        if (folder.valid())
            return folder;
        error = errno;
        if (retried || !DescriptorBudget::exhausted(error) || !readAhead_)
            return folder;
        readAhead_->giveBack();
    }
}

// Opens the subfolder `name` of level `depth` (the first `parentLength` bytes of path_) without
// following a link; none with `error` set when that fails.
FolderDescriptor FolderScanner::openSubfolder(std::size_t depth, std::size_t parentLength,
                                              const char* name, int& error) {
    FolderDescriptor reopened;
    if (!openParent(depth, parentLength, reopened, error))
        return {};
    const int parent = isHeld(depth) ? held_.back().fd : reopened.get();
    return openCounted(parent, name, FolderDescriptor::Link::NoFollow, error);
}

// The folder of level `depth` (path_), for opening one of its subfolders: its held descriptor,
// or, below the held levels, the folder opened again from the deepest held level, provided it
// is still the folder that was read.
bool FolderScanner::openParent(std::size_t depth, std::size_t parentLength,
                               FolderDescriptor& parent, int& error) {
    if (isHeld(depth))
        return true;
    const HeldLevel& deepest = held_.back();
    const std::string relative =
        path_.substr(deepest.pathLength, parentLength - deepest.pathLength);
    parent = openCounted(deepest.fd, relative.c_str(), FolderDescriptor::Link::NoFollow, error);
    struct stat st {};
    if (!parent.valid())
        return false;
    if (::fstat(parent.get(), &st) != 0) {
        error = errno;
        return false;
    }
    if (st.st_dev != chain_.back().first || st.st_ino != chain_.back().second) {
        error = ESTALE;
        return false;
    }
    return true;
}

bool FolderScanner::onDescentChain(const FolderSnapshot& snapshot) const {
    for (const auto& [device, inode] : chain_) {
        if (device == snapshot.device() && inode == snapshot.inode())
            return true;
    }
    return false;
}

void FolderScanner::reportProgress() {
    progress_.searching(path_, found_.shown());
    lastReport_ = std::chrono::steady_clock::now();
}

// Within a long read or a long folder the progress is shown again, with the folder being read
// and the count so far, when the last showing is a while ago.
bool FolderScanner::refreshProgress() {
    if (std::chrono::steady_clock::now() - lastReport_ < progress_.captionRefreshInterval())
        return false;
    reportProgress();
    return true;
}

// A long read of a folder shows the files it has found so far on top of the totals.
void FolderScanner::showReadProgress(std::size_t filesFound) {
    found_.reading(filesFound);
    if (refreshProgress())
        found_.shownWhileReading();
}

// With `whole`, every matching entry is listed even after a cancel.
void FolderScanner::listEntries(const FolderSnapshot& snapshot, bool readCountShown, int folderFd,
                                bool whole) {
    found_.beginListing(snapshot.matchedFiles(), readCountShown);
    reportProgress();
    records_.beginFolder(path_);
    record_.folder = path_;
    record_.folderFd = folderFd;
    // The first matching entry is handled at once; before each further one the search tests
    // for a cancel and pumps messages.
    bool first = true;
    std::size_t i = 0;
    for (; i < snapshot.count(); ++i) {
        if (!snapshot.entry(i).matched)
            continue;
        if (!first) {
            if (!settings_.Searching && !whole)
                break;
            progress_.processMessagesSoon();
        }
        first = false;
        handleEntry(snapshot, i);
        if (i % 256 == 255)
            refreshProgress();
    }
    if (needs_.foldersFirst)
        handOnFiles(snapshot, i);
    records_.endFolder();
}

// The record of entry i, in record_, whose folder is set for the folder being listed.
const EntryRecord& FolderScanner::recordOf(const FolderSnapshot& snapshot, std::size_t i) {
    const FolderSnapshot::Entry& entry = snapshot.entry(i);
    record_.name = snapshot.name(entry);
    record_.kind = FolderSnapshot::kindOf(entry, record_.name);
    const bool dot = record_.kind == EntryRecord::Kind::Dot;
    record_.size = entry.directory ? 0 : entry.size;
    // "." and ".." are not looked up; every other entry is, once sizes or times are read.
    record_.sizeRead = withSizes() && !entry.statFailed && !dot;
    record_.timeRead = needs_.times && !entry.statFailed && !dot;
    if (needs_.times)
        record_.modified = snapshot.modified(i);
    const auto target = needs_.targets && entry.link ? snapshot.target(i) : std::nullopt;
    record_.targetRead = target.has_value();
    record_.target = target.value_or(std::string_view());
    return record_;
}

// In the listing's order directories, "." and ".." go on at once and the files after them, each
// entry giving the message pump a turn; otherwise every entry goes on as it comes.
void FolderScanner::handleEntry(const FolderSnapshot& snapshot, std::size_t i) {
    const bool isFile = !snapshot.entry(i).directory;
    if (needs_.foldersFirst) {
        progress_.processMessagesSoon();
        if (!isFile)
            records_.entry(recordOf(snapshot, i));
    } else {
        records_.entry(recordOf(snapshot, i));
    }
    if (isFile)
        found_.fileHandedOn();
}

// The files among the entries handled (all, unless a cancel came), made from the snapshot rather
// than kept.
void FolderScanner::handOnFiles(const FolderSnapshot& snapshot, std::size_t handled) {
    for (std::size_t i = 0; i < handled; ++i) {
        const FolderSnapshot::Entry& entry = snapshot.entry(i);
        if (entry.matched && !entry.directory)
            records_.entry(recordOf(snapshot, i));
    }
}

// The subfolder pass takes every entry of the folder, whether or not its name matches the mask,
// so folders are entered even when their names don't match; a subfolder that the scope keeps
// out of the walk is listed only. The subfolders a worker has handed on are read ahead already.
void FolderScanner::descend(const FolderSnapshot& snapshot, std::size_t depth,
                            const std::vector<Verdict>& descents,
                            FolderReadAhead::Subfolders&& handedOn) {
    const std::size_t folderLength = path_.size();
    const FolderReadAhead::Subfolders level =
        handedOn ? std::move(handedOn) : startReadAhead(snapshot, depth, descents);
    const bool readingAhead = static_cast<bool>(level);
    const FolderReadAhead::KeepWaiting keepWaiting = [this](bool readingLong,
                                                            std::size_t filesFound) {
        return waitForWorker(readingLong, filesFound);
    };
    for (std::size_t i = 0; i < snapshot.count(); ++i) {
        if (!settings_.Searching)
            break;
        const Verdict verdict = descents[i];
        if (verdict.descent == WalkScope::Descent::Pass)
            continue;
        const std::string_view name = snapshot.name(snapshot.entry(i));
        progress_.processMessagesSoon();
        path_.resize(folderLength);
        path_.append(name);
        path_.push_back('/');
        if (verdict.descent == WalkScope::Descent::OtherFileSystem)
            progress_.folderOnOtherFileSystem(currentPath());
        else if (verdict.descent == WalkScope::Descent::Unknown)
            progress_.folderUnreadable(currentPath(), verdict.error);
        if (verdict.descent != WalkScope::Descent::Enter)
            continue;
        int error = ENAMETOOLONG;
        FolderDescriptor folder;
        FolderReadAhead::Result result;
        // The subfolders handed to the workers are exactly these, in this order.
        if (WalkScope::fitsPathLimit(folderLength, name)) {
            if (readingAhead)
                result = readAhead_->takeNext(keepWaiting);
            if (result.stopped)
                break;
            if (result.ready) {
                folder = std::move(result.folder);
                error = result.openError;
            } else {
                folder = openSubfolder(depth, folderLength, name.data(), error);
            }
        }
        scan(depth + 1, std::move(folder), error, std::move(result));
    }
    path_.resize(folderLength);
}

} // namespace

void ScanFolder(TSearchFiles& settings, const QString& folder, const QString& mask, bool recursive,
                RecordSink& records, std::int64_t& filesFound, SearchProgress& progress,
                WorkerPool& pool) {
    // An empty folder text names no folder (it would otherwise become "/", the whole disk).
    if (!settings.Searching || folder.isEmpty())
        return;
    const QString effectiveMask = mask.isEmpty() ? QStringLiteral("*.*") : mask;
    FolderScanner scanner(settings, effectiveMask, recursive, records, filesFound, progress, pool);
    scanner.scanTop(PathTextBytes(folder));
}
