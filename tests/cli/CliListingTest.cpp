#include "CliRunner.h"
#include "EngineListing.h"
#include "TempTree.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <limits>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <unistd.h>

namespace {

// A small tree with nested folders, sizes, a non-ASCII name and a name holding a line feed.
class CliListingTest : public ::testing::Test {
protected:
    void SetUp() override {
        tree.file("A/report.txt", 1234);
        tree.file("A/archive.tar.gz", 70000);
        tree.file("A/Sub/Müller.doc", 5);
        tree.file("A/Sub/Deep/.profile", 1);
        tree.folder("A/Empty");
        tree.file("B/README", 10);
        tree.file("B/notes.txt", 3);
        tree.rawFile("B", "two\nlines.txt", 2);
    }

    TempTree tree;
};

TEST_F(CliListingTest, ExtendedListingIsHeaderPlusTheEngineLines) {
    const CliResult result =
        RunCli({tree.path("A"), "-n", tree.path("B"), "-m", "*.txt;*.doc; *.gz"});
    CliOptions expected = WithFolders({{tree.path("A"), true}, {tree.path("B"), false}});
    expected.masks = "*.txt;*.doc; *.gz";
    EXPECT_EQ(result.out, EngineListing(expected));
    EXPECT_TRUE(result.out.startsWith("**    FolderInventory     **\n"));
    EXPECT_TRUE(result.out.contains("two?lines.txt"));
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_TRUE(result.err.isEmpty()) << result.err.toStdString();
}

TEST_F(CliListingTest, SimpleListingsHaveNoHeader) {
    struct Case {
        QStringList flags;
        bool fullPath;
        bool noExtensions;
    };
    for (const Case& c :
         {Case{{"-s"}, false, false}, Case{{"-s", "-p"}, true, false},
          Case{{"--simple", "--no-extensions"}, false, true}, Case{{"-spx"}, true, true}}) {
        const CliResult result = RunCli(c.flags + QStringList{tree.path("A"), tree.path("B")});
        CliOptions expected = WithFolders({{tree.path("A"), true}, {tree.path("B"), true}});
        expected.simple = true;
        expected.fullPath = c.fullPath;
        expected.noExtensions = c.noExtensions;
        EXPECT_EQ(result.out, EngineListing(expected)) << c.flags.join(' ').toStdString();
        EXPECT_FALSE(result.out.contains("FolderInventory"));
        EXPECT_EQ(result.exitCode, 0);
    }
}

TEST_F(CliListingTest, EachFolderKeepsTheRecursionInForceAtItsPlace) {
    const QString a = tree.path("A");
    const QString b = tree.path("B");
    const CliResult result = RunCli({"--no-recurse", a, "-R", b, a});
    EXPECT_EQ(result.out, EngineListing(WithFolders({{a, false}, {b, true}, {a, true}})));
    EXPECT_TRUE(result.out.contains(" " + a.toUtf8() + " [ohne Unterverzeichnisse]\n " +
                                    b.toUtf8() + " [mit Unterverzeichnissen]\n " + a.toUtf8() +
                                    " [mit Unterverzeichnissen]\n"));
    // The same folder twice is listed twice; only the recursive pass reaches Sub.
    EXPECT_EQ(result.out.count("Verzeichnis von " + a.toUtf8() + "/\n"), 2);
    EXPECT_EQ(result.out.count("Verzeichnis von " + a.toUtf8() + "/Sub/\n"), 1);
}

TEST_F(CliListingTest, FoldersAreTakenAsGivenAndDoubleDashAllowsADashName) {
    tree.file("-x/inside.txt", 7);
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(tree.root()));
    const CliOptions expected = WithFolders({{"-x", true}, {"A//", true}, {"./B", true}});
    const QByteArray engine = EngineListing(expected);
    QDir::setCurrent(previous);

    const CliResult result = RunCli({"--", "-x", "A//", "./B"}, "C", tree.root());
    EXPECT_EQ(result.out, engine);
    EXPECT_TRUE(result.out.contains("\nVerzeichnis von -x/\n"));
    EXPECT_TRUE(result.out.contains("\nVerzeichnis von A//\n"));
    EXPECT_EQ(result.exitCode, 0);
}

TEST_F(CliListingTest, NoFolderMeansTheCurrentFolder) {
    const CliResult result = RunCli({"-m", "*.txt"}, "C", tree.path("B"));
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_TRUE(result.out.contains("\n . [mit Unterverzeichnissen]\n"));
    EXPECT_TRUE(result.out.contains("\nVerzeichnis von ./\n"));
    EXPECT_EQ(RunCli({"-s", "-n", "-p", "-m", "*.txt"}, "C", tree.path("B")).out,
              "./notes.txt\n./two?lines.txt\n");
}

