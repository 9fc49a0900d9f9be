#include "LineView.h"

#include "LineViewCommands.h"
#include "RowLayout.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <memory>
#include <optional>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTextLayout>
#include <utility>

namespace {

constexpr int textMarginX = 3; // pixels between the frame and the text, as a memo leaves
constexpr int textMarginY = 1;
constexpr int autoScrollInterval = 50;

int ClampToInt(qint64 value) {
    return static_cast<int>(std::clamp<qint64>(value, 0, INT_MAX));
}

// Floor division, so that points above or left of the view map to the row before the first.
int FloorDiv(int value, int divisor) {
    return value >= 0 ? value / divisor : (value - divisor + 1) / divisor;
}

// The selected part of a row in the highlight colours.
QList<QTextLayout::FormatRange>
SelectionFormat(const RowSelection& selected, const QPalette& palette, QPalette::ColorGroup group) {
    if (selected.end <= selected.start)
        return {};
    QTextLayout::FormatRange range;
    range.start = static_cast<int>(selected.start);
    range.length = static_cast<int>(selected.end - selected.start);
    range.format.setBackground(palette.brush(group, QPalette::Highlight));
    range.format.setForeground(palette.brush(group, QPalette::HighlightedText));
    return {range};
}

} // namespace

LineView::LineView(QWidget* parent) : QAbstractScrollArea(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setBackgroundRole(QPalette::Base);
    updateScrollBars();
}

LineView::~LineView() = default;

// ---- The list --------------------------------------------------------------------------------

void LineView::clear() {
    lines_ = ShownLines(); // gives the memory of a long list back
    widest_.clear();
    selection_.moveTo({});
    preferredX_ = -1;
    markLayoutDirty();
    viewport()->update();
}

void LineView::append(std::string_view utf8Line) {
    lines_.append(utf8Line);
    widest_.noteLine(utf8Line);
    markLayoutDirty();
}

void LineView::takeHiddenLines(ShownLines lines) {
    clear();
    lines_ = std::move(lines);
    lines_.hideAll();
}

void LineView::showNextLines(qsizetype count) {
    for (; count > 0; --count) {
        const qsizetype shown = lines_.size();
        lines_.showNext();
        const ShownLines::Line added = lines_.line(shown);
        widest_.noteLine(added.text, added.trailingBlanks);
    }
    markLayoutDirty();
}

QString LineView::line(qsizetype index) const {
    return lines_.at(index);
}

// ---- Selection and clipboard -----------------------------------------------------------------

void LineView::selectAll() {
    selection_.selectAll();
    preferredX_ = -1;
    viewport()->update();
}

void LineView::copy() const {
    if (hasSelection())
        QGuiApplication::clipboard()->setText(selectedText());
}

void LineView::setCursorPosition(TextPosition position, bool keepAnchor) {
    preferredX_ = -1;
    moveCursor(position, keepAnchor);
}

void LineView::moveCursor(TextPosition position, bool keepAnchor) {
    selection_.moveTo(position, keepAnchor);
    showCursorMove();
}

void LineView::showCursorMove() {
    restartCaretBlink();
    viewport()->update();
}

QRect LineView::cursorRect(TextPosition position) const {
    const RowLayout row(selection_.rowText(position.row), font(), viewport());
    const int top =
        textMarginY + static_cast<int>(position.row - verticalScrollBar()->value()) * rowHeight();
    const int x = textLeft() + static_cast<int>(std::lround(row.cursorToX(position.column)));
    return QRect(x, top, 1, rowHeight());
}

QMenu* LineView::createContextMenu() {
    return CreateLineViewMenu(*this);
}

// ---- Geometry and scroll bars ----------------------------------------------------------------

int LineView::rowHeight() const {
    return std::max(1, fontMetrics().lineSpacing());
}

int LineView::fullRowsInView() const {
    return std::max(1, (viewport()->height() - textMarginY) / rowHeight());
}

int LineView::textLeft() const {
    return textMarginX - horizontalScrollBar()->value();
}

// Appends only note that the scroll range is stale; it is brought up to date once, after the
// appends, by a queued call (or at the next show or paint), so appending stays a copy of bytes.
void LineView::markLayoutDirty() {
    if (layoutDirty_)
        return;
    layoutDirty_ = true;
    if (isVisible())
        QMetaObject::invokeMethod(this, &LineView::updateScrollBars, Qt::QueuedConnection);
}

