#pragma once

#include "DialogSeam.h"

#include <QString>
#include <QStringList>

class QWidget;

// What a window asks of the file dialog.
struct FileDialogRequest {
    QWidget* parent = nullptr;
    QString title;
    QString folder;   // the folder it opens in
    QString fileName; // the name it offers, empty for none
    QStringList filters;
    QString selectedFilter;
    QString defaultSuffix; // save dialog only
};

// What the user answered: the chosen file (full path) and the filter selected at the time.
struct FileDialogAnswer {
    bool accepted = false;
    QString fileName;
    QString selectedFilter;
};

using FileDialogSeam = DialogSeam<FileDialogRequest, FileDialogAnswer>;

// Shows the save dialog modally: any name may be chosen, an existing file is replaced without a
// question. A test answers it through SaveDialogSeam().
FileDialogAnswer ShowSaveDialog(const FileDialogRequest& request);
FileDialogSeam& SaveDialogSeam();

// Shows the dialog that opens an existing file. A test answers it through OpenDialogSeam().
FileDialogAnswer ShowOpenDialog(const FileDialogRequest& request);
FileDialogSeam& OpenDialogSeam();

// The folder the file dialogs open in: the program's own folder, or the home folder when the
// program's folder cannot be written.
QString DefaultSaveFolder();

// `fileName` with "." and `suffix` appended when its name has no extension (no "." after the
// last "/"), as the dialog's default extension asks.
QString WithDefaultSuffix(const QString& fileName, const QString& suffix);

// The two filters of the list files: "Textdateien (*.txt)" and "Alle Dateien (*.*)".
QStringList ListFileFilters();

// The types of earlier lists "Vergleichen..." opens: "Textdateien (*.txt)", "JSON Lines (*.jsonl)",
// checksum lists by the names sha256sum and its kin are given, and "Alle Dateien (*.*)".
QStringList EarlierListFilters();

// The types a run's list saves as: "Textdateien (*.txt)", "CSV-Tabelle (*.csv)",
// "JSON Lines (*.jsonl)", with checksums "Prüfsummenliste (*.sha256)", "HTML-Übersicht
// (*.html)" and "Alle Dateien (*.*)".
QStringList SaveFileFilters(bool withChecksums = false);
inline const QString TextFileFilter = QStringLiteral("Textdateien (*.txt)");
inline const QString CsvFileFilter = QStringLiteral("CSV-Tabelle (*.csv)");
inline const QString JsonLinesFileFilter = QStringLiteral("JSON Lines (*.jsonl)");
inline const QString ChecksumListFilter = QStringLiteral("Prüfsummenliste (*.sha256)");
inline const QString EarlierChecksumListFilter =
    QStringLiteral("Prüfsummenliste (*.sha256 *.sha512 *.sha1 *.md5 *SUMS)");
inline const QString HtmlFileFilter = QStringLiteral("HTML-Übersicht (*.html)");
inline const QString AllFilesFilter = QStringLiteral("Alle Dateien (*.*)");

// The extension of a filter's one pattern ("csv" of "CSV-Tabelle (*.csv)"), or `fallback` for a
// filter that takes every name.
QString SuffixOfFilter(const QString& filter, const QString& fallback);
