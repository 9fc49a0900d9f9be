#include "base/ProcessStart.h"
#include "Startup.h"

int main(int argc, char** argv) {
    if (!PrepareProcessStart())
        return 1;
    return RunFolderInventory(argc, argv);
}
