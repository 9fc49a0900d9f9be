#include "CliRunner.h"
#include "EngineListing.h"
#include "TempTree.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <iostream>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

QByteArray contentsOf(const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    return file.readAll();
}

void writeFile(const QString& path, const QByteArray& contents) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(contents), contents.size());
}

// Runs the tool with its address space limited to `kilobytes`.
CliResult runLimited(qint64 kilobytes, const QStringList& arguments) {
    return RunShell(QStringLiteral("ulimit -v \"$1\" && shift && exec \"$0\" \"$@\""),
                    QStringList{QString::number(kilobytes)} + arguments);
}

// The smallest address-space limit, to 256 KiB, under which the run succeeds.
qint64 smallestLimit(const QStringList& arguments) {
    qint64 failing = 0;
    qint64 working = qint64{8} * 1024 * 1024;
    while (working - failing > 256) {
        const qint64 middle = (working + failing) / 2;
        const CliResult result = runLimited(middle, arguments);
        (result.exitCode == 0 && !result.crashed ? working : failing) = middle;
    }
    return working;
}

class CliOutputFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        tree.file("Data/a.txt", 100);
        tree.file("Data/Sub/Grüße.txt", 7);
        tree.folder("Out");
    }

    QStringList entriesOf(const QString& relative) const {
        return QDir(tree.path(relative))
            .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    }

    TempTree tree;
};

TEST_F(CliOutputFileTest, FileHoldsTheListingWithCrLfAndNothingGoesToStandardOutput) {
    const QString list = tree.path("Out/list.txt");
    const CliResult result = RunCli({"-o", list, tree.path("Data")});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_TRUE(result.out.isEmpty());
    EXPECT_TRUE(result.err.isEmpty()) << result.err.toStdString();
    const QByteArray bytes = contentsOf(list);
    EXPECT_EQ(bytes, EngineListing(WithFolders({{tree.path("Data"), true}}), "\r\n"));
    // UTF-8 without byte-order mark, and no bare line feed anywhere.
    EXPECT_TRUE(bytes.startsWith("**    FolderInventory     **\r\n"));
    EXPECT_TRUE(bytes.contains("Grüße.txt"));
    EXPECT_EQ(bytes.count('\n'), bytes.count("\r\n"));
}

TEST_F(CliOutputFileTest, SimpleOutputIsSavedTheSameWay) {
    const QString list = tree.path("Out/simple.txt");
    ASSERT_EQ(RunCli({"--simple", "--full-path", "--output=" + list, tree.path("Data")}).exitCode,
              0);
    CliOptions expected = WithFolders({{tree.path("Data"), true}});
    expected.simple = true;
    expected.fullPath = true;
    EXPECT_EQ(contentsOf(list), EngineListing(expected, "\r\n"));
}

TEST_F(CliOutputFileTest, ExistingFileIsReplacedWholeByANewFile) {
    const QString list = tree.path("Out/list.txt");
    writeFile(list, "old inventory\r\n");
    // A second name for the old file: it keeps the old text only if the list was put in place
    // as a new file rather than written into the old one.
    ASSERT_EQ(::link(QFile::encodeName(list).constData(),
                     QFile::encodeName(tree.path("Out/old.txt")).constData()),
              0);
    ASSERT_EQ(RunCli({"-o", list, tree.path("Data")}).exitCode, 0);
    EXPECT_EQ(contentsOf(list), EngineListing(WithFolders({{tree.path("Data"), true}}), "\r\n"));
    EXPECT_EQ(contentsOf(tree.path("Out/old.txt")), "old inventory\r\n");
    EXPECT_EQ(entriesOf("Out"), QStringList({"list.txt", "old.txt"}));
}

