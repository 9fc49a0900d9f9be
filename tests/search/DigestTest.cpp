// Digests of single files, the window that reads many at once, the sums line and the checksum
// list reader, on real files.

#include "compare/ChecksumList.h"
#include "digest/DigestWindow.h"
#include "digest/FileDigest.h"
#include "format/SumsLine.h"
#include "format/SumsListing.h"
#include "output/ResultLines.h"
#include "ReferenceDigests.h"
#include "run/SearchSettings.h"
#include "SearchDriver.h"
#include "TempTree.h"
#include "walk/ScanTuning.h"
#include "walk/WorkerPool.h"

#include <algorithm>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <QString>
#include <random>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

namespace {

using Outcome = FileDigest::Outcome;

// A file of `size` bytes that differ from file to file and from piece to piece.
void writeFile(const std::string& path, std::size_t size, unsigned seed) {
    std::mt19937 random(seed);
    std::string content(size, '\0');
    for (char& c : content)
        c = static_cast<char>(random());
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, content.data(), content.size()), static_cast<ssize_t>(size));
    ::close(fd);
}

class OpenFolder final {
public:
    explicit OpenFolder(const std::string& path)
        : fd_(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {}
    ~OpenFolder() { ::close(fd_); }
    OpenFolder(const OpenFolder&) = delete;
    OpenFolder& operator=(const OpenFolder&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

FileDigest digestOf(int folder, const std::string& name, DigestLink link = DigestLink::NoFollow,
                    DigestAlgorithm algorithm = DigestAlgorithm::Sha256) {
    const DigestMethod method(algorithm);
    const std::atomic<bool> stop{false};
    std::atomic<std::int64_t> bytesRead{0};
    return DigestFile(method, folder, name.c_str(), link, stop, bytesRead);
}

// A sparse file far larger than any test reads whole.
std::string hugeSparseFile(const TempTree& tree, const std::string& name) {
    const std::string path = tree.rootBytes() + "/" + name;
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    EXPECT_GE(fd, 0);
    EXPECT_EQ(::ftruncate(fd, off_t{100} << 30), 0);
    ::close(fd);
    return path;
}

TEST(FileDigestTest, EveryAlgorithmGivesHashlibsDigestAcrossPieceBoundaries) {
    const TempTree tree;
    const std::vector<std::size_t> sizes{0, 1, 262143, 262144, 262145, 3 * 1048576 + 17};
    std::vector<std::string> names;
    std::vector<std::string> paths;
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        names.push_back("f" + std::to_string(i));
        paths.push_back(tree.rootBytes() + "/" + names.back());
        writeFile(paths.back(), sizes[i], static_cast<unsigned>(i));
    }
    const OpenFolder folder(tree.rootBytes());
    for (const DigestAlgorithm algorithm : {DigestAlgorithm::Sha256, DigestAlgorithm::Sha512,
                                            DigestAlgorithm::Sha1, DigestAlgorithm::Md5}) {
        const std::string name(DigestInfo(algorithm).name);
        const std::vector<std::string> expected = ReferenceDigests(name, paths);
        ASSERT_EQ(expected.size(), paths.size()) << name;
        for (std::size_t i = 0; i < names.size(); ++i) {
            const FileDigest digest =
                digestOf(folder.get(), names[i], DigestLink::NoFollow, algorithm);
            EXPECT_EQ(digest.outcome, Outcome::Read) << name << " " << names[i];
            EXPECT_EQ(digest.hex, expected[i]) << name << " " << names[i];
        }
    }
}

TEST(FileDigestTest, OnlyRegularFilesAreOpenedAndNothingBlocks) {
    const TempTree tree;
    tree.file(QStringLiteral("file"), 10);
    tree.folder(QStringLiteral("folder"));
    tree.symlink(tree.path(QStringLiteral("file")), QStringLiteral("link"));
    ASSERT_EQ(::mkfifo((tree.rootBytes() + "/fifo").c_str(), 0644), 0);
    const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string socketPath = tree.rootBytes() + "/socket";
    ASSERT_LT(socketPath.size(), sizeof address.sun_path);
    socketPath.copy(address.sun_path, socketPath.size());
    ASSERT_EQ(::bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);

    const OpenFolder folder(tree.rootBytes());
    for (const char* name : {"folder", "link", "fifo", "socket"})
        EXPECT_EQ(digestOf(folder.get(), name).outcome, Outcome::NotRegular) << name;
    // A checksum list's names lead through links, as sha256sum reads them.
    EXPECT_EQ(digestOf(folder.get(), "link", DigestLink::Follow).hex,
              digestOf(folder.get(), "file").hex);
    const FileDigest missing = digestOf(folder.get(), "missing");
    EXPECT_EQ(missing.outcome, Outcome::Unreadable);
    EXPECT_EQ(missing.error, ENOENT);
    ::close(sock);
}

// A file of the proc file system says it is empty and reads longer: it changed as far as the
// read can tell, so it gets no digest.
TEST(FileDigestTest, AFileThatReadsLongerThanItsSizeGetsNoDigest) {
    const FileDigest digest = digestOf(AT_FDCWD, "/proc/self/status");
    EXPECT_EQ(digest.outcome, Outcome::Changed);
    EXPECT_TRUE(digest.hex.empty());
}

TEST(FileDigestTest, AStopEndsTheReadOfAHugeFileInTheMiddle) {
    const TempTree tree;
    const std::string path = hugeSparseFile(tree, "huge");
    const DigestMethod method(DigestAlgorithm::Sha256);
    std::atomic<bool> stop{false};
    std::atomic<std::int64_t> bytesRead{0};
    FileDigest digest;
    std::thread reader([&] {
        digest = DigestFile(method, AT_FDCWD, path.c_str(), DigestLink::NoFollow, stop, bytesRead);
    });
    while (bytesRead.load() == 0)
        std::this_thread::yield();
    stop = true;
    reader.join();
    EXPECT_EQ(digest.outcome, Outcome::Stopped);
    EXPECT_TRUE(digest.hex.empty());
    EXPECT_LT(bytesRead.load(), std::int64_t{100} << 30);
}

// Large files first, so that the small ones behind them are read before them by other workers
// (and, where their sizes are known, by the owner while it waits); the digests still come in the
// order handed in, the same with one file in flight as with many.
TEST(DigestWindowTest, DigestsComeInTheOrderHandedInWhateverTheFilesInFlight) {
    const TempTree tree;
    const auto sizeOf = [](std::size_t i) { return i < 4 ? 2 * 1048576 + i : (i * 977) % 40000; };
    std::vector<std::string> names;
    std::vector<std::string> paths;
    for (unsigned i = 0; i < 120; ++i) {
        names.push_back("f" + std::to_string(i));
        paths.push_back(tree.rootBytes() + "/" + names.back());
        writeFile(paths.back(), sizeOf(i), i);
    }
    const std::vector<std::string> expected = ReferenceDigests("sha256", paths);
    ASSERT_EQ(expected.size(), paths.size());
    for (const auto& [inFlight, sizesKnown] :
         {std::pair{std::size_t{1}, false}, {std::size_t{16}, false}, {std::size_t{16}, true}}) {
        WorkerPool pool;
        DigestWindow window(pool, DigestAlgorithm::Sha256, DigestLink::NoFollow, inFlight);
        const auto folder = std::make_shared<const FolderDescriptor>(FolderDescriptor::open(
            AT_FDCWD, tree.rootBytes().c_str(), FolderDescriptor::Link::Follow));
        std::vector<std::string> got;
        for (std::size_t i = 0; i <= names.size(); ++i) {
            // At most 32 files handed in before the oldest is taken.
            while (window.size() > 0 && (window.size() >= 32 || i == names.size())) {
                while (!window.waitOldest(std::chrono::milliseconds(4))) {
                }
                got.push_back(window.takeOldest().hex);
            }
            if (i < names.size())
                window.push(folder, names[i],
                            sizesKnown ? static_cast<std::int64_t>(sizeOf(i))
                                       : DigestWindow::unknownSize);
        }
        EXPECT_EQ(got, expected) << inFlight << " in flight, sizes known: " << sizesKnown;
        EXPECT_EQ(window.folders(), 0u);
    }
}

TEST(DigestWindowTest, AStopEndsEveryReadAndLeavesNoDigest) {
    const TempTree tree;
    WorkerPool pool;
    DigestWindow window(pool, DigestAlgorithm::Sha256, DigestLink::NoFollow, 2);
    for (int i = 0; i < 4; ++i)
        window.push(nullptr, hugeSparseFile(tree, "huge" + std::to_string(i)));
    while (window.bytesRead() == 0)
        std::this_thread::yield();
    window.stop();
    for (int i = 0; i < 4; ++i) {
        EXPECT_TRUE(window.waitOldest(std::chrono::milliseconds(0)));
        EXPECT_EQ(window.takeOldest().outcome, Outcome::Stopped);
    }

    // Without a worker the owner reads the file itself, and its cancel stops it between pieces.
    ScanTuning noThreads;
    noThreads.busyWorkers = 0;
    noThreads.waitingWorkers = 0;
    WorkerPool none(noThreads);
    DigestWindow alone(none, DigestAlgorithm::Sha256, DigestLink::NoFollow, 2);
    alone.push(nullptr, tree.rootBytes() + "/huge0");
    int asked = 0;
    EXPECT_TRUE(alone.waitOldest(std::chrono::milliseconds(0), [&] { return ++asked < 3; }));
    EXPECT_EQ(alone.takeOldest().outcome, Outcome::Stopped);
    EXPECT_EQ(asked, 3);
    EXPECT_GT(alone.bytesRead(), 0);
}

// The stage between the walk and the output: every regular file of a tree of many folders and
// sizes with its digest, in the walk's order, links and pipes without one.
TEST(DigestStageTest, ASearchHandsOnEveryRegularFileWithItsDigest) {
    const TempTree tree;
    std::vector<std::string> relative;
    for (unsigned i = 0; i < 300; ++i) {
        const std::string folder = "d" + std::to_string(i % 7);
        tree.folder(QString::fromStdString(folder));
        relative.push_back(folder + "/f" + std::to_string(i));
        writeFile(tree.rootBytes() + "/" + relative.back(), i == 5 ? 3 * 1048576 : (i * 131) % 9000,
                  i);
    }
    tree.symlink(tree.path(QStringLiteral("d0/f0")), QStringLiteral("link"));
    ASSERT_EQ(::mkfifo((tree.rootBytes() + "/fifo").c_str(), 0644), 0);
    std::sort(relative.begin(), relative.end(), [](const std::string& a, const std::string& b) {
        return QString::fromStdString(a).toUpper() < QString::fromStdString(b).toUpper();
    });
    std::vector<std::string> paths;
    for (const std::string& path : relative)
        paths.push_back(tree.rootBytes() + "/" + path);
    const std::vector<std::string> digests = ReferenceDigests("sha256", paths);
    ASSERT_EQ(digests.size(), paths.size());
    std::vector<std::string> expected;
    for (std::size_t i = 0; i < paths.size(); ++i)
        expected.push_back(digests[i] + "  " + paths[i]);

    TSearchFiles settings;
    InitSearchFiles(settings);
    AddSearchFolder(settings, tree.root(), true);
    settings.Masks = QStringLiteral("*.*");
    ResultLines lines;
    SumsListing sums(lines, DigestAlgorithm::Sha256);
    SearchProgress progress;
    RunSearch(settings, sums, progress);
    std::vector<std::string> got;
    for (qsizetype i = 0; i < lines.size(); ++i)
        got.emplace_back(lines.view(i));
    EXPECT_EQ(got, expected);
}

TEST(SumsLineTest, PathsWithBackslashesAndLineEndsAreEscapedAndReadBack) {
    const std::string hex(64, 'a');
    std::string line;
    AppendSumsLine(line, hex, "d/", "plain name\twith tab");
    EXPECT_EQ(line, hex + "  d/plain name\twith tab");
    line.clear();
    AppendSumsLine(line, hex, "back\\slash/", "line\nend\rcr");
    EXPECT_EQ(line, "\\" + hex + "  back\\\\slash/line\\nend\\rcr");

    for (const std::string& name : {std::string("  leading blanks"), std::string("a\\n"),
                                    std::string("\xff\xfe invalid"), std::string("x\n\\\r")}) {
        line.clear();
        AppendSumsLine(line, hex, "dir/", name);
        ChecksumEntry entry;
        std::string reason;
        ASSERT_TRUE(ParseChecksumLine(line, entry, reason)) << reason;
        EXPECT_EQ(entry.path, "dir/" + name);
        EXPECT_EQ(entry.hex, hex);
    }
}

struct ReadLine {
    ChecksumListReader::Result result;
    std::size_t line;
    std::string text; // "algorithm hex path" or the reason

    bool operator==(const ReadLine&) const = default;
};

void PrintTo(const ReadLine& line, std::ostream* out) {
    *out << static_cast<int>(line.result) << " " << line.line << " " << line.text;
}

std::vector<ReadLine> readAll(int fd) {
    ChecksumListReader reader(fd);
    std::vector<ReadLine> lines;
    for (;;) {
        ChecksumEntry entry;
        std::string reason;
        const ChecksumListReader::Result result = reader.next(entry, reason);
        if (result == ChecksumListReader::Result::End ||
            result == ChecksumListReader::Result::ReadError)
            return lines;
        lines.push_back({result, entry.line,
                         result == ChecksumListReader::Result::Entry
                             ? std::string(DigestInfo(entry.algorithm).name) + " " + entry.hex +
                                   " " + entry.path
                             : reason});
    }
}

std::vector<ReadLine> readText(const std::string& text) {
    int ends[2];
    EXPECT_EQ(::pipe(ends), 0);
    std::thread writer([&] {
        EXPECT_EQ(::write(ends[1], text.data(), text.size()), static_cast<ssize_t>(text.size()));
        ::close(ends[1]);
    });
    std::vector<ReadLine> lines = readAll(ends[0]);
    writer.join();
    ::close(ends[0]);
    return lines;
}

TEST(ChecksumListTest, GnuAndTagLinesInTextAndBinaryModeWithTheirAlgorithms) {
    const std::string sha256(64, 'A');
    const std::string md5(32, 'b');
    const std::string sha1(40, 'c');
    const std::string sha512(128, 'd');
    const std::string text = sha256 + "  a file\r\n" +                   // 1: CR LF
                             md5 + " *bin/ary\n" +                       // 2: binary mode
                             "\\" + sha1 + "  x\\\\y\\nz\n" +            // 3: escaped
                             "\n# a comment\n" +                         // 4, 5
                             "SHA512 (tag (1).txt) = " + sha512 + "\n" + // 6
                             "\\MD5 (a\\\\b) = " + md5 + "\n" +          // 7
                             "/abs/../path is named as it is\n" +        // 8: malformed
                             std::string(63, 'e') + "  short\n" +        // 9
                             "BLAKE2 (f) = " + sha256 + "\n" +           // 10
                             "\\" + md5 + "  bad\\escape\n" +            // 11
                             sha256 + "  ../up/one";                     // 12, no final line end
    const std::string lowSha256(64, 'a');
    using R = ChecksumListReader::Result;
    const std::vector<ReadLine> expected{
        {R::Entry, 1, "sha256 " + lowSha256 + " a file"},
        {R::Entry, 2, "md5 " + md5 + " bin/ary"},
        {R::Entry, 3, "sha1 " + sha1 + " x\\y\nz"},
        {R::Entry, 6, "sha512 " + sha512 + " tag (1).txt"},
        {R::Entry, 7, "md5 " + md5 + " a\\b"},
        {R::Malformed, 8, "keine Prüfsummenzeile"},
        {R::Malformed, 9, "Prüfsumme mit 63 Hexadezimalziffern passt zu keinem Verfahren"},
        {R::Malformed, 10, "unbekanntes Verfahren \"BLAKE2\""},
        {R::Malformed, 11, "ungültiges \"\\\" im Dateinamen"},
        {R::Entry, 12, "sha256 " + lowSha256 + " ../up/one"},
    };
    EXPECT_EQ(readText(text), expected);
    EXPECT_TRUE(readText("").empty());
}

// A line of many megabytes is named and passed over; the reader never holds it.
TEST(ChecksumListTest, AnOverlongLineIsNamedAndTheRestStillRead) {
    const std::string md5(32, '0');
    const std::string text = std::string(8 * 1048576, 'x') + "\n" + md5 + "  after\n" +
                             std::string(ChecksumListReader::maxLineBytes + 1, 'y');
    using R = ChecksumListReader::Result;
    const std::vector<ReadLine> expected{
        {R::Malformed, 1, "länger als 65536 Bytes"},
        {R::Entry, 2, "md5 " + md5 + " after"},
        {R::Malformed, 3, "länger als 65536 Bytes"},
    };
    EXPECT_EQ(readText(text), expected);
}

} // namespace
