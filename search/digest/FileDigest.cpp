#include "digest/FileDigest.h"

#include "walk/DescriptorBudget.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <memory>
#include <openssl/evp.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// One read: large enough that the system calls cost little beside the hashing, small enough
// that the piece is still in the processor's cache when it is hashed and that a stop waits for
// at most one piece.
constexpr std::size_t pieceBytes = 256 * 1024;
// From this size on the system is told that the file is read from start to end, so it reads
// further ahead.
constexpr std::int64_t sequentialFrom = 1024 * 1024;

constexpr int openFlags = O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;

struct ContextFree {
    void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
};

// A file descriptor counted by the process's descriptor budget while it is open.
class OpenFile final {
public:
    OpenFile(int folder, const char* name, DigestLink link) {
        int flags = openFlags | (link == DigestLink::NoFollow ? O_NOFOLLOW : 0);
        DescriptorBudget::process().take();
        fd_ = ::openat(folder, name, flags | O_NOATIME);
        // Only the owner of a file (or a privileged process) may leave its access time alone.
        if (fd_ < 0 && errno == EPERM)
            fd_ = ::openat(folder, name, flags);
        if (fd_ < 0) {
            error_ = errno;
            DescriptorBudget::process().give();
        }
    }
    ~OpenFile() {
        if (fd_ >= 0) {
            ::close(fd_);
            DescriptorBudget::process().give();
        }
    }
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;

    int get() const { return fd_; }
    int error() const { return error_; }

private:
    int fd_ = -1;
    int error_ = 0;
};

bool sameTime(const timespec& a, const timespec& b) {
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

// The file as it was before the read is the file after it: no write, truncation or reset of
// its time came between (a write changes the change time even where the modification time is
// put back).
bool unchanged(const struct stat& before, const struct stat& after) {
    return before.st_size == after.st_size && sameTime(before.st_mtim, after.st_mtim) &&
           sameTime(before.st_ctim, after.st_ctim);
}

FileDigest outcome(FileDigest::Outcome kind, int error = 0) {
    FileDigest digest;
    digest.outcome = kind;
    digest.error = error;
    return digest;
}

std::string hexOf(const unsigned char* bytes, unsigned int length) {
    static constexpr char digits[] = "0123456789abcdef";
    std::string hex(2 * std::size_t{length}, '0');
    for (unsigned int i = 0; i < length; ++i) {
        hex[2 * i] = digits[bytes[i] >> 4];
        hex[2 * i + 1] = digits[bytes[i] & 0x0f];
    }
    return hex;
}

// One read into `buffer`, again after a signal; a file opened without blocking that says it
// would block is read again with blocking reads.
ssize_t readPiece(int fd, unsigned char* buffer, std::size_t capacity) {
    for (;;) {
        const ssize_t got = ::read(fd, buffer, capacity);
        if (got >= 0)
            return got;
        if (errno == EINTR)
            continue;
        if (errno != EAGAIN)
            return -1;
        const int flags = ::fcntl(fd, F_GETFL);
        if (flags < 0 || (flags & O_NONBLOCK) == 0 ||
            ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0)
            return -1;
    }
}

// Reads the open file into the digest up to its size, or to its end where it ends sooner.
// Returns the outcome unless it was read so far; `total` counts the bytes read.
std::optional<FileDigest> readWhole(int fd, std::int64_t size, EVP_MD_CTX* context,
                                    const std::atomic<bool>& stop,
                                    std::atomic<std::int64_t>& bytesRead,
                                    const std::function<bool()>& goOn, std::int64_t& total) {
    const std::size_t capacity =
        static_cast<std::size_t>(std::clamp<std::int64_t>(size + 1, 1, pieceBytes));
    const std::unique_ptr<unsigned char[]> buffer(new unsigned char[capacity]);
    for (;;) {
        if (stop.load(std::memory_order_relaxed) || (goOn && !goOn()))
            return outcome(FileDigest::Outcome::Stopped);
        const ssize_t got = readPiece(fd, buffer.get(), capacity);
        if (got < 0)
            return outcome(FileDigest::Outcome::Unreadable, errno);
        if (got == 0)
            return std::nullopt;
        total += got;
        bytesRead.fetch_add(got, std::memory_order_relaxed);
        if (total > size)
            return outcome(FileDigest::Outcome::Changed); // grew while it was read
        EVP_DigestUpdate(context, buffer.get(), static_cast<std::size_t>(got));
        // The size is reached: no read for the end is needed, as a file that grew meanwhile
        // shows it in its size or times after the read.
        if (total == size)
            return std::nullopt;
    }
}

} // namespace

DigestMethod::DigestMethod(DigestAlgorithm algorithm)
    : algorithm_(algorithm),
      md_(EVP_MD_fetch(nullptr, std::string(DigestInfo(algorithm).openSslName).c_str(), nullptr)) {}

DigestMethod::~DigestMethod() {
    EVP_MD_free(md_);
}

FileDigest DigestFile(const DigestMethod& method, int folder, const char* name, DigestLink link,
                      const std::atomic<bool>& stop, std::atomic<std::int64_t>& bytesRead,
                      const std::function<bool()>& goOn) {
    // Looked at before it is opened: opening a pipe, a device or a socket could block, answer
    // for ever or act on the device.
    struct stat seen {};
    const int statFlags = link == DigestLink::NoFollow ? AT_SYMLINK_NOFOLLOW : 0;
    if (::fstatat(folder, name, &seen, statFlags) != 0)
        return outcome(FileDigest::Outcome::Unreadable, errno);
    if (!S_ISREG(seen.st_mode))
        return outcome(FileDigest::Outcome::NotRegular);
    const OpenFile file(folder, name, link);
    if (file.get() < 0) {
        // A link where a file was a moment ago: the file was replaced.
        return outcome(file.error() == ELOOP ? FileDigest::Outcome::Changed
                                             : FileDigest::Outcome::Unreadable,
                       file.error());
    }
    struct stat before {};
    if (::fstat(file.get(), &before) != 0)
        return outcome(FileDigest::Outcome::Unreadable, errno);
    if (!S_ISREG(before.st_mode) || before.st_dev != seen.st_dev || before.st_ino != seen.st_ino)
        return outcome(FileDigest::Outcome::Changed);
    if (before.st_size >= sequentialFrom)
        ::posix_fadvise(file.get(), 0, 0, POSIX_FADV_SEQUENTIAL);

    const std::unique_ptr<EVP_MD_CTX, ContextFree> context(EVP_MD_CTX_new());
    if (!context || method.md() == nullptr ||
        EVP_DigestInit_ex2(context.get(), method.md(), nullptr) != 1)
        return outcome(FileDigest::Outcome::Unreadable, ENOMEM);
    std::int64_t total = 0;
    if (std::optional<FileDigest> failed =
            readWhole(file.get(), before.st_size, context.get(), stop, bytesRead, goOn, total))
        return std::move(*failed);
    struct stat after {};
    if (::fstat(file.get(), &after) != 0)
        return outcome(FileDigest::Outcome::Unreadable, errno);
    if (total != before.st_size || !unchanged(before, after))
        return outcome(FileDigest::Outcome::Changed);

    unsigned char bytes[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (EVP_DigestFinal_ex(context.get(), bytes, &length) != 1)
        return outcome(FileDigest::Outcome::Unreadable, ENOMEM);
    FileDigest digest;
    digest.outcome = FileDigest::Outcome::Read;
    digest.hex = hexOf(bytes, length);
    return digest;
}
