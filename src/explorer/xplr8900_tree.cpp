// The explorer's folder tree: one top node per volume of the path box, each
// node reading its sub-folders only when it first opens, the tree following
// every navigation to the node of the explored folder, renaming and dragging
// folders, and the tree's "Arrange by" orders.
//
// A node whose sub-folders were not read yet has one child "." (the
// placeholder). A volume's node keeps its index in DriveList as its Data; a
// folder's node keeps the DOS date-time of the folder's last write. Names
// match exactly; only where no sibling matches exactly does a match without
// case count, so "Photos" and "photos" side by side keep their own nodes.
#include "explorer/xplr8900.h"

#include "state/ExplorerSettings.h"
#include "explorer/FolderListing.h"
#include "explorer/FolderTree.h"
#include "explorer/ShellProperties.h"
#include "imaging/Helpers.h"
#include "platform/FileOps.h"
#include "platform/Folders.h"
#include "platform/Forms.h"
#include "platform/Menus.h"
#include "platform/ShellIcons.h"
#include "platform/SysUtils.h"
#include "ui/DragDrop.h"
#include "ui/LookBoxEx.h"
#include "ui/MenuItems.h"
#include "ui/StringListEx.h"
#include "ui/ToolBarEx.h"
#include "ui/TreeViewEx.h"
#include "ui/VListShowEx.h"
#include "ui/voMsgBox.h"

#include <QApplication>
#include <QEventLoop>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QSignalBlocker>
#include <QSplitter>
#include <QStyledItemDelegate>
#include <QTimer>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace lumvor {

using namespace xplr8900;

namespace {

const char* const kPlaceholder = ".";
const char* const kCannotAccessNode = "Cannot access drive/folder.\nCheck device or security settings.";
constexpr int DataRole = Qt::UserRole;
constexpr int RankRole = Qt::UserRole + 1;
// The narrowest the tree's panel opens at.
constexpr int MinTreeWidth = 96;
// How far the mouse moves with the left button down before a folder drag starts.
constexpr int DragStartDistance = 6;
// How far a release may lie below or above the press and still count as a click.
constexpr int ClickSlack = 5;

// A node of the tree: sorted by the rank the tree's "Arrange by" gives it.
class TFolderNode : public QTreeWidgetItem {
public:
    using QTreeWidgetItem::QTreeWidgetItem;
    bool operator<(const QTreeWidgetItem& other) const override {
        return data(0, RankRole).toInt() < other.data(0, RankRole).toInt();
    }
};

std::string NodeText(const TTreeNode* node) { return node->text(0).toStdString(); }

bool HasPlaceholder(const TTreeNode* node) {
    return node->childCount() == 1 && node->child(0)->text(0) == kPlaceholder;
}

void AddPlaceholder(TTreeNode* node) { new QTreeWidgetItem(node, QStringList(kPlaceholder)); }

void DeleteChildren(TTreeNode* node) { qDeleteAll(node->takeChildren()); }

// The names of a node's children, in order.
std::vector<std::string> ChildNames(const TTreeNode* node) {
    std::vector<std::string> names;
    names.reserve(size_t(node->childCount()));
    for (int i = 0; i < node->childCount(); ++i)
        names.push_back(NodeText(node->child(i)));
    return names;
}

TTreeNode* MatchChild(const TTreeNode* node, const std::string& name) {
    const int at = MatchChildName(ChildNames(node), name);
    return at >= 0 ? node->child(at) : nullptr;
}

// The folder names of a path below its root, outermost first.
std::vector<std::string> NamesBelow(const std::string& path, const std::string& root) {
    return path.compare(0, root.size(), root) == 0 ? FolderNames(path.substr(root.size())) : FolderNames(path);
}

// The in-place editor of a node's name: opening it asks TreeEditing, a commit
// goes through TreeEdited, which may give the old name back.
class TTreeNameDelegate : public QStyledItemDelegate {
public:
    TTreeNameDelegate(TFileForm* form, TTreeViewEx* tree) : QStyledItemDelegate(tree), form_(form), tree_(tree) {
        connect(this, &QAbstractItemDelegate::closeEditor, this, [this] { Guarded([this] { form_->Edit_End(); }); });
    }
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        bool allow = true;
        Guarded([&] { form_->TreeEditing(tree_->NodeOf(index), allow); });
        return allow ? QStyledItemDelegate::createEditor(parent, option, index) : nullptr;
    }
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override {
        auto* line = qobject_cast<QLineEdit*>(editor);
        if (!line)
            return;
        std::string name = line->text().toStdString();
        Guarded([&] { form_->TreeEdited(tree_->NodeOf(index), name); });
        model->setData(index, QString::fromStdString(name));
    }

private:
    TFileForm* form_;
    TTreeViewEx* tree_;
};

