#include "PathSet.h"

#include <algorithm>
#include <cstring>

namespace {

// Compares a1 + a2 with b1 + b2 as byte strings without joining them.
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
        const int order = std::memcmp(a1.data(), b1.data(), common);
        if (order != 0)
            return order < 0 ? -1 : 1;
        a1.remove_prefix(common);
        b1.remove_prefix(common);
    }
}

} // namespace

void PathSet::enterFolder(std::string_view folderText) {
    if (folders_.back() != folderText)
        folders_.emplace_back(folderText);
    currentFolder_ = static_cast<std::uint32_t>(folders_.size() - 1);
}

void PathSet::add(std::string_view name, std::int64_t size) {
    entries_.push_back(
        {names_.size(), static_cast<std::uint32_t>(name.size()), currentFolder_, size});
    names_.append(name);
}

void PathSet::addPath(std::string_view path, std::int64_t size) {
    entries_.push_back({names_.size(), static_cast<std::uint32_t>(path.size()), 0, size});
    names_.append(path);
}

void PathSet::finish() {
    rankFolders();
    // A listing comes mostly in order already, which a merge sort uses; being stable, it keeps
    // the first of equal paths in front.
    std::stable_sort(entries_.begin(), entries_.end(),
                     [this](const Entry& a, const Entry& b) { return pathOrder(a, b) < 0; });
    const auto repeated =
        std::unique(entries_.begin(), entries_.end(),
                    [this](const Entry& a, const Entry& b) { return pathOrder(a, b) == 0; });
    entries_.erase(repeated, entries_.end());
    entries_.shrink_to_fit();
}

// Ranks the folder texts once, so that sorting a million entries mostly compares two numbers.
void PathSet::rankFolders() {
    std::vector<std::uint32_t> order(folders_.size());
    for (std::uint32_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::sort(order.begin(), order.end(),
              [this](std::uint32_t a, std::uint32_t b) { return folders_[a] < folders_[b]; });
    rank_.assign(folders_.size(), 0);
    std::vector<std::uint32_t> firstOfRank; // the folder that stands for each rank
    for (std::uint32_t place = 0; place < order.size(); ++place) {
        if (place == 0 || folders_[order[place]] != folders_[firstOfRank.back()])
            firstOfRank.push_back(order[place]);
        rank_[order[place]] = static_cast<std::uint32_t>(firstOfRank.size() - 1);
    }
    // The texts that start with a given text follow it directly in byte order.
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
    return text;
}

bool PathSet::isFolder(std::size_t i) const {
    const std::string_view name = nameOf(entries_[i]);
    return !name.empty() && name.back() == '/';
}

int PathSet::compare(std::size_t i, const PathSet& other, std::size_t j) const {
    return compareEntries(entries_[i], other, other.entries_[j]);
}

int PathSet::compareEntries(const Entry& a, const PathSet& other, const Entry& b) const {
    if (&other == this && a.folder == b.folder)
        return compareJoined(nameOf(a), {}, other.nameOf(b), {});
    return compareJoined(folderOf(a), nameOf(a), other.folderOf(b), other.nameOf(b));
}
