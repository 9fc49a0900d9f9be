#include "Scenes.h"
#include "Startup.h"
#include "uLoad.h"

#include <QLabel>
#include <QProgressBar>

// The progress window while the search reports a folder, and while the list is written.
void ProgressWindowScenes(Shots& shots) {
    CreateFolderInventoryWindows();
    frmLoad->show();
    frmLoad->progress().setSearchCaption(
        QStringLiteral("Suchen in /home/anna/Dokumente/Steuer 2023/Belege/Quittungen Januar/"));
    frmLoad->progress().setFoundCaption(QStringLiteral("Elemente gefunden: 12345"));
    shots.save(*frmLoad, QStringLiteral("progress-window-searching"));

    frmLoad->lbSearching->setText(WritingText);
    frmLoad->Progress->show();
    frmLoad->lbSearch->hide();
    frmLoad->Progress->setMaximum(250);
    frmLoad->Progress->setValue(100);
    shots.save(*frmLoad, QStringLiteral("progress-window-writing"));
    frmLoad->hide();
    DestroyFolderInventoryWindows();
}
