#pragma once

#include "DialogSeam.h"

#include <QString>

class QWidget;

// What "Hinzufügen" asks of the folder chooser.
struct FolderChooserRequest {
    int specialFolder = 0;
    QString title;
};
// The answer is the chosen folder, the empty text for a cancel.
using FolderChooserSeam = DialogSeam<FolderChooserRequest, QString>;

// Shows Qt's folder dialog over `owner` and returns the chosen folder without a trailing "/"
// ("/" for the root), or the empty text when the user cancelled. A test answers it through
// ChooserSeam().
QString ChooseFolder(QWidget* owner, int specialFolder, const QString& title);
FolderChooserSeam& ChooserSeam();

// The path without trailing "/" characters; "/" itself stays "/" and empty stays empty.
QString FolderWithoutTrailingSeparator(const QString& path);
