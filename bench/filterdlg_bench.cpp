// Opening the filter dialog on a 24-megapixel picture in fit view against
// libvips' nearest-neighbour reduction of the same picture to the same size.
//
//   BM_OpenFitView        ExecuteFilterDlg on the viewer picture (6000 x 4000,
//                         24 bits) with the gamma method, offscreen: the form
//                         built and shown, the fitted copy (nearest neighbour,
//                         into the original pane), the first tone-curve preview
//                         on it, and the close
//   BM_FittedCopy         the fitted copy alone
//   BM_PreviewRow/<method> one preview row's routine on a 700 x 500 area (the
//                         two-image rows with a duplicate of that size), the
//                         copy into the modified pane included; each must stay
//                         under the 133 ms debounce of the preview timer
//   BM_VipsResizeNearest  `vips resize in.v out.v <scale> --kernel nearest` to
//                         the fitted width, less `vipsheader in.v` (the tool's
//                         start-up and opening), single-threaded
#include "app/lumv8900.h"
#include "platform/Forms.h"
#include "platform/Menus.h"
#include "processing/dialogs/FilterDlgModel.h"
#include "app/dialogs/FilterPreview.h"
#include "app/dialogs/filter_8900.h"
#include "ui/Pix.h"

#include "bench_tools.h"
#include "bench_window.h"

#include <benchmark/benchmark.h>

#include <array>
#include <cstdio>
#include <string>

using namespace lumvor;
using namespace lumvor::lumv8900;

namespace {

constexpr int kWidth = 6000;
constexpr int kHeight = 4000;
// The original pane's client area at a screen width below 801 pixels.
constexpr int kPaneWidth = 366;
constexpr int kPaneHeight = 290;

std::string TempFolder;
std::string PictureFile;

const TBitmap& Picture() {
    static TBitmap picture;
    if (picture.Empty())
        bench::FillNoise(picture, kWidth, kHeight);
    return picture;
}

bool ShowPicture() {
    if (!bench::ShowNoisePicture(TempFolder, kWidth, kHeight))
        return false;
    WebForm->chkSelectTool->SetChecked(false);
    return true;
}

void BM_OpenFitView(benchmark::State& state) {
    if (!ShowPicture()) {
        state.SkipWithError("the program did not start");
        return;
    }
    TFilterDlgParam param{};
    param.MethodCode = 100;
    param.Min1 = 1;
    param.Max1 = 300;
    param.Position1 = 120;
    TFilterDlgResult result{};
    int previews = 0;
    QSize fitted;
    for (auto _ : state) {
        // The first preview has run when the dialog shows.
        QueueModalAction([&](QDialog& dialog) {
            auto& form = static_cast<TFilterDlg&>(dialog);
            previews += form.Model.PreviewCount;
            fitted = form.BeforePix->size();
            dialog.done(mrCancel);
        });
        ExecuteFilterDlg("Gamma", "", "", param, result);
    }
    state.counters["previews"] = benchmark::Counter(previews, benchmark::Counter::kAvgIterations);
    state.counters["fitted_w"] = fitted.width();
}

void BM_FittedCopy(benchmark::State& state) {
    const TRect fit = FitViewRect(kWidth, kHeight, kPaneWidth, kPaneHeight);
    TBitmap fitted;
    for (auto _ : state) {
        StretchPictureNearest(Picture(), fit.Width(), fit.Height(), fitted);
        benchmark::DoNotOptimize(fitted.ScanLine(0));
    }
}

void BM_VipsResizeNearest(benchmark::State& state) {
    const TRect fit = FitViewRect(kWidth, kHeight, kPaneWidth, kPaneHeight);
    const std::string folder = bench::NoiseFolder("lumvor_filterdlg_bench", kWidth, kHeight, "vips copy in.ppm in.v");
    char scale[32];
    std::snprintf(scale, sizeof scale, "%.6f", double(fit.Width()) / kWidth);
    bench::RunToolDifference(state, folder, "VIPS_CONCURRENCY=1 vipsheader in.v >/dev/null",
                             std::string("VIPS_CONCURRENCY=1 vips resize in.v out.v ") + scale + " --kernel nearest");
}

// The slider positions a row is timed with.
std::array<int, 3> RowPositions(int64_t method) {
    switch (method) {
        case 40: case 42: return {0, 0, 300};
        case 105: case 106: return {150, 130, 300};
        case 140: case 141: case 142: case 143: return {128, 60, 80};
        case 170: return {30, -200, 400};
        case 251: return {3, 0, 0};
        case 500: case 510: return {40, 1, 0};
        case 9130: return {0, 200, 150};
        default: return {150, 80, 120};
    }
}

void BM_PreviewRow(benchmark::State& state) {
    if (!WebForm && !bench::StartProgram(TempFolder)) {
        state.SkipWithError("the program did not start");
        return;
    }
    const int32_t method = int32_t(state.range(0));
    const TFilterPreviewRoutine* routine = FindFilterPreview(method);
    if (!routine) {
        state.SkipWithError("no preview row");
        return;
    }
    TBitmap area;
    bench::FillNoise(area, 700, 500);
    WorkBitmap = std::make_unique<TBitmap>();
    bench::FillNoise(*WorkBitmap, 700, 500);
    TPix pix;
    for (auto _ : state) {
        pix.SetBitmap(&area);
        TFilterPreviewRun run{*WebForm, &pix};
        run.Method = method;
        run.S = RowPositions(method);
        (*routine)(run);
        benchmark::DoNotOptimize(pix.Bitmap()->ScanLine(0));
    }
    WorkBitmap.reset();
}

BENCHMARK(BM_PreviewRow)
    ->ArgName("method")
    ->Args({40})->Args({42})->Args({100})->Args({101})->Args({102})->Args({103})->Args({104})->Args({105})
    ->Args({106})->Args({110})->Args({113})->Args({114})->Args({120})->Args({122})->Args({130})->Args({131})
    ->Args({132})->Args({133})->Args({134})->Args({135})->Args({140})->Args({141})->Args({142})->Args({143})
    ->Args({170})->Args({251})->Args({500})->Args({510})->Args({8110})->Args({8120})->Args({9110})
    ->Args({9120})->Args({9130})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_OpenFitView)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_FittedCopy)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_VipsResizeNearest)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

}  // namespace

int main(int argc, char** argv) { return bench::RunWindowBenchmarks(argc, argv, TempFolder, PictureFile); }
