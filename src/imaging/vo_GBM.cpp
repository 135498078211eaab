#include "imaging/vo_GBM.h"

#include "imaging/vo_CLib.h"

namespace lumvor {

namespace {

// The module's start and end, run once with the program's.
struct GbmModule {
    GbmModule() { gbm_init(); }
    ~GbmModule() { gbm_deinit(); }
} gbmModule;

int GuessType(const std::string& fileName) {
    int type = 0;
    if (gbm_guess_filetype(fileName.c_str(), &type) != GBM_ERR_OK)
        throw EGbmError(vo_GBM::SGuessFailed);
    return type;
}

GbmBitmap ReadHeader(TStream& stream, const std::string& fileName, int type, const std::string& options) {
    GbmBitmap bitmap{};
    if (gbm_read_header(fileName.c_str(), GbmHandleOf(stream), type, &bitmap, options.c_str()) != GBM_ERR_OK)
        throw EGbmError(vo_GBM::SReadHeaderFailed);
    return bitmap;
}

}  // namespace

uint8_t GbmBitsToFormat(int bits) {
    switch (bits) {
    case 1: return ifBlackWhite;
    case 4: return ifColor16;
    case 8: return ifColor256;
    case 24: return ifTrueColor;
    default: throw EGbmError(vo_GBM::SInvalidImageFormat);
    }
}

int GbmFormatToBits(int format) {
    switch (format) {
    case ifBlackWhite: return 1;
    case ifGray16:
    case ifColor16: return 4;
    case ifGray256:
    case ifColor256: return 8;
    case ifTrueColor: return 24;
    default: throw EGbmError(vo_GBM::SInvalidImageFormat);
    }
}

TPaletteRecord GbmPaletteToRecord(const GbmPalette& palette, int bits) {
    TPaletteRecord record;
    record.Version = 0x300;
    record.NumberOfEntries = static_cast<uint16_t>(bits >= 1 && bits <= 8 ? 1 << bits : 0);
    for (int i = 0; i < record.NumberOfEntries; ++i)
        record.Entries[i] = MakeColorRef(palette[i].b, palette[i].g, palette[i].r);
    return record;
}

void RecordToGbmPalette(const TPaletteRecord& record, GbmPalette& palette) {
    int count = std::min<int>(record.NumberOfEntries, 256);
    for (int i = 0; i < 256; ++i) {
        TColorValue c = i < count ? record.Entries[i] : TColorValue{};
        palette[i] = GbmRgb{GetRValue(c), GetGValue(c), GetBValue(c)};
    }
}

void GbmReadHeader(TStream& stream, TDibGraphic&, const std::string& fileName, int& width, int& height,
                   int& bits, const std::string& options) {
    GbmBitmap bitmap = ReadHeader(stream, fileName, GuessType(fileName), options);
    width = bitmap.w;
    height = bitmap.h;
    bits = bitmap.bpp;
}

void GbmReadImage(TStream& stream, TDibGraphic& graphic, const std::string& fileName,
                  const std::string& options) {
    int type = GuessType(fileName);
    GbmBitmap bitmap = ReadHeader(stream, fileName, type, options);
    uint8_t format = GbmBitsToFormat(bitmap.bpp);
    GbmHandle handle = GbmHandleOf(stream);
    TPaletteRecord record;
    if (bitmap.bpp < 24) {
        GbmPalette palette{};
        if (gbm_read_palette(handle, type, &bitmap, &palette) != GBM_ERR_OK)
            throw EGbmError(vo_GBM::SReadHeaderFailed);
        record = GbmPaletteToRecord(palette, bitmap.bpp);
    }
    graphic.NewImage(bitmap.w, bitmap.h, format, bitmap.bpp < 24 ? &record : nullptr, 0, 0);
    uint8_t* bottom = graphic.ScanLine(bitmap.h - 1);
    if (gbm_read_data_rows(handle, type, &bitmap, bottom, -static_cast<ptrdiff_t>(graphic.RowBytes())) !=
        GBM_ERR_OK)
        throw EGbmError(vo_GBM::SReadDataFailed);
}

void GbmWriteImage(TStream& stream, TDibGraphic& graphic, const std::string& fileName, const std::string& options) {
    int type = GuessType(fileName);
    GbmBitmap bitmap{};
    bitmap.w = graphic.Width();
    bitmap.h = graphic.Height();
    bitmap.bpp = GbmFormatToBits(graphic.ImageFormat());
    if (graphic.IsEmpty())
        throw EGbmError(vo_GBM::SWriteFailed);
    GbmPalette palette{};
    if (bitmap.bpp < 24)
        RecordToGbmPalette(graphic.PaletteRecord(), palette);
    const uint8_t* bottom = graphic.ScanLine(bitmap.h - 1);
    if (gbm_write_rows(fileName.c_str(), GbmHandleOf(stream), type, &bitmap, &palette, bottom,
                       -static_cast<ptrdiff_t>(graphic.RowBytes()), options.c_str()) != GBM_ERR_OK)
        throw EGbmError(vo_GBM::SWriteFailed);
}

}  // namespace lumvor
