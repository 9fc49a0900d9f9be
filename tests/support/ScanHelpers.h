#pragma once

#include "output/ResultLines.h"
#include "QtPrinters.h"
#include "run/SearchProgress.h"
#include "run/SearchSettings.h"

#include <cstdint>
#include <QString>
#include <QStringList>
#include <string>

class LineSink;
struct ScanTuning;
class WorkerPool;

struct ScanTotals {
    std::int64_t bytes = 0;
    std::int64_t files = 0;
    std::int64_t folders = 0;
};

struct ScanOptions {
    bool recursive = false;
    bool fullPath = false;
    bool showExtensions = true;
    bool extended = true;
    SearchProgress* progress = nullptr; // receives the reports; none when null
    const ScanTuning* tuning = nullptr; // the worker pool's numbers; the defaults when null
    const SearchScope* scope = nullptr; // Scan: what the search leaves out; nothing when null
};

// ScanFolder with the listing's lines (TextListing): extended output writes a heading, the
// directory lines, the file lines and a sum line per folder, simple output one name or path per
// entry; adds to the totals of the whole search.
void ScanFolderLines(TSearchFiles& settings, const QString& folder, const QString& mask,
                     bool recursive, bool fullPath, bool showExtensions, bool extended,
                     LineSink& lines, ScanTotals& totals, SearchProgress& progress,
                     WorkerPool& pool);

// RunSearch with the listing's lines, appended to `lines` as they are made; for extended output
// the totals footer closes the list, also after a cancel.
void RunSearchLines(TSearchFiles& settings, bool fullPath, bool showExtensions, bool extended,
                    LineSink& lines, SearchProgress& progress);

// Numbers that make a worker pool act as on a network share from its first read on: every read
// counts as waiting, so up to `waitingWorkers` start, and every folder's sizes are read one entry
// at a time by several of them.
ScanTuning AsOnASlowShare();

// Runs ScanFolder on a fresh settings record with the search flag up.
QStringList Scan(const QString& folder, const QString& mask, ScanOptions options,
                 ScanTotals* totals = nullptr);

// Runs RunSearch with `settings` (`recursive` is taken from the settings).
QStringList SearchLines(TSearchFiles& settings, ScanOptions options = {});

// Runs RunSearch over the given folders, all with the same recursion text.
QStringList Search(const QStringList& folders, const QString& masks, ScanOptions options);

// The extended listing of `folder` (searched with its subfolders) as "Speichern unter..." saves
// it: header block and lines, each ending in CR LF.
std::string SavedListingText(const QString& folder, const QString& masks = QStringLiteral("*.*"));

// The simple listing of `folder` (searched with its subfolders) with full paths, every line
// ending in LF as the command-line tool writes it.
std::string SimpleListingText(const QString& folder);

// The lines as texts, for comparing whole listings: of a ResultLines, or of any list of lines
// with size() and at().
template <typename Lines> QStringList LinesOf(const Lines& lines) {
    QStringList texts;
    texts.reserve(lines.size());
    for (qsizetype i = 0; i < lines.size(); ++i)
        texts.append(lines.at(i));
    return texts;
}

// A directory line and a file line as the listing writes them.
QString DirLine(const QString& name);
QString FileLine(std::int64_t size, const QString& name);
