#include "FolderListBox.h"

#include "FolderChooser.h"

#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QPainter>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QStyleOptionFocusRect>
#include <QUrl>

namespace {

// One path per row at the fixed row height of the window's layout.
class FixedRowHeightDelegate final : public QStyledItemDelegate {
public:
    FixedRowHeightDelegate(QObject* parent, int rowHeight)
        : QStyledItemDelegate(parent), rowHeight_(rowHeight) {}

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.setHeight(rowHeight_);
        return size;
    }

private:
    int rowHeight_;
};

// The local folders among the dropped addresses (text/uri-list), each as "Hinzufügen" would
// take it: without a trailing "/".
QStringList droppedFolders(const QMimeData* data) {
    QStringList folders;
    if (data == nullptr || !data->hasUrls())
        return folders;
    for (const QUrl& url : data->urls()) {
        if (!url.isLocalFile())
            continue;
        const QString path = url.toLocalFile();
        if (QFileInfo(path).isDir())
            folders.append(FolderWithoutTrailingSeparator(path));
    }
    return folders;
}

// The folder is only named in the list: a link, or else a copy, never a move, after which a
// file manager could remove what it dragged.
bool acceptFolders(QDropEvent& event) {
    if (droppedFolders(event.mimeData()).isEmpty()) {
        event.ignore();
        return false;
    }
    for (Qt::DropAction action : {Qt::LinkAction, Qt::CopyAction}) {
        if (event.possibleActions().testFlag(action)) {
            event.setDropAction(action);
            event.accept();
            return true;
        }
    }
    event.ignore();
    return false;
}

} // namespace

FolderListBox::FolderListBox(QWidget* parent, int rowHeight)
    : QListWidget(parent), rowHeight_(rowHeight) {
    setItemDelegate(new FixedRowHeightDelegate(this, rowHeight));
    setDragDropMode(QAbstractItemView::DropOnly);
    setDropIndicatorShown(false);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
}

FolderListBox::~FolderListBox() = default;

void FolderListBox::paintEvent(QPaintEvent* event) {
    QListWidget::paintEvent(event);
    if (!hasFocus() || currentIndex().isValid())
        return;
    QStyleOptionFocusRect focus;
    focus.initFrom(viewport());
    focus.state |= QStyle::State_HasFocus | QStyle::State_KeyboardFocusChange;
    focus.rect = QRect(0, 0, viewport()->width(), rowHeight_);
    focus.backgroundColor = palette().color(QPalette::Base);
    QPainter painter(viewport());
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
}

// The frame of an empty list is drawn by paintEvent, which must run again when the focus moves.
void FolderListBox::focusInEvent(QFocusEvent* event) {
    QListWidget::focusInEvent(event);
    viewport()->update();
}

void FolderListBox::focusOutEvent(QFocusEvent* event) {
    QListWidget::focusOutEvent(event);
    viewport()->update();
}

void FolderListBox::dragEnterEvent(QDragEnterEvent* event) {
    acceptFolders(*event);
}

void FolderListBox::dragMoveEvent(QDragMoveEvent* event) {
    acceptFolders(*event);
}

void FolderListBox::dropEvent(QDropEvent* event) {
    if (acceptFolders(*event))
        Q_EMIT foldersDropped(droppedFolders(event->mimeData()));
}
