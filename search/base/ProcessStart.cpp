#include "base/ProcessStart.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <initializer_list>
#include <unistd.h>

namespace {

bool isClosed(int fd) {
    return ::fcntl(fd, F_GETFD) == -1 && errno == EBADF;
}

// Opens /dev/null on `fd`: open takes the lowest free number, which is `fd` once the lower
// ones are open.
bool openOnDevNull(int fd) {
    const int opened = ::open("/dev/null", fd == STDIN_FILENO ? O_RDONLY : O_WRONLY);
    if (opened < 0)
        return false;
    if (opened == fd)
        return true;
    const bool moved = ::dup2(opened, fd) == fd;
    ::close(opened);
    return moved;
}

} // namespace

bool PrepareProcessStart() {
    for (const int fd : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) {
        if (isClosed(fd) && !openOnDevNull(fd))
            return false;
    }
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    ::sigaction(SIGXFSZ, &ignore, nullptr);
    return true;
}
