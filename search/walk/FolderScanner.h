#pragma once

#include "records/RecordSink.h"
#include "run/SearchProgress.h"
#include "run/SearchSettings.h"
#include "walk/WorkerPool.h"

#include <cstdint>
#include <QString>

// Lists `folder` for `mask` and hands its matching entries to `records`, reading what they need;
// with `recursive`, then does the same in every subfolder, depth first. Counts the files in
// `filesFound` (the progress shows the count of the whole search), reports progress to
// `progress` and stops when `settings.Searching` goes false. Subfolders and the sizes of large or
// slow folders are read on `pool`'s workers.
void ScanFolder(TSearchFiles& settings, const QString& folder, const QString& mask, bool recursive,
                RecordSink& records, std::int64_t& filesFound, SearchProgress& progress,
                WorkerPool& pool);
