// The explorer's thumbnail run: every listed row whose thumbnail is not cached
// gets one while the window stays usable.
//
// A run is the application's idle handler (Application.OnIdle): one list row
// per call, and the call asks for the next at once until the last row. At the
// start of each step the worker dispatcher (ThumbWorkers.h) may hand the next
// JPEG rows to the worker threads; while such a batch is in flight the steps do
// nothing, and the batch's end wakes the run again. Everything else is made
// here on the GUI thread: JPEG files by the JPEG maker (with a retry without
// the embedded preview and the warning icon when both fail), other pictures by
// the picture maker, other files as their file-type icon.
#include "explorer/xplr8900.h"

#include "state/ViewerState.h"
#include "explorer/FolderListing.h"
#include "explorer/ListCells.h"
#include "explorer/ThumbFiles.h"
#include "explorer/ThumbMakers.h"
#include "explorer/ThumbScale.h"
#include "explorer/ThumbWorkers.h"
#include "imaging/FileRec.h"
#include "imaging/ThumbCache.h"
#include "imgman/imgman.h"
#include "platform/Forms.h"
#include "platform/Jpeg.h"
#include "platform/Menus.h"
#include "platform/Streams.h"
#include "platform/SysUtils.h"
#include "ui/MenuItems.h"
#include "ui/Pix.h"
#include "ui/VListShowEx.h"
#include "ui/voMsgBox.h"

#include <QCoreApplication>
#include <QLabel>
#include <QMenu>
#include <QTimer>

#include <algorithm>
#include <fstream>
#include <iterator>

