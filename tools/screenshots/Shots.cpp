#include "Scenes.h"

#include <cstdio>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QPixmap>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <utility>

namespace {

constexpr int ModalTimeoutMs = 10000;
constexpr int FrameTimeoutMs = 5000;
// The window manager paints its frame in its own time; nothing tells the program when.
constexpr int FramePaintMs = 300;

} // namespace

Shots::Shots(QString folder, bool framed) : folder_(std::move(folder)), framed_(framed) {}

void Shots::save(QWidget& window, const QString& name) {
    if (!QTest::qWaitForWindowExposed(&window)) {
        fail(name + QStringLiteral(": window not shown"));
        return;
    }
    const auto hasFrame = [&] {
        return window.windowHandle() != nullptr && !window.windowHandle()->frameMargins().isNull();
    };
    if (framed_ && !QTest::qWaitFor(hasFrame, FrameTimeoutMs)) {
        fail(name + QStringLiteral(": the window manager drew no frame"));
        return;
    }
    QApplication::processEvents();
    const QString path = QDir(folder_).filePath(name + QStringLiteral(".png"));
    if (!picture(window).save(path)) {
        fail(path + QStringLiteral(": cannot write"));
        return;
    }
    std::printf("%s\n", qPrintable(path));
}

void Shots::saveModal(const std::function<void()>& open, const QString& name) {
    bool opened = false;
    QTimer::singleShot(0, [&] {
        opened = QTest::qWaitFor([] { return QApplication::activeModalWidget() != nullptr; },
                                 ModalTimeoutMs);
        if (!opened)
            return;
        QWidget* modal = QApplication::activeModalWidget();
        save(*modal, name);
        if (auto* dialog = qobject_cast<QDialog*>(modal))
            dialog->reject();
        else
            modal->close();
    });
    open();
    if (!opened)
        fail(name + QStringLiteral(": no modal window opened"));
}

// With a window manager, the screen's pixels around the window's frame; else the window alone.
QPixmap Shots::picture(QWidget& window) const {
    if (!framed_)
        return window.grab();
    window.raise();
    QTest::qWait(FramePaintMs);
    const QRect frame = window.windowHandle()->frameGeometry();
    return window.screen()->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height());
}

void Shots::fail(const QString& message) {
    ++failures_;
    std::fprintf(stderr, "screenshot failed: %s\n", qPrintable(message));
}
