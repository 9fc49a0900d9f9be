#include "base/Utf8Text.h"
#include "compare/ListingComparison.h"
#include "QtPrinters.h"
#include "ScanHelpers.h"
#include "TempTree.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace {

// Random trees, changed at random between two listings, against a model of what the comparison
// must report. Names mix blanks, control characters, bytes that are not UTF-8, "?" and U+FFFD as
// written, and letters whose case changes; files turn into folders and back. Seeded, so every run
// builds the same trees.

const std::vector<std::string> nameParts = {
    "a", "b", "A", "B", "x", " ", "?", "\t", "\xFF", "\xFE", "\xEF\xBF\xBD", "\xC3\xBC", ".", "1"};

struct Node {
    bool folder = false;
    std::int64_t size = 0;
};

// The tree by raw relative path ("d/x"); a folder's contents follow it in path order.
using Tree = std::map<std::string, Node>;

class RandomTree {
public:
    explicit RandomTree(unsigned seed) : random_(seed) {}

    std::string name() {
        for (;;) {
            std::string name;
            const int parts = pick(1, 3);
            for (int i = 0; i < parts; ++i)
                name += nameParts[std::size_t(pick(0, int(nameParts.size()) - 1))];
            if (pick(0, 9) == 0)
                name += std::string(std::size_t(pick(46, 52)), 'n') + " ";
            // "." and ".." (also as a folder name that shows so once its blanks are gone) name
            // the folder itself and its parent in a listing.
            const std::string shown = DisplayText(name);
            const std::string bare = shown.substr(0, shown.find_last_not_of(' ') + 1);
            if (bare != "." && bare != ".." && !bare.empty())
                return name;
        }
    }

    int pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }

    // A folder of the tree (or "" for the root) at random.
    std::string folderOf(const Tree& tree) {
        std::vector<std::string> folders{""};
        for (const auto& [path, node] : tree) {
            if (node.folder)
                folders.push_back(path);
        }
        return folders[std::size_t(pick(0, int(folders.size()) - 1))];
    }

    std::string entryOf(const Tree& tree) {
        auto it = tree.begin();
        std::advance(it, pick(0, int(tree.size()) - 1));
        return it->first;
    }

private:
    std::mt19937 random_;
};

std::string join(const std::string& folder, const std::string& name) {
    return folder.empty() ? name : folder + "/" + name;
}

void removeBelow(Tree& tree, const std::string& path) {
    for (auto it = tree.lower_bound(path + "/");
         it != tree.end() && it->first.starts_with(path + "/");)
        it = tree.erase(it);
}

// Makes the tree on disk what the model says, from scratch.
void writeTree(const TempTree& disk, const Tree& tree) {
    std::filesystem::path root(disk.rootBytes());
    for (const auto& entry : std::filesystem::directory_iterator(root))
        std::filesystem::remove_all(entry.path());
    for (const auto& [path, node] : tree) {
        if (node.folder)
            std::filesystem::create_directory(root / path);
        else
            disk.rawFile("", path, node.size);
    }
}

void changeAtRandom(RandomTree& random, Tree& tree) {
    const int changes = random.pick(1, 8);
    for (int c = 0; c < changes && !tree.empty(); ++c) {
        const std::string path = random.entryOf(tree);
        Node& node = tree[path];
        switch (random.pick(0, 5)) {
        case 0: // gone, with everything below
            removeBelow(tree, path);
            tree.erase(path);
            break;
        case 1: // new
            tree.try_emplace(join(random.folderOf(tree), random.name()),
                             Node{random.pick(0, 1) == 1, random.pick(0, 99)});
            break;
        case 2: // another size
            if (!node.folder)
                node.size = random.pick(0, 99);
            break;
        case 3: { // a letter changes its case
            const std::size_t slash = path.rfind('/');
            std::string renamed = path;
            for (std::size_t i = slash == std::string::npos ? 0 : slash + 1; i < renamed.size();
                 ++i) {
                if (renamed[i] == 'a' || renamed[i] == 'A') {
                    renamed[i] ^= 0x20;
                    break;
                }
            }
            if (renamed != path && !node.folder && !tree.contains(renamed)) {
                tree[renamed] = node;
                tree.erase(path);
            }
            break;
        }
        default: // a file turns into a folder, or a folder into a file
            removeBelow(tree, path);
            node = {!node.folder, random.pick(0, 99)};
            if (node.folder && random.pick(0, 1) == 1)
                tree.try_emplace(join(path, random.name()), Node{false, random.pick(0, 99)});
            break;
        }
    }
}

// What a list shows of an entry: the folder as the listing shows it, the name without its
// trailing blanks.
struct Shown {
    std::string folder;
    std::string name;
    std::string key() const { return folder + name; }
};

Shown shownOf(const std::string& root, const std::string& path) {
    const std::size_t slash = path.rfind('/');
    const std::string parent = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    const std::string name = DisplayText(path.substr(slash == std::string::npos ? 0 : slash + 1));
    const std::size_t end = name.find_last_not_of(' ');
    return {DisplayText(root + "/" + parent),
            name.substr(0, end == std::string::npos ? 1 : end + 1)};
}

