#pragma once

#include "CliOptions.h"

#include <QString>

// Why the options do not make a check of a checksum list (-o, --format, --hash, --compare,
// -s), or the empty text.
QString CheckUsageError(const CliOptions& options);

// --check LIST [FOLDER...]: reads every file the checksum list LIST ("-": standard input) names
// and prints one line per problem ("FEHLER: PATH", "fehlt: PATH", "nicht lesbar: PATH"), with
// folders given also each file there that the list does not name ("neu: PATH"), then the counts.
// Exit status 0 when all is well, 1 when a file differs, is missing, unreadable or new, 2 when the
// list cannot be read or has malformed lines (each named on standard error with its line number;
// the rest is still checked), 130 when a stop signal ends it.
int RunCheck(const CliOptions& options);
