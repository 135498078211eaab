// Reading the trailers of 10,000 thumbnail cache files (warm page cache), as a
// folder listing does, against the whole-file load that read them before and
// against a bare open/pread/close, the floor any reader stands on. And naming
// 10,000 pictures against zlib's CRC-32 over the same keys, put together in
// memory beforehand.
//
// The files are written on first use into the temporary folder (10,000 x 63,998
// bytes) and removed when the run ends. One iteration handles all 10,000.
#include "explorer/ThumbFiles.h"
#include "imaging/ThumbCache.h"
#include "platform/Graphics.h"
#include "platform/Streams.h"

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>
#include <zlib.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <new>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace lumvor;

// Counts every allocation, so the naming benchmark can show how many one name takes.
namespace {
std::atomic<long> allocations{0};
}
void* operator new(std::size_t size) {
    allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

constexpr int FileCount = 10000;

struct TCacheSet {
    fs::path Folder;
    std::vector<FileRec> Rows;
    std::vector<TThumbFile> Files;

    TCacheSet() {
        Folder = fs::temp_directory_path() / ("lumvor_bench_thumbs_" + std::to_string(::getpid()));
        fs::create_directories(Folder);
        TBitmap cell;
        cell.SetPixelFormat(pf24bit);
        cell.SetSize(168, 126);
        TMemoryStream image;
        cell.SaveToStream(image);
        ThumbRecOffset = static_cast<int32_t>(image.Size());
        for (int i = 0; i < FileCount; ++i) {
            FileRec row;
            row.SetName("IMG_" + std::to_string(10000 + i) + ".JPG");
            row.SetFileStamp(2000000 + i * 37, 1700000000 + i * 61, i * 1000);
            row.SetWidth(4000);
            row.SetHeight(3000);
            std::string name;
            ThumbRecName("CARD.1A2B3C4D", "/DCIM/100CANON/", row, name);
            Files.push_back({(Folder / name).string(), TThumbFileKind::PerFile});
            if (!WriteThumbFile(row, cell, Files.back(), row)) std::fprintf(stderr, "cannot write %s\n", name.c_str());
            Rows.push_back(row);
        }
    }
    ~TCacheSet() { fs::remove_all(Folder); }
};

TCacheSet& Cache() {
    static TCacheSet cache;
    return cache;
}

void Report(benchmark::State& state) {
    state.SetItemsProcessed(state.iterations() * FileCount);
    state.SetLabel("10,000 files per iteration");
}

void BM_Trailers_ThumbFilePresent(benchmark::State& state) {
    TCacheSet& cache = Cache();
    FileRec trailer;
    for (auto _ : state) {
        int present = 0;
        for (int i = 0; i < FileCount; ++i) present += ThumbFilePresent(cache.Files[i], cache.Rows[i], &trailer);
        if (present != FileCount) state.SkipWithError("a cache file was not present");
        benchmark::DoNotOptimize(trailer);
    }
    Report(state);
}
BENCHMARK(BM_Trailers_ThumbFilePresent)->Unit(benchmark::kMillisecond);

void BM_Trailers_ReadThumbInfo(benchmark::State& state) {
    TCacheSet& cache = Cache();
    FileRec trailer;
    for (auto _ : state) {
        for (int i = 0; i < FileCount; ++i) ReadThumbInfo(trailer.Bytes.data(), cache.Files[i].Path);
        benchmark::DoNotOptimize(trailer);
    }
    Report(state);
}
BENCHMARK(BM_Trailers_ReadThumbInfo)->Unit(benchmark::kMillisecond);

// Peer: the whole file into a memory stream, then the record at the offset.
void BM_Trailers_WholeFileLoad(benchmark::State& state) {
    TCacheSet& cache = Cache();
    FileRec trailer;
    for (auto _ : state) {
        for (int i = 0; i < FileCount; ++i) {
            TMemoryStream stream;
            stream.LoadFromFile(cache.Files[i].Path);
            stream.SetPosition(ThumbRecOffset);
            stream.ReadBuffer(trailer.Bytes.data(), FileRecSize);
        }
        benchmark::DoNotOptimize(trailer);
    }
    Report(state);
}
BENCHMARK(BM_Trailers_WholeFileLoad)->Unit(benchmark::kMillisecond);

// Peer: open, one pread of the trailer, close; no checks at all.
void BM_Trailers_BarePread(benchmark::State& state) {
    TCacheSet& cache = Cache();
    FileRec trailer;
    for (auto _ : state) {
        for (int i = 0; i < FileCount; ++i) {
            const int fd = ::open(cache.Files[i].Path.c_str(), O_RDONLY | O_CLOEXEC);
            if (::pread(fd, trailer.Bytes.data(), FileRecSize, ThumbRecOffset) != FileRecSize)
                state.SkipWithError("short read");
            ::close(fd);
        }
        benchmark::DoNotOptimize(trailer);
    }
    Report(state);
}
BENCHMARK(BM_Trailers_BarePread)->Unit(benchmark::kMillisecond);

// Naming: one CRC over a key of about 90 bytes per picture, no key in memory.
void BM_Names_ThumbRecName(benchmark::State& state) {
    TCacheSet& cache = Cache();
    std::string name;
    name.reserve(32);
    long before = 0, after = 0;
    for (auto _ : state) {
        before = allocations.load();
        for (int i = 0; i < FileCount; ++i) ThumbRecName("CARD.1A2B3C4D", "/DCIM/100CANON/", cache.Rows[i], name);
        after = allocations.load();
        benchmark::DoNotOptimize(name);
    }
    state.counters["allocs/name"] = double(after - before) / FileCount;
    Report(state);
}
BENCHMARK(BM_Names_ThumbRecName)->Unit(benchmark::kMillisecond);

// Peer: zlib's CRC-32 over the same keys, built beforehand.
void BM_Names_ZlibOverBuiltKeys(benchmark::State& state) {
    TCacheSet& cache = Cache();
    std::vector<std::string> keys;
    for (const FileRec& row : cache.Rows) {
        keys.push_back("CARD.1A2B3C4D\r\n/DCIM/100CANON/" + std::string(row.Name()) + "\r\n" +
                       std::to_string(int32_t(row.SizeLow())) + "\r\n" + std::to_string(row.FileDate()) + "\r\n" +
                       std::to_string(row.TimeMs()) + "\r\n");
    }
    uLong crc = 0;
    for (auto _ : state) {
        for (const std::string& key : keys)
            crc ^= crc32(0, reinterpret_cast<const Bytef*>(key.data()), static_cast<uInt>(key.size()));
        benchmark::DoNotOptimize(crc);
    }
    Report(state);
}
BENCHMARK(BM_Names_ZlibOverBuiltKeys)->Unit(benchmark::kMillisecond);

}  // namespace
