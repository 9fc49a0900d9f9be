#include "format/SumsListing.h"

#include "format/SumsLine.h"

RecordSink::Needs SumsListing::needs() const {
    return Needs{.digest = algorithm_};
}

void SumsListing::beginFolder(std::string_view) {}

void SumsListing::entry(const EntryRecord& record) {
    if (record.kind != EntryRecord::Kind::File || record.digest.empty())
        return;
    AppendSumsLine(lines_.beginLine(), record.digest, record.folder, record.name);
    lines_.finishLine();
}

void SumsListing::endFolder() {}

void SumsListing::endRun() {}
