#include "ui/TrackBarEx.h"

#include <QPainter>
#include <QProxyStyle>
#include <QStyleOptionSlider>

namespace lumvor {

namespace {

// Gives the thumb of one track bar its length.
class ThumbLengthStyle : public QProxyStyle {
public:
    explicit ThumbLengthStyle(const TTrackBarEx* bar) : bar_(bar) {}
    int pixelMetric(PixelMetric metric, const QStyleOption* option,
                    const QWidget* widget) const override {
        if (metric == PM_SliderControlThickness && widget == bar_)
            return bar_->ThumbLength();
        return QProxyStyle::pixelMetric(metric, option, widget);
    }

private:
    const TTrackBarEx* bar_;
};

}  // namespace

TTrackBarEx::TTrackBarEx(QWidget* owner) : TTrackBar(owner), thumbStyle_(new ThumbLengthStyle(this)) {
    thumbStyle_->setParent(this);
    setStyle(thumbStyle_);
}

void TTrackBarEx::SetThumbLength(int value) {
    thumbLength_ = value;
    updateGeometry();
    update();
}

void TTrackBarEx::SetSliderVisible(bool value) {
    sliderVisible_ = value;
    update();
}

void TTrackBarEx::paintEvent(QPaintEvent* event) {
    if (sliderVisible_) {
        TTrackBar::paintEvent(event);
        return;
    }
    QPainter painter(this);
    QStyleOptionSlider opt;
    initStyleOption(&opt);
    opt.subControls = QStyle::SC_SliderGroove;
    if (tickPosition() != QSlider::NoTicks)
        opt.subControls |= QStyle::SC_SliderTickmarks;
    opt.activeSubControls = QStyle::SC_None;
    // Without a thumb there is no position to show along the channel either.
    opt.sliderPosition = opt.sliderValue = opt.minimum;
    style()->drawComplexControl(QStyle::CC_Slider, &opt, &painter, this);
}

}  // namespace lumvor
