#pragma once

#include "ListingReader.h"
#include "ResultLines.h"

#include <QString>

class QWidget;

// "Vergleichen...": asks for an earlier list with the open dialog, compares it with `shown` (the
// lines of the result window) and shows the report in a comparison window over `owner`. A list
// that cannot be compared gives the error box with the reason. `lastFile` is the file chosen the
// time before; it is offered again and updated.
void CompareWithEarlierList(QWidget& owner, const ResultLines& shown, QString& lastFile);

// The report's lines: a "Hinweis: " line for each note (then a blank line), then the differences
// and the summary.
ResultLines ComparisonReport(const SavedListing& earlier, const SavedListing& later);
