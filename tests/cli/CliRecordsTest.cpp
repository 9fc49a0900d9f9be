#include "CliRunner.h"
#include "TempTree.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Local time of the table: an hour east of UTC with summer time, spelled out so that no time
// zone database is needed.
const QString timeZone = QStringLiteral("CET-1CEST,M3.5.0,M10.5.0/3");

// The start of each Python check: the tree's folder and the tool's output from the command line,
// and every entry below the folder as os.walk and os.lstat see it.
const char* const pythonPrelude = R"(
import base64, calendar, csv, io, json, os, sys, time
root, output = sys.argv[1], sys.argv[2]
data = open(output, 'rb').read()
def on_disk():
    for top, folders, files in os.walk(os.fsencode(root)):
        for name in folders + files:
            path = os.path.join(top, name)
            yield path, name, name in folders, os.lstat(path)
)";

// Reads the table back with Python's csv module (after the byte order mark, delimiter ";") and
// compares every row with the entries on disk: kind, path and name (bytes that are not UTF-8 as
// U+FFFD), size, and the local time to the second.
const char* const csvCheck = R"(
assert data.startswith(b'\xef\xbb\xbf') and data.endswith(b'\r\n'), data[:20]
rows = list(csv.reader(io.StringIO(data[3:].decode('utf-8'), newline=''), delimiter=';'))
assert rows[0] == ['Art', 'Pfad', 'Name', 'Größe', 'Geändert'], rows[0]
assert "'=Summe.txt" in [row[2] for row in rows], 'no apostrophe before a formula'
def unguarded(cell):
    return cell[1:] if cell[:1] == "'" else cell
expected = {}
for path, name, folder, st in on_disk():
    shown = path.decode('utf-8', 'replace')
    expected[shown] = ['Verzeichnis' if folder else 'Datei', shown, name.decode('utf-8', 'replace'),
                       '' if folder else str(st.st_size),
                       time.strftime('%Y-%m-%d %H:%M:%S', time.localtime(st.st_mtime))]
got = {row[1]: row for row in ([unguarded(cell) for cell in row] for row in rows[1:])}
assert len(rows) - 1 == len(got) == len(expected), (len(rows), len(expected))
for path in expected:
    assert got.get(path) == expected[path], (got.get(path), expected[path])
print('ok')
)";

// Parses every line of the JSON Lines inventory and compares each entry with the entries on
// disk: exact path bytes (from "path_bytes" where given, else "path"), size, and the time to the
// nanosecond; the first line names the search, the last one sums up.
const char* const jsonCheck = R"(
lines = data.split(b'\n')
assert lines[-1] == b'', 'last line without its line feed'
objects = [json.loads(line) for line in lines[:-1]]
head, entries, summary = objects[0], objects[1:-1], objects[-1]
assert head['type'] == 'inventory' and head['format'] == 1, head
assert head['folders'] == [{'path': root, 'recursive': True}] and head['masks'] == '*.*', head
time.strptime(head['created'], '%Y-%m-%dT%H:%M:%SZ')
def nanoseconds(text):
    assert len(text) == 30 and text[19] == '.' and text[-1] == 'Z', text
    return calendar.timegm(time.strptime(text[:19], '%Y-%m-%dT%H:%M:%S')) * 10**9 + int(text[20:29])
got = {}
for entry in entries:
    path = base64.b64decode(entry['path_bytes']) if 'path_bytes' in entry else entry['path'].encode('utf-8')
    assert ('path_bytes' in entry) == ('\ufffd' in entry['path']), entry
    got[path] = (entry['type'], entry.get('size'), nanoseconds(entry['mtime']))
expected = {path: ('folder', None, st.st_mtime_ns) if folder else ('file', st.st_size, st.st_mtime_ns)
            for path, name, folder, st in on_disk()}
assert len(entries) == len(got) and got == expected, set(got.items()) ^ set(expected.items())
files = [value for value in expected.values() if value[0] == 'file']
assert summary == {'type': 'summary', 'files': len(files), 'folders': len(expected) - len(files),
                   'bytes': sum(value[1] for value in files), 'complete': True}, summary
print('ok')
)";

// Names that a table or a script must take exactly: separators, quotes, line ends, tabs, what a
// spreadsheet takes for a formula, control characters and a byte that is not UTF-8; a folder
// with an old time of its own.
class CliRecordsTest : public ::testing::Test {
protected:
    void SetUp() override {
        tree.file("Daten/=Summe.txt", 4);
        tree.file("Daten/Unter/inner.txt", 70000);
        for (const char* name :
             {"+plus", "-minus", "@at", "\ttab", "\rreturn", "two\nlines",
              "semi;colon \"quoted\".csv", "'apostrophe", "'=guarded", "ctrl\x01x", "bad\xfc byte"})
            tree.rawFile("Daten", name, 3);
        const timespec old[2] = {{1600000000, 123456789}, {1600000000, 123456789}};
        ASSERT_EQ(
            ::utimensat(AT_FDCWD, QFile::encodeName(tree.path("Daten/Unter")).constData(), old, 0),
            0);
    }

