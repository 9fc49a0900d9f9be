#pragma once

#include "LineSink.h"
#include "SearchProgress.h"
#include "SearchSettings.h"
#include "WorkerPool.h"

#include <cstdint>
#include <QString>

// Lists `folder` for `mask` and appends its result lines; with `recursive`, then does the same in
// every subfolder, depth first. Extended output writes a heading, the directory lines, the file
// lines and a sum line per folder; simple output one name or path per entry. Updates the totals
// of the whole search, reports progress to `progress` and stops when `settings.Searching` goes
// false. Subfolders and the sizes of large or slow folders are read on `pool`'s workers.
void ScanFolder(TSearchFiles& settings, const QString& folder, const QString& mask, bool recursive,
                bool fullPath, bool showExtensions, bool extended, LineSink& lines,
                std::int64_t& totalBytes, std::int64_t& totalFiles, std::int64_t& totalFolders,
                SearchProgress& progress, WorkerPool& pool);
