#pragma once

#include <QListWidget>
#include <QStringList>

// The main window's folder list. While it has the keyboard focus it always shows it: on the
// current entry, or, when there is none (also in an empty list), as a focus frame around the
// first row, where a new entry would appear. Folders dragged from a file manager can be dropped
// on it; it reports the local folders among them and takes no files or remote addresses.
class FolderListBox final : public QListWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FolderListBox)

public:
    FolderListBox(QWidget* parent, int rowHeight);
    ~FolderListBox() override;

Q_SIGNALS:
    // Local folders were dropped on the list, each without a trailing "/", in the drop's order.
    void foldersDropped(const QStringList& folders);

protected:
    void paintEvent(QPaintEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    int rowHeight_;
};
