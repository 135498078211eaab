// The explorer's folder change monitor: the list follows files that other
// programs and windows create, delete, rename or overwrite in the explored
// folder, and the explorer follows the explored folder when it is renamed or
// removed.
//
// The change notification on the explored folder is read as the kernel
// reports it and polled by Timer1 every 1333 ms, so a burst of changes costs
// at most one refresh per period. Every reaction is posted as the window's
// private message and runs on the GUI thread outside the notifying call. A
// refresh reads the whole folder again (ValidateFiles_Changed), so changes
// that were folded together, or lost in a kernel queue overflow, lose no
// entry; a refresh that cannot run at once is tried again through
// TransitFiles instead of being dropped.
#include "explorer/xplr8900.h"

#include "state/ViewerState.h"
#include "explorer/FolderListing.h"
#include "explorer/FolderMonitor.h"
#include "imaging/Helpers.h"
#include "platform/ChangeNotify.h"
#include "platform/Folders.h"
#include "platform/Forms.h"
#include "platform/SysUtils.h"
#include "shell/StNotify.h"
#include "ui/LookBoxEx.h"
#include "ui/StringListEx.h"
#include "ui/TreeViewEx.h"

#include <QWidget>

namespace lumvor {

using namespace xplr8900;

namespace {

// The folder events both shell notifications report; a folder update is what
// a watch reports after its kernel queue overflowed.
constexpr TStNotifyEventsSet kFolderEvents = NotifySet(neFolderCreate) | NotifySet(neFolderDelete) |
                                             NotifySet(neFolderRename) | NotifySet(neFolderUpdate) |
                                             NotifySet(neNetUnShare) | NotifySet(neServerDisconnect);

// Selects the node's previous sibling, or its parent when it is the first
// child, and deletes the node; returns the node selected.
TTreeNode* StepBack(QTreeWidget& tree, TTreeNode* node) {
    TTreeNode* parent = node->parent();
    const int index = parent->indexOfChild(node);
    TTreeNode* target = index > 0 ? parent->child(index - 1) : parent;
    tree.setCurrentItem(target);
    delete node;
    return target;
}

}  // namespace

// ---- Wiring

void TFileForm::BindFolderMonitor() {
    ChangeHandle = new TChangeNotification(this);
    ChangeHandle->setObjectName("ChangeHandle");
    Timer1->SetOnTimer([this] { FolderMonitor_Event(); });
    TransitFiles->SetOnTimer([this] { TransitFilesTimer(); });
    TransitTree->SetOnTimer([this] { TransitTreeTimer(); });
    for (TStShellNotification* notification : {StWatchCurrDrive, StWatchParent}) {
        notification->SetNotifyEvents(kFolderEvents);
        notification->OnFolderRename = [this](QObject* sender, TStShellItem* oldItem, TStShellItem* newItem) {
            StWatchCurrDriveFolderRename(sender, oldItem, newItem);
        };
        // An overflow may have hidden a rename: it is taken as one.
        notification->OnFolderChange = [this](QObject* sender, TStShellItem* item) {
            StWatchCurrDriveFolderRename(sender, item, nullptr);
        };
        notification->OnFolderCreate = notification->OnFolderDelete = notification->OnNetUnShare =
            notification->OnServerDisconnect =
                [this](QObject* sender, TStShellItem* item) { StWatchCurrDriveFolderChange(sender, item); };
    }

    TListingView& v = Listing->View;
    v.FolderMonitor_Suspend = [this] { FolderMonitor_Suspend(); };
    v.FolderMonitor_Resume = [this] { FolderMonitor_Resume(); };
    v.StartTransitFiles = [this] { TransitFiles->SetEnabled(true); };

    MessageActions[1] = [this] {
        // Code 0's conditions: no drag and no listing under way.
        if (Dragging || TreeDragging || Listing->Risky)
            return;
        if (!TreeShown() || PanelSide->isHidden() || TreeBuilding)
            return;
        TOwnCall own(this);
        if (ExplorerHidden()) {
            FolderMonitor_Restart();
            return;
        }
        if (TreeNavigating || ViewBusy)
            return;
        CloseDrives(false);
        // The node whose sub-folders changed reads them again as the tree
        // opens its way down to the explored folder.
        if (!treeChangedAt_.empty())
            TreePathTarget(treeChangedAt_);
        treeChangedAt_.clear();
        TreePathUpdate();
        Screen.SetCursor(crDefault);
        FolderMonitor_Restart();
        Application.ProcessMessages();
    };
    MessageActions[11] = [this] {
        refreshPosted_ = false;
        TOwnCall own(this);
        if (ExplorerHidden() && !Listing->Refreshing()) {
            // The refresh waits for the next activation.
            ExplorerDirty = true;
            FolderMonitor_Restart();
            return;
        }
        // A refresh under way may have read the folder before this change, and
        // a busy list cannot take one now: try again a period later.
        if (Listing->Refreshing() || Listing->Risky || TreeNavigating || Listing->ListBusy || ViewBusy) {
            TransitFiles->SetEnabled(true);
            return;
        }
        FilesChanged();
    };
    MessageActions[71] = [this] { UpdateStatusBar(); };
    MessageActions[81] = [this] {
        TOwnCall own(this);
        if (isMinimized()) {
            Thumbnailing_Stop();
            FolderMonitor_Terminate();
            Application.ProcessMessages();
            Application.Minimize();
            ExplorerDirty = true;
        } else {
            FolderMonitor_Restart();
        }
    };
}

void TFileForm::UnbindFolderMonitor() {
    for (TTimer* timer : {Timer1, TransitFiles, TransitTree}) {
        timer->SetEnabled(false);
        timer->SetOnTimer(nullptr);
    }
    for (TStShellNotification* notification : {StWatchCurrDrive, StWatchParent}) {
        notification->SetActive(false);
        notification->OnFolderRename = nullptr;
        notification->OnFolderChange = notification->OnFolderCreate = notification->OnFolderDelete = nullptr;
        notification->OnNetUnShare = notification->OnServerDisconnect = nullptr;
    }
    ChangeHandle->Close();
    Listing->View.FolderMonitor_Suspend = Listing->View.FolderMonitor_Resume = nullptr;
    Listing->View.StartTransitFiles = nullptr;
}

bool TFileForm::ExplorerHidden() const { return !isVisible() || isMinimized(); }

bool TFileForm::MonitorWaits() const {
    return Listing->Risky || Listing->Closing || TreeBuilding || MonitorHold || lumv8900::ShutDown ||
           Listing->ListBusy;
}

// ---- Starting and stopping

void TFileForm::FolderMonitor_Restart() {
    Record("FolderMonitor_Restart");
    if (!EControls.Flag(ec::AutoRefresh))
        return;
    TOwnCall own(this);
    Timer1->SetEnabled(false);
    if (Listing->Closing) {
        FolderMonitor_Terminate();
        return;
    }
    int drive = GetDriveIndex(ExploreDir);
    if (drive >= DriveList->Count()) {
        // With a single drive the index is not a position in the list.
        std::string root;
        GetPathRoot(ExploreDir, root);
        drive = -1;
        for (int i = 0; i < DriveList->Count() && drive < 0; ++i)
            if (DriveList->Get(i) == root)
                drive = i;
    }
    const int32_t kind = drive < 0 ? -1 : DriveList->GetData(drive);
    const TMonitorPlan plan = PlanFolderMonitor(ExploreDir, kind, Listing->DrivesView);
    if (!plan.Watch) {
        FolderMonitor_Terminate();
        return;
    }
    WatchPath = plan.WatchPath;
    const bool watched = WatchShellFolder(*StWatchCurrDrive, plan.DriveRoot, "") &&
                         WatchShellFolder(*StWatchParent, plan.TopFolder, plan.Branch);
    // The notification on a folder still watched keeps what it has seen.
    if (!watched || (ChangeHandle->Folder() != WatchPath && !ChangeHandle->Open(WatchPath))) {
        FolderMonitor_Terminate();
        return;
    }
    Timer1->SetEnabled(true);
}

bool TFileForm::WatchShellFolder(TStShellNotification& Notification, const std::string& Folder,
                                 const std::string& Branch) {
    const bool recursive = !Branch.empty();
    if (Notification.Active() && Notification.WatchFolder() == Folder && Notification.WatchSubFolders() == recursive &&
        Notification.Watcher().Branch() == Branch)
        return Notification.Registered();
    Notification.SetActive(false);
    Notification.Watcher().SetBranch(Branch);
    Notification.SetWatchSubFolders(recursive);
    try {
        Notification.SetWatchFolder(Folder);
    } catch (const Exception&) {
        Notification.SetWatchFolder("");
        return false;
    }
    if (Folder.empty())
        return true;
    Notification.SetActive(true);
    return Notification.Registered();
}

void TFileForm::FolderMonitor_Terminate() {
    Record("FolderMonitor_Terminate");
    for (TTimer* timer : {Timer1, TransitFiles, TransitTree})
        timer->SetEnabled(false);
    for (TStShellNotification* notification : {StWatchCurrDrive, StWatchParent}) {
        notification->SetActive(false);
        notification->SetWatchFolder("");
    }
    ChangeHandle->Close();
    treeChangedAt_.clear();
}

void TFileForm::FolderMonitor_Suspend() {
    for (TTimer* timer : {Timer1, TransitFiles, TransitTree})
        timer->SetEnabled(false);
    if (!EControls.Flag(ec::AutoRefresh))
        return;
    StWatchCurrDrive->SetActive(false);
    StWatchParent->SetActive(false);
    // The refresh reads the folder after this: what changed so far is in it.
    ChangeHandle->Rearm();
}

void TFileForm::FolderMonitor_Resume() {
    if (!EControls.Flag(ec::AutoRefresh))
        return;
    for (TStShellNotification* notification : {StWatchCurrDrive, StWatchParent})
        notification->SetActive(!notification->WatchFolder().empty());
    // A change while the refresh ran may have come after its reading of the
    // folder: it stays signalled, so the next tick refreshes once more.
    Application.ProcessMessages();
    if (ChangeHandle->IsOpen())
        Timer1->SetEnabled(true);
}

// ---- The timers

void TFileForm::FolderMonitor_Event() {
    if (MonitorWaits() || Timer1->Tag == 1)
        return;
    TOwnCall own(this);
    Timer1->Tag = 1;
    Timer1->SetEnabled(false);
    struct TTimerBack {
        TFileForm& form;
        ~TTimerBack() {
            if (form.ChangeHandle->IsOpen())
                form.Timer1->SetEnabled(true);
            form.Timer1->Tag = 0;
        }
    } timerBack{*this};

    const bool signalled = ChangeHandle->Signalled();
    if (signalled) {
        ChangeHandle->Rearm();
        Thumbnailing_Stop();
    }
    // The folder is also looked at when nothing was signalled: a rename of a
    // folder above it while a refresh ran is caught here.
    const std::string folder = LookBox->Folder();
    if (!folder.empty() && !ShellFolderExists(folder))
        NowDirChanged();
    else if (signalled && !TransitFiles->Enabled())
        PostRefresh();
}

void TFileForm::TransitFilesTimer() {
    if (Listing->Refreshing() || Listing->ActivationPending || MonitorWaits())
        return;
    TransitFiles->SetEnabled(false);
    PostRefresh();
}

void TFileForm::TransitTreeTimer() {
    if (MonitorWaits() || Tree->Tag != 0)
        return;
    TransitTree->SetEnabled(false);
    PostExplorerMessage(0);
}

void TFileForm::PostRefresh() {
    if (refreshPosted_)
        return;
    refreshPosted_ = true;
    PostExplorerMessage(10);
}

// ---- The shell notifications

void TFileForm::StWatchCurrDriveFolderRename(QObject*, TStShellItem* OldItem, TStShellItem*) {
    if (Listing->Closing || ExploreDir.empty())
        return;
    TOwnCall own(this);
    ChangeHandle->Rearm();
    const bool gone = !ShellFolderExists(ExploreDir);
    if (OldItem && OldItem->Path == RemoveBackslash(ExploreDir) && Listing->SkipNextListing) {
        Thumbnailing_Stop();
        NowDirChanged();
    } else if (gone) {
        // While the list is busy, Timer1's next look finds the folder gone.
        if (!MonitorWaits())
            NowDirChanged();
    } else if (TreeShown()) {
        TreeChangedAt(OldItem);
    }
    if (!TransitFiles->Enabled())
        PostRefresh();
}

void TFileForm::StWatchCurrDriveFolderChange(QObject*, TStShellItem* Item) {
    if (Listing->Closing || ExploreDir.empty())
        return;
    TOwnCall own(this);
    if (!ShellFolderExists(ExploreDir)) {
        if (!MonitorWaits())
            NowDirChanged();
    } else if (TreeShown()) {
        TreeChangedAt(Item);
    }
}

void TFileForm::TreeChangedAt(const TStShellItem* Item) {
    if (Item && !Item->Path.empty()) {
        // The watches see only folders on the explored folder's path, so the
        // higher of two such folders holds the other.
        const std::string parent = ExtractFilePath(Item->Path);
        if (treeChangedAt_.empty() || parent.size() < treeChangedAt_.size())
            treeChangedAt_ = parent;
    }
    TransitTree->SetEnabled(true);
}

// ---- The reactions

void TFileForm::FilesChanged() {
    if (Listing->Risky || Listing->Closing)
        return;
    TOwnCall own(this);
    CoreCancel = true;
    RemoveExplorerIdle();
    Listing->Risky = true;
    struct TRiskyOff {
        TFolderListing& listing;
        ~TRiskyOff() { listing.Risky = false; }
    };
    {
        TRiskyOff riskyOff{*Listing};
        Listing->ValidateFiles_Changed(true);
    }
    Application.ProcessMessages();
    PostExplorerMessage(70);
}

void TFileForm::NowDirChanged() {
    TOwnCall own(this);
    const bool stepped = TreeShown() && StepFromVanishedNode();
    if (!stepped) {
        TreeBuilding = false;
        if (TreeShown())
            CloseDrives(true);
    }
    if (ThumbnailView())
        mnuViewListClick(this);
    if (stepped)
        LookBox->SetFolder(ExploreDir);
    else
        FallBackHome();
}

bool TFileForm::StepFromVanishedNode() {
    TreeBuilding = true;
    TTreeNode* node = Tree->currentItem();
    if (!node || !node->parent() || GetNodePath(node) != IncludeTrailingPathDelimiter(ExploreDir))
        return false;
    const bool belowDrive = node->parent()->parent() == nullptr;
    TTreeNode* target = StepBack(*Tree, node);
    ExploreDir = GetNodePath(target);
    if (!ShellFolderExists(ExploreDir)) {
        // A folder deeper down gets one more step: its parent may be gone too.
        if (belowDrive || !target->parent())
            return false;
        Listing->FoldersSeen = true;
        target = StepBack(*Tree, target);
        ExploreDir = GetNodePath(target);
        if (!ShellFolderExists(ExploreDir))
            return false;
    }
    TreeBuilding = false;
    CloseDrives(!belowDrive && Listing->FoldersSeen);
    return true;
}

}  // namespace lumvor
