// Checksums from the tool: the sums list that sha256sum checks unchanged, and the digests of the
// table and JSON Lines, each against Python's hashlib, on a tree of hostile names.

#include "CliRunner.h"
#include "TempTree.h"

#include <csignal>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <QFile>
#include <QFileInfo>
#include <sys/stat.h>

namespace {

// Reads the three outputs in the working folder (the tree) and checks every digest against
// hashlib; prints "ok <files in the sums list>".
constexpr const char* pythonCheck = R"(import csv, hashlib, json, os, sys
def digest(path):
    with open(path, "rb") as f:
        return hashlib.sha256(f.read()).hexdigest()
def unescape(name):
    out, i = bytearray(), 0
    while i < len(name):
        if name[i:i+1] == b"\\":
            out += {b"\\": b"\\", b"n": b"\n", b"r": b"\r"}[name[i+1:i+2]]
            i += 2
        else:
            out += name[i:i+1]
            i += 1
    return bytes(out)
sums = 0
for line in open(sys.argv[1], "rb").read().split(b"\n")[:-1]:
    escaped = line.startswith(b"\\")
    hexdigest, path = line[escaped:escaped+64].decode(), line[escaped+66:]
    assert digest(unescape(path) if escaped else path) == hexdigest, line
    sums += 1
rows = list(csv.reader(open(sys.argv[2], encoding="utf-8-sig", newline=""), delimiter=";"))
assert rows[0] == ["Art", "Pfad", "Name", "Größe", "Geändert", "SHA-256"], rows[0]
entries = [json.loads(l) for l in open(sys.argv[3], encoding="utf-8")]
assert entries[0]["hash"] == "sha256"
files = [e for e in entries if e["type"] == "file"]
assert len(rows) - 1 == len(entries) - 2
for row, entry in zip(rows[1:], entries[1:-1]):
    assert row[5] == (entry.get("sha256") or ""), (row, entry)
for entry in files:
    path = os.fsencode(entry["path"])
    if "path_bytes" in entry:
        import base64; path = base64.b64decode(entry["path_bytes"])
    if os.path.isfile(path) and not os.path.islink(path):
        assert entry["sha256"] == digest(path), entry
    else:
        assert entry.get("sha256") is None, entry
assert sums == sum(e["sha256"] is not None for e in files)
print("ok", sums)
)";

class CliDigestTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const std::string& name :
             {std::string("line\nfeed"), std::string("back\\slash"), std::string("tab\there"),
              std::string("bad\xff\xfe"), std::string("  leading blanks"), std::string("cr\rname"),
              std::string("plain")}) {
            tree.rawFile("", name, 70000 + static_cast<std::int64_t>(name.size()));
            tree.rawFile("", name + ".small", static_cast<std::int64_t>(name.size()));
        }
        tree.folder(QStringLiteral("sub\\dir/inner"));
        tree.file(QStringLiteral("sub\\dir/inner/deep"), 5);
        tree.symlink(tree.path(QStringLiteral("plain")), QStringLiteral("link"));
        ASSERT_EQ(::mkfifo(QFile::encodeName(tree.path(QStringLiteral("fifo"))).constData(), 0644),
                  0);
    }

    TempTree tree;
};

TEST_F(CliDigestTest, Sha256sumChecksTheSumsListAndEveryDigestIsHashlibs) {
    const QString out = tree.root() + QStringLiteral(".out");
    const CliResult result =
        RunShell(QStringLiteral("cd \"$1\" && \"$0\" --format sums . > \"$2.sums\" && "
                                "\"$0\" --format csv --hash sha256 . > \"$2.csv\" && "
                                "\"$0\" --format json --hash sha256 . > \"$2.jsonl\" && "
                                "sha256sum --quiet --strict -c \"$2.sums\" && "
                                "/usr/bin/python3 -c \"$3\" \"$2.sums\" \"$2.csv\" \"$2.jsonl\""),
                 {tree.root(), out, QString::fromUtf8(pythonCheck)});
    for (const char* suffix : {".sums", ".csv", ".jsonl"})
        QFile::remove(out + QLatin1String(suffix));
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    // Fourteen files and the one in the subfolder; the link and the FIFO have no line.
    EXPECT_EQ(result.out, "ok 15\n") << result.err.toStdString();
}

