#include "imaging/vo_TIF.h"

#include "imaging/vo_transf.h"

#include <tiffio.h>

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

namespace lumvor {

using namespace vo_TIF;

namespace {

// ---- client procedures: libtiff reaches our streams only through these

// What one libtiff handle works on: the stream and what libtiff reported.
struct TiffClient {
    TStream* stream = nullptr;
    // Set when a memory stream is read: libtiff then works on its bytes
    // directly, the road its readers are best tried on.
    TMemoryStream* memory = nullptr;
    std::string error;

    void Note(const std::string& text) {
        if (error.empty())
            error = text;
    }
};

// The largest single allocation libtiff may make for one handle: above the
// biggest strip of the biggest picture we accept (2^28 pixels of 3 bytes).
constexpr tmsize_t kMaxLibtiffAlloc = tmsize_t(1) << 30;

// Runs op on the handle's stream. What the stream throws is noted on the
// handle and `failed` returned, so no C++ exception crosses libtiff.
template <class T, class Op>
T OnStream(thandle_t handle, T failed, Op op) {
    auto* client = static_cast<TiffClient*>(handle);
    try {
        return op(*client->stream);
    } catch (const std::exception& e) {
        client->Note(e.what());
    } catch (...) {
        client->Note("stream failed");
    }
    return failed;
}

tmsize_t ClientRead(thandle_t handle, void* buffer, tmsize_t size) {
    return OnStream<tmsize_t>(handle, -1, [&](TStream& stream) {
        return static_cast<tmsize_t>(stream.Read(buffer, size));
    });
}

tmsize_t ClientWrite(thandle_t handle, void* buffer, tmsize_t size) {
    return OnStream<tmsize_t>(handle, -1, [&](TStream& stream) {
        return static_cast<tmsize_t>(stream.Write(buffer, size));
    });
}

toff_t ClientSeek(thandle_t handle, toff_t offset, int whence) {
    constexpr auto failed = static_cast<toff_t>(-1);
    return OnStream<toff_t>(handle, failed, [&](TStream& stream) {
        // libtiff hands offsets as unsigned; from the current place or the end
        // they are really signed.
        const auto delta = static_cast<int64_t>(offset);
        int64_t base = 0;
        if (whence == SEEK_CUR)
            base = stream.Position();
        else if (whence == SEEK_END)
            base = stream.Size();
        else if (whence != SEEK_SET)
            return failed;
        int64_t target = 0;
        if (__builtin_add_overflow(base, delta, &target) || target < 0)
            return failed;
        return static_cast<toff_t>(stream.Seek(target, soBeginning));
    });
}

int ClientClose(thandle_t) { return 0; }

toff_t ClientSize(thandle_t handle) {
    return OnStream<toff_t>(handle, 0, [](TStream& stream) { return static_cast<toff_t>(stream.Size()); });
}

int ClientMap(thandle_t handle, void** base, toff_t* size) {
    auto* client = static_cast<TiffClient*>(handle);
    if (!client->memory || client->memory->Size() == 0)
        return 0;
    *base = client->memory->Memory();
    *size = static_cast<toff_t>(client->memory->Size());
    return 1;
}
void ClientUnmap(thandle_t, void*, toff_t) {}

int ClientError(TIFF*, void* userData, const char* module, const char* format, va_list args) {
    char text[512];
    std::vsnprintf(text, sizeof text, format, args);
    auto* client = static_cast<TiffClient*>(userData);
    client->Note(module && *module ? std::string(module) + ": " + text : std::string(text));
    return 1;  // handled: libtiff's process-wide handler stays out of it
}

// Warnings are dropped, except that libtiff reports a directory cut short by
// the end of the file only as a warning ("IO error during reading of ...; tag
// ignored") and then goes on with defaults: such a page is taken as failed.
int ClientWarning(TIFF*, void* userData, const char* module, const char* format, va_list args) {
    char text[512];
    std::vsnprintf(text, sizeof text, format, args);
    if (std::strstr(text, "IO error"))
        static_cast<TiffClient*>(userData)->Note(module && *module ? std::string(module) + ": " + text
                                                                   : std::string(text));
    return 1;
}

}  // namespace

// ---- binding

TIFF* OpenTiffStream(TStream& stream, uint8_t mode) {
    auto client = std::make_unique<TiffClient>();
    client->stream = &stream;
    if (mode == 0)
        client->memory = dynamic_cast<TMemoryStream*>(&stream);
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    if (!options)
        return nullptr;
    TIFFOpenOptionsSetErrorHandlerExtR(options, ClientError, client.get());
    TIFFOpenOptionsSetWarningHandlerExtR(options, ClientWarning, client.get());
    TIFFOpenOptionsSetMaxSingleMemAlloc(options, kMaxLibtiffAlloc);
    const char* openMode = mode == 0 ? "r" : mode == 1 ? "w" : "a";
    TIFF* handle = TIFFClientOpenExt("", openMode, client.get(), ClientRead, ClientWrite, ClientSeek,
                                     ClientClose, ClientSize, ClientMap, ClientUnmap, options);
    TIFFOpenOptionsFree(options);
    if (handle)
        client.release();  // CloseTiff frees it
    return handle;
}

void CloseTiff(TIFF* handle) {
    if (!handle)
        return;
    auto* client = static_cast<TiffClient*>(TIFFClientdata(handle));
    TIFFClose(handle);
    delete client;
}

int CountTiffPages(TIFF* handle) {
    if (!TIFFSetDirectory(handle, 0))
        return 0;
    int count = 1;
    while (TIFFReadDirectory(handle))
        ++count;
    return count;
}

std::string TiffErrorText(TIFF* handle) {
    return handle ? static_cast<TiffClient*>(TIFFClientdata(handle))->error : std::string();
}

void RaiseTiffError(const std::string& text) { throw ETiffError("ETiffError " + text); }

namespace {
[[noreturn]] void RaiseTagError(const char* call, uint32_t tag) {
    RaiseTiffError(std::string(call) + ": Tag = " + std::to_string(tag));
}
}  // namespace

void GetTiffField(TIFF* handle, uint32_t tag, uint16_t& value) {
    if (!TIFFGetField(handle, tag, &value))
        RaiseTagError("TIFFGetField", tag);
}

void GetTiffField(TIFF* handle, uint32_t tag, uint32_t& value) {
    if (!TIFFGetField(handle, tag, &value))
        RaiseTagError("TIFFGetField", tag);
}

void GetTiffField(TIFF* handle, uint32_t tag, float& value) {
    if (!TIFFGetField(handle, tag, &value))
        RaiseTagError("TIFFGetField", tag);
}

void GetTiffField3(TIFF* handle, uint32_t tag, uint16_t*& a, uint16_t*& b, uint16_t*& c) {
    if (!TIFFGetField(handle, tag, &a, &b, &c))
        RaiseTagError("TIFFGetField3", tag);
}

void SetTiffIntField(TIFF* handle, uint32_t tag, int value) {
    if (!TIFFSetField(handle, tag, value))
        RaiseTagError("TIFFSetIntField", tag);
}

void SetTiffFloatField(TIFF* handle, uint32_t tag, float value) {
    if (!TIFFSetField(handle, tag, static_cast<double>(value)))
        RaiseTagError("TIFFSetFloatField", tag);
}

void SetTiffField(TIFF* handle, uint32_t tag, const std::string& text) {
    if (!TIFFSetField(handle, tag, text.c_str()))
        RaiseTagError("TIFFSetField", tag);
}

void SetTiffColormap(TIFF* handle, uint16_t* red, uint16_t* green, uint16_t* blue) {
    if (!TIFFSetField(handle, TIFFTAG_COLORMAP, red, green, blue))
        RaiseTiffError("TIFFSetColormap");
}

// ---- names

std::string CompressionCodeName(uint8_t code) {
    static const char* const names[8] = {"None",        "Packbits",      "Fax Group 3, 1D",
                                         "Fax Group 3, 2D", "Fax Group 4", "ZLib",
                                         "JPEG",        "ZLib Adobe"};
    return code < 8 ? names[code] : "";
}

std::string CompressionTagName(uint32_t tag) {
    switch (tag) {
    case 1: return "None";
    case 2: return "CCITT Huffman RLE";
    case 3: return "Fax Group 3";
    case 4: return "Fax Group 4";
    case 5: return "LZW (unsupported)";
    case 7: return "JPEG";
    case 8: return "ZLib Adobe";
    case 32771: return "CCITT Aligned RLE ";
    case 32773: return "Packbits";
    case 32946: return "Deflate";
    default: return "Unknown";
    }
}

namespace {

// How the writer stores each compression code.
struct TWriteCompression {
    uint16_t tag;
    uint32_t rowsPerStrip;
    bool forBlackWhite;
    bool forOthers;
};
constexpr TWriteCompression kWriteCompression[8] = {
    {COMPRESSION_NONE, 16, true, true},         {COMPRESSION_PACKBITS, 16, true, true},
    {COMPRESSION_CCITTFAX3, 256, true, false},  {COMPRESSION_CCITTFAX3, 256, true, false},
    {COMPRESSION_CCITTFAX4, 256, true, false},  {COMPRESSION_DEFLATE, 16, true, true},
    {COMPRESSION_JPEG, 8, false, false},        {COMPRESSION_ADOBE_DEFLATE, 16, true, true},
};

bool IsFaxTag(uint32_t tag) {
    return tag == COMPRESSION_CCITTRLE || tag == COMPRESSION_CCITTFAX3 || tag == COMPRESSION_CCITTFAX4 ||
           tag == COMPRESSION_CCITTRLEW;
}

// The compression code of a Compression tag value; -1 for tags without one.
// Group 3 files tell 1D from 2D by bit 0 of Group3Options.
int CodeOfTag(TIFF* handle, uint32_t tag, bool adobeAsOwnCode) {
    switch (tag) {
    case COMPRESSION_NONE: return tcNone;
    case COMPRESSION_CCITTRLE:
    case COMPRESSION_CCITTRLEW: return tcFaxGroup3_1D;
    case COMPRESSION_CCITTFAX3: {
        // Writers often leave Group3Options out for 1D data; 0 is its default.
        uint32_t options = 0;
        if (!TIFFGetField(handle, TIFFTAG_GROUP3OPTIONS, &options))
            options = 0;
        return options & 1 ? tcFaxGroup3_2D : tcFaxGroup3_1D;
    }
    case COMPRESSION_CCITTFAX4: return tcFaxGroup4;
    case COMPRESSION_JPEG: return tcJpeg;
    case COMPRESSION_ADOBE_DEFLATE: return adobeAsOwnCode ? tcZLibAdobe : tcZLib;
    case COMPRESSION_DEFLATE: return tcZLib;
    case COMPRESSION_PACKBITS: return tcPackbits;
    default: return -1;
    }
}

// Dots per inch of a resolution tag; 0 when the tag is missing.
uint16_t ReadDpi(TIFF* handle, uint32_t tag, uint16_t unit) {
    float value = 0;
    try {
        GetTiffField(handle, tag, value);
    } catch (const ETiffError&) {
        return 0;
    }
    double dpi = unit == RESUNIT_INCH ? value : value * 2.54;
    dpi = std::nearbyint(dpi);
    return std::isfinite(dpi) && dpi >= 0 && dpi <= 65535 ? static_cast<uint16_t>(dpi) : 0;
}

// The palette record of a page's ColorMap. Entries above 255 anywhere mean a
// 16-bit map (scaled down); otherwise the low bytes are the colours.
TPaletteRecord ReadColorMap(TIFF* handle, uint16_t bitsPerSample) {
    const int count = bitsPerSample >= 8 ? 256 : 1 << bitsPerSample;
    uint16_t* red = nullptr;
    uint16_t* green = nullptr;
    uint16_t* blue = nullptr;
    GetTiffField3(handle, TIFFTAG_COLORMAP, red, green, blue);
    bool sixteenBit = false;
    for (int i = 0; i < count && !sixteenBit; ++i)
        sixteenBit = red[i] >= 256 || green[i] >= 256 || blue[i] >= 256;
    TPaletteRecord palette;
    palette.Version = 0x300;
    palette.NumberOfEntries = static_cast<uint16_t>(count);
    for (int i = 0; i < count; ++i) {
        auto component = [&](uint16_t v) {
            return static_cast<uint8_t>(sixteenBit ? v * 255u / 65535u : v & 0xFF);
        };
        palette.Entries[i] = static_cast<TColorValue>(MakeColorRef(component(blue[i]), component(green[i]),
                                                                   component(red[i])));
    }
    return palette;
}

void CheckBitCount(int64_t bitCount) {
    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 24)
        RaiseTiffError(SUnsupportedBitCount + std::to_string(bitCount));
}

// Closes a libtiff handle when the read or write leaves, also by an exception.
struct TiffCloser {
    TIFF* handle;
    ~TiffCloser() { CloseTiff(handle); }
};

}  // namespace

