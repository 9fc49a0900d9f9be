#include "CliRunner.h"
#include "TempTree.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>
#include <QSysInfo>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Debian's Python where it is there, else the first on the path; the checks need only its
// standard library.
QString pythonProgram() {
    const QString debian =
        QStandardPaths::findExecutable(QStringLiteral("python3"), {QStringLiteral("/usr/bin")});
    return debian.isEmpty() ? QStandardPaths::findExecutable(QStringLiteral("python3")) : debian;
}

// Local time of the table: an hour east of UTC with summer time, spelled out so that no time
// zone database is needed.
const QString timeZone = QStringLiteral("CET-1CEST,M3.5.0,M10.5.0/3");

// The start of each Python check: the tree's folder and the tool's output from the command line,
// and every entry below the folder as os.lstat sees it, with its kind.
const char* const pythonPrelude = R"(
import base64, calendar, csv, io, json, os, socket, stat, sys, time
root, output = sys.argv[1], sys.argv[2]
data = open(output, 'rb').read()
def kind(st):
    return ('folder' if stat.S_ISDIR(st.st_mode) else 'file' if stat.S_ISREG(st.st_mode)
            else 'link' if stat.S_ISLNK(st.st_mode) else 'special')
def on_disk():
    for top, folders, files in os.walk(os.fsencode(root)):
        for name in folders + files:
            path = os.path.join(top, name)
            st = os.lstat(path)
            yield path, name, kind(st), st
)";

// Reads the table back with Python's csv module (after the byte order mark, delimiter ";") and
// compares every row with the entries on disk: kind, path and name (bytes that are not UTF-8 as
// U+FFFD), size (regular files only), and the local time to the second. In the file every text
// cell is quoted and no number or time is, so a name such as 0123 stays text in a spreadsheet.
const char* const csvCheck = R"(
assert data.startswith(b'\xef\xbb\xbf') and data.endswith(b'\r\n'), data[:20]
assert b'"Datei";"' + os.fsencode(root) + b'/0123";"0123";3;' in data, 'name 0123 not quoted'
rows = list(csv.reader(io.StringIO(data[3:].decode('utf-8'), newline=''), delimiter=';'))
assert rows[0] == ['Art', 'Pfad', 'Name', 'Größe', 'Geändert'], rows[0]
assert "'=Summe.txt" in [row[2] for row in rows], 'no apostrophe before a formula'
def unguarded(cell):
    return cell[1:] if cell[:1] == "'" else cell
words = {'file': 'Datei', 'folder': 'Verzeichnis', 'link': 'Verknüpfung', 'special': 'Sonderdatei'}
expected = {}
for path, name, what, st in on_disk():
    shown = path.decode('utf-8', 'replace')
    expected[shown] = [words[what], shown, name.decode('utf-8', 'replace'),
                       str(st.st_size) if what == 'file' else '',
                       time.strftime('%Y-%m-%d %H:%M:%S', time.localtime(st.st_mtime))]
got = {row[1]: row for row in ([unguarded(cell) for cell in row] for row in rows[1:])}
assert len(rows) - 1 == len(got) == len(expected), (len(rows), len(expected))
for path in expected:
    assert got.get(path) == expected[path], (got.get(path), expected[path])
text = data[3:].decode('utf-8')
for row in rows[1:]:
    quoted = ';'.join('"' + cell.replace('"', '""') + '"' for cell in row[:3])
    assert (quoted + ';' + row[3] + ';' + row[4] + '\r\n') in text, row
print('ok')
)";

// Parses every line of the JSON Lines inventory and compares each entry with the entries on
// disk: exact path bytes (from "path_bytes" where given, else "path"), kind, size of files, target
// of links, the time to the microsecond in "mtime" and to the nanosecond in "mtime_ns"; the first
// line names the search, the host and the tool, the last one sums up; every key has one type
// in every line it stands in (or null).
const char* const jsonCheck = R"(
lines = data.split(b'\n')
assert lines[-1] == b'', 'last line without its line feed'
objects = [json.loads(line) for line in lines[:-1]]
head, entries, summary = objects[0], objects[1:-1], objects[-1]
assert head['type'] == 'inventory' and head['format'] == 2, head
assert head['searched'] == [{'path': root, 'recursive': True}] and head['masks'] == '*.*', head
assert head['host'] == socket.gethostname() and head['tool']['name'] == 'folderinventory-cli', head
time.strptime(head['created'], '%Y-%m-%dT%H:%M:%SZ')
types = {}
for line in objects:
    for key, value in line.items():
        if value is not None:
            types.setdefault(key, set()).add(type(value).__name__)
assert all(len(found) == 1 for found in types.values()), types
def exact(entry, key):
    return base64.b64decode(entry[key + '_bytes']) if key + '_bytes' in entry else entry[key].encode()
