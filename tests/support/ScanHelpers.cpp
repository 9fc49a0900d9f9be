#include "ScanHelpers.h"

#include "format/HeaderBlock.h"
#include "format/TextListing.h"
#include "SearchDriver.h"
#include "walk/FolderScanner.h"
#include "walk/ScanTuning.h"
#include "walk/WorkerPool.h"

#include <chrono>

void ScanFolderLines(TSearchFiles& settings, const QString& folder, const QString& mask,
                     bool recursive, bool fullPath, bool showExtensions, bool extended,
                     LineSink& lines, ScanTotals& totals, SearchProgress& progress,
                     WorkerPool& pool) {
    TextListing listing = TextListing::of(lines, extended, fullPath, showExtensions);
    ScanFolder(settings, folder, mask, recursive, listing, totals.files, progress, pool);
    totals.bytes += static_cast<std::int64_t>(listing.totals().bytes);
    totals.folders += listing.totals().folders;
}

void RunSearchLines(TSearchFiles& settings, bool fullPath, bool showExtensions, bool extended,
                    LineSink& lines, SearchProgress& progress) {
    TextListing listing = TextListing::of(lines, extended, fullPath, showExtensions);
    RunSearch(settings, listing, progress);
}

ScanTuning AsOnASlowShare() {
    ScanTuning tuning;
    tuning.slowRead = std::chrono::microseconds(0);
    tuning.judgedReads = 1;
    tuning.sharedSizeReadsFrom = static_cast<std::size_t>(-1);
    return tuning;
}

QStringList Scan(const QString& folder, const QString& mask, ScanOptions options,
                 ScanTotals* totals) {
    TSearchFiles settings;
    settings.Searching = true;
    if (options.scope)
        settings.Scope = *options.scope;
    ScanTotals local;
    ScanTotals& t = totals ? *totals : local;
    SearchProgress silent;
    ResultLines lines;
    WorkerPool pool(options.tuning ? *options.tuning : ScanTuning());
    ScanFolderLines(settings, folder, mask, options.recursive, options.fullPath,
                    options.showExtensions, options.extended, lines, t,
                    options.progress ? *options.progress : silent, pool);
    return LinesOf(lines);
}

QStringList SearchLines(TSearchFiles& settings, ScanOptions options) {
    SearchProgress silent;
    ResultLines lines;
    RunSearchLines(settings, options.fullPath, options.showExtensions, options.extended, lines,
                   options.progress ? *options.progress : silent);
    return LinesOf(lines);
}

QStringList Search(const QStringList& folders, const QString& masks, ScanOptions options) {
    TSearchFiles settings;
    for (const QString& folder : folders)
        AddSearchFolder(settings, folder, options.recursive);
    settings.Masks = masks;
    return SearchLines(settings, options);
}

std::string SavedListingText(const QString& folder, const QString& masks) {
    TSearchFiles settings;
    AddSearchFolder(settings, folder, true);
    settings.Masks = masks;
    SearchProgress silent;
    ResultLines lines;
    AppendHeaderBlock(settings, lines);
    RunSearchLines(settings, false, true, true, lines, silent);
    std::string text;
    for (qsizetype i = 0; i < lines.size(); ++i)
        text += std::string(lines.view(i)) + "\r\n";
    return text;
}

std::string SimpleListingText(const QString& folder) {
    TSearchFiles settings;
    AddSearchFolder(settings, folder, true);
    settings.Masks = QStringLiteral("*.*");
    SearchProgress silent;
    ResultLines lines;
    RunSearchLines(settings, true, true, false, lines, silent);
    return std::string(lines.text());
}

QString DirLine(const QString& name) {
    return QStringLiteral("0          ") + (QStringLiteral("<DIR> ") + name).leftJustified(50);
}

QString FileLine(std::int64_t size, const QString& name) {
    return QString::number(size).leftJustified(15) + QStringLiteral("  ") + name.leftJustified(50);
}
