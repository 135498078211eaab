// The gamma searches over a 12-megapixel picture (4000 x 3000, 24 bits). No
// library offers the same operation (a gamma curve steered until the mean
// reaches a target), so each search is timed alone and reports its passes:
//
//   BM_ConformGamma      the mid-tone mean steered to 90 (darker) and 180 (lighter)
//   BM_ConformGammaRGB   red, green and blue steered to 90, 150 and 200
//
// Counters: passes (curves tried), ms_per_pass (the iteration's time divided
// by them). Each iteration starts from the unchanged picture (copied outside
// the timing).
#include "bench_tools.h"
#include "processing/lab/Conform.h"

#include <benchmark/benchmark.h>

#include <array>
#include <chrono>

using namespace lumvor;
using namespace lumvor::bench;

namespace {

constexpr int kWidth = 4000;
constexpr int kHeight = 3000;

const TBitmap& Source() {
    static TBitmap picture;
    if (picture.Empty())
        FillNoise(picture, kWidth, kHeight);
    return picture;
}

template <class Search>
void RunSearch(benchmark::State& state, Search search) {
    TBitmap picture;
    int passes = 0;
    const TGammaPassLog log = [&](const std::array<int, 3>&, const std::array<int, 3>&) { ++passes; };
    double seconds = 0;
    int iterations = 0;
    for (auto _ : state) {
        state.PauseTiming();
        picture.Assign(&Source());
        passes = 0;
        state.ResumeTiming();
        const auto start = std::chrono::steady_clock::now();
        search(picture, log);
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        ++iterations;
        benchmark::DoNotOptimize(picture.ScanLine(0));
    }
    state.counters["passes"] = passes;
    state.counters["ms_per_pass"] = passes > 0 ? 1000 * seconds / iterations / passes : 0;
}

void BM_ConformGamma(benchmark::State& state) {
    const int target = int(state.range(0));
    RunSearch(state, [target](TBitmap& picture, const TGammaPassLog& log) { ConformGammaBitmap(picture, target, log); });
}
BENCHMARK(BM_ConformGamma)->Arg(90)->Arg(180)->Unit(benchmark::kMillisecond);

void BM_ConformGammaRGB(benchmark::State& state) {
    RunSearch(state, [](TBitmap& picture, const TGammaPassLog& log) {
        ConformGammaRGBBitmap(picture, {90, 150, 200}, log);
    });
}
BENCHMARK(BM_ConformGammaRGB)->Unit(benchmark::kMillisecond);

}  // namespace
