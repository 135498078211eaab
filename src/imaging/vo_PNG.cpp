#include "imaging/vo_PNG.h"

#include "platform/PixelBuffer.h"

#include <png.h>

#include <algorithm>
#include <cstring>
#include <exception>
#include <vector>

namespace lumvor {

using namespace vo_PNG;

namespace {

// One libpng read or write: the library's structures, the stream its I/O
// callbacks use and what went wrong. It lives in the caller's frame, outside
// the function that calls setjmp, so a longjmp skips no destructor; Destroy
// may run any number of times.
struct PngSession {
    png_structp png = nullptr;
    png_infop info = nullptr;
    bool writing = false;
    TStream* stream = nullptr;
    // libpng's text of the error that ended the run.
    char message[256] = {};
    // An exception of the stream, carried over the longjmp and raised again.
    std::exception_ptr streamError;
    // Rows of the 2-bit path, read whole before they are unpacked.
    std::vector<uint8_t> rows;
    std::vector<png_bytep> rowPointers;

    PngSession() = default;
    PngSession(const PngSession&) = delete;
    PngSession& operator=(const PngSession&) = delete;
    ~PngSession() { Destroy(); }

    void Destroy() {
        if (png) {
            if (writing)
                png_destroy_write_struct(&png, info ? &info : nullptr);
            else
                png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
        }
        png = nullptr;
        info = nullptr;
    }

