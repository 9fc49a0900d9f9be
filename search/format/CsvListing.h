#pragma once

#include "output/LineSink.h"
#include "records/RecordSink.h"

#include <optional>
#include <string>

// The inventory as a table for spreadsheets: UTF-8 with a byte order mark, ";" between the cells
// (as spreadsheets in German-speaking countries expect), one row per file or subfolder ("." and
// ".." are left out) under the header row "Art;Pfad;Name;Größe;Geändert", and, with digests, a
// last column named for their algorithm ("SHA-256"), empty for folders and for files that could
// not be read whole. Art is "Datei", "Verzeichnis", "Verknüpfung" (a symbolic link) or
// "Sonderdatei" (a pipe, socket or device). The text cells (Art, Pfad, Name, the digest) are
// always quoted as RFC 4180 quotes, the size (regular files only, in bytes) and the local time
// ("2026-12-08 07:43:18") never; a value that could not be read is an empty cell. The sink ends
// each row; a spreadsheet wants CR LF. Bytes that are not UTF-8 show as U+FFFD. A cell that
// begins with "=", "+", "-", "@", a tab or a carriage return gets a leading apostrophe inside its
// quotes, so that no spreadsheet takes a name for a formula, and so does one that begins with an
// apostrophe: dropping one leading apostrophe gives the name back.
class CsvListing final : public RecordSink {
public:
    explicit CsvListing(LineSink& rows, std::optional<DigestAlgorithm> digest = std::nullopt)
        : rows_(rows), digest_(digest) {}

    // The byte order mark and the header row, before the first entry.
    void begin();

    Needs needs() const override;
    void beginFolder(std::string_view folderText) override;
    void entry(const EntryRecord& record) override;
    void endFolder() override;
    void endRun() override;

private:
    void appendCell(std::string& row, std::string_view text);

    LineSink& rows_;
    const std::optional<DigestAlgorithm> digest_;
    std::string folder_; // the folder being listed as valid UTF-8, made once for its entries
    std::string name_;   // the entry's name as valid UTF-8
    std::string text_;   // the cell being made
};
