// GIF and Photoshop readers over the class library's bitmap.
//
// Callers pick the class by extension (".GIF", ".PSD"), set HeaderOnly for a
// quick look at the size, and call LoadFromFile/LoadFromStream; after a header
// read, Info holds width, height and bits per pixel. Both classes only read.
// A stream that is not of the format raises EInvalidGraphic "Invalid image
// format"; a stream that ends early raises the stream read error.
#pragma once

#include "imaging/vo_PixMgr.h"
#include "platform/Graphics.h"
#include "platform/Streams.h"

#include <cstdint>
#include <memory>
#include <string>

namespace lumvor {

// What GetInfo found in a file's header.
struct TImageInfo {
    int32_t Width = 0;
    int32_t Height = 0;
    uint8_t ColorSpace = 0;       // colour-space code of the pixel converter
    uint8_t BitsPerSample = 0;
    uint8_t SamplesPerPixel = 0;  // at most 4
    uint8_t BitsPerPixel = 0;     // SamplesPerPixel x BitsPerSample
    uint8_t Compression = 0;      // 1 none, 3 PackBits run-length, 4 LZW
    uint8_t ChannelCount = 0;     // Photoshop: channels in the file
};

// Compression codes of TImageInfo.
enum : uint8_t { ctNone = 1, ctPackBits = 3, ctLZW = 4 };

class TGraphicX : public TBitmap {
public:
    TGraphicX();
    ~TGraphicX() override;

    std::string ClassName() const override { return "TGraphicX"; }
    // Copies Info when source is a reader too, then the bitmap.
    void Assign(const TPersistent* source) override;

    // Opens the file for reading and asks IsValidStream; false when it cannot be opened.
    virtual bool IsValidFile(const std::string& fileName);
    // True when the stream at its position starts a picture of this format;
    // the position is kept. False here.
    virtual bool IsValidStream(TStream& stream);
    // Reads the header into Info; true when the format was recognised. Here it
    // only clears Info.
    virtual bool GetInfo(TStream& stream);

    std::unique_ptr<TPixelConverter> PixelConverter;
    TImageInfo Info;
    int64_t StartPosition = 0;  // where the last load began
    TStream* Stream = nullptr;  // the stream of the last load (not owned)
};

// GIF 87a and 89a: the first image of the file as an 8-bit bitmap with the
// image's colour table (local, else global). Transparency, frame delays and
// later frames are not read.
class TGIFGraphic : public TGraphicX {
public:
    std::string ClassName() const override { return "TGIFGraphic"; }
    void LoadFromStream(TStream& stream) override;
    bool IsValidStream(TStream& stream) override;
    bool GetInfo(TStream& stream) override;

    // Set to stop after the image descriptor: the bitmap is then sized and has
    // its palette, but no pixels are decoded.
    bool HeaderOnly = false;
};

// Photoshop: the merged picture of greyscale, duotone and indexed files as an
// 8-bit bitmap (first channel), RGB, multichannel, CMYK and L*a*b* files as a
// 24-bit bitmap, RGB with a fourth channel as a 32-bit bitmap with alpha.
class TPSDGraphic : public TGraphicX {
public:
    std::string ClassName() const override { return "TPSDGraphic"; }
    void LoadFromStream(TStream& stream) override;
    bool IsValidStream(TStream& stream) override;
    bool GetInfo(TStream& stream) override;

    // Set to stop after the header: Info is filled and the bitmap left empty.
    bool HeaderOnly = false;
};

// A reader for a quick look at the size: a GIF reader for ".GIF", a Photoshop
// reader otherwise, with HeaderOnly set.
std::unique_ptr<TGraphicX> NewHeaderReader(bool gif);

}  // namespace lumvor
