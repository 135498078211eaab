// The filters that reshape a picture's fine structure: the thresholded 3 x 3
// mean, the 2 x 2 de-pixelation, the 5 x 5 descreening kernels, the mosaic
// tiles, red-eye removal and random noise.
//
// Every filter treats the blue, green and red bytes of a pixel independently
// (except red eye) and computes each output from the picture as it was before
// the filter. 24-bit pictures only (EInvalidGraphic otherwise); empty pictures
// are left alone. Progress, when given, is called once per row written.
// Headless; any thread.
#pragma once

#include "platform/Graphics.h"
#include "processing/spatial/WindowWalk.h"

#include <array>
#include <cstdint>
#include <functional>

namespace lumvor {

// The thresholded 3 x 3 mean: v := (the nine bytes' sum, without the centre
// when SkipCentre) div Divisor, at most 255; a byte that differs from v by more
// than Threshold becomes v. Rows 1 .. height - 3 and pixels 1 .. width - 2 are
// filtered; pictures of fewer than 4 rows are left alone. Divisor > 0.
void GaussianBlur3x3Bitmap(TBitmap& Bitmap, int Threshold, int Divisor, bool SkipCentre,
                           const TRowProgress& Progress = {});
// The same blur of Source written into Target (made a picture of Source's
// size and depth, in its own memory where it can), Source unchanged; answers
// the sum over every byte of the squared change (SumSquaredDifferences of the
// two pictures afterwards).
int64_t GaussianBlur3x3Into(const TBitmap& Source, TBitmap& Target, int Threshold, int Divisor, bool SkipCentre);

// Weighted 2 x 2 averages written to pairs of rows y, y + 1 (y = 0, 2, 4, ...
// while y < height - 3): byte x + 3 of both rows := (t[x] + 2 b[x] + 2 t[x+3] +
// b[x+3]) div 6 when Diagonal, else (2 t[x] + b[x] + t[x+3] + 2 b[x+3]) div 6,
// with t and b the pair's top and bottom rows. Pixel 0 keeps its value.
void DeMosaic2x2Bitmap(TBitmap& Bitmap, bool Diagonal, const TRowProgress& Progress = {});

// The descreening kernels by mode (a mode of 3 or more counts as 2): weights
// by window row and column, and their divisor.
struct TDeScreenKernel {
    std::array<std::array<int, 5>, 5> Weights{};
    int Divisor = 1;
};
const TDeScreenKernel& DeScreenKernel(int Mode);

// The 5 x 5 weighted mean of the mode's kernel, at most 255, on rows 2 ..
// height - 4 and pixels 2 .. width - 3; pictures narrower than 5 or lower than
// 6 pixels are left alone.
void DeScreen5x5Bitmap(TBitmap& Bitmap, int Mode, const TRowProgress& Progress = {});

// Mosaic tiles of N x N pixels (N >= 1). For block rows y = 0, N, 2N, ... while
// y < height - 1 and block starts x = 0, N, 2N, ... while 3x < 3 width - 7, a
// block's colour is the mean (sum div N x N) of its N x N pixels, where a row
// beyond the bottom is the last row and a column beyond the right edge is
// mirrored back into the block. The colour is written to the block's pixels of
// row y, then row y is copied into the block row's other rows; so the last
// columns of some widths keep row y's colours. Progress counts block rows.
void TileBitmap(TBitmap& Bitmap, int N, const TRowProgress& Progress = {});

// Red-eye removal over rows Top .. Bottom (Top .. Bottom - 2 when the area is
// more than 4 rows high) and pixels Left .. Right - 1, cut to the picture:
// a red byte above both others by more than 8 becomes the larger of them; then
// every red byte above 0 drops by 1.
void RedEyeBitmap(TBitmap& Bitmap, const TRect& Area);

// Replaces a share max(ranges) / 255 of the pixels by random colours: draws
// r1 for each pixel (rows from the last, pixels from the right); when r1 x 255 <
// the largest range, red, green and blue := Trunc(r x range) with three further
// draws. Draw answers a value in [0, 1).
void RandomNoiseBitmap(TBitmap& Bitmap, int RedRange, int GreenRange, int BlueRange,
                       const std::function<double()>& Draw);

// JPEG artefacts: the picture encoded at Quality (limited to 1..255; the codec
// takes at most 100) with the codec's standard settings and decoded back at full
// size. A codec error is swallowed: the picture then holds what the decoder
// produced, or stays as it was when encoding failed.
void AddArtifactBitmap(TBitmap& Bitmap, int Quality);

}  // namespace lumvor
