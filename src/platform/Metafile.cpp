#include "platform/Metafile.h"

#include "platform/Classes.h"
#include "platform/MetafileCanvas.h"
#include "platform/PackedDib.h"
#include "platform/Streams.h"
#include "platform/SysUtils.h"

#include <QElapsedTimer>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace lumvor {

const char* const SInvalidMetafile = "Invalid metafile";

using metafile::TArcKind;
using metafile::TBrushObject;
using metafile::TBytes;
using metafile::TFontObject;
using metafile::TGdiObject;
using metafile::TMetaCanvas;
using metafile::TObjectKind;
using metafile::TPenObject;
using metafile::ColorRef;

namespace {

constexpr uint32_t kPlaceableKey = 0x9AC6CDD7;
constexpr size_t kPlaceableSize = 22;
constexpr size_t kWmfHeaderSize = 18;
constexpr uint32_t kEmfSignature = 0x464D4520;  // " EMF"
constexpr size_t kEmfHeaderMin = 88;
// Bitmaps inside a metafile are decoded only up to this many pixels.
constexpr int64_t kMaxEmbeddedPixels = int64_t(1) << 26;
constexpr uint32_t kSourceCopy = 0x00CC0020;  // SRCCOPY
// Records between two looks at the clock.
constexpr int kClockInterval = 256;

[[noreturn]] void Invalid() { throw EInvalidGraphic(SInvalidMetafile); }

// A DIB whose header block and bits lie in the metafile; a null picture when
// it is malformed or too large.
QImage DibImage(std::span<const uint8_t> header, std::span<const uint8_t> bits) {
    TBytes h(header);
    if (!h.Has(0, 16))
        return {};
    const uint32_t headerSize = h.U32(0);
    int64_t width = 0, height = 0;
    if (headerSize == 12) {
        width = h.U16(4);
        height = h.U16(6);
    } else {
        width = h.I32(4);
        height = h.I32(8);
    }
    if (width <= 0 || height == 0 || width * std::abs(height) > kMaxEmbeddedPixels)
        return {};
    try {
        TPixelBuffer pixels = DecodeDib(header, bits);
        return pixels.ToRgbImage();
    } catch (const Exception&) {
        return {};
    }
}

// The length of a packed DIB's header block (info header, masks, colour table).
size_t DibHeaderBlockSize(const TBytes& dib, size_t at) {
    const uint32_t headerSize = dib.U32(at);
    if (headerSize == 12) {
        const uint16_t bits = dib.U16(at + 10);
        return 12 + (bits <= 8 ? size_t(3) << bits : 0);
    }
    if (headerSize < 40 || headerSize > 1024)
        return 0;
    const uint16_t bits = dib.U16(at + 14);
    const uint32_t compression = dib.U32(at + 16);
    uint32_t colours = dib.U32(at + 32);
    if (bits <= 8 && (colours == 0 || colours > (1u << bits)))
        colours = 1u << bits;
    if (bits > 8 && colours > 256)
        colours = 0;
    size_t size = headerSize + size_t(colours) * 4;
    if (headerSize == 40 && (compression == 3 || compression == 6))
        size += compression == 3 ? 12 : 16;
    return size;
}

QImage PackedDibImage(const TBytes& record, size_t at) {
    const size_t headerBlock = DibHeaderBlockSize(record, at);
    if (headerBlock == 0 || !record.Has(at, headerBlock))
        return {};
    return DibImage(record.Sub(at, headerBlock), record.Sub(at + headerBlock, record.Size() - at - headerBlock));
}

// Text of an ANSI record as the font's character set reads it.
QString AnsiText(std::span<const uint8_t> bytes) {
    std::string_view raw(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    return QString::fromStdString(Cp1252ToUtf8(raw.substr(0, raw.find('\0'))));
}

QString FaceName(std::span<const uint8_t> bytes, bool wide) {
    if (wide) {
        QString face;
        for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
            const char16_t c = static_cast<char16_t>(bytes[i] | bytes[i + 1] << 8);
            if (c == 0)
                break;
            face += QChar(c);
        }
        return face;
    }
    return AnsiText(bytes);
}

TFontObject ReadLogFont(const TBytes& r, size_t at, bool wide, bool thirtyTwoBit) {
    // LOGFONT: the numbers are 16 bits wide in a WMF and 32 bits in an EMF.
    const size_t step = thirtyTwoBit ? 4 : 2;
    auto number = [&](int index) {
        return thirtyTwoBit ? r.I32(at + step * index) : static_cast<int32_t>(r.I16(at + step * index));
    };
    TFontObject font;
    font.Height = number(0);
    font.Escapement = number(2) % 3600;
    font.Weight = number(4);
    const size_t flags = at + step * 5;
    font.Italic = r.U8(flags) != 0;
    font.Underline = r.U8(flags + 1) != 0;
    font.StrikeOut = r.U8(flags + 2) != 0;
    const size_t faceAt = flags + 8;
    const size_t faceBytes = wide ? 64 : 32;
    font.Face = FaceName(r.Sub(faceAt, std::min(faceBytes, r.Size() > faceAt ? r.Size() - faceAt : 0)), wide);
    return font;
}

// A pen, brush or font record's object, or an object that selects nothing.
TGdiObject PenObject(uint32_t style, double width, uint32_t colour) {
    TGdiObject object;
    object.Kind = TObjectKind::Pen;
    object.Pen = TPenObject{style, width, ColorRef(colour)};
    return object;
}

TGdiObject BrushObject(uint32_t style, uint32_t colour, uint32_t hatch, QImage pattern = {}) {
    TGdiObject object;
    object.Kind = TObjectKind::Brush;
    object.Brush = TBrushObject{style, hatch, ColorRef(colour), std::move(pattern)};
    return object;
}

TGdiObject FontObject(const TFontObject& font) {
    TGdiObject object;
    object.Kind = TObjectKind::Font;
    object.Font = font;
    return object;
}

TGdiObject OtherObject() {
    TGdiObject object;
    object.Kind = TObjectKind::Other;
    return object;
}

// Stops playing a hostile file that would keep the painter busy for long.
class TPlayClock {
public:
    TPlayClock() { clock_.start(); }
    bool Expired() {
        if (++records_ % kClockInterval != 0)
            return false;
        return clock_.elapsed() > MetafilePlayLimitMs;
    }

private:
    QElapsedTimer clock_;
    int64_t records_ = 0;
};

// ---- WMF

namespace wmf {

enum : uint16_t {
    EOF_ = 0x0000, SAVEDC = 0x001E, REALIZEPALETTE = 0x0035, CREATEPALETTE = 0x00F7, SETBKMODE = 0x0102,
    SETMAPMODE = 0x0103, SETROP2 = 0x0104, SETPOLYFILLMODE = 0x0106, RESTOREDC = 0x0127, SELECTOBJECT = 0x012D,
    SETTEXTALIGN = 0x012E, DIBCREATEPATTERNBRUSH = 0x0142, DELETEOBJECT = 0x01F0, SETBKCOLOR = 0x0201,
    SETTEXTCOLOR = 0x0209, SETWINDOWORG = 0x020B, SETWINDOWEXT = 0x020C, OFFSETWINDOWORG = 0x020F,
    LINETO = 0x0213, MOVETO = 0x0214, CREATEPENINDIRECT = 0x02FA, CREATEFONTINDIRECT = 0x02FB,
    CREATEBRUSHINDIRECT = 0x02FC, POLYGON = 0x0324, POLYLINE = 0x0325, SCALEWINDOWEXT = 0x0410,
    EXCLUDECLIPRECT = 0x0415, INTERSECTCLIPRECT = 0x0416, ELLIPSE = 0x0418, RECTANGLE = 0x041B,
    SETPIXEL = 0x041F, TEXTOUT = 0x0521, POLYPOLYGON = 0x0538, PATBLT = 0x061D, ROUNDRECT = 0x061C,
    CREATEREGION = 0x06FF, ARC = 0x0817, PIE = 0x081A, CHORD = 0x0830, DIBBITBLT = 0x0940,
    EXTTEXTOUT = 0x0A32, DIBSTRETCHBLT = 0x0B41, STRETCHDIB = 0x0F43,
};

// The parameters of one record: 16-bit words after its 6-byte head.
class TParams {
public:
    explicit TParams(const TBytes& record) : r_(record) {}
    int16_t W(size_t index) const { return r_.I16(6 + 2 * index); }
    uint16_t U(size_t index) const { return r_.U16(6 + 2 * index); }
    uint32_t D(size_t index) const { return r_.U32(6 + 2 * index); }
    size_t Words() const { return (r_.Size() - 6) / 2; }
    size_t Offset(size_t index) const { return 6 + 2 * index; }
    const TBytes& Bytes() const { return r_; }
    // Parameters given in reverse: bottom, right, top, left from index.
    QRectF Box(size_t index) const { return QRectF(QPointF(W(index + 3), W(index + 2)), QPointF(W(index + 1), W(index))); }
    QPointF Point(size_t index) const { return QPointF(W(index + 1), W(index)); }  // y, x

private:
    const TBytes& r_;
};

QPolygonF Points(const TParams& p, size_t index, size_t count) {
    QPolygonF points;
    if (p.Words() < index || (p.Words() - index) / 2 < count)
        return points;
    points.reserve(static_cast<qsizetype>(count));
    for (size_t i = 0; i < count; ++i)
        points.append(QPointF(p.W(index + 2 * i), p.W(index + 2 * i + 1)));
    return points;
}

void Text(TMetaCanvas& canvas, const TParams& p, bool extended) {
    if (!extended) {
        const int count = std::max<int>(0, p.W(0));
        const size_t stringWords = (size_t(count) + 1) / 2;
        if (p.Words() < 1 + stringWords + 2)
            return;
        const QString text = AnsiText(p.Bytes().Sub(p.Offset(1), size_t(count)));
        canvas.Text(QPointF(p.W(1 + stringWords + 1), p.W(1 + stringWords)), text, 0, nullptr, {});
        return;
    }
    if (p.Words() < 4)
        return;
    const QPointF at(p.W(1), p.W(0));
    const int count = std::max<int>(0, p.W(2));
    const uint16_t options = p.U(3);
    size_t next = 4;
    QRectF rect;
    const bool hasRect = options & 0x0006;
    if (hasRect) {
        if (p.Words() < 8)
            return;
        rect = QRectF(QPointF(p.W(4), p.W(5)), QPointF(p.W(6), p.W(7)));
        next = 8;
    }
    const size_t stringWords = (size_t(count) + 1) / 2;
    if (p.Words() < next + stringWords)
        return;
    const QString text = AnsiText(p.Bytes().Sub(p.Offset(next), size_t(count)));
    std::vector<double> advances;
    const size_t dxAt = next + stringWords;
    if (p.Words() >= dxAt + size_t(count))
        for (int i = 0; i < count; ++i)
            advances.push_back(p.W(dxAt + size_t(i)));
    canvas.Text(at, text, options, hasRect ? &rect : nullptr, advances);
}

void Bitmap(TMetaCanvas& canvas, const TParams& p, uint16_t function) {
    // The DIB follows the parameters; a record without one paints its brush.
    const uint32_t rop = p.D(0);
    size_t dibWord = 0;
    QRectF dest, source;
    bool bottomUpOrigin = false;
    if (function == STRETCHDIB) {
        source = QRectF(p.W(6), p.W(5), p.W(4), p.W(3));
        dest = QRectF(p.W(10), p.W(9), p.W(8), p.W(7));
        dibWord = 11;
        bottomUpOrigin = true;
    } else if (function == DIBSTRETCHBLT) {
        const bool withDib = p.Words() > 11;
        const size_t s = withDib ? 0 : 1;
        source = QRectF(p.W(5), p.W(4), p.W(3), p.W(2));
        dest = QRectF(p.W(9 + s), p.W(8 + s), p.W(7 + s), p.W(6 + s));
        dibWord = withDib ? 10 : 0;
    } else {
        const bool withDib = p.Words() > 9;
        const size_t s = withDib ? 0 : 1;
        dest = QRectF(p.W(7 + s), p.W(6 + s), p.W(5 + s), p.W(4 + s));
        source = QRectF(p.W(3), p.W(2), dest.width(), dest.height());
        dibWord = withDib ? 8 : 0;
    }
    if (dibWord == 0) {
        canvas.PatBlt(dest, rop);
        return;
    }
    const QImage picture = PackedDibImage(p.Bytes(), p.Offset(dibWord));
    if (picture.isNull())
        return;
    if (bottomUpOrigin)
        source.moveTop(picture.height() - source.top() - source.height());
    canvas.Bitmap(dest, picture, source, rop);
}

void CreateObject(TMetaCanvas& canvas, const TParams& p, uint16_t function) {
    switch (function) {
    case CREATEPENINDIRECT: canvas.AddObject(PenObject(p.U(0), std::abs(p.W(1)), p.D(3))); break;
    case CREATEBRUSHINDIRECT: canvas.AddObject(BrushObject(p.U(0), p.D(1), p.U(3))); break;
    case CREATEFONTINDIRECT: canvas.AddObject(FontObject(ReadLogFont(p.Bytes(), p.Offset(0), false, false))); break;
    case DIBCREATEPATTERNBRUSH: {
        const QImage pattern = p.U(0) == 3 ? QImage() : PackedDibImage(p.Bytes(), p.Offset(2));
        canvas.AddObject(BrushObject(5, 0x808080, 0, pattern));
        break;
    }
    default: canvas.AddObject(OtherObject()); break;
    }
}

void SetWindow(TMetaCanvas& canvas, const TParams& p, uint16_t function) {
    auto& dc = canvas.Dc;
    switch (function) {
    case SETWINDOWORG: dc.WindowOrg = p.Point(0); break;
    case SETWINDOWEXT:
        if (p.W(0) != 0 && p.W(1) != 0)
            dc.WindowExt = p.Point(0);
        break;
    case OFFSETWINDOWORG: dc.WindowOrg += p.Point(0); break;
    case SCALEWINDOWEXT:
        // yDenom, yNum, xDenom, xNum
        if (p.W(0) != 0 && p.W(2) != 0 && p.W(1) != 0 && p.W(3) != 0)
            dc.WindowExt = QPointF(dc.WindowExt.x() * p.W(3) / p.W(2), dc.WindowExt.y() * p.W(1) / p.W(0));
        break;
    default: break;
    }
}

void PlayRecord(TMetaCanvas& canvas, const TBytes& record, uint16_t function) {
    const TParams p(record);
    auto& dc = canvas.Dc;
    switch (function) {
    case SAVEDC: canvas.SaveDc(); break;
    case RESTOREDC: canvas.RestoreDc(p.W(0)); break;
    case SETBKMODE: dc.Opaque = p.U(0) == 2; break;
    case SETMAPMODE: dc.MapMode = p.U(0); break;
    case SETROP2: dc.Rop2 = p.U(0); break;
    case SETPOLYFILLMODE: dc.FillRule = p.U(0) == 2 ? Qt::WindingFill : Qt::OddEvenFill; break;
    case SETTEXTALIGN: dc.TextAlign = p.U(0); break;
    case SETBKCOLOR: dc.BkColor = ColorRef(p.D(0)); break;
    case SETTEXTCOLOR: dc.TextColor = ColorRef(p.D(0)); break;
    case SETWINDOWORG:
    case SETWINDOWEXT:
    case OFFSETWINDOWORG:
    case SCALEWINDOWEXT: SetWindow(canvas, p, function); break;
    case SELECTOBJECT: canvas.SelectObject(p.U(0)); break;
    case DELETEOBJECT: canvas.DeleteObject(p.U(0)); break;
    case CREATEPENINDIRECT:
    case CREATEBRUSHINDIRECT:
    case CREATEFONTINDIRECT:
    case DIBCREATEPATTERNBRUSH:
    case CREATEPALETTE:
    case CREATEREGION: CreateObject(canvas, p, function); break;
    case MOVETO: canvas.MoveTo(p.Point(0)); break;
    case LINETO: canvas.LineTo(p.Point(0)); break;
    case RECTANGLE: canvas.Rectangle(p.Box(0)); break;
    case ELLIPSE: canvas.Ellipse(p.Box(0)); break;
    case ROUNDRECT: canvas.RoundRect(p.Box(2), QSizeF(p.W(1), p.W(0))); break;
    case ARC:
    case PIE:
    case CHORD:
        canvas.Arc(p.Box(4), p.Point(2), p.Point(0),
                   function == ARC ? TArcKind::Arc : function == PIE ? TArcKind::Pie : TArcKind::Chord);
        break;
    case POLYGON: canvas.Polygon(Points(p, 1, std::max<int>(0, p.W(0)))); break;
    case POLYLINE: canvas.Polyline(Points(p, 1, std::max<int>(0, p.W(0)))); break;
    case POLYPOLYGON: {
        const size_t count = p.U(0);
        if (p.Words() < 1 + count)
            break;
        std::vector<QPolygonF> polygons;
        size_t at = 1 + count;
        for (size_t i = 0; i < count; ++i) {
            const size_t n = p.U(1 + i);
            polygons.push_back(Points(p, at, n));
            at += 2 * n;
        }
        canvas.PolyPolygon(polygons);
        break;
    }
    case SETPIXEL: canvas.SetPixel(p.Point(2), ColorRef(p.D(0))); break;
    case TEXTOUT: Text(canvas, p, false); break;
    case EXTTEXTOUT: Text(canvas, p, true); break;
    case PATBLT: canvas.PatBlt(QRectF(p.W(5), p.W(4), p.W(3), p.W(2)), p.D(0)); break;
    case INTERSECTCLIPRECT: canvas.IntersectClip(p.Box(0)); break;
    case EXCLUDECLIPRECT: canvas.ExcludeClip(p.Box(0)); break;
    case DIBBITBLT:
    case DIBSTRETCHBLT:
    case STRETCHDIB: Bitmap(canvas, p, function); break;
    default: break;
    }
}

}  // namespace wmf

// ---- EMF

namespace emf {

enum : uint32_t {
    HEADER = 1, POLYBEZIER, POLYGON, POLYLINE, POLYBEZIERTO, POLYLINETO, POLYPOLYLINE, POLYPOLYGON,
    SETWINDOWEXTEX, SETWINDOWORGEX, SETVIEWPORTEXTEX, SETVIEWPORTORGEX, SETBRUSHORGEX, EOF_, SETPIXELV,
    SETMAPPERFLAGS, SETMAPMODE, SETBKMODE, SETPOLYFILLMODE, SETROP2, SETSTRETCHBLTMODE, SETTEXTALIGN,
    SETCOLORADJUSTMENT, SETTEXTCOLOR, SETBKCOLOR, OFFSETCLIPRGN, MOVETOEX, SETMETARGN, EXCLUDECLIPRECT,
    INTERSECTCLIPRECT, SCALEVIEWPORTEXTEX, SCALEWINDOWEXTEX, SAVEDC, RESTOREDC, SETWORLDTRANSFORM,
    MODIFYWORLDTRANSFORM, SELECTOBJECT, CREATEPEN, CREATEBRUSHINDIRECT, DELETEOBJECT, ANGLEARC, ELLIPSE,
    RECTANGLE, ROUNDRECT, ARC, CHORD, PIE, SELECTPALETTE, CREATEPALETTE, SETPALETTEENTRIES, RESIZEPALETTE,
    REALIZEPALETTE, EXTFLOODFILL, LINETO, ARCTO, POLYDRAW, SETARCDIRECTION, SETMITERLIMIT, BEGINPATH,
    ENDPATH, CLOSEFIGURE, FILLPATH, STROKEANDFILLPATH, STROKEPATH, FLATTENPATH, WIDENPATH, SELECTCLIPPATH,
    ABORTPATH, GDICOMMENT = 70, FILLRGN, FRAMERGN, INVERTRGN, PAINTRGN, EXTSELECTCLIPRGN, BITBLT, STRETCHBLT,
    MASKBLT, PLGBLT, SETDIBITSTODEVICE, STRETCHDIBITS, EXTCREATEFONTINDIRECTW, EXTTEXTOUTA, EXTTEXTOUTW,
    POLYBEZIER16, POLYGON16, POLYLINE16, POLYBEZIERTO16, POLYLINETO16, POLYPOLYLINE16, POLYPOLYGON16,
    POLYDRAW16, CREATEMONOBRUSH, CREATEDIBPATTERNBRUSHPT, EXTCREATEPEN,
};

QPointF PointL(const TBytes& r, size_t at) { return QPointF(r.I32(at), r.I32(at + 4)); }
QRectF RectL(const TBytes& r, size_t at) { return QRectF(PointL(r, at), PointL(r, at + 8)); }

// Count points after a bounds rectangle: 32-bit or 16-bit pairs.
QPolygonF Points(const TBytes& r, size_t at, size_t count, bool sixteen) {
    QPolygonF points;
    const size_t pair = sixteen ? 4 : 8;
    if (at > r.Size() || (r.Size() - at) / pair < count)
        return points;
    points.reserve(static_cast<qsizetype>(count));
    for (size_t i = 0; i < count; ++i) {
        const size_t p = at + pair * i;
        points.append(sixteen ? QPointF(r.I16(p), r.I16(p + 2)) : PointL(r, p));
    }
    return points;
}

QPolygonF PolyPoints(const TBytes& r, bool sixteen) { return Points(r, 28, r.U32(24), sixteen); }

std::vector<QPolygonF> PolyPolyPoints(const TBytes& r, bool sixteen) {
    // Bounds, the number of polygons and of all points, the counts, the points.
    std::vector<QPolygonF> polygons;
    const size_t count = r.U32(24);
    const size_t total = r.U32(28);
    if (!r.Has(32, count * 4) || count > r.Size())
        return polygons;
    size_t at = 32 + count * 4;
    const size_t pair = sixteen ? 4 : 8;
    if (at > r.Size() || (r.Size() - at) / pair < total)
        return polygons;
    size_t used = 0;
    for (size_t i = 0; i < count; ++i) {
        const size_t n = r.U32(32 + 4 * i);
        if (n > total - used)
            break;
        polygons.push_back(Points(r, at, n, sixteen));
        at += n * pair;
        used += n;
    }
    return polygons;
}

QTransform XForm(const TBytes& r, size_t at) {
    return QTransform(r.F32(at), r.F32(at + 4), r.F32(at + 8), r.F32(at + 12), r.F32(at + 16), r.F32(at + 20));
}

void Transform(TMetaCanvas& canvas, const TBytes& r, uint32_t type) {
    auto& world = canvas.Dc.World;
    if (type == SETWORLDTRANSFORM) {
        world = XForm(r, 8);
        return;
    }
    switch (r.U32(32)) {
    case 1: world = QTransform(); break;                  // MWT_IDENTITY
    case 2: world = XForm(r, 8) * world; break;           // MWT_LEFTMULTIPLY
    case 3: world = world * XForm(r, 8); break;           // MWT_RIGHTMULTIPLY
    case 4: world = XForm(r, 8); break;                   // MWT_SET
    default: break;
    }
}

// The rectangles of a region (RGNDATA): a header of 32 bytes with the count
// at 8, then the rectangles; none when the count does not fit.
std::vector<QRectF> RegionRects(const TBytes& r, size_t at, size_t size) {
    std::vector<QRectF> rects;
    const TBytes data(r.Sub(at, size));
    const size_t count = data.U32(8);
    if (!data.Has(32, 0) || (data.Size() - 32) / 16 < count)
        return rects;
    rects.reserve(count);
    for (size_t i = 0; i < count; ++i)
        rects.push_back(RectL(data, 32 + 16 * i).normalized());
    return rects;
}

// A clipping region, in the reference device's pixels.
QRegion DeviceRegion(const TBytes& r, size_t at, size_t size, const QTransform& deviceToDest) {
    QRegion area;
    for (const QRectF& rect : RegionRects(r, at, size))
        area += deviceToDest.mapRect(rect).toAlignedRect();
    return area;
}

void Text(TMetaCanvas& canvas, const TBytes& r, bool wide) {
    // Bounds, graphics mode, scales, then EMRTEXT: reference point, length,
    // string offset, options, rectangle, offset of the advances.
    const QPointF at = PointL(r, 36);
    const size_t count = r.U32(44);
    const size_t stringAt = r.U32(48);
    const uint32_t options = r.U32(52);
    const QRectF rect = RectL(r, 56);
    const size_t dxAt = r.U32(72);
    const size_t charBytes = wide ? 2 : 1;
    if (count > r.Size() || !r.Has(stringAt, count * charBytes))
        return;
    QString text;
    if (wide) {
        for (size_t i = 0; i < count; ++i)
            text += QChar(static_cast<char16_t>(r.U16(stringAt + 2 * i)));
    } else {
        text = AnsiText(r.Sub(stringAt, count));
    }
    std::vector<double> advances;
    if (dxAt != 0 && r.Has(dxAt, count * 4))
        for (size_t i = 0; i < count; ++i)
            advances.push_back(r.I32(dxAt + 4 * i));
    const bool hasRect = (options & 0x6) && rect.width() != 0 && rect.height() != 0;
    canvas.Text(at, text, options, hasRect ? &rect : nullptr, advances);
}

QImage RecordDib(const TBytes& r, size_t bmiAt, size_t bmiSize, size_t bitsAt, size_t bitsSize) {
    if (bmiSize == 0 || !r.Has(bmiAt, bmiSize) || !r.Has(bitsAt, bitsSize))
        return {};
    return DibImage(r.Sub(bmiAt, bmiSize), r.Sub(bitsAt, bitsSize));
}

void Bitmap(TMetaCanvas& canvas, const TBytes& r, uint32_t type) {
    if (type == STRETCHDIBITS || type == SETDIBITSTODEVICE) {
        // Bounds, dest x y, source x y w h, offsets and sizes of the DIB,
        // usage; STRETCHDIBITS adds the raster operation and the dest size.
        const bool stretch = type == STRETCHDIBITS;
        QRectF source(r.I32(32), r.I32(36), r.I32(40), r.I32(44));
        const QRectF dest(r.I32(24), r.I32(28), stretch ? r.I32(72) : source.width(),
                          stretch ? r.I32(76) : source.height());
        const QImage picture = RecordDib(r, r.U32(48), r.U32(52), r.U32(56), r.U32(60));
        if (picture.isNull())
            return;
        // The source origin of a DIB is its bottom-left corner.
        source.moveTop(picture.height() - source.top() - source.height());
        canvas.Bitmap(dest, picture, source, stretch ? r.U32(68) : kSourceCopy);
        return;
    }
    // BITBLT and STRETCHBLT: dest x y w h, rop, source x y, source transform,
    // background colour, usage, offsets and sizes; STRETCHBLT adds the source size.
    const QRectF dest(r.I32(24), r.I32(28), r.I32(32), r.I32(36));
    const uint32_t rop = r.U32(40);
    const size_t bmiAt = r.U32(84), bmiSize = r.U32(88), bitsAt = r.U32(92), bitsSize = r.U32(96);
    if (bmiSize == 0) {
        canvas.PatBlt(dest, rop);
        return;
    }
    const QImage picture = RecordDib(r, bmiAt, bmiSize, bitsAt, bitsSize);
    if (picture.isNull())
        return;
    QRectF source(r.I32(44), r.I32(48), dest.width(), dest.height());
    if (type == STRETCHBLT)
        source.setSize(QSizeF(r.I32(100), r.I32(104)));
    canvas.Bitmap(dest, picture, source, rop);
}

void CreateObject(TMetaCanvas& canvas, const TBytes& r, uint32_t type) {
    const size_t index = r.U32(8);
    switch (type) {
    case CREATEPEN: canvas.PutObject(index, PenObject(r.U32(12), std::abs(r.I32(16)), r.U32(24))); break;
    case EXTCREATEPEN: {
        // Index, offsets and sizes of a DIB, then LOGPEN32: style, width, brush style, colour.
        canvas.PutObject(index, PenObject(r.U32(28), std::abs(r.I32(32)), r.U32(40)));
        break;
    }
    case CREATEBRUSHINDIRECT: canvas.PutObject(index, BrushObject(r.U32(12), r.U32(16), r.U32(20))); break;
    case CREATEDIBPATTERNBRUSHPT:
    case CREATEMONOBRUSH: {
        const QImage pattern = RecordDib(r, r.U32(16), r.U32(20), r.U32(24), r.U32(28));
        canvas.PutObject(index, BrushObject(5, 0x808080, 0, pattern));
        break;
    }
    case EXTCREATEFONTINDIRECTW: canvas.PutObject(index, FontObject(ReadLogFont(r, 12, true, true))); break;
    default: canvas.PutObject(index, OtherObject()); break;
    }
}

void SetMapping(TMetaCanvas& canvas, const TBytes& r, uint32_t type) {
    auto& dc = canvas.Dc;
    const QPointF value = PointL(r, 8);
    const bool nonZero = value.x() != 0 && value.y() != 0;
    switch (type) {
    case SETWINDOWEXTEX:
        if (nonZero)
            dc.WindowExt = value;
        break;
    case SETWINDOWORGEX: dc.WindowOrg = value; break;
    case SETVIEWPORTEXTEX:
        if (nonZero)
            dc.ViewportExt = value;
        break;
    case SETVIEWPORTORGEX: dc.ViewportOrg = value; break;
    case SCALEVIEWPORTEXTEX:
    case SCALEWINDOWEXTEX: {
        // xNum, xDenom, yNum, yDenom
        const int32_t xNum = r.I32(8), xDenom = r.I32(12), yNum = r.I32(16), yDenom = r.I32(20);
        if (xNum == 0 || xDenom == 0 || yNum == 0 || yDenom == 0)
            break;
        QPointF& ext = type == SCALEWINDOWEXTEX ? dc.WindowExt : dc.ViewportExt;
        ext = QPointF(ext.x() * xNum / xDenom, ext.y() * yNum / yDenom);
        break;
    }
    default: break;
    }
}

void Draw(TMetaCanvas& canvas, const TBytes& r, uint32_t type) {
    switch (type) {
    case POLYBEZIER: canvas.PolyBezier(PolyPoints(r, false)); break;
    case POLYBEZIER16: canvas.PolyBezier(PolyPoints(r, true)); break;
    case POLYGON: canvas.Polygon(PolyPoints(r, false)); break;
    case POLYGON16: canvas.Polygon(PolyPoints(r, true)); break;
    case POLYLINE: canvas.Polyline(PolyPoints(r, false)); break;
    case POLYLINE16: canvas.Polyline(PolyPoints(r, true)); break;
    case POLYBEZIERTO: canvas.PolyBezierTo(PolyPoints(r, false)); break;
    case POLYBEZIERTO16: canvas.PolyBezierTo(PolyPoints(r, true)); break;
    case POLYLINETO: canvas.PolylineTo(PolyPoints(r, false)); break;
    case POLYLINETO16: canvas.PolylineTo(PolyPoints(r, true)); break;
    case POLYPOLYLINE: canvas.PolyPolyline(PolyPolyPoints(r, false)); break;
    case POLYPOLYLINE16: canvas.PolyPolyline(PolyPolyPoints(r, true)); break;
    case POLYPOLYGON: canvas.PolyPolygon(PolyPolyPoints(r, false)); break;
    case POLYPOLYGON16: canvas.PolyPolygon(PolyPolyPoints(r, true)); break;
    case MOVETOEX: canvas.MoveTo(PointL(r, 8)); break;
    case LINETO: canvas.LineTo(PointL(r, 8)); break;
    case RECTANGLE: canvas.Rectangle(RectL(r, 8)); break;
    case ELLIPSE: canvas.Ellipse(RectL(r, 8)); break;
    case ROUNDRECT: canvas.RoundRect(RectL(r, 8), QSizeF(r.I32(24), r.I32(28))); break;
    case ARC:
    case ARCTO:
    case CHORD:
    case PIE: {
        const TArcKind kind = type == ARC     ? TArcKind::Arc
                              : type == ARCTO ? TArcKind::ArcTo
                              : type == PIE   ? TArcKind::Pie
                                              : TArcKind::Chord;
        canvas.Arc(RectL(r, 8), PointL(r, 24), PointL(r, 32), kind);
        break;
    }
    case SETPIXELV: canvas.SetPixel(PointL(r, 8), ColorRef(r.U32(16))); break;
    case EXTTEXTOUTA: Text(canvas, r, false); break;
    case EXTTEXTOUTW: Text(canvas, r, true); break;
    case BITBLT:
    case STRETCHBLT:
    case STRETCHDIBITS:
    case SETDIBITSTODEVICE: Bitmap(canvas, r, type); break;
    case FILLRGN:
    case PAINTRGN: {
        // FILLRGN names a brush of the table; PAINTRGN uses the selected one.
        const size_t size = r.U32(24);
        const size_t at = type == FILLRGN ? 32 : 28;
        const TBrushObject brush = type == FILLRGN ? canvas.ObjectBrush(r.U32(28)) : canvas.Dc.Brush;
        QPainterPath area;
        for (const QRectF& rect : RegionRects(r, at, size))
            area.addRect(rect);
        canvas.FillPath(area, brush);
        break;
    }
    default: break;
    }
}

void PlayRecord(TMetaCanvas& canvas, const TBytes& r, uint32_t type) {
    auto& dc = canvas.Dc;
    switch (type) {
    case SETWINDOWEXTEX:
    case SETWINDOWORGEX:
    case SETVIEWPORTEXTEX:
    case SETVIEWPORTORGEX:
    case SCALEVIEWPORTEXTEX:
    case SCALEWINDOWEXTEX: SetMapping(canvas, r, type); break;
    case SETMAPMODE: dc.MapMode = static_cast<int>(r.U32(8)); break;
    case SETBKMODE: dc.Opaque = r.U32(8) == 2; break;
    case SETPOLYFILLMODE: dc.FillRule = r.U32(8) == 2 ? Qt::WindingFill : Qt::OddEvenFill; break;
    case SETROP2: dc.Rop2 = static_cast<int>(r.U32(8)); break;
    case SETTEXTALIGN: dc.TextAlign = r.U32(8); break;
    case SETTEXTCOLOR: dc.TextColor = ColorRef(r.U32(8)); break;
    case SETBKCOLOR: dc.BkColor = ColorRef(r.U32(8)); break;
    case SETARCDIRECTION: dc.Clockwise = r.U32(8) == 2; break;
    case EXCLUDECLIPRECT: canvas.ExcludeClip(RectL(r, 8)); break;
    case INTERSECTCLIPRECT: canvas.IntersectClip(RectL(r, 8)); break;
    case EXTSELECTCLIPRGN: {
        const size_t size = r.U32(8);
        const int mode = static_cast<int>(r.U32(12));
        if (mode == 5 && size == 0) {
            dc.Clipped = false;
            dc.Clip = QRegion();
        } else {
            canvas.CombineClip(DeviceRegion(r, 16, size, canvas.DeviceToDest()), mode);
        }
        break;
    }
    case SAVEDC: canvas.SaveDc(); break;
    case RESTOREDC: canvas.RestoreDc(r.I32(8)); break;
    case SETWORLDTRANSFORM:
    case MODIFYWORLDTRANSFORM: Transform(canvas, r, type); break;
    case SELECTOBJECT: {
        const uint32_t index = r.U32(8);
        if (index & 0x80000000u)
            canvas.SelectStockObject(index & 0x7FFFFFFFu);
        else
            canvas.SelectObject(index);
        break;
    }
    case DELETEOBJECT: canvas.DeleteObject(r.U32(8)); break;
    case CREATEPEN:
    case EXTCREATEPEN:
    case CREATEBRUSHINDIRECT:
    case CREATEDIBPATTERNBRUSHPT:
    case CREATEMONOBRUSH:
    case EXTCREATEFONTINDIRECTW:
    case CREATEPALETTE: CreateObject(canvas, r, type); break;
    case BEGINPATH: canvas.BeginPath(); break;
    case ENDPATH: canvas.EndPath(); break;
    case ABORTPATH: canvas.AbortPath(); break;
    case CLOSEFIGURE: canvas.CloseFigure(); break;
    case FILLPATH: canvas.FillPath(); break;
    case STROKEPATH: canvas.StrokePath(); break;
    case STROKEANDFILLPATH: canvas.StrokeAndFillPath(); break;
    case SELECTCLIPPATH: canvas.SelectClipPath(static_cast<int>(r.U32(8))); break;
    default: Draw(canvas, r, type); break;
    }
}

}  // namespace emf

}  // namespace

