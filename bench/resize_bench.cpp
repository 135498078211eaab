// Halving a 24-megapixel picture (6000 x 4000, 24 bits) against libvips and
// ImageMagick on the same picture.
//
//   BM_Interpolate        the image window's own nearest-neighbour copy (Interpolate)
//   BM_VipsResizeNearest  `vips resize in.v out.v 0.5 --kernel nearest` less `vips copy in.v out.v`
//   BM_SmoothCopy         the imaging library's smooth copy (ImgCopy method 4) to half size
//   BM_ResampleRoad       Resample's road: the smooth copy at twice the new size
//                         (here the picture's own size), then at the new size
//   BM_VipsReduce         `vips reduce in.v out.v 2 2` less the copy
//   BM_ConvertResize      `convert in.mpc -resize 50% out.mpc` less `convert in.mpc out.mpc`
//
// The tools run single-threaded (VIPS_CONCURRENCY=1, `-limit thread 1`), as the
// program's pixel loops run on the user-interface thread, and read and write
// their fastest native formats (.v, .mpc). Each iteration times the plain copy
// and the resize with the same tool and reports the difference.
#include "bench_tools.h"
#include "imgman/imgman.h"
#include "platform/PackedDib.h"
#include "processing/geometry/Resize24.h"

#include <benchmark/benchmark.h>

#include <string>

using namespace lumvor;

namespace {

constexpr int kWidth = 6000;
constexpr int kHeight = 4000;

void FillNoise(TBitmap& bitmap) { bench::FillNoise(bitmap, kWidth, kHeight); }

// The scratch folder with the picture in each tool's format, made once.
const std::string& Folder() {
    static const std::string folder = bench::NoiseFolder("lumvor_resize_bench", kWidth, kHeight,
                                                         "vips copy in.ppm in.v && /usr/bin/convert in.ppm in.mpc");
    return folder;
}

void RunToolDifference(benchmark::State& state, const std::string& copy, const std::string& work) {
    bench::RunToolDifference(state, Folder(), copy, work);
}

void CountMegapixels(benchmark::State& state) {
    state.counters["MP/s"] =
        benchmark::Counter(double(kWidth) * kHeight / 1e6, benchmark::Counter::kIsIterationInvariantRate);
}

void BM_Interpolate(benchmark::State& state) {
    TBitmap picture, half;
    FillNoise(picture);
    for (auto _ : state) {
        InterpolateCopy(picture, half, kWidth / 2, kHeight / 2);
        benchmark::DoNotOptimize(half.ScanLine(0));
    }
    CountMegapixels(state);
}

// The noise picture as an imaging-library picture.
int LibraryPicture() {
    TBitmap picture;
    FillNoise(picture);
    ImgInit();
    return ImgFromDIB(TPackedDib::FromPixels(*picture.Handle()));
}

// Copies the library picture at each size in turn, each copy from the one before.
void RunLibraryCopies(benchmark::State& state, std::initializer_list<std::pair<int, int>> sizes) {
    const int handle = LibraryPicture();
    for (auto _ : state) {
        int from = handle;
        for (const auto& [width, height] : sizes) {
            const int copy = ImgCopy(from, width, height, nullptr, IMG_COPY_SMOOTH);
            if (copy == 0) {
                state.SkipWithError("the copy failed");
                return;
            }
            if (from != handle)
                ImgClose(from);
            from = copy;
        }
        ImgClose(from);
    }
    ImgClose(handle);
    CountMegapixels(state);
}

void BM_SmoothCopy(benchmark::State& state) { RunLibraryCopies(state, {{kWidth / 2, kHeight / 2}}); }

void BM_ResampleRoad(benchmark::State& state) {
    RunLibraryCopies(state, {{kWidth, kHeight}, {kWidth / 2, kHeight / 2}});
}

void BM_VipsResizeNearest(benchmark::State& state) {
    RunToolDifference(state, "VIPS_CONCURRENCY=1 vips copy in.v out.v",
                      "VIPS_CONCURRENCY=1 vips resize in.v out.v 0.5 --kernel nearest");
}

void BM_VipsReduce(benchmark::State& state) {
    RunToolDifference(state, "VIPS_CONCURRENCY=1 vips copy in.v out.v", "VIPS_CONCURRENCY=1 vips reduce in.v out.v 2 2");
}

void BM_ConvertResize(benchmark::State& state) {
    RunToolDifference(state, "/usr/bin/convert -limit thread 1 in.mpc out.mpc",
                      "/usr/bin/convert -limit thread 1 in.mpc -resize 50% out.mpc");
}

}  // namespace

BENCHMARK(BM_Interpolate)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_VipsResizeNearest)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SmoothCopy)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ResampleRoad)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_VipsReduce)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ConvertResize)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
