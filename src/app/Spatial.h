// The neighbourhood filters on a picture control: the viewer picture (Daz95)
// or a dialog's preview. The pixel work is in SpatialFilters.h; these add what
// a filter on a shown picture needs: the hourglass, the status-bar progress of
// the viewer picture (one update per row), the picture's paint and canvas
// locks (released on every way out) and the ending that repaints the picture
// and, for the viewer picture, marks it changed and shows "Ready.".
//
// They drive the image window's progress bar and ending, so they are defined
// beside it (src/app/lumv8900_spatial.cpp). Pictures must be 24-bit (the
// commands' frame converts the viewer picture first). GUI thread only.
#pragma once

namespace lumvor {

class TPix;

// Convolves with `SpatialKernel` and the divisor (0: no change); the first
// line, the last two lines and the first and last pixel of each line keep
// their values.
void Spatial3x3(TPix* Pix, int Divisor);
// The kernel presets of SpatialFilters.h through Spatial3x3.
void MeanRemoval(TPix* Pix, int Strength);
void HighPassMedium(TPix* Pix, int Strength);
void HighPassLight(TPix* Pix);
void Soften(TPix* Pix, int Level);
void DeFocus(TPix* Pix, int Amount);

// Edge-preserving 5 x 5 smoothing: a pixel whose lightness (0..3600) differs
// from its window mean's by less than Threshold moves towards the mean by
// Amount / 255.
void SharpGaussianBlur5x5(TPix* Pix, int Threshold, int Amount);

// The median filter of window Mode (0..9) and outlier Threshold (0: plain
// median), on every pixel.
void Median(TPix* Pix, int Mode, int Threshold);

// The structure filters of StructureFilters.h on a picture control.
void GaussianBlur3x3(TPix* Pix, int Threshold, int Divisor, bool SkipCentre);
void DeMosaic2x2(TPix* Pix, bool Diagonal);
void DeScreen5x5(TPix* Pix, int Mode);
// Mosaic tiles of N x N; Repaint repaints the picture control afterwards. The
// viewer picture is marked changed.
void Tile(TPix* Pix, int N, bool Repaint);
// Random colours on a share of the pixels: FilterCustom1..3 are the red, green
// and blue ranges, the program's generator (Random) draws.
void RandomNoise(TPix* Pix);

}  // namespace lumvor
