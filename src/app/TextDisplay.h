// Where the image window's text display lays its read-only text control, and
// the caption band of slide comments. Plain functions over numbers (client
// coordinates: the window's area below its menu bar), shared by the window
// and its tests.
#pragma once

#include "platform/Graphics.h"

namespace lumvor::textdisplay {

// Height of the text area that a slide show forces for text slides, and of
// the caption band of a slide's comment.
inline constexpr int ShowTextBandHeight = 48;
inline constexpr int CaptionBandHeight = 24;

struct TTextAreaInput {
    int ScreenWidth = 0, ScreenHeight = 0;
    int ClientWidth = 0, ClientHeight = 0;
    bool SlideshowRunning = false;
    int TextPosition = 0;  // 0 auto, 1 top, 2 bottom
    int X = -1, Y = -1;    // left and top; X -1 centres
    int Width = 0, Height = 0;  // the area's size when both are positive
    int Zoom = 100;        // per cent of the screen when no size is given
};

// The text area: the screen size, or the caption band of a show with a text
// position; the given size when both are positive, else the zoom's share of
// the screen; limited to the client area; centred when X is -1 or the area
// does not fit at (X, Y).
TRect TextArea(const TTextAreaInput& in);

// The comment band of a slide: the full client width, CaptionBandHeight high,
// at the bottom, or at the top when TextPosition is 1.
TRect CaptionBand(int ClientWidth, int ClientHeight, int TextPosition);

}  // namespace lumvor::textdisplay
