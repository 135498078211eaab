// Whole rows of 24-bit pixels through the HLS conversions of imaging/HLS.h,
// eight pixels at a time where the processor has AVX2. The results are those
// of the per-pixel conversions, bit for bit.
#pragma once

#include <cstdint>

namespace lumvor {

// Each of the Width pixels of Target (bytes blue, green, red) becomes the
// colour of Target's lightness with Other's hue and saturation:
// HLSToRGB(Other.Hue, Target.Lightness, Other.Saturation).
void HLSGrayRow(uint8_t* Target, const uint8_t* Other, int Width);

namespace hls_rows {
// The two forms HLSGrayRow chooses between, for the tests.
void GrayRowPortable(uint8_t* Target, const uint8_t* Other, int Width);
void GrayRowAvx2(uint8_t* Target, const uint8_t* Other, int Width);
bool HaveAvx2();
}  // namespace hls_rows

}  // namespace lumvor
