#include "compare/ScopeReach.h"

#include "compare/ListingLineParser.h"

#include <QStringList>

namespace {

// The searched folders of a list by the lines of its header that name them.
std::vector<std::string> searchedFolders(const QStringList& searchedFor) {
    std::vector<std::string> folders;
    for (const QString& line : searchedFor) {
        const std::string text = line.toStdString();
        if (const std::optional<HeaderFolder> folder = ParseHeaderFolder(text))
            folders.emplace_back(folder->folder);
    }
    return folders;
}

// The number of names in a path below a searched folder ("a/b/" holds two).
std::size_t namesIn(std::string_view relativeFolder) {
    std::size_t count = 0;
    for (const char c : relativeFolder)
        count += c == '/' ? 1 : 0;
    return count;
}

} // namespace

ScopeReach::ScopeReach(const SavedListing& listing)
    : listing_(listing), exclusions_(listing.scope.Exclusions),
      searched_(searchedFolders(listing.searchedFor)) {
    limits_ = listing.scope.any() && !searched_.empty();
    if (!limits_ || !listing.scope.OneFileSystem || listing.notEnteredKnown)
        return;
    const PathSet& entries = listing.entries;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (entries.kind(i) == EntryKind::Folder)
            shownFolders_.insert(std::string(entries.folderText(i)) + std::string(entries.name(i)) +
                                 '/');
    }
    for (std::size_t block = 0; block < entries.blockCount(); ++block)
        listedFolders_.insert(entries.blockFolderText(block));
}

bool ScopeReach::reaches(const PathSet& set, std::size_t i) const {
    if (!limits_)
        return true;
    const std::string_view folder = set.folderText(i);
    bool below = false;
    for (const std::string& searched : searched_) {
        if (!folder.starts_with(searched))
            continue;
        below = true;
        if (reachesBelow(folder.substr(searched.size()), set.name(i), set, i) &&
            enteredAll(searched, folder))
            return true;
    }
    // An entry outside every searched folder is a matter of the searched folders, not the scope.
    return !below;
}

bool ScopeReach::reachesBelow(std::string_view relativeFolder, std::string_view name,
                              const PathSet& set, std::size_t i) const {
    const SearchScope& scope = listing_.scope;
    if (scope.MaxDepth && static_cast<std::int64_t>(namesIn(relativeFolder)) > *scope.MaxDepth)
        return false;
    if (!exclusions_.empty() &&
        exclusions_.excludesPath(std::string(relativeFolder) + std::string(name)))
        return false;
    return set.kind(i) == EntryKind::Folder || !scope.filtersFiles() || keepsFile(set, i);
}

// A file that the other list shows with what the ranges ask for, within them.
bool ScopeReach::keepsFile(const PathSet& set, std::size_t i) const {
    const SearchScope& scope = listing_.scope;
    if (set.kind(i) != EntryKind::File)
        return false;
    if (scope.filtersBySize() && set.entrySize(i) == PathSet::unknownSize)
        return false;
    if (scope.filtersByTime() && !set.timeKnown(i))
        return false;
    return scope.keepsFile(set.entrySize(i), set.modified(i));
}

// With one file system: no folder from `searched` down to `folder` lies on another file system,
// as far as the list tells.
bool ScopeReach::enteredAll(std::string_view searched, std::string_view folder) const {
    if (!listing_.scope.OneFileSystem)
        return true;
    if (listing_.notEnteredKnown) {
        for (const std::string& notEntered : listing_.notEntered) {
            if (folder.starts_with(notEntered))
                return false;
        }
        return true;
    }
    for (std::size_t end = folder.find('/', searched.size()); end != std::string_view::npos;
         end = folder.find('/', end + 1)) {
        const std::string_view step = folder.substr(0, end + 1);
        if (!listedFolders_.contains(step) && shownFolders_.contains(std::string(step)))
            return false;
    }
    return true;
}

QString ScopeNote(const ScopeReach& earlier, const ScopeReach& later, std::int64_t outside) {
    const SearchScope& a = earlier.scope();
    const SearchScope& b = later.scope();
    QStringList parts;
    if (a.Exclusions != b.Exclusions)
        parts.append(QStringLiteral("Ausschließen"));
    if (a.OneFileSystem != b.OneFileSystem)
        parts.append(QStringLiteral("nur ein Dateisystem"));
    if (a.MaxDepth != b.MaxDepth)
        parts.append(QStringLiteral("Tiefe"));
    if (a.MinSize != b.MinSize || a.MaxSize != b.MaxSize)
        parts.append(QStringLiteral("Größe"));
    if (a.NewerThan != b.NewerThan || a.OlderThan != b.OlderThan)
        parts.append(QStringLiteral("Änderungszeit"));
    if (parts.isEmpty() && outside == 0)
        return {};
    QString note = outside == 1 ? QStringLiteral("1 Eintrag außerhalb des engeren Umfangs zählt "
                                                 "weder als neu noch als entfernt")
                                : QStringLiteral("%1 Einträge außerhalb des engeren Umfangs "
                                                 "zählen weder als neu noch als entfernt")
                                      .arg(outside);
    if (!parts.isEmpty()) {
        note.prepend(QStringLiteral("Die Listen haben verschiedene Umfänge (%1); ")
                         .arg(parts.join(QStringLiteral(", "))));
    }
    for (const bool earlierSide : {true, false}) {
        if ((earlierSide ? earlier : later).guessesOtherFileSystems()) {
            note += QStringLiteral("; %1 nennt die Verzeichnisse auf anderen Dateisystemen "
                                   "nicht, als solche gelten die, deren Inhalt sie nicht zeigt")
                        .arg(earlierSide ? QStringLiteral("Frühere Liste")
                                         : QStringLiteral("Neue Liste"));
        }
    }
    return note;
}
