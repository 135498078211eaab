// Thumbnail cells of a folder of JPEG files made by the worker threads, against
// the plain libjpeg-turbo work of the same cells.
//
// - Reference/T: per file, read the whole file, decode it at 1/8 with the fast
//   integer DCT and plain chroma upsampling, and box-filter the 500 x 375
//   result into 165 x 124; T threads take the next file from a shared counter.
// - Job: one worker at a time (read, decode, cell and cache write).
// - Dispatcher/W: the real batches over a listing of the folder with W workers,
//   one dispatch per event-loop turn, the cache files written on the GUI thread.
// - Per file, for orientation: the `djpeg -scale 1/8` process and ImageMagick's
//   `convert -define jpeg:size=336x252 x.jpg -thumbnail 166x124 x.bmp`.
//
// Every run starts cold (no cache files) with the files read once, so both
// sides see the same page cache. The counter ms_per_file_core is wall time x
// threads / files; the summary at the end prints each ratio beside its goal.
#include "explorer/ThumbWorkers.h"

#include "state/ViewerSettings.h"
#include "app/lumv8900.h"
#include "state/ExplorerSettings.h"
#include "explorer/FolderListing.h"
#include "explorer/ListCells.h"
#include "explorer/ThumbFiles.h"
#include "explorer/ThumbScale.h"
#include "explorer/xplr8900.h"
#include "imaging/FileRec.h"
#include "imaging/Helpers.h"
#include "imaging/ThumbCache.h"
#include "platform/Forms.h"
#include "platform/Menus.h"
#include "ui/LookBoxEx.h"

#include "bench_pictures.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QObject>
#include <QTemporaryDir>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;
using namespace lumvor;

namespace {

// The corpus: 504 copies (about 500, divisible by 2, 4 and 8, so every file is
// dispatched); LUMVOR_BENCH_FILES=N (a multiple of 8) for a quicker run.
int kFiles = 504;
constexpr int kWidth = 4000, kHeight = 3000;

std::string gFolder;  // the pictures, with a trailing "/"
std::string gScratch;  // for the peer tools' output
std::string gCacheParent;  // the cache folders of the cold runs
std::vector<std::string> gFiles;
std::map<std::string, double> gPerFileCore;  // ms per file per core, by run

void Record(benchmark::State& state, const std::string& name, double seconds, int threads) {
    const double perFileCore = seconds * 1000.0 * threads / kFiles;
    state.counters["ms_per_file_core"] = perFileCore;
    gPerFileCore[name] = perFileCore;
}

// Reads every file once so that every run sees a warm page cache.
void TouchFiles() {
    for (const std::string& file : gFiles) benchmark::DoNotOptimize(bench::FileBytes(file).size());
}

// Every cold run gets an empty cache folder of its own; they all go with the
// temporary home at the end. Deleting the last run's hundreds of cache files
// right before a run would make ext4 without a journal (this machine's disk)
// step past their freed inodes for every new cache file for half a minute, a
// cost a user's first visit of a folder does not have.
void UseFreshCacheFolder() {
    static int runs = 0;
    lumv8900::ThumbCacheDir = gCacheParent + "cache" + std::to_string(++runs) + "/";
    fs::create_directories(lumv8900::ThumbCacheDir);
}

// ---- Reference

// The box filter: each destination pixel is the mean of the source pixels whose
// centres fall in its footprint. Rows of both pictures are padded to 4 bytes.
void BoxResize(const std::vector<uint8_t>& src, int sw, int sh, std::vector<uint8_t>& dst, int dw, int dh) {
    auto range = [](int d, int s, int dn) {
        const double a = double(d) * s / dn, b = double(d + 1) * s / dn;
        int lo = int(std::ceil(a - 0.5)), hi = int(std::ceil(b - 0.5));
        if (hi <= lo) hi = lo + 1;
        return std::pair<int, int>(lo, std::min(hi, s));
    };
    const size_t sstride = (size_t(sw) * 3 + 3) & ~size_t(3), dstride = (size_t(dw) * 3 + 3) & ~size_t(3);
    dst.assign(dstride * dh, 0);
    std::vector<std::pair<int, int>> cols(dw);
    for (int x = 0; x < dw; ++x) cols[x] = range(x, sw, dw);
    for (int y = 0; y < dh; ++y) {
        const auto [y0, y1] = range(y, sh, dh);
        for (int x = 0; x < dw; ++x) {
            const auto [x0, x1] = cols[x];
            unsigned sum[3] = {0, 0, 0};
            for (int sy = y0; sy < y1; ++sy) {
                const uint8_t* p = src.data() + sstride * sy + size_t(x0) * 3;
                for (int sx = x0; sx < x1; ++sx, p += 3) {
                    sum[0] += p[0];
                    sum[1] += p[1];
                    sum[2] += p[2];
                }
            }
            const unsigned n = unsigned((y1 - y0) * (x1 - x0));
            uint8_t* q = dst.data() + dstride * y + size_t(x) * 3;
            for (int c = 0; c < 3; ++c) q[c] = uint8_t((sum[c] + n / 2) / n);
        }
    }
}

void ReferenceCell(const std::string& file) {
    const std::vector<uint8_t> bytes = bench::FileBytes(file);
    std::vector<uint8_t> decoded, cell;
    bench::LibjpegDecode(bytes, 8, true, decoded);
    const int sw = (kWidth + 7) / 8, sh = (kHeight + 7) / 8;
    // Fitted into 166 x 124 with the aspect kept.
    int dw = 166, dh = sh * 166 / sw;
    if (dh > 124) {
        dh = 124;
        dw = sw * 124 / sh;
    }
    BoxResize(decoded, sw, sh, cell, dw, dh);
    benchmark::DoNotOptimize(cell.data());
}

void BM_Reference(benchmark::State& state) {
    const int threads = int(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        TouchFiles();
        state.ResumeTiming();
        const auto start = std::chrono::steady_clock::now();
        std::atomic<int> next{0};
        std::vector<std::thread> pool;
        for (int t = 0; t < threads; ++t)
            pool.emplace_back([&] {
                for (int i; (i = next.fetch_add(1)) < kFiles;) ReferenceCell(gFiles[i]);
            });
        for (auto& thread : pool) thread.join();
        Record(state, "reference/" + std::to_string(threads),
               std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), threads);
    }
}
BENCHMARK(BM_Reference)->Arg(1)->Arg(2)->Arg(4)->Arg(8)->Unit(benchmark::kMillisecond)->UseRealTime();

