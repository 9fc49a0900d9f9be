#include "FileDialog.h"
#include "format/HeaderBlock.h"
#include "LineView.h"
#include "MainWindowFixture.h"
#include "MessageBox.h"
#include "QtPrinters.h"
#include "ReferenceDigests.h"
#include "run/SearchSettings.h"
#include "ScanHelpers.h"
#include "SearchDriver.h"
#include "TempTree.h"
#include "uList.h"
#include "uLoad.h"

#include <fcntl.h>
#include <functional>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDialog>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <sys/resource.h>
#include <unistd.h>

namespace {

// "Start!" on real trees: the progress window, the header, the writing and the result window.
class SearchRunTest : public MainWindowFixture {
protected:
    void SetUp() override {
        MainWindowFixture::SetUp();
        tree.file("A/a.txt", 10);
        tree.file("A/b.doc", 20);
        tree.file("A/sub/c.txt", 30);
        tree.file("B/x.txt", 40);
        tree.file("B/sub/y.doc", 50);
        load = frmLoad;
        bar = FindControl<QProgressBar>(*load, "Progress");
        lbSearch = FindControl<QLabel>(*load, "lbSearch");
        lbSearching = FindControl<QLabel>(*load, "lbSearching");
        cancel = FindControl<QPushButton>(*load, "btnCancel");
    }

    // Folder A with its subfolders, B without, masks "*.txt;*.doc".
    void prepareTwoFolders() {
        addFolder(tree.path("A"));
        click(recurse);
        addFolder(tree.path("B"));
        setMasks("*.txt;*.doc");
    }

    void setMasks(const QString& text) {
        masks->selectAll();
        QTest::keyClick(masks, Qt::Key_Delete);
        QTest::keyClicks(masks, text);
    }

    // Runs `start` (which presses "Start!"); when the result window is shown, records its lines,
    // runs `whileShown` and leaves it with "Zurück".
    QStringList runAndCollect(const std::function<void()>& start,
                              const std::function<void()>& whileShown = {}) {
        QStringList shown;
        bool closed = false;
        QTimer watcher;
        watcher.setInterval(1);
        QObject::connect(&watcher, &QTimer::timeout, [&] {
            if (closed || QApplication::activeModalWidget() != frmList)
                return;
            closed = true;
            shown = LinesOf(frmList->mList->lines());
            const auto* note = FindControl<QLabel>(*frmList, "lbIncomplete");
            seenWindowState = {load->isVisible(), bar->value(), bar->maximum(),
                               note->isVisible() ? note->text() : QString(), note->toolTip()};
            if (whileShown)
                whileShown();
            QTest::mouseClick(FindControl<QPushButton>(*frmList, "btnBack"), Qt::LeftButton);
        });
        watcher.start();
        start();
        EXPECT_TRUE(closed) << "the result window was never shown";
        EXPECT_FALSE(frmList->isVisible());
        return shown;
    }

    // A click that takes the way of a user's click, through the window system, where a window
    // blocked by the progress window gets nothing.
    void clickThroughWindowSystem(QWidget* control) const {
        const QPoint inWindow = control->mapTo(window, control->rect().center());
        QTest::mouseClick(window->windowHandle(), Qt::LeftButton, {}, inWindow);
    }

    QStringList clickStart() {
        return runAndCollect([&] { click(button("btnGo")); });
    }

    // What the run must show: the header (extended output) and the engine's lines.
    QStringList expectedFor(bool extended, bool withFullPath = false, bool extensions = true) {
        TSearchFiles settings;
        settings.Folders = SearchFiles.Folders;
        settings.Recurse = SearchFiles.Recurse;
        settings.Masks = masks->text();
        ResultLines lines;
        if (extended)
            AppendHeaderBlock(settings, lines);
        SearchProgress silent;
        RunSearchLines(settings, withFullPath, extensions, extended, lines, silent);
        return LinesOf(lines);
    }

