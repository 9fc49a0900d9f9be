#pragma once

#include <functional>
#include <QString>

class QPixmap;
class QWidget;

// Writes the pictures of the screenshot scenes into one folder and counts what went wrong.
class Shots final {
public:
    // `framed`: a window manager runs, and each picture takes in the frame it draws.
    Shots(QString folder, bool framed);

    // Saves the window as it is drawn now, as <name>.png.
    void save(QWidget& window, const QString& name);
    // Runs `open`, which opens a modal window, saves that window from inside its event loop as
    // <name>.png and closes it again.
    void saveModal(const std::function<void()>& open, const QString& name);

    int failures() const { return failures_; }

private:
    void fail(const QString& message);

    QPixmap picture(QWidget& window) const;

    QString folder_;
    bool framed_;
    int failures_ = 0;
};

// One function per window; each builds the windows through the program's start-up code,
// arranges its scenes and saves them.
void MainWindowScenes(Shots& shots);
void ResultWindowScenes(Shots& shots);
void ProgressWindowScenes(Shots& shots);
