#include "ui/TreeViewEx.h"

#include <QApplication>
#include <QMouseEvent>

#include <cstdlib>

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
    TTreeNode* pressed = pressIndex_.isValid() ? itemFromIndex(pressIndex_) : nullptr;
    NotifyDrag(pressed ? pressed : currentItem());
}

void TTreeViewEx::mousePressEvent(QMouseEvent* event) {
    pressPos_ = event->position().toPoint();
    pressIndex_ = indexAt(pressPos_);
    rightDown_ = event->button() == Qt::RightButton;
    if (OnMouseDown) Guarded([&] { OnMouseDown(event); });
    QTreeWidget::mousePressEvent(event);
}

void TTreeViewEx::mouseMoveEvent(QMouseEvent* event) {
    const QPoint moved = event->position().toPoint() - pressPos_;
    TTreeNode* pressed = pressIndex_.isValid() ? itemFromIndex(pressIndex_) : nullptr;
    if (rightDown_ && (event->buttons() & Qt::RightButton) &&
        moved.manhattanLength() >= QApplication::startDragDistance()) {
        rightDown_ = false;
        NotifyDrag(pressed);
        return;
    }
    if (DragDistance > 0 && pressed && (event->buttons() & Qt::LeftButton) && state() != EditingState &&
        (std::abs(moved.x()) >= DragDistance || std::abs(moved.y()) >= DragDistance)) {
        pressIndex_ = QPersistentModelIndex();
        NotifyDrag(pressed);
        // The drag took the release: the tree is no longer pressed.
        setState(NoState);
        stopAutoScroll();
        return;
    }
    QTreeWidget::mouseMoveEvent(event);
}

void TTreeViewEx::mouseReleaseEvent(QMouseEvent* event) {
    rightDown_ = false;
    QTreeWidget::mouseReleaseEvent(event);
    if (OnMouseUp) Guarded([&] { OnMouseUp(event); });
}

}  // namespace lumvor