    // Runs `stop` in a pump of the search once the first folder is being searched, and returns
    // what the result window shows then.
    QStringList runStoppedInTheFirstFolder(const std::function<void()>& stop) {
        prepareTwoFolders();
        QTimer stopper;
        stopper.setInterval(0);
        QObject::connect(&stopper, &QTimer::timeout, [&] {
            if (lbSearch->text().startsWith("Suchen in " + tree.path("A")) &&
                SearchFiles.Searching) {
                stopper.stop();
                stop();
            }
        });
        stopper.start();
        return clickStart();
    }

    // The first folder's block, the footer and the line that says the list was cut short,
    // nothing of the second folder.
    void expectListStoppedInTheFirstFolder(const QStringList& shown) {
        ASSERT_GE(shown.size(), 3);
        EXPECT_EQ(shown.first(), "**    FolderInventory     **");
        EXPECT_EQ(shown.filter("Verzeichnis von " + tree.path("B")).size(), 0);
        EXPECT_GE(shown.filter("Verzeichnis von " + tree.path("A")).size(), 1);
        EXPECT_EQ(shown.at(shown.size() - 1), "Abgebrochen: Die Liste ist unvollständig.");
        EXPECT_TRUE(shown.at(shown.size() - 2).endsWith(" Verzeichnis(se)"));
        EXPECT_TRUE(shown.at(shown.size() - 3).contains("Datei(en) insgesamt"));
        EXPECT_LT(shown.size(), expectedFor(true).size());
        EXPECT_FALSE(SearchFiles.Searching);
        EXPECT_FALSE(Writing);
        EXPECT_EQ(seenWindowState.incompleteNote, "unvollständig: abgebrochen");
    }

    struct WindowState {
        bool loadVisible = false;
        int value = -1;
        int maximum = -1;
        QString incompleteNote; // empty while the note is hidden
        QString incompleteTip;
    };

    TempTree tree;
    TfrmLoad* load = nullptr;
    QProgressBar* bar = nullptr;
    QLabel* lbSearch = nullptr;
    QLabel* lbSearching = nullptr;
    QPushButton* cancel = nullptr;
    WindowState seenWindowState;
};

TEST_F(SearchRunTest, ExtendedRunShowsHeaderAndEngineLines) {
    prepareTwoFolders();
    const QStringList expected = expectedFor(true);
    const QStringList shown = clickStart();
    EXPECT_EQ(shown, expected);
    EXPECT_EQ(shown.at(5), " " + tree.path("A") + " [mit Unterverzeichnissen]");
    EXPECT_EQ(shown.at(6), " " + tree.path("B") + " [ohne Unterverzeichnisse]");
    EXPECT_EQ(shown.at(8), "Suchmasken: *.txt;*.doc");
    EXPECT_EQ(SearchFiles.Masks, "*.txt;*.doc");
    EXPECT_FALSE(seenWindowState.loadVisible);
    EXPECT_EQ(seenWindowState.value, static_cast<int>(expected.size()));
    EXPECT_EQ(seenWindowState.maximum, static_cast<int>(expected.size()));
}

// With the controls as the window opens: every entry, the extended listing, a new folder with
// its subfolders; the simple output then gives the names with their extensions, without paths.
TEST_F(SearchRunTest, StartSettingsListEverythingExtendedWithSubfolders) {
    addFolder(tree.path("A"));
    const QStringList shown = clickStart();
    ASSERT_GT(shown.size(), 9);
    EXPECT_EQ(shown.at(5), " " + tree.path("A") + " [mit Unterverzeichnissen]");
    EXPECT_EQ(shown.at(7), "Suchmasken: *.*");
    EXPECT_TRUE(shown.contains("Verzeichnis von " + tree.path("A") + "/sub/"));
    EXPECT_TRUE(shown.contains(FileLine(20, "b.doc")));
    EXPECT_EQ(shown.last(), "2          Verzeichnis(se)");

    click(simple);
    EXPECT_EQ(clickStart(), QStringList({".", "..", "a.txt", "b.doc", "sub", ".", "..", "c.txt"}));
}

// Exclusions typed into the window and options set in their dialog shape the run: the
// header names them, the excluded folder and the files below the minimum size are gone, and the
// folder deeper than allowed is listed but not entered.
TEST_F(SearchRunTest, ExclusionsAndOptionsFromTheWindowShapeTheRun) {
    tree.file("A/node_modules/m.js", 60);
    tree.file("A/sub/deeper/d.txt", 70);
    addFolder(tree.path("A"));
    auto* exclude = FindControl<QLineEdit>(*window, "edExclude");
    QTest::mouseClick(exclude, Qt::LeftButton);
    QTest::keyClicks(exclude, "node_modules");
    QTimer::singleShot(0, [] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        QTest::keyClicks(FindControl<QLineEdit>(*dialog, "edMaxDepth"), "1");
        QTest::keyClicks(FindControl<QLineEdit>(*dialog, "edMinSize"), "25");
        QTest::mouseClick(FindControl<QPushButton>(*dialog, "btnOk"), Qt::LeftButton);
    });
    click(button("btnOptions"));
    EXPECT_EQ(FindControl<QLabel>(*window, "lbOptions")->text(), "höchstens 1 Ebenen, ab 25");

