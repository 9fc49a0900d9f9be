#include "records/RecordSink.h"

RecordSink::~RecordSink() = default;

RecordSink::Needs RecordTee::needs() const {
    const Needs first = first_.needs();
    const Needs second = second_.needs();
    return Needs{first.sizes || second.sizes, first.times || second.times, first.foldersFirst,
                 first.digest ? first.digest : second.digest,
                 first.openFolder || second.openFolder};
}

void RecordTee::beginFolder(std::string_view folderText) {
    first_.beginFolder(folderText);
    second_.beginFolder(folderText);
}

void RecordTee::entry(const EntryRecord& record) {
    first_.entry(record);
    second_.entry(record);
}

void RecordTee::endFolder() {
    first_.endFolder();
    second_.endFolder();
}

void RecordTee::endRun() {
    first_.endRun();
    second_.endRun();
}
