#pragma once

#include "scope/SearchScope.h"

#include <QString>
#include <QStringList>

// The search settings: which folders to search, whether each one is searched with its
// subfolders, the mask text, what the search leaves out beyond the masks, and the flag that is up
// while a search runs.
struct TSearchFiles {
    QStringList Folders; // folder paths in the order they were added; duplicates allowed
    QStringList Recurse; // parallel to Folders: "true" or "false"
    QString Masks;       // the mask text as typed, masks separated by ";"
    SearchScope Scope;   // exclusions, one file system, depth, size and age; none by default
    bool Searching = false;
};

// The one settings record of the program.
extern TSearchFiles SearchFiles;

inline const QString RecurseTrue = QStringLiteral("true");
inline const QString RecurseFalse = QStringLiteral("false");

// Creates the two empty folder lists of the record (called once when the main window is built).
void InitSearchFiles(TSearchFiles& settings);

// Appends the folder and, in the same step, its recursion text.
void AddSearchFolder(TSearchFiles& settings, const QString& folder, bool recursive);

// Sets the recursion text of entry `index` (0 .. count - 1).
void SetSearchFolderRecursion(TSearchFiles& settings, qsizetype index, bool recursive);

// Removes entry `index` (0 .. count - 1) from both lists.
void DeleteSearchFolder(TSearchFiles& settings, qsizetype index);

// A folder is searched with its subfolders exactly when its recursion text is "true".
bool IsRecursive(const QString& recurseText);

// Whether folder `index` is searched with its subfolders; a folder without a recursion text is not.
bool IsFolderRecursive(const TSearchFiles& settings, qsizetype index);
