#include "app/RegionGeometry.h"

#include "app/ViewGeometry.h"

#include <algorithm>
#include <cstdint>

namespace lumvor::regiongeo {

namespace {

int ScaledCoordinate(int value, int numerator, int denominator) {
    if (denominator <= 0)
        return 0;
    return static_cast<int>(int64_t{value} * numerator / denominator);
}

}  // namespace

TRect MarqueeStartRect(const TRect& selection, int marqueeBottom, bool shift, int imageWidth, int imageHeight) {
    const TRect r = viewgeo::Normalized(selection);
    const bool inside = r.Left >= 0 && r.Top >= 0 && r.Right <= imageWidth && r.Bottom <= imageHeight;
    if (shift || marqueeBottom < 1 || r.Bottom == 0 || !inside)
        return Rect(0, 0, imageWidth, imageHeight);
    const int width = std::min(r.Width(), imageWidth);
    const int height = std::min(r.Height(), imageHeight);
    return Rect(r.Left, r.Top, r.Left + width, r.Top + height);
}

bool SavedRectRestorable(const TRect& saved, int imageWidth, int imageHeight) {
    return !(saved.Right > imageWidth && saved.Bottom > imageHeight);
}

TRect MarqueeAnswerRect(int x, int y, int width, int height) { return Rect(x, y, x + width, y + height); }

bool GridPresetsAllowed(int imageWidth, int imageHeight) {
    return imageWidth >= MinGridPictureSide && imageHeight >= MinGridPictureSide;
}

TRect GridCellSelection(const TRect& cell, int imageWidth, int imageHeight) {
    TRect r = cell;
    if (r.Right < imageWidth)
        ++r.Right;
    if (r.Bottom < imageHeight)
        ++r.Bottom;
    return r;
}

bool MarqueeZoomsToRegion(const TRect& marquee) {
    if (marquee.Bottom == -1)
        return false;
    const TRect r = viewgeo::Normalized(marquee);
    return r.Width() > ZoomClickMarquee && r.Height() > ZoomClickMarquee;
}

TPoint ClickInPicture(int clickX, int clickY, int bitmapWidth, int bitmapHeight, int displayWidth,
                      int displayHeight) {
    return Point(ScaledCoordinate(clickX, bitmapWidth, displayWidth),
                 ScaledCoordinate(clickY, bitmapHeight, displayHeight));
}

int CentredScrollPosition(int point, int area) { return std::max(0, point - area / 2); }

}  // namespace lumvor::regiongeo
