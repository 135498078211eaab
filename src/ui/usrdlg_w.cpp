#include "ui/usrdlg_w.h"

#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>

#include <algorithm>

#include "platform/ComCtrls.h"
#include "platform/SysUtils.h"

namespace lumvor {

using namespace usrdlg_w;

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

// The preset group's height and gap that a dialog without presets loses.
constexpr int kGroupTop = 96;
constexpr int kGroupHeight = 57;

// The thumbnail size a track bar position names in the thumbnail-size dialog.
const char* ThumbSizeName(int position) {
    switch (position) {
    case 1: return "64x48";
    case 2: return "80x60";
    case 3: return "96x72";
    case 4: return "120x90";
    case 5: return "132x99";
    case 6: return "144x108";
    case 7: return "152x114";
    default: return "168x126";
    }
}

}  // namespace

TXScrlDlg::TXScrlDlg(QWidget* owner) : TModalForm(owner) {
    setObjectName("XScrlDlg");
    SetDialogFont(*this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFixedSize(295, 174);

    LabelMin = new QLabel(this);
    LabelMin->setGeometry(80, 7, 100, 16);
    LabelMax = new QLabel(this);
    LabelMax->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    LabelMax->setGeometry(180, 7, 106, 16);

    CustomSetting = new QLineEdit(this);
    CustomSetting->setObjectName("CustomSetting");
    CustomSetting->setGeometry(6, 32, 67, 22);
    CustomSetting->installEventFilter(this);

    CustomScrollBar = new QScrollBar(Qt::Horizontal, this);
    CustomScrollBar->setObjectName("CustomScrollBar");
    CustomScrollBar->setGeometry(80, 32, 209, 20);

    UserTrackBar = new TTrackBar(this);
    UserTrackBar->setObjectName("UserTrackBar");
    UserTrackBar->SetTickStyle(tsAuto);
    UserTrackBar->SetTickMarks(tmBottomRight);
    UserTrackBar->setGeometry(0, 24, 292, 40);
    UserTrackBar->hide();

    HexLabel = new QLabel(this);
    HexLabel->setObjectName("HexLabel");
    HexLabel->setGeometry(8, 64, 100, 16);

    GroupOptions = new QGroupBox("Preset options", this);
    GroupOptions->setObjectName("GroupOptions");
    GroupOptions->setGeometry(6, kGroupTop, 283, kGroupHeight);
    // Three columns, filled column by column.
    for (int i = 0; i < 6; ++i) {
        auto* item = new QRadioButton(QString("&%1").arg(QChar('a' + i)), GroupOptions);
        item->setObjectName(QString("GroupOption%1").arg(i));
        item->setGeometry(8 + (i / 2) * 92, 16 + (i % 2) * 18, 88, 17);
        ConnectGuarded(item, &QRadioButton::clicked, this, [this, i] { GroupOptionsClick(i); });
        GroupItems[i] = item;
    }

    btnOK = new QPushButton("Ok", this);
    btnOK->setObjectName("btnOK");
    btnOK->setGeometry(130, 62, 75, 25);
    btnOK->setDefault(true);
    SetModalResult(*this, *btnOK, mrOk);
    btnCancel = new QPushButton("Cancel", this);
    btnCancel->setObjectName("btnCancel");
    btnCancel->setGeometry(212, 62, 75, 25);
    SetCancelButton(*btnCancel);
    SetModalResult(*this, *btnCancel, mrCancel);

    UserTrackBar->OnChange = [this](QObject*) { Guarded([this] { UserTrackBarChange(); }); };
    ConnectGuarded(CustomSetting, &QLineEdit::textChanged, this, [this] { CustomSettingChange(); });
    ConnectGuarded(CustomScrollBar, &QScrollBar::valueChanged, this,
                   [this] { CustomScrollBarChange(); });
    // A scroll by the user (arrows, page, drag) hands the field back to the bar;
    // the signal comes before the value changes.
    QObject::connect(CustomScrollBar, &QScrollBar::actionTriggered, this,
                     [] { XEditing = false; });
}

void TXScrlDlg::showEvent(QShowEvent* event) {
    TModalForm::showEvent(event);
    Guarded([this] { FormActivate(); });
}

void TXScrlDlg::FormActivate() {
    if (UserTrackBar->isHidden()) {
        CustomSetting->setFocus();
        return;
    }
    // No message processing here: the modal loop has not started yet, so a close
    // handled now would leave the loop running.
    UserTrackBar->SetPosition(XPosition);
    UserTrackBarChange();
}

void TXScrlDlg::UserTrackBarChange() {
    std::string caption = XCaption + " ";
    if (XCaption.find("Thumb") != std::string::npos)
        caption += ThumbSizeName(UserTrackBar->Position());
    setWindowTitle(Q(caption));
}

void TXScrlDlg::CustomSettingChange() {
    XEditing = true;
    const std::string text = CustomSetting->text().toStdString();
    if (!text.empty()) {
        int32_t value = 0;
        if (TryStrToInt(text, value)) {
            const int32_t limited = std::clamp(value, XMin, std::max(XMin, XMax));
            if (limited != value)
                CustomSetting->setText(QString::number(limited));
            CustomScrollBar->setValue(limited);
        } else {
            CustomSetting->setText(QString::number(XPosition));
            CustomScrollBar->setValue(XPosition);
        }
    }
    XEditing = false;
}

void TXScrlDlg::CustomScrollBarChange() {
    if (XEditing)
        return;
    const int position = CustomScrollBar->value();
    CustomSetting->setText(QString::number(position));
    HexLabel->setText(Q(IntToHex(int32_t(position), 8)));
}

void TXScrlDlg::GroupOptionsClick(int index) {
    CustomSetting->setText(QString::number(XPresets[index]));
    Application.ProcessMessages();
    done(mrOk);
}

bool TXScrlDlg::eventFilter(QObject* watched, QEvent* event) {
    if (watched == CustomSetting) {
        if (event->type() == QEvent::KeyPress) {
            XEditing = true;
        } else if (event->type() == QEvent::KeyRelease) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                XEditing = false;
                Guarded([this] { CustomSettingChange(); });
                return true;
            }
        }
    }
    return TModalForm::eventFilter(watched, event);
}

