#include "processing/lab/ColourMasks.h"

#include "imaging/Helpers.h"
#include "processing/lab/Pixels24.h"
#include "processing/spatial/WindowWalk.h"

#include <algorithm>
#include <array>
#include <cstdlib>

namespace lumvor {

namespace {

void RequirePartner(const TBitmap& Picture, const TBitmap& Partner) {
    Require24Bit(Picture);
    Require24Bit(Partner);
    if (Partner.Width() != Picture.Width() || Partner.Height() != Picture.Height())
        throw EInvalidGraphic("The two pictures must have the same size.");
}

bool Inside(int32_t Value, int32_t Centre, int32_t Tolerance) {
    return Centre - Tolerance < Value && Value < Centre + Tolerance;
}

void Paint(uint8_t* Pixel, uint8_t Red, uint8_t Green, uint8_t Blue) {
    Pixel[0] = Blue;
    Pixel[1] = Green;
    Pixel[2] = Red;
}

// 3 x 3600^2: the largest squared HLS distance.
constexpr int64_t FarthestDistance = 38880000;

}  // namespace

TColourBox UnpackColourBox(int32_t Hue, int32_t Lightness, int32_t Saturation) {
    return {PackedCentre(Hue),       PackedCentre(Lightness),    PackedCentre(Saturation),
            PackedTolerance(Hue),    PackedTolerance(Lightness), PackedTolerance(Saturation)};
}

bool InColourBox(const TColourBox& Box, int32_t Hue, int32_t Lightness, int32_t Saturation) {
    return Inside(Hue, Box.HueCentre, Box.HueTolerance) && Inside(Lightness, Box.LitCentre, Box.LitTolerance) &&
           Inside(Saturation, Box.SatCentre, Box.SatTolerance);
}

void MaskColoursBitmap(TBitmap& Picture, const TColourBox& Box, bool Invert, bool Black, bool Quantize,
                       TMaskColour Selected) {
    const uint8_t keep = Quantize ? 0xF0 : 0xFF;
    ForEachPixel24(Picture, [&](uint8_t* pixel) {
        const uint8_t red = pixel[2] & keep, green = pixel[1] & keep, blue = pixel[0] & keep;
        THLS hls;
        RGBToHLS(red, green, blue, hls);
        const bool inside = InColourBox(Box, hls.Hue, hls.Lightness, hls.Saturation);
        if (inside != Invert)
            Paint(pixel, Selected.Red, Selected.Green, Selected.Blue);
        else if (Black)
            Paint(pixel, 0, 0, 0);
        else
            Paint(pixel, red, green, blue);
    });
}

void ColourMaskBitmap(TBitmap& Picture, const TBitmap& Partner, const TColourBox& Box, bool Keep) {
    RequirePartner(Picture, Partner);
    if (LabEmpty(Picture))
        return;
    const int width = Picture.Width();
    for (int y = Picture.Height() - 1; y >= 0; --y) {
        uint8_t* p = Picture.ScanLine(y);
        const uint8_t* d = Partner.ScanLine(y);
        for (int i = 3 * (width - 1); i >= 0; i -= 3) {
            THLS hls;
            RGBToHLS(p[i + 2], p[i + 1], p[i], hls);
            int m = 255;
            if (!InColourBox(Box, hls.Hue, hls.Lightness, hls.Saturation)) {
                const int64_t dh = hls.Hue - Box.HueCentre, dl = hls.Lightness - Box.LitCentre,
                              ds = hls.Saturation - Box.SatCentre;
                m = int(std::clamp<int64_t>((dh * dh + dl * dl + ds * ds) * 255 / FarthestDistance, 0, 255));
            }
            if (!Keep)
                m = 255 - m;
            const int w = 255 - m;
            // Two separate truncating divisions, as recorded scripts expect.
            for (int c = 0; c < 3; ++c)
                p[i + c] = uint8_t(std::clamp(p[i + c] * w / 255 + (255 - w) * d[i + c] / 255, 0, 255));
        }
    }
}

void MaskRGBBitmap(TBitmap& Picture, bool Select, int32_t Red, int32_t Green, int32_t Blue) {
    const int32_t centreRed = Red & 255, centreGreen = Green & 255, centreBlue = Blue & 255;
    const int32_t toleranceRed = PackedTolerance(Red), toleranceGreen = PackedTolerance(Green),
                  toleranceBlue = PackedTolerance(Blue);
    const uint8_t in = Select ? 255 : 0;
    const uint8_t out = Select ? 0 : 255;
    ForEachPixel24(Picture, [&](uint8_t* pixel) {
        const bool inside = std::abs(pixel[2] - centreRed) < toleranceRed &&
                            std::abs(pixel[1] - centreGreen) < toleranceGreen &&
                            std::abs(pixel[0] - centreBlue) < toleranceBlue;
        const uint8_t v = inside ? in : out;
        Paint(pixel, v, v, v);
    });
}

void ParametricMaskBitmap(TBitmap& Picture, const TColorMap& Red, const TColorMap& Green, const TColorMap& Blue,
                          TMaskColour Colour) {
    ForEachPixel24(Picture, [&](uint8_t* pixel) {
        if (Red[pixel[2]] != pixel[2] || Green[pixel[1]] != pixel[1] || Blue[pixel[0]] != pixel[0])
            Paint(pixel, Colour.Red, Colour.Green, Colour.Blue);
    });
}

namespace {

// Visit(window sums of blue, green and red, pixel) for every pixel of rows
// 2 .. H-4 and columns 2 .. W-3, the sums taken over the 5 x 5 window of the
// picture as it was before the walk; the visit may rewrite its pixel. The two
// edge columns on each side, the top two rows and the bottom three stay.
template <class Visit>
void ForEachFiveByFive(TBitmap& Picture, const TRowProgress& Progress, Visit&& visit) {
    const TWindowBorders borders = KeepBorders(5, Picture.Width(), Picture.Height(), 2, 2, 2, 3);
    int y = borders.FirstRow;
    WalkWindows(Picture, borders, Progress, [&](const TWindowRows& rows, uint8_t* out, int first, int last) {
        for (int x = first; x <= last; ++x) {
            int sum[3] = {0, 0, 0};
            for (int r = 0; r < 5; ++r) {
                const uint8_t* row = rows[size_t(r)] + 3 * (x - 2);
                for (int k = 0; k < 15; k += 3) {
                    sum[0] += row[k];
                    sum[1] += row[k + 1];
                    sum[2] += row[k + 2];
                }
            }
            visit(sum, out + 3 * x, x, y);
        }
        ++y;
    });
}

int Lightness(int Blue, int Green, int Red) {
    THLS hls;
    RGBToLightness(Red, Green, Blue, hls);
    return hls.Lightness;
}

}  // namespace

void MaskEdgesBitmap(TBitmap& Picture, const TBitmap& Partner, int32_t Threshold, int32_t Weight,
                     const std::function<void(int, int)>& Progress) {
    RequirePartner(Picture, Partner);
    if (LabEmpty(Picture))
        return;
    ForEachFiveByFive(Picture, Progress, [&](const int* sum, uint8_t* p, int x, int y) {
        if (std::abs(Lightness(sum[0] / 25, sum[1] / 25, sum[2] / 25) - Lightness(p[0], p[1], p[2])) >= Threshold)
            return;
        const uint8_t* d = Partner.ScanLine(y) + 3 * x;
        // Two separate truncating divisions, as recorded scripts expect.
        for (int c = 0; c < 3; ++c)
            p[c] = uint8_t(std::clamp((255 - Weight) * p[c] / 255 + d[c] * Weight / 255, 0, 255));
    });
}

void AirBrushBitmap(TBitmap& Picture, const TColourBox& Box, const TRowProgress& Progress) {
    Require24Bit(Picture);
    if (LabEmpty(Picture))
        return;
    // The smoothed copy: each window mean where its lightness is close to the
    // pixel's (never across an edge).
    TBitmap smooth;
    smooth.Assign(&Picture);
    ForEachFiveByFive(smooth, Progress, [](const int* sum, uint8_t* p, int, int) {
        const int mean[3] = {std::min(255, sum[0] / 25), std::min(255, sum[1] / 25), std::min(255, sum[2] / 25)};
        if (std::abs(Lightness(mean[0], mean[1], mean[2]) - Lightness(p[0], p[1], p[2])) < 255)
            std::copy(mean, mean + 3, p);
    });
    // Pixels whose colour, without its low four bits, lies in the box take the
    // smoothed pixel; those 4096 colours are tested once.
    std::array<bool, 4096> inBox{};
    for (int c = 0; c < 4096; ++c) {
        THLS hls;
        RGBToHLS((c >> 8) << 4, ((c >> 4) & 15) << 4, (c & 15) << 4, hls);
        inBox[size_t(c)] = InColourBox(Box, hls.Hue, hls.Lightness, hls.Saturation);
    }
    const int width = Picture.Width();
    for (int y = Picture.Height() - 1; y >= 0; --y) {
        uint8_t* p = Picture.ScanLine(y);
        const uint8_t* s = smooth.ScanLine(y);
        for (int i = 3 * (width - 1); i >= 0; i -= 3) {
            if (inBox[size_t((p[i + 2] >> 4) << 8 | (p[i + 1] >> 4) << 4 | p[i] >> 4)])
                std::copy(s + i, s + i + 3, p + i);
        }
    }
}

}  // namespace lumvor