// ---- Ours

// A fresh listing of the corpus folder (every row pending, no cache file).
std::unique_ptr<TFolderListing> FreshListing() {
    UseFreshCacheFolder();
    ExploreDir = gFolder;
    auto listing = std::make_unique<TFolderListing>();
    listing->UpdateFiles(true);
    xplr8900::CoreCancel = false;
    return listing;
}

int CellsMade(const TFolderListing& listing) {
    int made = 0;
    for (size_t row = 0; row < listing.FileOrder.size(); ++row) {
        FileRec rec;
        listing.RowRec(int(row), rec);
        made += rec.State() == 100 ? 1 : 0;
    }
    return made;
}

// One worker at a time: read, decode, fit into the cell and write the cache file.
void BM_JobOneThread(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        auto listing = FreshListing();
        TouchFiles();
        state.ResumeTiming();
        const auto start = std::chrono::steady_clock::now();
        QObject context;
        int written = 0;
        for (size_t row = 0; row < listing->FileOrder.size(); ++row) {
            FileRec rec;
            listing->RowRec(int(row), rec);
            TCoreThumb worker(1, &context);
            bool done = false;
            worker.SetJob(int32_t(row), gFolder + std::string(rec.Name()), ThumbRecFile(rec).Path, false);
            worker.OnTerminate = [&done](TCoreThumb&) { done = true; };
            worker.Resume();
            while (!done) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
            written += worker.SaveThumbnail(rec) ? 1 : 0;
            worker.FreeWorkObjects();
        }
        Record(state, "job/1", std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 1);
        if (written != kFiles) state.SkipWithError("a cell was not written");
    }
}
BENCHMARK(BM_JobOneThread)->Unit(benchmark::kMillisecond)->UseRealTime();

