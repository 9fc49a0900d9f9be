#pragma once

#include <QTextLayout>

class QFont;
class QPaintDevice;
class QString;

// One row of the line view laid out on a single line, for painting, hit-testing and placing
// the cursor.
class RowLayout final {
    Q_DISABLE_COPY_MOVE(RowLayout)

public:
    RowLayout(const QString& text, const QFont& font, QPaintDevice* device);

    QTextLayout& layout() { return layout_; }
    qreal cursorToX(qsizetype column) const;
    qsizetype xToCursor(qreal x) const;
    qreal width() const;

private:
    QTextLayout layout_;
    QTextLine line_;
};