got = {}
for entry in entries:
    path = exact(entry, 'path')
    assert ('path_bytes' in entry) == ('\ufffd' in entry['path']), entry
    text = entry['mtime']
    assert len(text) == 27 and text[19] == '.' and text[-1] == 'Z', text
    micro = calendar.timegm(time.strptime(text[:19], '%Y-%m-%dT%H:%M:%S')) * 10**6 + int(text[20:26])
    assert micro == entry['mtime_ns'] // 1000, entry
    got[path] = (entry['type'], entry.get('size'),
                 exact(entry, 'target') if entry['type'] == 'link' else None, entry['mtime_ns'])
expected = {path: (what, st.st_size if what == 'file' else None,
                   os.readlink(path) if what == 'link' else None, st.st_mtime_ns)
            for path, name, what, st in on_disk()}
assert len(entries) == len(got) and got == expected, set(got.items()) ^ set(expected.items())
count = lambda what: sum(1 for value in expected.values() if value[0] == what)
assert summary == {'type': 'summary', 'files': count('file'), 'folders': count('folder'),
                   'links': count('link'), 'special': count('special'),
                   'bytes': sum(value[1] for value in expected.values() if value[0] == 'file'),
                   'complete': True}, summary
print('ok')
)";

// Names that a table or a script must take exactly: separators, quotes, line ends, tabs, what a
// spreadsheet takes for a formula or a number, control characters and a byte that is not UTF-8;
// a link, a link whose target is not UTF-8, a pipe; a folder with an old time of its own.
class CliRecordsTest : public ::testing::Test {
protected:
    void SetUp() override {
        tree.file("Daten/=Summe.txt", 4);
        tree.file("Daten/Unter/inner.txt", 70000);
        tree.file("Daten/0123", 3);
        ASSERT_EQ(::symlink("=Summe.txt", encoded("Daten/Verweis")), 0);
        ASSERT_EQ(::symlink("ziel\xfe", encoded("Daten/Unter/kaputt")), 0);
        ASSERT_EQ(::mkfifo(encoded("Daten/Rohr"), 0600), 0);
        for (const char* name :
             {"+plus", "-minus", "@at", "\ttab", "\rreturn", "two\nlines",
              "semi;colon \"quoted\".csv", "'apostrophe", "'=guarded", "ctrl\x01x", "bad\xfc byte"})
            tree.rawFile("Daten", name, 3);
        const timespec old[2] = {{1600000000, 123456789}, {1600000000, 123456789}};
        ASSERT_EQ(::utimensat(AT_FDCWD, encoded("Daten/Unter"), old, 0), 0);
    }

    const char* encoded(const char* relative) {
        held_ = QFile::encodeName(tree.path(relative));
        return held_.constData();
    }

    // Runs the tool into a file and the Python check on it, both in the same time zone.
    void expectPythonAgrees(const QStringList& toolArguments, const char* check) {
        const QString python = pythonProgram();
        if (python.isEmpty())
            GTEST_SKIP() << "python3 fehlt: der Abgleich mit Pythons csv und json entfällt";
        const CliResult result = RunShell(
            QStringLiteral("export TZ=\"$1\"; check=$2 out=$3 folder=$4 python=$5; shift 5; "
                           "\"$0\" \"$@\" \"$folder\" > \"$out\" && "
                           "\"$python\" -c \"$check\" \"$folder\" \"$out\""),
            QStringList{timeZone, QString::fromUtf8(pythonPrelude) + QString::fromUtf8(check),
                        tree.path("out"), tree.path("Daten"), python} +
                toolArguments);
        EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
        EXPECT_EQ(result.out, "ok\n") << result.err.toStdString();
    }

    TempTree tree;

private:
    QByteArray held_;
};

TEST_F(CliRecordsTest, TableReadsBackInPythonAsTheFileSystemSaysIt) {
    expectPythonAgrees({"--format", "csv"}, csvCheck);
}

TEST_F(CliRecordsTest, JsonLinesGiveExactPathsSizesAndNanosecondTimes) {
    expectPythonAgrees({"--format=json"}, jsonCheck);
}

