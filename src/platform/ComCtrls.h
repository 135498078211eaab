// The class library's track bar over QSlider.
//
// Defaults as the common control has them: range 0 to 10, page size 2, a tick
// at every value (Frequency 1, automatic ticks) below a horizontal bar.
#pragma once

#include <QSlider>

#include "platform/Controls.h"

namespace lumvor {

enum TTickStyle { tsNone, tsAuto, tsManual };
enum TTickMark { tmBottomRight, tmTopLeft, tmBoth };
enum TTrackBarOrientation { trHorizontal, trVertical };

class TTrackBar : public QSlider {
public:
    explicit TTrackBar(QWidget* owner = nullptr);

    int Min() const { return minimum(); }
    void SetMin(int value) { setMinimum(value); }
    int Max() const { return maximum(); }
    void SetMax(int value) { setMaximum(value); }
    int Position() const { return value(); }
    void SetPosition(int value) { setValue(value); }
    int PageSize() const { return pageStep(); }
    void SetPageSize(int value) { setPageStep(value); }
    int Frequency() const { return frequency_; }
    void SetFrequency(int value);
    TTickStyle TickStyle() const { return tickStyle_; }
    virtual void SetTickStyle(TTickStyle style);
    TTickMark TickMarks() const { return tickMarks_; }
    virtual void SetTickMarks(TTickMark marks);
    TTrackBarOrientation Orientation() const {
        return orientation() == Qt::Horizontal ? trHorizontal : trVertical;
    }
    // A vertical bar has its Min at the top.
    void SetOrientation(TTrackBarOrientation o) {
        setOrientation(o == trHorizontal ? Qt::Horizontal : Qt::Vertical);
        setInvertedAppearance(o == trVertical);
    }

    // Pixel position (x of a horizontal bar, y of a vertical one) of the tick of a value.
    int TickPosition(int value) const;
    // The channel (groove) and thumb rectangles.
    QRect ChannelRect() const;
    QRect ThumbRect() const;

    // Raised when the position changes.
    TNotifyEvent OnChange;

private:
    void ApplyTicks();

    int frequency_ = 1;
    TTickStyle tickStyle_ = tsAuto;
    TTickMark tickMarks_ = tmBottomRight;
};

}  // namespace lumvor
