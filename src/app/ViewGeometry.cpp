#include "app/ViewGeometry.h"

#include "platform/SysUtils.h"
#include "ui/Pix.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace lumvor::viewgeo {

int ZoomUp(int zoom) { return zoom < MaxZoom ? zoom + ZoomStep : zoom; }

int ZoomDown(int zoom) { return zoom > MinZoom ? zoom - ZoomStep : zoom; }

int ZoomFromAnswer(int answer) {
    // A zoom of 0 would divide by zero in every conversion of the view.
    return std::max(MinZoom, answer / ZoomStep * ZoomStep);
}

int ZoomGrid(int zoom) {
    const int n = zoom / 100;
    return n < 2 ? 0 : n;
}

int ScrollPercent(int position, int range) { return range > 0 ? position * 100 / range : 0; }

int KeptScrollPosition(int percent, int range, int visibleSize, int clientSize, int n) {
    int position = range * percent / 100;
    if (n > 1) {
        if (visibleSize + position > range)
            position = range - clientSize;
        position -= position % n;
    }
    return std::max(0, position);
}

TScrollBoxLayout ScrollBoxLayout(const TRect& view, bool fitOrMedia, int ctrlWidth, int ctrlHeight, int zoom,
                                 int scrollBarWidth) {
    TScrollBoxLayout layout;
    layout.Client = view;
    if (fitOrMedia)
        return layout;
    const int viewWidth = view.Width(), viewHeight = view.Height();
    layout.HandAvailable = ctrlWidth > viewWidth || ctrlHeight > viewHeight;
    // One bar takes room from the other direction, which may then need its bar too.
    bool vert = ctrlHeight > viewHeight, horz = ctrlWidth > viewWidth;
    for (int i = 0; i < 2; ++i) {
        horz = ctrlWidth > viewWidth - (vert ? scrollBarWidth : 0);
        vert = ctrlHeight > viewHeight - (horz ? scrollBarWidth : 0);
    }
    layout.VertBar = vert;
    layout.HorzBar = horz;
    const int width = viewWidth - (vert ? scrollBarWidth : 0);
    const int height = viewHeight - (horz ? scrollBarWidth : 0);
    const int n = ZoomGrid(zoom);
    if (n > 0 && width > 0 && height > 0) {
        layout.TrimLeft = width % n;
        layout.TrimTop = height % n;
    }
    layout.Client = Rect(view.Left + layout.TrimLeft, view.Top + layout.TrimTop, view.Left + std::max(0, width),
                         view.Top + std::max(0, height));
    return layout;
}

TSize FittedPictureSize(int imageWidth, int imageHeight, int boxWidth, int boxHeight, bool enlarge) {
    if (!enlarge && imageWidth < boxWidth && imageHeight < boxHeight)
        return {imageWidth, imageHeight};
    TSize size;
    FitSizeInBox(imageWidth, imageHeight, boxWidth, boxHeight, size);
    return size;
}

TRect PlacedImageBounds(int width, int height, bool fit, int viewWidth, int viewHeight) {
    if (!fit)
        return Rect(0, 0, width, height);
    width = std::min(width, viewWidth);
    height = std::min(height, viewHeight);
    const int left = (viewWidth - width) / 2, top = (viewHeight - height) / 2;
    return Rect(left, top, left + width, top + height);
}

TPoint WindowPlacement(int left, int top, int width, int height, int screenWidth, int screenHeight,
                       bool keepOnScreen, bool centre) {
    if (keepOnScreen) {
        if (left + width > screenWidth)
            left = screenWidth - width;
        if (top + height > screenHeight)
            top = screenHeight - height;
    }
    if (centre) {
        left = (screenWidth - width) / 2;
        top = (screenHeight - height) / 2;
    }
    return Point(std::max(0, left), std::max(0, top));
}

TRect FittedSavedBounds(const TRect& saved, int screenWidth, int screenHeight, bool keepOnScreen, bool centre) {
    int left = std::max(0, saved.Left), top = std::max(0, saved.Top);
    const int width = std::min(saved.Right - left, screenWidth);
    const int height = std::min(saved.Bottom - top, screenHeight);
    if (width < 64 || height < 64) {
        const int w = screenWidth / 2, h = screenHeight / 2;
        const TPoint at = WindowPlacement(left, top, w, h, screenWidth, screenHeight, keepOnScreen, centre);
        return Rect(at.X, at.Y, at.X + w, at.Y + h);
    }
    if (left + width > screenWidth)
        left = std::max(0, screenWidth - width);
    if (top + height > screenHeight)
        top = std::max(0, screenHeight - height);
    return Rect(left, top, left + width, top + height);
}

