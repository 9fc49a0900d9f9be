#pragma once

#include <QWidget>

// The progress window shown while a search runs.
class TfrmLoad final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TfrmLoad)

public:
    explicit TfrmLoad(QWidget* parent = nullptr);
    ~TfrmLoad() override;
};

extern TfrmLoad* frmLoad;
