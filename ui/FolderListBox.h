#pragma once

#include <QListWidget>

// The main window's folder list. While it has the keyboard focus it always shows it: on the
// current entry, or, when there is none (also in an empty list), as a focus frame around the
// first row, where a new entry would appear.
class FolderListBox final : public QListWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FolderListBox)

public:
    FolderListBox(QWidget* parent, int rowHeight);
    ~FolderListBox() override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    int rowHeight_;
};
