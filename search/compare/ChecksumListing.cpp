#include "compare/ChecksumListing.h"

#include "compare/ChecksumList.h"
#include "compare/FolderKey.h"

#include <filesystem>
#include <functional>
#include <system_error>

namespace {

QString lineError(long long number, const QString& reason) {
    return QStringLiteral("Zeile %1 ist keine Zeile einer Prüfsummenliste: %2")
        .arg(number)
        .arg(reason);
}

// A folder key with "." and ".." taken out as far as the text tells: "/a/b/../c/" is "/a/c/".
std::string resolved(std::string_view absoluteKey) {
    std::string key = "/";
    std::size_t start = 1;
    while (start < absoluteKey.size()) {
        std::size_t end = absoluteKey.find('/', start);
        if (end == std::string_view::npos)
            end = absoluteKey.size();
        const std::string_view part = absoluteKey.substr(start, end - start);
        if (part == "..") {
            if (key.size() > 1)
                key.erase(key.rfind('/', key.size() - 2) + 1);
        } else if (!part.empty() && part != ".") {
            key.append(part);
            key.push_back('/');
        }
        start = end + 1;
    }
    return key;
}

// A folder text that only names the same folder as the other list's texts once it is resolved:
// an absolute one, or one with "." or ".." in it beyond a leading "./" ("../a/", "a/./b/").
bool needsResolving(std::string_view folder) {
    if (folder.starts_with('/'))
        return true;
    while (folder.starts_with("./"))
        folder.remove_prefix(2);
    for (std::size_t start = 0; start < folder.size();) {
        std::size_t end = folder.find('/', start);
        if (end == std::string_view::npos)
            end = folder.size();
        const std::string_view part = folder.substr(start, end - start);
        if (part == "." || part == "..")
            return true;
        start = end + 1;
    }
    return false;
}

bool namesPathsToResolve(const SavedListing& listing) {
    const PathSet& set = listing.entries;
    for (std::size_t f = 0; f < set.folderCount(); ++f) {
        if (needsResolving(set.folderTextAt(f)))
            return true;
    }
    for (const ListingGaps::Folder& folder : listing.gaps.folders) {
        if (needsResolving(folder.folder))
            return true;
    }
    return false;
}

std::string workingFolder() {
    std::error_code error;
    const std::filesystem::path folder = std::filesystem::current_path(error);
    return error ? std::string() : folder.native();
}

} // namespace

ChecksumListingReader::ChecksumListingReader() {
    listing_.form = ListingForm::Checksums;
    listing_.exactNames = true;
    listing_.entries.setExactBytes();
}

void ChecksumListingReader::addLine(std::string_view line, long long number) {
    if (!error_.isEmpty() || line.empty() || line.front() == '#')
        return;
    ChecksumEntry entry;
    std::string reason;
    if (!ParseChecksumLine(line, entry, reason)) {
        error_ = lineError(number, QString::fromStdString(reason));
        return;
    }
    if (!anyEntry_)
        listing_.digest = entry.algorithm;
    if (listing_.digest != entry.algorithm) {
        error_ =
            lineError(number, QStringLiteral("eine Prüfsumme nach %1 in einer Liste nach %2")
                                  .arg(QString::fromUtf8(DigestInfo(entry.algorithm).shownName),
                                       QString::fromUtf8(DigestInfo(*listing_.digest).shownName)));
        return;
    }
    const std::size_t slash = entry.path.rfind('/');
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const std::string_view name = std::string_view(entry.path).substr(nameStart);
    if (name.empty() || name == "." || name == "..") {
        error_ = lineError(number, QStringLiteral("sie nennt ein Verzeichnis, keine Datei"));
        return;
    }
    const std::string folder = FolderKey(std::string_view(entry.path).substr(0, nameStart));
    if (!anyEntry_ || folder != folder_) {
        folder_ = folder;
        listing_.entries.startBlock(folder_);
    }
    anyEntry_ = true;
    listing_.entries.add(
        name, {EntryKind::File, PathSet::unknownSize, true, false, {}, number, entry.hex});
}

SavedListing ChecksumListingReader::finish() {
    listing_.entries.finish();
    return std::move(listing_);
}

bool IsChecksumLine(std::string_view line) {
    ChecksumEntry entry;
    std::string reason;
    return ParseChecksumLine(line, entry, reason);
}

void AlignPathsForChecksums(SavedListing& list, const SavedListing& other) {
    if (list.form != ListingForm::Checksums && other.form != ListingForm::Checksums)
        return;
    std::function<std::string(std::string_view)> key;
    if (!namesPathsToResolve(list) && !namesPathsToResolve(other)) {
        key = [](std::string_view folder) {
            return std::string(folder.starts_with("./") ? folder.substr(2) : folder);
        };
    } else {
        std::string base = list.pathsFrom.empty() ? workingFolder() : list.pathsFrom;
        base.push_back('/');
        key = [base](std::string_view folder) {
            return resolved(folder.starts_with('/') ? FolderKey(folder)
                                                    : FolderKey(base + std::string(folder)));
        };
    }
    list.entries = list.entries.withFolderTexts(key);
    for (ListingGaps::Folder& folder : list.gaps.folders)
        folder.folder = key(folder.folder);
}

