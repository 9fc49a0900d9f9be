#include "CompareRun.h"

#include "CliProgress.h"
#include "ErrorOutput.h"
#include "ExitStatus.h"
#include "FdOutput.h"
#include "LineStream.h"
#include "ListFileWriter.h"
#include "ListingComparison.h"
#include "SearchFromOptions.h"
#include "SearchSettings.h"
#include "StopSignalMask.h"
#include "StopSignals.h"
#include "TerminalLines.h"

#include <future>
#include <QFile>
#include <system_error>
#include <unistd.h>
#include <utility>

namespace {

// A file named by the bytes that were given.
SavedListing readListing(const QByteArray& fileName) {
    return ReadListingFile(QFile::decodeName(fileName));
}

// The fresh listing goes straight into the reader in pieces, so a search of millions of entries
// never sits in memory as text.
SavedListing searchNow(const CliOptions& options, CliProgress& progress) {
    ListingReader reader;
    bool anyLine = false;
    LineStream stream([&reader, &anyLine](std::string_view text) {
        anyLine = true;
        reader.addText(text);
    });
    SearchListing(SearchFiles, options, stream, progress);
    stream.flush();
    progress.finish();
    // A simple listing that found nothing is empty, and so is the set of its entries.
    return anyLine ? reader.finish() : SavedListing();
}

void printNotes(const QStringList& notes) {
    for (const QString& note : notes) {
        const QByteArray line =
            (QStringLiteral("Hinweis: ") + note + QStringLiteral(".\n")).toUtf8();
        WriteAll(STDERR_FILENO, std::string_view(line.constData(), std::size_t(line.size())));
    }
}

int printComparison(const SavedListing& earlier, const SavedListing& later) {
    printNotes(ComparisonNotes(earlier, later));
    WriteOutcome outcome = WriteOutcome::Written;
    LineStream stream([&outcome](std::string_view text) {
        if (outcome == WriteOutcome::Written)
            outcome = WriteAll(STDOUT_FILENO, text);
    });
    TerminalLines onTerminal(stream);
    const bool terminal = ::isatty(STDOUT_FILENO) == 1;
    const ListingComparison comparison =
        CompareListings(earlier, later, terminal ? static_cast<LineSink&>(onTerminal) : stream);
    stream.flush();
    if (outcome == WriteOutcome::Closed)
        return ExitStatus::OutputClosed;
    if (outcome == WriteOutcome::Failed) {
        PrintErrorLine(QStringLiteral("Schreibfehler auf der Standardausgabe"));
        return ExitStatus::WriteError;
    }
    return comparison.same() ? ExitStatus::Success : ExitStatus::ListsDiffer;
}

// The two saved lists, read side by side where a second thread can be had, else one after the
// other. The reading thread is waited for on every way out, and what it throws (memory ran
// out) comes out here.
std::pair<SavedListing, SavedListing> readBoth(const QByteArray& earlierName,
                                               const QByteArray& laterName) {
    std::future<SavedListing> later;
    try {
        const StopSignalMask mainThreadTakesStops;
        later = std::async(std::launch::async, [&laterName] { return readListing(laterName); });
    } catch (const std::system_error&) {
        // No thread to be had: the second list is read after the first.
    }
    SavedListing earlier = readListing(earlierName);
    return {std::move(earlier), later.valid() ? later.get() : readListing(laterName)};
}

bool readable(const SavedListing& listing) {
    if (listing.error.isEmpty())
        return true;
    PrintErrorLine(WithFullStop(listing.error));
    return false;
}

} // namespace

QString CompareUsageError(const CliOptions& options) {
    if (options.compareTo && !options.compare)
        return QStringLiteral("\"--to\" gehört zu \"--compare\"");
    if (!options.compare)
        return {};
    if (options.compareTo && !options.folderDefaulted)
        return QStringLiteral("\"--compare ALT --to NEU\" vergleicht zwei gespeicherte Listen "
                              "und nimmt keine Verzeichnisse");
    if (options.output)
        return QStringLiteral("\"--compare\" schreibt die Unterschiede auf die Standardausgabe; "
                              "\"--output\" passt nicht dazu");
    if (options.simple && !options.fullPath)
        return QStringLiteral("\"--compare\" mit einfacher Ausgabe verlangt \"-p\": eine Liste "
                              "ohne Pfade lässt sich nicht vergleichen");
    return {};
}

int RunComparison(const CliOptions& options) {
    if (options.compareTo) {
        const auto [earlier, later] = readBoth(*options.compare, *options.compareTo);
        if (!readable(earlier) || !readable(later))
            return ExitStatus::UsageError;
        return printComparison(earlier, later);
    }
    // The earlier list first, so that a list that cannot be compared costs no search.
    const SavedListing earlier = readListing(*options.compare);
    if (!readable(earlier))
        return ExitStatus::UsageError;
    FillSearchSettings(SearchFiles, options);
    CliProgress progress(SearchFiles, GivenFolders(options),
                         !options.quiet && ::isatty(STDERR_FILENO) == 1, !options.quiet);
    const SavedListing later = searchNow(options, progress);
    if (StopRequested())
        return ExitStatus::Interrupted;
    if (!readable(later))
        return ExitStatus::UsageError;
    return printComparison(earlier, later);
}
