#include "processing/tonal/HistogramBins.h"

#include "imaging/CpuFeatures.h"
#include "imaging/HLS.h"
#include "processing/tonal/Luminance.h"

#include <algorithm>
#include <cstring>
#include <vector>

#if defined(__x86_64__) || defined(__i386__)
#define LUMVOR_HISTOGRAM_BINS_AVX2 1
#endif

namespace lumvor {

namespace {

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

template <bool WithSat, bool WithHue>
void PortableRow(const uint8_t* Pixels, int Width, uint8_t* Lum, uint8_t* Sat, uint8_t* Hue) {
    const uint8_t* satBins = WithSat ? SaturationBins().data() : nullptr;
    const uint8_t* hueBins = WithHue ? HueBins().data() : nullptr;
    const uint8_t* pixel = Pixels;
    for (int x = 0; x < Width; ++x, pixel += 3) {
        const int b = pixel[0], g = pixel[1], r = pixel[2];
        Lum[x] = uint8_t(HistogramLuminance(r, g, b));
        if constexpr (WithSat)
            Sat[x] = satBins[std::max({r, g, b}) * 256 + std::min({r, g, b})];
        if constexpr (WithHue)
            Hue[x] = uint8_t(HueBin(hueBins, r, g, b));
    }
}

}  // namespace

namespace histogram_bins {

void BinsRowPortable(const uint8_t* Pixels, int Width, uint8_t* Lum, uint8_t* Sat, uint8_t* Hue) {
    const auto row = Sat ? (Hue ? PortableRow<true, true> : PortableRow<true, false>)
                         : (Hue ? PortableRow<false, true> : PortableRow<false, false>);
    row(Pixels, Width, Lum, Sat, Hue);
}

}  // namespace histogram_bins

}  // namespace lumvor

#ifdef LUMVOR_HISTOGRAM_BINS_AVX2

#pragma GCC push_options
#pragma GCC target("avx2")

#include "imaging/Avx2Lanes.h"

namespace lumvor::histogram_bins {

namespace {

using namespace avx2_lanes;

// Sixteen pixels as sixteen 16-bit lanes per component. The lanes hold the
// pixels in the order 0-3, 8-11, 4-7, 12-15 (two blocks of eight packed
// side by side); StoreBins puts them back in order.
struct TPixels16 {
    V Blue, Green, Red;
};

inline TPixels16 Load16(const uint8_t* p) {
    const TPixels8 a = Load8(p);
    const TPixels8 b = Load8(p + 24);
    return {_mm256_packus_epi32(a.Blue, b.Blue), _mm256_packus_epi32(a.Green, b.Green),
            _mm256_packus_epi32(a.Red, b.Red)};
}

inline V Int16(int16_t Value) { return _mm256_set1_epi16(Value); }

// Sixteen lanes of 0..255 as sixteen bytes at p, in pixel order.
inline void StoreBins(uint8_t* p, V Lanes) {
    const V packed = _mm256_permute4x64_epi64(_mm256_packus_epi16(Lanes, Lanes), 0x08);
    const __m128i ordered = _mm_shuffle_epi8(_mm256_castsi256_si128(packed),
                                             _mm_setr_epi8(0, 1, 2, 3, 8, 9, 10, 11, 4, 5, 6, 7, 12, 13, 14, 15));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p), ordered);
}

// (a x m + b) div d in every 16-bit lane, through 32-bit lanes: a x m + b
// stays below 2^24 and 0 <= a, b < 2^15, so Divide is exact. The halves are
// widened and packed back so that each lane keeps its place.
inline V MultiplyAddDivide(V a, int16_t m, V b, V d) {
    const V factors = _mm256_set1_epi32(int32_t(uint16_t(m)) | 1 << 16);
    const V zero = _mm256_setzero_si256();
    const V low = Divide(_mm256_madd_epi16(_mm256_unpacklo_epi16(a, b), factors), _mm256_unpacklo_epi16(d, zero));
    const V high = Divide(_mm256_madd_epi16(_mm256_unpackhi_epi16(a, b), factors), _mm256_unpackhi_epi16(d, zero));
    return _mm256_packus_epi32(low, high);
}

// ScaleBin of values 0..3600: v x 255 div 3600 = 17 v div 240, and 17 v <=
// 61200, where 34953 / 2^23 (= ceil(2^24 / 240) / 2^24) overshoots 1 / 240 by
// 224 / 2^24 per unit, too little to reach the next quotient.
inline V ScaleBin16(V v) {
    return _mm256_srli_epi16(_mm256_mulhi_epu16(_mm256_add_epi16(_mm256_slli_epi16(v, 4), v), Int16(-30583)), 7);
}

inline V Add16(V a, V b) { return _mm256_add_epi16(a, b); }
inline V Sub16(V a, V b) { return _mm256_sub_epi16(a, b); }
inline V Equal16(V a, V b) { return _mm256_cmpeq_epi16(a, b); }
// Where the 16-bit lanes of Mask are set Then, else Else.
inline V Choose16(V Mask, V Then, V Else) { return _mm256_blendv_epi8(Else, Then, Mask); }

