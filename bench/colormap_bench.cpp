// The colour filter over a 24-megapixel picture (6000 x 4000, 24 bits) against
// libvips `maplut` and ImageMagick `-gamma 2` on the same picture.
//
//   BM_ColorFilterBitmap  the three gamma maps applied in place
//   BM_VipsMaplut         `vips maplut in.v out.v lut.v` less `vips copy in.v out.v`
//   BM_ConvertGamma       `convert in.mpc -gamma 2 out.mpc` less `convert in.mpc out.mpc`
//
// The tools run single-threaded (VIPS_CONCURRENCY=1, `-limit thread 1`), as the
// program's pixel loops run on the user-interface thread, and read and write
// their fastest native formats (.v, .mpc). Each iteration times the plain copy
// and the mapping with the same tool and reports the difference.
#include "bench_tools.h"
#include "processing/tonal/ColorMaps.h"

#include <benchmark/benchmark.h>

#include <QDir>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

using namespace lumvor;
using namespace lumvor::bench;

namespace {

constexpr int kWidth = 6000;
constexpr int kHeight = 4000;

void SetGammaMaps() {
    for (int channel = 0; channel < 3; ++channel)
        SetGammaLUT(200, channel, false);
}

// The scratch folder of the tools' files, made once with the picture and the
// look-up table in each tool's format.
const std::string& Folder() {
    static const std::string folder = [] {
        const std::string dir = QDir::tempPath().toStdString() + "/lumvor_colormap_bench/";
        QDir().mkpath(QString::fromStdString(dir));
        TBitmap picture;
        FillNoise(picture, kWidth, kHeight);
        WritePpm(dir + "in.ppm", picture);
        SetGammaMaps();
        std::ofstream lut(dir + "lut.ppm", std::ios::binary);
        lut << "P6\n256 1\n255\n";
        for (int i = 0; i < 256; ++i) {
            const char rgb[3] = {char(RedMap[size_t(i)]), char(GreenMap[size_t(i)]), char(BlueMap[size_t(i)])};
            lut.write(rgb, 3);
        }
        lut.close();
        const std::string prepare = "cd " + dir + " && vips copy in.ppm in.v && vips copy lut.ppm lut.v" +
                                    " && /usr/bin/convert in.ppm in.mpc";
        if (std::system(prepare.c_str()) != 0)
            std::fprintf(stderr, "preparing the tools' files failed\n");
        return dir;
    }();
    return folder;
}

void BM_ColorFilterBitmap(benchmark::State& state) {
    TBitmap picture;
    FillNoise(picture, kWidth, kHeight);
    SetGammaMaps();
    for (auto _ : state) {
        ColorFilterBitmap(picture);
        benchmark::DoNotOptimize(picture.ScanLine(0));
    }
    state.counters["MP/s"] =
        benchmark::Counter(double(kWidth) * kHeight / 1e6, benchmark::Counter::kIsIterationInvariantRate);
}

void BM_VipsMaplut(benchmark::State& state) {
    RunToolDifference(state, Folder(), "VIPS_CONCURRENCY=1 vips copy in.v out.v",
                      "VIPS_CONCURRENCY=1 vips maplut in.v out.v lut.v");
}

void BM_ConvertGamma(benchmark::State& state) {
    RunToolDifference(state, Folder(), "/usr/bin/convert -limit thread 1 in.mpc out.mpc",
                      "/usr/bin/convert -limit thread 1 in.mpc -gamma 2 out.mpc");
}

}  // namespace

BENCHMARK(BM_ColorFilterBitmap)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_VipsMaplut)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ConvertGamma)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
