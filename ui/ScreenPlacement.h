#pragma once

class QWidget;

// Places a top-level window the first time it is shown: fitted into the available area of its
// screen (a resizable window shrinks, a fixed one keeps its size with its title bar on the
// screen) and centred there. Later shows keep the place and size the user left it with.
void PlaceOnFirstShow(QWidget& window);

// Fits `window` into the available area of its screen and centres it there, frame included.
void FitAndCentreOnScreen(QWidget& window);