void LineView::updateScrollBars() {
    layoutDirty_ = false;
    const int rows = fullRowsInView();
    QScrollBar* vertical = verticalScrollBar();
    vertical->setRange(0, ClampToInt(static_cast<qint64>(selection_.rowCount()) - rows));
    vertical->setPageStep(rows);
    vertical->setSingleStep(1);

    const qint64 contentWidth = widest_.pixels(cellWidth()) + 2 * textMarginX + 1;
    const int charWidth = std::max(1, fontMetrics().horizontalAdvance(QLatin1Char('x')));
    QScrollBar* horizontal = horizontalScrollBar();
    horizontal->setRange(0, ClampToInt(contentWidth - viewport()->width()));
    horizontal->setPageStep(std::max(1, viewport()->width()));
    horizontal->setSingleStep(charWidth);
    viewport()->update();
}

void LineView::ensureCursorVisible() {
    if (layoutDirty_)
        updateScrollBars();
    QScrollBar* vertical = verticalScrollBar();
    const int rows = fullRowsInView();
    const TextPosition cursor = selection_.cursor();
    if (cursor.row < vertical->value())
        vertical->setValue(static_cast<int>(cursor.row));
    else if (cursor.row >= vertical->value() + rows)
        vertical->setValue(static_cast<int>(cursor.row) - rows + 1);

    const RowLayout row(selection_.rowText(cursor.row), font(), viewport());
    const int x = static_cast<int>(std::lround(row.cursorToX(cursor.column)));
    QScrollBar* horizontal = horizontalScrollBar();
    const int visibleWidth = viewport()->width() - 2 * textMarginX - 1;
    if (x < horizontal->value())
        horizontal->setValue(x);
    else if (x > horizontal->value() + visibleWidth)
        horizontal->setValue(x - visibleWidth);
}

void LineView::scrollContentsBy(int, int) {
    viewport()->update();
}

// ---- Painting --------------------------------------------------------------------------------

void LineView::paintEvent(QPaintEvent*) {
    if (layoutDirty_)
        updateScrollBars();
    QPainter painter(viewport());
    painter.setPen(palette().color(QPalette::Text));
    const qsizetype first = verticalScrollBar()->value();
    const qsizetype last =
        std::min(selection_.rowCount(), first + viewport()->height() / rowHeight() + 2);
    for (qsizetype row = first; row < last; ++row)
        paintRow(painter, row, textMarginY + static_cast<int>(row - first) * rowHeight());
}

void LineView::paintRow(QPainter& painter, qsizetype row, int top) {
    RowLayout layout(selection_.rowText(row), font(), viewport());
    if (widest_.notePainted(layout.width(), cellWidth()))
        markLayoutDirty();
    const QPointF origin(textLeft(), top);
    const QPalette::ColorGroup group = hasFocus() ? QPalette::Active : QPalette::Inactive;
    const RowSelection selected = selection_.selectionIn(row);
    if (selected.lineBreak) // a small mark behind the text
        painter.fillRect(QRectF(origin.x() + layout.width(), top,
                                fontMetrics().horizontalAdvance(QLatin1Char(' ')), rowHeight()),
                         palette().brush(group, QPalette::Highlight));
    layout.layout().draw(&painter, origin, SelectionFormat(selected, palette(), group));
    const TextPosition cursor = selection_.cursor();
    if (row == cursor.row && hasFocus() && caretShown_)
        layout.layout().drawCursor(&painter, origin, static_cast<int>(cursor.column), 1);
}

// The width of a character cell, fractional as the text is laid out.
qreal LineView::cellWidth() const {
    return QFontMetricsF(font()).horizontalAdvance(QLatin1Char('x'));
}

// The frame shows the keyboard focus with a line in the highlight colour.
void LineView::paintFocusFrame() {
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::Active, QPalette::Highlight));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

// ---- Events ----------------------------------------------------------------------------------

bool LineView::event(QEvent* event) {
    // Keys the view handles itself are not taken away by shortcuts of the window.
    if (event->type() == QEvent::ShortcutOverride &&
        IsLineViewKey(*static_cast<QKeyEvent*>(event))) {
        event->accept();
        return true;
    }
    const bool handled = QAbstractScrollArea::event(event);
    if (event->type() == QEvent::Paint && hasFocus())
        paintFocusFrame();
    return handled;
}

void LineView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
}

void LineView::showEvent(QShowEvent* event) {
    QAbstractScrollArea::showEvent(event);
    if (layoutDirty_)
        updateScrollBars();
}

void LineView::changeEvent(QEvent* event) {
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        widest_.forgetPainted();
        updateScrollBars();
    }
}

void LineView::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    restartCaretBlink();
    update();
}

void LineView::focusOutEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusOutEvent(event);
    caretTimer_.stop();
    update();
    viewport()->update();
}

void LineView::restartCaretBlink() {
    caretShown_ = true;
    const int flashTime = QApplication::cursorFlashTime();
    if (hasFocus() && flashTime > 0)
        caretTimer_.start(flashTime / 2, this);
    else
        caretTimer_.stop();
}

