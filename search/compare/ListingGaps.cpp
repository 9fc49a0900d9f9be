#include "compare/ListingGaps.h"

#include "base/Utf8Text.h"
#include "compare/FolderKey.h"

#include <algorithm>

void ListingGaps::addFolder(std::string_view rawPath, FolderGap gap) {
    if (!exactKeys) {
        folders.push_back({FolderKeyOfRawPath(rawPath), gap});
        return;
    }
    std::string folder(rawPath);
    if (folder.empty() || folder.back() != '/')
        folder.push_back('/');
    folders.push_back({FolderKey(folder), gap});
}

ListingGaps ListingGaps::shownForm() const {
    ListingGaps shown;
    shown.endedEarly = endedEarly;
    for (const Folder& folder : folders)
        shown.folders.push_back(
            {exactKeys ? FolderKey(DisplayText(folder.folder)) : folder.folder, folder.gap});
    return shown;
}

void ListingGaps::endEarly(const QString& reason) {
    if (endedEarly.isEmpty())
        endedEarly = reason;
}

ListingGaps GapsOfRun(const RunOutcome& outcome, bool exactKeys) {
    ListingGaps gaps;
    gaps.exactKeys = exactKeys;
    if (outcome.cancelled())
        gaps.endEarly(QStringLiteral("Die Suche wurde abgebrochen"));
    // Each kind in byte order of the paths, whatever order the walk met them in.
    const auto add = [&gaps](const std::vector<RunOutcome::Folder>& folders,
                             ListingGaps::FolderGap gap) {
        std::vector<std::string_view> paths;
        for (const RunOutcome::Folder& folder : folders) {
            // An empty folder argument names no folder, and lists nothing in any list.
            if (!folder.path.isEmpty())
                paths.emplace_back(folder.path.constData(), std::size_t(folder.path.size()));
        }
        std::sort(paths.begin(), paths.end());
        for (const std::string_view path : paths)
            gaps.addFolder(path, gap);
    };
    add(outcome.unreadableFolders(), ListingGaps::FolderGap::Unreadable);
    add(outcome.foldersWithUnreadableSizes(), ListingGaps::FolderGap::SizesUnreadable);
    add(outcome.loops(), ListingGaps::FolderGap::Loop);
    return gaps;
}
