// The pieces of the exposure and contrast fixes that need no window: the black
// and white points suggested from the luminance histogram, the remap of red,
// green and blue relative to their own statistics, and the script lines the
// nineteen methods record.
//
// The slider values reach the methods as c1, c2, c3 (the dialog's three
// custom values); the remap methods offset the picture's own mean by c1 - 128
// and its spread by c2 - 64. GUI thread only (histogram and maps are global).
#pragma once

#include "platform/Graphics.h"
#include "processing/tonal/Histogram.h"

#include <cstdint>
#include <functional>
#include <string>

namespace lumvor {

// The black point (first run of four occupied luminance levels from below)
// and the white point (from above; 254 becomes 255) of the last histogram;
// 0 and 255 without such runs.
THistRange SuggestedExposureLevels();

// The remap methods' offsets from the sliders: mean c1 - 128, spread c2 - 64.
inline int32_t RemapMeanOffset(int32_t C1) { return C1 - 128; }
inline int32_t RemapSpreadOffset(int32_t C2) { return C2 - 64; }

// Red, green and blue each moved to its own mean + MeanOffset and spread +
// SpreadOffset, the statistics read from the last histogram's sums (of the
// same picture, or of the picture Picture was cut from).
void MapRGBBitmap(TBitmap& Picture, int32_t MeanOffset, int32_t SpreadOffset);

// The three values the dialog returned and its two further results.
struct TExposureValues {
    int32_t C1 = 0;
    int32_t C2 = 0;
    int32_t C3 = 0;
    int32_t Extra1 = 0;
    int32_t Extra2 = 0;
};

// The line a method records for its masked variant (the blend value not 0);
// empty for a method without one.
std::string MaskedExposureLine(int32_t Method, const TExposureValues& Values);

// Sees each line of the exposure fixes just before it is recorded; an
// exception raised here passes out of the method as a failure inside it
// would. For tests.
inline std::function<void(const std::string& Line)> ExposureLineProbe;

}  // namespace lumvor