// The tree's keys, focus changes and context menu requests.
class TTreeEvents : public QObject {
public:
    TTreeEvents(TFileForm* form, TTreeViewEx* tree) : QObject(tree), form_(form), tree_(tree) {}
    bool eventFilter(QObject*, QEvent* event) override {
        switch (event->type()) {
        case QEvent::KeyRelease: {
            auto* key = static_cast<QKeyEvent*>(event);
            uint16_t code = key->key() == Qt::Key_F2 ? VK_F2 : key->key() == Qt::Key_Escape ? VK_ESCAPE : 0;
            if (code)
                Guarded([&] { form_->TreeKeyUp(code); });
            break;
        }
        case QEvent::FocusIn:
            Guarded([this] { form_->TreeEnter(); });
            break;
        case QEvent::FocusOut: {
            // Focus that moves into the tree's own name editor stays in the tree.
            QWidget* focus = QApplication::focusWidget();
            if (!focus || !tree_->isAncestorOf(focus))
                Guarded([this] { form_->TreeExit(); });
            break;
        }
        default:
            break;
        }
        return false;
    }

private:
    TFileForm* form_;
    TTreeViewEx* tree_;
};

}  // namespace

// ---- Wiring

void TFileForm::BindTree() {
    Tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Tree->setItemDelegate(new TTreeNameDelegate(this, Tree));
    Tree->setIndentation(16);
    Tree->setExpandsOnDoubleClick(true);
    // Every row is one line of text: the view need not measure thousands of rows.
    Tree->setUniformRowHeights(true);
    treeEvents_ = new TTreeEvents(this, Tree);
    Tree->installEventFilter(treeEvents_);
    Tree->setContextMenuPolicy(Qt::CustomContextMenu);
    ConnectGuarded(Tree, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        FolderMenuPopup();
        FolderMenu->popup(Tree->viewport()->mapToGlobal(at));
    });
    ConnectGuarded(Tree, &QTreeWidget::itemExpanded, this, [this](TTreeNode* node) {
        bool allow = true;
        TreeExpanding(node, allow);
        if (!allow) {
            const QSignalBlocker quiet(Tree);
            node->setExpanded(false);
            return;
        }
        TreeExpanded();
    });
    ConnectGuarded(Tree, &QTreeWidget::currentItemChanged, this, [this](TTreeNode* node, TTreeNode*) {
        if (!node)
            return;
        TreeChanging(node);
        TreeChange(node);
    });
    ConnectGuarded(Tree, &QTreeWidget::itemClicked, this, [this] { TreeClick(); });
    Tree->OnMouseDown = [this](QMouseEvent* event) {
        treePressY_ = int(event->position().y());
        TreeMouseDown();
    };
    Tree->OnMouseUp = [this](QMouseEvent* event) { TreeMouseUp(int(event->position().y())); };
    Tree->DragDistance = DragStartDistance;
    Tree->OnOleDragNotify = [this](TTreeNode* node) { TreeOleDragNotify(node); };
    DropFolder->SetActive(true);
    Listing->View.RearmTreeNode = [this] {
        if (!TreeShown())
            return;
        TreeBuilding = true;
        if (TTreeNode* node = Tree->currentItem())
            SetNodeWithChild(node, true);
        TreeBuilding = false;
    };

    auto wire = [this](const char* name, void (TFileForm::*handler)(QObject*)) {
        if (auto* item = qobject_cast<QAction*>(FindItem(name)))
            WireMenuItem(this, item, [this, handler](QObject* sender) { (this->*handler)(sender); });
    };
    wire("mnuFolderTree", &TFileForm::mnuFolderTreeClick);
    wire("mnuFolderTreeX", &TFileForm::mnuFolderTreeClick);
    wire("mnuTRename", &TFileForm::mnuTRenameClick);
    for (const char* name : {"mnuTree_ByNameA", "mnuTree_ByNameD", "mnuTree_ByDateA", "mnuTree_ByDateD",
                             "mnuTree_ByFamilyA"})
        wire(name, &TFileForm::mnuTreeSortClick);
    wire("mnuTreeGotoFirst", &TFileForm::mnuTreeGotoFirstClick);
    wire("mnuTreeRebuild", &TFileForm::mnuTreeRebuildClick);
    wire("mnuPropertiesT", &TFileForm::mnuPropertiesTClick);
    btnTreeView->setProperty(PendingProperty, false);
    btnTreeView->setEnabled(true);
    btnTreeView->OnClick = [this](QObject* sender) { mnuFolderTreeClick(sender); };
}

