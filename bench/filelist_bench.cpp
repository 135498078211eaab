// The explorer's file list over a folder of small JPEG files whose cache files
// all exist (warm page cache):
// - FirstPaint: from the path box change to the first painted frame of the list
//   (listing included), in the details view and the thumbnail view at step 8;
//   the counter rows_described counts the rows the list asked data for.
// - ScrollThumbs: a full scroll through the thumbnail view at step 8, page by
//   page, each page painted; cells per second with the cell cache kept and with
//   it emptied before every page.
// Runs on the offscreen platform unless QT_QPA_PLATFORM says otherwise.
#include "explorer/xplr8900.h"

#include "app/lumv8900.h"
#include "state/ExplorerSettings.h"
#include "explorer/FolderListing.h"
#include "explorer/ListCells.h"
#include "explorer/ThumbFiles.h"
#include "imaging/FileRec.h"
#include "imaging/Helpers.h"
#include "imaging/ThumbCache.h"
#include "platform/ComCtrls.h"
#include "platform/Graphics.h"
#include "ui/LookBoxEx.h"
#include "ui/VListShowEx.h"

#include "../tests/support/thumb_cells.h"
#include "bench_explorer.h"
#include "bench_pictures.h"

#include <benchmark/benchmark.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QPixmap>
#include <QScrollBar>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

namespace fs = std::filesystem;
using namespace lumvor;
using namespace xplr8900;

namespace {

constexpr int kRows = 3000;

std::string gPictures;  // the folder of kRows JPEG files, with a trailing "/"
std::string gEmpty;     // a folder with nothing in it

void MakeOld(const std::string& path) {
    fs::last_write_time(path, fs::file_time_type::clock::now() - std::chrono::hours(1));
}

void Settle() {
    for (int i = 0; i < 3; ++i) QApplication::processEvents();
}

// Every listed picture gets its cache file.
void WriteCacheFiles(TFileForm& form) {
    TBitmap cell;
    test::FillThumbCell(cell, 7);
    const TFolderListing& listing = *form.Listing;
    for (size_t row = 0; row < listing.FileOrder.size(); ++row) {
        FileRec rec;
        listing.RowRec(int(row), rec);
        FileRec trailer = rec;
        trailer.SetWidth(160);
        trailer.SetHeight(120);
        trailer.SetBitsPerPixel(24);
        WriteThumbFile(trailer, cell, ThumbRecFile(rec), rec);
    }
}

void ShowDetails(TFileForm& form) { form.mnuViewReportClick(&form); }
void ShowThumbs(TFileForm& form) {
    form.ThumbsBar->SetPosition(8);
    form.mnuViewThumbsClick(&form);
}

void BM_FirstPaint(benchmark::State& state) {
    TFileForm& form = *FileForm;
    const bool thumbs = state.range(0) != 0;
    thumbs ? ShowThumbs(form) : ShowDetails(form);
    int64_t described = 0;
    form.XL->OnData = [&](QObject*, TVListItem* item) {
        ++described;
        form.XLData(item);
    };
    for (auto _ : state) {
        state.PauseTiming();
        form.LookBox->SetFolder(gEmpty);
        Settle();
        described = 0;
        state.ResumeTiming();
        form.LookBox->SetFolder(gPictures);
        QApplication::processEvents();
        const QPixmap frame = form.XL->grab();
        benchmark::DoNotOptimize(frame.cacheKey());
    }
    state.counters["rows"] = double(form.XL->Items()->Count());
    state.counters["rows_described"] = double(described);
    state.SetLabel(thumbs ? "thumbnails, step 8" : "details");
    if (form.XL->Items()->Count() != kRows) state.SkipWithError("the folder was not listed whole");
    form.XL->OnData = [&form](QObject*, TVListItem* item) { form.XLData(item); };
}
BENCHMARK(BM_FirstPaint)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ScrollThumbs(benchmark::State& state) {
    TFileForm& form = *FileForm;
    const bool keepCells = state.range(0) != 0;
    form.LookBox->SetFolder(gPictures);
    Settle();
    ShowThumbs(form);
    Settle();
    QScrollBar* bar = form.XL->View()->verticalScrollBar();
    int64_t cells = 0;
    int64_t described = 0;
    form.XL->OnData = [&](QObject*, TVListItem* item) {
        ++described;
        form.XLData(item);
    };
    const int64_t readsBefore = ThumbCells().FileReads;
    for (auto _ : state) {
        for (int v = bar->minimum();; v += std::max(1, bar->pageStep())) {
            if (!keepCells) ThumbCells().Clear();
            bar->setValue(std::min(v, bar->maximum()));
            form.XL->Viewport()->repaint();
            cells += form.XL->View()->viewport()->height() / std::max(1, form.XL->CellSize().height()) *
                     std::max(1, form.XL->View()->viewport()->width() / std::max(1, form.XL->CellSize().width()));
            if (v >= bar->maximum()) break;
        }
    }
    state.counters["cells_per_s"] = benchmark::Counter(double(cells), benchmark::Counter::kIsRate);
    state.counters["cache_file_reads"] =
        benchmark::Counter(double(ThumbCells().FileReads - readsBefore), benchmark::Counter::kAvgIterations);
    state.counters["rows_described"] = benchmark::Counter(double(described), benchmark::Counter::kAvgIterations);
    state.SetLabel(keepCells ? "cell cache kept" : "cell cache emptied per page");
    form.XL->OnData = [&form](QObject*, TVListItem* item) { form.XLData(item); };
}
BENCHMARK(BM_ScrollThumbs)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    QTemporaryDir home;
    if (!bench::UseBenchHome(home)) return 1;
    const std::string root = home.path().toStdString() + "/";
    gPictures = root + "pictures/";
    gEmpty = root + "empty/";
    fs::create_directories(gPictures);
    fs::create_directories(gEmpty);
    const std::string first = gPictures + "photo_0000.jpg";
    bench::WriteSyntheticJpeg(first, 160, 120, 85);
    for (int i = 0; i < kRows; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "photo_%04d.jpg", i);
        const std::string path = gPictures + name;
        if (path != first) fs::copy_file(first, path);
        MakeOld(path);
    }
    MakeOld(gPictures);
    MakeOld(gEmpty);

    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    bench::StartExplorer(gPictures, 1);
    Settle();
    WriteCacheFiles(*FileForm);

    return bench::RunBenchmarksWithExplorer(argc, argv);
}
