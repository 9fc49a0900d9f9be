#include "MessageBoxTitle.h"

#include <QApplication>
#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QSpacerItem>

namespace {

// Title bars draw their text in a bold font, at most about a fifth larger than the program's
// own; the window icon and up to four buttons take about a title-bar height each.
constexpr qreal titleFontScale = 1.2;
constexpr int titleBarItems = 6;

int titleBarWidth(const QMessageBox& box) {
    QFont font = QApplication::font();
    font.setBold(true);
    font.setPointSizeF(font.pointSizeF() * titleFontScale);
    const QFontMetrics metrics(font);
    return metrics.horizontalAdvance(box.windowTitle()) + titleBarItems * metrics.height();
}

} // namespace

void KeepTitleWhole(QMessageBox& box) {
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (grid == nullptr)
        return;
    grid->addItem(new QSpacerItem(titleBarWidth(box), 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
                  grid->rowCount(), 0, 1, grid->columnCount());
}
