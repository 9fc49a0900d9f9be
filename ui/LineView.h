#pragma once

#include "ResultLines.h"

#include <compare>
#include <cstddef>
#include <QAbstractScrollArea>
#include <QBasicTimer>
#include <QString>
#include <string_view>

class QKeyEvent;
class QMenu;
class QPainter;

// A place in the text: a row and a column (a UTF-16 position in that row's text). The row after
// the last line is the empty row behind the final line break, so the whole text runs from
// (0, 0) to (lineCount(), 0).
struct TextPosition {
    qsizetype row = 0;
    qsizetype column = 0;
    auto operator<=>(const TextPosition&) const = default;
};

// A read-only text box for long result lists in a fixed-pitch font. The lines live in one UTF-8
// buffer (ResultLines), so a million lines cost their text plus one offset each; appending copies
// the line's bytes and only marks the scroll range for a later update; painting lays out only the
// rows in view. It scrolls, moves a text cursor, selects by mouse and keyboard and copies to the
// clipboard like a read-only memo.
class LineView final : public QAbstractScrollArea {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(LineView)

public:
    explicit LineView(QWidget* parent = nullptr);
    ~LineView() override;

    void clear();
    // Appends one line as the new last line; the text holds no line feed.
    void appendLine(std::string_view utf8Line);
    void appendLine(const QString& line);

    qsizetype lineCount() const { return lines_.size(); }
    QString line(qsizetype index) const;
    // The whole text, every line followed by a line feed, for saving without a copy.
    const ResultLines& lines() const { return lines_; }

    void selectAll();
    void copy() const;
    bool hasSelection() const { return anchor_ != cursor_; }
    QString selectedText() const;
    TextPosition cursorPosition() const { return cursor_; }
    TextPosition anchorPosition() const { return anchor_; }
    // Moves the text cursor; with keepAnchor the selection stretches from the anchor to it.
    void setCursorPosition(TextPosition position, bool keepAnchor = false);
    // Where the text cursor stands at `position`, in viewport coordinates.
    QRect cursorRect(TextPosition position) const;

    // The context menu: copy and select all, in Qt's own (translated) texts.
    QMenu* createContextMenu();

    // The cursor motions that keys ask for.
    enum class Motion {
        NextChar,
        PreviousChar,
        NextWord,
        PreviousWord,
        NextLine,
        PreviousLine,
        NextPage,
        PreviousPage,
        StartOfLine,
        EndOfLine,
        StartOfDocument,
        EndOfDocument,
    };

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
    qsizetype rowCount() const { return lines_.size() + 1; }
    QString rowText(qsizetype row) const;
    std::size_t rowOffset(qsizetype row) const;
    int rowHeight() const;
    int fullRowsInView() const;
    int textLeft() const;

    void markLayoutDirty();
    void updateScrollBars();
    void trackMeasuredWidth(qreal width);
    qint64 widestLineWidth() const;
    void ensureCursorVisible();
    void restartCaretBlink();
    void moveCursor(TextPosition position, bool keepAnchor);

    bool isOwnKey(QKeyEvent* event) const;
    bool handleShortcut(QKeyEvent* event);
    bool handleMovement(QKeyEvent* event);
    TextPosition target(Motion motion);
    TextPosition nextPosition(TextPosition from, bool byWord) const;
    TextPosition previousPosition(TextPosition from, bool byWord) const;
    TextPosition verticalMove(qsizetype rows);

    TextPosition positionAt(QPoint viewportPoint) const;
    void dragTo(QPoint viewportPoint);
    void selectWordAt(TextPosition position);

    void paintRow(QPainter& painter, qsizetype row, int top);
    void paintFocusFrame();

    ResultLines lines_;
    std::size_t widestLine_ = 0; // characters of the longest line, counted on append
    int widestPixels_ = 0;       // widest row measured while painting (wide characters)
    bool layoutDirty_ = false;

    TextPosition anchor_;
    TextPosition cursor_;
    qreal preferredX_ = -1; // kept while moving up and down, as text boxes do

    bool dragging_ = false;
    QPoint lastDragPoint_;
    QBasicTimer autoScrollTimer_;
    QBasicTimer caretTimer_;
    bool caretShown_ = true;
};
