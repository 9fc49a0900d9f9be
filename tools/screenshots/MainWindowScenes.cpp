#include "FolderChooser.h"
#include "Scenes.h"
#include "Startup.h"
#include "uMain.h"

#include <QPushButton>
#include <QRadioButton>
#include <QStringList>

namespace {

void addFolders(const QStringList& folders) {
    for (const QString& folder : folders) {
        ChooserSeam().setNextAnswer(folder);
        frmMain->btnAddDir->click();
    }
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
    DestroyFolderInventoryWindows();
}