// The properties of the tree's selected folder.
void TFileForm::mnuPropertiesTClick(QObject*) {
    if (TTreeNode* node = Tree->currentItem())
        ShowShellProperties(GetNodePath(node), this);
}

void TFileForm::UnbindTree() {
    QObject::disconnect(Tree, nullptr, this, nullptr);
    Tree->OnMouseDown = Tree->OnMouseUp = nullptr;
    Tree->OnOleDragNotify = nullptr;
    delete treeEvents_;
    treeEvents_ = nullptr;
    // An open name editor commits to a plain delegate, not to the going window.
    QAbstractItemDelegate* named = Tree->itemDelegate();
    Tree->setItemDelegate(new QStyledItemDelegate(Tree));
    delete named;
    Listing->View.RearmTreeNode = nullptr;
    // Detached first, a node's thousands of children go in one sweep.
    ClearTree();
}

bool TFileForm::TreeShown() const { return EControls.Flag(ec::FolderTree); }

// ---- Showing and building

void TFileForm::mnuFolderTreeClick(QObject*) {
    Record("mnuFolderTreeClick");
    TOwnCall own(this);
    Tree->Tag = 0;
    Thumbnailing_Stop();
    TExplorerControls c(EControls);
    const bool show = !c.FolderTree();
    mnuFolderTree->setChecked(show);
    mnuFolderTreeX->setChecked(show);
    btnTreeView->SetDown(show);
    if (!show) {
        c.SetTreeWidth(PanelSide->width());
        c.SetFolderTree(false);
        ClearTree();
        PanelSide->hide();
        NoTreeSync = false;
        return;
    }
    c.SetFolderTree(true);
    int width = std::max(MinTreeWidth, int(c.TreeWidth()));
    if (XL->width() < width)
        width = std::max(MinTreeWidth, LookBox->x());
    PanelSide->show();
    HSplitter->setSizes({width, std::max(1, HSplitter->width() - width)});
    Tree->setIndentation(16);
    TreeInit();
}

void TFileForm::ClearTree() {
    TreeBuilding = true;
    for (int i = 0; i < DriveList->Count(); ++i)
        DriveList->PutObject(i, nullptr);
    while (Tree->topLevelItemCount() > 0)
        delete Tree->takeTopLevelItem(Tree->topLevelItemCount() - 1);
    TreeBuilding = false;
}

void TFileForm::TreeInit() {
    if (!TreeShown() || Listing->Closing)
        return;
    TOwnCall own(this);
    ClearTree();
    TreeBuilding = true;
    for (int i = 2; i < LookBox->ItemCount(); ++i) {
        if (!LookBox->IsDriveItem(i) && !LookBox->IsNetworkItem(i))
            continue;
        const std::string root = LookBox->ItemText(i);
        int index = -1;
        for (int d = 0; d < DriveList->Count() && index < 0; ++d)
            if (DriveList->Get(d) == root)
                index = d;
        if (index < 0)
            continue;
        auto* node = new TFolderNode(Tree, QStringList(QString::fromStdString(LookBox->ItemCaption(i))));
        node->setIcon(0, SystemIcon(LookBox->ItemImage(i)));
        node->setData(0, DataRole, index);
        node->setToolTip(0, QString::fromStdString(root));
        DriveList->PutObject(index, node);
        AddPlaceholder(node);
    }
    Application.ProcessMessages();
    if (!ExploreDir.empty())
        TreePathUpdate();
    TreeBuilding = false;
}

TTreeNode* TFileForm::DriveNode(int DriveIndex) const {
    if (DriveIndex < 0 || DriveIndex >= DriveList->Count())
        return nullptr;
    auto* node = static_cast<TTreeNode*>(DriveList->GetObject(DriveIndex));
    return node && Tree->indexOfTopLevelItem(node) >= 0 ? node : nullptr;
}

