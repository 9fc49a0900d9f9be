#pragma once

#include "base/DigestAlgorithm.h"
#include "base/FileTime.h"
#include "output/LineSink.h"
#include "records/RecordSink.h"
#include "run/RunOutcome.h"
#include "run/SearchSettings.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class SnapshotTree;

// The inventory as one HTML page to browse and search offline: a header with what was searched,
// when, the totals and what the run could not read; the folder tree with each folder's files and
// bytes including its subfolders; the chosen folder's subfolders and files, sortable by column;
// and a search over all names by the masks' wildcard rules. Script, style and data are inside the
// page, and its Content-Security-Policy allows nothing else: no request leaves it. Names are data
// the script shows as text; the data holds no "<", so no name can end the element it stands in.
// The records are kept until the run ends, when the folders' totals are known and the page is
// written: lines ending in a line feed.
class HtmlSnapshot final : public RecordSink {
public:
    // `outcome` is read when the run ends. With `digest`, the files' digests made with it are
    // a column named for the algorithm ("SHA-256"), and the header says so.
    HtmlSnapshot(LineSink& lines, const RunOutcome& outcome,
                 std::optional<DigestAlgorithm> digest = std::nullopt);
    ~HtmlSnapshot() override;
    HtmlSnapshot(const HtmlSnapshot&) = delete;
    HtmlSnapshot& operator=(const HtmlSnapshot&) = delete;

    // A column of the file lists beside name, size and time, such as a digest: its title and
    // each file's text (bytes, shown as a name is; empty for none). Before begin.
    void addColumn(std::string title, std::function<std::string(const EntryRecord&)> text);
    // What was searched, and when; before the first record.
    void begin(const TSearchFiles& settings, FileTime created);
    // A line of the header beyond folders, masks, time and totals, such as how the search was
    // narrowed or which digests it computed. Before the run ends.
    void addFact(std::string label, std::string value);

    Needs needs() const override;
    void beginFolder(std::string_view folderText) override;
    void entry(const EntryRecord& record) override;
    void endFolder() override;
    // Writes the page.
    void endRun() override;

    struct Column {
        std::string title;
        std::function<std::string(const EntryRecord&)> text;
    };
    struct Fact {
        std::string label;
        std::string value;
    };

private:
    void addScopeFacts(const SearchScope& scope);

    LineSink& lines_;
    const RunOutcome& outcome_;
    const std::optional<DigestAlgorithm> digest_;
    TSearchFiles settings_;
    FileTime created_;
    std::vector<Column> columns_;
    std::vector<Fact> facts_;
    std::unique_ptr<SnapshotTree> tree_;
};
