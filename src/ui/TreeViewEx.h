// The folder tree of the explorer and of the folder picker: a tree view that
// hands the start of a drag (with either mouse button) to its owner's drag source
// through OnOleDragNotify, in place of the tree's own dragging. One node at a
// time can be drawn as the drop target (highlighted as if selected), which the
// explorer uses to mark the folder it shows.
// GUI thread only.
#pragma once

#include <QPersistentModelIndex>
#include <QPoint>
#include <QTreeWidget>

#include <functional>

namespace lumvor {

using TTreeNode = QTreeWidgetItem;
using TOleDragNotify = std::function<void(TTreeNode* Node)>;

class TTreeViewEx : public QTreeWidget {
public:
    explicit TTreeViewEx(QWidget* owner = nullptr);

    // Kept for the owner form.
    bool Selecting = false;
    // Fired when the user starts dragging a node.
    TOleDragNotify OnOleDragNotify;
    // Kept for the owner form.
    int Tag = 0;
    // The owner's mouse handlers: a press before the tree handles it, a release
    // after.
    std::function<void(QMouseEvent* Event)> OnMouseDown, OnMouseUp;
    // How far the mouse moves with the left button down, across or up and down,
    // before the drag of the pressed node starts; 0 for the desktop's distance.
    int DragDistance = 0;

    // The node of a model index of the tree.
    TTreeNode* NodeOf(const QModelIndex& Index) const { return itemFromIndex(Index); }

    // The node drawn as the drop target; nullptr when none (or when it was deleted).
    TTreeNode* DropTarget() const;
    void SetDropTarget(TTreeNode* Node);

protected:
    void startDrag(Qt::DropActions supportedActions) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void drawRow(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    void NotifyDrag(TTreeNode* node);

    // The node pressed: its index, which a deleted node leaves invalid.
    QPersistentModelIndex pressIndex_;
    QPoint pressPos_;
    bool rightDown_ = false;
    QPersistentModelIndex dropTarget_;
};

}  // namespace lumvor
