#include "ui/Resize_w.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>

#include "platform/ComCtrls.h"
#include "platform/SysUtils.h"
#include "ui/FormParts.h"
#include "ui/vardlg_w.h"

namespace lumvor {

using namespace Resize_w;

namespace {

// The largest value the rectangle arrows reach.
constexpr int kArrowLimit = 32760;

constexpr const char* kTipHead =
    "Highlight and type new values in edit box, then press <enter> to validate.\n\n";
constexpr const char* kCorrectedTip =
    "Values corrected.\nPlease review changes.\n\nClick Reset to restore\noriginal values.";

int HelpContextOf(int mode) {
    switch (mode) {
    case 0: case 2: return 700;
    case 1: return 100;
    case 3: return 445;
    case 4: case 5: return 520;
    case 6: case 7: return 401;
    default: return 0;
    }
}

std::string TipOf(int mode) {
    switch (mode) {
    case 0:
        return "Adjust origin (X,Y pos) with spin controls to automatically fit dimensions to image "
               "boundaries.\n\nClick \"Fix Aspect Ratio\" to scale marquee to original image "
               "proportions.";
    case 1: return "Click color panel to change default fill color.";
    case 2: return "Common video windows are preset in dropdown list.";
    case 3: return "Click color panel to change border color.";
    case 4: case 5: return "Click Auto button to restore automatic setting.";
    case 6: case 7:
        return "Disable \"Keep aspect ratio\" option to customize aspect ratio (e.g., 16:9 "
               "widescreen).";
    default: return "";
    }
}

// The number a field starts with (its leading digits; 0 when there are none).
int LeadingNumber(const QString& text) {
    int64_t value = 0;
    for (QChar c : text) {
        if (c < '0' || c > '9')
            break;
        value = std::min<int64_t>(value * 10 + (c.unicode() - '0'), INT32_MAX);
    }
    return int(value);
}

// Round(value x numerator / denominator), 0 for an empty denominator.
int Scaled(int value, int numerator, int denominator) {
    if (denominator == 0)
        return 0;
    return int(std::clamp<int64_t>(Round(double(value) * numerator / denominator), INT32_MIN, INT32_MAX));
}

const int kPresetSizes[8][2] = {{320, 240}, {360, 240}, {256, 384}, {512, 384},
                                {256, 480}, {320, 480}, {360, 480}, {512, 480}};

}  // namespace

TResizeForm::TResizeForm(QWidget* owner) : TModalForm(owner) {
    setObjectName("ResizeForm");
    SetDialogFont(*this, 8);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setWindowTitle("Image Resize");
    setFixedSize(327, 242);

    const auto row = [this](const char* name, const char* caption, const char* hint, int top,
                            QLabel*& label, QLineEdit*& edit, TUpDown*& spin) {
        label = new QLabel(caption, this);
        label->setObjectName(QString("Label") + name);
        label->setToolTip(hint);
        label->setGeometry(8, top + 3, 56, 16);
        edit = new QLineEdit(this);
        edit->setObjectName(QString("Edit") + name);
        edit->setGeometry(66, top, 64, 22);
        edit->installEventFilter(this);
        label->setBuddy(edit);
        spin = new TUpDown(this);
        spin->setObjectName(QString("Spin") + name);
        spin->setGeometry(130, top, 16, 22);
        spin->SetMin(INT32_MIN);
        spin->SetMax(INT32_MAX);
        spin->OnClick = [this, edit](QObject*, TUDBtnType button) { SpinClick(edit, button == btNext); };
    };
    row("W", "&Width", "Bitmap width in pixels", 8, LabelW, EditW, SpinW);
    row("H", "&Height", "Bitmap height in pixels", 36, LabelH, EditH, SpinH);
    row("X", "&X Scale", "Change horizontal magification by %", 64, LabelX, EditX, SpinX);
    row("Y", "&Y Scale", "Change vertical magification by %", 92, LabelY, EditY, SpinY);
    EditX->setMaxLength(8);
    EditY->setMaxLength(8);
    EditX->setText("100.0");
    EditY->setText("100.0");

    chkAspect = new QCheckBox("Keep aspect ratio", this);
    chkAspect->setObjectName("chkAspect");
    chkAspect->setToolTip("Synchronize changes to height and width");
    chkAspect->setChecked(true);
    chkAspect->setGeometry(8, 122, 140, 18);

    CopyOp = new QComboBox(this);
    CopyOp->setObjectName("CopyOp");
    CopyOp->addItems({"Normal", "Preserve Black", "Preserve White"});
    CopyOp->setToolTip("Sizing option for black and white images");
    CopyOp->setGeometry(8, 146, 138, 22);

    comboPreset = new QComboBox(this);
    comboPreset->setObjectName("comboPreset");
    comboPreset->addItems({" Custom", " 320 x 240", " 360 x 240", " 256 x 384", " 512 x 384",
                           " 256 x 480", " 320 x 480", " 360 x 480", " 512 x 480"});
    comboPreset->setGeometry(CopyOp->geometry());
    comboPreset->hide();

    PanelBorderColor = new QLabel("Color", this);
    PanelBorderColor->setObjectName("PanelBorderColor");
    PanelBorderColor->setFrameShape(QFrame::Panel);
    PanelBorderColor->setAlignment(Qt::AlignCenter);
    PanelBorderColor->setAutoFillBackground(true);
    PanelBorderColor->setGeometry(8, 174, 138, 25);
    PanelBorderColor->installEventFilter(this);

    PanelTip = new QFrame(this);
    PanelTip->setObjectName("PanelTip");
    PanelTip->setFrameShape(QFrame::Panel);
    PanelTip->setGeometry(156, 8, 163, 150);
    PanelTip->setAutoFillBackground(true);
    QPalette tipPalette = PanelTip->palette();
    tipPalette.setColor(QPalette::Window, Qt::yellow);
    PanelTip->setPalette(tipPalette);
    lblTip = new QLabel(PanelTip);
    lblTip->setObjectName("lblTip");
    lblTip->setWordWrap(true);
    lblTip->setTextFormat(Qt::PlainText);
    lblTip->setGeometry(4, 4, 155, 142);

    const auto button = [this](const char* name, const char* caption, int left, int top) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(name);
        b->setGeometry(left, top, 75, 25);
        return b;
    };
    btnOk = button("btnOk", "Ok", 8, 210);
    btnCancel = button("btnCancel", "Cancel", 87, 210);
    SetCancelButton(*btnCancel);
    SetModalResult(*this, *btnCancel, mrCancel);
    btnReset = button("btnReset", "&Reset", 166, 210);
    btnHelp = button("btnHelp", "Help", 245, 210);
    btnAuto = button("btnAuto", "&Auto", 166, 170);
    btnAuto->hide();
    btnAspect = button("btnAspect", "&Fix  Aspect Ratio", 156, 170);
    btnAspect->resize(163, 25);
    btnAspect->hide();

