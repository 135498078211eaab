// Listing an archive of 10,000 entries in the zip window (reading its
// directory and filling the grid, painted once) against Info-ZIP's
// `zipinfo` listing the same archive (a whole process, the usual tool).
//
// The archive (10,000 small files in 100 folders) is made on first use in the
// temporary folder by Info-ZIP `zip` and kept there.
#include "platform/Grids.h"
#include "zip/Unzip_8900.h"

#include <QApplication>
#include <QListWidget>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;
using namespace lumvor;

namespace {

constexpr int Entries = 10000;

const std::string& Archive() {
    static const std::string path = [] {
        const fs::path folder = fs::temp_directory_path() / "lumvor_bench_unzip_window";
        const fs::path archive = folder / "many.zip";
        if (fs::exists(archive))
            return archive.string();
        const fs::path src = folder / "src";
        for (int i = 0; i < Entries; ++i) {
            const fs::path dir = src / ("roll" + std::to_string(i / 100));
            fs::create_directories(dir);
            std::ofstream(dir / ("IMG_" + std::to_string(10000 + i) + ".JPG"), std::ios::binary)
                << "picture number " << i << std::string(size_t(64 + i % 200), char('a' + i % 26));
        }
        const std::string command =
            "cd '" + src.string() + "' && zip -q -D -r '" + archive.string() + "' . && cd / && rm -rf '" + src.string() + "'";
        if (std::system(command.c_str()) != 0)
            std::fprintf(stderr, "zip failed\n");
        return archive.string();
    }();
    return path;
}

void BM_ZipWindowListing(benchmark::State& state) {
    TUnZipForm form;
    form.resize(800, 600);
    form.show();
    form.Populate(Archive());
    for (auto _ : state) {
        form.ZipSrcList->clearSelection();
        form.ZipSrcList->setCurrentRow(0, QItemSelectionModel::ClearAndSelect);
        form.ZipGrid->viewport()->repaint();
        if (form.ZipGrid->RowCount() != Entries + 1) {
            state.SkipWithError("the grid does not hold every entry");
            break;
        }
    }
}
BENCHMARK(BM_ZipWindowListing)->Unit(benchmark::kMillisecond);

void BM_ZipinfoListing(benchmark::State& state) {
    const std::string command = "zipinfo '" + Archive() + "' > /dev/null";
    for (auto _ : state)
        if (std::system(command.c_str()) != 0) {
            state.SkipWithError("zipinfo failed");
            break;
        }
}
BENCHMARK(BM_ZipinfoListing)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
