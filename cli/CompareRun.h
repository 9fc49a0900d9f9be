#pragma once

#include "CliOptions.h"

#include <QString>

// Why the options do not make a comparison (--to without --compare, --to with folders, -o, a
// simple listing without -p or with -x, standard input for both lists), or the empty text.
QString CompareUsageError(const CliOptions& options);

// --compare OLD: reads the saved list OLD ("-": standard input), searches as the options ask (or
// reads the saved list of --to), and prints the differences, one line each, and the summary.
// Exit status 0 when the two agree, 1 when they differ, 2 when a list cannot be read or is not a
// listing of this program, or when something could not be compared (an unread folder, a list
// that ends early, names shown alike), 130 when a stop signal ends it.
int RunComparison(const CliOptions& options);
