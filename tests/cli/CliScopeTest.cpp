#include "CliRunner.h"
#include "TempTree.h"

#include <algorithm>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <set>
#include <sys/stat.h>

namespace {

using Paths = std::set<QString>;

// The paths and what the summary says of an inventory in JSON Lines.
struct Inventory {
    Paths paths;
    QJsonObject head;
    QJsonObject summary;
};

Inventory inventoryOf(const QByteArray& out) {
    Inventory inventory;
    for (const QByteArray& line : out.split('\n')) {
        const QJsonObject object = QJsonDocument::fromJson(line).object();
        const QString type = object.value("type").toString();
        if (type == "inventory")
            inventory.head = object;
        else if (type == "summary")
            inventory.summary = object;
        else if (!type.isEmpty())
            inventory.paths.insert(object.value("path").toString());
    }
    return inventory;
}

// What find prints for `expression` below `root`, without the root itself.
Paths findPaths(const QString& root, const QString& expression) {
    const CliResult found = RunShell("cd / && exec find \"$1\" -mindepth 1 " + expression, {root});
    EXPECT_EQ(found.exitCode, 0) << found.err.toStdString();
    Paths paths;
    for (const QByteArray& line : found.out.split('\n')) {
        if (!line.isEmpty())
            paths.insert(QString::fromUtf8(line));
    }
    return paths;
}

// "@<seconds>" of a time the inventory's scope names, for find's -newermt.
QString findTime(const QJsonObject& head, const char* key) {
    const QDateTime time =
        QDateTime::fromString(head.value("scope").toObject().value(key).toString(), Qt::ISODate);
    EXPECT_TRUE(time.isValid()) << key;
    return QStringLiteral("@%1").arg(time.toSecsSinceEpoch());
}

void setModified(const QString& path, std::int64_t seconds) {
    const timespec times[2] = {{seconds, 500000000}, {seconds, 500000000}};
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0), 0);
}

class CliScopeTest : public ::testing::Test {
protected:
    TempTree tree;
};

// A few thousand files at every depth down to five levels, of many sizes, modified over about
// four hundred days (half a second past a whole second, so that no time given to the tool or to
// find falls on one).
TEST_F(CliScopeTest, DepthSizeAndAgeAgreeWithFind) {
    const std::int64_t now = QDateTime::currentSecsSinceEpoch();
    for (int i = 0; i < 3000; ++i) {
        const QStringList levels{QString("a%1").arg(i % 7), QString("b%1").arg(i / 7 % 5),
                                 QString("c%1").arg(i / 35 % 3), QString("d%1").arg(i / 105 % 2)};
        const QString path =
            (QStringList(levels.mid(0, i % 5)) << QString("f%1.dat").arg(i)).join('/');
        tree.file(path, i % 500 == 7 ? (std::int64_t{3} << 30) : i * 37 % 6000);
        setModified(tree.path(path), now - std::int64_t{i} * 11519);
    }
    const QString root = tree.root();
    const QString files = "\\( -type d -o \\( ";
    struct Case {
        QStringList options;
        QString expression; // %1, %2: the scope's newer and older time
    };
    const std::vector<Case> cases{
        {{"--max-depth", "0"}, "-maxdepth 1"},
        {{"--max-depth", "2"}, "-maxdepth 3"},
        {{"--min-size", "2k"}, files + "! -size -2048c \\) \\)"},
        {{"--max-size", "1000"}, files + "! -size +1000c \\) \\)"},
        {{"--min-size", "1G"}, files + "! -size -1073741824c \\) \\)"},
        {{"--newer", "100d"}, files + "-newermt %1 \\) \\)"},
        {{"--older", QDateTime::fromSecsSinceEpoch(now - 200 * 86400).toString(Qt::ISODate)},
         files + "! -newermt %2 \\) \\)"},
        {{"--max-depth", "3", "--min-size", "100", "--max-size", "4k", "--newer", "300d", "--older",
          "30d"},
         "-maxdepth 4 " + files + "! -size -100c ! -size +4096c -newermt %1 ! -newermt %2 \\) \\)"},
    };
    for (const Case& test : cases) {
        const CliResult result =
            RunCli(QStringList{"--format", "json"} + test.options + QStringList{root});
        ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
        const Inventory inventory = inventoryOf(result.out);
        QString expression = test.expression;
        if (expression.contains("%1"))
            expression = expression.arg(findTime(inventory.head, "newer"));
        if (expression.contains("%2"))
            expression.replace("%2", findTime(inventory.head, "older"));
        const Paths expected = findPaths(root, expression);
        EXPECT_EQ(inventory.paths, expected) << test.options.join(' ').toStdString();
        EXPECT_GT(expected.size(), 20u);

        // Sums and totals count what is listed.
        const Paths found = findPaths(root, expression + " ! -type d");
        qint64 bytes = 0;
        for (const QString& path : found)
            bytes += QFileInfo(path).size();
        EXPECT_EQ(inventory.summary.value("files").toInteger(), qint64(found.size()));
        EXPECT_EQ(inventory.summary.value("bytes").toInteger(), bytes);
    }
}