    // The exception for a run that libpng ended.
    [[noreturn]] void Raise() const {
        if (streamError)
            std::rethrow_exception(streamError);
        throw EPNGError(message[0] ? message : "libpng error");
    }
};

void PngErrorCallback(png_structp png, png_const_charp text) {
    auto* session = static_cast<PngSession*>(png_get_error_ptr(png));
    if (session && text && session->message != text) {
        std::strncpy(session->message, text, sizeof session->message - 1);
        session->message[sizeof session->message - 1] = '\0';
    }
    png_longjmp(png, 1);
}

void PngWarningCallback(png_structp, png_const_charp) {}

// Moves `length` bytes with op on the session's stream. A stream exception
// is kept for the caller and, like a short count, ends the run through
// png_error (outside the catch, so no exception is left behind by the jump).
template <class Op>
void Transfer(png_structp png, size_t length, const char* failure, Op op) {
    auto* session = static_cast<PngSession*>(png_get_io_ptr(png));
    int64_t moved = -1;
    try {
        moved = op(*session->stream);
    } catch (...) {
        session->streamError = std::current_exception();
    }
    if (session->streamError || moved != static_cast<int64_t>(length))
        png_error(png, failure);
}

// A short read would hand libpng bytes that were never in the file.
void PngReadCallback(png_structp png, png_bytep data, size_t length) {
    Transfer(png, length, "Read Error",
             [&](TStream& stream) { return stream.Read(data, static_cast<int64_t>(length)); });
}

void PngWriteCallback(png_structp png, png_bytep data, size_t length) {
    Transfer(png, length, "Write Error",
             [&](TStream& stream) { return stream.Write(data, static_cast<int64_t>(length)); });
}

void PngFlushCallback(png_structp) {}

// Picture format of a bit depth and colour type; raises EPNGError for
// combinations PNG does not allow. expand: 2-bit samples, unpacked by hand.
uint8_t FormatOf(int bitDepth, int colorType, bool& expand) {
    expand = false;
    switch (bitDepth) {
    case 1:
        if (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_PALETTE)
            return ifBlackWhite;
        break;
    case 2:
    case 4:
        expand = bitDepth == 2;
        if (colorType == PNG_COLOR_TYPE_GRAY)
            return ifGray16;
        if (colorType == PNG_COLOR_TYPE_PALETTE)
            return ifColor16;
        break;
    case 8:
    case 16:
        switch (colorType) {
        case PNG_COLOR_TYPE_GRAY:
        case PNG_COLOR_TYPE_GRAY_ALPHA: return ifGray256;
        case PNG_COLOR_TYPE_RGB:
        case PNG_COLOR_TYPE_RGB_ALPHA: return ifTrueColor;
        case PNG_COLOR_TYPE_PALETTE: return ifColor256;
        default: break;
        }
        break;
    default:
        throw EPNGError(SInvalidBitDepth);
    }
    throw EPNGError(SInvalidColorType);
}

// What a read learnt from the header, kept outside the setjmp frame.
struct PngHeader {
    png_uint_32 width = 0;
    png_uint_32 height = 0;
    int bitDepth = 0;
    int colorType = 0;
    int interlace = 0;
    int compression = 0;
    int filter = 0;
};

// The read steps that run while libpng may longjmp. Returns false when libpng
// ended the run (the session holds why). This frame owns no object with a
// destructor and reads no local after the jump.
bool ReadSteps(PngSession& s, TPngGraphic& picture, PngHeader& header, bool fileInfo, bool headerOnly) {
    if (setjmp(png_jmpbuf(s.png)))
        return false;

    png_set_read_fn(s.png, &s, PngReadCallback);
    png_set_sig_bytes(s.png, 8);
    // Refuse giant sizes from the header, before anything is allocated for them.
    png_set_user_limits(s.png, static_cast<png_uint_32>(MaxPictureSide), static_cast<png_uint_32>(MaxPictureSide));
    png_read_info(s.png, s.info);
    png_get_IHDR(s.png, s.info, &header.width, &header.height, &header.bitDepth, &header.colorType,
                 &header.interlace, &header.compression, &header.filter);
    if (fileInfo) {
        picture.InfoWidth = static_cast<int>(header.width);
        picture.InfoHeight = static_cast<int>(header.height);
        const bool threeSamples =
            header.colorType == PNG_COLOR_TYPE_RGB || header.colorType == PNG_COLOR_TYPE_RGB_ALPHA;
        picture.InfoBitCount = header.bitDepth * (threeSamples ? 3 : 1);
        picture.InfoColorType = header.colorType;
        picture.InfoInterlace = header.interlace;
        picture.InfoCompression = header.compression;
        picture.InfoFilter = header.filter;
        if (headerOnly)
            return true;
    }

    bool expand = false;
    const uint8_t format = FormatOf(header.bitDepth, header.colorType, expand);
    if (header.bitDepth == 16) {
        png_set_strip_16(s.png);
        png_set_swap(s.png);
    }
    if (format == ifTrueColor)
        png_set_bgr(s.png);

    int intent = 0;
    if (png_get_sRGB(s.png, s.info, &intent))
        png_set_sRGB(s.png, s.info, intent);

    png_color_16p fileBackground = nullptr;
    if (!png_get_bKGD(s.png, s.info, &fileBackground) || picture.UseBackground) {
        png_color_16 background{};
        const uint32_t colour = picture.BackgroundColor;
        background.red = static_cast<png_uint_16>(colour & 0xFF);
        background.green = static_cast<png_uint_16>(colour >> 8 & 0xFF);
        background.blue = static_cast<png_uint_16>(colour >> 16 & 0xFF);
        // Grey pictures take the grey of the background colour, in the
        // picture's own sample size when that is below 8 bits.
        unsigned grey = (background.red * 77u + background.green * 150u + background.blue * 29u + 128u) >> 8;
        if (header.bitDepth < 8)
            grey >>= 8 - header.bitDepth;
        background.gray = static_cast<png_uint_16>(grey);
        png_set_background(s.png, &background, PNG_BACKGROUND_GAMMA_SCREEN, 0, 1.0);
    } else {
        png_set_background(s.png, fileBackground, PNG_BACKGROUND_GAMMA_FILE, 1, 1.0);
    }

    uint16_t xDpi = 0;
    uint16_t yDpi = 0;
    png_uint_32 xPels = 0;
    png_uint_32 yPels = 0;
    int unit = 0;
    if (png_get_pHYs(s.png, s.info, &xPels, &yPels, &unit) && unit == PNG_RESOLUTION_METER) {
        xDpi = DpiFromPelsPerMeter(xPels);
        yDpi = DpiFromPelsPerMeter(yPels);
    }

    int passes = 1;
    if (header.interlace == PNG_INTERLACE_ADAM7)
        passes = png_set_interlace_handling(s.png);
    else if (header.interlace != PNG_INTERLACE_NONE)
        throw EPNGError(SInvalidInterlace);

    png_read_update_info(s.png, s.info);

    TPaletteRecord palette;
    const TPaletteRecord* paletteUsed = nullptr;
    if (header.colorType & PNG_COLOR_MASK_PALETTE) {
        png_colorp entries = nullptr;
        int count = 0;
        if (!png_get_PLTE(s.png, s.info, &entries, &count))
            throw EPNGError(SGetPlteFailed);
        palette.Version = 0x300;
        palette.NumberOfEntries = static_cast<uint16_t>(std::clamp(count, 0, 256));
        for (int i = 0; i < palette.NumberOfEntries; ++i)
            palette.Entries[i] = MakeColorRef(entries[i].blue, entries[i].green, entries[i].red);
        paletteUsed = &palette;
    }

    picture.NewImage(static_cast<int>(header.width), static_cast<int>(header.height), format, paletteUsed, xDpi,
                     yDpi);

    const size_t rowBytes = png_get_rowbytes(s.png, s.info);
    const int height = picture.GetHeight();
    if (expand) {
        s.rows.assign(rowBytes * static_cast<size_t>(height), 0);
        s.rowPointers.resize(static_cast<size_t>(height));
        for (int y = 0; y < height; ++y)
            s.rowPointers[static_cast<size_t>(y)] = s.rows.data() + rowBytes * static_cast<size_t>(y);
        png_read_image(s.png, s.rowPointers.data());
        const int width = picture.GetWidth();
        const int scale = header.colorType == PNG_COLOR_TYPE_GRAY ? 5 : 1;
        for (int y = 0; y < height; ++y) {
            const uint8_t* row = s.rowPointers[static_cast<size_t>(y)];
            for (int x = 0; x < width && static_cast<size_t>(x / 4) < rowBytes; ++x) {
                const int sample = row[x / 4] >> (6 - 2 * (x % 4)) & 3;
                picture.SetPixelIndex(x, y, static_cast<uint8_t>(sample * scale));
            }
        }
    } else {
        // libpng writes rowBytes into each picture row; the two must agree.
        if (rowBytes > static_cast<size_t>(picture.RowBytes()))
            throw EPNGError(SInvalidBitDepth);
        for (int pass = 0; pass < passes; ++pass)
            for (int y = 0; y < height; ++y)
                png_read_row(s.png, picture.ScanLine(y), nullptr);
    }
    return true;
}

struct PngWriteHeader {
    int bitDepth;
    int colorType;
};

bool WriteSteps(PngSession& s, TPngGraphic& picture, const PngWriteHeader& header) {
    if (setjmp(png_jmpbuf(s.png)))
        return false;

    png_set_write_fn(s.png, &s, PngWriteCallback, PngFlushCallback);
    png_set_IHDR(s.png, s.info, static_cast<png_uint_32>(picture.GetWidth()),
                 static_cast<png_uint_32>(picture.GetHeight()), header.bitDepth, header.colorType,
                 picture.Interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    if (header.colorType == PNG_COLOR_TYPE_PALETTE) {
        png_color entries[256];
        const TPaletteRecord& record = picture.PaletteRecord();
        const int count = std::min<int>(record.NumberOfEntries, 256);
        for (int i = 0; i < count; ++i) {
            const auto value = static_cast<uint32_t>(record.Entries[i]);
            entries[i].red = static_cast<png_byte>(value >> 16);
            entries[i].green = static_cast<png_byte>(value >> 8);
            entries[i].blue = static_cast<png_byte>(value);
        }
        png_set_PLTE(s.png, s.info, entries, count);
    }
    png_set_pHYs(s.png, s.info, static_cast<png_uint_32>(PelsPerMeterFromDpi(picture.GetXDpi())),
                 static_cast<png_uint_32>(PelsPerMeterFromDpi(picture.GetYDpi())), PNG_RESOLUTION_METER);
    png_set_gAMA(s.png, s.info, picture.Gamma);
    switch (picture.CompressionLevel) {
    case 0: png_set_compression_level(s.png, 1); break;
    case 1: png_set_compression_level(s.png, 5); break;
    case 2: png_set_compression_level(s.png, 9); break;
    default: break;
    }
    png_write_info(s.png, s.info);
    if (header.colorType == PNG_COLOR_TYPE_RGB)
        png_set_bgr(s.png);
    const int passes = picture.Interlaced ? png_set_interlace_handling(s.png) : 1;
    const int height = picture.GetHeight();
    for (int pass = 0; pass < passes; ++pass)
        for (int y = 0; y < height; ++y)
            png_write_row(s.png, picture.ScanLine(y));
    png_write_end(s.png, s.info);
    return true;
}

}  // namespace

void TPngGraphic::ReadImage(TStream& stream, int) {
    ReadGuarded([&] { Read(stream, false, false); });
}

void TPngGraphic::ReadFileInfo(const std::string& fileName, bool headerOnly) {
    ReadHeaderFile(fileName, [&](TStream& header) {
        if (headerOnly)
            Read(header, true, true);
        else
            ReadGuarded([&] { Read(header, true, false); });
    });
}

void TPngGraphic::Read(TStream& stream, bool fileInfo, bool headerOnly) {
    png_byte signature[8] = {};
    if (stream.Read(signature, 8) != 8 || png_sig_cmp(signature, 0, 8) != 0)
        throw EPNGError(SInvalidPngFile);

    PngSession session;
    session.stream = &stream;
    session.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &session, PngErrorCallback, PngWarningCallback);
    if (!session.png)
        throw EPNGError(SCreateReadFailed);
    session.info = png_create_info_struct(session.png);
    if (!session.info) {
        session.Destroy();
        throw EPNGError(SCreateInfoFailed);
    }
    PngHeader header;
    if (!ReadSteps(session, *this, header, fileInfo, headerOnly))
        session.Raise();
    session.Destroy();
}

void TPngGraphic::SaveToStream(TStream& stream) {
    if (IsEmpty())
        throw ERuvezevoError(vo_DIB::SInvalidImageFormat);
    const uint8_t format = ImageFormat();
    PngWriteHeader header{};
    header.bitDepth = std::min(ImageFormatBits(format), 8);
    header.colorType = format <= ifGray256 ? PNG_COLOR_TYPE_GRAY
                       : format <= ifColor256 ? PNG_COLOR_TYPE_PALETTE
                                              : PNG_COLOR_TYPE_RGB;

    PngSession session;
    session.writing = true;
    session.stream = &stream;
    session.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &session, PngErrorCallback, PngWarningCallback);
    if (!session.png)
        throw EPNGError(SCreateWriteFailed);
    session.info = png_create_info_struct(session.png);
    if (!session.info) {
        session.Destroy();
        throw EPNGError(SCreateInfoFailed);
    }
    if (!WriteSteps(session, *this, header))
        session.Raise();
    session.Destroy();
}

}  // namespace lumvor
