// What the benchmarks against command-line peers share: a noise picture, its
// PPM file, a scratch folder, and timing a tool's work less its plain copy.
//
// The tools run single-threaded (VIPS_CONCURRENCY=1, `-limit thread 1`), as
// the program's pixel loops run on the user-interface thread, and read and
// write their fastest native formats (.v, .mpc). Each iteration times the
// plain copy and the work with the same tool and reports the difference.
#pragma once

#include "platform/Graphics.h"

#include <benchmark/benchmark.h>

#include <QDir>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <fstream>
#include <string>

namespace lumvor::bench {

// A width x height 24-bit picture of noise.
inline void FillNoise(TBitmap& bitmap, int width, int height) {
    bitmap.SetPixelFormat(pf24bit);
    bitmap.SetSize(width, height);
    uint32_t state = 12345;
    for (int y = 0; y < height; ++y) {
        uint8_t* row = bitmap.ScanLine(y);
        for (int x = 0; x < 3 * width; ++x) {
            state = state * 1664525u + 1013904223u;
            row[x] = uint8_t(state >> 24);
        }
    }
}

// Writes a 24-bit bitmap as a binary PPM.
inline void WritePpm(const std::string& path, const TBitmap& picture) {
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

// The temporary folder `name` (made when missing), with a trailing "/".
inline std::string ScratchFolder(const std::string& name) {
    const std::string dir = QDir::tempPath().toStdString() + "/" + name + "/";
    QDir().mkpath(QString::fromStdString(dir));
    return dir;
}

// A scratch folder holding a width x height noise picture as in.ppm and what
// `writeFiles` adds, in which the shell command `prepare` then makes the
// tools' own files; its path, with a trailing "/".
inline std::string NoiseFolder(const std::string& name, int width, int height, const std::string& prepare,
                               const std::function<void(const std::string& dir)>& writeFiles = {}) {
    const std::string dir = ScratchFolder(name);
    TBitmap picture;
    FillNoise(picture, width, height);
    WritePpm(dir + "in.ppm", picture);
    if (writeFiles)
        writeFiles(dir);
    if (std::system(("cd " + dir + " && " + prepare).c_str()) != 0)
        std::fprintf(stderr, "preparing the tools' files failed\n");
    return dir;
}

// The rate of a benchmark in megapixels of a width x height picture per second.
inline void CountMegapixels(benchmark::State& state, int width, int height) {
    state.counters["MP/s"] =
        benchmark::Counter(double(width) * height / 1e6, benchmark::Counter::kIsIterationInvariantRate);
}

// Wall-clock seconds of a shell command; -1 when it failed.
inline double Seconds(const std::string& command) {
    const auto start = std::chrono::steady_clock::now();
    const int status = std::system(command.c_str());
    const auto end = std::chrono::steady_clock::now();
    return status == 0 ? std::chrono::duration<double>(end - start).count() : -1;
}

// Times the work command less the copy command of the same tool, both run in dir.
inline void RunToolDifference(benchmark::State& state, const std::string& dir, const std::string& copy,
                              const std::string& work) {
    for (auto _ : state) {
        const double plain = Seconds("cd " + dir + " && " + copy);
        const double worked = Seconds("cd " + dir + " && " + work);
        if (plain < 0 || worked < 0) {
            state.SkipWithError("the tool failed");
            return;
        }
        state.SetIterationTime(std::max(worked - plain, 0.0));
    }
}

}  // namespace lumvor::bench
