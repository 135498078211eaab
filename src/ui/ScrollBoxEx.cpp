#include "ui/ScrollBoxEx.h"

#include <QApplication>
#include <QScrollBar>
#include <QWheelEvent>
#include <QWidget>

namespace lumvor {

TWheelMouse::TWheelMouse() = default;

int TWheelMouse::ScrollLines() const { return QApplication::wheelScrollLines(); }

QWidget* TWheelMouse::Capture() const { return QWidget::mouseGrabber(); }

void TWheelMouse::SetCapture(QWidget* widget) {
    if (widget) {
        widget->grabMouse();
    } else if (QWidget* holder = QWidget::mouseGrabber()) {
        holder->releaseMouse();
    }
}

TWheelMouse& ScrollBoxEx::WheelMouse() {
    static TWheelMouse mouse;
    return mouse;
}

TScrollBoxEx::TScrollBoxEx(QWidget* owner) : QScrollArea(owner) {
    ScrollBoxEx::WheelMouse();
    for (QScrollBar* bar : {horizontalScrollBar(), verticalScrollBar()})
        connect(bar, &QScrollBar::actionTriggered, this,
                [this, bar](int action) { ScrollAction(bar, action); });
}

// Called before the scroll bar applies the action.
void TScrollBoxEx::ScrollAction(QScrollBar* bar, int action) {
    if (OnScroll)
        OnScroll(this);
    if (!CustomWheelMouse)
        return;
    // The box does not scroll itself: the action is undone before it applies.
    bar->setSliderPosition(bar->value());
    if (!ForceWheelMouse || action == QAbstractSlider::SliderNoAction)
        return;
    if (action == QAbstractSlider::SliderSingleStepSub) {
        if (OnMouseWheelUp)
            OnMouseWheelUp(this);
    } else if (OnMouseWheelDown) {
        OnMouseWheelDown(this);
    }
}

void TScrollBoxEx::wheelEvent(QWheelEvent* event) {
    const TNotifyEvent& handler = event->angleDelta().y() < 0 ? OnMouseWheelDown : OnMouseWheelUp;
    if (CustomWheelMouse && handler) {
        handler(this);
        event->accept();
        return;
    }
    QScrollArea::wheelEvent(event);
}

bool TScrollBoxEx::MiddlePress(QMouseEvent* event) {
    if (event->button() == Qt::MiddleButton && OnMouseWheelClick) {
        OnMouseWheelClick(this);
        event->accept();
        return true;
    }
    return false;
}

void TScrollBoxEx::mousePressEvent(QMouseEvent* event) {
    if (!MiddlePress(event))
        QScrollArea::mousePressEvent(event);
}

bool TScrollBoxEx::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress && MiddlePress(static_cast<QMouseEvent*>(event)))
        return true;
    return QScrollArea::viewportEvent(event);
}

}  // namespace lumvor
