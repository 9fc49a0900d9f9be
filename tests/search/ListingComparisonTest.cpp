#include "ListingComparison.h"

#include "QtPrinters.h"
#include "ScanHelpers.h"
#include "TempTree.h"

#include <gtest/gtest.h>

namespace {

QStringList compared(const std::string& earlier, const std::string& later) {
    ResultLines lines;
    CompareListings(ReadListingText(earlier), ReadListingText(later), lines);
    return lines.toStringList();
}

TEST(ListingComparisonTest, ReportsWhatChangedInARealTreeBetweenTwoRuns) {
    TempTree tree;
    tree.file("keep.txt", 10);
    tree.file("grow.txt", 1523);
    tree.file("gone.txt", 7);
    tree.file("Alt/inner.txt", 3);
    const std::string before = SavedListingText(tree.root());

    tree.file("grow.txt", 2400);
    QFile::remove(tree.path("gone.txt"));
    tree.file("new.txt", 48213);
    tree.folder("Neu");
    const std::string after = SavedListingText(tree.root());

    const QString root = tree.root() + "/";
    EXPECT_EQ(
        compared(before, after),
        QStringList({"+ " + root + "Neu/", "- " + root + "gone.txt (7 Bytes)",
                     "~ " + root + "grow.txt (1523 -> 2400 Bytes)",
                     "+ " + root + "new.txt (48213 Bytes)", "", "2 neu, 1 entfernt, 1 geändert"}));
    EXPECT_EQ(compared(after, after), QStringList({"0 neu, 0 entfernt, 0 geändert"}));
}

TEST(ListingComparisonTest, NotesOtherSearchesAndOtherListingForms) {
    TempTree tree;
    tree.file("a.txt", 1);
    const SavedListing all = ReadListingText(SavedListingText(tree.root()));
    const SavedListing texts = ReadListingText(SavedListingText(tree.root(), "*.txt"));
    const SavedListing simple = ReadListingText("/x/a.txt\n");
    EXPECT_TRUE(ComparisonNotes(all, all).isEmpty());
    EXPECT_EQ(ComparisonNotes(all, texts).size(), 1);
    EXPECT_EQ(ComparisonNotes(all, simple).size(), 1);
}

} // namespace
