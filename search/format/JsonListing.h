#pragma once

#include "base/ByteTotal.h"
#include "base/FileTime.h"
#include "output/LineSink.h"
#include "records/RecordSink.h"
#include "run/RunOutcome.h"
#include "run/SearchSettings.h"

#include <cstdint>
#include <optional>
#include <string>

// The inventory for programs, as JSON Lines (UTF-8, one object per line):
//   {"type":"inventory","format":1,"created":"<UTC>","folders":[{"path":…,"recursive":…}],
//    "masks":…,"hash":"sha256"}
//   {"type":"file","path":…,"size":123,"mtime":"2026-12-08T06:43:18.123456789Z","sha256":…}
//   {"type":"folder","path":…,"mtime":…}
//   {"type":"summary","files":N,"folders":N,"bytes":N,"complete":true}
// one entry line per file or subfolder in the order of the extended listing ("." and ".." are
// left out). "hash" and the field named for it are there when the inventory carries digests; a
// file that could not be read whole has none. A path (or folder, or mask text) that is not valid
// UTF-8 shows its bad bytes as U+FFFD and carries its exact bytes, base64-encoded, in
// "path_bytes" (or "masks_bytes"). The summary says "complete":false when the run was cancelled
// ("cancelled":true), could not read folders or sizes or files for their digests
// ("unreadable":[{"path":…,"what":"folder", "sizes" or "file","reason":…}]) or met folders that
// loop back onto the way down to them ("loops":[{"path":…}], not entered).
class JsonListing final : public RecordSink {
public:
    // `outcome` is read when the run ends, for the summary.
    JsonListing(LineSink& lines, const RunOutcome& outcome,
                std::optional<DigestAlgorithm> digest = std::nullopt)
        : lines_(lines), outcome_(outcome), digest_(digest) {}

    // The first line: what was searched, and when (`created`).
    void begin(const TSearchFiles& settings, FileTime created);

    Needs needs() const override;
    void beginFolder(std::string_view folderText) override;
    void entry(const EntryRecord& record) override;
    void endFolder() override;
    void endRun() override;

private:
    void appendPath(std::string& line, const EntryRecord& record);
    void appendUnreadable(std::string& line);
    void appendLoops(std::string& line);

    LineSink& lines_;
    const RunOutcome& outcome_;
    const std::optional<DigestAlgorithm> digest_;
    // The folder being listed as the start of a JSON string, made once for all its entries.
    std::string folderJson_;
    bool folderValid_ = true;
    std::string path_; // the exact bytes of a path that is not valid UTF-8
    std::int64_t files_ = 0;
    std::int64_t folders_ = 0;
    ByteTotal bytes_ = 0;
};
