#include "FolderListBox.h"

#include <QPainter>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QStyleOptionFocusRect>

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

} // namespace

FolderListBox::FolderListBox(QWidget* parent, int rowHeight)
    : QListWidget(parent), rowHeight_(rowHeight) {
    setItemDelegate(new FixedRowHeightDelegate(this, rowHeight));
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
