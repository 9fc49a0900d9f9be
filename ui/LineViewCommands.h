#pragma once

#include "TextSelection.h"

#include <optional>

class LineView;
class QKeyEvent;
class QMenu;

// The commands of the line view: the keys it handles itself and its context menu.

// A cursor motion that a key asks for, and whether it stretches the selection.
struct MotionRequest {
    TextMotion motion;
    bool select = false;
};

// The motion of a key, in the platform's key bindings (Ctrl+Right, Shift+End, ...).
std::optional<MotionRequest> MotionForKey(const QKeyEvent& event);

// Whether the line view handles the key itself: copy, select all and the motions.
bool IsLineViewKey(const QKeyEvent& event);

// The context menu of `view`: copy and select all, in Qt's own (translated) texts. The caller
// owns the menu.
QMenu* CreateLineViewMenu(LineView& view);
