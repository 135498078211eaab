// A contact sheet of 9 cached thumbnails (168 x 126, a 640-pixel page: 3 x 3
// cells on a 504 x 448 sheet, quality 90) must be drawn and encoded in under
// 50 ms: the 9 cache files loaded, the cells and their labels drawn, the
// sheet encoded and saved, and its page written. Beside it, the floor any
// writer stands on: the sheet picture's JPEG encoding alone.
//
// The cache files (a textured picture each, with the cache record behind it)
// are written on first use into a temporary folder, removed when the run ends.
// The labels are drawn with the application's fonts: the run makes a GUI
// application (offscreen unless told otherwise).
#include "explorer/ContactSheet.h"
#include "explorer/xplr8900.h"
#include "imaging/ThumbCache.h"
#include "platform/Jpeg.h"

#include "bench_pictures.h"

#include <benchmark/benchmark.h>
#include <QGuiApplication>
#include <unistd.h>

#include <array>
#include <cstring>
#include <filesystem>
#include <string>

namespace fs = std::filesystem;
using namespace lumvor;

namespace {

struct TBenchFolder {
    std::string Root = (fs::temp_directory_path() / ("lumvor_sheet_bench_" + std::to_string(getpid()))).string() + "/";
    std::vector<webpage::TPageFile> Files;

    TBenchFolder() {
        fs::create_directories(Root + "cache");
        const std::string picture = Root + "cell.jpg";
        bench::WriteSyntheticJpeg(picture, 168, 126, 90);
        TJPEGImage jpeg;
        jpeg.LoadFromFile(picture);
        TBitmap thumb;
        jpeg.DecodeInto(thumb);
        thumb.SetPixelFormat(pf24bit);
        const std::array<uint8_t, ThumbRecordSize> record{};
        for (int i = 1; i <= 9; ++i) {
            const std::string name = "IMG_000" + std::to_string(i) + ".JPG";
            const std::string cache = Root + "cache/" + name + ".rec";
            SaveThumbFile(record.data(), thumb, cache);
            Files.push_back({name, cache, "12.5 KB", ""});
        }
    }
    ~TBenchFolder() { fs::remove_all(Root); }
};

TBenchFolder& Folder() {
    static TBenchFolder folder;
    return folder;
}

webpage::TPageJob SheetJob() {
    webpage::TPageJob job;
    xplr8900::SetWebDefaults(job.Options, 1);
    job.Options.SetContactSheet(true);
    job.Options.SetPageWidth(640);
    job.Options.SetThumbQuality(90);
    job.Kind = webpage::TPageKind::OfflineCatalog;
    job.Title = "Contents of bench";
    job.ThumbsFolder = "thumbs";
    job.PageFile = Folder().Root + "_idx.htm";
    job.MakerAddress = "www.example.com";
    job.Files = Folder().Files;
    job.LoadThumbnail = [](const webpage::TPageFile& File, TBitmap& Picture) {
        std::array<uint8_t, ThumbRecordSize> record{};
        return LoadThumbFile(record.data(), Picture, File.Path);
    };
    return job;
}

void BM_SheetOfNineCachedThumbnails(benchmark::State& state) {
    const webpage::TPageJob job = SheetJob();
    for (auto _ : state) {
        const webpage::TPageResult result = contactsheet::WriteContactSheets(job);
        benchmark::DoNotOptimize(result.Pages.size());
    }
}
BENCHMARK(BM_SheetOfNineCachedThumbnails)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_SheetEncodingAlone(benchmark::State& state) {
    TBitmap sheet;
    sheet.SetPixelFormat(pf24bit);
    sheet.SetSize(504, 448);
    TJPEGImage cell;
    cell.LoadFromFile(Folder().Root + "cell.jpg");
    TBitmap thumb;
    cell.DecodeInto(thumb);
    for (int y = 0; y < 448; ++y)
        for (int x = 0; x < 504; ++x)
            std::memcpy(sheet.ScanLine(y) + 3 * x, thumb.ScanLine(y % 126) + 3 * (x % 168), 3);
    TJPEGEncodeOptions options;
    options.quality = 90;
    const std::string target = Folder().Root + "alone.jpg";
    for (auto _ : state) {
        TJPEGImage jpeg;
        jpeg.Assign(sheet);
        jpeg.Compress(options);
        jpeg.SaveToFile(target);
    }
}
BENCHMARK(BM_SheetEncodingAlone)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
