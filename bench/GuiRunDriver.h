#pragma once

#include <optional>
#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

class LineView;
class QProgressBar;
class QPushButton;

// Drives the program's real windows as a user does and times what the user waits for: the folder
// comes in through the folder chooser and "Hinzufügen", then "Start!" is clicked; the result
// window is closed with "Zurück" from inside its modal loop as soon as it shows. Times are taken
// in event filters: the progress bar showing marks the end of the search, the result window
// showing the end of the run.
class GuiRunDriver final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(GuiRunDriver)

public:
    struct Run {
        double runMs = 0;      // "Start!" pressed until the result window shows
        double searchMs = 0;   // "Start!" pressed until the progress bar shows
        qsizetype lines = 0;   // lines in the result window when it shows
        double residentMb = 0; // memory held while the result window is open
    };

    struct Cancel {
        double cancelMs = 0;          // "Abbrechen" clicked until the progress bar shows
        double cancelDueMs = 0;       // the same from when the click was due, pump wait included
        bool clickedInSearch = false; // false when the click came before or after the search
        qsizetype lines = 0;
    };

    // Creates the windows as start-up does, shows the main window and adds `folder`. Throws
    // std::runtime_error when a window or control is missing.
    explicit GuiRunDriver(const QString& folder);
    ~GuiRunDriver() override;

    // One run; nullopt when "Start!" did not lead to the result window.
    std::optional<Run> run();
    // One run with a click on "Abbrechen" `afterMs` after "Start!"; the click is delivered by a
    // timer, so it comes in one of the run's message pumps, as a user's click would.
    std::optional<Cancel> runAndCancel(int afterMs);
    // Ticks "Prüfsummen (SHA-256)", so that the runs read every file.
    void readChecksums();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void addFolder(const QString& folder);
    void clickStart();
    void clickCancel();
    double now() const;

    QPushButton* btnAddDir_ = nullptr;
    QPushButton* btnGo_ = nullptr;
    QPushButton* btnCancel_ = nullptr;
    QProgressBar* progress_ = nullptr;
    LineView* mList_ = nullptr;
    QPushButton* btnBack_ = nullptr;

    QElapsedTimer clock_;
    QTimer cancelTimer_;
    double startedAt_ = 0;
    std::optional<double> cancelledAt_;
    double cancelDueAt_ = 0;
    bool cancelInSearch_ = false;
    std::optional<double> progressShownAt_;       // the last time in this run
    std::optional<double> progressAfterCancelAt_; // the first time after the cancel click
    std::optional<double> resultShownAt_;
    qsizetype resultLines_ = 0;
    double residentWhenShownMb_ = 0;
};
