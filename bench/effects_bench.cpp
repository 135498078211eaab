// One step of each transition effect on a 1920 x 1080 slide (24 bits); every
// step must stay under 5 ms so a transition lasts what its steps and pauses ask.
// Each family runs its heaviest catalogue variant: tiny blocks and slats, and
// the motion modes that move whole pictures.
#include "imgman/ImgEffects.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

using namespace lumvor;

constexpr int Width = 1920, Height = 1080;

TPixelBuffer Picture(uint32_t seed) {
    TPixelBuffer p(Width, Height, 24);
    for (int y = 0; y < Height; ++y) {
        uint8_t* row = p.ScanLine(y);
        for (int i = 0; i < Width * 3; ++i) row[i] = uint8_t((i * 7 + y * 3) ^ seed);
    }
    return p;
}

void Step(benchmark::State& state, int effect, int variant, int parameter, int granularity) {
    const TPixelBuffer old = Picture(0x35), fresh = Picture(0xA6);
    TPixelBuffer surface = old;
    const TRect area = Rect(0, 0, Width, Height);
    auto start = [&] {
        surface = old;
        return imgman::MakeTransition(surface, area, fresh, effect, variant, parameter, granularity);
    };
    std::unique_ptr<imgman::TImgTransition> transition = start();
    int k = 0;
    for (auto _ : state) {
        if (++k > transition->StepCount()) {
            state.PauseTiming();
            transition = start();
            k = 1;
            state.ResumeTiming();
        }
        benchmark::DoNotOptimize(transition->Step(k));
    }
    state.counters["steps"] = transition->StepCount();
}

// Preparing a transition (the old picture kept, tiles ordered, the blurred
// picture made) comes before its first step.
void Start(benchmark::State& state, int effect, int variant, int parameter, int granularity) {
    const TPixelBuffer old = Picture(0x35), fresh = Picture(0xA6);
    TPixelBuffer surface = old;
    for (auto _ : state)
        benchmark::DoNotOptimize(
            imgman::MakeTransition(surface, Rect(0, 0, Width, Height), fresh, effect, variant, parameter, granularity));
}

void WipePush(benchmark::State& s) { Step(s, 1, 0, 1, 10); }
void WipeRevealOver(benchmark::State& s) { Step(s, 2, 3, 2, 10); }
void CurtainsPush(benchmark::State& s) { Step(s, 5, 0, 1, 10); }
void CurtainsHorizontalPull(benchmark::State& s) { Step(s, 8, 1, 1, 10); }
void TilesTiny(benchmark::State& s) { Step(s, 10, 1, 0x10002, 20); }
void MosaicTiny(benchmark::State& s) { Step(s, 9, 1, 2, 20); }
void RandomVerticalLines(benchmark::State& s) { Step(s, 9, 3, Height << 16 | 1, 1); }
void BlurIntro(benchmark::State& s) { Step(s, 14, 1, 1, 20); }
void ExplodeEllipse(benchmark::State& s) { Step(s, 17, 6, 0x10001, 20); }
void ImplodeRoundedRectangle(benchmark::State& s) { Step(s, 16, 5, 0x10001, 20); }
void BlindsTinyPush(benchmark::State& s) { Step(s, 18, 0, 2 << 16 | 1, 144); }
void BlindsLargeRevealFromTop(benchmark::State& s) { Step(s, 21, 3, 32 << 16 | 1, 50); }
void StartBlurIntro(benchmark::State& s) { Start(s, 14, 1, 1, 20); }
void StartTilesTiny(benchmark::State& s) { Start(s, 10, 1, 0x10002, 20); }

}  // namespace

BENCHMARK(WipePush)->Unit(benchmark::kMillisecond);
BENCHMARK(WipeRevealOver)->Unit(benchmark::kMillisecond);
BENCHMARK(CurtainsPush)->Unit(benchmark::kMillisecond);
BENCHMARK(CurtainsHorizontalPull)->Unit(benchmark::kMillisecond);
BENCHMARK(TilesTiny)->Unit(benchmark::kMillisecond);
BENCHMARK(MosaicTiny)->Unit(benchmark::kMillisecond);
BENCHMARK(RandomVerticalLines)->Unit(benchmark::kMillisecond);
BENCHMARK(BlurIntro)->Unit(benchmark::kMillisecond);
BENCHMARK(ExplodeEllipse)->Unit(benchmark::kMillisecond);
BENCHMARK(ImplodeRoundedRectangle)->Unit(benchmark::kMillisecond);
BENCHMARK(BlindsTinyPush)->Unit(benchmark::kMillisecond);
BENCHMARK(BlindsLargeRevealFromTop)->Unit(benchmark::kMillisecond);
BENCHMARK(StartBlurIntro)->Unit(benchmark::kMillisecond);
BENCHMARK(StartTilesTiny)->Unit(benchmark::kMillisecond);
