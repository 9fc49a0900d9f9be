#include "compare/ListingComparison.h"

#include "base/Utf8Text.h"
#include "compare/ChecksumListing.h"
#include "format/ListingFormat.h"

#include <map>
#include <string_view>
#include <unordered_map>

namespace {

// Gaps and names shown alike are named one by one up to this many; the rest are summed up.
constexpr int namedNotes = 20;

QString sideName(bool earlierSide) {
    return earlierSide ? QStringLiteral("Frühere Liste") : QStringLiteral("Neue Liste");
}

QString otherListOf(bool earlierSide) {
    return earlierSide ? QStringLiteral("der neuen Liste") : QStringLiteral("der früheren Liste");
}

// A folder as a note names it: by the listing's display rule, so that a list of exact names
// cannot steer the report with its control characters either.
QString shownText(std::string_view text) {
    return QString::fromStdString(DisplayText(text));
}

QString entriesOpen(std::int64_t count, const QString& ofList, const QString& where) {
    return count == 1
               ? QStringLiteral("1 Eintrag %1 %2 bleibt offen").arg(ofList, where)
               : QStringLiteral("%1 Einträge %2 %3 bleiben offen").arg(count).arg(ofList, where);
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

void appendEntry(LineSink& lines, char mark, const PathSet& set, std::size_t i) {
    std::string& line = lines.beginLine();
    line.push_back(mark);
    line.push_back(' ');
    line.append(set.path(i));
    const std::int64_t size = set.entrySize(i);
    if (size != PathSet::unknownSize && set.kind(i) == EntryKind::File) {
        line.append(" (");
        AppendPaddedNumber(line, size, 0);
        line.append(" Bytes)");
    }
    lines.finishLine();
}

void appendChange(LineSink& lines, const PathSet& earlier, std::size_t i, const PathSet& later,
                  std::size_t j) {
    std::string& line = lines.beginLine();
    line.append("~ ");
    line.append(later.path(j));
    line.append(" (");
    AppendPaddedNumber(line, earlier.entrySize(i), 0);
    line.append(" -> ");
    AppendPaddedNumber(line, later.entrySize(j), 0);
    line.append(" Bytes)");
    lines.finishLine();
}

// "~ <path> (Größe gleich, geändert <before> -> <after>)" in local time; to the nanosecond where
// the seconds are the same.
void appendTimeChange(LineSink& lines, const PathSet& earlier, std::size_t i, const PathSet& later,
                      std::size_t j) {
    std::string before = LocalTimeText(earlier.modified(i));
    std::string after = LocalTimeText(later.modified(j));
    if (before == after) {
        for (const auto& [text, time] :
             {std::pair{&before, earlier.modified(i)}, std::pair{&after, later.modified(j)}}) {
            const std::string nanoseconds = std::to_string(1000000000 + time.nanoseconds);
            text->append(",").append(nanoseconds.substr(1));
        }
    }
    std::string& line = lines.beginLine();
    line.append("~ ");
    line.append(later.path(j));
    line.append(" (Größe gleich, geändert ");
    line.append(before);
    line.append(" -> ");
    line.append(after);
    line.append(")");
    lines.finishLine();
}

bool timesDiffer(const PathSet& earlier, std::size_t i, const PathSet& later, std::size_t j) {
    return earlier.kind(i) == EntryKind::File && later.kind(j) == EntryKind::File &&
           earlier.timeKnown(i) && later.timeKnown(j) && earlier.modified(i) != later.modified(j);
}

bool digestsDiffer(const PathSet& earlier, std::size_t i, const PathSet& later, std::size_t j) {
    const std::string_view before = earlier.digest(i);
    const std::string_view after = later.digest(j);
    return !before.empty() && !after.empty() && before != after;
}

// "~ <path> (Inhalt geändert)": same size, other content.
void appendContentChange(LineSink& lines, const PathSet& later, std::size_t j) {
    std::string& line = lines.beginLine();
    line.append("~ ");
    line.append(later.path(j));
    line.append(" (Inhalt geändert)");
    lines.finishLine();
}

bool kindsDiffer(EntryKind a, EntryKind b) {
    return a != b && a != EntryKind::Unknown && b != EntryKind::Unknown;
}

bool sizesDiffer(const PathSet& earlier, std::size_t i, const PathSet& later, std::size_t j) {
    const std::int64_t before = earlier.entrySize(i);
    const std::int64_t after = later.entrySize(j);
    return before != PathSet::unknownSize && after != PathSet::unknownSize && before != after;
}

} // namespace

const SavedListing& ListingComparison::comparable(const SavedListing& list,
                                                  const SavedListing& other,
                                                  std::unique_ptr<SavedListing>& shown) {
    if (list.exactNames && !other.exactNames)
        shown = std::make_unique<SavedListing>(ShownForm(list));
    if (list.form == ListingForm::Checksums || other.form == ListingForm::Checksums) {
        if (!shown)
            shown = std::make_unique<SavedListing>(list);
        AlignPathsForChecksums(*shown, other);
    }
    return shown ? *shown : list;
}

ListingComparison::ListingComparison(const SavedListing& earlierList, const SavedListing& laterList)
    : earlier_{comparable(earlierList, laterList, shownEarlier_), {}, {}},
      later_{comparable(laterList, earlierList, shownLater_), {}, {}},
      compareTimes_(earlierList.withTimes && laterList.withTimes),
      compareDigests_(earlierList.digest && earlierList.digest == laterList.digest) {
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
        if (order < 0) {
            visit(oneSided(earlier_, i++, Outcome::Removed, true));
        } else if (order > 0) {
            visit(oneSided(later_, j++, Outcome::Added, false));
        } else {
            visit(bothSides(i++, j++));
        }
    }
}

