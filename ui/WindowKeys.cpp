#include "WindowKeys.h"

#include <QEvent>
#include <QKeyEvent>
#include <QPushButton>
#include <QWidget>

namespace {

bool isKeyPress(const QEvent* event) {
    return event->type() == QEvent::KeyPress;
}

// Swallows Escape once it has reached the window unhandled by the focused control.
class EscapeFilter final : public QObject {
public:
    using QObject::QObject;

    bool eventFilter(QObject*, QEvent* event) override {
        if (!isKeyPress(event) || !static_cast<QKeyEvent*>(event)->matches(QKeySequence::Cancel))
            return false;
        event->accept();
        return true;
    }
};

// Installed on each push button; it sees the key only while that button has the focus.
class EnterFilter final : public QObject {
public:
    using QObject::QObject;

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!isKeyPress(event))
            return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)
            return false;
        if (key->modifiers() & ~Qt::KeyboardModifiers(Qt::KeypadModifier))
            return false;
        auto* button = static_cast<QPushButton*>(watched);
        if (button->isEnabled() && !key->isAutoRepeat())
            button->click();
        return true;
    }
};

} // namespace

void IgnoreEscape(QWidget& window) {
    window.installEventFilter(new EscapeFilter(&window));
}

void PressFocusedButtonOnEnter(QWidget& window) {
    auto* filter = new EnterFilter(&window);
    for (QPushButton* button : window.findChildren<QPushButton*>()) {
        button->setAutoDefault(false);
        button->setDefault(false);
        button->installEventFilter(filter);
    }
}
