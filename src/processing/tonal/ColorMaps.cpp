#include "processing/tonal/ColorMaps.h"

#include "processing/lab/Pixels24.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace lumvor {

namespace {

// Round with ties to even, limited to Low..High. Limiting first is the same as
// limiting after rounding (the bounds are whole numbers), and keeps huge or
// undefined values away from the integer conversion.
int64_t ClampRound(double Value, int64_t Low, int64_t High) {
    if (!(Value >= double(Low)))
        return Low;
    if (Value > double(High))
        return High;
    return int64_t(std::nearbyint(Value));
}

// Bounds for intermediate results that are limited to a byte later.
constexpr int64_t Huge = int64_t(1) << 52;

uint8_t ToByte(int64_t Value) { return uint8_t(std::clamp<int64_t>(Value, 0, 255)); }

// Entry 0 of all three maps := 0 (the common first step of most setters).
void ZeroEntry0() { RedMap[0] = GreenMap[0] = BlueMap[0] = 0; }

// Writes Value at Position when it lies inside the map.
void Put(TColorMap& Map, int64_t Position, uint8_t Value) {
    if (Position >= 0 && Position <= 255)
        Map[size_t(Position)] = Value;
}

// Sets positions From..To (inclusive, limited to the map) to Value.
void Fill(TColorMap& Map, int64_t From, int64_t To, uint8_t Value) {
    for (int64_t i = std::max<int64_t>(From, 0); i <= std::min<int64_t>(To, 255); ++i)
        Map[size_t(i)] = Value;
}

// The ruled gamma: 0 or below counts as 1, which the formulas can divide by.
int PositiveGamma(int Gamma) { return Gamma <= 0 ? 1 : Gamma; }

// (v - i) x (255 - i) div 255 + i: the gamma curve faded toward the highlights.
int64_t FadeCurve(int64_t v, int i) { return (v - i) * (255 - i) / 255 + i; }

}  // namespace

TColorMap& ChannelMap(int Channel) { return Channel == 0 ? RedMap : Channel == 1 ? GreenMap : BlueMap; }

TWordMap& ChannelLUT(int Channel) { return Channel == 0 ? RedLUT : Channel == 1 ? GreenLUT : BlueLUT; }

void ResetMaps() {
    for (int i = 0; i < 256; ++i)
        RedMap[size_t(i)] = GreenMap[size_t(i)] = BlueMap[size_t(i)] = uint8_t(i);
}

void ClearMaps() {
    RedMap.fill(0);
    GreenMap.fill(0);
    BlueMap.fill(0);
    RedLUT.fill(0);
    GreenLUT.fill(0);
    BlueLUT.fill(0);
}

void SetShiftLUT(int Shift, int Channel) {
    ZeroEntry0();
    TColorMap& map = ChannelMap(Channel);
    for (int i = 1; i < 256; ++i)
        map[size_t(i)] = ToByte(int64_t(i) + Shift);
}

void SetBrightLUT(int Bright, int Channel) {
    ZeroEntry0();
    TColorMap& map = ChannelMap(Channel);
    const double factor = (double(Bright) + 255) / 255;
    for (int i = 1; i < 256; ++i)
        map[size_t(i)] = uint8_t(ClampRound(i * factor, 0, 255));
}

void SetBrightLUTex(int Bright, int Channel) {
    RedLUT[0] = GreenLUT[0] = BlueLUT[0] = 0;
    TWordMap& table = ChannelLUT(Channel);
    const int64_t k = (int64_t(Bright) + 127) * 100 / 127;
    const double factor = double(k) * 0.01;
    for (int i = 1; i < 256; ++i)
        table[size_t(i)] = uint16_t(ClampRound(i * factor, 0, 255));
}

void SetGammaLUT(int Gamma, int Channel, bool Faded) {
    ZeroEntry0();
    TColorMap& map = ChannelMap(Channel);
    const int gamma = PositiveGamma(Gamma);
    const double g = gamma / 100.0;
    const bool faded = Faded || gamma < 100;
    for (int i = 1; i < 256; ++i) {
        const int64_t v = ClampRound(255 * std::exp(std::log(i / 255.0) / g), 0, 255);
        map[size_t(i)] = ToByte(faded ? FadeCurve(v, i) : v);
    }
}

void SetGammaContrastLUT(int Gamma, int Channel) {
    ZeroEntry0();
    TColorMap& map = ChannelMap(Channel);
    const double g = PositiveGamma(Gamma) / 256.0;
    for (int i = 1; i <= 128; ++i) {
        const int64_t v = ClampRound(255 * std::pow(i / 255.0, 1 / g), 0, 255);
        const int64_t w = std::min<int64_t>(255, FadeCurve(v, i) + 127);
        map[size_t(i + 127)] = uint8_t(w);
        map[size_t(128 - i)] = uint8_t(255 - w);
    }
}

