#include "SearchRun.h"

void RunSearchFromMainWindow(TfrmMain&) {}
