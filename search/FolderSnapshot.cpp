#include "FolderSnapshot.h"

#include "Utf8Text.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Closes the folder's descriptor on every way out of a read.
class FileDescriptor final {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

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

std::uint64_t prefixOf(std::string_view key) {
    std::uint64_t prefix = 0;
    for (std::size_t i = 0; i < 8; ++i) {
        const auto byte = i < key.size() ? static_cast<unsigned char>(key[i]) : 0u;
        prefix = (prefix << 8) | byte;
    }
    return prefix;
}

constexpr std::size_t readBufferSize = 256 * 1024;

} // namespace

void FolderSnapshot::clear() {
    entries_.clear();
    unknownType_.clear();
    names_.clear();
    keys_.clear();
    matched_ = 0;
    error_ = 0;
    sizeError_ = 0;
}

bool FolderSnapshot::read(const char* path, Start start, const MaskMatcher& mask, bool withSizes) {
    clear();
    int flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
    if (start == Start::NoFollow)
        flags |= O_NOFOLLOW;
    const FileDescriptor fd(::open(path, flags));
    struct stat st {};
    if (fd.get() < 0 || ::fstat(fd.get(), &st) != 0) {
        error_ = errno;
        return false;
    }
    device_ = st.st_dev;
    inode_ = st.st_ino;

    const RootId& root = rootId();
    const bool isRoot = root.known && root.device == device_ && root.inode == inode_;
    if (!isRoot) {
        addEntry(".", true);
        addEntry("..", true);
    }
    const std::size_t firstSorted = entries_.size();
    if (!readEntries(fd.get())) {
        clear();
        return false;
    }
    sortEntries(firstSorted);
    markMatches(mask);
    if (withSizes)
        readSizes(fd.get());
    return true;
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
        for (ssize_t pos = 0; pos < got;) {
            const auto* d = reinterpret_cast<const struct dirent64*>(buffer.data() + pos);
            pos += d->d_reclen;
            const std::string_view name(d->d_name);
            if (isDotEntry(name))
                continue;
            addEntry(name, d->d_type == DT_DIR);
            unknownType_.back() = d->d_type == DT_UNKNOWN;
        }
    }
    // File systems that give no type: ask for the entry itself, never through a link.
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        if (!unknownType_[i])
            continue;
        struct stat st {};
        Entry& e = entries_[i];
        if (::fstatat(fd, names_.c_str() + e.nameOffset, &st, AT_SYMLINK_NOFOLLOW) == 0)
            e.directory = S_ISDIR(st.st_mode);
    }
    return true;
}

void FolderSnapshot::addEntry(std::string_view name, bool directory) {
    Entry e{};
    e.nameOffset = static_cast<std::uint32_t>(names_.size());
    e.nameLength = static_cast<std::uint32_t>(name.size());
    names_.append(name);
    names_.push_back('\0');
    e.keyOffset = static_cast<std::uint32_t>(keys_.size());
    AppendUpperKey(keys_, name);
    e.keyLength = static_cast<std::uint32_t>(keys_.size() - e.keyOffset);
    e.keyPrefix = prefixOf(std::string_view(keys_).substr(e.keyOffset, e.keyLength));
    e.directory = directory;
    entries_.push_back(e);
    unknownType_.push_back(0);
}

void FolderSnapshot::sortEntries(std::size_t first) {
    const std::string_view keys = keys_;
    const std::string_view names = names_;
    std::sort(entries_.begin() + static_cast<std::ptrdiff_t>(first), entries_.end(),
              [keys, names](const Entry& a, const Entry& b) {
                  if (a.keyPrefix != b.keyPrefix)
                      return a.keyPrefix < b.keyPrefix;
                  const int byKey = keys.substr(a.keyOffset, a.keyLength)
                                        .compare(keys.substr(b.keyOffset, b.keyLength));
                  if (byKey != 0)
                      return byKey < 0;
                  return names.substr(a.nameOffset, a.nameLength) <
                         names.substr(b.nameOffset, b.nameLength);
              });
}

void FolderSnapshot::markMatches(const MaskMatcher& mask) {
    const std::string_view keys = keys_;
    for (Entry& e : entries_) {
        e.matched = mask.matchesKey(keys.substr(e.keyOffset, e.keyLength));
        matched_ += e.matched ? 1 : 0;
    }
}

void FolderSnapshot::readSizes(int fd) {
    for (Entry& e : entries_) {
        if (!e.matched || e.directory)
            continue;
        struct stat st {};
        // A name that vanished since the read, or one that may not be looked up, shows size 0.
        if (::fstatat(fd, names_.c_str() + e.nameOffset, &st, AT_SYMLINK_NOFOLLOW) == 0) {
            e.size = static_cast<std::int64_t>(st.st_size);
        } else {
            e.size = 0;
            if (sizeError_ == 0 && errno != ENOENT)
                sizeError_ = errno;
        }
    }
}
