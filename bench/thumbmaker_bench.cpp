// Making one thumbnail cell from a 4000 x 3000 picture (PNG, Deflate TIFF and
// 24-bit BMP, the last through the plain-bitmap road), beside ImageMagick's
// `convert x -sample 166x124 bmp:-` of the same file (a separate process:
// context, no gate). And the in-place shrink alone, in source megapixels per
// second (the counters are megapixels per second).
//
// The pictures are made with ImageMagick on first use in the temporary folder
// and removed when the run ends.
#include "explorer/ThumbMakers.h"
#include "explorer/ThumbScale.h"
#include "platform/Graphics.h"
#include "platform/PixelBuffer.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace fs = std::filesystem;
using namespace lumvor;

namespace {

struct TPictureSet {
    fs::path Folder;
    TPictureSet() {
        Folder = fs::temp_directory_path() / ("lumvor-thumbmaker-bench-" + std::to_string(::getpid()));
        fs::create_directories(Folder);
        const std::string source = (Folder / "source.ppm").string();
        Run("convert -seed 1 -size 400x300 plasma: -resize 4000x3000! '" + source + "'");
        Run("convert '" + source + "' '" + Path("png") + "'");
        Run("convert '" + source + "' -compress Zip '" + Path("tif") + "'");
        Run("convert '" + source + "' -type TrueColor BMP3:'" + Path("bmp") + "'");
    }
    ~TPictureSet() {
        std::error_code ignored;
        fs::remove_all(Folder, ignored);
    }
    std::string Path(const std::string& ext) const { return (Folder / ("picture." + ext)).string(); }
    static void Run(const std::string& command) {
        if (std::system(command.c_str()) != 0) std::fprintf(stderr, "failed: %s\n", command.c_str());
    }
};

const TPictureSet& Pictures() {
    static TPictureSet set;
    return set;
}

const char* Extension(int64_t index) {
    static const char* const extensions[] = {"png", "tif", "bmp"};
    return extensions[index];
}

void BM_MakeCell(benchmark::State& state) {
    const std::string path = Pictures().Path(Extension(state.range(0)));
    TThumbMaker maker;
    TBitmap cell;
    for (auto _ : state) {
        maker.ItemFile = path;
        if (ReadPictureHeader(maker) != 1 || !MakePictureThumbnail(maker, cell)) {
            state.SkipWithError("no cell");
            break;
        }
        benchmark::DoNotOptimize(cell.ScanLine(63));
    }
    state.SetLabel(Extension(state.range(0)));
}
BENCHMARK(BM_MakeCell)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

void BM_ImageMagickSample(benchmark::State& state) {
    const std::string command = "convert '" + Pictures().Path(Extension(state.range(0))) + "' -sample 166x124 bmp:-";
    for (auto _ : state) {
        FILE* pipe = ::popen(command.c_str(), "r");
        char buffer[65536];
        size_t total = 0;
        for (size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) total += got;
        if (::pclose(pipe) != 0 || total == 0) {
            state.SkipWithError("convert failed");
            break;
        }
    }
    state.SetLabel(Extension(state.range(0)));
}
BENCHMARK(BM_ImageMagickSample)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

// The shrink of a 4000 x 3000 picture (8 or 24 bits) to 165 x 124. The pixels'
// values do not matter to the loop, so one picture serves every iteration.
void BM_ShrinkDibInPlace(benchmark::State& state) {
    const int depth = static_cast<int>(state.range(0));
    TPixelBuffer picture(4000, 3000, depth);
    for (auto _ : state) {
        ShrinkDibInPlace(picture, 165, 124);
        benchmark::DoNotOptimize(picture.Bits());
    }
    state.counters["source_MP"] =
        benchmark::Counter(4000.0 * 3000.0 / 1e6, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_ShrinkDibInPlace)->Arg(8)->Arg(24)->Unit(benchmark::kMicrosecond);

// The stretch of a 400 x 300 picture (4 and 24 bits) into 165 x 124 of a cell.
void BM_StretchNearest(benchmark::State& state) {
    const int depth = static_cast<int>(state.range(0));
    TPixelBuffer picture(400, 300, depth);
    TPixelBuffer cell(ThumbCellWidth, ThumbCellHeight, 24);
    for (auto _ : state) {
        StretchNearest(picture, cell, {1, 1, 166, 125});
        benchmark::DoNotOptimize(cell.Bits());
    }
    state.counters["cell_MP"] = benchmark::Counter(165.0 * 124.0 / 1e6, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_StretchNearest)->Arg(4)->Arg(24)->Unit(benchmark::kMicrosecond);

}  // namespace
