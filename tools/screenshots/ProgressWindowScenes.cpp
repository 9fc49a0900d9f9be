#include "Scenes.h"
#include "Startup.h"
#include "uLoad.h"

#include <cstdio>
#include <QLabel>
#include <QProgressBar>
#include <QTest>

// The progress window while the search reports a folder, and while the list is written.
void ProgressWindowScenes(Shots& shots) {
    CreateFolderInventoryWindows();
    frmLoad->show();
    frmLoad->progress().setSearchCaption(
        QStringLiteral("Suchen in /home/anna/Dokumente/Steuer 2023/Belege/Quittungen Januar/"));
    frmLoad->progress().setFoundCaption(QStringLiteral("Elemente gefunden: 12345"));
    shots.save(*frmLoad, QStringLiteral("progress-window-searching"));

    // A path far longer than the label, shortened in the middle to the folder being read.
    QString path = QStringLiteral("/home/anna/Archiv");
    for (int level = 1; path.size() < 540; ++level)
        path += QStringLiteral("/Unterordner_mit_langem_Namen_%1").arg(level);
    path += QStringLiteral("/Nummer_7/");
    frmLoad->progress().setSearchCaption(QStringLiteral("Suchen in ") + path);
    frmLoad->progress().setFoundCaption(QStringLiteral("Elemente gefunden: 734512"));
    if (!QTest::qWaitFor(
            [] { return frmLoad->lbSearch->text().endsWith(QStringLiteral("/Nummer_7/")); }))
        std::fprintf(stderr, "screenshot: the long path was not shown\n");
    shots.save(*frmLoad, QStringLiteral("progress-window-long-path"));

    frmLoad->lbSearching->setText(WritingText);
    frmLoad->Progress->show();
    frmLoad->lbSearch->hide();
    frmLoad->Progress->setMaximum(250);
    frmLoad->Progress->setValue(100);
    shots.save(*frmLoad, QStringLiteral("progress-window-writing"));
    frmLoad->hide();
    DestroyFolderInventoryWindows();
}
