// The structure filters over a 24-megapixel picture (6000 x 4000, 24 bits)
// against libvips's integer convolution with the same masks.
//
//   BM_GaussianBlur3x3    threshold 0, divisor 9, centre included (every byte
//                         that differs from its window mean takes the mean)
//   BM_VipsConv3x3        `vips conv in.v out.v box3.mat --precision integer`
//                         (the 3 x 3 box, scale 9), less `vipsheader in.v`
//   BM_DeScreen5x5        mode 1 (the 5 x 5 kernel of divisor 31)
//   BM_VipsConv5x5        the same kernel and divisor through `vips conv`
//
// vips runs single-threaded (VIPS_CONCURRENCY=1), as the program's pixel loops
// run on the user-interface thread, and reads its native format (.v).
#include "bench_tools.h"
#include "processing/spatial/StructureFilters.h"

#include <benchmark/benchmark.h>

#include <string>

using namespace lumvor;
using namespace lumvor::bench;

namespace {

constexpr int kWidth = 6000;
constexpr int kHeight = 4000;

const std::string& Folder() {
    static const std::string folder =
        NoiseFolder("lumvor_structure_bench", kWidth, kHeight,
                    "vips copy in.ppm in.v && "
                    "printf '3 3 9 0\\n1 1 1\\n1 1 1\\n1 1 1\\n' > box3.mat && "
                    "printf '5 5 31 0\\n1 1 1 1 1\\n1 1 2 1 1\\n1 2 3 2 1\\n1 1 2 1 1\\n1 1 1 1 1\\n' > descreen.mat");
    return folder;
}

template <class Filter>
void TimeFilter(benchmark::State& state, Filter filter) {
    TimeFilterOnNoise(state, kWidth, kHeight, filter);
}

void BM_GaussianBlur3x3(benchmark::State& state) {
    TimeFilter(state, [](TBitmap& p) { GaussianBlur3x3Bitmap(p, 0, 9, false); });
}

void BM_VipsConv3x3(benchmark::State& state) {
    RunToolDifference(state, Folder(), "VIPS_CONCURRENCY=1 vipsheader in.v >/dev/null",
                      "VIPS_CONCURRENCY=1 vips conv in.v out.v box3.mat --precision integer");
}

void BM_DeScreen5x5(benchmark::State& state) {
    TimeFilter(state, [](TBitmap& p) { DeScreen5x5Bitmap(p, 1); });
}

void BM_VipsConv5x5(benchmark::State& state) {
    RunToolDifference(state, Folder(), "VIPS_CONCURRENCY=1 vipsheader in.v >/dev/null",
                      "VIPS_CONCURRENCY=1 vips conv in.v out.v descreen.mat --precision integer");
}

}  // namespace

BENCHMARK(BM_GaussianBlur3x3)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_VipsConv3x3)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DeScreen5x5)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_VipsConv5x5)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
