// Reducing a 24-megapixel picture (6000 x 4000, 24 bits) to 256 dithered
// colours against ImageMagick's `-colors 256 -dither FloydSteinberg`.
//
//   BM_ReduceColors/36   median-cut palette, error diffusion (flags 0x24)
//   BM_ReduceColors/68   refined palette, error diffusion ("Optimal", 0x44)
//   BM_ReduceColors/20   median-cut palette, ordered dithering ("Standard", 0x14)
//   BM_ConvertColors     `convert in.mpc -colors 256 -dither FloydSteinberg out.mpc`
//                        less `convert in.mpc out.mpc`
//
// The picture is photo-like: smooth waves of colour over the whole frame with
// a little grain. ImageMagick runs single-threaded (`-limit thread 1`), as the
// program's reduction runs on the user-interface thread, and reads and writes
// its own fastest format; each iteration times the plain copy and the
// reduction with the same tool and reports the difference.
#include "imgman/ImgReduce.h"

#include "bench_tools.h"

#include <benchmark/benchmark.h>

#include <QDir>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

using namespace lumvor;

namespace {

constexpr int kWidth = 6000;
constexpr int kHeight = 4000;

const TPixelBuffer& Photo() {
    static const TPixelBuffer picture = [] {
        TPixelBuffer p(kWidth, kHeight, 24);
        uint32_t state = 12345;
        for (int y = 0; y < kHeight; ++y) {
            uint8_t* row = p.ScanLine(y);
            for (int x = 0; x < kWidth; ++x) {
                state = state * 1664525u + 1013904223u;
                const int grain = int(state >> 29) - 4;
                const double u = x / 900.0, v = y / 700.0;
                const int r = int(128 + 100 * std::sin(u + 0.5 * v) + 20 * std::sin(5 * v)) + grain;
                const int g = int(120 + 90 * std::sin(0.7 * u - v + 1) + 25 * std::cos(3 * u)) + grain;
                const int b = int(110 + 80 * std::cos(0.4 * u + 0.9 * v)) + grain;
                row[3 * x] = uint8_t(std::clamp(b, 0, 255));
                row[3 * x + 1] = uint8_t(std::clamp(g, 0, 255));
                row[3 * x + 2] = uint8_t(std::clamp(r, 0, 255));
            }
        }
        return p;
    }();
    return picture;
}

// The scratch folder with the picture in ImageMagick's own format, made once.
const std::string& Folder() {
    static const std::string folder = [] {
        const std::string dir = QDir::tempPath().toStdString() + "/lumvor_reduce_bench/";
        QDir().mkpath(QString::fromStdString(dir));
        const TPixelBuffer& picture = Photo();
        bench::WritePpm(dir + "in.ppm", picture);
        if (std::system(("cd " + dir + " && /usr/bin/convert in.ppm in.mpc").c_str()) != 0)
            std::fprintf(stderr, "preparing the tool's file failed\n");
        return dir;
    }();
    return folder;
}

void BM_ReduceColors(benchmark::State& state) {
    const TPixelBuffer& picture = Photo();
    const auto flags = int32_t(state.range(0));
    for (auto _ : state) {
        TPixelBuffer reduced = imgman::ReducePixels(picture, 256, flags);
        benchmark::DoNotOptimize(reduced.Bits());
    }
    state.counters["MP/s"] =
        benchmark::Counter(double(kWidth) * kHeight / 1e6, benchmark::Counter::kIsIterationInvariantRate);
}

void BM_ConvertColors(benchmark::State& state) {
    bench::RunToolDifference(state, Folder(), "/usr/bin/convert -limit thread 1 in.mpc out.mpc",
                             "/usr/bin/convert -limit thread 1 in.mpc -dither FloydSteinberg -colors 256 out.mpc");
}

}  // namespace

BENCHMARK(BM_ReduceColors)->Arg(0x24)->Arg(0x44)->Arg(0x14)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ConvertColors)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