TRect PlacedWindow(const TRect& window, int width, int height, int screenWidth, int screenHeight, bool keepOnScreen,
                   bool centre, bool minimisedOrHidden) {
    if (minimisedOrHidden)
        return window;
    const TPoint at =
        WindowPlacement(window.Left, window.Top, width, height, screenWidth, screenHeight, keepOnScreen, centre);
    return Rect(at.X, at.Y, at.X + width, at.Y + height);
}

int MediaBarsHeight(bool controls, bool tracker, bool statusLine, int controlsHeight, int trackerHeight,
                    int statusHeight) {
    int height = controls ? controlsHeight : 0;
    if (tracker)
        height += trackerHeight;
    height += statusLine ? statusHeight : -2;
    return height;
}

TMediaWindowSize MediaWindowSize(const TMediaSizing& m) {
    TMediaWindowSize result;
    TSize video{m.VideoWidth, m.VideoHeight};
    int width = 0;
    int height = 0;
    if (m.AudioOnly) {
        width = m.FrameWidth;
        height = m.NonClientHeight + m.BarsHeight;
        video = TSize{0, 0};
    } else {
        if (m.Fit) {
            if (video.cx > 0 && video.cy > 0) {
                const int boxWidth = std::max(m.ClientWidth, m.MinWidth);
                const int boxHeight = std::max(1, m.PlayerHeight - m.BarsHeight);
                video = FittedPictureSize(video.cx, video.cy, boxWidth, boxHeight, true);
                width = video.cx + m.FrameWidth;
            } else {
                width = m.ClientWidth;
            }
        } else {
            if (m.DisplaySize == 1)
                video = TSize{video.cx / 2, video.cy / 2};
            else if (m.DisplaySize == 2)
                video = TSize{video.cx * 2, video.cy * 2};
            width = video.cx + m.FrameWidth;
        }
        height = video.cy + m.NonClientHeight + m.BarsHeight;
    }
    if (!m.FullScreenDown)
        width = std::max(width, m.MinWidth);
    height += m.PanelsHeight;
    result.Window = TSize{std::min(width, m.ScreenWidth), std::min(height, m.ScreenHeight)};
    result.Video = video;
    return result;
}

int RegionZoom(int areaWidth, int areaHeight, int regionWidth, int regionHeight) {
    int best = 100;
    for (int zoom = 100; zoom <= MaxZoom; zoom += ZoomStep) {
        const int64_t width = int64_t{regionWidth} * zoom / 100;
        const int64_t height = int64_t{regionHeight} * zoom / 100;
        if (width <= areaWidth && height <= areaHeight)
            best = zoom;
        else
            break;
    }
    return best;
}

int RegionScrollPosition(int edge, int zoom, int bitCount) {
    const int position = static_cast<int>(int64_t{edge} * zoom / 100);
    const int grid = bitCount < 8 ? 8 : zoom / 100;
    return std::max(0, Snap(position, grid, 1));
}

TRect ShownPictureRect(int scrollLeft, int scrollTop, int clientWidth, int clientHeight, int zoom, int imageWidth,
                       int imageHeight) {
    if (zoom <= 0)
        zoom = 100;
    const int left = std::clamp(static_cast<int>(int64_t{std::max(0, scrollLeft)} * 100 / zoom), 0, imageWidth);
    const int top = std::clamp(static_cast<int>(int64_t{std::max(0, scrollTop)} * 100 / zoom), 0, imageHeight);
    const int right = std::min(imageWidth, left + static_cast<int>(int64_t{clientWidth} * 100 / zoom));
    const int bottom = std::min(imageHeight, top + static_cast<int>(int64_t{clientHeight} * 100 / zoom));
    return Rect(left, top, std::max(left, right), std::max(top, bottom));
}

TSize WindowSizeForPicture(int frameWidth, int nonClientHeight, int imageWidth, int imageHeight, int barsHeight,
                           int screenWidth, int screenHeight, int minWidth) {
    const int width = std::min(frameWidth + imageWidth, screenWidth);
    const int height = std::min(nonClientHeight + imageHeight + barsHeight, screenHeight);
    return {std::max(width, minWidth), height};
}

int MouseDownGrid(int zoom, int bitCount) { return bitCount == 1 ? 8 : zoom / 100; }

int MouseMoveGrid(int zoom, int bitCount) { return bitCount < 8 ? 8 : zoom / 100; }

int Snap(int value, int grid, int minGrid) {
    if (grid < minGrid || grid <= 0)
        return value;
    return value - value % grid;
}