std::string TFileForm::GetNodePath(TTreeNode* Node) const {
    if (!Node)
        return "";
    std::string below;
    TTreeNode* top = Node;
    while (top->parent()) {
        below = NodeText(top) + "/" + below;
        top = top->parent();
    }
    const int index = top->data(0, DataRole).toInt();
    const std::string root = index >= 0 && index < DriveList->Count() ? DriveList->Get(index) : std::string();
    return root + below;
}

// ---- Reading sub-folders

void TFileForm::SetNodeWithChild(TTreeNode* Node, bool AddPlaceholderChild) {
    if (!Node)
        return;
    Node->setExpanded(false);
    DeleteChildren(Node);
    if (AddPlaceholderChild)
        AddPlaceholder(Node);
    Node->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
}

TTreeNode* TFileForm::AddFolderNode(TTreeNode* Parent, const std::string& Name, int32_t Date, bool HasSubFolders) {
    auto* node = new TFolderNode(Parent, QStringList(QString::fromStdString(Name)));
    node->setData(0, DataRole, Date);
    node->setFlags(node->flags() | Qt::ItemIsEditable);
    if (HasSubFolders)
        AddPlaceholder(node);
    return node;
}

bool TFileForm::UpdateDriveNode_XP(TTreeNode* Node, const std::string& Path) {
    if (!IsRootPath(Path) && !DirectoryExists(RemoveBackslash(Path)))
        return false;
    std::vector<TSubFolder> subFolders;
    ReadSubFolders(Path, subFolders);
    // Every child shares one icon: the closed folder, the open one while selected.
    QIcon icon = SystemIcon(Listing->FolderIconIndex);
    if (FolderOpenIconIndex >= 0)
        for (const QSize& size : SystemIcon(FolderOpenIconIndex).availableSizes())
            icon.addPixmap(SystemIcon(FolderOpenIconIndex).pixmap(size), QIcon::Selected);
    QList<QTreeWidgetItem*> children;
    children.reserve(qsizetype(subFolders.size()));
    for (const TSubFolder& sub : subFolders) {
        auto* node = new TFolderNode(QStringList(QString::fromStdString(sub.Name)));
        node->setData(0, DataRole, AlbumListing ? int32_t(0) : sub.Date);
        node->setFlags(node->flags() | Qt::ItemIsEditable);
        node->setIcon(0, icon);
        if (sub.HasSubFolders)
            AddPlaceholder(node);
        children.push_back(node);
    }
    Node->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicatorWhenChildless);
    Node->addChildren(children);
    if (!children.isEmpty() || Node->childCount() > 0)
        return true;
    AddPlaceholder(Node);
    Node->setExpanded(false);
    if (!AlbumListing)
        voMessageDlg("", "", kCannotAccessNode, mtWarning, mbOKOnly, AutoDefaultButton, 0);
    return false;
}

// ---- Following the explored folder

void TFileForm::DoTreePathUpdate(QObject* Caller) {
    if (Listing->Closing || Tree->topLevelItemCount() == 0) {
        TreeEndUpdate();
        return;
    }
    TOwnCall own(this);
    Screen.SetCursor(crAppStart);
    TreeBeginUpdate();
    Tree->Tag = 0;
    for (int pass = 1; pass <= 2; ++pass) {
        TTreeNode* node = DriveNode(GetDriveIndex(ExploreDir));
        if (!node) {
            // A network place's share is a root of its own in DriveList.
            for (int i = 0; i < DriveList->Count(); ++i)
                if (ExploreDir.rfind(DriveList->Get(i), 0) == 0 && DriveNode(i) &&
                    (!node || DriveList->Get(i).size() > GetNodePath(node).size()))
                    node = DriveNode(i);
        }
        if (!node)
            break;
        TreeBuilding = true;
        Tree->setCurrentItem(node);
        if (isActiveWindow())
            Tree->setFocus();
        if (Caller != this || pass == 2)
            SetNodeWithChild(node, true);
        bool found = true;
        for (const std::string& name : NamesBelow(ExploreDir, GetNodePath(node))) {
            node->setExpanded(true);
            TTreeNode* child = MatchChild(node, name);
            if (!child) {
                found = false;
                break;
            }
            Tree->setCurrentItem(child);
            node = child;
        }
        if (found)
            break;
    }
    TreeEndUpdate();
    TreeBuilding = false;
    Listing->FoldersSeen = false;
    FolderMonitor_Restart();
    Screen.SetCursor(crDefault);
    if (TTreeNode* selected = Tree->currentItem()) {
        Tree->scrollToItem(selected);
        Tree->SetDropTarget(selected);
    }
}

