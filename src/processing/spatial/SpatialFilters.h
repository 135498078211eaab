// The neighbourhood filters' pixel work: the 3 x 3 convolution with its
// kernel presets, the edge-preserving 5 x 5 smoothing and the median filter.
//
// Every filter treats the blue, green and red bytes of a pixel independently
// and computes each output from the picture as it was before the filter (see
// WindowWalk.h). The convolutions keep a border as the window allows it: the
// 3 x 3 filters write rows 1 .. height - 3 and pixels 1 .. width - 2 (so the
// first row and the last two rows keep their values), the 5 x 5 smoothing rows
// 2 .. height - 4 and pixels 2 .. width - 3. The median filter writes every
// pixel, repeating the edge pixels where its window leaves the picture.
//
// 24-bit pictures only (EInvalidGraphic otherwise); empty pictures are left
// alone. Progress, when given, is called once per row written. Headless; GUI
// thread only for the routines that read or fill `SpatialKernel`.
#pragma once

#include "platform/Graphics.h"
#include "processing/spatial/WindowWalk.h"

#include <array>
#include <cstdint>

namespace lumvor {

// The 3 x 3 kernel: the weight at index 3 x c + r multiplies the pixel in
// window column c and row r (0..2 from the top-left); index 4 is the centre.
using TSpatialKernel = std::array<int16_t, 9>;
inline TSpatialKernel SpatialKernel{};

// Convolves with Kernel: each byte := (the nine weighted bytes' sum) div
// Divisor, truncating toward zero, limited to 0..255. A Divisor of 0 leaves
// the picture as it is.
void Spatial3x3Bitmap(TBitmap& Bitmap, const TSpatialKernel& Kernel, int Divisor, const TRowProgress& Progress = {});
// The same convolution of Source written into Target (made a picture of
// Source's size and depth, in its own memory where it can), Source unchanged;
// answers the sum over every byte of the squared change.
int64_t Spatial3x3Into(const TBitmap& Source, TBitmap& Target, const TSpatialKernel& Kernel, int Divisor);

// The presets: each fills `SpatialKernel` and answers its divisor (the sum of
// the weights unless said otherwise).
// All -1, centre 17 - n, divisor 9 - n; n limited to 0..8 (9 would divide by 0).
int SetMeanRemovalKernel(int Strength);
// 0 -1 0 / -1 (9 - n) -1 / 0 -1 0, divisor 5 - n; n limited to 0..4.
int SetHighPassMediumKernel(int Strength);
// 1 -2 1 / -2 8 -2 / 1 -2 1, divisor 4.
int SetHighPassLightKernel();
// 1 2 1 / 2 c 2 / 1 2 1 with c = 32, 16, 8, 6, 5, 4, 3 for levels 1..7; levels
// 8, 9, 10 are near-box kernels summing to 120. Levels are limited to 1..10.
int SetSoftenKernel(int Level);
// 1 b 1 / b c b / 1 b 1 with b = Amount div 25 limited to 1..12 and c the
// smallest weight not below b x b with c x 100 div (4 x b) >= Amount (at most
// 32767). Amounts up to 25 give the 3 x 3 box.
int SetDeFocusKernel(int Amount);

// Edge-preserving smoothing over the 5 x 5 window: where the lightness (0..3600)
// of the centre pixel and of the window's mean colour (each byte the sum div 25)
// differ by less than Threshold, each byte moves towards the mean:
// orig + (mean - orig) x Amount div 255, truncating toward zero.
void SharpGaussianBlur5x5Bitmap(TBitmap& Bitmap, int Threshold, int Amount, const TRowProgress& Progress = {});

// The median filter's window: Size x Size with some cells left out, as the
// half-width of each window row (the kept cells of every row are contiguous).
struct TMedianShape {
    int Size = 3;
    std::array<int, MaxWindowSize> HalfWidth{};
    int Count = 0;  // cells kept
};
// Modes 0 and 1 (and any mode outside 0..9): the 3 x 3 plus; 2: 3 x 3; 3: the
// 5 x 5 plus; 4: the 5 x 5 diamond; 6: 5 x 5; 5, 7, 8: 7 x 7 rounded to 17, 25
// and 37 cells; 9: 7 x 7.
TMedianShape MedianShape(int Mode);

// Each byte := the median of its component under the mode's window (the
// value at index (count - 1) div 2 of the sorted values). With a Threshold T
// other than 0 only a byte c above |4 x T| changes: for T > 0 when c is above
// the median (bright spots), for T < 0 when it is below (dark spots).
void MedianBitmap(TBitmap& Bitmap, int Mode, int Threshold, const TRowProgress& Progress = {});

}  // namespace lumvor