TEST_F(CliOutputFileTest, ListSavedIntoTheSearchedFolderShowsNoTemporaryFile) {
    // The listing is taken from the folder as it was before the run: neither the list nor a
    // temporary file of the writer appears in it.
    const QByteArray before = EngineListing(WithFolders({{tree.path("Data"), true}}), "\r\n");
    const QString list = tree.path("Data/list.txt");
    ASSERT_EQ(RunCli({"-o", list, tree.path("Data")}).exitCode, 0);
    EXPECT_EQ(contentsOf(list), before);
}

TEST_F(CliOutputFileTest, FileThatCannotBeCreatedIsAUsageErrorBeforeTheSearch) {
    tree.file("plain.txt", 1);
    for (const QString& target :
         {tree.path("missing/list.txt"), tree.path("plain.txt/list.txt"), tree.path("Out")}) {
        const CliResult result = RunCli({"-o", target, tree.path("Data")});
        EXPECT_EQ(result.exitCode, 2) << target.toStdString();
        EXPECT_TRUE(result.out.isEmpty());
        EXPECT_TRUE(QString::fromUtf8(result.err)
                        .contains(QRegularExpression("^folderinventory-cli: Die Datei " +
                                                     QRegularExpression::escape(target) +
                                                     " lässt sich nicht anlegen: \\S.*\\.\n$")))
            << result.err.toStdString();
    }
    EXPECT_TRUE(entriesOf("Out").isEmpty());
}

// The folder may be written, the file itself not: it stays as it is.
TEST_F(CliOutputFileTest, ReadOnlyExistingFileIsNotReplaced) {
    const QString list = tree.path("Out/list.txt");
    writeFile(list, "keep\r\n");
    ASSERT_TRUE(QFile::setPermissions(list, QFile::ReadOwner));
    for (const QString& path : {tree.path("Out"), list}) {
        ASSERT_EQ(
            ::chown(QFile::encodeName(path).constData(), UnprivilegedUid(), UnprivilegedGid()), 0);
    }
    ASSERT_EQ(::chmod(QFile::encodeName(tree.root()).constData(), 0755), 0);
    const CliResult result = RunCliAsUser({"-o", list, tree.path("Data")});
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_EQ(contentsOf(list), "keep\r\n");
}

// A device, a pipe or one of our own descriptors is written through, never replaced: what the
// shell wrote into its file before and after the tool stays.
TEST_F(CliOutputFileTest, TargetThatIsNoRegularFileIsWrittenInPlace) {
    const QByteArray listing = EngineListing(WithFolders({{tree.path("Data"), false}}), "\r\n");
    const QString capture = tree.path("Out/cap.txt");
    CliResult result = RunShell("{ echo before; \"$0\" -q -n -o /dev/stdout \"$1\"; echo after; } "
                                ">\"$2\"",
                                {tree.path("Data"), capture});
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(contentsOf(capture), "before\n" + listing + "after\n");

    const QString fifo = tree.path("Out/fifo");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    result = RunShell("cat \"$1\" >\"$2\" & \"$0\" -q -n -o \"$1\" \"$3\"; s=$?; wait; exit $s",
                      {fifo, capture, tree.path("Data")});
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(contentsOf(capture), listing);

    result = RunCli({"-q", "-o", "/dev/null", tree.path("Data")});
    EXPECT_EQ(result.exitCode, 0);
    struct stat null {};
    ASSERT_EQ(::stat("/dev/null", &null), 0);
    EXPECT_TRUE(S_ISCHR(null.st_mode));

    result = RunCli({"-q", "-o", "/dev/full", tree.path("Data")});
    EXPECT_EQ(result.exitCode, 3);
    // The system's reason follows, in the user's language.
    EXPECT_TRUE(QString::fromUtf8(result.err)
                    .contains(QRegularExpression(
                        "^folderinventory-cli: Schreibfehler in der Datei /dev/full: \\S.*\\.\n$")))
        << result.err.toStdString();
}

