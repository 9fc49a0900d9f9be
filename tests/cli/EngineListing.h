#pragma once

#include "CliOptions.h"

#include <QByteArray>
#include <QString>
#include <utility>
#include <vector>

// What the result window would hold for these settings, straight from the engine: the header
// block (extended output) and RunSearch's lines, each followed by `lineEnd`.
QByteArray EngineListing(const CliOptions& options, const QByteArray& lineEnd = "\n");

// Shorthands for the folder list of the options: each path with its recursion setting.
CliOptions WithFolders(const std::vector<std::pair<QString, bool>>& folders);
