#include "walk/FolderDescriptor.h"

#include "walk/DescriptorBudget.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#include <utility>

namespace {

constexpr int folderFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;

} // namespace

FolderDescriptor::FolderDescriptor(int fd) : fd_(fd) {
    if (fd_ < 0) {
        const int error = errno;
        DescriptorBudget::process().give();
        errno = error;
    }
}

FolderDescriptor::FolderDescriptor(FolderDescriptor&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)) {}

FolderDescriptor& FolderDescriptor::operator=(FolderDescriptor&& other) noexcept {
    if (this != &other) {
        reset();
        fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
}

FolderDescriptor::Reservation FolderDescriptor::Reservation::tryMake() {
    return Reservation(DescriptorBudget::process().tryTake());
}

FolderDescriptor::Reservation::~Reservation() {
    if (held_)
        DescriptorBudget::process().give();
}

void FolderDescriptor::takeOver(Reservation& reserved) {
    if (!reserved.held_)
        DescriptorBudget::process().take();
    reserved.held_ = false;
}

FolderDescriptor FolderDescriptor::open(int parent, const char* name, Link link) {
    return open(Reservation(false), parent, name, link);
}

FolderDescriptor FolderDescriptor::open(Reservation reserved, int parent, const char* name,
                                        Link link) {
    takeOver(reserved);
    const int flags = link == Link::Follow ? folderFlags : folderFlags | O_NOFOLLOW;
    return FolderDescriptor(::openat(parent, name, flags));
}

FolderDescriptor FolderDescriptor::duplicate(Reservation reserved, int fd) {
    takeOver(reserved);
    return FolderDescriptor(::fcntl(fd, F_DUPFD_CLOEXEC, 0));
}

void FolderDescriptor::reset() {
    if (fd_ < 0)
        return;
    ::close(std::exchange(fd_, -1));
    DescriptorBudget::process().give();
}
