#pragma once

#include "ScopeOptions.h"

#include <QDialog>
#include <QString>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;

// The main window: the folder list with its recursion flags, the masks, the exclusions, the
// further options of the search behind "Optionen..." and the output style.
// It is a QDialog because a dialog gives the default-button behaviour of "Start!" (Enter presses
// it unless another push button has the focus); the window flags make it an ordinary top-level
// window with a minimize box; Escape does not close it.
class TfrmMain final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TfrmMain)

public:
    explicit TfrmMain(QWidget* parent = nullptr);
    ~TfrmMain() override;

    // Opens the folder chooser; the chosen folder, or the empty text when cancelled.
    QString SelectFolder(int specialFolder, const QString& title);

    // Row of the selected entry of lbFolders, -1 when none is selected.
    int selectedFolderIndex() const;

    // What the search leaves out and keeps, as the exclusion field and the options say; spans
    // count back from `now`. The options were checked when they were taken.
    SearchScope searchScope(FileTime now) const;
    const ScopeOptions& scopeOptions() const { return scopeOptions_; }

    // Controls in the order of the window's declaration; the search run reads them.
    QGroupBox* gbSettings = nullptr;
    QLabel* lbDirectories = nullptr;
    QListWidget* lbFolders = nullptr;
    QPushButton* btnAddDir = nullptr;
    QPushButton* btnRemoveDir = nullptr;
    QGroupBox* gbRecurse = nullptr;
    QCheckBox* cbUseSettingsForAll = nullptr;
    QCheckBox* cbRecurse = nullptr;
    QLabel* lbFileMasks = nullptr;
    QLineEdit* edFileMasks = nullptr;
    QLabel* lbExclude = nullptr;
    QLineEdit* edExclude = nullptr;
    QPushButton* btnOptions = nullptr;
    QLabel* lbOptions = nullptr;
    QGroupBox* gbOutPut = nullptr;
    QCheckBox* cbFileExts = nullptr;
    QPushButton* btnGo = nullptr;
    QPushButton* btnReset = nullptr;
    QPushButton* btnQuit = nullptr;
    QPushButton* btnAbout = nullptr;
    QRadioButton* rbAdvOutPut = nullptr;
    QRadioButton* rbSimpleOutPut = nullptr;
    QCheckBox* cbFullPath = nullptr;
    // Read every file for its SHA-256 checksum, which the saved table, JSON Lines and checksum
    // list carry.
    QCheckBox* cbHash = nullptr;

public:
    // Event handlers, named after control and event.
    void btnAddDirClick();
    void lbFoldersClick();
    void btnRemoveDirClick();
    void btnGoClick();
    void btnQuitClick();
    void cbRecurseClick();
    void btnAboutClick();
    void btnResetClick();
    void rbAdvOutPutClick();
    void btnOptionsClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormCreate();
    void createSettingsGroup();
    void createRecurseGroup();
    void createScopeRow();
    void showScopeOptions();
    void createOutputGroup();
    void createButtonRow();
    void arrangeTabOrder();
    void setToolTips();
    void connectHandlers();
    void appendFolderEntry(const QString& path);
    void addFolder(const QString& path);
    void addDroppedFolders(const QStringList& folders);

    ScopeOptions scopeOptions_;
};

extern TfrmMain* frmMain;

// True only while a search run copies lines into the result window.
extern bool Writing;
