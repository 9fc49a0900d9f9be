#pragma once

#include "compare/ListingGaps.h"
#include "compare/ListingReader.h"
#include "output/ResultLines.h"
#include "ShownLines.h"

#include <QString>

class QWidget;

struct KeptRun;

// The list in a result window, with what the run that made it knows it lacks, and the run's
// records where the window keeps them: then those are compared, by their exact names and times.
struct ShownList {
    const ShownLines& lines;
    ListingGaps gaps;
    const KeptRun* run = nullptr;
};

// The lists chosen before in this window: the earlier list opened last, offered again, and the
// list opened or saved last, whose folder the open dialog starts in.
struct ListFileMemory {
    QString comparedFile;
    QString lastListFile;
};

// "Vergleichen...": asks for an earlier list with the open dialog, compares it with `shown` and
// shows the report in a comparison window over `owner`. A list that cannot be compared gives the
// error box with the reason.
void CompareWithEarlierList(QWidget& owner, const ShownList& shown, ListFileMemory& memory);

// The report's lines: "Frühere Liste: <file>", a "Hinweis: " line for each note, wrapped at
// blanks to `columns` characters (the lines after the first indented), and the summary; then, when
// the lists differ, a blank line, the differences, a blank line and the summary again.
ResultLines ComparisonReport(const SavedListing& earlier, const SavedListing& later,
                             const QString& earlierFile, int columns);
