// Loading a 24-megapixel 24-bit PNG and a 24-megapixel Deflate TIFF: our
// picture classes against ImageMagick's `convert x.png x.ppm` on the same files.
#include "imaging/vo_PNG.h"
#include "imaging/vo_TIF.h"
#include "platform/Streams.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

const int kWidth = 6000, kHeight = 4000;

// A colour pattern with some texture, so the deflate streams are realistic.
template <class Codec>
void Fill(Codec& g) {
    g.NewImage(kWidth, kHeight, lumvor::ifTrueColor, nullptr, 96, 96);
    for (int y = 0; y < kHeight; ++y) {
        uint8_t* row = g.ScanLine(y);
        for (int x = 0; x < 3 * kWidth; ++x)
            row[x] = static_cast<uint8_t>(x / 3 + y / 2 + ((x * 2654435761u) >> 29));
    }
}

std::string TempPath(const char* name) { return (std::filesystem::temp_directory_path() / name).string(); }

const std::string& BigPng() {
    static const std::string path = [] {
        std::string p = TempPath("lumvor_bench_24mp.png");
        lumvor::TPngGraphic g;
        Fill(g);
        g.Interlaced = false;
        g.SaveToFile(p);
        return p;
    }();
    return path;
}

const std::string& BigTiff() {
    static const std::string path = [] {
        std::string p = TempPath("lumvor_bench_24mp.tif");
        lumvor::TTiffGraphic g;
        Fill(g);
        g.SetCompression(lumvor::vo_TIF::tcZLib);
        g.SaveToFile(p);
        return p;
    }();
    return path;
}

template <class Codec>
void Load(benchmark::State& state, const std::string& path) {
    for (auto _ : state) {
        Codec g;
        g.LoadFromFile(path);
        benchmark::DoNotOptimize(g.ScanLine(0));
    }
}

void Convert(benchmark::State& state, const std::string& path) {
    const std::string command = "/usr/bin/convert " + path + " " + path + ".ppm";
    for (auto _ : state)
        if (std::system(command.c_str()) != 0)
            state.SkipWithError("convert failed");
    std::filesystem::remove(path + ".ppm");
}

void BM_TPngGraphicLoad(benchmark::State& state) { Load<lumvor::TPngGraphic>(state, BigPng()); }
void BM_ImageMagickPngToPpm(benchmark::State& state) { Convert(state, BigPng()); }
void BM_TTiffGraphicLoadDeflate(benchmark::State& state) { Load<lumvor::TTiffGraphic>(state, BigTiff()); }
void BM_ImageMagickTiffToPpm(benchmark::State& state) { Convert(state, BigTiff()); }

BENCHMARK(BM_TPngGraphicLoad)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImageMagickPngToPpm)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TTiffGraphicLoadDeflate)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImageMagickTiffToPpm)->Unit(benchmark::kMillisecond);

}  // namespace
