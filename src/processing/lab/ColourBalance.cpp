#include "processing/lab/ColourBalance.h"

#include "imaging/Helpers.h"
#include "processing/lab/Pixels24.h"
#include "processing/tonal/ColorMaps.h"

#include <algorithm>
#include <cstdlib>

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

void FilmNoirBitmap(TBitmap& Picture, int Level, int Amount, bool Ccd) {
    const int level = std::clamp(Level, 0, 255);
    const int amount = std::clamp(Amount, 0, 255);
    // Every term depends on one byte-sized value: look them up.
    std::array<uint8_t, 256> levelOfSpan{}, greyPart{}, ownPart{};
    for (int v = 0; v < 256; ++v) {
        levelOfSpan[size_t(v)] = uint8_t(level * v / 255);
        greyPart[size_t(v)] = uint8_t(v * amount / 256);
        ownPart[size_t(v)] = uint8_t((255 - amount) * v / 255);
    }
    ForEachPixel24(Picture, [&](uint8_t* pixel) {
        const int red = pixel[2], green = pixel[1], blue = pixel[0];
        int low, high;
        if (Ccd) {
            low = (red + 2 * green + blue) >> 2;
            high = std::min(255, 3 * red / 10 + 6 * green / 10 + blue / 10);
        } else {
            high = std::max({red, green, blue});
            low = std::min({red, green, blue});
        }
        const int span = std::max(std::abs(high - low), 1);
        // The luminance may lie below the CCD mean: keep t between the two either way.
        const int grey = std::clamp(levelOfSpan[size_t(span)] + low, std::min(low, high),
                                    std::max(low, high));
        const int base = greyPart[size_t(grey)];
        for (int i = 0; i < 3; ++i)
            pixel[i] = uint8_t(std::min(255, base + ownPart[pixel[i]]));
    });
}

}  // namespace lumvor
