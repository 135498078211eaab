#include "app/mci_audio_w.h"

#include "platform/Forms.h"
#include "platform/Menus.h"
#include "ui/voMsgBox.h"

#include <QAudioOutput>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMediaPlayer>
#include <QMenu>
#include <QToolButton>
#include <QUrl>

namespace lumvor {

namespace ma = mci_audio_w;

namespace {

// Added to the player's text when no decoder takes the file.
constexpr const char* SeeReadme = "  Please see README file.";

bool Stopped(const QMediaPlayer& player) { return player.playbackState() == QMediaPlayer::StoppedState; }

}  // namespace

TAudioSlideForm::TAudioSlideForm(QWidget* owner) : QWidget(owner, Qt::Window) {
    setWindowTitle("Slide Audio");
    MediaPlayer2 = new QMediaPlayer(this);
    AudioOutput = new QAudioOutput(this);
    MediaPlayer2->setAudioOutput(AudioOutput);
    auto* row = new QHBoxLayout(this);
    btnPlay = new QToolButton(this);
    btnPlay->setText("Play");
    btnPause = new QToolButton(this);
    btnPause->setText("Pause");
    btnPrev = new QToolButton(this);
    btnPrev->setText("Prev");
    for (QToolButton* button : {btnPlay, btnPause, btnPrev})
        row->addWidget(button);
    PopupMenu = new QMenu(this);
    mnuPlay = new TMenuItem("&Play", this);
    mnuPause = new TMenuItem("P&ause", this);
    PopupMenu->addAction(mnuPlay);
    PopupMenu->addAction(mnuPause);
    Timer1 = new TTimer(this);
    Timer1->SetInterval(ma::PositionInterval);
    Timer1->SetOnTimer([this] { Timer1Timer(); });

    ConnectGuarded(btnPlay, &QToolButton::clicked, this, [this] { MediaPlayer2Click(btPlay); });
    ConnectGuarded(btnPause, &QToolButton::clicked, this, [this] { MediaPlayer2Click(btPause); });
    ConnectGuarded(btnPrev, &QToolButton::clicked, this, [this] { MediaPlayer2Click(btPrev); });
    ConnectGuarded(mnuPlay, &QAction::triggered, this, [this] { mnuPlayClick(); });
    ConnectGuarded(mnuPause, &QAction::triggered, this, [this] { mnuPauseClick(); });
    ConnectGuarded(MediaPlayer2, &QMediaPlayer::playbackStateChanged, this, [this] { MediaPlayer2Notify(); });
    ConnectGuarded(MediaPlayer2, &QMediaPlayer::durationChanged, this, [](qint64 length) {
        if (ma::Closing)
            return;
        ma::MediaLength = length;
        ma::LastPosition = length - 1;
    });
    ConnectGuarded(MediaPlayer2, &QMediaPlayer::errorOccurred, this,
                   [this](QMediaPlayer::Error error, const QString& text) {
                       PlayerError(text.toStdString(), error == QMediaPlayer::FormatError);
                   });
}

TAudioSlideForm::~TAudioSlideForm() {
    if (ma::AudioSlideForm == this)
        ma::AudioSlideForm = nullptr;
}

void TAudioSlideForm::MediaPlayer2Click(TMPBtnType Button) {
    switch (Button) {
    case btPlay:
        btnPlay->hide();
        btnPause->show();
        Timer1->SetEnabled(true);
        MediaPlayer2->play();
        break;
    case btPause:
        btnPause->hide();
        btnPlay->show();
        Timer1->SetEnabled(false);
        MediaPlayer2->pause();
        break;
    case btPrev:
        btnPause->hide();
        btnPlay->show();
        ma::LastPosition = 0;
        MediaPlayer2->setPosition(0);
        break;
    }
}

void TAudioSlideForm::MediaPlayer2Notify() { Application.ProcessMessages(); }

void TAudioSlideForm::Timer1Timer() {
    if (ma::Closing || closed_ || MediaPlayer2->source().isEmpty())
        return;
    const bool stopped = Stopped(*MediaPlayer2);
    if (stopped)
        Timer1->SetEnabled(false);
    ma::LastPosition = MediaPlayer2->position();
    Application.ProcessMessages();
    if (closed_)
        return;
    if (stopped || ma::EscapeRequested)
        close();
}

void TAudioSlideForm::mnuPlayClick() {
    if (Stopped(*MediaPlayer2))
        MediaPlayer2->play();
}

void TAudioSlideForm::mnuPauseClick() {
    if (MediaPlayer2->playbackState() == QMediaPlayer::PlayingState)
        MediaPlayer2->pause();
}

void TAudioSlideForm::FormKeyPress(char Key) {
    if (Key == 27)
        ma::EscapeRequested = true;
}

void TAudioSlideForm::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape)
        Guarded([this] { FormKeyPress(27); });
    QWidget::keyPressEvent(event);
}

void TAudioSlideForm::PlayerError(const std::string& Message, bool CodecMissing) {
    if (closed_)
        return;
    Screen.SetCursor(crDefault);
    hide();
    voMessageDlg("", "", CodecMissing ? Message + SeeReadme : Message, mtError, mbOKOnly, AutoDefaultButton, 0);
    close();
}

void TAudioSlideForm::FormClose() {
    Screen.SetCursor(crHourGlass);
    ma::Closing = true;
    Timer1->SetEnabled(false);
    MediaPlayer2->stop();
    MediaPlayer2->setSource(QUrl());
    ma::Closing = false;
    ma::EscapeRequested = false;
    ma::SlideAudioActive = false;
    if (ma::AudioSlideForm == this)
        ma::AudioSlideForm = nullptr;
    deleteLater();
    Screen.SetCursor(crDefault);
}

void TAudioSlideForm::closeEvent(QCloseEvent* event) {
    if (!closed_) {
        closed_ = true;
        Guarded([this] { FormClose(); });
    }
    event->accept();
}

bool OpenSlideAudio(const std::string& FileName, bool) {
    Screen.SetCursor(crHourGlass);
    if (ma::AudioSlideForm)
        ma::AudioSlideForm->close();
    ma::SlideAudioFile = FileName;
    ma::MediaLength = 0;
    ma::LastPosition = -1;
    auto* form = new TAudioSlideForm();
    form->setAttribute(Qt::WA_DeleteOnClose, false);
    ma::AudioSlideForm = form;
    form->MediaPlayer2->setSource(QUrl::fromLocalFile(QString::fromStdString(FileName)));
    Application.ProcessMessages();
    // An error while loading has already ended the form.
    if (ma::AudioSlideForm != form) {
        Screen.SetCursor(crDefault);
        return true;
    }
    ma::SlideAudioActive = true;
    form->MediaPlayer2->play();
    Screen.SetCursor(crDefault);
    return true;
}

void CloseSlideAudio() {
    if (ma::AudioSlideForm)
        ma::AudioSlideForm->close();
}

bool SlideAudioActive() { return ma::SlideAudioActive; }

}  // namespace lumvor
