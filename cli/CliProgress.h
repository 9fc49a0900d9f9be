#pragma once

#include "ProgressLine.h"

#include <memory>
#include <QByteArray>
#include <SearchProgress.h>
#include <SearchSettings.h>
#include <set>

// What the search tells the command-line tool: the progress captions go to the terminal line
// (when there is one), the pumps turn a stop signal into a cleared `Searching` flag, and each
// folder that could not be read is named on standard error once.
class CliProgress final : public SearchProgress {
public:
    CliProgress(TSearchFiles& settings, bool showProgress, bool showWarnings);

    void setSearchCaption(const QString& text) override;
    void setFoundCaption(const QString& text) override;
    void processMessages() override;
    void processMessagesSoon() override;
    void folderUnreadable(const QByteArray& path, int error) override;

    bool anyFolderUnreadable() const { return !unreadable_.empty(); }
    // Removes the progress line before the list is written.
    void finish();

private:
    TSearchFiles& settings_;
    std::unique_ptr<ProgressLine> line_;
    bool showWarnings_;
    std::set<QByteArray> unreadable_;
};

// "folderinventory-cli: Verzeichnis nicht lesbar: <path>: <reason>". Control characters in the
// path are shown as "?", so one warning stays one line.
QByteArray UnreadableFolderWarning(const QByteArray& path, int error);
