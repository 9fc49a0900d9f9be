// Hostile trees and inputs: each gives a clear listing, never a crash, a hang or a leak of
// descriptors.
#include "RecordingProgress.h"
#include "ScanHelpers.h"
#include "TempTree.h"
#include "walk/FolderScanner.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <QFile>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

// Makes a chain of `levels` folders named `name` below `base` without ever passing a long
// path to the system: each folder is made relative to its parent.
void makeChain(const std::string& base, const std::string& name, int levels) {
    int fd = ::open(base.c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(fd, 0);
    for (int i = 0; i < levels; ++i) {
        ASSERT_EQ(::mkdirat(fd, name.c_str(), 0755), 0) << "level " << i;
        const int next = ::openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY);
        ::close(fd);
        ASSERT_GE(next, 0);
        fd = next;
    }
    ::close(fd);
}

int openDescriptors() {
    int count = 0;
    for (int fd = 0; fd < 4096; ++fd)
        count += ::fcntl(fd, F_GETFD) != -1 ? 1 : 0;
    return count;
}

TEST(BadInput, SymbolicLinkLoopAndLinkOutsideAreListedAsFilesNeverFollowed) {
    TempTree tree;
    TempTree outside;
    outside.file("secret.txt", 1);
    tree.folder("top/sub");
    tree.symlink(tree.path("top"), "top/sub/back-to-top");
    tree.symlink(outside.root(), "top/outside");
    tree.symlink(tree.path("top/loop"), "top/loop");
    ScanTotals totals;
    const QStringList lines = Scan(tree.path("top"), "*.*", {.recursive = true}, &totals);
    EXPECT_EQ(lines.filter("Verzeichnis von ").size(), 2);
    EXPECT_FALSE(lines.join('\n').contains("secret.txt"));
    const auto linkSize = [](const QString& target) { return QFile::encodeName(target).size(); };
    EXPECT_TRUE(lines.contains(FileLine(linkSize(outside.root()), "outside")));
    EXPECT_TRUE(lines.contains(FileLine(linkSize(tree.path("top/loop")), "loop")));
    EXPECT_TRUE(lines.contains(FileLine(linkSize(tree.path("top")), "back-to-top")));
    EXPECT_EQ(totals.files, 3);
}

// While the scan runs, another thread keeps swapping a folder of the tree for a link to a folder
// outside it and back. Whenever the scan reaches one of that folder's subfolders, it must be the
// real one: nothing from outside may ever be listed. The same race runs near the top, where the
// scan holds the parents' descriptors, and 50 levels down, where it opens parents again.
TEST(BadInput, FolderSwappedForALinkDuringTheScanNeverLeadsOutside) {
    TempTree tree;
    TempTree outside;
    // Many subfolders below the swapped folder: each descent into one is a chance to escape.
    for (int i = 0; i < 20; ++i)
        outside.file(QString("a/b%1/secret.txt").arg(i), 1);
    makeChain(tree.rootBytes(), "d", 50);
    std::string deep = tree.rootBytes();
    for (int i = 0; i < 50; ++i)
        deep += "/d";
    const std::vector<std::string> places = {tree.rootBytes(), deep};
    for (const std::string& place : places) {
        ASSERT_EQ(::mkdir((place + "/a").c_str(), 0755), 0);
        for (int i = 0; i < 20; ++i) {
            const std::string b = place + "/a/b" + std::to_string(i);
            ASSERT_EQ(::mkdir(b.c_str(), 0755), 0);
            ASSERT_EQ(::close(::creat((b + "/inside.txt").c_str(), 0644)), 0);
        }
    }
    const std::string target = QFile::encodeName(outside.path("a")).toStdString();
    // Stopped and joined when the thread object goes, also when an assertion ends the test.
    const std::jthread churn([&](const std::stop_token& stop) {
        while (!stop.stop_requested()) {
            for (const std::string& place : places) {
                const std::string a = place + "/a";
                ::rename(a.c_str(), (a + ".real").c_str());
                ::symlink(target.c_str(), a.c_str());
                std::this_thread::yield();
                ::unlink(a.c_str());
                ::rename((a + ".real").c_str(), a.c_str());
                std::this_thread::yield();
            }
        }
    });
    int sawInside = 0;
    for (int run = 0; run < 300; ++run) {
        const QString lines = Scan(tree.root(), "*.txt", {.recursive = true}).join('\n');
        ASSERT_FALSE(lines.contains("secret.txt")) << "run " << run;
        sawInside += lines.contains("inside.txt") ? 1 : 0;
    }
    EXPECT_GT(sawInside, 0);
}