int MetafilePlayLimitMs = 10000;

// ---- Loading

void TMetafile::Clear() {
    bytes_.clear();
    enhanced_ = false;
    width_ = height_ = 0;
    firstRecord_ = 0;
    bounds_ = QRectF();
}

void TMetafile::LoadFromFile(const std::string& FileName) {
    TMemoryStream stream;
    stream.LoadFromFile(FileName);
    LoadFromBytes(std::vector<uint8_t>(stream.Memory(), stream.Memory() + stream.GetSize()));
}

void TMetafile::LoadFromBytes(std::vector<uint8_t> Bytes) {
    Clear();
    bytes_ = std::move(Bytes);
    try {
        const TBytes all(bytes_);
        if (all.Has(0, kEmfHeaderMin) && all.U32(0) == 1 && all.U32(40) == kEmfSignature)
            ReadEmfHeader();
        else
            ReadWmfHeader();
        if (!PictureSizeAllowed(width_, height_))
            Invalid();
    } catch (...) {
        Clear();
        throw;
    }
}

void TMetafile::ReadWmfHeader() {
    const TBytes all(bytes_);
    size_t at = 0;
    bool placeable = false;
    if (all.Has(0, kPlaceableSize) && all.U32(0) == kPlaceableKey) {
        placeable = true;
        const int left = all.I16(6), top = all.I16(8), right = all.I16(10), bottom = all.I16(12);
        const int inch = all.U16(14);
        if (inch == 0 || right == left || bottom == top)
            Invalid();
        bounds_ = QRectF(QPointF(left, top), QPointF(right, bottom));
        width_ = static_cast<int>(std::lround(std::abs(right - left) * double(MetafilePixelsPerInch) / inch));
        height_ = static_cast<int>(std::lround(std::abs(bottom - top) * double(MetafilePixelsPerInch) / inch));
        at = kPlaceableSize;
    }
    // The header: type 1 or 2, 9 words long, version 0x0100 or 0x0300, the
    // file's size in words.
    if (!all.Has(at, kWmfHeaderSize))
        Invalid();
    const uint16_t type = all.U16(at), headerWords = all.U16(at + 2);
    if ((type != 1 && type != 2) || headerWords != 9)
        Invalid();
    const uint64_t declared = uint64_t(all.U32(at + 6)) * 2;
    if (declared < kWmfHeaderSize || declared > all.Size() - at)
        Invalid();
    firstRecord_ = at + kWmfHeaderSize;
    // Every record must lie inside the declared size: size in words, then function.
    const size_t end = at + declared;
    size_t record = firstRecord_;
    bool sized = placeable;
    bool originSeen = placeable;
    QPointF origin;
    while (record < end) {
        if (end - record < 6)
            Invalid();
        const uint64_t size = uint64_t(all.U32(record)) * 2;
        const uint16_t function = all.U16(record + 4);
        if (size < 6 || size > end - record)
            Invalid();
        // Without a placeable header the first window origin and extent say
        // what the picture shows, one unit a pixel.
        if (!sized && function == wmf::SETWINDOWEXT && size >= 10) {
            const int cy = all.I16(record + 6), cx = all.I16(record + 8);
            if (cx != 0 && cy != 0) {
                bounds_.setSize(QSizeF(cx, cy));
                width_ = std::abs(cx);
                height_ = std::abs(cy);
                sized = true;
            }
        }
        if (!originSeen && function == wmf::SETWINDOWORG && size >= 10) {
            origin = QPointF(all.I16(record + 8), all.I16(record + 6));
            originSeen = true;
        }
        record += size;
        if (function == wmf::EOF_)
            break;
    }
    if (!placeable)
        bounds_.moveTopLeft(origin);
    if (!sized)
        Invalid();
}

