// The in-memory picture of the image library.
//
// TDibGraphic holds one picture in one of six formats (codes below), its
// palette record and its resolution. Pixel memory is a TPixelBuffer: rows
// top-down, padded to 4 bytes, reached through ScanLine(row) with row 0 the
// top. Every codec class derives from it and overrides ReadImage/SaveToStream.
// Failures raise ERuvezevoError with a message text.
#pragma once

#include "platform/Colors.h"
#include "platform/Graphics.h"
#include "platform/PackedDib.h"
#include "platform/PixelBuffer.h"
#include "platform/SysUtils.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class QTimer;

namespace lumvor {

// The image library's exception: a message text only.
LUMVOR_EXCEPTION(ERuvezevoError, Exception);

namespace vo_DIB {
// Message texts of the in-memory picture.
inline constexpr const char* SInvalidImageFormat = "Invalid image format";
inline constexpr const char* SCreateDibSectionFailed = "CreateDibSection failed";
inline constexpr const char* SDimensionsWithNewImage = "Dimensions must be changed with NewImage";
inline constexpr const char* SNoMultipleImages = "The %s format does not support multiple images";
inline constexpr const char* SCannotAssign = "Cannot assign a %s to a %s";
inline constexpr const char* SUnsupportedBitCount = "Unsupported bit count";
inline constexpr const char* SGetDIBFailed = "GetDIB failed";
inline constexpr const char* SUnsupportedCompression = "Unsupported compression";
inline constexpr const char* SUnknownClipboardFormat = "Unknown clipboard format, %d";
inline constexpr const char* SCreateBitmapFailed = "CopyBitmap: CreateBitmap failed";
inline constexpr const char* SNoPalette = "The image does not have a palette";
inline constexpr const char* SFrameDoesNotExist = "Frame %d does not exist";
inline constexpr const char* SImportNewBitmapFailed = "ImportNewBitmap failed";
inline constexpr const char* SInvalidBitmap = "Invalid bitmap";
// Sizes refused before any memory is taken.
inline constexpr const char* SInvalidImageSize = "Invalid image size %d x %d";
inline constexpr const char* SImageTooLarge = "Image too large: %d x %d pixels";
}  // namespace vo_DIB

// Image format codes.
constexpr uint8_t ifBlackWhite = 0;  // "B/W", 1 bit, 2 entries
constexpr uint8_t ifGray16 = 1;      // "4bpp gray", 16 entries
constexpr uint8_t ifGray256 = 2;     // "8bpp gray", 256 entries
constexpr uint8_t ifColor16 = 3;     // "4bpp color", 16 entries
constexpr uint8_t ifColor256 = 4;    // "8bpp color", 256 entries
constexpr uint8_t ifTrueColor = 5;   // "24bpp color", no palette

// Palette record: version 0x300, entry count, entries as colour values
// (colour-table byte order blue, green, red, 0).
struct TPaletteRecord {
    uint16_t Version = 0x300;
    uint16_t NumberOfEntries = 0;
    std::array<TColorValue, 256> Entries{};
};

// Bits per pixel of a format code; raises "Invalid image format" for codes above 5.
int ImageFormatBits(int format);
// Name of a format code; empty for codes outside 0..5.
std::string ImageFormatName(int format);
// Bytes per row of width pixels of bits bits, padded to 4 bytes.
int64_t RowBytes(int64_t width, int bits);
// Size of a palette record of count entries as stored: count x 4 + 4.
int PaletteRecordSize(int count);
// a in bits 0-7, b in 8-15, c in 16-23.
constexpr TColorValue MakeColorRef(uint8_t a, uint8_t b, uint8_t c) {
    return TColorValue{static_cast<uint32_t>(a) | (static_cast<uint32_t>(b) << 8) |
                       (static_cast<uint32_t>(c) << 16)};
}
// The raw 32-bit integer of a colour value.
constexpr uint32_t RawColor(TColorValue colour) { return static_cast<uint32_t>(colour); }
// Exchanges bytes 0 and 2 of each whole 3-byte group of the buffer.
void SwapRedBlue(uint8_t* buffer, int64_t byteCount);
// The default palette of a format code 0..4 (built once); null for any other code.
const TPaletteRecord* DefaultPalette(int format);

// Reduces colour values to the nearest entry of a palette, remembering the
// answers in 1,020 slots (slot = colour mod 1020).
class TRgbToPaletteConverter {
public:
    explicit TRgbToPaletteConverter(const TPaletteRecord* palette);
    int16_t Lookup(TColorValue colour);
    // Forgets every remembered answer (after the palette changed).
    void ClearCache();

    const TPaletteRecord* Palette;

private:
    struct Slot {
        TColorValue Colour{};
        int16_t Index = -1;
    };
    std::array<Slot, 1020> cache_;
};

class TDibGraphic : public TGraphic, public TCanvasTarget {
public:
    TDibGraphic();
    ~TDibGraphic() override;
    TDibGraphic(const TDibGraphic&) = delete;
    TDibGraphic& operator=(const TDibGraphic&) = delete;

    std::string ClassName() const override { return "TDibGraphic"; }
    // A new empty instance of this object's own class (codecs override it).
    virtual std::unique_ptr<TDibGraphic> NewInstance() const;

