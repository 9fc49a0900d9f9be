#include "compare/ListingComparison.h"

#include "base/Utf8Text.h"
#include "compare/ChecksumListing.h"
#include "format/ListingFormat.h"

#include <map>
#include <string_view>
#include <tuple>
#include <unordered_map>

namespace {

// A folder as a note names it: by the listing's display rule, so that a list of exact names
// cannot steer the report with its control characters either.
QString shownText(std::string_view text) {
    return QString::fromStdString(DisplayText(text));
}

// The block of `full` that lists what the last listing of `cut` lists, so that everything from
// there on in `full` lies beyond the end of `cut`. A folder listed k times (once per mask) is
// matched to its k-th listing. When the last listing of `cut` has none in `full`, the one
// before it is taken, and so on; with none at all, nothing of `full` lies within reach.
std::uint32_t endOfReach(const PathSet& full, const PathSet& cut) {
    std::unordered_map<std::string_view, std::vector<std::uint32_t>> listings;
    for (std::uint32_t b = 0; b < full.blockCount(); ++b)
        listings[full.blockFolderText(b)].push_back(b);
    std::unordered_map<std::string_view, std::uint32_t> seen;
    std::vector<std::uint32_t> occurrence(cut.blockCount());
    for (std::size_t b = 0; b < cut.blockCount(); ++b)
        occurrence[b] = seen[cut.blockFolderText(b)]++;
    for (std::size_t b = cut.blockCount(); b-- > 0;) {
        const auto found = listings.find(cut.blockFolderText(b));
        if (found != listings.end() && occurrence[b] < found->second.size())
            return found->second[occurrence[b]];
    }
    return 0;
}

bool timesDiffer(const PathSet& earlier, std::size_t i, const PathSet& later, std::size_t j) {
    return IsFileLike(earlier.kind(i)) && IsFileLike(later.kind(j)) && earlier.timeKnown(i) &&
           later.timeKnown(j) && earlier.modified(i) != later.modified(j);
}

bool digestsDiffer(const PathSet& earlier, std::size_t i, const PathSet& later, std::size_t j) {
    const std::string_view before = earlier.digest(i);
    const std::string_view after = later.digest(j);
    return !before.empty() && !after.empty() && before != after;
}

// A text listing lists links and special files as files; only two lists that tell them apart
// see a file that became a link.
bool kindsDiffer(EntryKind a, EntryKind b, bool exactKinds) {
    if (a == EntryKind::Unknown || b == EntryKind::Unknown)
        return false;
    if (!exactKinds && IsFileLike(a) && IsFileLike(b))
        return false;
    return a != b;
}

// What --type asks for: an entry of unknown kind counts as a file.
bool isOfKind(EntryKind kind, EntryKind wanted) {
    if (kind == EntryKind::Unknown)
        kind = EntryKind::File;
    return kind == wanted;
}

bool sizesDiffer(const PathSet& earlier, std::size_t i, const PathSet& later, std::size_t j) {
    const std::int64_t before = earlier.entrySize(i);
    const std::int64_t after = later.entrySize(j);
    return before != PathSet::unknownSize && after != PathSet::unknownSize && before != after;
}

} // namespace

// A list of exact names is compared as a listing shows it where the other list is one; against
// a checksum list, paths are spelt as that list's are (AlignPathsForChecksums). When each list
// searched one folder, and another one, both are taken below their folders.
ListingComparison::Prepared ListingComparison::prepare(const SavedListing& earlier,
                                                       const SavedListing& later) {
    Prepared prepared;
    if (earlier.exactNames && !later.exactNames)
        prepared.earlier = std::make_unique<SavedListing>(ShownForm(earlier));
    if (later.exactNames && !earlier.exactNames)
        prepared.later = std::make_unique<SavedListing>(ShownForm(later));
    if (earlier.form == ListingForm::Checksums || later.form == ListingForm::Checksums) {
        for (auto [side, list, other] : {std::tuple{&prepared.earlier, &earlier, &later},
                                         std::tuple{&prepared.later, &later, &earlier}}) {
            if (!*side)
                *side = std::make_unique<SavedListing>(*list);
            AlignPathsForChecksums(**side, *other);
        }
        return prepared;
    }
    const SavedListing& first = prepared.earlier ? *prepared.earlier : earlier;
    const SavedListing& second = prepared.later ? *prepared.later : later;
    if (first.searchedFolders.size() != 1 || second.searchedFolders.size() != 1 ||
        first.searchedFolders.front() == second.searchedFolders.front())
        return prepared;
    prepared.folders.emplace(first.searchedFolders.front(), second.searchedFolders.front());
    prepared.earlier = std::make_unique<SavedListing>(BelowFolder(first, prepared.folders->first));
    prepared.later = std::make_unique<SavedListing>(BelowFolder(second, prepared.folders->second));
    return prepared;
}

