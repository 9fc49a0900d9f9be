#include "compare/RecordListing.h"

#include "base/PathText.h"
#include "compare/FolderKey.h"

RecordListing::RecordListing(ListingForm form, std::optional<DigestAlgorithm> digest) {
    listing_.form = form;
    listing_.digest = form == ListingForm::Extended ? digest : std::nullopt;
    listing_.exactNames = true;
    listing_.withTimes = form == ListingForm::Extended;
    listing_.exactKinds = true;
    listing_.entries.setExactBytes();
}

RecordSink::Needs RecordListing::needs() const {
    const bool extended = listing_.form == ListingForm::Extended;
    return Needs{.sizes = extended, .times = extended, .digest = listing_.digest};
}

void RecordListing::beginFolder(std::string_view folderText) {
    listing_.entries.startBlock(FolderKey(folderText));
}

// Kinds are kept as the search saw them, also in the simple form, so that a folder's path ends in
// "/" and a folder that became a file shows.
void RecordListing::entry(const EntryRecord& record) {
    if (record.kind == EntryRecord::Kind::Dot)
        return;
    const EntryKind kind = record.kind == EntryRecord::Kind::Folder    ? EntryKind::Folder
                           : record.kind == EntryRecord::Kind::Link    ? EntryKind::Link
                           : record.kind == EntryRecord::Kind::Special ? EntryKind::Special
                                                                       : EntryKind::File;
    if (listing_.form == ListingForm::Simple) {
        listing_.entries.add(record.name, {.kind = kind, .exactName = true});
        return;
    }
    // What could not be read stays unknown, so that it counts as no change.
    const bool file = IsFileLike(kind);
    listing_.entries.add(record.name,
                         {.kind = kind,
                          .size = file && record.sizeRead ? record.size : PathSet::unknownSize,
                          .exactName = true,
                          .timeKnown = record.timeRead,
                          .modified = record.modified,
                          .digest = record.digest});
}

void RecordListing::endFolder() {}

void RecordListing::endRun() {}

SavedListing RecordListing::finish(const TSearchFiles& settings, const RunOutcome& outcome) {
    listing_.scope = settings.Scope;
    listing_.notEnteredKnown = true;
    for (const RunOutcome::Folder& folder : outcome.foldersOnOtherFileSystems()) {
        std::string path = folder.path.toStdString();
        if (path.empty() || path.back() != '/')
            path.push_back('/');
        listing_.notEntered.push_back(FolderKey(path));
    }
    std::vector<SearchedFolder> folders;
    for (qsizetype i = 0; i < settings.Folders.size(); ++i) {
        const QByteArray path = PathTextBytes(settings.Folders.at(i));
        folders.push_back({path.toStdString(), IsFolderRecursive(settings, i)});
        listing_.searchedFolders.push_back(FolderKey(folders.back().rawPath + "/"));
    }
    const QByteArray masks = PathTextBytes(settings.Masks);
    listing_.searchedFor = SearchedForLines(folders, masks.toStdString());
    listing_.entries.finish();
    listing_.gaps = GapsOfRun(outcome, true);
    return std::move(listing_);
}