// An excluded folder is never opened: made unreadable, it costs nothing, while a search that does
// not exclude it names it. Name masks act anywhere, path masks below the searched folder.
TEST_F(CliScopeTest, ExcludedFolderIsNeverOpened) {
    tree.file("Data/keep.txt", 3);
    tree.file("Data/Locked/secret.txt", 5);
    tree.file("Data/a/node_modules/x/y.js", 7);
    tree.file("Data/Projekte/p1/build/out.o", 9);
    tree.file("Data/Projekte/p1/src/main.c", 11);
    tree.file("Data/build/top.o", 13);
    ASSERT_EQ(::chmod(QFile::encodeName(tree.root()).constData(), 0755), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(tree.path("Data/Locked")).constData(), 0), 0);
    const QString data = tree.path("Data");

    const CliResult all = RunCliAsUser({"-s", "-p", data});
    EXPECT_EQ(all.exitCode, 1);
    EXPECT_TRUE(all.err.contains("Locked")) << all.err.toStdString();

    const CliResult left = RunCliAsUser({"-s", "-p", "--exclude", "locked;NODE_MODULES",
                                         "--exclude=Projekte/*/build", "-m", "*.*", data});
    ::chmod(QFile::encodeName(tree.path("Data/Locked")).constData(), 0755);
    EXPECT_EQ(left.exitCode, 0);
    EXPECT_TRUE(left.err.isEmpty()) << left.err.toStdString();
    const QByteArray d = data.toUtf8();
    QByteArray expected;
    for (const char* entry : {"/.",
                              "/..",
                              "/a",
                              "/build",
                              "/keep.txt",
                              "/Projekte",
                              "/a/.",
                              "/a/..",
                              "/build/.",
                              "/build/..",
                              "/build/top.o",
                              "/Projekte/.",
                              "/Projekte/..",
                              "/Projekte/p1",
                              "/Projekte/p1/.",
                              "/Projekte/p1/..",
                              "/Projekte/p1/src",
                              "/Projekte/p1/src/.",
                              "/Projekte/p1/src/..",
                              "/Projekte/p1/src/main.c"})
        expected += d + entry + "\n";
    EXPECT_EQ(left.out, expected);
}

// A searched folder that an exclusion mask matches by name is left out and named; that is no
// failure.
TEST_F(CliScopeTest, ExcludedSearchedFolderIsNamedAndLeftOut) {
    tree.file("node_modules/x.js", 1);
    tree.file("src/a.c", 2);
    const CliResult result = RunCli(
        {"-s", "-p", "--exclude", "node_modules", tree.path("node_modules"), tree.path("src")});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.err, "folderinventory-cli: Suchverzeichnis ausgelassen, es passt zu "
                          "--exclude: " +
                              tree.path("node_modules").toUtf8() + "\n");
    EXPECT_FALSE(result.out.contains("x.js"));
    EXPECT_TRUE(result.out.contains("src/a.c"));
}

// The extended listing names the scope in its header only when one is set, and JSON Lines in
// its inventory line.
TEST_F(CliScopeTest, ListingsNameTheScopeOnlyWhenSet) {
    tree.file("a.txt", 1);
    const CliResult plain = RunCli({"-n", tree.root()});
    const CliResult scoped =
        RunCli({"-n", "--exclude", "*.tmp", "--exclude", ".git", "--one-file-system", "--max-depth",
                "4", "--min-size", "1", "--max-size", "1M", "--newer", "2020-01-02T03:04:05Z",
                "--older", "2030-01-01", tree.root()});
    ASSERT_EQ(scoped.exitCode, 0) << scoped.err.toStdString();
    const QString older =
        QDateTime(QDate(2030, 1, 1), QTime(0, 0))
            .toOffsetFromUtc(QDateTime(QDate(2030, 1, 1), QTime(0, 0)).offsetFromUtc())
            .toString(Qt::ISODate);
    const QString newer =
        QDateTime::fromSecsSinceEpoch(1577934245)
            .toOffsetFromUtc(QDateTime::fromSecsSinceEpoch(1577934245).offsetFromUtc())
            .toString(Qt::ISODate);
    const QByteArray masks = "Suchmasken: *.*\n";
    const QByteArray scopeLines = "Ausschließen: *.tmp;.git\nNur ein Dateisystem\n"
                                  "Tiefe: höchstens 4 Ebenen\n"
                                  "Größe: mindestens 1 Bytes, höchstens 1048576 Bytes\n"
                                  "Geändert: nach " +
                                  newer.toUtf8() + ", spätestens " + older.toUtf8() + "\n";
    QByteArray expected = plain.out;
    expected.replace(masks, masks + scopeLines);
    EXPECT_EQ(scoped.out, expected);
    ASSERT_TRUE(plain.out.contains(masks + "----"));

    const CliResult json = RunCli({"--format", "json", "--max-size", "1M", "--newer",
                                   "2020-01-02T03:04:05Z", "--exclude", "x", tree.root()});
    EXPECT_TRUE(json.out.contains(
        R"("masks":"*.*","scope":{"exclude":"x","max_size":1048576,"newer":"2020-01-02T03:04:05Z"}})"))
        << json.out.toStdString();
    EXPECT_FALSE(RunCli({"--format", "json", tree.root()}).out.contains("scope"));
}

