// The class library's graphics: TGraphic, TBitmap and TCanvas.
//
// TBitmap keeps its pixels in a TPixelBuffer (rows top-down, padded to 4 bytes;
// see PixelBuffer.h), the same layout as the in-memory picture, and is always a
// DIB (HandleType bmDIB). Pixel loops go through ScanLine.
//
// TCanvas paints with QPainter. On 15-, 16-, 24- and 32-bit pixels it paints on
// the buffer itself; on 1-, 4- and 8-bit pixels (which QPainter refuses) each
// operation paints its bounding rectangle on a 32-bit scratch copy and maps the
// pixels it changed back to the nearest colour-table entry of the target.
// Drawing is aliased (no smoothing of lines or text), like GDI.
#pragma once

#include "platform/Colors.h"
#include "platform/PixelBuffer.h"
#include "platform/Streams.h"
#include "platform/SysUtils.h"

#include <QImage>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class QPainter;

namespace lumvor {

struct TPoint {
    int X = 0;
    int Y = 0;
};

struct TSize {
    int cx = 0;
    int cy = 0;
};

struct TRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
};

constexpr TRect Rect(int left, int top, int right, int bottom) { return {left, top, right, bottom}; }
constexpr TPoint Point(int x, int y) { return {x, y}; }

// Base of the assignable class-library objects.
class TPersistent {
public:
    virtual ~TPersistent() = default;
    virtual std::string ClassName() const { return "TPersistent"; }
    // Copies source into this object; the default asks source->AssignTo(this),
    // and a null source raises the assignment error.
    virtual void Assign(const TPersistent* source);
    // Copies this object into dest; the default raises the assignment error.
    virtual void AssignTo(TPersistent* dest) const;

protected:
    // Raises EConvertError "Cannot assign a <source class> to a <this class>".
    [[noreturn]] void AssignError(const TPersistent* source) const;
};

class TCanvas;

// Clipboard format numbers.
constexpr uint16_t CF_BITMAP = 2;
constexpr uint16_t CF_PALETTE = 9;
constexpr uint16_t CF_DIB = 8;

// Base of every picture class.
class TGraphic : public TPersistent {
public:
    std::string ClassName() const override { return "TGraphic"; }

    virtual bool GetEmpty() const = 0;
    virtual int GetWidth() const = 0;
    virtual int GetHeight() const = 0;
    virtual void SetWidth(int width) = 0;
    virtual void SetHeight(int height) = 0;
    bool Empty() const { return GetEmpty(); }
    int Width() const { return GetWidth(); }
    int Height() const { return GetHeight(); }

    // Draws the whole picture stretched into rect of canvas.
    virtual void Draw(TCanvas& canvas, const TRect& rect) const = 0;

    virtual void LoadFromStream(TStream& stream) = 0;
    virtual void SaveToStream(TStream& stream) = 0;
    virtual void LoadFromFile(const std::string& fileName);
    virtual void SaveToFile(const std::string& fileName);
    virtual void LoadFromClipboardFormat(uint16_t format, HBITMAP data, HPALETTE palette);
    virtual void SaveToClipboardFormat(uint16_t& format, HBITMAP& data, HPALETTE& palette);

    virtual HPALETTE GetPalette() const { return nullptr; }
    virtual void SetPalette(HPALETTE) {}

    // Sets Modified and raises OnChange.
    virtual void Changed();
    std::function<void(TGraphic* sender)> OnChange;
    bool Modified = false;
};

enum TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
enum TBrushStyle { bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross };
enum TFontStyle : uint8_t { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
// Stretching of Draw/StretchDraw/CopyRect: COLORONCOLOR keeps pixels, HALFTONE smooths.
enum TStretchMode { smColorOnColor, smHalftone };

struct TPen {
    TColor Color = clBlack;
    int Width = 1;
    TPenStyle Style = psSolid;
};

struct TBrush {
    TColor Color = clWhite;
    TBrushStyle Style = bsSolid;
};

struct TFont {
    std::string Name = "MS Sans Serif";
    int Size = 8;          // points at 96 pixels per inch
    TColor Color = clBlack;
    uint8_t Style = 0;     // TFontStyle bits
    // Height in pixels (negative: character height without internal leading).
    int Height() const;
    void SetHeight(int height);
};

// What a canvas paints on: pixel memory and, for indexed pixels, the mapping
// of a colour value to the nearest colour-table entry.
class TCanvasTarget {
public:
    virtual ~TCanvasTarget() = default;
    // The pixels to paint on, or null while there are none.
    virtual TPixelBuffer* CanvasPixels() = 0;
    // Palette index for a colour value (indexed pixels only).
    virtual int CanvasColorIndex(uint32_t colour) = 0;
    // Called after every painting operation.
    virtual void CanvasChanged() {}
};

class TCanvas {
public:
    explicit TCanvas(TCanvasTarget* target) : target_(target) {}
    TCanvas(const TCanvas&) = delete;
    TCanvas& operator=(const TCanvas&) = delete;

