#include "compare/DifferenceOutput.h"

#include "base/Utf8Text.h"
#include "format/JsonText.h"
#include "format/ListingFormat.h"

namespace {

using Difference = ListingComparison::Difference;
using Change = ListingComparison::Change;

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

void appendChange(std::string& line, const PathSet& earlier, std::size_t i, const PathSet& later,
                  std::size_t j) {
    line.append(" (");
    AppendPaddedNumber(line, earlier.entrySize(i), 0);
    line.append(" -> ");
    AppendPaddedNumber(line, later.entrySize(j), 0);
    line.append(" Bytes)");
}

// "(Größe gleich, geändert <before> -> <after>)" in local time; to the nanosecond where the
// seconds are the same.
void appendTimeChange(std::string& line, const PathSet& earlier, std::size_t i,
                      const PathSet& later, std::size_t j) {
    std::string before = LocalTimeText(earlier.modified(i));
    std::string after = LocalTimeText(later.modified(j));
    if (before == after) {
        for (const auto& [text, time] :
             {std::pair{&before, earlier.modified(i)}, std::pair{&after, later.modified(j)}}) {
            const std::string nanoseconds = std::to_string(1000000000 + time.nanoseconds);
            text->append(",").append(nanoseconds.substr(1));
        }
    }
    line.append(" (Größe gleich, geändert ");
    line.append(before);
    line.append(" -> ");
    line.append(after);
    line.append(")");
}

std::string_view kindName(EntryKind kind) {
    switch (kind) {
    case EntryKind::File:
        return "\"file\"";
    case EntryKind::Folder:
        return "\"folder\"";
    case EntryKind::Link:
        return "\"link\"";
    case EntryKind::Special:
        return "\"special\"";
    case EntryKind::Unknown:
        break;
    }
    return "null";
}

std::string_view byName(Difference::By by) {
    switch (by) {
    case Difference::By::Content:
        return "content";
    case Difference::By::Time:
        return "time";
    case Difference::By::Size:
        break;
    }
    return "size";
}

// A folder as the differences name it: without its "/", which the root keeps.
std::string_view withoutSlash(std::string_view folder) {
    if (folder.size() > 1 && folder.back() == '/')
        folder.remove_suffix(1);
    return folder;
}

// `,"old":{…}` or `,"new":{…}`: what the list says of the entry.
void appendFacts(std::string& line, std::string_view key, const ListingComparison& comparison,
                 const PathSet& set, std::size_t i) {
    line.append(",\"").append(key).append("\":{");
    const std::int64_t size = set.entrySize(i);
    if (size != PathSet::unknownSize && set.kind(i) == EntryKind::File)
        AppendJsonNumber(line, "size", size);
    else
        line.append(R"("size":null)");
    line.push_back(',');
    AppendJsonTime(line,
                   set.timeKnown(i) ? std::optional<FileTime>(set.modified(i)) : std::nullopt);
    if (const std::optional<DigestAlgorithm> digest = comparison.comparedDigests()) {
        line.append(",\"").append(DigestInfo(*digest).name).append("\":");
        if (set.digest(i).empty())
            line.append("null");
        else
            line.append("\"").append(set.digest(i)).append("\"");
    }
    line.push_back('}');
}

void appendJsonDifference(LineSink& lines, const ListingComparison& comparison,
                          const Difference& difference) {
    const PathSet& before = comparison.earlierEntries();
    const PathSet& after = comparison.laterEntries();
    const bool later = difference.later != ListingComparison::none;
    const PathSet& set = later ? after : before;
    const std::size_t i = later ? difference.later : difference.earlier;
    std::string& line = lines.beginLine();
    line.append(R"({"change":")");
    line.append(difference.change == Change::Added     ? "added"
                : difference.change == Change::Removed ? "removed"
                                                       : "changed");
    line.append("\",");
    AppendJsonText(line, "path", set.heldPath(i));
    line.append(R"(,"kind":)").append(kindName(set.kind(i)));
    if (difference.change == Change::Changed)
        line.append(R"(,"by":")").append(byName(difference.by)).append("\"");
    if (difference.earlier != ListingComparison::none)
        appendFacts(line, "old", comparison, before, difference.earlier);
    if (later)
        appendFacts(line, "new", comparison, after, difference.later);
    line.push_back('}');
    lines.finishLine();
}

void appendJsonSummary(LineSink& lines, const ListingComparison& comparison) {
    std::string& line = lines.beginLine();
    line.append(R"({"summary":{)");
    AppendJsonNumber(line, "added", comparison.added());
    line.push_back(',');
    AppendJsonNumber(line, "removed", comparison.removed());
    line.push_back(',');
    AppendJsonNumber(line, "changed", comparison.changed());
    line.push_back(',');
    AppendJsonNumber(line, "open", comparison.open());
    line.append(comparison.complete() ? R"(,"complete":true)" : R"(,"complete":false)");
    line.append(R"(,"notes":[)");
    bool first = true;
    for (const QString& note : comparison.notes()) {
        line.append(first ? "\"" : ",\"");
        first = false;
        AppendJsonBody(line, note.toStdString());
        line.push_back('"');
    }
    line.append("]}}");
    lines.finishLine();
}

} // namespace

void ListingComparison::appendDifferences(LineSink& lines) const {
    const PathSet& before = earlierEntries();
    const PathSet& after = laterEntries();
    forEachDifference([&](const Difference& difference) {
        if (difference.change == Change::Added)
            return appendEntry(lines, '+', after, difference.later);
        if (difference.change == Change::Removed)
            return appendEntry(lines, '-', before, difference.earlier);
        std::string& line = lines.beginLine();
        line.append("~ ");
        line.append(after.path(difference.later));
        if (difference.by == Difference::By::Size)
            appendChange(line, before, difference.earlier, after, difference.later);
        else if (difference.by == Difference::By::Time)
            appendTimeChange(line, before, difference.earlier, after, difference.later);
        else
            line.append(" (Inhalt geändert)");
        lines.finishLine();
    });
}

std::string ComparedFoldersLine(const ListingComparison& comparison) {
    const auto& folders = comparison.comparedFolders();
    if (!folders)
        return {};
    return "Verglichen werden " + DisplayText(folders->first) + " (frühere Liste) und " +
           DisplayText(folders->second) + " (neue Liste), Pfad für Pfad darunter";
}

void AppendDifferencesAsJson(const ListingComparison& comparison, LineSink& lines) {
    if (const auto& folders = comparison.comparedFolders()) {
        std::string& line = lines.beginLine();
        line.append(R"({"compared":{"earlier":{)");
        AppendJsonText(line, "path", withoutSlash(folders->first));
        line.append(R"(},"later":{)");
        AppendJsonText(line, "path", withoutSlash(folders->second));
        line.append("}}}");
        lines.finishLine();
    }
    comparison.forEachDifference(
        [&](const Difference& difference) { appendJsonDifference(lines, comparison, difference); });
    appendJsonSummary(lines, comparison);
}

void AppendDifferentPaths(const ListingComparison& comparison, LineSink& lines) {
    const auto& folders = comparison.comparedFolders();
    std::string last;
    comparison.forEachDifference([&](const Difference& difference) {
        const bool later = difference.later != ListingComparison::none;
        const PathSet& set = later ? comparison.laterEntries() : comparison.earlierEntries();
        std::string path = set.heldPath(later ? difference.later : difference.earlier);
        if (folders)
            path.insert(0, later ? folders->second : folders->first);
        // An entry that changed its kind is gone and new under one path.
        if (path == last)
            return;
        lines.append(path);
        last = std::move(path);
    });
}
