#pragma once

class QWidget;

// The control sizes of the windows were made for a narrow 8-point bitmap font; the platform's
// UI font is usually wider. Steps the window's font down from the platform's size, half a point
// at a time, until every caption (group titles, labels, buttons, check boxes) is drawn whole
// inside its control.
void FitFontToCaptions(QWidget& window);