void TMetafile::ReadEmfHeader() {
    enhanced_ = true;
    const TBytes all(bytes_);
    // Bounds (device pixels), frame (0.01 mm), signature, version, size in
    // bytes, record count, handle count, ..., device size in pixels and in mm.
    const QRectF frame(QPointF(all.I32(24), all.I32(28)), QPointF(all.I32(32), all.I32(36)));
    const uint64_t declared = all.U32(48);
    const uint32_t headerSize = all.U32(4);
    if (headerSize < kEmfHeaderMin || headerSize % 4 != 0 || headerSize > declared || declared > all.Size())
        Invalid();
    const double deviceX = all.I32(72), deviceY = all.I32(76), millimetresX = all.I32(80), millimetresY = all.I32(84);
    if (frame.width() <= 0 || frame.height() <= 0 || deviceX <= 0 || deviceY <= 0 || millimetresX <= 0 ||
        millimetresY <= 0)
        Invalid();
    width_ = static_cast<int>(std::lround(frame.width() * MetafilePixelsPerInch / 2540.0));
    height_ = static_cast<int>(std::lround(frame.height() * MetafilePixelsPerInch / 2540.0));
    deviceDotsPerMillimetreX_ = deviceX / millimetresX;
    deviceDotsPerMillimetreY_ = deviceY / millimetresY;
    deviceFrame_ = QRectF(frame.left() / 100 * deviceDotsPerMillimetreX_, frame.top() / 100 * deviceDotsPerMillimetreY_,
                          frame.width() / 100 * deviceDotsPerMillimetreX_,
                          frame.height() / 100 * deviceDotsPerMillimetreY_);
    firstRecord_ = headerSize;
    size_t record = headerSize;
    while (record < declared) {
        if (declared - record < 8)
            Invalid();
        const uint32_t type = all.U32(record), size = all.U32(record + 4);
        if (size < 8 || size % 4 != 0 || size > declared - record)
            Invalid();
        record += size;
        if (type == emf::EOF_)
            break;
    }
}

