#include "base/DigestAlgorithm.h"
#include "FileDialog.h"
#include "format/InventoryFile.h"
#include "MessageBox.h"
#include "ResultWindowTestSupport.h"
#include "ScanHelpers.h"
#include "SearchDriver.h"
#include "TempTree.h"
#include "uList.h"
#include "WindowDriver.h"

#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <sys/stat.h>

namespace {

// "Vergleichen..." with the open dialog and the error box answered through their seams.
class ResultWindowCompareTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(saved.isValid());
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }
    void TearDown() override {
        OpenDialogSeam().reset();
        SaveDialogSeam().reset();
        ErrorBoxSeam().reset();
    }

    QString save(const std::string& text) const {
        const QString path = saved.filePath(QStringLiteral("frueher.txt"));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text.data(), qint64(text.size()));
        return path;
    }
    void show(const std::string& text) const {
        QStringList lines = QString::fromStdString(text).split(QStringLiteral("\r\n"));
        lines.removeLast(); // behind the last line break
        for (const QString& line : lines)
            window->mList->append(line.toStdString());
    }
    void compare() const {
        QTest::mouseClick(FindControl<QPushButton>(*window, "btnCompare"), Qt::LeftButton);
    }
    // The next comparison window is handed to `inspect` and then closed with "Zurück".
    static void closeReport(const std::function<void(TfrmList&)>& inspect) {
        QTimer::singleShot(0, [inspect] {
            ASSERT_TRUE(
                QTest::qWaitFor([] { return QApplication::activeModalWidget() != nullptr; }));
            auto* report = qobject_cast<TfrmList*>(QApplication::activeModalWidget());
            ASSERT_NE(report, nullptr);
            inspect(*report);
            QTest::mouseClick(FindControl<QPushButton>(*report, "btnBack"), Qt::LeftButton);
        });
    }

    TempTree tree;
    QTemporaryDir saved;
    std::unique_ptr<TfrmList> window = std::make_unique<TfrmList>();
};

TEST_F(ResultWindowCompareTest, ShowsTheDifferencesInAComparisonWindowOfTheSameKind) {
    tree.file("a.txt", 5);
    const QString earlier = save(SavedListingText(tree.root()));
    OpenDialogSeam().setNextAnswer({true, earlier, {}});
    tree.file("b.txt", 9);
    show(SavedListingText(tree.root()));

    QString title;
    QStringList lines;
    bool hasCompareButton = true;
    QString copied;
    closeReport([&](TfrmList& report) {
        title = report.windowTitle();
        lines = LinesOf(report.mList->lines());
        hasCompareButton = report.findChild<QPushButton*>(QStringLiteral("btnCompare")) != nullptr;
        QTest::mouseClick(FindControl<QPushButton>(report, "btnCopyToClipboard"), Qt::LeftButton);
        copied = QApplication::clipboard()->text();
    });
    compare();

    EXPECT_EQ(title, "FolderInventory - Vergleich");
    // The earlier list's file and the summary open the report; the summary closes it too.
    const QStringList expected{"Frühere Liste: " + earlier,
                               "1 neu, 0 entfernt, 0 geändert",
                               "",
                               "+ " + tree.path("b.txt") + " (9 Bytes)",
                               "",
                               "1 neu, 0 entfernt, 0 geändert"};
    EXPECT_EQ(lines, expected);
    EXPECT_FALSE(hasCompareButton);
    EXPECT_EQ(copied, expected.join('\n') + '\n');
    ASSERT_EQ(OpenDialogSeam().requests().size(), 1u);
    EXPECT_EQ(OpenDialogSeam().requests().front().title, "Frühere Liste öffnen");
    EXPECT_EQ(OpenDialogSeam().requests().front().filters,
              QStringList({"Textdateien (*.txt)", "JSON Lines (*.jsonl)",
                           "Prüfsummenliste (*.sha256 *.sha512 *.sha1 *.md5 *SUMS)",
                           "Alle Dateien (*.*)"}));
}

// A copy of a tree in another folder compares path by path below the two folders, which the
// report names under the earlier list's file.
TEST_F(ResultWindowCompareTest, ACopyInAnotherFolderComparesBelowBothFolders) {
    tree.file("original/a.txt", 5);
    tree.file("kopie/a.txt", 5);
    tree.file("kopie/b.txt", 9);
    const QString earlier = save(SavedListingText(tree.path("original")));
    OpenDialogSeam().setNextAnswer({true, earlier, {}});
    show(SavedListingText(tree.path("kopie")));
    QStringList lines;
    closeReport([&](TfrmList& report) { lines = LinesOf(report.mList->lines()); });
    compare();
    EXPECT_EQ(lines,
              QStringList({"Frühere Liste: " + earlier,
                           "Verglichen werden " + tree.path("original") + "/ (frühere Liste) und " +
                               tree.path("kopie") + "/ (neue Liste), Pfad für Pfad darunter",
                           "1 neu, 0 entfernt, 0 geändert", "", "+ b.txt (9 Bytes)", "",
                           "1 neu, 0 entfernt, 0 geändert"}));
}

