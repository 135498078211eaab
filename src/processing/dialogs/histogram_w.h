// The histogram window: the red, green, blue, grey and (optionally) saturation
// histograms of the shared histogram (processing/tonal/Histogram.h) drawn as
// vertical bars, one channel on top, a zoom that cycles 1..8 and a bin cursor
// whose counts the readout shows. The window reads the histogram globals as
// they are; it never counts a picture itself. GUI thread only.
#pragma once

#include "platform/ComCtrls.h"
#include "platform/Forms.h"

#include <QColor>
#include <QWidget>

#include <cstdint>
#include <string>

class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;

namespace lumvor {

namespace histogram_w {
// The mode of the current call: the saturation histogram is shown.
inline bool HistoShowSat = false;
// x of the bin cursor, -1 when none is drawn.
inline int HistoMarker = -1;
}  // namespace histogram_w

// The help page of the window.
inline constexpr int HistogramHelpContext = 490;

// Height of the bar of a count: Count x 255 div (Peak div Zoom). A peak smaller
// than the zoom (or an empty histogram) gives no bars at all: 0.
int64_t HistBarHeight(int64_t Count, int64_t Peak, int Zoom);
// The zoom after Zoom: one more, 1 after 8.
int NextHistZoom(int Zoom);
// The readout of a bin, one line per count (the saturation line with ShowSat).
std::string HistBinText(int Bin, bool ShowSat);

// The histogram channels in the order they are drawn; a channel group index
// picks the channel drawn once more on top (0 red, 1 green, 2 blue, 3 grey,
// anything else saturation).
enum class THistChannel { Saturation, Red, Green, Blue, Grey };
THistChannel HistChannelOfItem(int ItemIndex);
QColor HistChannelColor(THistChannel Channel);

class THistogramDlg;

// The 255 x 255 drawing area; painting draws the bars and the bin cursor.
class THistPaintBox : public QWidget {
public:
    explicit THistPaintBox(THistogramDlg* owner);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    THistogramDlg* dialog_;
};

class THistogramDlg : public TModalForm {
public:
    // FormCreate: the controls; without HistoShowSat the "&Sat" item is left out.
    explicit THistogramDlg(QWidget* owner = nullptr);

    QPushButton* btnZoom;
    QPushButton* btnCancel;
    THistPaintBox* PaintBox1;
    QGroupBox* grpChannel;
    // The channel items ("&Red" .. "&Sat"); the fifth is null without saturation.
    QRadioButton* ChannelItems[5] = {};
    QLabel* Label1;
    QPushButton* btnHelp;
    QLabel* lblBin;
    TTrackBar* HistoTrack;

    // The zoom factor (the zoom button's Tag).
    int Zoom() const { return zoom_; }
    int ChannelCount() const;
    int ChannelIndex() const;
    void SetChannelIndex(int Index);

    // Bars of every channel, the selected one again on top, then the cursor.
    void PaintBox1Paint(QPainter& Painter);
    void btnZoomClick();
    // The readout and the cursor for the track bar's bin.
    void HistoTrackChange();
    // A click on the bars moves the track bar to the clicked bin.
    void PaintBox1MouseUp(int X);
    void btnHelpClick();

protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;

private:
    int zoom_ = 1;
};

// Runs the window modally with Caption, centred on the mouse pointer and kept
// on the screen; Mode shows the saturation histogram.
void ExecuteHistogramDlg(const std::string& Caption, bool Mode);

}  // namespace lumvor
