// Eight 24-bit pixels (bytes blue, green, red) as eight lanes of 32-bit
// integers, and the lane arithmetic the AVX2 pixel loops share. Include it
// only inside a region compiled for AVX2 (`#pragma GCC target("avx2")`),
// whose functions are called only when CpuHasAvx2() holds.
#pragma once

#include <immintrin.h>

#include <cstdint>

namespace lumvor::avx2_lanes {

using V = __m256i;

inline V Int(int32_t Value) { return _mm256_set1_epi32(Value); }
inline V Add(V a, V b) { return _mm256_add_epi32(a, b); }
inline V Sub(V a, V b) { return _mm256_sub_epi32(a, b); }
inline V Mul(V a, V b) { return _mm256_mullo_epi32(a, b); }
inline V Max(V a, V b) { return _mm256_max_epi32(a, b); }
inline V Min(V a, V b) { return _mm256_min_epi32(a, b); }
inline V Less(V a, V b) { return _mm256_cmpgt_epi32(b, a); }
inline V Equal(V a, V b) { return _mm256_cmpeq_epi32(a, b); }
// Where Mask is set Then, else Else.
inline V Choose(V Mask, V Then, V Else) { return _mm256_blendv_epi8(Else, Then, Mask); }

// C's integer division n div d for 0 <= n < 2^24 and d >= 1: both are exact
// floats, and the correctly rounded float quotient never crosses the next
// whole number (that would need n to reach 2^24), so truncating it gives the
// integer quotient.
inline V Divide(V n, V d) {
    return _mm256_cvttps_epi32(_mm256_div_ps(_mm256_cvtepi32_ps(n), _mm256_cvtepi32_ps(d)));
}
inline V Divide(V n, int32_t d) { return Divide(n, Int(d)); }

struct TPixels8 {
    V Blue, Green, Red;
};

// The three components of eight pixels (24 bytes at p) as lanes. Each
// 128-bit half reads 16 bytes holding four pixels: pixels 0..3 from byte 0,
// pixels 4..7 from byte 8 (they start at its byte 4).
inline TPixels8 Load8(const uint8_t* p) {
    const V bytes = _mm256_set_m128i(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 8)),
                                     _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
    const auto channel = [&](int c) {
        const char z = char(0x80);
        const V pick = _mm256_setr_epi8(char(c), z, z, z, char(3 + c), z, z, z, char(6 + c), z, z, z, char(9 + c), z,
                                        z, z, char(4 + c), z, z, z, char(7 + c), z, z, z, char(10 + c), z, z, z,
                                        char(13 + c), z, z, z);
        return _mm256_shuffle_epi8(bytes, pick);
    };
    return {channel(0), channel(1), channel(2)};
}

// Eight pixels of components 0..255 back into 24 bytes at p.
inline void Store8(uint8_t* p, V Blue, V Green, V Red) {
    const V packed = _mm256_or_si256(Blue, _mm256_or_si256(_mm256_slli_epi32(Green, 8), _mm256_slli_epi32(Red, 16)));
    const char z = char(0x80);
    // Four pixels of three bytes to the front of each half, then the two
    // twelve-byte runs joined.
    const V squeezed =
        _mm256_shuffle_epi8(packed, _mm256_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, z, z, z, z, 0, 1, 2, 4,
                                                     5, 6, 8, 9, 10, 12, 13, 14, z, z, z, z));
    const V joined = _mm256_permutevar8x32_epi32(squeezed, _mm256_setr_epi32(0, 1, 2, 4, 5, 6, 3, 7));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p), _mm256_castsi256_si128(joined));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(p + 16), _mm256_extracti128_si256(joined, 1));
}

}  // namespace lumvor::avx2_lanes