// Each name ends in a NUL byte and is its exact bytes, line feeds and invalid bytes included, as
// find -print0 gives them, and as with find there is no "." or "..", which would lead xargs to
// the folder itself or the one above it.
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
         {QByteArray("=Summe.txt"), QByteArray("Unter"), QByteArray("two\nlines"),
          QByteArray("bad\xfc byte"), QByteArray("\rreturn"), QByteArray("Verweis")})
        expected.insert(folder + name);
    const std::set<QByteArray> got(gotPaths.begin(), gotPaths.end());
    EXPECT_EQ(gotPaths.size(), 16);
    for (const QByteArray& path : expected)
        EXPECT_EQ(got.count(path), 1u) << path.toStdString();
    EXPECT_EQ(got.count(folder + "."), 0u);
    EXPECT_EQ(got.count(folder + ".."), 0u);
    // Without -p the bare names, and -x cuts the extension of the exact name.
    EXPECT_TRUE(names.out.contains(QByteArray("\0two\nlines\0", 11)));
    EXPECT_TRUE(names.out.contains(QByteArray("\0=Summe\0", 8)));
    EXPECT_FALSE(names.out.startsWith(QByteArray(".\0", 2)));
    EXPECT_EQ(names.out.count('\0'), 16);
    EXPECT_EQ(names.out.count('\n'), 1);
}

// What could not be read is named and never invented: a folder that cannot be read leaves the
// list incomplete with the reason in the summary; in a folder that may be read but whose entries
// may not be looked up, a file's size, time and digest are null in JSON and empty cells in the
// table.
TEST_F(CliRecordsTest, WhatCouldNotBeReadIsNamedAndNeverInvented) {
    tree.file("Daten/Gesperrt/geheim.txt", 1);
    tree.file("Daten/Blind/drin.txt", 5);
    ASSERT_EQ(::chmod(QFile::encodeName(tree.root()).constData(), 0755), 0);
    ASSERT_TRUE(QFile::setPermissions(tree.path("Daten/Gesperrt"), QFile::Permissions()));
    ASSERT_TRUE(QFile::setPermissions(tree.path("Daten/Blind"),
                                      QFile::ReadOwner | QFile::ReadOther | QFile::ReadGroup));
    const CliResult json =
        RunCliAsUser({"-q", "--format", "json", "--hash", "sha256", tree.path("Daten")});
    const CliResult table = RunCliAsUser({"-q", "--format", "csv", tree.path("Daten")});
    for (const char* folder : {"Daten/Gesperrt", "Daten/Blind"})
        QFile::setPermissions(tree.path(folder),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_EQ(json.exitCode, 1);
    EXPECT_EQ(table.exitCode, 1);
    const QByteArrayList lines = json.out.split('\n');
    ASSERT_GE(lines.size(), 3);
    const QJsonObject summary = QJsonDocument::fromJson(lines.at(lines.size() - 2)).object();
    EXPECT_EQ(summary.value("complete").toBool(true), false);
    EXPECT_FALSE(summary.contains("cancelled"));
    const QJsonArray unreadable = summary.value("unreadable").toArray();
    ASSERT_EQ(unreadable.size(), 2);
    EXPECT_EQ(unreadable.at(0).toObject().value("path").toString(), tree.path("Daten/Gesperrt"));
    EXPECT_EQ(unreadable.at(0).toObject().value("what").toString(), "folder");
    EXPECT_EQ(unreadable.at(0).toObject().value("reason").toString(), "Permission denied");
    EXPECT_EQ(unreadable.at(1).toObject().value("path").toString(), tree.path("Daten/Blind"));
    EXPECT_EQ(unreadable.at(1).toObject().value("what").toString(), "sizes");
    const QByteArray blind = QFile::encodeName(tree.path("Daten/Blind/drin.txt"));
    EXPECT_TRUE(json.out.contains(R"({"type":"file","path":")" + blind +
                                  R"(","size":null,"mtime":null,"mtime_ns":null,"sha256":null})"))
        << json.out.toStdString();
    EXPECT_TRUE(table.out.contains(R"("Datei";")" + blind + R"(";"drin.txt";;)" + "\r\n"))
        << table.out.toStdString();
}