// ---- TTiffGraphic

void TTiffGraphic::NewImage(int width, int height, uint8_t format, const TPaletteRecord* palette,
                            uint16_t xDpi, uint16_t yDpi) {
    TCodecGraphic::NewImage(width, height, format, palette, xDpi, yDpi);
    SetCompression(format == ifBlackWhite ? tcFaxGroup4 : tcPackbits);
}

void TTiffGraphic::SetCompression(uint8_t code) {
    const uint8_t format = ImageFormat();
    const bool accepted =
        code < 8 && (format == ifBlackWhite ? kWriteCompression[code].forBlackWhite
                                            : kWriteCompression[code].forOthers);
    if (!accepted)
        throw ERuvezevoError(Format(SCompressionNotSupported, CompressionCodeName(code),
                                    ImageFormatName(format)));
    Compression = code;
}

int TTiffGraphic::GetImageCount(TStream& stream) {
    TIFF* handle = OpenTiffStream(stream, 0);
    if (!handle)
        RaiseTiffError("TIFFOpen");
    TiffCloser closer{handle};
    return CountTiffPages(handle);
}

void TTiffGraphic::ReadImage(TStream& stream, int index) {
    ReadGuarded([&] {
        TRebasedStream rebased(stream);
        TStream& source = rebased.Stream();
        source.SetPosition(0);
        if (dynamic_cast<TMemoryStream*>(&source)) {
            ReadPage(source, index, false);
        } else {
            // libtiff reads some uncompressed tiled pages only from memory.
            TMemoryStream memory;
            memory.LoadFromStream(source);
            memory.SetPosition(0);
            ReadPage(memory, index, false);
        }
    });
}

