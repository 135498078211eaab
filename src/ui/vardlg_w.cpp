#include "ui/vardlg_w.h"

#include <QColorDialog>
#include <QFrame>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>

#include <algorithm>
#include <cmath>

#include "imaging/Helpers.h"
#include "platform/ComCtrls.h"
#include "platform/SysUtils.h"
#include "ui/ExTrackBar.h"
#include "ui/FormParts.h"

namespace lumvor {

using namespace vardlg_w;

namespace {

// The track bar and the presets of one mode.
struct TModeInfo {
    int mode;
    const char* caption;
    int min, max;
    int lineSize, pageSize, frequency;
    bool startAtZero;        // the track bar starts at 0 whatever the value
    const char* letters;     // one letter for each preset
    std::vector<int> presets;
    bool percent;            // presets shown with a trailing "%"
    int digits;              // presets zero-padded to this many digits (0 = none)
};

const std::vector<TModeInfo>& Modes() {
    static const std::vector<TModeInfo> modes{
        {100, "Adjust Screen Gamma (1/100)", 50, 300, 1, 10, 25, false, "abcdefmn",
         {80, 100, 125, 135, 145, 155, 165, 185}, false, 0},
        {101, "Adjust Screen Gamma (1/100)", 50, 300, 1, 10, 25, false, "abcdefmn",
         {80, 100, 125, 135, 145, 155, 165, 185}, false, 0},
        {200, "Fast (Partial) JPEG Views", 0, 400, 1, 10, 10, false, "abcefmnx",
         {55, 65, 75, 85, 100, 125, 150, 200}, true, 0},
        {400, "Set Magnification", 25, 800, 25, 100, 100, false, "abcdefmn",
         {50, 100, 150, 200, 300, 400, 600, 800}, true, 0},
        {401, "Set Magnification", 25, 400, 25, 100, 100, false, "abcdef",
         {50, 100, 150, 200, 300, 400}, true, 0},
        {500, "Rotate Image", 1, 359, 30, 90, 30, false, "abcdefmn",
         {30, 45, 60, 90, 180, 270, 300, 315}, false, 0},
        {501, "Rotate Image", -18000, 18000, 30, 300, 3000, true, "abcdefmn",
         {-600, -300, -150, -50, 50, 150, 300, 600}, false, 0},
        {600, "Custom Aspect Ratio n:1000", 300, 3000, 1, 50, 300, false, "abcdefmn",
         {800, 938, 1067, 1334, 1667, 1778, 2110, 2350}, false, 4},
    };
    return modes;
}

const TModeInfo* ModeInfo(int mode) {
    for (const TModeInfo& info : Modes())
        if (info.mode == mode)
            return &info;
    return nullptr;
}

bool IsColorMode(int mode) { return mode == 300 || mode == 301; }
bool IsZoomMode(int mode) { return mode == 400 || mode == 401; }

std::string TipOf(int mode) {
    switch (mode) {
    case 100:
    case 101:
        return std::string("Adjust the brightness (midtones) of viewed images; ") +
               (mode == 100 ? "subsequent gamma adjustments will be cumulative." : "") +
               "\n\nValues less than \"100\" darken the image. Select \"100\" for original image."
               "\n\nClick a preset for quick change.";
    case 200:
        return "Adjust the image dimensions required to view reduced JPEG images.\n\nEx.: If lower "
               "resolution image fits 65%(or more) of viewing area, only partial image is "
               "loaded.\n\nClick a preset for quick change. \"0%\" disables partial views.";
    case 400:
    case 401:
        return "Adjust magnification factor (zoom).\n\nClick a preset for quick change.";
    case 500:
        return "Rotate image by degree.\n\nClick a preset for quick change.";
    case 501:
        return "Rotate image by 1/100th of a degree. Click a preset for quick change.\n\nEx.: "
               "12345 = 123.45 deg.\n\nNegative values rotate counter clockwise.\n\nEx.: -3000 = "
               "-30.00 deg.\n(same as 270 deg.)";
    case 600:
        return "1000:1000 is default square (1:1) aspect ratio. Click help for more "
               "information.\n\n1334 =  4:3 TV display\n1778 = 16:9 widescreen\n2350 = 2.35:1 "
               "anamorphic\n\nClick a preset for quick change.";
    default:
        return "";
    }
}

std::string ColorTip(TColor color) {
    return "Use the mouse to click on desired color for quick change.\n\nClick Custom button to "
           "selected a precise color specification.\n\nCurrent color selection:\n\nR = " +
           IntToStr(GetRValue(color)) + "\nG = " + IntToStr(GetGValue(color)) +
           "\nB = " + IntToStr(GetBValue(color));
}

void FillPanel(QWidget& panel, TColor color) {
    QPalette palette = panel.palette();
    palette.setColor(QPalette::Window, QColorOf(color));
    panel.setPalette(palette);
    panel.setAutoFillBackground(true);
}

constexpr int kPictureWidth = 128;
constexpr int kPictureHeight = 180;

}  // namespace

QImage MakeColorPicture() {
    QImage picture(kPictureWidth, kPictureHeight, QImage::Format_RGB888);
    for (int y = 0; y < kPictureHeight; ++y) {
        uchar* row = picture.scanLine(y);
        const int hue = y * 3600 / kPictureHeight;
        for (int x = 0; x < kPictureWidth; ++x) {
            // b is the index of the pixel's last byte in a 24-bit row.
            const int b = 3 * x + 2;
            const int lightness = b * 3600 / 348;
            const int saturation =
                int(Round(384.0 * std::exp(std::log2(b / 384.0)))) * 3600 / 348;
            TRGBTriple rgb;
            HLSToRGB(hue, lightness, saturation, rgb);
            row[3 * x] = uchar(std::clamp(rgb.Red, 0, 255));
            row[3 * x + 1] = uchar(std::clamp(rgb.Green, 0, 255));
            row[3 * x + 2] = uchar(std::clamp(rgb.Blue, 0, 255));
        }
    }
    return picture;
}

// The presets are as wide as their texts in the dialog's font; what they add
// widens the group, moves the tip panel right and widens the dialog.
void TVariableDlg::FitPresetsToTheirTexts() {
    if (GroupItems.empty())
        return;
    int widest = 0;
    for (QRadioButton* item : GroupItems)
        widest = std::max(widest, item->sizeHint().width());
    const int extra = widest - GroupItems.front()->width();
    if (extra <= 0)
        return;
    for (QRadioButton* item : GroupItems)
        item->resize(widest, item->height());
    GroupOptions->resize(GroupOptions->width() + extra, GroupOptions->height());
    PanelTip->move(PanelTip->x() + extra, PanelTip->y());
    PanelFilter1->resize(PanelFilter1->width() + extra, PanelFilter1->height());
    for (QWidget* moved : std::initializer_list<QWidget*>{EditCustom, UpDown1})
        moved->move(moved->x() + extra, moved->y());
    UserTrackBar->resize(UserTrackBar->width() + extra, UserTrackBar->height());
    lblMax->move(lblMax->x() + extra, lblMax->y());
    for (QWidget* button : std::initializer_list<QWidget*>{btnOK, btnCancel, btnHelp, btnAuto, btnCustom})
        button->move(button->x() + extra / 2, button->y());
    setFixedSize(width() + extra, height());
}

TVariableDlg::TVariableDlg(QWidget* owner) : TModalForm(owner) {
    setObjectName("VariableDlg");
    SetDialogFont(*this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFixedSize(249, 354);
    Typing = true;
    Closing = false;
    AutoPressed = false;

    GroupOptions = new QGroupBox("Presets", this);
    GroupOptions->setObjectName("GroupOptions");
    GroupOptions->setGeometry(6, 8, 91, 100);

    PanelTip = new QFrame(this);
    PanelTip->setObjectName("PanelTip");
    PanelTip->setFrameShape(QFrame::Panel);
    PanelTip->setGeometry(104, 8, 137, 201);
    FillPanel(*PanelTip, clYellow);
    lblTip = new QLabel(PanelTip);
    lblTip->setObjectName("lblTip");
    lblTip->setWordWrap(true);
    lblTip->setTextFormat(Qt::PlainText);
    lblTip->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    lblTip->setGeometry(4, 4, 129, 193);

    PanelFilter1 = new QFrame(this);
    PanelFilter1->setObjectName("PanelFilter1");
    PanelFilter1->setFrameShape(QFrame::Panel);
    PanelFilter1->setGeometry(8, 220, 233, 54);
    UserTrackBar = new TExTrackBar(PanelFilter1);
    UserTrackBar->setObjectName("UserTrackBar");
    UserTrackBar->SetLabels(false);
    UserTrackBar->SetTickMarks(tmBottomRight);
    UserTrackBar->setGeometry(4, 4, 160, 30);
    UserTrackBar->installEventFilter(this);
    lblMin = new QLabel(PanelFilter1);
    lblMin->setObjectName("lblMin");
    lblMin->setGeometry(4, 34, 60, 16);
    lblMax = new QLabel(PanelFilter1);
    lblMax->setObjectName("lblMax");
    lblMax->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lblMax->setGeometry(104, 34, 60, 16);
    EditCustom = new QLineEdit(PanelFilter1);
    EditCustom->setObjectName("EditCustom");
    EditCustom->setGeometry(170, 14, 43, 22);
    EditCustom->installEventFilter(this);
    UpDown1 = new TUpDown(PanelFilter1);
    UpDown1->setObjectName("UpDown1");
    UpDown1->setGeometry(213, 14, 16, 22);

    const auto button = [this](const char* name, const char* caption, int left, int top) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(name);
        b->setGeometry(left, top, 75, 25);
        return b;
    };
    btnOK = button("btnOK", "Ok", 8, 320);
    SetModalResult(*this, *btnOK, mrOk);
    btnCancel = button("btnCancel", "Cancel", 87, 320);
    SetCancelButton(*btnCancel);
    SetModalResult(*this, *btnCancel, mrCancel);
    btnHelp = button("btnHelp", "&Help", 166, 320);
    btnAuto = button("btnAuto", "Auto", 87, 288);
    btnAuto->setDefault(true);
    btnAuto->hide();
    btnCustom = button("btnCustom", "Custom", 166, 288);
    btnCustom->hide();

    Image1 = new QLabel(this);
    Image1->setObjectName("Image1");
    Image1->setCursor(Qt::CrossCursor);
    Image1->setMouseTracking(true);
    Image1->setScaledContents(true);
    Image1->installEventFilter(this);
    Image1->hide();
    PanelColor = new QLabel("Selected Color", this);
    PanelColor->setObjectName("PanelColor");
    PanelColor->setFrameShape(QFrame::Panel);
    PanelColor->setAlignment(Qt::AlignCenter);
    PanelColor->hide();
    ColorSelectedPanel = new QFrame(PanelColor);
    ColorSelectedPanel->setObjectName("ColorSelectedPanel");
    ColorSelectedPanel->setFrameShape(QFrame::Panel);
    ColorDialog = new QColorDialog(this);
    ColorDialog->setOption(QColorDialog::DontUseNativeDialog);

    bitmap_ = QImage(kPictureWidth, kPictureHeight, QImage::Format_RGB888);

    // The controls of the mode.
    const TModeInfo* info = ModeInfo(Mode);
    if (info) {
        setWindowTitle(info->caption);
        UserTrackBar->SetMin(info->min);
        UserTrackBar->SetMax(info->max);
        UserTrackBar->setSingleStep(info->lineSize);
        UserTrackBar->SetPageSize(info->pageSize);
        UserTrackBar->SetFrequency(info->frequency);
        UserTrackBar->SetPosition(info->startAtZero ? 0 : Value);
        for (size_t i = 0; i < info->presets.size(); ++i) {
            std::string number = IntToStr(info->presets[i]);
            if (info->digits > 0 && number.size() < size_t(info->digits))
                number.insert(0, size_t(info->digits) - number.size(), '0');
            auto* item = new QRadioButton(
                Q("&" + std::string(1, info->letters[i]) + " = " + number + (info->percent ? "%" : "")),
                GroupOptions);
            item->setObjectName(QString("GroupOption%1").arg(i));
            item->setGeometry(8, 18 + int(i) * 22, 78, 20);
            ConnectGuarded(item, &QRadioButton::clicked, this, [this, i] { GroupOptionsClick(int(i)); });
            GroupItems.push_back(item);
        }
        TipText = TipOf(Mode);
    }
    if (Mode == 200) {
        btnCustom->setText("&Disable");
        btnCustom->show();
    }
    if (IsColorMode(Mode)) {
        setWindowTitle("Pick a Color");
        btnCustom->show();
        btnAuto->setVisible(Mode == 301);
        bitmap_ = MakeColorPicture();
        Image1->setPixmap(QPixmap::fromImage(bitmap_));
        Image1->setGeometry(GroupOptions->x(), GroupOptions->y() + 8, GroupOptions->width(), 180);
        Image1->show();
        PanelColor->setText("<--- Selected Color");
        PanelColor->setGeometry(PanelFilter1->geometry());
        const int side = PanelColor->contentsRect().height() - 16;
        ColorSelectedPanel->setGeometry(8, 8, side, side);
        PanelColor->show();
        PanelFilter1->hide();
        GroupOptions->hide();
        SetSelectedColor(ColorToRGB(TColor{Value}));
    }
    UpDown1->SetMin(UserTrackBar->Min());
    UpDown1->SetMax(UserTrackBar->Max());
    UpDown1->SetIncrement(IsZoomMode(Mode) ? 25 : 1);
    UpDown1->SetPosition(UserTrackBar->Position());
    UpDown1->SetAssociate(EditCustom);
    lblMin->setText(QString::number(UserTrackBar->Min()));
    lblMax->setText(QString::number(UserTrackBar->Max()));
    GroupOptions->setFixedHeight((int(GroupItems.size()) + 1) * 22 + 1);
    FitPresetsToTheirTexts();
    lblTip->setText(Q(TipText));

    UserTrackBar->OnChange = [this](QObject*) { Guarded([this] { UserTrackBarChange(); }); };
    ConnectGuarded(EditCustom, &QLineEdit::textChanged, this, [this] { EditCustomChange(); });
    UpDown1->OnMouseUp = [this](QObject*, TMouseButton, TShiftState, int, int) {
        UserTrackBar->SetPosition(UpDown1->Position());
    };
    ConnectGuarded(btnCustom, &QPushButton::clicked, this, [this] { btnCustomClick(); });
    ConnectGuarded(btnAuto, &QPushButton::clicked, this, [this] { btnAutoClick(); });
    ConnectGuarded(btnHelp, &QPushButton::clicked, this, [this] { btnHelpClick(); });
    Typing = false;
    PlaceAt(DlgLeft, DlgTop);
}

TVariableDlg::~TVariableDlg() = default;

void TVariableDlg::SetSelectedColor(TColor color) {
    selected_ = color;
    FillPanel(*ColorSelectedPanel, color);
    ShowColorTip(color);
}

void TVariableDlg::ShowColorTip(TColor color) {
    TipText = ColorTip(color);
    lblTip->setText(Q(TipText));
}

TColor TVariableDlg::ColorAt(int x, int y) const {
    if (bitmap_.isNull() || Image1->width() <= 0 || Image1->height() <= 0)
        return clBlack;
    // The picture is stretched over Image1.
    const int px = std::clamp(x * bitmap_.width() / Image1->width(), 0, bitmap_.width() - 1);
    const int py = std::clamp(y * bitmap_.height() / Image1->height(), 0, bitmap_.height() - 1);
    const QRgb pixel = bitmap_.pixel(px, py);
    return RGB(uint8_t(qRed(pixel)), uint8_t(qGreen(pixel)), uint8_t(qBlue(pixel)));
}

void TVariableDlg::Image1MouseMove(int x, int y) {
    const TColor color = ColorAt(x, y);
    FillPanel(*PanelColor, color);
    QPalette palette = PanelColor->palette();
    palette.setColor(QPalette::WindowText,
                     QColor(255 - GetRValue(color), 255 - GetGValue(color), 255 - GetBValue(color)));
    PanelColor->setPalette(palette);
    ShowColorTip(color);
}

void TVariableDlg::Image1Click(int x, int y) {
    SetSelectedColor(ColorAt(x, y));
    done(mrOk);
}

void TVariableDlg::btnCustomClick() {
    if (Mode == 200) {
        UserTrackBar->SetPosition(0);
        done(mrOk);
    } else if (IsColorMode(Mode)) {
        ColorDialog->setCurrentColor(QColorOf(selected_));
        if (ExecModal(*ColorDialog) == QDialog::Accepted) {
            const QColor chosen = ColorDialog->selectedColor();
            SetSelectedColor(RGB(uint8_t(chosen.red()), uint8_t(chosen.green()), uint8_t(chosen.blue())));
            done(mrOk);
        }
    }
}

void TVariableDlg::btnAutoClick() {
    AutoPressed = true;
    done(mrIgnore);
}

void TVariableDlg::GroupOptionsClick(int index) {
    if (GroupOptions->isHidden())
        return;
    std::string text = GroupItems[size_t(index)]->text().toStdString();
    text = text.size() > 4 ? text.substr(4) : "";
    if (IsZoomMode(Mode) || Mode == 200) {
        if (!text.empty() && text.back() == '%')
            text.pop_back();
    }
    int32_t value = 0;
    if (TryStrToInt(text, value) && value >= UserTrackBar->Min() && value <= UserTrackBar->Max()) {
        UserTrackBar->SetPosition(value);
        done(mrOk);
    }
}

void TVariableDlg::UserTrackBarChange() {
    if (Closing)
        return;
    int position = UserTrackBar->Position();
    if (IsZoomMode(Mode) && position % 25 != 0) {
        // Whole steps of 25 only (the handler runs again for the new position).
        position -= position % 25;
        UserTrackBar->SetPosition(position);
        return;
    }
    if (EditCustom->text() != QString::number(position)) {
        EditCustom->setText(QString::number(position));
        Application.ProcessMessages();
    }
}

void TVariableDlg::EditCustomChange() {
    if (Closing)
        return;
    int32_t value = 0;
    if (!TryStrToInt(EditCustom->text().toStdString(), value))
        EditCustom->setText(QString::number(UserTrackBar->Position()));
}

void TVariableDlg::EditCustomEnter() {
    int32_t value = 0;
    if (!TryStrToInt(EditCustom->text().toStdString(), value))
        return;
    const int32_t limited = std::clamp(value, UserTrackBar->Min(), UserTrackBar->Max());
    if (limited != value)
        EditCustom->setText(QString::number(limited));
    UserTrackBar->SetPosition(limited);
}

void TVariableDlg::btnHelpClick() { Application.HelpContext(HelpCtx); }

void TVariableDlg::done(int result) {
    DlgLeft = Left();
    DlgTop = Top();
    Closing = true;
    TModalForm::done(result);
}

bool TVariableDlg::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (watched == EditCustom && (type == QEvent::KeyPress || type == QEvent::KeyRelease)) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
        if (type == QEvent::KeyPress) {
            Typing = true;
            if (enter) {
                Guarded([this] { EditCustomEnter(); });
                return true;
            }
        } else if (enter) {
            Typing = false;
            return true;
        }
    } else if (watched == UserTrackBar) {
        if (type == QEvent::FocusIn) {
            Typing = false;
        } else if (type == QEvent::MouseButtonRelease) {
            if (static_cast<QMouseEvent*>(event)->button() != Qt::RightButton && !Typing)
                Guarded([this] { UserTrackBarChange(); });
        }
    } else if (watched == Image1 && (type == QEvent::MouseMove || type == QEvent::MouseButtonRelease)) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const QPoint at = mouse->position().toPoint();
        if (type == QEvent::MouseMove)
            Guarded([&] { Image1MouseMove(at.x(), at.y()); });
        else if (mouse->button() == Qt::LeftButton && Image1->rect().contains(at))
            Guarded([&] { Image1Click(at.x(), at.y()); });
    }
    return TModalForm::eventFilter(watched, event);
}

int ExecuteVariableDlg(int Mode, int Value, int HelpCtx) {
    vardlg_w::Mode = Mode;
    vardlg_w::Value = Value;
    vardlg_w::HelpCtx = HelpCtx;
    auto* form = new TVariableDlg(Application.MainForm());
    const int modalResult = ExecModal(*form);
    int result;
    if (modalResult == mrCancel)
        result = (Mode == 500 || Mode == 501) ? 0 : VariableDlgCancelled;
    else if (IsColorMode(Mode))
        result = AutoPressed ? VariableDlgAutoColor : static_cast<int32_t>(form->SelectedColor());
    else
        result = form->UserTrackBar->Position();
    Closing = true;
    delete form;
    return result;
}

}  // namespace lumvor
