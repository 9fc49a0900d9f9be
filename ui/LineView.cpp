#include "LineView.h"

#include "Utf8Text.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <memory>
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

// One row laid out on a single line, for painting, hit-testing and cursor steps.
class RowLayout final {
public:
    RowLayout(const QString& text, const QFont& font, QPaintDevice* device)
        : layout_(text, font, device) {
        QTextOption option;
        option.setWrapMode(QTextOption::NoWrap);
        layout_.setTextOption(option);
        layout_.setCacheEnabled(true);
        layout_.beginLayout();
        line_ = layout_.createLine();
        layout_.endLayout();
    }
    Q_DISABLE_COPY_MOVE(RowLayout)

    QTextLayout& layout() { return layout_; }
    qreal cursorToX(qsizetype column) const {
        return line_.isValid() ? line_.cursorToX(static_cast<int>(column)) : 0;
    }
    qsizetype xToCursor(qreal x) const {
        return line_.isValid() ? line_.xToCursor(x, QTextLine::CursorBetweenCharacters) : 0;
    }
    qreal width() const { return line_.isValid() ? line_.naturalTextWidth() : 0; }

private:
    QTextLayout layout_;
    QTextLine line_;
};

int ClampToInt(qint64 value) {
    return static_cast<int>(std::clamp<qint64>(value, 0, INT_MAX));
}

std::pair<TextPosition, TextPosition> Ordered(TextPosition a, TextPosition b) {
    return a < b ? std::pair{a, b} : std::pair{b, a};
}

// Floor division, so that points above or left of the view map to the row before the first.
int FloorDiv(int value, int divisor) {
    return value >= 0 ? value / divisor : (value - divisor + 1) / divisor;
}

QString MenuText(const char* qtText, QKeySequence::StandardKey key) {
    // Qt's own text-control wording, so a loaded Qt translation gives the user's language.
    return QCoreApplication::translate("QWidgetTextControl", qtText) + QLatin1Char('\t') +
           QKeySequence(key).toString(QKeySequence::NativeText);
}

using Motion = LineView::Motion;

struct MotionKey {
    QKeySequence::StandardKey move;
    QKeySequence::StandardKey select;
    Motion motion;
};

constexpr MotionKey motionKeys[] = {
    {QKeySequence::MoveToNextChar, QKeySequence::SelectNextChar, Motion::NextChar},
    {QKeySequence::MoveToPreviousChar, QKeySequence::SelectPreviousChar, Motion::PreviousChar},
    {QKeySequence::MoveToNextWord, QKeySequence::SelectNextWord, Motion::NextWord},
    {QKeySequence::MoveToPreviousWord, QKeySequence::SelectPreviousWord, Motion::PreviousWord},
    {QKeySequence::MoveToNextLine, QKeySequence::SelectNextLine, Motion::NextLine},
    {QKeySequence::MoveToPreviousLine, QKeySequence::SelectPreviousLine, Motion::PreviousLine},
    {QKeySequence::MoveToNextPage, QKeySequence::SelectNextPage, Motion::NextPage},
    {QKeySequence::MoveToPreviousPage, QKeySequence::SelectPreviousPage, Motion::PreviousPage},
    {QKeySequence::MoveToStartOfLine, QKeySequence::SelectStartOfLine, Motion::StartOfLine},
    {QKeySequence::MoveToEndOfLine, QKeySequence::SelectEndOfLine, Motion::EndOfLine},
    {QKeySequence::MoveToStartOfBlock, QKeySequence::SelectStartOfBlock, Motion::StartOfLine},
    {QKeySequence::MoveToEndOfBlock, QKeySequence::SelectEndOfBlock, Motion::EndOfLine},
    {QKeySequence::MoveToStartOfDocument, QKeySequence::SelectStartOfDocument,
     Motion::StartOfDocument},
    {QKeySequence::MoveToEndOfDocument, QKeySequence::SelectEndOfDocument, Motion::EndOfDocument},
};

// The motion a key asks for, and whether it stretches the selection.
const MotionKey* FindMotion(QKeyEvent* event, bool& select) {
    for (const MotionKey& key : motionKeys) {
        if (event->matches(key.move) || event->matches(key.select)) {
            select = event->matches(key.select);
            return &key;
        }
    }
    return nullptr;
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
    lines_ = ResultLines(); // gives the memory of a long list back
    widestLine_ = 0;
    widestPixels_ = 0;
    anchor_ = cursor_ = TextPosition{};
    preferredX_ = -1;
    markLayoutDirty();
    viewport()->update();
}

void LineView::appendLine(std::string_view utf8Line) {
    lines_.append(utf8Line);
    // A line has at most as many characters as bytes, so only longer lines need counting.
    if (utf8Line.size() > widestLine_)
        widestLine_ = std::max(widestLine_, CountCharacters(utf8Line));
    markLayoutDirty();
}

void LineView::appendLine(const QString& line) {
    const QByteArray utf8 = line.toUtf8();
    appendLine(std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())));
}

QString LineView::line(qsizetype index) const {
    return lines_.at(index);
}

QString LineView::rowText(qsizetype row) const {
    return row < lines_.size() ? lines_.at(row) : QString();
}

