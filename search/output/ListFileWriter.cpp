#include "output/ListFileWriter.h"

#include "base/PathText.h"
#include "output/FdOutput.h"
#include "output/OutputTarget.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <QFileInfo>
#include <QRandomGenerator>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

constexpr std::size_t pieceSize = 1 << 20;
constexpr int linkAttempts = 100;

mode_t currentUmask() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

// The name under which /proc shows our descriptor `fd`.
QByteArray selfLink(int fd) {
    return "/proc/self/fd/" + QByteArray::number(fd);
}

QByteArray randomSuffix() {
    static constexpr char letters[] =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    QByteArray suffix(7, '.');
    for (qsizetype i = 1; i < suffix.size(); ++i)
        suffix[i] = letters[QRandomGenerator::global()->bounded(int(sizeof(letters) - 1))];
    return suffix;
}

} // namespace

ListFileWriter::ListFileWriter(QByteArray fileName)
    : fileName_(std::move(fileName)),
      lines_([this](std::string_view text) { write(text); }, pieceSize) {
    lines_.setLineEnd("\r\n");
}

ListFileWriter::ListFileWriter(const QString& fileName) : ListFileWriter(PathTextBytes(fileName)) {}

ListFileWriter::ListFileWriter(int fd) : ListFileWriter(QByteArray()) {
    givenFd_ = fd;
}

ListFileWriter::~ListFileWriter() {
    discard();
}

QString ListFileWriter::cannotCreateMessage(const QString& fileName) {
    return QStringLiteral("Cannot create file %1").arg(fileName);
}

QString ListFileWriter::writeErrorMessage() {
    return QStringLiteral("Stream write error");
}

QString ListFileWriter::notReplacedMessage(const QString& fileName, int error) {
    return QStringLiteral("Die vorhandene Datei %1 wird nicht ersetzt: neben ihr lässt sich keine "
                          "neue Datei anlegen (%2)")
        .arg(fileName, QString::fromLocal8Bit(std::strerror(error)));
}

QString ListFileWriter::open(const StopRequested& stopRequested) {
    if (givenFd_ >= 0) {
        mode_ = Mode::Through;
        fd_ = ::fcntl(givenFd_, F_DUPFD_CLOEXEC, 0);
        return fd_ >= 0 ? QString() : cannotCreate(errno);
    }
    if (fileName_.isEmpty())
        return cannotCreate(ENOENT);
    return openTarget(stopRequested);
}

// Keeps the first failure only: what follows it is its consequence.
void ListFileWriter::fail(Failure failure, int error) {
    if (failure_ != Failure::None)
        return;
    failure_ = failure;
    error_ = error;
}

QString ListFileWriter::cannotCreate(int error) {
    fail(Failure::CannotCreate, error);
    return cannotCreateMessage(shownFullName());
}

QString ListFileWriter::openTarget(const StopRequested& stopRequested) {
    const OutputTarget target = ClassifyOutputTarget(fileName_);
    switch (target.kind) {
    case OutputTarget::Kind::Descriptor:
        // Written through a duplicate, at the descriptor's own position: what the shell wrote
        // there before stays, and what it writes after follows the list.
        mode_ = Mode::Through;
        fd_ = ::fcntl(target.descriptor, F_DUPFD_CLOEXEC, 0);
        return fd_ >= 0 ? QString() : cannotCreate(errno);
    case OutputTarget::Kind::Refused:
        if (target.untrustedLink) {
            fail(Failure::UntrustedLink, target.error);
            return cannotCreateMessage(shownFullName());
        }
        return cannotCreate(target.error);
    case OutputTarget::Kind::InPlace:
        mode_ = Mode::Through;
        finalName_ = target.finalName;
        return openInPlace(stopRequested) ? QString() : cannotCreate(stopped_ ? EINTR : errno);
    case OutputTarget::Kind::Replace:
        break;
    }
    finalName_ = target.finalName;
    return openReplacement();
}

