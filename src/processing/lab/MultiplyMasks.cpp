#include "processing/lab/MultiplyMasks.h"

#include "processing/lab/Pixels24.h"
#include "processing/tonal/ColorMaps.h"

#include <algorithm>

namespace lumvor {

namespace {

int Luminance(int Red, int Green, int Blue) { return std::min(255, Red * 3 / 10 + Green * 6 / 10 + Blue / 10); }

// Keep weight w on the component and 255 - w on its square.
inline int Mix(int Component, int Square, int Keep) {
    return std::min(255, Keep * Component / 255 + (255 - Keep) * Square / 255);
}

template <bool Boost>
void ApplyMultiplyMask(TBitmap& Picture, int Gamma, int Mode, int Invert) {
    SetGammaLUT(Gamma, 1, false);
    ForEachPixel24(Picture, [Mode, Invert](uint8_t* p) {
        const auto flip = [](uint8_t v) { return Boost ? uint8_t(255 - v) : v; };
        const std::array<uint8_t, 3> out = MultiplyMaskPixel(flip(p[2]), flip(p[1]), flip(p[0]), Mode, Invert);
        p[2] = flip(out[0]);
        p[1] = flip(out[1]);
        p[0] = flip(out[2]);
    });
}

}  // namespace

std::array<uint8_t, 3> MultiplyMaskPixel(uint8_t Red, uint8_t Green, uint8_t Blue, int Mode, int Invert) {
    const std::array<int, 3> c{Red, Green, Blue};
    std::array<int, 3> q{};
    for (size_t i = 0; i < 3; ++i)
        q[i] = c[i] * c[i] / 255;
    const int index = Mode == 0 ? Luminance(q[0], q[1], q[2]) : Luminance(c[0], c[1], c[2]);
    const int mask = GreenMap[size_t(Invert != 0 ? 255 - index : index)];
    // Mode 0 without Invert moves a component towards its square where the
    // mask is high; every other case keeps the component where it is high.
    const int keep = Mode == 0 && Invert == 0 ? 255 - mask : mask;
    std::array<uint8_t, 3> out{};
    for (size_t i = 0; i < 3; ++i)
        out[i] = uint8_t(Mix(c[i], q[i], keep));
    return out;
}

void MultiplyMaskBitmap(TBitmap& Picture, int Gamma, int Mode, int Invert) {
    ApplyMultiplyMask<false>(Picture, Gamma, Mode, Invert);
}

void BoostMultiplyMaskBitmap(TBitmap& Picture, int Gamma, int Mode, int Invert) {
    ApplyMultiplyMask<true>(Picture, Gamma, Mode, Invert);
}

}  // namespace lumvor
