#include "records/KindFilter.h"

void KindFilter::beginFolder(std::string_view folderText) {
    folder_ = folderText;
    begun_ = false;
    dots_.clear();
}

void KindFilter::entry(const EntryRecord& record) {
    if (record.kind == EntryRecord::Kind::Dot) {
        if (kept_ == EntryRecord::Kind::Folder)
            dots_.push_back(record);
        return;
    }
    if (record.kind != kept_)
        return;
    if (!begun_) {
        begun_ = true;
        inner_.beginFolder(folder_);
        for (const EntryRecord& dot : dots_)
            inner_.entry(dot);
        dots_.clear();
    }
    inner_.entry(record);
}

void KindFilter::endFolder() {
    if (begun_)
        inner_.endFolder();
    begun_ = false;
}

void KindFilter::endRun() {
    inner_.endRun();
}
