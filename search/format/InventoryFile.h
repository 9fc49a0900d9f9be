#pragma once

#include "base/FileTime.h"
#include "format/JsonListing.h"
#include "records/RecordStore.h"
#include "run/RunOutcome.h"
#include "run/SearchSettings.h"

#include <QString>

// A run kept for saving after it: its records, what it searched, when, and what it left out.
struct KeptRun {
    RecordStore records;
    TSearchFiles searched; // folders, recursion and masks as the run had them
    FileTime created;
    RunOutcome outcome;
    bool extendedListing = true; // the window shows the extended listing, else the simple one
};

enum class InventoryFormat { Csv, Json, Sums, Html };

// Writes the run into `fileName` as a table for spreadsheets (CR LF), as JSON Lines (which name
// `tool` as their writer), as a checksum list or as an HTML page to browse (HtmlSnapshot), each
// with the digests the run read, through ListFileWriter, so an existing file is replaced only once
// the new one is whole. Empty on success, else the writer's message.
QString WriteInventoryFile(const KeptRun& run, InventoryFormat format, const QString& fileName,
                           const JsonListing::Tool& tool);
