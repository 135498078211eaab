// Lightness-only unsharp masks over a 3 x 3 or 5 x 5 window.
//
// For every pixel the window mean (each byte the window's sum div N x N) is
// taken; when the pixel's lightness L (0..3600) and the mean's Lm differ by
// more than Threshold, the lightness is pushed away from the mean:
// L + 2 (L - Lm) Amount div 255, kept within 0..3600, with the pixel's hue and
// saturation. The pixel's bytes go to RGBToHLS and come back from HLSToRGB in
// storage order (blue first); both conversions use the same order, so hue and
// saturation survive. Pixels at or under the threshold keep their bytes; those
// above it make the HLS round trip even when Amount is 0.
//
// Borders as the window allows: the 3 x 3 mask writes rows 1 .. height - 3 and
// pixels 1 .. width - 2, the 5 x 5 masks rows 2 .. height - 4 and pixels
// 2 .. width - 3; the rest keeps its values.
//
// 24-bit pictures only (EInvalidGraphic otherwise); empty pictures are left
// alone. Progress, when given, is called once per row written. Headless; any
// thread.
#pragma once

#include "platform/Graphics.h"
#include "processing/spatial/WindowWalk.h"

namespace lumvor {

void UnSharpMask3x3Bitmap(TBitmap& Bitmap, int Threshold, int Amount, const TRowProgress& Progress = {});
void UnSharpMask5x5Bitmap(TBitmap& Bitmap, int Threshold, int Amount, const TRowProgress& Progress = {});
// The 5 x 5 mask computed plainly, each window's 25 values summed one by one;
// its results equal UnSharpMask5x5Bitmap's.
void UnSharpMaskReferenceBitmap(TBitmap& Bitmap, int Threshold, int Amount, const TRowProgress& Progress = {});

}  // namespace lumvor