// A file of the proc file system says it is empty and reads longer: named, no digest, and the
// inventory says it is incomplete.
TEST_F(CliDigestTest, AFileThatChangesWhileReadIsNamedAndGetsNoDigest) {
    const CliResult sums = RunCli({"--format", "sums", "-n", "-m", "status", "/proc/self"});
    EXPECT_EQ(sums.exitCode, 1);
    EXPECT_TRUE(sums.out.isEmpty()) << sums.out.toStdString();
    EXPECT_EQ(sums.err, "folderinventory-cli: keine Prüfsumme, während des Lesens geändert: "
                        "/proc/self/status\n");
    const CliResult json =
        RunCli({"--format", "json", "--hash", "md5", "-q", "-n", "-m", "status", "/proc/self"});
    EXPECT_EQ(json.exitCode, 1);
    EXPECT_FALSE(json.out.contains("\"md5\":\"")) << json.out.toStdString();
    EXPECT_TRUE(json.out.contains(
        R"("complete":false,"unreadable":[{"path":"/proc/self/status","what":"file","reason":"während des Lesens geändert"}])"))
        << json.out.toStdString();
}

TEST_F(CliDigestTest, DigestsOnlyWhereTheOutputShowsThem) {
    for (const QStringList& arguments :
         {QStringList{"--hash", "sha256"}, QStringList{"-s", "--hash", "md5", "--format", "csv"},
          QStringList{"--format", "sums", "-s"}, QStringList{"--format", "csv", "--hash", "crc"}}) {
        const CliResult result = RunCli(arguments + QStringList{tree.root()});
        EXPECT_EQ(result.exitCode, 2) << arguments.join(' ').toStdString();
        EXPECT_TRUE(result.out.isEmpty());
    }
    const CliResult md5 =
        RunCli({"--format", "sums", "--hash", "md5", "-m", "plain.small", tree.root()});
    EXPECT_EQ(md5.out, "fb0e22c79ac75679e9881e6ba183b354  " + QFile::encodeName(tree.root()) +
                           "/plain.small\n");
}

