// The image window and the desktop: the wallpaper, the visited-folder log,
// the help handler and the program look-up.
#include "app/DesktopWallpaper.h"
#include "app/FileAssociations.h"
#include "state/ViewerSettings.h"
#include "app/lumv8900.h"
#include "imaging/Helpers.h"
#include "platform/Folders.h"
#include "platform/Forms.h"
#include "platform/Menus.h"
#include "platform/SysUtils.h"
#include "platform/Volumes.h"
#include "imgman/imgman.h"
#include "shell/StBrowser.h"
#include "ui/StFileOp.h"
#include "ui/listdlg_y.h"
#include "imaging/AvlScript.h"
#include "ui/Pix.h"
#include "ui/voMsgBox.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStandardPaths>

#include <sys/stat.h>

namespace lumvor {

using namespace lumv8900;

namespace {

constexpr int kAssociationListMode = 200;
constexpr int kAssociationHelpContext = 888;

// The narrowest picture that can become the wallpaper.
constexpr int kMinWallpaperWidth = 129;
constexpr size_t kMaxLinkName = 128;

bool IsMountPoint(const std::string& folder) {
    const std::string path = folder == "/" ? folder : ExcludeTrailingPathDelimiter(folder);
    return MountPointOf(path) == path;
}

// The name a folder is shown by: a mount point by its volume's label (or
// the mount point itself), any other folder by its own name.
std::string DisplayName(const std::string& folder) {
    if (IsMountPoint(folder)) {
        const std::string label = VolumeLabel(folder);
        return label.empty() ? folder : label;
    }
    return ExtractFileName(ExcludeTrailingPathDelimiter(folder));
}

// A link name a file system takes: no "/" and, as the log has always written
// them, no ":".
std::string LinkSafe(std::string name) {
    for (char& c : name)
        if (c == ':' || c == '/')
            c = ' ';
    name = TrimRight(name);
    // The root folder of an unlabelled volume leaves nothing.
    return name.empty() ? "Root" : name;
}

bool LinkExists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

// The picture fitted into the screen, through the imaging library; an empty
// bitmap when a step failed (the library's error is then shown).
bool FittedWallpaper(TWebForm& form, TBitmap& fitted) {
    if (form.ExportBitmapToImg() == 0) {
        form.ShowImgError();
        return false;
    }
    TSize size;
    FitSizeInBox(ImageWidth, ImageHeight, Screen.Width(), Screen.Height(), size);
    // Only the width shrinking: through a copy at twice the size, for a smoother result.
    const bool throughDouble = size.cy == ImageHeight && size.cx < ImageWidth;
    const int copy = ScaledCopy(ImgHandle, size.cx, size.cy, IMG_COPY_SMOOTH, throughDouble);
    form.CloseImgHandle();
    if (copy == 0) {
        form.ShowImgError();
        return false;
    }
    fitted.SetPixelFormat(pf24bit);
    fitted.SetSize(size.cx, size.cy);
    const int drawn = ImgPrintImage(copy, fitted.Canvas(), Rect(0, 0, size.cx - 1, size.cy - 1), 0);
    ImgClose(copy);
    if (drawn != 1) {
        form.ShowImgError();
        return false;
    }
    return true;
}

}  // namespace

std::string lumv8900::WallpaperFileName() { return IncludeTrailingPathDelimiter(AppDir.empty() ? ProgramFolder() : AppDir) + "VO_Wallpaper.Bmp"; }

bool lumv8900::CheckAppPath(const std::string& Name) {
    return !Name.empty() && !QStandardPaths::findExecutable(QString::fromStdString(Name)).isEmpty();
}

std::string lumv8900::VisitedFolderLinkName(const std::string& Folder) {
    const std::string folder = ExcludeTrailingPathDelimiter(Folder);
    std::string name = DisplayName(folder.empty() ? "/" : folder);
    if (!folder.empty() && !IsMountPoint(folder)) {
        const std::string parent = ExtractFilePath(folder);
        const std::string longName = name + " in " + DisplayName(parent.empty() ? "/" : parent);
        if (longName.size() <= kMaxLinkName)
            name = longName;
    }
    return LinkSafe(name);
}

void TWebForm::AddToAppRecent(const std::string& Path) {
    if (SlideshowRunning || !ViewerControls.Flag(vc::LogVisited) || Path.empty())
        return;
    try {
        const std::string recent = IncludeTrailingPathDelimiter(EnsureRecentPath());
        TStShortcut shortcut;
        shortcut.LocationType = ltDirectory;
        shortcut.DestinationDir = recent;
        shortcut.StartInDir = recent;
        shortcut.FileName = ExcludeTrailingPathDelimiter(Path);
        if (shortcut.FileName.empty())
            shortcut.FileName = "/";
        if (!shortcut.CreateShortcut())
            return;
        for (int i = 0; i < 3; ++i)
            Application.ProcessMessages();
        // One link per name: a folder logged before keeps its link.
        const std::string name = recent + VisitedFolderLinkName(Path);
        if (name == shortcut.ShortcutFileName)
            return;
        if (LinkExists(name))
            DeleteFileNow(shortcut.ShortcutFileName);
        else
            RenameFile(shortcut.ShortcutFileName, name);
    } catch (const std::exception&) {
        // A folder that cannot be logged is not worth a message.
    }
}

void TWebForm::mnuWallpaperSet1Click(QObject*) {
    if (ImageWidth < kMinWallpaperWidth)
        return;
    if (CurrentDesktopKind() == TDesktopKind::Unknown) {
        voMessageDlg("", "", "Setting the wallpaper is not supported on this desktop.", mtInformation, mbOKOnly,
                     AutoDefaultButton, 0);
        return;
    }
    // The fitted copy is made beside the picture: the picture shown stays as it is.
    Screen.SetCursor(crHourGlass);
    TBitmap fitted;
    const bool made = FittedWallpaper(*this, fitted);
    Screen.SetCursor(crDefault);
    if (!made)
        return;
    const std::string file = WallpaperFileName();
    try {
        fitted.SaveToFile(file);
    } catch (const Exception& e) {
        voMessageDlg("", "", e.Message(), mtError, mbOKOnly, AutoDefaultButton, 0);
        return;
    }
    SetDesktopWallpaper(file);
}

void TWebForm::mnuWallpaperClear1Click(QObject*) {
    if (CurrentDesktopKind() == TDesktopKind::Unknown) {
        voMessageDlg("", "", "Setting the wallpaper is not supported on this desktop.", mtInformation, mbOKOnly,
                     AutoDefaultButton, 0);
        return;
    }
    SetDesktopWallpaper("");
}

bool TWebForm::FindAssociatedApp(const std::string& TypeName, std::string& AppPath) {
    AppPath.clear();
    TStBrowser browser;
    browser.Caption = "Select Associated App for " + TypeName;
    browser.Options = boShowFiles;
    browser.RootFolder = "/";
    browser.SetSelectedFolder("/usr/share/applications");
    browser.SetStatusText(TypeName.find("JP") != std::string::npos
                              ? "For JPG, a web browser's .desktop file in /usr/share/applications"
                              : "For BMP, a paint program's .desktop file in /usr/share/applications");
    browser.OnSelChanged = [&browser](QObject*) { browser.SetOKEnabled(!browser.SelectedFolder().empty()); };
    if (!browser.Execute())
        return false;
    AppPath = browser.Folder();
    return !AppPath.empty();
}

void TWebForm::mnuAssociationsClick(QObject* Sender) {
    const bool change = Sender != nullptr && Sender == static_cast<QObject*>(mnuAssociationsClear);
    TStringList entries;
    for (const std::string& entry : AssociationEntries())
        entries.Add(entry);
    if (ExecuteListDlg(kAssociationListMode, kAssociationHelpContext,
                       std::string(change ? "Change" : "Set") + " File Associations", entries) < 0 ||
        AvlLines.Count() == 0)
        return;
    std::vector<std::string> kept;
    for (int i = 0; i < AvlLines.Count(); ++i)
        kept.push_back(AvlLines[i]);
    if (!change) {
        AssociateLumvor(kept, QCoreApplication::applicationFilePath().toStdString());
        return;
    }
    // Each kept type stops opening in this program; a program picked for it
    // becomes its default.
    RemoveDefaultApplication(AssociationMimeTypes(kept), kLumvorDesktopId);
    for (const std::string& entry : kept) {
        std::string program;
        if (!FindAssociatedApp(AssociationTypeName(entry), program))
            continue;
        const std::vector<std::string> types = AssociationMimeTypes({entry});
        const std::string id = DesktopIdForChoice(program, types);
        if (!id.empty())
            SetDefaultApplication(types, id);
    }
}

}  // namespace lumvor
