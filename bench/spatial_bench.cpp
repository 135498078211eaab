// The neighbourhood filters over a 24-megapixel picture (6000 x 4000, 24 bits)
// against libvips and ImageMagick on the same picture.
//
//   BM_Spatial3x3              MeanRemoval(2): the 3 x 3 kernel -1 .. 15 .. -1, divisor 7
//   BM_VipsConv                `vips conv in.v out.v mask.mat --precision integer`
//                              with the same mask, less `vipsheader in.v`
//   BM_Median/mode:2           the 3 x 3 median
//   BM_VipsRank3x3             `vips rank in.v out.v 3 3 4`
//   BM_Median/mode:9           the 7 x 7 median
//   BM_VipsRank7x7             `vips rank in.v out.v 7 7 24`
//   BM_ConvertMedian7x7        `convert in.mpc -statistic Median 7x7 out.mpc`
//                              less `convert in.mpc out.mpc`
//   BM_UnSharpMask5x5          threshold 0, amount 63 (the automatic sharpening)
//   BM_ConvertUnsharp          `convert in.mpc -unsharp 2x1 out.mpc` (a cost reference:
//                              another algorithm)
//
// The tools run single-threaded (VIPS_CONCURRENCY=1, `-limit thread 1`), as the
// program's pixel loops run on the user-interface thread, and read their
// fastest native formats (.v, .mpc).
#include "bench_tools.h"
#include "processing/spatial/SpatialFilters.h"
#include "processing/spatial/UnsharpMask.h"

#include <benchmark/benchmark.h>

#include <string>

using namespace lumvor;
using namespace lumvor::bench;

namespace {

constexpr int kWidth = 6000;
constexpr int kHeight = 4000;

const std::string& Folder() {
    static const std::string folder =
        NoiseFolder("lumvor_spatial_bench", kWidth, kHeight,
                    "vips copy in.ppm in.v && /usr/bin/convert in.ppm in.mpc && "
                    "printf '3 3 7 0\\n-1 -1 -1\\n-1 15 -1\\n-1 -1 -1\\n' > mask.mat");
    return folder;
}

template <class Filter>
void TimeFilter(benchmark::State& state, Filter filter) {
    TimeFilterOnNoise(state, kWidth, kHeight, filter);
}

void BM_Spatial3x3(benchmark::State& state) {
    TimeFilter(state, [](TBitmap& p) { Spatial3x3Bitmap(p, SpatialKernel, SetMeanRemovalKernel(2)); });
}

void BM_VipsConv(benchmark::State& state) {
    RunToolDifference(state, Folder(), "VIPS_CONCURRENCY=1 vipsheader in.v >/dev/null",
                      "VIPS_CONCURRENCY=1 vips conv in.v out.v mask.mat --precision integer");
}

void BM_Median(benchmark::State& state) {
    const int mode = int(state.range(0));
    TimeFilter(state, [mode](TBitmap& p) { MedianBitmap(p, mode, 0); });
}

void BM_VipsRank3x3(benchmark::State& state) {
    RunToolDifference(state, Folder(), "VIPS_CONCURRENCY=1 vipsheader in.v >/dev/null",
                      "VIPS_CONCURRENCY=1 vips rank in.v out.v 3 3 4");
}

void BM_VipsRank7x7(benchmark::State& state) {
    RunToolDifference(state, Folder(), "VIPS_CONCURRENCY=1 vipsheader in.v >/dev/null",
                      "VIPS_CONCURRENCY=1 vips rank in.v out.v 7 7 24");
}

void BM_ConvertMedian7x7(benchmark::State& state) {
    RunToolDifference(state, Folder(), "/usr/bin/convert -limit thread 1 in.mpc out.mpc",
                      "/usr/bin/convert -limit thread 1 in.mpc -statistic Median 7x7 out.mpc");
}

void BM_UnSharpMask5x5(benchmark::State& state) {
    TimeFilter(state, [](TBitmap& p) { UnSharpMask5x5Bitmap(p, 0, 63); });
}

void BM_ConvertUnsharp(benchmark::State& state) {
    RunToolDifference(state, Folder(), "/usr/bin/convert -limit thread 1 in.mpc out.mpc",
                      "/usr/bin/convert -limit thread 1 in.mpc -unsharp 2x1 out.mpc");
}

}  // namespace

BENCHMARK(BM_Spatial3x3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_VipsConv)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Median)->ArgName("mode")->Arg(2)->Arg(9)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_VipsRank3x3)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_VipsRank7x7)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ConvertMedian7x7)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UnSharpMask5x5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ConvertUnsharp)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
