// Rules every Lab routine shares for its pixels.
//
// The Lab routines take 24-bit pictures only: rows of blue, green, red bytes,
// reached through ScanLine and RowBytes. Callers convert a picture first (the
// command frame's SetBitmap24); a routine handed any other depth throws instead
// of reading three bytes per pixel of a narrower row.
//
// Blends: the helper below mixes a value with a second version of itself with
// one division, so that two equal inputs come back unchanged whatever the
// weight. Routines whose recorded scripts rely on two separate truncating
// divisions (a x w div W + b x (W - w) div W) keep those in their own code.
#pragma once

#include "platform/Graphics.h"

#include <algorithm>
#include <cstdint>

namespace lumvor {

// True when the bitmap has no pixels (width or height 0): Lab routines leave it alone.
bool LabEmpty(const TBitmap& Bitmap);

// Throws EInvalidGraphic unless the bitmap is empty or has 24 bits per pixel.
void Require24Bit(const TBitmap& Bitmap);

// Calls Visit(uint8_t* Pixel) for every pixel of a 24-bit bitmap, from the last
// row to the first and within a row from the last pixel to the first; Pixel
// points at its blue byte (then green, then red). Throws as Require24Bit.
template <class Visit>
void ForEachPixel24(TBitmap& Bitmap, Visit&& visit) {
    Require24Bit(Bitmap);
    if (LabEmpty(Bitmap))
        return;
    const int width = Bitmap.Width();
    for (int y = Bitmap.Height() - 1; y >= 0; --y) {
        uint8_t* row = Bitmap.ScanLine(y);
        for (int x = width - 1; x >= 0; --x)
            visit(row + 3 * x);
    }
}

// (A x Weight + B x (Whole - Weight)) div Whole, limited to 0..255: A where
// Weight = Whole, B where Weight = 0, and A when A = B for every weight.
// Whole must be positive; a Whole of 0 or below answers B.
inline int LabBlend(int A, int B, int Weight, int Whole) {
    if (Whole <= 0)
        return std::clamp(B, 0, 255);
    const int64_t mixed = (int64_t(A) * Weight + int64_t(B) * (int64_t(Whole) - Weight)) / Whole;
    return int(std::clamp<int64_t>(mixed, 0, 255));
}

}  // namespace lumvor
