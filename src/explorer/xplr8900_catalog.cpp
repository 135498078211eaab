// The explorer's image catalogs: "&Image catalog" writes the pages of the
// explored folder and of every folder below it, with a table of contents and
// a frameset; "&Directory tree" writes only the table of contents, linking
// the folders themselves.
//
// A fixed catalog goes into one folder the user picks and links the pictures
// by file URLs; an offline catalog goes into the source folders themselves
// ("_idx.htm" and a "thumbs" folder in each), with relative links, for a copy
// on a DVD or CD. Offline catalogs delete and replace only the program's own
// pages: a folder holding an index page of the user's is left out and named
// at the end.
#include "explorer/xplr8900.h"

#include "processing/files/SavePicture.h"
#include "state/ViewerState.h"
#include "explorer/Catalog.h"
#include "explorer/FolderListing.h"
#include "explorer/FolderWalk.h"
#include "ui/LongRun.h"
#include "explorer/WebDlg.h"
#include "explorer/WebOptions.h"
#include "explorer/WebPages.h"
#include "imaging/Helpers.h"
#include "platform/Forms.h"
#include "platform/Streams.h"
#include "platform/SysUtils.h"
#include "ui/LookBoxEx.h"
#include "ui/MenuItems.h"
#include "ui/SaveDialogEx.h"
#include "ui/Status_y.h"
#include "ui/VListShowEx.h"
#include "ui/voMsgBox.h"
#include "ui/walk8900.h"

#include <QLabel>
#include <QProgressBar>

#include <unistd.h>