ChecksumListReach::ChecksumListReach(const SavedListing& checksumList) {
    const PathSet& set = checksumList.entries;
    for (std::size_t f = 0; f < set.folderCount(); ++f) {
        const std::string_view text = set.folderTextAt(f);
        for (std::size_t slash = text.find('/'); slash != std::string_view::npos;
             slash = text.find('/', slash + 1))
            folders_.emplace(text.substr(0, slash + 1));
    }
}

bool ChecksumListReach::beyond(const SavedListing& other, std::size_t i) const {
    const PathSet& set = other.entries;
    switch (set.kind(i)) {
    case EntryKind::Folder:
        return true;
    case EntryKind::Unknown:
        return folders_.contains(std::string(set.folderText(i)) + std::string(set.name(i)) + "/");
    case EntryKind::File:
    case EntryKind::Link:
    case EntryKind::Special:
        return other.digest && set.digest(i).empty();
    }
    return false;
}

namespace {

QString algorithmName(DigestAlgorithm algorithm) {
    return QString::fromUtf8(DigestInfo(algorithm).shownName);
}

} // namespace

QString ChecksumListNote(const SavedListing& earlier, const SavedListing& later) {
    const bool earlierIsList = earlier.form == ListingForm::Checksums;
    if (earlierIsList && later.form == ListingForm::Checksums) {
        if (earlier.digest == later.digest)
            return {};
        return QStringLiteral("Die beiden Prüfsummenlisten tragen Prüfsummen verschiedener "
                              "Verfahren (%1 und %2); verglichen wird nur, welche Dateien sie "
                              "nennen")
            .arg(algorithmName(*earlier.digest), algorithmName(*later.digest));
    }
    const SavedListing& list = earlierIsList ? earlier : later;
    const SavedListing& other = earlierIsList ? later : earlier;
    const QString otherList = earlierIsList ? QStringLiteral("neue") : QStringLiteral("frühere");
    const QString ofOtherList =
        earlierIsList ? QStringLiteral("der neuen Liste") : QStringLiteral("der früheren Liste");
    QString note = QStringLiteral("Die %1 Liste ist eine Prüfsummenliste: Sie nennt nur Dateien, "
                                  "die ganz gelesen wurden, ohne Größe und Zeit, keine "
                                  "Verzeichnisse und nicht, was durchsucht wurde; ")
                       .arg(earlierIsList ? QStringLiteral("frühere") : QStringLiteral("neue"));
    if (!other.digest) {
        return note + QStringLiteral("die %1 Liste trägt keine Prüfsummen, also wird nur "
                                     "verglichen, welche Dateien vorkommen (Verzeichnisse %2 "
                                     "bleiben außer Betracht)")
                          .arg(otherList, ofOtherList);
    }
    if (other.digest != list.digest) {
        note += QStringLiteral("die %1 Liste trägt Prüfsummen nach %2, sie nach %3, also wird "
                               "nur verglichen, welche Dateien vorkommen. ")
                    .arg(otherList, algorithmName(*other.digest), algorithmName(*list.digest));
    } else {
        note += QStringLiteral("verglichen wird, welche Dateien vorkommen und ob ihr Inhalt "
                               "gleich ist. ");
    }
    return note + QStringLiteral("Verzeichnisse und Einträge %1 ohne Prüfsumme (Verknüpfungen, "
                                 "Sonderdateien, nicht ganz gelesene Dateien) bleiben außer "
                                 "Betracht")
                      .arg(ofOtherList);
}

namespace {

// Files without a digest are named one by one up to this many; the rest are counted.
constexpr qsizetype namedDigestless = 20;

} // namespace

void DigestlessNotes::add(bool earlierSide, const std::string& path) {
    if (named_.size() >= namedDigestless) {
        ++unnamed_;
        return;
    }
    named_.append(QStringLiteral("%1 nennt %2 ohne Prüfsumme; ob sich der Inhalt geändert hat, "
                                 "bleibt offen")
                      .arg(earlierSide ? QStringLiteral("Die frühere Liste")
                                       : QStringLiteral("Die neue Liste"),
                           QString::fromStdString(path)));
}

void DigestlessNotes::appendTo(QStringList& notes) const {
    notes += named_;
    if (unnamed_ > 0) {
        notes.append(QStringLiteral("%1 weitere Dateien stehen in einer der Listen ohne "
                                    "Prüfsumme; ob sich ihr Inhalt geändert hat, bleibt offen")
                         .arg(unnamed_));
    }
}
