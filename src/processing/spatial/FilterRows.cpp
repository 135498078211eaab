#include "processing/spatial/FilterRows.h"

#include "imaging/CpuFeatures.h"

#include <algorithm>
#include <cstdlib>

#if defined(__x86_64__) || defined(__i386__)
#define LUMVOR_FILTER_ROWS_AVX2 1
#endif

namespace lumvor {

uint16_t ExactMultiplier(int Divisor, int MaxSum) {
    if (Divisor < 2 || MaxSum < 0 || MaxSum > UINT16_MAX)
        return 0;
    const uint32_t m = (65536 + uint32_t(Divisor) - 1) / uint32_t(Divisor);
    for (uint32_t sum = 0; sum <= uint32_t(MaxSum); ++sum)
        if (std::min<uint32_t>((sum * m) >> 16, 255) != std::min<uint32_t>(sum / uint32_t(Divisor), 255))
            return 0;
    return uint16_t(m);
}

namespace {

inline uint8_t ScaledMean(int Sum, uint16_t Multiplier) {
    return uint8_t(std::min((uint32_t(std::max(Sum, 0)) * Multiplier) >> 16, uint32_t(255)));
}

// The plain loops, from byte First on; the vector forms finish their rows
// with them.
void BlurBytes(const TWindowRow& Row, const TBlurSettings& Settings, int First) {
    const uint8_t* top = Row.Top;
    const uint8_t* mid = Row.Middle;
    const uint8_t* bot = Row.Bottom;
    for (int q = First; q < Row.Count; ++q) {
        const int sum = top[q - 3] + top[q] + top[q + 3] + mid[q - 3] + Settings.CentreWeight * mid[q] + mid[q + 3] +
                        bot[q - 3] + bot[q] + bot[q + 3];
        const uint8_t mean = ScaledMean(sum, Settings.Multiplier);
        const int gap = std::abs(int(mid[q]) - int(mean));
        Row.Out[q] = gap > Settings.Threshold ? mean : mid[q];
    }
}

void ConvolveBytes(const TWindowRow& Row, const TConvolveSettings& Settings, int First) {
    const auto& w = Settings.Weights;
    const uint8_t* top = Row.Top;
    const uint8_t* mid = Row.Middle;
    const uint8_t* bot = Row.Bottom;
    for (int q = First; q < Row.Count; ++q) {
        const int sum = w[0] * top[q - 3] + w[1] * mid[q - 3] + w[2] * bot[q - 3] + w[3] * top[q] + w[4] * mid[q] +
                        w[5] * bot[q] + w[6] * top[q + 3] + w[7] * mid[q + 3] + w[8] * bot[q + 3];
        Row.Out[q] = ScaledMean(sum, Settings.Multiplier);
    }
}

}  // namespace

namespace filter_rows {

void BlurRowPortable(const TWindowRow& Row, const TBlurSettings& Settings) { BlurBytes(Row, Settings, 0); }

void ConvolveRowPortable(const TWindowRow& Row, const TConvolveSettings& Settings) {
    ConvolveBytes(Row, Settings, 0);
}

}  // namespace filter_rows

}  // namespace lumvor

#ifdef LUMVOR_FILTER_ROWS_AVX2

#pragma GCC push_options
#pragma GCC target("avx2")

#include <immintrin.h>

namespace lumvor::filter_rows {

namespace {

using V = __m256i;

// Sixteen bytes from p as sixteen 16-bit lanes.
inline V Widen(const uint8_t* p) { return _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p))); }

// Sixteen lanes of 0..255 as sixteen bytes at p.
inline void Narrow(uint8_t* p, V Lanes) {
    const V packed = _mm256_permute4x64_epi64(_mm256_packus_epi16(Lanes, Lanes), 0x08);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p), _mm256_castsi256_si128(packed));
}

