#include "OpenedFolders.h"
#include "RecordingProgress.h"
#include "ScanHelpers.h"
#include "TempTree.h"
#include "walk/FolderScanner.h"
#include "walk/ScanTuning.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <set>
#include <string>
#include <sys/resource.h>
#include <vector>

namespace {

class ScanFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        tree.folder("Daten/Alt");
        tree.file("Daten/a.txt", 1234);
        daten = tree.path("Daten");
    }

    TempTree tree;
    QString daten;
};

TEST_F(ScanFolderTest, WorkedExampleGivesExactlyTenLines) {
    ScanTotals totals{100, 10, 1};
    const QStringList lines = Scan(daten, "*.*", {}, &totals);
    const QStringList expected = {
        "",
        "",
        "Verzeichnis von " + daten + "/",
        "",
        "0" + QString(10, ' ') + "<DIR> ." + QString(43, ' '),
        "0" + QString(10, ' ') + "<DIR> .." + QString(42, ' '),
        "0" + QString(10, ' ') + "<DIR> Alt" + QString(41, ' '),
        "1234" + QString(13, ' ') + "a.txt" + QString(45, ' '),
        "",
        "1 Datei(en), 1234 Bytes",
    };
    EXPECT_EQ(lines, expected);
    EXPECT_EQ(totals.files, 11);
    EXPECT_EQ(totals.folders, 2);
    EXPECT_EQ(totals.bytes, 1334);
}

TEST_F(ScanFolderTest, TrailingSeparatorMakesNoDifference) {
    EXPECT_EQ(Scan(daten, "*.*", {}), Scan(daten + "/", "*.*", {}));
}

TEST_F(ScanFolderTest, EmptyMaskMeansEverything) {
    EXPECT_EQ(Scan(daten, "", {}), Scan(daten, "*.*", {}));
}

TEST_F(ScanFolderTest, RecursionVisitsSubfoldersDepthFirstInNameOrder) {
    tree.file("Daten/Alt/b.txt", 5);
    tree.file("Daten/Zeta/c.txt", 6);
    tree.file("Daten/beta/d.txt", 7);
    ScanTotals totals;
    const QStringList lines = Scan(daten, "*.txt", {.recursive = true}, &totals);
    QStringList headings;
    for (const QString& line : lines) {
        if (line.startsWith("Verzeichnis von "))
            headings.append(line.mid(16 + daten.size()));
    }
    EXPECT_EQ(headings, QStringList({"/", "/Alt/", "/beta/", "/Zeta/"}));
    EXPECT_EQ(totals.files, 4);
    EXPECT_EQ(totals.bytes, 1234 + 5 + 6 + 7);
    EXPECT_EQ(totals.folders, 4);
}

TEST_F(ScanFolderTest, WithoutRecursionNoSubfolderIsVisited) {
    tree.file("Daten/Alt/b.txt", 5);
    for (const bool extended : {true, false}) {
        const QStringList lines = Scan(daten, "b.txt", {.extended = extended});
        EXPECT_TRUE(lines.isEmpty()) << lines.join('|').toStdString();
    }
}

TEST_F(ScanFolderTest, FolderWithOnlyMatchingDirectoriesHasNoSumLine) {
    const QStringList lines = Scan(daten, "Alt", {});
    EXPECT_EQ(lines, QStringList({"", "", "Verzeichnis von " + daten + "/", "", DirLine("Alt")}));
}

TEST_F(ScanFolderTest, FolderWithoutMatchIsSkippedButItsSubfoldersAreVisited) {
    tree.file("Daten/Alt/x.doc", 3);
    const QStringList lines = Scan(daten, "*.doc", {.recursive = true});
    EXPECT_EQ(lines, QStringList({"", "", "Verzeichnis von " + daten + "/Alt/", "",
                                  FileLine(3, "x.doc"), "", "1 Datei(en), 3 Bytes"}));
}

