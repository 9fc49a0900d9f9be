#pragma once

#include "base/DigestAlgorithm.h"
#include "records/EntryRecord.h"

#include <optional>
#include <string_view>

// Where the scan hands on the entries it finds, folder by folder, in the order of the listing:
// each output (the text listings, the tables for spreadsheets and programs, the window's kept
// records) is one of these, so none has a walk or a size rule of its own.
class RecordSink {
public:
    // What the scan must read for this sink, and the order of a folder's entries: the extended
    // listing's (folders, "." and ".." first, then the files, each in the folder's order) or
    // the folder's own.
    struct Needs {
        bool sizes = false;
        bool times = false;
        bool foldersFirst = false;
        // The records of regular files carry their digests made with this algorithm.
        std::optional<DigestAlgorithm> digest = std::nullopt;
        // The records carry the open folder of their entry (EntryRecord::folderFd).
        bool openFolder = false;
        bool targets = false; // the targets of links
    };

    virtual ~RecordSink();
    virtual Needs needs() const = 0;

    // A folder that has at least one matching entry; `folderText` ends in "/".
    virtual void beginFolder(std::string_view folderText) = 0;
    // An entry of the folder begun last: its record's folder is that `folderText`, so a sink
    // may prepare what it writes of the folder once, in beginFolder.
    virtual void entry(const EntryRecord& record) = 0;
    // After the folder's entries (those found before a cancel).
    virtual void endFolder() = 0;
    // After the last folder, also after a cancel.
    virtual void endRun() = 0;

protected:
    RecordSink() = default;
    RecordSink(const RecordSink&) = default;
    RecordSink& operator=(const RecordSink&) = default;
};

// Hands every record on to two sinks, which read what either of them needs in the first one's
// order.
class RecordTee final : public RecordSink {
public:
    RecordTee(RecordSink& first, RecordSink& second) : first_(first), second_(second) {}

    Needs needs() const override;
    void beginFolder(std::string_view folderText) override;
    void entry(const EntryRecord& record) override;
    void endFolder() override;
    void endRun() override;

private:
    RecordSink& first_;
    RecordSink& second_;
};
