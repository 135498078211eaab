// The small commands that open the other windows from the image window (the
// slide album, the CD player, the comment window) or drive its media player,
// and the wiring of the bookmark panel's commands.
#include "app/lumv8900.h"

#include "album/show8900.h"
#include "app/Cdaudio_w.h"
#include "app/comment_8900.h"
#include "explorer/FolderListing.h"
#include "explorer/xplr8900.h"
#include "imaging/Helpers.h"
#include "platform/MediaPlayer.h"
#include "platform/Menus.h"
#include "ui/MenuItems.h"

namespace lumvor {

using namespace lumv8900;

namespace {

// The explorer's settings for a first run that opens the album before the
// explorer: its window parts, clicks and thumbnail sizes.
void SetAlbumExplorerDefaults() {
    using namespace xplr8900;
    GetPathRoot(AppDir, ExploreDir);
    for (std::size_t bar : {ec::ToolBar, ec::StatusBar, ec::ButtonText})
        EControls.SetByte(bar, 1);
    EControls.SetByte(ec::FolderTree, 0);
    EControls.SetInt(ec::ListView, 0);
    EControls.SetInt(ec::AlbumCopy, 0);
    EControls.SetInt(ec::ViewerPlaysMedia, 1);
    EControls.SetByte(ec::AutoRefresh, 1);
    EControls.SetInt(ec::ClickMode, 1);
    EControls.SetByte(ec::NetworkSupport, 0);
    EControls.SetByte(ec::ConfirmDeletions, 1);
    EControls.SetByte(ec::ListToolTips, 1);
    // The fitted area (166 x 124) is fixed; the cell and the decode size follow.
    ThumbWidth = ThumbDecodeWidth = 168;
    ThumbHeight = ThumbDecodeHeight = 126;
}

}  // namespace

void TWebForm::mnuSlideAlbumClick(QObject*) {
    if (!ExplorerSettingsLoaded && !xplr8900::FileFormCreated)
        SetAlbumExplorerDefaults();
    if (TFileForm* explorer = xplr8900::FileForm) {
        explorer->Thumbnailing_Stop();
        explorer->FolderMonitor_Terminate();
    }
    if (!show8900::ShowForm)
        show8900::ShowForm = new TShowForm();
    show8900::ShowForm->show();
    show8900::ShowForm->raise();
}

// The visible player with its buttons: a menu command wants one the user can
// stop, not the hidden one-track player of the slide shows.
void TWebForm::mnuCDPlayer1Click(QObject*) { OpenCDAudio(1, false); }

void TWebForm::mnuAV_StopClick(QObject*) {
    if (ViewerPlayer && ViewerPlayState != MediaStopped)
        ViewerPlayer->Stop();
}

void TWebForm::mnuAV_PlayClick(QObject*) {
    if (!ViewerPlayer)
        return;
    if (ViewerPlayState == MediaPlaying)
        ViewerPlayer->Pause();
    else
        ViewerPlayer->Play();
}

void TWebForm::JPEGReaderClick(QObject* Sender) {
    if (!CommentFormCreated)
        new TCommentForm(this);
    TCommentForm* window = comment_8900::CommentForm;
    window->show();
    window->raise();
    TFileForm* explorer = xplr8900::FileForm;
    if (explorer && Sender == static_cast<QObject*>(explorer)) {
        const std::string current = explorer->Listing->GetItemPath(-1);
        if (!current.empty())
            window->LoadJpegText(current);
        return;
    }
    FileExt = UpperCase(ExtractFileExt(FileName));
    if (ExtInList(FileExt, ".JPEG.JPG", ""))
        window->LoadJpegText(FileName);
}

void TWebForm::ConnectBookmarkPanel() {
    for (QAction* item : {mnuBookmarkUp, mnuBookmarkDn})
        WireMenuItem(this, item, [this](QObject* s) { mnuBookmarkUpClick(s); });
    for (QAction* item : {mnuHistoryAlbum, mnuHistoryAlbum2})
        WireMenuItem(this, item, [this](QObject* s) { mnuHistoryAlbumClick(s); });
    WireMenuItem(this, HistoryFocus1, [this](QObject* s) { HistoryFocus1Click(s); });
    WireMenuItem(this, mnuSlideAlbum, [this](QObject* s) { mnuSlideAlbumClick(s); });
    WireMenuItem(this, mnuCDPlayer1, [this](QObject* s) { mnuCDPlayer1Click(s); });
    WireMenuItem(this, mnuAV_Stop, [this](QObject* s) { mnuAV_StopClick(s); });
    WireMenuItem(this, mnuAV_Play, [this](QObject* s) { mnuAV_PlayClick(s); });
    WireMenuItem(this, JPEGReader, [this](QObject* s) { JPEGReaderClick(s); });
}

}  // namespace lumvor
