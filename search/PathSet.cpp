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
    std::stable_sort(entries_.begin(), entries_.end(), [this](const Entry& a, const Entry& b) {
        return compareEntries(a, *this, b) < 0;
    });
    const auto repeated =
        std::unique(entries_.begin(), entries_.end(), [this](const Entry& a, const Entry& b) {
            return compareEntries(a, *this, b) == 0;
        });
    entries_.erase(repeated, entries_.end());
    entries_.shrink_to_fit();
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
