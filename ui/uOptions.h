#pragma once

#include "ScopeOptions.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The options of the search beyond folders, masks and exclusions, behind "Optionen..." in the
// main window: one file system, depth, size and age. "OK" takes them only when every value can
// be read (otherwise an error box names the field and the value, and the field takes the
// focus); "Abbrechen", Escape and the close box leave them as they were.
class TfrmOptions final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TfrmOptions)

public:
    TfrmOptions(QWidget* parent, const ScopeOptions& options);
    ~TfrmOptions() override;

    // The values as the dialog shows them.
    ScopeOptions options() const;

    QLabel* lbMaxDepth = nullptr;
    QLineEdit* edMaxDepth = nullptr;
    QLabel* lbMinSize = nullptr;
    QLineEdit* edMinSize = nullptr;
    QLabel* lbMaxSize = nullptr;
    QLineEdit* edMaxSize = nullptr;
    QLabel* lbNewer = nullptr;
    QLineEdit* edNewer = nullptr;
    QLabel* lbOlder = nullptr;
    QLineEdit* edOlder = nullptr;
    QCheckBox* cbOneFileSystem = nullptr;
    QPushButton* btnOk = nullptr;
    QPushButton* btnCancel = nullptr;

    void btnOkClick();

private:
    QLineEdit* addField(const char* labelName, const char* editName, int top,
                        const QString& caption, const QString& toolTip, QLabel*& label);
    QLineEdit* editOf(ScopeField field) const;
};
