#include "processing/spatial/StructureFilters.h"

#include "platform/Jpeg.h"
#include "processing/lab/Pixels24.h"
#include "processing/spatial/FilterRows.h"

#include <algorithm>
#include <cassert>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace lumvor {

namespace {

// Copies Count of the picture's rows from First into copy (sized for them),
// taken before any of them is written.
void CopyRows(TBitmap& Bitmap, int First, int Count, std::vector<uint8_t>& copy) {
    const size_t rowBytes = 3 * size_t(Bitmap.Width());
    for (int i = 0; i < Count; ++i) std::memcpy(copy.data() + rowBytes * size_t(i), Bitmap.ScanLine(First + i), rowBytes);
}

// The blur of Source written into Target; the sum of the squared changes added
// to Change when it is given.
void BlurInto(const TBitmap& Source, TBitmap& Target, int Threshold, int Divisor, bool SkipCentre,
              const TRowProgress& Progress, int64_t* Change) {
    assert(Divisor > 0);
    if (Divisor <= 0)
        return;
    // Every sum of eight or nine bytes divided once, ahead of the loop.
    std::vector<uint8_t> quotient(9 * 255 + 1);
    for (size_t sum = 0; sum < quotient.size(); ++sum) quotient[sum] = uint8_t(std::min<size_t>(sum / size_t(Divisor), 255));
    const uint16_t multiplier = ExactMultiplier(Divisor, 9 * 255);
    const int centreWeight = SkipCentre ? 0 : 1;
    // Gaps between bytes are 0..255, so any threshold acts as one in -1..255:
    // the comparison stays in 16 bits.
    const int16_t threshold = int16_t(std::clamp(Threshold, -1, 255));
    const TBlurSettings settings{uint16_t(centreWeight), multiplier, threshold};
    const auto blurRow = [&](const TWindowRows& rows, uint8_t* out, int first, int last) {
        const int begin = 3 * first;
        if (multiplier != 0) {
            BlurRow({rows[0] + begin, rows[1] + begin, rows[2] + begin, out + begin, 3 * (last - first + 1)},
                    settings);
            return;
        }
        const uint8_t* top = rows[0];
        const uint8_t* mid = rows[1];
        const uint8_t* bot = rows[2];
        for (int q = begin; q < 3 * (last + 1); ++q) {
            const int sum = top[q - 3] + top[q] + top[q + 3] + mid[q - 3] + centreWeight * mid[q] + mid[q + 3] +
                            bot[q - 3] + bot[q] + bot[q + 3];
            const uint8_t mean = quotient[size_t(sum)];
            out[q] = std::abs(int(mid[q]) - int(mean)) > threshold ? mean : mid[q];
        }
    };
    Walk3x3Into(Source, Target, Progress, Change, blurRow);
}

}  // namespace

void GaussianBlur3x3Bitmap(TBitmap& Bitmap, int Threshold, int Divisor, bool SkipCentre,
                           const TRowProgress& Progress) {
    BlurInto(Bitmap, Bitmap, Threshold, Divisor, SkipCentre, Progress, nullptr);
}

int64_t GaussianBlur3x3Into(const TBitmap& Source, TBitmap& Target, int Threshold, int Divisor, bool SkipCentre) {
    int64_t change = 0;
    BlurInto(Source, Target, Threshold, Divisor, SkipCentre, {}, &change);
    return change;
}

