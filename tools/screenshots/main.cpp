#include "Scenes.h"
#include "Startup.h"

#include <cstdio>
#include <cstring>
#include <QApplication>

// Draws the program's windows in typical states and writes them as PNG files into the folder
// given as the first argument; with --framed, as the window manager frames them. Runs under a
// real (virtual) X server, see tools/screenshots.sh.
int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const bool framed = argc == 3 && std::strcmp(argv[2], "--framed") == 0;
    if (argc != 2 && !framed) {
        std::fprintf(stderr, "usage: %s <output folder> [--framed]\n", argv[0]);
        return 2;
    }
    PrepareApplication(app);

    Shots shots(QString::fromLocal8Bit(argv[1]), framed);
    MainWindowScenes(shots);
    ResultWindowScenes(shots);
    ProgressWindowScenes(shots);
    return shots.failures() == 0 ? 0 : 1;
}
