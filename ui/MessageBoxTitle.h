#pragma once

class QMessageBox;

// Makes the message box wide enough that a window manager can show its whole title next to the
// window icon and the title-bar buttons; Qt sizes a short message box by its text alone.
void KeepTitleWhole(QMessageBox& box);
