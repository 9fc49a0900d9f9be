#pragma once

#include "base/DigestAlgorithm.h"
#include "records/EntryRecord.h"
#include "scope/SearchScope.h"

#include <optional>
#include <QByteArray>
#include <QByteArrayList>
#include <QString>
#include <vector>

// One folder argument, as the bytes that were given, with the recursion setting in force at its
// place on the command line.
struct FolderArgument {
    QByteArray path;
    bool recursive = true;
};

// What the tool writes: the listing as the result window shows it, a table for spreadsheets,
// JSON Lines for programs, a checksum list as sha256sum writes it, or an HTML page to browse and
// search.
enum class OutputFormat { Text, Csv, Json, Sums, Html };

// What the command line asks for. Folders, masks and the output name are the bytes that were
// given. The folders keep their order; with none given the current folder "." is searched.
struct CliOptions {
    QByteArray masks = "*.*";
    bool simple = false;
    bool fullPath = false;
    bool noExtensions = false;
    bool quiet = false;
    OutputFormat format = OutputFormat::Text;
    bool nullTerminated = false; // -0: simple lines end in NUL and keep their exact bytes
    // --type: only files, folders or links.
    std::optional<EntryRecord::Kind> kept;
    bool help = false;
    bool version = false;
    std::optional<QByteArray> output;
    // --hash ALGO: the files' digests in the table, JSON Lines or the checksum list.
    std::optional<DigestAlgorithm> hash;
    // --check LIST: the files a checksum list names read and checked instead of a listing.
    std::optional<QByteArray> check;
    // --compare OLD: the differences to the saved list OLD instead of the listing; with --to NEW
    // the saved list NEW takes the place of a search.
    std::optional<QByteArray> compare;
    std::optional<QByteArray> compareTo;
    std::vector<FolderArgument> folders;
    bool folderDefaulted = false; // no folder was given: "." stands in
    // What the search leaves out and which files it keeps (--exclude, --one-file-system,
    // --max-depth, --min-size, --max-size, --newer, --older); a span such as "30d" counts back
    // from the time the arguments were read.
    SearchScope scope;
};

// The parsed options, or a usage error message (German, without the program name).
struct CliParseResult {
    CliOptions options;
    QString error;
};

// Parses the arguments after the program name in order, as getopt_long does with permutation:
// options may stand anywhere, short options may be bundled ("-sp", "-m*.txt"), long options take
// their value as "--masks=TEXT" or as the next argument, and "--" ends the options. Everything
// else is a folder, taken exactly as given. The options are those of CliOptionTable(). A value
// of the scope that cannot be read, a minimum size above the maximum and a --newer time that is
// not before the --older one are usage errors that name the option and the value.
CliParseResult ParseCliArguments(const QByteArrayList& arguments);
