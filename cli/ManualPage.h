#pragma once

#include "CliOptionTable.h"

#include <QString>
#include <span>

// The OPTIONEN section of the tool's manual page in troff: each group as a subsection, each
// option as a tagged paragraph, from the same table that --help is rendered from.
QString RenderManualOptions(std::span<const CliOptionSpec> table);

// `text` as a troff text line: backslashes and option dashes escaped, a leading control
// character defused.
QString TroffText(const QString& text);
