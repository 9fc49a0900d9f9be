#include "CliRunner.h"
#include "EngineListing.h"
#include "ScanHelpers.h"
#include "TempTree.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <string>
#include <sys/stat.h>
#include <vector>

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
    // that the searches differ. The same folder spelt "root/" is no other search.
    const QString later = save("neu.txt", SavedListingText(tree.root(), "*.txt"));
    const CliResult betweenSaved = RunCli({"--compare", earlier, "--to", later});
    EXPECT_EQ(betweenSaved.exitCode, 1);
    EXPECT_TRUE(betweenSaved.out.endsWith("\n1 neu, 1 entfernt, 1 geändert\n"))
        << betweenSaved.out.data();
    EXPECT_TRUE(
        betweenSaved.err.startsWith("Hinweis: Die frühere Liste nennt andere Suchverzeichnisse "
                                    "oder Suchmasken als die neue"))
        << betweenSaved.err.data();
    EXPECT_TRUE(RunCli({"--compare", later, "-m", "*.txt", root}).err.isEmpty());
}

// A folder the new search cannot read hides nothing as "removed": its entries are named as open,
// with or without -q, and the status says the comparison is incomplete.
TEST_F(CliCompareTest, UnreadableFolderOfTheNewSearchIsLeftOpen) {
    tree.file("locked/secret.txt", 3);
    tree.file("locked/inner/deep.txt", 1);
    const QString withLocked = save("mit.txt", SavedListingText(tree.root()));
    ASSERT_EQ(::chmod(QFile::encodeName(tree.root()).constData(), 0755), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(saved.path()).constData(), 0755), 0);
    ASSERT_TRUE(QFile::setPermissions(tree.path("locked"), QFile::Permissions()));
    tree.file("grow.txt", 1524);
    for (const bool quiet : {false, true}) {
        QStringList arguments{"--compare", withLocked, tree.root()};
        if (quiet)
            arguments.prepend("-q");
        const CliResult result = RunCliAsUser(arguments);
        EXPECT_EQ(result.exitCode, 2);
        EXPECT_EQ(result.out, "~ " + tree.path("grow.txt").toUtf8() +
                                  " (1523 -> 1524 Bytes)\n\n0 neu, 0 entfernt, 1 geändert; "
                                  "unvollständig, 3 offen (siehe Hinweis)\n");
        EXPECT_TRUE(result.err.endsWith(
            "Hinweis: Neue Liste: Verzeichnis nicht lesbar: " + tree.path("locked/").toUtf8() +
            " (3 Einträge der früheren Liste darin bleiben offen).\n"))
            << result.err.toStdString();
    }
    QFile::setPermissions(tree.path("locked"),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

// Simple listings of a relative folder, the current one by default, and a simple listing that
// found nothing compare like any other; "-" is standard input and standard output.
TEST_F(CliCompareTest, RelativeEmptyAndPipedListsCompare) {
    tree.file("Sub/b.txt", 2);
    const CliResult relative = RunCli({"-s", "-p"}, QStringLiteral("C"), tree.root());
    ASSERT_EQ(relative.exitCode, 0);
    ASSERT_TRUE(relative.out.startsWith("./")) << relative.out.toStdString();
    const QString relativeList = save("relativ.txt", relative.out.toStdString());
    tree.file("Sub/c.txt", 3);
    const CliResult again =
        RunCli({"--compare", relativeList, "-s", "-p"}, QStringLiteral("C"), tree.root());
    EXPECT_EQ(again.exitCode, 1);
    EXPECT_EQ(again.out, "+ ./Sub/c.txt\n\n1 neu, 0 entfernt, 0 geändert\n");

    const QString none = save("leer.txt", "");
    const CliResult noneFound = RunCli({"--compare", none, "-s", "-p", "-m", "*.pdf", tree.root()});
    EXPECT_EQ(noneFound.exitCode, 0);
    EXPECT_EQ(noneFound.out, "0 neu, 0 entfernt, 0 geändert\n");
    EXPECT_EQ(RunCli({"--compare", none, "--to", relativeList}).exitCode, 1);

    const CliResult piped =
        RunShell("\"$0\" -s -p -o - \"$1\" | \"$0\" --compare - -s -p \"$1\"", {tree.root()});
    EXPECT_EQ(piped.exitCode, 0) << piped.err.toStdString();
    EXPECT_EQ(piped.out, "0 neu, 0 entfernt, 0 geändert\n");
    CliOptions simple = WithFolders({{tree.root(), true}});
    simple.simple = true;
    simple.fullPath = true;
    EXPECT_EQ(RunCli({"-s", "-p", "-o", "-", tree.root()}, QStringLiteral("C"), tree.root()).out,
              EngineListing(simple, "\r\n"));
    EXPECT_FALSE(QFile::exists(tree.path("-")));
}

TEST_F(CliCompareTest, UnreadableListsAndUsageErrorsExitTwoWithAClearMessage) {
    const QString bareNames = save("namen.txt", "a.txt\nb.txt\n");
    const QString withoutExtensions = save("ohne.txt", "/d/\n/d/.\n/d/report\n");
    const struct {
        QStringList arguments;
        QByteArray message;
    } cases[] = {
        {{"--compare", tree.path("fehlt.txt"), tree.root()}, "kann nicht gelesen werden"},
        {{"--compare", bareNames, tree.root()}, "einfache Liste ohne Pfade"},
        {{"--compare", earlier, "--to", withoutExtensions}, "ohne Dateierweiterung"},
        {{"--compare", "/dev/zero", "--to", earlier}, "Keine Liste von FolderInventory"},
        {{"--compare", earlier, "--to", "/dev/urandom"}, "/dev/urandom: "},
        {{"--to", earlier}, "\"--to\" gehört zu \"--compare\""},
        {{"--compare", earlier, "--to", earlier, tree.root()}, "nimmt keine Verzeichnisse"},
        {{"--compare", earlier, "-s", tree.root()}, "verlangt \"-p\""},
        {{"--compare", earlier, "-s", "-p", "-x", tree.root()}, "geht nicht mit \"-x\""},
        {{"--compare", "-", "--to", "-"}, "Standardeingabe"},
        {{"--compare"}, "verlangt einen Wert"},
    };
    for (const auto& c : cases) {
        const CliResult result = RunCli(c.arguments);
        EXPECT_EQ(result.exitCode, 2) << c.arguments.join(' ').toStdString();
        EXPECT_TRUE(result.err.contains(c.message)) << result.err.toStdString();
        EXPECT_TRUE(result.out.isEmpty());
    }
}

// One stream read as two lists, or a list that the shell emptied for the output before the tool
// began, would give confident differences: like cat, the tool refuses an input that is another
// input or its output.
TEST_F(CliCompareTest, InputThatIsAlsoAnotherInputOrTheOutputIsRefused) {
    const QString output = saved.filePath("ausgabe.txt");
    const struct {
        QString command;
        QByteArray message;
    } cases[] = {
        {"cat \"$1\" | \"$0\" --compare /dev/stdin --to -", "denselben Datenstrom"},
        {"cat \"$1\" | \"$0\" --compare - --to /dev/fd/0", "denselben Datenstrom"},
        {"cp \"$1\" \"$2\" && \"$0\" --compare \"$2\" \"$3\" >\"$2\"", "zugleich die Ausgabe"},
    };
    for (const auto& c : cases) {
        const CliResult result = RunShell(c.command, {earlier, output, tree.root()});
        EXPECT_EQ(result.exitCode, 2) << c.command.toStdString();
        EXPECT_TRUE(result.err.startsWith("folderinventory-cli: ") &&
                    result.err.contains(c.message))
            << c.command.toStdString() << ": " << result.err.toStdString();
        EXPECT_TRUE(result.out.isEmpty());
    }
    // A regular file, or /dev/null, is read whole by each of two readers.
    EXPECT_EQ(RunCli({"--compare", "/dev/null", "--to", "/dev/null"}).exitCode, 0);
    const CliResult itself = RunShell("\"$0\" --compare - --to \"$1\" <\"$1\"", {earlier});
    EXPECT_EQ(itself.exitCode, 0) << itself.err.toStdString();
    EXPECT_EQ(itself.out, "0 neu, 0 entfernt, 0 geändert\n");
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

// Input without end: a line that never ends is refused once it is longer than any listing line,
// and a FIFO that nobody writes gives way to a stop signal.
TEST_F(CliCompareTest, EndlessInputEndsByItsFirstFaultOrByAStopSignal) {
    const CliResult endless =
        RunShell("tr '\\000' a < /dev/zero | \"$0\" --compare - --to \"$1\"", {earlier});
    EXPECT_EQ(endless.exitCode, 2);
    EXPECT_EQ(endless.err, "folderinventory-cli: Standardeingabe: Zeile 1 ist länger als jede "
                           "Zeile einer Liste von FolderInventory.\n");

    const QString fifo = saved.filePath("fifo");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    for (const char* signal : {"INT", "TERM"}) {
        // The signal goes once the tool holds the FIFO open.
        const CliResult stopped = RunShell("\"$0\" --compare \"$1\" --to \"$2\" & pid=$!\n"
                                           "until ls -l /proc/$pid/fd 2>/dev/null | grep -qF -- "
                                           "\"$1\"; do :; done\n"
                                           "kill -$3 $pid; wait $pid",
                                           {fifo, earlier, signal});
        EXPECT_EQ(stopped.exitCode, 130) << signal;
        EXPECT_TRUE(stopped.out.isEmpty());
    }
}

} // namespace

namespace {

void setTime(const QString& path, std::int64_t seconds, long nanoseconds) {
    const timespec times[2] = {{seconds, nanoseconds}, {seconds, nanoseconds}};
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0), 0);
}

