#include "CliOptions.h"

#include <gtest/gtest.h>

namespace {

CliOptions parsed(const QStringList& arguments) {
    const CliParseResult result = ParseCliArguments(arguments);
    EXPECT_TRUE(result.error.isEmpty()) << result.error.toStdString();
    return result.options;
}

QString errorOf(const QStringList& arguments) {
    return ParseCliArguments(arguments).error;
}

// "path:r" or "path:R" per folder, so a whole folder list compares in one line.
QStringList foldersOf(const CliOptions& options) {
    QStringList folders;
    for (const FolderArgument& folder : options.folders)
        folders.append(folder.path + (folder.recursive ? ":r" : ":R"));
    return folders;
}

TEST(CliOptionsTest, DefaultsAreThoseOfAFreshMainWindow) {
    const CliOptions options = parsed({});
    EXPECT_EQ(options.masks, "*.*");
    EXPECT_FALSE(options.simple || options.fullPath || options.noExtensions || options.quiet);
    EXPECT_FALSE(options.output.has_value());
    EXPECT_TRUE(options.folders.empty());
}

TEST(CliOptionsTest, RecursionFollowsThePlaceOfEachFolder) {
    EXPECT_EQ(foldersOf(parsed({"a", "-R", "b", "c", "--recurse", "d", "--no-recurse", "a"})),
              QStringList({"a:r", "b:R", "c:R", "d:r", "a:R"}));
    // An option between folders does not reset the flag in force.
    EXPECT_EQ(foldersOf(parsed({"-R", "a", "-s", "b"})), QStringList({"a:R", "b:R"}));
}

TEST(CliOptionsTest, OptionsMayStandAnywhereAndBundle) {
    const CliOptions options = parsed({"a", "-spx", "b", "-qm*.txt;*.doc", "-o", "list.txt"});
    EXPECT_TRUE(options.simple && options.fullPath && options.noExtensions && options.quiet);
    EXPECT_EQ(options.masks, "*.txt;*.doc");
    EXPECT_EQ(options.output, "list.txt");
    EXPECT_EQ(foldersOf(options), QStringList({"a:r", "b:r"}));
}

TEST(CliOptionsTest, ValuesAreTakenExactlyAsTyped) {
    EXPECT_EQ(parsed({"--masks= *.txt; *.doc "}).masks, " *.txt; *.doc ");
    EXPECT_EQ(parsed({"--masks", "a=b"}).masks, "a=b");
    EXPECT_EQ(parsed({"--masks="}).masks, "");
    EXPECT_EQ(parsed({"-m", ""}).masks, "");
    EXPECT_EQ(parsed({"--output=out=1.txt"}).output, "out=1.txt");
    // The argument behind an option that wants a value is that value, even when it looks like
    // an option; it does not change the recursion.
    const CliOptions options = parsed({"-m", "-R", "a"});
    EXPECT_EQ(options.masks, "-R");
    EXPECT_EQ(foldersOf(options), QStringList({"a:r"}));
}

TEST(CliOptionsTest, DoubleDashEndsTheOptionsAndFoldersStayUntouched) {
    EXPECT_EQ(foldersOf(parsed({"-R", "--", "-x", "--", "-r", "--help"})),
              QStringList({"-x:R", "--:R", "-r:R", "--help:R"}));
    EXPECT_EQ(foldersOf(parsed({"-", "./a/../b/", "", "a//"})),
              QStringList({"-:r", "./a/../b/:r", ":r", "a//:r"}));
    EXPECT_FALSE(parsed({"--", "-h"}).help);
}

TEST(CliOptionsTest, HelpAndVersion) {
    EXPECT_TRUE(parsed({"-h"}).help);
    EXPECT_TRUE(parsed({"a", "--help"}).help);
    EXPECT_TRUE(parsed({"-v"}).version);
    EXPECT_TRUE(parsed({"--version"}).version);
}

TEST(CliOptionsTest, UsageErrorsNameTheOption) {
    EXPECT_EQ(errorOf({"--bogus"}), "unbekannte Option \"--bogus\"");
    EXPECT_EQ(errorOf({"a", "-z"}), "unbekannte Option \"-z\"");
    EXPECT_EQ(errorOf({"-sz"}), "unbekannte Option \"-z\"");
    // Long options are matched whole; an abbreviation is no option.
    EXPECT_EQ(errorOf({"--mask=*.txt"}), "unbekannte Option \"--mask\"");
    EXPECT_EQ(errorOf({"-m"}), "die Option \"-m\" verlangt einen Wert");
    EXPECT_EQ(errorOf({"a", "-sqo"}), "die Option \"-o\" verlangt einen Wert");
    EXPECT_EQ(errorOf({"--output"}), "die Option \"--output\" verlangt einen Wert");
    EXPECT_EQ(errorOf({"--masks"}), "die Option \"--masks\" verlangt einen Wert");
    EXPECT_EQ(errorOf({"-o", ""}), "die Option \"-o\" verlangt einen Dateinamen");
    EXPECT_EQ(errorOf({"--output="}), "die Option \"--output\" verlangt einen Dateinamen");
    EXPECT_EQ(errorOf({"--simple=yes"}), "die Option \"--simple\" nimmt keinen Wert");
}

} // namespace
