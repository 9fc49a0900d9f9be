#include "run/SearchProgress.h"
#include "Scenes.h"
#include "Startup.h"
#include "uLoad.h"

#include <cstdio>
#include <QLabel>
#include <QProgressBar>
#include <QTest>

// The progress window while the search reports a folder, while it reads files for their
// checksums, and while the list is written.
void ProgressWindowScenes(Shots& shots) {
    CreateFolderInventoryWindows();
    frmLoad->show();
    frmLoad->progress().searching("/home/anna/Dokumente/Steuer 2023/Belege/Quittungen Januar/",
                                  12345);
    shots.save(*frmLoad, QStringLiteral("progress-window-searching"));

    // A path far longer than the label, shortened in the middle to the folder being read.
    QString path = QStringLiteral("/home/anna/Archiv");
    for (int level = 1; path.size() < 540; ++level)
        path += QStringLiteral("/Unterordner_mit_langem_Namen_%1").arg(level);
    path += QStringLiteral("/Nummer_7/");
    frmLoad->progress().searching(path.toStdString(), 734512);
    if (!QTest::qWaitFor(
            [] { return frmLoad->lbSearch->text().endsWith(QStringLiteral("/Nummer_7/")); }))
        std::fprintf(stderr, "screenshot: the long path was not shown\n");
    shots.save(*frmLoad, QStringLiteral("progress-window-long-path"));

    // Reading checksums: the widest figures a read shows, hundreds of gigabytes and hours left.
    SearchProgress& reading = frmLoad->progress();
    const std::int64_t found = 987654321098;
    reading.readProgress(0, found);
    QTest::qWait(300); // one span of the rate
    reading.readProgress(823456, found);
    if (!frmLoad->lbRead->text().contains(QStringLiteral(" h")))
        std::fprintf(stderr, "screenshot: the time left was not shown in hours\n");
    shots.save(*frmLoad, QStringLiteral("progress-window-reading"));
    frmLoad->hideReadProgress();

    frmLoad->lbSearching->setText(WritingText);
    frmLoad->Progress->show();
    frmLoad->lbSearch->hide();
    frmLoad->Progress->setMaximum(250);
    frmLoad->Progress->setValue(100);
    shots.save(*frmLoad, QStringLiteral("progress-window-writing"));
    frmLoad->hide();
    DestroyFolderInventoryWindows();
}
