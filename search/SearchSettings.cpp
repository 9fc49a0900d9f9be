#include "SearchSettings.h"

TSearchFiles SearchFiles;

void InitSearchFiles(TSearchFiles& settings) {
    settings.Recurse.clear();
    settings.Folders.clear();
}

void AddSearchFolder(TSearchFiles& settings, const QString& folder, bool recursive) {
    settings.Folders.append(folder);
    settings.Recurse.append(recursive ? RecurseTrue : RecurseFalse);
}

void DeleteSearchFolder(TSearchFiles& settings, qsizetype index) {
    settings.Folders.removeAt(index);
    settings.Recurse.removeAt(index);
}

bool IsRecursive(const QString& recurseText) {
    return recurseText == RecurseTrue;
}
