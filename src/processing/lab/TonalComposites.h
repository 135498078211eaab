// Tonal composites: two copies of a picture mixed pixel by pixel with a weight
// taken from a mask, and the grey conversions that go with them.
//
// The target is the picture written; the other picture is read only and must
// be a 24-bit picture of the target's width and height (EInvalidGraphic
// otherwise; callers check first). The mask of a pixel is built from the mask
// luminance Y = R x 3 div 10 + G x 6 div 10 + B div 10 (at most 254) of the
// target pixel (m1) and of the other pixel (m2), mixed by MaskMix c:
// m1 when c >= 99, m2 when c = 0, else m1 x c div 99 + m2 x (99 - c) div 99,
// limited to 0..255. The weight is the mask through GreenMap, which each
// composite fills from its Gamma argument before its loop (and leaves filled).
// The mixes use the one-division blend (LabBlend), so two equal copies come
// back unchanged whatever the weight.
//
// Rows are visited from the last to the first and pixels from the last to the
// first. Hue, lightness and saturation are those of RGBToHLS (0..3600).
// Everything works in place on 24-bit bitmaps (EInvalidGraphic for any other
// depth) and leaves empty ones alone. GUI thread only (GreenMap is global).
#pragma once

#include "platform/Graphics.h"

#include <algorithm>
#include <cstdint>

namespace lumvor {

// The mask luminance of a pixel (0..254).
inline int MaskLuminance(int Red, int Green, int Blue) { return Red * 3 / 10 + Green * 6 / 10 + Blue / 10; }

// The mixed mask of a target value M1 and the other picture's value M2.
inline int MixMasks(int M1, int M2, int MaskMix) {
    if (MaskMix >= 99)
        return M1;
    if (MaskMix == 0)
        return M2;
    return std::clamp(M1 * MaskMix / 99 + M2 * (99 - MaskMix) / 99, 0, 255);
}

// The mid-tone index of a mask value: 127 - |m - 127|, never below 0
// (0 for black, 127 for mid-grey).
inline int MidToneIndex(int Mask) { return std::max(0, 127 - std::abs(Mask - 127)); }

// Shadows and highlights: GreenMap := SetGammaLUT(Gamma, 1, plain); per pixel
// m := the mixed mask (255 - m when Invert), w := GreenMap[m], and every byte
// := (t x w + o x (255 - w)) div 255.
void CompositeMaskBitmap(TBitmap& Target, const TBitmap& Other, int Gamma, int MaskMix, bool Invert);

// Mid-tones: GreenMap := SetMidToneLUT(Gamma); w := GreenMap[MidToneIndex(m)],
// every byte := (t x w + o x (127 - w)) div 127.
void CompositeMidTonesBitmap(TBitmap& Target, const TBitmap& Other, int Gamma, int MaskMix);

// Contrast: as the mid-tones, with the mask value |L - S| x 255 div 3600 of
// each pixel, limited to 254 so that pure white keeps a mid-tone index.
void CompositeContrastBitmap(TBitmap& Target, const TBitmap& Other, int Gamma, int MaskMix);

// Grey composite: every target pixel becomes the colour of (the other pixel's
// hue, the target's lightness, the other pixel's saturation).
void CompositeGrayBitmap(TBitmap& Target, const TBitmap& Other);

// Every pixel's three bytes := its mask luminance ((255, 255, 255) gives 254).
void GrayBitmap(TBitmap& Picture);

// The whitest neutral pixel: starting from hue 3599, lightness 0, saturation
// 3599, a pixel whose hue and saturation are both below the best so far
// becomes the best (ties keep the earlier one in scan order); the answer is
// the best as a colour, each channel limited to 0..255. The picture is not
// changed.
struct TWhitePoint {
    int Red = 0;
    int Green = 0;
    int Blue = 0;
};
TWhitePoint FindWhiteMax(const TBitmap& Picture);

// Every pixel becomes the grey S x 255 div 3600 (its saturation).
void SaturationPlaneBitmap(TBitmap& Picture);

// Every pixel becomes the grey |L - S| x 255 div 3600.
void HSLmaskBitmap(TBitmap& Picture);

}  // namespace lumvor
