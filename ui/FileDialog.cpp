#include "FileDialog.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

namespace {

FileDialogAnswer RunFileDialog(const FileDialogRequest& request, QFileDialog::AcceptMode mode) {
    QFileDialog dialog(request.parent, request.title, request.folder);
    dialog.setAcceptMode(mode);
    if (mode == QFileDialog::AcceptSave) {
        dialog.setFileMode(QFileDialog::AnyFile);
        // An existing file is replaced without a question.
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
        // The extension appended to a name typed without one follows the type chosen.
        dialog.setDefaultSuffix(SuffixOfFilter(request.selectedFilter, request.defaultSuffix));
        QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                         [&dialog, &request](const QString& filter) {
                             dialog.setDefaultSuffix(SuffixOfFilter(filter, request.defaultSuffix));
                         });
    } else {
        dialog.setFileMode(QFileDialog::ExistingFile);
    }
    dialog.setNameFilters(request.filters);
    if (!request.selectedFilter.isEmpty())
        dialog.selectNameFilter(request.selectedFilter);
    // A full path offered from the last time opens the dialog in that file's folder.
    if (!request.fileName.isEmpty())
        dialog.selectFile(request.fileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return {true, dialog.selectedFiles().constFirst(), dialog.selectedNameFilter()};
}

} // namespace

FileDialogAnswer ShowSaveDialog(const FileDialogRequest& request) {
    if (std::optional<FileDialogAnswer> answer = SaveDialogSeam().takeAnswer(request))
        return *answer;
    return RunFileDialog(request, QFileDialog::AcceptSave);
}

FileDialogSeam& SaveDialogSeam() {
    static FileDialogSeam seam;
    return seam;
}

FileDialogAnswer ShowOpenDialog(const FileDialogRequest& request) {
    if (std::optional<FileDialogAnswer> answer = OpenDialogSeam().takeAnswer(request))
        return *answer;
    return RunFileDialog(request, QFileDialog::AcceptOpen);
}

FileDialogSeam& OpenDialogSeam() {
    static FileDialogSeam seam;
    return seam;
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

QStringList ListFileFilters() {
    return {TextFileFilter, AllFilesFilter};
}

QStringList EarlierListFilters() {
    return {TextFileFilter, JsonLinesFileFilter, EarlierChecksumListFilter, AllFilesFilter};
}

QStringList SaveFileFilters(bool withChecksums) {
    if (withChecksums)
        return {TextFileFilter,     CsvFileFilter,  JsonLinesFileFilter,
                ChecksumListFilter, HtmlFileFilter, AllFilesFilter};
    return {TextFileFilter, CsvFileFilter, JsonLinesFileFilter, HtmlFileFilter, AllFilesFilter};
}

QString SuffixOfFilter(const QString& filter, const QString& fallback) {
    const qsizetype start = filter.lastIndexOf(QStringLiteral("(*."));
    const qsizetype end = filter.lastIndexOf(QLatin1Char(')'));
    if (start < 0 || end < start + 3)
        return fallback;
    const QString suffix = filter.mid(start + 3, end - start - 3);
    return suffix == QLatin1String("*") ? fallback : suffix;
}
