// Windows and OS/2 bitmaps in the bitmap module.
#include "imaging/gbmformats.h"

#include <algorithm>

namespace lumvor::gbmformats {

namespace {

constexpr uint16_t kMagicBM = 'B' | ('M' << 8);
constexpr uint16_t kMagicBA = 'B' | ('A' << 8);

bool ValidBitCount(int bpp) { return bpp == 1 || bpp == 4 || bpp == 8 || bpp == 24; }

void InvertRows(const Rows& rows) {
    for (int y = 0; y < rows.height; ++y) {
        uint8_t* p = rows.Row(y);
        for (int64_t i = 0; i < rows.stride; ++i)
            p[i] = static_cast<uint8_t>(~p[i]);
    }
}

// Run-length decoding of RLE8 (bits 8) and RLE4 (bits 4) data. The place is a
// column and a row; pixels that fall beyond the row's width are dropped, and
// decoding ends when it leaves the top row. Data that ends before an
// end-of-bitmap escape or the top row gives GBM_ERR_READ.
GBM_ERR DecodeRle(GbmHandle h, const GbmBitmap* gbm, const Rows& rows, int bits) {
    for (int y = 0; y < rows.height; ++y)
        std::memset(rows.Row(y), 0, static_cast<size_t>(rows.stride));
    ReadAhead ahead(h);
    const int w = gbm->w;
    int x = 0, y = 0;
    auto put = [&](int value) {
        if (x < w) {
            uint8_t* row = rows.Row(y);
            if (bits == 8)
                row[x] = static_cast<uint8_t>(value);
            else if (x & 1)
                row[x >> 1] = static_cast<uint8_t>((row[x >> 1] & 0xF0) | (value & 0x0F));
            else
                row[x >> 1] = static_cast<uint8_t>((row[x >> 1] & 0x0F) | (value << 4));
        }
        ++x;
    };
    for (;;) {
        int count = ahead.Byte();
        int second = ahead.Byte();
        if (count < 0 || second < 0)
            return GBM_ERR_READ;
        if (count > 0) {
            if (bits == 8) {
                for (int i = 0; i < count && x < w; ++i)
                    put(second);
            } else {
                int nibbles[2] = {second >> 4, second & 0x0F};
                for (int i = 0; i < count && x < w; ++i)
                    put(nibbles[i & 1]);
            }
            continue;
        }
        switch (second) {
        case 0:  // end of line
            x = 0;
            if (++y == rows.height)
                return GBM_ERR_OK;
            break;
        case 1:  // end of bitmap: the rest stays zero
            return GBM_ERR_OK;
        case 2: {  // delta
            int dx = ahead.Byte();
            int dy = ahead.Byte();
            if (dx < 0 || dy < 0)
                return GBM_ERR_READ;
            x = std::min(x + dx, w);
            y += dy;
            if (y >= rows.height)
                return GBM_ERR_OK;
            break;
        }
        default: {  // literal run of `second` pixels
            int n = second;
            int bytes = bits == 8 ? n : (n + 1) / 2;
            for (int i = 0; i < bytes; ++i) {
                int b = ahead.Byte();
                if (b < 0)
                    return GBM_ERR_READ;
                if (bits == 8) {
                    put(b);
                } else {
                    put(b >> 4);
                    if (2 * i + 1 < n)
                        put(b & 0x0F);
                }
            }
            if ((bytes & 1) && ahead.Byte() < 0)
                return GBM_ERR_READ;
            break;
        }
        }
    }
}

}  // namespace

GBM_ERR BmpReadHeader(GbmHandle h, GbmBitmap* gbm, const char* opt) {
    GbmPrivate& p = gbm->priv;
    p.inv = gbm_find_word(opt, "inv");
    p.invb = gbm_find_word(opt, "invb");

    uint8_t b[64];
    if (!ReadExact(h, b, 2))
        return GBM_ERR_READ;
    uint16_t type = Get16(b);
    if (type == kMagicBA) {  // bitmap array: take its first bitmap
        if (!ReadExact(h, b, 12) || !ReadExact(h, b, 2))
            return GBM_ERR_READ;
        type = Get16(b);
    }
    if (type != kMagicBM)
        return GBM_ERR_BAD_MAGIC;
    p.base = gbm_io_seek(h, 0, 1) - 2;
    if (p.base < 0)
        return GBM_ERR_READ;
    // file size, two reserved words, bits offset, header size
    if (!ReadExact(h, b, 16))
        return GBM_ERR_READ;
    p.offBits = Get32(b + 8);
    p.cbFix = Get32(b + 12);

    int64_t w, height;
    int planes, bpp;
    if (p.cbFix == 12) {  // OS/2 1.x core header
        if (!ReadExact(h, b, 8))
            return GBM_ERR_READ;
        w = Get16(b);
        height = Get16(b + 2);
        planes = Get16(b + 4);
        bpp = Get16(b + 6);
        if (w == 0 || height == 0)
            return GBM_ERR_BAD_SIZE;
        if (planes != 1)
            return GBM_ERR_BMP_PLANES;
        if (!ValidBitCount(bpp))
            return GBM_ERR_BMP_BITCOUNT;
        p.windows = false;
        p.compression = 0;
        p.colorsUsed = bpp < 24 ? 1u << bpp : 0;
    } else {
        uint32_t cb = p.cbFix;
        if (cb < 16 || cb > 64 || (cb % 4 != 0 && cb != 42 && cb != 46))
            return GBM_ERR_BMP_CBFIX;
        // The fields that follow the size, as far as the header reaches.
        if (!ReadExact(h, b, cb - 4))
            return GBM_ERR_READ;
        int32_t sw = static_cast<int32_t>(Get32(b));
        int32_t sh = static_cast<int32_t>(Get32(b + 4));
        planes = Get16(b + 8);
        bpp = Get16(b + 10);
        p.compression = cb >= 20 ? Get32(b + 12) : 0;
        uint32_t colorsUsed = cb >= 36 ? Get32(b + 28) : 0;
        if (sw == 0 || sh == 0)
            return GBM_ERR_BAD_SIZE;
        if (planes != 1)
            return GBM_ERR_BMP_PLANES;
        if (!ValidBitCount(bpp))
            return GBM_ERR_BMP_BITCOUNT;
        // A negative width makes no picture; a negative height (rows stored top
        // down) is not read here either, so readers with that support take over.
        if (sw < 0 || sh < 0)
            return GBM_ERR_BAD_SIZE;
        w = sw;
        height = sh;
        if (bpp < 24) {
            uint32_t full = 1u << bpp;
            if (colorsUsed == 0 || colorsUsed > full)
                colorsUsed = full;
        }
        p.colorsUsed = colorsUsed;
        p.windows = true;
    }
    if (GBM_ERR rc = CheckSize(w, height, bpp); rc != GBM_ERR_OK)
        return rc;
    // Uncompressed rows must all be in the file; a header claiming more is refused
    // before anyone sizes a buffer from it.
    if (p.compression == 0 &&
        static_cast<int64_t>(p.base) + p.offBits + gbm_row_bytes(w, bpp) * height > FileSize(h))
        return GBM_ERR_READ;
    gbm->w = static_cast<int32_t>(w);
    gbm->h = static_cast<int32_t>(height);
    gbm->bpp = bpp;
    return GBM_ERR_OK;
}

GBM_ERR BmpReadPalette(GbmHandle h, const GbmBitmap* gbm, GbmPalette* pal) {
    const GbmPrivate& p = gbm->priv;
    if (gbm->bpp == 24)
        return GBM_ERR_OK;
    int entrySize = p.windows ? 4 : 3;
    int64_t at = p.windows ? p.base + 14 + p.cbFix : p.base + 26;
    int count = static_cast<int>(std::min<uint32_t>(p.colorsUsed, 256));
    uint8_t b[256 * 4];
    if (gbm_io_seek(h, at, 0) != at || !ReadExact(h, b, int64_t(count) * entrySize))
        return GBM_ERR_READ;
    for (int i = 0; i < count; ++i) {
        const uint8_t* e = b + i * entrySize;
        (*pal)[i] = GbmRgb{e[2], e[1], e[0]};
    }
    if (gbm->bpp == 1 && !p.inv)
        std::swap((*pal)[0], (*pal)[1]);
    return GBM_ERR_OK;
}

GBM_ERR BmpReadData(GbmHandle h, const GbmBitmap* gbm, const Rows& rows) {
    const GbmPrivate& p = gbm->priv;
    int64_t at = p.base + p.offBits;
    if (gbm_io_seek(h, at, 0) != at)
        return GBM_ERR_READ;
    GBM_ERR rc = GBM_ERR_OK;
    if (!p.windows || p.compression == 0) {
        for (int y = 0; y < rows.height; ++y)
            if (!ReadExact(h, rows.Row(y), rows.stride))
                return GBM_ERR_READ;
    } else if (p.compression == 1 && gbm->bpp == 8) {
        rc = DecodeRle(h, gbm, rows, 8);
    } else if (p.compression == 2 && gbm->bpp == 4) {
        rc = DecodeRle(h, gbm, rows, 4);
    } else {
        return GBM_ERR_BMP_COMP;
    }
    if (rc == GBM_ERR_OK && p.invb)
        InvertRows(rows);
    return rc;
}

GBM_ERR BmpWrite(GbmHandle h, const GbmBitmap* gbm, const GbmPalette* pal, const ConstRows& rows,
                 const char* opt) {
    bool old = gbm_find_word(opt, "1.1");
    if (old && (gbm_find_word(opt, "win") || gbm_find_word(opt, "2.0")))
        return GBM_ERR_BAD_OPTION;
    bool inv = gbm_find_word(opt, "inv");
    bool invert = gbm_find_word(opt, "invb");
    const int bpp = gbm->bpp;
    const int entries = bpp == 24 ? 0 : 1 << bpp;

    GbmRgb colours[256];
    std::copy(*pal, *pal + entries, colours);
    if (bpp == 1) {
        // Two-colour bitmaps always store black and white; darkfg/lightfg decide
        // whether the data is inverted to keep the foreground.
        int b0 = Brightness((*pal)[0]), b1 = Brightness((*pal)[1]);
        if (gbm_find_word(opt, "darkfg") && b0 < b1)
            invert = !invert;
        if (gbm_find_word(opt, "lightfg") && b0 >= b1)
            invert = !invert;
        GbmRgb black{0, 0, 0}, white{255, 255, 255};
        colours[0] = inv ? white : black;
        colours[1] = inv ? black : white;
    }

    const int64_t imageSize = rows.stride * rows.height;
    std::vector<uint8_t> head;
    uint8_t fh[14] = {'B', 'M'};
    if (!old) {
        uint32_t offBits = 54 + 4 * entries;
        Put32(fh + 2, static_cast<uint32_t>(offBits + imageSize));
        Put32(fh + 10, offBits);
        uint8_t ih[40] = {};
        Put32(ih, 40);
        Put32(ih + 4, static_cast<uint32_t>(gbm->w));
        Put32(ih + 8, static_cast<uint32_t>(gbm->h));
        Put16(ih + 12, 1);
        Put16(ih + 14, static_cast<uint32_t>(bpp));
        Put32(ih + 20, static_cast<uint32_t>(imageSize));
        head.assign(fh, fh + 14);
        head.insert(head.end(), ih, ih + 40);
        for (int i = 0; i < entries; ++i)
            head.insert(head.end(), {colours[i].b, colours[i].g, colours[i].r, 0});
    } else {
        if (gbm->w > 0xFFFF || gbm->h > 0xFFFF)
            return GBM_ERR_BAD_SIZE;
        uint32_t offBits = 26 + 3 * entries;
        Put32(fh + 2, static_cast<uint32_t>(offBits + imageSize));
        Put32(fh + 10, offBits);
        uint8_t ch[12] = {};
        Put32(ch, 12);
        Put16(ch + 4, static_cast<uint32_t>(gbm->w));
        Put16(ch + 6, static_cast<uint32_t>(gbm->h));
        Put16(ch + 8, 1);
        Put16(ch + 10, static_cast<uint32_t>(bpp));
        head.assign(fh, fh + 14);
        head.insert(head.end(), ch, ch + 12);
        for (int i = 0; i < entries; ++i)
            head.insert(head.end(), {colours[i].b, colours[i].g, colours[i].r});
    }
    if (!WriteExact(h, head.data(), static_cast<int64_t>(head.size())))
        return GBM_ERR_WRITE;

    std::vector<uint8_t> line(invert ? static_cast<size_t>(rows.stride) : 0);
    for (int y = 0; y < rows.height; ++y) {
        const uint8_t* row = rows.Row(y);
        if (invert) {
            for (int64_t i = 0; i < rows.stride; ++i)
                line[i] = static_cast<uint8_t>(~row[i]);
            row = line.data();
        }
        if (!WriteExact(h, row, rows.stride))
            return GBM_ERR_WRITE;
    }
    return GBM_ERR_OK;
}

const char* BmpErr(GBM_ERR rc) {
    switch (rc) {
    case GBM_ERR_BMP_PLANES: return "number of bitmap planes is not 1";
    case GBM_ERR_BMP_BITCOUNT: return "bit count not 1, 4, 8 or 24";
    case GBM_ERR_BMP_CBFIX: return "cbFix bad";
    case GBM_ERR_BMP_COMP: return "compression type not uncompressed, RLE4 or RLE8";
    case GBM_ERR_BMP_OFFSET: return "less bitmaps in file than index requested";
    default: return nullptr;
    }
}

}  // namespace lumvor::gbmformats
