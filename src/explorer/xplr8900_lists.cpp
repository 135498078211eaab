// Lists to the slide album and to the bookmarks: "Slid&e album (new)",
// "&Instant slideshow" and "Slide &album (add)".
//
// A folder run walks the explored folder's tree once, in the folder tree's
// order (FolderWalk), keeping each folder's listable entries; the folder list
// then goes through its ".dir" file, and the second pass turns the kept entries
// into bookmark lines or slide records folder by folder, with the progress box's
// running count and the cancel question between folders. Nothing is read from
// disk twice, and the list view is never touched while the run goes on.
#include "explorer/xplr8900.h"

#include "state/SlideListing.h"
#include "state/AlbumSeam.h"
#include "state/AlbumState.h"
#include "state/ViewerState.h"
#include "explorer/FolderListing.h"
#include "explorer/FolderTree.h"
#include "explorer/FolderWalk.h"
#include "ui/LongRun.h"
#include "explorer/SlideLists.h"
#include "imaging/AvlScript.h"
#include "imaging/Helpers.h"
#include "platform/Classes.h"
#include "platform/Forms.h"
#include "platform/Streams.h"
#include "platform/SysUtils.h"
#include "ui/MenuItems.h"
#include "ui/Status_y.h"
#include "ui/VListShowEx.h"
#include "ui/voMsgBox.h"

#include <QApplication>
#include <QProgressBar>
#include <QPushButton>

#include <unistd.h>

#include <memory>

