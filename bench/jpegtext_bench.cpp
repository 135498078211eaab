// The JPEG text of a 20 MB photo: reading its EXIF lines and comments (the
// segments up to the scan, never the scan data) against `exiftool -EXIF:all`,
// and stripping its comments (the scan data copied in one block, the result
// written through a temporary file) against `jpegtran -copy none`, which
// re-writes the file without its extra segments.
//
// The photo (8000 x 4500, quality 98, about 20 MB, EXIF block and two
// comments) is made on first use in the temporary folder and kept there.
#include "imaging/JpegText.h"
#include "platform/Streams.h"

#include "bench_pictures.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace lumvor;

namespace {

const std::string& Photo() {
    static const std::string path = [] {
        const fs::path folder = fs::temp_directory_path() / "lumvor_bench_jpegtext";
        const fs::path photo = folder / "photo_8000x4500.jpg";
        if (fs::exists(photo))
            return photo.string();
        fs::create_directories(folder);
        const std::string plain = (folder / "plain.jpg").string();
        bench::WriteSyntheticJpeg(plain, 8000, 4500, 98);
        const std::string command = "exiftool -q -Make=ABC -Model=Bench -DateTimeOriginal='2021:07:04 12:00:00' "
                                    "-Orientation#=6 -o - '" + plain + "' | wrjpgcom -comment 'First' | "
                                    "wrjpgcom -comment 'Second' > '" + photo.string() + "'";
        if (std::system(command.c_str()) != 0)
            std::fprintf(stderr, "making the photo failed\n");
        fs::remove(plain);
        std::fprintf(stderr, "photo: %ju bytes\n", std::uintmax_t(fs::file_size(photo)));
        return photo.string();
    }();
    return path;
}

void RunCommand(benchmark::State& state, const std::string& command) {
    for (auto _ : state)
        if (std::system(command.c_str()) != 0)
            state.SkipWithError("command failed");
}

void BM_ReadJpegText(benchmark::State& state) {
    const std::string& photo = Photo();
    for (auto _ : state) {
        const TJpegTextData found = ReadJpegTextData(ReadJpegHead(photo), JpegTextNames());
        benchmark::DoNotOptimize(found.ExifLines.data());
    }
}
BENCHMARK(BM_ReadJpegText)->Unit(benchmark::kMillisecond);

void BM_Exiftool_Read(benchmark::State& state) {
    RunCommand(state, "exiftool -s -EXIF:all -Comment '" + Photo() + "' > /dev/null");
}
BENCHMARK(BM_Exiftool_Read)->Unit(benchmark::kMillisecond);

// What the strip command does: the whole file in, the segments walked, the
// result written over a file through a temporary file.
void BM_StripComments(benchmark::State& state) {
    const std::string target = Photo() + ".stripped.jpg";
    for (auto _ : state) {
        TMemoryStream file;
        file.LoadFromFile(Photo());
        const std::vector<uint8_t> stripped =
            StripJpegSegments(TJpegBytes(file.Memory(), size_t(file.Size())), TJpegStrip::Comments);
        TMemoryStream out;
        out.WriteBuffer(stripped.data(), int64_t(stripped.size()));
        out.SaveToFile(target);
    }
}
BENCHMARK(BM_StripComments)->Unit(benchmark::kMillisecond);

void BM_Jpegtran_CopyNone(benchmark::State& state) {
    RunCommand(state, "jpegtran -copy none -outfile '" + Photo() + ".jpegtran.jpg' '" + Photo() + "'");
}
BENCHMARK(BM_Jpegtran_CopyNone)->Unit(benchmark::kMillisecond);

}  // namespace
