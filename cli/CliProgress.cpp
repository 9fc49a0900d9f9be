#include "CliProgress.h"

#include "ErrorOutput.h"
#include "StopSignals.h"

#include <cstring>

CliProgress::CliProgress(TSearchFiles& settings, bool showProgress, bool showWarnings)
    : settings_(settings), line_(showProgress ? std::make_unique<ProgressLine>(2) : nullptr),
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

// A folder that two masks visit is reported by the engine twice; it is named once.
void CliProgress::folderUnreadable(const QByteArray& path, int error) {
    if (!unreadable_.insert(path).second || !showWarnings_)
        return;
    if (line_)
        line_->erase();
    PrintErrorLine(UnreadableFolderWarning(path, error));
}

void CliProgress::finish() {
    if (line_)
        line_->erase();
}

QByteArray UnreadableFolderWarning(const QByteArray& path, int error) {
    QByteArray shown = path;
    for (char& c : shown) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = '?';
    }
    return "Verzeichnis nicht lesbar: " + shown + ": " + std::strerror(error);
}