std::size_t LineView::rowOffset(qsizetype row) const {
    if (row >= lines_.size())
        return lines_.byteSize();
    return static_cast<std::size_t>(lines_.view(row).data() - lines_.text().data());
}

// ---- Selection and clipboard -----------------------------------------------------------------

void LineView::selectAll() {
    anchor_ = TextPosition{};
    cursor_ = TextPosition{lineCount(), 0};
    preferredX_ = -1;
    viewport()->update();
}

QString LineView::selectedText() const {
    if (!hasSelection())
        return {};
    const auto [from, to] = Ordered(anchor_, cursor_);
    if (from.row == to.row)
        return rowText(from.row).mid(from.column, to.column - from.column);
    // The rows in between are taken from the buffer as they stand, line feeds included.
    QByteArray text = rowText(from.row).mid(from.column).toUtf8();
    text.append('\n');
    const std::size_t begin = rowOffset(from.row + 1);
    const std::size_t end = rowOffset(to.row);
    text.append(lines_.text().data() + begin, static_cast<qsizetype>(end - begin));
    text.append(rowText(to.row).left(to.column).toUtf8());
    return QString::fromUtf8(text);
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
    position.row = std::clamp<qsizetype>(position.row, 0, rowCount() - 1);
    position.column = std::clamp<qsizetype>(position.column, 0, rowText(position.row).size());
    cursor_ = position;
    if (!keepAnchor)
        anchor_ = position;
    restartCaretBlink();
    viewport()->update();
}

QRect LineView::cursorRect(TextPosition position) const {
    const RowLayout row(rowText(position.row), font(), viewport());
    const int top =
        textMarginY + static_cast<int>(position.row - verticalScrollBar()->value()) * rowHeight();
    const int x = textLeft() + static_cast<int>(std::lround(row.cursorToX(position.column)));
    return QRect(x, top, 1, rowHeight());
}

QMenu* LineView::createContextMenu() {
    auto* menu = new QMenu(this);
    QAction* copyAction =
        menu->addAction(MenuText("&Copy", QKeySequence::Copy), this, [this] { copy(); });
    copyAction->setEnabled(hasSelection());
    menu->addSeparator();
    QAction* selectAllAction = menu->addAction(MenuText("Select All", QKeySequence::SelectAll),
                                               this, [this] { selectAll(); });
    selectAllAction->setEnabled(lineCount() > 0);
    return menu;
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
    vertical->setRange(0, ClampToInt(static_cast<qint64>(rowCount()) - rows));
    vertical->setPageStep(rows);
    vertical->setSingleStep(1);

    const qint64 textWidth = std::max(widestLineWidth(), qint64{widestPixels_});
    const qint64 contentWidth = textWidth + 2 * textMarginX + 1;
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
    if (cursor_.row < vertical->value())
        vertical->setValue(static_cast<int>(cursor_.row));
    else if (cursor_.row >= vertical->value() + rows)
        vertical->setValue(static_cast<int>(cursor_.row) - rows + 1);

    const RowLayout row(rowText(cursor_.row), font(), viewport());
    const int x = static_cast<int>(std::lround(row.cursorToX(cursor_.column)));
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
    const qsizetype last = std::min(rowCount(), first + viewport()->height() / rowHeight() + 2);
    for (qsizetype row = first; row < last; ++row)
        paintRow(painter, row, textMarginY + static_cast<int>(row - first) * rowHeight());
}

void LineView::paintRow(QPainter& painter, qsizetype row, int top) {
    RowLayout layout(rowText(row), font(), viewport());
    trackMeasuredWidth(layout.width());
    const QPointF origin(textLeft(), top);
    const QPalette::ColorGroup group = hasFocus() ? QPalette::Active : QPalette::Inactive;
    QList<QTextLayout::FormatRange> selection;
    const auto [from, to] = Ordered(anchor_, cursor_);
    if (hasSelection() && from.row <= row && row <= to.row) {
        QTextLayout::FormatRange range;
        range.start = static_cast<int>(row == from.row ? from.column : 0);
        range.length =
            static_cast<int>((row == to.row ? to.column : rowText(row).size())) - range.start;
        range.format.setBackground(palette().brush(group, QPalette::Highlight));
        range.format.setForeground(palette().brush(group, QPalette::HighlightedText));
        if (range.length > 0)
            selection.append(range);
        if (row < to.row) // the line break is selected too: a small mark behind the text
            painter.fillRect(QRectF(origin.x() + layout.width(), top,
                                    fontMetrics().horizontalAdvance(QLatin1Char(' ')), rowHeight()),
                             palette().brush(group, QPalette::Highlight));
    }
    layout.layout().draw(&painter, origin, selection);
    if (row == cursor_.row && hasFocus() && caretShown_)
        layout.layout().drawCursor(&painter, origin, static_cast<int>(cursor_.column), 1);
}

// Rows with characters wider than the font's cell (some CJK glyphs) widen the scroll range once
// they have been seen.
void LineView::trackMeasuredWidth(qreal width) {
    const int pixels = static_cast<int>(std::ceil(width));
    if (pixels <= widestPixels_)
        return;
    widestPixels_ = pixels;
    if (widestLineWidth() < pixels)
        markLayoutDirty();
}