ListingComparison::ListingComparison(const SavedListing& earlier, const SavedListing& later,
                                     Options options)
    : ListingComparison(prepare(earlier, later), earlier, later, options) {}

ListingComparison::ListingComparison(Prepared prepared, const SavedListing& earlierList,
                                     const SavedListing& laterList, Options options)
    : prepared_(std::move(prepared)),
      options_(options), earlier_{prepared_.earlier ? *prepared_.earlier : earlierList, {}, {}, {}},
      later_{prepared_.later ? *prepared_.later : laterList, {}, {}, {}},
      compareTimes_(earlierList.withTimes && laterList.withTimes),
      compareDigests_(earlierList.digest == laterList.digest ? earlierList.digest : std::nullopt),
      exactKinds_(earlierList.exactKinds && laterList.exactKinds) {
    const SavedListing& earlier = earlier_.listing;
    const SavedListing& later = later_.listing;
    if (!earlier.searchedFor.isEmpty() && !later.searchedFor.isEmpty() &&
        earlier.searchedFor != later.searchedFor) {
        notes_.append(QStringLiteral("Die frühere Liste nennt andere Suchverzeichnisse "
                                     "oder Suchmasken als die neue"));
    }
    if (earlier.form == ListingForm::Checksums || later.form == ListingForm::Checksums) {
        if (earlier.form == ListingForm::Checksums)
            earlierReach_.emplace(earlier);
        if (later.form == ListingForm::Checksums)
            laterReach_.emplace(later);
        if (const QString note = ChecksumListNote(earlier, later); !note.isEmpty())
            notes_.append(note);
    } else if (earlier.form != later.form) {
        notes_.append(QStringLiteral("Nur eine der beiden Listen ist eine erweiterte Liste; "
                                     "verglichen wird nur, welche Einträge vorkommen"));
    }
    if (earlier.digest != later.digest && !earlierReach_ && !laterReach_) {
        notes_.append(earlier.digest && later.digest
                          ? QStringLiteral("Die beiden Listen tragen Prüfsummen verschiedener "
                                           "Verfahren; verglichen werden Größen und Zeiten")
                          : QStringLiteral("Nur eine der beiden Listen trägt Prüfsummen; "
                                           "verglichen werden Größen und Zeiten"));
    }
    earlier_.reach = std::make_unique<ScopeReach>(earlier);
    later_.reach = std::make_unique<ScopeReach>(later);
    addGaps(earlier_, later_, true);
    addGaps(later_, earlier_, false);
    walk([this](const Step& step) {
        count(step);
        nameAlike(step);
    });
    buildNotes();
}

