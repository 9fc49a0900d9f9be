#include "output/OutputTarget.h"

#include "base/Utf8Text.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <QByteArrayList>
#include <QByteArrayView>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int maxLinks = 40; // as the kernel's own limit for one lookup

// The descriptor number at the end of "<prefix><N>", or -1.
int descriptorAfter(const QByteArray& name, QByteArrayView prefix) {
    if (!name.startsWith(prefix) || name.size() == prefix.size())
        return -1;
    bool ok = false;
    const int fd = name.mid(prefix.size()).toInt(&ok, 10);
    return ok && fd >= 0 ? fd : -1;
}

// The descriptor of this process that `name` spells out, or -1.
int namedDescriptor(const QByteArray& name) {
    if (name == "/dev/stdin")
        return 0;
    if (name == "/dev/stdout")
        return 1;
    if (name == "/dev/stderr")
        return 2;
    const QByteArray ownProcess = "/proc/" + QByteArray::number(::getpid()) + "/fd/";
    for (const QByteArrayView prefix :
         {QByteArrayView("/dev/fd/"), QByteArrayView("/proc/self/fd/"),
          QByteArrayView("/proc/thread-self/fd/"), QByteArrayView(ownProcess)}) {
        if (const int fd = descriptorAfter(name, prefix); fd >= 0)
            return fd;
    }
    return -1;
}

bool isOpenDescriptor(int fd) {
    return fd >= 0 && ::fcntl(fd, F_GETFD) != -1;
}

// A link may be followed unless it lies in a sticky folder that everyone may write and belongs
// neither to the caller nor to the folder's owner.
bool mayFollow(const struct stat& link, const QByteArray& folder) {
    struct stat st {};
    if (::stat(folder.isEmpty() ? "." : folder.constData(), &st) != 0)
        return true;
    const bool sticky = (st.st_mode & S_ISVTX) != 0 && (st.st_mode & S_IWOTH) != 0;
    return !sticky || link.st_uid == ::geteuid() || link.st_uid == st.st_uid;
}

// Walks a name one part at a time, following each link itself. `walked` holds the parts walked
// so far, none of them a link: empty for the current folder, "/" for the root.
class NameWalk final {
public:
    explicit NameWalk(const QByteArray& fileName)
        : walked_(fileName.startsWith('/') ? QByteArray("/") : QByteArray()),
          rest_(fileName.split('/')), folderOnly_(fileName.endsWith('/')) {}

    OutputTarget run();

private:
    QByteArray current() const;
    QByteArray joined(const QByteArray& part) const;
    void step(const QByteArray& part);
    bool followLink(const QByteArray& path, const struct stat& link);
    OutputTarget refused(int error, bool untrustedLink = false) const;

    QByteArray walked_;
    QByteArrayList rest_;
    bool folderOnly_; // the name ends in "/", which only a folder may
    int links_ = 0;
    bool stuck_ = false; // a part does not exist (or is no folder): the rest is taken as it is
};

QByteArray NameWalk::joined(const QByteArray& part) const {
    if (walked_.isEmpty())
        return part;
    return walked_.endsWith('/') ? walked_ + part : walked_ + '/' + part;
}

// The whole name as it stands now: the walked parts and the rest.
QByteArray NameWalk::current() const {
    QByteArray name = walked_;
    for (const QByteArray& part : rest_) {
        if (!name.isEmpty() && !name.endsWith('/'))
            name += '/';
        name += part;
    }
    return name.isEmpty() ? QByteArray(".") : name;
}

OutputTarget NameWalk::run() {
    for (;;) {
        if (const int fd = namedDescriptor(current()); isOpenDescriptor(fd)) {
            OutputTarget target;
            target.kind = OutputTarget::Kind::Descriptor;
            target.descriptor = fd;
            return target;
        }
        if (rest_.isEmpty() || stuck_)
            break;
        const QByteArray part = rest_.takeFirst();
        if (part.isEmpty() || part == ".")
            continue;
        if (part == "..") {
            step(part);
            continue;
        }
        const QByteArray path = joined(part);
        struct stat st {};
        if (::lstat(path.constData(), &st) != 0) {
            rest_.prepend(part);
            stuck_ = true;
            continue;
        }
        if (!S_ISLNK(st.st_mode)) {
            walked_ = path;
            stuck_ = !S_ISDIR(st.st_mode) && !rest_.isEmpty();
            continue;
        }
        if (++links_ > maxLinks)
            return refused(ELOOP);
        if (!mayFollow(st, walked_))
            return refused(EACCES, true);
        if (!followLink(path, st))
            return refused(errno);
    }
    OutputTarget target;
    target.finalName = current();
    if (folderOnly_ && !target.finalName.endsWith('/'))
        target.finalName += '/';
    struct stat st {};
    if (::lstat(target.finalName.constData(), &st) == 0 && !S_ISREG(st.st_mode))
        target.kind = OutputTarget::Kind::InPlace;
    return target;
}

