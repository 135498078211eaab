// The explorer's folder tree over large and deep folders (warm page cache):
// - ExpandThousands: opening the node of a folder of 5,000 sub-folders (one
//   read of the folder, one short probe per sub-folder, the nodes made and
//   sorted); for orientation, `find` listing the same sub-folders.
// - PathTenDeep: "Rebuild" of the tree for a folder ten levels below the
//   temporary folder (the volume's node re-read, then each folder on the way);
//   the counter folders_read counts the folders read whole per run.
// Runs on the offscreen platform unless QT_QPA_PLATFORM says otherwise.
#include "explorer/xplr8900.h"

#include "app/lumv8900.h"
#include "state/ExplorerSettings.h"
#include "explorer/FolderListing.h"
#include "explorer/FolderTree.h"
#include "imaging/Helpers.h"
#include "ui/LookBoxEx.h"
#include "ui/TreeViewEx.h"

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

constexpr int kSubFolders = 5000;

std::string gBig;   // the folder of kSubFolders sub-folders, with a trailing "/"
std::string gDeep;  // a folder ten levels down, with a trailing "/"

void BM_ExpandThousands(benchmark::State& state) {
    TFileForm& form = *FileForm;
    form.LookBox->SetFolder(gBig);
    TTreeNode* node = form.Tree->currentItem();
    if (!node || form.GetNodePath(node) != gBig) {
        state.SkipWithError("the tree did not reach the folder");
        return;
    }
    for (auto _ : state) {
        state.PauseTiming();
        form.SetNodeWithChild(node, true);
        state.ResumeTiming();
        node->setExpanded(true);
        if (node->childCount() != kSubFolders) {
            state.SkipWithError("not every sub-folder became a node");
            break;
        }
    }
}
BENCHMARK(BM_ExpandThousands)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_FindThousands(benchmark::State& state) {
    const std::string command = "find '" + gBig + "' -mindepth 1 -maxdepth 1 -type d > /dev/null";
    bench::RunPeerCommand(state, command);
}
BENCHMARK(BM_FindThousands)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_PathTenDeep(benchmark::State& state) {
    TFileForm& form = *FileForm;
    form.LookBox->SetFolder(gDeep);
    int reads = 0;
    FolderTree::OnFolderRead = [&reads](const std::string&) { ++reads; };
    for (auto _ : state)
        form.mnuTreeRebuildClick(&form);
    FolderTree::OnFolderRead = nullptr;
    if (form.GetNodePath(form.Tree->currentItem()) != gDeep)
        state.SkipWithError("the tree did not reach the folder");
    state.counters["folders_read"] = benchmark::Counter(double(reads) / double(state.iterations()));
}
BENCHMARK(BM_PathTenDeep)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    QTemporaryDir home;
    if (!bench::UseBenchHome(home))
        return 1;
    const std::string root = home.path().toStdString() + "/";
    gBig = root + "big/";
    for (int i = 0; i < kSubFolders; ++i)
        fs::create_directories(gBig + "folder " + std::to_string(i));
    fs::create_directories(gBig + "folder 17/inner");
    gDeep = root;
    for (int level = 1; level <= 10; ++level) {
        fs::create_directories(gDeep + "side");
        gDeep += "level " + std::to_string(level) + "/";
    }
    fs::create_directories(gDeep);

    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    bench::StartExplorer(root, 3)->mnuFolderTreeClick(FileForm);

    return bench::RunBenchmarksWithExplorer(argc, argv);
}
