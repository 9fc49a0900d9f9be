#include "CliOptions.h"

#include "CliOptionTable.h"

#include <gtest/gtest.h>

namespace {

CliOptions parsed(const QByteArrayList& arguments) {
    const CliParseResult result = ParseCliArguments(arguments);
    EXPECT_TRUE(result.error.isEmpty()) << result.error.toStdString();
    return result.options;
}

QString errorOf(const QByteArrayList& arguments) {
    return ParseCliArguments(arguments).error;
}

// "path:r" or "path:n" per folder, so a whole folder list compares in one line.
QByteArrayList foldersOf(const CliOptions& options) {
    QByteArrayList folders;
    for (const FolderArgument& folder : options.folders)
        folders.append(folder.path + (folder.recursive ? ":r" : ":n"));
    return folders;
}

TEST(CliOptionsTest, DefaultsAreThoseOfAFreshMainWindow) {
    const CliOptions options = parsed({});
    EXPECT_EQ(options.masks, "*.*");
    EXPECT_FALSE(options.simple || options.fullPath || options.noExtensions || options.quiet);
    EXPECT_FALSE(options.output.has_value());
    // No folder given: the current one, as find, du and tree do.
    EXPECT_EQ(foldersOf(options), QByteArrayList({".:r"}));
    EXPECT_EQ(foldersOf(parsed({"-n"})), QByteArrayList({".:n"}));
}

TEST(CliOptionsTest, RecursionFollowsThePlaceOfEachFolder) {
    // -r, -R and --recurse mean with subfolders (as in ls -R), -n and --no-recurse without.
    EXPECT_EQ(foldersOf(parsed({"a", "-n", "b", "c", "--recurse", "d", "--no-recurse", "a", "-R",
                                "e", "-n", "f", "-r", "g"})),
              QByteArrayList({"a:r", "b:n", "c:n", "d:r", "a:n", "e:r", "f:n", "g:r"}));
    // An option between folders does not reset the flag in force.
    EXPECT_EQ(foldersOf(parsed({"-n", "a", "-s", "b"})), QByteArrayList({"a:n", "b:n"}));
}

TEST(CliOptionsTest, OptionsMayStandAnywhereAndBundle) {
    const CliOptions options = parsed({"a", "-spx", "b", "-qm*.txt;*.doc", "-o", "list.txt"});
    EXPECT_TRUE(options.simple && options.fullPath && options.noExtensions && options.quiet);
    EXPECT_EQ(options.masks, "*.txt;*.doc");
    EXPECT_EQ(options.output, "list.txt");
    EXPECT_EQ(foldersOf(options), QByteArrayList({"a:r", "b:r"}));
}

TEST(CliOptionsTest, ValuesAreTakenExactlyAsTyped) {
    EXPECT_EQ(parsed({"--masks= *.txt; *.doc "}).masks, " *.txt; *.doc ");
    EXPECT_EQ(parsed({"--masks", "a=b"}).masks, "a=b");
    EXPECT_EQ(parsed({"--masks="}).masks, "");
    EXPECT_EQ(parsed({"-m", ""}).masks, "");
    EXPECT_EQ(parsed({"--output=out=1.txt"}).output, "out=1.txt");
    // The argument behind an option that wants a value is that value, even when it looks like
    // an option; it does not change the recursion.
    const CliOptions options = parsed({"-m", "-n", "a"});
    EXPECT_EQ(options.masks, "-n");
    EXPECT_EQ(foldersOf(options), QByteArrayList({"a:r"}));
    // Bytes that are not UTF-8 stay the same bytes.
    const CliOptions bytes = parsed({"-m", "*\xfc*", "-o", "Liste_M\xfcller.txt", "M\xfcller"});
    EXPECT_EQ(bytes.masks, "*\xfc*");
    EXPECT_EQ(bytes.output, "Liste_M\xfcller.txt");
    EXPECT_EQ(foldersOf(bytes), QByteArrayList({"M\xfcller:r"}));
}

TEST(CliOptionsTest, DoubleDashEndsTheOptionsAndFoldersStayUntouched) {
    EXPECT_EQ(foldersOf(parsed({"-n", "--", "-x", "--", "-r", "--help", "-qmljsdebugger=port:1"})),
              QByteArrayList({"-x:n", "--:n", "-r:n", "--help:n", "-qmljsdebugger=port:1:n"}));
    EXPECT_EQ(foldersOf(parsed({"-", "./a/../b/", "", "a//"})),
              QByteArrayList({"-:r", "./a/../b/:r", ":r", "a//:r"}));
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
    EXPECT_EQ(errorOf({"--b\xfc"}), "unbekannte Option \"--b\uFFFD\"");
    EXPECT_EQ(errorOf({"-\xfc"}), "unbekannte Option \"-\uFFFD\"");
    EXPECT_EQ(errorOf({"--format", "xml"}), "unbekannter Wert \"xml\" für die Option \"--format\" "
                                            "(möglich: text, csv, json, sums, html)");
}

// Every option of the table is in the help with its synopsis, and the parser takes each of
// its names, so the two cannot drift apart.
TEST(CliOptionsTest, ParserAndHelpFollowTheOptionTable) {
    const QString help = RenderOptionHelp(CliOptionTable());
    for (const CliOptionSpec& entry : CliOptionTable()) {
        EXPECT_TRUE(help.contains(QStringLiteral("  ") + OptionSynopsis(entry))) << entry.longName;
        QByteArrayList names{"--" + QByteArray(entry.longName.data(),
                                               static_cast<qsizetype>(entry.longName.size()))};
        for (const char name : entry.shortNames)
            names.append(QByteArray("-") + name);
        for (const QByteArray& name : names) {
            QByteArrayList call{name};
            // A value of its own set where it has one, a number or a span where it reads one.
            const std::string_view value = entry.values.substr(0, entry.values.find(' '));
            const std::string_view argument = entry.argumentName;
            if (!value.empty())
                call.append(QByteArray(value.data(), qsizetype(value.size())));
            else if (argument == "N" || argument == "GRÖSSE")
                call.append("1");
            else if (argument == "WANN")
                call.append("1d");
            else if (!argument.empty())
                call.append("wert");
            EXPECT_TRUE(errorOf(call).isEmpty()) << name.toStdString();
        }
    }
    EXPECT_TRUE(help.contains("  -r, -R, --recurse "));
    EXPECT_TRUE(help.contains("  -n, --no-recurse "));
}

} // namespace
