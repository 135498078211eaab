#include "platform/ComCtrls.h"

#include <QStyle>
#include <QStyleOptionSlider>

namespace lumvor {

TTrackBar::TTrackBar(QWidget* owner) : QSlider(Qt::Horizontal, owner) {
    setRange(0, 10);
    setPageStep(2);
    setSingleStep(1);
    ApplyTicks();
    connect(this, &QSlider::valueChanged, this, [this] {
        if (OnChange)
            OnChange(this);
    });
}

void TTrackBar::SetFrequency(int value) {
    frequency_ = value;
    ApplyTicks();
}

void TTrackBar::SetTickStyle(TTickStyle style) {
    tickStyle_ = style;
    ApplyTicks();
}

void TTrackBar::SetTickMarks(TTickMark marks) {
    tickMarks_ = marks;
    ApplyTicks();
}

void TTrackBar::ApplyTicks() {
    if (tickStyle_ == tsNone) {
        setTickPosition(QSlider::NoTicks);
    } else {
        setTickPosition(tickMarks_ == tmBottomRight ? QSlider::TicksBelow
                        : tickMarks_ == tmTopLeft   ? QSlider::TicksAbove
                                                    : QSlider::TicksBothSides);
    }
    setTickInterval(frequency_);
    update();
}

QRect TTrackBar::ChannelRect() const {
    QStyleOptionSlider opt;
    initStyleOption(&opt);
    return style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderGroove, this);
}

QRect TTrackBar::ThumbRect() const {
    QStyleOptionSlider opt;
    initStyleOption(&opt);
    return style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderHandle, this);
}

// The same computation the style uses to place tick marks.
int TTrackBar::TickPosition(int value) const {
    QStyleOptionSlider opt;
    initStyleOption(&opt);
    const int thumb = style()->pixelMetric(QStyle::PM_SliderLength, &opt, this);
    const int available = style()->pixelMetric(QStyle::PM_SliderSpaceAvailable, &opt, this);
    return QStyle::sliderPositionFromValue(minimum(), maximum(), value, available,
                                           opt.upsideDown) +
           thumb / 2;
}

}  // namespace lumvor
