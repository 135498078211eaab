// Event types of the class library's controls, over Qt's events.
//
// An event is a callable that is raised only when assigned and gets the sender
// first. Mouse events carry the button, the shift state and the position in the
// control's own coordinates.
#pragma once

#include <QMouseEvent>
#include <QObject>

#include <cstdint>
#include <functional>

namespace lumvor {

using TNotifyEvent = std::function<void(QObject* Sender)>;

enum TMouseButton { mbLeft, mbRight, mbMiddle };

// Shift state bits.
using TShiftState = std::uint8_t;
constexpr TShiftState ssShift = 1;
constexpr TShiftState ssAlt = 2;
constexpr TShiftState ssCtrl = 4;
constexpr TShiftState ssLeft = 8;
constexpr TShiftState ssRight = 16;
constexpr TShiftState ssMiddle = 32;
constexpr TShiftState ssDouble = 64;

using TMouseEvent =
    std::function<void(QObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = std::function<void(QObject* Sender, TShiftState Shift, int X, int Y)>;

// The shift state of a mouse event (keys and the buttons held down).
inline TShiftState ShiftStateOf(const QMouseEvent& event) {
    TShiftState shift = 0;
    const Qt::KeyboardModifiers keys = event.modifiers();
    if (keys & Qt::ShiftModifier) shift |= ssShift;
    if (keys & Qt::AltModifier) shift |= ssAlt;
    if (keys & Qt::ControlModifier) shift |= ssCtrl;
    const Qt::MouseButtons held = event.buttons() | event.button();
    if (held & Qt::LeftButton) shift |= ssLeft;
    if (held & Qt::RightButton) shift |= ssRight;
    if (held & Qt::MiddleButton) shift |= ssMiddle;
    if (event.type() == QEvent::MouseButtonDblClick) shift |= ssDouble;
    return shift;
}

inline TMouseButton MouseButtonOf(const QMouseEvent& event) {
    switch (event.button()) {
    case Qt::RightButton: return mbRight;
    case Qt::MiddleButton: return mbMiddle;
    default: return mbLeft;
    }
}

// Raises a mouse-button event for a Qt mouse event when the event is assigned.
inline void RaiseMouseEvent(const TMouseEvent& handler, QObject* sender, const QMouseEvent& event) {
    if (handler) {
        const QPoint at = event.position().toPoint();
        handler(sender, MouseButtonOf(event), ShiftStateOf(event), at.x(), at.y());
    }
}

inline void RaiseMouseMoveEvent(const TMouseMoveEvent& handler, QObject* sender,
                                const QMouseEvent& event) {
    if (handler) {
        const QPoint at = event.position().toPoint();
        handler(sender, ShiftStateOf(event), at.x(), at.y());
    }
}

}  // namespace lumvor
