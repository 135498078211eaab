#include "imaging/vo_transf.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

namespace lumvor {

using namespace vo_transf;

int32_t Clamp(int32_t value, int32_t low, int32_t high) {
    if (value < low)
        value = low;
    if (value > high)
        value = high;
    return value;
}

bool HasAllBits(uint32_t value, uint32_t mask) { return (value & mask) == mask; }

int32_t ReportProgress(void* sender, int32_t position, int32_t low, int32_t lastPercent,
                       int32_t high, const TProgressEvent& onProgress) {
    if (!onProgress)
        return 0;
    // A range of zero width is complete rather than a division by zero.
    const int32_t percent =
        high == low ? 100
                    : Clamp(static_cast<int32_t>((int64_t(position) - low) * 100 / (int64_t(high) - low)),
                            0, 100);
    if ((percent & 0xFF) != lastPercent)
        onProgress(sender, static_cast<uint8_t>(percent));
    return percent;
}

// The class library formats a date with its short-date pattern and a time with
// its long-time pattern; both come down to formatting with the given pattern.
std::string FormatDateWith(const std::string& pattern, TDateTime date) {
    return FormatDateTime(pattern, date);
}

std::string FormatTimeWith(const std::string& pattern, TDateTime time) {
    return FormatDateTime(pattern, time);
}

void RaiseLzwNotSupported() { throw ERuvezevoError(SLzwNotSupported); }

// ---------------------------------------------------------------------------

void TImageTransform::Progress(int32_t position, int32_t low, int32_t high) {
    LastPercent = ReportProgress(this, position, low, LastPercent, high, OnProgress);
}

void TImageTransform::Apply(TDibGraphic& image) {
    TDibGraphic result;
    ApplyOnDest(image, result);
    image.Assign(&result);
}

void TImageTransform::ApplyOnDest(const TDibGraphic&, TDibGraphic&) {
    std::string message = SMethodNotImplemented;
    message.replace(message.find("%s"), 2, "\"ApplyOnDest\"");
    message.replace(message.find("%s"), 2, ClassName());
    throw ERuvezevoError(message);
}

void TNegativeTransform::ApplyOnDest(const TDibGraphic& source, TDibGraphic& dest) {
    dest.Assign(&source);
    Apply(dest);
}

namespace {

// The palette inverted, the pixel indices kept.
void InvertPalette(TDibGraphic& image) {
    const TPixelBuffer* pixels = image.Pixels();
    std::vector<uint8_t> saved(pixels->Bits(), pixels->Bits() + pixels->ByteCount());
    TPaletteRecord palette;
    palette.NumberOfEntries = image.PaletteRecord().NumberOfEntries;
    for (int i = 0; i < palette.NumberOfEntries; ++i)
        palette.Entries[size_t(i)] = TColorValue{~RawColor(image.PaletteRecord().Entries[size_t(i)]) & 0xFFFFFF};
    image.NewImage(image.GetWidth(), image.GetHeight(), image.ImageFormat(), &palette,
                   static_cast<uint16_t>(image.GetXDpi()), static_cast<uint16_t>(image.GetYDpi()));
    std::memcpy(image.Pixels()->Bits(), saved.data(), saved.size());
}

}  // namespace

void TNegativeTransform::Apply(TDibGraphic& image) {
    LastPercent = 255;
    Progress(0, 0, 100);
    if (!image.IsEmpty()) {
        const int height = image.GetHeight();
        switch (image.ImageFormat()) {
        case ifBlackWhite:
        case ifGray16:
        case ifGray256:
            // Complementing a byte inverts a 1-bit pixel, each 4-bit half
            // (15 - v) and an 8-bit grey level (255 - v) alike; the padding at
            // the end of the row is complemented too.
            for (int y = 0; y < height; ++y) {
                Progress(y, 0, height - 1);
                uint8_t* row = image.ScanLine(y);
                for (int i = 0; i < image.RowBytes(); ++i)
                    row[i] = static_cast<uint8_t>(~row[i]);
            }
            break;
        case ifColor16:
        case ifColor256:
            InvertPalette(image);
            break;
        case ifTrueColor: {
            const int64_t bytes = int64_t(image.GetWidth()) * 3;
            for (int y = 0; y < height; ++y) {
                Progress(y, 0, height - 1);
                uint8_t* row = image.ScanLine(y);
                for (int64_t i = 0; i < bytes; ++i)
                    row[i] = static_cast<uint8_t>(~row[i]);
            }
            break;
        }
        default:
            break;
        }
    }
    Progress(100, 0, 100);
}

}  // namespace lumvor
