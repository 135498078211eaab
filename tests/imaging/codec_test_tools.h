// Helpers shared by the TIFF and PNG codec tests: fixture paths, running the
// independent tools on files we write, and comparing pictures with rasters.
#pragma once

#include "imaging/vo_DIB.h"
#include "support/picture_compare.h"
#include "platform/Streams.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace lumvor::test {

inline std::string CodecFixture(const std::string& name) { return std::string(LUMVOR_FIXTURES) + "/" + name; }

// Output of a shell command (stdout only); the exit status in *status.
inline std::string RunTool(const std::string& command, int* status = nullptr) {
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return out;
    char buffer[4096];
    size_t n = 0;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        out.append(buffer, n);
    const int rc = pclose(pipe);
    if (status)
        *status = rc;
    return out;
}

// The picture's pixels (0x00RRGGBB) as PIL decodes the file: read through a PPM
// that PIL writes into `folder`.
inline RgbRaster DecodeWithPil(const std::string& file, const std::string& folder) {
    const std::string ppm = folder + "/pil.ppm";
    RunTool("/usr/bin/python3 -c \"import sys; from PIL import Image; "
            "Image.open(sys.argv[1]).convert('RGB').save(sys.argv[2])\" '" +
            file + "' '" + ppm + "' 2>&1");
    return ReadPpm(ppm);
}

// Compares every pixel of the picture with the raster.
inline ::testing::AssertionResult PictureMatches(const TDibGraphic& picture, const RgbRaster& expected,
                                                 int tolerance = 0) {
    return SamePixels(expected, picture.GetWidth(), picture.GetHeight(),
                      [&](int x, int y) { return static_cast<uint32_t>(picture.GetPixel(x, y)); }, tolerance);
}

// The raster with every channel inverted.
inline RgbRaster Inverted(RgbRaster raster) {
    for (auto& p : raster.Pixels)
        p = ~p & 0xFFFFFF;
    return raster;
}

inline std::vector<uint8_t> FileBytes(const std::string& path) {
    TMemoryStream m;
    m.LoadFromFile(path);
    return std::vector<uint8_t>(m.Memory(), m.Memory() + m.Size());
}

inline void PutBytes(TMemoryStream& stream, const std::vector<uint8_t>& bytes) {
    stream.SetSize(0);
    if (!bytes.empty())
        stream.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
    stream.SetPosition(0);
}

// Deterministic bytes for mutation runs (a linear congruential sequence).
struct Lcg {
    uint32_t state;
    uint32_t Next() {
        state = state * 1664525u + 1013904223u;
        return state >> 8;
    }
};

}  // namespace lumvor::test