    const QStringList shown = clickStart();
    const QString a = tree.path("A");
    EXPECT_EQ(shown.mid(7, 4),
              QStringList({"Suchmasken: *.*", "Ausschließen: node_modules",
                           "Tiefe: höchstens 1 Ebenen", "Größe: mindestens 25 Bytes"}));
    EXPECT_TRUE(shown.contains(FileLine(30, "c.txt")));
    EXPECT_TRUE(shown.contains(DirLine("deeper")));
    for (const QString& gone : {FileLine(10, "a.txt"), FileLine(20, "b.doc"),
                                DirLine("node_modules"), "Verzeichnis von " + a + "/sub/deeper/"})
        EXPECT_FALSE(shown.contains(gone)) << gone.toStdString();
    EXPECT_TRUE(shown.contains("1 Datei(en), 30 Bytes"));
}

TEST_F(SearchRunTest, EnterStartsTheRunToo) {
    prepareTwoFolders();
    const QStringList expected = expectedFor(true);
    masks->setFocus();
    const QStringList shown = runAndCollect([&] { QTest::keyClick(masks, Qt::Key_Return); });
    EXPECT_EQ(shown, expected);
}

TEST_F(SearchRunTest, SimpleOutputHasNoHeader) {
    prepareTwoFolders();
    click(simple);
    click(fullPath);
    const QStringList expected = expectedFor(false, true, true);
    const QStringList shown = clickStart();
    EXPECT_EQ(shown, expected);
    EXPECT_EQ(shown.first(), tree.path("A") + "/a.txt");
}

TEST_F(SearchRunTest, MainWindowTakesNoInputDuringTheRunAndKeepsItsSettings) {
    prepareTwoFolders();
    click(simple);
    bool checked = false;
    QTimer probe;
    probe.setInterval(0);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        if (checked || !load->isVisible())
            return;
        checked = true;
        EXPECT_EQ(QApplication::activeModalWidget(), load);
        clickThroughWindowSystem(button("btnReset"));
        EXPECT_EQ(masks->text(), "*.txt;*.doc");
        EXPECT_EQ(SearchFiles.Folders.size(), 2);
    });
    probe.start();
    clickStart();
    probe.stop();
    EXPECT_TRUE(checked);
    EXPECT_TRUE(window->isEnabled());
    EXPECT_EQ(listEntries(), QStringList({tree.path("A"), tree.path("B")}));
    EXPECT_EQ(SearchFiles.Recurse, QStringList({"true", "false"}));
    EXPECT_TRUE(simple->isChecked());
    EXPECT_EQ(masks->text(), "*.txt;*.doc");
    // Usable again afterwards.
    clickThroughWindowSystem(button("btnReset"));
    EXPECT_EQ(masks->text(), "*.*");
}

