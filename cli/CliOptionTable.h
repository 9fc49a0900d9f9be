#pragma once

#include <QString>
#include <span>
#include <string_view>

// Every option of folderinventory-cli, as plain data: the parser reads it, --help is rendered
// from it, and so can be a manual page or a shell completion.
enum class CliOption {
    Masks,
    Simple,
    FullPath,
    NoExtensions,
    Recurse,
    NoRecurse,
    Output,
    Quiet,
    Help,
    Version,
    Compare,
    CompareTo,
    Format,
    Hash,
    Check,
    Null,
    Type,
    Exclude,
    OneFileSystem,
    MaxDepth,
    MinSize,
    MaxSize,
    Newer,
    Older,
};

struct CliOptionSpec {
    CliOption option;
    std::string_view longName;     // without the leading "--"
    std::string_view shortNames;   // one character per short name, may be empty
    std::string_view argumentName; // the value's name in the help ("DATEI"), empty: no value
    std::string_view help;         // German, UTF-8, one paragraph
    std::string_view group;        // the heading the option stands under in the help
    bool fileValue = false;        // the value names a file ("-" for standard input or output)
    std::string_view values = {};  // the values it takes, separated by blanks; empty: any
};

// The options in the order the help lists them; options of one group stand together.
std::span<const CliOptionSpec> CliOptionTable();

// "-r, -R, --recurse" or "-o, --output DATEI": the names of an option as the help shows them.
QString OptionSynopsis(const CliOptionSpec& entry);

// The option part of the help: each group under its heading, each option with its synopsis and
// its text wrapped to fit 80 columns.
QString RenderOptionHelp(std::span<const CliOptionSpec> table);

// A text of the table (a name, a help paragraph, a group heading) as a QString.
QString TableText(std::string_view text);