// The dispatcher with W workers, driven as the thumbnail run does: one dispatch
// per event-loop turn while no batch is in flight, until none starts.
void BM_Dispatcher(benchmark::State& state) {
    const int workers = int(state.range(0));
    lumv8900::ViewerControls.SetInt(vc::ThumbThreads, workers - 1);
    int made = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto listing = FreshListing();
        TThumbWorkers dispatcher(*listing);
        TouchFiles();
        state.ResumeTiming();
        const auto start = std::chrono::steady_clock::now();
        for (;;) {
            if (!listing->CoreBusy) {
                dispatcher.DoMultiCoreJPEG();
                if (!listing->CoreBusy) break;
            }
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        }
        Record(state, "dispatcher/" + std::to_string(workers),
               std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), workers);
        made = CellsMade(*listing);
    }
    state.counters["cells"] = made;
    if (made != kFiles) state.SkipWithError("not every file got its cell");
    if (int(std::thread::hardware_concurrency()) < workers) state.SetLabel("fewer cores than workers");
}
BENCHMARK(BM_Dispatcher)->Arg(2)->Arg(4)->Arg(8)->Unit(benchmark::kMillisecond)->UseRealTime();

// ---- The run driver in the explorer window

// The longest event-loop turn while the run goes: the longest gap between two
// ticks of a 1 ms timer, less the millisecond.
class TTurnWatch {
public:
    TTurnWatch() {
        timer_.setInterval(1);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            const int64_t now = clock_.elapsed();
            longest_ = std::max(longest_, now - last_ - 1);
            last_ = now;
        });
    }
    void Start() {
        clock_.start();
        last_ = 0;
        longest_ = 0;
        timer_.start();
    }
    int64_t Stop() {
        timer_.stop();
        return longest_;
    }

private:
    QTimer timer_;
    QElapsedTimer clock_;
    int64_t last_ = 0;
    int64_t longest_ = 0;
};

std::map<std::string, int64_t> gLongestTurnMs;  // by run
std::string gWarmFolder;                        // kWarmFiles small JPEGs with their cache files
constexpr int kWarmFiles = 10000;
int gDecodes = 0;

TFileForm& Explorer() {
    if (!xplr8900::FileForm) {
        lumv8900::ExplorerSettingsLoaded = true;
        lumv8900::SaveProfile = false;
        xplr8900::SetExplorerDefaults(1280, 9);
        xplr8900::TExplorerControls(xplr8900::EControls).SetBounds(QRect(40, 30, 1000, 700));
        xplr8900::TExplorerControls(xplr8900::EControls).SetListView(1);
        xplr8900::TExplorerControls(xplr8900::EControls).SetThumbSize(8);
        ExploreDir = gFolder;
        xplr8900::FileForm = new TFileForm();
        xplr8900::FileForm->show();
        xplr8900::FileForm->FormActivate();
        xplr8900::ThumbRunHooks.Making = [](const std::string&) { ++gDecodes; };
        ThumbWorkerHooks.BeforeRead = [](const std::string&) { ++gDecodes; };
    }
    return *xplr8900::FileForm;
}

// Rows whose cache file is there (the run's own rows keep State 1 in the stream).
int CachedRows(const TFolderListing& listing) {
    int cached = 0;
    for (size_t row = 0; row < listing.FileOrder.size(); ++row) {
        FileRec rec;
        listing.RowRec(int(row), rec);
        cached += ThumbFilePresent(ThumbRecFile(rec), rec) ? 1 : 0;
    }
    return cached;
}

// Lists a folder in the list view, then switches to the thumbnail view and
// waits for the run's end: the seconds from the switch.
double TimeRun(TFileForm& form, benchmark::State& state, const std::string& folder, bool cold,
               int64_t& longestTurn) {
    state.PauseTiming();
    form.mnuViewListClick(form.mnuViewList);
    if (cold) {
        // Cold: no cache file, and no cell of the last run held in memory.
        UseFreshCacheFolder();
        ThumbCells().Clear();
    }
    ExploreDir = folder;
    form.LookBox->SetFolder(folder);
    form.Listing->UpdateFiles(true);
    if (cold) TouchFiles();
    for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
    gDecodes = 0;
    TTurnWatch watch;
    state.ResumeTiming();
    const auto start = std::chrono::steady_clock::now();
    watch.Start();
    form.mnuViewThumbsClick(form.mnuViewThumbs);
    while (!xplr8900::ThumbsComplete || xplr8900::ThumbRunActive)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    longestTurn = watch.Stop();
    return seconds;
}

