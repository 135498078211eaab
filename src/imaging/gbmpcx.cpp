// PC Paintbrush files in the bitmap module.
#include "imaging/gbmformats.h"

#include <algorithm>

namespace lumvor::gbmformats {

namespace {

// Decodes run-length lines of a fixed length. A run longer than the rest of a
// line carries into the next line, unless trunc is set.
class LineDecoder {
public:
    LineDecoder(GbmHandle h, bool trunc) : ahead_(h), trunc_(trunc) {}
    // Fills line with its length in decoded bytes; false when the data ends first.
    bool Decode(uint8_t* line, int length) {
        int i = 0;
        if (trunc_)
            carry_ = 0;
        while (i < length) {
            if (carry_ > 0) {
                int n = std::min(carry_, length - i);
                std::memset(line + i, carryByte_, static_cast<size_t>(n));
                i += n;
                carry_ -= n;
                continue;
            }
            int b = ahead_.Byte();
            if (b < 0)
                return false;
            if ((b & 0xC0) == 0xC0) {
                int value = ahead_.Byte();
                if (value < 0)
                    return false;
                carry_ = b & 0x3F;
                carryByte_ = static_cast<uint8_t>(value);
            } else {
                line[i++] = static_cast<uint8_t>(b);
            }
        }
        return true;
    }

private:
    ReadAhead ahead_;
    bool trunc_;
    int carry_ = 0;
    uint8_t carryByte_ = 0;
};

}  // namespace

GBM_ERR PcxReadHeader(GbmHandle h, GbmBitmap* gbm, const char* opt) {
    GbmPrivate& p = gbm->priv;
    p.trunc = gbm_find_word(opt, "trunc");
    uint8_t b[70];
    if (!ReadExact(h, b, 70))
        return GBM_ERR_READ;
    if (b[0] != 10)
        return GBM_ERR_BAD_MAGIC;
    if (b[1] == 4 || b[1] > 5)
        return GBM_ERR_PCX_BAD_VERSION;
    if (b[2] != 1)
        return GBM_ERR_PCX_BAD_ENCMODE;
    int bits = b[3], planes = b[65], bpp;
    if (bits == 1 && planes == 1)
        bpp = 1;
    else if (bits == 1 && planes == 4)
        bpp = 4;
    else if (bits == 4 && planes == 1)
        bpp = 4;
    else if (bits == 8 && planes == 1)
        bpp = 8;
    else if (bits == 8 && planes == 3)
        bpp = 24;
    else
        return GBM_ERR_PCX_BAD_BITS;
    int64_t w = int64_t(Get16(b + 8)) - Get16(b + 4) + 1;
    int64_t height = int64_t(Get16(b + 10)) - Get16(b + 6) + 1;
    if (GBM_ERR rc = CheckSize(w, height, bpp); rc != GBM_ERR_OK)
        return rc;
    p.version = b[1];
    p.bitsPerPixel = bits;
    p.planes = planes;
    p.bytesPerLine = Get16(b + 66);
    // Each plane line must hold a whole row of the picture.
    if (p.bytesPerLine < (w * bits + 7) / 8)
        return GBM_ERR_BAD_SIZE;
    // A run codes at most 63 bytes in two, so a file can hold only so many lines.
    int64_t coded = FileSize(h) - 128;
    if (int64_t(p.bytesPerLine) * planes * height > std::max<int64_t>(coded, 0) * 32)
        return GBM_ERR_READ;
    gbm->w = static_cast<int32_t>(w);
    gbm->h = static_cast<int32_t>(height);
    gbm->bpp = bpp;
    return GBM_ERR_OK;
}

GBM_ERR PcxReadPalette(GbmHandle h, const GbmBitmap* gbm, GbmPalette* pal) {
    uint8_t b[769];
    switch (gbm->bpp) {
    case 1:
        (*pal)[0] = GbmRgb{0, 0, 0};
        (*pal)[1] = GbmRgb{255, 255, 255};
        return GBM_ERR_OK;
    case 4:
        if (gbm_io_seek(h, 16, 0) != 16 || !ReadExact(h, b, 48))
            return GBM_ERR_READ;
        for (int i = 0; i < 16; ++i)
            (*pal)[i] = GbmRgb{b[3 * i], b[3 * i + 1], b[3 * i + 2]};
        return GBM_ERR_OK;
    case 8:
        if (FileSize(h) < 128 + 769)
            return GBM_ERR_PCX_BAD_TRAILER;
        if (gbm_io_seek(h, -769, 2) < 0 || !ReadExact(h, b, 769))
            return GBM_ERR_READ;
        if (b[0] != 12)
            return GBM_ERR_PCX_BAD_TRAILER;
        for (int i = 0; i < 256; ++i)
            (*pal)[i] = GbmRgb{b[1 + 3 * i], b[2 + 3 * i], b[3 + 3 * i]};
        return GBM_ERR_OK;
    default:
        return GBM_ERR_OK;
    }
}

GBM_ERR PcxReadData(GbmHandle h, const GbmBitmap* gbm, const Rows& rows) {
    const GbmPrivate& p = gbm->priv;
    if (gbm_io_seek(h, 128, 0) != 128)
        return GBM_ERR_READ;
    const int bpl = p.bytesPerLine;
    const int w = gbm->w;
    const size_t stride = static_cast<size_t>(rows.stride);
    std::vector<uint8_t> line(static_cast<size_t>(bpl));
    LineDecoder decoder(h, p.trunc);
    // Byte x of a decoded plane line, zero where the line is shorter than the picture.
    auto at = [&](int x) -> uint8_t { return x < bpl ? line[x] : 0; };

    // File lines run from the top of the picture down.
    for (int y = rows.height - 1; y >= 0; --y) {
        uint8_t* row = rows.Row(y);
        if (gbm->bpp == 24) {
            for (int plane = 0; plane < 3; ++plane) {
                if (!decoder.Decode(line.data(), bpl))
                    return GBM_ERR_READ;
                int offset = 2 - plane;  // red, green, blue planes into B, G, R bytes
                for (int x = 0; x < w; ++x)
                    row[3 * x + offset] = at(x);
            }
            std::memset(row + 3 * int64_t(w), 0, stride - 3 * size_t(w));
        } else if (gbm->bpp == 4 && p.planes == 4) {
            std::memset(row, 0, stride);
            for (int plane = 0; plane < 4; ++plane) {
                if (!decoder.Decode(line.data(), bpl))
                    return GBM_ERR_READ;
                for (int x = 0; x < w; ++x)
                    if (at(x >> 3) & (0x80 >> (x & 7)))
                        row[x >> 1] |= static_cast<uint8_t>((x & 1 ? 0x01 : 0x10) << plane);
            }
        } else {
            if (!decoder.Decode(line.data(), bpl))
                return GBM_ERR_READ;
            size_t used = static_cast<size_t>((int64_t(w) * gbm->bpp + 7) / 8);
            size_t n = std::min(used, static_cast<size_t>(bpl));
            std::memcpy(row, line.data(), n);
            std::memset(row + n, 0, stride - n);
        }
    }
    return GBM_ERR_OK;
}

namespace {

// Run-length codes one line: runs of up to 63 equal bytes; a single byte below
// 0xC0 stands for itself.
void EncodeLine(const uint8_t* line, int length, std::vector<uint8_t>& out) {
    out.clear();
    int i = 0;
    while (i < length) {
        uint8_t value = line[i];
        int run = 1;
        while (i + run < length && run < 63 && line[i + run] == value)
            ++run;
        if (run == 1 && value < 0xC0) {
            out.push_back(value);
        } else {
            out.push_back(static_cast<uint8_t>(0xC0 + run));
            out.push_back(value);
        }
        i += run;
    }
}

}  // namespace

GBM_ERR PcxWrite(GbmHandle h, const GbmBitmap* gbm, const GbmPalette* pal, const ConstRows& rows,
                 const char*) {
    const int bpp = gbm->bpp;
    if (gbm->w > 0xFFFF || gbm->h > 0xFFFF)
        return GBM_ERR_BAD_SIZE;
    const int bits = bpp == 24 ? 8 : bpp;
    const int planes = bpp == 24 ? 3 : 1;
    int bpl = (gbm->w * bits + 7) / 8;
    bpl += bpl & 1;

    uint8_t head[128] = {10, 5, 1, static_cast<uint8_t>(bits)};
    Put16(head + 8, static_cast<uint32_t>(gbm->w - 1));
    Put16(head + 10, static_cast<uint32_t>(gbm->h - 1));
    if (bpp == 4)
        for (int i = 0; i < 16; ++i) {
            head[16 + 3 * i] = (*pal)[i].r;
            head[17 + 3 * i] = (*pal)[i].g;
            head[18 + 3 * i] = (*pal)[i].b;
        }
    head[65] = static_cast<uint8_t>(planes);
    Put16(head + 66, static_cast<uint32_t>(bpl));
    head[68] = 1;
    if (!WriteExact(h, head, 128))
        return GBM_ERR_WRITE;

    // Bit 1 of a two-colour file stands for the brighter colour.
    const bool invert = bpp == 1 && Brightness((*pal)[0]) > Brightness((*pal)[1]);
    std::vector<uint8_t> line(static_cast<size_t>(bpl)), coded;
    coded.reserve(static_cast<size_t>(bpl) * 2);
    for (int y = rows.height - 1; y >= 0; --y) {
        const uint8_t* row = rows.Row(y);
        for (int plane = 0; plane < planes; ++plane) {
            if (bpp == 24) {
                int offset = 2 - plane;
                for (int x = 0; x < bpl; ++x)
                    line[x] = x < gbm->w ? row[3 * x + offset] : 0;
            } else {
                std::memcpy(line.data(), row, static_cast<size_t>(bpl));
                if (invert)
                    for (uint8_t& b : line)
                        b = static_cast<uint8_t>(~b);
            }
            EncodeLine(line.data(), bpl, coded);
            if (!WriteExact(h, coded.data(), static_cast<int64_t>(coded.size())))
                return GBM_ERR_WRITE;
        }
    }
    if (bpp == 8) {
        uint8_t trailer[769] = {12};
        for (int i = 0; i < 256; ++i) {
            trailer[1 + 3 * i] = (*pal)[i].r;
            trailer[2 + 3 * i] = (*pal)[i].g;
            trailer[3 + 3 * i] = (*pal)[i].b;
        }
        if (!WriteExact(h, trailer, 769))
            return GBM_ERR_WRITE;
    }
    return GBM_ERR_OK;
}

const char* PcxErr(GBM_ERR rc) {
    switch (rc) {
    case GBM_ERR_PCX_BAD_VERSION: return "version number not 4 or 5";
    case GBM_ERR_PCX_BAD_ENCMODE: return "encoding mode not 1";
    case GBM_ERR_PCX_BAD_BITS: return "unsupported bpp/plane / plane combination";
    case GBM_ERR_PCX_BAD_TRAILER: return "corrupt file trailer";
    default: return nullptr;
    }
}

}  // namespace lumvor::gbmformats
