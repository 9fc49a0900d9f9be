#include "InventoryRun.h"

#include "CliProgress.h"
#include "ErrorOutput.h"
#include "ExitStatus.h"
#include "FdOutput.h"
#include "LineStream.h"
#include "ListFileWriter.h"
#include "ResultLines.h"
#include "SearchFromOptions.h"
#include "SearchSettings.h"
#include "StopSignals.h"
#include "TerminalLines.h"

#include <cerrno>
#include <cstring>
#include <optional>
#include <string_view>
#include <unistd.h>

namespace {

// Opens the output before the search, so a long search is not wasted on a file that cannot be
// created, and keeps it open: a pipe's reader would take a closed trial for the end of the list.
// A FIFO waits here for its reader; a stop signal ends the wait. Returns the exit status.
int openOutput(ListFileWriter& writer) {
    const InterruptibleByStop interruptible;
    const QString error = writer.open([] { return StopRequested(); });
    if (writer.stopped())
        return ExitStatus::Interrupted;
    if (!error.isEmpty()) {
        PrintErrorLine(WithFullStop(error));
        return ExitStatus::UsageError;
    }
    return ExitStatus::Success;
}

// The engine passes over an empty folder text without a word; here it is a folder that cannot
// be read, as it is for find or ls.
void reportEmptyFolders(CliProgress& progress, const CliOptions& options) {
    for (const FolderArgument& folder : options.folders) {
        if (folder.path.isEmpty())
            progress.folderUnreadable(QByteArray(), ENOENT);
    }
}

// A reader that stops early (| head) ends the output quietly.
int writeStatus(WriteOutcome outcome) {
    switch (outcome) {
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

// The whole list for a terminal, after the search: there the progress line and the list never
// mix, and no name steers the terminal.
ResultLines searchWholeForTerminal(const CliOptions& options, CliProgress& progress) {
    ResultLines lines;
    TerminalLines shown(lines);
    SearchListing(SearchFiles, options, shown, progress);
    progress.finish();
    return lines;
}

// The lines as one text, each followed by `lineEnd`.
std::string joinedLines(const ResultLines& lines, std::string_view lineEnd) {
    std::string text;
    text.reserve(lines.byteSize() + static_cast<std::size_t>(lines.size()) * lineEnd.size());
    for (qsizetype i = 0; i < lines.size(); ++i) {
        text.append(lines.view(i));
        text.append(lineEnd);
    }
    return text;
}

// Lines go into the file named with -o while the search runs (it replaces an old file only when
// all of it is written); a failed write stops the search.
class FileSink final : public LineSink {
public:
    explicit FileSink(ListFileWriter& writer) : writer_(writer) {}
    void append(std::string_view utf8Line) override {
        writer_.append(utf8Line);
        if (writer_.failed())
            SearchFiles.Searching = false;
    }

private:
    ListFileWriter& writer_;
};

int commitFile(ListFileWriter& writer) {
    const QString error = writer.commit();
    if (error.isEmpty())
        return ExitStatus::Success;
    PrintErrorLine(WithFullStop(error));
    return ExitStatus::WriteError;
}

// Into a pipe or a file the list goes while the search runs, in pieces as they pile up, so a
// listing of millions of lines never sits in memory as a whole. When the reader goes away or
// writing fails, the search stops.
int streamToStandardOutput(const CliOptions& options, CliProgress& progress) {
    WriteOutcome outcome = WriteOutcome::Written;
    int writeErrno = 0;
    LineStream stream([&outcome, &writeErrno](std::string_view text) {
        if (outcome == WriteOutcome::Written) {
            outcome = WriteAll(STDOUT_FILENO, text);
            writeErrno = errno;
        }
        if (outcome != WriteOutcome::Written)
            SearchFiles.Searching = false;
    });
    stream.setLineEnd(OutputLineEnd(options, "\n"));
    SearchListing(SearchFiles, options, stream, progress);
    stream.flush();
    progress.finish();
    errno = writeErrno;
    return writeStatus(outcome);
}

int exitStatus(int writeStatus, const CliProgress& progress) {
    if (StopRequested())
        return ExitStatus::Interrupted;
    if (writeStatus != ExitStatus::Success)
        return writeStatus;
    return progress.anyFolderProblem() ? ExitStatus::UnreadableFolder : ExitStatus::Success;
}

} // namespace

int RunInventory(const CliOptions& options) {
    FillSearchSettings(SearchFiles, options);
    std::optional<ListFileWriter> writer;
    if (options.output) {
        // "-o -" writes to standard output as "-o /dev/stdout" does.
        const QByteArray name =
            *options.output == "-" ? QByteArray("/dev/stdout") : *options.output;
        writer.emplace(name);
        writer->setLineEnd(OutputLineEnd(options, "\r\n"));
        if (const int status = openOutput(*writer); status != ExitStatus::Success)
            return status;
    }

    CliProgress progress(SearchFiles, GivenFolders(options),
                         !options.quiet && ::isatty(STDERR_FILENO) == 1, !options.quiet);
    reportEmptyFolders(progress, options);
    int status = ExitStatus::Success;
    if (writer && writer->writesToTerminal()) {
        searchWholeForTerminal(options, progress).copyTo(*writer);
        status = commitFile(*writer);
    } else if (writer) {
        FileSink sink(*writer);
        SearchListing(SearchFiles, options, sink, progress);
        progress.finish();
        status = commitFile(*writer);
    } else if (::isatty(STDOUT_FILENO) == 1)
        status = writeStatus(
            WriteAll(STDOUT_FILENO, joinedLines(searchWholeForTerminal(options, progress),
                                                OutputLineEnd(options, "\n"))));
    else
        status = streamToStandardOutput(options, progress);
    return exitStatus(status, progress);
}
