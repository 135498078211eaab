// Preparing a 24-megapixel JPEG slide for a 1920 x 1080 window against the
// decode floor.
//
//   BM_SlideImage          the slide preparation of a bookmark show (header,
//                          reduced decode, hand-over to the imaging library,
//                          fit into the window); the window's client area is
//                          1920 x 1080, so the picture is decoded at 1:4
//                          (1500 x 1000), which already fits
//   BM_SlideImageFit       the same into a 1280 x 720 window area, which adds
//                          a smooth reduction to 1080 x 720
//   BM_DjpegQuarter        `djpeg -scale 1/4` of the same file as a process
//                          (start-up, decode, PPM written to /dev/null)
//   BM_LibjpegQuarterFast  libjpeg-turbo's own 1/4 decode in this process with
//                          the settings slides are decoded with (fast DCT,
//                          plain chroma upsampling)
//
// The picture (6000 x 4000, quality 90, 4:2:0) is written at start into a
// temporary folder, which also serves as the program's home for the run.
#include "state/ViewerSettings.h"
#include "app/lumv8900.h"
#include "explorer/xplr8900.h"
#include "imaging/AvlScript.h"
#include "imgman/imgman.h"
#include "platform/Menus.h"

#include "bench_pictures.h"
#include "bench_window.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

using namespace lumvor;
using namespace lumvor::lumv8900;

namespace {

std::string TempFolder;
std::string PictureFile;

// The image window with a client area of 1920 x 1080, as in a full-screen show.
bool StartWindow() {
    if (!bench::StartProgram(TempFolder))
        return false;
    WebForm->show();
    WebForm->resize(1920 + WebForm->width() - WebForm->ClientWidth(),
                     1080 + WebForm->height() - WebForm->ClientHeight());
    QCoreApplication::processEvents();
    WebForm->mnuAspect->Tag = 1;
    WebForm->mnuViewGamma->Tag = 100;
    SlideshowRunning = true;
    return WebForm->ClientWidth() == 1920 && WebForm->ClientHeight() == 1080;
}

void Prepare(benchmark::State& state, int width, int height) {
    if (!WebForm && !StartWindow()) {
        state.SkipWithError("the window did not start with a 1920 x 1080 client area");
        return;
    }
    for (auto _ : state) {
        FileName = PictureFile;
        TWebForm::ReadImageHeader(true);
        if (!WebForm->SlideImage(width, height)) {
            state.SkipWithError("the slide was not prepared");
            break;
        }
    }
    state.SetLabel(std::to_string(ImageWidth) + "x" + std::to_string(ImageHeight) + "(" +
                   std::to_string(ImageBitCount) + ")");
    WebForm->CloseImgHandle();
}

void BM_SlideImage(benchmark::State& state) { Prepare(state, 1920, 1080); }
void BM_SlideImageFit(benchmark::State& state) { Prepare(state, 1280, 720); }

void BM_DjpegQuarter(benchmark::State& state) {
    bench::RunCommand(state, "djpeg -scale 1/4 -outfile /dev/null '" + PictureFile + "'");
}

void BM_LibjpegQuarterFast(benchmark::State& state) {
    const std::vector<uint8_t> bytes = bench::FileBytes(PictureFile);
    std::vector<uint8_t> pixels;
    for (auto _ : state) {
        bench::LibjpegDecode(bytes, 4, true, pixels);
        benchmark::DoNotOptimize(pixels.data());
    }
}

}  // namespace

BENCHMARK(BM_SlideImage)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_SlideImageFit)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_DjpegQuarter)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_LibjpegQuarterFast)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

int main(int argc, char** argv) { return bench::RunWindowBenchmarks(argc, argv, TempFolder, PictureFile); }
