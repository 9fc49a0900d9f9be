#pragma once

#include "run/ReadRate.h"
#include "run/SearchProgress.h"

#include <cstdint>
#include <memory>
#include <QElapsedTimer>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <string>

class QGroupBox;
class QLabel;
class QProgressBar;
class QPushButton;

// The progress window of a search run: names the folder being searched and the number of files
// found, then shows a bar while the list is written; "Abbrechen" stops whichever phase runs.
// While it is shown it blocks input to every other window of the program, so the main window
// takes no input during a run and keeps its look.
class TfrmLoad final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TfrmLoad)

public:
    explicit TfrmLoad(QWidget* parent = nullptr);
    ~TfrmLoad() override;

    // The engine's view of this window: the two captions and the message pump.
    SearchProgress& progress();

    // Pumps pending messages unless the last pump was only moments ago; used between lines of
    // the writing phase, where a pump with nothing pending would cost more than the line.
    void processMessagesSoon();
    // Whether the last pump was long enough ago for the next.
    bool pumpIsDue();
    // Shows the captions the search reported last, if they are not shown yet.
    void showCaptionsNow();

    QLabel* lbClickCancel = nullptr;
    QPushButton* btnCancel = nullptr;
    QGroupBox* gbSearch = nullptr;
    QLabel* lbSearching = nullptr;
    QLabel* lbSearch = nullptr;
    QLabel* lbFound = nullptr;
    QProgressBar* Progress = nullptr;
    // While files are read for their checksums: the bytes read of those found so far, and the
    // amount and the time left.
    QProgressBar* ReadProgress = nullptr;
    QLabel* lbRead = nullptr;

public Q_SLOTS:
    void btnCancelClick();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    class Reporter;

    void createControls();
    void showCaptionsSoon();
    void showCaptions();
    void showReadProgress(std::int64_t bytesRead, std::int64_t bytesFound);

public:
    // Hides the bar of bytes read, before a run.
    void hideReadProgress();

private:
    std::unique_ptr<Reporter> reporter_;
    QElapsedTimer sinceLastPump_;
    unsigned callsSinceClockCheck_ = 0;
    // The captions as the engine reported them last; shown at most every so often, since a
    // faster change is unreadable, fitting a long path takes a while, and each change repaints
    // the window.
    std::string searchPath_;
    std::int64_t filesFound_ = 0;
    bool captionsPending_ = false;
    QElapsedTimer sinceCaptionsShown_;
    QTimer captionTimer_;
    ReadRate readRate_;
};

extern TfrmLoad* frmLoad;

// The searching text of lbSearching, as the window first shows it.
extern const QString SearchingText;
// The text of lbSearching while the list is written.
extern const QString WritingText;
