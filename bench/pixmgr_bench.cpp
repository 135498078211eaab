// Row conversion speed of the pixel converter over a 24-megapixel picture
// (6000 x 4000): interleaved RGB to BGR rows and planar CMYK to BGR rows.
#include "imaging/vo_PixMgr.h"

#include <benchmark/benchmark.h>

#include <vector>

using namespace lumvor;

namespace {

constexpr int kWidth = 6000;
constexpr int kHeight = 4000;

std::vector<uint8_t> Noise(size_t size) {
    std::vector<uint8_t> data(size);
    uint32_t state = 12345;
    for (auto& b : data) {
        state = state * 1664525u + 1013904223u;
        b = static_cast<uint8_t>(state >> 24);
    }
    return data;
}

void RgbToBgr(benchmark::State& state) {
    const std::vector<uint8_t> source = Noise(size_t{kWidth} * 3 * 16);  // 16 rows reused
    std::vector<uint8_t> dest(size_t{kWidth} * 3);
    TPixelConverter converter;
    for (auto _ : state) {
        for (int y = 0; y < kHeight; ++y) {
            const uint8_t* planes[] = {source.data() + size_t(y % 16) * kWidth * 3};
            converter.Convert(planes, dest.data(), kWidth, 0xFF, 1);
        }
        benchmark::DoNotOptimize(dest.data());
    }
    state.counters["MP/s"] = benchmark::Counter(double(kWidth) * kHeight / 1e6, benchmark::Counter::kIsIterationInvariantRate);
}

void CmykToBgr(benchmark::State& state) {
    const std::vector<uint8_t> source = Noise(size_t{kWidth} * 4 * 16);
    std::vector<uint8_t> dest(size_t{kWidth} * 3);
    TPixelConverter converter;
    converter.SetSourceColorSpace(csCMYK);
    converter.SetSourceSamples(4);
    for (auto _ : state) {
        for (int y = 0; y < kHeight; ++y) {
            const uint8_t* row = source.data() + size_t(y % 16) * kWidth * 4;
            const uint8_t* planes[] = {row, row + kWidth, row + 2 * kWidth, row + 3 * kWidth};
            converter.Convert(planes, dest.data(), kWidth, 0xFF, 4);
        }
        benchmark::DoNotOptimize(dest.data());
    }
    state.counters["MP/s"] = benchmark::Counter(double(kWidth) * kHeight / 1e6, benchmark::Counter::kIsIterationInvariantRate);
}

}  // namespace

BENCHMARK(RgbToBgr)->Unit(benchmark::kMillisecond);
BENCHMARK(CmykToBgr)->Unit(benchmark::kMillisecond);
