#include "compare/ListingGaps.h"

#include "base/Utf8Text.h"
#include "compare/FolderKey.h"

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
    const auto add = [&gaps](const std::vector<RunOutcome::Folder>& folders,
                             ListingGaps::FolderGap gap) {
        for (const RunOutcome::Folder& folder : folders) {
            if (!folder.path.isEmpty())
                gaps.addFolder(
                    std::string_view(folder.path.constData(), std::size_t(folder.path.size())),
                    gap);
        }
    };
    add(outcome.unreadableFolders(), ListingGaps::FolderGap::Unreadable);
    add(outcome.foldersWithUnreadableSizes(), ListingGaps::FolderGap::SizesUnreadable);
    return gaps;
}
