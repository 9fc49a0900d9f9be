#pragma once

#include <optional>
#include <QString>
#include <QStringList>
#include <vector>

// One folder argument with the recursion flag in force at its place on the command line.
struct FolderArgument {
    QString path;
    bool recursive = true;
};

// What the command line asks for. The folders keep their order; each carries the -r/-R flag
// that was in force where it stood.
struct CliOptions {
    QString masks = QStringLiteral("*.*");
    bool simple = false;
    bool fullPath = false;
    bool noExtensions = false;
    bool quiet = false;
    bool help = false;
    bool version = false;
    std::optional<QString> output;
    std::vector<FolderArgument> folders;
};

// The parsed options, or a usage error message (German, without the program name).
struct CliParseResult {
    CliOptions options;
    QString error;
};

// Parses the arguments after the program name in order, as getopt_long does with permutation:
// options may stand anywhere, short options may be bundled ("-sp", "-m*.txt"), long options take
// their value as "--masks=TEXT" or as the next argument, and "--" ends the options. Everything
// else is a folder, taken exactly as given.
CliParseResult ParseCliArguments(const QStringList& arguments);
