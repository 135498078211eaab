#include "ui/TreeViewEx.h"

#include <QApplication>
#include <QMouseEvent>

#include "platform/Forms.h"

namespace lumvor {

TTreeViewEx::TTreeViewEx(QWidget* owner) : QTreeWidget(owner) {
    setObjectName("TreeViewEx");
    setHeaderHidden(true);
    setDragEnabled(true);
    setDragDropMode(QAbstractItemView::DragOnly);
}

TTreeNode* TTreeViewEx::DropTarget() const {
    return dropTarget_.isValid() ? itemFromIndex(dropTarget_) : nullptr;
}

void TTreeViewEx::SetDropTarget(TTreeNode* Node) {
    const QModelIndex old = dropTarget_;
    dropTarget_ = Node ? QPersistentModelIndex(indexFromItem(Node)) : QPersistentModelIndex();
    if (old.isValid())
        viewport()->update(visualRect(old));
    if (dropTarget_.isValid())
        viewport()->update(visualRect(dropTarget_));
}

void TTreeViewEx::drawRow(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
    if (index != dropTarget_) {
        QTreeWidget::drawRow(painter, option, index);
        return;
    }
    QStyleOptionViewItem marked(option);
    marked.state |= QStyle::State_Selected;
    QTreeWidget::drawRow(painter, marked, index);
}

void TTreeViewEx::NotifyDrag(TTreeNode* node) {
    if (node && OnOleDragNotify) Guarded([&] { OnOleDragNotify(node); });
}

void TTreeViewEx::startDrag(Qt::DropActions) {
    // The drag with the left button: the node pressed, else the current one.
    NotifyDrag(pressNode_ ? pressNode_ : currentItem());
}

void TTreeViewEx::mousePressEvent(QMouseEvent* event) {
    pressPos_ = event->position().toPoint();
    pressNode_ = itemAt(pressPos_);
    rightDown_ = event->button() == Qt::RightButton;
    if (OnMouseDown) Guarded([&] { OnMouseDown(event); });
    QTreeWidget::mousePressEvent(event);
}

void TTreeViewEx::mouseMoveEvent(QMouseEvent* event) {
    if (rightDown_ && (event->buttons() & Qt::RightButton) &&
        (event->position().toPoint() - pressPos_).manhattanLength() >= QApplication::startDragDistance()) {
        rightDown_ = false;
        NotifyDrag(pressNode_);
        return;
    }
    bool handled = false;
    if (OnMouseMove) Guarded([&] { handled = OnMouseMove(event); });
    if (!handled) QTreeWidget::mouseMoveEvent(event);
}

void TTreeViewEx::mouseReleaseEvent(QMouseEvent* event) {
    rightDown_ = false;
    QTreeWidget::mouseReleaseEvent(event);
    if (OnMouseUp) Guarded([&] { OnMouseUp(event); });
}

}  // namespace lumvor
