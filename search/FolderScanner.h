#pragma once

#include "LineSink.h"
#include "RecordSink.h"
#include "SearchProgress.h"
#include "SearchSettings.h"
#include "WorkerPool.h"

#include <cstdint>
#include <QString>

// Lists `folder` for `mask` and hands its matching entries to `records`, reading what they need;
// with `recursive`, then does the same in every subfolder, depth first. Counts the files in
// `filesFound` (the found caption shows the count of the whole search), reports progress to
// `progress` and stops when `settings.Searching` goes false. Subfolders and the sizes of large or
// slow folders are read on `pool`'s workers.
void ScanFolder(TSearchFiles& settings, const QString& folder, const QString& mask, bool recursive,
                RecordSink& records, std::int64_t& filesFound, SearchProgress& progress,
                WorkerPool& pool);

// The same as the listing's lines (TextListing): extended output writes a heading, the directory
// lines, the file lines and a sum line per folder, simple output one name or path per entry;
// updates the totals of the whole search.
void ScanFolder(TSearchFiles& settings, const QString& folder, const QString& mask, bool recursive,
                bool fullPath, bool showExtensions, bool extended, LineSink& lines,
                std::int64_t& totalBytes, std::int64_t& totalFiles, std::int64_t& totalFolders,
                SearchProgress& progress, WorkerPool& pool);