TEST_F(CliScopeTest, BadValuesAreUsageErrorsNamingOptionAndValue) {
    const QList<std::pair<QStringList, QByteArray>> calls{
        {{"--max-depth", "zwei"},
         "ungültiger Wert \"zwei\" für die Option \"--max-depth\": erwartet wird eine ganze Zahl "
         "ab 0"},
        {{"--max-depth", "-1"}, "\"-1\" für die Option \"--max-depth\""},
        {{"--min-size", "10X"}, "\"10X\" für die Option \"--min-size\""},
        {{"--max-size=-5"}, "\"-5\" für die Option \"--max-size\""},
        {{"--max-size", "99999999999T"},
         "ungültiger Wert \"99999999999T\" für die Option \"--max-size\": die Zahl ist zu groß"},
        {{"--newer", "31.01.2026"}, "\"31.01.2026\" für die Option \"--newer\""},
        {{"--older", "2026-02-30"}, "\"2026-02-30\" für die Option \"--older\""},
        {{"--older", "30m"}, "\"30m\" für die Option \"--older\""},
        {{"--min-size", "2k", "--max-size", "1k"},
         "\"--min-size 2k\" liegt über \"--max-size 1k\""},
        {{"--newer", "1d", "--older", "2d"}, "\"--newer 1d\" liegt nicht vor \"--older 2d\""},
        {{"--max-depth"}, "die Option \"--max-depth\" verlangt einen Wert"},
        {{"--one-file-system=1"}, "die Option \"--one-file-system\" nimmt keinen Wert"},
    };
    for (const auto& [call, message] : calls) {
        const CliResult result = RunCli(QStringList{tree.root()} + call);
        EXPECT_EQ(result.exitCode, 2) << call.join(' ').toStdString();
        EXPECT_TRUE(result.out.isEmpty());
        EXPECT_TRUE(result.err.startsWith("folderinventory-cli: ")) << result.err.toStdString();
        EXPECT_TRUE(result.err.contains(message)) << result.err.toStdString();
    }
}

// A comparison of lists of different scopes counts only what both would show: excluded,
// too deep or too small on either side is neither new nor gone, in both directions and for text
// listings as for JSON Lines.
TEST_F(CliScopeTest, ComparisonCountsOnlyWithinTheNarrowerScope) {
    tree.file("Data/keep.txt", 5000);
    tree.file("Data/small.txt", 10);
    tree.file("Data/.git/config", 5000);
    tree.file("Data/a/b/c/deep.txt", 5000);
    const QString data = tree.path("Data");
    const QString full = tree.path("full.txt");
    const QString narrow = tree.path("narrow.jsonl");
    ASSERT_EQ(RunCli({"-q", "-o", full, data}).exitCode, 0);
    ASSERT_EQ(RunCli({"-q", "--format", "json", "--exclude", ".git", "--max-depth", "1",
                      "--min-size", "1k", "-o", narrow, data})
                  .exitCode,
              0);
    tree.file("Data/new.txt", 5000);
    const QByteArray note = "Hinweis: Die Listen haben verschiedene Umfänge (Ausschließen, "
                            "Tiefe, Größe); ";
    for (const auto& [earlier, later] : {std::pair{full, narrow}, std::pair{narrow, full}}) {
        const CliResult result = RunCli({"--compare", earlier, "--to", later});
        EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
        EXPECT_EQ(result.out, "0 neu, 0 entfernt, 0 geändert\n");
        EXPECT_EQ(result.err, note + "5 Einträge außerhalb des engeren Umfangs zählen weder als "
                                     "neu noch als entfernt.\n");
    }
    const CliResult search =
        RunCli({"--compare", full, "--exclude", ".git", "--min-size", "1k", data});
    EXPECT_EQ(search.exitCode, 1);
    EXPECT_EQ(search.out,
              "+ " + data.toUtf8() + "/new.txt (5000 Bytes)\n\n1 neu, 0 entfernt, 0 geändert\n");
    EXPECT_TRUE(search.err.contains("(Ausschließen, Größe); 3 Einträge"))
        << search.err.toStdString();
}

