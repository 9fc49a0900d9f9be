#pragma once

#include "base/DigestAlgorithm.h"
#include "output/LineSink.h"
#include "records/RecordSink.h"

// The inventory as a checksum list, line for line as sha256sum (or md5sum, sha1sum, sha512sum)
// writes it: "HEX  PATH" for each regular file read whole, the path as the folders were given,
// so that `sha256sum -c` in the same folder checks the list unchanged. Folders, links and other
// entries have no line, nor has a file that could not be read whole.
class SumsListing final : public RecordSink {
public:
    SumsListing(LineSink& lines, DigestAlgorithm algorithm)
        : lines_(lines), algorithm_(algorithm) {}

    Needs needs() const override;
    void beginFolder(std::string_view folderText) override;
    void entry(const EntryRecord& record) override;
    void endFolder() override;
    void endRun() override;

private:
    LineSink& lines_;
    const DigestAlgorithm algorithm_;
};
