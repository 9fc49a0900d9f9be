#pragma once

#include <ostream>
#include <QString>
#include <QStringList>

// Readable failure messages for Qt texts in GoogleTest assertions.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

inline void PrintTo(const QStringList& list, std::ostream* os) {
    *os << "{\n";
    for (const QString& line : list)
        *os << "  \"" << line.toStdString() << "\"\n";
    *os << '}';
}
