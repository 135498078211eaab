// The explorer's file operations: copy and move, delete and recycle, rename,
// new folders, drops onto the list and the tree, drags out of the list, the
// selection commands, the refresh and the states of the file menu.
//
// Every change on disk goes through the window's file operation component
// StFileOpX and so through the program's one file-operation engine: copies
// and moves never overwrite (a taken name gives the newcomer a free one), a
// move onto another volume deletes a source only after its copy was read back
// and compared, a rename never replaces an existing item, and deletions
// without Shift go to the trash. The folder monitor is stopped before every
// change and restarted after it, so the window's own changes do not come back
// as outside changes; the list is brought up to date once, at the end.
#include "explorer/xplr8900.h"

#include "state/ViewerState.h"
#include "state/ImageWindowSeam.h"
#include "state/ExplorerSettings.h"
#include "explorer/FolderListing.h"
#include "explorer/FolderTree.h"
#include "explorer/ThumbFiles.h"
#include "explorer/ThumbMakers.h"
#include "imaging/AvlScript.h"
#include "imaging/FileRec.h"
#include "imaging/Helpers.h"
#include "platform/ComCtrls.h"
#include "platform/FileOps.h"
#include "platform/Forms.h"
#include "platform/Menus.h"
#include "platform/SysUtils.h"
#include "ui/StFileOp.h"
#include "ui/DragDrop.h"
#include "ui/LookBoxEx.h"
#include "ui/MenuItems.h"
#include "ui/ToolBarEx.h"
#include "ui/TreeViewEx.h"
#include "ui/VListShowEx.h"
#include "ui/voMsgBox.h"
#include "ui/walk8900.h"

#include <QAbstractItemView>
#include <QGuiApplication>
#include <QMenu>
#include <QShortcut>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <functional>

namespace lumvor {

using namespace xplr8900;

namespace {

const char* const kSameFolders = "Source (or parent) and destination folders are the same.";
const char* const kYesToAllNote = "[Yes to All] avoids this dialog (for experts).";
// The longer pictures-and-media list of the web page writer; the plain one is
// the slide listing's.
const char* const kWebMediaExtensions =
    ".JPG.JPEG.PNG.DCX.PCX.BMP.DIB.TIF.TGA.PCD.PSD.FPX.GIF.AVI.MPG.M1V.MPE.MPEG.MPV.M2V.WMV.ASF.QT.MOV.RM.MKV.MP4.WAV."
    "MP2.MP3.MPA.AIF.AIFF.AIFX.MID.RMI.AU.SND.RA.WMA.RMI.APE.FLAC.M4A.OGG.RA.RM.QT.MOV.RAM";
const char* const kShortMediaExtensions = ".AU.RA.RM.QT";

bool Exists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

// A folder itself, not a link to one.
bool IsRealFolder(const std::string& path) {
    struct stat st {};
    return ::lstat(RemoveBackslash(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string WithoutSlash(const std::string& path) {
    std::string p = path;
    while (p.size() > 1 && p.back() == '/') p.pop_back();
    return p;
}

// Whether Path is Folder or lies below it, by whole path components.
bool IsSameOrInside(const std::string& path, const std::string& folder) {
    const std::string p = WithoutSlash(path), f = WithoutSlash(folder);
    if (p == f) return true;
    const std::string prefix = f == "/" ? f : f + "/";
    return p.compare(0, prefix.size(), prefix) == 0;
}

// A move of Source into Destination that leaves it where it is or puts a
// folder into itself.
bool MoveGoesNowhere(const std::string& source, const std::string& destination) {
    const std::string s = WithoutSlash(source);
    return WithoutSlash(ExtractFilePath(s)) == WithoutSlash(destination) || IsSameOrInside(destination, s);
}

// Shift held now: it turns a copy into a move and recycling into deleting.
bool ShiftHeldNow() {
    const Qt::KeyboardModifiers keys = KeyboardState ? KeyboardState() : QGuiApplication::queryKeyboardModifiers();
    return keys.testFlag(Qt::ShiftModifier);
}

void Warn(const std::string& text) { voMessageDlg("", "", text, mtWarning, mbOKOnly, AutoDefaultButton, 0); }

// Enables an item or button whose command exists; pending ones stay as they are.
void SetCommandEnabled(QObject* command, bool enabled) {
    if (!command || command->property(PendingProperty).toBool()) return;
    if (auto* action = qobject_cast<QAction*>(command))
        action->setEnabled(enabled);
    else if (auto* widget = qobject_cast<QWidget*>(command))
        widget->setEnabled(enabled);
}

}  // namespace

// ---- Wiring

void TFileForm::BindFileOps() {
    StFileOpX->ConfirmFiles = false;
    auto wire = [this](const char* name, void (TFileForm::*handler)(QObject*)) {
        if (auto* item = qobject_cast<QAction*>(FindItem(name)))
            WireMenuItem(this, item, [this, handler](QObject* sender) { (this->*handler)(sender); });
    };
    for (const char* name : {"mnuFCopy", "mnuFMove", "mnuTCopy"})
        wire(name, &TFileForm::mnuFMoveClick);
    wire("mnuTMove", &TFileForm::mnuTMoveClick);
    for (const char* name : {"mnuFDelete", "mnuFRecycle"})
        wire(name, &TFileForm::mnuFDeleteClick);
    wire("mnuTDelete", &TFileForm::mnuTDeleteClick);
    // "[Recycle]" stays hidden, and a hidden item hears no keys: its Shift+Delete
    // is the window's own.
    auto* recycleKey = new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_Delete), this);
    ConnectGuarded(recycleKey, &QShortcut::activated, this, [this] { mnuFDeleteClick(FindItem("mnuFRecycle")); });
    wire("mnuFRename", &TFileForm::mnuFRenameClick);
    for (const char* name : {"mnuAddExt", "mnuDatename"})
        wire(name, &TFileForm::mnuAddExtClick);
    for (const char* name : {"mnuNewfolder", "mnuNewfolderT"})
        wire(name, &TFileForm::mnuNewfolderClick);
    wire("mnuSelectAll", &TFileForm::mnuSelectAllClick);
    wire("mnuSelectAllFiles", &TFileForm::mnuSelectAllFilesClick);
    wire("mnuSelectAllImages", &TFileForm::mnuSelectAllImagesClick);
    wire("mnuInvertSelection", &TFileForm::mnuInvertSelectionClick);
    wire("mnuRefresh", &TFileForm::mnuRefreshClick);
    for (TToolButtonEx* button : {btnCopyX, btnDeleteX}) {
        button->setProperty(PendingProperty, false);
        button->setEnabled(true);
    }
    btnCopyX->OnClick = [this](QObject* sender) { mnuFMoveClick(sender); };
    btnDeleteX->OnClick = [this](QObject* sender) { mnuFDeleteClick(sender); };

    // The file menu's states follow the selection whenever a menu opens.
    ConnectGuarded(mnuFileX->menu(), &QMenu::aboutToShow, this, [this] { FileMenuPopup(); });
    XL->setContextMenuPolicy(Qt::CustomContextMenu);
    ConnectGuarded(XL, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        FileMenuPopup();
        FileMenu->popup(XL->mapToGlobal(at));
    });