// What the run knows the list on screen lacks (here: it was cancelled) opens the report as a
// note, wrapped to the window's width, and what the run never reached is not counted as gone.
TEST_F(ResultWindowCompareTest, WhatTheShownListLacksIsNotedAndLeftOpen) {
    tree.file("a.txt", 5);
    tree.file("b.txt", 6);
    OpenDialogSeam().setNextAnswer({true, save(SavedListingText(tree.root())), {}});
    QFile::remove(tree.path("b.txt"));
    show(SavedListingText(tree.root()));
    RunOutcome cancelled;
    cancelled.setCancelled();
    window->setOutcome(cancelled);

    QStringList lines;
    closeReport([&](TfrmList& report) { lines = LinesOf(report.mList->lines()); });
    compare();

    ASSERT_GE(lines.size(), 4);
    EXPECT_TRUE(lines.at(1).startsWith("Hinweis: Neue Liste: Die Suche wurde abgebrochen"));
    EXPECT_TRUE(lines.at(2).startsWith("         ")) << lines.at(2).toStdString();
    EXPECT_LE(lines.at(1).size(), 100);
    EXPECT_TRUE(lines.join(' ').simplified().contains(
        "Hinweis: Neue Liste: Die Suche wurde abgebrochen; 1 Eintrag der früheren Liste hinter "
        "ihrem Ende bleibt offen."));
    EXPECT_EQ(lines.last(),
              "0 neu, 0 entfernt, 0 geändert; unvollständig, 1 offen (siehe Hinweis)");
}

// The open dialog starts in the folder of the list saved or opened last.
TEST_F(ResultWindowCompareTest, OpenDialogStartsWhereTheLastListWasSavedOrOpened) {
    show(SavedListingText(tree.root()));
    const QString savedList = tree.path("Ablage/liste.txt");
    tree.folder("Ablage");
    SaveDialogSeam().setNextAnswer({true, savedList, "Textdateien (*.txt)"});
    QTest::mouseClick(FindControl<QPushButton>(*window, "btnSaveAs"), Qt::LeftButton);
    OpenDialogSeam().setNextAnswer({});
    compare();
    ASSERT_EQ(OpenDialogSeam().requests().size(), 1u);
    EXPECT_EQ(OpenDialogSeam().requests().back().folder, tree.path("Ablage"));

    OpenDialogSeam().setNextAnswer({true, save(SavedListingText(tree.root())), {}});
    closeReport([](TfrmList&) {});
    compare();
    OpenDialogSeam().setNextAnswer({});
    compare();
    EXPECT_EQ(OpenDialogSeam().requests().back().folder, saved.path());
    EXPECT_EQ(OpenDialogSeam().requests().back().fileName, saved.filePath("frueher.txt"));
}

TEST_F(ResultWindowCompareTest, AListThatCannotBeComparedGivesTheErrorBoxWithTheReason) {
    show(SavedListingText(tree.root()));
    OpenDialogSeam().setNextAnswer({}); // cancelled: nothing happens
    compare();
    const QString bareNames = save("a.txt\r\nb.txt\r\n");
    OpenDialogSeam().setNextAnswer({true, bareNames, {}});
    ErrorBoxSeam().setNextAnswer(MessageBoxAnswer::Ok);
    compare();

    // A list of names without their extensions is refused before any file is asked for.
    window->setNamesWithoutExtensions(true);
    ErrorBoxSeam().setNextAnswer(MessageBoxAnswer::Ok);
    compare();
    EXPECT_EQ(OpenDialogSeam().requests().size(), 2u);

    ASSERT_EQ(ErrorBoxSeam().requests().size(), 2u);
    EXPECT_TRUE(ErrorBoxSeam().requests().back().text.contains("ohne Dateierweiterung"));
    const QString text = ErrorBoxSeam().requests().front().text;
    EXPECT_TRUE(text.startsWith(bareNames + ": ")) << text.toStdString();
    EXPECT_TRUE(text.contains("einfache Liste ohne Pfade")) << text.toStdString();
    EXPECT_EQ(OpenDialogSeam().requests().at(1).fileName, QString()); // nothing chosen before
}

} // namespace

