#pragma once

#include <QProxyStyle>

// The platform's style with the program's own touches: the wait before a tool-tip shows, and a
// dotted focus frame inside the push button that has the keyboard focus. Many styles, Fusion
// among them, draw a focused button and the default button alike, so without the frame the
// focus on "Start!" would not show.
class ProgramStyle final : public QProxyStyle {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ProgramStyle)

public:
    explicit ProgramStyle(const QString& baseStyle);
    ~ProgramStyle() override;

    // -1 keeps the base style's wait.
    void setToolTipWakeUp(int wakeUpMs);

    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override;
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override;

private:
    void drawButtonFocusFrame(const QStyleOption& option, QPainter& painter,
                              const QWidget* widget) const;

    int toolTipWakeUpMs_ = -1;
};

// The application's style, made a ProgramStyle over the current one the first time.
ProgramStyle& UseProgramStyle();