struct ModelEntry {
    bool folder = false;
    std::int64_t size = 0;
    bool alike = false; // stands for several entries, or lies below such a folder
    // The shown name loses blanks at its end, so a simple listing cannot tie the folder to the
    // entries below it and leaves its kind unknown.
    bool blankEnd = false;
};

// The list's view of the tree: entries by shown path, those that several entries share marked,
// and with them everything below them.
std::map<std::string, ModelEntry> model(const std::string& root, const Tree& tree) {
    std::map<std::string, ModelEntry> shown;
    std::map<std::string, int> count;
    for (const auto& [path, node] : tree) {
        const std::string key = shownOf(root, path).key();
        if (++count[key] == 1)
            shown[key] = {node.folder, node.size, false, DisplayText(path).ends_with(' ')};
        else
            shown[key].alike = true;
    }
    for (auto& [key, entry] : shown) {
        for (const auto& [other, otherEntry] : shown) {
            if (otherEntry.alike && otherEntry.folder && key.starts_with(other + "/"))
                entry.alike = true;
        }
        // Alike entries of two kinds are folders for what lies below them.
        if (entry.alike)
            entry.folder = entry.folder || count[key] > 1;
    }
    return shown;
}

struct Expected {
    QStringList lines;
    bool complete = true;
};

Expected expectedDifferences(const std::map<std::string, ModelEntry>& before,
                             const std::map<std::string, ModelEntry>& after, bool sizesBefore,
                             bool sizesAfter) {
    Expected expected;
    std::set<std::string> keys;
    for (const auto& [key, entry] : before)
        keys.insert(key);
    for (const auto& [key, entry] : after)
        keys.insert(key);
    // A simple listing knows a folder by the entries it lists below it ("<folder>/."), but
    // not a file from a folder it could not read: its files' kind stays unknown.
    const auto kindKnown = [](const ModelEntry& entry, bool withSizes) {
        return withSizes || (entry.folder && !entry.blankEnd);
    };
    const auto line = [&kindKnown](char mark, const std::string& key, const ModelEntry& entry,
                                   bool withSizes) {
        QString text = QString(QChar::fromLatin1(mark)) + ' ' + QString::fromStdString(key);
        if (entry.folder && kindKnown(entry, withSizes))
            text += '/';
        else if (withSizes)
            text += QStringLiteral(" (%1 Bytes)").arg(entry.size);
        return text;
    };
    for (const std::string& key : keys) {
        const auto b = before.find(key);
        const auto a = after.find(key);
        const bool inBefore = b != before.end();
        const bool inAfter = a != after.end();
        if ((inBefore && b->second.alike) || (inAfter && a->second.alike)) {
            expected.complete = false;
            continue;
        }
        if (!inAfter) {
            expected.lines.append(line('-', key, b->second, sizesBefore));
        } else if (!inBefore) {
            expected.lines.append(line('+', key, a->second, sizesAfter));
        } else if (kindKnown(b->second, sizesBefore) && kindKnown(a->second, sizesAfter) &&
                   a->second.folder != b->second.folder) {
            expected.lines.append(line('-', key, b->second, sizesBefore));
            expected.lines.append(line('+', key, a->second, sizesAfter));
        } else if (sizesBefore && sizesAfter && !a->second.folder &&
                   a->second.size != b->second.size) {
            expected.lines.append(QStringLiteral("~ %1 (%2 -> %3 Bytes)")
                                      .arg(QString::fromStdString(key))
                                      .arg(b->second.size)
                                      .arg(a->second.size));
        }
    }
    return expected;
}

TEST(RandomComparisonTest, ReportsExactlyWhatChangedOrLeavesItOpen) {
    constexpr int rounds = 60;
    for (int round = 0; round < rounds; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        RandomTree random(unsigned(round) * 7919u + 1u);
        Tree tree;
        const int entries = random.pick(4, 30);
        for (int i = 0; i < entries; ++i)
            tree.try_emplace(join(random.folderOf(tree), random.name()),
                             Node{random.pick(0, 3) == 0, random.pick(0, 99)});
        // Forms by round: both extended, both simple, and one of each either way round.
        const bool extendedBefore = round % 4 < 2;
        const bool extendedAfter = round % 4 == 0 || round % 4 == 3;
        TempTree disk;
        const auto listing = [&disk](bool extended) {
            return ReadListingText(extended ? SavedListingText(disk.root())
                                            : SimpleListingText(disk.root()));
        };
        writeTree(disk, tree);
        const SavedListing before = listing(extendedBefore);
        const auto modelBefore = model(disk.rootBytes(), tree);
        changeAtRandom(random, tree);
        writeTree(disk, tree);
        const SavedListing after = listing(extendedAfter);
        const auto modelAfter = model(disk.rootBytes(), tree);
        ASSERT_TRUE(before.error.isEmpty() && after.error.isEmpty());

        const Expected expected =
            expectedDifferences(modelBefore, modelAfter, extendedBefore, extendedAfter);
        const ListingComparison comparison(before, after);
        ResultLines lines;
        comparison.appendDifferences(lines);
        EXPECT_EQ(LinesOf(lines), expected.lines);
        EXPECT_EQ(comparison.complete(), expected.complete);
        EXPECT_EQ(comparison.added() + comparison.removed() + comparison.changed(),
                  expected.lines.size());
    }
}

} // namespace
