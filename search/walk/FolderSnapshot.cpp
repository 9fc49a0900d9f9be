#include "walk/FolderSnapshot.h"

#include "base/Utf8Text.h"
#include "walk/SharedSizeReads.h"
#include "walk/SortInSteps.h"
#include "walk/WaitClock.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <bit>
#include <cerrno>
#include <climits>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct RootId {
    dev_t device = 0;
    ino_t inode = 0;
    bool known = false;
};

const RootId& rootId() {
    static const RootId root = [] {
        RootId id;
        struct stat st {};
        if (::stat("/", &st) == 0) {
            id.device = st.st_dev;
            id.inode = st.st_ino;
            id.known = true;
        }
        return id;
    }();
    return root;
}

// Eight key bytes from `offset` on as one big-endian number, zero-filled past the end.
std::uint64_t prefixOf(std::string_view key, std::size_t offset) {
    if (key.size() >= offset + 8) {
        std::uint64_t bytes = 0;
        std::memcpy(&bytes, key.data() + offset, sizeof bytes);
        if constexpr (std::endian::native == std::endian::little)
            bytes = __builtin_bswap64(bytes);
        return bytes;
    }
    std::uint64_t prefix = 0;
    for (std::size_t i = offset; i < offset + 8; ++i) {
        const auto byte = i < key.size() ? static_cast<unsigned char>(key[i]) : 0u;
        prefix = (prefix << 8) | byte;
    }
    return prefix;
}

static_assert(sizeof(FolderSnapshot::Entry) == 32);

// A non-directory's kind as the file system tells it, by the folder read's entry type or by a
// look-up's mode.
void setFileKind(FolderSnapshot::Entry& e, bool link, bool special) {
    e.link = link;
    e.special = special;
}

void setFileKindFromMode(FolderSnapshot::Entry& e, mode_t mode) {
    setFileKind(e, S_ISLNK(mode), !S_ISLNK(mode) && !S_ISREG(mode) && !S_ISDIR(mode));
}

bool isContinuationByte(char byte) {
    return (static_cast<unsigned char>(byte) & 0xC0) == 0x80;
}

// Compares the upper-case keys of two names as UpperKey would give them. Bytes the names share
// and ASCII letters that differ only in case are passed over without a key; keys are built only
// from the start of the character where the names part, so names with a long common start that
// is not ASCII (as in "日本語テキスト 01", "日本語テキスト 02") cost little more than ASCII.
int compareKeys(std::string_view a, std::string_view b) {
    const std::size_t common = std::min(a.size(), b.size());
    std::size_t i = 0;
    for (; i < common; ++i) {
        const auto ca = static_cast<unsigned char>(a[i]);
        const auto cb = static_cast<unsigned char>(b[i]);
        if (ca == cb)
            continue;
        if (ca >= 0x80 || cb >= 0x80)
            break;
        const int upperA = ca >= 'a' && ca <= 'z' ? ca - ('a' - 'A') : ca;
        const int upperB = cb >= 'a' && cb <= 'z' ? cb - ('a' - 'A') : cb;
        if (upperA != upperB)
            return upperA < upperB ? -1 : 1;
    }
    if (i == common && a.size() == b.size())
        return 0;
    // A byte that is not a continuation byte starts a character or is one on its own, so the
    // keys up to it agree; the shared bytes before `i` are the same in both names.
    while (i > 0 && ((i < a.size() && isContinuationByte(a[i])) ||
                     (i < b.size() && isContinuationByte(b[i]))))
        --i;
    thread_local std::string keyA;
    thread_local std::string keyB;
    keyA.clear();
    keyB.clear();
    AppendUpperKey(keyA, a.substr(i));
    AppendUpperKey(keyB, b.substr(i));
    return keyA.compare(keyB);
}

// Small enough that a huge folder comes in many pieces, each followed by a test for a cancel.
constexpr std::size_t readBufferSize = 32 * 1024;
// Work is counted in entries read, matched or sorted; a size read counts as more, since a cold
// one waits for the disk.
constexpr std::size_t workPerSizeRead = 16;
// Folders larger than this are sorted in blocks that are then merged, one step at a time.
constexpr std::size_t sortBlock = 8 * 1024;

} // namespace

