#include "processing/tonal/HLSFilters.h"

#include "imaging/Helpers.h"
#include "processing/lab/Pixels24.h"
#include "processing/tonal/ColorMaps.h"
#include "processing/tonal/Luminance.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace lumvor {

namespace {

constexpr int FullScale = 3600;

// The hue shifted and wrapped into 0..3600 as a single wrap would do for a
// shift within one turn (a result of exactly 3600 stays 3600); larger shifts
// wrap by whole turns instead of leaving the range.
int WrapHue(int64_t Hue) {
    if (Hue < 0)
        return int((Hue % FullScale + FullScale) % FullScale);
    if (Hue > FullScale) {
        const int rest = int(Hue % FullScale);
        return rest == 0 ? FullScale : rest;
    }
    return int(Hue);
}

int LimitScale(int64_t Value) { return int(std::clamp<int64_t>(Value, 0, FullScale)); }

uint8_t CapByte(int32_t Value) { return uint8_t(std::clamp(Value, 0, 255)); }

THLS PixelHLS(const uint8_t* Pixel) {
    THLS hls;
    RGBToHLS(Pixel[2], Pixel[1], Pixel[0], hls);
    return hls;
}

void StorePixel(uint8_t* Pixel, int H, int L, int S) {
    TRGBTriple rgb;
    HLSToRGB(H, L, S, rgb);
    Pixel[0] = CapByte(rgb.Blue);
    Pixel[1] = CapByte(rgb.Green);
    Pixel[2] = CapByte(rgb.Red);
}

// The 0..3600 value each 0..3600 value becomes through the 8-bit step and the
// given maps (applied in order).
std::array<int, FullScale + 1> ScaleCurve(std::initializer_list<const TColorMap*> Maps) {
    std::array<int, FullScale + 1> curve{};
    for (int v = 0; v <= FullScale; ++v) {
        int m = std::min(255, v * 255 / FullScale);
        for (const TColorMap* map : Maps)
            m = (*map)[size_t(m)];
        curve[size_t(v)] = m * FullScale / 255;
    }
    return curve;
}

}  // namespace

void ColorTuneHLSBitmap(TBitmap& Bitmap, int dH, int dL, int dS) {
    ForEachPixel24(Bitmap, [&](uint8_t* pixel) {
        const THLS hls = PixelHLS(pixel);
        StorePixel(pixel, WrapHue(int64_t(hls.Hue) + dH), LimitScale(int64_t(hls.Lightness) + dL),
                   LimitScale(int64_t(hls.Saturation) + dS));
    });
}

void SaturationFilterBitmap(TBitmap& Bitmap) {
    const auto curve = ScaleCurve({&GreenMap, &BlueMap});
    ForEachPixel24(Bitmap, [&](uint8_t* pixel) {
        const THLS hls = PixelHLS(pixel);
        StorePixel(pixel, hls.Hue, hls.Lightness, curve[size_t(LimitScale(hls.Saturation))]);
    });
}

void LuminanceFilterBitmap(TBitmap& Bitmap) {
    const auto curve = ScaleCurve({&GreenMap});
    ForEachPixel24(Bitmap, [&](uint8_t* pixel) {
        const THLS hls = PixelHLS(pixel);
        StorePixel(pixel, hls.Hue, curve[size_t(LimitScale(hls.Lightness))], hls.Saturation);
    });
}

void MultiplyLuminanceBitmap(TBitmap& Bitmap) {
    ForEachPixel24(Bitmap, [](uint8_t* pixel) {
        const THLS hls = PixelHLS(pixel);
        StorePixel(pixel, hls.Hue, LimitScale(int64_t(hls.Lightness) * hls.Lightness / FullScale), hls.Saturation);
    });
}

void UnCookBitmap(TBitmap& Bitmap) {
    ForEachPixel24(Bitmap, [](uint8_t* pixel) {
        const THLS hls = PixelHLS(pixel);
        const int darkest = std::min({pixel[0], pixel[1], pixel[2]});
        const int grey = HLSLightness(darkest, darkest, darkest);
        TRGBTriple rgb;
        HLSToRGB(hls.Hue, LimitScale(int64_t(grey) * grey / FullScale), hls.Saturation, rgb);
        pixel[0] = uint8_t((pixel[0] + CapByte(rgb.Blue)) >> 1);
        pixel[1] = uint8_t((pixel[1] + CapByte(rgb.Green)) >> 1);
        pixel[2] = uint8_t((pixel[2] + CapByte(rgb.Red)) >> 1);
    });
}

void InvertBitmap(TBitmap& Bitmap) {
    Require24Bit(Bitmap);
    if (LabEmpty(Bitmap))
        return;
    const int bytes = 3 * Bitmap.Width();
    for (int y = 0; y < Bitmap.Height(); ++y) {
        uint8_t* row = Bitmap.ScanLine(y);
        for (int x = 0; x < bytes; ++x)
            row[x] = uint8_t(~row[x]);
    }
}

}  // namespace lumvor