namespace lumvor {

using namespace xplr8900;

namespace {

constexpr std::uint16_t OkCancel = ButtonBit(mbOK) | ButtonBit(mbCancel);
constexpr std::uint16_t OkIgnore = ButtonBit(mbOK) | ButtonBit(mbIgnore);

void Inform(const std::string& Text) { voMessageDlg("", "", Text, mtInformation, mbOKOnly, AutoDefaultButton, 0); }

int Ask(const std::string& Text, std::uint16_t Buttons) {
    return voMessageDlg("", "", Text, mtConfirmation, Buttons, AutoDefaultButton, 0);
}

// Set when "Cancel batch operation?" was answered Yes inside a folder's
// thumbnail step: the walk then ends without asking again.
bool FolderStepCancelled = false;


// The folder a catalog run writes into, and where it writes.
enum class TCatalogKind { Fixed, Offline, DirTree };

struct TCatalogFolder {
    std::string Path;  // with a trailing "/"
    int Depth = 0;
};

// The catalog's folders: the root, then every folder below it in the tree's
// order; the thumbnail folders the catalogs write, and everything below them,
// are left out.
std::vector<TCatalogFolder> CatalogFolders(const std::string& Root) {
    std::vector<TCatalogFolder> folders;
    TWalkOptions options;
    options.StatFiles = false;
    WalkFolderTree(
        Root,
        [&folders](TWalkFolder& Folder) {
            folders.push_back({Folder.Path, Folder.Depth});
            std::erase(Folder.SubFolders, std::string(catalog::ThumbsFolder));
            return TWalkStep::Continue;
        },
        options);
    return folders;
}

// The last folder name of a path; the whole path for a volume's root.
std::string StatusFolderName(const std::string& Folder) {
    std::string name = ExtractFileName(ExcludeTrailingPathDelimiter(Folder));
    return name.empty() ? Folder : name;
}

// The write test: a scratch file made in the folder and removed again.
bool FolderWritable(const std::string& Folder) {
    const std::string probe = ScratchFileName(IncludeTrailingPathDelimiter(Folder) + catalog::IndexPage);
    try {
        WriteNewFile(probe, "", 0);
    } catch (const Exception&) {
        return false;
    }
    DeleteFile(probe);
    return true;
}

std::string CatalogStatusCaption(TCatalogKind Kind) {
    switch (Kind) {
        case TCatalogKind::DirTree: return "Creating Table of Contents";
        case TCatalogKind::Offline: return "Creating DVD/CD image catalog(s)";
        case TCatalogKind::Fixed: break;
    }
    return "Creating Fixed image catalog(s)";
}

}  // namespace

void TFileForm::mnuDirTreeClick(QObject*) { mnuCatalogClick(FindItem("mnuDirectoryTree")); }

bool TFileForm::CatalogPageFile() {
    CatalogPageName.clear();
    if (HTMLset9.ImagesOnly())
        mnuSelectAllImagesClick(nullptr);
    else
        mnuSelectAllFilesClick(nullptr);
    if (XL->SelCount() == 0) return false;
    if (HTMLset9.OfflineCatalog()) {
        WebDir = ExploreDir;
        CatalogPageName = catalog::IndexPage;
    } else {
        CatalogPageName = catalog::FolderPageName(WebDir, ExploreDir);
    }
    PageFile = IncludeTrailingPathDelimiter(WebDir) + CatalogPageName;
    return true;
}

int TFileForm::Local_DoThumbnails(bool WritePages) {
    const int items = int(Listing->FileOrder.size());
    if (DirTreeOnly || items == 0 || !WritePages) {
        mnuSelectAllFilesClick(nullptr);
        return XL->SelCount();
    }
    if (HTMLset9.ImagesOnly())
        mnuSelectAllImagesClick(nullptr);
    else
        mnuSelectAllFilesClick(nullptr);
    const int selected = XL->SelCount();
    for (int row = 0; row < items; ++row) {
        if (!Listing->View.IsRowSelected(row)) continue;
        MakeThumbnailNow(row);
        if (StatusForm) StatusForm->ProgressFolders->setValue(row * 100 / items);
        Application.ProcessMessages();
        if (LongRunCancelled()) {
            FolderStepCancelled = true;
            StatusMessageSolo("Ready");
            return selected;
        }
    }
    if (HTMLset9.ContactSheet())
        ContactDir(false);
    else
        NormalPage(false);
    StatusMessageSolo("Ready");
    ThumbsComplete = true;
    return selected;
}

namespace {

// What one catalog run writes and where.
struct TCatalogRun {
    TCatalogKind Kind = TCatalogKind::Fixed;
    // The folder of the table of contents and the frameset, with a trailing
    // "/", and the name of the table of contents.
    std::string OutputDir;
    std::string TocName = catalog::HomePage;
    // The root's page and the first sub-folder's page, as the table of
    // contents links them.
    std::string RootPage, FirstFolderPage;
    // Folders left out because they hold index pages of the user's.
    std::vector<std::string> LeftOut;
    bool HadSubFolders = false;
    bool Cancelled = false;
};

// The source cannot take an offline catalog: the user cannot write it, it lies
// on an optical volume or in a network place, or its volume is unknown.
bool SourceWritable(TFileForm& Form, const std::string& Folder) {
    if (::access(Folder.c_str(), W_OK) != 0 || IsNetworkPlace(Folder)) return false;
    const int drive = Form.GetDriveIndex(Folder);
    if (drive < 0) return false;
    if (drive >= Form.DriveList->Count()) return true;
    const int32_t kind = Form.DriveList->GetData(drive);
    return kind != DriveOptical && kind != DriveRemote;
}

// The page options of a catalog run; false when the user cancelled.
bool ChooseCatalogOptions(TFileForm& Form, bool SourceIsWritable) {
    THTMLSet& o = HTMLset9;
    o.SetCatalogPage(true);
    if (Form.DirTreeOnly) {
        o.SetOfflineCatalog(false);
        return true;
    }
    for (;;) {
        if (o.ReviewSettings()) {
            Form.Edit_Start();
            const int answer = ExecuteWebDlg(-2);
            Form.Edit_End();
            if (answer != 1) return false;
        }
        if (SourceIsWritable || !o.OfflineCatalog()) return true;
        const int answer = voMessageDlg("", "",
                                        "ReadOnly or Networked source folders detected.\n"
                                        "Writing DVD/CD image catalogs to source folders is\n"
                                        "not allowed.  Fixed image catalogs are allowed.",
                                        mtWarning, OkIgnore, AutoDefaultButton, 0);
        o.SetReviewSettings(true);
        if (answer == mrIgnore) return true;
    }
}

bool IsThumbsFolder(const std::string& Folder) {
    return ExtractFileName(ExcludeTrailingPathDelimiter(Folder)) == catalog::ThumbsFolder;
}

// An existing table of contents or frameset in the output folder that the run
// would replace is confirmed first: always for a fixed catalog's
// "_home.htm", and for pages that are not the program's.
bool ConfirmReplacedPages(const TCatalogRun& Run, bool ToC) {
    using catalog::PageOwner;
    using catalog::TPageOwner;
    const TPageOwner home = PageOwner(Run.OutputDir + catalog::HomePage);
    const TPageOwner frames = PageOwner(Run.OutputDir + catalog::FramesPage);
    bool ask = home == TPageOwner::Foreign || frames == TPageOwner::Foreign;
    if (Run.Kind == TCatalogKind::Fixed) ask = ask || home != TPageOwner::Missing;
    if (!ToC) ask = false;
    return !ask || Ask("New folder recommended.\nIndex file \"_home.htm\" exists.\nOverwrite?", OkCancel) == mrOk;
}

}  // namespace

namespace {

// Where the run writes: the source folder itself (offline), a file the user
// names (directory tree) or a folder the user picks (fixed); false when the
// user cancelled or the choice is refused.
bool ChooseCatalogOutput(TFileForm& Form, TCatalogRun& Run) {
    switch (Run.Kind) {
        case TCatalogKind::Offline: {
            const int answer = Ask("Parent folder (below) will be cataloged.\n\n" +
                                       ExcludeTrailingPathDelimiter(ExploreDir) + "\n\n" +
                                       "A Table of Contents (ToC) will remain valid\n" +
                                       "IF ONLY the Parent folder is renamed or\n" +
                                       "moved (with all its content).  Add a ToC?",
                                   mbYesNoCancel);
            if (answer != mrYes && answer != mrNo) return false;
            Form.CatalogToC = answer == mrYes;
            Form.WebDir = ExploreDir;
            break;
        }
        case TCatalogKind::DirTree: {
            TSaveDialogEx dialog;
            dialog.SetFileName(catalog::ProposedPageName(ExploreDir));
            dialog.SetInitialDir(Form.WebDir);
            dialog.DefaultExt = "htm";
            dialog.HiddenDefaultExt = "htm";
            dialog.Title = "Create Table of Contents";
            dialog.Filter = "HTML (Web Page)|*.htm";
            dialog.SetFilterIndex(1);
            if (!dialog.Execute()) return false;
            const std::string folder = ExtractFilePath(dialog.FileName());
            if (IsThumbsFolder(folder)) {
                Inform("\"thumbs\" is a reserved folder name");
                return false;
            }
            Form.WebDir = folder;
            Run.TocName = ExtractFileName(dialog.FileName());
            Form.CatalogToC = true;
            break;
        }
        case TCatalogKind::Fixed: {
            std::string root;
            GetPathRoot(ExploreDir, root);
            if (!ExecuteWalkForm(0, "Create FIXED image catalog in ", root) || walk8900::WalkFolder.empty())
                return false;
            Form.WebDir = IncludeTrailingPathDelimiter(walk8900::WalkFolder);
            if (IsThumbsFolder(Form.WebDir)) {
                Inform("\"thumbs\" is a reserved folder name");
                return false;
            }
            Form.CatalogToC = true;
            break;
        }
    }
    Run.OutputDir = IncludeTrailingPathDelimiter(Form.WebDir);
    return ConfirmReplacedPages(Run, Form.CatalogToC);
}

// The checks before anything is written: no "#" in the output folder, and a
// file can be made there.
bool OutputUsable(const TCatalogRun& Run) {
    if (Run.OutputDir.find('#') != std::string::npos) {
        WarnWebName(Run.OutputDir + "\n");
        return false;
    }
    if (FolderWritable(Run.OutputDir)) return true;
    std::string text = "Cannot access drive/folder.\nCheck device or security settings.";
    if (Run.Kind == TCatalogKind::Offline) text += "\nUse Fixed catalog option to catalog CDROM.";
    voMessageDlg("", "", text, mtWarning, mbOKOnly, AutoDefaultButton, 0);
    return false;
}

// Old catalog files of the output folder go before the run writes: the
// program's own index series, table of contents and frameset (a fixed
// catalog's confirmed "_home.htm" and frameset whoever made them).
void ClearOutputFolder(const TCatalogRun& Run) {
    const std::string home = Run.OutputDir + catalog::HomePage;
    const std::string frames = Run.OutputDir + catalog::FramesPage;
    std::vector<std::string> files = catalog::IndexSeries(Run.OutputDir);
    if (Run.Kind == TCatalogKind::Fixed) {
        // The fixed catalog's pages are named after folders; only its own
        // leftovers of the index series go.
        files.resize(std::min<size_t>(files.size(), 1));
        for (const std::string& page : {home, frames})
            if (catalog::PageOwner(page) != catalog::TPageOwner::Missing) DeleteFileNow(page);
    } else {
        files.push_back(home);
        files.push_back(frames);
    }
    catalog::DeleteOwnFiles(files);
}

}  // namespace

namespace {

// Lists a folder of the walk in the explorer (a listing of the folder already
// shown is made again: the run may have deleted files in it).
bool ListWalkFolder(TFileForm& Form, const std::string& Folder) {
    if (!DirectoryExists(Folder)) return false;
    Form.HistoryStep = true;
    if (Form.LookBox->Folder() == Folder)
        Form.LookBoxChange(&Form);
    else
        Form.GoToFolder(Folder);
    Form.HistoryStep = false;
    return ExploreDir == Folder;
}

// The table of contents line of one folder of the walk.
void AddTocLine(TFileForm& Form, TCatalogRun& Run, catalog::TTableOfContents& Toc, const TCatalogFolder& Folder,
                bool LeftOut, int Count) {
    const bool root = Folder.Depth == 0;
    const std::string name = ExtractFileName(ExcludeTrailingPathDelimiter(Folder.Path));
    if (Run.Kind == TCatalogKind::DirTree) {
        if (!root) Toc.FolderLine(Folder.Depth, catalog::FileUrl(Folder.Path), name, Count);
        return;
    }
    std::string page;
    if (!LeftOut && Count > 0 && !Form.CatalogPageName.empty())
        page = Run.Kind == TCatalogKind::Offline
                   ? catalog::RelativeFolderLink(Form.CatalogRoot, Folder.Path) + catalog::IndexPage
                   : webpage::EncodeUrlSegment(Form.CatalogPageName);
    if (root) {
        Run.RootPage = page;
        Toc.ParentLine(page, Count);
        return;
    }
    if (page.empty()) return;
    Toc.FolderLine(Folder.Depth, page, name, Count);
    if (Run.FirstFolderPage.empty()) Run.FirstFolderPage = page;
}

// The walk ends after a folder when the user confirmed Cancel inside it or
// after it, or the program is quitting.
bool WalkStops() { return FolderStepCancelled || LongRunCancelled(); }

void WriteCatalogFile(const std::string& File, const std::string& Text) {
    try {
        WriteWholeFile(File, Text.data(), int64_t(Text.size()));
    } catch (const Exception& e) {
        voMessageDlg("", "", e.Message(), mtError, mbOKOnly, AutoDefaultButton, 0);
    }
}

// The table of contents and the frameset after the walk.
void WriteCatalogIndex(TFileForm& Form, const TCatalogRun& Run, catalog::TTableOfContents& Toc) {
    Toc.Footer(SavePicture::MakerWebAddress);
    if (Form.CatalogToC) WriteCatalogFile(Run.OutputDir + Run.TocName, Toc.Text());
    if (Run.Kind == TCatalogKind::DirTree) return;
    const std::string frames = Run.OutputDir + catalog::FramesPage;
    if (!Form.CatalogToC) {
        if (catalog::PageOwner(frames) == catalog::TPageOwner::Own) DeleteFileNow(frames);
        return;
    }
    // The first sub-folder's page opens beside the contents; without one the
    // root's page, and without that the contents themselves.
    std::string right = Run.FirstFolderPage.empty() ? Run.RootPage : Run.FirstFolderPage;
    if (right.empty()) right = catalog::HomePage;
    WriteCatalogFile(frames, catalog::FramesetText(right));
}

// The walk over the catalog's folders, from showing the status box to closing it.
void WalkCatalog(TFileForm& Form, TCatalogRun& Run) {
    CancelPressed = 0;
    FolderStepCancelled = false;
    Form.CatalogRoot = ExploreDir;
    ShowStatusForm(CatalogStatusCaption(Run.Kind));
    IsBusy = 1;
    StatusForm->LabelText("One moment ...", "Folders:", "Thumbs:");
    if (!Form.TreeShown()) Form.mnuFolderTreeClick(&Form);
    Form.Thumbnailing_Stop();
    ThumbsComplete = true;
    if (Form.ThumbnailView()) Form.mnuViewListClick(&Form);

    const std::vector<TCatalogFolder> folders = CatalogFolders(Form.CatalogRoot);
    Run.HadSubFolders = folders.size() > 1;
    StatusForm->ProgressThumbs->setRange(0, Run.HadSubFolders ? int(folders.size()) - 1 : 2);
    StatusForm->ProgressThumbs->setValue(0);
    ClearOutputFolder(Run);

    catalog::TTableOfContents toc(HTMLset9, HTMLset9.UseFrames() && Run.Kind != TCatalogKind::DirTree);
    for (const TCatalogFolder& folder : folders) {
        Form.CatalogDepth = folder.Depth;
        const bool leftOut = Run.Kind == TCatalogKind::Offline && catalog::HasForeignIndex(folder.Path);
        if (leftOut)
            Run.LeftOut.push_back(folder.Path);
        else if (Run.Kind == TCatalogKind::Offline)
            catalog::DeleteOwnFiles(catalog::IndexSeries(folder.Path));
        if (StatusForm) {
            StatusForm->LabelText("Processing : " + StatusFolderName(folder.Path), "", "");
            StatusForm->ProgressFolders->setValue(0);
        }
        if (!ListWalkFolder(Form, folder.Path)) continue;
        Form.CatalogPageName.clear();
        const int count = Form.Local_DoThumbnails(!leftOut);
        if (WalkStops()) {
            Run.Cancelled = true;
            break;
        }
        AddTocLine(Form, Run, toc, folder, leftOut, count);
        if (folder.Depth > 0 && StatusForm) StatusForm->ProgressThumbs->setValue(StatusForm->ProgressThumbs->value() + 1);
    }
    Form.BatchBusy = false;
    WriteCatalogIndex(Form, Run, toc);
    if (StatusForm) StatusForm->Close();
    IsBusy = 0;
}

// After the walk: the explorer shows the output, folders left out are named,
// and the browser opens the contents.
void FinishCatalog(TFileForm& Form, const TCatalogRun& Run) {
    if (Run.Cancelled) {
        Form.LookBoxChange(&Form);
        return;
    }
    ListWalkFolder(Form, Run.Kind == TCatalogKind::Offline ? Form.CatalogRoot : Run.OutputDir);
    if (!Run.LeftOut.empty()) {
        std::string text = "These folders hold index pages of their own and were left out of the catalog:\n";
        for (const std::string& folder : Run.LeftOut) text += "\n" + folder;
        Inform(text);
    }
    const std::string toc = Run.OutputDir + Run.TocName;
    if (lumv8900::AppQuitting || !Form.CatalogToC || !FileExists(toc) || !HTMLset9.LaunchBrowser()) return;
    const bool frames = Run.HadSubFolders && HTMLset9.UseFrames() && Run.Kind != TCatalogKind::DirTree;
    if (Form.ShellOpen(frames ? Run.OutputDir + catalog::FramesPage : toc) <= 32) Inform("Web Browser not found.");
}

}  // namespace

void TFileForm::mnuCatalogClick(QObject* Sender) {
    if (IsBusy || BatchBusy) return;
    TOwnCall own(this);
    SimplePage = false;
    WebThumbsFolder = catalog::ThumbsFolder;
    DirTreeOnly = Sender && Sender == FindItem("mnuDirectoryTree");
    if (Listing->DrivesView || Listing->FileOrder.empty()) {
        Inform("No files to process.");
        return;
    }
    FolderMonitor_Terminate();
    BatchBusy = true;
    LoadWebOptions();
    const bool writable = SourceWritable(*this, ExploreDir);
    TCatalogRun run;
    if (ChooseCatalogOptions(*this, writable)) {
        run.Kind = DirTreeOnly               ? TCatalogKind::DirTree
                   : HTMLset9.OfflineCatalog() ? TCatalogKind::Offline
                                               : TCatalogKind::Fixed;
        if (ChooseCatalogOutput(*this, run) && OutputUsable(run)) {
            SaveWebOptions(true);
            WalkCatalog(*this, run);
            FinishCatalog(*this, run);
        }
    }
    BatchBusy = false;
    FolderMonitor_Restart();
}

void TFileForm::BindCatalogs() {
    WireMenuItem(this, static_cast<QAction*>(FindItem("mnuImageCatalog")), [this](QObject* s) { mnuCatalogClick(s); });
    WireMenuItem(this, static_cast<QAction*>(FindItem("mnuDirectoryTree")),
                 [this](QObject* s) { mnuDirTreeClick(s); });
}

}  // namespace lumvor
