#pragma once

#include "CliOptions.h"
#include "SearchSettings.h"

#include <QByteArrayList>

// The search that the command line asks for: its folders, each with its recursion setting, and
// its masks, as the bytes that were given.
void FillSearchSettings(TSearchFiles& settings, const CliOptions& options);

// The folders as they were given, so that warnings name them that way.
QByteArrayList GivenFolders(const CliOptions& options);
