#include "FolderChooser.h"

#include <QDir>
#include <QFileDialog>
#include <utility>

namespace {

FolderChooserAnswer& answerOverride() {
    static FolderChooserAnswer answer;
    return answer;
}

// Every folder of the file system can be chosen; the dialog starts in the home folder and
// confirms only folders that exist.
QString askWithDialog(QWidget* owner, const QString& title) {
    return QFileDialog::getExistingDirectory(owner, title, QDir::homePath(),
                                             QFileDialog::ShowDirsOnly);
}

} // namespace

QString ChooseFolder(QWidget* owner, int specialFolder, const QString& title) {
    const FolderChooserAnswer& answer = answerOverride();
    const QString chosen = answer ? answer(specialFolder, title) : askWithDialog(owner, title);
    return FolderWithoutTrailingSeparator(chosen);
}

QString FolderWithoutTrailingSeparator(const QString& path) {
    QString folder = path;
    while (folder.size() > 1 && folder.endsWith(QLatin1Char('/')))
        folder.chop(1);
    return folder;
}

ScopedFolderChooserAnswer::ScopedFolderChooserAnswer(FolderChooserAnswer answer)
    : previous_(std::exchange(answerOverride(), std::move(answer))) {}

ScopedFolderChooserAnswer::~ScopedFolderChooserAnswer() {
    answerOverride() = std::move(previous_);
}