// Switching a cold folder to the thumbnail view until the run ends, with the
// viewer's worker setting S (0: every row on the GUI thread).
void BM_Driver(benchmark::State& state) {
    const int setting = int(state.range(0));
    lumv8900::ViewerControls.SetInt(vc::ThumbThreads, setting);
    const int threads = setting == 0 ? 1 : TThumbWorkers::WorkerCount();
    TFileForm& form = Explorer();
    const std::string name = "driver/" + std::to_string(setting);
    for (auto _ : state) {
        int64_t longest = 0;
        const double seconds = TimeRun(form, state, gFolder, true, longest);
        Record(state, name, seconds, threads);
        gLongestTurnMs[name] = std::max(gLongestTurnMs[name], longest);
        state.counters["longest_turn_ms"] = double(longest);
    }
    const int cached = CachedRows(*form.Listing);
    state.counters["cells"] = cached;
    if (cached < kFiles) state.SkipWithError("not every file got its cell");
    state.SetLabel(std::to_string(threads) + (threads == 1 ? " thread" : " workers"));
}
BENCHMARK(BM_Driver)->Arg(0)->Arg(1)->Arg(3)->Arg(7)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

// A second visit of a big folder whose cache is warm: the run ends without decoding.
void BM_WarmVisit(benchmark::State& state) {
    const int setting = int(state.range(0));
    lumv8900::ViewerControls.SetInt(vc::ThumbThreads, setting);
    TFileForm& form = Explorer();
    int64_t longest = 0;
    for (auto _ : state) {
        const double seconds = TimeRun(form, state, gWarmFolder, false, longest);
        gPerFileCore["warm/" + std::to_string(setting)] = seconds * 1000.0;
    }
    if (gDecodes != 0) state.SkipWithError("a warm visit decoded a picture");
    state.counters["rows"] = double(form.Listing->FileOrder.size());
    state.counters["needed"] = double(form.Listing->ThumbsNeeded);
    state.counters["longest_turn_ms"] = double(longest);
}
BENCHMARK(BM_WarmVisit)->Arg(0)->Arg(7)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// The warm folder: small copies of one JPEG, each with its cache file.
void MakeWarmFolder(const std::string& root) {
    gWarmFolder = root + "warm/";
    fs::create_directories(gWarmFolder);
    const std::string first = gWarmFolder + "photo_00000.jpg";
    bench::WriteSyntheticJpeg(first, 160, 120, 85);
    for (int i = 0; i < kWarmFiles; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "photo_%05d.jpg", i);
        const std::string path = gWarmFolder + name;
        if (path != first) fs::copy_file(first, path);
        fs::last_write_time(path, fs::file_time_type::clock::now() - std::chrono::hours(1));
    }
    fs::last_write_time(gWarmFolder, fs::file_time_type::clock::now() - std::chrono::hours(1));
    ExploreDir = gWarmFolder;
    TFolderListing listing;
    listing.UpdateFiles(true);
    TBitmap cell;
    FillWhiteCell(cell);
    for (size_t row = 0; row < listing.FileOrder.size(); ++row) {
        FileRec rec;
        listing.RowRec(int(row), rec);
        FileRec trailer;
        trailer.SetWidth(160);
        trailer.SetHeight(120);
        trailer.SetBitsPerPixel(24);
        WriteThumbFile(trailer, cell, ThumbRecFile(rec), rec);
    }
}

// ---- Peer tools, one process per file

void RunPerFile(benchmark::State& state, const std::string& name, const std::string& before,
                const std::string& after) {
    for (auto _ : state) {
        state.PauseTiming();
        TouchFiles();
        state.ResumeTiming();
        const auto start = std::chrono::steady_clock::now();
        for (const std::string& file : gFiles)
            if (std::system((before + "'" + file + "'" + after).c_str()) != 0) {
                state.SkipWithError("the tool failed");
                return;
            }
        Record(state, name, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 1);
    }
}

void BM_DjpegProcess(benchmark::State& state) {
    RunPerFile(state, "djpeg", "djpeg -scale 1/8 ", " > /dev/null");
}
BENCHMARK(BM_DjpegProcess)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ConvertProcess(benchmark::State& state) {
    RunPerFile(state, "convert", "convert -define jpeg:size=336x252 ", " -thumbnail 166x124 '" + gScratch + "x.bmp'");
}
BENCHMARK(BM_ConvertProcess)->Unit(benchmark::kMillisecond)->UseRealTime();