    // Both drop targets hand their events to the window's handlers of the same shape.
    using TOver = void (TFileForm::*)(int, TPoint, int&);
    using TExit = void (TFileForm::*)(QObject*);
    using TDrop = void (TFileForm::*)(int&, TPoint);
    auto bind = [this](TDropTargetEx* target, TOver enter, TOver over, void (TFileForm::*leave)(), TExit exit,
                       TDrop drop) {
        target->OnDragEnter = [this, enter](const QMimeData*, int keys, TPoint pt, int& effect) {
            (this->*enter)(keys, pt, effect);
        };
        target->OnDragOver = [this, over](int keys, TPoint pt, int& effect) { (this->*over)(keys, pt, effect); };
        target->OnDragLeave = [this, leave] { (this->*leave)(); };
        target->OnDragExit = [this, exit](QObject* sender) { (this->*exit)(sender); };
        target->OnDrop = [this, drop](const QMimeData*, int, TPoint pt, int& effect) { (this->*drop)(effect, pt); };
    };
    bind(DropFiles, &TFileForm::DropFilesDragEnter, &TFileForm::DropFilesDragOver, &TFileForm::DropFilesDragLeave,
         &TFileForm::DropFilesDragExit, &TFileForm::DropFilesDrop);
    DropFiles->SetEffects(DropSet(drCopy) | DropSet(drMove) | DropSet(drLink));
    DropFiles->SetActive(true);
    bind(DropFolder, &TFileForm::DropFolderDragEnter, &TFileForm::DropFolderDragOver, &TFileForm::DropFolderDragLeave,
         &TFileForm::DropFolderDragExit, &TFileForm::DropFolderDrop);
    DropFolder->SetEffects(DropSet(drCopy) | DropSet(drMove));
    XL->OnOleDragNotify = [this](QObject* sender) { XLOleDragNotify(sender); };
    Listing->View.FileMenuPopup = [this] { FileMenuPopup(); };

