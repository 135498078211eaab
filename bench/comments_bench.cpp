// Loading the comments of a folder of 10,000 commented pictures (warm page
// cache): reading both files and building the lookup table over the folder's
// 10,000 names, as the explorer does after a listing, must stay under 20 ms.
// Beside it, the floor any reader stands on (the two files read whole into
// memory), and the lookups of all 10,000 rows, as the comment column and the
// comment sort make them.
//
// The pair is written on first use into the temporary folder and removed when
// the run ends.
#include "explorer/FolderComments.h"
#include "platform/Streams.h"

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace lumvor;

namespace {

constexpr int Lines = 10000;

std::string PictureName(int i) {
    char name[32];
    std::snprintf(name, sizeof name, "IMG_%06d.JPG", i);
    return name;
}

std::vector<std::string> FolderNames() {
    std::vector<std::string> names;
    for (int i = 0; i < Lines; ++i) names.push_back(PictureName(i));
    return names;
}

// The folder with the pair; every fourth line names its file in small letters,
// as a pair written where case did not count does.
const std::string& CommentFolder() {
    static const std::string folder = [] {
        const std::string path = (fs::temp_directory_path() / ("lumvor_comments_bench_" + std::to_string(::getpid()))).string() + "/";
        fs::create_directories(path);
        TStringList names, texts;
        for (int i = 0; i < Lines; ++i) {
            std::string name = PictureName(i);
            if (i % 4 == 0)
                for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            names.Add(name);
            texts.Add("Taken = 2021:07:04 12:00:" + std::to_string(i % 60) + " by the sea, picture " + std::to_string(i));
        }
        WriteCommentFiles(path, names, texts, TCommentEncoding::Utf8);
        std::atexit([] { fs::remove_all(CommentFolder()); });
        return path;
    }();
    return folder;
}

void BM_LoadComments(benchmark::State& state) {
    const std::string& folder = CommentFolder();
    const std::vector<std::string> files = FolderNames();
    TStringList names, texts;
    TCommentEncoding encoding;
    TCommentLookup lookup;
    for (auto _ : state) {
        ReadCommentFiles(folder, names, texts, encoding);
        lookup.Build(names, files);
        benchmark::DoNotOptimize(lookup.LineOf(files.back()));
    }
    state.SetItemsProcessed(state.iterations() * Lines);
}
BENCHMARK(BM_LoadComments)->Unit(benchmark::kMillisecond);

void BM_ReadBothFilesWhole(benchmark::State& state) {
    const std::string& folder = CommentFolder();
    for (auto _ : state) {
        TMemoryStream names, texts;
        names.LoadFromFile(folder + CommentNamesFile);
        texts.LoadFromFile(folder + CommentTextsFile);
        benchmark::DoNotOptimize(names.Memory());
        benchmark::DoNotOptimize(texts.Memory());
    }
}
BENCHMARK(BM_ReadBothFilesWhole)->Unit(benchmark::kMillisecond);

void BM_LookUpEveryRow(benchmark::State& state) {
    TStringList names, texts;
    TCommentEncoding encoding;
    ReadCommentFiles(CommentFolder(), names, texts, encoding);
    const std::vector<std::string> files = FolderNames();
    TCommentLookup lookup;
    lookup.Build(names, files);
    for (auto _ : state) {
        int found = 0;
        for (const std::string& file : files) found += lookup.LineOf(file) >= 0;
        benchmark::DoNotOptimize(found);
    }
    state.SetItemsProcessed(state.iterations() * Lines);
}
BENCHMARK(BM_LookUpEveryRow)->Unit(benchmark::kMillisecond);

}  // namespace