void TFileForm::CloseDrives(bool All) {
    if (!TreeShown() || Listing->Closing)
        return;
    TreeBuilding = true;
    TTreeNode* explored = ExploreDir.empty() ? nullptr : DriveNode(GetDriveIndex(ExploreDir));
    for (int i = 0; i < Tree->topLevelItemCount(); ++i) {
        TTreeNode* drive = Tree->topLevelItem(i);
        if (All || !explored || drive != explored)
            SetNodeWithChild(drive, true);
    }
    if (!All) {
        NoTreeSync = false;
        Listing->FoldersSeen = false;
    }
    TreeBuilding = false;
}

void TFileForm::TreePathTarget(const std::string& Path) {
    if (Path.empty() || !TreeShown())
        return;
    TTreeNode* node = DriveNode(GetDriveIndex(Path));
    if (!node)
        return;
    for (const std::string& name : NamesBelow(Path, GetNodePath(node))) {
        if (HasPlaceholder(node))
            break;
        TTreeNode* child = MatchChild(node, name);
        if (!child)
            break;
        node = child;
    }
    const bool wasBuilding = TreeBuilding;
    TreeBuilding = true;
    SetNodeWithChild(node, true);
    TreeBuilding = wasBuilding;
}

// ---- The tree's events

void TFileForm::TreeExpanding(TTreeNode* Node, bool& AllowExpansion) {
    if (Tree->Tag == 1) {
        // The click that only selects.
        Tree->Tag = 0;
        AllowExpansion = false;
        return;
    }
    if (ViewBusy || Listing->Closing || !HasPlaceholder(Node))
        return;
    TOwnCall own(this);
    Screen.SetCursor(crHourGlass);
    const std::string path = GetNodePath(Node);
    DeleteChildren(Node);
    if (IsNetworkPlace(path) && !EControls.Flag(ec::NetworkSupport)) {
        Screen.SetCursor(crDefault);
        AllowExpansion = false;
        return;
    }
    const bool wasBuilding = TreeBuilding;
    TreeBuilding = true;
    AllowExpansion = UpdateDriveNode_XP(Node, path);
    TreeBuilding = wasBuilding;
    Screen.SetCursor(crDefault);
}

void TFileForm::TreeExpanded() { Screen.SetCursor(crDefault); }

void TFileForm::TreeChanging(TTreeNode* Node) {
    if (Listing->ListBusy || ViewBusy || TreeNavigating || TreeBuilding || Listing->Risky)
        return;
    TOwnCall own(this);
    FolderMonitor_Terminate();
    TreeNavigating = true;
    Tree->SetDropTarget(Node);
    if (!ExploreDir.empty())
        return;
    // From the drive level a volume opens after a moment, as the list needs it.
    ExploreDir = GetNodePath(Node);
    Application.ProcessMessages();
    Application.ProcessMessages();
    WaitWithEvents(333);
    LookBox->SetFolder(ExploreDir);
    TreeNavigating = false;
}