// Inventories in JSON Lines compare by exact names and by time: a file touched at the same size
// has changed, names a text listing would show alike stay apart, and a list that says it is
// incomplete leaves open what it lacks.
TEST_F(CliCompareTest, InventoriesCompareByExactNamesAndTimes) {
    tree.rawFile("", "a\tb", 1);
    tree.rawFile("", "a?b", 1);
    setTime(tree.path("keep.txt"), 1796711000, 5);
    const QString before = saved.filePath("vorher.jsonl");
    ASSERT_EQ(RunCli({"--format", "json", "-o", before, tree.root()}).exitCode, 0);
    // Against a text listing the inventory's names are taken as the listing shows them, and the
    // two that show alike there are left open.
    const QString listing = saved.filePath("vorher.txt");
    ASSERT_EQ(RunCli({"-o", listing, tree.root()}).exitCode, 0);
    const CliResult mixed = RunCli({"--compare", before, "--to", listing});
    EXPECT_EQ(mixed.exitCode, 2);
    EXPECT_TRUE(mixed.out.startsWith("0 neu, 0 entfernt, 0 geändert")) << mixed.out.toStdString();
    EXPECT_TRUE(mixed.err.contains("erscheinen als " + QFile::encodeName(tree.root()) + "/a?b"))
        << mixed.err.toStdString();
    // A fresh search against its own inventory: the same, look-alike names and all.
    const CliResult same = RunCli({"--compare", before, tree.root()});
    EXPECT_EQ(same.out, "0 neu, 0 entfernt, 0 geändert\n");
    EXPECT_EQ(same.exitCode, 0) << same.err.toStdString();

    setTime(tree.path("keep.txt"), 1796711000, 6);
    const QString after = saved.filePath("nachher.jsonl");
    ASSERT_EQ(RunCli({"--format", "json", "-o", after, tree.root()}).exitCode, 0);
    const QByteArray change = "~ " + QFile::encodeName(tree.path("keep.txt")) +
                              " (Größe gleich, geändert 2026-12-08 06:23:20,000000005 -> "
                              "2026-12-08 06:23:20,000000006)\n";
    for (const QStringList& arguments : {QStringList{"--compare", before, "--to", after},
                                         QStringList{"--compare", before, tree.root()}}) {
        const CliResult result = RunShell(QStringLiteral("TZ=UTC0 \"$0\" \"$@\""), arguments);
        EXPECT_EQ(result.exitCode, 1) << result.err.toStdString();
        EXPECT_EQ(result.out, change + "\n0 neu, 0 entfernt, 1 geändert\n");
    }

    // An inventory of a cancelled run: what lies beyond its end stays open, exit 2.
    QFile file(after);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QByteArray text = file.readAll();
    text.replace("\"complete\":true}", "\"complete\":false,\"cancelled\":true}");
    const QString cancelled = save("abgebrochen.jsonl", text.toStdString());
    const CliResult incomplete = RunCli({"--compare", cancelled, tree.root()});
    EXPECT_EQ(incomplete.exitCode, 2);
    EXPECT_TRUE(incomplete.err.contains("Hinweis: Frühere Liste: Die Suche wurde abgebrochen"))
        << incomplete.err.toStdString();
}

