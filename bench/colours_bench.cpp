// Haze removal and the natural film look over a 24-megapixel picture (6000 x
// 4000, 24 bits) against ImageMagick and libvips on the same picture.
//
//   BM_Defog             strength 255, boost 64
//   BM_ConvertModulate   `convert in.mpc -modulate 100,130,100 out.mpc` (one
//                        colour-space round trip per pixel, the cost floor),
//                        less `convert in.mpc out.mpc`
//   BM_FilmLookRgb/Ccd   level 128, amount 52, between the smallest and largest
//                        component or the CCD mean and the luminance
//   BM_VipsMaplut        `vips maplut in.v out.v lut.v` (one pass, the floor),
//                        less `vips copy in.v out.v`
//
// The tools run single-threaded (VIPS_CONCURRENCY=1, `-limit thread 1`), as the
// program's pixel loops run on the user-interface thread, and read and write
// their fastest native formats (.v, .mpc).
#include "bench_tools.h"
#include "processing/lab/ColourBalance.h"

#include <benchmark/benchmark.h>

#include <string>

using namespace lumvor;
using namespace lumvor::bench;

namespace {

constexpr int kWidth = 6000;
constexpr int kHeight = 4000;

const std::string& Folder() {
    static const std::string folder =
        NoiseFolder("lumvor_colours_bench", kWidth, kHeight,
                    "vips copy in.ppm in.v && vips identity lut.v --bands 3 && /usr/bin/convert in.ppm in.mpc");
    return folder;
}

template <class Filter>
void TimeFilter(benchmark::State& state, Filter filter) {
    TimeFilterOnNoise(state, kWidth, kHeight, filter);
}

void BM_Defog(benchmark::State& state) {
    TimeFilter(state, [](TBitmap& p) { DefogBitmap(p, 255, 64); });
}

void BM_ConvertModulate(benchmark::State& state) {
    RunToolDifference(state, Folder(), "/usr/bin/convert -limit thread 1 in.mpc out.mpc",
                      "/usr/bin/convert -limit thread 1 in.mpc -modulate 100,130,100 out.mpc");
}

void BM_FilmLookRgb(benchmark::State& state) {
    TimeFilter(state, [](TBitmap& p) { FilmNoirBitmap(p, 128, 52, false); });
}

void BM_FilmLookCcd(benchmark::State& state) {
    TimeFilter(state, [](TBitmap& p) { FilmNoirBitmap(p, 128, 52, true); });
}

void BM_VipsMaplut(benchmark::State& state) {
    RunToolDifference(state, Folder(), "VIPS_CONCURRENCY=1 vips copy in.v out.v",
                      "VIPS_CONCURRENCY=1 vips maplut in.v out.v lut.v");
}

}  // namespace

BENCHMARK(BM_Defog)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ConvertModulate)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FilmLookRgb)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FilmLookCcd)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_VipsMaplut)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
