#pragma once

#include "base/FileTime.h"
#include "output/LineSink.h"
#include "run/RunOutcome.h"
#include "run/SearchSettings.h"
#include "snapshot/HtmlSnapshot.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class SnapshotTree;

// Text cut into lines for a LineSink: each line goes on when it ends, the rest waits for more.
class PageLines final {
public:
    explicit PageLines(LineSink& lines) : lines_(lines) {}

    void add(std::string_view text);
    // Ends the line begun, also an empty one.
    void endLine();
    // The line begun, to append to in place.
    std::string& line() { return line_; }

private:
    LineSink& lines_;
    std::string line_;
};

// What the header shows besides the tree's totals.
struct SnapshotHeader {
    const TSearchFiles& settings;
    FileTime created;
    const RunOutcome& outcome;
    const std::vector<HtmlSnapshot::Fact>& facts;
};

// The page's title: the first searched folder, and how many more.
std::string SnapshotTitle(const TSearchFiles& settings);

// The header as HTML: what was searched, when, the totals, the facts and what the run left out.
void WriteSnapshotHeader(PageLines& page, const SnapshotHeader& header, const SnapshotTree& tree);

// The data script elements (see page/data.js for their layout).
void WriteSnapshotData(PageLines& page, const SnapshotTree& tree, FileTime created,
                       const std::vector<HtmlSnapshot::Column>& columns);
