// The automatic fixes on a 12-megapixel viewer picture (4000 x 3000, 24 bits
// of noise), each a benchmark of its own, run as a script line runs them (no
// undo copy, no question), against ImageMagick's own automatic corrections of
// the same picture.
//
//   BM_AutoGamma/0, /1      the mid-tone gamma with (0) or without (1) the
//                           stretched copy merged by maximum
//   BM_AutoFlash/0, /1, /2  the simulated fill flash in its three modes
//   BM_AutoWhite            reference, brightness, per-channel gamma search
//                           and the masked blend back
//   BM_AutoBalance          reference and the balance filter
//   BM_AutoReference        reference averaged one third into the picture
//   BM_Equalize/130, /133, /135  the stretches of contrast, lighting, saturation
//   BM_ConvertAutoGamma     `convert in.mpc -auto-gamma out.mpc`, less
//                           `convert in.mpc out.mpc` (single-threaded)
//   BM_ConvertAutoLevel     `convert in.mpc -auto-level out.mpc`, likewise
//
// Each iteration starts from the unchanged noise picture (the copy not timed).
#include "app/lumv8900.h"
#include "platform/Forms.h"
#include "platform/Menus.h"
#include "processing/script/LabState.h"
#include "ui/Pix.h"

#include "bench_tools.h"
#include "bench_window.h"

#include <benchmark/benchmark.h>

#include <functional>
#include <string>

using namespace lumvor;
using namespace lumvor::lumv8900;

namespace {

constexpr int kWidth = 4000;
constexpr int kHeight = 3000;

std::string TempFolder;
std::string PictureFile;

// Times Fix on the noise picture shown anew before each iteration.
void TimeFix(benchmark::State& state, const std::function<void()>& Fix) {
    for (auto _ : state) {
        state.PauseTiming();
        const bool shown = bench::ShowNoisePicture(TempFolder, kWidth, kHeight);
        DuplicateBitmap.reset();
        state.ResumeTiming();
        if (!shown) {
            state.SkipWithError("the program did not start");
            return;
        }
        TScopedFlag running(batch_8900::BatchRunning, true);
        Fix();
    }
    bench::SetPictureRate(state, kWidth, kHeight);
}

std::function<void()> InMode(int32_t Mode, void (TWebForm::*Routine)()) {
    return [Mode, Routine] {
        FilterCustom2 = Mode;
        (WebForm->*Routine)();
    };
}

void BM_AutoGamma(benchmark::State& state) { TimeFix(state, InMode(int32_t(state.range(0)), &TWebForm::DoAutoGamma)); }

void BM_AutoFlash(benchmark::State& state) { TimeFix(state, InMode(int32_t(state.range(0)), &TWebForm::DoAutoFlash)); }

void BM_AutoWhite(benchmark::State& state) {
    TimeFix(state, [] { WebForm->DoAutoWhite(); });
}

void BM_AutoBalance(benchmark::State& state) {
    TimeFix(state, [] { WebForm->AutoBalanceClick(WebForm->AutoBalance); });
}

void BM_AutoReference(benchmark::State& state) {
    TimeFix(state, [] { WebForm->DoAutoReference(); });
}

void BM_Equalize(benchmark::State& state) {
    const int64_t method = state.range(0);
    TimeFix(state, [method] {
        WebForm->DoEqualize(method == 133   ? WebForm->mnuAutoLighting
                            : method == 135 ? WebForm->mnuAutoSaturation
                                            : WebForm->mnuAutoContrast);
    });
}

const std::string& ToolFolder() {
    static const std::string folder =
        bench::NoiseFolder("lumvor_autofix_bench", kWidth, kHeight, "/usr/bin/convert in.ppm in.mpc");
    return folder;
}

void BM_ConvertAutoGamma(benchmark::State& state) {
    bench::RunToolDifference(state, ToolFolder(), "/usr/bin/convert -limit thread 1 in.mpc out.mpc",
                             "/usr/bin/convert -limit thread 1 in.mpc -auto-gamma out.mpc");
}

void BM_ConvertAutoLevel(benchmark::State& state) {
    bench::RunToolDifference(state, ToolFolder(), "/usr/bin/convert -limit thread 1 in.mpc out.mpc",
                             "/usr/bin/convert -limit thread 1 in.mpc -auto-level out.mpc");
}

BENCHMARK(BM_AutoGamma)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_AutoFlash)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_AutoWhite)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_AutoBalance)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_AutoReference)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_Equalize)->Arg(130)->Arg(133)->Arg(135)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_ConvertAutoGamma)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ConvertAutoLevel)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return bench::RunWindowBenchmarks(argc, argv, TempFolder, PictureFile); }
