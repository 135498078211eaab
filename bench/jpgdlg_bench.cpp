// The JPEG dialog's "&Test" on a 12-megapixel picture against the command-line
// tools doing the same work.
//
//   BM_DialogTest     the dialog's test encode: the picture copied for the
//                     right preview, "Standard" smoothing at strength 0,
//                     setting 60 on the linear scale, full-resolution colour,
//                     optimised Huffman coding, the floating-point DCT, then
//                     the decode of the result back into the preview
//   BM_CjpegDjpeg     `cjpeg -dct float -optimize -quality 70 -sample 1x1` of
//                     the same pixels (a PPM file), then `djpeg` of its output
//                     to /dev/null, as two processes; quality 70 on libjpeg's
//                     standard scale gives the same tables as 60 on the linear
//                     scale (200 - 2 x 70 = 60)
//
// The picture (4000 x 3000) is made at start from a textured synthetic
// pattern: the bitmap for BM_DialogTest and the same pixels as a PPM file for
// the tools, in a temporary folder.
#include "app/jpgdlg_8900.h"

#include "bench_pictures.h"

#include <benchmark/benchmark.h>

#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>

using namespace lumvor;

namespace {

constexpr int Width = 4000;
constexpr int Height = 3000;

struct Fixture {
    QTemporaryDir dir;
    TBitmap picture;
    std::string ppm;
    std::string jpeg;
};

Fixture& Pictures() {
    static const std::unique_ptr<Fixture> fixture = [] {
        auto f = std::make_unique<Fixture>();
        const std::string folder = f->dir.path().toStdString();
        const std::string source = folder + "/source.jpg";
        bench::WriteSyntheticJpeg(source, Width, Height, 95);
        TJPEGImage decoder;
        decoder.LoadFromFile(source);
        decoder.DecodeInto(f->picture);
        f->ppm = folder + "/source.ppm";
        f->jpeg = folder + "/cjpeg.jpg";
        std::ofstream out(f->ppm, std::ios::binary);
        out << "P6\n" << Width << " " << Height << "\n255\n";
        for (int y = 0; y < Height; ++y) {
            const uint8_t* row = f->picture.ScanLine(y);
            for (int x = 0; x < Width; ++x) {
                const char rgb[3] = {char(row[3 * x + 2]), char(row[3 * x + 1]), char(row[3 * x])};
                out.write(rgb, 3);
            }
        }
        return f;
    }();
    return *fixture;
}

void BM_DialogTest(benchmark::State& state) {
    Fixture& f = Pictures();
    TBitmap after;
    TMemoryStream stream;
    TJpegTestOptions options;
    options.Kind = skStandard;
    options.Strength = 0;
    options.Scale = 60;
    for (auto _ : state) {
        after.Assign(&f.picture);
        EncodeJpegTest(after, options, stream);
        benchmark::DoNotOptimize(after.ScanLine(0));
    }
    state.counters["bytes"] = double(stream.Size());
}

void BM_CjpegDjpeg(benchmark::State& state) {
    Fixture& f = Pictures();
    const std::string encode = "cjpeg -dct float -optimize -quality 70 -sample 1x1 -outfile '" + f.jpeg + "' '" +
                               f.ppm + "'";
    const std::string decode = "djpeg -outfile /dev/null '" + f.jpeg + "'";
    for (auto _ : state) {
        if (std::system(encode.c_str()) != 0 || std::system(decode.c_str()) != 0) {
            state.SkipWithError("cjpeg or djpeg failed");
            break;
        }
    }
    state.counters["bytes"] = double(bench::FileBytes(f.jpeg).size());
}

BENCHMARK(BM_DialogTest)->Unit(benchmark::kMillisecond)->MinTime(3);
BENCHMARK(BM_CjpegDjpeg)->Unit(benchmark::kMillisecond)->MinTime(3);

}  // namespace