// The longest line's width in the font's character cells (fractional, as the text is laid out).
qint64 LineView::widestLineWidth() const {
    const qreal cell = QFontMetricsF(font()).horizontalAdvance(QLatin1Char('x'));
    return static_cast<qint64>(std::ceil(static_cast<qreal>(widestLine_) * cell));
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
    if (event->type() == QEvent::ShortcutOverride && isOwnKey(static_cast<QKeyEvent*>(event))) {
        event->accept();
        return true;
    }
    const bool handled = QAbstractScrollArea::event(event);
    if (event->type() == QEvent::Paint && hasFocus())
        paintFocusFrame();
    return handled;
}

bool LineView::isOwnKey(QKeyEvent* event) const {
    bool select = false;
    return event->matches(QKeySequence::Copy) || event->matches(QKeySequence::SelectAll) ||
           FindMotion(event, select) != nullptr;
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
        widestPixels_ = 0;
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
    bool select = false;
    const MotionKey* key = FindMotion(event, select);
    if (key == nullptr)
        return false;
    const Motion motion = key->motion;
    const bool vertical = motion == Motion::NextLine || motion == Motion::PreviousLine ||
                          motion == Motion::NextPage || motion == Motion::PreviousPage;
    if (!vertical)
        preferredX_ = -1;
    moveCursor(target(motion), select);
    ensureCursorVisible();
    return true;
}

TextPosition LineView::target(Motion motion) {
    const qsizetype page = fullRowsInView();
    switch (motion) {
    case Motion::NextChar:
        return nextPosition(cursor_, false);
    case Motion::PreviousChar:
        return previousPosition(cursor_, false);
    case Motion::NextWord:
        return nextPosition(cursor_, true);
    case Motion::PreviousWord:
        return previousPosition(cursor_, true);
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
    case Motion::StartOfLine:
        return {cursor_.row, 0};
    case Motion::EndOfLine:
        return {cursor_.row, rowText(cursor_.row).size()};
    case Motion::StartOfDocument:
        return {};
    case Motion::EndOfDocument:
        return {lineCount(), 0};
    }
    return cursor_;
}

TextPosition LineView::nextPosition(TextPosition from, bool byWord) const {
    const QString text = rowText(from.row);
    if (from.column >= text.size())
        return from.row + 1 < rowCount() ? TextPosition{from.row + 1, 0} : from;
    RowLayout row(text, font(), viewport());
    const auto mode = byWord ? QTextLayout::SkipWords : QTextLayout::SkipCharacters;
    return {from.row, row.layout().nextCursorPosition(static_cast<int>(from.column), mode)};
}

TextPosition LineView::previousPosition(TextPosition from, bool byWord) const {
    if (from.column == 0)
        return from.row > 0 ? TextPosition{from.row - 1, rowText(from.row - 1).size()} : from;
    RowLayout row(rowText(from.row), font(), viewport());
    const auto mode = byWord ? QTextLayout::SkipWords : QTextLayout::SkipCharacters;
    return {from.row, row.layout().previousCursorPosition(static_cast<int>(from.column), mode)};
}

// Up and down keep the horizontal place where the movement began, as text boxes do.
TextPosition LineView::verticalMove(qsizetype rows) {
    if (preferredX_ < 0)
        preferredX_ = RowLayout(rowText(cursor_.row), font(), viewport()).cursorToX(cursor_.column);
    const qsizetype target = std::clamp<qsizetype>(cursor_.row + rows, 0, rowCount() - 1);
    const RowLayout row(rowText(target), font(), viewport());
    return {target, row.xToCursor(preferredX_)};
}

// ---- Mouse -----------------------------------------------------------------------------------

TextPosition LineView::positionAt(QPoint viewportPoint) const {
    const qsizetype row =
        verticalScrollBar()->value() + FloorDiv(viewportPoint.y() - textMarginY, rowHeight());
    const qsizetype clamped = std::clamp<qsizetype>(row, 0, rowCount() - 1);
    const RowLayout layout(rowText(clamped), font(), viewport());
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
    selectWordAt(positionAt(event->position().toPoint()));
}

// A word is a run of letters, digits and underscores; a click elsewhere selects one character.
void LineView::selectWordAt(TextPosition position) {
    const QString text = rowText(position.row);
    const auto isWordChar = [&text](qsizetype i) {
        return text.at(i).isLetterOrNumber() || text.at(i) == QLatin1Char('_');
    };
    qsizetype start = position.column;
    qsizetype end = position.column;
    if (end < text.size() && isWordChar(end)) {
        while (start > 0 && isWordChar(start - 1))
            --start;
        while (end < text.size() && isWordChar(end))
            ++end;
    } else if (end < text.size()) {
        ++end;
    }
    setCursorPosition({position.row, start});
    setCursorPosition({position.row, end}, true);
}

void LineView::contextMenuEvent(QContextMenuEvent* event) {
    const std::unique_ptr<QMenu> menu(createContextMenu());
    menu->exec(event->globalPos());
}
