#pragma once

#include <functional>
#include <QString>

class QWidget;

// The error box: stop icon, OK button, caption "FolderInventory" and the error's message with
// the full stop rule applied (see WithFullStop).
void ShowErrorBox(QWidget* parent, const QString& message);

using ErrorBoxFunction = std::function<void(QWidget* parent, const QString& text)>;

// Puts `function` in place of the real box, so that tests capture the text instead of seeing a
// window; an empty function brings the real box back. Returns the function that was in place.
ErrorBoxFunction ReplaceErrorBox(ErrorBoxFunction function);
