// The bins the histogram counts for each pixel, a row at a time, eight pixels
// at a time where the processor has AVX2 (the results are the same, bit for
// bit):
// - the luminance bin, HistogramLuminance (Luminance.h);
// - the saturation bin, min(S x 255 div 3600, 255) of RGBToHLS;
// - the hue bin, min(H x 255 div 3600, 255) of RGBToHLS.
// Headless; any thread.
#pragma once

#include <cstdint>

namespace lumvor {

// The bins of the Width pixels at Pixels (bytes blue, green, red): Lum[x],
// Sat[x] and Hue[x] for pixel x. Sat and Hue may be null when not wanted.
void HistogramBinsRow(const uint8_t* Pixels, int Width, uint8_t* Lum, uint8_t* Sat, uint8_t* Hue);

namespace histogram_bins {
// The two forms HistogramBinsRow chooses between, for the tests.
void BinsRowPortable(const uint8_t* Pixels, int Width, uint8_t* Lum, uint8_t* Sat, uint8_t* Hue);
void BinsRowAvx2(const uint8_t* Pixels, int Width, uint8_t* Lum, uint8_t* Sat, uint8_t* Hue);
}  // namespace histogram_bins

}  // namespace lumvor