void TTiffGraphic::ReadFileInfo(const std::string& fileName, int index) {
    ReadHeaderFile(fileName, [&](TStream& header) {
        if (index < 1) {
            ReadPage(header, index, true);
        } else {
            ReadGuarded([&] { ReadPage(header, index, true); });
        }
    });
}

// Reads page `index` (1-based; below 1 with fileInfo: the first page's header
// only). With fileInfo the header values go to the Info fields and an
// unreadable start ends quietly with a zero size.
void TTiffGraphic::ReadPage(TStream& stream, int index, bool fileInfo) {
    TIFF* handle = nullptr;
    try {
        handle = OpenTiffStream(stream, 0);
    } catch (const std::exception&) {
        handle = nullptr;
    }
    if (!handle) {
        if (fileInfo) {
            InfoWidth = InfoHeight = 0;
            return;
        }
        RaiseTiffError("TIFFOpen");
    }
    TiffCloser closer{handle};

    uint32_t width = 0;
    uint32_t height = 0;
    const auto directory = static_cast<tdir_t>(std::max(index, 1) - 1);
    if (fileInfo) {
        try {
            if (!TIFFSetDirectory(handle, directory))
                RaiseTiffError("TIFFSetDirectory");
            if (!TiffErrorText(handle).empty())
                RaiseTiffError("TIFFReadDirectory");
            GetTiffField(handle, TIFFTAG_IMAGEWIDTH, width);
            GetTiffField(handle, TIFFTAG_IMAGELENGTH, height);
        } catch (const ETiffError&) {
            InfoWidth = InfoHeight = 0;
            return;
        }
        InfoWidth = static_cast<int>(std::min<uint32_t>(width, INT32_MAX));
        InfoHeight = static_cast<int>(std::min<uint32_t>(height, INT32_MAX));
    } else {
        // A page beyond the last is refused rather than read from whatever
        // directory libtiff happens to hold.
        if (!TIFFSetDirectory(handle, directory))
            RaiseTiffError("TIFFSetDirectory");
        if (!TiffErrorText(handle).empty())
            RaiseTiffError("TIFFReadDirectory");
        GetTiffField(handle, TIFFTAG_IMAGEWIDTH, width);
        GetTiffField(handle, TIFFTAG_IMAGELENGTH, height);
    }

    // A page without Photometric is taken as min-is-white.
    uint16_t photometric = PHOTOMETRIC_MINISWHITE;
    try {
        GetTiffField(handle, TIFFTAG_PHOTOMETRIC, photometric);
    } catch (const ETiffError&) {
        photometric = PHOTOMETRIC_MINISWHITE;
    }
    uint16_t compressionTag = 0;
    GetTiffField(handle, TIFFTAG_COMPRESSION, compressionTag);
    const bool fax = IsFaxTag(compressionTag);
    uint16_t bitsPerSample = 0;
    try {
        GetTiffField(handle, TIFFTAG_BITSPERSAMPLE, bitsPerSample);
    } catch (const ETiffError&) {
        if (!fax)
            throw;
        bitsPerSample = 1;
    }
    uint16_t planar = 0;
    GetTiffField(handle, TIFFTAG_PLANARCONFIG, planar);

    const bool useRgba = compressionTag == COMPRESSION_JPEG || TIFFIsTiled(handle) ||
                         photometric == PHOTOMETRIC_SEPARATED || photometric == PHOTOMETRIC_YCBCR ||
                         bitsPerSample > 8 || planar > 1;
    const tmsize_t scanlineBytes = TIFFScanlineSize(handle);
    // Pages for the RGBA reader count the bytes of a whole decoded row: for
    // subsampled YCbCr and separate planes the I/O scanline says less.
    const tmsize_t pixelRowBytes = useRgba ? TIFFRasterScanlineSize(handle) : scanlineBytes;
    int64_t factor = width ? static_cast<int64_t>(std::nearbyint(double(pixelRowBytes) / double(width))) : 0;
    if (factor <= 0)
        factor = 1;
    const int64_t bitCount = std::min<int64_t>(int64_t(bitsPerSample) * factor, 24);

    if (fileInfo) {
        InfoCompressionTag = compressionTag;
        InfoBitCount = static_cast<int>(bitCount);
        CheckBitCount(bitCount);
        const int code = CodeOfTag(handle, compressionTag, true);
        Compression = code < 0 ? tcNone : static_cast<uint8_t>(code);
        if (compressionTag == COMPRESSION_LZW)
            RaiseLzwNotSupported();
        if (index < 1)
            return;
    }

    uint16_t unit = RESUNIT_INCH;
    try {
        GetTiffField(handle, TIFFTAG_RESOLUTIONUNIT, unit);
    } catch (const ETiffError&) {
        unit = RESUNIT_INCH;
    }
    const uint16_t xDpi = ReadDpi(handle, TIFFTAG_XRESOLUTION, unit);
    const uint16_t yDpi = ReadDpi(handle, TIFFTAG_YRESOLUTION, unit);

    if (compressionTag == COMPRESSION_LZW)
        RaiseLzwNotSupported();
    CheckBitCount(bitCount);

    // Format, palette and whether the pixels come out inverted. The RGBA
    // reader already turns min-is-white into colours, so only the direct
    // reads need the inversion.
    uint8_t format = ifTrueColor;
    TPaletteRecord palette;
    const TPaletteRecord* paletteUsed = nullptr;
    bool invert = false;
    if (fax && photometric == PHOTOMETRIC_MINISBLACK)
        photometric = PHOTOMETRIC_MINISWHITE;
    const bool grey = photometric == PHOTOMETRIC_MINISBLACK || photometric == PHOTOMETRIC_MINISWHITE;
    const bool minIsWhite = photometric == PHOTOMETRIC_MINISWHITE;
    if (bitsPerSample == 1 && grey) {
        format = ifBlackWhite;
        invert = minIsWhite && !useRgba;
    } else if (bitsPerSample == 4 && grey) {
        format = ifGray16;
        invert = minIsWhite && !useRgba;
    } else if (bitsPerSample == 8 && grey) {
        format = ifGray256;
        invert = minIsWhite && !useRgba;
    } else if (photometric == PHOTOMETRIC_PALETTE) {
        palette = ReadColorMap(handle, bitsPerSample);
        paletteUsed = &palette;
        format = bitsPerSample <= 4 ? ifColor16 : ifColor256;
    }
    if (minIsWhite && compressionTag == COMPRESSION_JPEG)
        invert = true;

    NewImage(static_cast<int>(std::min<uint32_t>(width, INT32_MAX)),
             static_cast<int>(std::min<uint32_t>(height, INT32_MAX)), format, paletteUsed, xDpi, yDpi);

    const int code = CodeOfTag(handle, compressionTag, false);
    if (code < 0)
        throw ETiffError(Format(SUnsupportedCompressionTag, int(compressionTag)));
    SetCompression(static_cast<uint8_t>(code));

    const int w = GetWidth();
    const int h = GetHeight();
    const int64_t rowBytes = RowBytes();
    if (fax) {
        std::vector<uint8_t> line(static_cast<size_t>(std::max<tmsize_t>(scanlineBytes, 1)));
        const size_t copy = static_cast<size_t>(std::min<int64_t>(scanlineBytes, rowBytes));
        for (int row = 0; row < h; ++row) {
            if (TIFFReadScanline(handle, line.data(), static_cast<uint32_t>(row), 0) < 0)
                RaiseTiffError("TIFFReadScanline");
            std::memcpy(ScanLine(row), line.data(), copy);
        }
    } else if (useRgba) {
        std::vector<uint32_t> raster(static_cast<size_t>(w) * static_cast<size_t>(h));
        if (!TIFFReadRGBAImage(handle, static_cast<uint32_t>(w), static_cast<uint32_t>(h), raster.data(), 1))
            RaiseTiffError("TIFFReadRGBAImage");
        // The raster's first row is the picture's bottom row.
        for (int row = h - 1, source = 0; row >= 0; --row, ++source) {
            const uint32_t* pixel = raster.data() + static_cast<size_t>(source) * static_cast<size_t>(w);
            if (format == ifTrueColor) {
                uint8_t* out = ScanLine(row);
                for (int x = 0; x < w; ++x, out += 3) {
                    out[0] = static_cast<uint8_t>(TIFFGetB(pixel[x]));
                    out[1] = static_cast<uint8_t>(TIFFGetG(pixel[x]));
                    out[2] = static_cast<uint8_t>(TIFFGetR(pixel[x]));
                }
            } else {
                for (int x = 0; x < w; ++x)
                    SetPixel(x, row,
                             MakeColorRef(static_cast<uint8_t>(TIFFGetB(pixel[x])),
                                          static_cast<uint8_t>(TIFFGetG(pixel[x])),
                                          static_cast<uint8_t>(TIFFGetR(pixel[x]))));
            }
        }
    } else {
        uint32_t rowsPerStrip = 0;
        GetTiffField(handle, TIFFTAG_ROWSPERSTRIP, rowsPerStrip);
        if (rowsPerStrip == 0 || rowsPerStrip > static_cast<uint32_t>(h))
            rowsPerStrip = static_cast<uint32_t>(h);
        const tmsize_t stripBytes =
            std::max<tmsize_t>(TIFFStripSize(handle), scanlineBytes * static_cast<tmsize_t>(rowsPerStrip));
        std::vector<uint8_t> strip(static_cast<size_t>(std::max<tmsize_t>(stripBytes, 1)));
        const size_t copy = static_cast<size_t>(std::min<int64_t>(scanlineBytes, rowBytes));
        for (uint32_t row = 0; row < static_cast<uint32_t>(h); row += rowsPerStrip) {
            const uint32_t rows = std::min<uint32_t>(rowsPerStrip, static_cast<uint32_t>(h) - row);
            const uint32_t stripIndex = TIFFComputeStrip(handle, row, 0);
            if (TIFFReadEncodedStrip(handle, stripIndex, strip.data(),
                                     scanlineBytes * static_cast<tmsize_t>(rows)) == -1)
                RaiseTiffError("TIFFReadEncodedStrip");
            for (uint32_t i = 0; i < rows; ++i) {
                const uint8_t* source = strip.data() + static_cast<size_t>(i) * static_cast<size_t>(scanlineBytes);
                const int y = static_cast<int>(row + i);
                if (factor == 3 || factor == 4) {
                    // Red, green, blue samples (and alpha, dropped).
                    const int64_t last = scanlineBytes < 3 ? 0 : std::min<int64_t>(w, (scanlineBytes - 3) / factor + 1);
                    if (format == ifTrueColor) {
                        uint8_t* out = ScanLine(y);
                        for (int64_t x = 0; x < last; ++x, out += 3) {
                            const uint8_t* s = source + x * factor;
                            out[0] = s[2];
                            out[1] = s[1];
                            out[2] = s[0];
                        }
                    } else {
                        for (int64_t x = 0; x < last; ++x) {
                            const uint8_t* s = source + x * factor;
                            SetPixel(static_cast<int>(x), y, MakeColorRef(s[2], s[1], s[0]));
                        }
                    }
                } else {
                    std::memcpy(ScanLine(y), source, copy);
                }
            }
        }
    }

    if (invert) {
        TNegativeTransform negative;
        negative.Apply(*this);
    }
}

