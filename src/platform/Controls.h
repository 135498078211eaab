// Event types of the class library's controls, over Qt's events.
//
// An event is a callable that is raised only when assigned and gets the sender
// first. Mouse events carry the button, the shift state and the position in the
// control's own coordinates.
#pragma once

#include <QKeyEvent>
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

// The shift state of the keyboard modifiers alone.
inline TShiftState ShiftStateOf(Qt::KeyboardModifiers keys) {
    TShiftState shift = 0;
    if (keys & Qt::ShiftModifier) shift |= ssShift;
    if (keys & Qt::AltModifier) shift |= ssAlt;
    if (keys & Qt::ControlModifier) shift |= ssCtrl;
    return shift;
}

// The shift state of a mouse event (keys and the buttons held down).
inline TShiftState ShiftStateOf(const QMouseEvent& event) {
    TShiftState shift = ShiftStateOf(event.modifiers());
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

// Keyboard events: the virtual-key code (a handler may change it; 0 means handled)
// and the shift state, or the typed character.
using TKeyEvent = std::function<void(QObject* Sender, std::uint16_t& Key, TShiftState Shift)>;
using TKeyPressEvent = std::function<void(QObject* Sender, char& Key)>;

// Virtual-key codes of the keys the program's handlers look at.
constexpr std::uint16_t VK_BACK = 8, VK_TAB = 9, VK_RETURN = 13, VK_SHIFT = 16, VK_CONTROL = 17,
                        VK_MENU = 18, VK_ESCAPE = 27, VK_SPACE = 32, VK_PRIOR = 33, VK_NEXT = 34,
                        VK_END = 35, VK_HOME = 36, VK_LEFT = 37, VK_UP = 38, VK_RIGHT = 39,
                        VK_DOWN = 40, VK_INSERT = 45, VK_DELETE = 46, VK_F1 = 112, VK_F2 = 113;

// The virtual-key code of a Qt key: letters and digits as their upper-case
// character, function keys from VK_F1 on, 0 for keys without a code.
inline std::uint16_t VirtualKeyOf(int key) {
    if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9))
        return std::uint16_t(key);
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24) return std::uint16_t(VK_F1 + (key - Qt::Key_F1));
    switch (key) {
    case Qt::Key_Backspace: return VK_BACK;
    case Qt::Key_Tab: return VK_TAB;
    case Qt::Key_Return: case Qt::Key_Enter: return VK_RETURN;
    case Qt::Key_Shift: return VK_SHIFT;
    case Qt::Key_Control: return VK_CONTROL;
    case Qt::Key_Alt: return VK_MENU;
    case Qt::Key_Escape: return VK_ESCAPE;
    case Qt::Key_Space: return VK_SPACE;
    case Qt::Key_PageUp: return VK_PRIOR;
    case Qt::Key_PageDown: return VK_NEXT;
    case Qt::Key_End: return VK_END;
    case Qt::Key_Home: return VK_HOME;
    case Qt::Key_Left: return VK_LEFT;
    case Qt::Key_Up: return VK_UP;
    case Qt::Key_Right: return VK_RIGHT;
    case Qt::Key_Down: return VK_DOWN;
    case Qt::Key_Insert: return VK_INSERT;
    case Qt::Key_Delete: return VK_DELETE;
    default: return 0;
    }
}

// The shift state of a key event.
inline TShiftState ShiftStateOf(const QKeyEvent& event) { return ShiftStateOf(event.modifiers()); }

}  // namespace lumvor
