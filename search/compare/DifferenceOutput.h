#pragma once

#include "compare/ListingComparison.h"
#include "output/LineSink.h"

#include <string>

// The differences of a comparison for a person or for a program; each in the comparison's path
// order, where what a folder holds follows the folder's own path.

// "Verglichen werden <earlier>/ (frühere Liste) und <later>/ (neue Liste), Pfad für Pfad
// darunter" when paths compare below two folders, else the empty text: the first line of the
// differences then.
std::string ComparedFoldersLine(const ListingComparison& comparison);

// JSON Lines: when paths compare below two folders, first
//   {"compared":{"earlier":{"path":…},"later":{"path":…}}}
// then one line a difference,
//   {"change":"added","path":…,"kind":"file","new":{"size":…,"mtime":…,"mtime_ns":…}}
//   {"change":"removed","path":…,"kind":…,"old":{…}}
//   {"change":"changed","path":…,"kind":…,"by":"size","old":{…},"new":{…}}
// ("by" is "size", "content" or "time"; "kind" is "file", "folder", "link", "special" or null
// where the lists do not tell), and last
//   {"summary":{"added":N,"removed":N,"changed":N,"open":N,"complete":true,"notes":[…]}}.
// Paths are the exact bytes where both lists hold them (an inventory in JSON Lines, a search),
// with "path_bytes" where they are not UTF-8, and as a listing shows them otherwise; a folder's
// path has no "/" at its end. "size" is a file's (a text listing's file may be a link); values a
// list does not give are null; "old" and "new" carry the digests ("sha256":…) where both lists
// carry them.
void AppendDifferencesAsJson(const ListingComparison& comparison, LineSink& lines);

// The path of each difference once, as the list that has it names it (a changed entry's as the
// later list does), for a sink whose lines end in NUL bytes: exact where the list holds exact
// bytes. When paths compare below two folders, each path stands under its list's folder.
void AppendDifferentPaths(const ListingComparison& comparison, LineSink& lines);
