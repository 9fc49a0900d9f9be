#pragma once

#include "SearchSettings.h"

#include <QStringList>

// The header block that opens an extended listing: the framed title, the searched folders with
// their recursion, and the mask text as typed.
QStringList BuildHeaderBlock(const TSearchFiles& settings);