TEST_F(SearchRunTest, CancelDuringTheSearchStillWritesHeaderLinesFoundAndFooter) {
    expectListStoppedInTheFirstFolder(
        runStoppedInTheFirstFolder([&] { QTest::mouseClick(cancel, Qt::LeftButton); }));
}

// Window managers that draw a close box on the progress window anyway: its close request
// stops the run like "Abbrechen", and the window stays until the run hides it.
TEST_F(SearchRunTest, CloseRequestToTheProgressWindowActsAsCancel) {
    bool refused = false;
    expectListStoppedInTheFirstFolder(runStoppedInTheFirstFolder([&] {
        QCloseEvent request;
        QCoreApplication::sendEvent(load->windowHandle(), &request);
        refused = !request.isAccepted() && load->isVisible();
    }));
    EXPECT_TRUE(refused);
    EXPECT_FALSE(load->isVisible());
    EXPECT_TRUE(window->isEnabled());
}

TEST_F(SearchRunTest, CancelDuringTheHeaderShowsOnlyTheHeaderLinesWrittenSoFar) {
    prepareTwoFolders();
    QObject::connect(bar, &QProgressBar::valueChanged, [&](int value) {
        if (value == 3) {
            EXPECT_EQ(lbSearching->text(), WritingText);
            EXPECT_TRUE(bar->isVisible());
            EXPECT_FALSE(lbSearch->isVisible());
            QTest::mouseClick(cancel, Qt::LeftButton);
        }
    });
    const QStringList shown = clickStart();
    EXPECT_EQ(shown, expectedFor(true).mid(0, 3) << "Abgebrochen: Die Liste ist unvollständig.");
    EXPECT_EQ(seenWindowState.value, 3);
    EXPECT_EQ(seenWindowState.incompleteNote, "unvollständig: abgebrochen");
}

// "Abbrechen" holds the focus, so Enter (keypad Enter too) presses it, as Space and a click do.
TEST_F(SearchRunTest, EnterOnTheFocusedCancelButtonCancels) {
    prepareTwoFolders();
    QObject::connect(bar, &QProgressBar::valueChanged, [&](int value) {
        if (value == 2) {
            EXPECT_EQ(QApplication::focusWidget(), cancel);
            QTest::keyClick(cancel, Qt::Key_Enter, Qt::KeypadModifier);
        }
    });
    EXPECT_EQ(clickStart(), expectedFor(true).mid(0, 2)
                                << "Abgebrochen: Die Liste ist unvollständig.");
}

// "Abbrechen" holds the focus and shows it: without the focus it is drawn differently.
TEST_F(SearchRunTest, CancelButtonShowsItsFocus) {
    prepareTwoFolders();
    QWidget* focused = nullptr;
    QImage withFocus;
    QImage withoutFocus;
    QObject::connect(bar, &QProgressBar::valueChanged, [&](int value) {
        if (value != 1)
            return;
        focused = QApplication::focusWidget();
        withFocus = cancel->grab().toImage();
        cancel->clearFocus();
        withoutFocus = cancel->grab().toImage();
        cancel->setFocus();
    });
    clickStart();
    EXPECT_EQ(focused, cancel);
    EXPECT_NE(withFocus, withoutFocus);
}

// A folder path too long for the label is shortened in the middle: the start of the path and
// the folder being searched show, and the caption keeps within the label. A short one shows
// whole.
TEST_F(SearchRunTest, LongFolderCaptionIsShortenedInTheMiddle) {
    QString path = "/home/anna";
    for (int level = 0; path.size() < 540; ++level)
        path += QString("/Verzeichnis_%1").arg(level);
    path += "/Nummer_7/";
    load->progress().searching(path.toStdString(), 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return lbSearch->text().endsWith("/Nummer_7/"); }));
    const QString shown = lbSearch->text();
    EXPECT_TRUE(shown.startsWith("Suchen in /home/anna/Verzeichnis_0/")) << shown.toStdString();
    EXPECT_TRUE(shown.endsWith("…/Nummer_7/")) << shown.toStdString();
    EXPECT_LE(lbSearch->heightForWidth(lbSearch->width()), lbSearch->height());

    load->progress().searching("/home/anna/", 0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return lbSearch->text() == "Suchen in /home/anna/"; }));
}