    TPen Pen;
    TBrush Brush;
    TFont Font;
    TPoint PenPos;
    TStretchMode StretchMode = smColorOnColor;

    void FillRect(const TRect& rect);
    void FrameRect(const TRect& rect);
    // Outline with the pen, inside with the brush; right and bottom excluded.
    void Rectangle(int x1, int y1, int x2, int y2);
    void Rectangle(const TRect& r) { Rectangle(r.Left, r.Top, r.Right, r.Bottom); }
    void Ellipse(int x1, int y1, int x2, int y2);
    void MoveTo(int x, int y) { PenPos = {x, y}; }
    // Line from PenPos to (x, y), the end point excluded; PenPos becomes (x, y).
    void LineTo(int x, int y);
    // Text with its top-left corner at (x, y), on the brush colour unless bsClear.
    void TextOut(int x, int y, const std::string& text);
    void TextRect(const TRect& rect, int x, int y, const std::string& text);
    int TextWidth(const std::string& text) const;
    // The text as it fits into width pixels: whole, or cut at the end with "…".
    std::string ElideText(const std::string& text, int width) const;
    int TextHeight(const std::string& text) const;
    TSize TextExtent(const std::string& text) const;
    void Draw(int x, int y, const TGraphic& graphic);
    void StretchDraw(const TRect& rect, const TGraphic& graphic);
    // Copies source's rectangle into dest of this canvas (stretched by StretchMode).
    void CopyRect(const TRect& dest, TCanvas& source, const TRect& sourceRect);
    // Draws part of an image stretched into dest (the building block of Draw).
    void DrawImage(const TRect& dest, const QImage& image, const TRect& sourceRect, bool smooth);

    TColor GetPixel(int x, int y) const;  // -1 outside the picture
    void SetPixel(int x, int y, TColor colour);

    // Kept for callers that lock around pixel loops; nothing to do here.
    void Lock() {}
    void Unlock() {}

    TPixelBuffer* Pixels() const { return target_ ? target_->CanvasPixels() : nullptr; }

private:
    template <typename Paint>
    void PaintArea(int left, int top, int right, int bottom, Paint&& paint);
    void Prepare(QPainter& painter, bool withPen, bool withBrush) const;

    TCanvasTarget* target_;
};

enum TPixelFormat { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit, pfCustom };
enum TBitmapHandleType { bmDIB, bmDDB };

// The class library's bitmap over a TPixelBuffer.
//
// A new bitmap is empty with pixel format pf24bit (the screen's depth).
// Indexed formats start with a default colour table: black and white (1 bit),
// the 16 standard colours (4 bits), a 6x6x6 colour cube followed by 40 greys
// (8 bits). Changing the pixel format or size keeps the picture (converted
// colours; the top-left part on resizing; new areas white).
// SaveToStream writes a BMP file image; LoadFromStream reads one.
class TBitmap : public TGraphic, public TCanvasTarget {
public:
    TBitmap();
    ~TBitmap() override;
    TBitmap(const TBitmap&) = delete;
    TBitmap& operator=(const TBitmap&) = delete;

    std::string ClassName() const override { return "TBitmap"; }

    bool GetEmpty() const override;
    int GetWidth() const override;
    int GetHeight() const override;
    void SetWidth(int width) override;
    void SetHeight(int height) override;
    // Raises EInvalidGraphic when the size is beyond the picture limits.
    void SetSize(int width, int height);

    TPixelFormat PixelFormat() const { return pixelFormat_; }
    void SetPixelFormat(TPixelFormat format);
    TBitmapHandleType HandleType() const { return bmDIB; }
    void SetHandleType(TBitmapHandleType) {}

    // Row `row` from the top; raises EInvalidGraphic "Scan line index out of range".
    uint8_t* ScanLine(int row);
    const uint8_t* ScanLine(int row) const;
    int64_t RowBytes() const;

