#include "processing/lab/ColourBalance.h"

#include "imaging/Helpers.h"
#include "processing/lab/Pixels24.h"
#include "processing/tonal/ColorMaps.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace lumvor {

namespace {

// The squared distance of black from white: 3 x 255^2.
constexpr int64_t WhiteDistanceMax = 195075;
// The largest saturation the defog boost may reach.
constexpr int32_t DefogSaturationMax = 3599;

uint8_t Byte(int Value) { return uint8_t(std::clamp(Value, 0, 255)); }

}  // namespace

void NormalizeChannelsBitmap(TBitmap& Picture, const TChannelTarget& Target) {
    Require24Bit(Picture);
    ResetMaps();
    CalcHistogram(Picture, false, true, false);
    // Normalising one channel leaves the others' sums valid, so one count serves all three.
    for (int channel = 0; channel < 3; ++channel) {
        const TNormalizeTarget target = Target(channel, ChannelStats(channel));
        NormalizeBitmap(Picture, channel, target.Mean, target.Deviation);
    }
}

void WhiteBalanceBitmap(TBitmap& Picture, const std::array<int32_t, 3>& Offsets) {
    NormalizeChannelsBitmap(Picture, [&](int channel, const TRoundedStats& stats) {
        return TNormalizeTarget{stats.Mean + Offsets[size_t(channel)], stats.Deviation};
    });
}

void SetZeroShiftMaps() {
    const THistogram* histograms[3] = {&HistR, &HistG, &HistB};
    for (int channel = 0; channel < 3; ++channel)
        SetShiftLUT(-FirstOccupiedLevel(*histograms[channel]), channel);
}

void DefogBitmap(TBitmap& Picture, int Strength, int Boost) {
    const int64_t strength = std::clamp(Strength, 0, 255);
    const int64_t boost = std::clamp(Boost, 0, 255);
    ForEachPixel24(Picture, [&](uint8_t* pixel) {
        const int red = pixel[2], green = pixel[1], blue = pixel[0];
        const int64_t distance = int64_t(255 - red) * (255 - red) + int64_t(255 - green) * (255 - green) +
                                 int64_t(255 - blue) * (255 - blue);
        THLS hls;
        RGBToHLS(red, green, blue, hls);
        const int64_t gain = hls.Saturation * distance / WhiteDistanceMax * boost / 128;
        const int32_t saturation = int32_t(std::clamp<int64_t>(hls.Saturation + gain, 0, DefogSaturationMax));
        TRGBTriple rgb;
        HLSToRGB(hls.Hue, hls.Lightness, saturation, rgb);
        const int64_t darkest = std::min({rgb.Red, rgb.Green, rgb.Blue});
        const int64_t grey = (darkest * distance / WhiteDistanceMax) & 255;
        const int taken = int(grey * strength / 255);
        pixel[2] = Byte(rgb.Red - taken);
        pixel[1] = Byte(rgb.Green - taken);
        pixel[0] = Byte(rgb.Blue - taken);
    });
}

namespace {

// The grey part t x Amount div 256 of every pair (lo, hi), indexed lo shl 8 or hi:
// t := Level x span div 255 + lo, span = |hi - lo| (at least 1), held between lo
// and hi (the CCD luminance may be the smaller of the two).
std::vector<uint8_t> FilmGreyParts(int Level, int Amount) {
    std::vector<uint8_t> parts(256 * 256);
    for (int low = 0; low < 256; ++low)
        for (int high = 0; high < 256; ++high) {
            const int span = std::max(std::abs(high - low), 1);
            const int grey = std::clamp(Level * span / 255 + low, std::min(low, high), std::max(low, high));
            parts[size_t(low << 8 | high)] = uint8_t(grey * Amount / 256);
        }
    return parts;
}

}  // namespace

void FilmNoirBitmap(TBitmap& Picture, int Level, int Amount, bool Ccd) {
    const int amount = std::clamp(Amount, 0, 255);
    const std::vector<uint8_t> greyParts = FilmGreyParts(std::clamp(Level, 0, 255), amount);
    // The component's own part and the CCD luminance's three terms, looked up.
    std::array<uint8_t, 256> ownPart{}, redTerm{}, greenTerm{}, blueTerm{};
    for (int v = 0; v < 256; ++v) {
        ownPart[size_t(v)] = uint8_t((255 - amount) * v / 255);
        redTerm[size_t(v)] = uint8_t(3 * v / 10);
        greenTerm[size_t(v)] = uint8_t(6 * v / 10);
        blueTerm[size_t(v)] = uint8_t(v / 10);
    }
    const auto paint = [&](uint8_t* pixel, int low, int high) {
        const int base = greyParts[size_t(low << 8 | high)];
        for (int i = 0; i < 3; ++i)
            pixel[i] = uint8_t(std::min(255, base + ownPart[pixel[i]]));
    };
    if (Ccd) {
        ForEachPixel24(Picture, [&](uint8_t* pixel) {
            const int red = pixel[2], green = pixel[1], blue = pixel[0];
            // The three terms add up to 254 at most.
            paint(pixel, (red + 2 * green + blue) >> 2, redTerm[size_t(red)] + greenTerm[size_t(green)] + blueTerm[size_t(blue)]);
        });
        return;
    }
    ForEachPixel24(Picture, [&](uint8_t* pixel) {
        paint(pixel, std::min({pixel[0], pixel[1], pixel[2]}), std::max({pixel[0], pixel[1], pixel[2]}));
    });
}

}  // namespace lumvor
