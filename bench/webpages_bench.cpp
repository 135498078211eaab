// A page set for 1,000 selected pictures whose thumbnails are cached must be
// written in under 10 s. Encoding the 168 x 126 cells as JPEG dominates, so
// beside the whole run stands cjpeg encoding the same cell 1,000 times (less
// the same loop copying the cell, which takes the process starts out).
//
// The cells are noise pictures (the hardest case for either encoder), handed
// over from memory as the cache loader hands them; everything is written into
// a temporary folder removed when the run ends.
#include "explorer/WebPages.h"

#include "bench_tools.h"

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <string>

namespace fs = std::filesystem;
using namespace lumvor;

namespace {

constexpr int Pictures = 1000;
constexpr int CellWidth = 168;
constexpr int CellHeight = 126;
constexpr int Quality = 75;

const std::string& Folder() {
    static const std::string folder = [] {
        const std::string path =
            (fs::temp_directory_path() / ("lumvor_webpages_bench_" + std::to_string(::getpid()))).string() + "/";
        fs::create_directories(path);
        TBitmap cell;
        bench::FillNoise(cell, CellWidth, CellHeight);
        bench::WritePpm(path + "cell.ppm", cell);
        std::atexit([] { fs::remove_all(Folder()); });
        return path;
    }();
    return folder;
}

void BM_WritePages1000(benchmark::State& state) {
    webpage::TPageJob job;
    xplr8900::SetWebDefaults(job.Options, 1);
    job.Options.SetThumbQuality(Quality);
    job.Options.SetThumbsPerPage(24);
    job.Options.SetFileDetails(true);
    job.Options.SetPageWidth(640);
    job.Kind = webpage::TPageKind::OfflineCatalog;
    job.Title = "Bench";
    job.ThumbsFolder = "thumbs";
    job.PageFile = Folder() + "album.htm";
    for (int i = 0; i < Pictures; ++i) {
        const std::string name = "IMG_" + std::to_string(10000 + i) + ".JPG";
        job.Files.push_back({name, Folder() + name, "1.2 MB", ""});
    }
    job.LoadThumbnail = [](const webpage::TPageFile&, TBitmap& picture) {
        bench::FillNoise(picture, CellWidth, CellHeight);
        return true;
    };
    for (auto _ : state) benchmark::DoNotOptimize(webpage::WritePages(job));
    state.counters["per_thumbnail_ms"] =
        benchmark::Counter(double(Pictures) * state.iterations() / 1000.0, benchmark::Counter::kIsRate |
                                                                                benchmark::Counter::kInvert);
}
BENCHMARK(BM_WritePages1000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

void BM_Cjpeg1000Cells(benchmark::State& state) {
    const std::string loop = "for i in $(seq " + std::to_string(Pictures) + "); do ";
    bench::RunToolDifference(state, Folder(), loop + "cat cell.ppm > out.jpg; done",
                             loop + "cjpeg -quality " + std::to_string(Quality) + " cell.ppm > out.jpg; done");
    state.counters["per_thumbnail_ms"] =
        benchmark::Counter(double(Pictures) * state.iterations() / 1000.0, benchmark::Counter::kIsRate |
                                                                                benchmark::Counter::kInvert);
}
BENCHMARK(BM_Cjpeg1000Cells)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);

}  // namespace
