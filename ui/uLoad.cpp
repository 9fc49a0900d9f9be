#include "uLoad.h"

TfrmLoad* frmLoad = nullptr;

TfrmLoad::TfrmLoad(QWidget* parent) : QWidget(parent) {}
TfrmLoad::~TfrmLoad() = default;
