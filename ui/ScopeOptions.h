#pragma once

#include "base/FileTime.h"
#include "scope/SearchScope.h"

#include <QString>

// What the options dialog holds: one file system, and the depth, size and age values as typed
// (empty: not set). The window keeps them for the session only; a span such as "30d" counts
// back from the start of each run.
struct ScopeOptions {
    bool oneFileSystem = false;
    QString maxDepth;
    QString minSize;
    QString maxSize;
    QString newer;
    QString older;

    friend bool operator==(const ScopeOptions&, const ScopeOptions&) = default;
};

// The field of the options dialog that a message is about.
enum class ScopeField { None, MaxDepth, MinSize, MaxSize, Newer, Older };

// Reads the typed values into `scope` (exclusions stay as they are), spans counted back from
// `now`. A value that cannot be read, or ends of a range that no file can lie between, give a
// German message that names the field and the value, with `field` set to the field to correct.
QString ReadScopeOptions(const ScopeOptions& options, FileTime now, SearchScope& scope,
                         ScopeField& field);

// What is set, in a few words for beside the button ("ein Dateisystem, höchstens 2 Ebenen, ab
// 10M, geändert nach 30d"), or "keine weiteren Einschränkungen" when nothing is.
QString ScopeOptionsSummary(const ScopeOptions& options);
