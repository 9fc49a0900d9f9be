#include "ListingComparison.h"

#include "ListingFormat.h"

namespace {

void appendEntry(LineSink& lines, char mark, const PathSet& set, std::size_t i) {
    std::string& line = lines.beginLine();
    line.push_back(mark);
    line.push_back(' ');
    line.append(set.path(i));
    const std::int64_t size = set.entrySize(i);
    if (size != PathSet::unknownSize && !set.isFolder(i)) {
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

bool sizeChanged(const PathSet& earlier, std::size_t i, const PathSet& later, std::size_t j) {
    const std::int64_t before = earlier.entrySize(i);
    const std::int64_t after = later.entrySize(j);
    return before != PathSet::unknownSize && after != PathSet::unknownSize && before != after &&
           !later.isFolder(j);
}

void appendSummary(const ListingComparison& comparison, LineSink& lines) {
    if (!comparison.same())
        lines.append("");
    lines.append(QStringLiteral("%1 neu, %2 entfernt, %3 geändert")
                     .arg(comparison.added)
                     .arg(comparison.removed)
                     .arg(comparison.changed)
                     .toStdString());
}

QStringList namedNotes(const QString& which, const QStringList& notes) {
    QStringList named;
    for (const QString& note : notes)
        named.append(which + note);
    return named;
}

} // namespace

// Both sets are in path order, so one pass over the two of them finds every difference.
ListingComparison CompareListings(const SavedListing& earlier, const SavedListing& later,
                                  LineSink& lines) {
    ListingComparison comparison;
    const PathSet& before = earlier.entries;
    const PathSet& after = later.entries;
    // A simple listing names folders without the trailing "/" (if at all): against one, the
    // folder entries of an extended listing are left out.
    const bool foldersComparable = earlier.sizesKnown == later.sizesKnown;
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < before.size() || j < after.size()) {
        if (!foldersComparable && i < before.size() && before.isFolder(i)) {
            ++i;
            continue;
        }
        if (!foldersComparable && j < after.size() && after.isFolder(j)) {
            ++j;
            continue;
        }
        const int order = i == before.size()  ? 1
                          : j == after.size() ? -1
                                              : before.compare(i, after, j);
        if (order < 0) {
            appendEntry(lines, '-', before, i++);
            ++comparison.removed;
        } else if (order > 0) {
            appendEntry(lines, '+', after, j++);
            ++comparison.added;
        } else {
            if (sizeChanged(before, i, after, j)) {
                appendChange(lines, before, i, after, j);
                ++comparison.changed;
            }
            ++i;
            ++j;
        }
    }
    appendSummary(comparison, lines);
    return comparison;
}

QStringList ComparisonNotes(const SavedListing& earlier, const SavedListing& later) {
    QStringList notes;
    if (!earlier.searchedFor.isEmpty() && !later.searchedFor.isEmpty() &&
        earlier.searchedFor != later.searchedFor) {
        notes.append(QStringLiteral("Die frühere Liste nennt andere Suchverzeichnisse oder "
                                    "Suchmasken als die neue"));
    }
    if (earlier.sizesKnown != later.sizesKnown) {
        notes.append(QStringLiteral("Nur eine der beiden Listen ist eine erweiterte Liste; "
                                    "verglichen wird nur, welche Dateien vorkommen"));
    }
    notes += namedNotes(QStringLiteral("Frühere Liste: "), earlier.notes);
    notes += namedNotes(QStringLiteral("Neue Liste: "), later.notes);
    return notes;
}