    // TGraphic
    void Assign(const TPersistent* source) override;
    void AssignTo(TPersistent* dest) const override;
    void Draw(TCanvas& canvas, const TRect& rect) const override;
    bool GetEmpty() const override { return pixels_ == nullptr; }
    int GetWidth() const override { return infoHeader_.biWidth; }
    int GetHeight() const override { return infoHeader_.biHeight; }
    // Both raise "Dimensions must be changed with NewImage".
    void SetWidth(int width) override;
    void SetHeight(int height) override;
    // Reads frame(s) through ReadImage (see LoadAllFrames, ImageIndex).
    void LoadFromStream(TStream& stream) override;
    // Does nothing here; codecs write their format.
    void SaveToStream(TStream& stream) override;
    void LoadFromClipboardFormat(uint16_t format, HBITMAP data, HPALETTE palette) override;
    void SaveToClipboardFormat(uint16_t& format, HBITMAP& data, HPALETTE& palette) override;

    // Number of images in the stream; 1 here (multi-image codecs count).
    virtual int GetImageCount(TStream& stream);
    // Reads image `index` (1-based) of the stream; nothing here.
    virtual void ReadImage(TStream& stream, int index);
    // Appends the picture as one more image; here raises "The %s format does not support multiple images".
    virtual void AppendToStream(TStream& stream);
    // Builds an empty picture (pixels zeroed). palette null = the format's default;
    // dpi 0 = the screen's. Raises "Invalid image format" for codes above 5, a
    // size error for sizes below 1 or above the limits; the picture is empty after a failure.
    virtual void NewImage(int width, int height, uint8_t format, const TPaletteRecord* palette,
                          uint16_t xDpi, uint16_t yDpi);

    void FreeImage();
    bool IsEmpty() const { return pixels_ == nullptr; }

    // Row `row` counted from the top; null when empty or out of range.
    uint8_t* ScanLine(int row);
    const uint8_t* ScanLine(int row) const;

    TColorValue GetPixel(int x, int y) const;
    void SetPixel(int x, int y, TColorValue colour);
    // Both raise "The image does not have a palette" on 24-bit pictures.
    uint8_t GetPixelIndex(int x, int y) const;
    void SetPixelIndex(int x, int y, uint8_t index);

    int GetXDpi() const;
    int GetYDpi() const;
    void SetXDpi(uint16_t dpi);
    void SetYDpi(uint16_t dpi);

    // A palette object made from the palette record as stored (its red field
    // holds the blue byte); none for 24-bit pictures. Cached until FreeImage.
    HPALETTE DIBPalette();
    // Copies a palette object into the palette record, red and blue exchanged.
    void ImportPalette(const HPALETTE& palette);
    // Builds the picture from a class-library bitmap, colours mapped to the default palette.
    void ImportNewBitmap(TBitmap& bitmap);
    // Builds the picture from a bitmap object (its pixels copied).
    void ImportBitmapHandle(const HBITMAP& handle);
    // The picture as a packed DIB; none when empty.
    TPackedDib ExportDIB() const;

    int FrameCount() const { return static_cast<int>(Frames.size()); }
    void SetCurrentFrame(int frame);
    int CurrentFrame() const { return currentFrame_; }
    void SetAnimate(bool animate);
    bool Animate() const { return animate_; }
    void SetLoadAllFrames(bool flag) { LoadAllFrames = flag; }
    // The timer's tick: shows the next frame (frame 1 after the last).
    void FrameStep();

    uint8_t ImageFormat() const { return imageFormat_; }
    const BITMAPINFOHEADER& InfoHeader() const { return infoHeader_; }
    const TPaletteRecord& PaletteRecord() const { return paletteRecord_; }
    int RowBytes() const { return pixels_ ? static_cast<int>(pixels_->RowBytes()) : 0; }
    TCanvas& Canvas() { return canvas_; }
    TRgbToPaletteConverter* Converter() { return converter_.get(); }
    // The pixel memory (null when empty).
    TPixelBuffer* Pixels() { return pixels_.get(); }
    const TPixelBuffer* Pixels() const { return pixels_.get(); }
    // A QImage of the picture for display (shares memory except for 4-bit pictures).
    QImage ToQImage() const;

    // TCanvasTarget
    TPixelBuffer* CanvasPixels() override { return pixels_.get(); }
    int CanvasColorIndex(uint32_t colour) override;
    void CanvasChanged() override {}

    int ImageIndex = 1;            // 1-based image of a multi-image stream to read
    bool LoadAllFrames = false;
    std::vector<std::unique_ptr<TDibGraphic>> Frames;
    int FrameInterval = 200;       // milliseconds between frames

    // Pixel access routines of one format: value of pixel x of a row / store it.
    using TPixelGetter = uint32_t (*)(const uint8_t* row, int x);
    using TPixelSetter = void (*)(uint8_t* row, int x, uint32_t value);

private:
    void SyncResolution();

    BITMAPINFOHEADER infoHeader_;
    TPixelGetter pixelGetter_ = nullptr;
    TPixelSetter pixelSetter_ = nullptr;
    uint8_t imageFormat_ = 0;
    TPaletteRecord paletteRecord_;
    std::unique_ptr<TPixelBuffer> pixels_;
    std::unique_ptr<TRgbToPaletteConverter> converter_;
    HPALETTE paletteHandle_;
    TCanvas canvas_;
    std::unique_ptr<QTimer> frameTimer_;
    bool animate_ = false;
    int currentFrame_ = -1;
};

}  // namespace lumvor
