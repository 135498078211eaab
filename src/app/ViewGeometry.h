// The arithmetic of the image window's view: zoom steps, scroll positions kept
// across a zoom, the scroll box's whole-pixel trimming, fitting and placing the
// picture, sizing and placing the window on the screen, the mouse grid of the
// view tools and the conversions between a selection on the screen and in
// picture pixels. Plain functions over numbers and rectangles, so the window's
// handlers and the tests call the same code; nothing here touches a widget.
#pragma once

#include "platform/Graphics.h"

namespace lumvor::viewgeo {

inline constexpr int MinZoom = 25;
inline constexpr int MaxZoom = 800;
inline constexpr int ZoomStep = 25;

// One step of the zoom buttons: up adds 25 below 800, down subtracts 25 above 25.
int ZoomUp(int zoom);
int ZoomDown(int zoom);
// The zoom typed into the magnification dialog: rounded down to a multiple of 25,
// never below 25.
int ZoomFromAnswer(int answer);
// Whole screen pixels per picture pixel of a zoom: zoom div 100, 0 below 200 %.
int ZoomGrid(int zoom);

// Position as per cent of its range (0 for an empty range).
int ScrollPercent(int position, int range);
// The scroll position after a zoom: the remembered per cent of the new range;
// at n x 100 % (n > 1) a position whose visible part would run past the range
// becomes range - clientSize, and the position is rounded down to a multiple of
// n. Never negative.
int KeptScrollPosition(int percent, int range, int visibleSize, int clientSize, int n);

// How the scroll box fills the view area `view` (Left, Top, Right, Bottom) for
// a control of ctrlWidth x ctrlHeight. Fit mode and media: the whole view, no
// scroll bars, no hand. Zoom mode: scroll bars where the control does not fit;
// the hand can drag the control when it is larger than the view in either
// direction; at n x 100 % the visible part drops its width's and its height's
// remainder modulo n at its left and top edges, so it shows whole picture
// pixels.
struct TScrollBoxLayout {
    TRect Client;  // the visible part, in the form's coordinates
    int TrimLeft = 0;
    int TrimTop = 0;
    bool VertBar = false;
    bool HorzBar = false;
    bool HandAvailable = false;
};
TScrollBoxLayout ScrollBoxLayout(const TRect& view, bool fitOrMedia, int ctrlWidth, int ctrlHeight, int zoom,
                                 int scrollBarWidth);

// The size a fitted picture is shown at in a boxWidth x boxHeight box: fitted
// with its proportions, but its own size when it is smaller than the box in both
// directions and may not be enlarged.
TSize FittedPictureSize(int imageWidth, int imageHeight, int boxWidth, int boxHeight, bool enlarge);
// The display control's bounds (Left, Top, Right, Bottom): in fit mode capped at
// the view and centred in it, otherwise at (0, 0).
TRect PlacedImageBounds(int width, int height, bool fit, int viewWidth, int viewHeight);

// Where a window of width x height goes from (left, top): pulled back so that it
// ends on the screen when keepOnScreen, centred when centre; never negative.
TPoint WindowPlacement(int left, int top, int width, int height, int screenWidth, int screenHeight,
                       bool keepOnScreen, bool centre);
// The window's bounds after it is placed with a width x height size: unchanged
// when it is minimised or hidden, else at WindowPlacement's position.
TRect PlacedWindow(const TRect& window, int width, int height, int screenWidth, int screenHeight, bool keepOnScreen,
                   bool centre, bool minimisedOrHidden);
// The window's bounds at start from its stored bounds: Left and Top at least 0,
// the size capped at the screen; a side below 64 pixels gives half the screen
// (placed as WindowPlacement places it), otherwise the window is moved so that
// it ends on the screen.
TRect FittedSavedBounds(const TRect& saved, int screenWidth, int screenHeight, bool keepOnScreen, bool centre);
// The window's outer size for a picture shown at its own size.
TSize WindowSizeForPicture(int frameWidth, int nonClientHeight, int imageWidth, int imageHeight, int barsHeight,
                           int screenWidth, int screenHeight, int minWidth);

// The media player's bars under the video: the controls' height when they show,
// plus the track bar's, plus the status line's, or -2 in place of the last when
// the status line is hidden.
int MediaBarsHeight(bool controls, bool tracker, bool statusLine, int controlsHeight, int trackerHeight,
                    int statusHeight);

// What the window knows when it sizes itself to the media player.
struct TMediaSizing {
    bool Fit = false;          // fit mode
    bool AudioOnly = false;    // the file's extension names a sound
    bool FullScreenDown = false;
    int VideoWidth = 0;        // 0 when the player knows no video size
    int VideoHeight = 0;
    int DisplaySize = 0;       // 1 halves the video, 2 doubles it
    int ClientWidth = 0;
    int PlayerHeight = 0;
    int MinWidth = 0;          // the window's minimum width
    int FrameWidth = 0;
    int NonClientHeight = 0;
    int BarsHeight = 0;        // MediaBarsHeight
    int PanelsHeight = 0;      // the visible tool, bookmark and status panels
    int ScreenWidth = 0;
    int ScreenHeight = 0;
};
struct TMediaWindowSize {
    TSize Window;
    TSize Video;  // the video size kept by the player afterwards (cleared for sound)
};
TMediaWindowSize MediaWindowSize(const TMediaSizing& m);

// The zoom that shows a w x h region of the picture as large as the picture
// area allows: the largest step of 25 from 100 to 800 at which the zoomed region
// fits the area in both directions, or 100 when none does.
int RegionZoom(int areaWidth, int areaHeight, int regionWidth, int regionHeight);
// The scroll position that brings a region's left (or top) edge to the view's
// edge at a zoom: edge x zoom / 100 rounded down to a multiple of zoom / 100, or
// of 8 for pictures below 8 bits per pixel; never negative.
int RegionScrollPosition(int edge, int zoom, int bitCount);
// The part of the picture on screen, in picture pixels: the scroll positions and
// the client size divided by the zoom ratio, clipped to the picture.
TRect ShownPictureRect(int scrollLeft, int scrollTop, int clientWidth, int clientHeight, int zoom, int imageWidth,
                       int imageHeight);

// The grid a mouse-down point snaps to: zoom div 100, or 8 for 1-bit pictures.
int MouseDownGrid(int zoom, int bitCount);
// The grid the moving corner snaps to: zoom div 100, or 8 below 8 bits per pixel.
int MouseMoveGrid(int zoom, int bitCount);
// value rounded down to a multiple of grid when grid >= minGrid.
int Snap(int value, int grid, int minGrid);

// Left <= Right and Top <= Bottom.
TRect Normalized(const TRect& r);
// A rectangle of the display control in picture pixels: scaled by picture size /
// control size in fit mode, by 100 / zoom otherwise; Right and Bottom capped at
// the picture's size.
TRect ScreenToPicture(const TRect& screen, bool fit, int zoom, int ctrlWidth, int ctrlHeight, int imageWidth,
                      int imageHeight);
// The inverse: a rectangle in picture pixels on the display control.
TRect PictureToScreen(const TRect& picture, bool fit, int zoom, int ctrlWidth, int ctrlHeight, int imageWidth,
                      int imageHeight);

// A selection moved with Ctrl: the screen rectangle at the new top-left corner
// with the previous one's size, and the picture rectangle from that corner with
// the previous picture rectangle's size, pushed back inside the picture and
// clipped. clipped tells that the picture rectangle had to be moved.
struct TMovedSelection {
    TRect Screen;
    TRect Picture;
    bool Clipped = false;
};
TMovedSelection MoveSelection(const TRect& screen, const TRect& previousScreen, const TRect& previousPicture,
                              bool fit, int zoom, int ctrlWidth, int ctrlHeight, int imageWidth, int imageHeight);

// The selection in picture pixels that ShowSelection shows: normalised, and the
// whole picture when it is empty or does not lie inside the picture.
TRect SelectionInsidePicture(const TRect& selection, int imageWidth, int imageHeight);

// One step of a hand drag along one axis: the control's new offset (never
// positive) for a mouse at `mouse` dragged from `origin`; when the offset would
// become positive the origin follows the mouse.
int HandDragOffset(int controlOffset, int& origin, int mouse);

// The reduction (1, 2, 4, 8 or 16) a slide's JPEG is decoded at so that it
// still fills three quarters of the client area (or, fitting the width only,
// the client width and a quarter).
int SlideJpegDivisor(int imageWidth, int imageHeight, int clientWidth, int clientHeight, bool widthOnly);

}  // namespace lumvor::viewgeo
