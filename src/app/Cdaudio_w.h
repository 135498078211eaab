// The audio CD player: plays one track of a disc silently for a slide, or
// stays on top as a small visible player with its buttons.
//
// The disc is read through Qt Multimedia (GStreamer's CD source, "cdda://"),
// with an audio output always attached. A machine without a CD drive is told
// so in an error box and no player opens. One player at a time. GUI thread only.
#pragma once

#include <QWidget>

#include <cstdint>
#include <string>
#include <vector>

class QAudioOutput;
class QMediaPlayer;
class QToolButton;

namespace lumvor {

class TCDForm;
class TTimer;

namespace Cdaudio_w {
inline TCDForm* CDForm = nullptr;
inline int16_t CDAudioActive = 0;
// Play one track only, with the form hidden.
inline bool SingleTrack = false;
// Close when the current track ends.
inline bool CloseRequested = false;
inline bool Closing = false;
// Where CD drives appear; the first that exists is played from.
inline std::vector<std::string> CDDevices = {"/dev/cdrom", "/dev/sr0", "/dev/sr1"};
inline constexpr const char* SNoCDDrive = "No CD drive found.";
}  // namespace Cdaudio_w

// The player's caption for a position: "CD Audio [Trk:5] 3:7".
std::string CDCaption(int Track, int Minutes, int Seconds);

class TCDForm : public QWidget {
public:
    explicit TCDForm(const std::string& Device, QWidget* owner = nullptr);
    ~TCDForm() override;

    QMediaPlayer* CDplayer;
    QAudioOutput* AudioOutput;
    QToolButton* btnPlay;
    QToolButton* btnPause;
    QToolButton* btnStop;
    QToolButton* btnNext;
    QToolButton* btnPrev;
    QToolButton* btnEject;
    TTimer* Timer9;
    // The track playing (1-based).
    int Track = 1;

    enum TMPBtnType { btPlay, btPause, btStop, btNext, btPrev, btEject };
    // Puts the player at the start of the track, playing when Start is set.
    void PlayTrack(int Number, bool Start = true);
    void FormActivate();
    void CDplayerClick(TMPBtnType Button);
    void CDplayerNotify();
    void Timer9Timer();
    void FormKeyDown(int Key);
    void FormClose();
    void PlayerError(const std::string& Message);

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    std::string device_;
    bool activated_ = false;
    bool closed_ = false;
};

// Opens a player at Track unless one is open; false when one is open or the
// machine has no CD drive.
bool OpenCDAudio(int Track, bool SingleTrack);
// First call: close when the track ends; second call: close now.
void CloseCDAudio();
int16_t CDAudioActive();

}  // namespace lumvor
