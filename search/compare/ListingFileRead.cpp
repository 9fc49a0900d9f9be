#include "base/PathText.h"
#include "compare/ListingReader.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

// Reading a listing from a file, a descriptor or a text, through ListingReader.

namespace {

// Feeds the reader from `fd` until the end, a fault in the text, a read error (its message is
// returned) or a stop. Each read waits at most a moment, so a silent pipe or FIFO cannot hold
// off a stop.
QString readInto(ListingReader& reader, int fd, const KeepReading& keepReading) {
    constexpr int waitMilliseconds = 100;
    std::string piece(1 << 20, '\0');
    for (;;) {
        if (keepReading && !keepReading())
            return QStringLiteral("Das Lesen wurde abgebrochen");
        pollfd ready{fd, POLLIN, 0};
        const int polled = ::poll(&ready, 1, waitMilliseconds);
        if (polled < 0 && errno != EINTR)
            return QString::fromLocal8Bit(std::strerror(errno));
        if (polled <= 0)
            continue;
        const ssize_t got = ::read(fd, piece.data(), piece.size());
        if (got < 0) {
            if (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK)
                continue;
            return QString::fromLocal8Bit(std::strerror(errno));
        }
        if (got == 0)
            return {};
        reader.addText(std::string_view(piece.data(), std::size_t(got)));
        if (reader.failed())
            return {};
    }
}

SavedListing readNamed(ListingReader& reader, const QString& readError, const QString& shownName) {
    SavedListing listing = reader.finish();
    if (!readError.isEmpty()) {
        listing.error =
            QStringLiteral("%1 kann nicht gelesen werden: %2").arg(shownName, readError);
    } else if (!listing.error.isEmpty()) {
        listing.error = QStringLiteral("%1: %2").arg(shownName, listing.error);
    }
    return listing;
}

} // namespace

SavedListing ReadListingFile(const QString& fileName, const KeepReading& keepReading) {
    // Opened without waiting, so a FIFO without a writer cannot hold off a stop either.
    const int fd =
        ::open(PathTextBytes(fileName).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    ListingReader reader;
    const QString error =
        fd < 0 ? QString::fromLocal8Bit(std::strerror(errno)) : readInto(reader, fd, keepReading);
    if (fd >= 0)
        ::close(fd);
    return readNamed(reader, error, ShownPathText(fileName));
}

SavedListing ReadListingDescriptor(int fd, const QString& shownName,
                                   const KeepReading& keepReading) {
    ListingReader reader;
    const QString error = readInto(reader, fd, keepReading);
    return readNamed(reader, error, shownName);
}

SavedListing ReadListingText(std::string_view text) {
    ListingReader reader;
    reader.addText(text);
    return reader.finish();
}
