#include "run/SearchSettings.h"

TSearchFiles SearchFiles;

void InitSearchFiles(TSearchFiles& settings) {
    settings.Recurse.clear();
    settings.Folders.clear();
}

namespace {

const QString& RecurseText(bool recursive) {
    return recursive ? RecurseTrue : RecurseFalse;
}

} // namespace

void AddSearchFolder(TSearchFiles& settings, const QString& folder, bool recursive) {
    settings.Folders.append(folder);
    settings.Recurse.append(RecurseText(recursive));
}

void SetSearchFolderRecursion(TSearchFiles& settings, qsizetype index, bool recursive) {
    settings.Recurse[index] = RecurseText(recursive);
}

void DeleteSearchFolder(TSearchFiles& settings, qsizetype index) {
    settings.Folders.removeAt(index);
    settings.Recurse.removeAt(index);
}

bool IsRecursive(const QString& recurseText) {
    return recurseText == RecurseTrue;
}

bool IsFolderRecursive(const TSearchFiles& settings, qsizetype index) {
    return index < settings.Recurse.size() && IsRecursive(settings.Recurse.at(index));
}
