// The folder tree of the explorer and of the folder picker: a tree view that
// hands the start of a drag (with either mouse button) to its owner's drag source
// through OnOleDragNotify, in place of the tree's own dragging.
// GUI thread only.
#pragma once

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

protected:
    void startDrag(Qt::DropActions supportedActions) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void NotifyDrag(TTreeNode* node);

    TTreeNode* pressNode_ = nullptr;
    QPoint pressPos_;
    bool rightDown_ = false;
};

}  // namespace lumvor