// --type keeps one kind in every output, as find -type does: the extended listing gives headings
// and sums only to folders that hold such entries, and its totals count only them.
TEST_F(CliRecordsTest, TypeKeepsOneKindInEveryOutput) {
    const QString daten = tree.path("Daten");
    const CliResult files = RunCli({"-t", "f", "-n", daten});
    EXPECT_EQ(files.exitCode, 0);
    EXPECT_FALSE(files.out.contains("<DIR>"));
    EXPECT_FALSE(files.out.contains("Verweis"));
    EXPECT_FALSE(files.out.contains("Rohr"));
    EXPECT_TRUE(files.out.contains("\n13 Datei(en), 40 Bytes\n"));
    EXPECT_TRUE(files.out.contains("\n13         Datei(en) insgesamt, 40 Bytes"));

    const CliResult folders = RunCli({"--type=d", "-s", "-p", daten});
    EXPECT_EQ(folders.out,
              daten.toUtf8() + "/.\n" + daten.toUtf8() + "/..\n" + daten.toUtf8() + "/Unter\n");
    const CliResult exactFolders = RunCli({"-t", "d", "-s", "-p", "-0", daten});
    EXPECT_EQ(exactFolders.out, daten.toUtf8() + "/Unter" + QByteArray(1, '\0'));

    const CliResult links = RunCli({"-t", "l", "--format", "json", daten});
    const QByteArrayList lines = links.out.trimmed().split('\n');
    ASSERT_EQ(lines.size(), 4) << links.out.toStdString();
    EXPECT_TRUE(lines.at(0).endsWith(R"("kinds":["link"]})"));
    EXPECT_TRUE(lines.at(1).startsWith(R"({"type":"link","path":")" + QFile::encodeName(daten) +
                                       R"(/Verweis","target":"=Summe.txt",)"));
    EXPECT_TRUE(lines.at(2).contains(R"("target_bytes":")" + QByteArray("ziel\xfe").toBase64()));
    EXPECT_TRUE(lines.at(3).startsWith(R"({"type":"summary","files":0,"folders":0,"links":2,)"));
}

// The logic of the README's three DuckDB queries on the inventories of two servers, in Python's
// json: each entry takes the host from its file's inventory line; bytes per server, the largest
// files, and what changed in the last day by "mtime" as a timestamp. The second server is this
// machine too, so its inventory line is given another host name before the queries run.
const char* const serverQueries = R"(
import datetime, json, os, sys
def inventory(name, host=None):
    lines = [json.loads(line) for line in open(name, 'rb').read().splitlines()]
    if host:
        lines[0]['host'] = host
    return [dict(entry, host=lines[0]['host']) for entry in lines[1:-1]]
entries = inventory(sys.argv[1]) + inventory(sys.argv[2], 'zweiter')
files = [e for e in entries if e['type'] == 'file']
totals = {}
for e in files:
    totals[e['host']] = totals.get(e['host'], 0) + e['size']
largest = [(e['host'], e['path']) for e in sorted(files, key=lambda e: (-e['size'], e['path']))[:2]]
since = datetime.datetime.now(datetime.timezone.utc) - datetime.timedelta(days=1)
recent = sorted(e['path'] for e in entries
                if e['mtime'] and datetime.datetime.fromisoformat(e['mtime']) > since)
print(sorted(totals.items()), largest, recent)
)";

TEST_F(CliRecordsTest, TwoServersInventoriesAnswerTheReadmeQueries) {
    const QString python = pythonProgram();
    if (python.isEmpty())
        GTEST_SKIP() << "python3 fehlt: die Abfragen in Python entfallen";
    tree.file("Eins/gross.iso", 900000);
    tree.file("Eins/alt/klein.txt", 1200);
    tree.file("Zwei/neu.pdf", 48213);
    tree.file("Zwei/alt.pdf", 10);
    const timespec old[2] = {{1700000000, 0}, {1700000000, 0}};
    for (const char* path : {"Eins/gross.iso", "Eins/alt/klein.txt", "Eins/alt", "Zwei/alt.pdf"})
        ASSERT_EQ(::utimensat(AT_FDCWD, encoded(path), old, 0), 0);
    const CliResult result =
        RunShell(QStringLiteral("cd \"$1\" && \"$0\" --format json Eins > eins.jsonl && "
                                "\"$0\" --format json Zwei > zwei.jsonl && "
                                "\"$3\" -c \"$2\" eins.jsonl zwei.jsonl"),
                 {tree.root(), QString::fromUtf8(serverQueries), python});
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    const QString host = QSysInfo::machineHostName();
    EXPECT_EQ(QString::fromUtf8(result.out).toStdString(),
              QStringLiteral("[('%1', 901200), ('zweiter', 48223)] [('%1', 'Eins/gross.iso'), "
                             "('zweiter', 'Zwei/neu.pdf')] ['Zwei/neu.pdf']\n")
                  .arg(host)
                  .toStdString())
        << result.err.toStdString();
}

// Options that do not go together are refused before anything is searched.
TEST_F(CliRecordsTest, FormatsThatDoNotFitAreUsageErrors) {
    for (const QStringList& arguments :
         {QStringList{"-0"}, QStringList{"-s", "--format", "csv"}, QStringList{"--format", "xml"},
          QStringList{"--compare", tree.path("Daten/0123"), "--format", "csv"},
          QStringList{"--compare", tree.path("Daten/0123"), "--format", "json", "-0"}}) {
        const CliResult result = RunCli(arguments + QStringList{tree.path("Daten")});
        EXPECT_EQ(result.exitCode, 2) << arguments.join(' ').toStdString();
        EXPECT_TRUE(result.out.isEmpty());
        EXPECT_TRUE(result.err.startsWith("folderinventory-cli: ")) << result.err.toStdString();
    }
}

} // namespace
