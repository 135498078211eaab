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

// Reads a binary PPM (P6, maxval 255); empty raster when unreadable.
inline RgbRaster ReadPpm(const std::string& path) {
    RgbRaster r;
    std::ifstream in(path, std::ios::binary);
    std::string magic;
    int maxval = 0;
    in >> magic >> r.Width >> r.Height >> maxval;
    in.get();
    if (magic != "P6" || maxval != 255 || r.Width <= 0 || r.Height <= 0)
        return {};
    std::vector<unsigned char> bytes(size_t(r.Width) * size_t(r.Height) * 3);
    in.read(reinterpret_cast<char*>(bytes.data()), std::streamsize(bytes.size()));
    if (!in)
        return {};
    for (size_t i = 0; i < bytes.size(); i += 3)
        r.Pixels.push_back(uint32_t(bytes[i]) << 16 | uint32_t(bytes[i + 1]) << 8 | bytes[i + 2]);
    return r;
}

// Reads a binary PGM (P5, maxval 255) as grey RGB; empty raster when unreadable.
inline RgbRaster ReadPgm(const std::string& path) {
    RgbRaster r;
    std::ifstream in(path, std::ios::binary);
    std::string magic;
    int maxval = 0;
    in >> magic >> r.Width >> r.Height >> maxval;
    in.get();
    if (magic != "P5" || maxval != 255 || r.Width <= 0 || r.Height <= 0)
        return {};
    std::vector<unsigned char> bytes(size_t(r.Width) * size_t(r.Height));
    in.read(reinterpret_cast<char*>(bytes.data()), std::streamsize(bytes.size()));
    if (!in)
        return {};
    for (unsigned char g : bytes)
        r.Pixels.push_back(uint32_t(g) << 16 | uint32_t(g) << 8 | g);
    return r;
}

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
