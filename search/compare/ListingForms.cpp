#include "base/PathText.h"
#include "base/Utf8Text.h"
#include "compare/FolderKey.h"
#include "compare/ListingReader.h"
#include "format/ListingLayout.h"

// Other forms of a listing read back, for a comparison with another one.

using namespace ListingLayout;

// As the header block shows them and the reader takes them: "Suchverzeichnisse", one line a
// folder with its spelling for comparisons, a blank line, "Suchmasken: ...".
QStringList SearchedForLines(const std::vector<SearchedFolder>& folders,
                             std::string_view rawMasks) {
    QStringList lines{QString::fromUtf8(searchedFolders.data(), qsizetype(searchedFolders.size()))};
    for (const SearchedFolder& folder : folders) {
        std::string key = folder.rawPath;
        key.push_back('/');
        key = std::string(folderIndent) + FolderKey(key) +
              std::string(folder.recursive ? withSubfolders : withoutSubfolders);
        lines.append(PathTextFromBytes(QByteArrayView(key.data(), qsizetype(key.size()))));
    }
    lines.append(QString());
    const std::string masks = std::string(searchMasks) + std::string(rawMasks);
    lines.append(PathTextFromBytes(QByteArrayView(masks.data(), qsizetype(masks.size()))));
    return lines;
}

SavedListing ShownForm(const SavedListing& exact) {
    SavedListing shown;
    shown.entries = exact.entries.shownForm();
    shown.error = exact.error;
    shown.form = exact.form;
    for (const QString& line : exact.searchedFor)
        shown.searchedFor.append(ShownText(line, ControlCharacters::Listing));
    for (const std::string& folder : exact.searchedFolders)
        shown.searchedFolders.push_back(FolderKey(DisplayText(folder)));
    shown.gaps = exact.gaps.shownForm();
    shown.withTimes = exact.withTimes;
    shown.exactKinds = exact.exactKinds;
    shown.digest = exact.digest;
    shown.pathsFrom = exact.pathsFrom;
    shown.scope = exact.scope;
    shown.notEnteredKnown = exact.notEnteredKnown;
    for (const std::string& folder : exact.notEntered)
        shown.notEntered.push_back(FolderKey(DisplayText(folder)));
    return shown;
}

SavedListing BelowFolder(const SavedListing& listing, std::string_view folder) {
    SavedListing below;
    below.entries = listing.entries.below(folder);
    below.error = listing.error;
    below.form = listing.form;
    // The header's line of that folder keeps only whether its subfolders were searched.
    const std::string indented = std::string(folderIndent) + std::string(folder);
    const QString named =
        PathTextFromBytes(QByteArrayView(indented.data(), qsizetype(indented.size())));
    for (const QString& line : listing.searchedFor)
        below.searchedFor.append(line.startsWith(named) ? line.mid(named.size()) : line);
    below.searchedFolders = {std::string()};
    below.gaps = listing.gaps;
    for (ListingGaps::Folder& gap : below.gaps.folders) {
        if (gap.folder.starts_with(folder))
            gap.folder.erase(0, folder.size());
    }
    below.exactNames = listing.exactNames;
    below.withTimes = listing.withTimes;
    below.exactKinds = listing.exactKinds;
    below.digest = listing.digest;
    below.pathsFrom = listing.pathsFrom;
    return below;
}
