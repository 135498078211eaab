#include "processing/lab/TonalComposites.h"

#include "imaging/HLSRows.h"
#include "imaging/Helpers.h"
#include "platform/SysUtils.h"
#include "processing/lab/Pixels24.h"
#include "processing/tonal/ColorMaps.h"

#include <cstdlib>

namespace lumvor {

namespace {

void CheckPair(const TBitmap& Target, const TBitmap& Other) {
    Require24Bit(Target);
    Require24Bit(Other);
    if (Other.Width() != Target.Width() || Other.Height() != Target.Height())
        throw EInvalidGraphic("The two pictures must have the same size.");
}

int PixelMaskLuminance(const uint8_t* Pixel) { return MaskLuminance(Pixel[2], Pixel[1], Pixel[0]); }

// |L - S| x 255 div 3600 of a pixel, at most 254.
int ContrastMask(const uint8_t* Pixel) {
    THLS hls;
    RGBToHLS(Pixel[2], Pixel[1], Pixel[0], hls);
    return std::min(254, std::abs(hls.Lightness - hls.Saturation) * 255 / 3600);
}

// Visit(target pixel, other pixel) for every pixel pair, last row and last
// pixel first.
template <class Visit>
void ForEachPair(TBitmap& Target, const TBitmap& Other, Visit&& visit) {
    CheckPair(Target, Other);
    if (LabEmpty(Target))
        return;
    const int width = Target.Width();
    for (int y = Target.Height() - 1; y >= 0; --y) {
        uint8_t* t = Target.ScanLine(y);
        const uint8_t* o = Other.ScanLine(y);
        for (int x = 3 * (width - 1); x >= 0; x -= 3)
            visit(t + x, o + x);
    }
}

// The three bytes of T := (t x w + o x (Whole - w)) div Whole.
template <int Whole>
inline void BlendPixel(uint8_t* T, const uint8_t* O, int Weight) {
    for (int i = 0; i < 3; ++i)
        T[i] = uint8_t(LabBlend(T[i], O[i], Weight, Whole));
}

// The mid-tone mix shared by the mid-tone and contrast composites; MaskOf
// gives a pixel's mask value.
template <class MaskOf>
void MidToneComposite(TBitmap& Target, const TBitmap& Other, int Gamma, int MaskMix, MaskOf maskOf) {
    SetMidToneLUT(Gamma);
    ForEachPair(Target, Other, [&](uint8_t* t, const uint8_t* o) {
        const int mask = MixMasks(maskOf(t), maskOf(o), MaskMix);
        BlendPixel<127>(t, o, GreenMap[size_t(MidToneIndex(mask))]);
    });
}

// Every pixel of Picture := the grey Value(pixel).
template <class Value>
void GreyPlane(TBitmap& Picture, Value value) {
    ForEachPixel24(Picture, [&](uint8_t* p) {
        const uint8_t grey = uint8_t(std::clamp(value(p), 0, 255));
        p[0] = p[1] = p[2] = grey;
    });
}

THLS PixelHLS(const uint8_t* Pixel) {
    THLS hls;
    RGBToHLS(Pixel[2], Pixel[1], Pixel[0], hls);
    return hls;
}

}  // namespace

void CompositeMaskBitmap(TBitmap& Target, const TBitmap& Other, int Gamma, int MaskMix, bool Invert) {
    SetGammaLUT(Gamma, 1, false);
    ForEachPair(Target, Other, [&](uint8_t* t, const uint8_t* o) {
        int mask = MixMasks(PixelMaskLuminance(t), PixelMaskLuminance(o), MaskMix);
        if (Invert)
            mask = 255 - mask;
        BlendPixel<255>(t, o, GreenMap[size_t(mask)]);
    });
}

void CompositeMidTonesBitmap(TBitmap& Target, const TBitmap& Other, int Gamma, int MaskMix) {
    MidToneComposite(Target, Other, Gamma, MaskMix, PixelMaskLuminance);
}

void CompositeContrastBitmap(TBitmap& Target, const TBitmap& Other, int Gamma, int MaskMix) {
    MidToneComposite(Target, Other, Gamma, MaskMix, ContrastMask);
}

void CompositeGrayBitmap(TBitmap& Target, const TBitmap& Other) {
    CheckPair(Target, Other);
    if (LabEmpty(Target))
        return;
    // Each pixel depends on its own pair only: whole rows at a time.
    for (int y = Target.Height() - 1; y >= 0; --y)
        HLSGrayRow(Target.ScanLine(y), Other.ScanLine(y), Target.Width());
}

void GrayBitmap(TBitmap& Picture) { GreyPlane(Picture, PixelMaskLuminance); }

TWhitePoint FindWhiteMax(const TBitmap& Picture) {
    Require24Bit(Picture);
    THLS best{3599, 0, 3599};
    if (!LabEmpty(Picture)) {
        const int width = Picture.Width();
        for (int y = Picture.Height() - 1; y >= 0; --y) {
            const uint8_t* row = Picture.ScanLine(y);
            for (int x = 3 * (width - 1); x >= 0; x -= 3) {
                const THLS hls = PixelHLS(row + x);
                if (hls.Hue < best.Hue && hls.Saturation < best.Saturation)
                    best = hls;
            }
        }
    }
    TRGBTriple rgb;
    HLSToRGB(best.Hue, best.Lightness, best.Saturation, rgb);
    return {std::clamp(rgb.Red, 0, 255), std::clamp(rgb.Green, 0, 255), std::clamp(rgb.Blue, 0, 255)};
}

void SaturationPlaneBitmap(TBitmap& Picture) {
    GreyPlane(Picture, [](const uint8_t* p) { return PixelHLS(p).Saturation * 255 / 3600; });
}

void HSLmaskBitmap(TBitmap& Picture) {
    GreyPlane(Picture, [](const uint8_t* p) {
        const THLS hls = PixelHLS(p);
        return std::abs(hls.Lightness - hls.Saturation) * 255 / 3600;
    });
}

}  // namespace lumvor
