#include "output/FdOutput.h"

#include <algorithm>
#include <cerrno>
#include <poll.h>
#include <unistd.h>

namespace {

constexpr std::size_t largestPiece = std::size_t{1} << 20;

// A descriptor inherited in non-blocking mode reports EAGAIN when the pipe is full; wait until
// it can take more.
bool waitWritable(int fd) {
    pollfd request{fd, POLLOUT, 0};
    int ready = 0;
    do {
        ready = ::poll(&request, 1, -1);
    } while (ready < 0 && errno == EINTR);
    return ready > 0;
}

} // namespace

WriteOutcome WriteAll(int fd, std::string_view data) {
    while (!data.empty()) {
        const ssize_t written = ::write(fd, data.data(), std::min(data.size(), largestPiece));
        if (written > 0) {
            data.remove_prefix(static_cast<std::size_t>(written));
        } else if (written == 0) {
            // Should not happen for a non-empty write; don't spin on it.
            errno = EIO;
            return WriteOutcome::Failed;
        } else if (errno == EPIPE) {
            return WriteOutcome::Closed;
        } else if ((errno == EAGAIN || errno == EWOULDBLOCK) && waitWritable(fd)) {
            continue;
        } else if (errno != EINTR) {
            return WriteOutcome::Failed;
        }
    }
    return WriteOutcome::Written;
}