// Tells each folder of both lists which gap of `side` it falls into.
void ListingComparison::addGaps(Side& side, Side& other, bool earlierSide) {
    const ListingGaps& gaps = side.listing.gaps;
    complete_ = complete_ && !gaps.any();
    addEndGap(side, other, earlierSide);
    // The unread folders in byte order without those below another: then the last one that is
    // not greater than a folder text is the only one that can hold it.
    std::map<std::string, int, std::less<>> unread;
    std::unordered_map<std::string_view, int> sizesUnread;
    for (const ListingGaps::Folder& folder : gaps.folders) {
        const bool sizes = folder.gap == ListingGaps::FolderGap::SizesUnreadable;
        const QString what = sizes ? QStringLiteral("Größen nicht lesbar in")
                             : folder.gap == ListingGaps::FolderGap::Loop
                                 ? QStringLiteral("Dateisystemschleife, nicht durchsucht:")
                                 : QStringLiteral("Verzeichnis nicht lesbar:");
        const int index = int(gaps_.size());
        gaps_.push_back(
            {QStringLiteral("%1: %2 %3").arg(sideName(earlierSide), what, shownText(folder.folder)),
             sizes ? GapKind::Sizes : GapKind::Folder, earlierSide});
        if (sizes)
            sizesUnread.emplace(folder.folder, index);
        else
            unread.emplace(folder.folder, index);
    }
    for (auto it = unread.begin(); it != unread.end();) {
        const auto below = std::next(it);
        if (below != unread.end() && below->first.starts_with(it->first))
            unread.erase(below);
        else
            ++it;
    }
    const PathSet& otherSet = other.listing.entries;
    other.unreadByOther.assign(otherSet.folderCount(), -1);
    for (std::size_t f = 0; f < otherSet.folderCount() && !unread.empty(); ++f) {
        const std::string_view text = otherSet.folderTextAt(f);
        auto holder = unread.upper_bound(text);
        if (holder != unread.begin() && text.starts_with((--holder)->first))
            other.unreadByOther[f] = holder->second;
    }
    const PathSet& set = side.listing.entries;
    side.sizesUnread.assign(set.folderCount(), -1);
    for (std::size_t f = 0; f < set.folderCount() && !sizesUnread.empty(); ++f) {
        if (const auto found = sizesUnread.find(set.folderTextAt(f)); found != sizesUnread.end())
            side.sizesUnread[f] = found->second;
    }
}

// A list that ends early leaves open what the other list has beyond its end.
void ListingComparison::addEndGap(const Side& side, Side& other, bool earlierSide) {
    const ListingGaps& gaps = side.listing.gaps;
    if (gaps.endedEarly.isEmpty())
        return;
    other.beyondOtherEnd = endOfReach(other.listing.entries, side.listing.entries);
    other.otherEndGap = int(gaps_.size());
    gaps_.push_back({sideName(earlierSide) + QStringLiteral(": ") + gaps.endedEarly, GapKind::End,
                     earlierSide});
}

// Both lists are in path order, so one pass over the two of them meets every entry. Each step
// is handed to `visit`.
template <typename Visit> void ListingComparison::walk(Visit&& visit) const {
    const PathSet& before = earlier_.listing.entries;
    const PathSet& after = later_.listing.entries;
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < before.size() || j < after.size()) {
        const int order = i == before.size()  ? 1
                          : j == after.size() ? -1
                                              : before.compare(i, after, j);
        Step step = order < 0   ? oneSided(earlier_, i++, Outcome::Removed, true)
                    : order > 0 ? oneSided(later_, j++, Outcome::Added, false)
                                : bothSides(i++, j++);
        if (keeps(step))
            visit(step);
    }
}

// Under --type, only steps of entries of that kind; of an entry that changed its kind, the side
// of that kind.
bool ListingComparison::keeps(Step& step) const {
    if (!options_.only)
        return true;
    const bool earlierKept = step.earlier != none &&
                             isOfKind(earlier_.listing.entries.kind(step.earlier), *options_.only);
    const bool laterKept =
        step.later != none && isOfKind(later_.listing.entries.kind(step.later), *options_.only);
    if (step.outcome == Outcome::KindChanged && earlierKept != laterKept)
        step.outcome = earlierKept ? Outcome::Removed : Outcome::Added;
    // An entry both lists have is of the later list's kind, where that list knows it.
    if (step.later != none && step.earlier != none &&
        later_.listing.entries.kind(step.later) != EntryKind::Unknown &&
        step.outcome != Outcome::Removed && step.outcome != Outcome::Added)
        return laterKept;
    return earlierKept || laterKept;
}

void ListingComparison::forEachDifference(
    const std::function<void(const Difference&)>& visit) const {
    walk([&](const Step& step) {
        switch (step.outcome) {
        case Outcome::Added:
            visit({Change::Added, none, step.later});
            break;
        case Outcome::Removed:
            visit({Change::Removed, step.earlier, none});
            break;
        case Outcome::Changed:
            visit({Change::Changed, step.earlier, step.later, Difference::By::Size});
            break;
        case Outcome::ContentChanged:
            visit({Change::Changed, step.earlier, step.later, Difference::By::Content});
            break;
        case Outcome::TimeChanged:
            visit({Change::Changed, step.earlier, step.later, Difference::By::Time});
            break;
        case Outcome::KindChanged:
            visit({Change::Removed, step.earlier, none});
            visit({Change::Added, none, step.later});
            break;
        case Outcome::Same:
        case Outcome::Open:
        case Outcome::Digestless:
        case Outcome::Passed:
        case Outcome::Outside:
            break;
        }
    });
}

