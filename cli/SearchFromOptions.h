#pragma once

#include "CliOptions.h"
#include "output/LineSink.h"
#include "run/RunOutcome.h"
#include "run/SearchProgress.h"
#include "run/SearchSettings.h"

#include <QByteArrayList>
#include <QString>
#include <string_view>

// The search that the command line asks for: its folders, each with its recursion setting, and
// its masks, as the bytes that were given.
void FillSearchSettings(TSearchFiles& settings, const CliOptions& options);

// The folders as they were given, so that warnings name them that way.
QByteArrayList GivenFolders(const CliOptions& options);

// Why the output options do not go together (-0 without -s, a table with -s), or the empty text.
QString OutputUsageError(const CliOptions& options);

// The algorithm of a checksum list: --hash's, SHA-256 by default.
DigestAlgorithm SumsAlgorithm(const CliOptions& options);

// What ends each line of the output the options ask for: `textLineEnd` for the text listing (a
// line feed on standard output, CR LF in a file), a NUL byte with -0, CR LF for the table, a line
// feed for JSON Lines.
std::string_view OutputLineEnd(const CliOptions& options, std::string_view textLineEnd);

// Runs the search that `settings` (filled from `options`) describes and appends its output to
// `lines` as it is made: for the extended listing the header block and the result lines, for the
// simple one its lines, for the table its header row and rows, for JSON Lines the inventory line,
// the entries and the summary, for the HTML snapshot the page; the summary and the snapshot's
// header say what `outcome` holds once the search has ended (`progress` records into it).
void SearchListing(TSearchFiles& settings, const CliOptions& options, LineSink& lines,
                   SearchProgress& progress, const RunOutcome& outcome);
