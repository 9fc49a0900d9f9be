#include "compare/PathSet.h"

#include "base/Utf8Text.h"
#include "compare/FolderKey.h"
#include "compare/ListingLineParser.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <numeric>
#include <unordered_set>

namespace {

// The place of a byte in path order: "/" before every other byte, the others as unsigned.
int pathRank(char byte) {
    return byte == '/' ? -1 : static_cast<unsigned char>(byte);
}

// Compares the first `count` bytes of a and b in path order.
int comparePathBytes(const char* a, const char* b, std::size_t count) {
    if (std::memcmp(a, b, count) == 0)
        return 0;
    const auto [at, bt] = std::mismatch(a, a + count, b);
    return pathRank(*at) < pathRank(*bt) ? -1 : 1;
}

// Compares a1 + a2 with b1 + b2 in path order without joining them.
int compareJoined(std::string_view a1, std::string_view a2, std::string_view b1,
                  std::string_view b2) {
    for (;;) {
        if (a1.empty())
            std::swap(a1, a2);
        if (b1.empty())
            std::swap(b1, b2);
        if (a1.empty() || b1.empty())
            return (a1.empty() ? 0 : 1) - (b1.empty() ? 0 : 1);
        const std::size_t common = std::min(a1.size(), b1.size());
        if (const int order = comparePathBytes(a1.data(), b1.data(), common); order != 0)
            return order;
        a1.remove_prefix(common);
        b1.remove_prefix(common);
    }
}

} // namespace

void PathSet::startBlock(std::string_view folderText) {
    if (folders_.empty() || folders_.back() != folderText)
        folders_.emplace_back(folderText);
    blockFolders_.push_back(static_cast<std::uint32_t>(folders_.size() - 1));
}

void PathSet::add(std::string_view name, const EntryFacts& facts) {
    if (blockFolders_.empty())
        startBlock({});
    Entry entry{};
    entry.nameStart = names_.size();
    entry.size = facts.size;
    entry.seconds = facts.modified.seconds;
    entry.nameLength = static_cast<std::uint32_t>(name.size());
    entry.folder = blockFolders_.back();
    entry.block = static_cast<std::uint32_t>(blockFolders_.size() - 1);
    entry.nanoseconds = facts.modified.nanoseconds;
    entry.line = static_cast<std::uint32_t>(
        std::clamp<long long>(facts.line, 0, std::numeric_limits<std::uint32_t>::max()));
    entry.kind = facts.kind;
    entry.exactName = facts.exactName;
    entry.timeKnown = facts.timeKnown;
    entry.hasDigest = !facts.digest.empty() && facts.digest.size() <= 2 * 255;
    entry.digestLength = static_cast<std::uint8_t>(entry.hasDigest ? facts.digest.size() / 2 : 0);
    entries_.push_back(entry);
    names_.append(name);
    if (entry.hasDigest)
        names_.append(facts.digest.substr(0, 2 * std::size_t{entry.digestLength}));
}

void PathSet::finish() {
    rankFolders();
    // A listing comes mostly in order already, which a merge sort uses; being stable, it keeps
    // equal paths in the order listed, so the first listing of an entry comes first.
    std::stable_sort(entries_.begin(), entries_.end(),
                     [this](const Entry& a, const Entry& b) { return pathOrder(a, b) < 0; });
    mergeEqualPaths();
    markBelowShownAlike();
    entries_.shrink_to_fit();
}

// Equal paths stand next to each other in block order. Within one block a name is listed once,
// so two equal paths there are two names shown alike, or the same entry twice where a simple
// listing of one folder for two masks runs together (then both names are exact).
void PathSet::mergeEqualPaths() {
    std::size_t kept = 0;
    for (std::size_t i = 0; i < entries_.size();) {
        Entry merged = entries_[i];
        std::size_t next = i + 1;
        for (; next < entries_.size() && pathOrder(entries_[next], merged) == 0; ++next) {
            const Entry& previous = entries_[next - 1];
            const Entry& repeat = entries_[next];
            const bool sameBlock = repeat.block == previous.block;
            const bool alike = sameBlock && !(repeat.exactName && previous.exactName);
            if (alike)
                merged.shownAlike = true;
            if (repeat.kind != merged.kind) {
                merged.shownAlike = true;
                merged.kind = EntryKind::Unknown;
            } else if (!alike && factsDiffer(merged, repeat)) {
                if (!merged.listedDifferently)
                    differentListings_.push_back({merged.line, repeat.line});
                merged.listedDifferently = true;
            }
            merged.listedDifferently = merged.listedDifferently || repeat.listedDifferently;
        }
        // Entries shown alike are open as such, whatever their listings say.
        merged.listedDifferently = merged.listedDifferently && !merged.shownAlike;
        entries_[kept++] = merged;
        i = next;
    }
    entries_.resize(kept);
    std::sort(differentListings_.begin(), differentListings_.end(),
              [](const DifferentListing& a, const DifferentListing& b) {
                  return a.firstLine < b.firstLine;
              });
}