// A FIFO's open waits for a reader; an interrupted wait goes on unless a stop was asked for. The
// name's links are resolved already: one that appears at its end meanwhile is not followed.
bool ListFileWriter::openInPlace(const StopRequested& stopRequested) {
    for (;;) {
        if (stopRequested && stopRequested()) {
            stopped_ = true;
            return false;
        }
        fd_ = ::open(finalName_.constData(), O_WRONLY | O_NOCTTY | O_CLOEXEC | O_NOFOLLOW);
        if (fd_ >= 0 || errno != EINTR)
            return fd_ >= 0;
    }
}

QString ListFileWriter::openReplacement() {
    const QByteArray& finalName = finalName_;
    struct stat old {};
    const bool exists = ::stat(finalName.constData(), &old) == 0;
    // An existing file that may not be written is not replaced behind its owner's back.
    if (exists && ::access(finalName.constData(), W_OK) != 0)
        return cannotCreate(errno);
    if (exists) {
        if (const Failure obstacle = obstacleToReplacing(finalName, old);
            obstacle != Failure::None) {
            fail(obstacle, EPERM);
            return cannotCreateMessage(shownFullName());
        }
    }
    if (!openBeside(finalName)) {
        const int error = errno;
        if (!exists)
            return cannotCreate(error);
        fail(Failure::NotReplaced, error);
        return notReplacedMessage(shownFullName(), error);
    }
    if (exists)
        keepModeOf(old);
    replacesExisting_ = exists;
    return {};
}

// What would keep the new file from being renamed over the old one, known before anything is
// written: in a folder with the sticky bit only the file's owner, the folder's owner or root may
// replace a file, and a file marked immutable or append-only is replaced by nobody.
ListFileWriter::Failure ListFileWriter::obstacleToReplacing(const QByteArray& finalName,
                                                            const struct stat& old) {
    struct stat folder {};
    const uid_t user = ::geteuid();
    if (::stat(FolderOf(finalName).constData(), &folder) == 0 && (folder.st_mode & S_ISVTX) != 0 &&
        user != 0 && user != old.st_uid && user != folder.st_uid)
        return Failure::OtherUsersFile;
    struct statx attributes {};
    constexpr auto protectedFile = STATX_ATTR_IMMUTABLE | STATX_ATTR_APPEND;
    if (::statx(AT_FDCWD, finalName.constData(), 0, STATX_BASIC_STATS, &attributes) == 0 &&
        (attributes.stx_attributes_mask & attributes.stx_attributes & protectedFile) != 0)
        return Failure::ProtectedFile;
    return Failure::None;
}

