#pragma once

#include <QString>
#include <QStringList>

// Cuts `text` at every occurrence of `separator`. Each separator ends one piece (which may be
// empty); the text behind the last separator is a piece only if it is not empty. With a positive
// `limit` the piece numbered `limit` runs to the end of the text, separators included; a limit of
// 0 means no limit and a negative limit gives no pieces. Pieces are not trimmed.
QStringList SplitText(const QString& separator, const QString& text, int limit);
