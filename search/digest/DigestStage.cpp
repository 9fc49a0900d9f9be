#include "digest/DigestStage.h"

#include "base/ByteTotal.h"

#include <QByteArray>
#include <utility>

DigestStage::DigestStage(RecordSink& next, DigestAlgorithm algorithm, WorkerPool& pool,
                         const bool& searching, SearchProgress& progress)
    : next_(next), searching_(searching), progress_(progress), waitSlice_(pool.tuning().waitSlice),
      window_(pool, algorithm, DigestLink::NoFollow, pool.tuning().digestFilesInFlight) {}

RecordSink::Needs DigestStage::needs() const {
    Needs needs = next_.needs();
    needs.sizes = true; // the progress counts the bytes found
    needs.digest = std::nullopt;
    needs.openFolder = true;
    return needs;
}

void DigestStage::beginFolder(std::string_view folderText) {
    folder_.reset();
    folderTried_ = false;
    Waiting waiting;
    waiting.step = Waiting::Step::BeginFolder;
    waiting.text.assign(folderText);
    push(std::move(waiting));
}

void DigestStage::entry(const EntryRecord& record) {
    Waiting waiting;
    waiting.kind = record.kind;
    waiting.text.assign(record.name);
    waiting.size = record.size;
    waiting.modified = record.modified;
    waiting.sizeRead = record.sizeRead;
    waiting.timeRead = record.timeRead;
    waiting.targetRead = record.targetRead;
    waiting.target.assign(record.target);
    if (record.kind == EntryRecord::Kind::File && record.sizeRead && !stopped_) {
        bytesFound_ = SaturatingSum(bytesFound_, record.size);
        if (!folderTried_) {
            folderTried_ = true;
            folder_ = holdFolder(record.folderFd);
        }
        if (folder_) {
            window_.push(folder_, waiting.text, record.size);
            waiting.inWindow = true;
        } else if (record.folderFd >= 0) {
            // No descriptor to spare: the file is read here, in its turn.
            while (!waiting_.empty() && !stopped_)
                handOnOldest();
            const DigestMethod method(window_.algorithm());
            std::atomic<std::int64_t> bytesRead{0};
            const std::atomic<bool> stop{stopped_};
            waiting.read = std::make_unique<FileDigest>(
                DigestFile(method, record.folderFd, waiting.text.c_str(), DigestLink::NoFollow,
                           stop, bytesRead, [this] { return goOn(); }));
        }
    }
    push(std::move(waiting));
}

void DigestStage::endFolder() {
    Waiting waiting;
    waiting.step = Waiting::Step::EndFolder;
    push(std::move(waiting));
}

void DigestStage::endRun() {
    while (!waiting_.empty())
        handOnOldest();
    reportProgress(true);
    next_.endRun();
}

// A duplicate of the folder's descriptor for the reads of its files, counted by the budget:
// within the room for optional descriptors, or, once the files read so far have given theirs
// back, as a needed one. None when even that fails.
DigestWindow::Folder DigestStage::holdFolder(int fd) {
    if (fd < 0)
        return nullptr;
    FolderDescriptor::Reservation reserved = FolderDescriptor::Reservation::tryMake();
    if (!reserved) {
        while (!waiting_.empty() && !stopped_)
            handOnOldest();
    }
    auto folder = std::make_shared<const FolderDescriptor>(
        FolderDescriptor::duplicate(std::move(reserved), fd));
    return folder->valid() ? folder : nullptr;
}

void DigestStage::push(Waiting waiting) {
    waitingBytes_ += waiting.text.size();
    waiting_.push_back(std::move(waiting));
    handOnReady();
    while (full())
        handOnOldest();
    reportProgress(false);
}

bool DigestStage::full() const {
    return waiting_.size() >= maxWaiting || waitingBytes_ >= maxWaitingBytes ||
           window_.folders() >= maxHeldFolders;
}

// Hands on the oldest records while they need no wait.
void DigestStage::handOnReady() {
    while (!waiting_.empty()) {
        const Waiting& oldest = waiting_.front();
        if (oldest.inWindow && !stopped_ &&
            !window_.waitOldest(std::chrono::milliseconds(0), [this] { return goOn(); }))
            return;
        handOnOldest();
    }
}

// Waits until the oldest file waiting has been read, in short slices between which the message
// pump turns and a cancel stops every read.
bool DigestStage::waitForOldest() {
    while (!stopped_) {
        if (!searching_) {
            stopped_ = true;
            window_.stop();
            break;
        }
        if (window_.waitOldest(waitSlice_, [this] { return goOn(); }))
            return true;
        // Each slice is a pump of its own: the pump's own pacing counts calls that come
        // microseconds apart and would let a cancel wait many slices.
        progress_.processMessages();
        reportProgress(false);
    }
    return false;
}

// Between the pieces of a file read on this thread: the pump turns and a cancel stops the read.
bool DigestStage::goOn() {
    progress_.processMessagesSoon();
    reportProgress(false);
    if (!searching_ && !stopped_) {
        stopped_ = true;
        window_.stop();
    }
    return !stopped_;
}

void DigestStage::handOnOldest() {
    Waiting waiting = std::move(waiting_.front());
    if (waiting.inWindow)
        waitForOldest();
    waiting_.pop_front();
    waitingBytes_ -= waiting.text.size();
    switch (waiting.step) {
    case Waiting::Step::BeginFolder:
        handedFolder_ = std::move(waiting.text);
        next_.beginFolder(handedFolder_);
        break;
    case Waiting::Step::Entry:
        handOnEntry(waiting);
        break;
    case Waiting::Step::EndFolder:
        next_.endFolder();
        break;
    }
}

void DigestStage::handOnEntry(Waiting& waiting) {
    record_.kind = waiting.kind;
    record_.folder = handedFolder_;
    record_.name = waiting.text;
    record_.size = waiting.size;
    record_.modified = waiting.modified;
    record_.sizeRead = waiting.sizeRead;
    record_.timeRead = waiting.timeRead;
    record_.targetRead = waiting.targetRead;
    record_.target = waiting.target;
    record_.digest = {};
    FileDigest digest;
    if (waiting.inWindow)
        digest = window_.takeOldest();
    else if (waiting.read)
        digest = std::move(*waiting.read);
    if (digest.outcome == FileDigest::Outcome::Read)
        record_.digest = digest.hex;
    else if (waiting.inWindow || waiting.read)
        report(digest, waiting.text);
    next_.entry(record_);
}

void DigestStage::report(const FileDigest& digest, std::string_view name) {
    if (digest.outcome != FileDigest::Outcome::Unreadable &&
        digest.outcome != FileDigest::Outcome::Changed)
        return;
    path_.assign(handedFolder_);
    path_.append(name);
    const QByteArray path(path_.data(), static_cast<qsizetype>(path_.size()));
    if (digest.outcome == FileDigest::Outcome::Unreadable)
        progress_.fileUnreadable(path, digest.error);
    else
        progress_.fileChangedWhileRead(path);
}

void DigestStage::reportProgress(bool now) {
    const auto time = std::chrono::steady_clock::now();
    if (!now && time - lastReport_ < progress_.captionRefreshInterval())
        return;
    lastReport_ = time;
    progress_.readProgress(window_.bytesRead(), bytesFound_);
}
