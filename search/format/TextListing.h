#pragma once

#include "base/ByteTotal.h"
#include "format/ListingFormat.h"
#include "output/LineSink.h"
#include "records/RecordSink.h"
#include "run/RunOutcome.h"

#include <cstdint>
#include <string>

// The listing as text lines. The extended listing gives each folder with matching entries a
// heading, its directory lines ("." and ".." among them), its file lines and, when it has files,
// a sum line, and closes with the totals footer; the simple listing gives one name or path per
// entry, in the folder's order, without "." and ".." when its names are exact bytes (ending in
// NUL). Links and special files are listed as files, with their own sizes. Given the run's
// `outcome`, a listing that a stop cut short ends with the line that says so
// (AppendCutShortLine); a list of exact names ending in NUL bytes does not, since every item of
// it is a path to a script.
class TextListing final : public RecordSink {
public:
    // What the extended listing counts for its footer: files and their bytes, and the folders
    // with a heading (once per mask). The simple listing counts nothing.
    struct Totals {
        std::int64_t files = 0;
        ByteTotal bytes = 0;
        std::int64_t folders = 0;
    };

    static TextListing extended(LineSink& lines, const RunOutcome* outcome = nullptr);
    static TextListing simple(LineSink& lines, bool fullPath, bool showExtensions,
                              NameBytes bytes = NameBytes::Shown,
                              const RunOutcome* outcome = nullptr);
    // The extended listing, or the simple one with the given options.
    static TextListing of(LineSink& lines, bool extended, bool fullPath, bool showExtensions,
                          const RunOutcome* outcome = nullptr);

    Needs needs() const override;
    void beginFolder(std::string_view folderText) override;
    void entry(const EntryRecord& record) override;
    void endFolder() override;
    void endRun() override;

    const Totals& totals() const { return totals_; }

private:
    TextListing(LineSink& lines, bool extended, bool fullPath, bool showExtensions, NameBytes bytes,
                const RunOutcome* outcome)
        : lines_(lines), extended_(extended), fullPath_(fullPath), showExtensions_(showExtensions),
          bytes_(bytes), outcome_(outcome) {}

    LineSink& lines_;
    bool extended_;
    bool fullPath_;
    bool showExtensions_;
    NameBytes bytes_;
    const RunOutcome* outcome_;
    Totals totals_;
    std::int64_t folderFiles_ = 0;
    ByteTotal folderBytes_ = 0;
    // The simple listing's folder text as its lines hold it, made once per folder.
    std::string folder_;
};
