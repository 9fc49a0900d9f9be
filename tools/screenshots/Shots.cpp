#include "Scenes.h"

#include <cstdio>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QPixmap>
#include <QTest>
#include <QTimer>
#include <utility>

namespace {

constexpr int ModalTimeoutMs = 10000;

} // namespace

Shots::Shots(QString folder) : folder_(std::move(folder)) {}

void Shots::save(QWidget& window, const QString& name) {
    if (!QTest::qWaitForWindowExposed(&window)) {
        fail(name + QStringLiteral(": window not shown"));
        return;
    }
    QApplication::processEvents();
    const QString path = QDir(folder_).filePath(name + QStringLiteral(".png"));
    if (!window.grab().save(path)) {
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

void Shots::fail(const QString& message) {
    ++failures_;
    std::fprintf(stderr, "screenshot failed: %s\n", qPrintable(message));
}
