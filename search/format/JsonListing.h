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
#include <string_view>

// The inventory for programs, as JSON Lines (UTF-8, one object per line), format 2:
//   {"type":"inventory","format":2,"created":"<UTC>","host":…,"tool":{"name":…,"version":…},
//    "searched":[{"path":…,"recursive":…}],"masks":…,"hash":"sha256","scope":{…}}
//   {"type":"file","path":…,"size":123,"mtime":"2026-12-08T06:43:18.123456Z",
//    "mtime_ns":1796712198123456789,"sha256":…}
//   {"type":"folder","path":…,"mtime":…,"mtime_ns":…}
//   {"type":"link","path":…,"target":…,"mtime":…,"mtime_ns":…}
//   {"type":"special","path":…,"mtime":…,"mtime_ns":…}
//   {"type":"summary","files":N,"folders":N,"links":N,"special":N,"bytes":N,"complete":true}
// one entry line per file, subfolder, symbolic link or special file (pipe, socket, device) in the
// order of the extended listing ("." and ".." are left out). Every key has one type in every
// line: a size or time that could not be read is null, and so is the target of a link that could
// not be read and the digest of a file that could not be read whole; "mtime" is UTC to the
// microsecond, "mtime_ns" the exact nanoseconds since 1970. "hash" and the field named for it are
// there when the inventory carries digests. "scope" is there only when the search was given one,
// with the parts that are set: "exclude" (the masks, or "exclude_bytes"), "one_file_system":true,
// "max_depth", "min_size", "max_size" (numbers), "newer", "older" (UTC, to the second). With one
// file system, the summary names the folders on other file systems that were listed but not
// entered in "not_entered":[{"path":…}]. A path, target, folder or mask text that is not valid
// UTF-8 shows its bad bytes as U+FFFD and carries its exact bytes, base64-encoded, in
// "path_bytes" ("target_bytes", "masks_bytes"). With a kind filter the inventory line names it
// ("kinds":["file"]). "bytes" sums the sizes of the files. The summary says "complete":false when
// the run was cancelled ("cancelled":true), could not read folders or sizes or files for their
// digests ("unreadable":[{"path":…,"what":"folder", "sizes" or "file","reason":…}]) or met
// folders that loop back onto the way down to them ("loops":[{"path":…}], not entered).
class JsonListing final : public RecordSink {
public:
    // Who writes the inventory.
    struct Tool {
        std::string_view name; // "folderinventory-cli", "FolderInventory"
        std::string_view version;
    };

    // `outcome` is read when the run ends, for the summary. `kept` is the kind filter of the run.
    JsonListing(LineSink& lines, const RunOutcome& outcome,
                std::optional<DigestAlgorithm> digest = std::nullopt,
                std::optional<EntryRecord::Kind> kept = std::nullopt)
        : lines_(lines), outcome_(outcome), digest_(digest), kept_(kept) {}

    // The first line: what was searched, when (`created`), on which host and by what.
    void begin(const TSearchFiles& settings, FileTime created, const Tool& tool);

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
    std::optional<EntryRecord::Kind> kept_;
    // The folder being listed as the start of a JSON string, made once for all its entries.
    std::string folderJson_;
    bool folderValid_ = true;
    std::string path_; // the exact bytes of a path that is not valid UTF-8
    std::int64_t files_ = 0;
    std::int64_t folders_ = 0;
    std::int64_t links_ = 0;
    std::int64_t special_ = 0;
    ByteTotal bytes_ = 0;
};

// The word JSON Lines use for a kind: "file", "folder", "link" or "special".
std::string_view KindName(EntryRecord::Kind kind);
