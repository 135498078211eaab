// Opening the explorer's files by their extension: pictures (and media, when
// the settings let the program play them) to the image window, Lab scripts to
// the script interpreter, slide-show scripts to the slide album, bookmark lists
// to the image window's bookmark show, zip archives to the zip window and any
// other file to the desktop's application for its type. Several selected
// pictures become the bookmark list with the first on view.
//
// Also "Open Conta&ining Folder", the zip window command and the change of the
// thumbnail cache folder.
//
// Every path is handed on as it is on disk: "Trip.VOP" stays "Trip.VOP".
#include "explorer/xplr8900.h"

#include "state/AlbumSeam.h"
#include "state/AlbumState.h"
#include "state/ViewerState.h"
#include "state/ImageWindowSeam.h"
#include "state/ExplorerSettings.h"
#include "explorer/FolderListing.h"
#include "explorer/ThumbFiles.h"
#include "imaging/Helpers.h"
#include "imaging/ThumbCache.h"
#include "platform/Folders.h"
#include "platform/Forms.h"
#include "platform/Menus.h"
#include "platform/SysUtils.h"
#include "ui/StFileOp.h"
#include "ui/LookBoxEx.h"
#include "ui/MeOpenDialogEx.h"
#include "ui/MenuItems.h"
#include "ui/ToolBarEx.h"
#include "ui/VListShowEx.h"
#include "ui/voMsgBox.h"
#include "ui/walk8900.h"
#include "state/ZipWindowSeam.h"

#include <QApplication>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <system_error>

