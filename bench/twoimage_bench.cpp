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

#include <QDir>

#include <cstdio>
#include <cstdlib>
#include <string>

using namespace lumvor;
using namespace lumvor::bench;

namespace {

constexpr int kWidth = 6000;
constexpr int kHeight = 4000;

// A second noise picture, unlike the first.
void FillPartner(TBitmap& bitmap) {
    FillNoise(bitmap, kWidth, kHeight);
    for (int y = 0; y < kHeight; ++y) {
        uint8_t* row = bitmap.ScanLine(y);
        for (int x = 0; x < 3 * kWidth; ++x)
            row[x] = uint8_t(row[x] * 7 + x);
    }
}

const std::string& Folder() {
    static const std::string folder = [] {
        const std::string dir = QDir::tempPath().toStdString() + "/lumvor_twoimage_bench/";
        QDir().mkpath(QString::fromStdString(dir));
        TBitmap a, b;
        FillNoise(a, kWidth, kHeight);
        FillPartner(b);
        WritePpm(dir + "a.ppm", a);
        WritePpm(dir + "b.ppm", b);
        const std::string prepare = "cd " + dir + " && vips copy a.ppm a.v && vips copy b.ppm b.v";
        if (std::system(prepare.c_str()) != 0)
            std::fprintf(stderr, "preparing the tool's files failed\n");
        return dir;
    }();
    return folder;
}

void RunRule(benchmark::State& state, TTwoImageRule rule) {
    TBitmap picture, partner;
    FillNoise(picture, kWidth, kHeight);
    FillPartner(partner);
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
    RunToolDifference(state, Folder(), "VIPS_CONCURRENCY=1 vips copy a.v out.v",
                      "VIPS_CONCURRENCY=1 vips multiply a.v b.v out.v");
}

void BM_VipsSubtract(benchmark::State& state) {
    RunToolDifference(state, Folder(), "VIPS_CONCURRENCY=1 vips copy a.v out.v",
                      "VIPS_CONCURRENCY=1 vips subtract a.v b.v out.v");
}

}  // namespace

BENCHMARK(BM_Multiply)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Difference)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_VipsMultiply)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_VipsSubtract)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
