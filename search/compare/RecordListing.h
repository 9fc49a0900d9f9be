#pragma once

#include "compare/ListingReader.h"
#include "records/RecordSink.h"
#include "run/RunOutcome.h"
#include "run/SearchSettings.h"

// A search's records taken straight into a listing for a comparison, by their exact names, so
// that no two names merge that a text listing would show alike. The extended form keeps kinds,
// sizes and times; the simple form, as a simple listing, only which entries there are, and of
// what kind.
class RecordListing final : public RecordSink {
public:
    // With `digest`, the search reads its files and the listing carries their digests.
    explicit RecordListing(ListingForm form, std::optional<DigestAlgorithm> digest = std::nullopt);

    Needs needs() const override;
    void beginFolder(std::string_view folderText) override;
    void entry(const EntryRecord& record) override;
    void endFolder() override;
    void endRun() override;

    // The search's side of a comparison, for the window and the tool alike: what was taken, with
    // the gaps that `outcome` names and the folders on other file systems that it did not enter;
    // it says what `settings` searched for, as an extended listing's header would.
    SavedListing finish(const TSearchFiles& settings, const RunOutcome& outcome);

private:
    SavedListing listing_;
};
