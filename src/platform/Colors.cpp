#include "platform/Colors.h"

#include <QGuiApplication>
#include <QPalette>

namespace lumvor {

namespace {

QPalette::ColorRole RoleOf(uint32_t entry, bool& known) {
    known = true;
    switch (entry) {
    case 0x05: return QPalette::Base;
    case 0x08: return QPalette::Text;
    case 0x0D: return QPalette::Highlight;
    case 0x0E: return QPalette::HighlightedText;
    case 0x0F: return QPalette::Button;
    case 0x10: return QPalette::Dark;
    case 0x11: return QPalette::PlaceholderText;
    case 0x12: return QPalette::ButtonText;
    case 0x14: return QPalette::Light;
    default: known = false; return QPalette::Window;
    }
}

// Used when no application palette exists (tools, tests without a GUI).
TColor FixedSchemeColor(uint32_t entry) {
    switch (entry) {
    case 0x05: return clWhite;
    case 0x08: return clBlack;
    case 0x0D: return RGB(0x00, 0x78, 0xD7);
    case 0x0E: return clWhite;
    case 0x0F: return RGB(0xF0, 0xF0, 0xF0);
    case 0x10: return RGB(0xA0, 0xA0, 0xA0);
    case 0x11: return RGB(0x6D, 0x6D, 0x6D);
    case 0x12: return clBlack;
    case 0x14: return clWhite;
    default: return clBlack;
    }
}

}  // namespace

TColor ColorToRGB(TColor color) {
    if (!IsSchemeColor(color))
        return color;
    uint32_t entry = static_cast<uint32_t>(color) & 0xFF;
    bool known = false;
    QPalette::ColorRole role = RoleOf(entry, known);
    if (!known || qGuiApp == nullptr)
        return FixedSchemeColor(entry);
    QColor c = QGuiApplication::palette().color(QPalette::Active, role);
    return RGB(static_cast<uint8_t>(c.red()), static_cast<uint8_t>(c.green()),
               static_cast<uint8_t>(c.blue()));
}

}  // namespace lumvor
