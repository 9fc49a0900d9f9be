#include "run/SearchProgress.h"

SearchProgress::~SearchProgress() = default;
void SearchProgress::setSearchCaption(const QString&) {}
void SearchProgress::setFoundCaption(const QString&) {}
std::chrono::milliseconds SearchProgress::captionRefreshInterval() const {
    return std::chrono::milliseconds(100);
}
void SearchProgress::processMessages() {}
void SearchProgress::processMessagesSoon() {
    processMessages();
}
void SearchProgress::folderUnreadable(const QByteArray&, int) {}
void SearchProgress::folderSizesUnreadable(const QByteArray&, int) {}
void SearchProgress::folderLoop(const QByteArray&) {}
void SearchProgress::readProgress(std::int64_t, std::int64_t) {}
void SearchProgress::fileUnreadable(const QByteArray&, int) {}
void SearchProgress::fileChangedWhileRead(const QByteArray&) {}
