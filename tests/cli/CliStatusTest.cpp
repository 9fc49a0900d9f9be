#include "CliRunner.h"
#include "EngineListing.h"
#include "TempTree.h"

#include <gtest/gtest.h>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
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

    // Runs the tool on `folder`, whose subfolder a/b is bound back onto `folder` in a private
    // mount namespace (which keeps the bind mount from the rest of the system); `after` follows
    // the folder on the command line. Sets `skipped` where no bind mount can be made here.
    CliResult runWithLoop(const QString& folder, const QString& options, const QString& after,
                          bool& skipped) const {
        const CliResult result =
            RunShell("export LANG=C; unset LC_ALL; exec unshare -rm sh -c 'mount --bind \"$1\" "
                     "\"$1/a/b\" || exit 99; exec \"$0\" " +
                         options + " \"$1\" " + after + "' \"$0\" \"$1\"",
                     {folder});
        skipped = result.exitCode == 99 || result.err.startsWith("unshare:");
        return result;
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

// Read ahead, a tree of 400 folders could use hundreds of descriptors; a low limit only slows the
// reading, it never costs a folder.
TEST_F(CliStatusTest, DescriptorLimitCostsNoFolder) {
    for (int i = 0; i < 400; ++i)
        tree.file(QString("Many/d%1/s/f.txt").arg(i, 3, 10, QChar('0')), 1);
    const QStringList arguments{"-s", "-p", tree.path("Many")};
    const CliResult unlimited = RunCli(arguments);
    ASSERT_EQ(unlimited.exitCode, 0);
    ASSERT_EQ(unlimited.out.count('\n'), 2802);
    for (const int limit : {16, 24, 64, 128}) {
        const CliResult limited = RunShell("ulimit -n \"$1\" && shift && exec \"$0\" \"$@\"",
                                           QStringList{QString::number(limit)} + arguments);
        EXPECT_EQ(limited.exitCode, 0) << limit;
        EXPECT_TRUE(limited.err.isEmpty()) << limit << ": " << limited.err.toStdString();
        EXPECT_TRUE(limited.out == unlimited.out) << limit;
    }
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

// A name may hold C1 control characters (CSI U+009B, OSC U+009D), which a terminal takes as the
// start of an escape sequence: on a terminal they show as "?", in a pipe the listing keeps them.
TEST_F(CliStatusTest, ControlCharactersNeverReachATerminal) {
    tree.rawFile("Good",
                 "csi\xC2\x9B"
                 "2J",
                 1);
    tree.rawFile("Good",
                 "osc\xC2\x9D"
                 "0;x",
                 1);
    const QByteArray good = QFile::encodeName(tree.path("Good"));
    QByteArray terminal;
    const auto ignore = [](const QByteArray&, qint64) {};
    const QStringList simple{"-s", "-p", tree.path("Good")};
    ASSERT_EQ(RunCliOnTerminal(simple, 80, terminal, ignore, STDOUT_FILENO).exitCode, 0);
    EXPECT_TRUE(terminal.contains(good + "/csi?2J")) << terminal.toStdString();
    EXPECT_TRUE(terminal.contains(good + "/osc?0;x")) << terminal.toStdString();
    EXPECT_TRUE(RunCli(simple).out.contains(good + "/csi\xC2\x9B"
                                                   "2J\n"));

    terminal.clear();
    ASSERT_EQ(RunCliOnTerminal({"-o", "/dev/stdout", tree.path("Good")}, 80, terminal, ignore,
                               STDOUT_FILENO)
                  .exitCode,
              0);
    EXPECT_TRUE(terminal.contains("csi?2J")) << terminal.toStdString();

    const QString saved = tree.path("saved.txt");
    QFile list(saved);
    ASSERT_TRUE(list.open(QIODevice::WriteOnly));
    list.write(good + "/gone\xC2\x9B"
                      "2J\r\n");
    list.close();
    terminal.clear();
    const CliResult compared = RunCliOnTerminal({"--compare", saved, "-s", "-p", tree.path("Good")},
                                                80, terminal, ignore, STDOUT_FILENO);
    EXPECT_EQ(compared.exitCode, 1);
    EXPECT_TRUE(terminal.contains("- " + good + "/gone?2J")) << terminal.toStdString();
    EXPECT_FALSE(terminal.contains("\xC2\x9B") || terminal.contains("\xC2\x9D"));
    // Warnings go to standard error, most often a terminal too.
    EXPECT_TRUE(RunCli({"-s", tree.path("gone\u009B2J")}).err.contains("/gone?2J: "));
}

// Every message on standard error follows the terminal's rule, whatever part of it came from
// outside: an inventory's contents, a file name or an option's value.
TEST_F(CliStatusTest, MessagesNeverRepeatControlCharactersFromOutside) {
    const QString fake = tree.path("fake.jsonl");
    QFile inventory(fake);
    ASSERT_TRUE(inventory.open(QIODevice::WriteOnly));
    inventory.write("{\"type\":\"inventory\",\"format\":1,\"created\":\"2026-01-01T00:00:00Z\","
                    "\"folders\":[],\"masks\":\"*.*\"}\n"
                    "{\"type\":\"file\\r\\u001b[1A\\u001b[2KFERTIG\\u009b2J\",\"path\":\"/x\"}\n");
    inventory.close();
    const QList<QStringList> calls{
        {"--compare", fake, tree.path("Good")},
        {"-o", tree.path("\x1b[2Jdir/out")},
        {"--compare", tree.path("\x1b]0;T\ax")},
        {"--format", "x\x1b[2J"},
        {"--format", "x\u009b2J"},
        {"-s", tree.path("M\u009d0;x")},
    };
    for (const QStringList& call : calls) {
        const CliResult result = RunCli(call);
        EXPECT_NE(result.exitCode, 0) << call.join(' ').toStdString();
        EXPECT_FALSE(result.err.isEmpty());
        const QString err = QString::fromUtf8(result.err);
        for (const QChar c : err)
            EXPECT_FALSE(c != QLatin1Char('\n') &&
                         (c.unicode() < 0x20 || (c.unicode() >= 0x7f && c.unicode() < 0xa0)))
                << call.join(' ').toStdString() << ": " << result.err.toStdString();
        EXPECT_TRUE(err.contains(QStringLiteral("?"))) << result.err.toStdString();
    }
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

// Folder arguments, masks and the output name reach the file system as the bytes given; where
// they are shown, a byte that is not UTF-8 is U+FFFD. Qt's own options are ordinary folders.
TEST_F(CliStatusTest, ArgumentsAreTakenAsBytes) {
    tree.folder("Good/sub");
    ASSERT_EQ(::rename(QFile::encodeName(tree.path("Good/sub")).constData(),
                       (QFile::encodeName(tree.path("Good")) + "/M\xfc").constData()),
              0);
    tree.rawFile("Good/M\xfc", "x\xfc.txt", 3);
    const CliResult listed = RunShell("export LANG=C; unset LC_ALL; cd \"$1\" && exec \"$0\" -s -p "
                                      "-m \"$(printf '*\\374.txt')\" -o "
                                      "\"$(printf 'L\\374.txt')\" \"$(printf 'Good/M\\374')\"",
                                      {tree.root()});
    EXPECT_EQ(listed.exitCode, 0) << listed.err.toStdString();
    const QByteArray rawList = QFile::encodeName(tree.root()) + "/L\xfc.txt";
    QFile raw;
    ASSERT_TRUE(raw.open(::fopen(rawList.constData(), "rb"), QIODevice::ReadOnly,
                         QFileDevice::AutoCloseHandle));
    EXPECT_EQ(raw.readAll(), "Good/M\uFFFD/x\uFFFD.txt\r\n");

    const CliResult shown = RunShell("export LANG=C; unset LC_ALL; exec \"$0\" -n \"$(printf "
                                     "'M\\374')\" -- -qmljsdebugger=port:1",
                                     {});
    EXPECT_EQ(shown.exitCode, 1);
    EXPECT_TRUE(shown.out.contains("\n M\uFFFD [ohne Unterverzeichnisse]\n"));
    EXPECT_EQ(shown.err, warning("M\uFFFD", "No such file or directory") +
                             warning("-qmljsdebugger=port:1", "No such file or directory"));
}

// A bind mount that loops back is named and not entered; the listing stays as it was.
TEST_F(CliStatusTest, FolderLoopIsNamed) {
    tree.folder("Loop/a/b");
    const QString loop = tree.path("Loop");
    bool skipped = false;
    const CliResult result = runWithLoop(loop, "-s -p", "", skipped);
    if (skipped)
        GTEST_SKIP() << "no bind mount possible here: " << result.err.toStdString();
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err,
              "folderinventory-cli: Dateisystemschleife erkannt: " + loop.toUtf8() + "/a/b\n");
    const QByteArray l = loop.toUtf8();
    EXPECT_EQ(result.out,
              l + "/.\n" + l + "/..\n" + l + "/a\n" + l + "/a/.\n" + l + "/a/..\n" + l + "/a/b\n");
}

// The JSON summary says what the exit status says: a loop leaves the list incomplete, and the
// loop it names is a gap when the inventory is compared, where nothing below it counts.
TEST_F(CliStatusTest, FolderLoopLeavesTheJsonSummaryIncompleteAsTheStatusSays) {
    tree.folder("Loop/a/b");
    const QString loop = tree.path("Loop");
    bool skipped = false;
    const CliResult result = runWithLoop(loop, "-q --format json", "> \"$1.jsonl\"", skipped);
    if (skipped)
        GTEST_SKIP() << "no bind mount possible here: " << result.err.toStdString();
    EXPECT_EQ(result.exitCode, 1);
    QFile inventory(loop + ".jsonl");
    ASSERT_TRUE(inventory.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = inventory.readAll().trimmed().split('\n');
    const QJsonObject summary = QJsonDocument::fromJson(lines.constLast()).object();
    EXPECT_FALSE(summary.value("complete").toBool(true));
    EXPECT_EQ(summary.value("loops"), QJsonArray({QJsonObject{{"path", loop + "/a/b"}}}));

    const CliResult compared = RunCli({"--compare", loop + ".jsonl", "--to", loop + ".jsonl"});
    EXPECT_EQ(compared.exitCode, 2);
    EXPECT_TRUE(
        compared.err.contains("Dateisystemschleife, nicht durchsucht: " + loop.toUtf8() + "/a/b"))
        << compared.err.toStdString();
}

// Read permission without search permission: the names can be listed, their sizes not.
TEST_F(CliStatusTest, FolderWithoutSearchPermissionNamesItsSizesOnce) {
    tree.file("Names/a.txt", 5);
    ASSERT_EQ(::chmod(QFile::encodeName(tree.root()).constData(), 0755), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(tree.path("Names")).constData(), 0744), 0);
    const CliResult result = RunCliAsUser({"-m", "*.txt;a*", tree.path("Names")});
    ::chmod(QFile::encodeName(tree.path("Names")).constData(), 0755);
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err, "folderinventory-cli: Größen nicht lesbar: " +
                              tree.path("Names").toUtf8() + ": Permission denied\n");
    EXPECT_EQ(result.out.count("\n0                a.txt"), 2) << result.out.toStdString();
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
    for (const QString& line : QString::fromUtf8(result.out).split(QLatin1Char('\n')))
        EXPECT_LE(line.size(), 80) << line.toStdString();
    // What a stop leaves: the last line of the list, and an existing file kept beside the new.
    EXPECT_TRUE(result.out.contains("\"Abgebrochen: Die Liste ist\nunvollständig.\""));
    EXPECT_TRUE(result.out.contains("NAME.unvollständig.ENDUNG"));
    EXPECT_EQ(RunCli({"-h", tree.path("Good")}).out, result.out);
}

TEST_F(CliStatusTest, VersionNamesTheProjectVersion) {
    const CliResult result = RunCli({"--version"});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, "folderinventory-cli " FI_VERSION "\n");
    EXPECT_EQ(RunCli({"-v"}).out, result.out);
}

} // namespace
