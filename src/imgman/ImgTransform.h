// Mirroring and turning of the imaging library's pictures (ImgMirror, ImgRotate).
//
// Angles are in hundredths of a degree, anticlockwise as the picture is seen,
// taken modulo 36000 (negative angles turn clockwise).
//
// Flips and turns by a multiple of 9000 move pixels without changing them: 1-,
// 4-, 8- and 24-bit pictures keep their depth and colour table (and a quarter
// turn swaps the horizontal and vertical resolution).
//
// Any other angle resamples: each target pixel centre is mapped back into the
// source and sampled bilinearly between the four nearest source pixels (8 bits
// of weight per axis, rounded). Neighbours outside the picture count as the
// fill colour, so the edges blend smoothly into it. The target is the bounding
// box of the turned picture, both turned about their centres:
//     width'  = ceil(w |cos a| + h |sin a|),  height' = ceil(w |sin a| + h |cos a|)
// (a sum within a millionth above a whole number counts as that number; at
// least 1). A paletted picture turned by such an angle comes back at 24 bits.
//
// Pure pixel routines: no handles, no error texts; they raise EInvalidGraphic
// when the result is beyond the picture limits and EOutOfMemory when memory
// cannot be had. Any thread.
#pragma once

#include "platform/PixelBuffer.h"

#include <cstdint>

namespace lumvor::imgman {

// Mirrors in place: vertical turns the picture top to bottom, horizontal left
// to right (both: a half turn).
void MirrorPixels(TPixelBuffer& pixels, bool vertical, bool horizontal);

// The size of the box a width x height picture turned by `angle` fills (see above).
struct TTurnedSize {
    int Width = 0;
    int Height = 0;
};
TTurnedSize TurnedSize(int width, int height, int angle);

// A copy turned by `angle`; uncovered parts take the colour value `fill`
// (blue in the low byte).
TPixelBuffer RotatePixels(const TPixelBuffer& source, int angle, uint32_t fill);

}  // namespace lumvor::imgman
