// The explorer's image catalog over a tree of 50 folders of 20 pictures each
// whose thumbnails are cached (warm page cache):
// - OfflineFifty: "&Image catalog" writing an offline catalog with a table of
//   contents into the 50 folders (each folder listed, its 20 web thumbnails
//   encoded and its page written); the goal is under 15 s.
// - WalkFifty: the catalog's walk of the same tree (names only, thumbnail
//   folders left out), against `find` listing the same folders.
// Runs on the offscreen platform unless QT_QPA_PLATFORM says otherwise.
#include "explorer/xplr8900.h"

#include "app/lumv8900.h"
#include "explorer/FolderWalk.h"
#include "explorer/WebOptions.h"
#include "imaging/Helpers.h"
#include "platform/Forms.h"
#include "platform/Graphics.h"
#include "platform/Jpeg.h"

#include "bench_explorer.h"
#include "bench_tools.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTemporaryDir>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace fs = std::filesystem;
using namespace lumvor;
using namespace xplr8900;

namespace {

constexpr int kFolders = 50;
constexpr int kPicturesPerFolder = 20;

std::string gRoot;  // the tree's root, with a trailing "/"

// One offline catalog with a table of contents, the questions answered.
void RunOfflineCatalog() {
    QueueModalResult(mrYes);     // add a table of contents
    QueueModalResult(mrCancel);  // keep the thumbnail quality
    FileForm->mnuCatalogClick(FileForm->FindItem("mnuImageCatalog"));
}

void BM_OfflineFifty(benchmark::State& state) {
    for (auto _ : state) {
        RunOfflineCatalog();
        if (!fs::exists(gRoot + "folder 49/_idx.htm")) {
            state.SkipWithError("the catalog did not reach the last folder");
            break;
        }
    }
    state.counters["pictures"] = kFolders * kPicturesPerFolder;
}
BENCHMARK(BM_OfflineFifty)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

void BM_WalkFifty(benchmark::State& state) {
    TWalkOptions options;
    options.StatFiles = false;
    for (auto _ : state) {
        int folders = 0;
        WalkFolderTree(
            gRoot,
            [&folders](TWalkFolder& folder) {
                ++folders;
                std::erase(folder.SubFolders, std::string("thumbs"));
                return TWalkStep::Continue;
            },
            options);
        benchmark::DoNotOptimize(folders);
    }
}
BENCHMARK(BM_WalkFifty)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_FindFifty(benchmark::State& state) {
    const std::string command = "find '" + gRoot + "' -name thumbs -prune -o -type d -print > /dev/null";
    bench::RunPeerCommand(state, command);
}
BENCHMARK(BM_FindFifty)->Unit(benchmark::kMillisecond)->UseRealTime();

// Writes the tree: one 640 x 480 noise JPEG copied 20 times into each folder,
// dated back so that the listings take them at once.
void MakeTree() {
    TBitmap picture;
    bench::FillNoise(picture, 640, 480);
    TJPEGImage jpeg;
    jpeg.Assign(picture);
    jpeg.Compress(TJPEGEncodeOptions{});
    const std::string model = gRoot + "model.jpg.tmp";
    fs::create_directories(gRoot);
    jpeg.SaveToFile(model);
    const auto then = fs::file_time_type::clock::now() - std::chrono::minutes(5);
    for (int f = 0; f < kFolders; ++f) {
        const std::string folder = gRoot + "folder " + (f < 10 ? "0" : "") + std::to_string(f) + "/";
        fs::create_directories(folder);
        for (int p = 0; p < kPicturesPerFolder; ++p) {
            const std::string file = folder + "picture " + std::to_string(p) + ".jpg";
            fs::copy_file(model, file);
            fs::last_write_time(file, then);
        }
        fs::last_write_time(folder, then);
    }
    fs::remove(model);
    fs::last_write_time(gRoot, then);
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    if (!home.isValid())
        return 1;
    qputenv("LUMVOR_HOME", home.path().toLocal8Bit());
    gRoot = home.path().toStdString() + "/tree/";

    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    MakeTree();
    THTMLSet& options = HTMLset9;
    SetWebDefaults(options, 1);
    options.SetOfflineCatalog(true);
    options.SetReviewSettings(false);
    options.SetLaunchBrowser(false);
    WriteWebOptions("");
    bench::StartExplorer(gRoot, 1);
    // The first run fills the thumbnail cache.
    RunOfflineCatalog();

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    delete FileForm;
    FileForm = nullptr;
    return 0;
}
