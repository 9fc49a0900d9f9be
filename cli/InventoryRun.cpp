#include "InventoryRun.h"

#include "CliProgress.h"
#include "ErrorOutput.h"
#include "ExitStatus.h"
#include "output/ListFileWriter.h"
#include "output/ResultLines.h"
#include "OutputErrors.h"
#include "run/SearchSettings.h"
#include "SearchFromOptions.h"
#include "StopSignals.h"
#include "TerminalLines.h"

#include <cerrno>
#include <string_view>
#include <unistd.h>

namespace {

// Opens the output before the search, so a long search is not wasted on a file that cannot be
// created, and keeps it open: a pipe's reader would take a closed trial for the end of the list.
// A FIFO waits here for its reader; a stop signal ends the wait. Returns the exit status.
int openOutput(ListFileWriter& writer, bool standardOutput) {
    const InterruptibleByStop interruptible;
    writer.open([] { return StopRequested(); });
    if (writer.stopped())
        return ExitStatus::Interrupted;
    if (!writer.failed())
        return ExitStatus::Success;
    PrintOutputError(writer, standardOutput);
    return standardOutput ? ExitStatus::WriteError : ExitStatus::UsageError;
}

// The engine passes over an empty folder text without a word; here it is a folder that cannot
// be read, as it is for find or ls.
void reportEmptyFolders(SearchProgress& progress, const CliOptions& options) {
    for (const FolderArgument& folder : options.folders) {
        if (folder.path.isEmpty())
            progress.folderUnreadable(QByteArray(), ENOENT);
    }
}

// The whole list for a terminal, after the search: there the progress line and the list never
// mix, and no name steers the terminal.
ResultLines searchWholeForTerminal(const CliOptions& options, CliRun& run) {
    ResultLines lines;
    TerminalLines shown(lines);
    SearchListing(SearchFiles, options, shown, run.progress, run.outcome);
    run.shown.finish();
    return lines;
}

// Into a pipe or a file the lines go while the search runs, so a listing of millions of lines
// never sits in memory as a whole; a file named with -o replaces an old one only when all of it
// is written. When the reader goes away or writing fails, the search stops.
class StreamedOutput final : public LineSink {
public:
    explicit StreamedOutput(ListFileWriter& writer) : writer_(writer) {}
    void append(std::string_view utf8Line) override {
        writer_.append(utf8Line);
        if (writer_.failed())
            SearchFiles.Searching = false;
    }

private:
    ListFileWriter& writer_;
};

// A stop never costs a complete list: an existing file named with -o stays, and the list found so
// far goes beside it under a name that says it is incomplete, named here.
int commitStopped(ListFileWriter& writer) {
    writer.keepExistingFile();
    const int status = CommitOutput(writer, false);
    if (const QString beside = writer.shownKeptBesideName(); !beside.isEmpty()) {
        PrintErrorLine(QStringLiteral("Abgebrochen: Die vorhandene Datei %1 bleibt, wie sie war; "
                                      "die unvollständige Liste steht in %2")
                           .arg(writer.shownFullName(), beside));
    }
    return status;
}

int exitStatus(int writeStatus, const RunOutcome& outcome) {
    if (outcome.cancelled())
        return ExitStatus::Interrupted;
    if (writeStatus != ExitStatus::Success)
        return writeStatus;
    return outcome.anyFolderLeftOut() ? ExitStatus::UnreadableFolder : ExitStatus::Success;
}

} // namespace

int RunInventory(const CliOptions& options) {
    FillSearchSettings(SearchFiles, options);
    // "-o -" writes to standard output as "-o /dev/stdout" does, with CR LF.
    const bool standardOutput = !options.output;
    ListFileWriter writer = [&] {
        if (standardOutput)
            return ListFileWriter(STDOUT_FILENO);
        return ListFileWriter(*options.output == "-" ? QByteArray("/dev/stdout") : *options.output);
    }();
    writer.setLineEnd(OutputLineEnd(options, standardOutput ? "\n" : "\r\n"));
    if (const int status = openOutput(writer, standardOutput); status != ExitStatus::Success)
        return status;

    CliRun run(SearchFiles, GivenFolders(options), !options.quiet && ::isatty(STDERR_FILENO) == 1,
               !options.quiet);
    reportEmptyFolders(run.progress, options);
    if (writer.writesToTerminal()) {
        searchWholeForTerminal(options, run).copyTo(writer);
    } else {
        StreamedOutput streamed(writer);
        SearchListing(SearchFiles, options, streamed, run.progress, run.outcome);
        run.shown.finish();
    }
    const int writeStatus = run.outcome.cancelled() && !standardOutput
                                ? commitStopped(writer)
                                : CommitOutput(writer, standardOutput);
    return exitStatus(writeStatus, run.outcome);
}