// A component's distance from the largest: 0 for the largest, 600 for the
// smallest, q for the middle one.
inline V Distance(V c, V mx, V mn, V q) {
    return Choose16(Equal16(c, mx), _mm256_setzero_si256(), Choose16(Equal16(c, mn), Int16(600), q));
}

struct TBins16 {
    V Lum, Sat, Hue;
};

// The three bins of sixteen pixels. The luminance (30 R + 60 G + 10 B) div
// 100 is (3 R + 6 G + B) div 10, and 6554 / 2^16 overshoots 1 / 10 by 4 / 2^16
// per unit: too little for sums below 16384. The saturation and hue follow
// RGBToHLS: the lightness is at most 1800 exactly when max + min <= 255; the
// spread d never exceeds the saturation's divisor, so S <= 3600; the component
// equal to the largest is 0 away from it, the one equal to the smallest 600,
// and the middle one q = (k x 600 + d div 2) div d with k = max - middle; the
// hue is then -600..3000, and only the red sector goes below 0.
inline TBins16 Bins16(const uint8_t* Pixels) {
    const TPixels16 p = Load16(Pixels);

    const V red3 = Add16(_mm256_slli_epi16(p.Red, 1), p.Red);
    const V green3 = Add16(_mm256_slli_epi16(p.Green, 1), p.Green);
    const V lum = _mm256_mulhi_epu16(Add16(Add16(red3, _mm256_slli_epi16(green3, 1)), p.Blue), Int16(6554));

    const V mx = _mm256_max_epi16(_mm256_max_epi16(p.Red, p.Green), p.Blue);
    const V mn = _mm256_min_epi16(_mm256_min_epi16(p.Red, p.Green), p.Blue);
    const V d = Sub16(mx, mn);
    const V grey = Equal16(d, _mm256_setzero_si256());
    const V d1 = _mm256_max_epi16(d, Int16(1));
    const V both = Add16(mx, mn);
    const V sum = _mm256_max_epi16(Choose16(_mm256_cmpgt_epi16(both, Int16(255)), Sub16(Int16(510), both), both), Int16(1));
    const V S = MultiplyAddDivide(d, 3600, _mm256_srli_epi16(sum, 1), sum);

    const V middle = Sub16(Add16(Add16(p.Red, p.Green), p.Blue), both);
    const V q = MultiplyAddDivide(Sub16(mx, middle), 600, _mm256_srli_epi16(d1, 1), d1);
    const V dR = Distance(p.Red, mx, mn, q), dG = Distance(p.Green, mx, mn, q), dB = Distance(p.Blue, mx, mn, q);
    const V notRed = Choose16(Equal16(p.Green, mx), Add16(Int16(1200), Sub16(dR, dB)), Add16(Int16(2400), Sub16(dG, dR)));
    V H = Choose16(Equal16(p.Red, mx), Sub16(dB, dG), notRed);
    H = Choose16(_mm256_cmpgt_epi16(_mm256_setzero_si256(), H), Add16(H, Int16(3600)), H);
    const V hue = Choose16(grey, Int16(2400 * 255 / 3600), ScaleBin16(H));
    return {lum, ScaleBin16(S), hue};
}

inline void Store(const TBins16& Bins, uint8_t* Lum, uint8_t* Sat, uint8_t* Hue) {
    StoreBins(Lum, Bins.Lum);
    if (Sat)
        StoreBins(Sat, Bins.Sat);
    if (Hue)
        StoreBins(Hue, Bins.Hue);
}

}  // namespace

void BinsRowAvx2(const uint8_t* Pixels, int Width, uint8_t* Lum, uint8_t* Sat, uint8_t* Hue) {
    int x = 0;
    for (; x + 16 <= Width; x += 16)
        Store(Bins16(Pixels + 3 * x), Lum + x, Sat ? Sat + x : nullptr, Hue ? Hue + x : nullptr);
    if (x == Width)
        return;
    // The last pixels through a full block of copies.
    uint8_t pixels[48] = {};
    uint8_t lum[16], sat[16], hue[16];
    const int left = Width - x;
    std::memcpy(pixels, Pixels + 3 * x, size_t(3 * left));
    Store(Bins16(pixels), lum, sat, hue);
    std::memcpy(Lum + x, lum, size_t(left));
    if (Sat)
        std::memcpy(Sat + x, sat, size_t(left));
    if (Hue)
        std::memcpy(Hue + x, hue, size_t(left));
}

}  // namespace lumvor::histogram_bins

#pragma GCC pop_options

#else

namespace lumvor::histogram_bins {
void BinsRowAvx2(const uint8_t* Pixels, int Width, uint8_t* Lum, uint8_t* Sat, uint8_t* Hue) {
    BinsRowPortable(Pixels, Width, Lum, Sat, Hue);
}
}  // namespace lumvor::histogram_bins

#endif

namespace lumvor {

void HistogramBinsRow(const uint8_t* Pixels, int Width, uint8_t* Lum, uint8_t* Sat, uint8_t* Hue) {
    static const bool avx2 = CpuHasAvx2();
    if (avx2)
        histogram_bins::BinsRowAvx2(Pixels, Width, Lum, Sat, Hue);
    else
        histogram_bins::BinsRowPortable(Pixels, Width, Lum, Sat, Hue);
}

}  // namespace lumvor
