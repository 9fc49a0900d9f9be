#include "scope/ExclusionRule.h"

#include "base/PathText.h"
#include "base/Utf8Text.h"

#include <QByteArray>

namespace {

// The names of a path, without empty ones.
std::vector<std::string_view> namesOf(std::string_view path) {
    std::vector<std::string_view> names;
    while (!path.empty()) {
        const std::size_t slash = path.find('/');
        const std::string_view name = path.substr(0, slash);
        if (!name.empty())
            names.push_back(name);
        if (slash == std::string_view::npos)
            break;
        path.remove_prefix(slash + 1);
    }
    return names;
}

bool anyMatches(const std::vector<MaskMatcher>& masks, std::string_view upperKey) {
    for (const MaskMatcher& mask : masks) {
        if (mask.matchesKey(upperKey))
            return true;
    }
    return false;
}

} // namespace

bool FolderExclusion::excludesKey(std::string_view upperKey) const {
    if (names_ != nullptr && anyMatches(*names_, upperKey))
        return true;
    for (const MaskMatcher* tail : tails_) {
        if (tail->matchesKey(upperKey))
            return true;
    }
    return false;
}

ExclusionRule::ExclusionRule(const QString& masks) {
    const QByteArray bytes = PathTextBytes(masks);
    std::string_view rest(bytes.constData(), std::size_t(bytes.size()));
    while (!rest.empty()) {
        const std::size_t end = rest.find(';');
        const std::string_view mask = rest.substr(0, end);
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
        const std::vector<std::string_view> names = namesOf(mask);
        if (names.empty())
            continue;
        const auto matcher = [](std::string_view name) {
            return MaskMatcher(
                PathTextFromBytes(QByteArrayView(name.data(), qsizetype(name.size()))));
        };
        if (mask.find('/') == std::string_view::npos) {
            names_.push_back(matcher(names.front()));
            continue;
        }
        std::vector<MaskMatcher> path;
        for (const std::string_view name : names)
            path.push_back(matcher(name));
        paths_.push_back(std::move(path));
    }
}

bool ExclusionRule::excludesSearchedFolder(std::string_view folderPath) const {
    const std::vector<std::string_view> names = namesOf(folderPath);
    const std::string_view last = names.empty() ? folderPath : names.back();
    return !last.empty() && anyMatches(names_, UpperKey(last));
}

FolderExclusion ExclusionRule::forFolder(std::string_view relativeFolder) const {
    FolderExclusion exclusion;
    exclusion.names_ = &names_;
    if (paths_.empty())
        return exclusion;
    const std::vector<std::string_view> folder = namesOf(relativeFolder);
    std::vector<std::string> keys;
    for (const std::vector<MaskMatcher>& path : paths_) {
        if (path.size() != folder.size() + 1)
            continue;
        if (keys.empty()) {
            for (const std::string_view name : folder)
                keys.push_back(UpperKey(name));
        }
        bool reaches = true;
        for (std::size_t i = 0; i < folder.size() && reaches; ++i)
            reaches = path[i].matchesKey(keys[i]);
        if (reaches)
            exclusion.tails_.push_back(&path.back());
    }
    return exclusion;
}

bool ExclusionRule::excludesPath(std::string_view relativePath) const {
    const std::vector<std::string_view> names = namesOf(relativePath);
    std::vector<std::string> keys;
    keys.reserve(names.size());
    for (const std::string_view name : names) {
        keys.push_back(UpperKey(name));
        if (anyMatches(names_, keys.back()))
            return true;
    }
    for (const std::vector<MaskMatcher>& path : paths_) {
        if (path.size() > keys.size())
            continue;
        bool matches = true;
        for (std::size_t i = 0; i < path.size() && matches; ++i)
            matches = path[i].matchesKey(keys[i]);
        if (matches)
            return true;
    }
    return false;
}
