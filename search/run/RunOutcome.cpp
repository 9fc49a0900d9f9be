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

void appendDetails(QStringList& lines, const std::vector<RunOutcome::Folder>& folders,
                   const QString& prefix, std::size_t& room) {
    for (const RunOutcome::Folder& folder : folders) {
        if (room == 0)
            return;
        --room;
        lines.append(prefix + shownFolder(folder.path) + QStringLiteral(": ") +
                     QString::fromLocal8Bit(std::strerror(folder.error)));
    }
}

} // namespace

void RunOutcome::addUnreadableFolder(const QByteArray& path, int error) {
    if (!unreadableSeen_.contains(path)) {
        unreadableSeen_.insert(path);
        unreadable_.push_back({path, error});
    }
}

void RunOutcome::addFolderWithUnreadableSizes(const QByteArray& path, int error) {
    if (!sizesSeen_.contains(path)) {
        sizesSeen_.insert(path);
        sizesUnreadable_.push_back({path, error});
    }
}

bool RunOutcome::complete() const {
    return !cancelled_ && unreadable_.empty() && sizesUnreadable_.empty();
}

QString RunOutcome::summary() const {
    if (complete())
        return {};
    QStringList parts;
    if (cancelled_)
        parts.append(QStringLiteral("abgebrochen"));
    if (!unreadable_.empty())
        parts.append(folderCount(unreadable_.size()) + QStringLiteral(" nicht lesbar"));
    if (!sizesUnreadable_.empty()) {
        parts.append(QStringLiteral("Größen in ") + sizesCount(sizesUnreadable_.size()) +
                     QStringLiteral(" nicht lesbar"));
    }
    return QStringLiteral("unvollständig: ") + parts.join(QStringLiteral(", "));
}

QString RunOutcome::details() const {
    QStringList lines;
    std::size_t room = detailedFolders;
    appendDetails(lines, unreadable_, QStringLiteral("nicht lesbar: "), room);
    appendDetails(lines, sizesUnreadable_, QStringLiteral("Größen nicht lesbar: "), room);
    const std::size_t named = detailedFolders - room;
    const std::size_t all = unreadable_.size() + sizesUnreadable_.size();
    if (all > named)
        lines.append(QStringLiteral("… und %1 weitere").arg(all - named));
    return lines.join(QLatin1Char('\n'));
}

void RunOutcomeRecorder::setSearchCaption(const QString& text) {
    inner_.setSearchCaption(text);
}

void RunOutcomeRecorder::setFoundCaption(const QString& text) {
    inner_.setFoundCaption(text);
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
    outcome_.addUnreadableFolder(path, error);
    inner_.folderUnreadable(path, error);
}

void RunOutcomeRecorder::folderSizesUnreadable(const QByteArray& path, int error) {
    outcome_.addFolderWithUnreadableSizes(path, error);
    inner_.folderSizesUnreadable(path, error);
}

void RunOutcomeRecorder::folderLoop(const QByteArray& path) {
    inner_.folderLoop(path);
}
