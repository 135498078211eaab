// Helpers of the bitmap-file tests: fixture bytes, a small PNM reader for the
// reference pictures made by netpbm, and decoding through the bitmap module.
#pragma once

#include "imaging/gbm.h"
#include "imaging/vo_CLib.h"
#include "platform/Streams.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace lumvor::bitmaptest {

using Bytes = std::vector<uint8_t>;

inline std::string FixturePath(const std::string& name) {
    return std::string(LUMVOR_FIXTURES) + "/bitmaps/" + name;
}

inline Bytes ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}
inline Bytes Fixture(const std::string& name) { return ReadBytes(FixturePath(name)); }

inline void WriteBytes(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline void Fill(TMemoryStream& stream, const Bytes& bytes) {
    stream.Clear();
    if (!bytes.empty())
        stream.Write(bytes.data(), static_cast<int64_t>(bytes.size()));
    stream.SetPosition(0);
}

inline Bytes Contents(TMemoryStream& stream) {
    return Bytes(stream.Memory(), stream.Memory() + stream.Size());
}

// A picture as red, green, blue bytes, top row first.
struct Rgb {
    int w = 0, h = 0;
    std::vector<uint8_t> px;
    uint32_t At(int x, int y) const {
        const uint8_t* p = &px[3 * (size_t(y) * w + x)];
        return uint32_t(p[0]) << 16 | p[1] << 8 | p[2];
    }
};

// Reads binary and plain PBM, PGM and PPM (maxval scaled to 255).
inline Rgb ReadPnm(const std::string& path) {
    Bytes b = ReadBytes(path);
    size_t i = 0;
    auto token = [&]() {
        std::string t;
        while (i < b.size()) {
            if (b[i] == '#') {
                while (i < b.size() && b[i] != '\n')
                    ++i;
            } else if (isspace(b[i])) {
                if (!t.empty())
                    break;
                ++i;
            } else {
                t += char(b[i++]);
            }
        }
        return t;
    };
    std::string magic = token();
    Rgb r;
    r.w = std::stoi(token());
    r.h = std::stoi(token());
    int maxval = (magic == "P1" || magic == "P4") ? 1 : std::stoi(token());
    ++i;  // the single blank after the header
    int kind = magic[1] - '0';
    for (int y = 0; y < r.h; ++y) {
        int bit = 0;
        for (int x = 0; x < r.w; ++x) {
            int c[3];
            if (kind == 1) {
                int v = std::stoi(token());
                c[0] = c[1] = c[2] = v ? 0 : 255;
            } else if (kind == 4) {
                int v = (b[i] >> (7 - bit)) & 1;
                if (++bit == 8 || x == r.w - 1) {
                    bit = 0;
                    ++i;
                }
                c[0] = c[1] = c[2] = v ? 0 : 255;
            } else {
                int n = kind == 5 || kind == 2 ? 1 : 3;
                for (int k = 0; k < n; ++k)
                    c[k] = kind <= 3 ? std::stoi(token()) : b[i++];
                if (n == 1)
                    c[1] = c[2] = c[0];
                for (int k = 0; k < 3; ++k)
                    c[k] = (c[k] * 255 + maxval / 2) / maxval;
            }
            for (int k = 0; k < 3; ++k)
                r.px.push_back(uint8_t(c[k]));
        }
    }
    return r;
}

// What the bitmap module made of a file.
struct Decoded {
    GBM_ERR rc = GBM_ERR_OK;
    GbmBitmap bitmap{};
    GbmPalette palette{};
    std::vector<uint8_t> data;  // bottom-up rows
    int64_t stride = 0;
    uint32_t At(int x, int y) const {  // y from the top, as 0xRRGGBB
        const uint8_t* row = &data[size_t(stride) * (bitmap.h - 1 - y)];
        int index;
        switch (bitmap.bpp) {
        case 24: return uint32_t(row[3 * x + 2]) << 16 | row[3 * x + 1] << 8 | row[3 * x];
        case 8: index = row[x]; break;
        case 4: index = (x & 1) ? row[x / 2] & 15 : row[x / 2] >> 4; break;
        default: index = (row[x / 8] >> (7 - x % 8)) & 1; break;
        }
        const GbmRgb& c = palette[index];
        return uint32_t(c.r) << 16 | c.g << 8 | c.b;
    }
};

inline Decoded Decode(const Bytes& file, const char* name, const char* options = "") {
    Decoded d;
    TMemoryStream stream;
    Fill(stream, file);
    GbmHandle h = GbmHandleOf(stream);
    int type = 0;
    if ((d.rc = gbm_guess_filetype(name, &type)) != GBM_ERR_OK)
        return d;
    if ((d.rc = gbm_read_header(name, h, type, &d.bitmap, options)) != GBM_ERR_OK)
        return d;
    if (d.bitmap.bpp < 24 && (d.rc = gbm_read_palette(h, type, &d.bitmap, &d.palette)) != GBM_ERR_OK)
        return d;
    d.stride = gbm_row_bytes(d.bitmap.w, d.bitmap.bpp);
    d.data.assign(size_t(d.stride * d.bitmap.h), 0xCD);
    d.rc = gbm_read_data(h, type, &d.bitmap, d.data.data());
    return d;
}

// Compares a decoded picture with a reference; reports the first difference.
template <typename Picture>
::testing::AssertionResult SamePixels(const Picture& got, int w, int h, const Rgb& want) {
    if (w != want.w || h != want.h)
        return ::testing::AssertionFailure() << "size " << w << "x" << h << ", want " << want.w << "x" << want.h;
    int differ = 0;
    std::ostringstream first;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (got.At(x, y) != want.At(x, y) && differ++ == 0)
                first << "first at (" << x << "," << y << "): got " << std::hex << got.At(x, y) << " want "
                      << want.At(x, y) << std::dec;
    if (differ)
        return ::testing::AssertionFailure() << differ << " pixels differ; " << first.str();
    return ::testing::AssertionSuccess();
}

// Deterministic byte mutations of a file (xorshift; same sequence every run).
class Mutator {
public:
    explicit Mutator(uint32_t seed) : state_(seed ? seed : 1) {}
    uint32_t Next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return state_;
    }
    Bytes Mutate(const Bytes& file) {
        Bytes b = file;
        int edits = 1 + Next() % 4;
        for (int i = 0; i < edits && !b.empty(); ++i) {
            size_t at = Next() % b.size();
            switch (Next() % 4) {
            case 0: b[at] = uint8_t(Next()); break;
            case 1: b[at] ^= uint8_t(1u << (Next() % 8)); break;
            case 2: b[at] = (Next() & 1) ? 0xFF : 0x00; break;
            default: b.resize(at); break;  // cut short
            }
        }
        return b;
    }

private:
    uint32_t state_;
};

}  // namespace lumvor::bitmaptest
