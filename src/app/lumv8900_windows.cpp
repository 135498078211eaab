// The image window's hand-overs to its neighbours and its small window
// commands: the explorer forwarders of the options dialog, the one-shot timers
// and the batch runs' remaining-time text, a new blank picture, hiding the
// viewer, tiling, the zip window and the hidden test item.
#include "app/lumv8900.h"

#include "album/show8900.h"
#include "app/Cdaudio_w.h"
#include "app/Options_w.h"
#include "explorer/xplr8900.h"
#include "platform/Menus.h"
#include "platform/SysUtils.h"
#include "ui/Pix.h"
#include "ui/Resize_w.h"
#include "ui/Status_y.h"
#include "ui/VListShowEx.h"
#include "zip/Unzip_8900.h"

#include <QEvent>
#include <QEventLoop>
#include <QMenu>
#include <QShowEvent>
#include <QStatusBar>
#include <QTimer>

namespace lumvor {

using namespace lumv8900;

namespace {

// The explorer's folder monitor is given this long to end.
constexpr int MonitorStopMilliseconds = 333;
// The smallest and the largest side of a new picture.
constexpr int NewPictureMinSide = 16;
constexpr int NewPictureMaxSide = 16384;

}  // namespace

void TWebForm::ShowExplorerOptions(bool Limited) { ExecuteOptionsForm(opExplorer, Limited); }

bool TWebForm::CdPlayerActive() const { return CDAudioActive() != 0; }

void TWebForm::CloseCdPlayer() { CloseCDAudio(); }

TUnZipForm& EnsureUnZipForm() {
    Unzip_8900::MakeUnZipForm();
    return *Unzip_8900::UnZipForm;
}

// ---- Timers and progress texts

void TWebForm::ExplorerTimerTimer() {
    ExplorerTimer->SetEnabled(false);
    btnExploreClick(this);
}

void TWebForm::AnyTimerTimer() {
    Screen.SetCursor(crDefault);
    if (AnyTimer->Tag == 1 || AnyTimer->Tag == 2) {
        StatusText(AnyTimer->Tag == 1 ? "Batch done." : "Lab done.");
        StatusBar->repaint();
    }
    AnyTimer->SetEnabled(false);
    AnyTimer->Tag = 0;
}

void TWebForm::TimeToFinish(bool ShowRate, int Remaining, std::string& Text) {
    if (SlidesPerMinute < 1)
        SlidesPerMinute = 1;
    const std::string prefix = ShowRate ? "Files/min: " + IntToStr(SlidesPerMinute) + " ... " : "";
    const int minutes = Remaining / SlidesPerMinute;
    Text = prefix + "~ " + (minutes >= 2 ? IntToStr(minutes) : std::string("1")) + " min. to finish";
}

void TWebForm::testClick(QObject* Sender) { mnuEmbeddedClick(Sender); }

// ---- Explorer forwarding

void TWebForm::Explorer_Activate() {
    TFileForm* explorer = xplr8900::FileForm;
    if (!explorer)
        return;
    if (xplr8900::ExplorerActive) {
        explorer->FolderMonitor_Terminate();
        Application.ProcessMessages();
        WaitWithEvents(MonitorStopMilliseconds);
    }
    if (mnuFileV->isEnabled() && !xplr8900::ExplorerActive) {
        explorer->Show();
        explorer->raise();
        explorer->activateWindow();
        Application.ProcessMessages();
        if (xplr8900::ExplorerActive) {
            explorer->FolderMonitor_Terminate();
            Application.ProcessMessages();
            WaitWithEvents(MonitorStopMilliseconds);
        }
    }
    mnuFileV->setEnabled(true);
    mnuViewV->setEnabled(true);
}

void TWebForm::ForwardToExplorer(void (TFileForm::*Command)(QObject*)) {
    Explorer_Activate();
    if (xplr8900::FileForm)
        (xplr8900::FileForm->*Command)(this);
}

void TWebForm::Explorer_FolderTree() { ForwardToExplorer(&TFileForm::mnuFolderTreeClick); }
void TWebForm::Explorer_Win98style() { ForwardToExplorer(&TFileForm::mnuButtonTextClick); }
void TWebForm::Explorer_Toolbar() { ForwardToExplorer(&TFileForm::mnuToolbarXClick); }
void TWebForm::Explorer_Statusbar() { ForwardToExplorer(&TFileForm::mnuStatusbarXClick); }
void TWebForm::Explorer_ClickStyle() { ForwardToExplorer(&TFileForm::mnuSingleClick); }
void TWebForm::Explorer_NetworkSupport() { ForwardToExplorer(&TFileForm::mnuNetworkSupportClick); }

void TWebForm::Explorer_Refresh() {
    Explorer_Activate();
    TFileForm* explorer = xplr8900::FileForm;
    if (!explorer)
        return;
    const bool toolTips = xplr8900::EControls.Flag(xplr8900::ec::ListToolTips);
    if (explorer->XL->ShowToolTips != toolTips)
        explorer->XL->ShowToolTips = toolTips;
    explorer->mnuRefreshClick(this);
}

void TWebForm::Explorer_UpdateLater() {
    xplr8900::ExplorerDirty = true;
    if (xplr8900::FileForm)
        xplr8900::FileForm->FolderMonitor_Terminate();
}

// ---- New picture

void TWebForm::mnuNewClick(QObject*) {
    TResizeResult size;
    size.BorderColor = static_cast<int32_t>(BackgroundColor);
    ExecuteResizeForm(0, 0, ScreenWidth, ScreenHeight, NewPictureMaxSide, NewPictureMaxSide, -2, "New Image", 1,
                      size);
    if (size.Width == -1 || size.Width < NewPictureMinSide || size.Height < NewPictureMinSide)
        return;
    if (!AutoBackUp())
        return;
    // Made aside first: a picture that cannot be had leaves the current one.
    TBitmap blank;
    blank.SetPixelFormat(pf24bit);
    blank.SetSize(size.Width, size.Height);
    blank.Canvas().Brush.Color = TColor{size.BorderColor};
    blank.Canvas().FillRect(Rect(0, 0, size.Width, size.Height));
    Daz95->SetBitmap(&blank);
    FileName = "Untitled";
    ShownFileName = FileName;
    FileExt.clear();
    ImageWidth = blank.Width();
    ImageHeight = blank.Height();
    ImageBitCount = 24;
    JPEGReduced = FaxReduced = false;
    UpdateCaption();
    EnableControls();
    Application.ProcessMessages();
    ResetSkyScrollPos();
    FormResize();
    Screen.SetCursor(crDefault);
    ImageChanged = true;
    CloseImgHandle();
    MultiPageDisable();
    SetItemEnabled(mnuReload, false);
    SetItemEnabled(mnuReload3, false);
    RefreshImage();
    UpdateHistoryEdit();
}

// ---- Hide, tile, zip window

void TWebForm::mnuHideClick(QObject*) {
    using show8900::ShowForm;
    const bool albumHasSlides = show8900::ShowFormActive && ShowForm && ShowForm->SlideItemCount() >= 1;
    if (albumHasSlides) {
        ShowForm->show();
        ShowForm->raise();
    } else if (xplr8900::FileForm) {
        xplr8900::FileForm->Show();
        xplr8900::FileForm->raise();
    }
    hide();
}

void TWebForm::mnuHideViewerClick(QObject* Sender) { mnuHideClick(Sender); }

void TWebForm::mnuTile1VClick(QObject* Sender) {
    TFileForm* explorer = xplr8900::FileForm;
    if (!explorer)
        return;
    explorer->Show();
    for (int i = 0; i < 3; ++i)
        Application.ProcessMessages();
    explorer->mnuTile1Click(Sender);
}

void TWebForm::mnuUnZipperClick(QObject*) {
    TUnZipForm& zipWindow = EnsureUnZipForm();
    if (!IsBusy)
        zipWindow.show();
}

void TWebForm::FormHide() {
    ShortCuts_Disable();
    if (Unzip_8900::UnZipForm)
        Unzip_8900::UnZipForm->hide();
}

void TWebForm::FormShow() { ShortCuts_Enable(); }

// Only the program's own hiding and showing count; minimising does not.
void TWebForm::hideEvent(QHideEvent* event) {
    QMainWindow::hideEvent(event);
    if (!event->spontaneous())
        Guarded([this] { FormHide(); });
}

void TWebForm::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!event->spontaneous())
        Guarded([this] { FormShow(); });
}

}  // namespace lumvor
