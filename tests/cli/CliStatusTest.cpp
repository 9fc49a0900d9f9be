#include "CliRunner.h"
#include "EngineListing.h"
#include "TempTree.h"

#include <gtest/gtest.h>
#include <QFile>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class CliStatusTest : public ::testing::Test {
protected:
    void SetUp() override {
        tree.file("Good/a.txt", 5);
        tree.file("plain.txt", 1);
    }

    QByteArray warning(const QString& path, const char* reason) const {
        return "folderinventory-cli: Verzeichnis nicht lesbar: " + path.toUtf8() + ": " + reason +
               "\n";
    }

    TempTree tree;
};

TEST_F(CliStatusTest, UnreadableFoldersAreNamedOnceAndTheListStaysWhole) {
    // Two masks visit each folder twice; each unreadable one is still named once. The tool runs
    // with LANG=C, so the reasons are the C library's English texts.
    const QString throughFile = tree.path("plain.txt/inner");
    const QString missing = tree.path("missing");
    const QStringList arguments{"-m", "*.txt;*.doc", throughFile, tree.path("Good"), missing};
    const CliResult result = RunCli(arguments);
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err, warning(throughFile, "Not a directory") +
                              warning(missing, "No such file or directory"));
    CliOptions expected =
        WithFolders({{throughFile, true}, {tree.path("Good"), true}, {missing, true}});
    expected.masks = "*.txt;*.doc";
    EXPECT_EQ(result.out, EngineListing(expected));
}

TEST_F(CliStatusTest, QuietKeepsTheStatusButDropsTheWarning) {
    const CliResult result = RunCli({"-q", tree.path("missing"), tree.path("Good")});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(result.err.isEmpty());
    EXPECT_FALSE(result.out.isEmpty());
}

TEST_F(CliStatusTest, EmptyFolderArgumentCountsAsUnreadable) {
    const CliResult result = RunCli({"-s", "", tree.path("Good")});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err, warning("\"\"", "No such file or directory"));
    CliOptions expected = WithFolders({{"", true}, {tree.path("Good"), true}});
    expected.simple = true;
    EXPECT_EQ(result.out, EngineListing(expected));
    EXPECT_FALSE(result.out.isEmpty());
}

TEST_F(CliStatusTest, ControlCharactersInAWarningPathAreShownAsQuestionMarks) {
    const CliResult result = RunCli({"-s", tree.path("no\nsuch\x1b[1m")});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err, warning(tree.path("no?such?[1m"), "No such file or directory"));
}

TEST_F(CliStatusTest, SubfolderWithoutPermissionIsReported) {
    tree.file("Good/Locked/secret.txt", 1);
    ASSERT_EQ(::chmod(QFile::encodeName(tree.root()).constData(), 0755), 0);
    ASSERT_TRUE(QFile::setPermissions(tree.path("Good/Locked"), QFile::Permissions()));
    const CliResult result = RunCliAsUser({tree.path("Good")});
    QFile::setPermissions(tree.path("Good/Locked"),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err, warning(tree.path("Good/Locked"), "Permission denied"));
}

TEST_F(CliStatusTest, EveryKindOfUsageErrorGivesStatusTwoAndNoOutput) {
    const QStringList folder{tree.path("Good")};
    const QList<QStringList> calls{
        {"--bogus"},  {"-z"}, {"-sZ"},       {"--masks"}, {"-m"},
        {"--output"}, {"-o"}, {"--quiet=1"}, {"-o", ""},  {"-o", tree.path("plain.txt/list.txt")},
    };
    for (const QStringList& call : calls) {
        const CliResult result = RunCli(folder + call);
        EXPECT_EQ(result.exitCode, 2) << call.join(' ').toStdString();
        EXPECT_TRUE(result.out.isEmpty()) << call.join(' ').toStdString();
        EXPECT_TRUE(result.err.startsWith("folderinventory-cli: ")) << result.err.toStdString();
    }
}

TEST_F(CliStatusTest, HelpShowsTheWholeInterfaceInGerman) {
    const CliResult result = RunCli({"--help"});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_TRUE(result.err.isEmpty());
    EXPECT_TRUE(result.out.startsWith("Aufruf: folderinventory-cli [OPTION | VERZEICHNIS]...\n"));
    for (const char* option : {"-m, --masks TEXT", "-s, --simple", "-p, --full-path",
                               "-x, --no-extensions", "-n, --no-recurse", "-r, -R, --recurse",
                               "-o, --output DATEI", "-q, --quiet", "-h, --help", "-v, --version"})
        EXPECT_TRUE(result.out.contains(option)) << option;
    EXPECT_EQ(RunCli({"-h", tree.path("Good")}).out, result.out);
}

TEST_F(CliStatusTest, VersionNamesTheProjectVersion) {
    const CliResult result = RunCli({"--version"});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, "folderinventory-cli " FI_VERSION "\n");
    EXPECT_EQ(RunCli({"-v"}).out, result.out);
}

} // namespace