// "..": the parent of the walked parts, which are no links, so the parent is found by name.
void NameWalk::step(const QByteArray& part) {
    const qsizetype slash = walked_.lastIndexOf('/');
    const QByteArray last = slash < 0 ? walked_ : walked_.mid(slash + 1);
    if (walked_ == "/")
        return;
    if (walked_.isEmpty() || last == "..") {
        walked_ = joined(part);
        return;
    }
    walked_ = slash < 0 ? QByteArray() : slash == 0 ? QByteArray("/") : walked_.left(slash);
}

// The link's target takes its place: an absolute one starts again from the root.
bool NameWalk::followLink(const QByteArray& path, const struct stat& link) {
    QByteArray target(link.st_size > 0 ? qsizetype(link.st_size) + 1 : PATH_MAX, '\0');
    const ssize_t length =
        ::readlink(path.constData(), target.data(), static_cast<std::size_t>(target.size()));
    if (length < 0)
        return false;
    if (length == 0 || length >= target.size()) {
        errno = ENOENT;
        return false;
    }
    target.truncate(length);
    if (target.startsWith('/'))
        walked_ = "/";
    const QByteArrayList parts = target.split('/');
    for (qsizetype i = parts.size(); i-- > 0;)
        rest_.prepend(parts.at(i));
    return true;
}

OutputTarget NameWalk::refused(int error, bool untrustedLink) const {
    OutputTarget target;
    target.kind = OutputTarget::Kind::Refused;
    target.error = error;
    target.untrustedLink = untrustedLink;
    return target;
}

} // namespace

OutputTarget ClassifyOutputTarget(const QByteArray& fileName) {
    return NameWalk(fileName).run();
}

QByteArray FolderOf(const QByteArray& name) {
    const qsizetype slash = name.lastIndexOf('/');
    if (slash < 0)
        return ".";
    return slash == 0 ? QByteArray("/") : name.left(slash);
}

QByteArray IncompleteName(const QByteArray& finalName, int attempt) {
    const qsizetype nameStart = finalName.lastIndexOf('/') + 1;
    const qsizetype dot = finalName.lastIndexOf('.');
    const qsizetype extensionStart = dot > nameStart ? dot : finalName.size();
    std::string scratch;
    const bool utf8 =
        AppendValidUtf8(scratch, std::string_view(finalName.constData() + nameStart,
                                                  std::size_t(finalName.size() - nameStart)));
    QByteArray mark = utf8 ? QByteArray(".unvollständig") : QByteArray(".unvollstaendig");
    if (attempt > 0)
        mark += '-' + QByteArray::number(attempt + 1);
    const QByteArray extension = finalName.mid(extensionStart);
    return TemporaryStem(finalName.left(extensionStart), mark.size() + extension.size()) + mark +
           extension;
}

QByteArray TemporaryStem(const QByteArray& finalName, qsizetype extra) {
    const long limit = ::pathconf(FolderOf(finalName).constData(), _PC_NAME_MAX);
    const qsizetype nameMax = limit > 0 ? qsizetype(limit) : NAME_MAX;
    const qsizetype nameLength = finalName.size() - finalName.lastIndexOf('/') - 1;
    if (nameLength + extra <= nameMax)
        return finalName;
    QByteArray stem = finalName.chopped(std::min(nameLength, nameLength + extra - nameMax));
    // No character is cut in two: the bytes of one cut at its end go.
    while (!stem.isEmpty() && (uchar(stem.back()) & 0xC0) == 0x80)
        stem.chop(1);
    if (!stem.isEmpty() && uchar(stem.back()) >= 0xC0)
        stem.chop(1);
    return stem;
}