void DeMosaic2x2Bitmap(TBitmap& Bitmap, bool Diagonal, const TRowProgress& Progress) {
    Require24Bit(Bitmap);
    if (LabEmpty(Bitmap))
        return;
    const int height = Bitmap.Height();
    const int bytes = 3 * Bitmap.Width();
    const int pairs = height > 3 ? (height - 3 + 1) / 2 : 0;
    const int nearTop = Diagonal ? 1 : 2;
    const int nearBottom = 3 - nearTop;
    std::vector<uint8_t> copy(2 * size_t(bytes));
    for (int y = 0, pair = 0; y < height - 3; y += 2, ++pair) {
        CopyRows(Bitmap, y, 2, copy);
        const uint8_t* t = copy.data();
        const uint8_t* b = t + bytes;
        uint8_t* outTop = Bitmap.ScanLine(y);
        uint8_t* outBottom = Bitmap.ScanLine(y + 1);
        for (int x = 0; x + 3 < bytes; ++x) {
            const int sum = nearTop * t[x] + nearBottom * b[x] + nearBottom * t[x + 3] + nearTop * b[x + 3];
            const uint8_t v = uint8_t(std::min(sum / 6, 255));
            outTop[x + 3] = v;
            outBottom[x + 3] = v;
        }
        if (Progress)
            Progress(pair, pairs);
    }
}

const TDeScreenKernel& DeScreenKernel(int Mode) {
    static const TDeScreenKernel kernels[3] = {
        {{{{0, 1, 1, 1, 0}, {0, 1, 2, 1, 0}, {0, 2, 3, 2, 0}, {0, 1, 2, 1, 0}, {0, 1, 1, 1, 0}}}, 21},
        {{{{1, 1, 1, 1, 1}, {1, 1, 2, 1, 1}, {1, 2, 3, 2, 1}, {1, 1, 2, 1, 1}, {1, 1, 1, 1, 1}}}, 31},
        {{{{1, 1, 2, 1, 1}, {1, 3, 0, 1, 1}, {2, 0, 3, 0, 2}, {1, 3, 0, 1, 1}, {1, 1, 2, 1, 1}}}, 31},
    };
    return kernels[std::clamp(Mode, 0, 2)];
}

void DeScreen5x5Bitmap(TBitmap& Bitmap, int Mode, const TRowProgress& Progress) {
    const TDeScreenKernel& kernel = DeScreenKernel(Mode);
    // The weights that are not 0, by window row, as (column offset in bytes, weight).
    struct TTap {
        int Offset;
        int Weight;
    };
    std::array<std::vector<TTap>, 5> taps;
    for (int r = 0; r < 5; ++r)
        for (int c = 0; c < 5; ++c)
            if (kernel.Weights[size_t(r)][size_t(c)] != 0)
                taps[size_t(r)].push_back({3 * (c - 2), kernel.Weights[size_t(r)][size_t(c)]});
    std::vector<int32_t> sums;
    const auto borders = KeepBorders(5, Bitmap.Width(), Bitmap.Height(), 2, 2, 2, 3);
    WalkWindows(Bitmap, borders, Progress, [&](const TWindowRows& rows, uint8_t* out, int first, int last) {
        const int begin = 3 * first;
        const int count = 3 * (last - first + 1);
        sums.assign(size_t(count), 0);
        int32_t* sum = sums.data();
        for (int r = 0; r < 5; ++r) {
            const uint8_t* row = rows[size_t(r)] + begin;
            for (const TTap& tap : taps[size_t(r)]) {
                const uint8_t* source = row + tap.Offset;
                const int weight = tap.Weight;
                for (int q = 0; q < count; ++q) sum[q] += weight * source[q];
            }
        }
        for (int q = 0; q < count; ++q) out[begin + q] = uint8_t(std::min(sum[q] / kernel.Divisor, 255));
    });
}

