#include "ScanHelpers.h"

#include "FolderScanner.h"
#include "HeaderBlock.h"
#include "ScanTuning.h"
#include "SearchDriver.h"

#include <chrono>

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
    ScanTotals local;
    ScanTotals& t = totals ? *totals : local;
    SearchProgress silent;
    ResultLines lines;
    WorkerPool pool(options.tuning ? *options.tuning : ScanTuning());
    ScanFolder(settings, folder, mask, options.recursive, options.fullPath, options.showExtensions,
               options.extended, lines, t.bytes, t.files, t.folders,
               options.progress ? *options.progress : silent, pool);
    return LinesOf(lines);
}

QStringList SearchLines(TSearchFiles& settings, ScanOptions options) {
    SearchProgress silent;
    ResultLines lines;
    RunSearch(settings, options.fullPath, options.showExtensions, options.extended, lines,
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
    RunSearch(settings, false, true, true, lines, silent);
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
    RunSearch(settings, true, true, false, lines, silent);
    return std::string(lines.text());
}

QStringList LinesOf(const ResultLines& lines) {
    QStringList texts;
    texts.reserve(lines.size());
    for (qsizetype i = 0; i < lines.size(); ++i)
        texts.append(lines.at(i));
    return texts;
}

QString DirLine(const QString& name) {
    return QStringLiteral("0          ") + (QStringLiteral("<DIR> ") + name).leftJustified(50);
}

QString FileLine(std::int64_t size, const QString& name) {
    return QString::number(size).leftJustified(15) + QStringLiteral("  ") + name.leftJustified(50);
}
