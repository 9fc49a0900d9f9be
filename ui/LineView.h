#pragma once

#include "output/LineSink.h"
#include "ShownLines.h"
#include "TextSelection.h"
#include "WidestLine.h"

#include <cstddef>
#include <QAbstractScrollArea>
#include <QBasicTimer>
#include <QString>
#include <string_view>

class QKeyEvent;
class QMenu;
class QPainter;

// A read-only text box for long result lists in a fixed-pitch font. The lines live in one UTF-8
// buffer without their trailing blanks (ShownLines), so a million lines cost little more than
// their text; appending copies the line's bytes and only marks the scroll range for a later
// update; painting lays out only the rows in view. Lines gathered elsewhere can be taken over
// whole and shown one by one. It scrolls, moves a text cursor, selects by mouse and keyboard and
// copies to the clipboard like a read-only memo. Where the cursor and the selection stand is kept
// by a TextSelection; this class turns keys, clicks and pixels into its positions and draws them.
class LineView final : public QAbstractScrollArea, public LineSink {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(LineView)

public:
    explicit LineView(QWidget* parent = nullptr);
    ~LineView() override;

    void clear();
    // Appends one line as the new last line; the text holds no line feed.
    void append(std::string_view utf8Line) override;
    // Takes `lines` over in place of the list, every one of them hidden: showNextLines then
    // appends the next of them, without a copy, and dropHiddenLines forgets the rest.
    void takeHiddenLines(ShownLines lines);
    bool hasHiddenLines() const { return lines_.hiddenCount() > 0; }
    qsizetype hiddenLineCount() const { return lines_.hiddenCount(); }
    // Shows the next `count` hidden lines; there must be as many.
    void showNextLines(qsizetype count);
    void dropHiddenLines() { lines_.dropHidden(); }

    qsizetype lineCount() const { return lines_.size(); }
    QString line(qsizetype index) const;
    // The lines shown, for saving and comparing.
    const ShownLines& lines() const { return lines_; }

    void selectAll();
    void copy() const;
    bool hasSelection() const { return selection_.hasSelection(); }
    QString selectedText() const { return selection_.selectedText(); }
    TextPosition cursorPosition() const { return selection_.cursor(); }
    TextPosition anchorPosition() const { return selection_.anchor(); }
    // Moves the text cursor; with keepAnchor the selection stretches from the anchor to it.
    void setCursorPosition(TextPosition position, bool keepAnchor = false);
    // Where the text cursor stands at `position`, in viewport coordinates.
    QRect cursorRect(TextPosition position) const;

    // The context menu: copy and select all, in Qt's own (translated) texts.
    QMenu* createContextMenu();

    // The cursor motions that keys ask for.
    using Motion = TextMotion;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    int rowHeight() const;
    int fullRowsInView() const;
    int textLeft() const;

    void markLayoutDirty();
    void updateScrollBars();
    qreal cellWidth() const;
    void ensureCursorVisible();
    void restartCaretBlink();
    void moveCursor(TextPosition position, bool keepAnchor);
    void showCursorMove();

    bool handleShortcut(QKeyEvent* event);
    bool handleMovement(QKeyEvent* event);
    TextPosition target(Motion motion);
    TextPosition verticalMove(qsizetype rows);

    TextPosition positionAt(QPoint viewportPoint) const;
    void dragTo(QPoint viewportPoint);

    void paintRow(QPainter& painter, qsizetype row, int top);
    void paintFocusFrame();

    ShownLines lines_;
    WidestLine widest_;
    bool layoutDirty_ = false;

    TextSelection selection_{lines_};
    qreal preferredX_ = -1; // kept while moving up and down, as text boxes do

    bool dragging_ = false;
    QPoint lastDragPoint_;
    QBasicTimer autoScrollTimer_;
    QBasicTimer caretTimer_;
    bool caretShown_ = true;
};
