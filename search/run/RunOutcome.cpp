#include "run/RunOutcome.h"

#include "base/Utf8Text.h"

#include <cstring>
#include <QStringList>

namespace {

// Folders named in the details at most; the rest are counted.
constexpr std::size_t detailedFolders = 20;

QString folderCount(std::size_t count) {
    return count == 1 ? QStringLiteral("1 Verzeichnis")
                      : QStringLiteral("%1 Verzeichnisse").arg(count);
}

QString sizesCount(std::size_t count) {
    return count == 1 ? QStringLiteral("1 Verzeichnis")
                      : QStringLiteral("%1 Verzeichnissen").arg(count);
}

// The folder without the "/" the engine appends, as a listing shows a name.
QString shownFolder(const QByteArray& path) {
    QByteArray folder = path;
    if (folder.size() > 1 && folder.endsWith('/'))
        folder.chop(1);
    if (folder.isEmpty())
        return QStringLiteral("\"\"");
    return QString::fromStdString(
        DisplayText(std::string_view(folder.constData(), static_cast<std::size_t>(folder.size()))));
}

QString fileCount(std::size_t count) {
    return count == 1 ? QStringLiteral("1 Datei") : QStringLiteral("%1 Dateien").arg(count);
}

void appendDetails(QStringList& lines, const std::vector<RunOutcome::Folder>& folders,
                   const QString& prefix, std::size_t& room) {
    for (const RunOutcome::Folder& folder : folders) {
        if (room == 0)
            return;
        --room;
        QString line = prefix + shownFolder(folder.path);
        if (folder.error != 0)
            line += QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(folder.error));
        else if (prefix.startsWith(QStringLiteral("keine Prüfsumme")))
            line += QStringLiteral(": während des Lesens geändert");
        lines.append(line);
    }
}

} // namespace

bool RunOutcome::Folders::add(const QByteArray& path, int error) {
    if (seen.contains(path))
        return false;
    seen.insert(path);
    folders.push_back({path, error});
    return true;
}

bool RunOutcome::addUnreadableFolder(const QByteArray& path, int error) {
    return unreadable_.add(path, error);
}

bool RunOutcome::addFolderWithUnreadableSizes(const QByteArray& path, int error) {
    return sizesUnreadable_.add(path, error);
}

bool RunOutcome::addLoop(const QByteArray& path) {
    return loops_.add(path, 0);
}

void RunOutcome::addFileNotRead(const QByteArray& path, int error) {
    filesNotRead_.push_back({path, error});
}

bool RunOutcome::addFolderOnOtherFileSystem(const QByteArray& path) {
    return otherFileSystems_.add(path, 0);
}

bool RunOutcome::anyFolderLeftOut() const {
    return !unreadable_.folders.empty() || !sizesUnreadable_.folders.empty() ||
           !loops_.folders.empty() || !filesNotRead_.empty();
}

QString RunOutcome::summary() const {
    if (complete())
        return {};
    QStringList parts;
    if (cancelled_)
        parts.append(readInPart_.isEmpty()
                         ? QStringLiteral("abgebrochen")
                         : QStringLiteral("abgebrochen, 1 Verzeichnis nur teilweise gelesen"));
    if (const std::size_t count = unreadable_.folders.size(); count > 0)
        parts.append(folderCount(count) + QStringLiteral(" nicht lesbar"));
    if (const std::size_t count = sizesUnreadable_.folders.size(); count > 0)
        parts.append(QStringLiteral("Größen in ") + sizesCount(count) +
                     QStringLiteral(" nicht lesbar"));
    if (const std::size_t count = loops_.folders.size(); count > 0)
        parts.append(count == 1 ? QStringLiteral("1 Dateisystemschleife")
                                : QStringLiteral("%1 Dateisystemschleifen").arg(count));
    if (const std::size_t count = filesNotRead_.size(); count > 0)
        parts.append(QStringLiteral("Prüfsummen von ") + fileCount(count) +
                     QStringLiteral(" fehlen"));
    return QStringLiteral("unvollständig: ") + parts.join(QStringLiteral(", "));
}

QString RunOutcome::details() const {
    QStringList lines;
    std::size_t room = detailedFolders;
    if (!readInPart_.isEmpty())
        lines.append(QStringLiteral("nur teilweise gelesen: ") + shownFolder(readInPart_));
    appendDetails(lines, unreadable_.folders, QStringLiteral("nicht lesbar: "), room);
    appendDetails(lines, sizesUnreadable_.folders, QStringLiteral("Größen nicht lesbar: "), room);
    appendDetails(lines, loops_.folders, QStringLiteral("Dateisystemschleife: "), room);
    appendDetails(lines, filesNotRead_, QStringLiteral("keine Prüfsumme: "), room);
    const std::size_t named = detailedFolders - room;
    const std::size_t all = unreadable_.folders.size() + sizesUnreadable_.folders.size() +
                            loops_.folders.size() + filesNotRead_.size();
    if (all > named)
        lines.append(QStringLiteral("… und %1 weitere").arg(all - named));
    return lines.join(QLatin1Char('\n'));
}

void RunOutcomeRecorder::searching(std::string_view folderPath, std::int64_t filesFound) {
    inner_.searching(folderPath, filesFound);
}

void RunOutcomeRecorder::processMessages() {
    const bool searching = settings_.Searching;
    inner_.processMessages();
    if (searching && !settings_.Searching)
        outcome_.setCancelled();
}

void RunOutcomeRecorder::processMessagesSoon() {
    const bool searching = settings_.Searching;
    inner_.processMessagesSoon();
    if (searching && !settings_.Searching)
        outcome_.setCancelled();
}

void RunOutcomeRecorder::folderUnreadable(const QByteArray& path, int error) {
    if (outcome_.addUnreadableFolder(path, error))
        inner_.folderUnreadable(path, error);
}

void RunOutcomeRecorder::folderSizesUnreadable(const QByteArray& path, int error) {
    if (outcome_.addFolderWithUnreadableSizes(path, error))
        inner_.folderSizesUnreadable(path, error);
}

void RunOutcomeRecorder::folderReadInPart(const QByteArray& path) {
    outcome_.setReadInPart(path);
    inner_.folderReadInPart(path);
}

void RunOutcomeRecorder::folderLoop(const QByteArray& path) {
    if (outcome_.addLoop(path))
        inner_.folderLoop(path);
}

void RunOutcomeRecorder::readProgress(std::int64_t bytesRead, std::int64_t bytesFound) {
    inner_.readProgress(bytesRead, bytesFound);
}

void RunOutcomeRecorder::fileUnreadable(const QByteArray& path, int error) {
    outcome_.addFileNotRead(path, error);
    inner_.fileUnreadable(path, error);
}

void RunOutcomeRecorder::fileChangedWhileRead(const QByteArray& path) {
    outcome_.addFileNotRead(path, 0);
    inner_.fileChangedWhileRead(path);
}

void RunOutcomeRecorder::folderOnOtherFileSystem(const QByteArray& path) {
    if (outcome_.addFolderOnOtherFileSystem(path))
        inner_.folderOnOtherFileSystem(path);
}

void RunOutcomeRecorder::searchedFolderExcluded(const QByteArray& path) {
    inner_.searchedFolderExcluded(path);
}
