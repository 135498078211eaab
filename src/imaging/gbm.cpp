#include "imaging/gbm.h"

#include "imaging/gbmformats.h"
#include "imaging/vo_CLib.h"

#include <cctype>
#include <cstring>

namespace lumvor {

using namespace gbmformats;

namespace {

struct Io {
    GbmOpenProc open = GbmStreamOpen;
    GbmCreateProc create = GbmStreamCreate;
    GbmCloseProc close = GbmStreamClose;
    GbmSeekProc seek = GbmStreamSeek;
    GbmReadProc read = GbmStreamRead;
    GbmWriteProc write = GbmStreamWrite;
};
Io io;

struct FileType {
    GbmFileTypeInfo info;
    GBM_ERR (*readHeader)(GbmHandle, GbmBitmap*, const char*);
    GBM_ERR (*readPalette)(GbmHandle, const GbmBitmap*, GbmPalette*);
    GBM_ERR (*readData)(GbmHandle, const GbmBitmap*, const Rows&);
    GBM_ERR (*write)(GbmHandle, const GbmBitmap*, const GbmPalette*, const ConstRows&, const char*);
    const char* (*err)(GBM_ERR);
};

const FileType fileTypes[] = {
    {{"Bitmap", "OS/2 1.1, 1.2, 2.0 / Windows 3.0 bitmap", 0xFF, "BMP VGA BGA RLE DIB RL4 RL8"},
     BmpReadHeader, BmpReadPalette, BmpReadData, BmpWrite, BmpErr},
    {{"PCX", "ZSoft PC Paintbrush Image format", 0xFF, "PCX PCC"},
     PcxReadHeader, PcxReadPalette, PcxReadData, PcxWrite, PcxErr},
    {{"Targa", "Truevision Targa/Vista bitmap", 0xCC, "TGA VST AFI"},
     TgaReadHeader, TgaReadPalette, TgaReadData, TgaWrite, TgaErr},
};
constexpr int fileTypeCount = sizeof(fileTypes) / sizeof(fileTypes[0]);

bool IsSeparator(char c) { return c == ' ' || c == '\t' || c == ','; }

// Calls visit(word, length) for each word of a list; stops when visit returns true.
template <typename Visit>
const char* FindWord(const char* list, Visit visit) {
    const char* p = list;
    while (*p) {
        while (*p && IsSeparator(*p))
            ++p;
        const char* start = p;
        while (*p && !IsSeparator(*p))
            ++p;
        if (p > start && visit(start, static_cast<size_t>(p - start)))
            return start;
    }
    return nullptr;
}

bool SameText(const char* a, const char* b, size_t n) {
    for (size_t i = 0; i < n; ++i)
        if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

bool ValidType(int type) { return type >= 0 && type < fileTypeCount; }

Rows MakeRows(const GbmBitmap& b, uint8_t* bottom, ptrdiff_t step) {
    return Rows{bottom, step, gbm_row_bytes(b.w, b.bpp), b.h};
}

}  // namespace

GBM_ERR gbm_init() { return GBM_ERR_OK; }
GBM_ERR gbm_deinit() { return GBM_ERR_OK; }

GBM_ERR gbm_set_io(GbmOpenProc open, GbmCreateProc create, GbmCloseProc close, GbmSeekProc seek,
                   GbmReadProc read, GbmWriteProc write) {
    io = Io{open, create, close, seek, read, write};
    return GBM_ERR_OK;
}

GbmHandle gbm_io_open(const char* fileName, int mode) { return io.open(fileName, mode); }
GbmHandle gbm_io_create(const char* fileName, int mode) { return io.create(fileName, mode); }
void gbm_io_close(GbmHandle handle) { io.close(handle); }
int64_t gbm_io_seek(GbmHandle handle, int64_t offset, int whence) { return io.seek(handle, offset, whence); }
int64_t gbm_io_read(GbmHandle handle, void* buffer, int64_t count) { return io.read(handle, buffer, count); }
int64_t gbm_io_write(GbmHandle handle, const void* buffer, int64_t count) {
    return io.write(handle, buffer, count);
}

GBM_ERR gbm_filetype_count(int* count) {
    if (!count)
        return GBM_ERR_BAD_ARG;
    *count = fileTypeCount;
    return GBM_ERR_OK;
}

GBM_ERR gbm_guess_filetype(const char* fileName, int* type) {
    if (!fileName || !type)
        return GBM_ERR_BAD_ARG;
    // The extension counts only when its '.' lies behind the first path separator.
    const char* dot = std::strrchr(fileName, '.');
    const char* slash = std::strpbrk(fileName, "/\\");
    const char* ext = "";
    if (dot && (!slash || dot > slash))
        ext = dot + 1;
    size_t extLength = std::strlen(ext);
    for (int t = 0; t < fileTypeCount; ++t) {
        bool found = FindWord(fileTypes[t].info.extensions, [&](const char* word, size_t n) {
                         return n == extLength && SameText(word, ext, n);
                     }) != nullptr;
        if (found) {
            *type = t;
            return GBM_ERR_OK;
        }
    }
    return GBM_ERR_NOT_FOUND;
}

GBM_ERR gbm_filetype_info(int type, GbmFileTypeInfo* info) {
    if (!info)
        return GBM_ERR_BAD_ARG;
    if (!ValidType(type))
        return GBM_ERR_NOT_FOUND;
    *info = fileTypes[type].info;
    return GBM_ERR_OK;
}

GBM_ERR gbm_read_header(const char* fileName, GbmHandle handle, int type, GbmBitmap* bitmap,
                        const char* options) {
    if (!fileName || !bitmap || !options)
        return GBM_ERR_BAD_ARG;
    if (!ValidType(type))
        return GBM_ERR_NOT_FOUND;
    return fileTypes[type].readHeader(handle, bitmap, options);
}

GBM_ERR gbm_read_palette(GbmHandle handle, int type, const GbmBitmap* bitmap, GbmPalette* palette) {
    if (!bitmap || !palette)
        return GBM_ERR_BAD_ARG;
    if (!ValidType(type))
        return GBM_ERR_NOT_FOUND;
    return fileTypes[type].readPalette(handle, bitmap, palette);
}

GBM_ERR gbm_read_data(GbmHandle handle, int type, const GbmBitmap* bitmap, uint8_t* data) {
    if (!bitmap || !data)
        return GBM_ERR_BAD_ARG;
    return gbm_read_data_rows(handle, type, bitmap, data,
                              static_cast<ptrdiff_t>(gbm_row_bytes(bitmap->w, bitmap->bpp)));
}

GBM_ERR gbm_read_data_rows(GbmHandle handle, int type, const GbmBitmap* bitmap, uint8_t* bottomRow,
                           ptrdiff_t rowStep) {
    if (!bitmap || !bottomRow)
        return GBM_ERR_BAD_ARG;
    if (!ValidType(type))
        return GBM_ERR_NOT_FOUND;
    if (CheckSize(bitmap->w, bitmap->h, bitmap->bpp) != GBM_ERR_OK)
        return GBM_ERR_BAD_SIZE;
    return fileTypes[type].readData(handle, bitmap, MakeRows(*bitmap, bottomRow, rowStep));
}

GBM_ERR gbm_write(const char* fileName, GbmHandle handle, int type, const GbmBitmap* bitmap,
                  const GbmPalette* palette, const uint8_t* data, const char* options) {
    if (!bitmap || !data)
        return GBM_ERR_BAD_ARG;
    return gbm_write_rows(fileName, handle, type, bitmap, palette, data,
                          static_cast<ptrdiff_t>(gbm_row_bytes(bitmap->w, bitmap->bpp)), options);
}

GBM_ERR gbm_write_rows(const char* fileName, GbmHandle handle, int type, const GbmBitmap* bitmap,
                       const GbmPalette* palette, const uint8_t* bottomRow, ptrdiff_t rowStep,
                       const char* options) {
    if (!fileName || !bitmap || !palette || !bottomRow || !options)
        return GBM_ERR_BAD_ARG;
    if (!ValidType(type))
        return GBM_ERR_NOT_FOUND;
    int b = bitmap->bpp;
    if (b != 1 && b != 4 && b != 8 && b != 24)
        return GBM_ERR_NOT_SUPP;
    if (CheckSize(bitmap->w, bitmap->h, b) != GBM_ERR_OK)
        return GBM_ERR_BAD_SIZE;
    ConstRows rows{bottomRow, rowStep, gbm_row_bytes(bitmap->w, b), bitmap->h};
    return fileTypes[type].write(handle, bitmap, palette, rows, options);
}

const char* gbm_err(GBM_ERR rc) {
    switch (rc) {
    case GBM_ERR_OK: return "ok";
    case GBM_ERR_MEM: return "out of memory";
    case GBM_ERR_NOT_SUPP: return "not supported";
    case GBM_ERR_BAD_OPTION: return "bad option(s)";
    case GBM_ERR_NOT_FOUND: return "not found";
    case GBM_ERR_BAD_MAGIC: return "bad magic number / signiture block";
    case GBM_ERR_BAD_SIZE: return "bad bitmap size";
    case GBM_ERR_READ: return "can't read file";
    case GBM_ERR_WRITE: return "can't write file";
    case GBM_ERR_BAD_ARG: return "bad argument to gbm function";
    default: break;
    }
    for (const FileType& t : fileTypes)
        if (const char* text = t.err(rc))
            return text;
    return "general error";
}

bool gbm_find_word(const char* options, const char* word) {
    if (!options || !word)
        return false;
    size_t n = std::strlen(word);
    return FindWord(options, [&](const char* w, size_t len) { return len == n && SameText(w, word, n); }) != nullptr;
}

const char* gbm_find_word_prefix(const char* options, const char* prefix) {
    if (!options || !prefix)
        return nullptr;
    size_t n = std::strlen(prefix);
    return FindWord(options, [&](const char* w, size_t len) { return len >= n && SameText(w, prefix, n); });
}

}  // namespace lumvor
