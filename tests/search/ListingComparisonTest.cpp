#include "compare/ListingComparison.h"

#include "format/HeaderBlock.h"
#include "format/TextListing.h"
#include "QtPrinters.h"
#include "ScanHelpers.h"
#include "SearchDriver.h"
#include "TempTree.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <unistd.h>

namespace {

// The differences and the summary, as the tool prints them.
QStringList compared(const SavedListing& earlier, const SavedListing& later) {
    const ListingComparison comparison(earlier, later);
    ResultLines lines;
    comparison.appendDifferences(lines);
    lines.append(comparison.summary());
    return LinesOf(lines);
}

QStringList compared(const std::string& earlier, const std::string& later) {
    return compared(ReadListingText(earlier), ReadListingText(later));
}

TEST(ListingComparisonTest, ReportsWhatChangedInARealTreeBetweenTwoRuns) {
    TempTree tree;
    tree.file("keep.txt", 10);
    tree.file("grow.txt", 1523);
    tree.file("gone.txt", 7);
    tree.file("turn", 3);
    tree.file("Alt/inner.txt", 3);
    const std::string before = SavedListingText(tree.root());

    tree.file("grow.txt", 2400);
    QFile::remove(tree.path("gone.txt"));
    tree.file("new.txt", 48213);
    tree.folder("Neu");
    QFile::remove(tree.path("turn"));
    tree.file("turn/x", 1);
    const std::string after = SavedListingText(tree.root());

    const QString root = tree.root() + "/";
    EXPECT_EQ(compared(before, after),
              QStringList({"+ " + root + "Neu/", "- " + root + "gone.txt (7 Bytes)",
                           "~ " + root + "grow.txt (1523 -> 2400 Bytes)",
                           "+ " + root + "new.txt (48213 Bytes)", "- " + root + "turn (3 Bytes)",
                           "+ " + root + "turn/", "+ " + root + "turn/x (1 Bytes)",
                           "4 neu, 2 entfernt, 1 geändert"}));
    const ListingComparison same(ReadListingText(after), ReadListingText(after));
    EXPECT_TRUE(same.same() && same.complete() && same.notes().isEmpty());
    EXPECT_EQ(same.summary(), "0 neu, 0 entfernt, 0 geändert");
}

// A simple listing names a folder without "/", as an entry like any other: against an extended
// listing, either way round, the same entries meet.
TEST(ListingComparisonTest, ExtendedAndSimpleListingsCompareTheSameEntries) {
    TempTree tree;
    tree.file("E/x.txt", 1);
    tree.file("E.txt", 2);
    tree.folder("Leer");
    const SavedListing extended = ReadListingText(SavedListingText(tree.root()));
    const SavedListing simple = ReadListingText(SimpleListingText(tree.root()));
    const QStringList none{"0 neu, 0 entfernt, 0 geändert"};
    EXPECT_EQ(compared(extended, simple), none);
    EXPECT_EQ(compared(simple, extended), none);
    EXPECT_EQ(ListingComparison(extended, simple).notes(),
              QStringList({"Nur eine der beiden Listen ist eine erweiterte Liste; verglichen "
                           "wird nur, welche Einträge vorkommen"}));

    tree.file("E/y.txt", 1);
    EXPECT_EQ(
        compared(simple, ReadListingText(SavedListingText(tree.root()))),
        QStringList({"+ " + tree.path("E/y.txt") + " (1 Bytes)", "1 neu, 0 entfernt, 0 geändert"}));
}

// Names that a listing shows alike (a control character and "?", bytes shown as U+FFFD, trailing
// blanks and the fill) are named, and nothing about them counts, in either form of listing.
TEST(ListingComparisonTest, NamesShownAlikeAreNamedAndNeverCounted) {
    TempTree tree;
    tree.rawFile("", "a\tb", 1);
    tree.rawFile("", "x", 4);
    tree.rawFile("", "bad\xFF", 5);
    tree.file("plain.txt", 1);
    for (const bool extended : {true, false}) {
        const auto listing = [&] {
            return ReadListingText(extended ? SavedListingText(tree.root())
                                            : SimpleListingText(tree.root()));
        };
        const SavedListing before = listing();
        tree.rawFile("", "a?b", 2);
        tree.rawFile("", "x ", 3);
        tree.rawFile("", "bad\xFE", 6);
        tree.file("plain.txt", 9);
        const SavedListing after = listing();
        const ListingComparison comparison(before, after);
        EXPECT_FALSE(comparison.complete());
        EXPECT_EQ(comparison.added(), 0);
        const QString root = tree.root() + "/";
        const QString tail = "; ob sie (und was darunter liegt) sich geändert haben, bleibt offen";
        EXPECT_EQ(comparison.notes(),
                  QStringList({"Neue Liste: Mehrere Einträge eines Verzeichnisses erscheinen als " +
                                   root + "a?b" + tail,
                               "Neue Liste: Mehrere Einträge eines Verzeichnisses erscheinen als " +
                                   root + "bad\uFFFD" + tail,
                               "Neue Liste: Mehrere Einträge eines Verzeichnisses erscheinen als " +
                                   root + "x" + tail}));
        EXPECT_EQ(comparison.changed(), extended ? 1 : 0); // plain.txt only
        EXPECT_EQ(comparison.summary(), extended ? "0 neu, 0 entfernt, 1 geändert; unvollständig, "
                                                   "1 offen (siehe Hinweis)"
                                                 : "0 neu, 0 entfernt, 0 geändert; unvollständig "
                                                   "(siehe Hinweis)");
        for (const char* name : {"a?b", "bad\xFE", "x "})
            ::unlink((tree.rootBytes() + "/" + name).c_str());
    }
}

// What one list lacks is left open: entries below a folder the search could not read, sizes it
// could not read, and what lies beyond where a cancelled search stopped. The rest still counts.
TEST(ListingComparisonTest, GapsLeaveTheirEntriesOpenAndTheRestCounts) {
    TempTree tree;
    tree.file("A/a1", 1);
    tree.file("A/a2", 2);
    tree.file("B/b1", 3);
    tree.file("C/c1", 4);
    tree.file("locked/secret.txt", 3);
    tree.file("sizes/s", 3);
    const SavedListing earlier = ReadListingText(SavedListingText(tree.root()));

    // The search could not read "locked" and read "sizes" without its sizes (shown as 0).
    QFile::remove(tree.path("locked/secret.txt"));
    tree.file("sizes/s", 0);
    QFile::remove(tree.path("A/a2"));
    SavedListing later = ReadListingText(SavedListingText(tree.root()));
    later.gaps.addFolder(tree.rootBytes() + "/locked", ListingGaps::FolderGap::Unreadable);
    later.gaps.addFolder(tree.rootBytes() + "/sizes/", ListingGaps::FolderGap::SizesUnreadable);
    const ListingComparison comparison(earlier, later);
    const QString root = tree.root() + "/";
    EXPECT_EQ(compared(earlier, later),
              QStringList({"- " + root + "A/a2 (2 Bytes)",
                           "0 neu, 1 entfernt, 0 geändert; unvollständig, 2 offen (siehe "
                           "Hinweis)"}));
    EXPECT_EQ(comparison.notes(),
              QStringList({"Neue Liste: Verzeichnis nicht lesbar: " + root +
                               "locked/ (1 Eintrag der früheren Liste darin bleibt offen)",
                           "Neue Liste: Größen nicht lesbar in " + root +
                               "sizes/ (1 geänderte Größe bleibt offen)"}));

    // A search cancelled in "B": "A" was listed whole, "B" in part, "C" never.
    TSearchFiles settings;
    AddSearchFolder(settings, tree.root(), true);
    settings.Masks = "*.*";
    // The listing of the cancelled run ends with the line that says so, which the reader takes
    // for its end.
    struct CancelInB final : SearchProgress {
        explicit CancelInB(TSearchFiles& s) : settings(s) {}
        void searching(std::string_view folderPath, std::int64_t) override {
            inB = folderPath.ends_with("/B/");
        }
        void processMessages() override {
            if (inB)
                settings.Searching = false;
        }
        TSearchFiles& settings;
        bool inB = false;
    } cancel(settings);
    RunOutcome outcome;
    RunOutcomeRecorder recorder(cancel, settings, outcome);
    ResultLines lines;
    AppendHeaderBlock(settings, lines);
    TextListing listing = TextListing::extended(lines, &outcome);
    RunSearch(settings, listing, recorder);
    ASSERT_EQ(lines.view(lines.size() - 1), "Abgebrochen: Die Liste ist unvollständig.");
    const SavedListing cancelled = ReadListingText(lines.text());
    const ListingComparison partial(earlier, cancelled);
    EXPECT_EQ(partial.removed(), 1); // A/a2
    EXPECT_EQ(partial.open(), 4);    // B/b1 and the files in C, locked and sizes
    EXPECT_EQ(partial.notes(),
              QStringList({"Neue Liste: Die Suche wurde abgebrochen; 4 Einträge der früheren "
                           "Liste hinter ihrem Ende bleiben offen"}));
}

TEST(ListingComparisonTest, NotesOtherSearchesButNotAnotherSpellingOfTheSameFolder) {
    TempTree tree;
    tree.file("a.txt", 1);
    const SavedListing all = ReadListingText(SavedListingText(tree.root()));
    const SavedListing texts = ReadListingText(SavedListingText(tree.root(), "*.txt"));
    EXPECT_EQ(ListingComparison(all, texts).notes(),
              QStringList({"Die frühere Liste nennt andere Suchverzeichnisse oder Suchmasken als "
                           "die neue"}));
    for (const QString& spelling : {tree.root() + "/", tree.root() + "/./", tree.root() + "//"}) {
        const ListingComparison respelt(all, ReadListingText(SavedListingText(spelling)));
        EXPECT_TRUE(respelt.notes().isEmpty()) << spelling.toStdString();
        EXPECT_TRUE(respelt.same() && respelt.complete());
    }
}

} // namespace
