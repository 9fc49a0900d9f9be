#include "ScreenPlacement.h"

#include <algorithm>
#include <QApplication>
#include <QEvent>
#include <QScreen>
#include <QWidget>
#include <QWindow>

namespace {

// The frame the window manager draws around the window; none while it has not framed it yet.
QMargins marginsOf(const QWidget& window) {
    const QWindow* handle = window.windowHandle();
    return handle != nullptr ? handle->frameMargins() : QMargins();
}

bool frameKnown(const QWidget& window) {
    return !marginsOf(window).isNull();
}

// Before the window manager has framed a window for the first time its frame is unknown; the
// frame of another window of the program is the best guess, so the window appears in place.
QMargins expectedFrameMargins(const QWidget& window) {
    if (frameKnown(window))
        return marginsOf(window);
    for (const QWidget* other : QApplication::topLevelWidgets()) {
        if (other != &window && other->isVisible() && frameKnown(*other))
            return marginsOf(*other);
    }
    return {};
}

// The screen the user works on: that of the active window, else the window's own.
const QScreen* targetScreen(const QWidget& window) {
    const QWidget* active = QApplication::activeWindow();
    if (active != nullptr && active != &window && active->screen() != nullptr)
        return active->screen();
    return window.screen() != nullptr ? window.screen() : QGuiApplication::primaryScreen();
}

// Waits for the window's first show, and then for its first paint, by which time a window
// manager has framed it: a window placed with a guessed frame is placed again when its real
// frame differs.
class FirstShowPlacement final : public QObject {
public:
    explicit FirstShowPlacement(QWidget& window) : QObject(&window), window_(window) {
        window.installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != &window_)
            return false;
        if (event->type() == QEvent::Show && !placed_) {
            placed_ = true;
            guessedFrame_ = expectedFrameMargins(window_);
            FitAndCentreOnScreen(window_);
            if (frameKnown(window_))
                finish();
        } else if (placed_ && event->type() == QEvent::Paint) {
            if (frameKnown(window_) && marginsOf(window_) != guessedFrame_)
                FitAndCentreOnScreen(window_);
            finish();
        }
        return false;
    }

private:
    void finish() {
        window_.removeEventFilter(this);
        deleteLater();
    }

    QWidget& window_;
    QMargins guessedFrame_;
    bool placed_ = false;
};

} // namespace

void PlaceOnFirstShow(QWidget& window) {
    new FirstShowPlacement(window);
}

void FitAndCentreOnScreen(QWidget& window) {
    const QScreen* screen = targetScreen(window);
    if (screen == nullptr)
        return;
    const QRect area = screen->availableGeometry();
    const QMargins frame = expectedFrameMargins(window);
    const QSize room = area.size().shrunkBy(frame);
    const QSize fitted = window.size().boundedTo(room).expandedTo(window.minimumSize());
    if (fitted != window.size())
        window.resize(fitted);
    QRect outer = QRect(QPoint(), fitted).marginsAdded(frame);
    outer.moveCenter(area.center());
    // Too large to fit: the title bar stays on the screen, at its top left.
    outer.moveTopLeft({std::max(outer.left(), area.left()), std::max(outer.top(), area.top())});
    window.move(outer.topLeft());
}