    ConnectGuarded(btnOk, &QPushButton::clicked, this, [this] { BtnOKClick(mrOk); });
    ConnectGuarded(btnAuto, &QPushButton::clicked, this, [this] { BtnOKClick(mrIgnore); });
    ConnectGuarded(btnReset, &QPushButton::clicked, this, [this] { BtnResetClick(); });
    ConnectGuarded(btnAspect, &QPushButton::clicked, this, [this] { btnAspectClick(); });
    ConnectGuarded(btnHelp, &QPushButton::clicked, this,
                   [this] { Application.HelpContext(btnHelp->property("Tag").toInt()); });
    ConnectGuarded(comboPreset, &QComboBox::activated, this, [this](int index) { comboPresetChange(index); });

    // The mode's help, tip and extra controls.
    btnHelp->setProperty("Tag", HelpContextOf(RMode));
    switch (RMode) {
    case 0:
        btnAspect->show();
        LabelX->setToolTip("X origin in pixels");
        LabelY->setToolTip("Y origin in pixels");
        break;
    case 1: chkAspect->hide(); break;
    case 2:
        comboPreset->show();
        CopyOp->hide();
        for (QWidget* w : std::initializer_list<QWidget*>{LabelX, EditX, SpinX, LabelY, EditY, SpinY})
            w->hide();
        break;
    case 3:
        LabelW->setToolTip("Border width in pixels");
        LabelH->setToolTip("Border height in pixels");
        break;
    case 4: case 5: btnAuto->show(); break;
    default: break;
    }
    for (auto [label, edit] : {std::pair{LabelW, EditW}, {LabelH, EditH}, {LabelX, EditX}, {LabelY, EditY}})
        edit->setToolTip(label->toolTip());
    SetFittedText(lblTip, Q(kTipHead + TipOf(RMode)));
    PlaceAt(DlgLeft, DlgTop);
}

