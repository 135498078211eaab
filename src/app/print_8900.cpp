#include "app/print_8900.h"

#include "app/lumv8900.h"
#include "imaging/Helpers.h"
#include "platform/Printers.h"
#include "platform/SysUtils.h"
#include "ui/Pix.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>

#include <algorithm>
#include <cmath>

namespace lumvor {

using namespace print_8900;

namespace {

constexpr int kClientWidth = 592;
constexpr int kClientHeight = 428;
constexpr long kHelpContext = 130;

// The preview's area left of the controls, and the controls' column.
constexpr QRect kPreviewArea(4, 29, 404, 395);
constexpr int kColumnLeft = 418;
constexpr int kColumnWidth = 166;

template <class Control>
Control* Placed(Control* control, const char* name, QRect geometry) {
    control->setObjectName(name);
    control->setGeometry(geometry);
    return control;
}

QLabel* NewLabel(QWidget* parent, const char* name, const char* text, int top) {
    return Placed(new QLabel(text, parent), name, QRect(kColumnLeft, top, kColumnWidth, 18));
}

QPushButton* NewButton(QWidget* parent, const char* name, const char* caption, const char* hint, int top) {
    QPushButton* button = Placed(new QPushButton(caption, parent), name, QRect(kColumnLeft, top, kColumnWidth, 28));
    button->setToolTip(hint);
    button->setAutoDefault(false);
    return button;
}

QFrame* NewPanel(QWidget* parent, const char* name, QFrame::Shape shape, QFrame::Shadow shadow) {
    auto* panel = new QFrame(parent);
    panel->setObjectName(name);
    panel->setFrameShape(shape);
    panel->setFrameShadow(shadow);
    return panel;
}

void FillPanel(QWidget& panel, QColor colour) {
    QPalette palette = panel.palette();
    palette.setColor(QPalette::Window, colour);
    panel.setPalette(palette);
    panel.setAutoFillBackground(true);
}

// A length in printer pixels as the measurement shows it: the plain number, or
// inches or centimetres with one decimal.
std::string Measured(int32_t pixels, int32_t resolution) {
    if ((Measurement != msInches && Measurement != msCentimetres) || resolution <= 0)
        return IntToStr(pixels);
    const double factor = Measurement == msCentimetres ? 2.54 : 1.0;
    return Format("%3.1f", double(pixels) / resolution * factor);
}

}  // namespace

// ---- Fitting

TFittedSize FitPictureToBox(float BoxWidth, float BoxHeight, float PictureWidth, float PictureHeight) {
    float w = 0;
    float h = 0;
    if (BoxWidth >= PictureWidth && BoxHeight <= PictureHeight) {
        h = BoxHeight;
        w = BoxHeight / PictureHeight * PictureWidth;
    } else if (BoxWidth <= PictureWidth && BoxHeight >= PictureHeight) {
        w = BoxWidth;
        h = BoxWidth / PictureWidth * PictureHeight;
    } else {
        if (std::fabs(BoxWidth - PictureWidth) > std::fabs(BoxHeight - PictureHeight)) {
            w = BoxWidth;
            h = BoxWidth / PictureWidth * PictureHeight;
        } else {
            h = BoxHeight;
            w = BoxHeight / PictureHeight * PictureWidth;
        }
        if (w > BoxWidth) {
            h = BoxWidth / w * h;
            w = BoxWidth;
        }
        if (h > BoxHeight) {
            w = BoxHeight / h * w;
            h = BoxHeight;
        }
    }
    return {w, h, int32_t(Round(w)), int32_t(Round(h))};
}

// ---- The form

TPrintForm::TPrintForm(QWidget* owner) : TModalForm(owner) {
    setObjectName("PrintForm");
    SetDialogFont(*this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    BuildControls();
    setFixedSize(kClientWidth, kClientHeight);
}

void TPrintForm::BuildControls() {
    PanelSettings = Placed(new QLabel(this), "PanelSettings", QRect(4, 2, kClientWidth - 8, 24));
    PanelSettings->setFrameShape(QFrame::Panel);
    PanelSettings->setFrameShadow(QFrame::Sunken);
    PanelSettings->setAlignment(Qt::AlignCenter);

    PanelParent = NewPanel(this, "PanelParent", QFrame::Panel, QFrame::Raised);
    PanelParent->setGeometry(kPreviewArea);
    PanelImage = NewPanel(PanelParent, "PanelImage", QFrame::Panel, QFrame::Sunken);
    FillPanel(*PanelImage, QColor(128, 128, 128));
    PaperImage = NewPanel(PanelImage, "PaperImage", QFrame::NoFrame, QFrame::Plain);
    FillPanel(*PaperImage, Qt::white);
    DocImage = new TPix(PaperImage);
    DocImage->setObjectName("DocImage");
    DocImage->Stretch = true;
    PanelX = NewPanel(PanelParent, "PanelX", QFrame::NoFrame, QFrame::Plain);
    XScroll = Placed(new QScrollBar(Qt::Horizontal, PanelX), "XScroll", QRect());
    XScroll->setToolTip("Adjust to move print image horizontally");
    PanelY = NewPanel(PanelParent, "PanelY", QFrame::NoFrame, QFrame::Plain);
    YScroll = Placed(new QScrollBar(Qt::Vertical, PanelY), "YScroll", QRect());
    YScroll->setToolTip("Adjust to move print image vertically");

    LabelDocW = NewLabel(this, "LabelDocW", "Width:", 36);
    LabelDocH = NewLabel(this, "LabelDocH", "Height:", 56);
    LabelXPos = NewLabel(this, "LabelXPos", "X pos:", 84);
    LabelXPos->setBuddy(XScroll);
    LabelYpos = NewLabel(this, "LabelYpos", "Y pos:", 104);
    LabelYpos->setBuddy(YScroll);
    ZoomLabel = NewLabel(this, "ZoomLabel", "  Si&ze: 100%", 136);
    ZoomScroll = Placed(new QScrollBar(Qt::Horizontal, this), "ZoomScroll", QRect(kColumnLeft, 156, kColumnWidth, 17));
    ZoomScroll->setRange(1, 100);
    ZoomScroll->setValue(100);
    ZoomScroll->setPageStep(10);
    ZoomScroll->setToolTip("Adjust to change print size");
    ZoomLabel->setBuddy(ZoomScroll);
    Label1 = NewLabel(this, "Label1", "&Measurement:", 188);
    MeasureBox = Placed(new QComboBox(this), "MeasureBox", QRect(kColumnLeft, 208, kColumnWidth, 24));
    MeasureBox->addItems({"Pixels", "Inches", "cm."});
    Label1->setBuddy(MeasureBox);

    btnReset = NewButton(this, "btnReset", "Cen&ter", "Reset and center image", 250);
    btnSetup = NewButton(this, "btnSetup", "&Setup", "Change printer driver settings", 284);
    btnPrintIt = NewButton(this, "btnPrintIt", "&Print it", "Send image to printer device", 318);
    SetModalResult(*this, *btnPrintIt, mrOk);
    btnClose = NewButton(this, "btnClose", "Cancel", "", 352);
    SetModalResult(*this, *btnClose, mrCancel);
    SetCancelButton(*btnClose);
    btnHelp = NewButton(this, "btnHelp", "&Help", "", 386);

    ConnectGuarded(ZoomScroll, &QScrollBar::valueChanged, this, [this] { ZoomScrollScroll(); });
    for (QScrollBar* bar : {XScroll, YScroll})
        ConnectGuarded(bar, &QScrollBar::valueChanged, this, [this] {
            XScrollChange();
            YScrollScroll();
        });
    ConnectGuarded(MeasureBox, &QComboBox::currentIndexChanged, this, [this] { MeasureBoxChange(); });
    ConnectGuarded(btnReset, &QPushButton::clicked, this, [this] { BtnResetClick(); });
    ConnectGuarded(btnSetup, &QPushButton::clicked, this, [this] { BtnSetupClick(); });
    ConnectGuarded(btnHelp, &QPushButton::clicked, this, [this] { BtnHelpClick(); });
}

void TPrintForm::showEvent(QShowEvent* event) {
    TModalForm::showEvent(event);
    if (!activated_) {
        activated_ = true;
        Guarded([this] { FormActivate(); });
    }
}

bool TPrintForm::FullSize() const { return ZoomScroll->value() == 100; }

void TPrintForm::FormActivate() {
    if (lumv8900::WebForm && lumv8900::WebForm->Daz95)
        DocImage->SetBitmap(lumv8900::WebForm->Daz95->Bitmap());
    // The bars are as thick as the style's scroll bars.
    const int thickness = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    const QRect inside = PanelParent->contentsRect();
    PanelImage->setGeometry(inside.left(), inside.top(), inside.width() - thickness, inside.height() - thickness);
    PanelX->setGeometry(inside.left(), PanelImage->geometry().bottom() + 1, PanelImage->width(), thickness);
    PanelY->setGeometry(PanelImage->geometry().right() + 1, inside.top(), thickness, PanelImage->height());
    XScroll->setGeometry(0, 0, PanelX->width(), thickness);
    YScroll->setGeometry(0, 0, thickness, PanelY->height());
    ZoomScroll->resize(ZoomScroll->width(), thickness);

    Zoom = 1.0;
    {
        const QSignalBlocker quiet(ZoomScroll);
        ZoomScroll->setValue(100);
    }
    ZoomLabel->setText("  Si&ze: 100%");
    Measurement = msInches;
    {
        const QSignalBlocker quiet(MeasureBox);
        MeasureBox->setCurrentIndex(msInches);
    }
    ResizePaper();
    ResizeImage(1);
    AllSpecs(-1);
    UpdateDocPosition();
}

void TPrintForm::ResizePaper() {
    const QRect client = PanelImage->contentsRect();
    TFitSize paper;
    FitSizeInBoxEx(Printer().PageWidth(), Printer().PageHeight(), client.width(), client.height(), paper);
    const int left = paper.Width < client.width() ? (client.width() - paper.Width) / 2 : 0;
    const int top = paper.Height < client.height() ? (client.height() - paper.Height) / 2 : 0;
    PaperImage->setGeometry(client.left() + left, client.top() + top, paper.Width, paper.Height);
}

void TPrintForm::ResizeImage(int Center) {
    const TFittedSize fitted =
        FitPictureToBox(float(PaperImage->width()), float(PaperImage->height()), float(PictureWidth),
                        float(PictureHeight));
    const int width = int(Round(double(fitted.Width) * Zoom));
    const int height = int(Round(double(fitted.Height) * Zoom));
    int left = 0;
    int top = 0;
    if (Center == 1) {
        left = std::max(0, (PaperImage->width() - width) / 2);
        top = std::max(0, (PaperImage->height() - height) / 2);
    }
    DocImage->setGeometry(left, top, width, height);
    DocImage->update();
}

void TPrintForm::SetPositionRange(QScrollBar& Bar, int Max) {
    Bar.setRange(0, std::max(0, Max));
    Bar.setPageStep(std::max(1, Bar.maximum() / 8));
    Bar.setValue(Bar.maximum() / 2);
    // At full size the print stays centred; a bar without room has nothing to move.
    Bar.setEnabled(!FullSize() && Bar.maximum() > 0);
}

void TPrintForm::AllSpecs(int Mode) {
    TPrinter& printer = Printer();
    ResolutionX = printer.Resolution();
    ResolutionY = printer.Resolution();
    if (Mode != 0)
        ColorPrinter = printer.ColorPrinter() ? 1 : 0;
    const int pageWidth = printer.PageWidth();
    const int pageHeight = printer.PageHeight();
    // The picture is enlarged by doubling until it covers the page, then fitted
    // into it, so that small and large pictures are fitted alike.
    int64_t width = PictureWidth;
    int64_t height = PictureHeight;
    while (width < pageWidth || height < pageHeight) {
        width *= 2;
        height *= 2;
    }
    const TFittedSize fitted = FitPictureToBox(float(pageWidth), float(pageHeight), float(width), float(height));
    PrintWidth = int32_t(Round(double(fitted.Width) * Zoom));
    PrintHeight = int32_t(Round(double(fitted.Height) * Zoom));
    placingBars_ = true;
    SetPositionRange(*XScroll, pageWidth - PrintWidth);
    SetPositionRange(*YScroll, pageHeight - PrintHeight);
    placingBars_ = false;
    UpdateDocPosition();
    Updating = false;
}

std::string TPrintForm::PageText() const {
    std::string text = Printer().Landscape() ? "Landscape" : "Portrait ";
    return text + ": " + Measured(Printer().PageWidth(), ResolutionX) + " x " +
           Measured(Printer().PageHeight(), ResolutionY);
}

void TPrintForm::UpdateDocPosition() {
    PrintTop = YScroll->value();
    PrintLeft = XScroll->value();
    LabelDocW->setText(QString::fromStdString("Width : " + Measured(PrintWidth, ResolutionX)));
    LabelDocH->setText(QString::fromStdString("Height: " + Measured(PrintHeight, ResolutionY)));
    LabelXPos->setText(QString::fromStdString("&X pos : " + Measured(PrintLeft, ResolutionX)));
    LabelYpos->setText(QString::fromStdString("&Y pos : " + Measured(PrintTop, ResolutionY)));
    PanelSettings->setText(QString::fromStdString(PageText() + "  (" + IntToStr(ResolutionX) + " x " +
                                                  IntToStr(ResolutionY) + " dpi)"));
}

void TPrintForm::UpdateXYscroll() {
    if (Updating)
        return;
    const int roomY = PaperImage->height() - DocImage->height();
    if (roomY > 0 && YScroll->maximum() > 0)
        DocImage->move(DocImage->x(), int(Round(double(YScroll->value()) / YScroll->maximum() * roomY)));
    const int roomX = PaperImage->width() - DocImage->width();
    if (roomX > 0 && XScroll->maximum() > 0)
        DocImage->move(int(Round(double(XScroll->value()) / XScroll->maximum() * roomX)), DocImage->y());
}

// ---- Events

void TPrintForm::ZoomScrollScroll() {
    Zoom = ZoomScroll->value() * 0.01;
    ResizeImage(1);
    Updating = true;
    AllSpecs(0);
    ZoomLabel->setText(QString("  Si&ze : %1%").arg(ZoomScroll->value()));
}

void TPrintForm::XScrollChange() {
    if (Updating || FullSize())
        return;
    UpdateDocPosition();
}

void TPrintForm::YScrollScroll() {
    // The bars placed by AllSpecs leave the preview where ResizeImage centred it.
    if (placingBars_ || FullSize())
        return;
    UpdateXYscroll();
}

void TPrintForm::MeasureBoxChange() {
    Measurement = MeasureBox->currentIndex();
    UpdateDocPosition();
}

void TPrintForm::BtnResetClick() {
    ResizeImage(1);
    AllSpecs(0);
}

void TPrintForm::BtnSetupClick() {
    QPrintDialog dialog(&Printer().Device(), this);
    dialog.setMinMax(1, 1);
    if (ExecModal(dialog) != QDialog::Accepted)
        return;
    ResizePaper();
    ResizeImage(1);
    AllSpecs(-1);
}

void TPrintForm::BtnHelpClick() { Application.HelpContext(kHelpContext); }

// ---- Entry

void ExecutePrintForm(const std::string& FileName, int32_t Width, int32_t Height, TPrintFormResult& Result) {
    // A picture without pixels is placed as a single pixel: the fitting divides by its sides.
    PictureWidth = std::max<int32_t>(1, Width);
    PictureHeight = std::max<int32_t>(1, Height);
    TPrintForm form;
    form.setWindowTitle(QString::fromStdString("Print Setup: " + FileName));
    form.PlaceAt(-1, -1);
    if (ExecModal(form) != mrOk) {
        Result.Top = -1;
        return;
    }
    Result.Top = PrintTop;
    Result.Left = PrintLeft;
    Result.Width = PrintWidth;
    Result.Height = PrintHeight;
    Result.ColorPrinter = ColorPrinter;
    Result.Reserved = 0;
}

}  // namespace lumvor
