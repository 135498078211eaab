#include "platform/ComCtrls.h"

#include "platform/Forms.h"
#include "platform/SysUtils.h"

#include <QLineEdit>

#include <algorithm>
#include <QMouseEvent>
#include <QStyle>
#include <QToolButton>
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

// --- Up-down control

TUpDown::TUpDown(QWidget* owner) : QWidget(owner), up_(new QToolButton(this)), down_(new QToolButton(this)) {
    up_->setArrowType(Qt::UpArrow);
    down_->setArrowType(Qt::DownArrow);
    for (QToolButton* b : {up_, down_}) {
        b->setFocusPolicy(Qt::NoFocus);
        b->installEventFilter(this);
    }
    QObject::connect(up_, &QToolButton::pressed, this, Guard([this] { Step(btNext); }));
    QObject::connect(down_, &QToolButton::pressed, this, Guard([this] { Step(btPrev); }));
    resize(16, 22);
}

void TUpDown::SetPosition(int value) {
    position_ = std::clamp(value, std::min(min_, max_), std::max(min_, max_));
    if (associate_)
        associate_->setText(QString::number(position_));
}

void TUpDown::SetAssociate(QLineEdit* edit) {
    associate_ = edit;
    if (associate_)
        associate_->setText(QString::number(position_));
}

void TUpDown::Step(TUDBtnType button) {
    if (associate_) {
        int32_t shown = 0;
        if (TryStrToInt(associate_->text().toStdString(), shown))
            position_ = shown;
    }
    const int64_t next = int64_t(position_) + (button == btNext ? increment_ : -int64_t(increment_));
    SetPosition(int(std::clamp<int64_t>(next, std::min(min_, max_), std::max(min_, max_))));
    if (OnClick)
        OnClick(this, button);
}

bool TUpDown::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease && (watched == up_ || watched == down_)) {
        Guarded([&] {
            const auto& mouse = static_cast<QMouseEvent&>(*event);
            const QPoint at = static_cast<QWidget*>(watched)->mapTo(this, mouse.position().toPoint());
            if (OnMouseUp)
                OnMouseUp(this, MouseButtonOf(mouse), ShiftStateOf(mouse), at.x(), at.y());
        });
    }
    return QWidget::eventFilter(watched, event);
}

void TUpDown::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const int half = height() / 2;
    up_->setGeometry(0, 0, width(), half);
    down_->setGeometry(0, half, width(), height() - half);
}

}  // namespace lumvor
