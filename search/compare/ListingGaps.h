#pragma once

#include "run/RunOutcome.h"

#include <QString>
#include <string>
#include <string_view>
#include <vector>

// What a list lacks, as far as is known: it may end before its search did (a cancelled run, a
// file cut short), and folders may be missing from it with everything below them, or show 0 for
// sizes that could not be read. A comparison counts nothing that falls into a gap as new, gone or
// changed; it names the gap instead.
struct ListingGaps {
    enum class FolderGap {
        Unreadable,      // could not be opened or read: nothing below it is listed
        Loop,            // leads back onto the way down to it and was not entered
        SizesUnreadable, // its entries are listed, but their sizes show 0
    };
    struct Folder {
        std::string folder; // as FolderKey spells it
        FolderGap gap;
    };

    // Why the list ends before its search did; empty when it does not.
    QString endedEarly;
    std::vector<Folder> folders;
    // The folders are spelt by their exact bytes, as the paths of a list of exact names are.
    bool exactKeys = false;

    // A folder as the search reports it: its raw path.
    void addFolder(std::string_view rawPath, FolderGap gap);
    // The same gaps as a listing shows their folders.
    ListingGaps shownForm() const;
    // Sets endedEarly to `reason` unless it holds one already.
    void endEarly(const QString& reason);
    bool any() const { return !endedEarly.isEmpty() || !folders.empty(); }
};

// What the list of a run lacks: a cancelled run ends early, and the folders it could not read,
// read without sizes or did not enter as loops are gaps; `exactKeys` for a list of the run's
// records.
ListingGaps GapsOfRun(const RunOutcome& outcome, bool exactKeys = false);
