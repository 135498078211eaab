// The bitmap module: readers and writers for Windows/OS/2 bitmaps (BMP),
// PC Paintbrush (PCX) and Targa (TGA) files.
//
// The module knows nothing of the picture classes. It reads a header into a
// GbmBitmap record, a palette into a GbmPalette and the pixels into a caller's
// buffer, and writes from the same three things. Every routine returns an
// integer code, GBM_ERR_OK (0) for success; nothing is thrown.
//
// Pixel buffers are Windows DIB rows, bottom row first: each row holds
// ((width x bpp + 31) div 32) x 4 bytes, padded with zeros; 1-bit rows hold the
// leftmost pixel in bit 7, 4-bit rows in the high nibble, 24-bit pixels are
// blue, green, red. The *_rows variants take the bottom row's address and the
// signed distance from one row to the row above it, so a caller whose memory
// runs top-down passes its last row and a negative step.
//
// The file is reached only through six I/O procedures (gbm_set_io) on an opaque
// handle; by default the handle is a TStream (see vo_CLib).
//
// Decoders never write outside the rows they were given: run-length runs and
// deltas are clipped, declared sizes are checked before use, and data that ends
// before the picture is complete gives GBM_ERR_READ.
#pragma once

#include <cstddef>
#include <cstdint>

