#include "records/RecordStore.h"

#include <algorithm>

namespace {

// What each stored item begins with. An entry's tag is its kind, with bits for what it lacks or
// carries beyond the usual.
enum Tag : unsigned char {
    folderBegin = 1,
    folderEnd = 2,
    fileEntry = 3,
    subfolderEntry = 4,
    linkEntry = 5,
    specialEntry = 6,
    kindBits = 0x0F,
    sizeUnread = 0x10,
    timeUnread = 0x20,
    withTarget = 0x40,
};

Tag tagOf(EntryRecord::Kind kind) {
    switch (kind) {
    case EntryRecord::Kind::Folder:
        return subfolderEntry;
    case EntryRecord::Kind::Link:
        return linkEntry;
    case EntryRecord::Kind::Special:
        return specialEntry;
    case EntryRecord::Kind::File:
    case EntryRecord::Kind::Dot:
        break;
    }
    return fileEntry;
}

EntryRecord::Kind kindOf(unsigned tag) {
    switch (tag & kindBits) {
    case subfolderEntry:
        return EntryRecord::Kind::Folder;
    case linkEntry:
        return EntryRecord::Kind::Link;
    case specialEntry:
        return EntryRecord::Kind::Special;
    default:
        return EntryRecord::Kind::File;
    }
}

std::uint64_t zigzag(std::int64_t value) {
    return (static_cast<std::uint64_t>(value) << 1) ^ static_cast<std::uint64_t>(value >> 63);
}

std::int64_t unzigzag(std::uint64_t value) {
    return static_cast<std::int64_t>(value >> 1) ^ -static_cast<std::int64_t>(value & 1);
}

// Reads what the store wrote, item by item.
class Decoder final {
public:
    explicit Decoder(std::string_view data) : data_(data) {}

    bool atEnd() const { return pos_ >= data_.size(); }
    unsigned tag() { return static_cast<unsigned char>(data_[pos_++]); }
    std::uint64_t number() {
        std::uint64_t value = 0;
        for (int shift = 0;; shift += 7) {
            const auto byte = static_cast<unsigned char>(data_[pos_++]);
            value |= std::uint64_t{byte & 0x7Fu} << shift;
            if (byte < 0x80)
                return value;
        }
    }
    std::int64_t signedNumber() { return unzigzag(number()); }
    std::string_view bytes(std::size_t count) {
        const std::string_view taken = data_.substr(pos_, count);
        pos_ += count;
        return taken;
    }

private:
    std::string_view data_;
    std::size_t pos_ = 0;
};

// One stored entry read back into `record`, whose name is kept in `name`.
void readEntry(Decoder& in, unsigned tag, EntryRecord& record, std::string& name, FileTime& time,
               bool withDigest) {
    const std::size_t shared = in.number();
    name.resize(std::min(shared, name.size()));
    name.append(in.bytes(in.number()));
    record.name = name;
    record.kind = kindOf(tag);
    const bool folder = record.kind == EntryRecord::Kind::Folder;
    record.size = folder ? 0 : in.signedNumber();
    record.sizeRead = (tag & sizeUnread) == 0;
    record.timeRead = (tag & timeUnread) == 0;
    // The difference was taken with wrap-around, so it is added back the same way.
    time.seconds = static_cast<std::int64_t>(static_cast<std::uint64_t>(time.seconds) +
                                             static_cast<std::uint64_t>(in.signedNumber()));
    time.nanoseconds = static_cast<std::int32_t>(in.number());
    record.modified = time;
    record.targetRead = (tag & withTarget) != 0;
    record.target = record.targetRead ? in.bytes(in.number()) : std::string_view();
    const bool file = record.kind == EntryRecord::Kind::File;
    record.digest = withDigest && file ? in.bytes(in.number()) : std::string_view();
}

} // namespace

RecordSink::Needs RecordStore::needs() const {
    return Needs{.sizes = true, .times = true, .digest = digest_, .targets = true};
}

void RecordStore::beginFolder(std::string_view folderText) {
    data_.push_back(static_cast<char>(folderBegin));
    putNumber(folderText.size());
    data_.append(folderText);
    lastName_.clear();
}

void RecordStore::entry(const EntryRecord& record) {
    if (record.kind == EntryRecord::Kind::Dot)
        return;
    const bool folder = record.kind == EntryRecord::Kind::Folder;
    unsigned tag = tagOf(record.kind);
    tag |= record.sizeRead ? 0u : unsigned{sizeUnread};
    tag |= record.timeRead ? 0u : unsigned{timeUnread};
    tag |= record.targetRead ? unsigned{withTarget} : 0u;
    data_.push_back(static_cast<char>(tag));
    const auto shared = static_cast<std::size_t>(
        std::mismatch(lastName_.begin(), lastName_.end(), record.name.begin(), record.name.end())
            .first -
        lastName_.begin());
    putNumber(shared);
    putNumber(record.name.size() - shared);
    data_.append(record.name.substr(shared));
    lastName_.assign(record.name);
    if (!folder)
        putSigned(record.size);
    // Seconds as the difference to the entry before (mostly 0 or small); nanoseconds as they are.
    putSigned(static_cast<std::int64_t>(static_cast<std::uint64_t>(record.modified.seconds) -
                                        static_cast<std::uint64_t>(lastTime_.seconds)));
    putNumber(static_cast<std::uint64_t>(record.modified.nanoseconds));
    lastTime_ = record.modified;
    if (record.targetRead) {
        putNumber(record.target.size());
        data_.append(record.target);
    }
    if (digest_ && record.kind == EntryRecord::Kind::File) {
        putNumber(record.digest.size());
        data_.append(record.digest);
    }
}

void RecordStore::endFolder() {
    data_.push_back(static_cast<char>(folderEnd));
}

void RecordStore::endRun() {}

void RecordStore::putNumber(std::uint64_t value) {
    while (value >= 0x80) {
        data_.push_back(static_cast<char>((value & 0x7F) | 0x80));
        value >>= 7;
    }
    data_.push_back(static_cast<char>(value));
}

void RecordStore::putSigned(std::int64_t value) {
    putNumber(zigzag(value));
}

// Each folder is read twice from its start: its subfolders on the first pass, its files on the
// second, with the time chain taken up again where the folder began.
void RecordStore::replay(RecordSink& sink) const {
    Decoder in(data_.view());
    std::string folder;
    std::string name;
    EntryRecord record;
    FileTime time;
    while (!in.atEnd()) {
        if (in.tag() != folderBegin)
            continue;
        folder.assign(in.bytes(in.number()));
        record.folder = folder;
        sink.beginFolder(folder);
        const Decoder start = in;
        const FileTime startTime = time;
        for (const bool subfolders : {true, false}) {
            in = start;
            time = startTime;
            name.clear();
            for (unsigned tag = in.tag(); tag != folderEnd; tag = in.tag()) {
                readEntry(in, tag, record, name, time, digest_.has_value());
                if ((record.kind == EntryRecord::Kind::Folder) == subfolders)
                    sink.entry(record);
            }
        }
        sink.endFolder();
    }
    sink.endRun();
}