// An entry that only one list has: gone or new, unless the other list may just not show it or
// this list shows it alike with another.
ListingComparison::Step ListingComparison::oneSided(const Side& side, std::size_t i,
                                                    Outcome outcome, bool earlierSide) const {
    const PathSet& set = side.listing.entries;
    const ScopeReach& otherScope = *(earlierSide ? later_ : earlier_).reach;
    Step step{outcome, earlierSide ? i : none, earlierSide ? none : i};
    const std::optional<ChecksumListReach>& otherReach = earlierSide ? laterReach_ : earlierReach_;
    if (otherReach && otherReach->beyond(side.listing, i)) {
        step.outcome = Outcome::Passed;
    } else if (set.ambiguous(i)) {
        step.outcome = Outcome::Open;
    } else if (otherScope.limits() && !otherScope.reaches(set, i)) {
        step.outcome = Outcome::Outside;
    } else if (set.block(i) >= side.beyondOtherEnd) {
        step.outcome = Outcome::Open;
        step.gap = side.otherEndGap;
    } else if (const int gap = side.unreadByOther[set.folderIndex(i)]; gap >= 0) {
        step.outcome = Outcome::Open;
        step.gap = gap;
    }
    return step;
}

// An entry that both lists have: the same, changed in size, or turned from file to folder.
ListingComparison::Step ListingComparison::bothSides(std::size_t i, std::size_t j) const {
    const PathSet& before = earlier_.listing.entries;
    const PathSet& after = later_.listing.entries;
    Step step{Outcome::Same, i, j};
    if (kindsDiffer(before.kind(i), after.kind(j), exactKinds_))
        step.outcome = Outcome::KindChanged;
    else if (sizesDiffer(before, i, after, j))
        step.outcome = Outcome::Changed;
    else if (compareDigests_ && digestsDiffer(before, i, after, j))
        step.outcome = Outcome::ContentChanged;
    else if (compareDigests_ && IsFileLike(before.kind(i)) && IsFileLike(after.kind(j)) &&
             before.digest(i).empty() != after.digest(j).empty())
        step.outcome = Outcome::Digestless;
    else if (compareTimes_ && timesDiffer(before, i, after, j))
        step.outcome = Outcome::TimeChanged;
    // A list that names the entry twice with other facts cannot say that it stayed the same.
    if (step.outcome == Outcome::Same &&
        (before.listedDifferently(i) || after.listedDifferently(j)))
        step.outcome = Outcome::Open;
    if (step.outcome == Outcome::Same)
        return step;
    if (before.ambiguous(i) || after.ambiguous(j)) {
        step.outcome = Outcome::Open;
    } else if (step.outcome == Outcome::Changed || step.outcome == Outcome::TimeChanged ||
               step.outcome == Outcome::ContentChanged) {
        step.gap = earlier_.sizesUnread[before.folderIndex(i)];
        if (step.gap < 0)
            step.gap = later_.sizesUnread[after.folderIndex(j)];
        if (step.gap >= 0)
            step.outcome = Outcome::Open;
    }
    return step;
}

void ListingComparison::count(const Step& step) {
    switch (step.outcome) {
    case Outcome::Added:
        ++added_;
        break;
    case Outcome::Removed:
        ++removed_;
        break;
    case Outcome::Changed:
    case Outcome::ContentChanged:
    case Outcome::TimeChanged:
        ++changed_;
        break;
    case Outcome::KindChanged:
        ++added_;
        ++removed_;
        break;
    case Outcome::Open:
        ++open_;
        if (step.gap >= 0)
            ++gaps_[std::size_t(step.gap)].open;
        break;
    case Outcome::Digestless:
        ++open_;
        complete_ = false;
        digestless_.add(earlier_.listing.entries.digest(step.earlier).empty(),
                        later_.listing.entries.path(step.later));
        break;
    case Outcome::Outside:
        ++outside_;
        break;
    case Outcome::Same:
    case Outcome::Passed:
        break;
    }
}
