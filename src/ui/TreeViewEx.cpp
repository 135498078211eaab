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
    QTreeWidget::mousePressEvent(event);
}

void TTreeViewEx::mouseMoveEvent(QMouseEvent* event) {
    if (rightDown_ && (event->buttons() & Qt::RightButton) &&
        (event->position().toPoint() - pressPos_).manhattanLength() >= QApplication::startDragDistance()) {
        rightDown_ = false;
        NotifyDrag(pressNode_);
        return;
    }
    QTreeWidget::mouseMoveEvent(event);
}

void TTreeViewEx::mouseReleaseEvent(QMouseEvent* event) {
    rightDown_ = false;
    QTreeWidget::mouseReleaseEvent(event);
}

}  // namespace lumvor
