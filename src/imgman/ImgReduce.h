// The imaging library's colour reducer (ImgReduceColors) and its change of
// pixel depth (ImgIncreaseColors, and the viewer's promotions).
//
// A reduction makes a paletted copy of 2, 16 or 256 colours (1, 4 or 8 bits
// per pixel) of a picture of any depth. The flag values (see imgman.h) mean:
//
//   colours 2 (black and white; the pixels' luminance decides):
//     4 set            error diffusion (Floyd-Steinberg, serpentine rows)
//     else 2 set       ordered dithering (8 x 8 Bayer matrix)
//     else             threshold: luminance 128 and above is white
//   colours 16 or 256:
//     8 set            the palette is the grey ramp of 16 or 256 even steps
//                      (0, 17, ... 255 or 0 ... 255) and the pixels' luminance
//                      is reduced; else the colours themselves are
//     4 clear (0x20)   no dithering: every pixel takes the nearest entry of
//                      the fixed palette: the default 16- or 256-colour
//                      palette of the picture module (or the grey ramp)
//     0x14 Standard    adaptive palette by median cut; ordered dithering
//     0x24             adaptive palette by median cut; error diffusion
//     0x44 Optimal     median-cut palette refined by k-means; error diffusion
//
// A picture with no more distinct colours than asked for gets exactly those
// colours (sorted by colour value) without dithering, so nothing changes.
// Luminance is R x 3 div 10 + G x 6 div 10 + B div 10. "Nearest" is the least
// sum of squared channel differences, the first entry on a tie. Unused
// entries of the colour table are black. Resolution is kept.
//
// Both routines raise EImgError (bad colour count or bit count) or the pixel
// buffer's exceptions; any thread, one picture at a time.
#pragma once

#include "platform/PixelBuffer.h"

#include <cstdint>
#include <vector>

namespace lumvor::imgman {

inline constexpr const char* SInvalidColourCount = "Colours can be reduced to 2, 16 or 256 only, not %d.";

TPixelBuffer ReducePixels(const TPixelBuffer& source, int colours, int32_t flags);

// The picture at `bits` (1, 4, 8 or 24) bits per pixel. Raising an indexed
// picture keeps its colour table (the pixels keep their colours); lowering
// one, or making a 24-bit picture indexed, maps each pixel to the nearest
// entry of the bitmap's default table of that depth (black and white, the 16
// standard colours, the 6 x 6 x 6 cube with 40 greys).
TPixelBuffer ChangeDepth(const TPixelBuffer& source, int bits);

// The adaptive palette ReducePixels uses for 16 or 256 colours (0x10 / 0x20
// median cut, 0x40 refined); at most `colours` colour values.
std::vector<uint32_t> AdaptivePalette(const TPixelBuffer& picture24, int colours, bool refine);

}  // namespace lumvor::imgman
