#include "processing/spatial/UnsharpMask.h"

#include "imaging/Helpers.h"

#include <algorithm>
#include <cstdlib>

namespace lumvor {

namespace {

// Sharpens the pixel Out (its bytes still the original ones) against the
// window mean Mean.
inline void SharpenPixel(uint8_t* Out, const int* Mean, int Threshold, int Amount) {
    const int meanLightness = (std::max({Mean[0], Mean[1], Mean[2]}) + std::min({Mean[0], Mean[1], Mean[2]})) * 3600;
    THLS hls;
    RGBToHLS(Out[0], Out[1], Out[2], hls);
    const int difference = hls.Lightness - (meanLightness + 255) / 510;
    if (std::abs(difference) <= Threshold)
        return;
    const int64_t push = 2 * int64_t(std::abs(difference)) * Amount / 255;
    const int64_t lightness = difference > 0 ? std::min<int64_t>(hls.Lightness + push, 3600)
                                             : std::max<int64_t>(hls.Lightness - push, 0);
    TRGBTriple rgb;
    HLSToRGB(hls.Hue, int(lightness), hls.Saturation, rgb);
    Out[0] = uint8_t(std::clamp(rgb.Red, 0, 255));
    Out[1] = uint8_t(std::clamp(rgb.Green, 0, 255));
    Out[2] = uint8_t(std::clamp(rgb.Blue, 0, 255));
}

template <int N>
TWindowBorders MaskBorders(const TBitmap& Bitmap) {
    constexpr int r = N / 2;
    return KeepBorders(N, Bitmap.Width(), Bitmap.Height(), r, r, r, r + 1);
}

// The mask with column sums: each byte position's N rows are summed once,
// then each window adds N column sums.
template <int N>
void UnSharpMaskBitmap(TBitmap& Bitmap, int Threshold, int Amount, const TRowProgress& Progress) {
    constexpr int r = N / 2;
    std::vector<int32_t> columns;
    WalkWindows(Bitmap, MaskBorders<N>(Bitmap), Progress,
                [&](const TWindowRows& rows, uint8_t* out, int first, int last) {
                    const int begin = 3 * (first - r);
                    const int count = 3 * (last - first + N);
                    columns.assign(size_t(count), 0);
                    for (int i = 0; i < N; ++i) {
                        const uint8_t* row = rows[size_t(i)] + begin;
                        for (int q = 0; q < count; ++q) columns[size_t(q)] += row[q];
                    }
                    for (int x = first; x <= last; ++x) {
                        const int32_t* column = columns.data() + 3 * (x - first);
                        int mean[3];
                        for (int c = 0; c < 3; ++c) {
                            int sum = 0;
                            for (int dx = 0; dx < N; ++dx) sum += column[3 * dx + c];
                            mean[c] = std::min(sum / (N * N), 255);
                        }
                        SharpenPixel(out + 3 * x, mean, Threshold, Amount);
                    }
                });
}

}  // namespace

void UnSharpMask3x3Bitmap(TBitmap& Bitmap, int Threshold, int Amount, const TRowProgress& Progress) {
    UnSharpMaskBitmap<3>(Bitmap, Threshold, Amount, Progress);
}

void UnSharpMask5x5Bitmap(TBitmap& Bitmap, int Threshold, int Amount, const TRowProgress& Progress) {
    UnSharpMaskBitmap<5>(Bitmap, Threshold, Amount, Progress);
}

void UnSharpMaskReferenceBitmap(TBitmap& Bitmap, int Threshold, int Amount, const TRowProgress& Progress) {
    WalkWindows(Bitmap, MaskBorders<5>(Bitmap), Progress,
                [&](const TWindowRows& rows, uint8_t* out, int first, int last) {
                    for (int x = first; x <= last; ++x) {
                        int mean[3];
                        for (int c = 0; c < 3; ++c) {
                            int sum = 0;
                            for (int i = 0; i < 5; ++i)
                                for (int dx = -2; dx <= 2; ++dx) sum += rows[size_t(i)][3 * (x + dx) + c];
                            mean[c] = std::min(sum / 25, 255);
                        }
                        SharpenPixel(out + 3 * x, mean, Threshold, Amount);
                    }
                });
}

}  // namespace lumvor
