#include "app/remote_w.h"

#include "ui/ToolBarEx.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QVBoxLayout>

#include <charconv>
#include <string>

namespace lumvor {

using namespace remote_w;

namespace {

constexpr long RemoteHelpContext = 510;

TToolButtonEx* AddButton(TToolBarEx* bar, const char* name, const char* caption, QStyle::StandardPixmap icon) {
    auto* button = new TToolButtonEx(bar, name);
    button->setObjectName(name);
    button->SetCaption(caption);
    button->setIcon(QApplication::style()->standardIcon(icon));
    return button;
}

}  // namespace

TRemoteDialog::TRemoteDialog(QWidget* owner) : TModalForm(owner) {
    setWindowTitle(" AVL Remote");
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(4, 4, 4, 4);
    column->setSpacing(4);

    CustomSetting = new QLineEdit(this);
    CustomSetting->setObjectName("CustomSetting");
    CustomScrollBar = new QScrollBar(Qt::Horizontal, this);
    CustomScrollBar->setObjectName("CustomScrollBar");
    column->addWidget(CustomSetting);
    column->addWidget(CustomScrollBar);

    ToolBarEx1 = new TToolBarEx(this);
    ToolBarEx1->setObjectName("ToolBarEx1");
    ToolBarEx1->SetShowCaptions(true);
    btnFirstSlide = AddButton(ToolBarEx1, "btnFirstSlide", "First", QStyle::SP_MediaSkipBackward);
    btnLastSlide = AddButton(ToolBarEx1, "btnLastSlide", "Last", QStyle::SP_MediaSkipForward);
    btnPrevSlide = AddButton(ToolBarEx1, "btnPrevSlide", "Prev", QStyle::SP_MediaSeekBackward);
    btnNextSlide = AddButton(ToolBarEx1, "btnNextSlide", "Next", QStyle::SP_MediaSeekForward);
    btnPlay = AddButton(ToolBarEx1, "btnPlay", "Play", QStyle::SP_MediaPlay);
    btnStop = AddButton(ToolBarEx1, "btnStop", "Stop", QStyle::SP_MediaStop);
    column->addWidget(ToolBarEx1, 1);

    btnOK = new QPushButton("Go to", this);
    btnOK->setObjectName("btnOK");
    btnOK->setToolTip("Jump to selected slide");
    btnCancel = new QPushButton("Cancel", this);
    btnCancel->setObjectName("btnCancel");
    SetCancelButton(*btnCancel);
    btnHelp = new QPushButton("?", this);
    btnHelp->setObjectName("btnHelp");
    for (QPushButton* button : {btnOK, btnCancel, btnHelp}) {
        button->setAutoDefault(false);
        column->addWidget(button);
    }

    ConnectGuarded(btnOK, &QPushButton::clicked, this, [this] { BtnOKClick(); });
    ConnectGuarded(btnCancel, &QPushButton::clicked, this, [this] { BtnCancelClick(); });
    ConnectGuarded(btnHelp, &QPushButton::clicked, this, [this] { btnHelpClick(); });
    ConnectGuarded(btnStop, &QToolButton::clicked, this, [this] { btnStopClick(); });
    ConnectGuarded(btnFirstSlide, &QToolButton::clicked, this, [this] { btnFirstSlideClick(); });
    ConnectGuarded(btnLastSlide, &QToolButton::clicked, this, [this] { btnLastSlideClick(); });
    ConnectGuarded(btnPrevSlide, &QToolButton::clicked, this, [this] { btnPrevSlideClick(); });
    ConnectGuarded(btnNextSlide, &QToolButton::clicked, this, [this] { btnNextSlideClick(); });
    ConnectGuarded(btnPlay, &QToolButton::clicked, this, [this] { btnPlayClick(); });
    ConnectGuarded(CustomScrollBar, &QScrollBar::valueChanged, this, [this] { CustomScrollBarChange(); });
    ConnectGuarded(CustomScrollBar, &QScrollBar::actionTriggered, this, [this] { CustomScrollBarScroll(); });
    ConnectGuarded(CustomSetting, &QLineEdit::textChanged, this, [this] { CustomSettingChange(); });
    CustomSetting->installEventFilter(this);
    FormCreate();
}

void TRemoteDialog::FormCreate() {
    resize(94, sizeHint().height());
    PlaceAt(RemoteLeft, RemoteTop);
}

void TRemoteDialog::FormActivate() { CustomSetting->setFocus(); }

void TRemoteDialog::showEvent(QShowEvent* event) {
    TModalForm::showEvent(event);
    Guarded([this] { FormActivate(); });
}

bool TRemoteDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == CustomSetting && event->type() == QEvent::KeyPress) {
        int key = static_cast<QKeyEvent*>(event)->key();
        Guarded([&] { CustomSettingKeyDown(key); });
        if (key == 0)
            return true;
    }
    return TModalForm::eventFilter(watched, event);
}

