#include "imgman/ImgTiff.h"

#include "imaging/vo_TIF.h"
#include "imgman/imgman.h"
#include "platform/Streams.h"

#include <tiffio.h>

#include <string>

namespace lumvor::imgman {

namespace {

struct TiffHandle {
    TIFF* Handle = nullptr;
    ~TiffHandle() { CloseTiff(Handle); }
};

// The reason libtiff gave on this handle, else the failing call.
[[noreturn]] void RaiseTiff(TIFF* handle, const char* call) {
    std::string text = TiffErrorText(handle);
    throw EImgError(text.empty() ? std::string(call) + " failed." : text);
}

// Reads a page through libtiff's RGBA reader. Bilevel pages come back as 1 bit
// (black and white table), single-sample grey pages as 8-bit grey, all others
// as 24 bits; alpha is dropped.
TPixelBuffer ReadRgbaPage(TMemoryStream& stream, int page) {
    stream.SetPosition(0);
    TiffHandle tiff{OpenTiffStream(stream, 0)};
    if (!tiff.Handle)
        throw EImgError("TIFFClientOpen failed.");
    TIFF* handle = tiff.Handle;
    if (!TIFFSetDirectory(handle, static_cast<tdir_t>(page)))
        RaiseTiff(handle, "TIFFSetDirectory");
    uint32_t width = 0, height = 0;
    if (!TIFFGetField(handle, TIFFTAG_IMAGEWIDTH, &width) || !TIFFGetField(handle, TIFFTAG_IMAGELENGTH, &height))
        RaiseTiff(handle, "TIFFGetField");
    if (!PictureSizeAllowed(width, height))
        throw EImgError(Format("Invalid image size %d x %d", int64_t(width), int64_t(height)));
    char message[1024] = {};
    if (!TIFFRGBAImageOK(handle, message))
        throw EImgError(message);
    uint16_t bits = 1, samples = 1, photometric = PHOTOMETRIC_MINISWHITE;
    TIFFGetFieldDefaulted(handle, TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetFieldDefaulted(handle, TIFFTAG_SAMPLESPERPIXEL, &samples);
    TIFFGetField(handle, TIFFTAG_PHOTOMETRIC, &photometric);
    const bool grey = samples == 1 && (photometric == PHOTOMETRIC_MINISBLACK || photometric == PHOTOMETRIC_MINISWHITE);

    std::vector<uint32_t> raster(size_t(width) * size_t(height));
    if (!TIFFReadRGBAImageOriented(handle, width, height, raster.data(), ORIENTATION_TOPLEFT, 1))
        RaiseTiff(handle, "TIFFReadRGBAImageOriented");
    if (!TiffErrorText(handle).empty())
        RaiseTiff(handle, "TIFFReadRGBAImageOriented");

    const int w = static_cast<int>(width), h = static_cast<int>(height);
    const int depth = grey && bits == 1 ? 1 : grey ? 8 : 24;
    TPixelBuffer pixels = BlackWhiteOrGrey(w, h, depth);
    for (int y = 0; y < h; ++y) {
        const uint32_t* in = raster.data() + size_t(y) * size_t(w);
        uint8_t* out = pixels.ScanLine(y);
        for (int x = 0; x < w; ++x) {
            const uint32_t p = in[x];
            if (depth == 24) {
                out[3 * x] = static_cast<uint8_t>(TIFFGetB(p));
                out[3 * x + 1] = static_cast<uint8_t>(TIFFGetG(p));
                out[3 * x + 2] = static_cast<uint8_t>(TIFFGetR(p));
            } else if (depth == 8) {
                out[x] = static_cast<uint8_t>(TIFFGetR(p));
            } else if (TIFFGetR(p) >= 128) {
                out[x >> 3] |= static_cast<uint8_t>(0x80 >> (x & 7));
            }
        }
    }
    uint16_t unit = RESUNIT_INCH;
    float xres = 0, yres = 0;
    TIFFGetFieldDefaulted(handle, TIFFTAG_RESOLUTIONUNIT, &unit);
    if (TIFFGetField(handle, TIFFTAG_XRESOLUTION, &xres) && TIFFGetField(handle, TIFFTAG_YRESOLUTION, &yres) &&
        xres > 0 && yres > 0 && xres < 1e6 && yres < 1e6 && unit != RESUNIT_NONE) {
        const double perMetre = unit == RESUNIT_CENTIMETER ? 100.0 : 1 / 0.0254;
        pixels.XPelsPerMeter = static_cast<int32_t>(xres * perMetre + 0.5);
        pixels.YPelsPerMeter = static_cast<int32_t>(yres * perMetre + 0.5);
    }
    return pixels;
}

class TTiffImage : public TImgImage {
public:
    explicit TTiffImage(std::vector<uint8_t> data) {
        if (!data.empty())
            stream_.WriteBuffer(data.data(), static_cast<int64_t>(data.size()));
        data = {};
        stream_.SetPosition(0);
        TiffHandle tiff{OpenTiffStream(stream_, 0)};
        if (!tiff.Handle)
            throw EImgError("TIFFClientOpen failed.");
        PageCount = CountTiffPages(tiff.Handle);
        if (PageCount < 1)
            RaiseTiff(tiff.Handle, "TIFFReadDirectory");
    }

    void LoadPage(int page) override {
        if (page < 0 || page >= PageCount)
            throw EImgError(Format(SPageOutOfRange, page + 1));
        TPixelBuffer pixels;
        try {
            TTiffGraphic codec;
            stream_.SetPosition(0);
            codec.ReadImage(stream_, page + 1);
            if (!codec.Pixels())
                throw EImgError("TIFF page not read.");
            pixels = NormalizeDepth(*codec.Pixels());
        } catch (const std::exception&) {
            // LZW, JPEG and whatever else the codec refuses: libtiff's own
            // reader decodes every page it supports into colours.
            pixels = ReadRgbaPage(stream_, page);
        }
        Pixels = std::move(pixels);
        Page = page;
    }

private:
    TMemoryStream stream_;
};

}  // namespace

std::unique_ptr<TImgImage> OpenTiffImage(std::vector<uint8_t> data) {
    return std::make_unique<TTiffImage>(std::move(data));
}

}  // namespace lumvor::imgman