namespace lumvor {

using GBM_ERR = int;
using GbmHandle = void*;

// General codes.
constexpr GBM_ERR GBM_ERR_OK = 0;
constexpr GBM_ERR GBM_ERR_MEM = 1;
constexpr GBM_ERR GBM_ERR_NOT_SUPP = 2;
constexpr GBM_ERR GBM_ERR_BAD_OPTION = 3;
constexpr GBM_ERR GBM_ERR_NOT_FOUND = 4;
constexpr GBM_ERR GBM_ERR_BAD_MAGIC = 5;
constexpr GBM_ERR GBM_ERR_BAD_SIZE = 6;
constexpr GBM_ERR GBM_ERR_READ = 7;
constexpr GBM_ERR GBM_ERR_WRITE = 8;
constexpr GBM_ERR GBM_ERR_BAD_ARG = 9;

// Bitmap (BMP) codes.
constexpr GBM_ERR GBM_ERR_BMP_PLANES = 300;
constexpr GBM_ERR GBM_ERR_BMP_BITCOUNT = 301;
constexpr GBM_ERR GBM_ERR_BMP_CBFIX = 302;
constexpr GBM_ERR GBM_ERR_BMP_COMP = 303;
constexpr GBM_ERR GBM_ERR_BMP_OFFSET = 304;

// Targa codes.
constexpr GBM_ERR GBM_ERR_TGA_BAD_BPP = 400;
constexpr GBM_ERR GBM_ERR_TGA_BAD_TYPE = 401;
constexpr GBM_ERR GBM_ERR_TGA_BAD_PAL = 402;

// PCX codes.
constexpr GBM_ERR GBM_ERR_PCX_BAD_VERSION = 700;
constexpr GBM_ERR GBM_ERR_PCX_BAD_ENCMODE = 701;
constexpr GBM_ERR GBM_ERR_PCX_BAD_BITS = 702;
constexpr GBM_ERR GBM_ERR_PCX_BAD_TRAILER = 703;

// File type numbers (index into the type table).
constexpr int GBM_FT_BMP = 0;
constexpr int GBM_FT_PCX = 1;
constexpr int GBM_FT_TGA = 2;

// Flags of a file type: which depths it reads and writes.
constexpr int GBM_FT_R1 = 0x01, GBM_FT_R4 = 0x02, GBM_FT_R8 = 0x04, GBM_FT_R24 = 0x08;
constexpr int GBM_FT_W1 = 0x10, GBM_FT_W4 = 0x20, GBM_FT_W8 = 0x40, GBM_FT_W24 = 0x80;

// Largest pixel buffer a header may declare (bytes); bigger ones give
// GBM_ERR_BAD_SIZE before any buffer is allocated.
constexpr int64_t GbmMaxDataBytes = int64_t(1) << 30;

// Flags of the open and create procedures.
constexpr int GBM_O_RDONLY = 0x0000;
constexpr int GBM_O_WRONLY = 0x0001;
constexpr int GBM_O_RDWR = 0x0002;
constexpr int GBM_O_APPEND = 0x0008;
constexpr int GBM_O_CREAT = 0x0100;

struct GbmRgb {
    uint8_t r, g, b;
};
using GbmPalette = GbmRgb[256];

// What a header read leaves for the palette and data reads of its format.
struct GbmPrivate {
    // BMP
    bool inv = false, invb = false;
    bool windows = false;  // false: OS/2 1.x core header
    int64_t base = 0;      // place of the "BM" magic
    uint32_t offBits = 0, cbFix = 0, compression = 0, colorsUsed = 0;
    // PCX
    int version = 0, bitsPerPixel = 0, planes = 0, bytesPerLine = 0;
    bool trunc = false;
    // TGA
    uint8_t tga[18] = {};
};

struct GbmBitmap {
    int32_t w = 0, h = 0, bpp = 0;
    GbmPrivate priv;
};

struct GbmFileTypeInfo {
    const char* shortName;
    const char* longName;
    int flags;
    const char* extensions;
};

using GbmOpenProc = GbmHandle (*)(const char* fileName, int mode);
using GbmCreateProc = GbmHandle (*)(const char* fileName, int mode);
using GbmCloseProc = void (*)(GbmHandle handle);
// whence: 0 from the start, 1 from the current place, 2 from the end; returns the new place.
using GbmSeekProc = int64_t (*)(GbmHandle handle, int64_t offset, int whence);
// Return the number of bytes moved (less than asked on failure).
using GbmReadProc = int64_t (*)(GbmHandle handle, void* buffer, int64_t count);
using GbmWriteProc = int64_t (*)(GbmHandle handle, const void* buffer, int64_t count);

GBM_ERR gbm_init();
GBM_ERR gbm_deinit();
GBM_ERR gbm_set_io(GbmOpenProc open, GbmCreateProc create, GbmCloseProc close,
                   GbmSeekProc seek, GbmReadProc read, GbmWriteProc write);

// The I/O procedures the module calls (the defaults work on TStream handles).
GbmHandle gbm_io_open(const char* fileName, int mode);
GbmHandle gbm_io_create(const char* fileName, int mode);
void gbm_io_close(GbmHandle handle);
int64_t gbm_io_seek(GbmHandle handle, int64_t offset, int whence);
int64_t gbm_io_read(GbmHandle handle, void* buffer, int64_t count);
int64_t gbm_io_write(GbmHandle handle, const void* buffer, int64_t count);

GBM_ERR gbm_filetype_count(int* count);
GBM_ERR gbm_guess_filetype(const char* fileName, int* type);
GBM_ERR gbm_filetype_info(int type, GbmFileTypeInfo* info);

// The record must be cleared (GbmBitmap{}) before the header read.
GBM_ERR gbm_read_header(const char* fileName, GbmHandle handle, int type, GbmBitmap* bitmap,
                        const char* options);
GBM_ERR gbm_read_palette(GbmHandle handle, int type, const GbmBitmap* bitmap, GbmPalette* palette);
GBM_ERR gbm_read_data(GbmHandle handle, int type, const GbmBitmap* bitmap, uint8_t* data);
GBM_ERR gbm_read_data_rows(GbmHandle handle, int type, const GbmBitmap* bitmap, uint8_t* bottomRow,
                           ptrdiff_t rowStep);
GBM_ERR gbm_write(const char* fileName, GbmHandle handle, int type, const GbmBitmap* bitmap,
                  const GbmPalette* palette, const uint8_t* data, const char* options);
GBM_ERR gbm_write_rows(const char* fileName, GbmHandle handle, int type, const GbmBitmap* bitmap,
                       const GbmPalette* palette, const uint8_t* bottomRow, ptrdiff_t rowStep,
                       const char* options);

// Text of a code: a format's own text, else the general one.
const char* gbm_err(GBM_ERR rc);

// Option words are separated by blanks, tabs or commas and compared ignoring case.
bool gbm_find_word(const char* options, const char* word);
// The first word that begins with prefix, or nullptr.
const char* gbm_find_word_prefix(const char* options, const char* prefix);

// Bytes per row of a bitmap of this width and depth (64-bit, no overflow).
inline int64_t gbm_row_bytes(int64_t width, int bpp) { return ((width * bpp + 31) / 32) * 4; }

}  // namespace lumvor