TEST(BadInput, TreeFifteenHundredLevelsDeep) {
    TempTree tree;
    makeChain(tree.rootBytes(), "d", 1500);
    const int before = openDescriptors();
    ScanTotals totals;
    const QStringList lines = Scan(tree.root(), "*.*", {.recursive = true}, &totals);
    EXPECT_EQ(openDescriptors(), before);
    EXPECT_EQ(totals.folders, 1501);
    QString deepest = tree.root() + "/";
    for (int i = 0; i < 1500; ++i)
        deepest += "d/";
    EXPECT_EQ(lines.filter("Verzeichnis von ").last(), "Verzeichnis von " + deepest);
}

TEST(BadInput, FolderPathsBeyondThePathLimitContributeNothing) {
    TempTree tree;
    const std::string name(200, 'p');
    makeChain(tree.rootBytes(), name, 25); // well over PATH_MAX (4096)
    RecordingProgress progress;
    ScanTotals totals;
    const QStringList lines =
        Scan(tree.root(), "*.*", {.recursive = true, .progress = &progress}, &totals);
    const qsizetype reachable = (PATH_MAX - 1 - tree.root().size() - 1) / 201;
    EXPECT_EQ(totals.folders, reachable + 1);
    ASSERT_EQ(progress.unreadable.size(), 1u);
    EXPECT_EQ(progress.unreadable[0].error, ENAMETOOLONG);

    QString tooLong = tree.root();
    for (int i = 0; i < 25; ++i)
        tooLong += "/" + QString::fromStdString(name);
    EXPECT_TRUE(Scan(tooLong, "*.*", {}).isEmpty());
}

// A folder whose names take several reads of the directory (a read returns some 256 KiB of
// entries). Names near the length limit give that with a few thousand files, which are quick
// to create.
TEST(BadInput, ThousandsOfLongNamesInOneFolder) {
    TempTree tree;
    tree.folder("many");
    const std::string tail = "." + std::string(240, 'x');
    for (int i = 0; i < 2500; ++i)
        tree.rawFile("many", "f" + std::to_string(i) + tail);
    ScanTotals totals;
    const QStringList lines = Scan(tree.path("many"), "*.*", {.extended = false}, &totals);
    const QString ending = QString::fromStdString(tail);
    EXPECT_EQ(lines.size(), 2502);
    EXPECT_EQ(totals.files, 2500);
    EXPECT_EQ(lines.at(2), "f0" + ending);
    EXPECT_EQ(lines.at(3), "f1" + ending);
    EXPECT_EQ(lines.at(4), "f10" + ending);
    EXPECT_TRUE(std::is_sorted(lines.begin() + 2, lines.end()));
}

