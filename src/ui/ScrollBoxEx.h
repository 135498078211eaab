// A scroll box with wheel-mouse events, and the program's mouse information.
//
// With CustomWheelMouse the box leaves wheel turns to its owner: a turn towards
// the user raises OnMouseWheelDown, away from the user OnMouseWheelUp, and the
// box does not scroll by itself. Its scroll bars then do not scroll either; with
// ForceWheelMouse a line-up action raises OnMouseWheelUp and any other action
// OnMouseWheelDown. A middle-button press raises OnMouseWheelClick. OnScroll is
// raised for every scroll bar action.
#pragma once

#include <QScrollArea>

#include "platform/Controls.h"

namespace lumvor {

// What the program knows about the mouse and its wheel.
class TWheelMouse {
public:
    TWheelMouse();

    bool MousePresent() const { return mousePresent_; }
    bool NativeWheelSupport() const { return true; }
    bool WheelPresent() const { return wheelPresent_; }
    // Lines scrolled by one wheel notch (the system setting).
    int ScrollLines() const;
    // The widget that holds the mouse capture, or none.
    QWidget* Capture() const;
    // Gives the capture to widget; none releases it.
    void SetCapture(QWidget* widget);

private:
    bool mousePresent_ = true;
    bool wheelPresent_ = true;
};

namespace ScrollBoxEx {
// The one mouse information object, made by the first scroll box and kept for the run.
TWheelMouse& WheelMouse();
}  // namespace ScrollBoxEx

class TScrollBoxEx : public QScrollArea {
public:
    explicit TScrollBoxEx(QWidget* owner = nullptr);

    bool ForceWheelMouse = false;
    bool CustomWheelMouse = false;

    TNotifyEvent OnMouseWheelDown;
    TNotifyEvent OnMouseWheelUp;
    TNotifyEvent OnMouseWheelClick;
    TNotifyEvent OnScroll;

    // Room left free around the visible part (the view trims it to whole
    // picture pixels).
    void SetViewportMargins(int left, int top, int right, int bottom) {
        setViewportMargins(left, top, right, bottom);
    }

protected:
    bool viewportEvent(QEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void ScrollAction(QScrollBar* bar, int action);
    bool MiddlePress(QMouseEvent* event);
};

}  // namespace lumvor
