// The two-image commands' pixel work over two 24-megapixel pictures (6000 x
// 4000, 24 bits) against libvips on the same pictures.
//
//   BM_Multiply      CombineBitmaps with the multiply rule, in place
//   BM_Difference    CombineBitmaps with the difference rule, in place
//   BM_VipsMultiply  `vips multiply a.v b.v out.v` less `vips copy a.v out.v`
//   BM_VipsSubtract  `vips subtract a.v b.v out.v` less `vips copy a.v out.v`
//
// vips runs single-threaded (VIPS_CONCURRENCY=1), as the program's pixel loops
// run on the user-interface thread, and reads and writes its native format.
// Each iteration times the plain copy and the operation with the same tool and
// reports the difference. Both pictures stay in memory for our routines; each
// iteration works on the result of the last (the cost does not depend on the
// bytes).
#include "bench_tools.h"
#include "processing/lab/PixelArithmetic.h"

#include <benchmark/benchmark.h>

#include <string>

using namespace lumvor;
using namespace lumvor::bench;

namespace {

constexpr int kWidth = 6000;
constexpr int kHeight = 4000;

const std::string& Folder() {
    static const std::string folder = TwoNoiseFolder("lumvor_twoimage_bench", kWidth, kHeight,
                                                     "vips copy a.ppm a.v && vips copy b.ppm b.v");
    return folder;
}

void RunRule(benchmark::State& state, TTwoImageRule rule) {
    TBitmap picture, partner;
    FillNoise(picture, kWidth, kHeight);
    FillPartnerNoise(partner, kWidth, kHeight);
    for (auto _ : state) {
        CombineBitmaps(picture, partner, rule);
        benchmark::DoNotOptimize(picture.ScanLine(0));
    }
    state.counters["MP/s"] =
        benchmark::Counter(double(kWidth) * kHeight / 1e6, benchmark::Counter::kIsIterationInvariantRate);
}

void BM_Multiply(benchmark::State& state) { RunRule(state, TTwoImageRule::Multiply); }

void BM_Difference(benchmark::State& state) { RunRule(state, TTwoImageRule::Difference); }

void BM_VipsMultiply(benchmark::State& state) {
    RunVipsOnA(state, Folder(), "multiply a.v b.v out.v");
}

void BM_VipsSubtract(benchmark::State& state) {
    RunVipsOnA(state, Folder(), "subtract a.v b.v out.v");
}

}  // namespace

BENCHMARK(BM_Multiply)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Difference)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_VipsMultiply)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_VipsSubtract)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