// Started with standard output and standard error closed, the tool's own files never take their
// numbers: the warning about the empty folder goes nowhere instead of into the list. With standard
// input closed, "-" is an empty list rather than one of the tool's own descriptors.
TEST_F(CliOutputFileTest, ClosedStandardDescriptorsAreNeverTakenByTheToolsOwnFiles) {
    const QString list = tree.path("Out/list.txt");
    CliResult result = RunShell("\"$0\" -o \"$1\" \"\" \"$2\" >&- 2>&-", {list, tree.path("Data")});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(contentsOf(list),
              EngineListing(WithFolders({{"", true}, {tree.path("Data"), true}}), "\r\n"));

    const CliResult fromEmptyInput =
        RunShell("timeout 20 \"$0\" --compare - --to \"$1\" </dev/null", {list});
    result = RunShell("timeout 20 \"$0\" --compare - --to \"$1\" <&-", {list});
    EXPECT_EQ(result.exitCode, fromEmptyInput.exitCode);
    EXPECT_EQ(result.out, fromEmptyInput.out);
    EXPECT_EQ(result.err, fromEmptyInput.err);
}

// Beyond the file size limit the list cannot be written: a write error with its reason, and the
// old file stays.
TEST_F(CliOutputFileTest, ListBeyondTheFileSizeLimitIsAWriteErrorAndKeepsTheOldFile) {
    for (int i = 0; i < 40; ++i)
        tree.file(QStringLiteral("Data/many/file_%1.txt").arg(i), i);
    const QString list = tree.path("Out/list.txt");
    writeFile(list, "old\r\n");
    const CliResult result =
        RunShell("ulimit -f 1 && exec \"$0\" -o \"$1\" \"$2\"", {list, tree.path("Data")});
    EXPECT_FALSE(result.crashed);
    EXPECT_EQ(result.exitCode, 3);
    EXPECT_EQ(result.err.toStdString(), "folderinventory-cli: Schreibfehler in der Datei " +
                                            list.toStdString() + ": File too large.\n");
    EXPECT_EQ(contentsOf(list), "old\r\n");
    EXPECT_EQ(entriesOf("Out"), QStringList({"list.txt"}));
}

// In a folder that everyone may write and that has the sticky bit (/tmp), a link is followed only
// when it belongs to the caller or to the folder's owner, as the kernel's protection for such
// links has it: another user's link may point at a file of the caller's that the list must not
// overwrite. That holds for a link at the end of the name and for one on the way to it.
TEST_F(CliOutputFileTest, AnotherUsersLinkInAStickyFolderIsNotFollowed) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "a link of another user can only be made as root";
    tree.folder("Sticky");
    tree.file("Victim/secret.conf", 6);
    const QByteArray sticky = QFile::encodeName(tree.path("Sticky"));
    ASSERT_EQ(::chmod(sticky.constData(), 01777), 0);
    struct Case {
        const char* name;
        const char* target;
        uid_t linkOwner;
        uid_t folderOwner;
        bool followed;
    };
    const uid_t other = UnprivilegedUid();
    const std::vector<Case> cases{
        {"report.txt", "Victim/secret.conf", other, 0, false},
        {"dir", "Victim", other, 0, false},
        {"own.txt", "Victim/secret.conf", 0, 0, true},
        {"folders.txt", "Victim/secret.conf", other, other, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        writeFile(tree.path("Victim/secret.conf"), "secret");
        const QByteArray link = sticky + '/' + c.name;
        tree.symlink(tree.path(c.target), QStringLiteral("Sticky/") + c.name);
        ASSERT_EQ(::lchown(link.constData(), c.linkOwner, c.linkOwner == 0 ? 0 : UnprivilegedGid()),
                  0);
        ASSERT_EQ(::chown(sticky.constData(), c.folderOwner, 0), 0);
        const QString output =
            QFile::decodeName(link) + (QByteArray(c.name) == "dir" ? "/secret.conf" : "");
        const CliResult result = RunCli({"-o", output, tree.path("Data")});
        EXPECT_EQ(result.exitCode, c.followed ? 0 : 2) << result.err.toStdString();
        EXPECT_EQ(contentsOf(tree.path("Victim/secret.conf")) == "secret", !c.followed);
        if (!c.followed) {
            EXPECT_TRUE(result.err.contains("symbolische Verknüpfung eines anderen Benutzers"))
                << result.err.toStdString();
        }
        struct stat st {};
        EXPECT_EQ(::lstat(link.constData(), &st), 0);
        EXPECT_TRUE(S_ISLNK(st.st_mode));
    }
}

