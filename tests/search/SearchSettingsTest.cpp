#include "run/SearchSettings.h"

#include "base/SplitText.h"

#include <gtest/gtest.h>

namespace {

QStringList split(const QString& text) {
    return SplitText(QStringLiteral(";"), text);
}

TEST(SplitText, EverySeparatorEndsOnePiece) {
    EXPECT_EQ(split("*.txt;*.doc"), QStringList({"*.txt", "*.doc"}));
    EXPECT_EQ(split("a;;b"), QStringList({"a", "", "b"}));
    EXPECT_EQ(split("a;"), QStringList({"a"}));
    EXPECT_EQ(split(";a"), QStringList({"", "a"}));
    EXPECT_EQ(split(";"), QStringList({""}));
    EXPECT_EQ(split(";;"), QStringList({"", ""}));
    EXPECT_EQ(split("a; b"), QStringList({"a", " b"}));
}

TEST(SplitText, EmptyTextGivesNoPieces) {
    EXPECT_TRUE(split("").isEmpty());
    EXPECT_TRUE(SplitText(QString(), QString()).isEmpty());
}

TEST(SplitText, EmptyOrLongSeparator) {
    EXPECT_EQ(SplitText(QString(), "a;b"), QStringList({"a;b"}));
    EXPECT_EQ(SplitText("::", "a::b:c::"), QStringList({"a", "b:c"}));
    EXPECT_EQ(SplitText(";", "A;a"), QStringList({"A", "a"}));
}

TEST(SearchSettings, FoldersAndRecursionTextsStayInStep) {
    TSearchFiles settings;
    settings.Folders = {"stale"};
    settings.Recurse = {"true"};
    InitSearchFiles(settings);
    EXPECT_TRUE(settings.Folders.isEmpty());
    EXPECT_TRUE(settings.Recurse.isEmpty());

    AddSearchFolder(settings, "/daten", true);
    AddSearchFolder(settings, "/daten", false);
    EXPECT_EQ(settings.Folders, QStringList({"/daten", "/daten"}));
    EXPECT_EQ(settings.Recurse, QStringList({"true", "false"}));

    DeleteSearchFolder(settings, 0);
    EXPECT_EQ(settings.Folders, QStringList({"/daten"}));
    EXPECT_EQ(settings.Recurse, QStringList({"false"}));
}

TEST(SearchSettings, OnlyTheExactTextTrueRecurses) {
    EXPECT_TRUE(IsRecursive("true"));
    EXPECT_FALSE(IsRecursive("True"));
    EXPECT_FALSE(IsRecursive("true "));
    EXPECT_FALSE(IsRecursive("false"));
    EXPECT_FALSE(IsRecursive(""));
}

} // namespace
