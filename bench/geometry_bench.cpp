// Turning a 24-megapixel picture (6000 x 4000, 24 bits) by a quarter and by
// 7.5 degrees against libvips on the same picture.
//
//   BM_RotateQuarter  RotatePixels by 9000 hundredths (exact quarter turn)
//   BM_RotateFine     RotatePixels by 750 hundredths (bilinear, into the bounding box)
//   BM_VipsRot90      `vips rot in.v out.v d90` less `vips copy in.v out.v`
//   BM_VipsRotate     `vips rotate in.v out.v 7.5` less `vips copy in.v out.v`
//
// vips runs single-threaded (VIPS_CONCURRENCY=1), as the program's pixel work
// runs on the user-interface thread, and reads and writes its native format.
// Each iteration times the plain copy and the turn and reports the difference.
#include "imgman/ImgTransform.h"

#include "bench_tools.h"

#include <benchmark/benchmark.h>

#include <QDir>

#include <cstdio>
#include <cstdlib>
#include <string>

using namespace lumvor;

namespace {

constexpr int kWidth = 6000;
constexpr int kHeight = 4000;

TPixelBuffer NoisePicture() { return bench::NoisePixels(kWidth, kHeight); }

// The scratch folder with the picture in vips's format, made once.
const std::string& Folder() {
    static const std::string folder = [] {
        const std::string dir = QDir::tempPath().toStdString() + "/lumvor_geometry_bench/";
        QDir().mkpath(QString::fromStdString(dir));
        bench::WritePpm(dir + "in.ppm", NoisePicture());
        if (std::system(("cd " + dir + " && vips copy in.ppm in.v").c_str()) != 0)
            std::fprintf(stderr, "preparing the vips file failed\n");
        return dir;
    }();
    return folder;
}

void RunVipsDifference(benchmark::State& state, const std::string& work) {
    bench::RunToolDifference(state, Folder(), "VIPS_CONCURRENCY=1 vips copy in.v out.v",
                             "VIPS_CONCURRENCY=1 vips " + work);
}

void RunOurs(benchmark::State& state, int angle) {
    const TPixelBuffer picture = NoisePicture();
    for (auto _ : state) {
        TPixelBuffer turned = imgman::RotatePixels(picture, angle, 0xFFFFFF);
        benchmark::DoNotOptimize(turned.Bits());
    }
    state.counters["MP/s"] =
        benchmark::Counter(double(kWidth) * kHeight / 1e6, benchmark::Counter::kIsIterationInvariantRate);
}

void BM_RotateQuarter(benchmark::State& state) { RunOurs(state, 9000); }
void BM_RotateFine(benchmark::State& state) { RunOurs(state, 750); }
void BM_VipsRot90(benchmark::State& state) { RunVipsDifference(state, "rot in.v out.v d90"); }
void BM_VipsRotate(benchmark::State& state) { RunVipsDifference(state, "rotate in.v out.v 7.5"); }

}  // namespace

BENCHMARK(BM_RotateQuarter)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RotateFine)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_VipsRot90)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_VipsRotate)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