void TResizeForm::ApplyOption() {
    RectMode = ROption <= 0 || RMode == 0 || RMode == 2;
    if (ROption > 1) {
        CopyOp->setCurrentIndex(0);
        CopyOp->setEnabled(false);
    } else if (ROption == 1) {
        CopyOp->setCurrentIndex(1);
        CopyOp->setEnabled(true);
    } else if (ROption == 0) {
        LabelX->setText("&X Pos");
        LabelY->setText("&Y Pos");
    } else if (ROption == -1 || ROption == -2 || ROption == -10) {
        for (QWidget* w : std::initializer_list<QWidget*>{LabelX, EditX, SpinX, LabelY, EditY, SpinY})
            w->hide();
        if (ROption == -10) {
            LabelW->setText("&X Pos");
            LabelH->setText("&Y Pos");
        }
    }
    PanelBorderColor->setVisible(ROption == -2);
    if (ROption <= 0) {
        chkAspect->hide();
        CopyOp->hide();
    }
}

void TResizeForm::showEvent(QShowEvent* event) {
    TModalForm::showEvent(event);
    Guarded([this] { FormActivate(); });
}

void TResizeForm::FormActivate() {
    InitWidth = RWidth;
    InitHeight = RHeight;
    InitX = RX;
    InitY = RY;
    FixWidth = RWidth;
    FixHeight = RHeight;
    UpdateValues();
}

void TResizeForm::SetField(QLineEdit* edit, int value) { edit->setText(QString::number(value)); }

int TResizeForm::FieldValue(QLineEdit* edit) const { return LeadingNumber(edit->text()); }

void TResizeForm::UpdateValues() {
    if (!RectMode) {
        if (RMode == 7) {
            // Distilling never enlarges.
            RWidth = std::min(RWidth, InitWidth);
            RHeight = std::min(RHeight, InitHeight);
        }
        SetField(EditW, RWidth);
        SetField(EditH, RHeight);
        SetField(EditX, Scaled(100, RWidth, InitWidth));
        SetField(EditY, Scaled(100, RHeight, InitHeight));
    } else {
        SetField(EditW, RWidth);
        SetField(EditH, RHeight);
        SetField(EditX, RX);
        SetField(EditY, RY);
    }
}

void TResizeForm::SizeTyped(bool width, int value) {
    int& own = width ? RWidth : RHeight;
    int& other = width ? RHeight : RWidth;
    const int otherMax = width ? RMaxHeight : RMaxWidth;
    own = value;
    if (chkAspect->isChecked())
        other = std::min(Scaled(own, width ? InitHeight : InitWidth, width ? InitWidth : InitHeight),
                         otherMax);
    UpdateValues();
}

void TResizeForm::ScaleTyped(bool x, const std::string& text) {
    double scale = 0;
    try {
        scale = StrToFloat(text);
    } catch (const EConvertError&) {
        return;
    }
    const int init = x ? InitWidth : InitHeight;
    const int max = x ? RMaxWidth : RMaxHeight;
    const int64_t product = int64_t(init) * Round(scale * 100) + 5000;
    int64_t value = product < 0 ? max : std::min<int64_t>(product / 10000, max);
    value = std::max<int64_t>(value, 1);
    if (x)
        RWidth = int(value);
    else
        RHeight = int(value);
    if (chkAspect->isChecked()) {
        if (x)
            RHeight = std::min(Scaled(RWidth, InitHeight, InitWidth), RMaxHeight);
        else
            RWidth = std::min(Scaled(RHeight, InitWidth, InitHeight), RMaxWidth);
    }
    const QString typed = (x ? EditX : EditY)->text();
    UpdateValues();
    // The typed scale stays as typed; with the aspect kept the other scale shows it too.
    (x ? EditX : EditY)->setText(typed);
    if (chkAspect->isChecked())
        (x ? EditY : EditX)->setText(typed);
}

