#include "snapshot/SnapshotTree.h"

#include "base/PathText.h"
#include "base/Utf8Text.h"

#include <algorithm>
#include <numeric>

namespace {

// The folder text that the search gives a searched folder: its path, ending in "/".
std::string folderTextOf(const QString& folder) {
    const QByteArray bytes = PathTextBytes(folder);
    std::string text(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    if (text.back() != '/')
        text.push_back('/');
    return text;
}

// The text of the folder above: "a/b/" gives "a/", "/a/" gives "/"; nothing for "a/" or "/".
std::string_view parentText(std::string_view text) {
    if (text.size() < 2)
        return {};
    const std::size_t slash = text.rfind('/', text.size() - 2);
    return slash == std::string_view::npos ? std::string_view() : text.substr(0, slash + 1);
}

// A folder's name in its parent: "a/b/" gives "b". A folder at the top keeps its path, without
// the final "/" unless it is "/".
std::string_view nameIn(std::string_view text, bool top) {
    if (top)
        return text.size() > 1 ? text.substr(0, text.size() - 1) : text;
    const std::string_view parent = parentText(text);
    return text.substr(parent.size(), text.size() - parent.size() - 1);
}

// The positions 0 to count - 1 in the listing's order of their names: by upper-case key, ties
// by the bytes.
template <typename NameAt> std::vector<std::size_t> listingOrder(std::size_t count, NameAt nameAt) {
    std::vector<std::string> keys(count);
    for (std::size_t i = 0; i < count; ++i)
        keys[i] = UpperKey(nameAt(i));
    std::vector<std::size_t> order(count);
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        if (keys[a] != keys[b])
            return keys[a] < keys[b];
        return nameAt(a) < nameAt(b);
    });
    return order;
}

} // namespace

SnapshotTree::SnapshotTree(const TSearchFiles& settings, ExtraTexts extraTexts)
    : extraTexts_(std::move(extraTexts)) {
    // The search passes over an empty folder text.
    std::vector<std::string> texts;
    for (qsizetype i = 0; i < settings.Folders.size(); ++i) {
        if (settings.Folders.at(i).isEmpty())
            continue;
        std::string text = folderTextOf(settings.Folders.at(i));
        auto [found, fresh] = searchedTexts_.emplace(text, IsFolderRecursive(settings, i));
        found->second = found->second || IsFolderRecursive(settings, i);
        if (fresh)
            texts.push_back(std::move(text));
    }
    // A searched folder inside another one hangs below it: the shorter texts come first.
    std::vector<std::string> byLength = texts;
    std::stable_sort(
        byLength.begin(), byLength.end(),
        [](const std::string& a, const std::string& b) { return a.size() < b.size(); });
    for (const std::string& text : byLength)
        folderOf(text);
    // The folders at the top in the order they were given.
    tops_.clear();
    for (const std::string& text : texts) {
        const int index = byText_.at(text);
        if (folders_[static_cast<std::size_t>(index)].parent < 0)
            tops_.push_back(index);
    }
}

RecordSink::Needs SnapshotTree::needs() const {
    return {.sizes = true, .times = true, .foldersFirst = true};
}

// The folder of `folderText`, made with the folders above it that are missing. A folder with no
// known folder above it is at the top.
int SnapshotTree::folderOf(std::string_view folderText) {
    std::vector<std::string_view> missing;
    int parent = -1;
    for (std::string_view text = folderText; !text.empty(); text = parentText(text)) {
        if (const auto found = byText_.find(std::string(text)); found != byText_.end()) {
            parent = found->second;
            break;
        }
        missing.push_back(text);
    }
    if (missing.empty())
        return parent;
    if (parent < 0) {
        // Nothing above is known: the folder itself is at the top.
        missing.resize(1);
    }
    for (auto text = missing.rbegin(); text != missing.rend(); ++text)
        parent = addFolder(*text, parent);
    return parent;
}

int SnapshotTree::addFolder(std::string_view folderText, int parent) {
    const int index = static_cast<int>(folders_.size());
    Folder folder;
    folder.name = nameIn(folderText, parent < 0);
    folder.parent = parent;
    folders_.push_back(std::move(folder));
    if (parent >= 0)
        folders_[static_cast<std::size_t>(parent)].children.push_back(index);
    else
        tops_.push_back(index);
    byText_.emplace(std::string(folderText), index);
    return index;
}