// A title bar to move it by and no border icons: no system menu, minimise, maximise or close.
TEST_F(SearchRunTest, ProgressWindowAsksForATitleBarAndNoBorderIcons) {
    const Qt::WindowFlags flags = load->windowFlags();
    EXPECT_EQ(flags & Qt::WindowType_Mask, Qt::Window);
    EXPECT_TRUE(flags.testFlag(Qt::CustomizeWindowHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowTitleHint));
    for (Qt::WindowType icon : {Qt::WindowSystemMenuHint, Qt::WindowMinimizeButtonHint,
                                Qt::WindowMaximizeButtonHint, Qt::WindowCloseButtonHint})
        EXPECT_FALSE(flags.testFlag(icon)) << icon;
}

TEST_F(SearchRunTest, CancelQueuedBeforeTheSearchStartsHasNoLastingEffect) {
    prepareTwoFolders();
    const QStringList expected = expectedFor(true);
    // Runs in the first pump of the run, before the search raises its flag.
    QTimer::singleShot(0, cancel, [&] { QTest::mouseClick(cancel, Qt::LeftButton); });
    EXPECT_EQ(clickStart(), expected);
    EXPECT_EQ(seenWindowState.incompleteNote, "");
}

// Folders that could not be read leave the list as the engine makes it; the line under the list
// says so and its tool-tip names them. The next complete run hides it again.
TEST_F(SearchRunTest, UnreadableFoldersAreNamedUnderTheListNotInIt) {
    prepareTwoFolders();
    addFolder(tree.path("gone"));
    addFolder(tree.path("A/a.txt"));
    const QStringList expected = expectedFor(true);
    EXPECT_EQ(clickStart(), expected);
    EXPECT_EQ(seenWindowState.incompleteNote, "unvollständig: 2 Verzeichnisse nicht lesbar");
    EXPECT_EQ(seenWindowState.incompleteTip,
              "nicht lesbar: " + tree.path("gone") + ": No such file or directory\n" +
                  "nicht lesbar: " + tree.path("A/a.txt") + ": Not a directory");

    click(button("btnReset"));
    addFolder(tree.path("A"));
    clickStart();
    EXPECT_EQ(seenWindowState.incompleteNote, "");
}

TEST_F(SearchRunTest, SecondRunStartsFreshAndShowsOnlyItsOwnList) {
    prepareTwoFolders();
    clickStart();
    EXPECT_FALSE(lbSearch->isVisibleTo(load));
    EXPECT_TRUE(bar->isVisibleTo(load));

    setMasks("*.doc");
    bool sawSearchState = false;
    QTimer probe;
    probe.setInterval(0);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        if (load->isVisible() && SearchFiles.Searching && !sawSearchState) {
            sawSearchState = true;
            EXPECT_TRUE(lbSearch->isVisible());
            EXPECT_FALSE(bar->isVisible());
            EXPECT_EQ(lbSearching->text(), SearchingText);
        }
    });
    probe.start();
    const QStringList expected = expectedFor(true);
    const QStringList shown = clickStart();
    EXPECT_TRUE(sawSearchState);
    EXPECT_EQ(shown, expected);
    EXPECT_TRUE(shown.filter(".txt").isEmpty());
}

