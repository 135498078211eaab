// The rectangle rules of region selection: where the marquee dialog starts,
// which saved rectangles a cancelled dialog puts back, a grid cell as a
// selection, and where the zoom tool zooms. Plain functions over numbers and
// rectangles (Left, Top, Right, Bottom; Right and Bottom exclusive unless said
// otherwise), so the window's handlers and the tests call the same code.
#pragma once

#include "platform/Graphics.h"

namespace lumvor::regiongeo {

// Grid presets need a picture of at least this many pixels each way.
inline constexpr int MinGridPictureSide = 64;
// A zoom-tool marquee zooms to its region only when it is wider and higher
// than this many screen pixels; a smaller one is a click.
inline constexpr int ZoomClickMarquee = 16;

// The rectangle the marquee dialog starts from: the stored selection
// normalised, or the whole picture when Shift is held, when no marquee was
// anchored (its bottom below 1), when the stored rectangle's bottom is 0 or
// when it reaches outside the picture. Width and height never exceed the
// picture's.
TRect MarqueeStartRect(const TRect& selection, int marqueeBottom, bool shift, int imageWidth, int imageHeight);

// Whether a cancelled marquee dialog puts a saved rectangle back: not when the
// rectangle reaches past the picture both to the right and below.
bool SavedRectRestorable(const TRect& saved, int imageWidth, int imageHeight);

// The size dialog's answer (origin and size) as a selection.
TRect MarqueeAnswerRect(int x, int y, int width, int height);

// Whether a picture is large enough for the grid presets.
bool GridPresetsAllowed(int imageWidth, int imageHeight);

// A grid cell (Right and Bottom inclusive, as the grid dialog gives it) as a
// selection: Right and Bottom each grow by one pixel while they are below the
// picture's width or height, so the last cell reaches the picture's edge.
TRect GridCellSelection(const TRect& cell, int imageWidth, int imageHeight);

// Whether a zoom-tool marquee (display-control pixels, Bottom -1 = none) asks
// to zoom into its region rather than around the click.
bool MarqueeZoomsToRegion(const TRect& marquee);

// A point of the display control in picture pixels: scaled by bitmap size /
// control size (0 for an empty control).
TPoint ClickInPicture(int clickX, int clickY, int bitmapWidth, int bitmapHeight, int displayWidth,
                      int displayHeight);

// The scroll position that centres a point in an area: point - half the area,
// never negative.
int CentredScrollPosition(int point, int area);

}  // namespace lumvor::regiongeo
