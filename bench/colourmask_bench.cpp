// The edge mask and the HLS colour mask over a 24-megapixel picture (6000 x
// 4000, 24 bits) against libvips and ImageMagick on the same picture.
//
//   BM_MaskEdges        threshold 400, weight 128, with a second noise picture
//   BM_VipsBoxMean      `vips conv in.v out.v box.mat --precision integer` with a
//                       5 x 5 box mask (the window mean the edge mask computes,
//                       as the floor), less `vipsheader in.v`
//   BM_MaskColors       a box of half the hue, lightness and saturation ranges
//   BM_ConvertModulate  `convert in.mpc -modulate 100,100,100 out.mpc` (one
//                       colour-space round trip per pixel, as the floor), less
//                       `convert in.mpc out.mpc`
//
// The tools run single-threaded, as the program's pixel loops run on the
// user-interface thread, and read their fastest native formats (.v, .mpc).
#include "bench_tools.h"
#include "processing/lab/ColourMasks.h"

#include <benchmark/benchmark.h>

#include <string>

using namespace lumvor;
using namespace lumvor::bench;

namespace {

constexpr int kWidth = 6000;
constexpr int kHeight = 4000;

const std::string& Folder() {
    static const std::string folder =
        NoiseFolder("lumvor_colourmask_bench", kWidth, kHeight,
                    "vips copy in.ppm in.v && /usr/bin/convert in.ppm in.mpc && "
                    "printf '5 5 25 0\\n1 1 1 1 1\\n1 1 1 1 1\\n1 1 1 1 1\\n1 1 1 1 1\\n1 1 1 1 1\\n' > box.mat");
    return folder;
}

template <class Filter>
void TimeFilter(benchmark::State& state, Filter filter) {
    TimeFilterOnNoise(state, kWidth, kHeight, filter);
}

void BM_MaskEdges(benchmark::State& state) {
    TBitmap partner;
    FillPartnerNoise(partner, kWidth, kHeight);
    TimeFilter(state, [&](TBitmap& p) { MaskEdgesBitmap(p, partner, 400, 128); });
}

void BM_VipsBoxMean(benchmark::State& state) {
    RunToolDifference(state, Folder(), "VIPS_CONCURRENCY=1 vipsheader in.v >/dev/null",
                      "VIPS_CONCURRENCY=1 vips conv in.v out.v box.mat --precision integer");
}

void BM_MaskColors(benchmark::State& state) {
    const TColourBox box = UnpackColourBox(1800 | 900 << 16, 1800 | 900 << 16, 1800 | 900 << 16);
    TimeFilter(state, [&](TBitmap& p) { MaskColoursBitmap(p, box, false, true, false); });
}

void BM_ConvertModulate(benchmark::State& state) {
    RunToolDifference(state, Folder(), "/usr/bin/convert -limit thread 1 in.mpc out.mpc",
                      "/usr/bin/convert -limit thread 1 in.mpc -modulate 100,100,100 out.mpc");
}

}  // namespace

BENCHMARK(BM_MaskEdges)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_VipsBoxMean)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MaskColors)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ConvertModulate)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
