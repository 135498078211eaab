#include "processing/geometry/Crop.h"

#include <algorithm>

namespace lumvor {

TRect CropBlock(const TRect& selection, int imageWidth, int imageHeight) {
    const int left = std::clamp(std::min(selection.Left, selection.Right), 0, imageWidth);
    const int top = std::clamp(std::min(selection.Top, selection.Bottom), 0, imageHeight);
    const int right = std::clamp(std::max(selection.Left, selection.Right), left, imageWidth);
    const int bottom = std::clamp(std::max(selection.Top, selection.Bottom), top, imageHeight);
    return Rect(left, top, right, bottom);
}

namespace {

// The block at the pixels' own depth.
TPixelBuffer CopyBlock(const TPixelBuffer& pixels, const TRect& block) {
    TPixelBuffer out(block.Width(), block.Height(), pixels.Depth());
    out.ColorTable = pixels.ColorTable;
    out.XPelsPerMeter = pixels.XPelsPerMeter;
    out.YPelsPerMeter = pixels.YPelsPerMeter;
    if (pixels.BitsPerPixel() < 8) {
        for (int y = 0; y < out.Height(); ++y)
            for (int x = 0; x < out.Width(); ++x)
                out.SetIndex(x, y, pixels.GetIndex(block.Left + x, block.Top + y));
        return out;
    }
    const int64_t bytes = pixels.BitsPerPixel() / 8;
    for (int y = 0; y < out.Height(); ++y)
        std::copy_n(pixels.ScanLine(block.Top + y) + block.Left * bytes, out.Width() * bytes, out.ScanLine(y));
    return out;
}

}  // namespace

TPixelBuffer CropPixels(const TPixelBuffer& pixels, const TRect& block, int bitCount) {
    TPixelBuffer out = CopyBlock(pixels, block);
    const bool keepsDepth = (bitCount == 1 || bitCount == 4 || bitCount == 8 || bitCount == 24) &&
                            out.Depth() == bitCount;
    return keepsDepth ? out : ConvertPixels(out, 24, {});
}

}  // namespace lumvor
