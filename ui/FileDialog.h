#pragma once

#include <functional>
#include <QString>
#include <QStringList>

class QWidget;

// What the window asks of the save dialog.
struct SaveDialogRequest {
    QWidget* parent = nullptr;
    QString title;
    QString folder;   // the folder it opens in
    QString fileName; // the name it offers, empty for none
    QStringList filters;
    QString selectedFilter;
    QString defaultSuffix;
};

// What the user answered: the chosen file (full path) and the filter selected at the time.
struct SaveDialogAnswer {
    bool accepted = false;
    QString fileName;
    QString selectedFilter;
};

using SaveDialogFunction = std::function<SaveDialogAnswer(const SaveDialogRequest&)>;

// Shows the save dialog modally, or asks the function that tests put in its place.
SaveDialogAnswer ShowSaveDialog(const SaveDialogRequest& request);

// Puts `function` in place of the real dialog, so that tests answer without a window; an empty
// function brings the real dialog back. Returns the function that was in place.
SaveDialogFunction ReplaceSaveDialog(SaveDialogFunction function);

// The folder the save dialog opens in: the program's own folder, or the home folder when the
// program's folder cannot be written.
QString DefaultSaveFolder();

// `fileName` with "." and `suffix` appended when its name has no extension (no "." after the
// last "/"), as the dialog's default extension asks.
QString WithDefaultSuffix(const QString& fileName, const QString& suffix);
