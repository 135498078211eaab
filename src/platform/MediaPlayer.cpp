#include "platform/MediaPlayer.h"

#include <gst/gst.h>

#include <QAudioOutput>
#include <QEvent>
#include <QResizeEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMediaPlayer>
#include <QMouseEvent>
#include <QSlider>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <QVideoFrame>
#include <QVideoSink>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace lumvor {

namespace {

bool ElementExists(const char* name) {
    GstElementFactory* factory = gst_element_factory_find(name);
    if (!factory)
        return false;
    gst_object_unref(factory);
    return true;
}

bool CheckGStreamer() {
    GError* error = nullptr;
    if (!gst_init_check(nullptr, nullptr, &error)) {
        if (error)
            g_error_free(error);
        return false;
    }
    const bool audioSink = ElementExists("autoaudiosink") || ElementExists("fakesink");
    return ElementExists("playbin") && ElementExists("decodebin") && audioSink;
}

// "m:ss" of a time in milliseconds.
QString Clock(qint64 ms) {
    const qint64 seconds = std::max<qint64>(0, ms) / 1000;
    return QString("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QChar('0'));
}

}  // namespace

bool MediaBackendAvailable() {
    if (MediaBackendCheck)
        return MediaBackendCheck();
    static const bool available = CheckGStreamer();
    return available;
}

double MediaLinearVolume(int Volume) {
    if (Volume <= 0)
        return 0.0;
    const double level = 1000.0 * std::log(Volume * 0.001);
    return std::clamp(std::pow(10.0, level / 2000.0), 0.0, 1.0);
}

TMediaPlayer::TMediaPlayer(QWidget* Parent) : QWidget(Parent) {
    if (!MediaBackendAvailable())
        throw EMediaUnavailable("The GStreamer elements for media playback are missing.");
    setObjectName("MediaPlayer");
    area_ = new QWidget(this);
    area_->setObjectName("MediaArea");
    area_->installEventFilter(this);
    // Frames are drawn by the area itself: no native video window.
    sink_ = new QVideoSink(this);
    player_ = new QMediaPlayer(this);
    // Without an audio output the pipeline fails ("Internal data stream error").
    audio_ = new QAudioOutput(this);
    player_->setAudioOutput(audio_);
    player_->setVideoOutput(sink_);
    BuildBars();
    prerollTimer_ = new QTimer(this);
    prerollTimer_->setSingleShot(true);
    connect(prerollTimer_, &QTimer::timeout, this, [this] {
        if (prerolling_)
            Failed("No picture arrived from the video stream.");
    });
    // Every signal is taken on the GUI thread (the backend emits some from its own).
    connect(player_, &QMediaPlayer::mediaStatusChanged, this,
            [this](QMediaPlayer::MediaStatus s) { MediaStatusChanged(int(s)); }, Qt::QueuedConnection);
    connect(player_, &QMediaPlayer::playbackStateChanged, this,
            [this](QMediaPlayer::PlaybackState s) { PlaybackStateChanged(int(s)); }, Qt::QueuedConnection);
    connect(player_, &QMediaPlayer::errorOccurred, this,
            [this](QMediaPlayer::Error, const QString& text) { Failed(text.toStdString()); }, Qt::QueuedConnection);
    connect(player_, &QMediaPlayer::positionChanged, this, [this](qint64 ms) {
        if (!tracker_->isSliderDown())
            tracker_->setValue(int(ms));
        ShowStatus();
    });
    connect(player_, &QMediaPlayer::durationChanged, this, [this](qint64 ms) { tracker_->setRange(0, int(ms)); });
    // The first frame's size is read here, never inside the sink's own signal.
    connect(sink_, &QVideoSink::videoFrameChanged, this,
            [this](const QVideoFrame& frame) { FrameArrived(frame); }, Qt::QueuedConnection);
    LayOut();
}

TMediaPlayer::~TMediaPlayer() {
    OnOpenStateChange = nullptr;
    OnPlayStateChange = nullptr;
    OnMouseDown = nullptr;
    OnError = nullptr;
    if (parentWidget())
        parentWidget()->removeEventFilter(this);
    player_->stop();
}

void TMediaPlayer::BuildBars() {
    tracker_ = new QSlider(Qt::Horizontal, this);
    tracker_->setObjectName("MediaTracker");
    tracker_->setToolTip("Position");
    connect(tracker_, &QSlider::sliderMoved, this, [this](int ms) { player_->setPosition(ms); });
    controls_ = new QWidget(this);
    controls_->setObjectName("MediaControls");
    auto* row = new QHBoxLayout(controls_);
    row->setContentsMargins(2, 1, 2, 1);
    row->setSpacing(2);
    const auto button = [this, row](const char* name, const char* tip, QStyle::StandardPixmap icon) {
        auto* b = new QToolButton(controls_);
        b->setObjectName(name);
        b->setToolTip(tip);
        b->setIcon(style()->standardIcon(icon));
        b->setAutoRaise(true);
        row->addWidget(b);
        return b;
    };
    play_ = button("MediaPlay", "Play", QStyle::SP_MediaPlay);
    pause_ = button("MediaPause", "Pause", QStyle::SP_MediaPause);
    stop_ = button("MediaStop", "Stop", QStyle::SP_MediaStop);
    row->addStretch(1);
    connect(play_, &QToolButton::clicked, this, [this] { Play(); });
    connect(pause_, &QToolButton::clicked, this, [this] { Pause(); });
    connect(stop_, &QToolButton::clicked, this, [this] { Stop(); });
    status_ = new QLabel(this);
    status_->setObjectName("MediaStatus");
    status_->setFrameShape(QFrame::StyledPanel);
    status_->setContentsMargins(4, 1, 4, 1);
    ShowStatus();
}

void TMediaPlayer::resizeEvent(QResizeEvent* Event) {
    QWidget::resizeEvent(Event);
    if (!layingOut_)
        LayOut();
}

void TMediaPlayer::LayOut() {
    layingOut_ = true;
    tracker_->setVisible(showTracker_);
    controls_->setVisible(showControls_);
    status_->setVisible(showStatus_);
    int barsHeight = 0;
    for (QWidget* bar : {static_cast<QWidget*>(tracker_), controls_, static_cast<QWidget*>(status_)})
        if (!bar->isHidden())
            barsHeight += bar->sizeHint().height();
    if (autoSize_) {
        const int videoHeight = naturalHeight_ > 0 ? naturalHeight_ : 0;
        const int width = std::max({naturalWidth_, controls_->sizeHint().width(), 160});
        resize(width, videoHeight + barsHeight);
    }
    int y = height() - barsHeight;
    area_->setGeometry(0, 0, width(), std::max(0, y));
    for (QWidget* bar : {static_cast<QWidget*>(tracker_), controls_, static_cast<QWidget*>(status_)}) {
        if (bar->isHidden())
            continue;
        const int h = bar->sizeHint().height();
        bar->setGeometry(0, y, width(), h);
        y += h;
    }
    PlaceVideo();
    layingOut_ = false;
}

// The video at its display size, centred in the area; fitted when asked or
// while its size is unknown.
void TMediaPlayer::PlaceVideo() {
    const QRect area = area_->rect();
    QSize size(naturalWidth_, naturalHeight_);
    if (displaySize_ == MediaSizeFit || naturalWidth_ <= 0 || naturalHeight_ <= 0)
        size = size.isEmpty() ? area.size() : size.scaled(area.size(), Qt::KeepAspectRatio);
    else if (displaySize_ == MediaSizeHalf)
        size /= 2;
    else if (displaySize_ == MediaSizeDouble)
        size *= 2;
    videoRect_ = QRect(QPoint(area.width() - size.width(), area.height() - size.height()) / 2, size);
    area_->update();
}

void TMediaPlayer::PaintArea() {
    QPainter painter(area_);
    painter.fillRect(area_->rect(), Qt::black);
    if (!frame_.isNull())
        painter.drawImage(videoRect_, frame_);
}

bool TMediaPlayer::eventFilter(QObject* Watched, QEvent* Event) {
    if (Watched == parentWidget() && alignClient_ && Event->type() == QEvent::Resize) {
        setGeometry(parentWidget()->rect());
        return false;
    }
    if (Watched == area_ && Event->type() == QEvent::Paint) {
        PaintArea();
        return true;
    }
    if (Watched == area_ && Event->type() == QEvent::MouseButtonPress && OnMouseDown) {
        const auto* mouse = static_cast<QMouseEvent*>(Event);
        OnMouseDown(mouse->button(), mouse->globalPosition().toPoint());
        return true;
    }
    if (Watched == area_ && Event->type() == QEvent::Resize)
        PlaceVideo();
    return QWidget::eventFilter(Watched, Event);
}

void TMediaPlayer::SetShowStatusBar(bool Show) {
    showStatus_ = Show;
    LayOut();
}

void TMediaPlayer::SetShowControls(bool Show) {
    showControls_ = Show;
    LayOut();
}

void TMediaPlayer::SetShowTracker(bool Show) {
    showTracker_ = Show;
    LayOut();
}

void TMediaPlayer::SetAutoSize(bool On) {
    autoSize_ = On;
    LayOut();
}

void TMediaPlayer::SetAlignClient(bool On) {
    alignClient_ = On;
    if (!parentWidget())
        return;
    parentWidget()->removeEventFilter(this);
    if (On) {
        parentWidget()->installEventFilter(this);
        setGeometry(parentWidget()->rect());
    }
}

void TMediaPlayer::SetDisplaySize(int Size) {
    displaySize_ = Size;
    PlaceVideo();
}

void TMediaPlayer::SetPlayCount(int Count) {
    playCount_ = Count;
    player_->setLoops(Count >= MediaPlayForever ? int(QMediaPlayer::Infinite) : std::max(1, Count));
}

void TMediaPlayer::SetVolume(double Linear) {
    volume_ = Linear;
    if (!prerolling_)
        audio_->setVolume(float(Linear));
}

void TMediaPlayer::SetFileName(const std::string& Name) {
    prerolling_ = false;
    prerollTimer_->stop();
    player_->stop();
    fileName_ = Name;
    failed_ = false;
    naturalWidth_ = naturalHeight_ = 0;
    frame_ = QImage();
    openState_ = MediaOpenLoading;
    player_->setSource(QUrl::fromLocalFile(QString::fromStdString(Name)));
}

double TMediaPlayer::Duration() const { return player_->duration() / 1000.0; }

double TMediaPlayer::CurrentPosition() const { return player_->position() / 1000.0; }

void TMediaPlayer::SetCurrentPosition(double Seconds) { player_->setPosition(qint64(std::llround(Seconds * 1000))); }

void TMediaPlayer::Play() {
    if (openState_ == MediaOpenOpen)
        player_->play();
}

void TMediaPlayer::Pause() { player_->pause(); }

void TMediaPlayer::Stop() {
    player_->stop();
    player_->setPosition(0);
}

void TMediaPlayer::Release() {
    OnOpenStateChange = nullptr;
    OnPlayStateChange = nullptr;
    OnMouseDown = nullptr;
    OnError = nullptr;
    prerollTimer_->stop();
    prerolling_ = false;
    player_->stop();
    hide();
    deleteLater();
}

void TMediaPlayer::MediaStatusChanged(int Status) {
    switch (QMediaPlayer::MediaStatus(Status)) {
    case QMediaPlayer::LoadedMedia:
        if (openState_ != MediaOpenLoading || failed_)
            break;
        if (!player_->hasVideo()) {
            Opened();
            break;
        }
        // The picture size comes with the first frame: play silently until it arrives.
        prerolling_ = true;
        audio_->setMuted(true);
        prerollTimer_->start(FirstFrameTimeout);
        player_->play();
        break;
    case QMediaPlayer::InvalidMedia:
        Failed(player_->errorString().toStdString());
        break;
    default:
        break;
    }
    ShowStatus();
}

void TMediaPlayer::FrameArrived(const QVideoFrame& Frame) {
    if (!Frame.isValid())
        return;
    frame_ = Frame.toImage();
    area_->update();
    if (!prerolling_)
        return;
    prerolling_ = false;
    prerollTimer_->stop();
    naturalWidth_ = Frame.size().width();
    naturalHeight_ = Frame.size().height();
    PlaceVideo();
    // Stopped outside the sink's delivery.
    QTimer::singleShot(0, this, [this] {
        player_->stop();
        player_->setPosition(0);
        audio_->setMuted(false);
        audio_->setVolume(float(volume_));
        Opened();
    });
}

void TMediaPlayer::Opened() {
    const int old = openState_;
    openState_ = MediaOpenOpen;
    tracker_->setRange(0, int(player_->duration()));
    LayOut();
    if (OnOpenStateChange)
        OnOpenStateChange(old, openState_);
    if (autoStart_)
        Play();
}

void TMediaPlayer::Failed(const std::string& Text) {
    if (failed_)
        return;
    failed_ = true;
    prerolling_ = false;
    prerollTimer_->stop();
    openState_ = MediaOpenClosed;
    if (OnError)
        OnError(Text.empty() ? "The media file could not be played." : Text);
}

void TMediaPlayer::PlaybackStateChanged(int State) {
    // The silent play that reads the first frame is no play of the user's.
    if (prerolling_ || openState_ != MediaOpenOpen)
        return;
    switch (QMediaPlayer::PlaybackState(State)) {
    case QMediaPlayer::PlayingState: SetPlayState(MediaPlaying); break;
    case QMediaPlayer::PausedState: SetPlayState(MediaPaused); break;
    default: SetPlayState(MediaStopped); break;
    }
}

void TMediaPlayer::SetPlayState(int State) {
    const int old = playState_;
    playState_ = State;
    ShowStatus();
    if (old != State && OnPlayStateChange)
        OnPlayStateChange(old, State);
}

void TMediaPlayer::ShowStatus() {
    if (!status_)
        return;
    QString state = "Stopped";
    if (openState_ == MediaOpenLoading)
        state = "Opening";
    else if (playState_ == MediaPlaying)
        state = "Playing";
    else if (playState_ == MediaPaused)
        state = "Paused";
    const qint64 position = player_ ? player_->position() : 0;
    const qint64 length = player_ ? player_->duration() : 0;
    status_->setText(state + "   " + Clock(position) + " / " + Clock(length));
}

}  // namespace lumvor