TEST_F(SearchRunTest, EscapeDoesNotCancelAndTheCancelButtonHoldsTheFocus) {
    prepareTwoFolders();
    const QStringList expected = expectedFor(true);
    bool pressed = false;
    QTimer escape;
    escape.setInterval(0);
    QObject::connect(&escape, &QTimer::timeout, [&] {
        if (pressed || !SearchFiles.Searching)
            return;
        pressed = true;
        EXPECT_EQ(QApplication::focusWidget(), cancel);
        EXPECT_EQ(load->windowTitle(), "Es wird gesucht...");
        QTest::keyClick(cancel, Qt::Key_Escape);
        QTest::keyClick(load, Qt::Key_Escape);
    });
    escape.start();
    EXPECT_EQ(clickStart(), expected);
    EXPECT_TRUE(pressed);
}

TEST_F(SearchRunTest, NothingFoundOpensAnEmptyResultWindow) {
    addFolder(tree.path("A"));
    setMasks("*.none");
    click(simple);
    EXPECT_TRUE(clickStart().isEmpty());
    EXPECT_EQ(seenWindowState.maximum, 0);
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A run's list saves as each type the dialog offers. Table, JSON Lines and the HTML page come
// from the run's records, with sizes, times and each folder's subfolders first whatever the
// output; the text is the list shown.
TEST_F(SearchRunTest, ListSavesAsTextTableJsonLinesAndHtml) {
    addFolder(tree.path("A"));
    click(simple);
    click(fullPath);
    const QTemporaryDir target;
    const QString base = target.filePath("inventar");
    for (const QString& type :
         {SaveFileFilters().constFirst(), CsvFileFilter, JsonLinesFileFilter, HtmlFileFilter})
        SaveDialogSeam().setNextAnswer({true, base, type});
    QPushButton* saveAs = FindControl<QPushButton>(*frmList, "btnSaveAs");
    const QStringList shown = runAndCollect([&] { click(button("btnGo")); },
                                            [&] {
                                                for (int i = 0; i < 4; ++i)
                                                    QTest::mouseClick(saveAs, Qt::LeftButton);
                                            });
    ASSERT_EQ(SaveDialogSeam().requests().size(), 4u);
    EXPECT_EQ(SaveDialogSeam().requests().front().filters, SaveFileFilters());
    SaveDialogSeam().reset();

    EXPECT_EQ(readFile(base + ".txt"), (shown.join("\r\n") + "\r\n").toUtf8());
    const QString a = tree.path("A");
    EXPECT_TRUE(readFile(base + ".csv")
                    .startsWith("\xEF\xBB\xBF" +
                                QStringLiteral("Art;Pfad;Name;Größe;Geändert\r\n").toUtf8()));
    const QList<QByteArray> rows = readFile(base + ".csv").split('\n');
    ASSERT_EQ(rows.size(), 6); // the header, four rows and the end of the last one
    EXPECT_TRUE(rows.at(1).startsWith(("\"Verzeichnis\";\"" + a + "/sub\";\"sub\";;").toUtf8()))
        << rows.at(1).toStdString();
    EXPECT_TRUE(rows.at(2).startsWith(("\"Datei\";\"" + a + "/a.txt\";\"a.txt\";10;").toUtf8()));

    const QList<QByteArray> lines = readFile(base + ".jsonl").split('\n');
    ASSERT_EQ(lines.size(), 7);
    const QJsonObject head = QJsonDocument::fromJson(lines.at(0)).object();
    EXPECT_EQ(head.value("type").toString(), "inventory");
    EXPECT_EQ(head.value("masks").toString(), "*.*");
    EXPECT_EQ(head.value("tool").toObject().value("name").toString(), "FolderInventory");
    const QJsonObject file = QJsonDocument::fromJson(lines.at(2)).object();
    EXPECT_EQ(file.value("path").toString(), a + "/a.txt");
    EXPECT_EQ(file.value("size").toInteger(), 10);
    EXPECT_TRUE(file.value("mtime").toString().endsWith('Z'));
    const QJsonObject summary = QJsonDocument::fromJson(lines.at(5)).object();
    EXPECT_EQ(summary.value("files").toInteger(), 3);
    EXPECT_EQ(summary.value("bytes").toInteger(), 60);
    EXPECT_TRUE(summary.value("complete").toBool());

    const QString page = QString::fromUtf8(readFile(base + ".html"));
    EXPECT_TRUE(page.startsWith("<!DOCTYPE html>"));
    EXPECT_TRUE(page.contains("3 Dateien in 2 Verzeichnissen, 60 Bytes")) << page.toStdString();
    EXPECT_TRUE(page.contains("id=\"fi-names\">\na.txt\n")) << page.toStdString();
}

// The address space this process takes now, in bytes.
rlim_t addressSpaceInUse() {
    QFile status("/proc/self/status");
    EXPECT_TRUE(status.open(QIODevice::ReadOnly));
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmSize:"))
            return line.mid(7).trimmed().split(' ').first().toULongLong() * 1024;
    }
    return 0;
}

