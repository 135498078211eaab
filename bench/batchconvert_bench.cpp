// Batch conversion of 20 JPEG pictures of 12 megapixels (4000 x 3000) to JPEG
// at quality 48 without a script, in files per minute (the counter "files/min"):
//
//   BM_BatchToJpeg  our road for each file: the picture decoded at full size
//                   as the window opens it, its own copy handed to the encode
//                   thread (one job at a time, the caller waiting as the window
//                   does), the JPEG written as a new file
//   BM_VipsCopy     `vips copy in.jpg out.jpg[Q=48]` per file, single-threaded
//                   (VIPS_CONCURRENCY=1)
//   BM_Mogrify      `mogrify -quality 48` over copies of the 20 files,
//                   single-threaded (MAGICK_THREAD_LIMIT=1)
//
// The pictures are written on first use into a temporary folder by our encoder
// (quality 90, 4:2:0, a textured synthetic pattern).
#include "platform/Jpeg.h"
#include "platform/SysUtils.h"
#include "processing/files/BatchConvert.h"
#include "processing/files/CoreEncode.h"

#include "bench_pictures.h"
#include "bench_tools.h"

#include <benchmark/benchmark.h>

#include <QDir>

#include <filesystem>
#include <string>
#include <vector>

using namespace lumvor;

namespace {

constexpr int FileCount = 20;
constexpr int Width = 4000, Height = 3000;

const std::string& Folder() {
    static const std::string folder = [] {
        const std::string dir = QDir::tempPath().toStdString() + "/lumvor_batchconvert_bench/";
        std::filesystem::create_directories(dir + "in");
        const std::string first = dir + "in/p00.jpg";
        if (!std::filesystem::exists(first))
            bench::WriteSyntheticJpeg(first, Width, Height, 90);
        for (int i = 1; i < FileCount; ++i) {
            const std::string name = dir + "in/p" + (i < 10 ? "0" : "") + std::to_string(i) + ".jpg";
            if (!std::filesystem::exists(name))
                std::filesystem::copy_file(first, name);
        }
        return dir;
    }();
    return folder;
}

std::vector<std::string> Sources() {
    std::vector<std::string> files;
    for (int i = 0; i < FileCount; ++i)
        files.push_back(Folder() + "in/p" + (i < 10 ? "0" : "") + std::to_string(i) + ".jpg");
    return files;
}

void FreshOutput(const std::string& out) {
    std::filesystem::remove_all(out);
    std::filesystem::create_directories(out);
}

void Report(benchmark::State& state) {
    state.counters["files/min"] =
        benchmark::Counter(double(FileCount) * 60.0, benchmark::Counter::kIsIterationInvariantRate);
}

void BM_BatchToJpeg(benchmark::State& state) {
    const std::vector<std::string> sources = Sources();
    const std::string out = Folder() + "ours/";
    TJpegWizardSettings settings;
    SetBatchJpegDefaults(settings);
    for (auto _ : state) {
        state.PauseTiming();
        FreshOutput(out);
        state.ResumeTiming();
        for (const std::string& source : sources) {
            TJPEGImage jpeg;
            jpeg.SetPixelFormat(jf24Bit);
            jpeg.LoadFromFile(source);
            TBitmap picture;
            jpeg.DecodeInto(picture);
            TEncodeJob job;
            job.Picture = std::make_shared<TPixelBuffer>(*picture.Handle());
            job.Settings = settings;
            job.OutputFolder = out;
            job.OutputName = BatchOutputName(source, ".jpg", out);
            TCoreEncode thread;
            thread.SetJob(std::move(job));
            thread.start(EncodePriority(2));
            thread.wait();
            WriteBatchFile(thread.Job().OutputPath(), thread.Result().Stream);
        }
    }
    Report(state);
}

void BM_VipsCopy(benchmark::State& state) {
    const std::vector<std::string> sources = Sources();
    const std::string out = Folder() + "vips/";
    std::string command = "export VIPS_CONCURRENCY=1";
    for (const std::string& source : sources)
        command += " && vips copy '" + source + "' '" + out + ExtractFileName(source) + "[Q=48]'";
    for (auto _ : state) {
        state.PauseTiming();
        FreshOutput(out);
        state.ResumeTiming();
        if (std::system(command.c_str()) != 0)
            state.SkipWithError("vips failed");
    }
    Report(state);
}

void BM_Mogrify(benchmark::State& state) {
    const std::string out = Folder() + "mogrify/";
    for (auto _ : state) {
        state.PauseTiming();
        FreshOutput(out);
        std::system(("cp " + Folder() + "in/*.jpg " + out).c_str());
        state.ResumeTiming();
        if (std::system(("MAGICK_THREAD_LIMIT=1 mogrify -quality 48 " + out + "*.jpg").c_str()) != 0)
            state.SkipWithError("mogrify failed");
    }
    Report(state);
}

}  // namespace

BENCHMARK(BM_BatchToJpeg)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_VipsCopy)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_Mogrify)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
