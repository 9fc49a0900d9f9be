#include "ListingGaps.h"

#include "FolderKey.h"

void ListingGaps::addFolder(std::string_view rawPath, FolderGap gap) {
    folders.push_back({FolderKeyOfRawPath(rawPath), gap});
}

void ListingGaps::endEarly(const QString& reason) {
    if (endedEarly.isEmpty())
        endedEarly = reason;
}

ListingGaps GapsOfRun(const RunOutcome& outcome) {
    ListingGaps gaps;
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
