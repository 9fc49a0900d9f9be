#pragma once

#include <QString>

inline constexpr const char* CliProgramName = "folderinventory-cli";

// The usage text that --help prints, in German like the program.
QString HelpText();
// "folderinventory-cli <version>".
QString VersionText();