TEST_F(ScanFolderTest, SimpleOutputListsEveryMatchingEntry) {
    tree.file("Daten/archive.tar.gz", 1);
    tree.file("Daten/.profile", 1);
    ScanTotals totals;
    EXPECT_EQ(Scan(daten, "*.*", {.extended = false}, &totals),
              QStringList({".", "..", ".profile", "a.txt", "Alt", "archive.tar.gz"}));
    EXPECT_EQ(totals.files, 3);
    EXPECT_EQ(totals.bytes, 0);
    EXPECT_EQ(totals.folders, 0);

    EXPECT_EQ(Scan(daten, "*.*", {.showExtensions = false, .extended = false}),
              QStringList({"", ".", "", "a", "Alt", "archive.tar"}));
    const QString d = daten + "/";
    EXPECT_EQ(Scan(daten, "*.*", {.fullPath = true, .showExtensions = false, .extended = false}),
              QStringList({d, d + ".", d, d + "a", d + "Alt", d + "archive.tar"}));
    EXPECT_EQ(Scan(daten, "a*", {.fullPath = true, .extended = false}),
              QStringList({d + "a.txt", d + "Alt", d + "archive.tar.gz"}));
}

TEST_F(ScanFolderTest, ProgressCaptionsOncePerFolderWithAMatch) {
    tree.file("Daten/Alt/b.txt", 1);
    tree.folder("Daten/Leer");
    RecordingProgress progress;
    ScanTotals totals{0, 5, 0};
    Scan(daten, "*.txt", {.recursive = true, .progress = &progress}, &totals);
    EXPECT_EQ(progress.searchCaptions,
              QStringList({"Suchen in " + daten + "/", "Suchen in " + daten + "/Alt/"}));
    EXPECT_EQ(progress.foundCaptions,
              QStringList({"Elemente gefunden: 5", "Elemente gefunden: 6"}));
}

// The found caption counts the files of a large folder while the folder is read, before its
// lines are made, and never goes back; the subfolder's caption shows the files counted before
// it. Here the captions come again at every piece of the read instead of every 100 ms.
TEST_F(ScanFolderTest, FoundCaptionCountsTheFilesOfALargeFolderWhileItIsRead) {
    constexpr int large = 5000;
    tree.folder("Gross/Unter");
    for (int i = 0; i < large; ++i)
        tree.rawFile("Gross", "f" + std::to_string(i), 0);
    tree.file("Gross/Unter/a.txt", 1);
    tree.file("Gross/Unter/b.txt", 1);
    RecordingProgress progress;
    progress.refreshEvery = std::chrono::milliseconds(0);
    Scan(tree.path("Gross"), "*.*", {.recursive = true, .progress = &progress});

    std::vector<int> counts;
    for (const QString& caption : progress.foundCaptions)
        counts.push_back(caption.section(' ', 2).toInt());
    ASSERT_FALSE(counts.empty());
    EXPECT_GT(counts.front(), 0);
    EXPECT_LT(counts.front(), large);
    EXPECT_TRUE(std::is_sorted(counts.begin(), counts.end()));
    EXPECT_EQ(counts.back(), large);
}

// A cancel while a folder is listed keeps the entries handled so far, in order and with a sum
// that agrees, and no subfolder is visited.
TEST_F(ScanFolderTest, CancelInTheMiddleOfAFolderKeepsWhatWasFound) {
    for (int i = 0; i < 6; ++i)
        tree.file(QString("Daten/f%1.txt").arg(i), 10);
    tree.file("Daten/Alt/later.txt", 1);
    const QStringList full = Scan(daten, "*.txt", {});
    TSearchFiles settings;
    settings.Searching = true;
    RecordingProgress progress;
    ResultLines lines;
    progress.onPump = [&](int) {
        if (lines.size() >= 4) // the folder's heading is there
            settings.Searching = false;
    };
    ScanTotals t;
    WorkerPool pool;
    ScanFolderLines(settings, daten, "*.txt", true, false, true, true, lines, t, progress, pool);
    const QStringList listed = LinesOf(lines);
    const qsizetype files = listed.size() - 6; // heading, file lines, blank line, sum
    ASSERT_GE(files, 1);
    ASSERT_LT(files, 7);
    EXPECT_EQ(listed.mid(0, 4 + files), full.mid(0, 4 + files));
    const std::int64_t bytes = 1234 + 10 * (files - 1); // a.txt comes first
    EXPECT_EQ(listed.mid(4 + files),
              QStringList({"", QString("%1 Datei(en), %2 Bytes").arg(files).arg(bytes)}));
    EXPECT_EQ(t.files, files);
    EXPECT_EQ(t.bytes, bytes);
}

