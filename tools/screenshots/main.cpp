#include "Scenes.h"
#include "Startup.h"

#include <cstdio>
#include <QApplication>
#include <QLocale>

// Draws the program's windows in typical states and writes them as PNG files into the folder
// given as the only argument. Runs under a real (virtual) X server, see tools/screenshots.sh.
int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output folder>\n", argv[0]);
        return 2;
    }
    QApplication::setApplicationName(QStringLiteral("FolderInventory"));
    InstallQtTranslation(app, QLocale::system());

    Shots shots(QString::fromLocal8Bit(argv[1]));
    MainWindowScenes(shots);
    ResultWindowScenes(shots);
    ProgressWindowScenes(shots);
    return shots.failures() == 0 ? 0 : 1;
}