// Two links that point at each other are a loop, as the shell says, and stay as they are.
TEST_F(CliOutputFileTest, LoopOfLinksIsRefused) {
    tree.symlink(tree.path("Out/b"), "Out/a");
    tree.symlink(tree.path("Out/a"), "Out/b");
    const CliResult result = RunCli({"-o", tree.path("Out/a"), tree.path("Data")});
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_EQ(result.err.toStdString(), "folderinventory-cli: Die Datei " +
                                            tree.path("Out/a").toStdString() +
                                            " lässt sich nicht anlegen: Too many levels of "
                                            "symbolic links.\n");
    for (const char* name : {"Out/a", "Out/b"}) {
        struct stat st {};
        EXPECT_EQ(::lstat(QFile::encodeName(tree.path(name)).constData(), &st), 0);
        EXPECT_TRUE(S_ISLNK(st.st_mode)) << name;
    }
}

// What the replacement needs is known before the search, and checked there: a temporary name
// beside a target whose name is as long as a name may be, a way to name the new file without
// /proc, the right to replace a file of another user in a sticky folder.
TEST_F(CliOutputFileTest, ReplacementIsSureBeforeTheSearch) {
    const QByteArray listing = EngineListing(WithFolders({{tree.path("Data"), true}}), "\r\n");
    for (const int length : {249, 255}) {
        const QString list = tree.path("Out/" + QString(length - 4, QLatin1Char('l')) + ".txt");
        for (const bool exists : {false, true}) {
            if (exists)
                writeFile(list, "old\r\n");
            const CliResult result = RunCli({"-o", list, tree.path("Data")});
            EXPECT_EQ(result.exitCode, 0) << length << ": " << result.err.toStdString();
            EXPECT_TRUE(contentsOf(list) == listing) << length;
        }
        QFile::remove(list);
    }
    EXPECT_TRUE(entriesOf("Out").isEmpty());

    const QString list = tree.path("Out/list.txt");
    // A sanitized tool reads its options and, at exit, its threads through /proc, so it cannot
    // run without /proc whatever the tool does.
#ifdef __SANITIZE_ADDRESS__
    CliResult withoutProc;
    withoutProc.exitCode = 99;
    withoutProc.err = "the sanitizer needs /proc";
#else
    const CliResult withoutProc =
        RunShell("unshare -m --propagation private sh -c 'umount -l /proc || exit 99; exec \"$0\" "
                 "-o \"$1\" \"$2\"' \"$0\" \"$1\" \"$2\"",
                 {list, tree.path("Data")});
#endif
    if (withoutProc.exitCode == 99 || withoutProc.err.startsWith("unshare:")) {
        std::cout << "[ SKIPPED  ] without /proc: no mount namespace here, or "
                  << withoutProc.err.toStdString();
    } else {
        EXPECT_EQ(withoutProc.exitCode, 0) << withoutProc.err.toStdString();
        EXPECT_TRUE(contentsOf(list) == listing);
    }

    if (::geteuid() != 0)
        return; // a file of another user in a sticky folder can only be made as root
    writeFile(list, "root's\r\n");
    ASSERT_EQ(::chmod(QFile::encodeName(list).constData(), 0666), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(tree.path("Out")).constData(), 01777), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(tree.root()).constData(), 0755), 0);
    const CliResult sticky = RunCliAsUser({"-o", list, tree.path("Data")});
    EXPECT_EQ(sticky.exitCode, 2);
    EXPECT_EQ(sticky.err.toStdString(),
              "folderinventory-cli: Die vorhandene Datei " + list.toStdString() +
                  " lässt sich nicht ersetzen: sie gehört einem anderen Benutzer und liegt in "
                  "einem Verzeichnis mit Sticky-Bit (Operation not permitted)\n");
    EXPECT_EQ(contentsOf(list), "root's\r\n");
    EXPECT_EQ(entriesOf("Out"), QStringList({"list.txt"}));
}

