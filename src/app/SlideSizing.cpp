#include "app/SlideSizing.h"

#include "imaging/Helpers.h"
#include "imgman/imgman.h"
#include "platform/SysUtils.h"

#include <algorithm>
#include <climits>

namespace lumvor::slidesize {

namespace {

// a x b / c in 64 bits, truncated, kept within 1 .. INT_MAX (a wild factor
// gives a size the imaging library refuses, never an overflow).
int Scaled(int64_t a, int64_t b, int64_t c) {
    if (c <= 0)
        return std::max<int>(static_cast<int>(std::clamp<int64_t>(a, 1, INT_MAX)), 1);
    return static_cast<int>(std::clamp<int64_t>(a * b / c, 1, INT_MAX));
}

TSize FitIntoBox(int width, int height, int boxWidth, int boxHeight) {
    TFitSize fit;
    FitSizeInBoxEx(width, height, boxWidth, boxHeight, fit);
    return {std::max(fit.Width, 1), std::max(fit.Height, 1)};
}

bool LargerThan(const TSize& size, int width, int height) { return size.cx > width || size.cy > height; }

TSize AspectSize(const TSlideSizing& s) {
    switch (s.AspectMode) {
    case AspectNatural:
        return {s.Width, s.Height};
    case AspectFitWidth:
        if (s.Width > s.WindowWidth && s.WindowWidth > 0)
            return {s.WindowWidth, std::max(MulDiv(s.Height, s.WindowWidth, s.Width), 1)};
        return {s.Width, s.Height};
    case AspectCustom:
        return {Scaled(s.Width, s.AspectFactor, 1000), s.Height};
    case AspectFourThree:
        return {Scaled(s.Height, 4, 3), s.Height};
    default:
        return {Scaled(s.Height, 16, 9), s.Height};
    }
}

bool DistortingMode(int mode) { return mode != AspectNatural && mode != AspectFitWidth; }

}  // namespace

TSize ShrinkIntoBox(int width, int height, int boxWidth, int boxHeight) {
    if (boxWidth <= 0 || boxHeight <= 0 || (width <= boxWidth && height <= boxHeight))
        return {width, height};
    return FitIntoBox(width, height, boxWidth, boxHeight);
}

TSlideTarget SlideResizeTarget(const TSlideSizing& s) {
    TSize size = AspectSize(s);
    if (DistortingMode(s.AspectMode) && s.AspectChanged)
        size = ShrinkIntoBox(size.cx, size.cy, s.WindowWidth, s.WindowHeight);
    if (s.ScriptSlide) {
        if (s.PanelWidth != 0 && s.PanelHeight != 0) {
            if (s.PanelWidth < s.WindowWidth && s.PanelHeight < s.WindowHeight && s.PanelWidth > 0 &&
                s.PanelHeight > 0)
                size = FitIntoBox(size.cx, size.cy, s.PanelWidth, s.PanelHeight);
        } else if (s.Zoom > 0 && s.Zoom != 100) {
            size = {Scaled(size.cx, s.Zoom, 100), Scaled(size.cy, s.Zoom, 100)};
        }
    }
    if (!s.ShowRunning && s.AspectMode != AspectFitWidth && LargerThan(size, s.WindowWidth, s.WindowHeight))
        size = ShrinkIntoBox(size.cx, size.cy, s.WindowWidth, s.WindowHeight);
    return {size, size.cx != s.Width || size.cy != s.Height};
}

TSlideTarget SlideFinalFit(int width, int height, int windowWidth, int windowHeight, int aspectMode,
                           bool showRunning) {
    TSize size{width, height};
    if (aspectMode != AspectFitWidth || showRunning)
        size = ShrinkIntoBox(width, height, windowWidth, windowHeight);
    return {size, size.cx != width || size.cy != height};
}

int SlideRotation(int degrees) { return 36000 - 100 * degrees; }

int32_t SlideCopyFlags(int bitCount) { return bitCount > 3 ? IMG_COPY_SMOOTH : IMG_COPY_GRAY; }

}  // namespace lumvor::slidesize
