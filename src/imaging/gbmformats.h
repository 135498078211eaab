// Shared inner parts of the bitmap module: the per-format routines, the
// read-ahead buffer and row addressing. Not for use outside the module.
#pragma once

#include "imaging/gbm.h"

#include <cstring>
#include <vector>

namespace lumvor::gbmformats {

// Rows of a caller's buffer: row 0 is the bottom row of the picture.
struct Rows {
    uint8_t* bottom;
    ptrdiff_t step;
    int64_t stride;  // bytes per row
    int height;
    uint8_t* Row(int y) const { return bottom + static_cast<ptrdiff_t>(y) * step; }
};

struct ConstRows {
    const uint8_t* bottom;
    ptrdiff_t step;
    int64_t stride;
    int height;
    const uint8_t* Row(int y) const { return bottom + static_cast<ptrdiff_t>(y) * step; }
};

// Reads the file in blocks of 16,384 bytes, one call of the read procedure per block.
class ReadAhead {
public:
    explicit ReadAhead(GbmHandle handle) : handle_(handle), buffer_(16384) {}
    // The next byte (0..255), or -1 at the end of the data.
    int Byte() {
        if (pos_ >= count_) {
            int64_t n = gbm_io_read(handle_, buffer_.data(), static_cast<int64_t>(buffer_.size()));
            if (n < 1)
                return -1;
            count_ = static_cast<size_t>(n);
            pos_ = 0;
        }
        return buffer_[pos_++];
    }

private:
    GbmHandle handle_;
    std::vector<uint8_t> buffer_;
    size_t pos_ = 0, count_ = 0;
};

inline bool ReadExact(GbmHandle handle, void* buffer, int64_t count) {
    return gbm_io_read(handle, buffer, count) == count;
}
inline bool WriteExact(GbmHandle handle, const void* buffer, int64_t count) {
    return gbm_io_write(handle, buffer, count) == count;
}
inline uint16_t Get16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
inline uint32_t Get32(const uint8_t* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
inline void Put16(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
inline void Put32(uint8_t* p, uint32_t v) {
    Put16(p, v);
    Put16(p + 2, v >> 16);
}
// Size of the stream behind the handle; the place is kept.
inline int64_t FileSize(GbmHandle handle) {
    int64_t here = gbm_io_seek(handle, 0, 1);
    int64_t size = gbm_io_seek(handle, 0, 2);
    gbm_io_seek(handle, here, 0);
    return size;
}
// Brightness used to compare two palette entries.
inline int Brightness(const GbmRgb& c) { return 30 * c.r + 60 * c.g + 10 * c.b; }

// Checks width, height and depth of a header and the size of the buffer they ask for.
inline GBM_ERR CheckSize(int64_t w, int64_t h, int bpp) {
    if (w < 1 || h < 1)
        return GBM_ERR_BAD_SIZE;
    if (w > 0x7FFFFFFF / 32 || gbm_row_bytes(w, bpp) * h > GbmMaxDataBytes)
        return GBM_ERR_BAD_SIZE;
    return GBM_ERR_OK;
}

GBM_ERR BmpReadHeader(GbmHandle h, GbmBitmap* gbm, const char* opt);
GBM_ERR BmpReadPalette(GbmHandle h, const GbmBitmap* gbm, GbmPalette* pal);
GBM_ERR BmpReadData(GbmHandle h, const GbmBitmap* gbm, const Rows& rows);
GBM_ERR BmpWrite(GbmHandle h, const GbmBitmap* gbm, const GbmPalette* pal, const ConstRows& rows,
                 const char* opt);
const char* BmpErr(GBM_ERR rc);

GBM_ERR PcxReadHeader(GbmHandle h, GbmBitmap* gbm, const char* opt);
GBM_ERR PcxReadPalette(GbmHandle h, const GbmBitmap* gbm, GbmPalette* pal);
GBM_ERR PcxReadData(GbmHandle h, const GbmBitmap* gbm, const Rows& rows);
GBM_ERR PcxWrite(GbmHandle h, const GbmBitmap* gbm, const GbmPalette* pal, const ConstRows& rows,
                 const char* opt);
const char* PcxErr(GBM_ERR rc);

GBM_ERR TgaReadHeader(GbmHandle h, GbmBitmap* gbm, const char* opt);
GBM_ERR TgaReadPalette(GbmHandle h, const GbmBitmap* gbm, GbmPalette* pal);
GBM_ERR TgaReadData(GbmHandle h, const GbmBitmap* gbm, const Rows& rows);
GBM_ERR TgaWrite(GbmHandle h, const GbmBitmap* gbm, const GbmPalette* pal, const ConstRows& rows,
                 const char* opt);
const char* TgaErr(GBM_ERR rc);

}  // namespace lumvor::gbmformats
