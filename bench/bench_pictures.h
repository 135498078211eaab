// Pictures the benchmarks make for themselves (so that no large file is kept
// in the repository), and the plain libjpeg-turbo decode they compare with.
#pragma once

#include "platform/Jpeg.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" {
#include <jpeglib.h>
}

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

// Decodes `bytes` with libjpeg-turbo alone at 1/denominator into `pixels`
// (rows padded to 4 bytes). fast: the fast integer DCT, plain chroma
// upsampling and blue-green-red output, as the program decodes for display;
// otherwise djpeg's defaults (accurate DCT, smooth chroma, red-green-blue).
inline void LibjpegDecode(const std::vector<uint8_t>& bytes, unsigned denominator, bool fast,
                          std::vector<uint8_t>& pixels) {
    jpeg_decompress_struct info;
    jpeg_error_mgr err;
    info.err = jpeg_std_error(&err);
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, bytes.data(), bytes.size());
    jpeg_read_header(&info, TRUE);
    info.scale_num = 1;
    info.scale_denom = denominator;
    if (fast) {
        info.dct_method = JDCT_IFAST;
        info.do_fancy_upsampling = FALSE;
        info.out_color_space = JCS_EXT_BGR;
    }
    jpeg_start_decompress(&info);
    const size_t stride = (info.output_width * 3 + 3) & ~size_t(3);
    pixels.resize(stride * info.output_height);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = pixels.data() + stride * info.output_scanline;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
}

}  // namespace lumvor::bench
