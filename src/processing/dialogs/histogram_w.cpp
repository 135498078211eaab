#include "processing/dialogs/histogram_w.h"

#include "processing/tonal/Histogram.h"
#include "ui/FormParts.h"

#include <QGroupBox>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>

#include <algorithm>
#include <memory>

namespace lumvor {

using namespace histogram_w;

namespace {

constexpr int kClientWidth = 353;
constexpr int kClientHeight = 343;
constexpr int kBins = 256;
constexpr int kMaxZoom = 8;

const THistogram& CountsOf(THistChannel channel) {
    switch (channel) {
        case THistChannel::Saturation: return HistSat;
        case THistChannel::Red: return HistR;
        case THistChannel::Green: return HistG;
        case THistChannel::Blue: return HistB;
        case THistChannel::Grey: break;
    }
    return HistLum;
}

void DrawChannel(QPainter& painter, THistChannel channel, int zoom) {
    const THistogram& counts = CountsOf(channel);
    painter.setPen(HistChannelColor(channel));
    for (int x = 0; x < kBins; ++x) {
        // Bars taller than the box run off its top; the painter clips them.
        const int64_t height = std::min<int64_t>(HistBarHeight(counts[size_t(x)], HistPeak, zoom), 1024);
        if (height > 0)
            painter.drawLine(x, 255, x, int(255 - height));
    }
}

}  // namespace

int64_t HistBarHeight(int64_t Count, int64_t Peak, int Zoom) {
    if (Zoom <= 0)
        return 0;
    const int64_t scale = Peak / Zoom;
    if (scale <= 0 || Count <= 0)
        return 0;
    return Count * 255 / scale;
}

int NextHistZoom(int Zoom) { return Zoom + 1 > kMaxZoom ? 1 : Zoom + 1; }

std::string HistBinText(int Bin, bool ShowSat) {
    const size_t b = size_t(std::clamp(Bin, 0, kBins - 1));
    std::string text = "Bin:   " + std::to_string(Bin) + "\nMax: " + std::to_string(HistPeak) +
                       "\nRed: " + std::to_string(HistR[b]) + "\nGrn:  " + std::to_string(HistG[b]) +
                       "\nBlu:   " + std::to_string(HistB[b]) + "\nGry:   " + std::to_string(HistLum[b]);
    if (ShowSat)
        text += "\nSat:   " + std::to_string(HistSat[b]);
    return text;
}

THistChannel HistChannelOfItem(int ItemIndex) {
    switch (ItemIndex) {
        case 0: return THistChannel::Red;
        case 1: return THistChannel::Green;
        case 2: return THistChannel::Blue;
        case 3: return THistChannel::Grey;
        default: return THistChannel::Saturation;
    }
}

QColor HistChannelColor(THistChannel Channel) {
    switch (Channel) {
        case THistChannel::Saturation: return QColor(0x80, 0x00, 0x80);
        case THistChannel::Red: return QColor(0xFF, 0x00, 0x00);
        case THistChannel::Green: return QColor(0x00, 0x80, 0x00);
        case THistChannel::Blue: return QColor(0x00, 0x00, 0xFF);
        case THistChannel::Grey: break;
    }
    return QColor(0, 0, 0);
}

// ---- The drawing area

THistPaintBox::THistPaintBox(THistogramDlg* owner) : QWidget(owner), dialog_(owner) {
    setObjectName("PaintBox1");
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void THistPaintBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    Guarded([&] { dialog_->PaintBox1Paint(painter); });
}

void THistPaintBox::mouseReleaseEvent(QMouseEvent* event) {
    const int x = event->position().toPoint().x();
    Guarded([&] { dialog_->PaintBox1MouseUp(x); });
}

// ---- The window

THistogramDlg::THistogramDlg(QWidget* owner) : TModalForm(owner) {
    setObjectName("HistogramDlg");
    SetDialogFont(*this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(kClientWidth, kClientHeight);

    btnZoom = NewButton(this, "btnZoom", "&Zoom x1", QRect(8, 310, 81, 25));
    btnCancel = NewButton(this, "btnCancel", "Close", QRect(95, 310, 81, 25));
    SetCancelButton(*btnCancel);
    PaintBox1 = new THistPaintBox(this);
    PaintBox1->setGeometry(10, 8, 255, 255);

    grpChannel = new QGroupBox("Channel", this);
    grpChannel->setObjectName("grpChannel");
    const char* items[5] = {"&Red", "&Green", "&Blue", "Gr&ay", "&Sat"};
    const int itemCount = HistoShowSat ? 5 : 4;
    grpChannel->setGeometry(274, 4, 73, 28 + 22 * itemCount);
    for (int i = 0; i < itemCount; ++i) {
        ChannelItems[i] = new QRadioButton(items[i], grpChannel);
        ChannelItems[i]->setObjectName(QString("grpChannel%1").arg(i));
        ChannelItems[i]->setGeometry(8, 22 + 22 * i, 62, 20);
        ConnectGuarded(ChannelItems[i], &QRadioButton::toggled, this, [this](bool on) {
            if (on)
                PaintBox1->update();
        });
    }
    ChannelItems[3]->setChecked(true);

    Label1 = new QLabel("shadows <---   intensities  ---> highlights", this);
    Label1->setObjectName("Label1");
    Label1->setGeometry(10, 290, 255, 16);
    Label1->setAlignment(Qt::AlignCenter);
    btnHelp = NewButton(this, "btnHelp", "&Help", QRect(182, 310, 81, 25));

    lblBin = new QLabel(this);
    lblBin->setObjectName("lblBin");
    lblBin->setGeometry(274, grpChannel->geometry().bottom() + 8, 73, 193);
    lblBin->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblBin->setTextFormat(Qt::PlainText);

    HistoTrack = new TTrackBar(this);
    HistoTrack->setObjectName("HistoTrack");
    HistoTrack->SetMin(0);
    HistoTrack->SetMax(255);
    HistoTrack->SetFrequency(1);
    HistoTrack->SetPosition(0);
    // The handle's centre sits over the bin it stands for.
    HistoTrack->setGeometry(2, 264, 271, 24);

    ConnectGuarded(btnZoom, &QPushButton::clicked, this, [this] { btnZoomClick(); });
    ConnectGuarded(btnCancel, &QPushButton::clicked, this, [this] { done(mrCancel); });
    ConnectGuarded(btnHelp, &QPushButton::clicked, this, [this] { btnHelpClick(); });
    ConnectGuarded(HistoTrack, &QSlider::valueChanged, this, [this] { HistoTrackChange(); });
}

int THistogramDlg::ChannelCount() const { return ChannelItems[4] ? 5 : 4; }

int THistogramDlg::ChannelIndex() const {
    for (int i = 0; i < ChannelCount(); ++i)
        if (ChannelItems[i]->isChecked())
            return i;
    return -1;
}

void THistogramDlg::SetChannelIndex(int Index) {
    if (Index >= 0 && Index < ChannelCount())
        ChannelItems[Index]->setChecked(true);
}

void THistogramDlg::PaintBox1Paint(QPainter& Painter) {
    Painter.fillRect(QRect(0, 0, 255, 255), palette().color(QPalette::Window));
    if (HistoShowSat)
        DrawChannel(Painter, THistChannel::Saturation, zoom_);
    for (THistChannel channel : {THistChannel::Red, THistChannel::Green, THistChannel::Blue, THistChannel::Grey})
        DrawChannel(Painter, channel, zoom_);
    const THistChannel selected = HistChannelOfItem(ChannelIndex());
    if (selected != THistChannel::Saturation || HistoShowSat)
        DrawChannel(Painter, selected, zoom_);
    if (HistoMarker >= 0) {
        // The cursor inverts what lies under it, so it shows on any bar.
        Painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        Painter.setPen(QPen(QColor(255, 255, 255), 1, Qt::DotLine));
        Painter.drawLine(HistoMarker, 0, HistoMarker, 255);
        Painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    }
}

void THistogramDlg::btnZoomClick() {
    zoom_ = NextHistZoom(zoom_);
    btnZoom->setText(QString("&Zoom x%1").arg(zoom_));
    PaintBox1->update();
}

void THistogramDlg::HistoTrackChange() {
    const int bin = HistoTrack->Position();
    lblBin->setText(QString::fromStdString(HistBinText(bin, HistoShowSat)));
    HistoMarker = bin;
    PaintBox1->update();
}

void THistogramDlg::PaintBox1MouseUp(int X) {
    HistoTrack->SetPosition(std::clamp(X, 0, kBins - 1));
}

void THistogramDlg::btnHelpClick() { Application.HelpContext(HistogramHelpContext); }

void THistogramDlg::showEvent(QShowEvent* event) {
    HistoMarker = -1;
    TModalForm::showEvent(event);
}

void THistogramDlg::done(int result) {
    HistoMarker = -1;
    TModalForm::done(result);
}

void ExecuteHistogramDlg(const std::string& Caption, bool Mode) {
    HistoShowSat = Mode;
    auto form = std::make_unique<THistogramDlg>();
    form->setWindowTitle(QString::fromStdString(Caption));
    form->CentreOnPoint(Mouse.CursorPos());
    ExecModal(*form);
}

}  // namespace lumvor
