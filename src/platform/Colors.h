// Colours: the class library's TColor and the picture colour value.
//
// TColor keeps red in the low byte (0x00BBGGRR), as the class library does.
// A picture colour value keeps blue in the low byte (0x00RRGGBB as an integer),
// the byte order of a DIB pixel and of a colour-table entry. The two are
// distinct types and convert only through the explicit functions below.
#pragma once

#include <cstdint>

namespace lumvor {

enum TColor : int32_t {
    clBlack = 0x000000,
    clMaroon = 0x000080,
    clGreen = 0x008000,
    clOlive = 0x008080,
    clNavy = 0x800000,
    clPurple = 0x800080,
    clTeal = 0x808000,
    clGray = 0x808080,
    clSilver = 0xC0C0C0,
    clRed = 0x0000FF,
    clLime = 0x00FF00,
    clYellow = 0x00FFFF,
    clBlue = 0xFF0000,
    clFuchsia = 0xFF00FF,
    clAqua = 0xFFFF00,
    clWhite = 0xFFFFFF,
    clNone = 0x1FFFFFFF,
    clDefault = 0x20000000,
};

// Picture colour value: bits 0-7 blue, 8-15 green, 16-23 red, 24-31 zero.
using TColorValue = uint32_t;

constexpr TColor RGBToColor(uint8_t r, uint8_t g, uint8_t b) {
    return static_cast<TColor>(r | (g << 8) | (b << 16));
}
constexpr uint8_t ColorRed(TColor c) { return static_cast<uint8_t>(c & 0xFF); }
constexpr uint8_t ColorGreen(TColor c) { return static_cast<uint8_t>((c >> 8) & 0xFF); }
constexpr uint8_t ColorBlue(TColor c) { return static_cast<uint8_t>((c >> 16) & 0xFF); }

constexpr TColorValue ColorToColorValue(TColor c) {
    return static_cast<TColorValue>(ColorBlue(c) | (ColorGreen(c) << 8) | (ColorRed(c) << 16));
}
constexpr TColor ColorValueToColor(TColorValue v) {
    return RGBToColor(static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 8),
                      static_cast<uint8_t>(v));
}

}  // namespace lumvor