void TFileForm::TreeChange(TTreeNode* Node) {
    TreeNavigating = false;
    if (!TreeShown() || ViewBusy || Listing->Risky || TreeBuilding)
        return;
    TOwnCall own(this);
    const std::string path = GetNodePath(Node);
    if (path.empty())
        return;
    if (!IsRootPath(path) && IsNetworkPlace(ShellFolderResolve(path)) && !EControls.Flag(ec::NetworkSupport)) {
        // Not followed: the tree goes back to the explored folder.
        TreePathUpdate();
        return;
    }
    Application.ProcessMessages();
    NoTreeSync = true;
    CoreCancel = true;
    FolderMonitor_Terminate();
    const std::string previous = ExploreDir;
    if (Node->parent()) {
        if (ShellFolderExists(path)) {
            std::string previousRoot, root;
            GetPathRoot(previous, previousRoot);
            GetPathRoot(path, root);
            if (previous.empty() || previousRoot != root)
                NoTreeSync = TreeBuilding = false;
            ExploreDir = path;
            LookBox->SetFolder(path);
            return;
        }
        NetworkFolderWarning();
        NoTreeSync = false;
        std::string parent;
        if (!previous.empty())
            GetParentFolder(RemoveBackslash(previous), parent);
        ExploreDir = !parent.empty() && DirectoryExists(RemoveBackslash(parent)) ? IncludeTrailingPathDelimiter(parent)
                                                                                  : HomeFolder();
        TreeBuilding = false;
        if (LookBox->Folder() == ExploreDir)
            LookBoxChange(this);
        else
            LookBox->SetFolder(ExploreDir);
        return;
    }
    if (ShellFolderExists(path)) {
        ExploreDir = path;
        LookBox->SetFolder(path);
        return;
    }
    TreeBuilding = true;
    SetNodeWithChild(Node, true);
    TreeBuilding = false;
    NoTreeSync = false;
    voMessageDlg("", "", kCannotAccessNode, mtWarning, mbOKOnly, AutoDefaultButton, 0);
}

void TFileForm::TreeClick() { Tree->Tag = 1; }

void TFileForm::TreeEnter() {
    if (ViewBusy)
        return;
    if (TTreeNode* selected = Tree->currentItem())
        Tree->SetDropTarget(selected);
}

void TFileForm::TreeMouseDown() {
    TOwnCall own(this);
    Edit_End();
    Thumbnailing_Stop();
}

void TFileForm::TreeMouseUp(int Y) {
    TreeNavigating = false;
    Tree->Tag = 0;
    if (!DropFolder->Active() || Listing->ListBusy || Listing->Risky || ViewBusy)
        return;
    CoreCancel = true;
    Application.ProcessMessages();
    if (TreeDragging) {
        TreeDragging = false;
        return;
    }
    if (std::abs(Y - treePressY_) <= ClickSlack)
        if (TTreeNode* selected = Tree->currentItem())
            Tree->SetDropTarget(selected);
}

void TFileForm::TreeExit() {
    if (Editing)
        Edit_End();
}

void TFileForm::TreeKeyUp(uint16_t& Key) {
    if (Key == VK_F2)
        mnuTRenameClick(this);
    else if (Key == VK_ESCAPE)
        Edit_End();
}

// ---- Dragging a folder out

void TFileForm::TreeOleDragNotify(TTreeNode* Node) {
    if (!Node || !Node->parent() || TreeDragging || Listing->ListBusy || Listing->Risky || ViewBusy ||
        Listing->CoreBusy)
        return;
    TOwnCall own(this);
    FolderMonitor_Terminate();
    Thumbnailing_Stop();
    DragFolderMove(Node);
}

void TFileForm::DragFolderMove(TTreeNode* Node) {
    TOwnCall own(this);
    TreeDragging = true;
    const std::string folder = RemoveBackslash(GetNodePath(Node));
    auto* source = new TDropFileSource;
    source->Files.Add(folder);
    const int effect = DoDragDrop(source, Tree, DROPEFFECT_COPY | DROPEFFECT_MOVE);
    // The folder went elsewhere: its neighbour (or its parent) is shown.
    if (effect == DROPEFFECT_MOVE)
        LeaveExploredNode(Node);
    DropFolder->SetActive(true);
    TreeDragging = false;
}

// ---- Renaming

bool TFileForm::CanApplyFileOpToNode() const {
    TTreeNode* node = Tree->currentItem();
    if (!node || !node->parent())
        return false;
    const std::string path = GetNodePath(node);
    if (path != ExploreDir || IsRootPath(path))
        return false;
    const int drive = GetDriveIndex(path);
    if (drive < 0 || drive >= DriveList->Count() || DriveList->GetData(drive) == DriveOptical)
        return false;
    return ::access(path.c_str(), W_OK) == 0;
}

void TFileForm::FolderMenuPopup() {
    const bool fileOps = CanApplyFileOpToNode();
    for (const char* name : {"mnuTMove", "mnuTCopy", "mnuTRename", "mnuTDelete", "mnuTreeSort", "mnuFolderFindText",
                             "mnuTreeGotoFirst"})
        if (auto* item = qobject_cast<QAction*>(FindItem(name)))
            item->setVisible(fileOps);
    // The separators before and after the file operations.
    int separators = 0;
    for (QAction* action : FolderMenu->actions())
        if (action->isSeparator() && separators++ < 2)
            action->setVisible(fileOps);
}