// An entry that only one list has: gone or new, unless the other list may just not show it or
// this list shows it alike with another.
ListingComparison::Step ListingComparison::oneSided(const Side& side, std::size_t i,
                                                    Outcome outcome, bool earlierSide) const {
    const PathSet& set = side.listing.entries;
    Step step{outcome, earlierSide ? i : none, earlierSide ? none : i};
    const std::optional<ChecksumListReach>& otherReach = earlierSide ? laterReach_ : earlierReach_;
    if (otherReach && otherReach->beyond(side.listing, i)) {
        step.outcome = Outcome::Passed;
    } else if (set.ambiguous(i)) {
        step.outcome = Outcome::Open;
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
    if (kindsDiffer(before.kind(i), after.kind(j)))
        step.outcome = Outcome::KindChanged;
    else if (sizesDiffer(before, i, after, j))
        step.outcome = Outcome::Changed;
    else if (compareDigests_ && digestsDiffer(before, i, after, j))
        step.outcome = Outcome::ContentChanged;
    else if (compareDigests_ && before.kind(i) == EntryKind::File &&
             after.kind(j) == EntryKind::File &&
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
    case Outcome::Same:
    case Outcome::Passed:
        break;
    }
}

// Each path under which a list shows several entries is named once, changed or not; what lies
// below such a path is left open without a name of its own.
void ListingComparison::nameAlike(const Step& step) {
    if (step.outcome == Outcome::Passed)
        return;
    const PathSet& before = earlier_.listing.entries;
    const PathSet& after = later_.listing.entries;
    if ((step.earlier != none && before.ambiguous(step.earlier)) ||
        (step.later != none && after.ambiguous(step.later)))
        complete_ = false;
    for (const bool earlierSide : {true, false}) {
        const PathSet& set = earlierSide ? before : after;
        const std::size_t i = earlierSide ? step.earlier : step.later;
        if (i != none && set.listedDifferently(i) && !set.shownAlike(i))
            noteListedDifferently(set, i, earlierSide);
    }
    const bool earlierAlike = step.earlier != none && before.shownAlike(step.earlier);
    const bool laterAlike = step.later != none && after.shownAlike(step.later);
    if (!earlierAlike && !laterAlike)
        return;
    if (alikeNotes_.size() >= namedNotes) {
        ++alikeUnnamed_;
        return;
    }
    const QString which =
        earlierAlike && laterAlike ? QStringLiteral("Beide Listen") : sideName(earlierAlike);
    const std::string path = earlierAlike ? before.path(step.earlier) : after.path(step.later);
    alikeNotes_.append(QStringLiteral("%1: Mehrere Einträge eines Verzeichnisses erscheinen als "
                                      "%2; ob sie (und was darunter liegt) sich geändert haben, "
                                      "bleibt offen")
                           .arg(which, QString::fromStdString(path)));
}

// An entry that a list names twice with other sizes or times: which one is right, the list does
// not say.
void ListingComparison::noteListedDifferently(const PathSet& set, std::size_t i, bool earlierSide) {
    if (alikeNotes_.size() >= namedNotes) {
        ++alikeUnnamed_;
        return;
    }
    const auto [first, other] = set.differingLines(i);
    const QString where =
        first > 0 && other > 0
            ? QStringLiteral("steht in den Zeilen %1 und %2").arg(first).arg(other)
            : QStringLiteral("steht mehrmals");
    alikeNotes_.append(QStringLiteral("%1: %2 %3 mit verschiedener Größe, Zeit oder Prüfsumme; "
                                      "ob es sich "
                                      "geändert hat, bleibt offen")
                           .arg(sideName(earlierSide), QString::fromStdString(set.path(i)), where));
}

QString ListingComparison::gapNote(const Gap& gap) const {
    if (gap.open == 0)
        return gap.text;
    const QString ofList = otherListOf(gap.earlierSide);
    switch (gap.kind) {
    case GapKind::End:
        return gap.text + QStringLiteral("; ") + entriesOpen(gap.open, ofList, "hinter ihrem Ende");
    case GapKind::Folder:
        return gap.text + QStringLiteral(" (") + entriesOpen(gap.open, ofList, "darin") +
               QStringLiteral(")");
    case GapKind::Sizes:
        break;
    }
    return gap.text + (gap.open == 1
                           ? QStringLiteral(" (1 geänderte Größe bleibt offen)")
                           : QStringLiteral(" (%1 geänderte Größen bleiben offen)").arg(gap.open));
}

// The notes after those on the searches and forms: the gaps of the earlier and of the later
// list, the first few folders of each by name and the rest summed up, then names shown alike.
void ListingComparison::buildNotes() {
    for (const bool earlierSide : {true, false}) {
        int named = 0;
        std::int64_t unnamed = 0;
        std::int64_t unnamedOpen = 0;
        for (const Gap& gap : gaps_) {
            if (gap.earlierSide != earlierSide)
                continue;
            if (gap.kind != GapKind::End && named++ >= namedNotes) {
                ++unnamed;
                unnamedOpen += gap.open;
                continue;
            }
            notes_.append(gapNote(gap));
        }
        if (unnamed > 0) {
            notes_.append(QStringLiteral("%1: %2 weitere Verzeichnisse nicht oder ohne Größen "
                                         "gelesen; %3 Einträge darin bleiben offen")
                              .arg(sideName(earlierSide))
                              .arg(unnamed)
                              .arg(unnamedOpen));
        }
    }
    digestless_.appendTo(notes_);
    notes_ += alikeNotes_;
    if (alikeUnnamed_ > 0) {
        notes_.append(QStringLiteral("Unter %1 weiteren Pfaden erscheinen mehrere Einträge eines "
                                     "Verzeichnisses, oder einer mehrmals mit verschiedener Größe "
                                     "oder Zeit; ob sie (und was darunter liegt) sich geändert "
                                     "haben, bleibt offen")
                          .arg(alikeUnnamed_));
    }
}

std::string ListingComparison::summary() const {
    QString text =
        QStringLiteral("%1 neu, %2 entfernt, %3 geändert").arg(added_).arg(removed_).arg(changed_);
    if (!complete_ && open_ > 0)
        text += QStringLiteral("; unvollständig, %1 offen (siehe Hinweis)").arg(open_);
    else if (!complete_)
        text += QStringLiteral("; unvollständig (siehe Hinweis)");
    return text.toStdString();
}

void ListingComparison::appendDifferences(LineSink& lines) const {
    const PathSet& before = earlier_.listing.entries;
    const PathSet& after = later_.listing.entries;
    walk([&](const Step& step) {
        switch (step.outcome) {
        case Outcome::Added:
            appendEntry(lines, '+', after, step.later);
            break;
        case Outcome::Removed:
            appendEntry(lines, '-', before, step.earlier);
            break;
        case Outcome::Changed:
            appendChange(lines, before, step.earlier, after, step.later);
            break;
        case Outcome::ContentChanged:
            appendContentChange(lines, after, step.later);
            break;
        case Outcome::TimeChanged:
            appendTimeChange(lines, before, step.earlier, after, step.later);
            break;
        case Outcome::KindChanged:
            appendEntry(lines, '-', before, step.earlier);
            appendEntry(lines, '+', after, step.later);
            break;
        case Outcome::Same:
        case Outcome::Open:
        case Outcome::Digestless:
        case Outcome::Passed:
            break;
        }
    });
}
