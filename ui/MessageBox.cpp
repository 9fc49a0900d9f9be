#include "ErrorBox.h"

#include "ListFileWriter.h"
#include "MessageBoxTitle.h"

#include <QMessageBox>
#include <utility>

namespace {

ErrorBoxFunction& Replacement() {
    static ErrorBoxFunction function;
    return function;
}

void showCriticalBox(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::Critical, QStringLiteral("FolderInventory"), text, QMessageBox::Ok,
                    parent);
    KeepTitleWhole(box);
    box.exec();
}

} // namespace

void ShowErrorBox(QWidget* parent, const QString& message) {
    const QString text = WithFullStop(message);
    if (Replacement())
        Replacement()(parent, text);
    else
        showCriticalBox(parent, text);
}

ErrorBoxFunction ReplaceErrorBox(ErrorBoxFunction function) {
    return std::exchange(Replacement(), std::move(function));
}
