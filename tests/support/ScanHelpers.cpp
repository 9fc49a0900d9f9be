#include "ScanHelpers.h"

#include "FolderScanner.h"
#include "SearchDriver.h"

QStringList Scan(const QString& folder, const QString& mask, ScanOptions options,
                 ScanTotals* totals) {
    TSearchFiles settings;
    settings.Searching = true;
    ScanTotals local;
    ScanTotals& t = totals ? *totals : local;
    ResultLines lines;
    ScanFolder(settings, folder, mask, options.recursive, options.fullPath,
               options.showExtensions, options.extended, lines, t.bytes, t.files, t.folders);
    return lines.toStringList();
}

QStringList Search(const QStringList& folders, const QString& masks, ScanOptions options) {
    TSearchFiles settings;
    for (const QString& folder : folders)
        AddSearchFolder(settings, folder, options.recursive);
    settings.Masks = masks;
    return RunSearch(settings, options.fullPath, options.showExtensions, options.extended)
        .toStringList();
}

QString DirLine(const QString& name) {
    return QStringLiteral("0          ") + (QStringLiteral("<DIR> ") + name).leftJustified(50);
}

QString FileLine(std::int64_t size, const QString& name) {
    return QString::number(size).leftJustified(15) + QStringLiteral("  ") + name.leftJustified(50);
}