// Memory that runs out amid a run: the progress window goes, the error box says why, and the
// main window takes the next run as if nothing had happened.
// The check box is off at start and reached by keyboard; with it, the save dialog also offers a
// checksum list, and the list, the table and JSON Lines carry each file's SHA-256.
TEST_F(SearchRunTest, ChecksumBoxAddsTheChecksumListAndDigestsToTheSaves) {
    auto* hash = FindControl<QCheckBox>(*window, "cbHash");
    EXPECT_FALSE(hash->isChecked());
    EXPECT_EQ(hash->text(), "Prüfsummen (SHA-256)");
    EXPECT_FALSE(hash->toolTip().isEmpty());
    button("btnGo")->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    ASSERT_EQ(QApplication::focusWidget(), hash);
    QTest::keyClick(hash, Qt::Key_Space);
    EXPECT_TRUE(hash->isChecked());

    addFolder(tree.path("A"));
    const QTemporaryDir target;
    const QString base = target.filePath("inventar");
    for (const QString& type : {ChecksumListFilter, CsvFileFilter, JsonLinesFileFilter})
        SaveDialogSeam().setNextAnswer({true, base, type});
    QPushButton* saveAs = FindControl<QPushButton>(*frmList, "btnSaveAs");
    runAndCollect([&] { click(button("btnGo")); },
                  [&] {
                      for (int i = 0; i < 3; ++i)
                          QTest::mouseClick(saveAs, Qt::LeftButton);
                  });
    ASSERT_EQ(SaveDialogSeam().requests().size(), 3u);
    EXPECT_TRUE(SaveDialogSeam().requests().front().filters.contains(
        QStringLiteral("Prüfsummenliste (*.sha256)")));
    SaveDialogSeam().reset();

    const QString a = tree.path("A");
    const std::vector<std::string> files{(a + "/a.txt").toStdString(), (a + "/b.doc").toStdString(),
                                         (a + "/sub/c.txt").toStdString()};
    const std::vector<std::string> digests = ReferenceDigests("sha256", files);
    ASSERT_EQ(digests.size(), 3u);
    QByteArray expected;
    for (const std::size_t i : {0, 1, 2})
        expected += QByteArray::fromStdString(digests[i] + "  " + files[i] + "\n");
    EXPECT_EQ(readFile(base + ".sha256"), expected);
    const QList<QByteArray> rows = readFile(base + ".csv").split('\n');
    EXPECT_TRUE(rows.at(0).endsWith(";SHA-256\r"));
    EXPECT_TRUE(rows.at(2).endsWith((";\"" + digests[0] + "\"\r").c_str()))
        << rows.at(2).toStdString();
    const QList<QByteArray> lines = readFile(base + ".jsonl").split('\n');
    EXPECT_EQ(QJsonDocument::fromJson(lines.at(0)).object().value("hash").toString(), "sha256");
    EXPECT_EQ(QJsonDocument::fromJson(lines.at(2)).object().value("sha256").toString(),
              QString::fromStdString(digests[0]));
}

