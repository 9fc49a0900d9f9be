#include "walk/WalkScope.h"

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <sys/stat.h>

WalkScope::WalkScope(const SearchScope& scope, bool recursive)
    : scope_(scope), exclusions_(scope.Exclusions), recursive_(recursive) {}

bool WalkScope::entersBelow(std::size_t depth) const {
    return recursive_ && scope_.entersBelow(depth);
}

WalkScope::Descent WalkScope::descent(int parent, std::size_t depth, const char* name,
                                      int& error) const {
    if (!entersBelow(depth))
        return Descent::Pass;
    if (!scope_.OneFileSystem)
        return Descent::Enter;
    struct stat st {};
    if (::fstatat(parent, name, &st, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT) != 0) {
        error = errno;
        return Descent::Unknown;
    }
    return st.st_dev == device_ ? Descent::Enter : Descent::OtherFileSystem;
}

bool WalkScope::fitsPathLimit(std::size_t folderLength, std::string_view name) {
    return folderLength + name.size() + 1 < PATH_MAX;
}

void WalkScope::decide(const FolderSnapshot& snapshot, std::size_t depth, int fd,
                       std::vector<Verdict>& verdicts) const {
    verdicts.assign(snapshot.count(), Verdict{Descent::Pass, 0});
    if (!entersBelow(depth))
        return;
    for (std::size_t i = 0; i < snapshot.count(); ++i) {
        const FolderSnapshot::Entry& entry = snapshot.entry(i);
        const std::string_view name = snapshot.name(entry);
        if (entry.directory && !FolderSnapshot::isDotEntry(name))
            verdicts[i].descent = descent(fd, depth, name.data(), verdicts[i].error);
    }
}