TEST_F(CliListingTest, FooterDecimalSeparatorFollowsLang) {
    tree.file("C/a.bin", 1048576);
    tree.file("C/b.bin", 524288);
    const QByteArray german = RunCli({tree.path("C")}, "de_DE.UTF-8").out;
    const QByteArray plain = RunCli({tree.path("C")}, "C").out;
    EXPECT_TRUE(german.contains("2          Datei(en) insgesamt, 1572864 Bytes (~ 1,50 MB)\n"))
        << german.toStdString();
    EXPECT_TRUE(plain.contains("2          Datei(en) insgesamt, 1572864 Bytes (~ 1.50 MB)\n"))
        << plain.toStdString();
}

} // namespace

namespace {

// More output than one piece of the stream: the lines that go out while the search runs
// must be exactly those the engine gives, across every piece boundary, folder by folder. Long
// names make the output large with few files to create.
// Sizes add up beyond 64 bits (two sparse files of the largest size a file may have): every sum
// is exact, in the listing, its footer and JSON Lines, and the listing reads back.
TEST(CliLargeSizes, SumsBeyondSixtyFourBitsAreExact) {
    QTemporaryDir dir(QStringLiteral("/dev/shm/fi_sizes-XXXXXX"));
    if (!dir.isValid())
        GTEST_SKIP() << "no /dev/shm for sparse files of the largest size";
    for (const char* name : {"big1", "big2", "small"}) {
        const QByteArray path = QFile::encodeName(dir.filePath(name));
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT, 0644);
        ASSERT_GE(fd, 0);
        const off_t size = name[0] == 'b' ? std::numeric_limits<off_t>::max() : 123;
        if (::ftruncate(fd, size) != 0) {
            ::close(fd);
            GTEST_SKIP() << "no sparse file of the largest size on /dev/shm";
        }
        ::close(fd);
    }
    const CliResult listed = RunCli({"-n", dir.path()});
    EXPECT_EQ(listed.exitCode, 0);
    EXPECT_TRUE(listed.out.contains("\n3 Datei(en), 18446744073709551737 Bytes\n"))
        << listed.out.toStdString();
    EXPECT_TRUE(listed.out.contains("\n3          Datei(en) insgesamt, 18446744073709551737 Bytes "
                                    "(~ 17592186044416.00 MB)\n"))
        << listed.out.toStdString();
    const CliResult json = RunCli({"-n", "--format", "json", dir.path()});
    EXPECT_TRUE(json.out.contains("\"files\":3,\"folders\":0,\"links\":0,\"special\":0,"
                                  "\"bytes\":18446744073709551737,"))
        << json.out.toStdString();
    for (const char* format : {"text", "json"}) {
        const QString saved = dir.filePath(QStringLiteral("saved.") + format);
        ASSERT_EQ(RunCli({"-n", "--format", format, "-m", "big*;small", "-o", saved, dir.path()})
                      .exitCode,
                  0);
        const CliResult compared =
            RunCli({"--compare", saved, "-n", "-m", "big*;small", dir.path()});
        EXPECT_EQ(compared.exitCode, 0) << format << ": " << compared.err.toStdString();
    }
}

TEST(CliLargeListing, StreamedListingEqualsTheEngineLines) {
    TempTree tree;
    const QString padding(180, QLatin1Char('x'));
    for (int folder = 0; folder < 20; ++folder) {
        for (int file = 0; file < 80; ++file)
            tree.file(QString("F%1/datei-%2-äöü-%3.txt").arg(folder).arg(file).arg(padding), file);
    }
    for (const QStringList& flags : {QStringList(), QStringList{"-s", "-p"}}) {
        const CliResult result = RunCli(flags + QStringList{tree.root()});
        CliOptions expected = WithFolders({{tree.root(), true}});
        expected.simple = !flags.isEmpty();
        expected.fullPath = !flags.isEmpty();
        const QByteArray engine = EngineListing(expected);
        EXPECT_GT(engine.size(), 300 * 1024); // more than one piece
        EXPECT_EQ(result.out.size(), engine.size());
        EXPECT_TRUE(result.out == engine) << flags.join(' ').toStdString();
        EXPECT_EQ(result.exitCode, 0);
    }
}

} // namespace
