// The hosted media player: a video area with the player's three bars (status
// line, play controls, position track bar) over Qt Multimedia's GStreamer
// backend. States, display sizes and play counts are numbered as the
// program's media code expects them.
#pragma once

#include "platform/SysUtils.h"

#include <QImage>
#include <QWidget>

#include <functional>
#include <string>

class QAudioOutput;
class QLabel;
class QMediaPlayer;
class QSlider;
class QTimer;
class QToolButton;
class QVideoFrame;
class QVideoSink;

namespace lumvor {

// Open states.
constexpr int MediaOpenClosed = 0;
constexpr int MediaOpenLoading = 1;
constexpr int MediaOpenOpen = 6;
// Play states.
constexpr int MediaStopped = 0;
constexpr int MediaPaused = 1;
constexpr int MediaPlaying = 2;
// Display sizes.
constexpr int MediaSizeDefault = 0;
constexpr int MediaSizeHalf = 1;
constexpr int MediaSizeDouble = 2;
constexpr int MediaSizeFit = 4;
// A play count that repeats for ever.
constexpr int MediaPlayForever = 999;

// The player cannot be made: the multimedia backend is missing.
class EMediaUnavailable : public Exception {
public:
    using Exception::Exception;
};

// Whether GStreamer holds the elements Qt's player builds on (playbin, a
// decoder bin, an audio sink). Qt's player crashes in its constructor when
// they are missing, so this is asked before the first player is made.
bool MediaBackendAvailable();
// Tests replace the backend check.
inline std::function<bool()> MediaBackendCheck;

// The linear volume for a stored volume of 1..1000: 10^(x / 2000), where
// x = 1000 ln(v / 1000) is the level in hundredths of a decibel.
double MediaLinearVolume(int Volume);

class TMediaPlayer : public QWidget {
public:
    // Raises EMediaUnavailable when the backend check fails.
    explicit TMediaPlayer(QWidget* Parent);
    ~TMediaPlayer() override;

    // The bars.
    void SetShowStatusBar(bool Show);
    void SetShowControls(bool Show);
    void SetShowTracker(bool Show);
    bool ShowStatusBar() const { return showStatus_; }
    bool ShowControls() const { return showControls_; }
    bool ShowTracker() const { return showTracker_; }
    // With AutoSize the player takes the height its video area and its shown
    // bars need.
    void SetAutoSize(bool On);
    // The player follows its parent's client area.
    void SetAlignClient(bool On);

    void SetDisplaySize(int Size);
    int DisplaySize() const { return displaySize_; }
    void SetAutoStart(bool On) { autoStart_ = On; }
    void SetPlayCount(int Count);
    int PlayCount() const { return playCount_; }
    void SetVolume(double Linear);
    double Volume() const { return volume_; }
    // Giving a file name opens it; the open state reaches MediaOpenOpen once
    // its length and its picture size are known.
    void SetFileName(const std::string& Name);
    const std::string& FileName() const { return fileName_; }

    int OpenState() const { return openState_; }
    int PlayState() const { return playState_; }
    // The natural picture size; a height of 0 means sound only.
    int ImageSourceWidth() const { return naturalWidth_; }
    int ImageSourceHeight() const { return naturalHeight_; }
    // Length and position in seconds.
    double Duration() const;
    double CurrentPosition() const;
    void SetCurrentPosition(double Seconds);

    void Play();
    void Pause();
    void Stop();
    // Stops, hides and frees the player once control is back in the event
    // loop (it may be called from one of its own events); no event follows.
    void Release();

    // Events, on the GUI thread: open and play state (old, new), a mouse
    // button pressed over the picture (global position), and a failure with
    // the backend's text.
    std::function<void(int, int)> OnOpenStateChange;
    std::function<void(int, int)> OnPlayStateChange;
    std::function<void(Qt::MouseButton, const QPoint&)> OnMouseDown;
    std::function<void(const std::string&)> OnError;

    // How long the first picture of a video may take before the file counts
    // as unreadable (milliseconds).
    static inline int FirstFrameTimeout = 3000;

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;
    void resizeEvent(QResizeEvent* Event) override;

private:
    void BuildBars();
    void LayOut();
    void PlaceVideo();
    void PaintArea();
    void MediaStatusChanged(int Status);
    void PlaybackStateChanged(int State);
    void FrameArrived(const QVideoFrame& Frame);
    void Opened();
    void Failed(const std::string& Text);
    void SetPlayState(int State);
    void ShowStatus();

    QMediaPlayer* player_ = nullptr;
    QAudioOutput* audio_ = nullptr;
    QWidget* area_ = nullptr;
    QVideoSink* sink_ = nullptr;
    // The last frame shown and where it is drawn.
    QImage frame_;
    QRect videoRect_;
    QLabel* status_ = nullptr;
    QWidget* controls_ = nullptr;
    QToolButton* play_ = nullptr;
    QToolButton* pause_ = nullptr;
    QToolButton* stop_ = nullptr;
    QSlider* tracker_ = nullptr;
    QTimer* prerollTimer_ = nullptr;

    std::string fileName_;
    bool showStatus_ = true;
    bool showControls_ = true;
    bool showTracker_ = true;
    bool autoSize_ = false;
    bool alignClient_ = false;
    bool autoStart_ = false;
    bool prerolling_ = false;
    bool layingOut_ = false;
    bool failed_ = false;
    int displaySize_ = MediaSizeDefault;
    int playCount_ = 1;
    int openState_ = MediaOpenClosed;
    int playState_ = MediaStopped;
    int naturalWidth_ = 0;
    int naturalHeight_ = 0;
    double volume_ = 1.0;
};

}  // namespace lumvor