// min((sum x Multiplier) >> 16, 255) of sums 0..65535.
inline V Mean(V Sum, V Multiplier) {
    return _mm256_min_epu16(_mm256_mulhi_epu16(Sum, Multiplier), _mm256_set1_epi16(255));
}

}  // namespace

void BlurRowAvx2(const TWindowRow& Row, const TBlurSettings& Settings) {
    const V multiplier = _mm256_set1_epi16(int16_t(Settings.Multiplier));
    const V centre = _mm256_set1_epi16(int16_t(Settings.CentreWeight));
    const V threshold = _mm256_set1_epi16(Settings.Threshold);
    int q = 0;
    for (; q + 16 <= Row.Count; q += 16) {
        const uint8_t* top = Row.Top + q;
        const uint8_t* mid = Row.Middle + q;
        const uint8_t* bot = Row.Bottom + q;
        V sum = _mm256_add_epi16(_mm256_add_epi16(Widen(top - 3), Widen(top)), Widen(top + 3));
        const V own = Widen(mid);
        sum = _mm256_add_epi16(sum, _mm256_add_epi16(Widen(mid - 3), Widen(mid + 3)));
        sum = _mm256_add_epi16(sum, _mm256_mullo_epi16(own, centre));
        sum = _mm256_add_epi16(sum, _mm256_add_epi16(_mm256_add_epi16(Widen(bot - 3), Widen(bot)), Widen(bot + 3)));
        const V mean = Mean(sum, multiplier);
        const V gap = _mm256_abs_epi16(_mm256_sub_epi16(own, mean));
        Narrow(Row.Out + q, _mm256_blendv_epi8(own, mean, _mm256_cmpgt_epi16(gap, threshold)));
    }
    BlurBytes(Row, Settings, q);
}

void ConvolveRowAvx2(const TWindowRow& Row, const TConvolveSettings& Settings) {
    V weights[9];
    for (int i = 0; i < 9; ++i)
        weights[i] = _mm256_set1_epi16(Settings.Weights[size_t(i)]);
    const V multiplier = _mm256_set1_epi16(int16_t(Settings.Multiplier));
    int q = 0;
    for (; q + 16 <= Row.Count; q += 16) {
        const uint8_t* rows[3] = {Row.Top + q, Row.Middle + q, Row.Bottom + q};
        // 16-bit lanes wrap, and the whole sum fits them: it comes out exact.
        V sum = _mm256_setzero_si256();
        for (int c = 0; c < 3; ++c)
            for (int r = 0; r < 3; ++r)
                sum = _mm256_add_epi16(sum, _mm256_mullo_epi16(Widen(rows[r] + 3 * (c - 1)), weights[3 * c + r]));
        Narrow(Row.Out + q, Mean(_mm256_max_epi16(sum, _mm256_setzero_si256()), multiplier));
    }
    ConvolveBytes(Row, Settings, q);
}

}  // namespace lumvor::filter_rows

#pragma GCC pop_options

#else

namespace lumvor::filter_rows {
void BlurRowAvx2(const TWindowRow& Row, const TBlurSettings& Settings) { BlurRowPortable(Row, Settings); }
void ConvolveRowAvx2(const TWindowRow& Row, const TConvolveSettings& Settings) { ConvolveRowPortable(Row, Settings); }
}  // namespace lumvor::filter_rows

#endif

namespace lumvor {

void BlurRow(const TWindowRow& Row, const TBlurSettings& Settings) {
    static const bool avx2 = CpuHasAvx2();
    avx2 ? filter_rows::BlurRowAvx2(Row, Settings) : filter_rows::BlurRowPortable(Row, Settings);
}

void ConvolveRow(const TWindowRow& Row, const TConvolveSettings& Settings) {
    static const bool avx2 = CpuHasAvx2();
    avx2 ? filter_rows::ConvolveRowAvx2(Row, Settings) : filter_rows::ConvolveRowPortable(Row, Settings);
}

}  // namespace lumvor
