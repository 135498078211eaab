#include "imaging/HLSRows.h"

#include "imaging/CpuFeatures.h"
#include "imaging/HLS.h"

#include <algorithm>
#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#define LUMVOR_HLS_ROWS_AVX2 1
#endif

namespace lumvor {

namespace hls_rows {

namespace {

uint8_t ClampByte(int32_t Value) { return uint8_t(std::clamp(Value, 0, 255)); }

}  // namespace

void GrayRowPortable(uint8_t* Target, const uint8_t* Other, int Width) {
    for (int x = 0; x < Width; ++x) {
        uint8_t* t = Target + 3 * x;
        const uint8_t* o = Other + 3 * x;
        // Only the target's lightness is kept, which needs no hue or saturation.
        THLS own;
        RGBToLightness(t[2], t[1], t[0], own);
        THLS other;
        RGBToHLS(o[2], o[1], o[0], other);
        TRGBTriple rgb;
        HLSToRGB(other.Hue, own.Lightness, other.Saturation, rgb);
        t[0] = ClampByte(rgb.Blue);
        t[1] = ClampByte(rgb.Green);
        t[2] = ClampByte(rgb.Red);
    }
}

}  // namespace hls_rows

}  // namespace lumvor

#ifdef LUMVOR_HLS_ROWS_AVX2

#pragma GCC push_options
#pragma GCC target("avx2")

#include "imaging/Avx2Lanes.h"

namespace lumvor::hls_rows {

namespace {

// Every quotient below is that of C's integer division (avx2_lanes::Divide):
// all numerators of the conversions stay below 2^24 where their lane is used.
using namespace avx2_lanes;

// The hue brought into 0..3600 as the conversions do.
inline V WrapHue(V h) {
    const V above = Choose(Less(Int(3600), h), _mm256_abs_epi32(Sub(h, Int(3600))), h);
    return Choose(Less(h, Int(0)), _mm256_abs_epi32(Add(h, Int(3600))), above);
}

inline V HueToValue(V p, V q, V h) {
    h = WrapHue(h);
    const V spread = Sub(q, p);
    const V rising = Add(p, Divide(Add(Mul(spread, h), Int(300)), 600));
    const V falling = Add(p, Divide(Add(Mul(spread, Sub(Int(2400), h)), Int(300)), 600));
    const V late = Choose(Less(h, Int(2400)), falling, p);
    const V middle = Choose(Less(h, Int(1800)), q, late);
    return Choose(Less(h, Int(600)), rising, middle);
}

// ((max + min) x 3600 + 255) div 510 of three components.
inline V Lightness(V mx, V mn) { return Divide(Add(Mul(Add(mx, mn), Int(3600)), Int(255)), 510); }

inline V ClampBytes(V v) { return Min(Max(v, Int(0)), Int(255)); }

// GrayRowPortable for eight pixels.
inline void Gray8(uint8_t* Target, const uint8_t* Other) {
    const TPixels8 t = Load8(Target);
    const TPixels8 o = Load8(Other);
    const V L = Lightness(Max(Max(t.Red, t.Green), t.Blue), Min(Min(t.Red, t.Green), t.Blue));

    // The other pixel's hue and saturation (RGBToHLS).
    const V mx = Max(Max(o.Red, o.Green), o.Blue);
    const V mn = Min(Min(o.Red, o.Green), o.Blue);
    const V grey = Equal(mx, mn);
    const V d = Max(Sub(mx, mn), Int(1));
    const V darkSum = Add(mx, mn);
    const V sum = Max(Choose(Less(Int(1800), Lightness(mx, mn)), Sub(Int(510), darkSum), darkSum), Int(1));
    const V S = _mm256_andnot_si256(grey, Divide(Add(Mul(d, Int(3600)), _mm256_srli_epi32(sum, 1)), sum));
    const V half = _mm256_srli_epi32(d, 1);
    const auto distance = [&](V c) { return Divide(Add(Mul(Sub(mx, c), Int(600)), half), d); };
    const V dR = distance(o.Red), dG = distance(o.Green), dB = distance(o.Blue);
    const V notRed = Choose(Equal(o.Green, mx), Add(Int(1200), Sub(dR, dB)), Add(Int(2400), Sub(dG, dR)));
    const V H = Choose(grey, Int(2400), WrapHue(Choose(Equal(o.Red, mx), Sub(dB, dG), notRed)));

    // HLSToRGB(H, L, S).
    const V darkM2 = Divide(Add(Mul(L, Add(Int(3600), S)), Int(1800)), 3600);
    const V lightM2 = Sub(Add(L, S), Divide(Add(Mul(L, S), Int(1800)), 3600));
    const V m2 = Choose(Less(Int(1800), L), lightM2, darkM2);
    const V m1 = Sub(Add(L, L), m2);
    const V flat = Equal(S, Int(0));
    const V greyValue = Divide(Mul(L, Int(255)), 3600);
    const auto component = [&](V h) {
        const V value = Divide(Add(Mul(HueToValue(m1, m2, h), Int(255)), Int(1800)), 3600);
        return ClampBytes(Choose(flat, greyValue, value));
    };
    Store8(Target, component(Sub(H, Int(1200))), component(H), component(Add(H, Int(1200))));
}

}  // namespace

void GrayRowAvx2(uint8_t* Target, const uint8_t* Other, int Width) {
    int x = 0;
    for (; x + 8 <= Width; x += 8)
        Gray8(Target + 3 * x, Other + 3 * x);
    if (x == Width)
        return;
    // The last pixels through a full block of copies.
    uint8_t target[24] = {};
    uint8_t other[24] = {};
    const size_t bytes = size_t(3 * (Width - x));
    std::memcpy(target, Target + 3 * x, bytes);
    std::memcpy(other, Other + 3 * x, bytes);
    Gray8(target, other);
    std::memcpy(Target + 3 * x, target, bytes);
}

}  // namespace lumvor::hls_rows

#pragma GCC pop_options

#else

namespace lumvor::hls_rows {
void GrayRowAvx2(uint8_t* Target, const uint8_t* Other, int Width) { GrayRowPortable(Target, Other, Width); }
}  // namespace lumvor::hls_rows

#endif

namespace lumvor {

namespace hls_rows {
bool HaveAvx2() { return CpuHasAvx2(); }
}  // namespace hls_rows

void HLSGrayRow(uint8_t* Target, const uint8_t* Other, int Width) {
    static const bool avx2 = hls_rows::HaveAvx2();
    if (avx2)
        hls_rows::GrayRowAvx2(Target, Other, Width);
    else
        hls_rows::GrayRowPortable(Target, Other, Width);
}

}  // namespace lumvor
