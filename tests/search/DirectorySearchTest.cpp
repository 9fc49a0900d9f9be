#include "base/Utf8Text.h"
#include "ScanHelpers.h"
#include "TempTree.h"
#include "walk/FolderSnapshot.h"
#include "walk/ScanTuning.h"
#include "walk/WorkerPool.h"

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <set>
#include <unistd.h>

namespace {

struct Listed {
    std::string name;
    bool directory;
    bool matched;
    std::int64_t size;
};

std::vector<Listed> read(const std::string& path, const QString& mask, bool sizes = true,
                         WorkerPool* pool = nullptr) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    EXPECT_GE(fd, 0) << path;
    FolderSnapshot snapshot;
    const MaskMatcher matcher(mask);
    EXPECT_TRUE(snapshot.readOpen(fd, {.mask = matcher, .sizes = sizes, .pool = pool})) << path;
    ::close(fd);
    std::vector<Listed> listed;
    for (std::size_t i = 0; i < snapshot.count(); ++i) {
        const auto& e = snapshot.entry(i);
        listed.push_back({std::string(snapshot.name(e)), e.directory, e.matched, e.size});
    }
    return listed;
}

std::vector<std::string> names(const std::vector<Listed>& listed) {
    std::vector<std::string> result;
    for (const auto& l : listed)
        result.push_back(l.name);
    return result;
}

TEST(DirectorySearch, DotEntriesFirstThenCaseInsensitiveNameOrder) {
    TempTree tree;
    for (const char* name : {"b.txt", "A.txt", "a.txt", "_x", "Z", "ä.txt", "10", "9"})
        tree.file(QString::fromUtf8(name));
    const auto listed = read(tree.rootBytes(), "*.*");
    // Upper-cased comparison puts "_" after the letters; equal keys fall back to the bytes.
    EXPECT_EQ(names(listed), (std::vector<std::string>{".", "..", "10", "9", "A.txt", "a.txt",
                                                       "b.txt", "Z", "_x", "ä.txt"}));
    EXPECT_TRUE(listed[0].directory);
    EXPECT_TRUE(listed[1].directory);

    // The same rule where names agree in their first 16 key bytes and differ after them,
    // in ASCII or beyond ("ı" is upper-cased to "I").
    TempTree longNames;
    for (const char* name : {"Gemeinsamer_Anfang_ä", "GEMEINSAMER_ANFANG_Ä", "gemeinsamer_anfang_b",
                             "Gemeinsamer_Anfang_ı", "gemeinsamer_anfang"})
        longNames.file(QString::fromUtf8(name));
    EXPECT_EQ(names(read(longNames.rootBytes(), "*.*")),
              (std::vector<std::string>{".", "..", "gemeinsamer_anfang", "gemeinsamer_anfang_b",
                                        "Gemeinsamer_Anfang_ı", "GEMEINSAMER_ANFANG_Ä",
                                        "Gemeinsamer_Anfang_ä"}));
}

// Names built from pieces that are hard on the order: long common starts beyond ASCII, letters
// whose upper-case form has another length ("ı" gives "I"), lone lead and continuation bytes.
// The folder's order is that of the upper-case keys, equal keys by their bytes.
TEST(DirectorySearch, OrderOfNamesWithLongCommonStartsBeyondAscii) {
    const std::vector<std::string> pieces = {
        "日本語テキスト", "ı", "I", "i", "\xC4", "\xB1", "ä", "Ä", "\xE3\x83", "a", "_", " ", "1"};
    TempTree tree;
    std::set<std::string> made;
    unsigned seed = 7;
    const auto next = [&seed](unsigned bound) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) % bound;
    };
    while (made.size() < 400) {
        std::string name = next(2) == 0 ? pieces[0] : std::string();
        for (unsigned n = 1 + next(5); n > 0; --n)
            name += pieces[next(static_cast<unsigned>(pieces.size()))];
        if (made.insert(name).second)
            tree.rawFile("", name, 0);
    }
    std::vector<std::string> expected(made.begin(), made.end());
    std::sort(expected.begin(), expected.end(), [](const std::string& a, const std::string& b) {
        const std::string keyA = UpperKey(a);
        const std::string keyB = UpperKey(b);
        return keyA != keyB ? keyA < keyB : a < b;
    });
    expected.insert(expected.begin(), {".", ".."});
    EXPECT_EQ(names(read(tree.rootBytes(), "*.*")), expected);
}

