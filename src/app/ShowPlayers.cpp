#include "app/ShowPlayers.h"

#include "app/Cdaudio_w.h"
#include "app/lumv8900.h"
#include "app/mci_audio_w.h"
#include "platform/MediaPlayer.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>

namespace lumvor {

using namespace lumv8900;

namespace {

// Lets events through until Done answers true or Milliseconds have passed,
// sleeping while nothing happens.
void WaitForPlayer(int Milliseconds, const std::function<bool()>& Done) {
    QDeadlineTimer due(Milliseconds);
    QEventLoop loop;
    QTimer alarm;
    alarm.setSingleShot(true);
    while (!Done() && !due.hasExpired()) {
        alarm.start(10);
        loop.processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
}

bool OpenMedia(TWebForm& form, const std::string& file) {
    form.CreateSlideshowPlayer();
    TMediaPlayer* player = form.SlideshowPlayer;
    if (!player)
        return false;
    VideoWidth = VideoHeight = 0;
    SlideshowOpenState = MediaOpenLoading;
    player->SetFileName(file);
    WaitForPlayer(MediaOpenWait, [&] { return form.SlideshowPlayer != player || SlideshowOpenState == MediaOpenOpen ||
                                              player->OpenState() == MediaOpenClosed; });
    return form.SlideshowPlayer == player && SlideshowOpenState == MediaOpenOpen;
}

void PlaceMedia(TWebForm& form, const TRect& bounds, bool visible) {
    TMediaPlayer* player = form.SlideshowPlayer;
    if (!player)
        return;
    const int top = form.height() - form.ClientHeight();
    player->setGeometry(bounds.Left, top + bounds.Top, std::max(1, bounds.Width()), std::max(1, bounds.Height()));
    if (visible) {
        player->SetDisplaySize(MediaSizeFit);
        player->show();
        player->raise();
    } else {
        player->hide();
    }
}

void PlayMedia(TWebForm& form) {
    TMediaPlayer* player = form.SlideshowPlayer;
    if (!player)
        return;
    player->SetPlayCount(1);
    player->Play();
    // The backend reports playing a moment later; the show waits on that state.
    WaitForPlayer(2000, [&] { return form.SlideshowPlayer != player || PlayerState == MediaPlaying; });
}

void StopMedia(TWebForm& form) {
    if (form.SlideshowPlayer) {
        form.SlideshowPlayer->Stop();
        form.SlideshowPlayer->hide();
    }
}

TShowPlayers* Installed = nullptr;

}  // namespace

TShowPlayers RealShowPlayers() {
    TShowPlayers players;
    players.CDActive = [] { return CDAudioActive() != 0; };
    players.CloseCD = [] { CloseCDAudio(); };
    players.OpenCD = [](int track) { return OpenCDAudio(track, true); };
    players.SoundActive = [] { return SlideAudioActive(); };
    players.CloseSound = [] { CloseSlideAudio(); };
    players.OpenSound = [](const std::string& file, int flag) { return OpenSlideAudio(file, flag != 0); };
    players.OpenMedia = OpenMedia;
    players.PlaceMedia = PlaceMedia;
    players.PlayMedia = PlayMedia;
    players.StopMedia = StopMedia;
    return players;
}

TShowPlayers& ShowPlayers() {
    static TShowPlayers real = RealShowPlayers();
    return Installed ? *Installed : real;
}

void SetShowPlayers(TShowPlayers* Players) { Installed = Players; }

}  // namespace lumvor
