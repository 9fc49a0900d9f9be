#include "walk/DescriptorBudget.h"

#include <cerrno>
#include <dirent.h>
#include <sys/resource.h>

namespace {

// Left for the rest of the program: an output file, a file the window saves, Qt's own.
constexpr std::size_t leftForOthers = 4;
// What a scan's own opens need beyond the optional ones: a subfolder and its parent opened
// again by path.
constexpr std::size_t neededByAScan = 2;

// The descriptors this process holds now, not counting the one used to count them.
std::size_t descriptorsHeld() {
    DIR* folder = ::opendir("/proc/self/fd");
    if (folder == nullptr)
        return 3; // standard input, output and error
    std::size_t count = 0;
    while (const dirent* entry = ::readdir(folder)) {
        if (entry->d_name[0] != '.')
            ++count;
    }
    ::closedir(folder);
    return count > 0 ? count - 1 : 0;
}

std::size_t descriptorLimit() {
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY)
        return 1024;
    return static_cast<std::size_t>(limit.rlim_cur);
}

} // namespace

DescriptorBudget& DescriptorBudget::process() {
    static DescriptorBudget budget;
    return budget;
}

// Taken while nothing is counted, so every descriptor the process holds belongs to someone else.
// The limit and what the rest of the program holds may have changed since the last time.
void DescriptorBudget::refreshRoom() {
    const std::size_t limit = descriptorLimit();
    const std::size_t unavailable = descriptorsHeld() + leftForOthers + neededByAScan;
    optionalRoom_ = limit > unavailable ? limit - unavailable : 0;
}

void DescriptorBudget::take() {
    const std::lock_guard lock(mutex_);
    if (taken_ == 0)
        refreshRoom();
    ++taken_;
}

bool DescriptorBudget::tryTake() {
    const std::lock_guard lock(mutex_);
    if (taken_ == 0)
        refreshRoom();
    if (taken_ >= optionalRoom_)
        return false;
    ++taken_;
    return true;
}

bool DescriptorBudget::mayKeep() {
    const std::lock_guard lock(mutex_);
    return taken_ <= optionalRoom_;
}

void DescriptorBudget::give() {
    const std::lock_guard lock(mutex_);
    if (taken_ > 0)
        --taken_;
}

bool DescriptorBudget::exhausted(int error) {
    return error == EMFILE || error == ENFILE;
}
