#include "Startup.h"

int main(int argc, char** argv) {
    return RunFolderInventory(argc, argv);
}