// SIGINT in the middle of a file of 100 GB ends the run at once; no digest is written for it.
TEST_F(CliDigestTest, AStopInTheMiddleOfAHugeFileEndsTheRun) {
    QFile file(tree.path(QStringLiteral("huge")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_TRUE(file.resize(qint64{100} << 30));
    file.close();
    bool sent = false;
    const CliResult result = RunCliAlongside(
        {"--format", "json", "--hash", "sha256", "-m", "huge", tree.root()}, [&](qint64 pid) {
            // Once it has read 64 MB it is in the middle of the file.
            QFile io(QStringLiteral("/proc/%1/io").arg(pid));
            if (sent || !io.open(QIODevice::ReadOnly))
                return;
            const QByteArray counts = io.readAll();
            const qsizetype start = counts.indexOf("rchar: ") + 7;
            if (start >= 7 && counts.mid(start, counts.indexOf('\n', start) - start).toLongLong() >
                                  (qint64{64} << 20)) {
                ::kill(static_cast<pid_t>(pid), SIGINT);
                sent = true;
            }
        });
    ASSERT_TRUE(sent);
    EXPECT_EQ(result.exitCode, 130);
    EXPECT_TRUE(result.out.contains(R"("type":"file","path":)")) << result.out.toStdString();
    EXPECT_FALSE(result.out.contains(R"("sha256":")")) << result.out.toStdString();
    EXPECT_TRUE(result.out.contains(R"("cancelled":true)")) << result.out.toStdString();
}

// A byte flipped in a file whose modification time was put back: size and time hide it, the
// digest does not, for --check (the list read in every form it takes, naming what is off) and
// for --compare with --hash.
TEST_F(CliDigestTest, CheckAndCompareFindAFlippedByteBehindAnUnchangedTime) {
    const QString list = tree.root() + QStringLiteral(".list");
    const CliResult made =
        RunShell(QStringLiteral("cd \"$1\" && \"$0\" --format sums -m 'plain*;back*' . > \"$2\" && "
                                "\"$0\" --format json --hash md5 -m 'plain*' . > \"$2.jsonl\""),
                 {tree.root(), list});
    ASSERT_EQ(made.exitCode, 0) << made.err.toStdString();
    tree.flipByteKeepingTimes(QStringLiteral("plain"));
    QFile::remove(tree.path(QStringLiteral("back\\slash.small")));
    tree.file(QStringLiteral("plain.new"), 3);

    // The list with CR LF ends, a BSD tag line, an absolute path, "../", a malformed line and no
    // final line end.
    QFile sums(list);
    ASSERT_TRUE(sums.open(QIODevice::ReadOnly));
    QByteArray text = sums.readAll().replace("\n", "\r\n");
    sums.close();
    const QByteArray empty = "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855";
    text += "SHA256 (" + QFile::encodeName(tree.path(QStringLiteral("empty"))) + ") = " + empty +
            "\r\nnot a line\r\n" + empty + "  ../" +
            QFile::encodeName(QFileInfo(tree.root()).fileName()) + "/empty";
    tree.file(QStringLiteral("empty"), 0);
    ASSERT_TRUE(sums.open(QIODevice::WriteOnly | QIODevice::Truncate));
    sums.write(text);
    sums.close();

    // The masks choose the files of the folder that the list is held against.
    const CliResult check =
        RunShell(QStringLiteral("cd \"$1\" && \"$0\" --check \"$2\" -m 'plain*;back*;empty' ."),
                 {tree.root(), list});
    EXPECT_EQ(check.exitCode, 2); // the malformed line
    EXPECT_EQ(check.out, "FEHLER: ./plain\n"
                         "fehlt: ./back\\slash.small\n"
                         "neu: ./plain.new\n" // in the order of the masks
                         "neu: ./empty\n"
                         "\n"
                         "4 in Ordnung, 1 falsch, 1 fehlen, 0 nicht lesbar, 2 neu\n")
        << check.out.toStdString();
    EXPECT_TRUE(check.err.contains(": Zeile 6: keine Prüfsummenzeile")) << check.err.toStdString();

    const CliResult json = RunShell(QStringLiteral("cd \"$1\" && \"$0\" --check - < \"$2.jsonl\""),
                                    {tree.root(), list});
    EXPECT_EQ(json.exitCode, 1) << json.err.toStdString();
    EXPECT_EQ(json.out, "FEHLER: ./plain\n\n1 in Ordnung, 1 falsch, 0 fehlen, 0 nicht lesbar\n")
        << json.out.toStdString();

    QFile::remove(tree.path(QStringLiteral("empty")));
    QFile::remove(tree.path(QStringLiteral("plain.new")));
    const CliResult compared = RunShell(
        QStringLiteral("cd \"$1\" && \"$0\" --compare \"$2.jsonl\" --hash md5 -m 'plain*' . && "
                       "echo same"),
        {tree.root(), list});
    EXPECT_EQ(compared.exitCode, 1) << compared.err.toStdString();
    EXPECT_EQ(compared.out, "~ ./plain (Inhalt geändert)\n\n0 neu, 0 entfernt, 1 geändert\n");
    // Without digests on the new side, size and time hide the change, and a note says why.
    const CliResult blind =
        RunShell(QStringLiteral("cd \"$1\" && \"$0\" --compare \"$2.jsonl\" -m 'plain*' ."),
                 {tree.root(), list});
    EXPECT_EQ(blind.exitCode, 0);
    EXPECT_TRUE(blind.err.contains("Hinweis: Nur eine der beiden Listen trägt Prüfsummen"))
        << blind.err.toStdString();
    QFile::remove(list);
    QFile::remove(list + QStringLiteral(".jsonl"));

    const CliResult none = RunShell(QStringLiteral("\"$0\" --check /dev/null"), {});
    EXPECT_EQ(none.exitCode, 0);
    EXPECT_EQ(none.out, "\n0 in Ordnung, 0 falsch, 0 fehlen, 0 nicht lesbar\n");
}

// A checksum list as the earlier list: sha256sum's own, of names without "./", against a search
// of "."; the tool's list of absolute paths against the same. Gone, new and a flipped byte are
// seen; the folders, the link and the FIFO, which no checksum list names, are passed over.
TEST_F(CliDigestTest, ComparesASearchWithAChecksumList) {
    const QString list = tree.root() + QStringLiteral(".sha256");
    const CliResult made = RunShell(
        QStringLiteral("cd \"$1\" && find . -type f -printf '%P\\0' | xargs -0 sha256sum -- > "
                       "\"$2\" && \"$0\" --format sums \"$1\" > \"$2.abs\""),
        {tree.root(), list});
    ASSERT_EQ(made.exitCode, 0) << made.err.toStdString();
    tree.flipByteKeepingTimes(QStringLiteral("plain"));
    QFile::remove(tree.path(QStringLiteral("back\\slash.small")));
    tree.file(QStringLiteral("plain.new"), 3);

    const QString compare = QStringLiteral("cd \"$1\" && \"$0\" --compare \"$2\" --hash sha256 .");
    const CliResult relative = RunShell(compare, {tree.root(), list});
    EXPECT_EQ(relative.exitCode, 1) << relative.err.toStdString();
    EXPECT_EQ(relative.out, "- back\\slash.small\n"
                            "~ plain (Inhalt geändert)\n"
                            "+ plain.new (3 Bytes)\n"
                            "\n"
                            "1 neu, 1 entfernt, 1 geändert\n");
    EXPECT_TRUE(relative.err.startsWith("Hinweis: Die frühere Liste ist eine Prüfsummenliste"))
        << relative.err.toStdString();
    const CliResult absolute = RunShell(compare, {tree.root(), list + QStringLiteral(".abs")});
    EXPECT_EQ(absolute.exitCode, 1) << absolute.err.toStdString();
    EXPECT_EQ(absolute.out, "- " + tree.path(QStringLiteral("back\\slash.small")) + "\n~ " +
                                tree.path(QStringLiteral("plain")) + " (Inhalt geändert)\n+ " +
                                tree.path(QStringLiteral("plain.new")) +
                                " (3 Bytes)\n\n1 neu, 1 entfernt, 1 geändert\n");

    // A list made in a subfolder names its files from there, as sha256sum -c reads them.
    const CliResult below = RunShell(
        QStringLiteral("cd \"$1/sub\\\\dir/inner\" && sha256sum deep ../../plain > \"$2.below\" && "
                       "\"$0\" --compare \"$2.below\" -m 'deep;plain' ../.."),
        {tree.root(), list});
    EXPECT_EQ(below.exitCode, 0) << below.err.toStdString();
    EXPECT_EQ(below.out, "0 neu, 0 entfernt, 0 geändert\n");

    // Without --hash the search reads the files with the list's algorithm; with another one only
    // which files there are is compared. A line that is none of a checksum list refuses the list.
    EXPECT_EQ(
        RunShell(QStringLiteral("cd \"$1\" && \"$0\" --compare \"$2\" ."), {tree.root(), list}).out,
        relative.out);
    const CliResult blind =
        RunShell(QStringLiteral("cd \"$1\" && \"$0\" --compare \"$2\" --hash md5 .; echo broken >> "
                                "\"$2\"; \"$0\" --compare \"$2\" ."),
                 {tree.root(), list});
    EXPECT_EQ(blind.exitCode, 2);
    EXPECT_TRUE(blind.out.startsWith("- back\\slash.small\n")) << blind.out.toStdString();
    EXPECT_TRUE(blind.out.contains("\n+ plain.new (3 Bytes)\n")) << blind.out.toStdString();
    EXPECT_FALSE(blind.out.contains("plain (")) << blind.out.toStdString();
    EXPECT_TRUE(blind.err.contains("also wird nur verglichen, welche Dateien vorkommen"))
        << blind.err.toStdString();
    EXPECT_TRUE(blind.err.contains(": Zeile 16 ist keine Zeile einer Prüfsummenliste"))
        << blind.err.toStdString();
    QFile::remove(list);
    QFile::remove(list + QStringLiteral(".abs"));
    QFile::remove(list + QStringLiteral(".below"));
}

} // namespace