// Root may write a 0444 file, but its replacement stays 0444 all the same.
TEST_F(CliOutputFileTest, ReplacedFileKeepsItsPermissionBits) {
    const QString list = tree.path("Out/list.txt");
    writeFile(list, "old\r\n");
    const mode_t mode = ::geteuid() == 0 ? 0444 : 0640;
    ASSERT_EQ(::chmod(QFile::encodeName(list).constData(), mode), 0);
    ASSERT_EQ(RunCli({"-o", list, tree.path("Data")}).exitCode, 0);
    EXPECT_EQ(contentsOf(list), EngineListing(WithFolders({{tree.path("Data"), true}}), "\r\n"));
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(list).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, mode);
}

// The file may be written, its folder not: no new file can be made beside it, and written in
// place, a full disk or a kill halfway would cost the old list. The tool refuses before the
// search and the file stays as it was.
TEST_F(CliOutputFileTest, FileInAFolderWithoutRoomForANewFileIsRefusedAndKept) {
    const QString list = tree.path("Out/list.txt");
    writeFile(list, "old\r\n");
    ASSERT_EQ(::chown(QFile::encodeName(list).constData(), UnprivilegedUid(), UnprivilegedGid()),
              0);
    ASSERT_EQ(::chmod(QFile::encodeName(tree.path("Out")).constData(), 0555), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(tree.root()).constData(), 0755), 0);
    const CliResult result = RunCliAsUser({"-o", list, tree.path("Data")});
    ::chmod(QFile::encodeName(tree.path("Out")).constData(), 0755);
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_TRUE(result.out.isEmpty());
    EXPECT_EQ(result.err.toStdString(),
              "folderinventory-cli: Die vorhandene Datei " + list.toStdString() +
                  " wird nicht ersetzt: neben ihr lässt sich keine neue Datei anlegen "
                  "(Permission denied)\n");
    EXPECT_EQ(contentsOf(list), "old\r\n");
    EXPECT_EQ(entriesOf("Out"), QStringList({"list.txt"}));
}

// A limit between what a small search needs and what a large one needs: the large one runs out
// of memory inside the search, says so, ends with its own status and leaves the old file alone.
TEST_F(CliOutputFileTest, OutOfMemoryIsReportedAndKeepsTheOldFile) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "AddressSanitizer reserves more address space than any limit leaves";
#endif
    tree.folder("Big");
    const std::string big = QFile::encodeName(tree.path("Big")).toStdString();
    for (int i = 0; i < 8000; ++i) {
        const std::string name = big + "/" + std::string(200, 'n') + std::to_string(i);
        ASSERT_EQ(::close(::creat(name.c_str(), 0644)), 0);
    }
    const QString output = tree.path("Out/list.txt");
    const qint64 small = smallestLimit({"-q", "-o", output, tree.path("Data")});
    const qint64 large = smallestLimit({"-q", "-o", output, tree.path("Big")});
    ASSERT_GT(large - small, 2048);
    writeFile(output, "old contents\n");
    const CliResult result =
        runLimited((small + large) / 2, {"-q", "-o", output, tree.path("Big")});
    EXPECT_FALSE(result.crashed);
    EXPECT_EQ(result.exitCode, 4);
    EXPECT_EQ(result.err, "folderinventory-cli: Speicher erschöpft\n");
    EXPECT_EQ(contentsOf(output), "old contents\n");
}

} // namespace