void FolderSnapshot::clear() {
    entries_.clear();
    unknownType_.clear();
    times_.clear();
    targetIndex_.clear();
    targets_.clear();
    names_.clear();
    matched_ = 0;
    matchedFiles_ = 0;
    error_ = 0;
    sizeError_ = 0;
    stopped_ = false;
    workSinceAsked_ = 0;
}

bool FolderSnapshot::readOpen(int fd, const ReadOptions& options) {
    clear();
    keepGoing_ = options.keepGoing ? &options.keepGoing : nullptr;
    askEvery_ = options.askEvery;
    mask_ = &options.mask;
    details_ = options.details;
    exclusion_ = options.exclusion.empty() ? nullptr : &options.exclusion;
    files_ = options.files != nullptr && options.files->filtersFiles() ? options.files : nullptr;
    WorkerPool* const pool = options.pool;
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        error_ = errno;
        return false;
    }
    device_ = st.st_dev;
    inode_ = st.st_ino;

    const RootId& root = rootId();
    const bool isRoot = root.known && root.device == device_ && root.inode == inode_;
    if (!isRoot) {
        addEntry(".", DT_DIR);
        addEntry("..", DT_DIR);
    }
    const std::size_t firstSorted = entries_.size();
    const bool sizes = options.sizes || files_ != nullptr;
    const bool read = readEntries(fd, pool);
    const bool sorted = read && sortEntries(firstSorted);
    const bool complete = sorted && (!sizes || (readSizes(fd, pool) && readTargets(fd)));
    if (!complete && stopped_)
        keepReadSoFar(firstSorted, sorted, sizes);
    if ((complete || stopped_) && files_)
        keepFilesInRange();
    keepGoing_ = nullptr;
    mask_ = nullptr;
    exclusion_ = nullptr;
    files_ = nullptr;
    if (complete || stopped_)
        return complete;
    const int error = error_;
    clear();
    error_ = error;
    return false;
}

// After a stop: entries whose kind is not known yet go, the rest is put in order, and where sizes
// were asked for, entries not looked up yet go too (a subfolder needs no look-up without times).
void FolderSnapshot::keepReadSoFar(std::size_t firstSorted, bool sorted, bool sizes) {
    const bool withTimes = !times_.empty();
    const auto kept = [&](std::size_t i) {
        const Entry& e = entries_[i];
        if (!unknownType_.empty() && unknownType_[i])
            return false;
        if (!sizes || !e.matched || e.lookedUp || isDotEntry(name(e)))
            return true;
        return e.directory && !details_.times;
    };
    std::size_t to = 0;
    for (std::size_t from = 0; from < entries_.size(); ++from) {
        if (!kept(from))
            continue;
        entries_[to] = entries_[from];
        if (withTimes)
            times_[to] = times_[from];
        ++to;
    }
    entries_.resize(to);
    if (withTimes)
        times_.resize(to);
    unknownType_.clear();
    if (!sorted) {
        std::sort(entries_.begin() + static_cast<std::ptrdiff_t>(std::min(firstSorted, to)),
                  entries_.end(),
                  [this](const Entry& a, const Entry& b) { return entryBefore(a, b); });
    }
    matched_ = 0;
    matchedFiles_ = 0;
    for (const Entry& e : entries_) {
        matched_ += e.matched ? 1 : 0;
        matchedFiles_ += e.matched && !e.directory ? 1 : 0;
    }
}

std::size_t FolderSnapshot::memoryBytes() const {
    return entries_.capacity() * sizeof(Entry) + unknownType_.capacity() + names_.capacity() +
           times_.capacity() * sizeof(FileTime) + targetIndex_.capacity() * sizeof(Target) +
           targets_.capacity();
}

bool FolderSnapshot::keepGoing(std::size_t work) {
    workSinceAsked_ += work;
    if (workSinceAsked_ < askEvery_)
        return true;
    return askNow();
}

bool FolderSnapshot::askNow() {
    workSinceAsked_ = 0;
    if (keepGoing_ == nullptr)
        return true;
    stopped_ = !(*keepGoing_)(matchedFiles_);
    return !stopped_;
}

