#include "RecordingProgress.h"
#include "ScanHelpers.h"
#include "SearchDriver.h"
#include "TempTree.h"

#include <chrono>
#include <gtest/gtest.h>
#include <QLocale>
#include <QRegularExpression>

namespace {

// German regional settings for the footer, restored afterwards.
class RunSearchTest : public ::testing::Test {
protected:
    void SetUp() override { QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany)); }
    void TearDown() override { QLocale::setDefault(QLocale::system()); }

    QStringList headingsOf(const QStringList& lines) const {
        QStringList headings;
        for (const QString& line : lines) {
            if (line.startsWith("Verzeichnis von "))
                headings.append(line.mid(16).remove(tree.root() + "/"));
        }
        return headings;
    }

    TempTree tree;
};

const QStringList emptyFooter = {"", "", "0          Datei(en) insgesamt, 0 Bytes (~ 0,00 MB)",
                                 "0          Verzeichnis(se)"};

TEST_F(RunSearchTest, BlocksRunMaskByMaskThenFolderByFolder) {
    tree.file("A/1.txt", 1);
    tree.file("A/2.doc", 2);
    tree.file("B/3.txt", 3);
    tree.file("B/4.doc", 4);
    const QStringList lines = Search({tree.path("A"), tree.path("B")}, "*.txt;*.doc", {});
    EXPECT_EQ(headingsOf(lines), QStringList({"A/", "B/", "A/", "B/"}));
    EXPECT_TRUE(lines.contains(FileLine(1, "1.txt")));
    EXPECT_EQ(lines.indexOf(FileLine(3, "3.txt")) < lines.indexOf(FileLine(2, "2.doc")), true);
    EXPECT_EQ(lines.mid(lines.size() - 4),
              QStringList({"", "", "4          Datei(en) insgesamt, 10 Bytes (~ 0,00 MB)",
                           "4          Verzeichnis(se)"}));
}

TEST_F(RunSearchTest, AFileMatchedByTwoMasksCountsTwice) {
    tree.file("A/x.txt", 1048576);
    const QStringList lines = Search({tree.path("A")}, "*.txt;x.*", {});
    EXPECT_EQ(lines.count(FileLine(1048576, "x.txt")), 2);
    EXPECT_EQ(lines.at(lines.size() - 2),
              "2          Datei(en) insgesamt, 2097152 Bytes (~ 2,00 MB)");
}

TEST_F(RunSearchTest, NoMasksOrNoFoldersGiveOnlyTheFooter) {
    tree.file("A/x.txt", 1);
    EXPECT_EQ(Search({tree.path("A")}, "", {}), emptyFooter);
    EXPECT_EQ(Search({}, "*.*", {}), emptyFooter);
    EXPECT_TRUE(Search({tree.path("A")}, "", {.extended = false}).isEmpty());
    EXPECT_TRUE(Search({}, "*.*", {.extended = false}).isEmpty());
}

TEST_F(RunSearchTest, SemicolonAloneIsOneEmptyMaskScannedAsEverything) {
    tree.file("A/x.txt", 1);
    EXPECT_EQ(Search({tree.path("A")}, ";", {.extended = false}),
              QStringList({".", "..", "x.txt"}));
}

TEST_F(RunSearchTest, LeadingBlankStaysPartOfTheMask) {
    tree.file("A/x.txt", 1);
    tree.file("A/y.doc", 1);
    tree.file("A/ z.doc", 1);
    EXPECT_EQ(Search({tree.path("A")}, "*.txt; *.doc", {.extended = false}),
              QStringList({"x.txt", " z.doc"}));
}

TEST_F(RunSearchTest, FooterOfThreeFilesAndASparseGiant) {
    tree.file("A/a", 524288);
    tree.file("A/b", 524288);
    tree.file("A/c", 524288);
    const QStringList three = Search({tree.path("A")}, "*.*", {});
    EXPECT_EQ(three.at(three.size() - 2),
              "3          Datei(en) insgesamt, 1572864 Bytes (~ 1,50 MB)");

    tree.file("B/giant.bin", 5000000000);
    const QStringList lines = Search({tree.path("B")}, "*.bin", {});
    EXPECT_TRUE(lines.contains(FileLine(5000000000, "giant.bin")));
    EXPECT_TRUE(lines.contains("1 Datei(en), 5000000000 Bytes"));
    EXPECT_EQ(lines.at(lines.size() - 2),
              "1          Datei(en) insgesamt, 5000000000 Bytes (~ 4768,37 MB)");
}

