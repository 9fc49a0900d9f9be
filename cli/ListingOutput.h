#pragma once

#include "FdOutput.h"
#include "ListFileWriter.h"
#include "ResultLines.h"

#include <QStringList>

// The finished list of one run: the header block (extended output only) and the result lines,
// in the order the result window would hold them.
struct Listing {
    QStringList header;
    ResultLines lines;
};

// Writes header lines to a descriptor, each followed by a line feed.
WriteOutcome WriteHeader(int fd, const QStringList& header);

// Writes the list to a descriptor, every line followed by a line feed.
WriteOutcome WriteListing(int fd, const Listing& listing);

// Writes the list into an opened writer as "Speichern unter..." saves it (CR LF) and puts the
// file in place. Empty on success, else the writer's message.
QString SaveListing(ListFileWriter& writer, const Listing& listing);
