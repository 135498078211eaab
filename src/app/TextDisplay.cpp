#include "app/TextDisplay.h"

#include <algorithm>

namespace lumvor::textdisplay {

TRect TextArea(const TTextAreaInput& in) {
    int width = in.ScreenWidth, height = in.ScreenHeight;
    int x = in.X, y = in.Y;
    if (in.SlideshowRunning && in.TextPosition >= 1) {
        width = in.ClientWidth;
        height = ShowTextBandHeight;
        x = 0;
        y = in.TextPosition == 1 ? 0 : in.ClientHeight - ShowTextBandHeight;
    }
    if (in.Width > 0 && in.Height > 0) {
        width = in.Width;
        height = in.Height;
    } else if (in.Zoom > 0 && in.Zoom != 100) {
        width = static_cast<int>(static_cast<long long>(in.ScreenWidth) * in.Zoom / 100);
        height = static_cast<int>(static_cast<long long>(in.ScreenHeight) * in.Zoom / 100);
    }
    width = std::max(0, std::min(width, in.ClientWidth));
    height = std::max(0, std::min(height, in.ClientHeight));
    const bool fits = x >= 0 && y >= 0 && x + width <= in.ClientWidth && y + height <= in.ClientHeight;
    if (x == -1 || !fits) {
        x = (in.ClientWidth - width) / 2;
        y = (in.ClientHeight - height) / 2;
    }
    return Rect(x, y, x + width, y + height);
}

TRect CaptionBand(int ClientWidth, int ClientHeight, int TextPosition) {
    const int top = TextPosition == 1 ? 0 : ClientHeight - CaptionBandHeight;
    return Rect(0, top, ClientWidth, top + CaptionBandHeight);
}

}  // namespace lumvor::textdisplay
