#include "CliProgress.h"

#include "base/Utf8Text.h"
#include "ErrorOutput.h"
#include "StopSignals.h"

#include <cstring>

CliProgress::CliProgress(TSearchFiles& settings, QByteArrayList givenFolders, bool showProgress,
                         bool showWarnings)
    : settings_(settings), givenFolders_(std::move(givenFolders)),
      line_(showProgress ? std::make_unique<ProgressLine>(2) : nullptr),
      showWarnings_(showWarnings) {}

void CliProgress::setSearchCaption(const QString& text) {
    if (line_)
        line_->setSearchCaption(text);
}

void CliProgress::setFoundCaption(const QString& text) {
    if (line_)
        line_->setFoundCaption(text);
}

// The engine pumps between entries and before every folder; a stop signal ends the search at
// the engine's next test of the flag, like "Abbrechen".
void CliProgress::processMessages() {
    if (StopRequested())
        settings_.Searching = false;
    if (line_)
        line_->refresh();
}

void CliProgress::processMessagesSoon() {
    processMessages();
}

void CliProgress::folderUnreadable(const QByteArray& path, int error) {
    warn(Problem::Unreadable, path,
         UnreadableFolderWarning(ShownFolder(path, givenFolders_), error));
}

void CliProgress::folderSizesUnreadable(const QByteArray& path, int error) {
    warn(Problem::SizesUnreadable, path,
         "Größen nicht lesbar: " + ShownFolder(path, givenFolders_) + ": " + std::strerror(error));
}

void CliProgress::folderLoop(const QByteArray& path) {
    warn(Problem::Loop, path, "Dateisystemschleife erkannt: " + ShownFolder(path, givenFolders_));
}

// A folder that two masks visit is reported by the engine twice; it is named once.
void CliProgress::warn(Problem problem, const QByteArray& path, const QByteArray& message) {
    if (!named_.insert({problem, path}).second || !showWarnings_)
        return;
    if (line_)
        line_->erase();
    PrintErrorLine(message);
}

void CliProgress::addGapsTo(ListingGaps& gaps) const {
    for (const auto& [problem, path] : named_) {
        // An empty folder argument names no folder, and lists nothing in any list.
        if (path.isEmpty())
            continue;
        const ListingGaps::FolderGap gap =
            problem == Problem::Unreadable ? ListingGaps::FolderGap::Unreadable
            : problem == Problem::Loop     ? ListingGaps::FolderGap::Loop
                                           : ListingGaps::FolderGap::SizesUnreadable;
        gaps.addFolder(std::string_view(path.constData(), std::size_t(path.size())), gap);
    }
}

void CliProgress::finish() {
    if (line_)
        line_->erase();
}

QByteArray ShownFolder(const QByteArray& path, const QByteArrayList& givenFolders) {
    QByteArray folder = path;
    if (folder.size() > 1 && folder.endsWith('/') && !givenFolders.contains(folder))
        folder.chop(1);
    if (folder.isEmpty())
        return "\"\"";
    return folder;
}

QByteArray UnreadableFolderWarning(const QByteArray& shownPath, int error) {
    return "Verzeichnis nicht lesbar: " + shownPath + ": " + std::strerror(error);
}
