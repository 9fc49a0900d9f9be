#include "OutputTarget.h"

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <QByteArrayView>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int maxLinkSteps = 40; // as the kernel's own limit for one lookup

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

// The target of the symbolic link `name`, relative targets taken from the link's folder; empty
// when `name` is no link.
QByteArray linkTarget(const QByteArray& name) {
    QByteArray target(PATH_MAX, '\0');
    const ssize_t length =
        ::readlink(name.constData(), target.data(), static_cast<std::size_t>(target.size()));
    if (length <= 0 || length >= target.size())
        return {};
    target.truncate(length);
    const qsizetype slash = name.lastIndexOf('/');
    if (target.startsWith('/') || slash < 0)
        return target;
    return name.left(slash + 1) + target;
}

} // namespace

OutputTarget ClassifyOutputTarget(const QByteArray& fileName) {
    OutputTarget target;
    QByteArray name = fileName;
    for (int step = 0; step < maxLinkSteps; ++step) {
        if (const int fd = namedDescriptor(name); fd >= 0 && ::fcntl(fd, F_GETFD) != -1) {
            target.kind = OutputTarget::Kind::Descriptor;
            target.descriptor = fd;
            return target;
        }
        const QByteArray next = linkTarget(name);
        if (next.isEmpty())
            break;
        name = next;
    }
    struct stat st {};
    if (::stat(fileName.constData(), &st) == 0 && !S_ISREG(st.st_mode)) {
        target.kind = OutputTarget::Kind::InPlace;
        return target;
    }
    target.finalName = name;
    return target;
}
