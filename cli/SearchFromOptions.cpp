#include "SearchFromOptions.h"

#include "base/FileTime.h"
#include "base/PathText.h"
#include "format/CsvListing.h"
#include "format/HeaderBlock.h"
#include "format/JsonListing.h"
#include "format/SumsListing.h"
#include "format/TextListing.h"
#include "records/KindFilter.h"
#include "SearchDriver.h"
#include "snapshot/HtmlSnapshot.h"

namespace {

// The value of --format that asks for `format`.
QString formatName(OutputFormat format) {
    switch (format) {
    case OutputFormat::Csv:
        return QStringLiteral("csv");
    case OutputFormat::Json:
        return QStringLiteral("json");
    case OutputFormat::Sums:
        return QStringLiteral("sums");
    case OutputFormat::Html:
        return QStringLiteral("html");
    case OutputFormat::Text:
        break;
    }
    return QStringLiteral("text");
}

} // namespace

void FillSearchSettings(TSearchFiles& settings, const CliOptions& options) {
    InitSearchFiles(settings);
    for (const FolderArgument& folder : options.folders)
        AddSearchFolder(settings, PathTextFromBytes(folder.path), folder.recursive);
    settings.Masks = PathTextFromBytes(options.masks);
    settings.Scope = options.scope;
}

QByteArrayList GivenFolders(const CliOptions& options) {
    QByteArrayList folders;
    for (const FolderArgument& folder : options.folders)
        folders.append(folder.path);
    return folders;
}

// A comparison writes its differences, whatever list its search makes (CompareUsageError).
QString OutputUsageError(const CliOptions& options) {
    if (options.compare)
        return {};
    if (options.nullTerminated && !options.simple)
        return QStringLiteral("\"-0\" gehört zur einfachen Ausgabe \"-s\"");
    if (options.format == OutputFormat::Sums && options.simple)
        return QStringLiteral("\"--format sums\" schreibt eine Prüfsummenliste; die einfache "
                              "Ausgabe \"-s\" passt nicht dazu");
    if (options.format != OutputFormat::Text && options.simple)
        return QStringLiteral("\"--format %1\" schreibt jeden Eintrag mit Größe und Änderungszeit; "
                              "die einfache Ausgabe \"-s\" passt nicht dazu")
            .arg(formatName(options.format));
    // The text listings stay as they are: a digest asked for and not shown would go unnoticed.
    if (options.hash && options.format == OutputFormat::Text && !options.compare && !options.check)
        return QStringLiteral("\"--hash\" braucht eine Ausgabe, die Prüfsummen zeigt: "
                              "\"--format csv\", \"--format json\", \"--format html\" oder "
                              "\"--format sums\"");
    return {};
}

DigestAlgorithm SumsAlgorithm(const CliOptions& options) {
    return options.hash.value_or(DigestAlgorithm::Sha256);
}

std::string_view OutputLineEnd(const CliOptions& options, std::string_view textLineEnd) {
    switch (options.format) {
    case OutputFormat::Csv:
        return "\r\n";
    case OutputFormat::Json:
    case OutputFormat::Sums:
    case OutputFormat::Html:
        return "\n";
    case OutputFormat::Text:
        break;
    }
    return options.nullTerminated ? std::string_view("\0", 1) : textLineEnd;
}

namespace {

// Runs the search into `sink`, through the kind filter when --type asks for one.
void searchInto(TSearchFiles& settings, const CliOptions& options, RecordSink& sink,
                SearchProgress& progress) {
    if (!options.kept) {
        RunSearch(settings, sink, progress);
        return;
    }
    KindFilter filter(sink, *options.kept);
    RunSearch(settings, filter, progress);
}

} // namespace

void SearchListing(TSearchFiles& settings, const CliOptions& options, LineSink& lines,
                   SearchProgress& progress, const RunOutcome& outcome) {
    if (options.format == OutputFormat::Json) {
        JsonListing inventory(lines, outcome, options.hash, options.kept);
        inventory.begin(settings, CurrentTime(), {"folderinventory-cli", FI_VERSION});
        searchInto(settings, options, inventory, progress);
    } else if (options.format == OutputFormat::Html) {
        HtmlSnapshot snapshot(lines, outcome, options.hash);
        snapshot.begin(settings, CurrentTime());
        searchInto(settings, options, snapshot, progress);
    } else if (options.format == OutputFormat::Sums) {
        SumsListing sums(lines, SumsAlgorithm(options));
        searchInto(settings, options, sums, progress);
    } else if (options.format == OutputFormat::Csv) {
        CsvListing table(lines, options.hash);
        table.begin();
        searchInto(settings, options, table, progress);
    } else if (options.simple) {
        TextListing listing = TextListing::simple(
            lines, options.fullPath, !options.noExtensions,
            options.nullTerminated ? NameBytes::Exact : NameBytes::Shown, &outcome);
        searchInto(settings, options, listing, progress);
    } else {
        AppendHeaderBlock(settings, lines);
        TextListing listing = TextListing::extended(lines, &outcome);
        searchInto(settings, options, listing, progress);
    }
}
