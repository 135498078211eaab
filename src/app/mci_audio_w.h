// The sound of a slide show: a small player form that plays one sound file
// while the slides run and closes itself when the sound ends.
//
// Plays through Qt Multimedia with an audio output always attached. Player
// errors are shown with the player's own text and end the form; the show goes
// on. One form at a time. GUI thread only.
#pragma once

#include <QWidget>

#include <string>

class QAudioOutput;
class QMediaPlayer;
class QMenu;
class QToolButton;

namespace lumvor {

class TAudioSlideForm;
class TMenuItem;
class TTimer;

namespace mci_audio_w {
inline TAudioSlideForm* AudioSlideForm = nullptr;
inline bool SlideAudioActive = false;
// The file being played.
inline std::string SlideAudioFile;
// Length of the sound and the last position read, in milliseconds.
inline int64_t MediaLength = 0;
inline int64_t LastPosition = 0;
inline bool EscapeRequested = false;
inline bool Closing = false;
// How often the form reads the player's position, in milliseconds.
inline constexpr int PositionInterval = 250;
}  // namespace mci_audio_w

class TAudioSlideForm : public QWidget {
public:
    explicit TAudioSlideForm(QWidget* owner = nullptr);
    ~TAudioSlideForm() override;

    // The player and its buttons (Play, Pause, Prev).
    QMediaPlayer* MediaPlayer2;
    QAudioOutput* AudioOutput;
    QToolButton* btnPlay;
    QToolButton* btnPause;
    QToolButton* btnPrev;
    TTimer* Timer1;
    QMenu* PopupMenu;
    TMenuItem* mnuPlay;
    TMenuItem* mnuPause;

    enum TMPBtnType { btPlay, btPause, btPrev };
    void MediaPlayer2Click(TMPBtnType Button);
    void MediaPlayer2Notify();
    void Timer1Timer();
    void FormClose();
    void mnuPlayClick();
    void mnuPauseClick();
    void FormKeyPress(char Key);
    // Shows the player's error text and ends the form.
    void PlayerError(const std::string& Message, bool CodecMissing);

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool closed_ = false;
};

// Opens the file and starts playing; true. Flag is kept and not used.
bool OpenSlideAudio(const std::string& FileName, bool Flag);
void CloseSlideAudio();
bool SlideAudioActive();

}  // namespace lumvor
