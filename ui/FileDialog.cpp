#include "SaveDialog.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <utility>

namespace {

SaveDialogFunction& Replacement() {
    static SaveDialogFunction function;
    return function;
}

SaveDialogAnswer RunFileDialog(const SaveDialogRequest& request) {
    QFileDialog dialog(request.parent, request.title, request.folder);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    // An existing file is replaced without a question.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setNameFilters(request.filters);
    if (!request.selectedFilter.isEmpty())
        dialog.selectNameFilter(request.selectedFilter);
    dialog.setDefaultSuffix(request.defaultSuffix);
    // A full path offered from the last save opens the dialog in that file's folder.
    if (!request.fileName.isEmpty())
        dialog.selectFile(request.fileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return {true, dialog.selectedFiles().constFirst(), dialog.selectedNameFilter()};
}

} // namespace

SaveDialogAnswer ShowSaveDialog(const SaveDialogRequest& request) {
    if (Replacement())
        return Replacement()(request);
    return RunFileDialog(request);
}

SaveDialogFunction ReplaceSaveDialog(SaveDialogFunction function) {
    return std::exchange(Replacement(), std::move(function));
}

QString DefaultSaveFolder() {
    const QString programFolder = QCoreApplication::applicationDirPath();
    const QFileInfo info(programFolder);
    if (!programFolder.isEmpty() && info.isDir() && info.isWritable())
        return programFolder;
    return QDir::homePath();
}

QString WithDefaultSuffix(const QString& fileName, const QString& suffix) {
    const qsizetype lastDot = fileName.lastIndexOf(QLatin1Char('.'));
    const qsizetype lastSlash = fileName.lastIndexOf(QLatin1Char('/'));
    if (suffix.isEmpty() || lastDot > lastSlash)
        return fileName;
    return fileName + QLatin1Char('.') + suffix;
}