// Subfolders are read ahead on worker threads, and theirs in turn: a cancel amid them keeps the
// lines found so far, in order, and every folder opened ahead is closed again.
TEST_F(ScanFolderTest, CancelWhileSubfoldersAreReadAheadKeepsAPrefixAndClosesThemAll) {
    for (int i = 0; i < 200; ++i)
        tree.file(QString("Daten/d%1/s/f.txt").arg(i, 3, 10, QChar('0')), i);
    const ScanOptions simple{.recursive = true, .fullPath = true, .extended = false};
    const QStringList full = Scan(daten, "*.*", simple);
    const auto openDescriptors = [] { return QDir("/proc/self/fd").count(); };
    const auto before = openDescriptors();

    TSearchFiles settings;
    settings.Searching = true;
    ResultLines lines;
    RecordingProgress progress;
    // About 30 subfolders in: "Daten" gives 204 lines, each subfolder three and its own three.
    progress.onPump = [&](int) {
        if (lines.size() >= 400)
            settings.Searching = false;
    };
    ScanTotals t;
    WorkerPool pool;
    ScanFolderLines(settings, daten, "*.*", true, true, true, false, lines, t, progress, pool);
    const QStringList partial = LinesOf(lines);
    ASSERT_GT(partial.size(), 20);
    ASSERT_LT(partial.size(), full.size());
    EXPECT_EQ(partial, full.mid(0, partial.size()));
    EXPECT_EQ(openDescriptors(), before);
}

// A tree of 400 folders needs four descriptors without reading ahead and hundreds with it. Under
// a low descriptor limit the read-ahead takes only what the limit leaves: every folder is read
// and the listing is the same as without a limit.
TEST_F(ScanFolderTest, ListingIsTheSameUnderALowDescriptorLimit) {
    for (int i = 0; i < 400; ++i)
        tree.file(QString("Daten/d%1/s/f.txt").arg(i, 3, 10, QChar('0')), i);
    const ScanOptions simple{.recursive = true, .fullPath = true, .extended = false};
    const QStringList full = Scan(daten, "*.*", simple);
    ASSERT_EQ(full.size(), 2806);

    rlimit previous{};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &previous), 0);
    rlimit lowered = previous;
    lowered.rlim_cur = 16;
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &lowered), 0);
    RecordingProgress progress;
    ScanOptions limited = simple;
    limited.progress = &progress;
    const QStringList listed = Scan(daten, "*.*", limited);
    ::setrlimit(RLIMIT_NOFILE, &previous);
    EXPECT_EQ(listed, full);
    EXPECT_TRUE(progress.unreadable.empty()) << progress.unreadable.front().path.toStdString();
}

// A stop signal is taken by the thread that started the search: every thread the engine starts
// blocks SIGINT and SIGTERM, so none of its reads is ever interrupted by one.
TEST_F(ScanFolderTest, ThreadsOfTheEngineBlockTheStopSignals) {
    for (int i = 0; i < 50; ++i)
        tree.file(QString("Daten/d%1/f.txt").arg(i), i);
    const auto threads = [] {
        return QDir("/proc/self/task").entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    };
    const QStringList before = threads();
    std::set<QString> checked;
    RecordingProgress progress;
    progress.onPump = [&](int) {
        for (const QString& thread : threads()) {
            if (before.contains(thread) || checked.count(thread) != 0)
                continue;
            QFile status("/proc/self/task/" + thread + "/status");
            if (!status.open(QIODevice::ReadOnly))
                continue; // it has ended meanwhile
            for (const QByteArray& line : status.readAll().split('\n')) {
                if (!line.startsWith("SigBlk:"))
                    continue;
                const qulonglong blocked = line.mid(7).trimmed().toULongLong(nullptr, 16);
                EXPECT_TRUE(blocked & (1ull << (SIGINT - 1))) << thread.toStdString();
                EXPECT_TRUE(blocked & (1ull << (SIGTERM - 1))) << thread.toStdString();
                checked.insert(thread);
            }
        }
    };
    Scan(daten, "*.*", {.recursive = true, .progress = &progress});
    EXPECT_FALSE(checked.empty());
}

