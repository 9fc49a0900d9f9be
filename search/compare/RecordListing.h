#pragma once

#include "compare/ListingReader.h"
#include "records/RecordSink.h"
#include "run/SearchSettings.h"

// A search's records taken straight into a listing for a comparison, by their exact names, so
// that no two names merge that a text listing would show alike. The extended form keeps kinds,
// sizes and times; the simple form, as a simple listing, only which entries there are.
class RecordListing final : public RecordSink {
public:
    explicit RecordListing(ListingForm form);

    Needs needs() const override;
    void beginFolder(std::string_view folderText) override;
    void entry(const EntryRecord& record) override;
    void endFolder() override;
    void endRun() override;

    // Hands over what was taken; an extended listing says what `settings` searched for, as its
    // header would. Gaps are added by the caller (ListingGaps::exactKeys is set).
    SavedListing finish(const TSearchFiles& settings);

private:
    SavedListing listing_;
};