    // Runs the tool into a file and the Python check on it, both in the same time zone.
    void expectPythonAgrees(const QStringList& toolArguments, const char* check) {
        if (QStandardPaths::findExecutable(QStringLiteral("python3")).isEmpty())
            GTEST_SKIP() << "python3 fehlt: der Abgleich mit Pythons csv und json entfällt";
        const CliResult result = RunShell(
            QStringLiteral("export TZ=\"$1\"; check=$2 out=$3 folder=$4; shift 4; "
                           "\"$0\" \"$@\" \"$folder\" > \"$out\" && "
                           "python3 -c \"$check\" \"$folder\" \"$out\""),
            QStringList{timeZone, QString::fromUtf8(pythonPrelude) + QString::fromUtf8(check),
                        tree.path("out"), tree.path("Daten")} +
                toolArguments);
        EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
        EXPECT_EQ(result.out, "ok\n") << result.err.toStdString();
    }

    TempTree tree;
};

TEST_F(CliRecordsTest, TableReadsBackInPythonAsTheFileSystemSaysIt) {
    expectPythonAgrees({"--format", "csv"}, csvCheck);
}

TEST_F(CliRecordsTest, JsonLinesGiveExactPathsSizesAndNanosecondTimes) {
    expectPythonAgrees({"--format=json"}, jsonCheck);
}

// Each name ends in a NUL byte and is its exact bytes, line feeds and invalid bytes included, as
// find -print0 gives them; "." and ".." are entries of the simple listing as ever.
TEST_F(CliRecordsTest, NullSeparatedNamesComeBackExactly) {
    const QByteArray folder = QFile::encodeName(tree.path("Daten")) + "/";
    const CliResult paths = RunCli({"-s", "-p", "-0", "-n", tree.path("Daten")});
    const CliResult names = RunCli({"--simple", "--null", "-x", "-n", tree.path("Daten")});
    EXPECT_EQ(paths.exitCode, 0);
    EXPECT_EQ(names.exitCode, 0);
    ASSERT_TRUE(paths.out.endsWith('\0'));
    const QByteArrayList gotPaths = paths.out.chopped(1).split('\0');
    std::set<QByteArray> expected;
    for (const QByteArray& name :
         {QByteArray("."), QByteArray(".."), QByteArray("=Summe.txt"), QByteArray("Unter"),
          QByteArray("two\nlines"), QByteArray("bad\xfc byte"), QByteArray("\rreturn")})
        expected.insert(folder + name);
    const std::set<QByteArray> got(gotPaths.begin(), gotPaths.end());
    EXPECT_EQ(gotPaths.size(), 15);
    for (const QByteArray& path : expected)
        EXPECT_EQ(got.count(path), 1u) << path.toStdString();
    // Without -p the bare names, and -x cuts the extension of the exact name.
    EXPECT_TRUE(names.out.contains(QByteArray("\0two\nlines\0", 11)));
    EXPECT_TRUE(names.out.contains(QByteArray("\0=Summe\0", 8)));
    EXPECT_EQ(names.out.count('\0'), 15);
    EXPECT_EQ(names.out.count('\n'), 1);
}

// A folder that cannot be read leaves the list incomplete, and the summary says so and why.
TEST_F(CliRecordsTest, JsonSummaryNamesWhatCouldNotBeRead) {
    tree.file("Daten/Gesperrt/geheim.txt", 1);
    ASSERT_EQ(::chmod(QFile::encodeName(tree.root()).constData(), 0755), 0);
    ASSERT_TRUE(QFile::setPermissions(tree.path("Daten/Gesperrt"), QFile::Permissions()));
    const CliResult result = RunCliAsUser({"-q", "--format", "json", tree.path("Daten")});
    QFile::setPermissions(tree.path("Daten/Gesperrt"),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_EQ(result.exitCode, 1);
    const QByteArrayList lines = result.out.split('\n');
    ASSERT_GE(lines.size(), 3);
    const QJsonObject summary = QJsonDocument::fromJson(lines.at(lines.size() - 2)).object();
    EXPECT_EQ(summary.value("complete").toBool(true), false);
    EXPECT_FALSE(summary.contains("cancelled"));
    const QJsonObject unreadable = summary.value("unreadable").toArray().at(0).toObject();
    EXPECT_EQ(unreadable.value("path").toString(), tree.path("Daten/Gesperrt"));
    EXPECT_EQ(unreadable.value("what").toString(), "folder");
    EXPECT_EQ(unreadable.value("reason").toString(), "Permission denied");
}

// Options that do not go together are refused before anything is searched.
TEST_F(CliRecordsTest, FormatsThatDoNotFitAreUsageErrors) {
    for (const QStringList& arguments :
         {QStringList{"-0"}, QStringList{"-s", "--format", "csv"}, QStringList{"--format", "xml"},
          QStringList{"--compare", tree.path("out"), "--format", "json"},
          QStringList{"--compare", tree.path("out"), "-s", "-p", "-0"}}) {
        const CliResult result = RunCli(arguments + QStringList{tree.path("Daten")});
        EXPECT_EQ(result.exitCode, 2) << arguments.join(' ').toStdString();
        EXPECT_TRUE(result.out.isEmpty());
        EXPECT_TRUE(result.err.startsWith("folderinventory-cli: ")) << result.err.toStdString();
    }
}

} // namespace
