// Opening a 24-megapixel JPEG in the image window against the decode floor.
//
//   BM_WindowOpen       the window's own open road (header, divisor, scaled
//                       decode into the display bitmap, layout, status bar and
//                       the paint of the fitted picture), offscreen, with a
//                       viewing area of 1280 x 800: the picture is shown at 1:4
//                       (1500 x 1000); "paints" counts the paint events of the
//                       picture control per open (the one inside the view's
//                       relayout is a locked, empty one)
//   BM_DjpegQuarter     `djpeg -scale 1/4` of the same file as a process
//                       (start-up, decode, PPM written to /dev/null)
//   BM_LibjpegQuarter   libjpeg-turbo's own 1/4 decode in this process with
//                       djpeg's default settings (accurate DCT, smooth chroma)
//   BM_LibjpegQuarterFast  the same with the window's settings (fast DCT,
//                       plain chroma upsampling), into one reused buffer
//   BM_ImageMagick      `convert -define jpeg:size=1280x800 x.jpg
//                       -resize 1280x800 x.ppm`
//
// The picture (6000 x 4000, quality 90, 4:2:0) is written at start into a
// temporary folder, which also serves as the program's home for the run.
#include "app/lumv8900.h"
#include "state/ViewerSettings.h"
#include "explorer/xplr8900.h"
#include "platform/Menus.h"
#include "ui/Pix.h"
#include "ui/ScrollBoxEx.h"

#include "bench_pictures.h"
#include "bench_window.h"

#include <QApplication>
#include <QEvent>
#include <QFrame>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using namespace lumvor;
using namespace lumvor::lumv8900;

namespace {

constexpr int ViewWidth = 1280;
constexpr int ViewHeight = 800;

std::string TempFolder;
std::string PictureFile;

std::vector<uint8_t> PictureBytes() { return bench::FileBytes(PictureFile); }

// The image window as the program starts it, with fit-to-window and scaled
// JPEG decoding on and a viewing area of exactly 1280 x 800.
bool StartWindow() {
    if (!bench::StartProgram(TempFolder))
        return false;
    WebForm->resize(1600, 1100);
    WebForm->show();
    QCoreApplication::processEvents();
    ViewerControls.SetInt(vc::JpegScale, 67);
    WebForm->mnuScaleJPEG->SetChecked(true);
    WebForm->ScrollBox->setFrameShape(QFrame::NoFrame);
    WebForm->ScrollBox->setFixedSize(ViewWidth, ViewHeight);
    QCoreApplication::processEvents();
    return WebForm->ScrollBox->viewport()->width() == ViewWidth &&
           WebForm->ScrollBox->viewport()->height() == ViewHeight;
}

// Counts the paints of the picture control.
class PaintCounter : public QObject {
public:
    int count = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            ++count;
        return false;
    }
};

void BM_WindowOpen(benchmark::State& state) {
    if (!WebForm && !StartWindow()) {
        state.SkipWithError("the window did not start with a 1280 x 800 viewing area");
        return;
    }
    PaintCounter paints;
    WebForm->Daz95->installEventFilter(&paints);
    for (auto _ : state) {
        // Opened as the command line, the bookmarks and the reload open it.
        FileName = PictureFile;
        FileExt = ".JPG";
        WebForm->BtnOpenEx(WebForm);
        // What the event loop does next: paint what is still pending.
        QCoreApplication::processEvents();
    }
    WebForm->Daz95->removeEventFilter(&paints);
    state.counters["paints"] = benchmark::Counter(paints.count, benchmark::Counter::kAvgIterations);
    if (!ImageLoaded || WebForm->Daz95->Bitmap()->GetWidth() != 1500 || JPEGScaleDivisor != 4)
        state.SkipWithError("the picture did not open at 1500 x 1000 (1:4)");
    state.SetLabel(std::to_string(WebForm->Daz95->Bitmap()->GetWidth()) + "x" +
                   std::to_string(WebForm->Daz95->Bitmap()->GetHeight()) + " " + WebForm->SizeText());
}

void BM_DjpegQuarter(benchmark::State& state) {
    bench::RunCommand(state, "djpeg -scale 1/4 -outfile /dev/null '" + PictureFile + "'");
}

void BM_ImageMagick(benchmark::State& state) {
    bench::RunCommand(state, "/usr/bin/convert -define jpeg:size=1280x800 '" + PictureFile + "' -resize 1280x800 '" +
                          TempFolder + "/x.ppm'");
}

// libjpeg-turbo alone at 1/4, rows written into one reused buffer.
void Library(benchmark::State& state, bool fast) {
    const std::vector<uint8_t> bytes = PictureBytes();
    std::vector<uint8_t> pixels;
    for (auto _ : state) {
        bench::LibjpegDecode(bytes, 4, fast, pixels);
        benchmark::DoNotOptimize(pixels.data());
    }
}

void BM_LibjpegQuarter(benchmark::State& s) { Library(s, false); }
void BM_LibjpegQuarterFast(benchmark::State& s) { Library(s, true); }

}  // namespace

BENCHMARK(BM_WindowOpen)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_DjpegQuarter)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_LibjpegQuarter)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_LibjpegQuarterFast)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_ImageMagick)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

int main(int argc, char** argv) { return bench::RunWindowBenchmarks(argc, argv, TempFolder, PictureFile); }
