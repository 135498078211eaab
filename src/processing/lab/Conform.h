// Statistics-driven tone corrections: each colour channel's mean and spread
// moved to a target (normalise), to a stored reference (conform data), as far
// as the range allows (optimise), or a gamma curve steered until the mean
// reaches a target; the two luminance-weighted balance filters; the hard
// limits.
//
// The routines work on a 24-bit picture through the colour maps (ColorMaps.h)
// and read the histogram sums (Histogram.h) that the caller computed on the
// same picture, except the gamma searches, which measure the picture
// themselves. Everything throws EInvalidGraphic for a picture of another depth
// and leaves an empty one alone. GUI thread only (maps and sums are global).
#pragma once

#include "platform/Graphics.h"
#include "processing/tonal/ColorMaps.h"
#include "processing/tonal/Histogram.h"

#include <array>
#include <cstdint>
#include <functional>

namespace lumvor {

// Channels of NormalizeBitmap: 0 red, 1 green, 2 blue, -1 lightness, -2 saturation.
inline constexpr int NormalizeLightness = -1;
inline constexpr int NormalizeSaturation = -2;

// A reference picture's statistics: the rounded means of red, green, blue,
// luminance and saturation, then their rounded standard deviations.
struct TConformData {
    std::array<int32_t, 10> Values{};
    int32_t Mean(int Index) const { return Values[Index]; }
    int32_t Deviation(int Index) const { return Values[5 + Index]; }
};
inline TConformData ConformData{};
// Set by every road that fills ConformData; until then using them does nothing.
inline bool ConformDataTaken = false;

// The statistics of the last CalcHistogram with sums and saturation, rounded.
TConformData ConformDataFromHistogram();
// The rounded mean and deviation of one channel of NormalizeBitmap (red,
// green, blue, lightness or saturation) from the last histogram's sums.
TRoundedStats NormalizeChannelStats(int Channel);

// The map that moves a channel of mean Mean and deviation Deviation (0 taken as
// 1) to TargetMean and TargetDeviation: entry 0 := 0, entry i := trunc of
// (i - Mean) / Deviation x TargetDeviation + TargetMean limited to 0..255.
void FillNormalizeMap(TColorMap& Map, double Mean, double Deviation, double TargetMean, double TargetDeviation);

// ResetMaps, then the channel's map (GreenMap for lightness and saturation)
// from the channel's histogram sums and the targets, each limited to 1..255;
// applied with the colour maps, the lightness filter or the saturation filter.
void NormalizeBitmap(TBitmap& Picture, int Channel, int32_t TargetMean, int32_t TargetDeviation);

// ResetMaps; red, green and blue mapped to the means and deviations in Data
// (not limited) from the histogram sums; the colour maps applied.
void NormalizeRGBBitmap(TBitmap& Picture, const TConformData& Data);

// The mean and deviation of the channel whose sum HistSumMax holds, rounded;
// then red, green and blue normalised to them.
void NormalizeToBrightestBitmap(TBitmap& Picture);

// Widens each channel's spread as far as it fits: for red, green, blue the
// mean m and deviation s from the sums; a := 0, k := 0; while m + a + s + k
// stays below 255 and m - (a + s + k) above 1: a := k / 2, k := k + 1; then
// NormalizeBitmap to round(m + a), round(s + k). Answers the last targets.
struct TNormalizeTarget {
    int32_t Mean = 0;
    int32_t Deviation = 0;
};
TNormalizeTarget OptimizeBitmap(TBitmap& Picture);

// Reports each pass of a gamma search: the gammas tried (one, or one per
// channel) and the means measured after them.
using TGammaPassLog = std::function<void(const std::array<int, 3>& Gammas, const std::array<int, 3>& Means)>;

// Steers a gamma curve (through BalanceGammaFilterBitmap) until the mid-tone
// mean is within 2 of Target (limited to 1..255): 150 when the target is above
// the mean, else 75, then a quarter more or less per pass, each pass from the
// unchanged picture, while the gamma stays inside 25..250.
void ConformGammaBitmap(TBitmap& Picture, int32_t Target, const TGammaPassLog& Log = {});

// The same per channel with plain gamma curves on red, green and blue towards
// the three target means; a channel that reached its target (or the gamma
// limits) keeps its last gamma while the others go on.
void ConformGammaRGBBitmap(TBitmap& Picture, std::array<int32_t, 3> Targets, const TGammaPassLog& Log = {});

// Every byte v := v x Y div 255 + (255 - Y) x GreenMap[v] div 255, at most 255,
// with Y the pixel's mask luminance: GreenMap acts fully on black, not at all
// on white.
void BalanceGammaFilterBitmap(TBitmap& Picture);

// The word tables' colour of each pixel, scaled so that its brightest channel
// is 255 (unless all are 0), through HLS and back, mixed into the pixel by its
// mask luminance Y: v := Y x v' div 255 + v x (255 - Y) div 255.
void BalanceFilterBitmap(TBitmap& Picture);

// The hard limits of Method 400 (all channels), 401 red, 402 green, 403 blue:
// ResetMaps first (so no earlier curve leaks into the entries a limit does not
// write); a low limit SetLoRemap(Black, Pivot) applied when Pivot - Black > 3,
// then a high limit SetHiRemap(White, Pivot) on the same maps applied when
// White - Pivot > 3.
void HardLimitBitmap(TBitmap& Picture, int Method, int32_t Black, int32_t Pivot, int32_t White);

// The parametric equaliser's maps: all three back to identity (a gain of 0),
// then the band around Centre of Width levels lifted by Gain on Channel (0
// red, 1 green, 2 blue; 3 all three).
void SetParametricEqMaps(int Centre, int Width, int Gain, int Channel);

}  // namespace lumvor
