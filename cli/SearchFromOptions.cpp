#include "SearchFromOptions.h"

#include "HeaderBlock.h"
#include "PathText.h"
#include "SearchDriver.h"

void FillSearchSettings(TSearchFiles& settings, const CliOptions& options) {
    InitSearchFiles(settings);
    for (const FolderArgument& folder : options.folders)
        AddSearchFolder(settings, PathTextFromBytes(folder.path), folder.recursive);
    settings.Masks = PathTextFromBytes(options.masks);
}

QByteArrayList GivenFolders(const CliOptions& options) {
    QByteArrayList folders;
    for (const FolderArgument& folder : options.folders)
        folders.append(folder.path);
    return folders;
}

void SearchListing(TSearchFiles& settings, const CliOptions& options, LineSink& lines,
                   SearchProgress& progress) {
    const bool extended = !options.simple;
    if (extended)
        AppendHeaderBlock(settings, lines);
    RunSearch(settings, options.fullPath, !options.noExtensions, extended, lines, progress);
}
