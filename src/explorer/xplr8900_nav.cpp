// The explorer's navigation: the path box's change event that every route
// between folders ends in, Up, Back and Forward over the visited folders,
// "Visited Folders", "Go to folder ...", the image window's GoToFolder, the
// volumes of the path box and network support.
//
// Paths are compared and stored exactly: "Photos/" and "photos/" are two
// folders. A volume's root is its mount point; as Linux has one tree, Up leaves
// a mount point for its parent folder and is disabled only at "/". Network
// places are the shares mounted in the user's gvfs folder.
#include "explorer/xplr8900.h"

#include "state/ExplorerSettings.h"
#include "explorer/FolderListing.h"
#include "explorer/FolderTree.h"
#include "imaging/AvlScript.h"
#include "imaging/Helpers.h"
#include "platform/Folders.h"
#include "platform/Forms.h"
#include "platform/Menus.h"
#include "platform/ShellIcons.h"
#include "platform/SysUtils.h"
#include "platform/Volumes.h"
#include "ui/StFileOp.h"
#include "shell/StNotify.h"
#include "ui/listdlg_y.h"
#include "ui/LookBoxEx.h"
#include "ui/MenuItems.h"
#include "ui/StringListEx.h"
#include "ui/ToolBarEx.h"
#include "ui/TreeViewEx.h"
#include "ui/walk8900.h"
#include "ui/voMsgBox.h"
#include "state/ViewerState.h"

