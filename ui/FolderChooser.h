#pragma once

#include <functional>
#include <QString>

class QWidget;

// The folder chooser behind "Hinzufügen": Qt's folder dialog, or, while a test has set one, an
// answer function in its place so that no test ever blocks on a real dialog.
using FolderChooserAnswer = std::function<QString(int specialFolder, const QString& title)>;

// Shows the chooser over `owner` and returns the chosen folder without a trailing "/" ("/" for
// the root), or the empty text when the user cancelled.
QString ChooseFolder(QWidget* owner, int specialFolder, const QString& title);

// The path without trailing "/" characters; "/" itself stays "/" and empty stays empty.
QString FolderWithoutTrailingSeparator(const QString& path);

// Replaces the dialog by `answer` for as long as the object lives.
class ScopedFolderChooserAnswer final {
public:
    explicit ScopedFolderChooserAnswer(FolderChooserAnswer answer);
    ~ScopedFolderChooserAnswer();
    ScopedFolderChooserAnswer(const ScopedFolderChooserAnswer&) = delete;
    ScopedFolderChooserAnswer& operator=(const ScopedFolderChooserAnswer&) = delete;

private:
    FolderChooserAnswer previous_;
};
