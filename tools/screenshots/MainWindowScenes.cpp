#include "FolderChooser.h"
#include "Scenes.h"
#include "Startup.h"
#include "uMain.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStringList>
#include <QTimer>

namespace {

void addFolders(const QStringList& folders) {
    for (const QString& folder : folders) {
        ChooserSeam().setNextAnswer(folder);
        frmMain->btnAddDir->click();
    }
}

// The options dialog filled in and taken with "OK", as a user leaves it.
void setOptions() {
    QTimer::singleShot(0, [] {
        QWidget* dialog = QApplication::activeModalWidget();
        if (dialog == nullptr)
            return;
        dialog->findChild<QLineEdit*>(QStringLiteral("edMaxDepth"))->setText(QStringLiteral("3"));
        dialog->findChild<QLineEdit*>(QStringLiteral("edMinSize"))->setText(QStringLiteral("10k"));
        dialog->findChild<QLineEdit*>(QStringLiteral("edNewer"))->setText(QStringLiteral("30d"));
        dialog->findChild<QCheckBox*>(QStringLiteral("cbOneFileSystem"))->setChecked(true);
        dialog->findChild<QPushButton*>(QStringLiteral("btnOk"))->click();
    });
    frmMain->btnOptions->click();
}

} // namespace

void MainWindowScenes(Shots& shots) {
    CreateFolderInventoryWindows();
    frmMain->show();
    shots.save(*frmMain, QStringLiteral("main-window"));

    addFolders({QStringLiteral("/home/anna/Dokumente"), QStringLiteral("/srv/projekte/archiv"),
                QStringLiteral("/usr/share/doc")});
    frmMain->rbSimpleOutPut->click();
    shots.save(*frmMain, QStringLiteral("main-window-three-folders-simple"));

    // The focus on "Start!", the default button: the dotted focus frame tells them apart.
    frmMain->btnGo->setFocus(Qt::TabFocusReason);
    shots.save(*frmMain, QStringLiteral("main-window-start-focused"));

    shots.saveModal([] { frmMain->btnAbout->click(); }, QStringLiteral("about-box"));

    frmMain->edExclude->setText(QStringLiteral(".git;node_modules;Projekte/*/build"));
    setOptions();
    shots.save(*frmMain, QStringLiteral("main-window-exclusions-and-options"));
    shots.saveModal([] { frmMain->btnOptions->click(); }, QStringLiteral("options-dialog"));
    DestroyFolderInventoryWindows();
}
