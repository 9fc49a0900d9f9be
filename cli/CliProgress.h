#pragma once

#include "ProgressLine.h"
#include "run/ReadRate.h"
#include "run/RunOutcome.h"
#include "run/SearchProgress.h"
#include "run/SearchSettings.h"

#include <memory>
#include <QByteArray>
#include <QByteArrayList>
#include <utility>

// What the search tells the command-line tool: the progress captions go to the terminal line
// (when there is one), the pumps turn a stop signal into a cleared `Searching` flag, and a folder
// that could not be read, whose sizes could not be read, or that loops back onto the way down to
// it is named on standard error, as is each file that could not be read whole for its digest and
// a searched folder that an exclusion mask leaves out (which is no failure). The tool hears of
// each such folder once, through the RunOutcomeRecorder that keeps them in the run's outcome
// (CliRun). While files are read, the line shows bytes read, rate and time left.
class CliProgress final : public SearchProgress {
public:
    // `givenFolders`: the folder arguments as given, so that warnings name them that way.
    CliProgress(TSearchFiles& settings, QByteArrayList givenFolders, bool showProgress,
                bool showWarnings);

    void searching(std::string_view folderPath, std::int64_t filesFound) override;
    void processMessages() override;
    void processMessagesSoon() override;
    void folderUnreadable(const QByteArray& path, int error) override;
    void folderSizesUnreadable(const QByteArray& path, int error) override;
    void folderLoop(const QByteArray& path) override;
    void folderReadInPart(const QByteArray& path) override;
    void readProgress(std::int64_t bytesRead, std::int64_t bytesFound) override;
    void fileUnreadable(const QByteArray& path, int error) override;
    void fileChangedWhileRead(const QByteArray& path) override;
    void searchedFolderExcluded(const QByteArray& path) override;
    // Removes the progress line before the list is written.
    void finish();

private:
    void warn(const QByteArray& message);

    TSearchFiles& settings_;
    QByteArrayList givenFolders_;
    std::unique_ptr<ProgressLine> line_;
    bool showWarnings_;
    ReadRate rate_;
};

// A run of the tool: what it left out (`outcome`, from which the list's summary and the exit
// status are made) and its progress line and warnings (`shown`); the search reports to
// `progress`, which keeps the one and tells the other.
struct CliRun {
    CliRun(TSearchFiles& settings, QByteArrayList givenFolders, bool showProgress,
           bool showWarnings)
        : shown(settings, std::move(givenFolders), showProgress, showWarnings),
          progress(shown, settings, outcome) {}
    Q_DISABLE_COPY_MOVE(CliRun)

    RunOutcome outcome;
    CliProgress shown;
    RunOutcomeRecorder progress;
};

// A folder path from the search as a warning shows it: without the "/" the search appends to a
// folder (a path in `givenFolders` stays as it is), `""` for an empty one. PrintErrorLine shows
// its control characters as "?".
QByteArray ShownFolder(const QByteArray& path, const QByteArrayList& givenFolders);

// "Verzeichnis nicht lesbar: <path>: <reason>".
QByteArray UnreadableFolderWarning(const QByteArray& shownPath, int error);
