// Text marks and borders painted into a picture: the pixel work of the image
// window's text-mark, border and letterbox commands. Headless; GUI thread only
// (text goes through the picture's canvas and its font).
#pragma once

#include "platform/Graphics.h"

#include <string>

namespace lumvor {

// The corners of a text mark, as the menu items' Tags number them.
enum TTextMarkCorner { tmTopLeft = 0, tmTopRight = 1, tmBottomLeft = 2, tmBottomRight = 3 };

// Pictures narrower than this get no text mark.
constexpr int TextMarkMinWidth = 32;

// The text with its macros replaced, each at its first occurrence only, found
// without regard to case, in this order: "@@D" DateTime, "@@C" the copyright
// sign, "@@F" the file's name without folder and extension (left as written
// when FileName is empty).
std::string ExpandTextMarkMacros(std::string Text, const std::string& DateTime, const std::string& FileName);

// The current date and time in the system's short date and long time formats.
std::string TextMarkDateTime();

// Draws one line of (already expanded) text into the corner's band, in the
// canvas font: first nine times in the outline colour, the band moved by 0..2
// pixels each way, then once in the font's colour moved by (1, 1). Nothing on
// pictures narrower than TextMarkMinWidth. The picture must be 24-bit.
void DrawTextMark(TBitmap& Picture, const std::string& Text, int Corner, TColor OutlineColor);

// Paints the bands (0, 0)-(W, Height), (0, H - Height)-(W, H), (0, 0)-(Side, H)
// and (W - Side, 0)-(W, H) in the colour.
void PaintBorder(TBitmap& Picture, TColor Color, int Side, int Height);
// Paints (0, 0)-(W, Top) and (0, H - Bottom)-(W, H) in the colour.
void PaintLetterbox(TBitmap& Picture, TColor Color, int Top, int Bottom);

}  // namespace lumvor