// With one file system, a tmpfs mounted inside the tree is listed but not entered, also when it
// cannot be read; a bind mount of the tree into itself is still named as a loop. The mounts live
// in a mount namespace of their own.
TEST_F(CliScopeTest, OtherFileSystemIsListedButNotEntered) {
    tree.file("Tree/a.txt", 1);
    tree.folder("Tree/mnt");
    tree.folder("Tree/locked");
    tree.folder("Tree/sub/loop");
    ASSERT_EQ(::chmod(QFile::encodeName(tree.root()).constData(), 0755), 0);
    const QString root = tree.path("Tree");
    const CliResult result = RunShell(
        "export LANG=C; unset LC_ALL; exec unshare -m --propagation private sh -c '"
        "mount -t tmpfs tmpfs \"$1/mnt\" && echo x > \"$1/mnt/inner.txt\" && "
        "mount -t tmpfs -o mode=000 tmpfs \"$1/locked\" && "
        "mount --bind \"$1\" \"$1/sub/loop\" || exit 99; "
        "echo ==all; setpriv --reuid=nobody --regid=nogroup --clear-groups \"$0\" -s -p \"$1\"; "
        "echo ==one $?; setpriv --reuid=nobody --regid=nogroup --clear-groups \"$0\" -s -p "
        "--one-file-system \"$1\"; echo ==json $?; \"$0\" --format json --one-file-system "
        "\"$1\"; \"$0\" --one-file-system -o \"$1/../one.txt\" \"$1\"; "
        "echo ==compare; \"$0\" --compare \"$1/../one.txt\" \"$1\"' \"$0\" \"$1\" 2>&1",
        {root});
    if (result.exitCode == 99 || result.out.startsWith("unshare:"))
        GTEST_SKIP() << "no mount namespace with tmpfs and bind mounts here: "
                     << result.out.toStdString();
    const QByteArray out = result.out;
    const QByteArray r = root.toUtf8();
    const qsizetype one = out.indexOf("==one ");
    const qsizetype json = out.indexOf("==json ");
    const qsizetype compare = out.indexOf("==compare");
    ASSERT_TRUE(one > 0 && json > one && compare > json) << out.toStdString();
    const QByteArray all = out.mid(0, one);
    EXPECT_TRUE(all.contains(r + "/mnt/inner.txt\n"));
    EXPECT_TRUE(all.contains("Verzeichnis nicht lesbar: " + r + "/locked"));
    EXPECT_TRUE(all.contains("Dateisystemschleife erkannt: " + r + "/sub/loop"));

    const QByteArray xdev = out.mid(one, json - one);
    EXPECT_TRUE(xdev.startsWith("==one 1\n")) << xdev.toStdString();
    EXPECT_TRUE(xdev.contains(r + "/mnt\n"));
    EXPECT_TRUE(xdev.contains(r + "/locked\n"));
    EXPECT_FALSE(xdev.contains("/mnt/"));
    EXPECT_FALSE(xdev.contains("nicht lesbar")) << xdev.toStdString();
    EXPECT_TRUE(xdev.contains("Dateisystemschleife erkannt: " + r + "/sub/loop"));

    const QByteArray inventory = out.mid(json, compare - json);
    EXPECT_TRUE(inventory.startsWith("==json 1\n")) << inventory.toStdString();
    EXPECT_TRUE(inventory.contains(R"("scope":{"one_file_system":true})"));
    EXPECT_TRUE(inventory.contains(R"("not_entered":[{"path":")" + r + R"(/locked"},{"path":")" +
                                   r + R"(/mnt"}])"))
        << inventory.toStdString();

    // The saved text listing does not name the folders it did not enter; those it shows without
    // their contents count as such.
    const QByteArray comparison = out.mid(compare);
    EXPECT_TRUE(comparison.contains("0 neu, 0 entfernt, 0 geändert")) << comparison.toStdString();
    EXPECT_TRUE(comparison.contains("(nur ein Dateisystem); 1 Eintrag außerhalb"))
        << comparison.toStdString();
}

} // namespace
