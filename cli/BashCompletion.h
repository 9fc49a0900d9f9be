#pragma once

#include "CliOptionTable.h"

#include <QString>
#include <span>

// The bash completion script of folderinventory-cli, from its option table: option names; file
// names after an option whose value is a DATEI, folder names after one whose value is a
// VERZEICHNIS and for the folder arguments; nothing after other values (masks).
QString RenderBashCompletion(std::span<const CliOptionSpec> table);
