#pragma once

#include <QString>
#include <QStringList>

// Cuts `text` at every occurrence of `separator`. Each separator ends one piece (which may be
// empty); the text behind the last separator is a piece only if it is not empty. Pieces are not
// trimmed; an empty separator leaves the text whole.
QStringList SplitText(const QString& separator, const QString& text);