TEST_F(RunSearchTest, EnglishSettingsGiveAPoint) {
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
    tree.file("A/half", 131072);
    const QStringList lines = Search({tree.path("A")}, "half", {});
    EXPECT_EQ(lines.at(lines.size() - 2),
              "1          Datei(en) insgesamt, 131072 Bytes (~ 0.13 MB)");
}

TEST_F(RunSearchTest, RecursionFollowsEachFoldersOwnText) {
    tree.file("A/sub/x.txt", 1);
    TSearchFiles settings;
    AddSearchFolder(settings, tree.path("A"), true);
    settings.Folders.append(tree.path("A"));
    settings.Recurse.append("True");
    settings.Masks = "*.txt";
    const QStringList lines = SearchLines(settings, {.extended = false});
    EXPECT_EQ(lines, QStringList({"x.txt"}));
}

TEST_F(RunSearchTest, UnequalListsGiveNothingAndLowerTheFlag) {
    tree.file("A/x.txt", 1);
    TSearchFiles settings;
    settings.Folders = {tree.path("A"), tree.path("A")};
    settings.Recurse = {"true"};
    settings.Masks = "*.*";
    EXPECT_TRUE(SearchLines(settings).isEmpty());
    EXPECT_FALSE(settings.Searching);
}

TEST_F(RunSearchTest, FlagIsUpExactlyWhileSearching) {
    tree.file("A/x.txt", 1);
    TSearchFiles settings;
    AddSearchFolder(settings, tree.path("A"), true);
    settings.Masks = "*.*";
    RecordingProgress progress;
    std::vector<bool> seen;
    progress.onPump = [&](int) { seen.push_back(settings.Searching); };
    SearchLines(settings, {.progress = &progress});
    ASSERT_GE(seen.size(), 2u);
    EXPECT_FALSE(seen.front()); // the pump that runs before the search starts
    EXPECT_TRUE(seen.back());
    EXPECT_FALSE(settings.Searching);
}

TEST_F(RunSearchTest, CancelBeforeTheSearchStartsIsForgotten) {
    tree.file("A/x.txt", 1);
    TSearchFiles settings;
    AddSearchFolder(settings, tree.path("A"), true);
    settings.Masks = "*.*";
    RecordingProgress progress;
    progress.onPump = [&](int pump) {
        if (pump == 1)
            settings.Searching = false;
    };
    const QStringList lines = SearchLines(settings, {.extended = false, .progress = &progress});
    EXPECT_EQ(lines, QStringList({".", "..", "x.txt"}));
}

TEST_F(RunSearchTest, CancelBeforeTheFirstFolderAppendsNothingButTheFooter) {
    tree.file("A/x.txt", 1);
    TSearchFiles settings;
    AddSearchFolder(settings, tree.path("A"), true);
    AddSearchFolder(settings, tree.path("A"), true);
    settings.Masks = "*.*";
    RecordingProgress progress;
    progress.onPump = [&](int) {
        if (settings.Searching) // the first pump of the running search, before any folder
            settings.Searching = false;
    };
    EXPECT_EQ(SearchLines(settings, {.progress = &progress}), emptyFooter);
    EXPECT_TRUE(progress.searchCaptions.isEmpty());
}