// Masks are bytes: two inventories of masks that differ in a byte that is not UTF-8 name other
// masks, though a text listing would show both alike.
TEST_F(CliCompareTest, MasksOfInventoriesCompareByTheirBytes) {
    const CliResult result =
        RunShell("\"$0\" --format json -m \"$(printf '\\377*')\" -o \"$1\" \"$3\" && "
                 "\"$0\" --format json -m \"$(printf '\\376*')\" -o \"$2\" \"$3\" && "
                 "\"$0\" --compare \"$1\" --to \"$2\" && "
                 "\"$0\" --compare \"$1\" -m \"$(printf '\\376*')\" \"$3\"",
                 {saved.filePath("ff.jsonl"), saved.filePath("fe.jsonl"), tree.root()});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.err.count("Hinweis: Die frühere Liste nennt andere Suchverzeichnisse oder "
                               "Suchmasken als die neue"),
              2)
        << result.err.toStdString();
}

// An inventory that names one path twice with other facts (a file that changed between the
// visits of two masks, or an edited inventory) cannot say which is right: the path is left open,
// and a note names it with both lines.
TEST_F(CliCompareTest, PathListedTwiceWithOtherFactsIsLeftOpenWithItsLines) {
    const QString good = saved.filePath("gut.jsonl");
    ASSERT_EQ(RunCli({"--format", "json", "-m", "*.txt;grow*", "-o", good, tree.root()}).exitCode,
              0);
    QFile file(good);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QByteArrayList lines = file.readAll().split('\n');
    // Lines 2 to 4 list the three files for "*.txt", line 5 "grow.txt" again for "grow*".
    ASSERT_TRUE(lines.at(4).contains("grow.txt")) << lines.join('\n').toStdString();
    const QString same = save("gleich.jsonl", lines.join('\n').toStdString());
    EXPECT_EQ(RunCli({"--compare", same, "-m", "*.txt;grow*", tree.root()}).exitCode, 0);
    lines[4].replace("\"size\":1523", "\"size\":1524");
    const QString edited = save("doppelt.jsonl", lines.join('\n').toStdString());
    const CliResult result = RunCli({"--compare", edited, "-m", "*.txt;grow*", tree.root()});
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_TRUE(result.out.startsWith("0 neu, 0 entfernt, 0 geändert; unvollständig, 1 offen"))
        << result.out.toStdString();
    EXPECT_TRUE(result.err.contains("Frühere Liste: " + QFile::encodeName(tree.root()) +
                                    "/grow.txt steht in den Zeilen "))
        << result.err.toStdString();
    EXPECT_TRUE(result.err.contains(" und 5 ")) << result.err.toStdString();
}

