#include "compare/RecordListing.h"

#include "base/PathText.h"
#include "compare/FolderKey.h"

RecordListing::RecordListing(ListingForm form, std::optional<DigestAlgorithm> digest) {
    listing_.form = form;
    listing_.digest = form == ListingForm::Extended ? digest : std::nullopt;
    listing_.exactNames = true;
    listing_.withTimes = form == ListingForm::Extended;
    listing_.entries.setExactBytes();
}

RecordSink::Needs RecordListing::needs() const {
    const bool extended = listing_.form == ListingForm::Extended;
    return Needs{.sizes = extended, .times = extended, .digest = listing_.digest};
}

void RecordListing::beginFolder(std::string_view folderText) {
    listing_.entries.startBlock(FolderKey(folderText));
}

void RecordListing::entry(const EntryRecord& record) {
    if (record.kind == EntryRecord::Kind::Dot)
        return;
    if (listing_.form == ListingForm::Simple) {
        listing_.entries.add(record.name,
                             {EntryKind::Unknown, PathSet::unknownSize, true, false, {}});
        return;
    }
    const bool file = record.listedAsFile();
    // What could not be read stays unknown, so that it counts as no change.
    listing_.entries.add(record.name,
                         {.kind = file ? EntryKind::File : EntryKind::Folder,
                          .size = file && record.sizeRead ? record.size : PathSet::unknownSize,
                          .exactName = true,
                          .timeKnown = record.timeRead,
                          .modified = record.modified,
                          .digest = record.digest});
}

void RecordListing::endFolder() {}

void RecordListing::endRun() {}

SavedListing RecordListing::finish(const TSearchFiles& settings, const RunOutcome& outcome) {
    if (listing_.form == ListingForm::Extended) {
        std::vector<SearchedFolder> folders;
        for (qsizetype i = 0; i < settings.Folders.size(); ++i) {
            const QByteArray path = PathTextBytes(settings.Folders.at(i));
            folders.push_back({path.toStdString(), IsFolderRecursive(settings, i)});
        }
        const QByteArray masks = PathTextBytes(settings.Masks);
        listing_.searchedFor = SearchedForLines(folders, masks.toStdString());
    }
    listing_.entries.finish();
    listing_.gaps = GapsOfRun(outcome, true);
    return std::move(listing_);
}