// Two listings of one entry that give it other sizes, times or digests.
bool PathSet::factsDiffer(const Entry& a, const Entry& b) const {
    const bool sizes = a.size != unknownSize && b.size != unknownSize && a.size != b.size;
    const bool times =
        a.timeKnown && b.timeKnown && (a.seconds != b.seconds || a.nanoseconds != b.nanoseconds);
    const auto digestOf = [this](const Entry& entry) {
        return names_.view().substr(entry.nameStart + entry.nameLength,
                                    entry.digestLength * std::size_t{2});
    };
    const bool digests = a.hasDigest && b.hasDigest && digestOf(a) != digestOf(b);
    return sizes || times || digests;
}

std::pair<long long, long long> PathSet::differingLines(std::size_t i) const {
    const std::uint32_t line = entries_[i].line;
    const auto found = std::lower_bound(differentListings_.begin(), differentListings_.end(), line,
                                        [](const DifferentListing& listing, std::uint32_t first) {
                                            return listing.firstLine < first;
                                        });
    if (line == 0 || found == differentListings_.end() || found->firstLine != line)
        return {0, 0};
    return {found->firstLine, found->otherLine};
}

// Two folders shown alike list their entries under the same folder text, so no path below them
// tells which of the two it lies in.
void PathSet::markBelowShownAlike() {
    std::vector<std::string> alike;
    for (const Entry& entry : entries_) {
        if (entry.shownAlike && !IsFileLike(entry.kind))
            alike.push_back(std::string(folderOf(entry)) + std::string(nameOf(entry)) + "/");
    }
    if (alike.empty())
        return;
    std::sort(alike.begin(), alike.end());
    // Without the texts below another one, the last text not greater than a folder text is the
    // only one that can start it.
    std::vector<std::string> outer;
    for (std::string& text : alike) {
        if (outer.empty() || !text.starts_with(outer.back()))
            outer.push_back(std::move(text));
    }
    std::vector<bool> below(folders_.size(), false);
    for (std::size_t f = 0; f < folders_.size(); ++f) {
        const auto after = std::upper_bound(outer.begin(), outer.end(), folders_[f]);
        below[f] = after != outer.begin() && folders_[f].starts_with(*std::prev(after));
    }
    for (Entry& entry : entries_)
        entry.belowShownAlike = below[entry.folder];
}

