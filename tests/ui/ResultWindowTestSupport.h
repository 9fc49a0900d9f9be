#pragma once

#include "LineView.h"

#include <ostream>
#include <QObject>
#include <stdexcept>
#include <string>

// The child widget called `name`; a missing one fails the test with its name and type.
template <typename T> T* FindChild(const QObject& parent, const char* name) {
    T* child = parent.findChild<T*>(QLatin1String(name));
    if (child == nullptr)
        throw std::runtime_error(std::string("no ") + T::staticMetaObject.className() +
                                 " named \"" + name + "\" in " + parent.objectName().toStdString());
    return child;
}

inline void PrintTo(const TextPosition& position, std::ostream* out) {
    *out << "(row " << position.row << ", column " << position.column << ")";
}
