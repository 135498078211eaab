// The tonal composites' pixel work over two 24-megapixel pictures (6000 x
// 4000, 24 bits) against libvips's mask-weighted mix on the same pictures.
//
//   BM_CompositeMask    CompositeMaskBitmap (shadows, curve 150, mask mix 40), in place
//   BM_CompositeGray    CompositeGrayBitmap (hue and saturation of the other), in place
//   BM_VipsBlend        `vips ifthenelse mask.v b.v a.v out.v --blend` less
//                       `vips copy a.v out.v`: each pixel mixed by a one-band
//                       weight, the closest library operation
//
// vips runs single-threaded (VIPS_CONCURRENCY=1), as the program's pixel loops
// run on the user-interface thread. Each iteration of ours works on the
// result of the last (the cost hardly depends on the bytes).
#include "bench_tools.h"
#include "processing/lab/TonalComposites.h"

#include <benchmark/benchmark.h>

#include <string>

using namespace lumvor;
using namespace lumvor::bench;

namespace {

constexpr int kWidth = 6000;
constexpr int kHeight = 4000;

const std::string& Folder() {
    static const std::string folder =
        TwoNoiseFolder("lumvor_composite_bench", kWidth, kHeight,
                       "vips copy a.ppm a.v && vips copy b.ppm b.v && vips colourspace a.v grey.v b-w"
                       " && vips cast grey.v mask.v uchar");
    return folder;
}

template <class Composite>
void RunComposite(benchmark::State& state, Composite composite) {
    TBitmap target, other;
    FillNoise(target, kWidth, kHeight);
    FillPartnerNoise(other, kWidth, kHeight);
    for (auto _ : state) {
        composite(target, other);
        benchmark::DoNotOptimize(target.ScanLine(0));
    }
    state.counters["MP/s"] =
        benchmark::Counter(double(kWidth) * kHeight / 1e6, benchmark::Counter::kIsIterationInvariantRate);
}

void BM_CompositeMask(benchmark::State& state) {
    RunComposite(state, [](TBitmap& t, const TBitmap& o) { CompositeMaskBitmap(t, o, 150, 40, true); });
}

void BM_CompositeGray(benchmark::State& state) { RunComposite(state, CompositeGrayBitmap); }

void BM_VipsBlend(benchmark::State& state) {
    RunVipsOnA(state, Folder(), "ifthenelse mask.v b.v a.v out.v --blend");
}

}  // namespace

BENCHMARK(BM_CompositeMask)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CompositeGray)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_VipsBlend)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
