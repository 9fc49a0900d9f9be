#include "MessageBox.h"

#include "ListFileWriter.h"
#include "MessageBoxTitle.h"

#include <QMessageBox>

namespace {

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
    about.exec();
}

MessageBoxSeam& AboutBoxSeam() {
    static MessageBoxSeam seam;
    return seam;
}
