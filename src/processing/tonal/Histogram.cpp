#include "processing/tonal/Histogram.h"

#include "imaging/Helpers.h"
#include "processing/lab/Pixels24.h"
#include "processing/tonal/ColorMaps.h"
#include "processing/tonal/HistogramBins.h"
#include "processing/tonal/Luminance.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

namespace lumvor {

namespace {

// Uncapped counts of one pass; the globals get them capped.
using TCounts = std::array<uint64_t, 256>;

// Hue counts feed only the sums: the hue is summed directly.
struct TPass {
    TCounts R{}, G{}, B{}, Lum{}, Sat{};
    TCounts OddR{}, OddG{}, OddB{}, OddLum{}, OddSat{};
    uint64_t HueSum = 0, HueSumSq = 0;
    uint64_t Pixels = 0;
};

// The sum and the sum of squares of a row of bins, in 32-bit runs short
// enough never to overflow, so that the loop vectorises.
void SumBins(const uint8_t* Bins, int Count, uint64_t& Sum, uint64_t& SumSq) {
    constexpr int kRun = 65536;
    static_assert(uint64_t(kRun) * 255 * 255 <= UINT32_MAX);
    for (int start = 0; start < Count; start += kRun) {
        const int end = std::min(Count, start + kRun);
        uint32_t sum = 0, sumSq = 0;
        for (int i = start; i < end; ++i) {
            sum += Bins[i];
            sumSq += uint32_t(Bins[i]) * Bins[i];
        }
        Sum += sum;
        SumSq += sumSq;
    }
}

void CountRows(const TBitmap& Bitmap, TPass& Pass, bool CountSat, bool CountHue) {
    const int width = Bitmap.Width();
    std::vector<uint8_t> bins(3 * size_t(width));
    uint8_t* lum = bins.data();
    uint8_t* sat = CountSat ? lum + width : nullptr;
    uint8_t* hue = CountHue ? lum + 2 * width : nullptr;
    for (int y = 0; y < Bitmap.Height(); ++y) {
        const uint8_t* pixel = Bitmap.ScanLine(y);
        HistogramBinsRow(pixel, width, lum, sat, hue);
        // Neighbouring pixels often fall into one bin: odd pixels count into
        // a second set, so that two increments of a bin seldom wait for each
        // other.
        int x = 0;
        for (; x + 1 < width; x += 2, pixel += 6) {
            ++Pass.B[pixel[0]];
            ++Pass.G[pixel[1]];
            ++Pass.R[pixel[2]];
            ++Pass.Lum[lum[x]];
            ++Pass.OddB[pixel[3]];
            ++Pass.OddG[pixel[4]];
            ++Pass.OddR[pixel[5]];
            ++Pass.OddLum[lum[x + 1]];
        }
        if (x < width) {
            ++Pass.B[pixel[0]];
            ++Pass.G[pixel[1]];
            ++Pass.R[pixel[2]];
            ++Pass.Lum[lum[x]];
        }
        if (sat) {
            x = 0;
            for (; x + 1 < width; x += 2) {
                ++Pass.Sat[sat[x]];
                ++Pass.OddSat[sat[x + 1]];
            }
            if (x < width)
                ++Pass.Sat[sat[x]];
        }
        if (hue)
            SumBins(hue, width, Pass.HueSum, Pass.HueSumSq);
    }
    Pass.Pixels = uint64_t(width) * uint64_t(Bitmap.Height());
    for (auto [counts, odd] : {std::pair{&Pass.R, &Pass.OddR}, {&Pass.G, &Pass.OddG}, {&Pass.B, &Pass.OddB},
                               {&Pass.Lum, &Pass.OddLum}, {&Pass.Sat, &Pass.OddSat}})
        for (size_t v = 0; v < counts->size(); ++v)
            (*counts)[v] += (*odd)[v];
}

// Stores the counts under the count limit and raises HistPeak to the largest
// count reached (the limit for a bin that hit it).
void StoreCounts(const TCounts& Counts, THistogram& Hist) {
    for (size_t v = 0; v < Counts.size(); ++v) {
        Hist[v] = int32_t(std::min<uint64_t>(Counts[v], HistCountLimit - 1));
        HistPeak = std::max(HistPeak, int32_t(std::min<uint64_t>(Counts[v], HistCountLimit)));
    }
}

// The sum and sum of squares of the counted values From..To.
void SumCounts(const TCounts& Counts, int64_t& Sum, int64_t& SumSq, int From = 0, int To = 255) {
    Sum = SumSq = 0;
    for (int v = From; v <= To; ++v) {
        Sum += int64_t(Counts[size_t(v)]) * v;
        SumSq += int64_t(Counts[size_t(v)]) * v * v;
    }
}

// HistCount is never left below 1, also when the count fails.
struct TCountFloor {
    ~TCountFloor() { HistCount = std::max<int64_t>(HistCount, 1); }
};

// Clears the counts, the peak, every sum and HistCount; HistSat only when asked.
void ClearCounts(bool WithSaturation) {
    for (THistogram* hist : {&HistR, &HistG, &HistB, &HistLum})
        hist->fill(0);
    if (WithSaturation)
        HistSat.fill(0);
    HistPeak = 0;
    HistCount = 0;
    for (int64_t* sum : {&HistSumR, &HistSumG, &HistSumB, &HistSumLum, &HistSumSat, &HistSumHue, &HistSumSqR,
                         &HistSumSqG, &HistSumSqB, &HistSumSqLum, &HistSumSqSat, &HistSumSqHue, &HistSumMax,
                         &HistSumSqMax})
        *sum = 0;
}

}  // namespace

void ClearHistogram() { ClearCounts(true); }

void CalcHistogram(const TBitmap& Bitmap, bool DoSaturation, bool DoSums, bool DoHue) {
    ClearCounts(DoSaturation);
    TCountFloor floor;
    Require24Bit(Bitmap);

    TPass pass;
    if (!LabEmpty(Bitmap)) {
        CountRows(Bitmap, pass, DoSaturation, DoHue && DoSums);
    }
    StoreCounts(pass.R, HistR);
    StoreCounts(pass.G, HistG);
    StoreCounts(pass.B, HistB);
    StoreCounts(pass.Lum, HistLum);
    if (DoSaturation)
        StoreCounts(pass.Sat, HistSat);
    if (!DoSums)
        return;

    HistCount = int64_t(pass.Pixels);
    SumCounts(pass.R, HistSumR, HistSumSqR);
    SumCounts(pass.G, HistSumG, HistSumSqG);
    SumCounts(pass.B, HistSumB, HistSumSqB);
    SumCounts(pass.Lum, HistSumLum, HistSumSqLum);
    if (DoSaturation)
        SumCounts(pass.Sat, HistSumSat, HistSumSqSat);
    if (DoHue) {
        HistSumHue = int64_t(pass.HueSum);
        HistSumSqHue = int64_t(pass.HueSumSq);
    }
    HistSumMax = HistSumLum;
    HistSumSqMax = HistSumSqLum;
    for (auto [sum, sumSq] : {std::pair{HistSumR, HistSumSqR}, {HistSumG, HistSumSqG}, {HistSumB, HistSumSqB}})
        if (sum > HistSumMax) {
            HistSumMax = sum;
            HistSumSqMax = sumSq;
        }
}

void CalcMidtones(const TBitmap& Bitmap) {
    HistLum.fill(0);
    HistPeak = 0;
    HistSumLum = HistSumSqLum = 0;
    HistCount = 0;
    TCountFloor floor;
    Require24Bit(Bitmap);

    TCounts lum{};
    if (!LabEmpty(Bitmap))
        for (int y = 0; y < Bitmap.Height(); ++y) {
            const uint8_t* pixel = Bitmap.ScanLine(y);
            for (int x = 0; x < Bitmap.Width(); ++x, pixel += 3)
                ++lum[size_t(HistogramLuminance(pixel[2], pixel[1], pixel[0]))];
        }
    StoreCounts(lum, HistLum);
    constexpr int MidFrom = 16, MidTo = 240;
    for (int v = MidFrom; v <= MidTo; ++v)
        HistCount += int64_t(lum[size_t(v)]);
    SumCounts(lum, HistSumLum, HistSumSqLum, MidFrom, MidTo);
    HistSumMax = HistSumLum;
    HistSumSqMax = HistSumSqLum;
}

void LUT2Histogram() {
    for (THistogram* hist : {&HistR, &HistG, &HistB, &HistLum, &HistSat})
        hist->fill(0);
    HistPeak = 255;
    for (size_t i = 0; i < 256; ++i) {
        HistLum[i] = int32_t(i);
        HistG[i] = GreenMap[i];
        HistR[i] = RedMap[i];
        HistB[i] = BlueMap[i];
    }
}

void ZeroMapsFromHistogram() {
    for (auto [hist, map] : {std::pair{&HistR, &RedMap}, std::pair{&HistG, &GreenMap}, std::pair{&HistB, &BlueMap}}) {
        int used = 0;
        for (size_t i = 0; i < 256; ++i) {
            (*map)[i] = uint8_t(used);
            if ((*hist)[i] > 0)
                ++used;
        }
    }
}

// ---- Statistics

double StatMean(int64_t Sum, int64_t Count) { return double(Sum) / double(std::max<int64_t>(Count, 1)); }

double StatDeviation(int64_t Sum, int64_t SumSq, int64_t Count) {
    using u128 = unsigned __int128;
    const u128 n = u128(std::max<int64_t>(Count, 1));
    const u128 sum = u128(std::max<int64_t>(Sum, 0));
    const u128 nSumSq = n * u128(std::max<int64_t>(SumSq, 0));
    const u128 sumSquared = sum * sum;
    // Count x SumSq >= Sum^2 for any real channel; sums that are not a
    // channel's give 0 rather than a negative variance.
    const u128 numerator = nSumSq > sumSquared ? nSumSq - sumSquared : 0;
    const long double variance = static_cast<long double>(numerator) / (static_cast<long double>(n) * n);
    return double(std::sqrt(variance));
}

TRoundedStats RoundedStats(int64_t Sum, int64_t SumSq, int64_t Count) {
    return {int(std::nearbyint(StatMean(Sum, Count))), int(std::nearbyint(StatDeviation(Sum, SumSq, Count)))};
}

TRoundedStats ChannelStats(int Channel) {
    const int64_t sums[3][2] = {{HistSumR, HistSumSqR}, {HistSumG, HistSumSqG}, {HistSumB, HistSumSqB}};
    return RoundedStats(sums[Channel][0], sums[Channel][1], HistCount);
}

// ---- Ranges

THistRange OccupiedRange(const THistogram& Hist, TRangeScan Scan) {
    auto occupied = [&](int level) { return level >= 0 && level < int(Hist.size()) && Hist[size_t(level)] > OccupiedCount; };
    auto run = [&](int from) { return occupied(from) && occupied(from + 1) && occupied(from + 2) && occupied(from + 3); };
    THistRange range;
    for (int low = 0; low <= Scan.LowLast; ++low)
        if (run(low)) {
            range.Low = low;
            break;
        }
    for (int high = 255; high >= Scan.HighLast; --high)
        if (run(high - 3)) {
            range.High = high;
            break;
        }
    if (range.High == 254)
        range.High = 255;
    return range;
}

int FirstOccupiedLevel(const THistogram& Hist) {
    for (int level = 0; level < 256; ++level)
        if (Hist[size_t(level)] > OccupiedCount)
            return level;
    return 0;
}

}  // namespace lumvor
