#pragma once

#include "digest/DigestWindow.h"
#include "records/RecordSink.h"
#include "run/SearchProgress.h"

#include <chrono>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>

// Between the scan and an output that wants digests: reads the regular files that the scan hands
// on for their digests, several at a time on the run's workers, and hands every record on to
// `next` in the scan's order, byte for byte the same whatever the number of workers.
//
// The scan hands each record on with its folder open (Needs::openFolder); a folder with files to
// read is held as a duplicate of that descriptor until its last file has been read, so that a
// file is always opened relative to the folder the scan listed, never by a path. The records
// wait here, copied, until their files have been read: at most `maxWaiting` of them, with names
// of at most `maxWaitingBytes` and files of at most `maxHeldFolders` folders; beyond that, the
// scan waits for the oldest, turning the message pump and testing for a cancel. So memory stays
// bounded whatever the sizes and counts of the files. A cancel (`searching` down) stops every
// read at its next piece; the records still waiting go on without digests.
class DigestStage final : public RecordSink {
public:
    DigestStage(RecordSink& next, DigestAlgorithm algorithm, WorkerPool& pool,
                const bool& searching, SearchProgress& progress);

    Needs needs() const override;
    void beginFolder(std::string_view folderText) override;
    void entry(const EntryRecord& record) override;
    void endFolder() override;
    void endRun() override;

private:
    struct Waiting {
        enum class Step { BeginFolder, Entry, EndFolder } step = Step::Entry;
        EntryRecord::Kind kind = EntryRecord::Kind::File;
        std::string text; // the folder's text, or the entry's name
        std::int64_t size = 0;
        FileTime modified;
        bool sizeRead = true;
        bool timeRead = true;
        bool targetRead = false;
        std::string target;               // a link's
        bool inWindow = false;            // its digest comes from the window
        std::unique_ptr<FileDigest> read; // read here, when no folder could be held
    };

    void push(Waiting waiting);
    bool full() const;
    DigestWindow::Folder holdFolder(int fd);
    void handOnReady();
    bool waitForOldest();
    bool goOn();
    void handOnOldest();
    void handOnEntry(Waiting& waiting);
    void report(const FileDigest& digest, std::string_view name);
    void reportProgress(bool now);

    static constexpr std::size_t maxWaiting = 4096;
    static constexpr std::size_t maxWaitingBytes = 1024 * 1024;
    static constexpr std::size_t maxHeldFolders = 64;

    RecordSink& next_;
    const bool& searching_;
    SearchProgress& progress_;
    const std::chrono::milliseconds waitSlice_;
    std::deque<Waiting> waiting_;
    std::size_t waitingBytes_ = 0;
    DigestWindow::Folder folder_; // the folder being listed, once one of its files is read
    bool folderTried_ = false;
    std::string handedFolder_; // the text of the folder last begun downstream
    std::string path_;         // a file's path, for a report
    EntryRecord record_;
    std::int64_t bytesFound_ = 0;
    std::chrono::steady_clock::time_point lastReport_;
    bool stopped_ = false;
    DigestWindow window_; // last: its reads end before the rest goes
};
