#include "SearchFromOptions.h"

#include "PathText.h"

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
