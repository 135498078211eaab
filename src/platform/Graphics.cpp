#include "platform/Graphics.h"

#include "platform/PackedDib.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QPen>

#include <algorithm>
#include <cstring>
#include <unordered_map>

namespace lumvor {

// ---------------------------------------------------------------------------
// TPersistent and TGraphic

void TPersistent::Assign(const TPersistent* source) {
    if (!source)
        AssignError(nullptr);
    source->AssignTo(this);
}

void TPersistent::AssignTo(TPersistent* dest) const {
    if (!dest)
        throw EConvertError("Cannot assign a " + ClassName() + " to a nil");
    dest->AssignError(this);
}

void TPersistent::AssignError(const TPersistent* source) const {
    throw EConvertError("Cannot assign a " + (source ? source->ClassName() : std::string("nil")) +
                        " to a " + ClassName());
}

void TGraphic::LoadFromFile(const std::string& fileName) {
    TFileStream stream(fileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(stream);
}

void TGraphic::SaveToFile(const std::string& fileName) {
    TFileStream stream(fileName, fmCreate);
    SaveToStream(stream);
}

void TGraphic::LoadFromClipboardFormat(uint16_t format, HBITMAP, HPALETTE) {
    throw EInvalidGraphic("Unknown clipboard format, " + std::to_string(format));
}

void TGraphic::SaveToClipboardFormat(uint16_t&, HBITMAP&, HPALETTE&) {
    throw EInvalidGraphic("Cannot copy a " + ClassName() + " to the clipboard");
}

void TGraphic::Changed() {
    Modified = true;
    if (OnChange)
        OnChange(this);
}

// ---------------------------------------------------------------------------
// TFont

namespace {
constexpr int ScreenPixelsPerInch = 96;
}

int TFont::Height() const { return -((Size * ScreenPixelsPerInch + 36) / 72); }

void TFont::SetHeight(int height) {
    const int pixels = height < 0 ? -height : height;
    Size = (pixels * 72 + ScreenPixelsPerInch / 2) / ScreenPixelsPerInch;
}

// ---------------------------------------------------------------------------
// TCanvas

namespace {

QColor ToQColor(TColor colour) {
    colour = ColorToRGB(colour);
    return QColor(GetRValue(colour), GetGValue(colour), GetBValue(colour));
}

// A TColor as a raw colour value (blue in the low byte) and back.
uint32_t RawColorValue(TColor colour) { return static_cast<uint32_t>(ToColorValue(ColorToRGB(colour))); }
TColor FromRawColorValue(uint32_t value) { return ToTColor(TColorValue{value & 0xFFFFFF}); }

QFont ToQFont(const TFont& font) {
    QFont f(QString::fromStdString(font.Name));
    f.setPixelSize(std::max(1, -font.Height()));
    f.setBold(font.Style & fsBold);
    f.setItalic(font.Style & fsItalic);
    f.setUnderline(font.Style & fsUnderline);
    f.setStrikeOut(font.Style & fsStrikeOut);
    f.setStyleStrategy(QFont::NoAntialias);
    return f;
}

Qt::PenStyle ToQtPenStyle(TPenStyle style) {
    switch (style) {
    case psDash: return Qt::DashLine;
    case psDot: return Qt::DotLine;
    case psDashDot: return Qt::DashDotLine;
    case psDashDotDot: return Qt::DashDotDotLine;
    case psClear: return Qt::NoPen;
    default: return Qt::SolidLine;
    }
}

Qt::BrushStyle ToQtBrushStyle(TBrushStyle style) {
    switch (style) {
    case bsClear: return Qt::NoBrush;
    case bsHorizontal: return Qt::HorPattern;
    case bsVertical: return Qt::VerPattern;
    case bsFDiagonal: return Qt::FDiagPattern;
    case bsBDiagonal: return Qt::BDiagPattern;
    case bsCross: return Qt::CrossPattern;
    case bsDiagCross: return Qt::DiagCrossPattern;
    default: return Qt::SolidPattern;
    }
}

}  // namespace

void TCanvas::Prepare(QPainter& painter, bool withPen, bool withBrush) const {
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setRenderHint(QPainter::TextAntialiasing, false);
    if (withPen && Pen.Style != psClear) {
        QPen pen(ToQColor(Pen.Color));
        pen.setWidth(std::max(1, Pen.Width));
        pen.setStyle(ToQtPenStyle(Pen.Style));
        pen.setCapStyle(Qt::FlatCap);
        pen.setJoinStyle(Qt::MiterJoin);
        painter.setPen(pen);
    } else {
        painter.setPen(Qt::NoPen);
    }
    if (withBrush && Brush.Style != bsClear)
        painter.setBrush(QBrush(ToQColor(Brush.Color), ToQtBrushStyle(Brush.Style)));
    else
        painter.setBrush(Qt::NoBrush);
    painter.setFont(ToQFont(Font));
}

// Runs paint(QPainter&) for the area left..right x top..bottom (exclusive) of
// the target. Direct pixels are painted in place; indexed pixels through a
// 32-bit scratch copy of the area whose changed pixels are mapped back.
template <typename Paint>
void TCanvas::PaintArea(int left, int top, int right, int bottom, Paint&& paint) {
    TPixelBuffer* px = Pixels();
    if (!px || px->Empty())
        return;
    left = std::max(left, 0);
    top = std::max(top, 0);
    right = std::min(right, px->Width());
    bottom = std::min(bottom, px->Height());
    if (left >= right || top >= bottom)
        return;
    if (!px->Indexed()) {
        QImage view = px->View();
        {
            QPainter painter(&view);
            painter.setClipRect(QRect(left, top, right - left, bottom - top));
            paint(painter);
        }
        target_->CanvasChanged();
        return;
    }
    const int w = right - left, h = bottom - top;
    const QImage before = px->ToRgbImage(left, top, w, h);
    QImage scratch = before.copy();
    {
        QPainter painter(&scratch);
        painter.translate(-left, -top);
        paint(painter);
    }
    std::unordered_map<QRgb, int> memo;
    for (int y = 0; y < h; ++y) {
        const auto* was = reinterpret_cast<const QRgb*>(before.constScanLine(y));
        const auto* now = reinterpret_cast<const QRgb*>(scratch.constScanLine(y));
        for (int x = 0; x < w; ++x) {
            if (was[x] == now[x])
                continue;
            const QRgb colour = now[x] & 0xFFFFFF;
            auto it = memo.find(colour);
            if (it == memo.end())
                it = memo.emplace(colour, target_->CanvasColorIndex(colour)).first;
            px->SetIndex(left + x, top + y, static_cast<uint32_t>(it->second));
        }
    }
    target_->CanvasChanged();
}

void TCanvas::FillRect(const TRect& r) {
    PaintArea(r.Left, r.Top, r.Right, r.Bottom, [&](QPainter& p) {
        Prepare(p, false, true);
        if (Brush.Style != bsClear)
            p.fillRect(QRect(r.Left, r.Top, r.Width(), r.Height()), p.brush());
    });
}

void TCanvas::FrameRect(const TRect& r) {
    PaintArea(r.Left, r.Top, r.Right, r.Bottom, [&](QPainter& p) {
        Prepare(p, false, true);
        const QBrush brush = p.brush();
        p.fillRect(QRect(r.Left, r.Top, r.Width(), 1), brush);
        p.fillRect(QRect(r.Left, r.Bottom - 1, r.Width(), 1), brush);
        p.fillRect(QRect(r.Left, r.Top, 1, r.Height()), brush);
        p.fillRect(QRect(r.Right - 1, r.Top, 1, r.Height()), brush);
    });
}

void TCanvas::Rectangle(int x1, int y1, int x2, int y2) {
    const int m = Pen.Width;
    PaintArea(x1 - m, y1 - m, x2 + m, y2 + m, [&](QPainter& p) {
        if (Brush.Style != bsClear)
            p.fillRect(QRect(x1, y1, x2 - x1, y2 - y1), QBrush(ToQColor(Brush.Color),
                                                              ToQtBrushStyle(Brush.Style)));
        Prepare(p, true, false);
        if (Pen.Style != psClear)
            p.drawRect(QRect(x1, y1, x2 - x1 - 1, y2 - y1 - 1));
    });
}

void TCanvas::Ellipse(int x1, int y1, int x2, int y2) {
    const int m = Pen.Width;
    PaintArea(x1 - m, y1 - m, x2 + m, y2 + m, [&](QPainter& p) {
        Prepare(p, true, true);
        p.drawEllipse(QRect(x1, y1, x2 - x1 - 1, y2 - y1 - 1));
    });
}

void TCanvas::LineTo(int x, int y) {
    const TPoint from = PenPos;
    const int m = Pen.Width + 1;
    PaintArea(std::min(from.X, x) - m, std::min(from.Y, y) - m, std::max(from.X, x) + m,
              std::max(from.Y, y) + m, [&](QPainter& p) {
                  Prepare(p, true, false);
                  p.drawLine(QPoint(from.X, from.Y), QPoint(x, y));
              });
    PenPos = {x, y};
}

void TCanvas::TextOut(int x, int y, const std::string& text) {
    const TSize size = TextExtent(text);
    const int slack = size.cy;  // italic overhang and glyphs reaching past their advance
    PaintArea(x - slack, y, x + size.cx + slack, y + size.cy, [&](QPainter& p) {
        Prepare(p, false, false);
        if (Brush.Style != bsClear)
            p.fillRect(QRect(x, y, size.cx, size.cy), ToQColor(Brush.Color));
        p.setPen(ToQColor(Font.Color));
        const QFontMetrics metrics(p.font());
        p.drawText(QPoint(x, y + metrics.ascent()), QString::fromStdString(text));
    });
    PenPos = {x + size.cx, y};
}

void TCanvas::TextRect(const TRect& r, int x, int y, const std::string& text) {
    PaintArea(r.Left, r.Top, r.Right, r.Bottom, [&](QPainter& p) {
        Prepare(p, false, false);
        p.setClipRect(QRect(r.Left, r.Top, r.Width(), r.Height()));
        if (Brush.Style != bsClear)
            p.fillRect(QRect(r.Left, r.Top, r.Width(), r.Height()), ToQColor(Brush.Color));
        p.setPen(ToQColor(Font.Color));
        const QFontMetrics metrics(p.font());
        p.drawText(QPoint(x, y + metrics.ascent()), QString::fromStdString(text));
    });
}

TSize TCanvas::TextExtent(const std::string& text) const {
    const QFontMetrics metrics(ToQFont(Font));
    return {metrics.horizontalAdvance(QString::fromStdString(text)), metrics.height()};
}

int TCanvas::TextWidth(const std::string& text) const { return TextExtent(text).cx; }

std::string TCanvas::ElideText(const std::string& text, int width) const {
    const QFontMetrics metrics(ToQFont(Font));
    return metrics.elidedText(QString::fromStdString(text), Qt::ElideRight, std::max(width, 0)).toStdString();
}
int TCanvas::TextHeight(const std::string& text) const { return TextExtent(text).cy; }

void TCanvas::Draw(int x, int y, const TGraphic& graphic) {
    if (!graphic.Empty())
        graphic.Draw(*this, Rect(x, y, x + graphic.Width(), y + graphic.Height()));
}

void TCanvas::StretchDraw(const TRect& rect, const TGraphic& graphic) {
    if (!graphic.Empty())
        graphic.Draw(*this, rect);
}

void TCanvas::DrawImage(const TRect& dest, const QImage& image, const TRect& src, bool smooth) {
    if (image.isNull())
        return;
    PaintArea(std::min(dest.Left, dest.Right), std::min(dest.Top, dest.Bottom),
              std::max(dest.Left, dest.Right), std::max(dest.Top, dest.Bottom), [&](QPainter& p) {
                  p.setRenderHint(QPainter::SmoothPixmapTransform, smooth);
                  p.drawImage(QRectF(dest.Left, dest.Top, dest.Width(), dest.Height()), image,
                              QRectF(src.Left, src.Top, src.Width(), src.Height()));
              });
}

void TCanvas::CopyRect(const TRect& dest, TCanvas& source, const TRect& sourceRect) {
    const TPixelBuffer* px = source.Pixels();
    if (!px || px->Empty())
        return;
    const QImage image = px->ToRgbImage(sourceRect.Left, sourceRect.Top, sourceRect.Width(),
                                        sourceRect.Height());
    DrawImage(dest, image, Rect(0, 0, sourceRect.Width(), sourceRect.Height()),
              StretchMode == smHalftone);
}

TColor TCanvas::GetPixel(int x, int y) const {
    const TPixelBuffer* px = Pixels();
    if (!px || px->Empty() || x < 0 || y < 0 || x >= px->Width() || y >= px->Height())
        return static_cast<TColor>(-1);
    return FromRawColorValue(px->GetColor(x, y));
}

void TCanvas::SetPixel(int x, int y, TColor colour) {
    TPixelBuffer* px = Pixels();
    if (!px || px->Empty() || x < 0 || y < 0 || x >= px->Width() || y >= px->Height())
        return;
    const uint32_t value = RawColorValue(colour);
    if (px->Indexed())
        px->SetIndex(x, y, static_cast<uint32_t>(target_->CanvasColorIndex(value)));
    else
        px->SetColor(x, y, value);
    target_->CanvasChanged();
}

// ---------------------------------------------------------------------------
// Pixel formats and conversion

int PixelFormatDepth(TPixelFormat format) {
    switch (format) {
    case pf1bit: return 1;
    case pf4bit: return 4;
    case pf8bit: return 8;
    case pf15bit: return 15;
    case pf16bit: return 16;
    case pf32bit: return 32;
    case pfCustom: return 0;
    default: return 24;
    }
}

TPixelFormat DepthPixelFormat(int depth) {
    switch (depth) {
    case 1: return pf1bit;
    case 4: return pf4bit;
    case 8: return pf8bit;
    case 15: return pf15bit;
    case 16: return pf16bit;
    case 32: return pf32bit;
    default: return pf24bit;
    }
}

std::vector<uint32_t> DefaultBitmapColorTable(int bits) {
    auto rgb = [](uint32_t r, uint32_t g, uint32_t b) { return (r << 16) | (g << 8) | b; };
    std::vector<uint32_t> table;
    if (bits == 1) {
        table = {0, 0xFFFFFF};
    } else if (bits == 4) {
        table = {rgb(0, 0, 0),       rgb(0x80, 0, 0),    rgb(0, 0x80, 0),    rgb(0x80, 0x80, 0),
                 rgb(0, 0, 0x80),    rgb(0x80, 0, 0x80), rgb(0, 0x80, 0x80), rgb(0xC0, 0xC0, 0xC0),
                 rgb(0x80, 0x80, 0x80), rgb(0xFF, 0, 0), rgb(0, 0xFF, 0),    rgb(0xFF, 0xFF, 0),
                 rgb(0, 0, 0xFF),    rgb(0xFF, 0, 0xFF), rgb(0, 0xFF, 0xFF), rgb(0xFF, 0xFF, 0xFF)};
    } else if (bits == 8) {
        for (uint32_t r = 0; r < 6; ++r)
            for (uint32_t g = 0; g < 6; ++g)
                for (uint32_t b = 0; b < 6; ++b)
                    table.push_back(rgb(r * 51, g * 51, b * 51));
        for (uint32_t i = 1; i <= 40; ++i) {
            const uint32_t level = (i * 255 + 20) / 41;
            table.push_back(rgb(level, level, level));
        }
    }
    return table;
}

TPixelBuffer ConvertPixels(const TPixelBuffer& source, int depth,
                           const std::vector<uint32_t>& table) {
    TPixelBuffer out(source.Width(), source.Height(), depth);
    out.XPelsPerMeter = source.XPelsPerMeter;
    out.YPelsPerMeter = source.YPelsPerMeter;
    if (out.Indexed()) {
        std::copy_n(table.begin(), std::min(table.size(), out.ColorTable.size()),
                    out.ColorTable.begin());
    }
    std::unordered_map<uint32_t, int> memo;
    for (int y = 0; y < source.Height(); ++y) {
        for (int x = 0; x < source.Width(); ++x) {
            const uint32_t colour = source.GetColor(x, y);
            if (!out.Indexed()) {
                out.SetColor(x, y, colour);
                continue;
            }
            auto it = memo.find(colour);
            if (it == memo.end())
                it = memo.emplace(colour, NearestColorIndex(out.ColorTable.data(),
                                                            int(out.ColorTable.size()), colour))
                         .first;
            out.SetIndex(x, y, static_cast<uint32_t>(it->second));
        }
    }
    return out;
}

// ---------------------------------------------------------------------------
// TBitmap

TBitmap::TBitmap() : canvas_(this) {}
TBitmap::~TBitmap() = default;

bool TBitmap::GetEmpty() const { return !pixels_ || pixels_->Empty(); }
int TBitmap::GetWidth() const { return pixels_ ? pixels_->Width() : 0; }
int TBitmap::GetHeight() const { return pixels_ ? pixels_->Height() : 0; }
void TBitmap::SetWidth(int width) { SetSize(width, GetHeight()); }
void TBitmap::SetHeight(int height) { SetSize(GetWidth(), height); }

void TBitmap::SetSize(int width, int height) {
    if (width == GetWidth() && height == GetHeight())
        return;
    Rebuild(width, height, pixelFormat_);
}

void TBitmap::SetPixelFormat(TPixelFormat format) {
    if (format == pixelFormat_)
        return;
    const TPixelFormat old = pixelFormat_;
    pixelFormat_ = format;
    if (PixelFormatDepth(old) != PixelFormatDepth(format) && !GetEmpty())
        Rebuild(GetWidth(), GetHeight(), format);
}

void TBitmap::Rebuild(int width, int height, TPixelFormat format) {
    if (width <= 0 || height <= 0) {
        pixels_.reset();
        Changed();
        return;
    }
    int depth = PixelFormatDepth(format);
    if (depth == 0)
        depth = 24;
    auto fresh = std::make_shared<TPixelBuffer>(width, height, depth);
    const std::shared_ptr<TPixelBuffer> old = pixels_;
    if (fresh->Indexed()) {
        std::vector<uint32_t> table;
        if (old && old->Depth() == depth)
            table = old->ColorTable;
        else if (!pendingTable_.empty())
            table = pendingTable_;
        else
            table = DefaultBitmapColorTable(depth);
        std::copy_n(table.begin(), std::min(table.size(), fresh->ColorTable.size()),
                    fresh->ColorTable.begin());
    }
    // New areas are white.
    if (fresh->Indexed()) {
        const int white = NearestColorIndex(fresh->ColorTable.data(), int(fresh->ColorTable.size()),
                                            0xFFFFFF);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                fresh->SetIndex(x, y, uint32_t(white));
    } else if (depth == 15) {
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                fresh->SetColor(x, y, 0xFFFFFF);
    } else {
        std::memset(fresh->Bits(), 0xFF, static_cast<size_t>(fresh->ByteCount()));
    }
    if (old && !old->Empty()) {
        fresh->XPelsPerMeter = old->XPelsPerMeter;
        fresh->YPelsPerMeter = old->YPelsPerMeter;
        const int w = std::min(width, old->Width()), h = std::min(height, old->Height());
        if (old->Depth() == depth) {
            // Whole bytes by copy, the pixels of a last partial byte one by one.
            const int64_t bits = int64_t(w) * fresh->BitsPerPixel();
            const size_t wholeBytes = static_cast<size_t>(bits / 8);
            const int firstLoose = static_cast<int>(wholeBytes * 8 / fresh->BitsPerPixel());
            for (int y = 0; y < h; ++y) {
                std::memcpy(fresh->ScanLine(y), old->ScanLine(y), wholeBytes);
                for (int x = firstLoose; x < w; ++x)
                    fresh->SetIndex(x, y, old->GetIndex(x, y));
            }
        } else {
            const TPixelBuffer converted = ConvertPixels(*old, depth, fresh->ColorTable);
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x) {
                    if (fresh->Indexed())
                        fresh->SetIndex(x, y, converted.GetIndex(x, y));
                    else
                        fresh->SetColor(x, y, converted.GetColor(x, y));
                }
        }
    }
    pixels_ = std::move(fresh);
    Changed();
}

uint8_t* TBitmap::ScanLine(int row) {
    if (!pixels_ || row < 0 || row >= pixels_->Height())
        throw EInvalidGraphic("Scan line index out of range");
    return pixels_->ScanLine(row);
}

const uint8_t* TBitmap::ScanLine(int row) const {
    if (!pixels_ || row < 0 || row >= pixels_->Height())
        throw EInvalidGraphic("Scan line index out of range");
    return pixels_->ScanLine(row);
}

int64_t TBitmap::RowBytes() const { return pixels_ ? pixels_->RowBytes() : 0; }

HPALETTE TBitmap::GetPalette() const {
    if (pixels_ && pixels_->Indexed())
        return PaletteFromColorTable(pixels_->ColorTable);
    return nullptr;
}

void TBitmap::SetPalette(HPALETTE palette) {
    if (!palette)
        return;
    std::vector<uint32_t> table = ColorTableFromPalette(palette);
    if (pixels_ && pixels_->Indexed()) {
        std::fill(pixels_->ColorTable.begin(), pixels_->ColorTable.end(), 0);
        std::copy_n(table.begin(), std::min(table.size(), pixels_->ColorTable.size()),
                    pixels_->ColorTable.begin());
        Changed();
    } else {
        pendingTable_ = std::move(table);
    }
}

void TBitmap::SetHandle(HBITMAP handle) {
    pixels_ = std::move(handle);
    if (pixels_)
        pixelFormat_ = DepthPixelFormat(pixels_->Depth());
    Changed();
}

HBITMAP TBitmap::ReleaseHandle() {
    HBITMAP handle = std::move(pixels_);
    pixels_.reset();
    return handle;
}

void TBitmap::Assign(const TPersistent* source) {
    if (!source) {
        pixels_.reset();
        Changed();
        return;
    }
    if (const auto* bitmap = dynamic_cast<const TBitmap*>(source)) {
        if (bitmap == this)
            return;
        pixelFormat_ = bitmap->pixelFormat_;
        pixels_ = bitmap->pixels_ ? std::make_shared<TPixelBuffer>(*bitmap->pixels_) : nullptr;
        Changed();
        return;
    }
    TGraphic::Assign(source);
}

void TBitmap::AssignTo(TPersistent* dest) const {
    if (auto* bitmap = dynamic_cast<TBitmap*>(dest)) {
        bitmap->Assign(this);
        return;
    }
    TGraphic::AssignTo(dest);
}

QImage TBitmap::ToQImage() const { return pixels_ ? pixels_->View() : QImage(); }

void TBitmap::Draw(TCanvas& canvas, const TRect& rect) const {
    if (GetEmpty())
        return;
    canvas.DrawImage(rect, pixels_->View(), Rect(0, 0, GetWidth(), GetHeight()),
                     canvas.StretchMode == smHalftone);
}

void TBitmap::LoadFromStream(TStream& stream) {
    auto pixels = std::make_shared<TPixelBuffer>(ReadBmpFile(stream));
    pixelFormat_ = DepthPixelFormat(pixels->Depth());
    pixels_ = std::move(pixels);
    Changed();
}

void TBitmap::SaveToStream(TStream& stream) {
    if (!GetEmpty())
        WriteBmpFile(stream, *pixels_);
}

void TBitmap::LoadFromClipboardFormat(uint16_t format, HBITMAP data, HPALETTE palette) {
    if (format != CF_BITMAP || !data || data->Empty())
        throw EInvalidGraphic("Unknown clipboard format, " + std::to_string(format));
    auto pixels = std::make_shared<TPixelBuffer>(*data);
    if (palette && pixels->Indexed()) {
        const auto table = ColorTableFromPalette(palette);
        std::copy_n(table.begin(), std::min(table.size(), pixels->ColorTable.size()),
                    pixels->ColorTable.begin());
    }
    pixelFormat_ = DepthPixelFormat(pixels->Depth());
    pixels_ = std::move(pixels);
    Changed();
}

void TBitmap::SaveToClipboardFormat(uint16_t& format, HBITMAP& data, HPALETTE& palette) {
    format = CF_BITMAP;
    data = pixels_ ? std::make_shared<TPixelBuffer>(*pixels_) : nullptr;
    palette = GetPalette();
}

int TBitmap::CanvasColorIndex(uint32_t colour) {
    if (!pixels_)
        return 0;
    return NearestColorIndex(pixels_->ColorTable.data(), int(pixels_->ColorTable.size()), colour);
}

}  // namespace lumvor