// Ranks the folder texts once, so that sorting a million entries mostly compares two numbers.
void PathSet::rankFolders() {
    std::vector<std::uint32_t> order(folders_.size());
    for (std::uint32_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::sort(order.begin(), order.end(), [this](std::uint32_t a, std::uint32_t b) {
        return compareJoined(folders_[a], {}, folders_[b], {}) < 0;
    });
    rank_.assign(folders_.size(), 0);
    std::vector<std::uint32_t> firstOfRank; // the folder that stands for each rank
    for (std::uint32_t place = 0; place < order.size(); ++place) {
        if (place == 0 || folders_[order[place]] != folders_[firstOfRank.back()])
            firstOfRank.push_back(order[place]);
        rank_[order[place]] = static_cast<std::uint32_t>(firstOfRank.size() - 1);
    }
    // The texts that start with a given text follow it directly in path order.
    lastBelow_.assign(firstOfRank.size(), 0);
    for (std::uint32_t r = 0; r < firstOfRank.size(); ++r) {
        const std::string_view text = folders_[firstOfRank[r]];
        std::uint32_t last = r;
        while (last + 1 < firstOfRank.size() &&
               std::string_view(folders_[firstOfRank[last + 1]]).starts_with(text))
            ++last;
        lastBelow_[r] = last;
    }
}

// Path order within the set. Entries of one folder compare by name. Of two folders where neither
// text starts with the other, the paths differ inside the folder texts, so the folders' ranks
// decide. Only an entry of a folder against one of its subfolders compares bytes across the two.
int PathSet::pathOrder(const Entry& a, const Entry& b) const {
    const std::uint32_t rankA = rank_[a.folder];
    const std::uint32_t rankB = rank_[b.folder];
    if (rankA == rankB)
        return compareJoined(nameOf(a), {}, nameOf(b), {});
    if (rankA < rankB) {
        if (rankB > lastBelow_[rankA])
            return -1;
        return compareJoined(nameOf(a), {}, folderOf(b).substr(folderOf(a).size()), nameOf(b));
    }
    if (rankA > lastBelow_[rankB])
        return 1;
    return compareJoined(folderOf(a).substr(folderOf(b).size()), nameOf(a), nameOf(b), {});
}

std::string PathSet::path(std::size_t i) const {
    std::string text(folderOf(entries_[i]));
    text.append(nameOf(entries_[i]));
    if (entries_[i].kind == EntryKind::Folder)
        text.push_back('/');
    return exactBytes_ ? DisplayText(text) : text;
}

std::string PathSet::heldPath(std::size_t i) const {
    std::string text(folderOf(entries_[i]));
    text.append(nameOf(entries_[i]));
    return text;
}

// Each block again under the folder text that `folderText` makes of it, with the entries it
// lists first, each under the name and exactness that `name` gives, so that the new set merges
// and marks them as a listing read back would.
template <typename FolderText, typename Name>
PathSet PathSet::rebuilt(FolderText&& folderText, Name&& name) const {
    std::vector<std::size_t> byBlock(entries_.size());
    std::iota(byBlock.begin(), byBlock.end(), std::size_t{0});
    std::stable_sort(byBlock.begin(), byBlock.end(), [this](std::size_t a, std::size_t b) {
        return entries_[a].block < entries_[b].block;
    });
    PathSet set;
    set.differentListings_ = differentListings_;
    std::size_t next = 0;
    std::string held;
    for (std::uint32_t block = 0; block < blockFolders_.size(); ++block) {
        set.startBlock(folderText(blockFolderText(block)));
        for (; next < byBlock.size() && entries_[byBlock[next]].block == block; ++next) {
            const Entry& entry = entries_[byBlock[next]];
            EntryFacts facts{.kind = entry.kind,
                             .size = entry.size,
                             .exactName = entry.exactName,
                             .timeKnown = entry.timeKnown,
                             .modified = {entry.seconds, entry.nanoseconds},
                             .line = entry.line,
                             .digest = digest(byBlock[next])};
            const std::string_view newName = name(nameOf(entry), held, facts.exactName);
            set.add(newName, facts);
            set.entries_.back().listedDifferently = entry.listedDifferently;
        }
    }
    set.finish();
    return set;
}

// The names as a listing shows them, without trailing blanks.
PathSet PathSet::shownForm() const {
    return rebuilt([](std::string_view folder) { return FolderKey(DisplayText(folder)); },
                   [](std::string_view raw, std::string& column, bool& exact) {
                       column = DisplayText(raw);
                       const std::string_view name = WithoutFill(column);
                       exact = ShownNameIsExact(column, name);
                       return name;
                   });
}

PathSet PathSet::below(std::string_view start) const {
    PathSet set = rebuilt(
        [start](std::string_view folder) {
            return std::string(folder.starts_with(start) ? folder.substr(start.size()) : folder);
        },
        [](std::string_view raw, std::string&, bool&) { return raw; });
    set.exactBytes_ = exactBytes_;
    return set;
}

// A simple listing names a folder's path as an entry of the folder above it, and gives it a
// block of its own when it lists what the folder holds (its "." at least, which the mask "*.*"
// matches).
void PathSet::knowFoldersByTheirEntries() {
    std::unordered_set<std::string_view> listed(folders_.begin(), folders_.end());
    std::string path;
    for (Entry& entry : entries_) {
        if (entry.kind != EntryKind::Unknown)
            continue;
        path.assign(folderOf(entry)).append(nameOf(entry)).push_back('/');
        if (listed.contains(path))
            entry.kind = EntryKind::Folder;
    }
}

PathSet PathSet::withFolderTexts(const std::function<std::string(std::string_view)>& key) const {
    PathSet keyed = *this;
    for (std::string& folder : keyed.folders_)
        folder = key(folder);
    keyed.finish();
    return keyed;
}

int PathSet::compare(std::size_t i, const PathSet& other, std::size_t j) const {
    return compareEntries(entries_[i], other, other.entries_[j]);
}

int PathSet::compareEntries(const Entry& a, const PathSet& other, const Entry& b) const {
    if (&other == this && a.folder == b.folder)
        return compareJoined(nameOf(a), {}, other.nameOf(b), {});
    return compareJoined(folderOf(a), nameOf(a), other.folderOf(b), other.nameOf(b));
}
