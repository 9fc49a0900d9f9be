#pragma once

#include "scope/ExclusionRule.h"
#include "scope/SearchScope.h"
#include "walk/FolderSnapshot.h"

#include <cstddef>
#include <string_view>
#include <sys/types.h>
#include <vector>

// What the walk of one searched folder enters and reads beyond its masks: the one place that
// says whether a subfolder is entered (recursion, depth, file system) and what the read of a
// folder leaves out (exclusion masks, the files outside the size and time ranges). The scan and
// the read-ahead both ask it, so a worker never opens a folder that the scan would not enter.
// Once the searched folder's device is set, it is only read, by any thread.
class WalkScope final {
public:
    enum class Descent {
        Enter,
        Pass,            // not a subfolder to enter: no recursion, deeper than allowed
        OtherFileSystem, // listed, not entered
        Unknown,         // its file system could not be looked up (the error says why)
    };

    // `scope` must outlive this object.
    WalkScope(const SearchScope& scope, bool recursive);
    WalkScope(const WalkScope&) = delete;
    WalkScope& operator=(const WalkScope&) = delete;

    // The device of the searched folder, as its read saw it.
    void setSearchedDevice(dev_t device) { device_ = device; }

    // What becomes of one entry of a folder; `error` holds errno with Unknown.
    struct Verdict {
        Descent descent;
        int error;
    };

    // Whether any subfolder of a folder `depth` levels below the searched folder is entered.
    bool entersBelow(std::size_t depth) const;
    // Whether the subfolder `name` of the open folder `parent`, which lies `depth` levels below
    // the searched folder, is entered. With one file system its device is looked up relative to
    // `parent`, without following a link or setting off an automount; when that fails, `error`
    // holds errno.
    Descent descent(int parent, std::size_t depth, const char* name, int& error) const;

    // The verdict on each entry of `snapshot`, the folder `depth` levels below the searched
    // folder, open as `fd`: Pass for whatever is no subfolder.
    void decide(const FolderSnapshot& snapshot, std::size_t depth, int fd,
                std::vector<Verdict>& verdicts) const;

    // Whether the subfolder `name` of a folder whose path is `folderLength` bytes long can be
    // opened: a path beyond the system's limit could not be opened by its path, so such a
    // folder delivers nothing, however it is reached.
    static bool fitsPathLimit(std::size_t folderLength, std::string_view name);

    // What the read of the folder `relativeFolder` below the searched folder ("" itself, else
    // ending in "/") leaves out by name.
    FolderExclusion exclusionFor(std::string_view relativeFolder) const {
        return exclusions_.forFolder(relativeFolder);
    }
    bool excludesByName() const { return !exclusions_.empty(); }
    // The size and time ranges of the files kept.
    const SearchScope& files() const { return scope_; }

private:
    const SearchScope& scope_;
    const ExclusionRule exclusions_;
    const bool recursive_;
    dev_t device_ = 0;
};
