#include "imgman/ImgFormats.h"

#include "imaging/vo_DIB.h"
#include "imaging/vo_GraphicX.h"
#include "imaging/vo_PCX.h"
#include "imaging/vo_PNG.h"
#include "imaging/vo_TGA.h"
#include "imgman/ImgTiff.h"
#include "imgman/imgman.h"
#include "platform/Graphics.h"
#include "platform/Jpeg.h"
#include "platform/PackedDib.h"
#include "platform/Streams.h"

#include <algorithm>
#include <cstring>

namespace lumvor::imgman {

void TImgImage::LoadPage(int page) {
    if (page != 0)
        throw EImgError(Format(SPageOutOfRange, page + 1));
    Page = 0;
}

TPixelBuffer BlackWhiteOrGrey(int width, int height, int depth) {
    TPixelBuffer pixels(width, height, depth);
    if (depth == 1) {
        pixels.ColorTable = {0x000000, 0xFFFFFF};
    } else if (depth == 8) {
        for (uint32_t i = 0; i < 256; ++i)
            pixels.ColorTable[i] = i | i << 8 | i << 16;
    }
    return pixels;
}

TPixelBuffer NormalizeDepth(TPixelBuffer pixels) {
    switch (pixels.Depth()) {
    case 1:
    case 4:
    case 8:
    case 24:
        return pixels;
    default:
        return ConvertPixels(pixels, 24, {});
    }
}

namespace {

TMemoryStream StreamOf(const uint8_t* data, size_t size) {
    TMemoryStream stream;
    if (size > 0)
        stream.WriteBuffer(data, static_cast<int64_t>(size));
    stream.SetPosition(0);
    return stream;
}

uint32_t ReadLe32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

// The pixels of a codec picture, or the codec's own error when it read nothing.
TPixelBuffer PixelsOf(const TDibGraphic& graphic) {
    if (!graphic.Pixels())
        throw EImgError(SUnknownFormat);
    return NormalizeDepth(*graphic.Pixels());
}

TPixelBuffer PixelsOf(const TBitmap& bitmap) {
    HBITMAP handle = bitmap.Handle();
    if (!handle || handle->Empty())
        throw EImgError(SUnknownFormat);
    return NormalizeDepth(*handle);
}

// Reads the stream with a reader of class T (a codec picture or a bitmap reader).
template <typename T>
TPixelBuffer Decode(TStream& stream) {
    T reader;
    reader.LoadFromStream(stream);
    return PixelsOf(reader);
}

TPixelBuffer ReadPcx(const uint8_t* data, size_t size) {
    TMemoryStream stream = StreamOf(data, size);
    return Decode<TPcxGraphic>(stream);
}

// DCX: a signature, a table of up to 1023 page offsets ended by 0, then one
// PCX file per page.
class TDcxImage : public TImgImage {
public:
    static constexpr uint32_t Signature = 0x3ADE68B1;
    static constexpr int MaxPages = 1023;

    explicit TDcxImage(std::vector<uint8_t> data) : data_(std::move(data)) {
        const size_t size = data_.size();
        size_t pos = 4;
        while (true) {
            if (pos + 4 > size)
                throw EImgError(SInvalidDcx);
            const uint32_t offset = ReadLe32(&data_[pos]);
            pos += 4;
            if (offset == 0)
                break;
            if (offsets_.size() == MaxPages)
                throw EImgError(SInvalidDcx);
            offsets_.push_back(offset);
        }
        if (offsets_.empty())
            throw EImgError(SInvalidDcx);
        for (uint32_t offset : offsets_)
            if (offset < pos || offset >= size)
                throw EImgError(SInvalidDcx);
        PageCount = static_cast<int>(offsets_.size());
    }

