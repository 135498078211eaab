// The two colour conventions of the program, as two types that never mix:
//
// TColorValue: the colour of a picture pixel or palette entry: bits 0-7 blue,
//   8-15 green, 16-23 red, 24-31 zero (the byte order of a 24-bit pixel in memory,
//   and the same as Qt's QRgb without alpha).
// TColor: a colour of a control, a font or a settings record: bits 0-7 red,
//   8-15 green, 16-23 blue. Values with bit 31 set name a colour of the desktop
//   scheme (clBtnFace, clWindow...); ColorToRGB resolves them.
//
// Neither converts implicitly to the other or to an integer: use ToTColor,
// ToColorValue, ColorValueOf, TColorOf and static_cast for the raw value.
#pragma once

#include <cstdint>

namespace lumvor {

enum class TColorValue : uint32_t {};
enum class TColor : int32_t {};

// ---- TColorValue (blue low)

constexpr TColorValue ColorValueOf(uint8_t red, uint8_t green, uint8_t blue) {
    return TColorValue{static_cast<uint32_t>(blue) | static_cast<uint32_t>(green) << 8 |
                       static_cast<uint32_t>(red) << 16};
}
constexpr uint8_t GetRValue(TColorValue color) { return static_cast<uint32_t>(color) >> 16 & 0xFF; }
constexpr uint8_t GetGValue(TColorValue color) { return static_cast<uint32_t>(color) >> 8 & 0xFF; }
constexpr uint8_t GetBValue(TColorValue color) { return static_cast<uint32_t>(color) & 0xFF; }

// ---- TColor (red low)

// The TColor of three intensities.
constexpr TColor RGB(uint8_t red, uint8_t green, uint8_t blue) {
    return TColor{static_cast<int32_t>(static_cast<uint32_t>(red) | static_cast<uint32_t>(green) << 8 |
                                       static_cast<uint32_t>(blue) << 16)};
}
constexpr TColor TColorOf(uint8_t red, uint8_t green, uint8_t blue) { return RGB(red, green, blue); }
constexpr uint8_t GetRValue(TColor color) { return static_cast<uint32_t>(color) & 0xFF; }
constexpr uint8_t GetGValue(TColor color) { return static_cast<uint32_t>(color) >> 8 & 0xFF; }
constexpr uint8_t GetBValue(TColor color) { return static_cast<uint32_t>(color) >> 16 & 0xFF; }

constexpr TColor clBlack = RGB(0, 0, 0);
constexpr TColor clMaroon = RGB(0x80, 0, 0);
constexpr TColor clGreen = RGB(0, 0x80, 0);
constexpr TColor clOlive = RGB(0x80, 0x80, 0);
constexpr TColor clNavy = RGB(0, 0, 0x80);
constexpr TColor clPurple = RGB(0x80, 0, 0x80);
constexpr TColor clTeal = RGB(0, 0x80, 0x80);
constexpr TColor clGray = RGB(0x80, 0x80, 0x80);
constexpr TColor clSilver = RGB(0xC0, 0xC0, 0xC0);
constexpr TColor clRed = RGB(0xFF, 0, 0);
constexpr TColor clLime = RGB(0, 0xFF, 0);
constexpr TColor clYellow = RGB(0xFF, 0xFF, 0);
constexpr TColor clBlue = RGB(0, 0, 0xFF);
constexpr TColor clFuchsia = RGB(0xFF, 0, 0xFF);
constexpr TColor clAqua = RGB(0, 0xFF, 0xFF);
constexpr TColor clWhite = RGB(0xFF, 0xFF, 0xFF);

// Colours of the desktop scheme (bit 31 set, the scheme entry in the low byte).
constexpr bool IsSchemeColor(TColor color) { return static_cast<uint32_t>(color) & 0x80000000u; }
constexpr TColor clWindow = TColor{static_cast<int32_t>(0x80000005u)};
constexpr TColor clWindowText = TColor{static_cast<int32_t>(0x80000008u)};
constexpr TColor clHighlight = TColor{static_cast<int32_t>(0x8000000Du)};
constexpr TColor clHighlightText = TColor{static_cast<int32_t>(0x8000000Eu)};
constexpr TColor clBtnFace = TColor{static_cast<int32_t>(0x8000000Fu)};
constexpr TColor clBtnShadow = TColor{static_cast<int32_t>(0x80000010u)};
constexpr TColor clGrayText = TColor{static_cast<int32_t>(0x80000011u)};
constexpr TColor clBtnText = TColor{static_cast<int32_t>(0x80000012u)};
constexpr TColor clBtnHighlight = TColor{static_cast<int32_t>(0x80000014u)};

// The plain colour of a TColor: scheme colours become the current application
// palette's colour (a fixed light scheme when no application exists); plain
// colours come back unchanged.
TColor ColorToRGB(TColor color);

// ---- Conversions between the two orders (red and blue bytes exchanged)

constexpr TColorValue ToColorValue(TColor color) {
    return ColorValueOf(GetRValue(color), GetGValue(color), GetBValue(color));
}
constexpr TColor ToTColor(TColorValue color) {
    return RGB(GetRValue(color), GetGValue(color), GetBValue(color));
}

}  // namespace lumvor