// The read is timed for the pool, which learns from it whether the storage makes it wait.
bool FolderSnapshot::readEntries(int fd, WorkerPool* pool) {
    const WaitClock clock;
    const bool read = readEntries(fd);
    if (pool != nullptr)
        pool->noteRead(clock.waited());
    return read;
}

bool FolderSnapshot::readEntries(int fd) {
    thread_local std::array<char, readBufferSize> buffer;
    for (;;) {
        const ssize_t got = ::getdents64(fd, buffer.data(), buffer.size());
        if (got == 0)
            break;
        if (got < 0) {
            error_ = errno;
            return false;
        }
        const std::size_t before = entries_.size();
        for (ssize_t pos = 0; pos < got;) {
            const auto* d = reinterpret_cast<const struct dirent64*>(buffer.data() + pos);
            pos += d->d_reclen;
            const std::string_view name(d->d_name);
            if (isDotEntry(name))
                continue;
            addEntry(name, d->d_type);
        }
        if (!keepGoing(entries_.size() - before))
            return false;
    }
    // File systems that give no type: ask for the entry itself, never through a link.
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        if (!unknownType_[i])
            continue;
        struct stat st {};
        Entry& e = entries_[i];
        if (::fstatat(fd, names_.c_str() + e.nameOffset, &st, AT_SYMLINK_NOFOLLOW) == 0) {
            e.directory = S_ISDIR(st.st_mode);
            setFileKindFromMode(e, st.st_mode);
        }
        unknownType_[i] = 0;
        matchedFiles_ += e.matched && !e.directory ? 1 : 0;
        if (!keepGoing(workPerSizeRead))
            return false;
    }
    unknownType_.clear();
    unknownType_.shrink_to_fit();
    return true;
}

// The upper-case key serves the mask and the first bytes of the order; it is not kept. An entry
// whose kind the folder read did not give (DT_UNKNOWN) counts among the files once it is known.
void FolderSnapshot::addEntry(std::string_view name, unsigned char type) {
    const bool directory = type == DT_DIR;
    const bool kindKnown = type != DT_UNKNOWN;
    thread_local std::string key;
    key.clear();
    AppendUpperKey(key, name);
    if (exclusion_ != nullptr && !isDotEntry(name) && exclusion_->excludesKey(key))
        return;
    Entry e{};
    e.keyStart = prefixOf(key, 0);
    e.keyNext = prefixOf(key, 8);
    e.nameOffset = static_cast<std::uint32_t>(names_.size());
    e.nameLength = static_cast<std::uint16_t>(name.size());
    e.directory = directory;
    setFileKind(e, type == DT_LNK, kindKnown && !directory && type != DT_LNK && type != DT_REG);
    e.matched = mask_->matchesKey(key);
    matched_ += e.matched ? 1 : 0;
    matchedFiles_ += e.matched && !directory && kindKnown ? 1 : 0;
    names_.append(name);
    names_.push_back('\0');
    entries_.push_back(e);
    unknownType_.push_back(kindKnown ? 0 : 1);
}

// Sorts in blocks and merges them pairwise, asking between steps, so no single step of a huge
// folder takes long; small folders are one block.
bool FolderSnapshot::sortEntries(std::size_t first) {
    return SortInSteps(
        entries_, first, sortBlock, askEvery_,
        [this](const Entry& a, const Entry& b) { return entryBefore(a, b); },
        [this](std::size_t work) { return keepGoing(work); });
}

// The listing's order: by the upper-case key, then by the bytes.
bool FolderSnapshot::entryBefore(const Entry& a, const Entry& b) const {
    if (a.keyStart != b.keyStart)
        return a.keyStart < b.keyStart;
    if (a.keyNext != b.keyNext)
        return a.keyNext < b.keyNext;
    const std::string_view nameA = name(a);
    const std::string_view nameB = name(b);
    const int byKey = compareKeys(nameA, nameB);
    if (byKey != 0)
        return byKey < 0;
    return nameA < nameB;
}

