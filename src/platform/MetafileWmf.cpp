#include "platform/MetafileRecords.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace lumvor::metafile::wmf {

namespace {

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

}  // namespace

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

}  // namespace lumvor::metafile::wmf