void SetContrastLUT(int Contrast, int Channel) {
    TColorMap& map = ChannelMap(Channel);
    const bool flatten = Contrast < 0;
    int64_t k = Contrast;
    if (flatten) {
        k = -int64_t(Contrast) * 127 / 255;
        if (k == 127) {
            map.fill(127);
            return;
        }
    }
    ZeroEntry0();
    for (int i = 1; i < 256; ++i) {
        double x;
        if (i > 127) {
            const double step = double((i - 128) * k) / 127;
            x = flatten ? std::max(i - step, 128.0) : i + step;
        } else {
            const double step = double((127 - i) * k) / 127;
            x = flatten ? std::min(i + step, 128.0) : i - step;
        }
        map[size_t(i)] = uint8_t(ClampRound(x, 0, 255));
    }
}

void SetSupressLUT(int Low, int High, int Channel) {
    TColorMap& map = ChannelMap(Channel);
    const int64_t range = int64_t(High) - Low;
    for (int i = 0; i < 256; ++i)
        map[size_t(i)] = ToByte(ClampRound(double(i * range) / 255, -Huge, Huge) + Low);
}

void SetStretchLUT(int Low, int High, int Channel) {
    TColorMap& map = ChannelMap(Channel);
    Fill(map, INT64_MIN, Low, 0);
    Fill(map, High, 255, 255);
    const int64_t range = int64_t(High) - Low;
    for (int64_t j = std::max<int64_t>(0, -int64_t(Low)); j < range && Low + j <= 255; ++j)
        Put(map, Low + j, uint8_t(ClampRound(double(j * 255) / double(range), 0, 255)));
}

void SetLoRemap(int Black, int Pivot, int Channel) {
    TColorMap& map = ChannelMap(Channel);
    Fill(map, INT64_MIN, Black, 0);
    const int64_t range = int64_t(Pivot) - Black;
    for (int64_t j = std::max<int64_t>(0, -int64_t(Black)); j < range && Black + j <= 255; ++j)
        Put(map, Black + j, uint8_t(ClampRound(double(j * Pivot) / double(range), 0, 255)));
}

void SetHiRemap(int White, int Pivot, int Channel) {
    TColorMap& map = ChannelMap(Channel);
    Fill(map, White, 255, 255);
    const int64_t range = int64_t(White) - Pivot;
    for (int64_t j = std::max<int64_t>(0, -int64_t(Pivot)); j < range && Pivot + j <= 255; ++j) {
        const double rise = double(j * (255 - int64_t(Pivot))) / double(range);
        Put(map, Pivot + j, ToByte(std::min<int64_t>(255, ClampRound(rise, -Huge, Huge) + Pivot)));
    }
}

void SetEqLUT(int Centre, int Width, int Gain, int Channel) {
    if (Gain == 0) {
        ResetMaps();
        return;
    }
    TColorMap& map = ChannelMap(Channel);
    const int64_t width = Width == 0 ? 1 : Width;
    const int64_t low = Centre - width, high = Centre + width, span = high - low;
    const int64_t peak = std::clamp<int64_t>(int64_t(Centre) + std::abs(int64_t(Gain)), 0, 255);
    // The bump's height at each position (0 outside the bump).
    std::array<int64_t, 256> bump{};
    for (int64_t i = std::max<int64_t>(low, 0); i <= std::min<int64_t>(high, 255); ++i) {
        const double height = std::sin(std::numbers::pi * double(i - low) / double(span)) * double(peak - low);
        bump[size_t(i)] = std::clamp<int64_t>(int64_t(std::trunc(height)), 0, 255);
    }
    for (int i = 0; i < 256; ++i) {
        const int64_t d = bump[size_t(i)] * bump[size_t(i)] / 255;
        map[size_t(i)] = ToByte(Gain > 0 ? i + d : i - d);
    }
}

void SetMidToneLUT(int Gamma) {
    GreenMap[0] = 0;
    const double g = PositiveGamma(Gamma) / 100.0;
    for (int i = 1; i < 128; ++i)
        GreenMap[size_t(i)] = uint8_t(ClampRound(127 * std::pow(i / 127.0, 1 / g), 0, 255));
}

void ApplyColorMaps(TBitmap& Bitmap, const TColorMap& Red, const TColorMap& Green, const TColorMap& Blue) {
    ForEachPixel24(Bitmap, [&](uint8_t* pixel) {
        pixel[0] = Blue[pixel[0]];
        pixel[1] = Green[pixel[1]];
        pixel[2] = Red[pixel[2]];
    });
}

void ColorFilterBitmap(TBitmap& Bitmap) { ApplyColorMaps(Bitmap, RedMap, GreenMap, BlueMap); }

void NegColorFilterBitmap(TBitmap& Bitmap) {
    TColorMap red, green, blue;
    for (int b = 0; b < 256; ++b) {
        red[size_t(b)] = uint8_t(255 - RedMap[size_t(255 - b)]);
        green[size_t(b)] = uint8_t(255 - GreenMap[size_t(255 - b)]);
        blue[size_t(b)] = uint8_t(255 - BlueMap[size_t(255 - b)]);
    }
    ApplyColorMaps(Bitmap, red, green, blue);
}

}  // namespace lumvor
