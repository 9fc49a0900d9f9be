#include "ListingComparison.h"

#include "HeaderBlock.h"
#include "QtPrinters.h"
#include "SearchDriver.h"
#include "TempTree.h"

#include <gtest/gtest.h>

namespace {

// The extended listing of `folder` (with subfolders) as the result window saves it.
std::string savedListing(const QString& folder, const QString& masks = QStringLiteral("*.*")) {
    TSearchFiles settings;
    InitSearchFiles(settings);
    AddSearchFolder(settings, folder, true);
    settings.Masks = masks;
    const ResultLines lines = RunSearch(settings, false, true, true);
    std::string text;
    for (const QString& line : BuildHeaderBlock(settings))
        text += line.toStdString() + "\r\n";
    for (qsizetype i = 0; i < lines.size(); ++i)
        text += std::string(lines.view(i)) + "\r\n";
    return text;
}

QStringList compared(const std::string& earlier, const std::string& later) {
    ListingComparison comparison;
    CompareListings(ReadListingText(earlier), ReadListingText(later), comparison);
    return comparison.lines.toStringList();
}

TEST(ListingComparisonTest, ReportsWhatChangedInARealTreeBetweenTwoRuns) {
    TempTree tree;
    tree.file("keep.txt", 10);
    tree.file("grow.txt", 1523);
    tree.file("gone.txt", 7);
    tree.file("Alt/inner.txt", 3);
    const std::string before = savedListing(tree.root());

    tree.file("grow.txt", 2400);
    QFile::remove(tree.path("gone.txt"));
    tree.file("new.txt", 48213);
    tree.folder("Neu");
    const std::string after = savedListing(tree.root());

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
    const SavedListing all = ReadListingText(savedListing(tree.root()));
    const SavedListing texts = ReadListingText(savedListing(tree.root(), "*.txt"));
    const SavedListing simple = ReadListingText("/x/a.txt\n");
    EXPECT_TRUE(ComparisonNotes(all, all).isEmpty());
    EXPECT_EQ(ComparisonNotes(all, texts).size(), 1);
    EXPECT_EQ(ComparisonNotes(all, simple).size(), 1);
}

} // namespace