// How the workers share the reads never shows: one worker that reads one folder ahead, or as many
// as on a network share, each folder's sizes read one entry at a time by several of them.
TEST_F(ScanFolderTest, ListingIsTheSameHoweverTheWorkersShareTheReads) {
    for (int i = 0; i < 30; ++i) {
        for (int j = 0; j < 12; ++j)
            tree.file(QString("Daten/d%1/sub/f%2.txt").arg(i).arg(j), i * 100 + j);
    }
    ScanTotals expectedTotals;
    const QStringList expected = Scan(daten, "*.*", {.recursive = true}, &expectedTotals);
    ScanTuning oneWorker;
    oneWorker.busyWorkers = 1;
    oneWorker.waitingWorkers = 1;
    oneWorker.maxAhead = 1;
    ScanTuning asOnAShare = AsOnASlowShare();
    for (const ScanTuning* tuning : {&oneWorker, &asOnAShare}) {
        ScanTotals totals;
        EXPECT_EQ(Scan(daten, "*.*", {.recursive = true, .tuning = tuning}, &totals), expected);
        EXPECT_EQ(totals.bytes, expectedTotals.bytes);
        EXPECT_EQ(totals.files, expectedTotals.files);
        EXPECT_EQ(totals.folders, expectedTotals.folders);
    }
}

// A folder replaced by a link after its parent was read is followed neither by the scan nor by
// the workers reading ahead: it is unreadable, and where the link leads is never opened.
TEST_F(ScanFolderTest, FolderReplacedByALinkAfterItWasSeenIsNotFollowed) {
    tree.file("Daten/Alt/tief/a.txt", 1);
    tree.folder("Daten/Zuletzt");
    tree.file("Woanders/tief/b.txt", 1);
    OpenedFolders opened;
    for (const char* folder : {"Daten/Zuletzt", "Woanders", "Woanders/tief"})
        opened.watch(tree.path(folder));
    TSearchFiles settings;
    settings.Searching = true;
    ResultLines lines;
    RecordingProgress progress;
    // While "Daten" is listed, before any of its subfolders is opened, "Alt" becomes a link.
    // Then the scan waits until the workers have started on both subfolders, in their order.
    progress.onPump = [&](int pump) {
        if (pump == 1) {
            ASSERT_TRUE(QFile::rename(tree.path("Daten/Alt"), tree.path("Daten/Alt-vorher")));
            tree.symlink(tree.path("Woanders"), "Daten/Alt");
        } else if (lines.size() == 5) {
            ASSERT_TRUE(opened.waitUntilOpened(tree.path("Daten/Zuletzt")));
        }
    };
    ScanTotals t;
    WorkerPool pool(AsOnASlowShare());
    ScanFolderLines(settings, daten, "*.*", true, true, true, false, lines, t, progress, pool);
    const QStringList listed = LinesOf(lines);
    EXPECT_TRUE(listed.contains(daten + "/Alt"));
    EXPECT_FALSE(listed.contains(daten + "/Alt/tief"));
    ASSERT_EQ(progress.unreadable.size(), 1u);
    EXPECT_EQ(progress.unreadable.front().path, QFile::encodeName(daten + "/Alt/"));
    EXPECT_EQ(opened.opened(), QStringList({tree.path("Daten/Zuletzt")}));
}

TEST_F(ScanFolderTest, NothingHappensWhenTheSearchIsNotRunning) {
    TSearchFiles settings;
    SearchProgress progress;
    ResultLines lines;
    ScanTotals t;
    WorkerPool pool;
    ScanFolderLines(settings, daten, "*.*", true, false, true, true, lines, t, progress, pool);
    EXPECT_TRUE(lines.isEmpty());
    EXPECT_EQ(t.files + t.bytes + t.folders, 0);
}

TEST(ScanFolder, RootHasNoDotEntries) {
    const QStringList lines = Scan("/", "*.*", {.extended = false});
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_FALSE(lines.contains("."));
    EXPECT_FALSE(lines.contains(".."));
    EXPECT_TRUE(lines.contains("tmp") || lines.contains("usr"));
}

} // namespace