// Whatever the tool writes, it reads back: the inventory line of a thousand folders whose names
// take six bytes a character in JSON (more than a megabyte), and simple listings of folders whose
// names start like an inventory's first line.
TEST_F(CliCompareTest, EveryListTheToolWritesReadsBack) {
    const QString escaped(200, QChar(0x01));
    tree.file(escaped + "/a.txt", 1);
    const QStringList many(1000, tree.path(escaped));
    const QString inventory = saved.filePath("viele.jsonl");
    ASSERT_EQ(RunCli(QStringList{"--format", "json", "-o", inventory} + many).exitCode, 0);
    ASSERT_GT(QFileInfo(inventory).size(), 1 << 20);
    const CliResult many1 = RunCli(QStringList{"--compare", inventory} + many);
    EXPECT_EQ(many1.exitCode, 0) << many1.err.toStdString();
    EXPECT_EQ(many1.out, "0 neu, 0 entfernt, 0 geändert\n");

    for (const QString folder : {"{\"type\"", "{\"type\":\"inventory\"", "{}"}) {
        tree.file(folder + "/x.txt", 1);
        const CliResult simple =
            RunCli({"-s", "-p", "-m", "*.txt", folder}, QStringLiteral("C"), tree.root());
        ASSERT_EQ(simple.exitCode, 0);
        ASSERT_TRUE(simple.out.startsWith(folder.toUtf8() + "/x.txt\n"));
        const QString list = save("einfach.txt", simple.out.toStdString());
        const CliResult again = RunCli({"--compare", list, "-s", "-p", "-m", "*.txt", folder},
                                       QStringLiteral("C"), tree.root());
        EXPECT_EQ(again.exitCode, 0) << folder.toStdString() << ": " << again.err.toStdString();
    }
}