    // A palette object of the colour table (indexed formats), else none.
    HPALETTE GetPalette() const override;
    // Replaces the colour table of an indexed bitmap by the palette's entries.
    void SetPalette(HPALETTE palette) override;
    HPALETTE ReleasePalette() { return GetPalette(); }

    TCanvas& Canvas() { return canvas_; }

    // The pixel memory as a GDI bitmap object (shared, not copied), or none.
    HBITMAP Handle() const { return pixels_; }
    // Takes the pixel memory of the given bitmap object (shared).
    void SetHandle(HBITMAP handle);
    // Gives up the pixel memory; the bitmap is empty afterwards.
    HBITMAP ReleaseHandle();

    void Assign(const TPersistent* source) override;
    void AssignTo(TPersistent* dest) const override;
    void Draw(TCanvas& canvas, const TRect& rect) const override;
    void LoadFromStream(TStream& stream) override;
    void SaveToStream(TStream& stream) override;
    void LoadFromClipboardFormat(uint16_t format, HBITMAP data, HPALETTE palette) override;
    void SaveToClipboardFormat(uint16_t& format, HBITMAP& data, HPALETTE& palette) override;

    // Kept for callers that release a cached file image; the pixels stay.
    void FreeImage() {}
    void Dormant() {}

    // The pixels as a QImage for display (shares memory where Qt has the format).
    QImage ToQImage() const;

    // TCanvasTarget
    TPixelBuffer* CanvasPixels() override { return pixels_.get(); }
    int CanvasColorIndex(uint32_t colour) override;
    void CanvasChanged() override { Changed(); }

private:
    void Rebuild(int width, int height, TPixelFormat format);

    TPixelFormat pixelFormat_ = pf24bit;
    std::shared_ptr<TPixelBuffer> pixels_;
    std::vector<uint32_t> pendingTable_;  // a palette set while empty
    TCanvas canvas_;
};

// Depth code of a pixel format (pfDevice counts as 24 bits); 0 for pfCustom.
int PixelFormatDepth(TPixelFormat format);
TPixelFormat DepthPixelFormat(int depth);
// The default colour table of a new indexed bitmap of `bits` bits.
std::vector<uint32_t> DefaultBitmapColorTable(int bits);
// Copies pixels into a buffer of another depth (colours mapped to the nearest
// entry of `table` for indexed targets).
TPixelBuffer ConvertPixels(const TPixelBuffer& source, int depth,
                           const std::vector<uint32_t>& table);

}  // namespace lumvor

// ---- Icons

namespace lumvor {

// GetSystemMetrics indexes of the standard icon size; the size is 32 x 32.
constexpr int SM_CXICON = 11;
constexpr int SM_CYICON = 12;
int GetSystemMetrics(int index);

// An icon object: the picture with its transparency as alpha (0 or 255).
struct TIconObject {
    QImage Image;  // Format_ARGB32
};
using HICON = std::shared_ptr<TIconObject>;

// Description of an icon built from a colour and a mask bitmap of the same size.
struct ICONINFO {
    bool fIcon = true;
    int xHotspot = 0;
    int yHotspot = 0;
    HBITMAP hbmMask;   // black (0) = opaque, white = transparent
    HBITMAP hbmColor;
};
// Raises EInvalidGraphic when either bitmap is missing or their sizes differ.
HICON CreateIconIndirect(const ICONINFO& info);

// The class library's icon. LoadFromStream reads an icon file (BMP or PNG
// images) and keeps the image nearest the system icon size (ties: the most
// colours, then the first); SaveToStream writes one image of 24-bit colour
// with its transparency mask. A stream that is not an icon raises
// EInvalidGraphic "Invalid icon".
class TIcon : public TGraphic {
public:
    std::string ClassName() const override { return "TIcon"; }
    bool GetEmpty() const override { return !handle_; }
    int GetWidth() const override { return handle_ ? handle_->Image.width() : 0; }
    int GetHeight() const override { return handle_ ? handle_->Image.height() : 0; }
    // Icons are sized by their image; both raise EInvalidGraphic.
    void SetWidth(int width) override;
    void SetHeight(int height) override;
    // Draws the icon blended over the canvas: transparent pixels leave it as it is.
    void Draw(TCanvas& canvas, const TRect& rect) const override;
    void LoadFromStream(TStream& stream) override;
    void SaveToStream(TStream& stream) override;

    HICON Handle() const { return handle_; }
    void SetHandle(HICON icon) { handle_ = std::move(icon); }

private:
    HICON handle_;
};

}  // namespace lumvor
