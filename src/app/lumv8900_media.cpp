// Video and sound files in the image window: the viewer's player in place of
// the picture control, the slide show's player, switching between picture and
// media mode, and the players' events.
#include "app/lumv8900.h"

#include "state/ViewerSettings.h"
#include "platform/Forms.h"
#include "platform/MediaPlayer.h"
#include "platform/Menus.h"
#include "ui/Pix.h"
#include "ui/ScrollBoxEx.h"
#include "ui/ExTrackBar.h"
#include "ui/voMsgBox.h"

#include <QElapsedTimer>
#include <QMenu>
#include <QStatusBar>
#include <QThread>
#include <QToolButton>

namespace lumvor {

using namespace lumv8900;

namespace {

constexpr const char* NoBackendText =
    "GStreamer multimedia components not installed.\nSee FAQ for free download (upgrade) details.";
constexpr const char* CorruptMediaText =
    "Corrupt file or unsupported video format.\nYou may need to install updated codecs.";

void ShowMediaMessage(const char* Text) {
    voMessageDlg("", "", Text, mtError, mbOKOnly, AutoDefaultButton, 0);
}

// A player that reports its file open (or a first state change) gives its
// length and picture size, and waits stopped.
void ReadOpenedMedia(TMediaPlayer* player, int OldState, int NewState, double& Duration) {
    if (!player || (OldState != MediaOpenClosed && NewState != MediaOpenOpen))
        return;
    Duration = player->Duration();
    VideoWidth = player->ImageSourceWidth();
    VideoHeight = player->ImageSourceHeight();
    player->Stop();
}

}  // namespace

bool TWebForm::FullScreenItemReadsNormal() const { return mnuFullscrn && mnuFullscrn->text() == "Normal window"; }

// ---- Opening

bool TWebForm::OpenMediaKind() {
    MediaFileName = FileName;
    MediaOpenFailed = false;
    if (MediaMode && ViewerPlayer) {
        // The player shown takes the new file; it is not made or measured again.
        if (ViewerPlayState != MediaStopped)
            ViewerPlayer->Stop();
        ViewerOpenState = MediaOpenLoading;
        ViewerPlayer->SetFileName(MediaFileName);
        WaitForMediaOpen();
        if (MediaOpenFailed)
            return false;
    } else if (!StartMedia(false)) {
        return false;
    } else {
        // The picture is let go only once the media file plays.
        NewBlankImage(false);
        Daz95->hide();
    }
    UpdateHistory(true);
    if (ViewerOpenState == MediaOpenOpen) {
        if (!FullScreenItemReadsNormal() && WindowedView)
            mnuOptimizeWindowClick(this);
        Application.ProcessMessages();
        if (MediaAutoPlay && ViewerPlayer)
            ViewerPlayer->Play();
    }
    UpdateCaption();
    if (ViewerOpenState == MediaOpenOpen)
        UI_Audio();
    return true;
}

void TWebForm::WaitForMediaOpen() {
    MediaOpenPending = false;
    QElapsedTimer clock;
    clock.start();
    while (ViewerPlayer && ViewerOpenState != MediaOpenOpen && !MediaOpenFailed && clock.elapsed() < MediaOpenWait) {
        Application.ProcessMessages();
        QThread::msleep(5);
    }
    // A slow file: the open event finishes the open when it comes.
    MediaOpenPending = ViewerPlayer && ViewerOpenState != MediaOpenOpen && !MediaOpenFailed;
}

bool TWebForm::StartMedia(bool KeepDisplaySize) {
    Screen.SetCursor(crHourGlass);
    AV_UI(true);
    try {
        ViewerPlayer = new TMediaPlayer(ScrollBox);
    } catch (const EMediaUnavailable&) {
        ViewerPlayer = nullptr;
        Screen.SetCursor(crDefault);
        AV_UI(false);
        Daz95->show();
        KeepCurrentPicture(NoBackendText);
        return false;
    }
    TMediaPlayer& player = *ViewerPlayer;
    try {
        player.OnOpenStateChange = [this](int o, int n) { Guarded([&] { AV_OpenStateChange(o, n); }); };
        player.OnPlayStateChange = [this](int o, int n) { Guarded([&] { AV_PlayStateChange(o, n); }); };
        player.OnMouseDown = [this](Qt::MouseButton b, const QPoint& p) { Guarded([&] { AV_MouseDown(b, p); }); };
        player.OnError = [this](const std::string&) { Guarded([this] { AV_Failed(); }); };
        if (player.width() > ScrollBox->width() || player.height() > ScrollBox->height())
            player.setGeometry(0, 0, 1, 1);
        player.hide();
        player.SetShowTracker(false);
        player.SetShowControls(false);
        player.SetShowStatusBar(false);
        player.SetAutoSize(true);
        // The bars' heights, measured by showing them one after another.
        player.show();
        Application.ProcessMessages();
        PlayerBaseHeight = player.height();
        player.SetShowStatusBar(true);
        MediaStatusBarHeight = player.height() - PlayerBaseHeight;
        player.SetShowControls(true);
        MediaControlBarHeight = player.height() - PlayerBaseHeight - MediaStatusBarHeight;
        player.SetShowTracker(true);
        MediaPositionBarHeight = player.height() - PlayerBaseHeight - MediaStatusBarHeight - MediaControlBarHeight;
        player.hide();
        Application.ProcessMessages();
        const bool bare = MediaMaxFullScreen && FullScreenItemReadsNormal();
        player.SetShowTracker(!bare && MediaShowPositionBar);
        player.SetShowControls(!bare && MediaShowControls);
        player.SetShowStatusBar(!bare && MediaShowStatusBar);
        player.SetAutoSize(false);
        player.show();
        player.SetAlignClient(true);
        player.SetAutoStart(false);
        player.SetVolume(MediaLinearVolume(MediaVolume));
        if (KeepDisplaySize)
            player.SetDisplaySize(SavedDisplaySize);
        else
            player.SetDisplaySize(btnFitWindow && btnFitWindow->isChecked() ? MediaSizeFit : MediaSizeDefault);
        ViewerOpenState = MediaOpenLoading;
        player.SetFileName(MediaFileName);
        player.SetPlayCount(MediaAutoPlay ? MediaPlayForever : 1);
        Screen.SetCursor(crDefault);
    } catch (const std::exception&) {
        MediaOpenFailed = true;
    }
    if (!MediaOpenFailed)
        WaitForMediaOpen();
    if (MediaOpenFailed) {
        // The failure was reported where it was noticed, unless it was thrown here.
        if (ViewerPlayer) {
            AV_Failed();
        }
        return false;
    }
    return true;
}

void TWebForm::AV_Failed() {
    MediaOpenFailed = true;
    MediaOpenPending = false;
    Screen.SetCursor(crDefault);
    if (MediaMode)
        AV_UI(false);
    Daz95->show();
    KeepCurrentPicture(CorruptMediaText);
}

void TWebForm::CreateSlideshowPlayer() {
    if (SlideshowPlayerCreated)
        return;
    Screen.SetCursor(crHourGlass);
    try {
        SlideshowPlayer = new TMediaPlayer(this);
    } catch (const EMediaUnavailable&) {
        SlideshowPlayer = nullptr;
        SlideshowPlayerCreated = false;
        MediaMode = false;
        Screen.SetCursor(crDefault);
        ShowMediaMessage(NoBackendText);
        return;
    }
    SlideshowPlayerCreated = true;
    TMediaPlayer& player = *SlideshowPlayer;
    player.setGeometry(0, ScreenHeight, 1, 1);
    player.hide();
    player.OnOpenStateChange = [this](int o, int n) { Guarded([&] { Show_AV_OpenStateChange(o, n); }); };
    player.OnPlayStateChange = [this](int o, int n) { Guarded([&] { Show_AV_PlayStateChange(o, n); }); };
    player.OnError = [](const std::string&) { Guarded([] { ShowMediaMessage(CorruptMediaText); }); };
    player.SetShowTracker(false);
    player.SetShowControls(false);
    player.SetShowStatusBar(false);
    player.SetAutoSize(false);
    player.SetAutoStart(false);
    player.SetVolume(MediaLinearVolume(MediaVolume));
    Application.ProcessMessages();
    Screen.SetCursor(crDefault);
}

// ---- Picture mode and media mode

void TWebForm::AV_UI(bool On) {
    if (On) {
        // The picture shown is blanked once the file plays (OpenMediaKind),
        // so a file that cannot play leaves it in place.
        StatusBar->hide();
        MediaMode = true;
        Daz95->hide();
    } else {
        CloseMediaView(false);
        MediaMode = false;
        if (!FullScreenItemReadsNormal() && ViewerControls.Flag(vc::StatusBar))
            StatusBar->show();
    }
    EnableControls();
    for (QWidget* button : {static_cast<QWidget*>(btnHandTool), static_cast<QWidget*>(btnSelectTool),
                            static_cast<QWidget*>(btnZoomTool)})
        if (button)
            button->setEnabled(!MediaMode);
    if (mnuEditV)
        mnuEditV->setEnabled(!MediaMode);
}

void TWebForm::CloseMediaView(bool KeepHidden) {
    if (!MediaMode)
        return;
    if (ViewerPlayer) {
        ViewerPlayer->SetDisplaySize(MediaSizeDefault);
        if (ViewerPlayState != MediaStopped)
            ViewerPlayer->Stop();
        ViewerPlayer->Release();
        ViewerPlayer = nullptr;
    }
    ViewerPlayState = MediaStopped;
    ViewerOpenState = MediaOpenClosed;
    MediaOpenPending = false;
    MediaMode = false;
    if (KeepHidden)
        return;
    ScrollBox->show();
    if (!FullScreenItemReadsNormal() && ViewerControls.Flag(vc::StatusBar))
        StatusBar->show();
    FormResize();
    chkHandToolClick(this);
}

void TWebForm::UI_Audio() {
    const bool picture = VideoHeight != 0;
    for (const char* name : {"btnFitWindow", "mnuFitWindow", "mnuFitWindow1", "btnZoomUp", "btnZoomDn"})
        SetChromeEnabled(name, picture);
    ZoomBar->setEnabled(picture);
}

// ---- The players' events

void TWebForm::AV_OpenStateChange(int OldState, int NewState) {
    ViewerOpenState = NewState;
    ReadOpenedMedia(ViewerPlayer, OldState, NewState, MediaDuration);
    if (NewState != MediaOpenOpen || !MediaOpenPending)
        return;
    // The file became known after the open stopped waiting: its sizing and
    // enabling come now.
    MediaOpenPending = false;
    if (!FullScreenItemReadsNormal() && WindowedView)
        mnuOptimizeWindowClick(this);
    if (MediaAutoPlay && ViewerPlayer)
        ViewerPlayer->Play();
    UI_Audio();
}

void TWebForm::AV_PlayStateChange(int, int NewState) { ViewerPlayState = NewState; }

void TWebForm::AV_MouseDown(Qt::MouseButton Button, const QPoint& Pos) {
    if (Button != Qt::RightButton)
        return;
    MainMenuTag = 1;
    MainMenu->popup(Pos);
}

void TWebForm::Show_AV_OpenStateChange(int OldState, int NewState) {
    SlideshowOpenState = NewState;
    ReadOpenedMedia(SlideshowPlayer, OldState, NewState, SlideMediaDuration);
}

void TWebForm::Show_AV_PlayStateChange(int, int NewState) { PlayerState = NewState; }

// ---- Display sizes and full screen

// The zoom buttons for media: default to double and half to default going
// up, default to half and double to default going down.
void TWebForm::MediaStepSize(bool Up) {
    if (!ViewerPlayer)
        return;
    const int size = ViewerPlayer->DisplaySize();
    if (Up) {
        if (size == MediaSizeDefault)
            ViewerPlayer->SetDisplaySize(MediaSizeDouble);
        else if (size == MediaSizeHalf)
            ViewerPlayer->SetDisplaySize(MediaSizeDefault);
        if (!FullScreen)
            mnuOptimizeWindowClick(btnZoomUp);
    } else if (size == MediaSizeDefault) {
        ViewerPlayer->SetDisplaySize(MediaSizeHalf);
    } else if (size == MediaSizeDouble) {
        ViewerPlayer->SetDisplaySize(MediaSizeDefault);
    }
}

void TWebForm::AV_FullScrnClick(QObject* Sender) {
    if (!ViewerPlayer)
        return;
    const double position = ViewerPlayer->CurrentPosition();
    SavedDisplaySize = ViewerPlayer->DisplaySize();
    const bool playing = ViewerPlayState == MediaPlaying;
    CloseMediaView(true);
    // The bars and the window as for a picture, then the player made again.
    mnuFullScrnClick(Sender);
    if (!StartMedia(true))
        return;
    ViewerPlayer->SetCurrentPosition(position);
    if (playing)
        ViewerPlayer->Play();
    UpdateCaption();
    UI_Audio();
}

int TWebForm::MediaDisplaySize() const { return ViewerPlayer ? ViewerPlayer->DisplaySize() : MediaSizeDefault; }

TSize TWebForm::MediaVideoSize() const { return TSize{VideoWidth, VideoHeight}; }

void TWebForm::SetMediaVideoSize(const TSize& Size) {
    VideoWidth = Size.cx;
    VideoHeight = Size.cy;
}

}  // namespace lumvor
