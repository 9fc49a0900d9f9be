#pragma once

#include "run/SearchProgress.h"
#include "run/SearchSettings.h"

#include <QByteArray>
#include <QSet>
#include <QString>
#include <vector>

// What a search run left out of its list: a cancel, the folders that could not be read and the
// folders whose sizes could not be read (those show 0). The list itself never says so, so that
// it reads and saves the same either way; a window shows it beside the list.
class RunOutcome final {
public:
    struct Folder {
        QByteArray path; // as the engine names it, ending in "/"
        int error = 0;   // errno
    };

    void setCancelled() { cancelled_ = true; }
    // A folder that several masks visit is kept once.
    void addUnreadableFolder(const QByteArray& path, int error);
    void addFolderWithUnreadableSizes(const QByteArray& path, int error);

    bool cancelled() const { return cancelled_; }
    const std::vector<Folder>& unreadableFolders() const { return unreadable_; }
    const std::vector<Folder>& foldersWithUnreadableSizes() const { return sizesUnreadable_; }
    // Nothing was left out.
    bool complete() const;

    // "unvollständig: abgebrochen, 3 Verzeichnisse nicht lesbar, Größen in 1 Verzeichnis nicht
    // lesbar", or the empty text for a complete list.
    QString summary() const;
    // The folders behind the summary, one a line with the reason ("<folder>: <reason>"); a long
    // list ends in a line that counts the rest.
    QString details() const;

private:
    bool cancelled_ = false;
    std::vector<Folder> unreadable_;
    std::vector<Folder> sizesUnreadable_;
    QSet<QByteArray> unreadableSeen_;
    QSet<QByteArray> sizesSeen_;
};

// Passes everything on to `inner` and notes in `outcome` what the run leaves out. A cancel is a
// pump that lowers the settings' `Searching` flag while it is up, so a click that is handled
// before the search raises the flag counts for nothing, as it changes nothing.
class RunOutcomeRecorder final : public SearchProgress {
public:
    RunOutcomeRecorder(SearchProgress& inner, const TSearchFiles& settings, RunOutcome& outcome)
        : inner_(inner), settings_(settings), outcome_(outcome) {}

    void setSearchCaption(const QString& text) override;
    void setFoundCaption(const QString& text) override;
    void processMessages() override;
    void processMessagesSoon() override;
    void folderUnreadable(const QByteArray& path, int error) override;
    void folderSizesUnreadable(const QByteArray& path, int error) override;
    void folderLoop(const QByteArray& path) override;

private:
    SearchProgress& inner_;
    const TSearchFiles& settings_;
    RunOutcome& outcome_;
};
