#pragma once

#include "compare/ChecksumListing.h"
#include "compare/ListingReader.h"
#include "compare/ScopeReach.h"
#include "output/LineSink.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <QStringList>
#include <string>
#include <utility>
#include <vector>

// An earlier listing compared with a later one, path by path: what is new, gone or changed. What
// cannot be told is left open and never counted: entries that fall into a gap of either list
// (beyond the end of a list that ends early, below a folder that could not be read, a size that
// could not be read) and entries whose names a list shows alike. A list of exact names compares
// by its exact names with another such list, and as a listing shows them with a listing; where
// both lists give times, a file of equal size whose time differs has changed too, and where both
// carry digests of one algorithm, a file whose digest differs. A checksum list names files with
// their digests only: against it, what it cannot name (folders, entries without a digest) is
// passed over, and its relative paths meet the other list's (AlignPathsForChecksums). When each
// list searched one folder, and another one, paths compare below those folders, so that a copy
// of a tree compares with its original. The differences come in path order, in which what a
// folder holds follows the folder's own path. An entry that only one list has and that lies
// outside the other list's scope (ScopeReach) is neither new nor gone: the other search would
// not have listed it.
class ListingComparison final {
public:
    struct Options {
        // Only differences of entries of this kind count (--type): files, folders or links. An
        // entry whose kind neither list tells counts as a file, and so does a file of a text
        // listing, which lists links and special files as files.
        std::optional<EntryKind> only;
    };

    // Compares two listings that could be read (no error). Counts and notes are ready at once.
    ListingComparison(const SavedListing& earlier, const SavedListing& later, Options options = {});

    // One difference: an entry that is new, gone, or changed in size, content or time.
    enum class Change { Added, Removed, Changed };
    struct Difference {
        Change change;
        std::size_t earlier; // the entry in earlierEntries(), or none
        std::size_t later;   // the entry in laterEntries(), or none
        // Changed: what tells it, the first of size, content and time that differs.
        enum class By { Size, Content, Time } by = By::Size;
    };
    static constexpr std::size_t none = SIZE_MAX;
    // Hands each difference on in path order; an entry that turned from a file into a folder or
    // back is gone and new.
    void forEachDifference(const std::function<void(const Difference&)>& visit) const;
    // The two lists as compared: as a listing shows them where only one list holds exact names,
    // and below the compared folders.
    const PathSet& earlierEntries() const { return earlier_.listing.entries; }
    const PathSet& laterEntries() const { return later_.listing.entries; }
    // The earlier and the later list's folder, each spelt as its list spells it, when paths
    // compare below them.
    const std::optional<std::pair<std::string, std::string>>& comparedFolders() const {
        return prepared_.folders;
    }
    // The algorithm of the digests compared, where both lists carry them.
    std::optional<DigestAlgorithm> comparedDigests() const { return compareDigests_; }

    std::int64_t added() const { return added_; }
    std::int64_t removed() const { return removed_; }
    std::int64_t changed() const { return changed_; }
    std::int64_t open() const { return open_; }
    // Entries that only one list has and that lie outside the other list's scope.
    std::int64_t outsideScope() const { return outside_; }
    // Nothing new, gone or changed.
    bool same() const { return added_ == 0 && removed_ == 0 && changed_ == 0; }
    // Everything could be compared: neither list has a gap or names shown alike.
    bool complete() const { return complete_; }

    // "Hinweis" texts (without that word): other searches or forms of list, each gap with what
    // it leaves open, and names shown alike.
    const QStringList& notes() const { return notes_; }
    // "N neu, N entfernt, N geändert", and when something stays open, how much.
    std::string summary() const;
    // One line a difference in path order: "+ <path>" new, "- <path>" gone, "~ <path>" a file
    // whose size changed, with the sizes in bytes where the lists know them, or whose time
    // changed at the same size ("(Größe gleich, geändert <local time> -> <local time>)"); a
    // folder's path ends in "/". An entry that turned from a file into a folder or back is gone
    // and new. (DifferenceOutput.cpp)
    void appendDifferences(LineSink& lines) const;

private:
    // The two lists as they are compared, where they had to be made so.
    struct Prepared {
        std::unique_ptr<SavedListing> earlier;
        std::unique_ptr<SavedListing> later;
        std::optional<std::pair<std::string, std::string>> folders;
    };
    static Prepared prepare(const SavedListing& earlier, const SavedListing& later);
    ListingComparison(Prepared prepared, const SavedListing& earlier, const SavedListing& later,
                      Options options);

    // What one list's gaps mean for the comparison.
    struct Side {
        const SavedListing& listing;
        // What this list's search reaches, for the entries of the other list.
        std::unique_ptr<ScopeReach> reach;
        // For each folder of the list: the gap of the other list whose unread folder holds it,
        // and the gap of this list that left its sizes unread; -1 for none.
        std::vector<int> unreadByOther;
        std::vector<int> sizesUnread;
        // The entries of this list from this block on lie beyond the end of the other list.
        std::uint32_t beyondOtherEnd = UINT32_MAX;
        int otherEndGap = -1;
    };
    enum class GapKind { End, Folder, Sizes };
    struct Gap {
        QString text;
        GapKind kind;
        bool earlierSide;
        std::int64_t open = 0;
    };
    // Same: both lists have the entry and nothing differs that they show. Digestless: only one
    // list gives the file's digest, so whether its content changed stays open. Passed: an entry
    // that the other list, a checksum list, could not name. Outside: only one list has the
    // entry, and the other's scope does not reach it.
    enum class Outcome {
        Added,
        Removed,
        Changed,
        ContentChanged,
        TimeChanged,
        KindChanged,
        Same,
        Open,
        Digestless,
        Passed,
        Outside
    };
    struct Step {
        Outcome outcome;
        std::size_t earlier; // the entry in the earlier list, or none
        std::size_t later;   // the entry in the later list, or none
        int gap = -1;        // Open: the gap that leaves it open; -1 for names shown alike
    };

    void addGaps(Side& side, Side& other, bool earlierSide);
    void addEndGap(const Side& side, Side& other, bool earlierSide);
    template <typename Visit> void walk(Visit&& visit) const;
    Step oneSided(const Side& side, std::size_t i, Outcome outcome, bool earlierSide) const;
    Step bothSides(std::size_t i, std::size_t j) const;
    bool keeps(Step& step) const;
    void count(const Step& step);
    void nameAlike(const Step& step);
    void noteListedDifferently(const PathSet& set, std::size_t i, bool earlierSide);
    void buildNotes();
    void addScopeNote();
    QString gapNote(const Gap& gap) const;

    // Gaps and names shown alike are named one by one up to this many; the rest are summed up.
    static constexpr int namedNotes = 20;
    static QString sideName(bool earlierSide);

    Prepared prepared_;
    Options options_;
    Side earlier_;
    Side later_;
    bool compareTimes_ = false;
    std::optional<DigestAlgorithm> compareDigests_; // where both lists carry them
    bool exactKinds_ = false;
    // What a checksum list on either side cannot name.
    std::optional<ChecksumListReach> earlierReach_;
    std::optional<ChecksumListReach> laterReach_;
    DigestlessNotes digestless_;
    std::vector<Gap> gaps_;
    QStringList alikeNotes_;
    std::int64_t alikeUnnamed_ = 0;
    QStringList notes_;
    std::int64_t added_ = 0;
    std::int64_t removed_ = 0;
    std::int64_t changed_ = 0;
    std::int64_t open_ = 0;
    std::int64_t outside_ = 0;
    bool complete_ = true;
};
