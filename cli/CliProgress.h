#pragma once

#include "compare/ListingGaps.h"
#include "ProgressLine.h"
#include "run/SearchProgress.h"
#include "run/SearchSettings.h"

#include <memory>
#include <QByteArray>
#include <QByteArrayList>
#include <set>
#include <utility>

// What the search tells the command-line tool: the progress captions go to the terminal line
// (when there is one), the pumps turn a stop signal into a cleared `Searching` flag, and each
// folder that could not be read, whose sizes could not be read, or that loops back onto the way
// down to it is named on standard error once.
class CliProgress final : public SearchProgress {
public:
    // `givenFolders`: the folder arguments as given, so that warnings name them that way.
    CliProgress(TSearchFiles& settings, QByteArrayList givenFolders, bool showProgress,
                bool showWarnings);

    void setSearchCaption(const QString& text) override;
    void setFoundCaption(const QString& text) override;
    void processMessages() override;
    void processMessagesSoon() override;
    void folderUnreadable(const QByteArray& path, int error) override;
    void folderSizesUnreadable(const QByteArray& path, int error) override;
    void folderLoop(const QByteArray& path) override;

    // True once any folder was named (or would have been, under --quiet).
    bool anyFolderProblem() const { return !named_.empty(); }
    // Each folder named so far as a gap of the list the search made.
    void addGapsTo(ListingGaps& gaps) const;
    // Removes the progress line before the list is written.
    void finish();

private:
    enum class Problem { Unreadable, SizesUnreadable, Loop };
    void warn(Problem problem, const QByteArray& path, const QByteArray& message);

    TSearchFiles& settings_;
    QByteArrayList givenFolders_;
    std::unique_ptr<ProgressLine> line_;
    bool showWarnings_;
    std::set<std::pair<Problem, QByteArray>> named_;
};

// A folder path from the search as a warning shows it: without the "/" the search appends to a
// folder (a path in `givenFolders` stays as it is), `""` for an empty one. PrintErrorLine shows
// its control characters as "?".
QByteArray ShownFolder(const QByteArray& path, const QByteArrayList& givenFolders);

// "Verzeichnis nicht lesbar: <path>: <reason>".
QByteArray UnreadableFolderWarning(const QByteArray& shownPath, int error);
