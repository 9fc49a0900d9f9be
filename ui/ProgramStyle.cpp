#include "ProgramStyle.h"

#include <QApplication>
#include <QPainter>
#include <QStyleOption>

ProgramStyle::ProgramStyle(const QString& baseStyle) : QProxyStyle(baseStyle) {}

ProgramStyle::~ProgramStyle() = default;

void ProgramStyle::setToolTipWakeUp(int wakeUpMs) {
    toolTipWakeUpMs_ = wakeUpMs;
}

// The wait before a tool-tip shows is a style hint that QApplication asks the widget's style.
int ProgramStyle::styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                            QStyleHintReturn* returnData) const {
    if (hint == SH_ToolTip_WakeUpDelay && toolTipWakeUpMs_ >= 0)
        return toolTipWakeUpMs_;
    return QProxyStyle::styleHint(hint, option, widget, returnData);
}

void ProgramStyle::drawControl(ControlElement element, const QStyleOption* option,
                               QPainter* painter, const QWidget* widget) const {
    QProxyStyle::drawControl(element, option, painter, widget);
    const QStyle::State keyboardFocus = State_HasFocus | State_KeyboardFocusChange;
    if (element == CE_PushButton && (option->state & keyboardFocus) == keyboardFocus)
        drawButtonFocusFrame(*option, *painter, widget);
}

// A dotted line in the caption's colour, a few pixels inside the button's edge.
void ProgramStyle::drawButtonFocusFrame(const QStyleOption& option, QPainter& painter,
                                        const QWidget* widget) const {
    constexpr int inset = 3;
    QRect frame = subElementRect(SE_PushButtonFocusRect, &option, widget)
                      .intersected(option.rect.adjusted(inset, inset, -inset, -inset));
    if (frame.isEmpty())
        return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    QPen pen(option.palette.color(QPalette::ButtonText), 0, Qt::DotLine);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(frame.adjusted(0, 0, -1, -1));
    painter.restore();
}

ProgramStyle& UseProgramStyle() {
    if (auto* style = qobject_cast<ProgramStyle*>(QApplication::style()))
        return *style;
    auto* style = new ProgramStyle(QApplication::style()->name());
    QApplication::setStyle(style);
    return *style;
}
