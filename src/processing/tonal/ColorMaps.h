// Colour maps and tone curves.
//
// Every tonal command works in two steps: a tone-curve setter fills one of the
// three global 256-entry maps, then a colour filter pushes every pixel of a
// 24-bit picture through the maps, one map per component (red through RedMap,
// green through GreenMap, blue through BlueMap). GreenMap doubles as the single
// curve of the one-channel operations (luminance, saturation, the masked
// composites): a setter called with channel 1 prepares it.
//
// Channel numbers: 0 red, 1 green, any other value blue.
//
// Common rules of the setters (i is the input value 0..255):
// - Round is to the nearest integer with ties to even (std::nearbyint); div
//   truncates toward zero; real arithmetic is double.
// - Unless a setter says otherwise, it first sets entry 0 of all three maps to 0
//   (black stays black), then fills entries 1..255 of its channel's map.
// - Entries a formula does not name keep their earlier content.
// - Positions computed from the arguments are written only inside 0..255.
// - Results are stored as bytes limited to 0..255, so no argument can make a
//   setter read or write outside its map.
// The setters never touch a picture; a command fills the maps it needs just
// before it applies them.
//
// Headless; GUI thread only (the maps are plain globals without a lock).
#pragma once

#include "platform/Graphics.h"

#include <array>
#include <cstdint>

namespace lumvor {

using TColorMap = std::array<uint8_t, 256>;
using TWordMap = std::array<uint16_t, 256>;

// The byte maps. All zero at program start; identity after ResetMaps.
inline TColorMap RedMap{};
inline TColorMap GreenMap{};
inline TColorMap BlueMap{};

// The word tables, written only by SetBrightLUTex and read by the colour
// balance filter. All zero at program start.
inline TWordMap RedLUT{};
inline TWordMap GreenLUT{};
inline TWordMap BlueLUT{};

// The byte map or word table of a channel (0 red, 1 green, else blue).
TColorMap& ChannelMap(int Channel);
TWordMap& ChannelLUT(int Channel);

// All three byte maps := identity.
void ResetMaps();
// All maps and word tables := zero, as at program start (for tests).
void ClearMaps();

// ---- Setters

// i + Shift, limited to 0..255.
void SetShiftLUT(int Shift, int Channel);
// Round(i x (Bright + 255) / 255), limited to 0..255.
void SetBrightLUT(int Bright, int Channel);
// Word table: k = ((Bright + 127) x 100) div 127; Round(i x k / 100), at most
// 255 (and not below 0). Entry 0 of all three word tables := 0.
void SetBrightLUTex(int Bright, int Channel);
// Gamma in hundredths: v = Round(255 x exp(ln(i / 255) / g)), g = Gamma / 100.
// Gamma 0 or below is taken as 1. Plain form (Faded false and Gamma >= 100): v.
// Faded form (Faded, or Gamma < 100): (v - i) x (255 - i) div 255 + i, which
// leaves the highlights nearly untouched.
void SetGammaLUT(int Gamma, int Channel, bool Faded);
// An S-curve around the middle grey, gamma in 256ths (256 = none; 0 or below
// taken as 1): for i = 1..128, v = Round(255 x (i / 255)^(256 / Gamma)),
// w = min(255, (v - i) x (255 - i) div 255 + i + 127); map[i + 127] := w and
// map[128 - i] := 255 - w (entry 0 of the channel's map included).
void SetGammaContrastLUT(int Gamma, int Channel);
// Contrast around the middle grey (pivot 127 below, 128 above): positive values
// steepen (127 doubles the slope), negative ones flatten with the factor
// (|Contrast| x 127) div 255; a factor of 127 makes the whole channel map 127
// (entry 0 too) and leaves the other maps alone.
void SetContrastLUT(int Contrast, int Channel);
// Squeezes 0..255 linearly into Low..High for every entry 0..255 (High < Low
// inverts): Round(i x (High - Low) / 255) + Low. Only the channel's map.
void SetSupressLUT(int Low, int High, int Channel);
// Stretches Low..High to 0..255: entries 0..Low := 0, High..255 := 255, then
// map[Low + j] := Round(j x 255 / (High - Low)) for j = 0..High-Low-1. With
// Low >= High the map is 0 below High and 255 from High on. Only the channel's map.
void SetStretchLUT(int Low, int High, int Channel);
// Lower part of a limit curve: entries 0..Black := 0, then map[Black + j] :=
// Round(j x Pivot / (Pivot - Black)) for j = 0..Pivot-Black-1; entries from
// Pivot on keep their content.
void SetLoRemap(int Black, int Pivot, int Channel);
// Upper part of a limit curve: entries White..255 := 255, then map[Pivot + j] :=
// min(255, Round(j x (255 - Pivot) / (White - Pivot)) + Pivot) for
// j = 0..White-Pivot-1; entries below Pivot keep their content.
void SetHiRemap(int White, int Pivot, int Channel);
// The parametric equaliser, a raised half-sine bump of half-width Width centred
// on Centre: boost for Gain > 0, cut for Gain < 0. Gain 0 resets all three maps
// to identity. Width 0 is taken as 1. Only the channel's map otherwise (every
// entry rewritten).
void SetEqLUT(int Centre, int Width, int Gain, int Channel);
// Midtone gamma in hundredths (0 or below taken as 1) on the lower half of
// GreenMap: GreenMap[i] := Round(127 x (i / 127)^(100 / Gamma)) for i = 1..127,
// GreenMap[0] := 0; entries 128..255 keep their content.
void SetMidToneLUT(int Gamma);

// ---- Filters on 24-bit pictures
//
// Each throws EInvalidGraphic for a picture that is neither empty nor 24-bit,
// and leaves an empty one alone.

// Every byte through the map of its component, in place.
void ApplyColorMaps(TBitmap& Bitmap, const TColorMap& Red, const TColorMap& Green, const TColorMap& Blue);
// ApplyColorMaps with RedMap, GreenMap and BlueMap.
void ColorFilterBitmap(TBitmap& Bitmap);
// The point-mirrored curves: each byte b becomes 255 - Map[255 - b], so a curve
// prepared for the shadows acts on the highlights.
void NegColorFilterBitmap(TBitmap& Bitmap);

}  // namespace lumvor
