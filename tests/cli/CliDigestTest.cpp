// Checksums from the tool: the sums list that sha256sum checks unchanged, and the digests of the
// table and JSON Lines, each against Python's hashlib, on a tree of hostile names.

#include "CliRunner.h"
#include "TempTree.h"

#include <csignal>
#include <gtest/gtest.h>
#include <QFile>
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
    assert row[5] == entry.get("sha256", ""), (row, entry)
for entry in files:
    path = os.fsencode(entry["path"])
    if "path_bytes" in entry:
        import base64; path = base64.b64decode(entry["path_bytes"])
    if os.path.isfile(path) and not os.path.islink(path):
        assert entry["sha256"] == digest(path), entry
    else:
        assert "sha256" not in entry, entry
assert sums == sum("sha256" in e for e in files)
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

} // namespace
