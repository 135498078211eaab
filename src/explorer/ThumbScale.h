// Placing a picture in a thumbnail cell: the fitted rectangle, the
// nearest-neighbour stretch and the in-place shrinks.
//
// Everything here is headless and thread-safe: the routines work on the
// pixel buffers they are given and touch no global state, so the explorer's
// makers on the GUI thread and the thumbnail worker threads share them.
//
// A cell is a 24-bit picture of ThumbCellWidth x ThumbCellHeight pixels (blue,
// green, red; rows top-down). A picture is fitted into ThumbFitWidth x
// ThumbFitHeight with FitSizeInBoxEx (aspect kept, small pictures enlarged)
// and centred: x = (168 - fitted width) / 2, y = (126 - fitted height) / 2,
// rounded down.
//
// Sampling of the stretch: a picture of sw x sh pixels stretched into a
// rectangle of w x h pixels gives destination pixel (x, y) the source pixel
//   (((2x + 1) * sw) div (2w), ((2y + 1) * sh) div (2h)),
// the source pixel under the centre of the destination pixel (the pixels
// ImageMagick's -sample picks). Every source depth is read: 1, 4 and 8 bits
// through the colour table, 15 and 16 bits as 5-5-5 and 5-6-5 words, 24 and
// 32 bits directly.
//
// The shrinks follow their own index formula (below), which keeps the first
// and the last column and row of the picture.
#pragma once

#include "platform/Graphics.h"
#include "platform/PixelBuffer.h"

#include <cstdint>

namespace lumvor {

inline constexpr int32_t ThumbCellWidth = 168;
inline constexpr int32_t ThumbCellHeight = 126;
inline constexpr int32_t ThumbFitWidth = 166;
inline constexpr int32_t ThumbFitHeight = 124;

// Where a picture of width x height pixels goes in the cell: FitSizeInBoxEx
// into 166 x 124 (a side that would round to 0 becomes 1), centred. Empty for
// a picture without pixels.
TRect ThumbFitRect(int32_t width, int32_t height);

// A white 24-bit cell of 168 x 126 pixels in `cell` (reusing its memory when it
// has that size and depth already).
void FillWhiteCell(TBitmap& cell);

// Stretches the whole of `source` into `dest` (a rectangle of the 24-bit
// picture `target`, clipped to it) by the sampling rule above. Each
// destination pixel is written once; the source is read through row pointers.
void StretchNearest(const TPixelBuffer& source, TPixelBuffer& target, const TRect& dest);

// Copies the top-left width x height pixels of `source` unscaled into the
// 24-bit picture `target` at (x, y), clipped to both pictures.
void CopyUnscaled(const TPixelBuffer& source, int32_t width, int32_t height, TPixelBuffer& target, int32_t x,
                  int32_t y);

// Nearest-neighbour reduction of a picture of 8 bits or more to fitWidth x
// fitHeight, in place: destination row y takes source row
// min((height - 1) * y div fitHeight, height - 1), copied to a row buffer
// first; destination column x, from the right, takes source column
// min((width - 1) * x div (fitWidth - 1), width - 1). The result occupies
// the top-left fitWidth x fitHeight rectangle; the rest is left as it was.
// Needs 1 <= fitWidth <= width and 1 <= fitHeight < height (or both heights 1),
// which holds for any picture larger than the cell; false (and nothing
// changed) otherwise, and for pictures below 8 bits.
bool ShrinkDibInPlace(TPixelBuffer& picture, int32_t fitWidth, int32_t fitHeight);
// The same for a class-library bitmap; it is made 24-bit first when it is not.
bool ShrinkBitmapInPlace(TBitmap& bitmap, int32_t fitWidth, int32_t fitHeight);

}  // namespace lumvor
