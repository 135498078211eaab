// Colour masks and the edge mask: pixels selected by a box of hue, lightness
// and saturation (or of red, green and blue) around a chosen colour, and the
// blends of a picture with its partner that these selections steer.
//
// A colour box arrives packed, one 32-bit value per component: the centre in
// the low 16 bits, the tolerance in the high 16 bits (read as an unsigned
// value, so a negative number never shifts in sign bits). Hue, lightness and
// saturation are those of RGBToHLS (0..3600). A value lies inside the box when
// centre - tolerance < value < centre + tolerance (strict on both sides, so a
// tolerance of 0 selects nothing).
//
// Everything works in place on 24-bit bitmaps (blue, green, red bytes;
// EInvalidGraphic for any other depth) and leaves empty ones alone. The
// two-picture routines raise EInvalidGraphic when the partner is not a 24-bit
// picture of the same size: callers check first. Rows are visited from the
// last to the first. Headless; any thread.
#pragma once

#include "platform/Graphics.h"
#include "processing/tonal/ColorMaps.h"

#include <cstdint>

namespace lumvor {

// The centres of the last unpacked hue-lightness-saturation box.
inline int32_t MaskHueCentre = 0;
inline int32_t MaskLitCentre = 0;
inline int32_t MaskSatCentre = 0;

struct TColourBox {
    int32_t HueCentre = 0;
    int32_t LitCentre = 0;
    int32_t SatCentre = 0;
    int32_t HueTolerance = 0;
    int32_t LitTolerance = 0;
    int32_t SatTolerance = 0;
};

// The box of three packed values (centre: low 16 bits, tolerance: high 16 bits).
TColourBox UnpackColourBox(int32_t Hue, int32_t Lightness, int32_t Saturation);

// The centre (low 16 bits) and tolerance (high 16 bits) of one packed value.
inline int32_t PackedCentre(int32_t Packed) { return int32_t(uint32_t(Packed) & 0xFFFFu); }
inline int32_t PackedTolerance(int32_t Packed) { return int32_t(uint32_t(Packed) >> 16); }

// Whether an HLS triple lies inside the box (strict).
bool InColourBox(const TColourBox& Box, int32_t Hue, int32_t Lightness, int32_t Saturation);

// A colour as red, green, blue bytes.
struct TMaskColour {
    uint8_t Red = 255;
    uint8_t Green = 255;
    uint8_t Blue = 255;
};

// Per pixel: with Quantize each byte keeps its high four bits first; the
// output starts as that pixel, or black with Black. Without Invert a pixel
// inside the box becomes Selected and the others the output; with Invert the
// reverse (inside: the output, outside: Selected). White as Selected gives the
// black-and-white mask of the masking commands.
void MaskColoursBitmap(TBitmap& Picture, const TColourBox& Box, bool Invert, bool Black, bool Quantize,
                       TMaskColour Selected = {});

// The colour-mask composite: m := 255 inside the box, else the squared HLS
// distance to the centre x 255 div 38,880,000 limited to 0..255 (the hue
// distance is not taken round the circle); without Keep m := 255 - m; w :=
// 255 - m; every byte := p x w div 255 + (255 - w) x d div 255, limited.
void ColourMaskBitmap(TBitmap& Picture, const TBitmap& Partner, const TColourBox& Box, bool Keep);

// The RGB box mask: centres the low 8 bits of each packed value, tolerances
// the high 16 bits; |c - centre| < tolerance for all three components is
// inside. With Select inside pixels become white and the others black; without
// the reverse.
void MaskRGBBitmap(TBitmap& Picture, bool Select, int32_t Red, int32_t Green, int32_t Blue);

// Every pixel whose three bytes the maps leave unchanged stays; every other
// pixel becomes Colour.
void ParametricMaskBitmap(TBitmap& Picture, const TColorMap& Red, const TColorMap& Green, const TColorMap& Blue,
                          TMaskColour Colour);

// The edge mask: for every pixel of rows 2 .. H-4 and columns 2 .. W-3 the
// 5 x 5 window mean of the unchanged picture is compared with the pixel: when
// their lightnesses differ by less than Threshold (a flat area) each byte :=
// (255 - Weight) x p div 255 + d x Weight div 255, at most 255; edges stay.
// Progress(row, rows) is called once per row written when given.
void MaskEdgesBitmap(TBitmap& Picture, const TBitmap& Partner, int32_t Threshold, int32_t Weight,
                     const std::function<void(int, int)>& Progress = {});

// The airbrush: a smoothed copy takes, for every pixel of rows 2 .. H-4 and
// columns 2 .. W-3, its 5 x 5 window mean (each byte sum div 25) where the
// lightnesses of mean and pixel differ by less than 255; then every pixel whose
// colour, with the low four bits of each byte dropped, lies inside Box takes
// the smoothed pixel. A box of tolerance 0 changes nothing. Progress counts the
// smoothing's rows.
void AirBrushBitmap(TBitmap& Picture, const TColourBox& Box, const std::function<void(int, int)>& Progress = {});

}  // namespace lumvor