namespace lumvor {

using namespace xplr8900;

namespace {

const char* const kListingAborted = "Slide listing aborted.";
const char* const kNoMemory = "Not enough available memory.\nClose open applications, then try again.";

int Warning(const std::string& Text, uint16_t Buttons = mbOKOnly, long HelpContext = 0) {
    return voMessageDlg("", "", Text, mtWarning, Buttons, AutoDefaultButton, HelpContext);
}

// "Discard Slide Album contents?" when the album holds slides; true when it
// may be replaced.
bool AlbumMayBeReplaced(TAlbumSeam& Album) {
    if (Album.SlideItemCount() == 0)
        return true;
    return voMessageDlg("", "", "Discard Slide Album contents?", mtConfirmation, mbYesNo, mbNo, 0) == mrYes;
}

// The album window, created when needed, shown and enabled.
TAlbumSeam& ShownAlbum() {
    TAlbumSeam& album = show8900::EnsureAlbum();
    album.Form().show();
    album.Form().setEnabled(true);
    return album;
}

void ProcessMessages(int Passes) {
    for (int i = 0; i < Passes; ++i)
        Application.ProcessMessages();
}

// Makes a run's temporary list file anew (no replace-and-sync: the file lives
// only for this run and the album's load). The old file is removed first
// rather than cut to nothing: the file system writes a file that was cut to
// nothing out to disk as soon as it is closed after writing, and a later cut
// waits for that. A link at the name is written through, as every list write
// does: the file it points to is the one made anew, and the link stays.
std::unique_ptr<TFileStream> NewRunFile(const std::string& File) {
    ::unlink(FinalTarget(File).c_str());
    return std::make_unique<TFileStream>(File, fmCreate);
}

// Writes a run's temporary list file in one pass.
void WriteRunFile(const std::string& Text, const std::string& File) {
    NewRunFile(File)->WriteBuffer(Text.data(), int64_t(Text.size()));
}
void WriteRunFile(const TStrings& Lines, const std::string& File) { WriteRunFile(Lines.Text(), File); }

std::string RunTitle(bool Album) { return Album ? "Populating Slides: " : "Populating Bookmarks: "; }

// The bookmark lines go to the list file in pieces of about this size, through
// one buffer reused for the whole run.
constexpr size_t kListChunkBytes = 256 * 1024;

}  // namespace

void TFileForm::BindSlideLists() {
    WireMenuItem(this, static_cast<QAction*>(FindItem("mnuInstantSlideshow")),
                 [this](QObject* s) { mnuListBookmarksClick(s); });
    WireMenuItem(this, static_cast<QAction*>(FindItem("mnuNewSlideAlbumX")), [this](QObject* s) { MakeSlideshow(s); });
    WireMenuItem(this, static_cast<QAction*>(FindItem("mnuAddSlideAlbumX")),
                 [this](QObject* s) { mnuAddSlideAlbumXClick(s); });
    WireMenuItem(this, static_cast<QAction*>(FindItem("mnuListSlideAlbum")),
                 [this](QObject* s) { mnuListSlideAlbum(s); });
}

// ---- The commands

void TFileForm::MakeSlideshow(QObject*) {
    TOwnCall own(this);
    if (LongRunRefused())
        return;
    if (TreeShown()) {
        TreePathUpdate();
        ProcessMessages(6);
    }
    const int itemCount = int(Listing->FileOrder.size());
    if (itemCount == 0 || Listing->DrivesView)
        return;
    Thumbnailing_Stop();
    FolderMonitor_Terminate();
    QObject* folderOnly = FindItem("mnuNewSlideAlbumX");
    if (XL->SelCount() < 2 || itemCount < 3) {
        if (!FolderHasSubFolders(ExploreDir)) {
            mnuListSlideAlbum(folderOnly);
            return;
        }
        const int answer = voMessageDlg(
            "", "Add slides to Slide Album from folders",
            "All available slides from current folder will be imported.\nInclude contents from all sub-folders too?",
            mtConfirmation, mbYesNoCancel | ButtonBit(mbHelp), mbYes, 512);
        if (answer == mrYes)
            mnuListSlideAlbum(this);
        else if (answer == mrNo)
            mnuListSlideAlbum(folderOnly);
        else
            FolderMonitor_Restart();
        return;
    }
    TStringList selected;
    SelectedPaths(selected, false);
    auto files = std::make_unique<TStringList>();
    for (int i = 0; i < selected.Count(); ++i)
        if (IsListableFile(selected[i]) && NamesRegularFile(selected[i]))
            files->Add(selected[i]);
    if (files->Count() == 0) {
        Warning("No supported image or multimedia files found.", mbOKHelp, 899);
    } else {
        TAlbumSeam& album = ShownAlbum();
        if (AlbumMayBeReplaced(album))
            album.InstantSlideshow(files.release());
    }
    FolderMonitor_Restart();
}

void TFileForm::mnuListSlideAlbum(QObject* Sender) {
    TOwnCall own(this);
    RunFolderList(TListRun::Album, Sender != FindItem("mnuNewSlideAlbumX"));
}

void TFileForm::mnuListBookmarksClick(QObject* Sender) {
    TOwnCall own(this);
    RunFolderList(Sender == FindItem("mnuAddSlideAlbumX") ? TListRun::AddToAlbum : TListRun::Instant, true);
}

void TFileForm::mnuAddSlideAlbumXClick(QObject*) { mnuListBookmarksClick(FindItem("mnuAddSlideAlbumX")); }

// ---- One folder

void TFileForm::Local_DoBookmarkList(const TListFolder& Folder) {
    bookmarkCount_ += AppendBookmarkText(Folder, bookmarkText_);
}

void TFileForm::WriteBookmarkText(TStream& ListFile) {
    ListFile.WriteBuffer(bookmarkText_.data(), int64_t(bookmarkText_.size()));
    bookmarkText_.clear();
}

void TFileForm::Local_DoSlideList(const TListFolder& Folder, int Kind) {
    AppendSlideRecords(Folder, Kind, *show8900::SlideStream, FileList, show8900::SlideCount);
}

// ---- The run

void TFileForm::RunFolderList(TListRun Run, bool Recursive) {
    if (LongRunRefused())
        return;
    const bool album = Run == TListRun::Album;
    if (!album && TreeShown()) {
        TreePathUpdate();
        ProcessMessages(6);
    }
    if (ExploreDir.empty() || Listing->DrivesView || !NetworkRunAllowed(ExploreDir))
        return;
    FolderMonitor_Terminate();
    if (album) {
        TAlbumSeam& albumForm = ShownAlbum();
        if (!AlbumMayBeReplaced(albumForm)) {
            FolderMonitor_Restart();
            return;
        }
        if (!albumForm.PopulateSlides_Begin(0)) {
            Warning(kListingAborted);
            FolderMonitor_Restart();
            return;
        }
    } else {
        std::string stem;
        GetDataFolder(stem);
        stem += lumv8900::TempNameStem;
        CatalogRFile = stem + ".dir";
        BookmarkListFile = stem + ".vop";
    }
    // The list's file is made first: without it the run cannot hand anything over.
    std::unique_ptr<TFileStream> listStream;
    try {
        listStream = NewRunFile(album ? CatalogNFile : BookmarkListFile);
    } catch (const Exception&) {
        Warning(kNoMemory);
        if (album)
            show8900::Album->PopulateSlides_Clear();
        FolderMonitor_Restart();
        return;
    }

    const std::string explored = ExploreDir;
    ListingBusy = true;
    AlbumListing = true;
    Thumbnailing_Stop();
    CancelPressed = 0;
    bookmarkCount_ = 0;
    bookmarkText_.clear();
    FolderList.Clear();
    FileList.Clear();
    // Sized up front, so that appending does not move the lines.
    FolderList.SetCapacity(16384);
    FileList.SetCapacity(album ? 262144 : 1048576);
    ShowStatusForm(RunTitle(album) + "Listing available folders...");
    StatusForm->btnCancel->setEnabled(false);
    IsBusy = 1;
    bool cancelled = true;
    try {
        std::vector<TListFolder> folders;
        cancelled = !WalkListFolders(Recursive, folders) || !ListWalkedFolders(Run, folders, *listStream);
    } catch (...) {
        ExploreDir = explored;
        EndFolderList();
        FolderList.Clear();
        FileList.Clear();
        std::string().swap(bookmarkText_);
        if (album && show8900::Album)
            show8900::Album->PopulateSlides_Clear();
        throw;
    }
    ExploreDir = explored;
    EndFolderList();
    FinishFolderList(Run, cancelled, listStream);
    FolderList.SetCapacity(256);
    FileList.SetCapacity(256);
    std::string().swap(bookmarkText_);
}

// The first pass: the folder list in the tree's order, each folder's listable
// entries kept. The walk does not enter pseudo file systems, the thumbnail
// cache, folders met before or links. False when the user quit meanwhile.
bool TFileForm::WalkListFolders(bool Recursive, std::vector<TListFolder>& Folders) {
    TProgressPacer pacer;
    bool quit = false;
    TWalkOptions options;
    options.StatFiles = false;
    options.KeepFile = IsListableName;
    WalkFolderTree(
        ExploreDir,
        [&](TWalkFolder& folder) {
            Folders.push_back(ListFolderEntries(folder));
            if (pacer.Due())
                Application.ProcessMessages();
            if (lumv8900::AppQuitting) {
                quit = true;
                return TWalkStep::Stop;
            }
            return Recursive ? TWalkStep::Continue : TWalkStep::SkipSubFolders;
        },
        options);
    if (quit)
        return false;
    // The folder list is kept in its file while the files are listed.
    std::string folderText;
    for (const TListFolder& folder : Folders)
        folderText.append(folder.Path).append("\r\n");
    WriteRunFile(folderText, CatalogRFile);
    FolderList.LoadFromFile(CatalogRFile);
    return true;
}

// The second pass: each folder's entries into the lists, with the running
// count and the cancel question after each folder. False when cancelled.
bool TFileForm::ListWalkedFolders(TListRun Run, const std::vector<TListFolder>& Folders, TStream& ListFile) {
    const bool album = Run == TListRun::Album;
    const int count = int(Folders.size());
    // The box is made anew with the folder count; an Escape pressed in the
    // first pass still counts.
    const uint8_t pressed = CancelPressed;
    ShowStatusForm(RunTitle(album) + "Listing " + std::to_string(count) + " folders ...");
    CancelPressed = pressed;
    IsBusy = 1;
    StatusForm->ProgressFolders->setRange(0, count > 1 ? count : 2);
    const std::string thumbs = show8900::ThumbPath.empty() ? std::string() : AddBackslash(show8900::ThumbPath);
    StartProgressClock();
    TProgressPacer pacer;
    int64_t scanned = 0;
    if (LongRunCancelled())
        return false;
    bookmarkText_.reserve(kListChunkBytes + kListChunkBytes / 8);
    for (int i = 0; i < count; ++i) {
        const TListFolder& folder = Folders[size_t(i)];
        if (thumbs.empty() || folder.Path.rfind(thumbs, 0) != 0) {
            if (album)
                Local_DoSlideList(folder, 0);
            else
                Local_DoBookmarkList(folder);
        }
        if (bookmarkText_.size() >= kListChunkBytes)
            WriteBookmarkText(ListFile);
        scanned += folder.Entries;
        if (pacer.Due() || i + 1 == count) {
            const std::string rate = ScanRateStatus(scanned);
            const int32_t added = album ? show8900::SlideCount : bookmarkCount_;
            if (StatusForm) {
                StatusForm->LabelText(std::to_string(added) + " slides added.  " + (rate.empty() ? "" : "  " + rate),
                                      "", "");
                StatusForm->ProgressFolders->setValue(i + 1);
            }
            Application.ProcessMessages();
        }
        if (LongRunCancelled())
            return false;
    }
    return true;
}

void TFileForm::EndFolderList() {
    ListingBusy = false;
    AlbumListing = false;
    if (StatusForm)
        StatusForm->Close();
    IsBusy = 0;
}

void TFileForm::FinishFolderList(TListRun Run, bool Cancelled, std::unique_ptr<TFileStream>& ListStream) {
    const bool album = Run == TListRun::Album;
    if (Cancelled) {
        FolderList.Clear();
        FileList.Clear();
        bookmarkText_.clear();
        ListStream.reset();
        if (album) {
            ShownAlbum().PopulateSlides_Clear();
            Warning(kListingAborted);
        } else {
            DeleteFileNow(BookmarkListFile);
            Warning(kListingAborted, ButtonBit(mbAbort));
        }
        CancelPressed = 0;
        LookBoxChange(this);
        return;
    }
    mnuRefreshClick(this);
    if (album) {
        // One volume tag per listed folder: they all lie on the explored volume.
        std::string tag;
        GetVolumeTag(ExploreDir, tag);
        const int folders = FolderList.Count();
        FolderList.Clear();
        for (int i = 0; i < folders; ++i)
            FolderList.Add(tag);
        WriteRunFile(FolderList, CatalogVFile);
        FolderList.Clear();
        FileList.SaveToStream(*ListStream);
        FileList.Clear();
        ListStream.reset();
        TAlbumSeam& albumForm = ShownAlbum();
        albumForm.PopulateSlides_End();
        ProcessMessages(3);
        albumForm.btnLoadSClick(qApp);
        return;
    }
    FolderList.Clear();
    if (Run == TListRun::AddToAlbum) {
        WriteBookmarkText(*ListStream);
        ListStream.reset();
        TMemoryStream list;
        list.LoadFromFile(BookmarkListFile);
        DeleteFileNow(BookmarkListFile);
        TAlbumSeam& albumForm = ShownAlbum();
        list.SaveToFile(HandOffListFile());
        ProcessMessages(3);
        albumForm.DoAppend();
        return;
    }
    WriteBookmarkText(*ListStream);
    ListStream.reset();
    HandOff("mnuHistoryLoadClick", BookmarkListFile);
}

}  // namespace lumvor
