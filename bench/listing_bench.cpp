// Listing a big folder, as the explorer does when the user opens it, against
// the enumeration floor of the same folder: `ls -l` and `find -printf` (one
// readdir pass and one stat per entry, written to /dev/null).
//
// - Listing/10000: 10,000 JPEGs, each with a valid thumbnail cache file (the
//   common case of a folder seen before): one stat per entry, one trailer read
//   per JPEG, records in shell order. Budget: 120 ms.
// - Listing/100000: 100,000 JPEGs without cache files.
// - Refresh/10000: the refresh after one file was added. Budget: 60 ms.
// Run on one core with `taskset -c 0 build/bench/listing_bench`.
//
// The folders are made on first use in a temporary folder (the 10,000 cache
// files take 640 MB) and removed at the end; the page cache is warm.
#include "app/lumv8900.h"
#include "bench_window.h"
#include "explorer/FolderListing.h"
#include "explorer/ThumbFiles.h"
#include "imaging/Helpers.h"
#include "imaging/ThumbCache.h"
#include "platform/Graphics.h"

#include <QApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <map>
#include <string>

using namespace lumvor;

namespace {

std::string Root;

// A folder of Count JPEGs written an hour ago, with cache files when asked.
std::string PictureFolder(int count, bool withCache) {
    static std::map<int, std::string> made;
    if (auto it = made.find(count); it != made.end()) return it->second;
    const std::string folder = Root + "/pictures" + std::to_string(count) + "/";
    ::mkdir(folder.c_str(), 0777);
    const timespec hourAgo{std::time(nullptr) - 3600, 0};
    const timespec times[2] = {hourAgo, hourAgo};
    for (int i = 0; i < count; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "IMG_%06d.JPG", i);
        const std::string path = folder + name;
        if (FILE* file = std::fopen(path.c_str(), "wb")) {
            std::fwrite("\xFF\xD8\xFF\xE0 jpeg bytes", 1, 16 + i % 7, file);
            std::fclose(file);
        }
        ::utimensat(AT_FDCWD, path.c_str(), times, 0);
    }
    if (withCache) {
        TFolderListing listing;
        ExploreDir = folder;
        listing.UpdateFiles(true);
        TBitmap cell;
        cell.SetPixelFormat(pf24bit);
        cell.SetSize(168, 126);
        for (int32_t recNo : listing.FileOrder) {
            const FileRec row = listing.ReadRec(recNo);
            FileRec trailer = row;
            trailer.SetWidth(4000);
            trailer.SetHeight(3000);
            trailer.SetBitsPerPixel(24);
            WriteThumbFile(trailer, cell, ThumbRecFile(row), row);
        }
    }
    made[count] = folder;
    return folder;
}

void Listing(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    const std::string folder = PictureFolder(count, count <= 10000);
    TFolderListing listing;
    ExploreDir = folder;
    for (auto _ : state) listing.UpdateFiles(true);
    state.counters["rows"] = static_cast<double>(listing.FileOrder.size());
    state.counters["thumbs_needed"] = listing.ThumbsNeeded;
}

void Refresh(benchmark::State& state) {
    const std::string folder = PictureFolder(static_cast<int>(state.range(0)), true);
    TFolderListing listing;
    ExploreDir = folder;
    listing.UpdateFiles(true);
    const std::string added = folder + "added.jpg";
    const timespec hourAgo{std::time(nullptr) - 3600, 0};
    const timespec times[2] = {hourAgo, hourAgo};
    for (auto _ : state) {
        state.PauseTiming();
        if (FILE* file = std::fopen(added.c_str(), "wb")) {
            std::fputs("jpeg", file);
            std::fclose(file);
        }
        ::utimensat(AT_FDCWD, added.c_str(), times, 0);
        state.ResumeTiming();
        listing.ValidateFiles_Changed(true);
        state.PauseTiming();
        ::unlink(added.c_str());
        listing.ValidateFiles_Changed(true);
        state.ResumeTiming();
    }
    state.counters["records"] = listing.FileRecCount;
}

void LsLong(benchmark::State& state) {
    const std::string folder = PictureFolder(static_cast<int>(state.range(0)), state.range(0) <= 10000);
    bench::RunCommand(state, "ls -l '" + folder + "' > /dev/null");
}

void FindPrintf(benchmark::State& state) {
    const std::string folder = PictureFolder(static_cast<int>(state.range(0)), state.range(0) <= 10000);
    bench::RunCommand(state, "find '" + folder + "' -maxdepth 1 -printf '%f %s %T@\\n' > /dev/null");
}

BENCHMARK(Listing)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(LsLong)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(FindPrintf)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(Refresh)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    if (!home.isValid()) return 1;
    Root = home.path().toStdString();
    qputenv("LUMVOR_HOME", home.path().toLocal8Bit());
    lumv8900::ThumbCacheDir = Root + "/cache/";
    ::mkdir(lumv8900::ThumbCacheDir.c_str(), 0777);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