    // Code 41 runs a drop kept for later with its list, code and destination.
    MessageActions[41] = [this] {
        if (DropDestination.empty() || FileOpSources.Count() == 0) return;
        TStringList sources;
        sources.Assign(FileOpSources);
        const std::string destination = DropDestination;
        DropDestination.clear();
        RunFileOperation(sources, FileOpCode, destination);
        FileOpSources.Clear();
        PostExplorerMessage(10);
    };
}

// ---- Paths of the selection

void TFileForm::SelectedPaths(TStrings& Paths, bool LastFirst) const {
    Paths.Clear();
    std::vector<int> rows = XL->SelectedRows();
    if (LastFirst) std::reverse(rows.begin(), rows.end());
    for (int row : rows) {
        const std::string path = Listing->GetItemPath(row);
        if (!path.empty()) Paths.Add(RemoveBackslash(path));
    }
}

int TFileForm::RowAtScreenPoint(TPoint pt) const {
    QAbstractItemView* view = XL->View();
    if (!view) return -1;
    const QModelIndex index = view->indexAt(view->viewport()->mapFromGlobal(QPoint(pt.X, pt.Y)));
    return index.isValid() ? index.row() : -1;
}

// ---- Copy and move

void TFileForm::mnuTMoveClick(QObject*) { mnuFMoveClick(FindItem("mnuTMove")); }

void TFileForm::mnuFMoveClick(QObject* Sender) {
    if (FileOpBusy || Listing->DrivesView) return;
    TOwnCall own(this);
    ShiftState = ShiftHeldNow();
    const bool treeCommand = Sender == FindItem("mnuTCopy") || Sender == FindItem("mnuTMove");
    if (treeCommand && !CanApplyFileOpToNode()) return;
    FileOpBusy = true;
    DropFolder->SetActive(false);
    Thumbnailing_Stop();
    FolderMonitor_Terminate();
    auto finish = [this] {
        DropFolder->SetActive(true);
        FileOpBusy = false;
        Thumbnailing_Resume();
        FolderMonitor_Restart();
    };
    const std::string initial =
        !LastDestination.empty() && DirectoryExists(RemoveBackslash(LastDestination)) ? LastDestination : ExploreDir;

    const std::string treeFolder = treeCommand ? GetNodePath(Tree->currentItem()) : std::string();
    std::string destination;
    int code = OpCopy;
    if (DropDestination.empty()) {
        const bool copyCommand = Sender == btnCopyX || Sender == FindItem("mnuFCopy") || Sender == FindItem("mnuTCopy");
        code = ShiftState || !copyCommand ? OpMove : OpCopy;
        if (Sender == FindItem("mnuTMove")) XL->SetSelected(nullptr);
        const int count = treeCommand ? 1 : XL->SelCount();
        if (count == 0) return finish();
        std::string what;
        if (treeCommand)
            what = " \"" + ExtractFileName(RemoveBackslash(treeFolder)) + "\" to ";
        else if (count == 1)
            what = " \"" + ExtractFileName(RemoveBackslash(Listing->GetItemPath(XL->SelectedRows().front()))) + "\" to ";
        else
            what = " " + std::to_string(count) + " items to ";
        const std::string caption = std::string(code == OpMove ? "Move" : "Copy") + what;
        if (!ExecuteWalkForm(code == OpMove ? 2 : 1, caption, initial) || walk8900::WalkFolder.empty())
            return finish();
        destination = IncludeTrailingPathDelimiter(walk8900::WalkFolder);
    } else {
        destination = IncludeTrailingPathDelimiter(DropDestination);
        DropDestination.clear();
    }

    const std::string parentOfExplored = ExtractFilePath(RemoveBackslash(ExploreDir));
    if (WithoutSlash(destination) == WithoutSlash(ExploreDir) ||
        (treeCommand && WithoutSlash(destination) == WithoutSlash(parentOfExplored))) {
        Warn(kSameFolders);
        return finish();
    }
    LastDestination = destination;
    TStringList sources;
    if (treeCommand) {
        sources.Add(RemoveBackslash(treeFolder));
    } else {
        SelectedPaths(sources, false);
        if (sources.Count() == 0) return finish();
        for (int i = 0; i < sources.Count(); ++i)
            if (IsRealFolder(sources[i])) TreeChanged = true;
    }
    FileOpSources.Assign(sources);
    const bool ran = RunFileOperation(sources, code, destination);
    FileOpSources.Clear();
    if (treeCommand) {
        TreeAfterFolderOp(sources[0], destination, code == OpMove && !Exists(sources[0]));
    } else {
        RemoveDeletedItems(true);
        PostExplorerMessage(10);
    }
    if (ran || Exists(destination)) AddVisitedFolder(destination);
    finish();
}

bool TFileForm::RunFileOperation(const TStrings& Sources, int Code, const std::string& Destination) {
    if (Sources.Count() == 0 || Destination.empty()) return false;
    const bool copy = Code == OpCopy;
    if (!copy) {
        for (int i = 0; i < Sources.Count(); ++i) {
            if (MoveGoesNowhere(Sources[i], Destination)) {
                Warn(kSameFolders);
                return false;
            }
        }
    }
    StFileOpX->Operation = copy ? fopCopy : fopMove;
    StFileOpX->Options = foNoConfirmation | foRenameCollision;
    StFileOpX->SetSourceFiles(Sources);
    StFileOpX->SetDestination(Destination);
    bool ran = false;
    try {
        ran = StFileOpX->Execute();
    } catch (const EStFileOpError& e) {
        Warn(e.Message());
    }
    bool folders = false;
    for (int i = 0; i < Sources.Count() && !folders; ++i)
        folders = IsRealFolder(copy ? Sources[i] : IncludeTrailingPathDelimiter(Destination) + ExtractFileName(Sources[i]));
    if (folders && TreeShown()) {
        TreePathTarget(IncludeTrailingPathDelimiter(Destination));
        Application.ProcessMessages();
    }
    return ran;
}

void TFileForm::TreeAfterFolderOp(const std::string& Source, const std::string& Destination, bool Moved) {
    if (!TreeShown()) return;
    if (Moved) {
        LeaveExploredNode(Tree->currentItem());
        return;
    }
    TTreeNode* node = Tree->currentItem();
    const int destinationDrive = GetDriveIndex(Destination);
    if (destinationDrive != GetDriveIndex(Source) || (node && node->childCount() == 0)) {
        TreeBuilding = true;
        SetNodeWithChild(DriveNode(destinationDrive), true);
        TreeBuilding = false;
    } else {
        TreePathTarget(Destination);
    }
}

void TFileForm::LeaveExploredNode(TTreeNode* Node) {
    if (!Node || !Node->parent()) return;
    TTreeNode* parent = Node->parent();
    const int at = parent->indexOfChild(Node);
    TTreeNode* target = at > 0 ? parent->child(at - 1) : parent;
    ExploreDir = GetNodePath(target);
    TreeBuilding = true;
    delete Node;
    TreeBuilding = false;
    CloseDrives(true);
    LookBox->SetFolder(ExploreDir);
}

// ---- Delete and recycle

void TFileForm::mnuFDeleteClick(QObject* Sender) {
    if (Editing) {
        // The key belongs to the name being edited.
        Editing = false;
        return;
    }
    if (FileOpBusy || Listing->DrivesView) return;
    TOwnCall own(this);
    ShiftState = ShiftHeldNow() || Sender == FindItem("mnuFRecycle");
    Thumbnailing_Stop();
    FolderMonitor_Terminate();
    TStringList sources;
    SelectedPaths(sources, true);
    bool folders = false;
    for (int i = 0; i < sources.Count() && !folders; ++i) folders = IsRealFolder(sources[i]);
    int code = OpDelete;
    if (folders) {
        auto* remembered = static_cast<TMenuItem*>(FindItem("mnuFDelete"));
        if (remembered->Tag != 1) {
            const int answer = voMessageDlg("", "Folder(s) selected for deletion.",
                                            std::string("Recycle folder(s)?\n\n") + kYesToAllNote, mtConfirmation,
                                            mbYesNoYesToAll, mbNo, 0);
            if (answer != mrYes && answer != mrYesToAll) {
                FolderMonitor_Restart();
                return;
            }
            if (answer == mrYesToAll) remembered->Tag = 1;
        }
        code |= FolderConfirmed;
    }
    if (sources.Count() > 0) {
        FileOpBusy = true;
        Screen.SetCursor(crHourGlass);
        DeleteItems(sources, code, "");
        Screen.SetCursor(crDefault);
        FileOpBusy = false;
    }
    FileMenuPopup();
    FolderMonitor_Restart();
}

void TFileForm::mnuTDeleteClick(QObject*) {
    if (FileOpBusy || !CanApplyFileOpToNode()) return;
    TOwnCall own(this);
    ShiftState = ShiftHeldNow();
    const std::string folder = RemoveBackslash(GetNodePath(Tree->currentItem()));
    auto* remembered = static_cast<TMenuItem*>(FindItem("mnuTDelete"));
    if (remembered->Tag != 1) {
        const std::string caption = std::string(ShiftState ? "Delete " : "Recycle ") + " folder";
        const int answer = voMessageDlg("", caption, ExtractFileName(folder) + "\n\n" + kYesToAllNote,
                                        mtConfirmation, mbYesNoYesToAll, mbNo, 0);
        if (answer != mrYes && answer != mrYesToAll) return;
        if (answer == mrYesToAll) remembered->Tag = 1;
    }
    Thumbnailing_Stop();
    FolderMonitor_Terminate();
    TStringList sources;
    sources.Add(folder);
    FileOpBusy = true;
    Screen.SetCursor(crHourGlass);
    DeleteItems(sources, OpDelete | FolderConfirmed | (ShiftState ? 0 : TreeNoShift), ExploreDir);
    Screen.SetCursor(crDefault);
    FileOpBusy = false;
    FolderMonitor_Restart();
}

void TFileForm::DeleteItems(const TStrings& Sources, int Code, const std::string& Folder) {
    if (Sources.Count() == 0) return;
    FileOpCode = Code;
    bool folders = false;
    for (int i = 0; i < Sources.Count() && !folders; ++i) folders = IsRealFolder(Sources[i]);
    const bool treeYesToAll = static_cast<TMenuItem*>(FindItem("mnuTDelete"))->Tag == 1;
    TStFileOpOptions options = 0;
    if (Code & FolderConfirmed) {
        if (!ShiftState)
            options = foAllowUndo | foNoConfirmation | foSimpleProgress;
        else if (treeYesToAll && folders)
            options = foSimpleProgress;  // the component asks before deleting for good
        else
            options = foNoConfirmation | foSimpleProgress;
    } else {
        options = ShiftState ? 0 : foAllowUndo;
        if (!EControls.Flag(ec::ConfirmDeletions)) options |= foNoConfirmation;
    }
    StFileOpX->Operation = fopDelete;
    StFileOpX->Options = options;
    StFileOpX->SimpleText = options & foAllowUndo ? "Recycling ..." : "Deleting ...";
    StFileOpX->SetSourceFiles(Sources);
    StFileOpX->SetDestination("");
    try {
        StFileOpX->Execute();
    } catch (const EStFileOpError& e) {
        Warn(e.Message());
    }
    StFileOpX->SimpleText.clear();
    if (!folders) {
        RemoveDeletedItems(true);
        return;
    }
    if (Folder.empty()) {
        RemoveDeletedItems(true);
        LookBoxChange(this);
        if (Listing->View.RearmTreeNode) Listing->View.RearmTreeNode();
        return;
    }
    // The tree's delete took the explored folder: its neighbour is explored.
    if (!Exists(RemoveBackslash(Folder))) LeaveExploredNode(Tree->currentItem());
}

void TFileForm::RemoveDeletedItems(bool CheckExistence) {
    const std::vector<int> selected = XL->SelectedRows();
    std::vector<int> rows;
    if (selected.size() == 1) {
        TVListItem* focused = XL->ItemFocused();
        rows.push_back(focused ? focused->Index() : selected.front());
    } else {
        rows = selected;
    }
    std::vector<int> gone;
    for (int row : rows) {
        FileRec rec;
        if (!Listing->RowRec(row, rec)) continue;
        const std::string path = RemoveBackslash(Listing->GetItemPath(row));
        if (CheckExistence && Exists(path)) continue;
        gone.push_back(row);
    }
    if (gone.empty()) return;
    ListBeginUpdate();
    XL->SetSelected(nullptr);
    Listing->RemoveRows(gone);
    // The rows that stayed keep their selection at their new places.
    int removedBefore = 0;
    size_t next = 0;
    for (int row : selected) {
        while (next < gone.size() && gone[next] < row) {
            ++removedBefore;
            ++next;
        }
        if (next < gone.size() && gone[next] == row) continue;
        XL->SelectRows(row - removedBefore, row - removedBefore, true);
    }
    ListEndUpdate();
    UpdateStatusBar();
}

// ---- Rename and new folder

void TFileForm::mnuFRenameClick(QObject*) {
    if (Listing->DrivesView || XL->SelCount() == 0 || FileOpBusy) return;
    TOwnCall own(this);
    const std::vector<int> rows = XL->SelectedRows();
    if (rows.size() >= 3) {
        std::vector<std::string> paths;
        std::string extension;
        bool oneKind = true;
        for (int row : rows) {
            const std::string path = RemoveBackslash(Listing->GetItemPath(row));
            const std::string ext = LowerCase(ExtractFileExt(path));
            if (IsRealFolder(path) || (!paths.empty() && ext != extension)) {
                oneKind = false;
                break;
            }
            extension = ext;
            paths.push_back(path);
        }
        if (oneKind) {
            HandFilesToBatchCommand(paths, "mnuBatchRename1Click");
            return;
        }
    }
    EditFocusedLabel(rows);
}

// "Add extension" and "Date name": three or more selected files go to the
// image window's batch command; fewer start the focused name's edit.
void TFileForm::mnuAddExtClick(QObject* Sender) {
    if (Listing->DrivesView || XL->SelCount() == 0 || FileOpBusy) return;
    TOwnCall own(this);
    const std::vector<int> rows = XL->SelectedRows();
    std::vector<std::string> files;
    for (int row : rows) {
        const std::string path = RemoveBackslash(Listing->GetItemPath(row));
        if (!IsRealFolder(path)) files.push_back(path);
    }
    if (files.size() >= 3) {
        const bool dateName = Sender && Sender->objectName() == "mnuDatename";
        HandFilesToBatchCommand(files, dateName ? "mnuDateNameClick" : "mnuAddExtClick");
        return;
    }
    EditFocusedLabel(rows);
}

// The paths keep their case: on Linux another case names another file.
void TFileForm::HandFilesToBatchCommand(const std::vector<std::string>& Paths, const std::string& Command) {
    AvlLines.Clear();
    for (const std::string& path : Paths) AvlLines.Add(path);
    if (lumv8900::ImageWindow) {
        lumv8900::ImageWindow->Form().show();
        lumv8900::ImageWindow->Form().setEnabled(true);
    }
    FolderMonitor_Terminate();
    HandOff(Command, "");
}

// Starts the label edit of the focused item when it is selected, else of the
// first selected one.
void TFileForm::EditFocusedLabel(const std::vector<int>& SelectedRows) {
    TVListItem* item = XL->ItemFocused();
    if (!item || !std::binary_search(SelectedRows.begin(), SelectedRows.end(), item->Index()))
        item = XL->Items()->Item(SelectedRows.front());
    FileRec rec;
    if (!item || !Listing->RowRec(item->Index(), rec)) return;
    OldItemName = std::string(rec.Name());
    item->EditCaption();
}

bool TFileForm::RenameChecked(const std::string& Folder, const std::string& OldName, std::string& NewName) {
    Thumbnailing_Stop();
    if (NewName == OldName) return false;
    if (HasIllegalNameCharacters(NewName)) {
        Warn("Illegal characters in name.\nPlease avoid using the following characters.\n\n \\ / : * ? \" < > |");
        NewName = OldName;
        return false;
    }
    // An empty name, "." and ".." name nothing.
    if (NewName.empty() || NewName == "." || NewName == "..") {
        NewName = OldName;
        return false;
    }
    const std::string folder = IncludeTrailingPathDelimiter(Folder);
    if (Exists(folder + NewName)) {
        Warn(NewName + "\n" + "already used.");
        NewName = OldName;
        return false;
    }
    StFileOpX->Operation = fopRename;
    StFileOpX->Options = foNoConfirmation | foSilent | foNoErrorUI;
    StFileOpX->SourceFiles().Clear();
    StFileOpX->SourceFiles().Add(folder + OldName + "=" + folder + NewName);
    StFileOpX->SetDestination(Folder);
    Screen.SetCursor(crHourGlass);
    bool renamed = false;
    try {
        // The engine refuses a target that appeared meanwhile.
        renamed = StFileOpX->Execute();
    } catch (const EStFileOpError&) {
        renamed = false;
    }
    Screen.SetCursor(crDefault);
    if (!renamed) NewName = OldName;
    return renamed;
}

void TFileForm::ValidateItemName(const std::string& Folder, std::string& NewName) {
    // A Windows shortcut keeps its extension.
    const std::string oldExt = ExtractFileExt(OldItemName);
    if (UpperCase(oldExt) == ".LNK" && UpperCase(ExtractFileExt(NewName)) != ".LNK" && !NewName.empty() &&
        NewName != OldItemName)
        NewName += oldExt;
    RenameChecked(Folder, OldItemName, NewName);
}

void TFileForm::mnuNewfolderClick(QObject*) {
    if (Listing->DrivesView || FileOpBusy || ExploreDir.empty()) return;
    TOwnCall own(this);
    auto change = std::move(XL->OnChange);
    XL->OnChange = nullptr;
    FolderMonitor_Terminate();
    Thumbnailing_Stop();
    Application.ProcessMessages();
    const std::string name = TWalkForm::ProposeFolderName(ExploreDir);
    const bool made = ::mkdir((ExploreDir + name).c_str(), 0777) == 0;
    const int row = made ? Listing->AppendEntry(ExploreDir + name) : -1;
    XL->OnChange = std::move(change);
    if (row < 0) {
        FolderMonitor_Restart();
        return;
    }
    if (TreeShown() && Listing->View.RearmTreeNode) Listing->View.RearmTreeNode();
    XL->SetSelected(nullptr);
    TVListItem* item = XL->Items()->Item(row);
    if (!item) return;
    item->SetFocused(true);
    item->SetSelected(true);
    item->MakeVisible();
    OldItemName = name;
    item->EditCaption();
    FolderMonitor_Restart();
}

// ---- Drops onto the list

void TFileForm::DropFilesDragEnter(int grfKeyState, TPoint pt, int& dwEffect) {
    DropFilesDragOver(grfKeyState, pt, dwEffect);
}

void TFileForm::DropFilesDragOver(int, TPoint pt, int&) {
    if (Dragging) return;
    const int row = RowAtScreenPoint(pt);
    if (row == DropHoverRow) return;
    DropHoverRow = row;
    XL->SetDropTarget(row >= 0 ? XL->Items()->Item(row) : nullptr);
}

void TFileForm::DropFilesDragLeave() {
    DropHoverRow = -1;
    XL->SetDropTarget(nullptr);
    DropFiles->SetActive(true);
    UpdateStatusBar();
    if (TTreeNode* selected = Tree->currentItem()) Tree->SetDropTarget(selected);
}

void TFileForm::DropFilesDragExit(QObject*) { DropFilesDragLeave(); }

void TFileForm::DropFilesDrop(int& dwEffect, TPoint pt) {
    if (Dragging || dwEffect == DROPEFFECT_NONE || FileOpBusy) return;
    TOwnCall own(this);
    std::string destination = IncludeTrailingPathDelimiter(LookBox->Folder().empty() ? ExploreDir : LookBox->Folder());
    const int row = RowAtScreenPoint(pt);
    FileRec rec;
    if (row >= 0 && Listing->RowRec(row, rec) && rec.State() == fsFolder)
        destination = IncludeTrailingPathDelimiter(Listing->GetItemPath(row));
    TStringList files;
    files.Assign(DropFiles->Files);
    DropOnto(files, dwEffect, destination, true);
}

void TFileForm::DropOnto(const TStrings& Files, int Effect, const std::string& Destination, bool Reread) {
    if (Files.Count() == 0) return;
    FileOpBusy = true;
    DropFiles->SetActive(false);
    DropFolder->SetActive(false);
    FileOpCode = Effect == DROPEFFECT_COPY ? OpCopy : OpMove;
    FileOpSources.Assign(Files);
    Thumbnailing_Stop();
    FolderMonitor_Terminate();
    if (Effect == DROPEFFECT_LINK) {
        CreateDropLinks(Files);
    } else {
        Screen.SetCursor(crHourGlass);
        RunFileOperation(FileOpSources, FileOpCode, Destination);
        Screen.SetCursor(crDefault);
    }
    FileOpSources.Clear();
    DropFiles->SetActive(true);
    DropFolder->SetActive(true);
    Dragging = false;
    FileOpBusy = false;
    if (Effect != DROPEFFECT_LINK) {
        DropHoverRow = -1;
        XL->SetDropTarget(nullptr);
    }
    if (Reread) {
        Listing->ForceNewFiles = true;
        PostExplorerMessage(10);
    }
    if (Effect == DROPEFFECT_LINK) {
        for (int pass = 0; pass < 3; ++pass) Application.ProcessMessages();
        ExplorerDirty = true;
    }
    FolderMonitor_Restart();
}

// Links always go into the explored folder, named "Shortcut to " + the item's
// name (a taken name gets a free one); the target's extension stays, so the
// link opens like its target.
void TFileForm::CreateDropLinks(const TStrings& Files) {
    const std::string folder = IncludeTrailingPathDelimiter(ExploreDir);
    for (int i = 0; i < Files.Count(); ++i) {
        const std::string target = RemoveBackslash(Files[i]);
        if (target.empty() || target[0] != '/') continue;
        std::string link = folder + "Shortcut to " + ExtractFileName(target);
        if (Exists(link)) link = FreeTargetName(link);
        if (::symlink(target.c_str(), link.c_str()) != 0) continue;
        Listing->AppendEntry(link);
    }
}

// ---- Drops onto the tree

void TFileForm::DropFolderDragEnter(int grfKeyState, TPoint pt, int& dwEffect) {
    DropFolderDragOver(grfKeyState, pt, dwEffect);
}

void TFileForm::DropFolderDragOver(int, TPoint pt, int&) {
    if (FileOpBusy) return;
    TTreeNode* node = Tree->itemAt(Tree->viewport()->mapFromGlobal(QPoint(pt.X, pt.Y)));
    if (!node) return;
    DropHoverNode = node;
    Tree->SetDropTarget(node);
}

void TFileForm::DropFolderDragLeave() {
    DropHoverNode = nullptr;
    if (TTreeNode* selected = Tree->currentItem()) Tree->SetDropTarget(selected);
    Tree->setFocus();
}

void TFileForm::DropFolderDragExit(QObject*) { DropFolderDragLeave(); }

void TFileForm::DropFolderDrop(int& dwEffect, TPoint pt) {
    TOwnCall own(this);
    TTreeNode* node = Tree->itemAt(Tree->viewport()->mapFromGlobal(QPoint(pt.X, pt.Y)));
    DropHoverNode = nullptr;
    if (!node || FileOpBusy || dwEffect == DROPEFFECT_NONE || DropFolder->Files.Count() == 0) {
        dwEffect = -1;
        return;
    }
    const std::string path = GetNodePath(node);
    if (!IsSameOrInside(ExploreDir, path)) {
        TreeBuilding = true;
        SetNodeWithChild(node, true);
        TreeBuilding = false;
    }
    TStringList sources;
    sources.Assign(DropFolder->Files);
    // A drag out of the list re-reads the folder itself when it ends.
    const bool fromExplored = WithoutSlash(ExtractFilePath(sources[0])) == WithoutSlash(ExploreDir);
    DropOnto(sources, dwEffect, IncludeTrailingPathDelimiter(path), !fromExplored);
}

// ---- Dragging out of the list

void TFileForm::XLOleDragNotify(QObject*) {
    if (Listing->DrivesView || ViewBusy || Listing->ListBusy || Listing->Closing || Dragging || FileOpBusy) return;
    TOwnCall own(this);
    Thumbnailing_Stop();
    Dragging = true;
    DropFiles->SetActive(false);
    FolderMonitor_Terminate();
    Application.ProcessMessages();
    DragFilesMove();
}

void TFileForm::DragFilesMove() {
    std::vector<std::string> names;
    std::string anyPath;
    auto take = [&](int row) {
        const std::string path = RemoveBackslash(Listing->GetItemPath(row));
        if (path.empty() || !Exists(path)) return;
        names.push_back(ExtractFileName(path));
        anyPath = path;
    };
    if (XL->SelCount() == 1) {
        TVListItem* focused = XL->ItemFocused();
        take(focused ? focused->Index() : XL->SelectedRows().front());
    } else {
        for (int row : XL->SelectedRows()) take(row);
    }
    if (!names.empty())
        DoDragDrop(new TStDataObject(names, anyPath), XL, DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK);
    DropFiles->SetActive(true);
    Dragging = false;
    FolderMonitor_Restart();
    if (!TransitFiles->Enabled()) PostExplorerMessage(10);
}

// ---- Selection

void TFileForm::SelectRowsWhere(const std::function<bool(int Row)>& Wanted) {
    const int count = int(Listing->FileOrder.size());
    XL->SetSelected(nullptr);
    for (int row = 0; row < count;) {
        if (!Wanted(row)) {
            ++row;
            continue;
        }
        int last = row;
        while (last + 1 < count && Wanted(last + 1)) ++last;
        XL->SelectRows(row, last, true);
        row = last + 1;
    }
}

void TFileForm::mnuSelectAllClick(QObject*) {
    Record("mnuSelectAllClick");
    if (Listing->DrivesView) return;
    const int count = int(Listing->FileOrder.size());
    if (count > 0) XL->SelectRows(0, count - 1, true);
    FileMenuPopup();
    UpdateStatusBar();
    XL->setFocus();
}

void TFileForm::mnuInvertSelectionClick(QObject*) {
    const std::vector<int> selected = XL->SelectedRows();
    SelectRowsWhere([&](int row) { return !std::binary_search(selected.begin(), selected.end(), row); });
    UpdateStatusBar();
}

void TFileForm::mnuSelectAllFilesClick(QObject*) {
    if (Listing->DrivesView) return;
    SelectRowsWhere([this](int row) {
        FileRec rec;
        return Listing->RowRec(row, rec) && rec.State() != fsFolder;
    });
    UpdateStatusBar();
}

void TFileForm::mnuSelectAllImagesClick(QObject* Sender) {
    if (Listing->DrivesView) return;
    const bool webPage = Sender && (Sender == FindItem("mnuWebPages") || Sender == FindItem("mnuSimplePage"));
    const char* list = webPage ? kWebMediaExtensions : walk8900::SlideExtensions;
    SelectRowsWhere([&](int row) {
        FileRec rec;
        if (!Listing->RowRec(row, rec) || rec.State() == fsFolder) return false;
        return ExtInList(ExtractFileExt(std::string(rec.Name())), list, kShortMediaExtensions);
    });
    UpdateStatusBar();
}

// ---- Refresh

void TFileForm::mnuRefreshClick(QObject* Sender) {
    Record("mnuRefreshClick");
    TOwnCall own(this);
    if (!Listing->DrivesView) PrepareThumbFolder(ThumbMaker->Jpeg.get());
    Editing = false;
    if (Sender == qApp && ThumbnailView()) {
        if (ThumbRunActive) return;
        CoreCancel = false;
        Thumbnailing_Resume();
        return;
    }
    LookBoxChange(this);
}

// ---- Menu states

void TFileForm::FileMenuPopup() {
    if (Listing->Closing) return;
    const int selected = XL->SelCount();
    const bool drives = Listing->DrivesView;
    SetCommandEnabled(FindItem("mnuOpenX"), selected > 0);
    SetCommandEnabled(btnOpenX, selected > 0);
    for (QObject* button : {static_cast<QObject*>(btnCopyX), static_cast<QObject*>(btnDeleteX)})
        SetCommandEnabled(button, selected > 0 && !drives);
    if (drives) {
        for (QObject* button : {static_cast<QObject*>(btnInfoX), static_cast<QObject*>(btnSlideshow),
                                FindItem("mnuSlideshowX")})
            SetCommandEnabled(button, false);
    }
    // Items that change the disk: not on optical media, not on a volume
    // missing from the drive list, not in the drives view.
    const int drive = drives ? -1 : GetDriveIndex(ExploreDir);
    const bool writable = !drives && drive >= 0 && drive < DriveList->Count() &&
                          DriveList->GetData(drive) != DriveOptical;
    for (const char* name : {"mnuFMove", "mnuFDelete", "mnuFRecycle", "mnuFRename", "mnuAddExt", "mnuDatename",
                             "mnuNewfolder"})
        SetCommandEnabled(FindItem(name), writable && (selected > 0 || std::string(name) == "mnuNewfolder"));
    SetCommandEnabled(FindItem("mnuFCopy"), selected > 0 && !drives);
    SetCommandEnabled(btnDeleteX, writable && selected > 0);
    for (const char* name : {"mnuCommentX", "mnuAddExifDates", "mnuEditComment"})
        SetCommandEnabled(FindItem(name), selected > 0);
    if (!mnuRedoThumbs->property(PendingProperty).toBool())
        mnuRedoThumbs->setVisible(ThumbnailView() && selected > 0);
    // "Open Conta&ining Folder" belongs to one selected link.
    bool oneLink = false;
    if (selected == 1 && !drives) {
        const std::string path = RemoveBackslash(Listing->GetItemPath(XL->SelectedRows().front()));
        struct stat st {};
        oneLink = (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) || UpperCase(ExtractFileExt(path)) == ".LNK";
    }
    for (const char* name : {"mnuFOpenContainer", "N_OpenContainer", "N_OpenContainerP"})
        if (auto* item = qobject_cast<QAction*>(FindItem(name))) item->setVisible(oneLink);
}

}  // namespace lumvor
