#include "records/RecordSink.h"

RecordSink::~RecordSink() = default;

RecordSink::Needs RecordTee::needs() const {
    const Needs first = first_.needs();
    const Needs second = second_.needs();
    return Needs{.sizes = first.sizes || second.sizes,
                 .times = first.times || second.times,
                 .foldersFirst = first.foldersFirst,
                 .digest = first.digest ? first.digest : second.digest,
                 .openFolder = first.openFolder || second.openFolder,
                 .targets = first.targets || second.targets};
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
