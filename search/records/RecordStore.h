#pragma once

#include "base/ByteBuffer.h"
#include "records/RecordSink.h"

#include <cstddef>
#include <string>

// The records of a run kept compact beside the window's lines, so that the list can be saved as
// a table or JSON Lines, or compared by exact names and times, after the run. Each folder's text
// is kept once; an entry keeps its kind with what of it could not be read, its name as the length
// it shares with the name before it and the rest, its size and its time as the difference to the
// entry before, all in variable-length numbers, and a link its target: little more than twenty
// bytes an entry of typical names. "." and ".." are not kept.
class RecordStore final : public RecordSink {
public:
    RecordStore() = default;
    // With an algorithm, the store asks for the files' digests and keeps them.
    void setDigest(std::optional<DigestAlgorithm> digest) { digest_ = digest; }
    std::optional<DigestAlgorithm> digest() const { return digest_; }

    // Sizes and times; the order is the one the store is fed in (see replay).
    Needs needs() const override;
    void beginFolder(std::string_view folderText) override;
    void entry(const EntryRecord& record) override;
    void endFolder() override;
    void endRun() override;

    // Hands the records on to `sink`, each folder's subfolders before its files as the extended
    // listing orders them, with beginFolder and endFolder around each folder, then endRun.
    void replay(RecordSink& sink) const;

private:
    ByteBuffer data_;
    std::string lastName_; // of the folder being stored
    FileTime lastTime_;
    std::optional<DigestAlgorithm> digest_;
};