namespace lumvor {

using namespace xplr8900;

namespace {

// The text of a run stopped before its end.
constexpr const char* StoppedRunText = "Press [F5] to refresh or select \"Redo thumbs\".";
// Captions keep at most this many characters.
constexpr size_t CaptionLength = 24;
// How soon a restart asks again while another window's idle handler is installed.
constexpr int OtherIdleRetryMs = 50;

// One of the explorer's idle handlers as Application.OnIdle holds it, so that
// the explorer can tell its own handlers from another window's.
struct TExplorerIdle {
    TFileForm* Form;
    void (TFileForm::*Handler)(QObject*, bool&);
    void operator()(bool& done) const { (Form->*Handler)(Form, done); }
};

// The imaging library is started once per program run.
void StartImagingLibrary() {
    static bool started = false;
    if (started) return;
    ImgInit();
    started = true;
}

bool IsJpegExt(const std::string& Ext) { return Ext == ".JPG" || Ext == ".JPEG"; }

// A picture the makers leave alone: both sides beyond 32000 pixels, or beyond
// the program's picture limit.
bool PictureTooLarge(const TThumbMaker& Maker) {
    return Maker.TooLarge || (Maker.ThumbSrcWidth > ThumbMaxSide && Maker.ThumbSrcHeight > ThumbMaxSide);
}

// Whether a file holds exactly these bytes.
bool FileHolds(const std::string& Path, TMemoryStream& Bytes) {
    std::ifstream file(Path, std::ios::binary);
    if (!file) return false;
    const std::string held((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    const uint8_t* bytes = Bytes.Memory();
    return int64_t(held.size()) == Bytes.Size() &&
           std::equal(held.begin(), held.end(), bytes, [](char a, uint8_t b) { return uint8_t(a) == b; });
}

}  // namespace

// ---- Binding

void TFileForm::BindThumbnailRun() {
    Listing->View.MarkThumbnailRun = [](bool finished) { ThumbsComplete = finished; };
    ThumbWorkers->View.ResumeRun = [this] {
        // The batch's end is an event; the loop then turns once more and the
        // next idle step runs.
        if (ThumbRunActive) QTimer::singleShot(0, this, [] {});
    };
    MessageActions[21] = [this] { ShowThumbsProgress(); };
    MessageActions[31] = [this] { RestartThumbnailRun(); };
    MessageActions[61] = [this] { mnuRefreshClick(this); };

    QMenu* tools = mnuToolsX->menu();
    test = PendingMenuItem(this, tools, "test", "Test");
    mnuDebug = PendingMenuItem(this, tools, "mnuDebug", "Debug");
    WireMenuItem(this, test, [this](QObject* s) { testClick(s); });
    WireMenuItem(this, mnuDebug, [this](QObject* s) { mnuDebugClick(s); });
    test->setVisible(false);
    mnuDebug->setVisible(false);
    WireMenuItem(this, mnuRedoThumbs, [this](QObject* s) { mnuRedoThumbsClick(s); });
    WireMenuItem(this, static_cast<QAction*>(FindItem("mnuCacheInfo")), [this](QObject* s) { mnuCacheInfoClick(s); });
    WireMenuItem(this, static_cast<QAction*>(FindItem("mnuCacheKill")), [this](QObject* s) { mnuCacheKillClick(s); });
    WireMenuItem(this, static_cast<QAction*>(FindItem("mnuKillRecent")),
                 [this](QObject* s) { mnuKillRecentClick(s); });
}

// ---- The idle slot

void TFileForm::InstallExplorerIdle(void (TFileForm::*Handler)(QObject*, bool&)) {
    Application.OnIdle = TExplorerIdle{this, Handler};
}

void TFileForm::RemoveExplorerIdle() {
    if (Application.OnIdle.target<TExplorerIdle>()) Application.OnIdle = nullptr;
}

bool TFileForm::ExplorerIdleInstalled(void (TFileForm::*Handler)(QObject*, bool&)) const {
    const TExplorerIdle* idle = Application.OnIdle.target<TExplorerIdle>();
    return idle && idle->Form == this && idle->Handler == Handler;
}

// ---- Starting, resuming and stopping

void TFileForm::StartThumbnailRun(QObject* Sender) {
    if (ThumbRunActive) return;
    TOwnCall own(this);
    RemoveExplorerIdle();
    const int32_t rows = int32_t(Listing->FileOrder.size());
    ThumbCount = rows;
    if (rows == 0) return;
    ThumbCount = rows - 1;
    ThumbRunActive = true;
    Listing->Risky = true;

    InitBlankBitmap(ThumbMaker->ThumbCell);
    ThumbMaker->Jpeg->SetPixelFormat(jf24Bit);
    SetThumbDecodeLimits(*ThumbMaker->Jpeg);
    WriteStockFiles();

    CurrThumb = -1;
    thumbsPercent_ = -1;
    StatusPanelsBack();
    Application.ProcessMessages();
    StartImagingLibrary();
    Application.ProcessMessages();

    CoreCancel = true;
    if (Sender != test) {
        CoreCancel = false;
        InstallExplorerIdle(&TFileForm::ThumbnailIdle);
    } else {
        RemoveExplorerIdle();
    }
    Listing->Risky = false;
    Application.ProcessMessages();
    Application.ProcessMessages();
}

// The four stock pictures: a folder, the first system icon, the explorer's
// own icon and the warning icon. A stock file that already holds the picture
// is left as it is, so a run over a cached folder writes nothing.
void TFileForm::WriteStockFiles() {
    const std::pair<int32_t, int> stock[] = {{-1, Listing->FolderIconIndex}, {-2, 0}, {-3, -1}, {-4, -2}};
    TBitmap& cell = *ThumbPix->Bitmap();
    for (const auto& [position, icon] : stock) {
        MakeIconThumbnail(*ThumbMaker, cell, icon);
        cell.SetPixelFormat(pf24bit);
        const TThumbFile file = ThumbStockFile(position);
        TMemoryStream bytes;
        cell.SaveToStream(bytes);
        if (FileHolds(file.Path, bytes)) continue;
        if (WriteThumbFile(FileRec(), cell, file, FileRec())) {
            ThumbCells().Invalidate(file.Path);
            if (ThumbRunHooks.CacheWritten) ThumbRunHooks.CacheWritten(file.Path);
        }
    }
}

void TFileForm::Thumbnailing_Resume() {
    if (!ThumbnailView() || ThumbsComplete || Listing->Closing) return;
    TOwnCall own(this);
    const int32_t rows = int32_t(Listing->FileOrder.size());
    ThumbCount = rows;
    if (rows != 0) {
        ThumbCount = rows - 1;
        ThumbRunActive = true;
        CurrThumb = -1;
        thumbsPercent_ = -1;
        CoreCancel = false;
        InstallExplorerIdle(&TFileForm::ThumbnailIdle);
    }
    FolderMonitor_Restart();
}

void TFileForm::Thumbnailing_Stop() {
    Record("Thumbnailing_Stop");
    CoreCancel = true;
    RemoveExplorerIdle();
    if (!ThumbRunActive) return;
    ThumbsComplete = false;
    ThumbCount = -1;
    CurrThumb = -1;
    ThumbRunActive = false;
    if (!BatchBusy) StatusMessageSolo(StoppedRunText);
}

// Code 31: a run starts again from the first row unless one is installed.
void TFileForm::RestartThumbnailRun() {
    if (ExplorerIdleInstalled(&TFileForm::ThumbnailIdle) || ExplorerIdleInstalled(&TFileForm::RedoIdle)) return;
    if (Application.OnIdle && !Application.OnIdle.target<TExplorerIdle>()) {
        // Another window's idle work (the image window's start-up step) keeps
        // the slot; the run asks again a little later.
        QTimer::singleShot(OtherIdleRetryMs, this, [this] { PostExplorerMessage(30); });
        return;
    }
    TOwnCall own(this);
    ThumbRunActive = true;
    Thumbnailing_Stop();
    Application.ProcessMessages();
    Thumbnailing_Resume();
}

void TFileForm::StatusPanelsBack() { StatusPanels[0]->setFixedWidth(statusPanelWidth_); }

// ---- One step

void TFileForm::ThumbnailIdle(QObject*, bool& Done) {
    if (Listing->Risky || Dragging || FolderMoving) return;
    // A worker batch is in flight: its end resumes the run.
    if (Listing->CoreBusy) return;
    TOwnCall own(this);
    ThumbCaptionText.clear();
    ++CurrThumb;
    if (TThumbWorkers::WorkerCount() != 0 && !CoreCancel) {
        ThumbWorkers->CurrThumb = CurrThumb;
        ThumbWorkers->DoMultiCoreJPEG();
    }

    const int32_t row = CurrThumb;
    FileRec rec;
    int32_t recNo = -1;
    const bool readFailed = !Listing->RowRec(row, rec, &recNo);
    if (readFailed) {
        CoreCancel = true;
    } else if (rec.State() == fsPending) {
        try {
            MakeRowThumbnail(rec, recNo, row);
        } catch (...) {
            // The row is drawn as it stands and tried again by the next run.
            XL->UpdateItems(row, row);
            ForceDirectories(ThumbRoot + ThumbFolderName);
        }
    }
    // Stopped while the row was made: the stop has ended the run.
    if (!ThumbRunActive) return;

    if (CurrThumb < ThumbCount) {
        Done = false;
        PostExplorerMessage(20);
        return;
    }
    Done = true;
    EndThumbnailRun(readFailed);
}

void TFileForm::EndThumbnailRun(bool ReadFailed) {
    CoreCancel = true;
    RemoveExplorerIdle();
    ThumbRunActive = false;
    ThumbsComplete = true;
    UpdateStatusBar();
    FolderMonitor_Restart();
    if (ReadFailed) {
        Listing->CoreBusy = ThumbWorkers->AnyCoresActive();
        PostExplorerMessage(60);
    }
}

// The thumbnail of a pending row: made, saved with a copy of its record, the
// row redrawn. The stream's record itself stays as it is (a too-large
// picture excepted): the list takes caption and size from the cache file.
void TFileForm::MakeRowThumbnail(FileRec& Rec, int32_t RecNo, int32_t Row) {
    ItemFile = TFolderListing::GetRecFilePath(Rec);
    const TThumbFile cache = ThumbRecFile(Rec);
    if (!ThumbFilePresent(cache, Rec)) {
        TThumbMaker& maker = *ThumbMaker;
        Listing->CurrExt = UpperCase(ExtractFileExt(ItemFile));
        maker.ItemFile = ItemFile;
        maker.CurrExt = Listing->CurrExt;
        bool made = false;
        bool tooLarge = false;
        if (IsJpegExt(Listing->CurrExt)) {
            made = MakeJpegCell(Rec, tooLarge);
        } else {
            if (ThumbRunHooks.Making) ThumbRunHooks.Making(ItemFile);
            const int header = ReadPictureHeader(maker);
            if (PictureTooLarge(maker)) {
                maker.RenewCodecs();
                tooLarge = true;
            } else if (header < 1) {
                made = MakeIconThumbnail(maker, *ThumbPix->Bitmap(), Rec.ImageIndex());
                ThumbCaptionText.clear();
            } else {
                made = MakePictureThumbnail(maker, *ThumbPix->Bitmap());
                if (made) ThumbCaptionText = DimensionText(maker.ThumbSrcWidth, maker.ThumbSrcHeight, maker.ThumbSrcBits);
            }
        }
        if (tooLarge) {
            // The list draws the stock "too large" picture and later runs skip the row.
            Rec.SetState(fsTooLarge);
            Listing->WriteRec(RecNo, Rec);
        } else if (made && !SaveRowThumbnail(Rec, cache)) {
            // The cache sub-folder may have vanished under the run.
            ForceDirectories(ThumbRoot + ThumbFolderName);
        }
    }
    Rec = Listing->ReadRec(RecNo);
    XL->UpdateItems(Row, Row);
    ++Listing->ThumbsMade;
}

// A JPEG's cell: the embedded preview as the setting says (never for a row
// the workers gave back), once more without it, else the warning icon.
bool TFileForm::MakeJpegCell(const FileRec& Rec, bool& TooLarge) {
    TThumbMaker& maker = *ThumbMaker;
    TBitmap& cell = *ThumbPix->Bitmap();
    const bool preview = EControls.Byte(ec::ThumbJpegDecode) != 0 && Rec.Mark() != FileRecMarkRetry;
    if (ThumbRunHooks.Making) ThumbRunHooks.Making(ItemFile);
    if (MakeJpegThumbnail(maker, cell, preview) == 0) {
        ThumbCaptionText = DimensionText(maker.ThumbSrcWidth, maker.ThumbSrcHeight, maker.ThumbSrcBits);
        return true;
    }
    if (PictureTooLarge(maker)) {
        TooLarge = true;
        return false;
    }
    if (preview) {
        if (ThumbRunHooks.Making) ThumbRunHooks.Making(ItemFile);
        if (MakeJpegThumbnail(maker, cell, false) == 0) return true;
    }
    return MakeIconThumbnail(maker, cell, -2);
}

// Writes the cell of ThumbPix with a copy of the row's record: the caption
// ("640x480(24) .JPG" for pictures), State 100, the picture's size, 24 bits.
bool TFileForm::SaveRowThumbnail(const FileRec& Rec, const TThumbFile& Cache) {
    const std::string& ext = Listing->CurrExt;
    FileRec trailer = Rec;
    if (trailer.Caption().empty()) trailer.SetCaption(ext.substr(0, CaptionLength));
    if (IsCaptionPictureExt(ext)) trailer.SetCaption((ThumbCaptionText + " " + ext).substr(0, CaptionLength));
    trailer.SetState(fsPresent);
    TBitmap& cell = *ThumbPix->Bitmap();
    cell.SetPixelFormat(pf24bit);
    trailer = PictureThumbTrailer(trailer, ThumbMaker->ThumbSrcWidth, ThumbMaker->ThumbSrcHeight);
    const bool written = WriteThumbFile(trailer, cell, Cache, Rec);
    ThumbCells().Invalidate(Cache.Path);
    if (written && ThumbRunHooks.CacheWritten) ThumbRunHooks.CacheWritten(Cache.Path);
    return written;
}

// ---- Progress (code 21)

// Shown only while the run goes: a progress message that arrives after the
// last step leaves the status bar's totals standing.
void TFileForm::ShowThumbsProgress() {
    if (!ThumbRunActive || CurrThumb < 0) return;
    const int percent =
        ThumbCount <= 0 ? 100 : std::clamp(Listing->ThumbsMade, 1, ThumbCount) * 100 / ThumbCount;
    if (percent == thumbsPercent_) return;
    thumbsPercent_ = percent;
    const QString text = QString("Thumbs:%1%").arg(percent);
    StatusPanels[0]->setText(text);
    StatusPanels[0]->setFixedWidth(
        std::max(statusPanelWidth_, StatusPanels[0]->fontMetrics().horizontalAdvance(text) + 12));
}

// ---- Redo

void TFileForm::RedoIdle(QObject*, bool& Done) {
    if (Listing->Risky) return;
    TOwnCall own(this);
    StatusPanelsBack();
    if (ThumbCount == -1 && !lumv8900::ShutDown) {
        if (ThumbnailView()) {
            RedoRefresh();
        } else {
            // Waiting here would spin a core until the user returns to the
            // thumbnail view; the view switch starts the refresh instead.
            redoPending_ = true;
            RemoveExplorerIdle();
        }
        return;
    }
    Done = true;
    CoreCancel = true;
    RemoveExplorerIdle();
}

void TFileForm::RedoRefresh() {
    CoreCancel = true;
    Listing->CoreBusy = false;
    ThumbWorkers->AnyCoresActive();
    RemoveExplorerIdle();
    Listing->ValidateFiles_Changed(true);
}

// ---- The hidden debug items

void TFileForm::testClick(QObject*) {
    TOwnCall own(this);
    auto say = [](const std::string& text) { voMessageDlg("", "", text, mtCustom, mbOKOnly, AutoDefaultButton, 0); };
    if (ThumbWorkers->AnyCoresActive()) say("Have Active Core");
    const std::pair<const char*, bool> flags[] = {
        {"Risky", Listing->Risky},       {"CoreCancel", CoreCancel.load()}, {"Closing", Listing->Closing},
        {"BatchBusy", BatchBusy},        {"ShutDown", lumv8900::ShutDown},  {"ListBusy", Listing->ListBusy},
        {"CoreBusy", Listing->CoreBusy}};
    for (const auto& [name, set] : flags)
        if (set) say(name);
    say("N thumbs needed: " + std::to_string(Listing->ThumbsNeeded) + " CurrThumb:" + std::to_string(CurrThumb) +
        " N=" + std::to_string(ThumbCount));
}

void TFileForm::mnuDebugClick(QObject*) {}

}  // namespace lumvor
