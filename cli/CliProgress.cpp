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

void CliProgress::searching(std::string_view folderPath, std::int64_t filesFound) {
    if (!line_)
        return;
    line_->setSearchCaption(SearchCaption(folderPath));
    line_->setFoundCaption(FoundCaption(filesFound));
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
    warn(UnreadableFolderWarning(ShownFolder(path, givenFolders_), error));
}

void CliProgress::folderSizesUnreadable(const QByteArray& path, int error) {
    warn("Größen nicht lesbar: " + ShownFolder(path, givenFolders_) + ": " + std::strerror(error));
}

void CliProgress::folderLoop(const QByteArray& path) {
    warn("Dateisystemschleife erkannt: " + ShownFolder(path, givenFolders_));
}

void CliProgress::folderReadInPart(const QByteArray& path) {
    warn("Abgebrochen beim Lesen von " + ShownFolder(path, givenFolders_) +
         ": aufgeführt ist, was bis dahin gelesen war");
}

void CliProgress::readProgress(std::int64_t bytesRead, std::int64_t bytesFound) {
    rate_.update(bytesRead);
    if (line_)
        line_->setReadCaption(ReadProgressText(bytesRead, bytesFound, rate_));
}

void CliProgress::fileUnreadable(const QByteArray& path, int error) {
    warn("Datei nicht lesbar, keine Prüfsumme: " + path + ": " + std::strerror(error));
}

void CliProgress::fileChangedWhileRead(const QByteArray& path) {
    warn("keine Prüfsumme, während des Lesens geändert: " + path);
}

void CliProgress::searchedFolderExcluded(const QByteArray& path) {
    warn("Suchverzeichnis ausgelassen, es passt zu --exclude: " + ShownFolder(path, givenFolders_));
}

void CliProgress::warn(const QByteArray& message) {
    if (!showWarnings_)
        return;
    if (line_)
        line_->erase();
    PrintErrorLine(message);
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
