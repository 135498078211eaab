// "&Instant slideshow" over a big tree against `find` over the same tree
// (warm page cache):
// - InstantSlideshow: the whole command on the explorer, from the walk to the
//   bookmark list written (the show itself is not started), over 2,040
//   folders holding 100,000 files (four in five pictures). Budget: the time of
//   FindTree plus 50 %. The progress box is updated at most four times a
//   second (the run's pacer); the counter listed counts the bookmark lines.
// - FindTree: `find` listing every entry of the tree to /dev/null.
// - FindPictures: `find` listing only the pictures, by name.
// The goal compares wall clock times (the Time column); the peers' own
// processor time is their counter tool_cpu_ms.
// Runs on the offscreen platform unless QT_QPA_PLATFORM says otherwise.
#include "explorer/xplr8900.h"

#include "app/lumv8900.h"
#include "bench_explorer.h"
#include "bench_tools.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTemporaryDir>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

using namespace lumvor;
using namespace xplr8900;

namespace {

constexpr int kTopFolders = 40;
constexpr int kSubFolders = 50;
constexpr int kFilesPerFolder = 50;

std::string gTree;  // with a trailing "/"

void MakeTree() {
    ::mkdir(gTree.c_str(), 0777);
    for (int top = 0; top < kTopFolders; ++top) {
        const std::string topFolder = gTree + "Album " + std::to_string(top) + "/";
        ::mkdir(topFolder.c_str(), 0777);
        for (int sub = 0; sub < kSubFolders; ++sub) {
            const std::string folder = topFolder + "day " + std::to_string(sub) + "/";
            ::mkdir(folder.c_str(), 0777);
            for (int i = 0; i < kFilesPerFolder; ++i) {
                char name[32];
                std::snprintf(name, sizeof name, i % 5 == 4 ? "note_%03d.txt" : "IMG_%03d.JPG", i);
                const int fd = ::open((folder + name).c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
                if (fd >= 0) {
                    ::write(fd, "jpeg", 4);
                    ::close(fd);
                }
            }
        }
    }
}

void InstantSlideshow(benchmark::State& state) {
    TFileForm& form = *FileForm;
    int handOffs = 0;
    OpenHandOff = [&handOffs](const std::string&, const std::string&) { ++handOffs; };
    for (auto _ : state)
        form.mnuListBookmarksClick(form.FindItem("mnuInstantSlideshow"));
    OpenHandOff = nullptr;
    if (handOffs != int(state.iterations()))
        state.SkipWithError("the list was not handed over");
    FILE* list = std::fopen(BookmarkListFile.c_str(), "rb");
    int lines = 0;
    if (list) {
        for (int c; (c = std::fgetc(list)) != EOF;)
            lines += c == '\n';
        std::fclose(list);
    }
    state.counters["listed"] = lines;
}
BENCHMARK(InstantSlideshow)->Unit(benchmark::kMillisecond)->UseRealTime();

// Times a peer's shell command (wall clock); the counter "tool_cpu_ms" gives
// the processor time of its processes per run, which the benchmark's own CPU
// column does not see.
void RunPeer(benchmark::State& state, const std::string& command) {
    const double before = bench::ChildrenCpuSeconds();
    bench::RunPeerCommand(state, command);
    state.counters["tool_cpu_ms"] =
        1000 * (bench::ChildrenCpuSeconds() - before) / double(std::max<int64_t>(state.iterations(), 1));
}

void FindTree(benchmark::State& state) { RunPeer(state, "find '" + gTree + "' > /dev/null"); }
BENCHMARK(FindTree)->Unit(benchmark::kMillisecond)->UseRealTime();

void FindPictures(benchmark::State& state) { RunPeer(state, "find '" + gTree + "' -iname '*.jpg' > /dev/null"); }
BENCHMARK(FindPictures)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    QTemporaryDir home;
    if (!bench::UseBenchHome(home))
        return 1;
    gTree = home.path().toStdString() + "/tree/";
    MakeTree();

    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    bench::StartExplorer(gTree, 1);

    return bench::RunBenchmarksWithExplorer(argc, argv);
}
