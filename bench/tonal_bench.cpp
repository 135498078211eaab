// The histogram and the hue-lightness-saturation shift over a 24-megapixel
// picture (6000 x 4000, 24 bits) against libvips `hist_find` and ImageMagick
// `-modulate` on the same picture.
//
//   BM_CalcHistogram/sat:0/hue:0  counts, sums: red, green, blue, luminance
//   BM_CalcHistogram/sat:1/hue:0  and the saturation bins
//   BM_CalcHistogram/sat:1/hue:1  and the hue bins
//   BM_VipsHistFind            `vips hist_find in.v out.v` less `vipsheader in.v`
//                              (the tool's start-up and opening)
//   BM_ColorTuneHLS            hue +18 degrees, saturation +10 % of the scale
//   BM_ConvertModulate         `convert in.mpc -modulate 100,120,110 out.mpc`
//                              less `convert in.mpc out.mpc`
//
// The tools run single-threaded (VIPS_CONCURRENCY=1, `-limit thread 1`), as the
// program's pixel loops run on the user-interface thread, and read their
// fastest native formats (.v, .mpc).
#include "bench_tools.h"
#include "processing/tonal/HLSFilters.h"
#include "processing/tonal/Histogram.h"

#include <benchmark/benchmark.h>

#include <QDir>

#include <cstdio>
#include <cstdlib>
#include <string>

using namespace lumvor;
using namespace lumvor::bench;

namespace {

constexpr int kWidth = 6000;
constexpr int kHeight = 4000;

const std::string& Folder() {
    static const std::string folder = NoiseFolder("lumvor_tonal_bench", kWidth, kHeight,
                                                  "vips copy in.ppm in.v && /usr/bin/convert in.ppm in.mpc");
    return folder;
}

void SetRate(benchmark::State& state) {
    state.counters["MP/s"] =
        benchmark::Counter(double(kWidth) * kHeight / 1e6, benchmark::Counter::kIsIterationInvariantRate);
}

void BM_CalcHistogram(benchmark::State& state) {
    TBitmap picture;
    FillNoise(picture, kWidth, kHeight);
    const bool saturation = state.range(0) != 0, hue = state.range(1) != 0;
    for (auto _ : state) {
        CalcHistogram(picture, saturation, true, hue);
        benchmark::DoNotOptimize(HistSumMax);
    }
    SetRate(state);
}

void BM_VipsHistFind(benchmark::State& state) {
    RunToolDifference(state, Folder(), "VIPS_CONCURRENCY=1 vipsheader in.v >/dev/null",
                      "VIPS_CONCURRENCY=1 vips hist_find in.v out.v");
}

void BM_ColorTuneHLS(benchmark::State& state) {
    TBitmap picture;
    FillNoise(picture, kWidth, kHeight);
    for (auto _ : state) {
        ColorTuneHLSBitmap(picture, 180, 0, 360);
        benchmark::DoNotOptimize(picture.ScanLine(0));
    }
    SetRate(state);
}

void BM_ConvertModulate(benchmark::State& state) {
    RunToolDifference(state, Folder(), "/usr/bin/convert -limit thread 1 in.mpc out.mpc",
                      "/usr/bin/convert -limit thread 1 in.mpc -modulate 100,120,110 out.mpc");
}

}  // namespace

BENCHMARK(BM_CalcHistogram)->ArgNames({"sat", "hue"})->Args({0, 0})->Args({1, 0})->Args({1, 1})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_VipsHistFind)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ColorTuneHLS)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ConvertModulate)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
