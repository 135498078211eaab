// The block Copy Selection and Crop take from the picture, and its pixels.
//
// Headless; GUI thread only like every editing routine.
#pragma once

#include "platform/Graphics.h"
#include "platform/PixelBuffer.h"

namespace lumvor {

// The block of picture pixels a selection covers (Right and Bottom exclusive):
// its corners put in order (Left <= Right, Top <= Bottom), then clamped to the
// picture on every side, so a selection reaching left of or above the picture
// starts at its edge. Empty (Width() or Height() <= 0) when nothing of the
// picture is covered.
TRect CropBlock(const TRect& selection, int imageWidth, int imageHeight);

// A copy of `block` (inside the picture, not empty) of the pixels: a 1-, 4- or
// 8-bit picture (bitCount 1, 4 or 8, the pixels of that depth) keeps its depth
// and colour table; any other depth gives 24 bits. Raises EInvalidGraphic or
// EOutOfMemory when the copy cannot be made.
TPixelBuffer CropPixels(const TPixelBuffer& pixels, const TRect& block, int bitCount);

}  // namespace lumvor