TEST(BadInput, FifoSocketAndDeviceAreListedNeverOpened) {
    TempTree tree;
    tree.folder("special");
    ASSERT_EQ(::mkfifo(QFile::encodeName(tree.path("special/fifo")).constData(), 0644), 0);
    const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(sock, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray socketPath = QFile::encodeName(tree.path("special/sock"));
    ASSERT_LT(static_cast<std::size_t>(socketPath.size()), sizeof(address.sun_path));
    std::memcpy(address.sun_path, socketPath.constData(),
                static_cast<std::size_t>(socketPath.size()));
    ASSERT_EQ(::bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);

    ScanTotals totals;
    const QStringList lines = Scan(tree.path("special"), "*.*", {}, &totals);
    EXPECT_TRUE(lines.contains(FileLine(0, "fifo")));
    EXPECT_TRUE(lines.contains(FileLine(0, "sock")));
    EXPECT_EQ(totals.files, 2);
    ::close(sock);

    // A device node: /dev/null in its own folder.
    ScanTotals devTotals;
    EXPECT_EQ(Scan("/dev", "null", {}, &devTotals),
              QStringList({"", "", "Verzeichnis von /dev/", "", FileLine(0, "null"), "",
                           "1 Datei(en), 0 Bytes"}));
}

TEST(BadInput, NamesWithInvalidBytesLineFeedsAndFullLength) {
    TempTree tree;
    tree.folder("names");
    tree.rawFile("names", "bad\xff.txt", 1);
    tree.rawFile("names", "two\nlines.txt", 2);
    const std::string longest = std::string(251, 'x') + ".txt";
    tree.rawFile("names", longest, 3);
    ScanTotals totals;
    const QStringList lines = Scan(tree.path("names"), "*.txt", {}, &totals);
    EXPECT_EQ(lines.mid(4, 3),
              QStringList({FileLine(1, QString::fromUtf8("bad\xEF\xBF\xBD.txt")),
                           FileLine(2, "two?lines.txt"),
                           "3" + QString(16, ' ') + QString::fromStdString(longest)}));
    EXPECT_EQ(totals.files, 3);
    EXPECT_EQ(Scan(tree.path("names"), "two*", {.fullPath = true, .extended = false}),
              QStringList({tree.path("names/two?lines.txt")}));
}

TEST(BadInput, DescentUsesTheRealNameOfAFolderShownWithReplacements) {
    TempTree tree;
    tree.folder("top");
    ASSERT_EQ(::mkdir((tree.rootBytes() + "/top/o\xff\n").c_str(), 0755), 0);
    tree.rawFile("top/o\xff\n", "inner.txt", 4);
    const QStringList lines = Scan(tree.path("top"), "*.txt", {.recursive = true});
    EXPECT_EQ(lines, QStringList({"", "", "Verzeichnis von " + tree.path("top/o\uFFFD?/"), "",
                                  FileLine(4, "inner.txt"), "", "1 Datei(en), 4 Bytes"}));
}

TEST(BadInput, FolderPathThroughAFileOrMissingGivesNothing) {
    TempTree tree;
    tree.file("plain.txt", 1);
    RecordingProgress progress;
    const ScanOptions options{.recursive = true, .progress = &progress};
    EXPECT_TRUE(Scan(tree.path("plain.txt/sub"), "*.*", options).isEmpty());
    EXPECT_TRUE(Scan(tree.path("missing"), "*.*", options).isEmpty());
    EXPECT_TRUE(Scan(QString(), "*.*", options).isEmpty());
    ASSERT_EQ(progress.unreadable.size(), 2u);
    EXPECT_EQ(progress.unreadable[0].error, ENOTDIR);
    EXPECT_EQ(progress.unreadable[1].error, ENOENT);
}

// Runs `body` as an unprivileged user when the test runs as root, who could read any folder.
// Returns the lines the body printed, one per line.
QStringList runUnprivileged(const std::function<QStringList()>& body) {
    if (::geteuid() != 0)
        return body();
    int pipeFds[2];
    EXPECT_EQ(::pipe(pipeFds), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipeFds[0]);
        const passwd* nobody = ::getpwnam("nobody");
        const uid_t uid = nobody ? nobody->pw_uid : 65534;
        const gid_t gid = nobody ? nobody->pw_gid : 65534;
        if (::setgid(gid) != 0 || ::setuid(uid) != 0)
            ::_exit(3);
        const QByteArray out = body().join('\n').toUtf8();
        const bool written = ::write(pipeFds[1], out.constData(),
                                     static_cast<std::size_t>(out.size())) == out.size();
        ::_exit(written ? 0 : 4);
    }
    ::close(pipeFds[1]);
    QByteArray out;
    char buffer[4096];
    for (ssize_t got; (got = ::read(pipeFds[0], buffer, sizeof buffer)) > 0;)
        out.append(buffer, got);
    ::close(pipeFds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    return QString::fromUtf8(out).split('\n');
}

TEST(BadInput, UnreadableFolderContributesNothingAndIsReported) {
    TempTree tree;
    tree.file("open/seen.txt", 1);
    tree.file("open/closed/hidden.txt", 1);
    ::chmod(tree.rootBytes().c_str(), 0755);
    ::chmod((tree.rootBytes() + "/open").c_str(), 0755);
    ::chmod((tree.rootBytes() + "/open/closed").c_str(), 0);
    const QString open = tree.path("open");
    const QStringList result = runUnprivileged([&] {
        RecordingProgress progress;
        QStringList lines =
            Scan(open, "*.txt", {.recursive = true, .extended = false, .progress = &progress});
        for (const auto& u : progress.unreadable)
            lines.append(QString("unreadable %1 %2").arg(QString::fromUtf8(u.path)).arg(u.error));
        return lines;
    });
    EXPECT_EQ(result,
              QStringList({"seen.txt", QString("unreadable %1/closed/ %2").arg(open).arg(EACCES)}));
}

} // namespace