// An unnamed file in the target's folder where the file system offers one and /proc lets it be
// named when it is complete (it never shows up in a listing meanwhile), else a named one.
bool ListFileWriter::openBeside(const QByteArray& finalName) {
    const QByteArray folder = FolderOf(finalName);
    fd_ = ::open(folder.constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    if (fd_ >= 0 && ::access(selfLink(fd_).constData(), F_OK) == 0) {
        mode_ = Mode::UnnamedTemporary;
        return true;
    }
    if (fd_ >= 0)
        ::close(std::exchange(fd_, -1));
    QByteArray pattern = TemporaryStem(finalName, 7) + ".XXXXXX";
    fd_ = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (fd_ < 0)
        return false;
    mode_ = Mode::Temporary;
    temporaryName_ = pattern;
    ::fchmod(fd_, 0666 & ~currentUmask());
    return true;
}

// The replacement gets the old file's owner where we may set it (as root) and, in any case, its
// permission bits (0444 stays 0444 also for root, whom nothing stops from writing).
void ListFileWriter::keepModeOf(const struct stat& old) {
    if (old.st_uid != ::geteuid() || old.st_gid != ::getegid()) {
        [[maybe_unused]] const int ignored = ::fchown(fd_, old.st_uid, old.st_gid);
    }
    ::fchmod(fd_, old.st_mode & 07777);
}

bool ListFileWriter::writesToTerminal() const {
    return mode_ == Mode::Through && ::isatty(fd_) == 1;
}

void ListFileWriter::append(std::string_view utf8Line) {
    lines_.append(utf8Line);
}

// A piece of lines; after a failure nothing more is written.
void ListFileWriter::write(std::string_view text) {
    if (failed())
        return;
    if (fd_ < 0)
        return fail(Failure::WriteFailed, EBADF);
    switch (WriteAll(fd_, text)) {
    case WriteOutcome::Written:
        return;
    case WriteOutcome::Closed:
        return fail(Failure::ReaderGone, EPIPE);
    case WriteOutcome::Failed:
        return fail(Failure::WriteFailed, errno);
    }
}

QString ListFileWriter::commit() {
    lines_.flush();
    if (!failed() && fd_ < 0)
        fail(Failure::WriteFailed, EBADF);
    if (!failed() && !putInPlace())
        fail(Failure::WriteFailed, errno);
    if (failed()) {
        discard();
        return writeErrorMessage();
    }
    return {};
}

// Writes the file through to the disk, gives an unnamed file a name beside the target and
// renames it over the target.
bool ListFileWriter::putInPlace() {
    const bool replacing = mode_ == Mode::Temporary || mode_ == Mode::UnnamedTemporary;
    if (replacing && ::fsync(fd_) != 0 && errno != EINVAL)
        return false;
    if (mode_ == Mode::UnnamedTemporary && !nameUnnamed())
        return false;
    const int fd = std::exchange(fd_, -1);
    if (::close(fd) != 0 && errno != EINTR)
        return false;
    if (replacing && keepExisting_ && !putBeside())
        return false;
    if (replacing && !keepExisting_ &&
        ::rename(temporaryName_.constData(), finalName_.constData()) != 0)
        return false;
    temporaryName_.clear();
    mode_ = Mode::Closed;
    return true;
}

// The first name of IncompleteName's that no file holds, taken without replacing one that
// appears meanwhile; where the file system cannot rename so, by a second link.
bool ListFileWriter::putBeside() {
    for (int attempt = 0; attempt < linkAttempts; ++attempt) {
        const QByteArray name = IncompleteName(finalName_, attempt);
        bool moved = ::renameat2(AT_FDCWD, temporaryName_.constData(), AT_FDCWD, name.constData(),
                                 RENAME_NOREPLACE) == 0;
        if (!moved && (errno == EINVAL || errno == ENOSYS)) {
            moved = ::link(temporaryName_.constData(), name.constData()) == 0;
            if (moved)
                ::unlink(temporaryName_.constData());
        }
        if (moved) {
            besideName_ = name;
            return true;
        }
        if (errno != EEXIST)
            return false;
    }
    errno = EEXIST;
    return false;
}

QString ListFileWriter::shownKeptBesideName() const {
    if (besideName_.isEmpty())
        return {};
    return QFileInfo(ShownPathText(PathTextFromBytes(besideName_))).absoluteFilePath();
}

bool ListFileWriter::nameUnnamed() {
    const QByteArray self = selfLink(fd_);
    const QByteArray stem = TemporaryStem(finalName_, 7);
    for (int attempt = 0; attempt < linkAttempts; ++attempt) {
        const QByteArray name = stem + randomSuffix();
        if (::linkat(AT_FDCWD, self.constData(), AT_FDCWD, name.constData(), AT_SYMLINK_FOLLOW) ==
            0) {
            temporaryName_ = name;
            return true;
        }
        if (errno != EEXIST)
            return false;
    }
    return false;
}

void ListFileWriter::discard() {
    if (fd_ >= 0)
        ::close(std::exchange(fd_, -1));
    if (!temporaryName_.isEmpty())
        ::unlink(temporaryName_.constData());
    temporaryName_.clear();
    mode_ = Mode::Closed;
}

QString ListFileWriter::shownFullName() const {
    if (givenFd_ >= 0)
        return QStringLiteral("/dev/fd/%1").arg(givenFd_);
    return QFileInfo(ShownPathText(PathTextFromBytes(fileName_))).absoluteFilePath();
}

QString WithFullStop(const QString& message) {
    if (!message.isEmpty() && message.back() > QLatin1Char('.'))
        return message + QLatin1Char('.');
    return message;
}
