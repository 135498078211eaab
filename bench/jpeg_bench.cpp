// Decoding a 24-megapixel JPEG with TJPEGImage against libjpeg-turbo called
// directly with the same settings, at full size and at one eighth, and against
// `djpeg -scale 1/8` on the same file (a whole process, for orientation).
//
// The picture (6000 x 4000, quality 90, 4:2:0) is made on first use in the
// temporary folder by our encoder from a textured synthetic pattern.
#include "platform/Jpeg.h"

#include "bench_pictures.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

using namespace lumvor;

namespace {

const std::string& TestFile() {
    static const std::string path = [] {
        std::string p = (std::filesystem::temp_directory_path() / "lumvor_bench_24mp.jpg").string();
        if (!std::filesystem::exists(p))
            bench::WriteSyntheticJpeg(p, 6000, 4000, 90);
        return p;
    }();
    return path;
}

std::vector<uint8_t> FileBytes() { return bench::FileBytes(TestFile()); }

// Our object: load from a memory stream, decode into a bitmap.
void Ours(benchmark::State& state, TJPEGScale scale) {
    const std::vector<uint8_t> bytes = FileBytes();
    TMemoryStream stream;
    stream.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
    TBitmap bmp;
    for (auto _ : state) {
        stream.SetPosition(0);
        TJPEGImage jpeg;
        jpeg.SetPerformance(jpBestSpeed);
        jpeg.SetScale(scale);
        jpeg.LoadFromStream(stream);
        jpeg.DecodeInto(bmp);
        benchmark::DoNotOptimize(bmp.ScanLine(0));
    }
}

// libjpeg-turbo alone with the same settings, into one preallocated buffer.
void Library(benchmark::State& state, unsigned denominator) {
    const std::vector<uint8_t> bytes = FileBytes();
    std::vector<uint8_t> pixels;
    for (auto _ : state) {
        bench::LibjpegDecode(bytes, denominator, true, pixels);
        benchmark::DoNotOptimize(pixels.data());
    }
}

void Djpeg(benchmark::State& state) {
    const std::string command =
        "djpeg -scale 1/8 -dct fast -nosmooth -bmp -outfile /dev/null '" + TestFile() + "'";
    for (auto _ : state)
        if (std::system(command.c_str()) != 0)
            state.SkipWithError("djpeg failed");
}

void BM_OursFull(benchmark::State& s) { Ours(s, jsFullSize); }
void BM_LibjpegFull(benchmark::State& s) { Library(s, 1); }
void BM_OursEighth(benchmark::State& s) { Ours(s, jsEighth); }
void BM_LibjpegEighth(benchmark::State& s) { Library(s, 8); }
void BM_DjpegEighth(benchmark::State& s) { Djpeg(s); }

}  // namespace

BENCHMARK(BM_OursFull)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LibjpegFull)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OursEighth)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LibjpegEighth)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DjpegEighth)->Unit(benchmark::kMillisecond);
