// The explorer's web page commands: "&Web page(s)" and "&Simple page", the
// common start of a page run, the choice of the page file, the thumbnails the
// pages need made on the spot, and the end of a run (the copy of the pictures
// beside a simple page, the browser).
#include "explorer/xplr8900.h"

#include "processing/files/SavePicture.h"
#include "state/ViewerState.h"
#include "state/ImageWindowSeam.h"
#include "explorer/Catalog.h"
#include "explorer/ContactSheet.h"
#include "explorer/FolderListing.h"
#include "explorer/ThumbFiles.h"
#include "explorer/WebDlg.h"
#include "explorer/WebOptions.h"
#include "explorer/WebPages.h"
#include "imaging/Helpers.h"
#include "imaging/ThumbCache.h"
#include "platform/Forms.h"
#include "platform/Graphics.h"
#include "platform/SysUtils.h"
#include "ui/StFileOp.h"
#include "ui/MenuItems.h"
#include "ui/SaveDialogEx.h"
#include "ui/Status_y.h"
#include "ui/VListShowEx.h"
#include "ui/voMsgBox.h"

#include <QLabel>
#include <QProgressBar>

namespace lumvor {

using namespace xplr8900;

namespace {

constexpr std::uint16_t OkCancel = ButtonBit(mbOK) | ButtonBit(mbCancel);

void Inform(const std::string& Text) { voMessageDlg("", "", Text, mtInformation, mbOKOnly, AutoDefaultButton, 0); }

// "After thumbnails are done ..." with the command's menu path.
std::string ThumbnailsFirstText(const std::string& Command) {
    return "After thumbnails are done ...\n\n1. Choose files to be added to your Web page.\n"
           "2. Reselect \"Tools | Create | " +
           Command + "\"";
}

// The list edit guard for the length of a scope.
struct TEditScope {
    TFileForm& Form;
    explicit TEditScope(TFileForm& form) : Form(form) { Form.Edit_Start(); }
    ~TEditScope() { Form.Edit_End(); }
};

// The file name of a list row with its extension (records of files keep the
// upper-cased extension apart when the name lacks it).
std::string RowFileName(const FileRec& Rec) { return ExtractFileName(TFolderListing::GetRecFilePath(Rec)); }

}  // namespace

void TFileForm::BindWebPages() {
    WireMenuItem(this, static_cast<QAction*>(FindItem("mnuWebPages")), [this](QObject* s) { mnuWebPage1Click(s); });
    WireMenuItem(this, static_cast<QAction*>(FindItem("mnuSimplePage")),
                 [this](QObject* s) { mnuSimplePageClick(s); });
}

void TFileForm::mnuWebPage1Click(QObject*) {
    TOwnCall own(this);
    if (!ThumbnailView()) {
        btnViewThumbsClick(this);
        Inform(ThumbnailsFirstText("Web page(s)"));
        return;
    }
    BatchBusy = true;
    ContactDir(true);
    BatchBusy = false;
}

void TFileForm::mnuSimplePageClick(QObject*) {
    TOwnCall own(this);
    if (!ThumbnailView()) {
        btnViewThumbsClick(this);
        Inform(ThumbnailsFirstText("Simple page"));
        return;
    }
    SimplePage = true;
    LoadWebOptions();
    THTMLSet& o = HTMLset9;
    o.SetContactSheet(false);
    o.SetCatalogPage(false);
    o.SetImagesOnly(true);
    o.SetPageWidth(640);
    o.SetFileDetails(false);
    o.SetOfflineCatalog(false);
    o.SetThumbsPerPage(999);
    o.SetReviewSettings(false);
    WebFolder.clear();
    PageHome.clear();
    PageBanner.clear();
    SaveWebOptions(false);
    BatchBusy = true;
    ContactDir(true);
    BatchBusy = false;
    SimplePage = false;
}

// Selects the pictures and media of the list; the count selected.
static int SelectWebFiles(TFileForm& Form) {
    TFolderListing& listing = *Form.Listing;
    for (int row = 0; row < int(listing.FileOrder.size()); ++row) {
        FileRec rec;
        if (!listing.RowRec(row, rec) || rec.State() == fsFolder) continue;
        if (ExtInList(UpperCase(ExtractFileExt(RowFileName(rec))), ViewableMediaExtensions, ""))
            listing.View.SelectRow(row);
    }
    return listing.View.SelectedCount ? listing.View.SelectedCount() : 0;
}

void TFileForm::ContactDir(bool Interactive) {
    if (!Interactive) {
        // A catalog walk's folder: selection and options are the walk's; the
        // page writer writes its sheets.
        NormalPage(false);
        return;
    }
    CancelPressed = 0;
    if (Listing->FileOrder.empty()) {
        Inform("No files to process.");
        return;
    }
    if (XL->SelCount() == 0 && SelectWebFiles(*this) == 0) return;
    if (!ThumbsComplete &&
        voMessageDlg("", "", "Thumbnailing incomplete. Continue?", mtConfirmation, OkCancel, AutoDefaultButton, 0) !=
            mrOk)
        return;
    Thumbnailing_Stop();
    LoadWebOptions();
    if (HTMLset9.ReviewSettings()) {
        int answer = 0;
        {
            TEditScope edit(*this);
            answer = ExecuteWebDlg(XL->SelCount());
        }
        if (answer == -999) return;
        SaveWebOptions(false);
    }
    LoadWebOptions();
    // The page series and the contact sheets share the run around the page
    // writer, which picks the writer by the contact sheet option.
    NormalPage(true);
}

// Asks for the first page's file; false when the user cancelled or the choice
// is refused.
static bool ChoosePageFile(TFileForm& Form, bool& Progressive) {
    auto* image = lumv8900::ImageWindow;
    std::unique_ptr<TSaveDialogEx> own;
    TSaveDialogEx* dialog = image && image->PictureSaveDialog() ? image->PictureSaveDialog() : (own = std::make_unique<TSaveDialogEx>()).get();
    // The image window's own settings of the dialog come back afterwards.
    struct TKeep {
        TSaveDialogEx& D;
        std::string Filter = D.Filter, Title = D.Title, DefaultExt = D.DefaultExt, Hidden = D.HiddenDefaultExt;
        int Index = D.FilterIndex();
        TNotifyEvent TypeChange = D.OnTypeChange;
        ~TKeep() {
            D.Filter = Filter, D.Title = Title, D.DefaultExt = DefaultExt, D.HiddenDefaultExt = Hidden;
            D.SetFilterIndex(Index);
            D.OnTypeChange = TypeChange;
            D.HTML = false;
        }
    } keep{*dialog};
    dialog->OnTypeChange = nullptr;
    const THTMLSet& o = HTMLset9;
    if (Form.SimplePage)
        Inform("Thumbnails and Web page will now be created.\n\nAn EMPTY Upload folder is highly-recommended.\n"
               "You can create a NEW folder with the next dialog.");
    for (;;) {
        std::string proposed;
        if (o.CatalogPage()) proposed = catalog::ProposedPageName(ExploreDir);
        dialog->SetFileName(proposed);
        dialog->SetInitialDir(o.OfflineCatalog() ? ExcludeTrailingPathDelimiter(ExploreDir) : Form.WebDir);
        dialog->DefaultExt = "htm";
        dialog->Title = "Create HTML + Thumbnails As";
        dialog->Filter = "HTML (Web Page)|*.htm";
        dialog->SetFilterIndex(1);
        dialog->HiddenDefaultExt = "htm";
        dialog->HTML = true;
        dialog->EnableScrollbar = true;
        dialog->EnableProgressive = true;
        dialog->SetCompressQuality(o.ThumbQuality());
        const bool chosen = dialog->Execute();
        if (!chosen) return false;
        const std::string path = dialog->FileName();
        const std::string folder = ExtractFilePath(path);
        if (ExtractFileName(ExcludeTrailingPathDelimiter(folder)) == DefaultThumbsFolder) {
            Inform("\"thumbs\" is a reserved folder name");
            return false;
        }
        if (path.find('#') != std::string::npos) {
            WarnWebName(path + "\n\n");
            return false;
        }
        Form.WebDir = folder;
        Form.PageFile = path;
        Progressive = dialog->Progressive() != 0;
        HTMLset9.SetThumbQuality(dialog->CompressQuality());
        if (Form.SimplePage && UpperCase(IncludeTrailingPathDelimiter(ExploreDir)) == UpperCase(folder)) {
            Inform("Source (or parent) and destination folders are the same.");
            continue;
        }
        return true;
    }
}

void TFileForm::MakeThumbnailNow(int Position) {
    FileRec rec;
    int32_t recNo = -1;
    if (!Listing->RowRec(Position, rec, &recNo)) return;
    if (rec.State() != fsPending && rec.State() != fsPresent) return;
    if (ThumbFilePresent(ThumbRecFile(rec), rec)) return;
    // A stale cache file (cut short, or another picture's) is made again.
    if (rec.State() == fsPresent) {
        rec.SetState(fsPending);
        Listing->WriteRec(recNo, rec);
    }
    TOwnCall own(this);
    PrepareThumbFolder(nullptr);
    MakeRowThumbnail(rec, recNo, Position);
}

void TFileForm::NormalPage(bool Interactive) {
    TOwnCall own(this);
    LoadComments();
    bool progressive = true;
    if (Interactive ? !ChoosePageFile(*this, progressive) : !CatalogPageFile()) return;

    if (SimplePage && !voInputQuery(240, 60, 0, "Web Page Title", "e.g. Pictures of the Week", WebPageTitle)) return;

    std::vector<int> rows;
    for (int row = 0; row < int(Listing->FileOrder.size()); ++row) {
        FileRec rec;
        if (Listing->RowRec(row, rec) && rec.State() != fsFolder && Listing->View.IsRowSelected(row))
            rows.push_back(row);
    }
    // Room for every thumbnail and the pages, read as the full 64-bit free size.
    const int64_t needed = int64_t(rows.size() + 1) * 32768;
    const int64_t free = GetDiskFree(WebDir);
    if (free >= 1 && free < needed) {
        CancelPressed = 1;
        if (Interactive) ShowDiskSpaceError(needed, free, "");
        return;
    }
    WebFolder = WithTrailingSlash(WebFolder);

    webpage::TPageJob job;
    job.Options = HTMLset9;
    job.Kind = HTMLset9.OfflineCatalog()  ? webpage::TPageKind::OfflineCatalog
               : HTMLset9.CatalogPage() ? webpage::TPageKind::FixedCatalog
                                        : webpage::TPageKind::Internet;
    job.SimplePage = SimplePage;
    job.Interactive = Interactive;
    job.Progressive = progressive;
    job.WebFolder = WebFolder;
    job.PageHome = PageHome;
    job.PageBanner = PageBanner;
    job.ThumbsFolder = WebThumbsFolder;
    if (HTMLset9.CatalogPage()) GetDriveCaption(WebPageTitle);
    job.Title = Interactive && job.Kind == webpage::TPageKind::Internet ? WebPageTitle
                                                                       : "Contents of " + WebFolderName(ExploreDir);
    job.PageFile = PageFile;
    job.CellWidth = ListCellWidth;
    job.CellHeight = ListCellHeight;
    job.SourceWidth = ThumbWidth;
    job.SourceHeight = ThumbHeight;
    job.ThumbCounter = &WebThumbCounter;
    job.MakerAddress = SavePicture::MakerWebAddress;
    job.CatalogPageNumber = Interactive ? 0 : CatalogDepth;
    if (!Interactive && !HTMLset9.UseFrames() && (CatalogToC || !HTMLset9.OfflineCatalog())) {
        job.CatalogHome = catalog::HomePage;
        if (HTMLset9.OfflineCatalog())
            for (int level = 0; level < CatalogDepth; ++level) job.CatalogHome = "../" + job.CatalogHome;
    }
    std::vector<int> fileRows;
    for (int row : rows) {
        FileRec rec;
        Listing->RowRec(row, rec);
        const std::string name = RowFileName(rec);
        job.Files.push_back({name, Listing->GetItemPath(row), FormatFileSizeText(int64_t(rec.FileSize())),
                             CommentText(*Listing, name)});
        fileRows.push_back(row);
    }
    job.LoadThumbnail = [this, &job, &fileRows](const webpage::TPageFile& File, TBitmap& Picture) {
        const int row = fileRows[size_t(&File - job.Files.data())];
        MakeThumbnailNow(row);
        FileRec trailer;
        return LoadThumbFile(&trailer, Picture, Listing->GetThumbRecPath(row));
    };
    const bool sheets = HTMLset9.ContactSheet() && !SimplePage;
    const size_t progressFrom = sheets ? 3 : 2;
    const int lastRow = std::max(int(Listing->FileOrder.size()) - 1, 1);
    job.Progress = [this, &fileRows, lastRow, progressFrom, Interactive](int Index, int) {
        if (Listing->FileOrder.size() <= progressFrom) return;
        const int percent = fileRows[size_t(Index)] * 100 / lastRow;
        // A catalog walk shows it on its status box.
        if (!Interactive && StatusForm)
            StatusForm->ProgressFolders->setValue(percent);
        else if (Interactive)
            StatusPanels[0]->setText(QString::fromStdString("Saving: " + std::to_string(percent) + "%"));
        Application.ProcessMessages();
    };

    Screen.SetCursor(crHourGlass);
    Thumbnailing_Stop();
    job.Cancelled = [] { return CancelPressed != 0 || lumv8900::AppQuitting; };
    StatusMessageSolo(sheets ? "Creating HTML page ..." : "Creating HTML page(s) ...");
    webpage::TPageResult result;
    bool written = false;
    {
        TEditScope edit(*this);
        try {
            result = sheets ? contactsheet::WriteContactSheets(job) : webpage::WritePages(job);
            written = true;
        } catch (const Exception& e) {
            Screen.SetCursor(crDefault);
            voMessageDlg("", "", e.Message(), mtError, mbOKOnly, AutoDefaultButton, 0);
            // A catalog walk asks whether to go on.
            if (!Interactive) {
                CatalogPageName.clear();
                CancelPressed = 1;
            }
        }
    }
    Screen.SetCursor(crDefault);
    UpdateStatusBar();
    if (!written) return;

    if (SimplePage) {
        TStFileOperation copy;
        copy.Operation = fopCopy;
        copy.Options = foAllowUndo | foFilesOnly | foNoConfirmMkDir;
        copy.SetDestination(result.ThumbsDir);
        for (const webpage::TPageFile& file : job.Files) copy.SourceFiles().Add(file.Path);
        copy.Execute();
        Inform("Your page is done.  Upload ALL files\nin following folder to your Web site.\n\n" + result.ThumbsDir +
               "\n\nBrowser will be launched to review your page.");
    }
    if (Interactive) {
        if (HTMLset9.LaunchBrowser() && ShellOpen(PageFile) <= 32) Inform("Web Browser not found.");
        if (result.NeedsUrlWarning) WarnWebName("");
        SaveWebOptions(false);
    }
}

}  // namespace lumvor
