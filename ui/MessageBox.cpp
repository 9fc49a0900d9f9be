#include "MessageBox.h"

#include "MessageBoxTitle.h"
#include "output/ListFileWriter.h"

#include <algorithm>
#include <QFontMetrics>
#include <QLabel>
#include <QMessageBox>
#include <QScreen>

namespace {

// Qt wraps a message box's text at half the screen's width, which at a large scale cuts the
// about box's first line into pieces; the text label is given room for its widest line, as long
// as that fits on the screen.
void keepLinesWhole(QMessageBox& box) {
    auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
    const QScreen* screen = box.screen();
    if (label == nullptr || screen == nullptr)
        return;
    const QFontMetrics metrics = label->fontMetrics();
    int widest = 0;
    for (const QString& line : box.text().split(QLatin1Char('\n')))
        widest = std::max(widest, metrics.horizontalAdvance(line));
    const int room = screen->availableGeometry().width() * 3 / 4;
    label->setMinimumWidth(std::min(widest, room));
}

void showCriticalBox(QWidget* parent, const QString& title, const QString& text) {
    QMessageBox box(QMessageBox::Critical, title, text, QMessageBox::Ok, parent);
    KeepTitleWhole(box);
    box.exec();
}

} // namespace

void ShowErrorBox(QWidget* parent, const QString& message) {
    const MessageBoxRequest request{parent, QStringLiteral("FolderInventory"),
                                    WithFullStop(message)};
    if (!ErrorBoxSeam().takeAnswer(request))
        showCriticalBox(parent, request.title, request.text);
}

MessageBoxSeam& ErrorBoxSeam() {
    static MessageBoxSeam seam;
    return seam;
}

void ShowAboutBox(QWidget* parent, const QString& title, const QString& text) {
    if (AboutBoxSeam().takeAnswer({parent, title, text}))
        return;
    QMessageBox about(QMessageBox::Information, title, text, QMessageBox::Ok, parent);
    about.setObjectName(QStringLiteral("aboutBox"));
    about.setTextFormat(Qt::PlainText);
    KeepTitleWhole(about);
    keepLinesWhole(about);
    about.exec();
}

MessageBoxSeam& AboutBoxSeam() {
    static MessageBoxSeam seam;
    return seam;
}