// ---- Playing

bool TMetafile::Play(QPainter& Painter, const QRectF& Dest) const {
    if (Empty() || Dest.isEmpty())
        return true;
    const TBytes all(bytes_);
    TPlayClock clock;
    if (!enhanced_) {
        TMetaCanvas canvas(Painter, Dest, true, QTransform(), 1, 1);
        canvas.Dc.WindowOrg = bounds_.topLeft();
        canvas.Dc.WindowExt = QPointF(bounds_.width(), bounds_.height());
        canvas.SetTableSize(all.U16(firstRecord_ - kWmfHeaderSize + 10));
        size_t record = firstRecord_;
        while (all.Has(record, 6)) {
            const size_t size = size_t(all.U32(record)) * 2;
            const uint16_t function = all.U16(record + 4);
            if (size < 6 || !all.Has(record, size) || function == wmf::EOF_)
                break;
            wmf::PlayRecord(canvas, TBytes(all.Sub(record, size)), function);
            record += size;
            if (clock.Expired())
                return false;
        }
        return true;
    }
    // The frame, in the reference device's pixels, fills the destination.
    const QTransform deviceToDest = QTransform::fromTranslate(-deviceFrame_.left(), -deviceFrame_.top()) *
                                    QTransform::fromScale(Dest.width() / deviceFrame_.width(),
                                                          Dest.height() / deviceFrame_.height()) *
                                    QTransform::fromTranslate(Dest.left(), Dest.top());
    TMetaCanvas canvas(Painter, Dest, false, deviceToDest, deviceDotsPerMillimetreX_, deviceDotsPerMillimetreY_);
    canvas.SetTableSize(size_t(all.U16(56)) + 1);
    const size_t end = std::min<size_t>(all.U32(48), all.Size());
    size_t record = firstRecord_;
    while (record < end && end - record >= 8) {
        const uint32_t type = all.U32(record), size = all.U32(record + 4);
        if (size < 8 || size > end - record || type == emf::EOF_)
            break;
        emf::PlayRecord(canvas, TBytes(all.Sub(record, size)), type);
        record += size;
        if (clock.Expired())
            return false;
    }
    return true;
}

// ---- Rendering a file

TPixelBuffer RenderMetafile(const std::string& FileName, TColor Background) {
    TMetafile metafile;
    metafile.LoadFromFile(FileName);
    const int width = metafile.Width(), height = metafile.Height();
    QImage canvas(width, height, QImage::Format_RGB32);
    if (canvas.isNull())
        throw EOutOfMemory("Out of memory");
    canvas.fill(QColor(GetRValue(Background), GetGValue(Background), GetBValue(Background)));
    bool finished;
    {
        QPainter painter(&canvas);
        finished = metafile.Play(painter, QRectF(0, 0, width, height));
    }
    if (!finished)
        Invalid();
    return PixelBufferFromImage(canvas);
}

}  // namespace lumvor
