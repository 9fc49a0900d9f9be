#include "RowLayout.h"

#include <QTextOption>

RowLayout::RowLayout(const QString& text, const QFont& font, QPaintDevice* device)
    : layout_(text, font, device) {
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    layout_.setTextOption(option);
    layout_.setCacheEnabled(true);
    layout_.beginLayout();
    line_ = layout_.createLine();
    layout_.endLayout();
}

qreal RowLayout::cursorToX(qsizetype column) const {
    return line_.isValid() ? line_.cursorToX(static_cast<int>(column)) : 0;
}

qsizetype RowLayout::xToCursor(qreal x) const {
    return line_.isValid() ? line_.xToCursor(x, QTextLine::CursorBetweenCharacters) : 0;
}

qreal RowLayout::width() const {
    return line_.isValid() ? line_.naturalTextWidth() : 0;
}
