#include "SearchProgress.h"

namespace {
SearchProgress silentProgress;
SearchProgress* current = &silentProgress;
} // namespace

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

SearchProgress& CurrentSearchProgress() {
    return *current;
}

ScopedSearchProgress::ScopedSearchProgress(SearchProgress* progress) : previous_(current) {
    current = progress ? progress : &silentProgress;
}

ScopedSearchProgress::~ScopedSearchProgress() {
    current = previous_;
}
