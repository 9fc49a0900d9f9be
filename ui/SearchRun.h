#pragma once

class TfrmMain;

// "Start!": runs one search with the main window's settings and shows the result window.
void RunSearchFromMainWindow(TfrmMain& window);
