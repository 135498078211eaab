// Aligning the three colour channels' histogram peaks, which removes a colour
// cast: each channel is shifted so that its most frequent level meets the
// highest of the three peaks, without pushing its top level past 255.
// Headless; any thread.
#pragma once

#include "platform/Graphics.h"
#include "processing/tonal/Histogram.h"

#include <array>
#include <cstdint>

namespace lumvor {

// The highest level i from 254 down to 1 whose count is at least 5 and smaller
// than the count of level i - 1 (a falling edge near the top); 0 when none.
int ChannelTop(const THistogram& Counts);

// The level in Low..High with the largest count[i-1] + count[i] + count[i+1]
// (the first on ties); 0 when every such sum is 0.
int ChannelPeak(const THistogram& Counts, int Low, int High);

// The shifts of red, green and blue that move each channel's peak onto the
// highest peak. The peaks are searched in 16..240 and, while a shift would
// push its channel's top past 255, again in a range narrowed by 8 on each side
// (while the low end stays below 96); a shift still too large is cut to
// 255 - top.
std::array<int, 3> CentreShifts(const THistogram& Red, const THistogram& Green, const THistogram& Blue);

// Every pixel whose HLS saturation (0..3600) is 901 or more becomes black.
// 24-bit pictures only (EInvalidGraphic otherwise).
void WhiteProfileBitmap(TBitmap& Picture);

}  // namespace lumvor