void PrintRatio(const char* what, const std::string& ours, const std::string& reference, double goal) {
    if (!gPerFileCore.count(ours) || !gPerFileCore.count(reference)) return;
    const double ratio = gPerFileCore[ours] / gPerFileCore[reference];
    if (goal <= 0) {
        std::printf("%-28s %6.2f ms/file/core vs %6.2f: ratio %.2f (no goal)\n", what, gPerFileCore[ours],
                    gPerFileCore[reference], ratio);
        return;
    }
    std::printf("%-28s %6.2f ms/file/core vs %6.2f: ratio %.2f (goal <= %.1f)%s\n", what, gPerFileCore[ours],
                gPerFileCore[reference], ratio, goal, ratio <= goal ? "" : "  over the goal");
}

void PrintSummary() {
    std::printf("\n%d files of %d x %d\n", kFiles, kWidth, kHeight);
    PrintRatio("job, 1 thread", "job/1", "reference/1", 1.1);
    for (int w : {2, 4, 8})
        PrintRatio(("dispatcher, W = " + std::to_string(w)).c_str(), "dispatcher/" + std::to_string(w),
                   "reference/" + std::to_string(w), w == 8 ? 1.2 : 1.1);
    PrintRatio("driver, setting 0", "driver/0", "reference/1", 0.0);
    for (int s : {1, 3, 7}) {
        const int w = s + 1;
        PrintRatio(("driver, setting " + std::to_string(s)).c_str(), "driver/" + std::to_string(s),
                   "reference/" + std::to_string(w), w == 8 ? 1.2 : 1.1);
    }
    for (const auto& [run, ms] : gLongestTurnMs)
        std::printf("%-28s longest event-loop turn %lld ms (goal <= 50)%s\n", run.c_str(), (long long)ms,
                    ms <= 50 ? "" : "  over the goal");
    for (int s : {0, 7})
        if (gPerFileCore.count("warm/" + std::to_string(s)))
            std::printf("warm visit of %d files, setting %d: %.1f ms (goal <= 100)%s\n", kWarmFiles, s,
                        gPerFileCore["warm/" + std::to_string(s)],
                        gPerFileCore["warm/" + std::to_string(s)] <= 100 ? "" : "  over the goal");
    for (int t : {2, 4, 8})
        if (gPerFileCore.count("reference/" + std::to_string(t)) && gPerFileCore.count("reference/1"))
            std::printf("reference scaling, T = %d: %.2f x the one-thread cost per file per core\n", t,
                        gPerFileCore["reference/" + std::to_string(t)] / gPerFileCore["reference/1"]);
}

}  // namespace

int main(int argc, char** argv) {
    QTemporaryDir home;
    if (!home.isValid()) return 1;
    qputenv("LUMVOR_HOME", home.path().toLocal8Bit());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);  // the listing asks for file icons

    if (const int files = qEnvironmentVariableIntValue("LUMVOR_BENCH_FILES"); files >= 8 && files % 8 == 0)
        kFiles = files;
    const std::string root = home.path().toStdString() + "/";
    gFolder = root + "pictures/";
    gScratch = root + "scratch/";
    fs::create_directories(gFolder);
    fs::create_directories(gScratch);
    gCacheParent = root + "caches/";
    UseFreshCacheFolder();
    xplr8900::EControls.SetByte(xplr8900::ec::ThumbJpegDecode, 0);
    xplr8900::EControls.SetByte(xplr8900::ec::NetworkSupport, 0);
    // One textured picture copied: the listing takes files dated before it.
    const std::string first = gFolder + "photo_000.jpg";
    bench::WriteSyntheticJpeg(first, kWidth, kHeight, 90);
    for (int i = 0; i < kFiles; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "photo_%03d.jpg", i);
        const std::string path = gFolder + name;
        if (path != first) {
            // Hard links keep 500 big files cheap on disk; each is still read and decoded.
            std::error_code linkFailed;
            fs::create_hard_link(first, path, linkFailed);
            if (linkFailed) fs::copy_file(first, path);
        }
        fs::last_write_time(path, fs::file_time_type::clock::now() - std::chrono::hours(1));
        gFiles.push_back(path);
    }

    MakeWarmFolder(root);

    Application.Initialize();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    PrintSummary();
    delete xplr8900::FileForm;
    xplr8900::FileForm = nullptr;
    return 0;
}