void LineView::timerEvent(QTimerEvent* event) {
    if (event->timerId() == caretTimer_.timerId()) {
        caretShown_ = !caretShown_;
        viewport()->update();
    } else if (event->timerId() == autoScrollTimer_.timerId()) {
        dragTo(lastDragPoint_);
    } else {
        QAbstractScrollArea::timerEvent(event);
    }
}

// ---- Keyboard --------------------------------------------------------------------------------

void LineView::keyPressEvent(QKeyEvent* event) {
    if (handleShortcut(event) || handleMovement(event)) {
        event->accept();
        return;
    }
    QAbstractScrollArea::keyPressEvent(event); // ignores Enter, Escape and the rest
}

bool LineView::handleShortcut(QKeyEvent* event) {
    if (event->matches(QKeySequence::Copy)) {
        copy();
        return true;
    }
    if (event->matches(QKeySequence::SelectAll)) {
        selectAll();
        return true;
    }
    return false;
}

bool LineView::handleMovement(QKeyEvent* event) {
    const std::optional<MotionRequest> request = MotionForKey(*event);
    if (!request)
        return false;
    moveCursor(target(request->motion), request->select);
    ensureCursorVisible();
    return true;
}

TextPosition LineView::target(Motion motion) {
    const qsizetype page = fullRowsInView();
    switch (motion) {
    case Motion::NextLine:
        return verticalMove(1);
    case Motion::PreviousLine:
        return verticalMove(-1);
    case Motion::NextPage:
        verticalScrollBar()->setValue(verticalScrollBar()->value() + static_cast<int>(page));
        return verticalMove(page);
    case Motion::PreviousPage:
        verticalScrollBar()->setValue(verticalScrollBar()->value() - static_cast<int>(page));
        return verticalMove(-page);
    default:
        preferredX_ = -1;
        return selection_.target(motion).value_or(selection_.cursor());
    }
}

// Up and down keep the horizontal place where the movement began, as text boxes do.
TextPosition LineView::verticalMove(qsizetype rows) {
    const TextPosition cursor = selection_.cursor();
    if (preferredX_ < 0)
        preferredX_ =
            RowLayout(selection_.rowText(cursor.row), font(), viewport()).cursorToX(cursor.column);
    const qsizetype target = std::clamp<qsizetype>(cursor.row + rows, 0, selection_.rowCount() - 1);
    const RowLayout row(selection_.rowText(target), font(), viewport());
    return {target, row.xToCursor(preferredX_)};
}

// ---- Mouse -----------------------------------------------------------------------------------

TextPosition LineView::positionAt(QPoint viewportPoint) const {
    const qsizetype row =
        verticalScrollBar()->value() + FloorDiv(viewportPoint.y() - textMarginY, rowHeight());
    const qsizetype clamped = std::clamp<qsizetype>(row, 0, selection_.rowCount() - 1);
    const RowLayout layout(selection_.rowText(clamped), font(), viewport());
    return {clamped, layout.xToCursor(viewportPoint.x() - textLeft())};
}

void LineView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    const bool extend = event->modifiers().testFlag(Qt::ShiftModifier);
    setCursorPosition(positionAt(event->position().toPoint()), extend);
    dragging_ = true;
    lastDragPoint_ = event->position().toPoint();
}

void LineView::mouseMoveEvent(QMouseEvent* event) {
    if (!dragging_ || !event->buttons().testFlag(Qt::LeftButton)) {
        QAbstractScrollArea::mouseMoveEvent(event);
        return;
    }
    dragTo(event->position().toPoint());
    // Outside the view the text scrolls on by itself while the button is held.
    if (viewport()->rect().contains(lastDragPoint_))
        autoScrollTimer_.stop();
    else if (!autoScrollTimer_.isActive())
        autoScrollTimer_.start(autoScrollInterval, this);
}

void LineView::dragTo(QPoint viewportPoint) {
    lastDragPoint_ = viewportPoint;
    setCursorPosition(positionAt(viewportPoint), true);
    ensureCursorVisible();
}

void LineView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !dragging_) {
        QAbstractScrollArea::mouseReleaseEvent(event);
        return;
    }
    dragging_ = false;
    autoScrollTimer_.stop();
    // The X11 primary selection, for pasting with the middle button.
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (hasSelection() && clipboard->supportsSelection())
        clipboard->setText(selectedText(), QClipboard::Selection);
}

void LineView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mouseDoubleClickEvent(event);
        return;
    }
    selection_.selectWordAt(positionAt(event->position().toPoint()));
    preferredX_ = -1;
    showCursorMove();
}

void LineView::contextMenuEvent(QContextMenuEvent* event) {
    const std::unique_ptr<QMenu> menu(createContextMenu());
    menu->exec(event->globalPos());
}
