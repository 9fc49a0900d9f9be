#pragma once

#include <QObject>
#include <stdexcept>
#include <string>

class TfrmMain;

// What window tests and the window benchmark share to drive the program's real windows.

// The control of type `Control` named `name` among the children of `parent`; a missing one
// throws, naming the control, its type and the window, so the test or benchmark fails loudly.
template <typename Control> Control* FindControl(const QObject& parent, const char* name) {
    auto* control = parent.findChild<Control*>(QLatin1String(name));
    if (control == nullptr)
        throw std::runtime_error(std::string("no ") + Control::staticMetaObject.className() +
                                 " named \"" + name + "\" in " + parent.objectName().toStdString());
    return control;
}

// The program's start-up without its event loop: the three windows created in their order and
// the main window shown. Returns once the main window is on the screen; throws when it is not.
TfrmMain& StartFolderInventoryWindows();