TEST(DirectorySearch, KindsAreTheEntriesOwnLinksAreNeverFollowed) {
    TempTree tree;
    tree.folder("dir");
    tree.file("file", 3);
    tree.symlink(tree.path("dir"), "link-to-dir");
    tree.symlink("missing", "dangling");
    const auto listed = read(tree.rootBytes(), "*.*");
    ASSERT_EQ(listed.size(), 6u);
    EXPECT_EQ(listed[2].name, "dangling");
    EXPECT_FALSE(listed[2].directory);
    EXPECT_EQ(listed[2].size, 7); // the link's own size: its target text
    EXPECT_EQ(listed[3].name, "dir");
    EXPECT_TRUE(listed[3].directory);
    EXPECT_EQ(listed[3].size, 0);
    EXPECT_EQ(listed[4].name, "file");
    EXPECT_EQ(listed[4].size, 3);
    EXPECT_EQ(listed[5].name, "link-to-dir");
    EXPECT_FALSE(listed[5].directory);
}

TEST(DirectorySearch, MaskMarksEntriesAndSizesOnlyWhereAsked) {
    TempTree tree;
    tree.file("a.txt", 5);
    tree.file("b.doc", 6);
    const auto withSizes = read(tree.rootBytes(), "*.TXT");
    EXPECT_TRUE(withSizes[2].matched);
    EXPECT_EQ(withSizes[2].size, 5);
    EXPECT_FALSE(withSizes[3].matched);
    EXPECT_EQ(withSizes[3].size, 0); // not matched: never asked for

    const auto without = read(tree.rootBytes(), "*.*", false);
    EXPECT_EQ(without[2].size, 0);
}

// Past some thousands of entries helper threads share the size reads, run by run; every entry
// still gets its own size, and entries the mask leaves out none.
// Read by the calling thread alone, shared with workers in long runs (a huge folder), and one
// entry at a time (slow reads).
TEST(DirectorySearch, SizesOfAHugeFolderReadByOneThreadOrSharedInRuns) {
    TempTree tree;
    const int count = 9300;
    char name[32];
    for (int i = 0; i < count; ++i) {
        std::snprintf(name, sizeof name, "f%05d.%s", i, i % 10 == 0 ? "txt" : "dat");
        tree.rawFile("", name, i % 13);
    }
    WorkerPool longRuns;
    WorkerPool singleEntries(AsOnASlowShare());
    for (WorkerPool* pool : {static_cast<WorkerPool*>(nullptr), &longRuns, &singleEntries}) {
        const auto listed = read(tree.rootBytes(), "*.dat", true, pool);
        ASSERT_EQ(listed.size(), std::size_t{count} + 2);
        for (int i = 0; i < count; ++i) {
            const Listed& entry = listed[static_cast<std::size_t>(i) + 2];
            const bool matched = i % 10 != 0;
            ASSERT_EQ(entry.matched, matched) << entry.name;
            ASSERT_EQ(entry.size, matched ? i % 13 : 0) << entry.name;
        }
    }
}

// The folder the user names may be a link; below it, links are never followed.
TEST(DirectorySearch, StartFolderMayBeALinkButDescentsNeverFollowOne) {
    TempTree tree;
    tree.file("real/x", 1);
    tree.symlink(tree.path("real"), "link");
    tree.symlink(tree.path("real"), "real/again");
    const QString link = tree.path("link") + "/";
    EXPECT_EQ(Scan(link, "*.*", {.recursive = true, .fullPath = true, .extended = false}),
              QStringList({link + ".", link + "..", link + "again", link + "x"}));
}

} // namespace
