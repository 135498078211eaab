// What the benchmarks against command-line tools share: handing a picture to
// the tools and timing one of their runs.
#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>

namespace lumvor::bench {

// Writes a 24-bit picture (TBitmap or TPixelBuffer: blue, green, red per pixel)
// as a binary PPM file.
template <typename Picture>
void WritePpm(const std::string& path, const Picture& picture) {
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

// The wall time of a shell command in seconds; -1 when it failed.
inline double ToolSeconds(const std::string& command) {
    const auto start = std::chrono::steady_clock::now();
    const int status = std::system(command.c_str());
    const auto end = std::chrono::steady_clock::now();
    return status == 0 ? std::chrono::duration<double>(end - start).count() : -1;
}

// Times the work command less the copy command of the same tool, both run in
// the folder, as the iteration's manual time.
inline void RunToolDifference(benchmark::State& state, const std::string& folder, const std::string& copy,
                              const std::string& work) {
    for (auto _ : state) {
        const double plain = ToolSeconds("cd " + folder + " && " + copy);
        const double worked = ToolSeconds("cd " + folder + " && " + work);
        if (plain < 0 || worked < 0) {
            state.SkipWithError("the tool failed");
            return;
        }
        state.SetIterationTime(std::max(worked - plain, 0.0));
    }
}

}  // namespace lumvor::bench