void TTiffGraphic::SaveToStream(TStream& stream) {
    if (stream.Position() == 0) {
        WritePage(stream, 1);
        return;
    }
    TMemoryStream memory;
    WritePage(memory, 1);
    memory.SetPosition(0);
    stream.CopyFrom(memory, memory.Size());
}

void TTiffGraphic::AppendToStream(TStream& stream) {
    stream.SetPosition(0);
    WritePage(stream, 2);
}

void TTiffGraphic::WritePage(TStream& stream, uint8_t mode) {
    if (IsEmpty())
        throw ERuvezevoError(vo_DIB::SInvalidImageFormat);
    TIFF* handle = OpenTiffStream(stream, mode);
    if (!handle)
        RaiseTiffError("TIFFOpen");
    TiffCloser closer{handle};

    const TWriteCompression chosen =
        Compression < 8 ? kWriteCompression[Compression] : TWriteCompression{COMPRESSION_NONE, 16, false, false};
    const bool faxCode = Compression == tcFaxGroup3_1D || Compression == tcFaxGroup3_2D ||
                         Compression == tcFaxGroup4;
    if (Compression == tcFaxGroup3_1D || Compression == tcFaxGroup3_2D) {
        SetTiffIntField(handle, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX3);
        SetTiffIntField(handle, TIFFTAG_GROUP3OPTIONS, Compression == tcFaxGroup3_2D ? 1 : 0);
    }
    SetTiffIntField(handle, TIFFTAG_ROWSPERSTRIP, static_cast<int>(chosen.rowsPerStrip));
    SetTiffIntField(handle, TIFFTAG_COMPRESSION, chosen.tag);
    SetTiffIntField(handle, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    SetTiffField(handle, TIFFTAG_SOFTWARE, SSoftware);
    // TIFF wants exactly "YYYY:MM:DD HH:MM:SS", whatever the locale's separators.
    const TDateTime now = Now();
    SetTiffField(handle, TIFFTAG_DATETIME,
                 FormatDateWith("yyyy:mm:dd", now) + " " + FormatTimeWith("hh:nn:ss", now));
    SetTiffIntField(handle, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
    SetTiffFloatField(handle, TIFFTAG_XRESOLUTION, static_cast<float>(static_cast<uint16_t>(GetXDpi())));
    SetTiffFloatField(handle, TIFFTAG_YRESOLUTION, static_cast<float>(static_cast<uint16_t>(GetYDpi())));
    SetTiffIntField(handle, TIFFTAG_IMAGEWIDTH, GetWidth());
    SetTiffIntField(handle, TIFFTAG_IMAGELENGTH, GetHeight());

    const uint8_t format = ImageFormat();
    std::vector<uint16_t> map;
    switch (format) {
    case ifBlackWhite:
        SetTiffIntField(handle, TIFFTAG_BITSPERSAMPLE, 1);
        SetTiffIntField(handle, TIFFTAG_SAMPLESPERPIXEL, 1);
        SetTiffIntField(handle, TIFFTAG_PHOTOMETRIC, faxCode ? PHOTOMETRIC_MINISWHITE : PHOTOMETRIC_MINISBLACK);
        break;
    case ifGray16:
    case ifGray256:
        SetTiffIntField(handle, TIFFTAG_BITSPERSAMPLE, format == ifGray16 ? 4 : 8);
        SetTiffIntField(handle, TIFFTAG_SAMPLESPERPIXEL, 1);
        SetTiffIntField(handle, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
        break;
    case ifColor16:
    case ifColor256: {
        SetTiffIntField(handle, TIFFTAG_BITSPERSAMPLE, format == ifColor16 ? 4 : 8);
        SetTiffIntField(handle, TIFFTAG_SAMPLESPERPIXEL, 1);
        SetTiffIntField(handle, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_PALETTE);
        const int count = format == ifColor16 ? 16 : 256;
        map.assign(static_cast<size_t>(count) * 3, 0);
        const TPaletteRecord& record = PaletteRecord();
        const int used = std::min<int>(record.NumberOfEntries, count);
        for (int i = 0; i < used; ++i) {
            const auto value = static_cast<uint32_t>(record.Entries[i]);
            map[i] = static_cast<uint16_t>((value >> 16 & 0xFF) * 257);
            map[count + i] = static_cast<uint16_t>((value >> 8 & 0xFF) * 257);
            map[2 * count + i] = static_cast<uint16_t>((value & 0xFF) * 257);
        }
        SetTiffColormap(handle, map.data(), map.data() + count, map.data() + 2 * count);
        break;
    }
    default:
        SetTiffIntField(handle, TIFFTAG_BITSPERSAMPLE, 8);
        SetTiffIntField(handle, TIFFTAG_SAMPLESPERPIXEL, 3);
        SetTiffIntField(handle, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
        break;
    }

    // libtiff may change the row it is given, so every row goes through a copy.
    const int64_t rowBytes = RowBytes();
    std::vector<uint8_t> line(static_cast<size_t>(std::max<int64_t>(rowBytes, TIFFScanlineSize(handle))));
    for (int row = 0; row < GetHeight(); ++row) {
        std::memcpy(line.data(), ScanLine(row), static_cast<size_t>(rowBytes));
        if (format == ifBlackWhite && faxCode) {
            for (int64_t i = 0; i < rowBytes; ++i)
                line[static_cast<size_t>(i)] = static_cast<uint8_t>(~line[static_cast<size_t>(i)]);
        } else if (format == ifTrueColor) {
            SwapRedBlue(line.data(), rowBytes);
        }
        if (TIFFWriteScanline(handle, line.data(), static_cast<uint32_t>(row), 0) == -1)
            RaiseTiffError("TIFFWriteScanLine");
    }
    // Close here rather than in the closer, so a failure to flush the last
    // strip or the directory is not taken for a good file.
    closer.handle = nullptr;
    const bool flushed = TIFFFlush(handle) == 1;
    CloseTiff(handle);
    if (!flushed)
        RaiseTiffError("TIFFWriteDirectory");
}

}  // namespace lumvor