namespace lumvor {

using namespace xplr8900;

namespace {

const char* const kNoApplication = "Associated application not found.";

// An extension matches a list when it is one of the list's entries.
bool InList(const std::string& ext, const char* list) { return ExtInList(ext, list, list); }

// A file, or a link to one, is there (a dangling link is not).
bool FilePresent(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool IsSymbolicLink(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

// The target a symbolic link names, relative to the link's folder when it is
// relative; "" when the link cannot be read or its target is missing.
std::string LinkTarget(const std::string& link) {
    std::error_code ec;
    const std::filesystem::path stored = std::filesystem::read_symlink(link, ec);
    if (ec)
        return "";
    const std::filesystem::path target =
        stored.is_absolute() ? stored : std::filesystem::path(link).parent_path() / stored;
    const std::string normal = target.lexically_normal().string();
    return std::filesystem::exists(normal, ec) ? normal : "";
}

// Writes and removes a small file in Folder; false when the write fails.
bool FolderTakesWrites(const std::string& folder) {
    const std::string probe =
        IncludeTrailingPathDelimiter(folder) + "!!!" + lumv8900::TempPrefix + "~_~" + lumv8900::TempPrefix + ".tst";
    const int fd = ::open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    const bool written = ::write(fd, "~", 1) == 1;
    const bool closed = ::close(fd) == 0;
    ::unlink(probe.c_str());
    return written && closed;
}

}  // namespace

void TFileForm::BindOpenCommands() {
    btnOpenX->setProperty(PendingProperty, false);
    btnOpenX->setEnabled(true);
    btnOpenX->OnClick = [this](QObject* sender) { btnOpenXClick(sender); };
    auto wire = [this](const char* name, void (TFileForm::*handler)(QObject*)) {
        if (auto* item = qobject_cast<QAction*>(FindItem(name)))
            WireMenuItem(this, item, [this, handler](QObject* sender) { (this->*handler)(sender); });
    };
    wire("mnuOpenX", &TFileForm::btnOpenXClick);
    wire("mnuFOpenContainer", &TFileForm::mnuFOpenContainerClick);
    wire("mnuUnzipper", &TFileForm::mnuUnzipperClick);
    wire("mnuCacheChange", &TFileForm::mnuCacheChangeClick);
}

// ---- Handing files on

void TFileForm::HandOff(const std::string& Command, const std::string& Path) {
    if (OpenHandOff) {
        OpenHandOff(Command, Path);
        return;
    }
    using lumv8900::ImageWindow;
    if (Command == "Populate") {
        Unzip_8900::EnsureZipWindow().Populate(Path);
        return;
    }
    if (Command == "btnLoadSClick") {
        TAlbumSeam& album = show8900::EnsureAlbum();
        album.Form().show();
        if (ImageWindow)
            ImageWindow->SharedOpenDialog().SetFileName(Path);
        album.btnLoadSClick(qApp);
        return;
    }
    if (!ImageWindow)
        return;
    const Qt::KeyboardModifiers keys = QGuiApplication::queryKeyboardModifiers();
    if (Command == "mnuBatchRename1Click") {
        ImageWindow->mnuBatchRename1Click(this, keys);
    } else if (Command == "mnuAddExtClick") {
        ImageWindow->mnuBatchRename1Click(FindItem("mnuAddExt"), keys);
    } else if (Command == "mnuDateNameClick") {
        ImageWindow->mnuDateNameClick(FindItem("mnuDatename"), keys);
    } else if (Command == "DragOpen") {
        ImageWindow->DragOpen(Path);
    } else if (Command == "OpenBIPfile") {
        ImageWindow->OpenBIPfile(Path);
    } else if (Command == "HistoryControls") {
        ImageWindow->HistoryControls();
    } else if (Command == "mnuHistoryLoadClick") {
        ImageWindow->Form().show();
        ImageWindow->Form().setEnabled(true);
        ImageWindow->SharedOpenDialog().SetFileName(Path);
        ImageWindow->mnuHistoryLoadClick(this);
        Application.ProcessMessages();
        ImageWindow->mnuHistorySlideshowClick(this);
    }
}

bool TFileForm::ResolveShortcutFile(const std::string& Path) {
    StLink->ShortcutFileName = Path;
    try {
        return StLink->ResolveShortcut();
    } catch (const Exception&) {
        return false;
    }
}

std::string TFileForm::ResolvedShortcut(const std::string& Path) {
    // A shortcut that cannot be read, or leads nowhere, is opened as the file it is.
    if (UpperCase(ExtractFileExt(Path)) == ".LNK" && ResolveShortcutFile(Path) &&
        (FileExists(StLink->FileName) || DirectoryExists(StLink->FileName)))
        return StLink->FileName;
    return Path;
}

// ---- Open

void TFileForm::btnOpenXClick(QObject* Sender) {
    TOwnCall own(this);
    Listing->ListBusy = false;
    const int selected = XL->SelCount();
    FileRec rec;
    const bool focused = Listing->RowRec(-1, rec);
    if (selected < 2 && (Listing->DrivesView || (focused && rec.State() == 0))) {
        XLDblClick(Sender);
        return;
    }
    if (!focused && selected == 0)
        return;
    const std::string path = Listing->GetItemPath(-1);
    Listing->CurrExt = UpperCase(ExtractFileExt(path));
    if (!FilePresent(path) && !DirectoryExists(path)) {
        // Gone behind the explorer's back: the folder is read again, or left
        // when it went too. (A focused folder among several selected items is
        // there: the files beside it open.)
        if (DirectoryExists(RemoveBackslash(ExploreDir)))
            mnuRefreshClick(this);
        else
            FallBackHome();
        return;
    }

    OpenBusy = true;
    lumv8900::EscapePressed = false;
    struct TClearOpenBusy {
        bool& busy;
        ~TClearOpenBusy() { busy = false; }
    } clearOpenBusy{OpenBusy};
    const bool playsMedia = TExplorerControls(EControls).ViewerPlaysMedia();

    if (selected == 1) {
        const std::string target = ResolvedShortcut(path);
        const std::string ext = UpperCase(ExtractFileExt(target));
        Listing->CurrExt = ext;
        if (ext == ".BIP") {
            HandOff("OpenBIPfile", target);
        } else if (ext == ".AVL") {
            OpenBusy = false;
            HandOff("btnLoadSClick", target);
        } else if (ext == ".VOP") {
            OpenBusy = false;
            HandOff("mnuHistoryLoadClick", target);
            Application.ProcessMessages();
        } else if (ext == ".ZIP") {
            mnuUnzipperClick(this);
            Application.ProcessMessages();
            HandOff("Populate", target);
            ExplorerDirty = true;
            Application.ProcessMessages();
        } else if (InList(ext, ViewableExtensions) ||
                   (playsMedia && InList(ext, ViewableMediaExtensions) && !InList(ext, MediaForShell))) {
            HandOff("DragOpen", target);
            Application.ProcessMessages();
        } else if (ext != ".DB" && ShellOpen(target, "", ExtractFilePath(target), 5) < 33) {
            voMessageDlg("", "", kNoApplication, mtError, ButtonBit(mbAbort), AutoDefaultButton, 0);
        }
        return;
    }

    // Several files (or none selected with one focused): the selected pictures
    // become the bookmark list, the first of them on view.
    if (XL->Items()->Count() >= 3) {
        // The old list is given up only once it is kept; else the selection
        // joins it.
        bool kept = true;
        try {
            lumv8900::ImageHistoryList.SaveToFile(ProgramFolder() + "latest_bookmarks.vop");
        } catch (const Exception&) {
            kept = false;
        }
        if (kept) {
            lumv8900::ImageHistoryList.Clear();
            lumv8900::ImageHistoryIndex = 0;
        }
    }
    bool shown = false;
    for (int row : XL->SelectedRows()) {
        FileRec item;
        if (!Listing->RowRec(row, item) || item.State() == 0)
            continue;
        const std::string file = ResolvedShortcut(Listing->GetItemPath(row));
        const std::string ext = UpperCase(ExtractFileExt(file));
        if (InList(ext, ViewableExtensions) || (playsMedia && InList(ext, ViewableMediaExtensions))) {
            if (lumv8900::EscapePressed)
                break;
            if (!shown) {
                shown = true;
                HandOff("DragOpen", file);
                Application.ProcessMessages();
            } else {
                lumv8900::ImageHistoryList.Add(file);
            }
        } else if (ext == ".ZIP") {
            ExplorerDirty = true;
            mnuUnzipperClick(this);
            HandOff("Populate", file);
        } else if (!DirectoryExists(file) && ShellOpen(file, "", ExtractFilePath(file), 5) < 33) {
            voMessageDlg("", "", kNoApplication, mtError, ButtonBit(mbAbort), AutoDefaultButton, 0);
            break;
        }
    }
    HandOff("HistoryControls", "");
}

// ---- Open Containing Folder

void TFileForm::mnuFOpenContainerClick(QObject*) {
    TOwnCall own(this);
    FileRec rec;
    if (!Listing->RowRec(-1, rec))
        return;
    std::string path = Listing->GetItemPath(-1);
    if (!FilePresent(path) && !DirectoryExists(path) && !IsSymbolicLink(path)) {
        if (DirectoryExists(RemoveBackslash(ExploreDir)))
            mnuRefreshClick(this);
        else
            FallBackHome();
        return;
    }
    if (XL->SelCount() == 1) {
        if (IsSymbolicLink(path)) {
            // A link leads to its target's folder; one that leads nowhere cancels.
            path = LinkTarget(path);
            if (path.empty())
                return;
        } else if (UpperCase(ExtractFileExt(path)) == ".LNK") {
            if (!ResolveShortcutFile(path) || !DirectoryExists(RemoveBackslash(ExtractFilePath(path))))
                return;
            path = StLink->FileName;
        }
    }
    const std::string folder = ExtractFilePath(ExcludeTrailingPathDelimiter(path));
    if (!DirectoryExists(RemoveBackslash(folder)))
        return;
    ExploreDir = folder;
    LookBox->SetFolder(folder);
}

// ---- The zip window

void TFileForm::mnuUnzipperClick(QObject*) {
    TOwnCall own(this);
    Unzip_8900::EnsureZipWindow().Form().show();
}

// ---- The thumbnail cache folder

void TFileForm::mnuCacheChangeClick(QObject*) {
    TOwnCall own(this);
    if (!ExecuteWalkForm(0, "Select Folder for Thumbnails ...", RemoveBackslash(lumv8900::ThumbCacheDir)))
        return;
    if (TreeShown() && !ExploreDir.empty())
        CloseDrives(false);
    Thumbnailing_Stop();
    const std::string folder = RemoveBackslash(walk8900::WalkFolder);
    if (folder.empty())
        return;
    if (!FolderTakesWrites(folder)) {
        voMessageDlg("", "", "Cannot write thumbs to selected folder.\nChange aborted.", mtWarning, mbOKOnly,
                     AutoDefaultButton, 0);
        return;
    }
    if (!DirectoryExists(folder))
        return;
    lumv8900::ThumbCacheDir = folder;
    // The new root gets its own blank file, which the thumbnail files measure by.
    ThumbRecOffset = 0;
    PrepareThumbFolder(nullptr);
}

}  // namespace lumvor
