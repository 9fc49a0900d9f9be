#include "EngineListing.h"

#include "base/PathText.h"
#include "format/HeaderBlock.h"
#include "output/ResultLines.h"
#include "run/SearchSettings.h"
#include "ScanHelpers.h"
#include "SearchDriver.h"

#include <QFile>

QByteArray EngineListing(const CliOptions& options, const QByteArray& lineEnd) {
    TSearchFiles settings;
    InitSearchFiles(settings);
    for (const FolderArgument& folder : options.folders)
        AddSearchFolder(settings, PathTextFromBytes(folder.path), folder.recursive);
    settings.Masks = PathTextFromBytes(options.masks);
    ResultLines lines;
    if (!options.simple)
        AppendHeaderBlock(settings, lines);
    SearchProgress silent;
    RunSearchLines(settings, options.fullPath, !options.noExtensions, !options.simple, lines,
                   silent);
    QByteArray listing;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const std::string_view line = lines.view(i);
        listing += QByteArray(line.data(), static_cast<qsizetype>(line.size())) + lineEnd;
    }
    return listing;
}

CliOptions WithFolders(const std::vector<std::pair<QString, bool>>& folders) {
    CliOptions options;
    for (const auto& [path, recursive] : folders)
        options.folders.push_back({QFile::encodeName(path), recursive});
    return options;
}