    void LoadPage(int page) override {
        if (page < 0 || page >= PageCount)
            throw EImgError(Format(SPageOutOfRange, page + 1));
        const uint32_t start = offsets_[size_t(page)];
        // A page ends where the next page in the file begins (pages may be stored
        // in any order), or at the end of the file.
        size_t end = data_.size();
        for (uint32_t offset : offsets_)
            if (offset > start && offset < end)
                end = offset;
        Pixels = ReadPcx(data_.data() + start, end - start);
        Page = page;
    }

private:
    std::vector<uint8_t> data_;
    std::vector<uint32_t> offsets_;
};

enum class TKind { Unknown, Tiff, Bmp, Png, Gif, Psd, Jpeg, Dcx, Pcx, Tga, FlashPix };

bool Starts(const std::vector<uint8_t>& d, const char* sig, size_t n) {
    return d.size() >= n && std::memcmp(d.data(), sig, n) == 0;
}

TKind KindOf(const std::vector<uint8_t>& d, std::string hint) {
    std::transform(hint.begin(), hint.end(), hint.begin(), [](unsigned char c) { return std::toupper(c); });
    if (Starts(d, "II*\0", 4) || Starts(d, "MM\0*", 4))
        return TKind::Tiff;
    if (Starts(d, "BM", 2))
        return TKind::Bmp;
    if (Starts(d, "\x89PNG\r\n\x1a\n", 8))
        return TKind::Png;
    if (Starts(d, "GIF8", 4))
        return TKind::Gif;
    if (Starts(d, "8BPS", 4))
        return TKind::Psd;
    if (Starts(d, "\xFF\xD8", 2))
        return TKind::Jpeg;
    if (d.size() >= 4 && ReadLe32(d.data()) == TDcxImage::Signature)
        return TKind::Dcx;
    // FlashPix files are structured storage; refuse them by name as well.
    if (Starts(d, "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) || hint.ends_with("FPX"))
        return TKind::FlashPix;
    if (d.size() >= 128 && d[0] == 0x0A && d[1] <= 5 && d[2] <= 1)
        return TKind::Pcx;
    if (hint.ends_with("TGA"))
        return TKind::Tga;
    return TKind::Unknown;
}

// A picture decoded once.
class TSingleImage : public TImgImage {
public:
    explicit TSingleImage(TPixelBuffer pixels) { Pixels = std::move(pixels); }
};

}  // namespace

std::unique_ptr<TImgImage> ReadImage(std::vector<uint8_t> data, const std::string& typeHint) {
    const TKind kind = KindOf(data, typeHint);
    std::unique_ptr<TImgImage> image;
    switch (kind) {
    case TKind::Tiff:
        image = OpenTiffImage(std::move(data));
        break;
    case TKind::Dcx:
        image = std::make_unique<TDcxImage>(std::move(data));
        break;
    case TKind::FlashPix:
        throw EImgError(SFlashPixNotSupported);
    case TKind::Unknown:
        throw EImgError(SUnknownFormat);
    default: {
        TMemoryStream stream = StreamOf(data.data(), data.size());
        data = {};
        TPixelBuffer pixels;
        switch (kind) {
        case TKind::Bmp: pixels = NormalizeDepth(ReadBmpFile(stream)); break;
        case TKind::Pcx: pixels = Decode<TPcxGraphic>(stream); break;
        case TKind::Tga: pixels = Decode<TTgaGraphic>(stream); break;
        case TKind::Png: pixels = Decode<TPngGraphic>(stream); break;
        case TKind::Gif: pixels = Decode<TGIFGraphic>(stream); break;
        case TKind::Psd: pixels = Decode<TPSDGraphic>(stream); break;
        default: {
            TJPEGImage jpeg;
            jpeg.LoadFromStream(stream);
            TBitmap bitmap;
            jpeg.DecodeInto(bitmap);
            pixels = PixelsOf(bitmap);
        }
        }
        return std::make_unique<TSingleImage>(std::move(pixels));
    }
    }
    image->LoadPage(0);
    return image;
}

}  // namespace lumvor::imgman
