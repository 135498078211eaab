// The three brightness measures of the editing commands.
//
// They differ in their rounding and range, and recorded scripts depend on each
// of them exactly, so every caller picks the one its command uses by name:
//
// - HistogramLuminance: (30 R + 60 G + 10 B) div 100, one truncation, 0..255.
//   The histogram, its statistics and everything measured from them.
// - GreyLuminance: R x 3 div 10 + G x 6 div 10 + B div 10, three separate
//   truncations, 0..254 (white gives 76 + 153 + 25). The masks, the grey
//   conversions and the white-point measures.
// - HLSLightness: the lightness of RGBToHLS on the 0..3600 scale,
//   ((max + min) x 3600 + 255) div 510 (RGBToLightness). The
//   hue-lightness-saturation filters.
//
// Components are bytes 0..255. Headless; any thread.
#pragma once

#include "imaging/Helpers.h"

#include <algorithm>

namespace lumvor {

inline int HistogramLuminance(int R, int G, int B) { return std::min(255, (30 * R + 60 * G + 10 * B) / 100); }

inline int GreyLuminance(int R, int G, int B) { return R * 3 / 10 + G * 6 / 10 + B / 10; }

inline int HLSLightness(int R, int G, int B) {
    THLS hls;
    RGBToLightness(R, G, B, hls);
    return hls.Lightness;
}

}  // namespace lumvor
