// Per-pixel colour operations in hue-lightness-saturation space, and the
// negative.
//
// Hue, lightness and saturation are integers on the 0..3600 scale of RGBToHLS
// and HLSToRGB (hue sectors at 1200 and 2400; a grey has saturation 0). Each
// filter converts a pixel with RGBToHLS, changes one or more of the three
// values, and converts back with HLSToRGB, every component limited to 0..255,
// so even an unchanged value costs one rounding round trip.
//
// The curve filters take their curve from the colour maps (ColorMaps.h) on an
// 8-bit version of the value: v8 = min(255, v x 255 div 3600); a map entry m
// goes back as m x 3600 div 255. Callers prepare the maps first.
//
// All routines work in place on 24-bit bitmaps, throw EInvalidGraphic for any
// other depth (Require24Bit) and leave an empty bitmap alone. No locks, status
// or undo: the image window's commands around them do that. Headless; GUI
// thread only for the curve filters (they read the global maps).
#pragma once

#include "platform/Graphics.h"

namespace lumvor {

// Shifts every pixel's hue by dH, wrapped into 0..3600 (a shift of -100 turns
// hue 50 into 3550, 3700 turns 0 into 100, any shift stays in range), and its
// lightness and saturation by dL and dS, each limited to 0..3600.
void ColorTuneHLSBitmap(TBitmap& Bitmap, int dH, int dL, int dS);

// Saturation through GreenMap, then BlueMap; hue and lightness kept.
void SaturationFilterBitmap(TBitmap& Bitmap);

// Lightness through GreenMap; hue and saturation kept.
void LuminanceFilterBitmap(TBitmap& Bitmap);

// Every byte b of the picture's pixels becomes 255 - b (row padding untouched).
void InvertBitmap(TBitmap& Bitmap);

// Lightness squared: L := L x L div 3600; hue and saturation kept. Darkens the
// mid-tones, keeps black and white.
void MultiplyLuminanceBitmap(TBitmap& Bitmap);

// The darkest channel's lightness, squared, blended into every pixel: with m
// the smallest of R, G, B and L2 the lightness of the grey (m, m, m), the
// colour (R', G', B') of (hue, L2 x L2 div 3600, saturation) is averaged with
// the pixel: R := (R + R') shr 1, and so for G and B.
void UnCookBitmap(TBitmap& Bitmap);

}  // namespace lumvor
