#include "platform/MetafileRecords.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace lumvor::metafile::emf {

namespace {

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

// The union of rects[from, to), halves first: uniting one rectangle at a time
// costs the square of their number.
QRegion Union(const std::vector<QRect>& rects, size_t from, size_t to) {
    if (to - from == 1)
        return QRegion(rects[from]);
    const size_t middle = from + (to - from) / 2;
    return Union(rects, from, middle).united(Union(rects, middle, to));
}

// A clipping region, in the reference device's pixels; only what lies in
// Within counts. Empty when the time runs out while it is made.
QRegion DeviceRegion(TMetaCanvas& canvas, const TBytes& r, size_t at, size_t size, const QRectF& within) {
    std::vector<QRect> rects;
    for (const QRectF& rect : RegionRects(r, at, size)) {
        const QRectF dest = canvas.DeviceToDest().mapRect(rect).intersected(within);
        if (!dest.isEmpty())
            rects.push_back(dest.toAlignedRect());
        if (rects.size() % 4096 == 0 && canvas.OutOfTime())
            return {};
    }
    return rects.empty() ? QRegion() : Union(rects, 0, rects.size());
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

}  // namespace

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
            canvas.CombineClip(DeviceRegion(canvas, r, 16, size, canvas.DestBounds()), mode);
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

}  // namespace lumvor::metafile::emf
