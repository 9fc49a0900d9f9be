#pragma once

#include "CliOptions.h"

// Runs one inventory as the options ask: fills the search settings, searches with the window's
// engine, and writes the header block and result lines to standard output or to the output
// file. Returns the exit status (see ExitStatus.h).
int RunInventory(const CliOptions& options);
