#pragma once

#include "run/SearchProgress.h"
#include "run/SearchSettings.h"

#include <QByteArray>
#include <QSet>
#include <QString>
#include <vector>

// What a search run left out of its list: a cancel, the folders that could not be read, the
// folders whose sizes could not be read (those show 0) and the folders that loop back onto the
// way down to them (not entered again), and the files that could not be read whole for their
// digests (those have none). The list itself never says so, so that it reads and saves
// the same either way; a window shows it beside the list, the tool on standard error and in its
// exit status.
class RunOutcome final {
public:
    struct Folder {
        QByteArray path; // as the engine names it, ending in "/"
        int error = 0;   // errno; 0 for a loop
    };

    void setCancelled() { cancelled_ = true; }
    // Each returns whether the folder is new here: a folder that several masks visit is kept once.
    bool addUnreadableFolder(const QByteArray& path, int error);
    bool addFolderWithUnreadableSizes(const QByteArray& path, int error);
    bool addLoop(const QByteArray& path);
    // A file that could not be read for its digest (errno in `error`), or, with `error` 0, that
    // changed while it was read.
    void addFileNotRead(const QByteArray& path, int error);
    // A folder on another file system, with one file system listed but not entered: left out as
    // asked, so the list stays complete.
    bool addFolderOnOtherFileSystem(const QByteArray& path);
    // The folder a stop came in while it was read; what was read of it is listed.
    void setReadInPart(const QByteArray& path) { readInPart_ = path; }

    bool cancelled() const { return cancelled_; }
    const std::vector<Folder>& unreadableFolders() const { return unreadable_.folders; }
    const std::vector<Folder>& foldersWithUnreadableSizes() const {
        return sizesUnreadable_.folders;
    }
    const std::vector<Folder>& loops() const { return loops_.folders; }
    const std::vector<Folder>& filesNotRead() const { return filesNotRead_; }
    const std::vector<Folder>& foldersOnOtherFileSystems() const {
        return otherFileSystems_.folders;
    }
    // Some folder was not read, read without sizes or not entered as a loop, or some file has no
    // digest for want of a whole read.
    bool anyFolderLeftOut() const;
    // Nothing was left out.
    bool complete() const { return !cancelled_ && !anyFolderLeftOut(); }

    // "unvollständig: abgebrochen, 3 Verzeichnisse nicht lesbar, Größen in 1 Verzeichnis nicht
    // lesbar, 1 Dateisystemschleife", or the empty text for a complete list.
    QString summary() const;
    // The folders behind the summary, one a line with the reason ("nicht lesbar: <folder>:
    // <reason>", "Dateisystemschleife: <folder>"); a long list ends in a line that counts the rest.
    QString details() const;

private:
    struct Folders {
        std::vector<Folder> folders;
        QSet<QByteArray> seen;
        bool add(const QByteArray& path, int error);
    };

    bool cancelled_ = false;
    Folders unreadable_;
    Folders sizesUnreadable_;
    Folders loops_;
    std::vector<Folder> filesNotRead_;
    Folders otherFileSystems_;
    QByteArray readInPart_;
};

// Passes everything on to `inner` and notes in `outcome` what the run leaves out; `inner` hears of
// each folder left out once. A cancel is a pump that lowers the settings' `Searching` flag while
// it is up, so a click that is handled before the search raises the flag counts for nothing, as it
// changes nothing.
class RunOutcomeRecorder final : public SearchProgress {
public:
    RunOutcomeRecorder(SearchProgress& inner, const TSearchFiles& settings, RunOutcome& outcome)
        : inner_(inner), settings_(settings), outcome_(outcome) {}

    void searching(std::string_view folderPath, std::int64_t filesFound) override;
    void processMessages() override;
    void processMessagesSoon() override;
    void folderUnreadable(const QByteArray& path, int error) override;
    void folderSizesUnreadable(const QByteArray& path, int error) override;
    void folderReadInPart(const QByteArray& path) override;
    void folderLoop(const QByteArray& path) override;
    void readProgress(std::int64_t bytesRead, std::int64_t bytesFound) override;
    void fileUnreadable(const QByteArray& path, int error) override;
    void fileChangedWhileRead(const QByteArray& path) override;
    void folderOnOtherFileSystem(const QByteArray& path) override;
    void searchedFolderExcluded(const QByteArray& path) override;

private:
    SearchProgress& inner_;
    const TSearchFiles& settings_;
    RunOutcome& outcome_;
};
