#include "WindowDriver.h"

#include "Startup.h"
#include "uMain.h"

#include <QTest>

TfrmMain& StartFolderInventoryWindows() {
    CreateFolderInventoryWindows();
    frmMain->show();
    if (!QTest::qWaitForWindowExposed(frmMain))
        throw std::runtime_error("the main window was not shown");
    return *frmMain;
}