int ExecuteXScrlDlg(const std::string& Caption, const std::string& MinLabel,
                    const std::string& MaxLabel, const TXScrlDlgParam& Params) {
    int result = XScrlCancelled;
    XMin = Params.Min;
    XMax = Params.Max;
    XPosition = Params.Position;
    XCaption = Caption;
    XEditing = false;
    auto* form = new TXScrlDlg(Application.MainForm());
    if (Params.UseTrackBar) {
        form->UserTrackBar->show();
        form->UserTrackBar->raise();
        form->CustomScrollBar->hide();
        form->CustomSetting->hide();
        form->UserTrackBar->SetMin(Params.Min);
        form->UserTrackBar->SetMax(Params.Max);
        form->UserTrackBar->SetPosition(Params.Position);
        form->LabelMin->setText(Q(MinLabel));
        form->LabelMax->setText(Q(MaxLabel));
        form->LabelMin->move(form->GroupOptions->x() + 4, form->LabelMin->y());
    } else {
        form->CustomScrollBar->setMinimum(Params.Min);
        form->LabelMin->setText(Q(MinLabel.empty() ? IntToStr(Params.Min) : MinLabel));
        form->CustomScrollBar->setMaximum(Params.Max);
        form->LabelMax->setText(Q(MaxLabel.empty() ? IntToStr(Params.Max) : MaxLabel));
        form->CustomScrollBar->setValue(Params.Position);
        form->CustomSetting->setText(QString::number(Params.Position));
        // The bar's steps are 16-bit values.
        form->CustomScrollBar->setPageStep(std::clamp(Params.LargeChange, 1, 32767));
        form->CustomScrollBar->setSingleStep(std::clamp(Params.SmallChange, 1, 32767));
        for (int i = 0; i < 6; ++i) {
            XPresets[i] = Params.Presets[i];
            form->GroupItems[i]->setText(
                Q("&" + std::string(1, char('a' + i)) + " = " + IntToStr(Params.Presets[i])));
        }
    }
    form->HexLabel->setText(Q(IntToHex(int32_t(form->CustomScrollBar->value()), 8)));
    form->HexLabel->setVisible(Params.Max >= 0x100000);
    form->setWindowTitle(Q(Caption));
    if (!Params.ShowPresets) {
        form->GroupOptions->hide();
        form->setFixedSize(form->width(), form->height() - (kGroupHeight + 12));
    }
    form->CentreOnPoint(Mouse.CursorPos());

    const int modalResult = ExecModal(*form);
    if (modalResult == mrOk)
        result = Params.UseTrackBar ? form->UserTrackBar->Position() : form->CustomScrollBar->value();
    delete form;
    return result;
}

}  // namespace lumvor