#include <QWidget>

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace lumvor {

using namespace xplr8900;

namespace {

const char* const kCannotAccess = "Cannot access drive/folder.\nCheck device or security settings.\n\n";

const char* const kNetworkNotice =
    "Authorized access to networked resources is assumed; no password\n"
    "dialog will be invoked.  On small networks, use \"Map Network Drive\"\n"
    "function (see Windows Help) for stable and faster access.\n\n"
    "To check for valid network connections, open \"Network Neighborhood\",\n"
    "or \"My Network Places\". Verify your security settings (e.g., firewall).";

const char* const kNetworkNoticeSkip = "Ignore this dialog (for experts).";

// A path with a "." or ".." component names a folder by a detour (or outside
// what it seems to name); such a path is refused.
bool HasDotComponent(const std::string& path) {
    size_t at = 0;
    while (at <= path.size()) {
        size_t slash = path.find('/', at);
        if (slash == std::string::npos)
            slash = path.size();
        const std::string_view part(path.data() + at, slash - at);
        if (part == "." || part == "..")
            return true;
        at = slash + 1;
    }
    return false;
}

bool Readable(const std::string& folder) { return ::access(folder.c_str(), R_OK | X_OK) == 0; }

}  // namespace

// ---- Wiring

void TFileForm::BindNavigation() {
    DriveList = std::make_unique<TStringListEx>();
    auto wireButton = [this](TToolButtonEx* button, void (TFileForm::*handler)(QObject*)) {
        button->setProperty(PendingProperty, false);
        button->setEnabled(true);
        button->OnClick = [this, handler](QObject* sender) { (this->*handler)(sender); };
    };
    wireButton(btnBack, &TFileForm::btnNextClick);
    wireButton(btnNext, &TFileForm::btnNextClick);
    wireButton(BtnUp, &TFileForm::BtnUpClick);
    wireButton(btnBookmarks, &TFileForm::btnBookmarksClick);
    auto wireItem = [this](const char* name, void (TFileForm::*handler)(QObject*)) {
        if (auto* item = qobject_cast<QAction*>(FindItem(name)))
            WireMenuItem(this, item, [this, handler](QObject* sender) { (this->*handler)(sender); });
    };
    wireItem("mnuBackFolder", &TFileForm::btnNextClick);
    wireItem("mnuNextFolder", &TFileForm::btnNextClick);
    wireItem("mnuFLevel", &TFileForm::BtnUpClick);
    wireItem("mnuGotoFolder", &TFileForm::mnuGotoFolderClick);
    wireItem("mnuDetectDrives", &TFileForm::mnuDetectDrivesClick);
    wireItem("mnuNetworkSupport", &TFileForm::mnuNetworkSupportClick);

    // Volumes that come and go, and media changes, on every drive.
    const auto volumeChanged = [this](QObject*, TStShellItem*) { StShellComputerMediaInsert(); };
    StShellComputer->OnDriveAdd = StShellComputer->OnDriveRemove = volumeChanged;
    StShellComputer->OnMediaInsert = StShellComputer->OnMediaRemove = volumeChanged;
    StShellComputer->SetNotifyEvents(NotifySet(neDriveAdd) | NotifySet(neDriveRemove) | NotifySet(neMediaInsert) |
                                     NotifySet(neMediaRemove));
    StShellComputer->SetSpecialWatchFolder(sfDrives);
    StShellComputer->SetActive(true);
}

// ---- Folder tests

bool TFileForm::ShellFolderExists(const std::string& Folder) const {
    if (Listing->Closing)
        return false;
    if (Folder.empty())
        return true;
    if (Folder.front() != '/' || HasDotComponent(Folder))
        return false;
    if (IsRootPath(Folder))
        return Readable(Folder);
    return DirectoryExists(RemoveBackslash(Folder));
}

std::string TFileForm::ShellFolderResolve(const std::string& Folder) {
    const bool trailing = !Folder.empty() && Folder.back() == '/';
    const std::string path = IsRootPath(Folder) ? Folder : RemoveBackslash(Folder);
    std::error_code ec;
    if (std::filesystem::is_symlink(path, ec)) {
        const auto target = std::filesystem::canonical(path, ec);
        if (!ec)
            return trailing ? AddBackslash(target.string()) : target.string();
        return Folder;
    }
    // An unreadable shortcut stands for itself.
    if (UpperCase(ExtractFileExt(path)) == ".LNK" && FileExists(path) && ResolveShortcutFile(path))
        return trailing ? AddBackslash(StLink->FileName) : StLink->FileName;
    return Folder;
}

// ---- The navigation core

void TFileForm::LookBoxChange(QObject*) {
    if (Listing->Closing || Listing->Risky)
        return;
    Listing->CommentsLoaded = false;
    if (Listing->SkipNextListing || Listing->ActivationPending)
        return;
    TOwnCall own(this);
    CoreCancel = true;
    RemoveExplorerIdle();
    Application.ProcessMessages();
    Tree->Tag = 0;
    ExploreDir = LookBox->Folder();

    if (ExploreDir.empty()) {
        // The drive level: the volumes are the list.
        FolderMonitor_Terminate();
        for (QWidget* button : std::initializer_list<QWidget*>{btnSlideshow, btnInfoX, btnDeleteX, btnCopyX, BtnUp})
            button->setEnabled(false);
        mnuFLevel->setEnabled(false);
        CloseDrives(true);
        Application.ProcessMessages();
        LookBox->RefreshDrives();
        std::vector<TDriveEntry> drives;
        for (int i = 0; i < LookBox->ItemCount(); ++i)
            if (LookBox->IsDriveItem(i))
                drives.push_back({LookBox->ItemText(i), LookBox->ItemCaption(i), LookBox->ItemImage(i)});
        Listing->UpdateDrives(drives);
        ExploreDir.clear();
        TreeBuilding = NoTreeSync = false;
        return;
    }
    if (Listing->DrivesView) {
        mnuFileX->setEnabled(true);
        Listing->DrivesView = false;
    }
    ExploreDir = IncludeTrailingPathDelimiter(ExploreDir);

    bool listed = false;
    if (ShellFolderExists(ExploreDir)) {
        Navigating = true;
        UpdateHistory();
        BtnUp_UI();
        Screen.SetCursor(crHourGlass);
        Application.ProcessMessages();
        listed = Listing->UpdateFiles(true);
        Screen.SetCursor(crDefault);
        Navigating = false;
    }
    if (listed) {
        if (TreeShown() && !NoTreeSync && !TreeBuilding) {
            TreeBeginUpdate();
            if (Listing->FoldersSeen && !MonitorHold)
                CloseDrives(true);
            TreePathUpdate();
        }
        NoTreeSync = false;
        if (ThumbnailView()) {
            PostExplorerMessage(30);
            HSplitterMoved();
        }
        if (!ExplorerDirty && !MonitorHold)
            FolderMonitor_Restart();
        if (!Listing->SkipNextListing) {
            ParentDir = ExtractFilePath(ExcludeTrailingPathDelimiter(ExploreDir));
            // The tree may still show another folder (a click that did not resynchronise it).
            if (TreeShown() && GetNodePath(Tree->currentItem()) != ExploreDir)
                TreePathUpdate();
        }
        return;
    }
    NoTreeSync = Navigating = false;
    voMessageDlg("", "", kCannotAccess + ExploreDir, mtWarning, mbOKOnly, AutoDefaultButton, 0);
    Application.ProcessMessages();
    FallBackHome();
}

void TFileForm::FallBackHome() {
    ExploreDir = HomeFolder();
    Screen.SetCursor(crDefault);
    LookBox->SetFolder(ExploreDir);
}

void TFileForm::NetworkFolderWarning() {
    voMessageDlg("", "",
                 "Folder cannot be accessed.  If folder is on a network, check\n\n"
                 "a) visibility in \"Network Neighborhood\" or \"Network Places\"\n"
                 "  (use \"Add Network Place\" to make desired folder visible);\n\n"
                 "b) if you have a valid and authorized connection;\n\n"
                 "c) if Network support must be enabled.",
                 mtWarning, mbOKOnly, AutoDefaultButton, 0);
}

void TFileForm::GoToFolder(const std::string& Folder) {
    Record("GoToFolder " + Folder);
    if (Folder == LookBox->Folder() || IncludeTrailingPathDelimiter(Folder) == LookBox->Folder())
        return;
    TOwnCall own(this);
    ExploreDir = Folder;
    Thumbnailing_Stop();
    // The path box fires its change event, which lists the folder.
    LookBox->SetFolder(Folder);
}

// ---- Up

void TFileForm::BtnUpClick(QObject*) {
    if (ExploreDir.empty() || ExploreDir == "/")
        return;
    TOwnCall own(this);
    // A mount point is no dead end: its parent is the folder that holds it.
    const std::string parent = ExtractFilePath(ExcludeTrailingPathDelimiter(ExploreDir));
    ExploreDir = parent;
    NoTreeSync = TreeBuilding = false;
    LookBox->SetFolder(parent);
}

void TFileForm::BtnUp_UI() {
    const bool up = !ExploreDir.empty() && ExploreDir != "/";
    BtnUp->setEnabled(up);
    mnuFLevel->setEnabled(up);
}

// ---- The visited folders

void TFileForm::UpdateHistory() {
    if (HistoryStep) {
        HistoryStep = false;
        return;
    }
    AddVisitedFolder(ExploreDir);
}

// Appended unless it is the last entry already, the oldest entries dropped
// beyond MaxHistory; the position moves to the end.
void TFileForm::AddVisitedFolder(const std::string& Folder) {
    if (Folder.empty())
        return;
    const std::string folder = IncludeTrailingPathDelimiter(Folder);
    if (HistoryList.Count() == 0 || HistoryList[HistoryList.Count() - 1] != folder) {
        while (HistoryList.Count() >= MaxHistory)
            HistoryList.Delete(0);
        HistoryList.Add(folder);
    }
    HistoryIndex = HistoryList.Count() - 1;
}

void TFileForm::btnNextClick(QObject* Sender) {
    if (HistoryList.Count() < 2)
        return;
    TOwnCall own(this);
    const bool backwards = Sender == btnBack || Sender == mnuBackFolder;
    Thumbnailing_Stop();
    HistoryStep = true;
    auto wrap = [](int index, int count) { return (index % count + count) % count; };
    HistoryIndex = std::clamp(HistoryIndex, 0, HistoryList.Count() - 1);
    while (HistoryList.Count() > 0) {
        HistoryIndex = wrap(HistoryIndex + (backwards ? -1 : 1), HistoryList.Count());
        const std::string entry = HistoryList[HistoryIndex];
        if (entry.empty()) {
            FallBackHome();
            return;
        }
        if (entry == ExploreDir || !DirectoryExists(RemoveBackslash(entry))) {
            // Gone meanwhile, or the folder in hand: the entry goes; going
            // forwards, the next entry moved into its place.
            HistoryList.Delete(HistoryIndex);
            if (HistoryList.Count() == 0)
                break;
            if (!backwards)
                HistoryIndex = wrap(HistoryIndex - 1, HistoryList.Count());
            continue;
        }
        ExploreDir = entry;
        LookBox->SetFolder(entry);
        return;
    }
    HistoryIndex = HistoryList.Count() - 1;
    HistoryStep = false;
}

void TFileForm::btnBookmarksClick(QObject*) {
    TOwnCall own(this);
    TStringList folders;
    folders.Assign(HistoryList);
    // The dialog selects the entry equal to the current file: here the folder.
    const std::string currentFile = CurFileName;
    CurFileName = ExploreDir;
    const int chosen = ExecuteListDlg(401, 200, "Visited Folders", folders);
    CurFileName = currentFile;
    if (chosen < 0 || chosen >= HistoryList.Count())
        return;
    const std::string folder = IncludeTrailingPathDelimiter(ExtractFilePath(HistoryList[chosen]));
    if (folder == LookBox->Folder() || !DirectoryExists(RemoveBackslash(folder)))
        return;
    HistoryStep = true;
    ExploreDir = folder;
    LookBox->SetFolder(folder);
}

// ---- Go to folder

void TFileForm::mnuGotoFolderClick(QObject*) {
    TOwnCall own(this);
    if (!ExecuteWalkForm(0, "Go to folder ...", ExploreDir))
        return;
    if (!ExploreDir.empty())
        CloseDrives(false);
    Thumbnailing_Stop();
    std::string folder = IncludeTrailingPathDelimiter(walk8900::WalkFolder);
    if (!IsRootPath(folder)) {
        folder = ShellFolderResolve(folder);
        if (IsNetworkPlace(folder) && !EControls.Flag(ec::NetworkSupport)) {
            if (!AlbumListing)
                NetworkFolderWarning();
            folder = HomeFolder();
        }
    }
    ExploreDir = IncludeTrailingPathDelimiter(folder);
    LookBox->SetFolder(ExploreDir);
}

// ---- Volumes

int32_t xplr8900::DriveKind(const std::string& FileSystem, const std::string& MountPoint) {
    if (IsNetworkPlace(AddBackslash(MountPoint)))
        return DriveRemote;
    static const char* const network[] = {"nfs", "nfs4", "cifs", "smb3", "smbfs", "fuse.sshfs", "9p"};
    if (std::find(std::begin(network), std::end(network), FileSystem) != std::end(network))
        return DriveMappedNetwork;
    if (FileSystem == "iso9660" || FileSystem == "udf")
        return DriveOptical;
    const bool removable = MountPoint.rfind("/media/", 0) == 0 || MountPoint.rfind("/run/media/", 0) == 0 ||
                           MountPoint.rfind("/mnt/", 0) == 0;
    return removable ? DriveRemovable : DriveFixed;
}

void TFileForm::SetupDrives() {
    DriveList->Clear();
    const std::vector<TVolumeInfo> volumes = lumvor::DriveList();
    for (int i = 0; i < LookBox->ItemCount(); ++i) {
        if (i < 2 || !(LookBox->IsDriveItem(i) || LookBox->IsNetworkItem(i)))
            continue;
        const std::string root = LookBox->ItemText(i);
        const int index = DriveList->Add(root);
        if (LookBox->IsNetworkItem(i)) {
            DriveList->PutData(index, DriveRemote);
            continue;
        }
        const auto volume = std::find_if(volumes.begin(), volumes.end(), [&](const TVolumeInfo& v) {
            return AddBackslash(v.MountPoint) == root;
        });
        DriveList->PutData(index, DriveKind(volume != volumes.end() ? volume->FileSystem : "", root));
    }
}

int TFileForm::GetDriveIndex(const std::string& Path) const {
    if (Listing->Closing)
        return -1;
    if (DriveList->Count() < 2)
        return 1;
    std::string root;
    GetPathRoot(Path, root);
    for (int i = DriveList->Count() - 1; i >= 0; --i)
        if (DriveList->Get(i) == root)
            return i;
    return -1;
}

void TFileForm::GetImageHandles() {
    const std::string folder = ProgramFolder();
    Listing->FolderIconIndex = std::max(0, SystemIconIndex(folder));
    FolderOpenIconIndex = SystemIconIndex(folder, true);
}

void TFileForm::mnuDetectDrivesClick(QObject*) {
    TOwnCall own(this);
    const bool treeShown = TreeShown();
    if (treeShown) {
        CloseDrives(true);
        mnuFolderTreeClick(this);
    }
    LookBox->RefreshDrives();
    SetupDrives();
    if (treeShown)
        mnuFolderTreeClick(this);
}

void TFileForm::StShellComputerMediaInsert() {
    TOwnCall own(this);
    if (!ExploreDir.empty() && !DirectoryExists(RemoveBackslash(ExploreDir))) {
        NowDirChanged();
        return;
    }
    // The tree is built again over the volumes there are now.
    const bool treeShown = TreeShown();
    if (treeShown)
        mnuFolderTreeClick(this);
    LookBox->RefreshDrives();
    SetupDrives();
    if (treeShown)
        mnuFolderTreeClick(this);
}

// ---- Network support

bool TFileForm::GetNetDrives() {
    std::error_code ec;
    const std::string places = NetworkMountFolder();
    std::vector<std::string> found;
    for (std::filesystem::directory_iterator it(places, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code ec2;
        if (it->is_directory(ec2))
            found.push_back(it->path().string());
    }
    std::sort(found.begin(), found.end());
    for (const std::string& root : found) {
        bool known = false;
        for (int i = 0; i < NetRoots.Count() && !known; ++i)
            known = NetRoots[i] == root;
        if (!known)
            NetRoots.Add(root);
    }
    // Shares unmounted meanwhile are no roots any more.
    for (int i = NetRoots.Count() - 1; i >= 0; --i)
        if (!DirectoryExists(NetRoots[i]))
            NetRoots.Delete(i);
    return NetRoots.Count() > 0;
}

void TFileForm::mnuNetworkSupportClick(QObject*) {
    Record("mnuNetworkSupportClick");
    TOwnCall own(this);
    const bool treeShown = TreeShown();
    if (EControls.Flag(ec::NetworkSupport)) {
        if (treeShown)
            mnuFolderTreeClick(this);
        EControls.SetByte(ec::NetworkSupport, 0);
        mnuNetworkSupport->setChecked(false);
        LookBox->SetNetworkDrives(TStringList());
        LookBox->SetNetworkSupport(false);
        if (IsNetworkPlace(ExploreDir))
            FallBackHome();
    } else {
        if (!lumv8900::NetPasswordWarned) {
            const int answer = voMessageDlg(kNetworkNoticeSkip, "", kNetworkNotice, mtInformation,
                                            ButtonBit(mbOK) | ButtonBit(mbCancel), AutoDefaultButton, 0);
            if ((answer & ~CheckBoxTicked) != mrOk) {
                mnuNetworkSupport->setChecked(false);
                return;
            }
            if (answer & CheckBoxTicked)
                lumv8900::NetPasswordWarned = true;
        }
        if (treeShown)
            mnuFolderTreeClick(this);
        Screen.SetCursor(crHourGlass);
        EControls.SetByte(ec::NetworkSupport, 1);
        mnuNetworkSupport->setChecked(true);
        if (GetNetDrives())
            LookBox->SetNetworkDrives(NetRoots);
        LookBox->SetNetworkSupport(true);
    }
    SetupDrives();
    if (treeShown)
        mnuFolderTreeClick(this);
    Screen.SetCursor(crDefault);
}

// ---- Path texts of the web page generator

namespace xplr8900 {

std::string PathComponent(const std::string& Path, int N) {
    std::string root;
    GetPathRoot(Path, root);
    if (N < 2 || Path.compare(0, root.size(), root) != 0)
        return "";
    const std::vector<std::string> names = FolderNames(Path.substr(root.size()));
    return size_t(N - 2) < names.size() ? names[size_t(N - 2)] : "";
}

std::string WebFolderName(const std::string& Path) {
    if (Path.empty() || IsRootPath(Path))
        return "Untitled";
    const std::vector<std::string> names = FolderNames(Path);
    return names.empty() ? "Untitled" : names.back();
}

std::string UrlEscape(const std::string& Text) {
    std::string escaped;
    escaped.reserve(Text.size());
    for (char c : Text) {
        if (c == ' ')
            escaped += "%20";
        else if (c == '#')
            escaped += "%23";
        else
            escaped += c;
    }
    return escaped;
}

std::string UpperFolderNames(const std::string& Path, int N) {
    const std::vector<std::string> names = FolderNames(Path);
    const size_t take = std::min(names.size(), size_t(std::max(N, 0)) + 1);
    std::string result;
    for (size_t i = names.size() - take; i < names.size(); ++i) {
        result += names[i];
        if (i + 1 < names.size())
            result += "/";
    }
    return result;
}

void WarnWebName(const std::string& Text) {
    voMessageDlg("", "",
                 Text + "For wide compatibility (with older browsers),\n"
                        "avoid blank spaces, \"%\" and \"#\" characters.",
                 mtWarning, mbOKOnly, AutoDefaultButton, 0);
}

}  // namespace xplr8900

}  // namespace lumvor