namespace {

// The records of a search of `folder` as the window keeps them after a run, with the files'
// digests where `digest` is given.
std::unique_ptr<KeptRun> keptRunOf(const QString& folder,
                                   std::optional<DigestAlgorithm> digest = std::nullopt) {
    auto run = std::make_unique<KeptRun>();
    if (digest)
        run->records.setDigest(*digest);
    InitSearchFiles(run->searched);
    AddSearchFolder(run->searched, folder, true);
    run->searched.Masks = QStringLiteral("*.*");
    run->created = CurrentTime();
    TSearchFiles settings = run->searched;
    SearchProgress silent;
    RunSearch(settings, run->records, silent);
    return run;
}

// An earlier inventory in JSON Lines compares with the run's own records, by exact names and
// times: a file touched at the same size has changed.
TEST_F(ResultWindowCompareTest, AnInventoryComparesWithTheRunsRecordsByTime) {
    tree.file("a.txt", 5);
    const QString earlier = saved.filePath("frueher.jsonl");
    ASSERT_TRUE(WriteInventoryFile(*keptRunOf(tree.root()), InventoryFormat::Json, earlier,
                                   {"FolderInventory", "1.0.0"})
                    .isEmpty());
    const timespec later[2] = {{2000000000, 0}, {2000000000, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(tree.path("a.txt")).constData(), later, 0),
              0);
    show(SavedListingText(tree.root()));
    window->setKeptRun(keptRunOf(tree.root()));
    OpenDialogSeam().setNextAnswer({true, earlier, {}});

    QStringList lines;
    closeReport([&](TfrmList& report) { lines = LinesOf(report.mList->lines()); });
    compare();
    ASSERT_GE(lines.size(), 3);
    EXPECT_EQ(lines.last(), "0 neu, 0 entfernt, 1 geändert");
    EXPECT_TRUE(lines.at(lines.size() - 3)
                    .startsWith("~ " + tree.path("a.txt") + " (Größe gleich, geändert "))
        << lines.join('\n').toStdString();
}

// A checksum list that sha256sum made in the searched folder compares with a run that read
// checksums, by content and presence: a byte flipped behind an unchanged time and a file gone
// are found, the list itself is new, and the folder, which no checksum list names, is passed
// over. The note says what such a list cannot tell.
TEST_F(ResultWindowCompareTest, AChecksumListComparesWithTheRunsChecksumsByContent) {
    tree.file("a.txt", 2000);
    tree.file("sub/b.txt", 7);
    tree.file("gone.txt", 3);
    QProcess sums;
    sums.setWorkingDirectory(tree.root());
    sums.setStandardOutputFile(tree.path("SHA256SUMS"));
    sums.start(QStringLiteral("sha256sum"), {"a.txt", "./sub/b.txt", "gone.txt"});
    ASSERT_TRUE(sums.waitForFinished());
    ASSERT_EQ(sums.exitCode(), 0);
    tree.flipByteKeepingTimes("a.txt");
    QFile::remove(tree.path("gone.txt"));
    show(SavedListingText(tree.root()));
    window->setKeptRun(keptRunOf(tree.root(), DigestAlgorithm::Sha256));
    OpenDialogSeam().setNextAnswer({true, tree.path("SHA256SUMS"), {}});

    QStringList lines;
    closeReport([&](TfrmList& report) { lines = LinesOf(report.mList->lines()); });
    compare();
    ASSERT_GE(lines.size(), 6) << lines.join('\n').toStdString();
    const QStringList differences = lines.mid(lines.indexOf(QString()) + 1);
    const QStringList expected{"+ " + tree.path("SHA256SUMS") + " (" +
                                   QString::number(QFileInfo(tree.path("SHA256SUMS")).size()) +
                                   " Bytes)",
                               "~ " + tree.path("a.txt") + " (Inhalt geändert)",
                               "- " + tree.path("gone.txt"), "", "1 neu, 1 entfernt, 1 geändert"};
    EXPECT_EQ(differences, expected) << lines.join('\n').toStdString();
    const QString notes = lines.mid(0, lines.indexOf(QString())).join(' ').simplified();
    EXPECT_TRUE(notes.contains("Hinweis: Die frühere Liste ist eine Prüfsummenliste: Sie nennt "
                               "nur Dateien, die ganz gelesen wurden, ohne Größe und Zeit"))
        << notes.toStdString();
}

} // namespace