TRect Normalized(const TRect& r) {
    return Rect(std::min(r.Left, r.Right), std::min(r.Top, r.Bottom), std::max(r.Left, r.Right),
                std::max(r.Top, r.Bottom));
}

namespace {

// v x numerator / denominator, rounded; 0 for an empty denominator.
int Scaled(int v, int numerator, int denominator) {
    return denominator > 0 ? int(Round(double(v) * numerator / denominator)) : 0;
}

TRect ScaleRect(const TRect& r, int xNum, int xDen, int yNum, int yDen) {
    return Rect(Scaled(r.Left, xNum, xDen), Scaled(r.Top, yNum, yDen), Scaled(r.Right, xNum, xDen),
                Scaled(r.Bottom, yNum, yDen));
}

}  // namespace

TRect ScreenToPicture(const TRect& screen, bool fit, int zoom, int ctrlWidth, int ctrlHeight, int imageWidth,
                      int imageHeight) {
    const TRect r = Normalized(screen);
    TRect p = fit ? ScaleRect(r, imageWidth, ctrlWidth, imageHeight, ctrlHeight) : ScaleRect(r, 100, zoom, 100, zoom);
    p.Right = std::min(p.Right, imageWidth);
    p.Bottom = std::min(p.Bottom, imageHeight);
    return p;
}

TRect PictureToScreen(const TRect& picture, bool fit, int zoom, int ctrlWidth, int ctrlHeight, int imageWidth,
                      int imageHeight) {
    const TRect r = Normalized(picture);
    return fit ? ScaleRect(r, ctrlWidth, imageWidth, ctrlHeight, imageHeight) : ScaleRect(r, zoom, 100, zoom, 100);
}

TMovedSelection MoveSelection(const TRect& screen, const TRect& previousScreen, const TRect& previousPicture,
                              bool fit, int zoom, int ctrlWidth, int ctrlHeight, int imageWidth, int imageHeight) {
    TMovedSelection moved;
    const TRect prevScreen = Normalized(previousScreen);
    moved.Screen = Normalized(Rect(screen.Left, screen.Top, screen.Left + prevScreen.Width(),
                                   screen.Top + prevScreen.Height()));
    const TRect corner = ScreenToPicture(Rect(moved.Screen.Left, moved.Screen.Top, moved.Screen.Left,
                                              moved.Screen.Top),
                                         fit, zoom, ctrlWidth, ctrlHeight, imageWidth, imageHeight);
    const TRect prevPicture = Normalized(previousPicture);
    TRect p = Rect(corner.Left, corner.Top, corner.Left + prevPicture.Width(), corner.Top + prevPicture.Height());
    if (p.Bottom > imageHeight) {
        p.Top -= p.Bottom - imageHeight;
        p.Bottom = imageHeight;
        moved.Clipped = true;
    }
    if (p.Right > imageWidth) {
        p.Left -= p.Right - imageWidth;
        p.Right = imageWidth;
        moved.Clipped = true;
    }
    p.Left = std::max(0, p.Left);
    p.Top = std::max(0, p.Top);
    moved.Picture = p;
    return moved;
}

TRect SelectionInsidePicture(const TRect& selection, int imageWidth, int imageHeight) {
    const TRect r = Normalized(selection);
    const bool empty = r.Width() <= 0 || r.Height() <= 0;
    const bool inside = r.Left >= 0 && r.Top >= 0 && r.Right <= imageWidth && r.Bottom <= imageHeight;
    if (empty || !inside)
        return Rect(0, 0, imageWidth, imageHeight);
    return r;
}

int HandDragOffset(int controlOffset, int& origin, int mouse) {
    int offset = controlOffset - (origin - mouse);
    if (offset > 0) {
        offset = 0;
        origin = mouse;
    }
    return offset;
}

int SlideJpegDivisor(int imageWidth, int imageHeight, int clientWidth, int clientHeight, bool widthOnly) {
    int d = 1, w = imageWidth, h = imageHeight;
    if (widthOnly) {
        const int target = clientWidth + clientWidth / 4;
        for (int i = 0; i < 3 && target < w / 2; ++i) {
            w /= 2;
            d *= 2;
        }
        if (target < w / 2)
            d = 16;
        return d;
    }
    const int targetWidth = clientWidth * 3 / 4, targetHeight = clientHeight * 3 / 4;
    auto below = [&] { return targetHeight < h / 2 || targetWidth < w / 2; };
    for (int i = 0; i < 3 && below(); ++i) {
        w /= 2;
        h /= 2;
        d *= 2;
    }
    if (below())
        d = 16;
    return d;
}

}  // namespace lumvor::viewgeo
