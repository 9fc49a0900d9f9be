#pragma once

class QLabel;
class QString;

// The caption "Suchen in <folder>" as it fits into `label`, which wraps its words: a folder
// path too long for the label is shortened in the middle with "…", keeping the start of the
// path and, whole, the name of the deepest folder, the one being searched. Should even that name
// not fit, its end shows.
QString FitFolderCaption(const QString& caption, const QLabel& label);