void TileBitmap(TBitmap& Bitmap, int N, const TRowProgress& Progress) {
    Require24Bit(Bitmap);
    if (LabEmpty(Bitmap) || N < 1)
        return;
    const int width = Bitmap.Width();
    const int height = Bitmap.Height();
    const int bytes = 3 * width;
    const int blockRows = height > 1 ? (height - 2) / N + 1 : 0;
    std::vector<int32_t> sums(static_cast<size_t>(bytes));
    const int divisor = N * N;
    for (int y = 0, blockRow = 0; y < height - 1; y += N, ++blockRow) {
        // Column sums of the block row's own rows, the last row standing in
        // for rows beyond the bottom. The picture's rows below y are still
        // the originals; row y is written only after all sums are taken.
        std::fill(sums.begin(), sums.end(), 0);
        for (int i = 0; i < N; ++i) {
            const uint8_t* row = Bitmap.ScanLine(std::min(y + i, height - 1));
            for (int q = 0; q < bytes; ++q) sums[size_t(q)] += row[q];
        }
        uint8_t* out = Bitmap.ScanLine(y);
        for (int x = 0; x < bytes - 7; x += 3 * N) {
            for (int c = 0; c < 3; ++c) {
                int32_t sum = 0;
                for (int k = 0; k < N; ++k) {
                    int position = x + c + 3 * k;
                    // Past the row's end the block mirrors back from its start
                    // (never before the row's first pixel).
                    if (position >= bytes)
                        position = std::max(x + c - 3 * k, c);
                    sum += sums[size_t(position)];
                }
                const uint8_t v = uint8_t(std::min(sum / divisor, 255));
                for (int k = 0; k < N && x + c + 3 * k < bytes; ++k) out[x + c + 3 * k] = v;
            }
        }
        for (int i = 1; i < N && y + i < height; ++i) std::memcpy(Bitmap.ScanLine(y + i), out, size_t(bytes));
        if (Progress)
            Progress(blockRow, blockRows);
    }
}

void RedEyeBitmap(TBitmap& Bitmap, const TRect& Area) {
    Require24Bit(Bitmap);
    if (LabEmpty(Bitmap))
        return;
    constexpr int tolerance = 8;
    const int bottom = std::abs(Area.Bottom - Area.Top) > 4 ? Area.Bottom - 2 : Area.Bottom;
    const int firstRow = std::max(std::min(Area.Top, bottom), 0);
    const int lastRow = std::min(std::max(Area.Top, bottom), Bitmap.Height() - 1);
    const int firstPixel = std::max(Area.Left, 0);
    const int lastPixel = std::min(Area.Right - 1, Bitmap.Width() - 1);
    for (int y = lastRow; y >= firstRow; --y) {
        uint8_t* row = Bitmap.ScanLine(y);
        for (int x = lastPixel; x >= firstPixel; --x) {
            uint8_t* pixel = row + 3 * x;
            const int blue = pixel[0], green = pixel[1];
            int red = pixel[2];
            if (red > green + tolerance && red > blue + tolerance)
                red = std::max(green, blue);
            if (red > 0)
                --red;
            pixel[2] = uint8_t(red);
        }
    }
}

void RandomNoiseBitmap(TBitmap& Bitmap, int RedRange, int GreenRange, int BlueRange,
                       const std::function<double()>& Draw) {
    const int share = std::max({RedRange, GreenRange, BlueRange});
    ForEachPixel24(Bitmap, [&](uint8_t* pixel) {
        if (Draw() * 255 >= share)
            return;
        const auto component = [&](int range) { return uint8_t(std::clamp(int(Draw() * range), 0, 255)); };
        pixel[2] = component(RedRange);
        pixel[1] = component(GreenRange);
        pixel[0] = component(BlueRange);
    });
}

void AddArtifactBitmap(TBitmap& Bitmap, int Quality) {
    if (Bitmap.Empty())
        return;
    TJPEGImage jpeg;
    jpeg.SetScale(jsFullSize);
    jpeg.SetPerformance(jpBestQuality);
    // The encoder reads the picture's own memory (shared, not copied); the
    // decoder then writes the same memory, once the encoding is done.
    jpeg.Bitmap().SetHandle(Bitmap.Handle());
    jpeg.SetCompressionQuality(std::clamp(Quality, 1, 255));
    try {
        jpeg.Compress();
        jpeg.DecodeToBitmap(Bitmap);
    } catch (const std::exception&) {
        // The artefacts are an effect: a codec failure leaves what it left.
    }
}

}  // namespace lumvor
