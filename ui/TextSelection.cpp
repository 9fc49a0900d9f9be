#include "TextSelection.h"

#include <algorithm>
#include <QByteArray>
#include <QTextBoundaryFinder>
#include <string_view>
#include <utility>

namespace {

std::pair<TextPosition, TextPosition> Ordered(TextPosition a, TextPosition b) {
    return a < b ? std::pair{a, b} : std::pair{b, a};
}

// Word steps see three kinds of character: blanks, punctuation that forms words of its own
// (so a step stops at each part of a path), and the rest. These are the stops of Qt's own
// text boxes.
enum class CharKind { Blank, Separator, Word };

CharKind KindOf(QChar c) {
    constexpr std::u16string_view separators = u".,?!@#$:;-<>[](){}=/+%&^*'\"`~|\\";
    if (c.isSpace())
        return CharKind::Blank;
    return separators.find(c.unicode()) != std::u16string_view::npos ? CharKind::Separator
                                                                     : CharKind::Word;
}

// Past the run of separators or word characters that starts at `column`, then past blanks.
qsizetype NextWordStart(const QString& text, qsizetype column) {
    const auto kindAt = [&text](qsizetype i) { return KindOf(text.at(i)); };
    const CharKind kind = kindAt(column);
    if (kind != CharKind::Blank)
        while (column < text.size() && kindAt(column) == kind)
            ++column;
    while (column < text.size() && kindAt(column) == CharKind::Blank)
        ++column;
    return column;
}

// Back over blanks, then back over the run of separators or word characters before them.
qsizetype PreviousWordStart(const QString& text, qsizetype column) {
    const auto kindBefore = [&text](qsizetype i) { return KindOf(text.at(i - 1)); };
    while (column > 0 && kindBefore(column) == CharKind::Blank)
        --column;
    if (column == 0)
        return 0;
    const CharKind kind = kindBefore(column);
    while (column > 0 && kindBefore(column) == kind)
        --column;
    return column;
}

// A character as the user sees it: a letter with its accents, a surrogate pair.
qsizetype CharacterStep(const QString& text, qsizetype column, bool forward) {
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    finder.setPosition(column);
    const qsizetype to = forward ? finder.toNextBoundary() : finder.toPreviousBoundary();
    return to >= 0 ? to : column;
}

} // namespace

QString TextSelection::rowText(qsizetype row) const {
    return row < lines_.size() ? lines_.at(row) : QString();
}

void TextSelection::moveTo(TextPosition position, bool keepAnchor) {
    position.row = std::clamp<qsizetype>(position.row, 0, rowCount() - 1);
    position.column = std::clamp<qsizetype>(position.column, 0, rowText(position.row).size());
    cursor_ = position;
    if (!keepAnchor)
        anchor_ = position;
}

void TextSelection::selectAll() {
    anchor_ = TextPosition{};
    cursor_ = end();
}

void TextSelection::selectWordAt(TextPosition position) {
    const QString text = rowText(position.row);
    const auto isWordChar = [&text](qsizetype i) {
        return text.at(i).isLetterOrNumber() || text.at(i) == QLatin1Char('_');
    };
    qsizetype start = position.column;
    qsizetype stop = position.column;
    if (stop < text.size() && isWordChar(stop)) {
        while (start > 0 && isWordChar(start - 1))
            --start;
        while (stop < text.size() && isWordChar(stop))
            ++stop;
    } else if (stop < text.size()) {
        ++stop;
    }
    moveTo({position.row, start});
    moveTo({position.row, stop}, true);
}

QString TextSelection::selectedText() const {
    if (!hasSelection())
        return {};
    const auto [from, to] = Ordered(anchor_, cursor_);
    if (from.row == to.row)
        return rowText(from.row).mid(from.column, to.column - from.column);
    // The rows in between are taken from the lines as they stand, line feeds included.
    QByteArray text = rowText(from.row).mid(from.column).toUtf8();
    text.append('\n');
    lines_.appendLines(from.row + 1, to.row, text);
    text.append(rowText(to.row).left(to.column).toUtf8());
    return QString::fromUtf8(text);
}

RowSelection TextSelection::selectionIn(qsizetype row) const {
    const auto [from, to] = Ordered(anchor_, cursor_);
    if (!hasSelection() || row < from.row || row > to.row)
        return {};
    return {row == from.row ? from.column : 0, row == to.row ? to.column : rowText(row).size(),
            row < to.row};
}

TextPosition TextSelection::next(TextPosition from, bool byWord) const {
    const QString text = rowText(from.row);
    if (from.column >= text.size())
        return from.row + 1 < rowCount() ? TextPosition{from.row + 1, 0} : from;
    return {from.row,
            byWord ? NextWordStart(text, from.column) : CharacterStep(text, from.column, true)};
}

TextPosition TextSelection::previous(TextPosition from, bool byWord) const {
    if (from.column == 0)
        return from.row > 0 ? TextPosition{from.row - 1, rowText(from.row - 1).size()} : from;
    const QString text = rowText(from.row);
    return {from.row, byWord ? PreviousWordStart(text, from.column)
                             : CharacterStep(text, from.column, false)};
}

std::optional<TextPosition> TextSelection::target(TextMotion motion) const {
    switch (motion) {
    case TextMotion::NextChar:
        return next(cursor_, false);
    case TextMotion::PreviousChar:
        return previous(cursor_, false);
    case TextMotion::NextWord:
        return next(cursor_, true);
    case TextMotion::PreviousWord:
        return previous(cursor_, true);
    case TextMotion::StartOfLine:
        return TextPosition{cursor_.row, 0};
    case TextMotion::EndOfLine:
        return TextPosition{cursor_.row, rowText(cursor_.row).size()};
    case TextMotion::StartOfDocument:
        return TextPosition{};
    case TextMotion::EndOfDocument:
        return end();
    default:
        return std::nullopt;
    }
}
