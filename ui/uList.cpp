#include "uList.h"

TfrmList* frmList = nullptr;

TfrmList::TfrmList(QWidget* parent) : QDialog(parent) {}
TfrmList::~TfrmList() = default;
void TfrmList::clearList() {}
void TfrmList::appendLine(std::string_view) {}
void TfrmList::appendLine(const QString&) {}
int TfrmList::showModal() {
    return exec();
}
