#include "records/RecordStore.h"

#include <algorithm>
#include <cstring>

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

// One stored item, written straight into the store: its tag, numbers (seven bits a byte, the
// lowest first, the top bit set on all bytes but the last) and the bytes of names or a digest.
// The room for all of it is asked for at once.
class ItemBytes final {
public:
    // Room for a tag, up to seven numbers and `textBytes` bytes of text.
    ItemBytes(ByteBuffer& store, std::size_t textBytes)
        : store_(store), begin_(store.room(textBytes + numbersRoom)), end_(begin_) {}
    ItemBytes(const ItemBytes&) = delete;
    ItemBytes& operator=(const ItemBytes&) = delete;
    ~ItemBytes() { store_.commit(static_cast<std::size_t>(end_ - begin_)); }

    void put(unsigned char byte) { *end_++ = static_cast<char>(byte); }
    void number(std::uint64_t value) {
        while (value >= 0x80) {
            put(static_cast<unsigned char>((value & 0x7F) | 0x80));
            value >>= 7;
        }
        put(static_cast<unsigned char>(value));
    }
    void signedNumber(std::int64_t value) { number(zigzag(value)); }
    void text(std::string_view bytes) {
        if (bytes.empty())
            return; // an empty view may have no data to copy from
        std::memcpy(end_, bytes.data(), bytes.size());
        end_ += bytes.size();
    }

private:
    static constexpr std::size_t numbersRoom = 1 + 7 * 10; // a tag, seven numbers of ten bytes

    ByteBuffer& store_;
    char* begin_;
    char* end_;
};

// The length of the start that two names share, compared eight bytes at a time.
std::size_t SharedStart(std::string_view a, std::string_view b) {
    const std::size_t length = std::min(a.size(), b.size());
    std::size_t i = 0;
    for (; i + 8 <= length; i += 8) {
        std::uint64_t x = 0;
        std::uint64_t y = 0;
        std::memcpy(&x, a.data() + i, 8);
        std::memcpy(&y, b.data() + i, 8);
        if (x != y)
            break;
    }
    while (i < length && a[i] == b[i])
        ++i;
    return i;
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
    ItemBytes item(data_, folderText.size());
    item.put(folderBegin);
    item.number(folderText.size());
    item.text(folderText);
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
    const std::size_t shared = SharedStart(lastName_, record.name);
    const std::string_view rest = record.name.substr(shared);
    const bool withDigest = digest_ && record.kind == EntryRecord::Kind::File;
    ItemBytes item(data_, rest.size() + (record.targetRead ? record.target.size() : 0) +
                              (withDigest ? record.digest.size() : 0));
    item.put(static_cast<unsigned char>(tag));
    item.number(shared);
    item.number(rest.size());
    item.text(rest);
    if (!folder)
        item.signedNumber(record.size);
    // Seconds as the difference to the entry before (mostly 0 or small); nanoseconds as they are.
    item.signedNumber(
        static_cast<std::int64_t>(static_cast<std::uint64_t>(record.modified.seconds) -
                                  static_cast<std::uint64_t>(lastTime_.seconds)));
    item.number(static_cast<std::uint64_t>(record.modified.nanoseconds));
    if (record.targetRead) {
        item.number(record.target.size());
        item.text(record.target);
    }
    if (withDigest) {
        item.number(record.digest.size());
        item.text(record.digest);
    }
    lastName_.resize(shared);
    lastName_.append(rest);
    lastTime_ = record.modified;
}

void RecordStore::endFolder() {
    data_.push_back(static_cast<char>(folderEnd));
}

void RecordStore::endRun() {}

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
