// The explorer's search tools against their budgets and peers.
//
// - Match/1000: one reference against 1,000 thumbnail cache files (168 x 126
//   cells of different noise, warm page cache): one trailer-checked read, one
//   coarsening and one early-exit comparison per candidate. Budget: 2 s.
// - FolderSizes: the sub-folder totals of a generated tree of 2,000 folders
//   and 100,000 files, against `du -sb` of the same tree (both with a warm
//   dentry cache). Budget: du's time plus 50 %.
//
// Everything is made on first use under /tmp/lumvor_X15_bench/data and removed at
// the end of the run. Run with `taskset -c 0 build/bench/search_bench`.
#include "explorer/FolderSizes.h"
#include "explorer/PictureMatch.h"
#include "imaging/FileRec.h"
#include "imaging/ThumbCache.h"
#include "platform/Graphics.h"
#include "platform/Streams.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace lumvor;

namespace {

const fs::path Root = "/tmp/lumvor_X15_bench/data";

// A 168 x 126 cell of noise, different for every seed.
void NoiseCell(TBitmap& cell, uint32_t seed) {
    cell.SetPixelFormat(pf24bit);
    cell.SetSize(168, 126);
    uint32_t state = seed * 2654435761u + 1;
    for (int y = 0; y < 126; ++y) {
        uint8_t* row = cell.ScanLine(y);
        for (int x = 0; x < 168 * 3; ++x) {
            state = state * 1664525u + 1013904223u;
            row[x] = uint8_t(state >> 24);
        }
    }
}

struct TCacheSet {
    std::vector<FileRec> Rows;
    std::vector<TThumbFile> Files;

    TCacheSet() {
        const fs::path folder = Root / "cache";
        fs::create_directories(folder);
        TBitmap cell;
        NoiseCell(cell, 0);
        TMemoryStream image;
        cell.SaveToStream(image);
        ThumbRecOffset = int32_t(image.Size());
        for (int i = 0; i <= 1000; ++i) {
            NoiseCell(cell, uint32_t(i));
            FileRec row;
            row.SetName("picture" + std::to_string(i) + ".jpg");
            row.SetSizeLow(uint32_t(1000 + i));
            const TThumbFile file{(folder / (std::to_string(i) + ".rec")).string(), TThumbFileKind::PerFile};
            WriteThumbFile(row, cell, file, row);
            Rows.push_back(row);
            Files.push_back(file);
        }
    }
};

const TCacheSet& Caches() {
    static const TCacheSet set;
    return set;
}

void BM_Match1000(benchmark::State& state) {
    const TCacheSet& set = Caches();
    int best = -1;
    for (auto _ : state) {
        TPictureMatch match(MatchBlockSize(168));
        match.SetReference(set.Files[0], set.Rows[0]);
        for (int i = 1; i <= 1000; ++i) match.Compare(set.Files[size_t(i)], set.Rows[size_t(i)], i);
        best = match.Best();
    }
    state.counters["best"] = best;
}
BENCHMARK(BM_Match1000)->Unit(benchmark::kMillisecond);

// 2,000 folders (40 top folders of 49 sub-folders each, plus the tops) and
// 100,000 files of 0 to 4,095 bytes.
const fs::path& Tree() {
    static const fs::path tree = [] {
        const fs::path top = Root / "tree";
        if (fs::exists(top / "done")) return top;
        int files = 0;
        std::vector<fs::path> folders;
        for (int t = 0; t < 40; ++t) {
            const fs::path parent = top / ("top" + std::to_string(t));
            folders.push_back(parent);
            for (int s = 0; s < 49; ++s) folders.push_back(parent / ("sub" + std::to_string(s)));
        }
        for (const fs::path& folder : folders) fs::create_directories(folder);
        for (size_t f = 0; files < 100000; ++f, ++files) {
            std::ofstream(folders[f % folders.size()] / ("file" + std::to_string(files) + ".jpg"), std::ios::binary)
                << std::string(size_t(files * 37 % 4096), 'x');
        }
        std::ofstream(top / "done") << "";
        return top;
    }();
    return tree;
}

void BM_FolderSizes(benchmark::State& state) {
    const std::string tree = Tree().string() + "/";
    int64_t total = 0;
    for (auto _ : state) {
        const TFolderSizes sizes = SumFolderSizes(tree);
        total = 0;
        for (const auto& [name, bytes] : sizes.Totals) total += bytes;
    }
    state.counters["bytes"] = double(total);
}
BENCHMARK(BM_FolderSizes)->Unit(benchmark::kMillisecond);

void BM_DuSb(benchmark::State& state) {
    const std::string command = "du -sb '" + Tree().string() + "' > /dev/null";
    for (auto _ : state)
        if (std::system(command.c_str()) != 0) state.SkipWithError("du failed");
}
BENCHMARK(BM_DuSb)->Unit(benchmark::kMillisecond);

// Removes what the run made.
struct TCleanUp {
    ~TCleanUp() {
        std::error_code ignored;
        fs::remove_all(Root, ignored);
    }
} cleanUp;

}  // namespace
