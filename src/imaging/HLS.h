// Conversions between 24-bit RGB and the integer HLS scale (hue, lightness
// and saturation 0..3600; the 240 scale for dialogs). Inline: the picture
// filters convert every pixel.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace lumvor {

struct THLS {
    int32_t Hue = 0;
    int32_t Lightness = 0;
    int32_t Saturation = 0;
};
struct TRGBTriple {
    int32_t Red = 0;
    int32_t Green = 0;
    int32_t Blue = 0;
};


namespace hls_detail {
// Exact n / d for 0 <= n < 2^20 and 1 <= d <= 510 by one multiply: with
// r = ceil(2^32 / d) and e = r * d - 2^32 < d, n * e stays below 2^32, so
// n * r / 2^32 never reaches the next whole quotient. The colour conversions
// below divide by such numbers for every pixel.
struct TReciprocals {
    uint64_t Of[511]{};
    constexpr TReciprocals() {
        for (uint64_t d = 1; d < 511; ++d)
            Of[d] = ((uint64_t(1) << 32) + d - 1) / d;
    }
};
inline constexpr TReciprocals kReciprocals;

// Components outside 0..255 (callers may pass unclamped sums) take the
// plain division.
inline int32_t SmallDivide(int32_t n, int32_t d) {
    if (n < 0 || n >= (1 << 20) || d < 1 || d > 510)
        return n / d;
    return int32_t((uint64_t(n) * kReciprocals.Of[d]) >> 32);
}

inline void RGBToHLSScale(int32_t R, int32_t G, int32_t B, int32_t M, THLS& HLS) {
    const int32_t mx = std::max({R, G, B});
    const int32_t mn = std::min({R, G, B});
    const int32_t L = ((mx + mn) * M + 255) / 510;
    int32_t H = 0;
    int32_t S = 0;
    if (mx == mn) {
        H = 2 * M / 3;
    } else {
        const int32_t d = mx - mn;
        const int32_t sum = L <= M / 2 ? mx + mn : 510 - mx - mn;
        S = SmallDivide(d * M + sum / 2, sum);
        // All three distances, then a choice: on photographs the sector of
        // neighbouring pixels changes too often for a branch to be guessed.
        const int32_t sixth = M / 6;
        const int32_t dR = SmallDivide((mx - R) * sixth + d / 2, d);
        const int32_t dG = SmallDivide((mx - G) * sixth + d / 2, d);
        const int32_t dB = SmallDivide((mx - B) * sixth + d / 2, d);
        H = R == mx ? dB - dG : G == mx ? M / 3 + dR - dB : 2 * M / 3 + dG - dR;
        H = H < 0 ? std::abs(H + M) : H > M ? std::abs(H - M) : H;
    }
    HLS = {H, L, S};
}

inline int32_t HueToValue(int32_t p, int32_t q, int32_t h) {
    h = h < 0 ? std::abs(h + 3600) : h > 3600 ? std::abs(h - 3600) : h;
    // Both slopes computed, one chosen (q >= p, so the rising one never divides
    // a negative number where it is used).
    const int32_t rising = p + ((q - p) * h + 300) / 600;
    const int32_t falling = p + ((q - p) * (2400 - h) + 300) / 600;
    return h < 600 ? rising : h < 1800 ? q : h < 2400 ? falling : p;
}
}  // namespace hls_detail

inline void RGBToHLS240(int32_t R, int32_t G, int32_t B, THLS& HLS) { hls_detail::RGBToHLSScale(R, G, B, 240, HLS); }

inline void RGBToHLS(int32_t R, int32_t G, int32_t B, THLS& HLS) { hls_detail::RGBToHLSScale(R, G, B, 3600, HLS); }

inline void RGBToLightness(int32_t R, int32_t G, int32_t B, THLS& HLS) {
    const int32_t mx = std::max({R, G, B});
    const int32_t mn = std::min({R, G, B});
    HLS = {0, ((mx + mn) * 3600 + 255) / 510, 0};
}

inline void HLSToRGB(int32_t H, int32_t L, int32_t S, TRGBTriple& RGB) {
    if (S == 0) {
        const int32_t v = L * 255 / 3600;
        RGB = {v, v, v};
        return;
    }
    const int32_t darkM2 = (L * (3600 + S) + 1800) / 3600;
    const int32_t lightM2 = L + S - (L * S + 1800) / 3600;
    const int32_t m2 = L <= 1800 ? darkM2 : lightM2;
    const int32_t m1 = 2 * L - m2;
    RGB.Red = (hls_detail::HueToValue(m1, m2, H + 1200) * 255 + 1800) / 3600;
    RGB.Green = (hls_detail::HueToValue(m1, m2, H) * 255 + 1800) / 3600;
    RGB.Blue = (hls_detail::HueToValue(m1, m2, H - 1200) * 255 + 1800) / 3600;
}

}  // namespace lumvor
