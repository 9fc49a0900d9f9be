#pragma once

#include <QElapsedTimer>
#include <QString>

// A one-line progress display on a terminal: the number of files found and the folder being
// searched, redrawn in place at most ten times a second and cut to the terminal's width so it
// never wraps. erase() removes it again, before a warning and at the end.
class ProgressLine final {
public:
    explicit ProgressLine(int fd);
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    void setSearchCaption(const QString& caption);
    void setFoundCaption(const QString& caption);
    // While files are read for their digests: bytes read, rate and time left, shown first.
    void setReadCaption(const QString& caption);
    // Redraws when the text changed and the last drawing is at least 100 ms old.
    void refresh();
    void erase();

private:
    void draw();
    int columns() const;

    int fd_;
    QString searchCaption_;
    QString foundCaption_;
    QString readCaption_;
    bool changed_ = false;
    bool visible_ = false;
    QElapsedTimer sinceDraw_;
};

// Fits "<found>  <search>" into `columns` terminal columns: when it is too wide, the start of the
// folder is replaced by "..." (the end of a path says most), and on a very narrow terminal the
// text is cut at the right. Characters that could steer the terminal are shown as "?".
QString FitProgressText(const QString& foundCaption, const QString& searchCaption, int columns);