void SnapshotTree::beginFolder(std::string_view folderText) {
    current_ = folderOf(folderText);
    ++folders_[static_cast<std::size_t>(current_)].visits;
    text_.assign(folderText);
}

void SnapshotTree::entry(const EntryRecord& record) {
    if (record.kind == EntryRecord::Kind::Dot)
        return;
    if (record.kind == EntryRecord::Kind::Folder) {
        const std::size_t folderLength = text_.size();
        text_.append(record.name);
        text_.push_back('/');
        Folder& sub = folders_[static_cast<std::size_t>(folderOf(text_))];
        text_.resize(folderLength);
        sub.timeKnown = true;
        sub.seconds = record.modified.seconds;
        return;
    }
    Folder& folder = folders_[static_cast<std::size_t>(current_)];
    File file;
    file.nameOffset = folder.names.size();
    file.nameLength = static_cast<std::uint32_t>(record.name.size());
    file.extraOffset = folder.extras.size();
    file.size = record.size;
    file.seconds = record.modified.seconds;
    folder.names.append(record.name);
    if (extraTexts_)
        extraTexts_(record, folder.extras);
    folder.files.push_back(file);
}

void SnapshotTree::endFolder() {}

void SnapshotTree::endRun() {}

std::string_view SnapshotTree::fileName(const Folder& folder, const File& file) const {
    return std::string_view(folder.names).substr(file.nameOffset, file.nameLength);
}

void SnapshotTree::markSearched(int index, bool withSubfolders) {
    std::vector<int> pending{index};
    while (!pending.empty()) {
        Folder& folder = folders_[static_cast<std::size_t>(pending.back())];
        pending.pop_back();
        folder.searched = true;
        if (withSubfolders)
            pending.insert(pending.end(), folder.children.begin(), folder.children.end());
    }
}

// Subfolders in the listing's order; files too where several visits of the folder each added
// theirs, each file once.
void SnapshotTree::putInOrder(Folder& folder) {
    const std::vector<int> children = folder.children;
    const auto childName = [&](std::size_t i) -> std::string_view {
        return folders_[static_cast<std::size_t>(children[i])].name;
    };
    const std::vector<std::size_t> childOrder = listingOrder(children.size(), childName);
    for (std::size_t i = 0; i < children.size(); ++i)
        folder.children[i] = children[childOrder[i]];
    if (folder.visits < 2)
        return;
    const auto name = [&](std::size_t i) { return fileName(folder, folder.files[i]); };
    std::vector<File> files;
    for (const std::size_t i : listingOrder(folder.files.size(), name)) {
        if (files.empty() || fileName(folder, files.back()) != name(i))
            files.push_back(folder.files[i]);
    }
    folder.files = std::move(files);
}

void SnapshotTree::finish(const RunOutcome& outcome) {
    const auto mark = [this](const std::vector<RunOutcome::Folder>& unread, bool Folder::*flag) {
        for (const RunOutcome::Folder& each : unread) {
            if (each.path.isEmpty())
                continue;
            std::string text = each.path.toStdString();
            if (text.back() != '/')
                text.push_back('/');
            folders_[static_cast<std::size_t>(folderOf(text))].*flag = true;
        }
    };
    mark(outcome.unreadableFolders(), &Folder::unreadable);
    mark(outcome.foldersWithUnreadableSizes(), &Folder::sizesUnreadable);
    mark(outcome.loops(), &Folder::loop);
    for (const auto& [text, withSubfolders] : searchedTexts_)
        markSearched(byText_.at(text), withSubfolders);
    for (Folder& folder : folders_)
        putInOrder(folder);

    order_.clear();
    std::vector<int> pending(tops_.rbegin(), tops_.rend());
    while (!pending.empty()) {
        const int index = pending.back();
        pending.pop_back();
        order_.push_back(index);
        const Folder& folder = folders_[static_cast<std::size_t>(index)];
        pending.insert(pending.end(), folder.children.rbegin(), folder.children.rend());
    }
    for (auto index = order_.rbegin(); index != order_.rend(); ++index) {
        Folder& folder = folders_[static_cast<std::size_t>(*index)];
        folder.totalFiles += static_cast<std::int64_t>(folder.files.size());
        for (const File& file : folder.files)
            folder.totalBytes += file.size;
        if (folder.parent >= 0) {
            Folder& parent = folders_[static_cast<std::size_t>(folder.parent)];
            parent.totalFiles += folder.totalFiles;
            parent.totalBytes += folder.totalBytes;
        }
    }
}
