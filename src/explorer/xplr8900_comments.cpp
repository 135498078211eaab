// The explorer's folder comments: loading them with each listed folder, the
// comment column's lookup, and the commands that edit, fill from EXIF dates
// and query them. The files themselves are explorer/FolderComments.h.
//
// Comments are written only into the folder they were read from, never at the
// drive level (where there is no folder), never over a pair that could not be
// read, and always both files together.
#include "explorer/xplr8900.h"

#include "imaging/JpegText.h"
#include "state/ViewerState.h"
#include "state/ImageWindowSeam.h"
#include "explorer/FolderListing.h"
#include "imaging/Helpers.h"
#include "platform/Forms.h"
#include "platform/Menus.h"
#include "platform/SysUtils.h"
#include "ui/MenuItems.h"
#include "ui/VListShowEx.h"
#include "ui/voMsgBox.h"

#include <QKeySequence>
#include <QMenu>

namespace lumvor {

using namespace xplr8900;

namespace {

constexpr int ExifDatesHelpContext = 600;
constexpr const char* CommentItemNames[] = {"mnuAddExifDates", "mnuEditComment", "mnuQueryComments"};

// The lookup table of the last listing and names list it was built over.
struct TLookupCache {
    const TFolderListing* Listing = nullptr;
    uint64_t Enumerations = ~uint64_t(0);
    uint64_t NamesStamp = ~uint64_t(0);
    TCommentLookup Lookup;
};

TLookupCache& LookupCache() {
    static TLookupCache cache;
    return cache;
}

}  // namespace

// ---- Lookup

int xplr8900::CommentLine(const TFolderListing& Listing, const std::string& FileName) {
    TLookupCache& cache = LookupCache();
    if (cache.Listing != &Listing || cache.Enumerations != Listing.Enumerations ||
        cache.NamesStamp != CommentNames.Stamp()) {
        std::vector<std::string> files;
        files.reserve(Listing.ShellItems.size());
        for (const ShellItem& item : Listing.ShellItems) files.push_back(item.DisplayName);
        cache.Lookup.Build(CommentNames, files);
        cache.Listing = &Listing;
        cache.Enumerations = Listing.Enumerations;
        cache.NamesStamp = CommentNames.Stamp();
    }
    const int line = cache.Lookup.LineOf(FileName);
    return line < CommentTexts.Count() ? line : -1;
}

std::string xplr8900::CommentText(const TFolderListing& Listing, const std::string& FileName) {
    const int line = CommentLine(Listing, FileName);
    return line >= 0 ? CommentTexts.At(line) : std::string();
}

std::string xplr8900::DefaultJpegDateText(const std::string& Path) {
    if (lumv8900::ImageWindow) return lumv8900::ImageWindow->GetJPEGDateText(Path);
    return FileExists(Path) ? GetJPEGTakenDate(Path) : std::string();
}

// ---- Binding

void TFileForm::BindComments() {
    Listing->View.LoadComments = [this] { LoadComments(); };
    WireMenuItem(this, static_cast<QAction*>(FindItem("mnuEditComment")), [this](QObject* s) { mnuCommentClick(s); });
    WireMenuItem(this, static_cast<QAction*>(FindItem("mnuAddExifDates")),
                 [this](QObject* s) { mnuCommentEXIFClick(s); });
    WireMenuItem(this, static_cast<QAction*>(FindItem("mnuQueryComments")), [this](QObject* s) { mnuQueryClick(s); });
    for (QMenu* menu : {mnuFileX->menu(), mnuEditX->menu(), FileMenu})
        ConnectGuarded(menu, &QMenu::aboutToShow, this, [this] { CommentItemsUpdate(); });
    // The pop-up's copy of the comment sub-menu, after "Add e&xtension".
    if (auto* comments = static_cast<QAction*>(FindItem("mnuCommentX")))
        FileMenu->insertAction(static_cast<QAction*>(FindItem("mnuSlideshowX")), comments);
}

void TFileForm::CommentItemsUpdate() {
    for (const char* name : CommentItemNames)
        if (auto* item = static_cast<QAction*>(FindItem(name))) item->setEnabled(!Listing->DrivesView);
}

// ---- Loading

void TFileForm::LoadComments() {
    if (Listing->DrivesView || AlbumListing || ListingBusy) return;
    Listing->CommentsLoaded = false;
    CommentFolder = IncludeTrailingPathDelimiter(ExploreDir);
    const TCommentRead read = ReadCommentFiles(CommentFolder, CommentNames, CommentTexts, CommentsEncoding);
    CommentsWritable = read != TCommentRead::Unreadable;
    Listing->CommentsLoaded = true;
}

// The lists of the explored folder, read when they are not loaded or belong
// to another folder; false in the drives view and during an album walk.
static bool CommentsReady(TFileForm& Form) {
    if (Form.Listing->DrivesView) return false;
    if (!Form.Listing->CommentsLoaded || Form.CommentFolder != IncludeTrailingPathDelimiter(ExploreDir))
        Form.LoadComments();
    return Form.Listing->CommentsLoaded;
}

// ---- Writing

bool TFileForm::CommentWriteBegin() {
    TOwnCall own(this);
    const bool stopMonitor = EControls.Flag(ec::AutoRefresh);
    if (stopMonitor) FolderMonitor_Terminate();
    if (auto* erase = static_cast<QAction*>(FindItem("mnuFDelete"))) erase->setShortcut(QKeySequence());
    return stopMonitor;
}

void TFileForm::CommentWriteEnd(bool MonitorStopped) {
    TOwnCall own(this);
    if (auto* erase = static_cast<QAction*>(FindItem("mnuFDelete"))) erase->setShortcut(QKeySequence(Qt::Key_Delete));
    if (MonitorStopped) FolderMonitor_Restart();
}

// Writes both lists into CommentFolder; false when they could not be written.
static bool SaveComments(const std::string& Folder) {
    if (!CommentsWritable) return false;
    try {
        CommentsEncoding = WriteCommentFiles(Folder, CommentNames, CommentTexts, CommentsEncoding);
    } catch (const Exception&) {
        return false;
    }
    return true;
}

// ---- Commands

void TFileForm::mnuCommentClick(QObject*) {
    if (!CommentsReady(*this)) return;
    TVListItem* item = XL->Selected();
    if (!item) return;
    const int row = item->Index();
    const std::string caption = item->Caption();
    const bool monitorStopped = CommentWriteBegin();
    const std::string name = ExtractFileName(Listing->GetItemPath(row));
    const int line = CommentLine(*Listing, name);
    std::string text = line >= 0 ? CommentTexts.At(line) : std::string();
    if (voInputQuery(240, 60, 0, "Add or Edit Comment", "Filename: " + caption, text)) {
        Edit_End();
        if (line >= 0) {
            CommentTexts.Put(line, text);
        } else {
            CommentNames.Add(name);
            CommentTexts.Add(text);
        }
        if (!SaveComments(CommentFolder))
            voMessageDlg("", "", "Cannot write comments to current folder.", mtWarning, mbOKOnly, AutoDefaultButton, 0);
        XL->UpdateItems(row, row);
        Application.ProcessMessages();
    }
    CommentWriteEnd(monitorStopped);
}

void TFileForm::mnuCommentEXIFClick(QObject*) {
    Application.ProcessMessages();
    if (!CommentsReady(*this)) return;
    if (!ExifDatesUnasked) {
        const int answer = voMessageDlg("Ignore this dialog (for experts).", "Add EXIF datestamps",
                                        "Existing comments will be replaced.\nPopulate comments?", mtConfirmation,
                                        mbOKCancelHelp, AutoDefaultButton, ExifDatesHelpContext);
        if (answer & CheckBoxTicked) ExifDatesUnasked = true;
        if ((answer & ~CheckBoxTicked) != mrOk) return;
    }
    Screen.SetCursor(crHourGlass);
    const int count = XL->Items()->Count();
    const bool monitorStopped = CommentWriteBegin();
    TStringList names, texts;
    Listing->ListSort_Begin();
    for (int row = 0; row < count; ++row) {
        FileRec rec;
        if (!Listing->RowRec(row, rec) || rec.State() == 0) continue;
        const std::string path = Listing->GetItemPath(row);
        const std::string date = JpegDateSource ? JpegDateSource(path) : std::string();
        if (date.empty()) continue;
        names.Add(ExtractFileName(path));
        texts.Add(date);
    }
    Screen.SetCursor(crDefault);
    Listing->ListSort_End();
    UpdateStatusBar();
    if (names.Count() > 0) {
        CommentNames.Assign(names);
        CommentTexts.Assign(texts);
        const int drive = GetDriveIndex(CommentFolder);
        if (drive >= 0 && drive < DriveList->Count() && DriveList->GetData(drive) != DriveOptical)
            SaveComments(CommentFolder);
    } else {
        // Nothing found: the lists stay those of the files on disk.
        LoadComments();
    }
    CommentWriteEnd(monitorStopped);
    if (count > 0) XL->UpdateItems(0, count - 1);
    Application.ProcessMessages();
}

void TFileForm::mnuQueryClick(QObject*) {
    if (!CommentsReady(*this)) return;
    std::string keyword;
    if (!voInputQuery(240, 60, 0, "Query Comments for keyword (text)", "Enter keyword.", keyword)) return;
    const int count = XL->Items()->Count();
    if (count < 2) return;
    Listing->ListBusy = true;
    ListBeginUpdate();
    const std::string wanted = FoldCase(keyword);
    for (int row = 0; row < count; ++row) {
        FileRec rec;
        if (!Listing->RowRec(row, rec)) continue;
        const int line = CommentLine(*Listing, ExtractFileName(Listing->GetItemPath(row)));
        if (line >= 0 && FoldCase(CommentTexts.At(line)).find(wanted) != std::string::npos)
            XL->SelectRows(row, row, true);
    }
    ListEndUpdate();
    UpdateStatusBar();
    if (XL->SelCount() == 0)
        voMessageDlg("", "", "No match found for\n" + keyword, mtInformation, mbOKOnly, AutoDefaultButton, 0);
    Application.ProcessMessages();
    Application.ProcessMessages();
    Listing->ListBusy = false;
}

}  // namespace lumvor
