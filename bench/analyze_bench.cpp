// The picture analysis of a 12-megapixel picture (4000 x 3000, 24 bits of
// noise, saved as a BMP so the file exists) against the JPEG round trip it
// contains, done by the codec's own tools on the same picture.
//
//   BM_Analyze          Image > Analyze on the viewer picture, offscreen, the
//                       report box answered No: statistics, the JPEG round
//                       trip at quality 66 on a duplicate and its difference,
//                       the blur and the edge filter written into the
//                       duplicate with their differences summed as they go.
//                       From the second run on the duplicate holds the last
//                       run's picture, which is parked and given back.
//   BM_CjpegDjpeg       `cjpeg -quality 66 in.ppm > out.jpg` followed by
//                       `djpeg out.jpg > out.ppm`, less `cat in.ppm > copy.ppm`
//                       (the tools' start-up and the file reading): the floor
#include "app/lumv8900.h"
#include "platform/Forms.h"
#include "platform/Menus.h"
#include "ui/Pix.h"

#include "bench_tools.h"
#include "bench_window.h"

#include <benchmark/benchmark.h>

#include <string>

using namespace lumvor;
using namespace lumvor::lumv8900;

namespace {

constexpr int kWidth = 4000;
constexpr int kHeight = 3000;

std::string TempFolder;
std::string PictureFile;

bool ShowPicture() {
    if (!bench::ShowNoisePicture(TempFolder, kWidth, kHeight))
        return false;
    FileName = TempFolder + "/analysed.bmp";
    FileExt = ".BMP";
    WebForm->Daz95->Bitmap()->SaveToFile(FileName);
    return true;
}

void BM_Analyze(benchmark::State& state) {
    if (!ShowPicture()) {
        state.SkipWithError("the program did not start");
        return;
    }
    for (auto _ : state) {
        QueueModalResult(mrNo);
        WebForm->mnuAnalyzeClick(WebForm->mnuAnalyze, Qt::NoModifier);
    }
    state.counters["MP/s"] =
        benchmark::Counter(double(kWidth) * kHeight / 1e6, benchmark::Counter::kIsIterationInvariantRate);
}

void BM_CjpegDjpeg(benchmark::State& state) {
    if (!ShowPicture()) {
        state.SkipWithError("the program did not start");
        return;
    }
    const std::string folder = TempFolder + "/tools";
    QDir().mkpath(QString::fromStdString(folder));
    bench::WritePpm(folder + "/in.ppm", *WebForm->Daz95->Bitmap());
    bench::RunToolDifference(state, folder, "cat in.ppm > copy.ppm",
                             "cjpeg -quality 66 in.ppm > out.jpg && djpeg out.jpg > out.ppm");
}

BENCHMARK(BM_Analyze)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BM_CjpegDjpeg)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return bench::RunWindowBenchmarks(argc, argv, TempFolder, PictureFile); }
