#include "SearchProgress.h"

SearchProgress::~SearchProgress() = default;
void SearchProgress::setSearchCaption(const QString&) {}
void SearchProgress::setFoundCaption(const QString&) {}
void SearchProgress::processMessages() {}
void SearchProgress::processMessagesSoon() {
    processMessages();
}
void SearchProgress::folderUnreadable(const QByteArray&, int) {}
void SearchProgress::folderSizesUnreadable(const QByteArray&, int) {}
void SearchProgress::folderLoop(const QByteArray&) {}
