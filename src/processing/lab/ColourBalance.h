// Colour casts and colour strength: each channel's mean moved on its own
// (white balance, per-channel targets, one common target), each black point
// shifted to 0 (zero shift), haze removal (defog) and the pull of every pixel
// toward a grey level between its darkest and brightest component (the
// natural film look, also the two grey conversions RGBMIN and RGBMAX).
//
// The routines work on 24-bit pictures (EInvalidGraphic for another depth; an
// empty picture is left alone). The channel routines use the global colour
// maps and histogram (ColorMaps.h, Histogram.h): GUI thread only.
#pragma once

#include "platform/Graphics.h"
#include "processing/lab/Conform.h"
#include "processing/tonal/Histogram.h"

#include <array>
#include <cstdint>
#include <functional>

namespace lumvor {

// The target of channel Channel (0 red, 1 green, 2 blue) from its own rounded
// statistics.
using TChannelTarget = std::function<TNormalizeTarget(int Channel, const TRoundedStats& Stats)>;

// ResetMaps and the picture's histogram with sums (no saturation, no hue);
// then red, green and blue in turn normalised (NormalizeBitmap) to the
// targets Target answers from each channel's statistics before the change.
void NormalizeChannelsBitmap(TBitmap& Picture, const TChannelTarget& Target);

// White balance: each channel's mean moved by its offset, its spread kept.
void WhiteBalanceBitmap(TBitmap& Picture, const std::array<int32_t, 3>& Offsets);

// The colour maps of the zero shift from the last histogram: channel k's map
// shifts its first occupied level (FirstOccupiedLevel) down to 0.
void SetZeroShiftMaps();

// Haze removal. With d the squared distance of a pixel from white (0..K,
// K = 3 x 255^2), its HLS saturation s grows by (s x d div K) x Boost / 128
// (at most 3599), and after the conversion back the share Strength / 255 of
// ((its smallest component x d div K) and 255) is taken off every component.
// Pure white is left alone; dark, saturated pixels change most.
void DefogBitmap(TBitmap& Picture, int Strength, int Boost);

// The natural film look. For each pixel a grey level t between lo and hi:
// CCD off: the smallest and largest component; CCD on: (r + 2g + b) shr 2 and
// the luminance 3r div 10 + 6g div 10 + b div 10 (at most 255), which may be
// the smaller of the two. t := Level x span div 255 + lo (span = |hi - lo|,
// at least 1), kept between the two; each component x becomes
// min(255, t x Amount div 256 + (255 - Amount) x x div 255).
void FilmNoirBitmap(TBitmap& Picture, int Level, int Amount, bool Ccd);

}  // namespace lumvor
