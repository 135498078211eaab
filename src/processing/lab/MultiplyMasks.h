// The multiply masks: each colour component blended with its own square
// (c x c div 255, which darkens) under a mask taken from the luminance
// through GreenMap. MultiplyMaskBitmap darkens washed-out areas;
// BoostMultiplyMaskBitmap does the same on the inverted components and so
// lifts dark areas.
//
// Both fill GreenMap with SetGammaLUT(Gamma, 1, plain) first (and leave it
// filled). Per pixel, with squares q = c x c div 255, the luminance indexes
// Ls = q_R x 3 div 10 + q_G x 6 div 10 + q_B div 10 and
// Lp = R x 3 div 10 + G x 6 div 10 + B div 10:
//   Mode 0, Invert 0:     m = GreenMap[Ls],       c := (255 - m) x c div 255 + m x q div 255
//   Mode 0, Invert on:    m = GreenMap[255 - Ls], c := m x c div 255 + (255 - m) x q div 255
//   Mode on, Invert 0:    m = GreenMap[Lp],       c := m x c div 255 + (255 - m) x q div 255
//   Mode on, Invert on:   m = GreenMap[255 - Lp], c := m x c div 255 + (255 - m) x q div 255
// Each product is divided on its own (two truncating divisions), results
// limited to 255. Rows from the last to the first, pixels from the last to the
// first. In place on 24-bit bitmaps (EInvalidGraphic for any other depth); an
// empty bitmap is left alone. GUI thread only (GreenMap is global).
#pragma once

#include "platform/Graphics.h"

#include <array>
#include <cstdint>

namespace lumvor {

// The new (R, G, B) of one pixel under the table above, with GreenMap as it is.
std::array<uint8_t, 3> MultiplyMaskPixel(uint8_t Red, uint8_t Green, uint8_t Blue, int Mode, int Invert);

void MultiplyMaskBitmap(TBitmap& Picture, int Gamma, int Mode, int Invert);

// The same table on c' = 255 - c, stored as 255 - the result.
void BoostMultiplyMaskBitmap(TBitmap& Picture, int Gamma, int Mode, int Invert);

}  // namespace lumvor
