#include "processing/tonal/Histogram.h"

#include "imaging/Helpers.h"
#include "processing/lab/Pixels24.h"
#include "processing/tonal/ColorMaps.h"
#include "processing/tonal/Luminance.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

namespace lumvor {

namespace {

// Uncapped counts of one pass; the globals get them capped.
using TCounts = std::array<uint64_t, 256>;

// A 0..3600 value as a histogram bin.
int ScaleBin(int Value) { return std::min(255, Value * 255 / 3600); }

// The saturation bin of RGBToHLS depends only on the largest and the smallest
// component: one table of 256 x 256 bins, indexed max x 256 + min.
const std::vector<uint8_t>& SaturationBins() {
    static const std::vector<uint8_t> bins = [] {
        std::vector<uint8_t> table(256 * 256);
        for (int mx = 0; mx < 256; ++mx)
            for (int mn = 0; mn <= mx; ++mn) {
                THLS hls;
                RGBToHLS(mx, mn, mn, hls);
                table[size_t(mx * 256 + mn)] = uint8_t(ScaleBin(hls.Saturation));
            }
        return table;
    }();
    return bins;
}

// The hue of RGBToHLS depends only on which component is the largest (the
// first of red, green, blue that is), whether the other two are in rising or
// falling order, and the middle component's distance from the largest, as
// the conversion divides it: q = (k x 600 + d div 2) div d, with the spread
// d = max - min and k = max - middle (a grey, d = 0, has hue 2400). One table
// of bins for the six arrangements x the 601 values of q, each entry made by
// converting a colour of that arrangement that gives q: small enough to stay
// in the nearest cache, where look-ups at random (detailed pictures) are cheap.
constexpr int kHueQuotients = 601;

int HueQuotient(int d, int k) { return hls_detail::SmallDivide(k * 600 + d / 2, d); }

const std::vector<uint8_t>& HueBins() {
    static const std::vector<uint8_t> bins = [] {
        std::vector<uint8_t> table(6 * kHueQuotients);
        for (int d = 1; d < 256; ++d)
            for (int k = 0; k <= d; ++k) {
                const int mid = d - k;
                const int colours[6][3] = {{d, mid, 0}, {d, 0, mid}, {0, d, mid},
                                           {mid, d, 0}, {mid, 0, d}, {0, mid, d}};
                for (int a = 0; a < 6; ++a) {
                    THLS hls;
                    RGBToHLS(colours[a][0], colours[a][1], colours[a][2], hls);
                    table[size_t(a * kHueQuotients + HueQuotient(d, k))] = uint8_t(ScaleBin(hls.Hue));
                }
            }
        return table;
    }();
    return bins;
}

// The hue bin of a pixel, as ScaleBin(RGBToHLS(R, G, B).Hue): one table look-up,
// the arrangement chosen by arithmetic rather than branches (the order of the
// components is random in detailed pictures).
inline int HueBin(const uint8_t* Bins, int R, int G, int B) {
    static const int greyBin = ScaleBin(2400);
    const int mx = std::max({R, G, B});
    const int mn = std::min({R, G, B});
    const int k = mx - (R + G + B - mx - mn);
    const int redMax = R == mx;
    const int greenMax = (G == mx) & !redMax;
    const int blueMax = !redMax & !greenMax;
    // Within each pair, the second arrangement when the component after the
    // largest one is the smallest (a tie gives the first: both are the same).
    const int second = (redMax & (G < B)) | (greenMax & (B < R)) | (blueMax & (R < G));
    const int arrangement = 2 * (greenMax + 2 * blueMax) + second;
    const int d = mx - mn;
    const int bin = Bins[arrangement * kHueQuotients + HueQuotient(std::max(d, 1), k)];
    return d == 0 ? greyBin : bin;
}

struct TPass {
    TCounts R{}, G{}, B{}, Lum{}, Sat{}, Hue{};
    uint64_t Pixels = 0;
};

template <bool CountSat, bool CountHue>
void CountRows(const TBitmap& Bitmap, TPass& Pass) {
    const uint8_t* satBins = CountSat ? SaturationBins().data() : nullptr;
    const uint8_t* hueBins = CountHue ? HueBins().data() : nullptr;
    const int width = Bitmap.Width();
    for (int y = 0; y < Bitmap.Height(); ++y) {
        const uint8_t* pixel = Bitmap.ScanLine(y);
        for (int x = 0; x < width; ++x, pixel += 3) {
            const int b = pixel[0], g = pixel[1], r = pixel[2];
            ++Pass.B[size_t(b)];
            ++Pass.G[size_t(g)];
            ++Pass.R[size_t(r)];
            ++Pass.Lum[size_t(HistogramLuminance(r, g, b))];
            if constexpr (CountSat)
                ++Pass.Sat[satBins[std::max({r, g, b}) * 256 + std::min({r, g, b})]];
            if constexpr (CountHue)
                ++Pass.Hue[size_t(HueBin(hueBins, r, g, b))];
        }
    }
    Pass.Pixels = uint64_t(width) * uint64_t(Bitmap.Height());
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
        const bool hue = DoHue && DoSums;
        if (DoSaturation)
            hue ? CountRows<true, true>(Bitmap, pass) : CountRows<true, false>(Bitmap, pass);
        else
            hue ? CountRows<false, true>(Bitmap, pass) : CountRows<false, false>(Bitmap, pass);
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
    if (DoHue)
        SumCounts(pass.Hue, HistSumHue, HistSumSqHue);
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
