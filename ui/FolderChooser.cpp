#include "FolderChooser.h"

#include <QDir>
#include <QFileDialog>

namespace {

// Every folder of the file system can be chosen; the dialog starts in the home folder and
// confirms only folders that exist.
QString askWithDialog(QWidget* owner, const QString& title) {
    return QFileDialog::getExistingDirectory(owner, title, QDir::homePath(),
                                             QFileDialog::ShowDirsOnly);
}

} // namespace

QString ChooseFolder(QWidget* owner, int specialFolder, const QString& title) {
    const std::optional<QString> answer = ChooserSeam().takeAnswer({specialFolder, title});
    return FolderWithoutTrailingSeparator(answer ? *answer : askWithDialog(owner, title));
}

FolderChooserSeam& ChooserSeam() {
    static FolderChooserSeam seam;
    return seam;
}

QString FolderWithoutTrailingSeparator(const QString& path) {
    QString folder = path;
    while (folder.size() > 1 && folder.endsWith(QLatin1Char('/')))
        folder.chop(1);
    return folder;
}
