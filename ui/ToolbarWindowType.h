#pragma once

class QWidget;

// On X11, marks a top-level window as a toolbar window (_NET_WM_WINDOW_TYPE_TOOLBAR, then
// _NET_WM_WINDOW_TYPE_NORMAL for window managers that do not know that type). Qt states a title
// bar without border icons in the Motif hints only, and some window managers (openbox) take
// from those hints no more than title bar on or off: they draw the minimise and maximise boxes
// unless the window's type rules them out, as it does for a toolbar window. The window's native
// window is created here, before it is first shown. Does nothing on other platforms.
void UseToolbarWindowType(QWidget& window);