// A cancel while the first of several folders is listed keeps the entries handled so far: their
// lines, the folder's sum and the footer agree, and no further folder is searched.
TEST_F(RunSearchTest, CancelInTheFirstFolderOfSeveralKeepsTheTotalsSoFar) {
    tree.file("A/x1.txt", 100);
    tree.file("A/x2.txt", 100);
    tree.file("A/x3.txt", 100);
    TSearchFiles settings;
    AddSearchFolder(settings, tree.path("A"), true);
    AddSearchFolder(settings, tree.path("A"), true);
    settings.Masks = "*.txt";
    RecordingProgress progress;
    ResultLines lines;
    progress.onPump = [&](int) {
        if (lines.size() >= 4) // the folder's heading is there
            settings.Searching = false;
    };
    RunSearchLines(settings, false, true, true, lines, progress);
    const QStringList listed = LinesOf(lines);
    const auto files = static_cast<int>(listed.filter(QRegularExpression("^100 ")).size());
    ASSERT_GE(files, 1);
    ASSERT_LT(files, 3);
    QStringList expected = {"", "", "Verzeichnis von " + tree.path("A") + "/", ""};
    for (int i = 1; i <= files; ++i)
        expected.append(FileLine(100, QString("x%1.txt").arg(i)));
    expected += QStringList{"",
                            QString("%1 Datei(en), %2 Bytes").arg(files).arg(100 * files),
                            "",
                            "",
                            QString("%1          Datei(en) insgesamt, %2 Bytes (~ 0,00 MB)")
                                .arg(files)
                                .arg(100 * files),
                            "1          Verzeichnis(se)"};
    EXPECT_EQ(listed, expected);
    EXPECT_FALSE(settings.Searching);
}

// A cancel while a large folder is still being read ends the read at its next piece and lists
// what was read of it, in order, named as read in part; nothing after it is searched.
TEST_F(RunSearchTest, CancelWhileALargeFolderIsReadListsWhatWasReadOfIt) {
    tree.file("A/x.txt", 7);
    tree.folder("big");
    for (int i = 0; i < 3000; ++i)
        tree.rawFile("big", "f" + std::to_string(10000 + i), 3);
    tree.file("later/y.txt", 1);
    const QString big = tree.path("big") + "/";
    const auto search = [&](bool extended, int cancelAtPumpOfAllFound) {
        TSearchFiles settings;
        for (const char* folder : {"A", "big", "later"})
            AddSearchFolder(settings, tree.path(folder), true);
        settings.Masks = "*.*";
        RecordingProgress progress;
        progress.refreshEvery = std::chrono::milliseconds(0); // every piece shows its folder
        int pumpsWithAllFound = 0;
        progress.onPump = [&](int) {
            if (progress.searchCaptions.isEmpty() ||
                progress.searchCaptions.last() != "Suchen in " + big)
                return;
            if (cancelAtPumpOfAllFound == 0 ||
                (progress.foundCaptions.last() == FoundCaption(3001) && // with A's file
                 ++pumpsWithAllFound == cancelAtPumpOfAllFound))
                settings.Searching = false;
        };
        ResultLines lines;
        RunSearchLines(settings, true, true, extended, lines, progress);
        EXPECT_EQ(progress.readInPart, QByteArrayList({big.toUtf8()}));
        return LinesOf(lines);
    };

    // Cancelled while the names are read: some of them, in order, and nothing of "later".
    const QStringList simple = search(false, 0);
    const QStringList ofBig =
        simple.filter(QRegularExpression("^" + QRegularExpression::escape(big + "f")));
    EXPECT_GT(ofBig.size(), 0);
    EXPECT_LT(ofBig.size(), 3000);
    QStringList sorted = ofBig;
    sorted.sort();
    EXPECT_EQ(ofBig, sorted);
    EXPECT_TRUE(simple.contains(tree.path("A") + "/x.txt"));
    EXPECT_TRUE(simple.filter("later").isEmpty());

    // Cancelled while the sizes are read: the files whose sizes were read, with them, and the
    // folder's sum of exactly those.
    const QStringList extended = search(true, 2);
    EXPECT_TRUE(extended.contains("Verzeichnis von " + big));
    const QStringList files = extended.filter(QRegularExpression(" f1\\d{4} *$"));
    ASSERT_GT(files.size(), 0);
    for (const QString& line : files)
        EXPECT_EQ(line, FileLine(3, line.trimmed().section(' ', -1)));
    EXPECT_TRUE(extended.contains(
        QString("%1 Datei(en), %2 Bytes").arg(files.size()).arg(3 * files.size())));
    EXPECT_TRUE(extended.filter("later").isEmpty());
}

} // namespace
