// A track bar with a settable thumb length and a thumb that can be hidden.
#pragma once

#include "platform/ComCtrls.h"

class QProxyStyle;

namespace lumvor {

class TTrackBarEx : public TTrackBar {
public:
    explicit TTrackBarEx(QWidget* owner = nullptr);

    // Thickness of the thumb across the channel, in pixels.
    int ThumbLength() const { return thumbLength_; }
    void SetThumbLength(int value);
    // Without the thumb only the channel and the ticks are drawn.
    bool SliderVisible() const { return sliderVisible_; }
    void SetSliderVisible(bool value);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int thumbLength_ = 20;
    bool sliderVisible_ = true;
    QProxyStyle* thumbStyle_;
};

}  // namespace lumvor