void TResizeForm::ApplyField(QLineEdit* edit) {
    Editing = false;
    if (!RectMode) {
        if (edit == EditW || edit == EditH) {
            const bool width = edit == EditW;
            const int max = width ? RMaxWidth : RMaxHeight;
            const int typed = FieldValue(edit);
            const int value = std::clamp(typed, 1, std::max(1, max));
            SizeTyped(width, value);
        } else {
            ScaleTyped(edit == EditX, edit->text().toStdString());
        }
        return;
    }
    const int value = FieldValue(edit);
    if (edit == EditW) RWidth = value;
    else if (edit == EditH) RHeight = value;
    else if (edit == EditX) RX = value;
    else RY = value;
    Validate();
}

void TResizeForm::SpinClick(QLineEdit* edit, bool up) {
    const int step = up ? 1 : -1;
    if (!RectMode) {
        if (edit == EditW || edit == EditH) {
            const bool width = edit == EditW;
            const int max = width ? RMaxWidth : RMaxHeight;
            const int current = width ? RWidth : RHeight;
            SizeTyped(width, std::clamp(current + step, 0, std::max(0, max)));
        } else {
            const bool x = edit == EditX;
            const int max = x ? RMaxWidth : RMaxHeight;
            double scale = 0;
            try {
                scale = StrToFloat(edit->text().toStdString());
            } catch (const EConvertError&) {
            }
            const int whole = int(std::clamp<int64_t>(Trunc(scale), INT32_MIN, INT32_MAX));
            QString text;
            if (up) {
                if (whole >= max)
                    return;
                text = QString::number(whole + 1) + ".9";
            } else {
                text = QString::number(std::max(0, whole - 1));
            }
            edit->setText(text);
            ScaleTyped(x, text.toStdString());
        }
        return;
    }
    int& value = edit == EditW ? RWidth : edit == EditH ? RHeight : edit == EditX ? RX : RY;
    const int low = (edit == EditW || edit == EditH) ? 1 : 0;
    value = std::clamp(FieldValue(edit) + step, low, kArrowLimit);
    SetField(edit, value);
    Validate();
}

bool TResizeForm::Validate() {
    if (RectMode) {
        RWidth = FieldValue(EditW);
        RHeight = FieldValue(EditH);
        RX = FieldValue(EditX);
        RY = FieldValue(EditY);
    }
    if (btnHelp->property("Tag").toInt() == 700 && ROption != 999)
        return ValidateRect();
    return ValidateDefault();
}

bool TResizeForm::ValidateRect() {
    bool corrected = false;
    // One axis: origin and size within 0..max.
    const auto axis = [&](int& origin, int& size, int max, QLineEdit* originEdit, QLineEdit* sizeEdit) {
        if (origin + size > max) {
            if (origin >= max) {
                origin = max - size;
                SetField(originEdit, origin);
            } else {
                size = max - origin;
                SetField(sizeEdit, size);
            }
            corrected = true;
        }
        // A size larger than the picture would push the origin below 0: the
        // rectangle then becomes the whole axis.
        if (origin < 0) {
            origin = 0;
            size = max;
            SetField(originEdit, origin);
            SetField(sizeEdit, size);
            corrected = true;
        }
    };
    axis(RX, RWidth, RMaxWidth, EditX, EditW);
    axis(RY, RHeight, RMaxHeight, EditY, EditH);
    return corrected;
}

bool TResizeForm::ValidateDefault() {
    bool corrected = false;
    if (RWidth > RMaxWidth - RX) {
        RWidth = RMaxWidth - RX;
        SetField(EditW, RWidth);
        corrected = true;
    }
    if (RHeight > RMaxHeight - RY) {
        RHeight = RMaxHeight - RY;
        SetField(EditH, RHeight);
        corrected = true;
    }
    comboPreset->setCurrentIndex(0);
    return corrected;
}

void TResizeForm::BtnOKClick(int modalResult) {
    // A value still being typed counts as entered.
    if (Editing) {
        if (QLineEdit* edit = qobject_cast<QLineEdit*>(focusWidget()))
            ApplyField(edit);
        Editing = false;
    }
    if (Validate()) {
        SetFittedText(lblTip, kCorrectedTip);
        return;
    }
    done(modalResult);
}

void TResizeForm::BtnResetClick() {
    RWidth = InitWidth;
    RHeight = InitHeight;
    RX = InitX;
    RY = InitY;
    UpdateValues();
}

