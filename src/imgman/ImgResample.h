// Scaled copies of the imaging library's pictures (ImgCopy).
#pragma once

#include "platform/Graphics.h"
#include "platform/PixelBuffer.h"

#include <cstdint>

namespace lumvor::imgman {

// A width x height copy of the rectangle `rect` of source (right and bottom
// exclusive, already clipped to the source and not empty) by the method of
// `flags` (see the ImgCopy flags in imgman.h):
// - nearest: each target pixel takes the source pixel under its centre; the
//   depth and colour table stay;
// - smooth: per axis the area average when shrinking and linear
//   interpolation between pixel centres when enlarging, rounded to the
//   nearest value; 8-bit grey for sources whose colour table is all grey,
//   24 bits otherwise;
// - grey reduction: smooth into 8-bit grey for grey sources;
// - preserve black or white: black-and-white sources keep the detail of the
//   kept colour (deeper sources are sampled as by nearest).
// Raises EInvalidGraphic for a size beyond the picture limits.
TPixelBuffer ResamplePixels(const TPixelBuffer& source, const TRect& rect, int width, int height, int32_t flags);

}  // namespace lumvor::imgman