// A JSON inventory that is cut off, of another format, no JSON, or holds a line longer than any
// inventory's: a clear message and exit 2, read no further than the fault.
TEST_F(CliCompareTest, BrokenInventoriesAreRefusedWithTheReason) {
    const QString good = saved.filePath("gut.jsonl");
    ASSERT_EQ(RunCli({"--format", "json", "-o", good, tree.root()}).exitCode, 0);
    QFile file(good);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    const QByteArray withoutSummary = text.left(text.lastIndexOf("{\"type\":\"summary\""));
    struct Case {
        std::string text;
        const char* message;
        int status;
    };
    const std::vector<Case> cases{
        {withoutSummary.toStdString(), "Die Inventarliste endet ohne ihre Zusammenfassung", 2},
        {text.left(text.size() - 20).toStdString(), "endet ohne Zeilenumbruch", 2},
        {QByteArray(text).replace("\"format\":2", "\"format\":3").toStdString(),
         "Zeile 1 der Inventarliste: die Inventarliste hat das Format 3", 2},
        {"{\"type\":\"inventory\",\n", "Zeile 1 der Inventarliste: kein gültiges JSON-Objekt", 2},
        {text.left(text.indexOf('\n') + 1).toStdString() + "{\"type\":\"file\",\"path\":\"" +
             std::string(10 << 20, 'x'),
         "Zeile 2 ist länger als jede Zeile", 2},
        {text.left(text.indexOf('\n') + 1).toStdString() + "{\"type\":\"file\",\"path\":\"/x\"}\n",
         "Zeile 2 der Inventarliste: keine Größe einer Datei", 2},
    };
    for (const Case& c : cases) {
        const QString broken = save("kaputt.jsonl", c.text);
        const CliResult result = RunCli({"--compare", broken, tree.root()});
        EXPECT_EQ(result.exitCode, c.status) << c.message;
        EXPECT_TRUE(result.err.contains(c.message)) << result.err.toStdString();
    }
}

} // namespace