// Only this thread asks keepGoing (it may pump the window's events); workers see its stop.
bool FolderSnapshot::readSizes(int fd, WorkerPool* pool) {
    if (details_.times || (files_ && files_->filtersByTime()))
        times_.assign(entries_.size(), FileTime());
    SharedSizeReads reads(
        entries_.size(), matched_,
        [this, fd](std::size_t begin, std::size_t end, const std::atomic<bool>& stop) {
            return readSizeRange(fd, begin, end, stop);
        },
        pool);
    const bool complete =
        reads.readAll([this](std::size_t entries) { return keepGoing(entries * workPerSizeRead); },
                      [this] { return askNow(); });
    sizeError_ = reads.firstError();
    return complete;
}

// The matching files outside the size and time ranges match no more; one that could not be
// looked up stays, as nothing is known of it to leave it out by (the size error names its folder).
void FolderSnapshot::keepFilesInRange() {
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        Entry& e = entries_[i];
        if (!e.matched || e.directory || e.statFailed || files_->keepsFile(e.size, modified(i)))
            continue;
        e.matched = false;
        --matched_;
        --matchedFiles_;
    }
}

// Reads the sizes of the matching files among the entries [begin, end), up to a stop; gives the
// first error other than a vanished name. With times, subfolders are looked up too (a
// directory's size stays 0).
SharedSizeReads::RunResult FolderSnapshot::readSizeRange(int fd, std::size_t begin, std::size_t end,
                                                         const std::atomic<bool>& stop) {
    SharedSizeReads::RunResult result;
    const bool withTimes = !times_.empty();
    for (std::size_t i = begin; i < end && !stop.load(std::memory_order_relaxed); ++i) {
        Entry& e = entries_[i];
        if (!e.matched || (e.directory && (!withTimes || isDotEntry(name(e)))))
            continue;
        struct stat st {};
        ++result.reads;
        e.lookedUp = true;
        // A name that vanished since the read, or one that may not be looked up, shows size 0;
        // its size and time are unknown.
        if (::fstatat(fd, names_.c_str() + e.nameOffset, &st, AT_SYMLINK_NOFOLLOW) == 0) {
            e.size = e.directory ? 0 : static_cast<std::int64_t>(st.st_size);
            e.statFailed = false;
            if (!e.directory)
                setFileKindFromMode(e, st.st_mode);
            if (withTimes)
                times_[i] = ModificationTimeOf(st);
        } else {
            e.size = 0;
            e.statFailed = true;
            if (result.error == 0 && errno != ENOENT)
                result.error = errno;
        }
    }
    return result;
}

// The targets of the matching links, read after their sizes (which told which entries are links)
// on the thread that reads the folder: links are few, and a target is one call.
bool FolderSnapshot::readTargets(int fd) {
    if (!details_.targets)
        return true;
    thread_local std::array<char, PATH_MAX> target;
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        const Entry& e = entries_[i];
        if (!e.matched || !e.link)
            continue;
        const ssize_t length =
            ::readlinkat(fd, names_.c_str() + e.nameOffset, target.data(), target.size());
        // A target as long as the buffer may have been cut short: it stays unknown.
        if (length >= 0 && std::size_t(length) < target.size()) {
            targetIndex_.push_back({i, targets_.size(), std::size_t(length)});
            targets_.append(target.data(), std::size_t(length));
        }
        if (!keepGoing(workPerSizeRead))
            return false;
    }
    return true;
}

EntryRecord::Kind FolderSnapshot::kindOf(const Entry& e, std::string_view name) {
    using Kind = EntryRecord::Kind;
    if (e.directory)
        return isDotEntry(name) ? Kind::Dot : Kind::Folder;
    return e.link ? Kind::Link : e.special ? Kind::Special : Kind::File;
}

std::optional<std::string_view> FolderSnapshot::target(std::size_t i) const {
    const auto found = std::lower_bound(
        targetIndex_.begin(), targetIndex_.end(), i,
        [](const Target& target, std::size_t entry) { return target.entry < entry; });
    if (found == targetIndex_.end() || found->entry != i)
        return std::nullopt;
    return std::string_view(targets_).substr(found->offset, found->length);
}
