#include "CompareRun.h"

#include "base/PathText.h"
#include "base/StopSignalMask.h"
#include "CliProgress.h"
#include "compare/DifferenceOutput.h"
#include "compare/ListingComparison.h"
#include "compare/RecordListing.h"
#include "ErrorOutput.h"
#include "ExitStatus.h"
#include "output/ListFileWriter.h"
#include "OutputErrors.h"
#include "run/SearchSettings.h"
#include "SearchDriver.h"
#include "SearchFromOptions.h"
#include "StopSignals.h"
#include "TerminalLines.h"

#include <future>
#include <optional>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <utility>

namespace {

// Reads go on until a stop signal arrives.
bool keepReading() {
    return !StopRequested();
}

// A file named by the bytes that were given; "-" is standard input.
SavedListing readListing(const QByteArray& fileName) {
    if (fileName == "-")
        return ReadListingDescriptor(STDIN_FILENO, QStringLiteral("Standardeingabe"), keepReading);
    return ReadListingFile(PathTextFromBytes(fileName), keepReading);
}

// The search's records go straight into the listing that is compared, by their exact names, with
// sizes and times in the extended form, which also tells files from folders for a checksum list.
// A checksum list tells its files by their content alone: without --hash the search reads the
// files with the list's algorithm. What the search left out are its gaps.
SavedListing searchNow(const CliOptions& options, CliRun& run, const SavedListing& earlier) {
    const bool checksums = earlier.form == ListingForm::Checksums;
    const bool simple = options.simple && !checksums;
    const std::optional<DigestAlgorithm> digest =
        options.hash || !checksums ? options.hash : earlier.digest;
    RecordListing records(simple ? ListingForm::Simple : ListingForm::Extended, digest);
    RunSearch(SearchFiles, records, run.progress);
    run.shown.finish();
    return records.finish(SearchFiles, run.outcome);
}

// The differences on standard output as the options ask: text, JSON Lines (--format json) or the
// paths alone, each ending in a NUL byte (-0); the notes on standard error. A comparison that
// left something open says so by its status, as diff does for trouble, whatever else it found.
int printComparison(const CliOptions& options, const SavedListing& earlier,
                    const SavedListing& later) {
    ListingComparison::Options only;
    if (options.kept)
        only.only = *options.kept == EntryRecord::Kind::Folder ? EntryKind::Folder
                    : *options.kept == EntryRecord::Kind::Link ? EntryKind::Link
                                                               : EntryKind::File;
    const ListingComparison comparison(earlier, later, only);
    for (const QString& note : comparison.notes())
        PrintNoteLine(note);
    ListFileWriter output(STDOUT_FILENO);
    output.setLineEnd(options.nullTerminated ? std::string_view("\0", 1) : "\n");
    output.open();
    TerminalLines onTerminal(output);
    LineSink& out = output.writesToTerminal() ? static_cast<LineSink&>(onTerminal) : output;
    if (options.nullTerminated) {
        AppendDifferentPaths(comparison, output);
    } else if (options.format == OutputFormat::Json) {
        AppendDifferencesAsJson(comparison, out);
    } else {
        if (const std::string folders = ComparedFoldersLine(comparison); !folders.empty())
            out.append(folders);
        comparison.appendDifferences(out);
        if (!comparison.same())
            out.append("");
        out.append(comparison.summary());
    }
    if (const int status = CommitOutput(output, true); status != ExitStatus::Success)
        return status;
    if (!comparison.complete())
        return ExitStatus::Incomplete;
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

// The file or stream behind a list's name ("-": standard input), when it can be known. A
// character device (a terminal, /dev/null) gives every reader its own reading.
std::optional<struct stat> streamOf(const QByteArray& fileName) {
    struct stat st {};
    const int status =
        fileName == "-" ? ::fstat(STDIN_FILENO, &st) : ::stat(fileName.constData(), &st);
    if (status != 0 || S_ISCHR(st.st_mode))
        return std::nullopt;
    return st;
}

bool sameStream(const std::optional<struct stat>& a, const std::optional<struct stat>& b) {
    return a && b && a->st_dev == b->st_dev && a->st_ino == b->st_ino;
}

QString shownListName(const QByteArray& fileName) {
    return fileName == "-" ? QStringLiteral("Standardeingabe")
                           : ShownPathText(PathTextFromBytes(fileName));
}

// One stream read as two lists would be cut between them, and a list that is also the output was
// emptied by the shell before the tool began: either would give confident differences. As cat
// does, such an input is refused before anything is read. A regular file is read whole by each
// reader, so one compared with itself just shows what it lacks.
bool inputsAreDistinct(const CliOptions& options) {
    const std::optional<struct stat> earlier = streamOf(*options.compare);
    const std::optional<struct stat> later =
        options.compareTo ? streamOf(*options.compareTo) : std::nullopt;
    if (sameStream(earlier, later) && !S_ISREG(earlier->st_mode)) {
        PrintErrorLine(
            QStringLiteral("\"--compare\" und \"--to\" nennen dieselbe Datei oder "
                           "denselben Datenstrom: %1 und %2")
                .arg(shownListName(*options.compare), shownListName(*options.compareTo)));
        return false;
    }
    struct stat output {};
    std::optional<struct stat> standardOutput;
    if (::fstat(STDOUT_FILENO, &output) == 0 && !S_ISCHR(output.st_mode))
        standardOutput = output;
    for (const auto& [name, stream] :
         {std::pair{options.compare, earlier}, std::pair{options.compareTo, later}}) {
        if (name && sameStream(stream, standardOutput)) {
            PrintErrorLine(QStringLiteral("Die Liste %1 ist zugleich die Ausgabe, in die die "
                                          "Unterschiede geschrieben würden")
                               .arg(shownListName(*name)));
            return false;
        }
    }
    return true;
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
    if (options.format != OutputFormat::Text && options.format != OutputFormat::Json)
        return QStringLiteral("\"--compare\" schreibt die Unterschiede als Text oder JSON Lines; "
                              "\"--format %1\" passt nicht dazu")
            .arg(options.format == OutputFormat::Csv ? QStringLiteral("csv")
                                                     : QStringLiteral("sums"));
    if (options.nullTerminated && options.format != OutputFormat::Text)
        return QStringLiteral("\"-0\" schreibt die Pfade der Unterschiede; \"--format json\" "
                              "passt nicht dazu");
    if (options.hash && (options.compareTo || options.simple))
        return QStringLiteral("\"--hash\" mit \"--compare\" liest die Dateien einer neuen Suche "
                              "für eine erweiterte Liste; \"%1\" passt nicht dazu")
            .arg(options.compareTo ? QStringLiteral("--to") : QStringLiteral("-s"));
    if (options.simple && !options.fullPath)
        return QStringLiteral("\"--compare\" mit einfacher Ausgabe verlangt \"-p\": eine Liste "
                              "ohne Pfade lässt sich nicht vergleichen");
    if (options.simple && options.noExtensions)
        return QStringLiteral("\"--compare\" geht nicht mit \"-x\": in einer Liste ohne "
                              "Dateierweiterungen bliebe eine geänderte Erweiterung unsichtbar");
    if (options.compareTo && *options.compare == "-" && *options.compareTo == "-")
        return QStringLiteral("nur eine der beiden Listen kann von der Standardeingabe kommen");
    return {};
}

int RunComparison(const CliOptions& options) {
    if (!inputsAreDistinct(options))
        return ExitStatus::UsageError;
    if (options.compareTo) {
        const auto [earlier, later] = readBoth(*options.compare, *options.compareTo);
        if (StopRequested())
            return ExitStatus::Interrupted;
        if (!readable(earlier) || !readable(later))
            return ExitStatus::UsageError;
        return printComparison(options, earlier, later);
    }
    // The earlier list first, so that a list that cannot be compared costs no search.
    const SavedListing earlier = readListing(*options.compare);
    if (StopRequested())
        return ExitStatus::Interrupted;
    if (!readable(earlier))
        return ExitStatus::UsageError;
    FillSearchSettings(SearchFiles, options);
    CliRun run(SearchFiles, GivenFolders(options), !options.quiet && ::isatty(STDERR_FILENO) == 1,
               !options.quiet);
    const SavedListing later = searchNow(options, run, earlier);
    if (run.outcome.cancelled())
        return ExitStatus::Interrupted;
    if (!readable(later))
        return ExitStatus::UsageError;
    return printComparison(options, earlier, later);
}
