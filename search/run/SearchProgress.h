#pragma once

#include <chrono>
#include <cstdint>
#include <QByteArray>
#include <QString>
#include <string_view>

// What the search engine tells the outside world while it runs: the folder being searched and the
// number of files found, the message pump that lets a cancel click run, and, for whoever wants
// them, the folders that could not be read. Every operation does nothing by default, so a plain
// SearchProgress runs the engine headless.
class SearchProgress {
public:
    SearchProgress() = default;
    virtual ~SearchProgress();
    SearchProgress(const SearchProgress&) = delete;
    SearchProgress& operator=(const SearchProgress&) = delete;

    // The folder being searched (its path as the walk names it, ending in "/", in the bytes the
    // file system gives) and the files found in the whole search so far; told once per folder
    // and mask that has a matching entry. A window shows them as SearchCaption and FoundCaption.
    virtual void searching(std::string_view folderPath, std::int64_t filesFound);
    // Within a long read or a long folder the progress is told again, with the folder being
    // read and the files found so far, once it is this old; 100 ms by default.
    virtual std::chrono::milliseconds captionRefreshInterval() const;
    // Handles all pending window messages and returns.
    virtual void processMessages();
    // The pump between entries and before descents; may skip calls that come too soon after the
    // last one. Forwards to processMessages by default.
    virtual void processMessagesSoon();
    // A folder could not be opened or read (errno in `error`). Changes no listing line.
    virtual void folderUnreadable(const QByteArray& path, int error);
    // A folder could be read but the sizes of its entries could not (errno in `error`), as in a
    // folder with read but without search permission; those sizes show 0.
    virtual void folderSizesUnreadable(const QByteArray& path, int error);
    // A folder is already on the way down to it (a bind mount looping back) and is not entered
    // again. Changes no listing line.
    virtual void folderLoop(const QByteArray& path);
    // A stop came while the folder was read: the entries read until then are listed.
    virtual void folderReadInPart(const QByteArray& path);
    // While files are read for their digests: the bytes read so far, and the sizes of the files
    // found so far that are read; again at most once a caption refresh interval.
    virtual void readProgress(std::int64_t bytesRead, std::int64_t bytesFound);
    // A file could not be read for its digest (errno in `error`); it has none.
    virtual void fileUnreadable(const QByteArray& path, int error);
    // A file changed while it was read for its digest (or read short); it has none.
    virtual void fileChangedWhileRead(const QByteArray& path);
    // A folder lies on another file system than its searched folder and, with one file system,
    // is listed but not entered. Changes no listing line.
    virtual void folderOnOtherFileSystem(const QByteArray& path);
    // A searched folder matches an exclusion mask by its name and is left out whole.
    virtual void searchedFolderExcluded(const QByteArray& path);
};

// "Suchen in <folder>": the folder's path as a listing shows a name.
QString SearchCaption(std::string_view folderPath);
// "Elemente gefunden: <n>".
QString FoundCaption(std::int64_t filesFound);
