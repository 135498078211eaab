// Pictures the benchmarks make for themselves, so that no large file is kept
// in the repository.
#pragma once

#include "platform/Jpeg.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace lumvor::bench {

// Writes a width x height JPEG (4:2:0) of a textured pattern: smooth colour
// waves, a fine xor grid and noise, so that every block carries detail as in
// a photograph.
inline void WriteSyntheticJpeg(const std::string& path, int width, int height, int quality) {
    TJPEGImage jpeg;
    TBitmap& bmp = jpeg.Bitmap();
    bmp.SetPixelFormat(pf24bit);
    bmp.SetSize(width, height);
    uint32_t noise = 12345;
    for (int y = 0; y < height; ++y) {
        uint8_t* row = bmp.ScanLine(y);
        for (int x = 0; x < width; ++x) {
            noise = noise * 1103515245u + 12345u;
            const int n = static_cast<int>((noise >> 16) & 31) - 16;
            const double v = 96 * std::sin(x * 0.013) * std::cos(y * 0.017);
            row[x * 3] = static_cast<uint8_t>(std::clamp(128 + static_cast<int>(v) + n, 0, 255));
            row[x * 3 + 1] = static_cast<uint8_t>((x ^ y) & 255);
            row[x * 3 + 2] = static_cast<uint8_t>(std::clamp(128 - static_cast<int>(v) + n, 0, 255));
        }
    }
    jpeg.SetCompressionQuality(quality);
    jpeg.Compress();
    jpeg.SaveToFile(path);
}

inline std::vector<uint8_t> FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace lumvor::bench
