#include "InventoryRun.h"

#include "CliProgress.h"
#include "ErrorOutput.h"
#include "ExitStatus.h"
#include "ListingOutput.h"
#include "StopSignals.h"

#include <cerrno>
#include <cstring>
#include <HeaderBlock.h>
#include <SearchDriver.h>
#include <SearchSettings.h>
#include <unistd.h>

namespace {

void fillSearchSettings(TSearchFiles& settings, const CliOptions& options) {
    InitSearchFiles(settings);
    for (const FolderArgument& folder : options.folders)
        AddSearchFolder(settings, folder.path, folder.recursive);
    settings.Masks = options.masks;
}

// Tries the output file before the search, so a long search is not wasted on a file that
// cannot be created. The trial is dropped again at once and the file opened anew after the
// search: on a file system without unnamed temporary files the writer's temporary twin would
// otherwise show up in a listing of its own folder.
bool outputCreatable(const QString& fileName) {
    ListFileWriter trial(fileName);
    const QString error = trial.open();
    if (!error.isEmpty())
        PrintErrorLine(WithFullStop(error));
    return error.isEmpty();
}

// The engine passes over an empty folder text without a word; here it is a folder that cannot
// be read, as it is for find or ls.
void reportEmptyFolders(CliProgress& progress, const CliOptions& options) {
    for (const FolderArgument& folder : options.folders) {
        if (folder.path.isEmpty())
            progress.folderUnreadable(QByteArray(), ENOENT);
    }
}

Listing search(const CliOptions& options, CliProgress& progress) {
    const bool extended = !options.simple;
    Listing listing;
    {
        const ScopedSearchProgress installed(&progress);
        listing.lines = RunSearch(SearchFiles, options.fullPath, !options.noExtensions, extended);
    }
    progress.finish();
    if (extended)
        listing.header = BuildHeaderBlock(SearchFiles);
    return listing;
}

int saveToFile(const QString& fileName, const Listing& listing) {
    ListFileWriter writer(fileName);
    QString error = writer.open();
    if (error.isEmpty())
        error = SaveListing(writer, listing);
    if (error.isEmpty())
        return ExitStatus::Success;
    PrintErrorLine(WithFullStop(error));
    return ExitStatus::WriteError;
}

// A reader that stops early (| head) ends the output quietly.
int writeToStandardOutput(const Listing& listing) {
    switch (WriteListing(STDOUT_FILENO, listing)) {
    case WriteOutcome::Written:
        return ExitStatus::Success;
    case WriteOutcome::Closed:
        return ExitStatus::OutputClosed;
    case WriteOutcome::Failed:
        break;
    }
    PrintErrorLine(QByteArray("Schreibfehler auf der Standardausgabe: ") + std::strerror(errno));
    return ExitStatus::WriteError;
}

int exitStatus(int writeStatus, const CliProgress& progress) {
    if (StopRequested())
        return ExitStatus::Interrupted;
    if (writeStatus != ExitStatus::Success)
        return writeStatus;
    return progress.anyFolderUnreadable() ? ExitStatus::UnreadableFolder : ExitStatus::Success;
}

} // namespace

int RunInventory(const CliOptions& options) {
    InstallStopSignalHandlers();
    fillSearchSettings(SearchFiles, options);
    if (options.output && !outputCreatable(*options.output))
        return ExitStatus::UsageError;

    CliProgress progress(SearchFiles, !options.quiet && ::isatty(STDERR_FILENO) == 1,
                         !options.quiet);
    reportEmptyFolders(progress, options);
    const Listing listing = search(options, progress);
    const int writeStatus =
        options.output ? saveToFile(*options.output, listing) : writeToStandardOutput(listing);
    return exitStatus(writeStatus, progress);
}
