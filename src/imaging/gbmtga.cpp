// Targa files in the bitmap module.
#include "imaging/gbmformats.h"

#include <algorithm>

namespace lumvor::gbmformats {

namespace {

// Header fields (18 bytes).
constexpr int kIdLength = 0, kMapType = 1, kImageType = 2, kMapFirst = 3, kMapCount = 5,
              kMapEntrySize = 7, kWidth = 12, kHeight = 14, kDepth = 16, kDescriptor = 17;

bool ColourMapped(int type) { return type == 1 || type == 9; }
bool Grey(int type) { return type == 3 || type == 11; }
bool RunLength(int type) { return type >= 9; }

// Expands a file pixel of 2, 3 or 4 bytes to blue, green, red.
inline void StorePixel(uint8_t* out, const uint8_t* in, int bytes) {
    if (bytes == 2) {
        unsigned v = in[0] + 256u * in[1];
        out[0] = static_cast<uint8_t>((v & 0x1F) * 8);
        out[1] = static_cast<uint8_t>(((v & 0x3E0) >> 5) * 8);
        out[2] = static_cast<uint8_t>(((v & 0x7C00) >> 10) * 8);
    } else {
        out[0] = in[0];
        out[1] = in[1];
        out[2] = in[2];
    }
}

}  // namespace

GBM_ERR TgaReadHeader(GbmHandle h, GbmBitmap* gbm, const char*) {
    uint8_t* t = gbm->priv.tga;
    if (!ReadExact(h, t, 18))
        return GBM_ERR_READ;
    int type = t[kImageType], depth = t[kDepth];
    if (ColourMapped(type)) {
        if (depth != 8)
            return GBM_ERR_TGA_BAD_BPP;
        if (t[kMapEntrySize] != 24)
            return GBM_ERR_TGA_BAD_PAL;
    } else if (type == 2 || type == 10) {
        if (depth != 16 && depth != 24 && depth != 32)
            return GBM_ERR_TGA_BAD_BPP;
    } else if (Grey(type)) {
        if (depth != 8)
            return GBM_ERR_TGA_BAD_BPP;
    } else {
        return GBM_ERR_TGA_BAD_TYPE;
    }
    int w = Get16(t + kWidth), height = Get16(t + kHeight);
    int bpp = depth == 8 ? 8 : 24;
    if (GBM_ERR rc = CheckSize(w, height, bpp); rc != GBM_ERR_OK)
        return rc;
    // The file must be able to hold the pixels: raw ones byte for byte, coded
    // ones at most 128 pixels per packet of two or more bytes.
    int64_t pixels = int64_t(w) * height;
    int64_t room = std::max<int64_t>(FileSize(h) - 18 - t[kIdLength], 0);
    if (RunLength(type) ? pixels > room * 64 : pixels * (depth / 8) > room)
        return GBM_ERR_READ;
    gbm->w = w;
    gbm->h = height;
    gbm->bpp = bpp;
    return GBM_ERR_OK;
}

GBM_ERR TgaReadPalette(GbmHandle h, const GbmBitmap* gbm, GbmPalette* pal) {
    const uint8_t* t = gbm->priv.tga;
    int type = t[kImageType];
    if (ColourMapped(type)) {
        int64_t at = 18 + t[kIdLength];
        if (gbm_io_seek(h, at, 0) != at)
            return GBM_ERR_READ;
        std::fill(*pal, *pal + 256, GbmRgb{0, 0, 0});
        int first = Get16(t + kMapFirst), count = Get16(t + kMapCount);
        std::vector<uint8_t> map(static_cast<size_t>(count) * 3);
        if (!ReadExact(h, map.data(), static_cast<int64_t>(map.size())))
            return GBM_ERR_READ;
        for (int i = 0; i < count && first + i < 256; ++i)
            (*pal)[first + i] = GbmRgb{map[3 * i + 2], map[3 * i + 1], map[3 * i]};
    } else if (Grey(type)) {
        for (int i = 0; i < 256; ++i)
            (*pal)[i] = GbmRgb{uint8_t(i), uint8_t(i), uint8_t(i)};
    }
    return GBM_ERR_OK;
}

GBM_ERR TgaReadData(GbmHandle h, const GbmBitmap* gbm, const Rows& rows) {
    const uint8_t* t = gbm->priv.tga;
    int64_t at = 18 + t[kIdLength];
    if (t[kMapType] != 0) {
        int entry = t[kMapEntrySize] == 15 ? 16 : t[kMapEntrySize];
        at += int64_t(Get16(t + kMapCount)) * entry / 8;
    }
    if (gbm_io_seek(h, at, 0) != at)
        return GBM_ERR_READ;
    const int w = gbm->w, height = rows.height;
    const int bytes = t[kDepth] / 8;  // 1, 2, 3 or 4 file bytes per pixel
    const int outBytes = bytes == 1 ? 1 : 3;
    const bool topDown = (t[kDescriptor] & 0x20) != 0;
    auto rowOf = [&](int fileRow) { return rows.Row(topDown ? height - 1 - fileRow : fileRow); };
    auto clearPadding = [&](uint8_t* row) {
        size_t used = static_cast<size_t>(w) * outBytes;
        std::memset(row + used, 0, static_cast<size_t>(rows.stride) - used);
    };

    if (!RunLength(t[kImageType])) {
        std::vector<uint8_t> line(static_cast<size_t>(w) * bytes);
        for (int r = 0; r < height; ++r) {
            uint8_t* row = rowOf(r);
            if (bytes == outBytes) {
                if (!ReadExact(h, row, int64_t(w) * bytes))
                    return GBM_ERR_READ;
            } else {
                if (!ReadExact(h, line.data(), static_cast<int64_t>(line.size())))
                    return GBM_ERR_READ;
                for (int x = 0; x < w; ++x)
                    StorePixel(row + 3 * x, line.data() + x * bytes, bytes);
            }
            clearPadding(row);
        }
        return GBM_ERR_OK;
    }

    // Packets run on across row ends until every row is filled.
    ReadAhead ahead(h);
    uint8_t pixel[4];
    auto readPixel = [&]() {
        for (int i = 0; i < bytes; ++i) {
            int b = ahead.Byte();
            if (b < 0)
                return false;
            pixel[i] = static_cast<uint8_t>(b);
        }
        return true;
    };
    int x = 0, r = 0;
    uint8_t* row = rowOf(0);
    auto emit = [&]() {
        if (bytes == 1)
            row[x] = pixel[0];
        else
            StorePixel(row + 3 * x, pixel, bytes);
        if (++x == w) {
            clearPadding(row);
            x = 0;
            if (++r < height)
                row = rowOf(r);
        }
    };
    while (r < height) {
        int head = ahead.Byte();
        if (head < 0)
            return GBM_ERR_READ;
        int count = (head & 0x7F) + 1;
        if (head & 0x80) {
            if (!readPixel())
                return GBM_ERR_READ;
            for (int i = 0; i < count && r < height; ++i)
                emit();
        } else {
            for (int i = 0; i < count && r < height; ++i) {
                if (!readPixel())
                    return GBM_ERR_READ;
                emit();
            }
        }
    }
    return GBM_ERR_OK;
}

GBM_ERR TgaWrite(GbmHandle h, const GbmBitmap* gbm, const GbmPalette* pal, const ConstRows& rows,
                 const char* opt) {
    bool d16 = gbm_find_word(opt, "16"), d24 = gbm_find_word(opt, "24"), d32 = gbm_find_word(opt, "32");
    bool yup = gbm_find_word(opt, "yup"), ydown = gbm_find_word(opt, "ydown");
    int depthOptions = int(d16) + int(d24) + int(d32);
    if (yup && ydown)
        return GBM_ERR_BAD_OPTION;
    int depth;
    if (gbm->bpp == 8) {
        if (depthOptions > 0)
            return GBM_ERR_BAD_OPTION;
        depth = 8;
    } else if (gbm->bpp == 24) {
        if (depthOptions > 1)
            return GBM_ERR_BAD_OPTION;
        depth = d16 ? 16 : d32 ? 32 : 24;
    } else {
        return GBM_ERR_NOT_SUPP;
    }
    if (gbm->w > 0xFFFF || gbm->h > 0xFFFF)
        return GBM_ERR_BAD_SIZE;

    std::vector<uint8_t> head(18, 0);
    head[kMapType] = depth == 8 ? 1 : 0;
    head[kImageType] = depth == 8 ? 1 : 2;
    if (depth == 8) {
        Put16(&head[kMapCount], 256);
        head[kMapEntrySize] = 24;
    }
    Put16(&head[kWidth], static_cast<uint32_t>(gbm->w));
    Put16(&head[kHeight], static_cast<uint32_t>(gbm->h));
    head[kDepth] = static_cast<uint8_t>(depth);
    head[kDescriptor] = ydown ? 0x20 : 0;
    if (depth == 8)
        for (int i = 0; i < 256; ++i)
            head.insert(head.end(), {(*pal)[i].b, (*pal)[i].g, (*pal)[i].r});
    if (!WriteExact(h, head.data(), static_cast<int64_t>(head.size())))
        return GBM_ERR_WRITE;

    const int w = gbm->w;
    std::vector<uint8_t> line(static_cast<size_t>(w) * 4);
    for (int i = 0; i < rows.height; ++i) {
        const uint8_t* row = rows.Row(ydown ? rows.height - 1 - i : i);
        const uint8_t* out = row;
        int64_t n = int64_t(w) * (depth / 8);
        if (depth == 16) {
            for (int x = 0; x < w; ++x) {
                const uint8_t* p = row + 3 * x;
                unsigned v = ((p[2] & 0xF8u) << 7) | ((p[1] & 0xF8u) << 2) | ((p[0] & 0xF8u) >> 3);
                Put16(&line[2 * x], v);
            }
            out = line.data();
        } else if (depth == 32) {
            for (int x = 0; x < w; ++x) {
                std::memcpy(&line[4 * x], row + 3 * x, 3);
                line[4 * x + 3] = 0xFF;  // opaque
            }
            out = line.data();
        }
        if (!WriteExact(h, out, n))
            return GBM_ERR_WRITE;
    }
    return GBM_ERR_OK;
}

const char* TgaErr(GBM_ERR rc) {
    switch (rc) {
    case GBM_ERR_TGA_BAD_BPP: return "bits per pixel not 8, 16, 24 or 32";
    case GBM_ERR_TGA_BAD_TYPE: return "unsupported compression type for bits per pixel";
    case GBM_ERR_TGA_BAD_PAL: return "color map entry size not 24 bits per pixel";
    default: return nullptr;
    }
}

}  // namespace lumvor::gbmformats