void TResizeForm::comboPresetChange(int index) {
    if (index < 1 || index > 8)
        return;
    RWidth = kPresetSizes[index - 1][0];
    RHeight = kPresetSizes[index - 1][1];
    UpdateValues();
}

void TResizeForm::btnAspectClick() {
    RWidth = FieldValue(EditW);
    RHeight = FieldValue(EditH);
    RX = FieldValue(EditX);
    RY = FieldValue(EditY);
    if (RMaxWidth <= 0 || RMaxHeight <= 0)
        return;
    const auto heightFor = [](int w) { return Scaled(w, RMaxHeight, RMaxWidth); };
    const auto widthFor = [](int h) { return Scaled(h, RMaxWidth, RMaxHeight); };
    const int impliedHeight = heightFor(RWidth);
    const int impliedWidth = widthFor(RHeight);
    const bool heightChanged = RHeight != FixHeight;
    const bool widthChanged = RWidth != FixWidth;
    bool heightDerived;
    if (heightChanged && !widthChanged)
        heightDerived = false;
    else if (widthChanged && !heightChanged)
        heightDerived = true;
    else
        heightDerived = std::abs(impliedHeight - RHeight) <= std::abs(impliedWidth - RWidth);
    if (heightDerived) {
        RHeight = impliedHeight;
        if (RY + RHeight > RMaxHeight) {
            RHeight = RMaxHeight - RY;
            RWidth = widthFor(RHeight);
        }
    } else {
        RWidth = impliedWidth;
        if (RX + RWidth > RMaxWidth) {
            RWidth = RMaxWidth - RX;
            RHeight = heightFor(RWidth);
        }
    }
    FixWidth = RWidth;
    FixHeight = RHeight;
    UpdateValues();
}

void TResizeForm::SetBorderColor(TColor color) {
    borderColor_ = color;
    QPalette palette = PanelBorderColor->palette();
    palette.setColor(QPalette::Window, QColor(GetRValue(color), GetGValue(color), GetBValue(color)));
    PanelBorderColor->setPalette(palette);
}

void TResizeForm::PanelBorderColorClick() {
    const int chosen = ExecuteVariableDlg(300, static_cast<int32_t>(borderColor_), 0);
    if (chosen != VariableDlgCancelled)
        SetBorderColor(TColor{chosen});
}

void TResizeForm::done(int result) {
    DlgLeft = Left();
    DlgTop = Top();
    TModalForm::done(result);
}

bool TResizeForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == PanelBorderColor && event->type() == QEvent::MouseButtonRelease) {
        Guarded([this] { PanelBorderColorClick(); });
        return true;
    }
    if (event->type() == QEvent::KeyPress) {
        if (auto* edit = qobject_cast<QLineEdit*>(watched)) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                Guarded([this, edit] { ApplyField(edit); });
                return true;
            }
            Editing = true;
        }
    }
    return TModalForm::eventFilter(watched, event);
}

void ExecuteResizeForm(int X, int Y, int Width, int Height, int MaxWidth, int MaxHeight,
                       int Option, const std::string& Caption, int Mode, TResizeResult& Result) {
    RX = X;
    RY = Y;
    RWidth = Width;
    RHeight = Height;
    RMaxWidth = MaxWidth;
    RMaxHeight = MaxHeight;
    ROption = Option;
    RMode = Mode;
    Editing = false;
    auto* form = new TResizeForm(Application.MainForm());
    form->setWindowTitle(Q(Caption));
    form->SetBorderColor(TColor{Result.BorderColor});
    form->ApplyOption();
    const int modalResult = ExecModal(*form);
    if (modalResult == mrOk) {
        Result.X = RX;
        Result.Y = RY;
        Result.Width = RWidth;
        Result.Height = RHeight;
        Result.CopyOp = form->CopyOp->currentIndex();
        Result.BorderColor = static_cast<int32_t>(form->BorderColor());
        Result.Scale = (Mode == 6 || Mode == 7) && form->EditX->text() == form->EditY->text()
                           ? Scaled(10000, RWidth, InitWidth)
                           : -1;
    } else if (modalResult != mrIgnore) {
        Result.Width = -1;
        Result.Height = -1;
    }
    delete form;
}

}  // namespace lumvor
