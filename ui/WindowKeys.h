#pragma once

class QWidget;

// Escape does nothing in `window`: no button of it is a cancel button, and a dialog is not
// closed by it.
void IgnoreEscape(QWidget& window);

// Enter and keypad Enter press the push button of `window` that has the keyboard focus, as Space
// does. The window has no default button: elsewhere in it, Enter presses nothing.
void PressFocusedButtonOnEnter(QWidget& window);
