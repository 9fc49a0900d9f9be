#include "CliRunner.h"
#include "ScanHelpers.h"
#include "TempTree.h"

#include <gtest/gtest.h>
#include <QFile>
#include <QTemporaryDir>

namespace {

// --compare against a list saved before the tree changed, and --to between two saved lists.
class CliCompareTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(saved.isValid());
        tree.file("keep.txt", 10);
        tree.file("grow.txt", 1523);
        tree.file("gone.txt", 7);
        earlier = save("frueher.txt", SavedListingText(tree.root()));
    }

    QString save(const QString& name, const std::string& text) const {
        const QString path = saved.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text.data(), qint64(text.size()));
        return path;
    }

    TempTree tree;
    QTemporaryDir saved;
    QString earlier;
};

TEST_F(CliCompareTest, PrintsTheDifferencesToAFreshSearchAndExitsOneWhenTheyDiffer) {
    const CliResult same = RunCli({"--compare", earlier, tree.root()});
    EXPECT_EQ(same.exitCode, 0);
    EXPECT_EQ(same.out, "0 neu, 0 entfernt, 0 geändert\n");
    EXPECT_TRUE(same.err.isEmpty()) << same.err.toStdString();

    tree.file("grow.txt", 2400);
    QFile::remove(tree.path("gone.txt"));
    tree.file("Neu/new.txt", 48213);
    const QString root = tree.root() + "/";
    const CliResult changed = RunCli({"--compare", earlier, tree.root()});
    EXPECT_EQ(changed.exitCode, 1);
    EXPECT_EQ(changed.out,
              ("+ " + root + "Neu/\n" + "+ " + root + "Neu/new.txt (48213 Bytes)\n" + "- " + root +
               "gone.txt (7 Bytes)\n" + "~ " + root + "grow.txt (1523 -> 2400 Bytes)\n" + "\n" +
               "2 neu, 1 entfernt, 1 geändert\n")
                  .toUtf8());

    // Two saved lists, the later one of *.txt only (so without the folder "Neu/"): a note says
    // that the searches differ.
    const QString later = save("neu.txt", SavedListingText(tree.root(), "*.txt"));
    const CliResult betweenSaved = RunCli({"--compare", earlier, "--to", later});
    EXPECT_EQ(betweenSaved.exitCode, 1);
    EXPECT_TRUE(betweenSaved.out.endsWith("\n1 neu, 1 entfernt, 1 geändert\n"))
        << betweenSaved.out.data();
    EXPECT_TRUE(
        betweenSaved.err.startsWith("Hinweis: Die frühere Liste nennt andere Suchverzeichnisse "
                                    "oder Suchmasken als die neue"))
        << betweenSaved.err.data();
}

TEST_F(CliCompareTest, UnreadableListsAndUsageErrorsExitTwoWithAClearMessage) {
    const QString bareNames = save("namen.txt", "a.txt\nb.txt\n");
    const QString empty = save("leer.txt", "");
    const struct {
        QStringList arguments;
        QByteArray message;
    } cases[] = {
        {{"--compare", tree.path("fehlt.txt"), tree.root()}, "kann nicht gelesen werden"},
        {{"--compare", bareNames, tree.root()}, "einfache Liste ohne Pfade"},
        {{"--compare", earlier, "--to", empty}, "Die Datei ist leer"},
        {{"--to", earlier}, "\"--to\" gehört zu \"--compare\""},
        {{"--compare", earlier, "--to", earlier, tree.root()}, "nimmt keine Verzeichnisse"},
        {{"--compare", earlier, "-s", tree.root()}, "verlangt \"-p\""},
        {{"--compare"}, "verlangt einen Wert"},
    };
    for (const auto& c : cases) {
        const CliResult result = RunCli(c.arguments);
        EXPECT_EQ(result.exitCode, 2) << c.arguments.join(' ').toStdString();
        EXPECT_TRUE(result.err.contains(c.message)) << result.err.toStdString();
        EXPECT_TRUE(result.out.isEmpty());
    }
}

// Two lists of 200,000 files and an address-space limit from 60 MB up: wherever memory runs out,
// on either side of the reading, the tool says so and ends with its status, never with an abort.
TEST_F(CliCompareTest, OutOfMemoryOnEitherSideIsReportedAtAnyLimit) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "AddressSanitizer reserves more address space than any limit leaves";
#endif
    std::string first;
    std::string second;
    for (int i = 0; i < 200000; ++i) {
        const std::string path =
            "/daten/ordner" + std::to_string(i / 100) + "/datei" + std::to_string(i) + ".txt\r\n";
        first += path;
        second += i % 1000 == 0 ? "/daten/neu" + std::to_string(i) + ".txt\r\n" : path;
    }
    const QStringList lists{save("a.txt", first), save("b.txt", second)};
    for (int megabytes = 60; megabytes <= 100; megabytes += 5) {
        SCOPED_TRACE(megabytes);
        const CliResult result =
            RunShell("ulimit -v \"$1\" && exec \"$0\" --compare \"$2\" --to \"$3\" >/dev/null",
                     QStringList{QString::number(megabytes * 1000)} + lists);
        EXPECT_FALSE(result.crashed);
        EXPECT_TRUE(result.exitCode == 1 || result.exitCode == 4) << result.exitCode;
        if (result.exitCode == 4) {
            EXPECT_EQ(result.err, "folderinventory-cli: Speicher erschöpft\n");
        }
    }
}

} // namespace
