// The image window's own size changes of 24-bit pictures: a nearest-neighbour
// copy by fixed index rules and a 2 x 2 block average, and the two routines
// built from them.
//
// Index rules of the copy, for a W x H source and a w x h target: target row
// y takes source row (H x y) div h and target column x takes source column
// (W x x) div (w - 1), both limited to the last source row or column. The
// column divisor w - 1 makes the last target column take the last source
// column; a target one pixel wide takes column 0. Recorded scripts replay
// these rules, so they stay as they are.
//
// Every routine takes and gives 24-bit bitmaps (rows of blue, green, red);
// another depth raises EInvalidGraphic (Require24Bit), as does a target size
// beyond the picture limits. An empty source gives an empty target. The
// target is a bitmap of its own, never the source. Headless; any thread, one
// picture at a time.
#pragma once

#include "platform/Graphics.h"

namespace lumvor {

// Target := a Width x Height nearest-neighbour copy of Source.
void InterpolateCopy(const TBitmap& Source, TBitmap& Target, int Width, int Height);

// Each 2 x 2 block (rows 0-1, 2-3, ..., columns likewise) takes, byte by
// byte, the sum of its four pixels shr 2 in all four pixels. An odd last row
// or column is left as it is.
void Average2x2(TBitmap& Bitmap);

// Distilling: Source copied to DoubleWidth x DoubleHeight, block averaged,
// then copied to Width x Height. With the double size 2w x 2h every target
// pixel is the mean, rounded down, of one block.
void Distill2x2Copy(const TBitmap& Source, TBitmap& Target, int DoubleWidth, int DoubleHeight, int Width,
                    int Height);

// The copy at Width x Height, then block averaged.
void Interpolate2x2Copy(const TBitmap& Source, TBitmap& Target, int Width, int Height);

}  // namespace lumvor
