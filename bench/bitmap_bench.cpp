// Loading a 24-megapixel 24-bit BMP: our BMP picture class against
// ImageMagick's `convert x.bmp x.ppm` on the same file.
#include "imaging/vo_BMP.h"
#include "platform/Streams.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

const int kWidth = 6000, kHeight = 4000;

// Writes the test file once (a colour pattern) and returns its path.
const std::string& BigBmp() {
    static const std::string path = [] {
        std::string p = (std::filesystem::temp_directory_path() / "lumvor_bench_24mp.bmp").string();
        lumvor::TBmpGraphic g;
        g.NewImage(kWidth, kHeight, lumvor::ifTrueColor, nullptr, 96, 96);
        for (int y = 0; y < kHeight; ++y) {
            uint8_t* row = g.ScanLine(y);
            for (int x = 0; x < 3 * kWidth; ++x)
                row[x] = static_cast<uint8_t>(x * 7 + y * 13);
        }
        g.SaveToFile(p);
        return p;
    }();
    return path;
}

void BM_TBmpGraphicLoad(benchmark::State& state) {
    const std::string& path = BigBmp();
    for (auto _ : state) {
        lumvor::TBmpGraphic g;
        g.LoadFromFile(path);
        benchmark::DoNotOptimize(g.ScanLine(0));
    }
}
BENCHMARK(BM_TBmpGraphicLoad)->Unit(benchmark::kMillisecond);

void BM_ImageMagickConvertToPpm(benchmark::State& state) {
    const std::string& path = BigBmp();
    std::string command = "/usr/bin/convert " + path + " " + path + ".ppm";
    for (auto _ : state)
        if (std::system(command.c_str()) != 0)
            state.SkipWithError("convert failed");
    std::filesystem::remove(path + ".ppm");
}
BENCHMARK(BM_ImageMagickConvertToPpm)->Unit(benchmark::kMillisecond);

}  // namespace