// While a file of 100 GB is read, the progress window shows the bytes read and the time left;
// "Abbrechen" stops the read in the middle of the file and the run ends with what it found.
TEST_F(SearchRunTest, ReadingShowsBytesReadAndTimeLeftAndCancelStopsInTheMiddleOfAFile) {
    tree.file("H/huge", std::int64_t{100} << 30);
    FindControl<QCheckBox>(*window, "cbHash")->setChecked(true);
    addFolder(tree.path("H"));
    auto* readBar = FindControl<QProgressBar>(*load, "ReadProgress");
    auto* readText = FindControl<QLabel>(*load, "lbRead");
    QString seenText;
    int seenValue = -1;
    QTimer canceller;
    canceller.setInterval(1);
    QObject::connect(&canceller, &QTimer::timeout, [&] {
        if (!readBar->isVisible() || !readText->text().contains("noch"))
            return;
        canceller.stop();
        seenText = readText->text();
        seenValue = readBar->value();
        QTest::mouseClick(cancel, Qt::LeftButton);
    });
    canceller.start();
    const QStringList shown = clickStart();
    EXPECT_TRUE(seenText.contains(" von 107 GB gelesen, noch ")) << seenText.toStdString();
    EXPECT_GE(seenValue, 0);
    EXPECT_LT(seenValue, readBar->maximum());
    EXPECT_EQ(seenWindowState.incompleteNote, "unvollständig: abgebrochen");
    EXPECT_EQ(shown.filter("huge").size(), 1); // still listed, with its size
}

TEST_F(SearchRunTest, RunOutOfMemoryEndsWithAMessageAndTheNextRunWorks) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "AddressSanitizer reserves more address space than any limit leaves";
#endif
    addFolder(tree.path("A"));
    click(simple);
    clickStart(); // the windows have shown once before memory is scarce
    // 30,000 names of 200 bytes: the folder's entries alone need more than the limit leaves, and
    // its lines, listed once for each of four masks, four times as much again.
    tree.folder("Big");
    const QByteArray big = QFile::encodeName(tree.path("Big")) + '/';
    for (int i = 0; i < 30000; ++i) {
        const QByteArray name = big + QByteArray(200, 'n') + QByteArray::number(i);
        ASSERT_EQ(::close(::creat(name.constData(), 0644)), 0);
    }
    click(button("btnReset"));
    click(simple);
    addFolder(tree.path("Big"));
    setMasks("*.*;*;n*;*n*");
    ErrorBoxSeam().reset();
    ErrorBoxSeam().setNextAnswer(MessageBoxAnswer::Ok);
    bool listShown = false;
    QTimer watcher;
    watcher.setInterval(1);
    QObject::connect(&watcher, &QTimer::timeout, [&] {
        if (QApplication::activeModalWidget() == frmList) {
            listShown = true;
            QTest::mouseClick(FindControl<QPushButton>(*frmList, "btnBack"), Qt::LeftButton);
        }
    });
    watcher.start();
    rlimit previous{};
    ASSERT_EQ(::getrlimit(RLIMIT_AS, &previous), 0);
    rlimit lowered = previous;
    lowered.rlim_cur = addressSpaceInUse() + 6 * 1024 * 1024;
    ASSERT_EQ(::setrlimit(RLIMIT_AS, &lowered), 0);
    click(button("btnGo"));
    ::setrlimit(RLIMIT_AS, &previous);
    watcher.stop();

    EXPECT_FALSE(listShown);
    ASSERT_EQ(ErrorBoxSeam().requests().size(), 1u);
    EXPECT_EQ(ErrorBoxSeam().requests().front().text,
              "Nicht genügend Arbeitsspeicher; die Suche wurde abgebrochen.");
    EXPECT_FALSE(load->isVisible());
    EXPECT_FALSE(SearchFiles.Searching);
    EXPECT_FALSE(Writing);

    click(button("btnReset"));
    click(simple);
    addFolder(tree.path("A"));
    const QStringList expected = expectedFor(false);
    EXPECT_EQ(clickStart(), expected);
}

} // namespace