void TFileForm::mnuTRenameClick(QObject*) {
    if (!CanApplyFileOpToNode())
        return;
    TTreeNode* node = Tree->currentItem();
    treeOldName_ = NodeText(node);
    Tree->editItem(node);
}

void TFileForm::TreeEditing(TTreeNode*, bool& AllowEdit) {
    if (Editing) {
        // A name of the list is being edited.
        AllowEdit = false;
        return;
    }
    TOwnCall own(this);
    Edit_Start();
    Thumbnailing_Stop();
    FolderMonitor_Terminate();
}

void TFileForm::TreeValidateItemName(const std::string& Parent, const std::string& OldName, std::string& NewName) {
    TOwnCall own(this);
    RenameChecked(Parent, OldName, NewName);
}

void TFileForm::TreeEdited(TTreeNode* Node, std::string& NewName) {
    TOwnCall own(this);
    DropFolder->SetActive(false);
    Application.ProcessMessages();
    const std::string oldName = Node ? NodeText(Node) : treeOldName_;
    const std::string parent = Node && Node->parent() ? GetNodePath(Node->parent()) : std::string();
    if (!parent.empty())
        TreeValidateItemName(parent, oldName, NewName);
    else
        NewName = oldName;
    if (NewName != oldName && DirectoryExists(parent + NewName)) {
        ++Listing->SkipNextListing;
        ExploreDir = IncludeTrailingPathDelimiter(parent + NewName);
        LookBox->SetFolder(ExploreDir);
        Application.ProcessMessages();
        Application.ProcessMessages();
    } else {
        NewName = oldName;
    }
    Listing->SkipNextListing = 0;
    NoTreeSync = true;
    TreeNavigating = false;
    FolderMonitor_Restart();
    Application.ProcessMessages();
    Application.ProcessMessages();
    DropFolder->SetActive(true);
    Edit_End();
}

// ---- "Arrange by", "Go to first", "Rebuild"

void TFileForm::mnuTreeSortClick(QObject* Sender) {
    TTreeNode* selected = Tree->currentItem();
    TTreeNode* parent = selected ? selected->parent() : nullptr;
    if (!parent)
        return;
    const QObject* item = Sender;
    TTreeSortKey key = TTreeSortKey::NameAscending;
    if (item == FindItem("mnuTree_ByNameD"))
        key = TTreeSortKey::NameDescending;
    else if (item == FindItem("mnuTree_ByDateA"))
        key = TTreeSortKey::DateAscending;
    else if (item == FindItem("mnuTree_ByDateD"))
        key = TTreeSortKey::DateDescending;
    else if (item == FindItem("mnuTree_ByFamilyA"))
        key = TTreeSortKey::Family;
    std::vector<TTreeSortEntry> entries;
    for (int i = 0; i < parent->childCount(); ++i)
        entries.push_back({NodeText(parent->child(i)), parent->child(i)->data(0, DataRole).toInt()});
    const std::vector<int> order = TreeSortOrder(entries, key);
    for (size_t rank = 0; rank < order.size(); ++rank)
        parent->child(order[rank])->setData(0, RankRole, int(rank));
    TreeBeginUpdate();
    TreeBuilding = true;
    parent->sortChildren(0, Qt::AscendingOrder);
    TreeBuilding = false;
    TreeEndUpdate();
}

void TFileForm::mnuTreeGotoFirstClick(QObject*) {
    TTreeNode* selected = Tree->currentItem();
    if (!selected || !selected->parent() || selected->parent()->childCount() == 0 || ExploreDir.empty())
        return;
    std::string parent;
    GetParentFolder(RemoveBackslash(ExploreDir), parent);
    const std::string first = IncludeTrailingPathDelimiter(IncludeTrailingPathDelimiter(parent) +
                                                           NodeText(selected->parent()->child(0)));
    if (!DirectoryExists(RemoveBackslash(first)))
        return;
    ExploreDir = first;
    LookBox->SetFolder(first);
}

void TFileForm::mnuTreeRebuildClick(QObject*) { DoTreePathUpdate(qApp); }

}  // namespace lumvor
