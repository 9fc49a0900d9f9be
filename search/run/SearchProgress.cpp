#include "run/SearchProgress.h"

#include "base/Utf8Text.h"

SearchProgress::~SearchProgress() = default;
void SearchProgress::searching(std::string_view, std::int64_t) {}
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
void SearchProgress::folderReadInPart(const QByteArray&) {}
void SearchProgress::readProgress(std::int64_t, std::int64_t) {}
void SearchProgress::fileUnreadable(const QByteArray&, int) {}
void SearchProgress::fileChangedWhileRead(const QByteArray&) {}

QString SearchCaption(std::string_view folderPath) {
    return QStringLiteral("Suchen in %1").arg(QString::fromStdString(DisplayText(folderPath)));
}

QString FoundCaption(std::int64_t filesFound) {
    return QStringLiteral("Elemente gefunden: %1").arg(filesFound);
}
void SearchProgress::folderOnOtherFileSystem(const QByteArray&) {}

void SearchProgress::searchedFolderExcluded(const QByteArray&) {}
