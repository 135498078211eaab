// Shared picture helpers of the tests: PPM reading and pixel comparison that
// reports the first differing pixel and how many differ.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

namespace lumvor::test {

// An RGB raster: pixel (x, y) as 0x00RRGGBB.
struct RgbRaster {
    int Width = 0;
    int Height = 0;
    std::vector<uint32_t> Pixels;
    uint32_t At(int x, int y) const { return Pixels[size_t(y) * size_t(Width) + size_t(x)]; }
};

// Reads a binary PPM (P6) or PGM (P5, grey as RGB) of maxval 255; empty
// raster when unreadable or of the other kind.
inline RgbRaster ReadNetpbm(const std::string& path, const std::string& wanted) {
    RgbRaster r;
    std::ifstream in(path, std::ios::binary);
    std::string magic;
    int maxval = 0;
    in >> magic >> r.Width >> r.Height >> maxval;
    in.get();
    if (magic != wanted || maxval != 255 || r.Width <= 0 || r.Height <= 0)
        return {};
    const size_t channels = magic == "P6" ? 3 : 1;
    std::vector<unsigned char> bytes(size_t(r.Width) * size_t(r.Height) * channels);
    in.read(reinterpret_cast<char*>(bytes.data()), std::streamsize(bytes.size()));
    if (!in)
        return {};
    for (size_t i = 0; i < bytes.size(); i += channels) {
        const unsigned char* p = &bytes[i];
        r.Pixels.push_back(channels == 3 ? uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2]
                                         : uint32_t(p[0]) << 16 | uint32_t(p[0]) << 8 | p[0]);
    }
    return r;
}

inline RgbRaster ReadPpm(const std::string& path) { return ReadNetpbm(path, "P6"); }
inline RgbRaster ReadPgm(const std::string& path) { return ReadNetpbm(path, "P5"); }

// A PPM, or else a PGM.
inline RgbRaster ReadPnm(const std::string& path) {
    RgbRaster r = ReadPpm(path);
    return r.Width > 0 ? r : ReadPgm(path);
}

// Compares actual(x, y) (0x00RRGGBB) with the raster, each channel within tolerance.
inline ::testing::AssertionResult SamePixels(const RgbRaster& expected, int width, int height,
                                             const std::function<uint32_t(int, int)>& actual,
                                             int tolerance = 0) {
    if (expected.Width != width || expected.Height != height)
        return ::testing::AssertionFailure() << "size " << width << "x" << height << ", expected "
                                             << expected.Width << "x" << expected.Height;
    int differing = 0;
    std::ostringstream first;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const uint32_t a = actual(x, y) & 0xFFFFFF, e = expected.At(x, y);
            bool same = true;
            for (int shift = 0; shift < 24; shift += 8)
                if (std::abs(int((a >> shift) & 0xFF) - int((e >> shift) & 0xFF)) > tolerance)
                    same = false;
            if (!same && differing++ == 0)
                first << "first at (" << x << ", " << y << "): got " << std::hex << a
                      << ", expected " << e << std::dec;
        }
    if (differing == 0)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << differing << " pixels differ; " << first.str();
}

}  // namespace lumvor::test