void TRemoteDialog::CustomScrollBarChange() {
    if (!Typing)
        CustomSetting->setText(QString::number(CustomScrollBar->value()));
}

void TRemoteDialog::CustomScrollBarScroll() { Typing = false; }

void TRemoteDialog::CustomSettingKeyDown(int& Key) {
    Typing = true;
    if (Key == Qt::Key_Return || Key == Qt::Key_Enter) {
        Key = 0;
        Typing = false;
        CustomSettingChange();
    }
}

void TRemoteDialog::CustomSettingChange() {
    const std::string text = CustomSetting->text().trimmed().toStdString();
    if (text.empty())
        return;
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (end == text.data())
        return;
    if (error == std::errc::result_out_of_range)
        value = text[0] == '-' ? Min : Max;
    if (value > Max || value < Min) {
        value = value > Max ? Max : Min;
        CustomSetting->setText(QString::number(value));
    }
    CustomScrollBar->setValue(value);
    Typing = false;
}

void TRemoteDialog::BtnOKClick() { done(mrOk); }
void TRemoteDialog::BtnCancelClick() { done(mrCancel); }
void TRemoteDialog::btnStopClick() { done(mrCancel); }

void TRemoteDialog::btnFirstSlideClick() {
    CustomScrollBar->setValue(1);
    done(mrOk);
}

void TRemoteDialog::btnLastSlideClick() {
    CustomScrollBar->setValue(Max);
    done(mrOk);
}

void TRemoteDialog::btnPrevSlideClick() {
    if (CustomScrollBar->value() == 1)
        return;
    CustomScrollBar->setValue(CustomScrollBar->value() - 1);
    done(mrOk);
}

void TRemoteDialog::btnNextSlideClick() {
    if (CustomScrollBar->value() == Max)
        return;
    CustomScrollBar->setValue(CustomScrollBar->value() + 1);
    done(mrOk);
}

void TRemoteDialog::btnPlayClick() {
    Action = 0;
    done(mrOk);
}

void TRemoteDialog::btnHelpClick() { Application.HelpContext(RemoteHelpContext); }

void ExecuteRemoteDialog(const TRemoteEntry& Entry, TRemoteAnswer& Answer) {
    Action = 1;
    Answer.Action = 1;
    Answer.Value = RemoteCancelled;
    Min = Entry.Min;
    Max = Entry.Max;
    Position = Entry.Position;
    Typing = false;
    TRemoteDialog dialog(Application.MainForm());
    dialog.CustomScrollBar->setRange(Min, Max);
    dialog.CustomScrollBar->setValue(Position);
    dialog.CustomSetting->setText(QString::number(Position));
    dialog.CustomScrollBar->setSingleStep(Entry.SmallChange);
    dialog.CustomScrollBar->setPageStep(Entry.LargeChange);
    if (ExecModal(dialog) == mrOk) {
        Answer.Action = Action;
        Answer.Value = dialog.CustomScrollBar->value();
    }
    Answer.Left = dialog.Left();
    Answer.Top = dialog.Top();
    RemoteLeft = Answer.Left;
    RemoteTop = Answer.Top;
}

}  // namespace lumvor
