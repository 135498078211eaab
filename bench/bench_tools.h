// What the pixel benchmarks share: a noise picture, its PPM file for the peer
// tools, and the timing of a tool's command line against a baseline command of
// the same tool.
#pragma once

#include "platform/Graphics.h"
#include "platform/PixelBuffer.h"

#include <benchmark/benchmark.h>

#include <QDir>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>

namespace lumvor::bench {

// A 24-bit picture of noise (the same for every run).
inline TPixelBuffer NoisePixels(int width, int height) {
    TPixelBuffer p(width, height, 24);
    uint32_t state = 12345;
    for (int y = 0; y < height; ++y) {
        uint8_t* row = p.ScanLine(y);
        for (int x = 0; x < 3 * width; ++x) {
            state = state * 1664525u + 1013904223u;
            row[x] = uint8_t(state >> 24);
        }
    }
    return p;
}

// Fills the bitmap with the 24-bit noise picture of the given size.
inline void FillNoise(TBitmap& bitmap, int width, int height) {
    bitmap.SetHandle(std::make_shared<TPixelBuffer>(NoisePixels(width, height)));
}

// Writes a 24-bit picture (anything with Width, Height and ScanLine) as a binary PPM.
template <typename Picture>
inline void WritePpm(const std::string& path, const Picture& picture) {
    std::ofstream ppm(path, std::ios::binary);
    ppm << "P6\n" << picture.Width() << " " << picture.Height() << "\n255\n";
    for (int y = 0; y < picture.Height(); ++y) {
        const uint8_t* row = picture.ScanLine(y);
        for (int x = 0; x < picture.Width(); ++x) {
            const char rgb[3] = {char(row[3 * x + 2]), char(row[3 * x + 1]), char(row[3 * x])};
            ppm.write(rgb, 3);
        }
    }
}

// A second noise picture of the given size, unlike FillNoise's.
inline void FillPartnerNoise(TBitmap& bitmap, int width, int height) {
    FillNoise(bitmap, width, height);
    for (int y = 0; y < height; ++y) {
        uint8_t* row = bitmap.ScanLine(y);
        for (int x = 0; x < 3 * width; ++x)
            row[x] = uint8_t(row[x] * 7 + x);
    }
}

// The temporary folder `name` holding the two noise pictures of FillNoise and
// FillPartnerNoise as a.ppm and b.ppm, in which the shell command `prepare`
// then makes the tools' own files; its path, with a trailing "/".
inline std::string TwoNoiseFolder(const std::string& name, int width, int height, const std::string& prepare) {
    const std::string dir = QDir::tempPath().toStdString() + "/" + name + "/";
    QDir().mkpath(QString::fromStdString(dir));
    TBitmap a, b;
    FillNoise(a, width, height);
    FillPartnerNoise(b, width, height);
    WritePpm(dir + "a.ppm", a);
    WritePpm(dir + "b.ppm", b);
    if (std::system(("cd " + dir + " && " + prepare).c_str()) != 0)
        std::fprintf(stderr, "preparing the tools' files failed\n");
    return dir;
}

// The temporary folder `name` holding a width x height noise picture as
// in.ppm, in which the shell command `prepare` then makes the tools' own
// files; its path, with a trailing "/".
inline std::string NoiseFolder(const std::string& name, int width, int height, const std::string& prepare) {
    const std::string dir = QDir::tempPath().toStdString() + "/" + name + "/";
    QDir().mkpath(QString::fromStdString(dir));
    TBitmap picture;
    FillNoise(picture, width, height);
    WritePpm(dir + "in.ppm", picture);
    if (std::system(("cd " + dir + " && " + prepare).c_str()) != 0)
        std::fprintf(stderr, "preparing the tools' files failed\n");
    return dir;
}

// The rate counter of a benchmark that handles one width x height picture per iteration.
inline void SetPictureRate(benchmark::State& state, int width, int height) {
    state.counters["MP/s"] =
        benchmark::Counter(double(width) * height / 1e6, benchmark::Counter::kIsIterationInvariantRate);
}

// Times Filter on a fresh width x height noise picture each iteration (the fill not timed).
template <class Filter>
void TimeFilterOnNoise(benchmark::State& state, int width, int height, Filter filter) {
    TBitmap picture;
    for (auto _ : state) {
        state.PauseTiming();
        FillNoise(picture, width, height);
        state.ResumeTiming();
        filter(picture);
        benchmark::DoNotOptimize(picture.ScanLine(0));
    }
    SetPictureRate(state, width, height);
}

// Wall-clock seconds of a shell command; -1 when it failed.
// Times a peer tool's shell command once per iteration; a failing command
// ends the benchmark with an error.
inline void RunPeerCommand(benchmark::State& state, const std::string& command) {
    for (auto _ : state)
        if (std::system(command.c_str()) != 0) {
            state.SkipWithError((command + " failed").c_str());
            break;
        }
}

inline double Seconds(const std::string& command) {
    const auto start = std::chrono::steady_clock::now();
    const int status = std::system(command.c_str());
    const auto end = std::chrono::steady_clock::now();
    return status == 0 ? std::chrono::duration<double>(end - start).count() : -1;
}

// Times the work command less the baseline command of the same tool, both run
// in the folder, as the iteration's manual time.
inline void RunToolDifference(benchmark::State& state, const std::string& folder, const std::string& baseline,
                              const std::string& work) {
    for (auto _ : state) {
        const double plain = Seconds("cd " + folder + " && " + baseline);
        const double worked = Seconds("cd " + folder + " && " + work);
        if (plain < 0 || worked < 0) {
            state.SkipWithError("the tool failed");
            return;
        }
        state.SetIterationTime(std::max(worked - plain, 0.0));
    }
}

// RunToolDifference for a single-threaded vips operation on a.v writing
// out.v, against vips copying a.v to out.v.
inline void RunVipsOnA(benchmark::State& state, const std::string& folder, const std::string& operation) {
    RunToolDifference(state, folder, "VIPS_CONCURRENCY=1 vips copy a.v out.v", "VIPS_CONCURRENCY=1 vips " + operation);
}

}  // namespace lumvor::bench
