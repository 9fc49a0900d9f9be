#pragma once

#include "CliOptions.h"
#include "LineSink.h"
#include "SearchProgress.h"
#include "SearchSettings.h"

#include <QByteArrayList>

// The search that the command line asks for: its folders, each with its recursion setting, and
// its masks, as the bytes that were given.
void FillSearchSettings(TSearchFiles& settings, const CliOptions& options);

// The folders as they were given, so that warnings name them that way.
QByteArrayList GivenFolders(const CliOptions& options);

// Runs the search that `settings` (filled from `options`) describes and appends the listing to
// `lines` as it is made: the header block for extended output, then the result lines.
void SearchListing(TSearchFiles& settings, const CliOptions& options, LineSink& lines,
                   SearchProgress& progress);
