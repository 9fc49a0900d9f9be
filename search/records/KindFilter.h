#pragma once

#include "records/RecordSink.h"

#include <vector>

// Hands on only the entries of one kind, as find -type does: regular files, folders or links.
// A folder begins for the sink only with its first such entry, so a listing gives headings and
// sums only to folders that hold some; "." and ".." go on before that entry when folders are
// kept (the text listings show them among the directories), and never otherwise.
class KindFilter final : public RecordSink {
public:
    KindFilter(RecordSink& inner, EntryRecord::Kind kept) : inner_(inner), kept_(kept) {}

    Needs needs() const override { return inner_.needs(); }
    void beginFolder(std::string_view folderText) override;
    void entry(const EntryRecord& record) override;
    void endFolder() override;
    void endRun() override;

private:
    RecordSink& inner_;
    EntryRecord::Kind kept_;
    std::string_view folder_; // of the folder being listed, until it begins for the sink
    bool begun_ = false;
    std::vector<EntryRecord> dots_; // held until the folder begins
};
