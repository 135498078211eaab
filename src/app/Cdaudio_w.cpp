#include "app/Cdaudio_w.h"

#include "platform/Forms.h"
#include "ui/voMsgBox.h"

#include <QAudioOutput>
#include <QCloseEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMediaPlayer>
#include <QProcess>
#include <QToolButton>
#include <QUrl>

namespace lumvor {

namespace cd = Cdaudio_w;

namespace {

constexpr int PositionInterval = 500;

bool Stopped(const QMediaPlayer& player) { return player.playbackState() == QMediaPlayer::StoppedState; }

std::string FirstCDDevice() {
    for (const std::string& device : cd::CDDevices)
        if (QFileInfo::exists(QString::fromStdString(device)))
            return device;
    return "";
}

}  // namespace

std::string CDCaption(int Track, int Minutes, int Seconds) {
    return "CD Audio [Trk:" + std::to_string(Track) + "] " + std::to_string(Minutes) + ":" + std::to_string(Seconds);
}

TCDForm::TCDForm(const std::string& Device, QWidget* owner) : QWidget(owner, Qt::Window), device_(Device) {
    setWindowFlags(Qt::Window | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setWindowTitle("CD Audio");
    CDplayer = new QMediaPlayer(this);
    AudioOutput = new QAudioOutput(this);
    CDplayer->setAudioOutput(AudioOutput);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    const std::pair<QToolButton**, const char*> buttons[] = {{&btnPlay, "Play"}, {&btnPause, "Pause"},
                                                             {&btnStop, "Stop"}, {&btnNext, "Next"},
                                                             {&btnPrev, "Prev"}, {&btnEject, "Eject"}};
    for (const auto& [button, caption] : buttons) {
        *button = new QToolButton(this);
        (*button)->setText(caption);
        (*button)->hide();
        row->addWidget(*button);
    }
    Timer9 = new TTimer(this);
    Timer9->SetInterval(PositionInterval);
    Timer9->SetEnabled(false);
    Timer9->SetOnTimer([this] { Timer9Timer(); });
    ConnectGuarded(btnPlay, &QToolButton::clicked, this, [this] { CDplayerClick(btPlay); });
    ConnectGuarded(btnPause, &QToolButton::clicked, this, [this] { CDplayerClick(btPause); });
    ConnectGuarded(btnStop, &QToolButton::clicked, this, [this] { CDplayerClick(btStop); });
    ConnectGuarded(btnNext, &QToolButton::clicked, this, [this] { CDplayerClick(btNext); });
    ConnectGuarded(btnPrev, &QToolButton::clicked, this, [this] { CDplayerClick(btPrev); });
    ConnectGuarded(btnEject, &QToolButton::clicked, this, [this] { CDplayerClick(btEject); });
    ConnectGuarded(CDplayer, &QMediaPlayer::playbackStateChanged, this, [this] { CDplayerNotify(); });
    ConnectGuarded(CDplayer, &QMediaPlayer::errorOccurred, this,
                   [this](QMediaPlayer::Error, const QString& text) { PlayerError(text.toStdString()); });
}

TCDForm::~TCDForm() {
    if (cd::CDForm == this)
        cd::CDForm = nullptr;
}

void TCDForm::PlayTrack(int Number, bool Start) {
    Track = std::max(1, Number);
    QUrl url(QString("cdda://%1").arg(Track));
    // GStreamer's CD source reads the device named after the '#'.
    url.setFragment(QString::fromStdString(device_));
    CDplayer->setSource(url);
    if (!Start)
        return;
    CDplayer->play();
    Timer9->SetEnabled(true);
}

void TCDForm::FormActivate() {
    if (activated_ || cd::SingleTrack)
        return;
    activated_ = true;
    for (QToolButton* button : {btnPlay, btnPause, btnStop, btnNext, btnPrev, btnEject})
        button->show();
}

void TCDForm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    Guarded([this] { FormActivate(); });
}

void TCDForm::CDplayerClick(TMPBtnType Button) {
    switch (Button) {
    case btPlay:
        Timer9->SetEnabled(true);
        CDplayer->play();
        break;
    case btPause:
        Timer9->SetEnabled(false);
        CDplayer->pause();
        break;
    case btStop: CDplayer->stop(); break;
    case btNext: PlayTrack(Track + 1); break;
    case btPrev: PlayTrack(Track - 1); break;
    case btEject:
        CDplayer->stop();
        QProcess::startDetached("eject", {QString::fromStdString(device_)});
        break;
    }
}

void TCDForm::CDplayerNotify() { Application.ProcessMessages(); }

void TCDForm::Timer9Timer() {
    if (cd::Closing || closed_ || CDplayer->source().isEmpty())
        return;
    const bool stopped = Stopped(*CDplayer);
    if (stopped)
        Timer9->SetEnabled(false);
    const int64_t seconds = CDplayer->position() / 1000;
    if (!stopped)
        setWindowTitle(QString::fromStdString(CDCaption(Track, int(seconds / 60), int(seconds % 60))));
    if (stopped) {
        if (cd::SingleTrack)
            cd::CloseRequested = true;
        if (cd::CloseRequested)
            close();
    }
}

void TCDForm::FormKeyDown(int Key) {
    if (Key != Qt::Key_Escape)
        return;
    if (cd::CloseRequested)
        close();
    else
        cd::CloseRequested = true;
}

void TCDForm::keyPressEvent(QKeyEvent* event) {
    Guarded([this, event] { FormKeyDown(event->key()); });
}

void TCDForm::PlayerError(const std::string& Message) {
    if (closed_)
        return;
    Screen.SetCursor(crDefault);
    hide();
    voMessageDlg("", "", Message, mtError, mbOKOnly, AutoDefaultButton, 0);
    close();
}

void TCDForm::FormClose() {
    cd::Closing = true;
    Timer9->SetEnabled(false);
    if (!Stopped(*CDplayer))
        CDplayer->stop();
    CDplayer->setSource(QUrl());
    cd::Closing = false;
    cd::CDAudioActive = 0;
    cd::CloseRequested = false;
    if (cd::CDForm == this)
        cd::CDForm = nullptr;
    deleteLater();
}

void TCDForm::closeEvent(QCloseEvent* event) {
    if (!closed_) {
        closed_ = true;
        Guarded([this] { FormClose(); });
    }
    event->accept();
}

bool OpenCDAudio(int Track, bool SingleTrack) {
    if (cd::CDAudioActive)
        return false;
    const std::string device = FirstCDDevice();
    if (device.empty()) {
        voMessageDlg("", "", cd::SNoCDDrive, mtError, mbOKOnly, AutoDefaultButton, 0);
        return false;
    }
    cd::SingleTrack = SingleTrack;
    cd::CloseRequested = false;
    Screen.SetCursor(crHourGlass);
    auto* form = new TCDForm(device);
    cd::CDForm = form;
    Screen.SetCursor(crDefault);
    // A single track ends where the next begins: the CD source plays one track.
    form->PlayTrack(Track, SingleTrack);
    if (!SingleTrack) {
        form->setWindowFlag(Qt::WindowStaysOnTopHint, true);
        form->show();
    }
    Application.ProcessMessages();
    if (cd::CDForm == form)
        cd::CDAudioActive = 1;
    Screen.SetCursor(crDefault);
    return true;
}

void CloseCDAudio() {
    if (!cd::CDForm)
        return;
    if (cd::CloseRequested)
        cd::CDForm->close();
    else
        cd::CloseRequested = true;
}

int16_t CDAudioActive() { return cd::CDAudioActive; }

}  // namespace lumvor
