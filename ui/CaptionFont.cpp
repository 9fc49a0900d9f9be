#include "CaptionFont.h"

#include <algorithm>
#include <QAbstractButton>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QStyle>

namespace {

constexpr qreal smallestPointSize = 6.0;
constexpr qreal pointSizeStep = 0.5;

bool groupTitleFits(const QGroupBox& group) {
    const QFontMetrics metrics = group.fontMetrics();
    return metrics.horizontalAdvance(group.title()) + 2 * metrics.averageCharWidth() <=
           group.width();
}

bool buttonCaptionFits(const QPushButton& button) {
    const QStyle* style = button.style();
    const int margin = 2 * (style->pixelMetric(QStyle::PM_ButtonMargin, nullptr, &button) +
                            style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, &button));
    const QFontMetrics metrics = button.fontMetrics();
    return metrics.horizontalAdvance(button.text()) + margin <= button.width() &&
           metrics.height() <= button.height();
}

// A label that wraps its words must fit its lines into its height; any other caption must fit
// on one line.
bool labelFits(const QLabel& label) {
    if (label.wordWrap())
        return label.heightForWidth(label.width()) <= label.height();
    return label.sizeHint().width() <= label.width() &&
           label.fontMetrics().height() <= label.height();
}

bool captionFits(const QWidget& widget) {
    if (const auto* group = qobject_cast<const QGroupBox*>(&widget))
        return groupTitleFits(*group);
    if (const auto* button = qobject_cast<const QPushButton*>(&widget))
        return buttonCaptionFits(*button);
    if (const auto* label = qobject_cast<const QLabel*>(&widget))
        return labelFits(*label);
    if (qobject_cast<const QAbstractButton*>(&widget))
        return widget.sizeHint().width() <= widget.width() &&
               widget.fontMetrics().height() <= widget.height();
    return true;
}

} // namespace

void FitFontToCaptions(QWidget& window) {
    QFont font = QApplication::font();
    const qreal platformSize = font.pointSizeF() > 0 ? font.pointSizeF() : 9.0;
    const QList<QWidget*> controls = window.findChildren<QWidget*>();
    for (qreal size = platformSize; size >= smallestPointSize; size -= pointSizeStep) {
        font.setPointSizeF(size);
        window.setFont(font);
        if (std::all_of(controls.begin(), controls.end(),
                        [](const QWidget* control) { return captionFits(*control); }))
            return;
    }
}
