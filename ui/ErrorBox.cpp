#include "ErrorBox.h"

#include "ListFileWriter.h"

#include <QMessageBox>
#include <utility>

namespace {

ErrorBoxFunction& Replacement() {
    static ErrorBoxFunction function;
    return function;
}

} // namespace

void ShowErrorBox(QWidget* parent, const QString& message) {
    const QString text = WithFullStop(message);
    if (Replacement())
        Replacement()(parent, text);
    else
        QMessageBox::critical(parent, QStringLiteral("FolderInventory"), text);
}

ErrorBoxFunction ReplaceErrorBox(ErrorBoxFunction function) {
    return std::exchange(Replacement(), std::move(function));
}
