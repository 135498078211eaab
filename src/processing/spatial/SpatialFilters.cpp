#include "processing/spatial/SpatialFilters.h"

#include "processing/spatial/FilterRows.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <type_traits>

namespace lumvor {

namespace {

inline uint8_t ClampByte(int value) { return uint8_t(std::clamp(value, 0, 255)); }

// ---- 3 x 3 convolution

// The clamped quotients of every sum a kernel can give, when there are few
// enough of them to tabulate; a table look-up is much cheaper than a division.
struct TQuotients {
    int MinSum = 0;
    std::vector<uint8_t> Table;
};

TQuotients QuotientTable(const TSpatialKernel& Kernel, int Divisor) {
    TQuotients q;
    int maxSum = 0;
    for (int16_t weight : Kernel) {
        if (weight < 0)
            q.MinSum += weight * 255;
        else
            maxSum += weight * 255;
    }
    constexpr int largestTable = 1 << 20;
    if (maxSum - q.MinSum >= largestTable)
        return q;
    q.Table.resize(size_t(maxSum - q.MinSum + 1));
    for (int sum = q.MinSum; sum <= maxSum; ++sum) q.Table[size_t(sum - q.MinSum)] = ClampByte(sum / Divisor);
    return q;
}

// The convolution of Source written into Target; the sum of the squared
// changes added to Change when it is given.
void ConvolveInto(const TBitmap& Source, TBitmap& Target, const TSpatialKernel& Kernel, int Divisor,
                  const TRowProgress& Progress, int64_t* Change) {
    if (Divisor == 0)
        return;
    const TQuotients quotients = QuotientTable(Kernel, Divisor);
    // The weights as locals, by window column (left, centre, right) and row.
    const int l0 = Kernel[0], l1 = Kernel[1], l2 = Kernel[2];
    const int c0 = Kernel[3], c1 = Kernel[4], c2 = Kernel[5];
    const int r0 = Kernel[6], r1 = Kernel[7], r2 = Kernel[8];
    // Kernels whose sums all fit 16 bits (the usual ones) are summed in 16-bit
    // lanes, twice as many per vector instruction.
    const bool shortSums = !quotients.Table.empty() && quotients.MinSum >= INT16_MIN &&
                           quotients.MinSum + int(quotients.Table.size()) - 1 <= INT16_MAX;
    // Their quotients come from an exact multiplier where one exists: the
    // clamped quotient of a negative sum is 0 whatever its size.
    const int maxSum = quotients.MinSum + int(quotients.Table.size()) - 1;
    const TConvolveSettings multiplied{Kernel,
                                       shortSums && Divisor > 0 ? ExactMultiplier(Divisor, maxSum) : uint16_t(0)};
    std::vector<int32_t> sums;
    std::vector<int16_t> shortSumRow;
    const auto convolveRow = [&](const TWindowRows& rows, uint8_t* out, int first, int last) {
        const int begin = 3 * first;
        const int count = 3 * (last - first + 1);
        if (multiplied.Multiplier != 0) {
            ConvolveRow({rows[0] + begin, rows[1] + begin, rows[2] + begin, out + begin, count}, multiplied);
            return;
        }
        const uint8_t* top = rows[0] + begin;
        const uint8_t* mid = rows[1] + begin;
        const uint8_t* bot = rows[2] + begin;
        const auto sumInto = [&](auto* sum) {
            using Sum = std::remove_pointer_t<decltype(sum)>;
            for (int q = 0; q < count; ++q)
                sum[q] = Sum(l0 * top[q - 3] + l1 * mid[q - 3] + l2 * bot[q - 3] + c0 * top[q] + c1 * mid[q] +
                             c2 * bot[q] + r0 * top[q + 3] + r1 * mid[q + 3] + r2 * bot[q + 3]);
        };
        uint8_t* target = out + begin;
        if (shortSums) {
            shortSumRow.resize(size_t(count));
            sumInto(shortSumRow.data());
            const uint8_t* table = quotients.Table.data() - quotients.MinSum;
            for (int q = 0; q < count; ++q) target[q] = table[shortSumRow[size_t(q)]];
            return;
        }
        sums.resize(size_t(count));
        int32_t* sum = sums.data();
        sumInto(sum);
        if (!quotients.Table.empty()) {
            const uint8_t* table = quotients.Table.data() - quotients.MinSum;
            for (int q = 0; q < count; ++q) target[q] = table[sum[q]];
        } else {
            for (int q = 0; q < count; ++q) target[q] = ClampByte(sum[q] / Divisor);
        }
    };
    Walk3x3Into(Source, Target, Progress, Change, convolveRow);
}

}  // namespace

void Spatial3x3Bitmap(TBitmap& Bitmap, const TSpatialKernel& Kernel, int Divisor, const TRowProgress& Progress) {
    ConvolveInto(Bitmap, Bitmap, Kernel, Divisor, Progress, nullptr);
}

int64_t Spatial3x3Into(const TBitmap& Source, TBitmap& Target, const TSpatialKernel& Kernel, int Divisor) {
    int64_t change = 0;
    ConvolveInto(Source, Target, Kernel, Divisor, {}, &change);
    return change;
}

int SetMeanRemovalKernel(int Strength) {
    const int n = std::clamp(Strength, 0, 8);
    SpatialKernel.fill(-1);
    SpatialKernel[4] = int16_t(17 - n);
    return 9 - n;
}

int SetHighPassMediumKernel(int Strength) {
    const int n = std::clamp(Strength, 0, 4);
    SpatialKernel = {0, -1, 0, -1, int16_t(9 - n), -1, 0, -1, 0};
    return 5 - n;
}

int SetHighPassLightKernel() {
    SpatialKernel = {1, -2, 1, -2, 8, -2, 1, -2, 1};
    return 4;
}

int SetSoftenKernel(int Level) {
    static constexpr int16_t centres[] = {32, 16, 8, 6, 5, 4, 3};
    const int n = std::clamp(Level, 1, 10);
    switch (n) {
        case 8:
            SpatialKernel = {10, 15, 10, 15, 20, 15, 10, 15, 10};
            break;
        case 9:
            SpatialKernel = {12, 14, 12, 14, 16, 14, 12, 14, 12};
            break;
        case 10:
            SpatialKernel = {13, 14, 13, 14, 15, 14, 13, 14, 13};
            break;
        default:
            SpatialKernel = {1, 2, 1, 2, centres[n - 1], 2, 1, 2, 1};
    }
    int sum = 0;
    for (int16_t weight : SpatialKernel) sum += weight;
    return sum;
}

int SetDeFocusKernel(int Amount) {
    const int b = std::clamp(Amount / 25, 1, 12);
    // c x 100 div (4 b) >= Amount holds exactly when c >= 4 b Amount / 100.
    const int64_t scaled = 4 * int64_t(b) * Amount;
    const int64_t least = scaled > 0 ? (scaled + 99) / 100 : 0;
    const int c = int(std::clamp<int64_t>(std::max<int64_t>(least, b * b), 1, std::numeric_limits<int16_t>::max()));
    const auto w = int16_t(b);
    SpatialKernel = {1, w, 1, w, int16_t(c), w, 1, w, 1};
    return 4 + 4 * b + c;
}

// ---- 5 x 5 edge-preserving smoothing

namespace {

inline int Lightness(int B, int G, int R) {
    const int mx = std::max({R, G, B});
    const int mn = std::min({R, G, B});
    return ((mx + mn) * 3600 + 255) / 510;
}

}  // namespace

void SharpGaussianBlur5x5Bitmap(TBitmap& Bitmap, int Threshold, int Amount, const TRowProgress& Progress) {
    std::vector<int32_t> columns;
    const auto borders = KeepBorders(5, Bitmap.Width(), Bitmap.Height(), 2, 2, 2, 3);
    WalkWindows(Bitmap, borders, Progress, [&](const TWindowRows& rows, uint8_t* out, int first, int last) {
        // Column sums of the five rows from two pixels left of the first
        // window centre to two right of the last.
        const int begin = 3 * (first - 2);
        const int count = 3 * (last - first + 5);
        columns.resize(size_t(count));
        for (int q = 0; q < count; ++q)
            columns[size_t(q)] = rows[0][begin + q] + rows[1][begin + q] + rows[2][begin + q] + rows[3][begin + q] +
                                 rows[4][begin + q];
        const int32_t* column = columns.data() + 6;  // byte 0 of the first centre
        const uint8_t* centre = rows[2];
        for (int x = first; x <= last; ++x) {
            const int i = 3 * (x - first);
            int mean[3];
            for (int c = 0; c < 3; ++c)
                mean[c] = (column[i + c - 6] + column[i + c - 3] + column[i + c] + column[i + c + 3] +
                           column[i + c + 6]) / 25;
            const uint8_t* orig = centre + 3 * x;
            const int difference = Lightness(orig[0], orig[1], orig[2]) - Lightness(mean[0], mean[1], mean[2]);
            if (std::abs(difference) >= Threshold)
                continue;
            for (int c = 0; c < 3; ++c)
                out[3 * x + c] = ClampByte(orig[c] + (mean[c] - orig[c]) * Amount / 255);
        }
    });
}

// ---- Median

TMedianShape MedianShape(int Mode) {
    TMedianShape shape;
    switch (Mode) {
        case 2:
            shape = {3, {1, 1, 1}, 0};
            break;
        case 3:
            shape = {5, {0, 0, 2, 0, 0}, 0};
            break;
        case 4:
            shape = {5, {0, 1, 2, 1, 0}, 0};
            break;
        case 6:
            shape = {5, {2, 2, 2, 2, 2}, 0};
            break;
        case 5:
            shape = {7, {0, 0, 1, 3, 1, 0, 0}, 0};
            break;
        case 7:
            shape = {7, {0, 1, 2, 3, 2, 1, 0}, 0};
            break;
        case 8:
            shape = {7, {1, 2, 3, 3, 3, 2, 1}, 0};
            break;
        case 9:
            shape = {7, {3, 3, 3, 3, 3, 3, 3}, 0};
            break;
        default:  // 0, 1 and anything else: the plus
            shape = {3, {0, 1, 0}, 0};
    }
    for (int i = 0; i < shape.Size; ++i) shape.Count += 2 * shape.HalfWidth[size_t(i)] + 1;
    return shape;
}

namespace {

// What the threshold lets a byte c become, given its window's median.
struct TOutlierRule {
    int Threshold = 0;
    int Floor = 0;  // |4 x Threshold|: bytes at or below it never change
    explicit TOutlierRule(int T) : Threshold(T), Floor(int(std::min<int64_t>(std::llabs(4 * int64_t(T)), 256))) {}
    uint8_t operator()(uint8_t c, uint8_t median) const {
        if (Threshold == 0)
            return median;
        if (c <= Floor)
            return c;
        const bool outlier = Threshold > 0 ? c > median : c < median;
        return outlier ? median : c;
    }
};

inline void Order(uint8_t& a, uint8_t& b) {
    const uint8_t low = std::min(a, b);
    b = std::max(a, b);
    a = low;
}

// The median of 5 and of 9 values by fixed exchange networks.
inline uint8_t MedianOf(std::array<uint8_t, 5>& p) {
    Order(p[0], p[1]), Order(p[3], p[4]), Order(p[0], p[3]);
    Order(p[1], p[4]), Order(p[1], p[2]), Order(p[2], p[3]);
    Order(p[1], p[2]);
    return p[2];
}

inline uint8_t MedianOf(std::array<uint8_t, 9>& p) {
    Order(p[1], p[2]), Order(p[4], p[5]), Order(p[7], p[8]);
    Order(p[0], p[1]), Order(p[3], p[4]), Order(p[6], p[7]);
    Order(p[1], p[2]), Order(p[4], p[5]), Order(p[7], p[8]);
    Order(p[0], p[3]), Order(p[5], p[8]), Order(p[4], p[7]);
    Order(p[3], p[6]), Order(p[1], p[4]), Order(p[2], p[5]);
    Order(p[4], p[7]), Order(p[4], p[2]), Order(p[6], p[4]);
    Order(p[4], p[2]);
    return p[4];
}

// Windows of 5 or 9 cells: every byte of the row through the network at once,
// each cell read from its own shifted row.
template <size_t Count>
void MedianRowByNetwork(const TWindowRows& rows, const TMedianShape& shape, const TOutlierRule& rule, uint8_t* out,
                        int width) {
    std::array<const uint8_t*, Count> cells{};
    size_t k = 0;
    for (int i = 0; i < shape.Size; ++i) {
        const int half = shape.HalfWidth[size_t(i)];
        for (int dx = -half; dx <= half; ++dx) cells[k++] = rows[size_t(i)] + 3 * dx;
    }
    const int bytes = 3 * width;
    // The row buffers and the output row never overlap, so the bytes are
    // independent and the loop runs on vectors.
    if (rule.Threshold == 0) {
#pragma GCC ivdep
        for (int q = 0; q < bytes; ++q) {
            std::array<uint8_t, Count> values;
            for (size_t j = 0; j < Count; ++j) values[j] = cells[j][q];
            out[q] = MedianOf(values);
        }
        return;
    }
#pragma GCC ivdep
    for (int q = 0; q < bytes; ++q) {
        std::array<uint8_t, Count> values;
        for (size_t j = 0; j < Count; ++j) values[j] = cells[j][q];
        out[q] = rule(out[q], MedianOf(values));
    }
}

// Larger windows: per component a running histogram of the window that slides
// along the row (each step takes out the cells of the column left behind and
// adds those of the new column) and a median that moves with it.
void MedianRowByHistogram(const TWindowRows& rows, const TMedianShape& shape, const TOutlierRule& rule, uint8_t* out,
                          int width) {
    const int rank = (shape.Count - 1) / 2;
    for (int c = 0; c < 3; ++c) {
        std::array<int, 256> histogram{};
        for (int i = 0; i < shape.Size; ++i) {
            const int half = shape.HalfWidth[size_t(i)];
            for (int dx = -half; dx <= half; ++dx) ++histogram[rows[size_t(i)][3 * dx + c]];
        }
        // median = the value with `below` values under it and more than rank
        // values up to it.
        int median = 0;
        int below = 0;
        while (below + histogram[size_t(median)] <= rank) below += histogram[size_t(median++)];
        out[c] = rule(out[c], uint8_t(median));
        for (int x = 1; x < width; ++x) {
            for (int i = 0; i < shape.Size; ++i) {
                const int half = shape.HalfWidth[size_t(i)];
                const uint8_t leaving = rows[size_t(i)][3 * (x - 1 - half) + c];
                const uint8_t entering = rows[size_t(i)][3 * (x + half) + c];
                --histogram[leaving];
                ++histogram[entering];
                below += (entering < median) - (leaving < median);
            }
            while (below > rank) below -= histogram[size_t(--median)];
            while (below + histogram[size_t(median)] <= rank) below += histogram[size_t(median++)];
            out[3 * x + c] = rule(out[3 * x + c], uint8_t(median));
        }
    }
}

}  // namespace

void MedianBitmap(TBitmap& Bitmap, int Mode, int Threshold, const TRowProgress& Progress) {
    const TMedianShape shape = MedianShape(Mode);
    const TOutlierRule rule(Threshold);
    const int width = Bitmap.Width();
    const auto borders = KeepBorders(shape.Size, width, Bitmap.Height(), 0, 0, 0, 0);
    WalkWindows(Bitmap, borders, Progress, [&](const TWindowRows& rows, uint8_t* out, int, int) {
        if (shape.Count == 5)
            MedianRowByNetwork<5>(rows, shape, rule, out, width);
        else if (shape.Count == 9)
            MedianRowByNetwork<9>(rows, shape, rule, out, width);
        else
            MedianRowByHistogram(rows, shape, rule, out, width);
    });
}

}  // namespace lumvor
