#include "platform/MetafileCanvas.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QRect>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace lumvor::metafile {

namespace {

// Destination coordinates are kept within this range: far beyond any picture,
// yet small enough for the painter's fixed-point rasteriser.
constexpr double kCoordinateLimit = 1 << 22;
constexpr double kMaxPenWidth = 1 << 14;
constexpr double kMaxFontPixels = 2048;
constexpr size_t kMaxSavedStates = 1024;
constexpr qsizetype kMaxTextLength = 4096;
// The work of one record is bounded: the points one drawing record draws, the
// elements an open path may gather, the pixels of one strip when a path is
// turned into a clipping region, and the rectangles of that region.
constexpr qsizetype kMaxRecordPoints = qsizetype(1) << 20;
constexpr int kMaxPathElements = 1 << 20;
constexpr int64_t kMaxStripPixels = int64_t(1) << 22;
constexpr size_t kMaxRegionRects = size_t(1) << 22;
// Separate figures drawn between two looks at the clock.
constexpr size_t kFiguresPerClockLook = 64;

double Clamp(double value) {
    if (!std::isfinite(value))
        return 0;
    return std::clamp(value, -kCoordinateLimit, kCoordinateLimit);
}

QPointF ClampPoint(const QPointF& p) { return {Clamp(p.x()), Clamp(p.y())}; }

bool FiniteTransform(const QTransform& t) {
    for (double v : {t.m11(), t.m12(), t.m21(), t.m22(), t.dx(), t.dy()})
        if (!std::isfinite(v) || std::abs(v) > 1e12)
            return false;
    return true;
}

// Pen styles, brush styles and raster operations of the drawing records.
enum : uint32_t { PS_DASH = 1, PS_DOT, PS_DASHDOT, PS_DASHDOTDOT, PS_NULL, PS_INSIDEFRAME };
enum : uint32_t { BS_SOLID = 0, BS_NULL, BS_HATCHED, BS_PATTERN, BS_DIBPATTERN = 5, BS_DIBPATTERNPT };
enum : uint32_t {
    BLACKNESS = 0x00000042, DSTINVERT = 0x00550009, PATINVERT = 0x005A0049, SRCINVERT = 0x00660046,
    SRCAND = 0x008800C6, SRCPAINT = 0x00EE0086, NOTSRCCOPY = 0x00330008, WHITENESS = 0x00FF0062,
};
enum : uint32_t { TA_UPDATECP = 1, TA_RIGHT = 2, TA_CENTER = 6, TA_BOTTOM = 8, TA_BASELINE = 24 };
enum : uint32_t { ETO_OPAQUE = 2, ETO_CLIPPED = 4 };
constexpr int R2_NOP = 11;

}  // namespace

TMetaCanvas::TMetaCanvas(QPainter& painter, const QRectF& dest, bool windowed, const QTransform& deviceToDest,
                         double dotsPerMmX, double dotsPerMmY)
    : painter_(painter), dest_(dest), windowed_(windowed), deviceToDest_(deviceToDest),
      dotsPerMmX_(dotsPerMmX), dotsPerMmY_(dotsPerMmY) {
    painter_.save();
    painter_.setRenderHint(QPainter::Antialiasing, false);
    painter_.setClipRect(dest_);
}

TMetaCanvas::~TMetaCanvas() { painter_.restore(); }

// ---- Time

void TMetaCanvas::SetTimeLimit(const QElapsedTimer& clock, int64_t limitMs) {
    clock_ = &clock;
    limitMs_ = limitMs;
}

bool TMetaCanvas::OutOfTime() {
    if (!cutShort_ && clock_ && clock_->elapsed() > limitMs_)
        cutShort_ = true;
    return cutShort_;
}

// ---- Objects

void TMetaCanvas::SetTableSize(size_t count) { objects_.assign(count, TGdiObject{}); }

void TMetaCanvas::AddObject(const TGdiObject& object) {
    for (TGdiObject& slot : objects_)
        if (slot.Kind == TObjectKind::Empty) {
            slot = object;
            return;
        }
}

void TMetaCanvas::PutObject(size_t index, const TGdiObject& object) {
    if (index < objects_.size())
        objects_[index] = object;
}

void TMetaCanvas::SelectObject(size_t index) {
    if (index >= objects_.size())
        return;
    const TGdiObject& object = objects_[index];
    switch (object.Kind) {
    case TObjectKind::Pen: Dc.Pen = object.Pen; break;
    case TObjectKind::Brush: Dc.Brush = object.Brush; break;
    case TObjectKind::Font: Dc.Font = object.Font; break;
    default: break;
    }
}

void TMetaCanvas::SelectStockObject(uint32_t stock) {
    static const QColor greys[] = {Qt::white, QColor(192, 192, 192), QColor(128, 128, 128), QColor(64, 64, 64),
                                   Qt::black};
    if (stock <= 4) {
        Dc.Brush = TBrushObject{BS_SOLID, 0, greys[stock], {}};
    } else if (stock == 5) {
        Dc.Brush = TBrushObject{BS_NULL, 0, Qt::white, {}};
    } else if (stock == 6 || stock == 7) {
        Dc.Pen = TPenObject{0, 0, stock == 6 ? QColor(Qt::white) : QColor(Qt::black)};
    } else if (stock == 8) {
        Dc.Pen = TPenObject{PS_NULL, 0, Qt::black};
    } else if (stock >= 10 && stock <= 17 && stock != 15) {
        Dc.Font = TFontObject{};
    }
}

void TMetaCanvas::DeleteObject(size_t index) {
    if (index < objects_.size())
        objects_[index] = TGdiObject{};
}

TBrushObject TMetaCanvas::ObjectBrush(size_t index) const {
    if (index < objects_.size() && objects_[index].Kind == TObjectKind::Brush)
        return objects_[index].Brush;
    return Dc.Brush;
}

// ---- State

void TMetaCanvas::SaveDc() {
    if (saved_.size() < kMaxSavedStates)
        saved_.push_back(Dc);
}

void TMetaCanvas::RestoreDc(int which) {
    // Negative: relative to the last saved state; positive: the n-th saved.
    const int64_t count = static_cast<int64_t>(saved_.size());
    const int64_t index = which < 0 ? count + which : static_cast<int64_t>(which) - 1;
    if (index < 0 || index >= count)
        return;
    Dc = saved_[static_cast<size_t>(index)];
    saved_.resize(static_cast<size_t>(index));
}

QTransform TMetaCanvas::LogicalToDest() const {
    QTransform page;
    const TDcState& dc = Dc;
    if (windowed_) {
        const double sx = dc.WindowExt.x() != 0 ? dest_.width() / dc.WindowExt.x() : 1;
        const double sy = dc.WindowExt.y() != 0 ? dest_.height() / dc.WindowExt.y() : 1;
        page = QTransform(sx, 0, 0, sy, dest_.left() - dc.WindowOrg.x() * sx, dest_.top() - dc.WindowOrg.y() * sy);
        return page;
    }
    double sx = 1, sy = 1;
    switch (dc.MapMode) {
    case MM_LOMETRIC: sx = dotsPerMmX_ / 10, sy = -dotsPerMmY_ / 10; break;
    case MM_HIMETRIC: sx = dotsPerMmX_ / 100, sy = -dotsPerMmY_ / 100; break;
    case MM_LOENGLISH: sx = dotsPerMmX_ * 0.254, sy = -dotsPerMmY_ * 0.254; break;
    case MM_HIENGLISH: sx = dotsPerMmX_ * 0.0254, sy = -dotsPerMmY_ * 0.0254; break;
    case MM_TWIPS: sx = dotsPerMmX_ * 25.4 / 1440, sy = -dotsPerMmY_ * 25.4 / 1440; break;
    case MM_ISOTROPIC:
    case MM_ANISOTROPIC:
        sx = dc.WindowExt.x() != 0 ? dc.ViewportExt.x() / dc.WindowExt.x() : 1;
        sy = dc.WindowExt.y() != 0 ? dc.ViewportExt.y() / dc.WindowExt.y() : 1;
        if (dc.MapMode == MM_ISOTROPIC) {
            const double s = std::min(std::abs(sx), std::abs(sy));
            sx = std::copysign(s, sx);
            sy = std::copysign(s, sy);
        }
        break;
    default: break;
    }
    page = QTransform(sx, 0, 0, sy, dc.ViewportOrg.x() - dc.WindowOrg.x() * sx,
                      dc.ViewportOrg.y() - dc.WindowOrg.y() * sy);
    const QTransform whole = dc.World * page * deviceToDest_;
    return FiniteTransform(whole) ? whole : deviceToDest_;
}

QPointF TMetaCanvas::Map(const QPointF& logical) const { return ClampPoint(LogicalToDest().map(logical)); }

QPainterPath TMetaCanvas::MapPath(const QPainterPath& logical) const {
    QPainterPath mapped = LogicalToDest().map(logical);
    for (int i = 0; i < mapped.elementCount(); ++i) {
        const QPainterPath::Element e = mapped.elementAt(i);
        const QPointF p = ClampPoint(QPointF(e.x, e.y));
        if (p.x() != e.x || p.y() != e.y)
            mapped.setElementPositionAt(i, p.x(), p.y());
    }
    return mapped;
}

double TMetaCanvas::LinearScale() const {
    const QTransform t = LogicalToDest();
    return std::sqrt(std::abs(t.m11() * t.m22() - t.m12() * t.m21()));
}

// The destination pixels of a logical rectangle.
QRegion TMetaCanvas::DestRegion(const QRectF& logical) const {
    QPainterPath path;
    path.addRect(logical.normalized());
    return QRegion(MapPath(path).boundingRect().toAlignedRect());
}

void TMetaCanvas::IntersectClip(const QRectF& logical) { CombineClip(DestRegion(logical), 1); }

void TMetaCanvas::ExcludeClip(const QRectF& logical) { CombineClip(DestRegion(logical), 4); }

void TMetaCanvas::CombineClip(const QRegion& dest, int mode) {
    const QRegion current = Dc.Clipped ? Dc.Clip : QRegion(dest_.toAlignedRect());
    switch (mode) {
    case 1: Dc.Clip = current.intersected(dest); break;
    case 2: Dc.Clip = current.united(dest); break;
    case 3: Dc.Clip = current.xored(dest); break;
    case 4: Dc.Clip = current.subtracted(dest); break;
    case 5: Dc.Clip = dest; break;
    default: return;
    }
    Dc.Clipped = true;
}

void TMetaCanvas::ApplyClip() {
    painter_.setClipRect(dest_);
    if (Dc.Clipped)
        painter_.setClipRegion(Dc.Clip, Qt::IntersectClip);
}

// ---- Pens, brushes, fonts

QPen TMetaCanvas::DestPen() const {
    const uint32_t style = Dc.Pen.Style & 0xF;
    if (style == PS_NULL)
        return Qt::NoPen;
    double width = std::min(Dc.Pen.Width * LinearScale(), kMaxPenWidth);
    QPen pen(Dc.Pen.Color);
    if (!(width > 1.5))
        width = 0;  // one pixel
    pen.setWidthF(width);
    switch (style) {
    case PS_DASH: pen.setStyle(Qt::DashLine); break;
    case PS_DOT: pen.setStyle(Qt::DotLine); break;
    case PS_DASHDOT: pen.setStyle(Qt::DashDotLine); break;
    case PS_DASHDOTDOT: pen.setStyle(Qt::DashDotDotLine); break;
    default: break;
    }
    const uint32_t cap = Dc.Pen.Style & 0xF00, join = Dc.Pen.Style & 0xF000;
    pen.setCapStyle(cap == 0x100 ? Qt::SquareCap : cap == 0x200 ? Qt::FlatCap : Qt::RoundCap);
    pen.setJoinStyle(join == 0x1000 ? Qt::BevelJoin : join == 0x2000 ? Qt::MiterJoin : Qt::RoundJoin);
    return pen;
}

QBrush TMetaCanvas::DestBrush(const TBrushObject& brush) const {
    switch (brush.Style) {
    case BS_SOLID: return QBrush(brush.Color);
    case BS_HATCHED: {
        static const Qt::BrushStyle hatches[] = {Qt::HorPattern, Qt::VerPattern, Qt::BDiagPattern,
                                                 Qt::FDiagPattern, Qt::CrossPattern, Qt::DiagCrossPattern};
        return QBrush(brush.Color, brush.Hatch < 6 ? hatches[brush.Hatch] : Qt::SolidPattern);
    }
    case BS_PATTERN:
    case BS_DIBPATTERN:
    case BS_DIBPATTERNPT:
        if (!brush.Pattern.isNull())
            return QBrush(brush.Pattern);
        return QBrush(brush.Color);
    default: return Qt::NoBrush;
    }
}

QFont TMetaCanvas::DestFont(double& pixelHeight) const {
    QFont font(Dc.Font.Face.isEmpty() ? QStringLiteral("Sans Serif") : Dc.Font.Face);
    const QTransform t = LogicalToDest();
    const double scaleY = std::hypot(t.m21(), t.m22());
    double height = std::abs(Dc.Font.Height) * scaleY;
    if (Dc.Font.Height == 0 || !std::isfinite(height))
        height = 16;
    height = std::clamp(height, 1.0, kMaxFontPixels);
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(height))));
    if (Dc.Font.Height > 0) {
        // A positive height is the cell height: leading included.
        const double cell = QFontMetricsF(font).height();
        if (cell > 0)
            font.setPixelSize(std::max(1, static_cast<int>(std::lround(height * height / cell))));
    }
    font.setWeight(static_cast<QFont::Weight>(std::clamp(Dc.Font.Weight == 0 ? 400 : Dc.Font.Weight, 100, 900)));
    font.setItalic(Dc.Font.Italic);
    font.setUnderline(Dc.Font.Underline);
    font.setStrikeOut(Dc.Font.StrikeOut);
    pixelHeight = height;
    return font;
}

// ---- Drawing

void TMetaCanvas::Draw(const QPainterPath& dest, bool fill, bool stroke) {
    if (Dc.Rop2 == R2_NOP)
        return;
    painter_.save();
    ApplyClip();
    painter_.setPen(stroke ? DestPen() : QPen(Qt::NoPen));
    if (fill) {
        if (Dc.Brush.Style == BS_HATCHED && Dc.Opaque)
            painter_.fillPath(dest, Dc.BkColor);
        QPainterPath filled = dest;
        filled.setFillRule(Dc.FillRule);
        painter_.setBrush(DestBrush(Dc.Brush));
        painter_.drawPath(filled);
    } else {
        painter_.setBrush(Qt::NoBrush);
        painter_.drawPath(dest);
    }
    painter_.restore();
}

bool TMetaCanvas::PathFull(const QPainterPath& more) const {
    return more.elementCount() > kMaxPathElements - path_.elementCount();
}

bool TMetaCanvas::AddToPath(const QPainterPath& dest, bool closeFigures) {
    if (!inPath_)
        return false;
    if (PathFull(dest))
        return true;
    QPainterPath figure = dest;
    if (closeFigures)
        figure.closeSubpath();
    path_.addPath(figure);
    return true;
}

void TMetaCanvas::MoveTo(const QPointF& at) {
    Dc.Position = at;
    if (inPath_ && path_.elementCount() < kMaxPathElements)
        path_.moveTo(Map(at));
}

void TMetaCanvas::LineTo(const QPointF& to) { PolylineTo(QPolygonF{to}); }

void TMetaCanvas::Polyline(const QPolygonF& points) {
    if (points.size() < 2)
        return;
    QPainterPath path;
    path.addPolygon(points.size() > kMaxRecordPoints ? QPolygonF(points.first(kMaxRecordPoints)) : points);
    const QPainterPath dest = MapPath(path);
    if (!AddToPath(dest, false))
        Draw(dest, false, true);
}

void TMetaCanvas::PolylineTo(const QPolygonF& points) {
    if (points.isEmpty())
        return;
    QPainterPath path(Dc.Position);
    for (const QPointF& p : points.first(std::min(points.size(), kMaxRecordPoints)))
        path.lineTo(p);
    Dc.Position = points.back();
    const QPainterPath dest = MapPath(path);
    if (inPath_) {
        if (PathFull(dest))
            return;
        if (path_.elementCount() == 0 || path_.currentPosition() != dest.elementAt(0))
            path_.moveTo(dest.elementAt(0));
        for (int i = 1; i < dest.elementCount(); ++i)
            path_.lineTo(dest.elementAt(i));
        return;
    }
    Draw(dest, false, true);
}

void TMetaCanvas::PolyBezier(const QPolygonF& points) {
    if (points.size() < 4)
        return;
    Dc.Position = points.front();
    PolyBezierTo(points.mid(1));
}

void TMetaCanvas::PolyBezierTo(const QPolygonF& points) {
    if (points.size() < 3)
        return;
    QPainterPath path(Dc.Position);
    for (qsizetype i = 0; i + 2 < points.size() && i < kMaxRecordPoints; i += 3)
        path.cubicTo(points[i], points[i + 1], points[i + 2]);
    Dc.Position = points[(points.size() / 3) * 3 - 1];
    const QPainterPath dest = MapPath(path);
    if (inPath_) {
        if (PathFull(dest))
            return;
        if (path_.elementCount() == 0 || path_.currentPosition() != dest.elementAt(0))
            path_.moveTo(dest.elementAt(0));
        path_.connectPath(dest);
        return;
    }
    Draw(dest, false, true);
}

void TMetaCanvas::Polygon(const QPolygonF& points) { PolyPolygon({points}); }

void TMetaCanvas::PolyPolygon(const std::vector<QPolygonF>& polygons) {
    QPainterPath path;
    qsizetype room = kMaxRecordPoints;
    for (const QPolygonF& polygon : polygons)
        if (polygon.size() >= 2 && room >= 2) {
            path.addPolygon(polygon.size() > room ? QPolygonF(polygon.first(room)) : polygon);
            path.closeSubpath();
            room -= std::min(room, polygon.size());
        }
    if (path.isEmpty())
        return;
    const QPainterPath dest = MapPath(path);
    if (!AddToPath(dest, true))
        Draw(dest, true, true);
}

void TMetaCanvas::PolyPolyline(const std::vector<QPolygonF>& lines) {
    // Each line is drawn by itself, so a record of very many lines looks at
    // the clock as it goes.
    size_t drawn = 0;
    for (const QPolygonF& line : lines) {
        if (++drawn % kFiguresPerClockLook == 0 && OutOfTime())
            return;
        Polyline(line);
    }
}

void TMetaCanvas::Rectangle(const QRectF& box) {
    QPainterPath path;
    path.addRect(box.normalized());
    const QPainterPath dest = MapPath(path);
    if (AddToPath(dest, true) || dest.elementCount() == 0)
        return;
    if (DestPen().style() == Qt::NoPen) {
        Draw(dest, true, false);
        return;
    }
    // The outline lies inside the rectangle's right and bottom edges.
    const QRectF r = dest.boundingRect().adjusted(0, 0, -1, -1);
    QPainterPath inner;
    inner.addRect(r);
    Draw(inner, true, true);
}

void TMetaCanvas::RoundRect(const QRectF& box, const QSizeF& corner) {
    QPainterPath path;
    path.addRoundedRect(box.normalized(), std::abs(corner.width()) / 2, std::abs(corner.height()) / 2);
    const QPainterPath dest = MapPath(path);
    if (!AddToPath(dest, true))
        Draw(dest, true, true);
}

void TMetaCanvas::Ellipse(const QRectF& box) {
    QPainterPath path;
    path.addEllipse(box.normalized());
    const QPainterPath dest = MapPath(path);
    if (!AddToPath(dest, true))
        Draw(dest, true, true);
}

QPainterPath TMetaCanvas::ArcPath(const QRectF& box, const QPointF& start, const QPointF& end, TArcKind kind) const {
    // Angles are taken where the arc is drawn, so a flipped mapping keeps the
    // arc's sense on the page.
    const QTransform t = LogicalToDest();
    const QRectF r = t.mapRect(box.normalized());
    const QPointF c = r.center(), s = t.map(start), e = t.map(end);
    auto angle = [&](const QPointF& p) { return std::atan2(-(p.y() - c.y()), p.x() - c.x()) * 180 / std::numbers::pi; };
    const double a0 = angle(s), a1 = angle(e);
    bool clockwise = Dc.Clockwise;
    if (t.determinant() < 0)
        clockwise = !clockwise;
    double sweep = clockwise ? a0 - a1 : a1 - a0;
    while (sweep <= 0)
        sweep += 360;
    while (sweep > 360)
        sweep -= 360;
    if (clockwise)
        sweep = -sweep;
    QPainterPath path;
    path.arcMoveTo(r, a0);
    if (kind == TArcKind::Pie) {
        // A pie's outline runs from the centre to the arc's start.
        const QPointF arcStart = path.currentPosition();
        path = QPainterPath(c);
        path.lineTo(arcStart);
    }
    path.arcTo(r, a0, sweep);
    if (kind == TArcKind::Pie || kind == TArcKind::Chord)
        path.closeSubpath();
    // A box of a single point holds no arc: what is left of it is that point,
    // where an ArcTo still draws its line to.
    if (path.elementCount() == 0)
        path.moveTo(c);
    return path;
}

void TMetaCanvas::Arc(const QRectF& box, const QPointF& start, const QPointF& end, TArcKind kind) {
    QPainterPath dest = ArcPath(box, start, end, kind);
    for (int i = 0; i < dest.elementCount(); ++i) {
        const QPointF p = ClampPoint(dest.elementAt(i));
        dest.setElementPositionAt(i, p.x(), p.y());
    }
    const bool closed = kind == TArcKind::Pie || kind == TArcKind::Chord;
    if (kind == TArcKind::ArcTo) {
        // ArcTo draws a line from the current position to the arc's start.
        QPainterPath joined(Map(Dc.Position));
        joined.lineTo(dest.elementAt(0));
        joined.connectPath(dest);
        dest = joined;
        Dc.Position = LogicalToDest().inverted().map(dest.currentPosition());
    }
    if (inPath_) {
        if (PathFull(dest))
            return;
        if (kind == TArcKind::ArcTo)
            path_.connectPath(dest);
        else
            path_.addPath(dest);
        return;
    }
    Draw(dest, closed, true);
}

void TMetaCanvas::SetPixel(const QPointF& at, const QColor& color) {
    const QPointF p = Map(at);
    painter_.save();
    ApplyClip();
    painter_.fillRect(QRectF(std::floor(p.x()), std::floor(p.y()), 1, 1), color);
    painter_.restore();
}

void TMetaCanvas::Text(const QPointF& at, const QString& text, uint32_t options, const QRectF* rect,
                       const std::vector<double>& advances) {
    const QTransform t = LogicalToDest();
    painter_.save();
    ApplyClip();
    QRectF box;
    if (rect) {
        box = QRectF(ClampPoint(t.map(rect->topLeft())), ClampPoint(t.map(rect->bottomRight()))).normalized();
        if (options & ETO_OPAQUE)
            painter_.fillRect(box, Dc.BkColor);
        if (options & ETO_CLIPPED)
            painter_.setClipRect(box, Qt::IntersectClip);
    }
    if (text.isEmpty()) {
        painter_.restore();
        return;
    }
    if (text.size() > kMaxTextLength) {
        painter_.restore();
        Text(at, text.left(kMaxTextLength), options, rect, advances);
        return;
    }
    double pixelHeight = 0;
    const QFont font = DestFont(pixelHeight);
    const QFontMetricsF metrics(font);
    const double scaleX = std::hypot(t.m11(), t.m12());
    // Where each character starts, from the start of the text.
    std::vector<double> starts(static_cast<size_t>(text.size()) + 1, 0.0);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const double advance = static_cast<size_t>(i) < advances.size()
                                   ? std::clamp(advances[static_cast<size_t>(i)] * scaleX, -kCoordinateLimit,
                                                kCoordinateLimit)
                                   : metrics.horizontalAdvance(text[i]);
        starts[static_cast<size_t>(i) + 1] = starts[static_cast<size_t>(i)] + advance;
    }
    const double width = starts.back();
    const bool updateCp = Dc.TextAlign & TA_UPDATECP;
    const QPointF origin = Map(updateCp ? Dc.Position : at);
    double x = 0;
    if ((Dc.TextAlign & TA_CENTER) == TA_CENTER)
        x = -width / 2;
    else if (Dc.TextAlign & TA_RIGHT)
        x = -width;
    double baseline = metrics.ascent();
    if ((Dc.TextAlign & TA_BASELINE) == TA_BASELINE)
        baseline = 0;
    else if (Dc.TextAlign & TA_BOTTOM)
        baseline = -metrics.descent();
    painter_.translate(origin);
    if (Dc.Font.Escapement != 0)
        painter_.rotate(-Dc.Font.Escapement / 10.0);
    if (Dc.Opaque && !(options & ETO_OPAQUE))
        painter_.fillRect(QRectF(x, baseline - metrics.ascent(), width, metrics.height()), Dc.BkColor);
    painter_.setFont(font);
    painter_.setPen(Dc.TextColor);
    if (advances.empty()) {
        painter_.drawText(QPointF(x, baseline), text);
    } else {
        for (qsizetype i = 0; i < text.size(); ++i)
            painter_.drawText(QPointF(x + starts[static_cast<size_t>(i)], baseline), QString(text[i]));
    }
    painter_.restore();
    if (updateCp) {
        const double advanceX = (Dc.TextAlign & TA_CENTER) == TA_CENTER ? 0 : (Dc.TextAlign & TA_RIGHT) ? -width : width;
        Dc.Position = t.inverted().map(QPointF(origin.x() + advanceX, origin.y()));
    }
}

void TMetaCanvas::PatBlt(const QRectF& box, uint32_t rop) {
    QPainterPath path;
    path.addRect(box.normalized());
    const QRectF dest = MapPath(path).boundingRect();
    painter_.save();
    ApplyClip();
    switch (rop) {
    case BLACKNESS: painter_.fillRect(dest, Qt::black); break;
    case WHITENESS: painter_.fillRect(dest, Qt::white); break;
    case DSTINVERT:
        painter_.setCompositionMode(QPainter::RasterOp_NotDestination);
        painter_.fillRect(dest, Qt::white);
        break;
    case PATINVERT:
        painter_.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        painter_.fillRect(dest, DestBrush(Dc.Brush));
        break;
    default:
        if (Dc.Brush.Style != BS_NULL)
            painter_.fillRect(dest, DestBrush(Dc.Brush));
        break;
    }
    painter_.restore();
}

void TMetaCanvas::Bitmap(const QRectF& box, const QImage& picture, const QRectF& source, uint32_t rop) {
    if (picture.isNull())
        return;
    const QTransform t = LogicalToDest();
    const QPointF a = ClampPoint(t.map(box.topLeft())), b = ClampPoint(t.map(box.bottomRight()));
    const QRectF dest(a, b);
    const QRectF src = source.isEmpty() ? QRectF(picture.rect()) : source.intersected(QRectF(picture.rect()));
    if (src.isEmpty() || dest.width() == 0 || dest.height() == 0)
        return;
    QImage part = picture.copy(src.toAlignedRect());
    if (part.isNull())
        return;
    part = part.mirrored(dest.width() < 0, dest.height() < 0);
    if (rop == NOTSRCCOPY)
        part.invertPixels();
    painter_.save();
    ApplyClip();
    switch (rop) {
    case SRCAND: painter_.setCompositionMode(QPainter::RasterOp_SourceAndDestination); break;
    case SRCPAINT: painter_.setCompositionMode(QPainter::RasterOp_SourceOrDestination); break;
    case SRCINVERT: painter_.setCompositionMode(QPainter::RasterOp_SourceXorDestination); break;
    default: break;
    }
    painter_.drawImage(dest.normalized(), part.convertToFormat(QImage::Format_RGB32));
    painter_.restore();
}

void TMetaCanvas::FillPath(const QPainterPath& logical, const TBrushObject& brush) {
    const QPainterPath dest = MapPath(logical);
    painter_.save();
    ApplyClip();
    painter_.fillPath(dest, DestBrush(brush));
    painter_.restore();
}

// ---- Path brackets

void TMetaCanvas::BeginPath() {
    inPath_ = true;
    path_ = QPainterPath();
}

void TMetaCanvas::AbortPath() {
    inPath_ = false;
    path_ = QPainterPath();
}

void TMetaCanvas::CloseFigure() {
    if (inPath_)
        path_.closeSubpath();
}

void TMetaCanvas::FillPath() {
    inPath_ = false;
    Draw(path_, true, false);
    path_ = QPainterPath();
}

void TMetaCanvas::StrokePath() {
    inPath_ = false;
    Draw(path_, false, true);
    path_ = QPainterPath();
}

void TMetaCanvas::StrokeAndFillPath() {
    inPath_ = false;
    Draw(path_, true, true);
    path_ = QPainterPath();
}

QRegion TMetaCanvas::PathRegion(const QPainterPath& dest) {
    // The path is filled into a mask of the destination, a strip of rows at a
    // time, and the mask's runs become the region's rectangles: the work is
    // bounded by the destination's pixels and the path's elements, however
    // far the path reaches beyond the destination.
    const QRect bounds = dest_.toAlignedRect().intersected(dest.controlPointRect().toAlignedRect());
    if (bounds.isEmpty() || dest.isEmpty())
        return {};
    const int stripRows = static_cast<int>(std::clamp<int64_t>(kMaxStripPixels / bounds.width(), 1, bounds.height()));
    QImage strip(bounds.width(), stripRows, QImage::Format_Grayscale8);
    if (strip.isNull())
        return {};
    QPainterPath filled = dest;
    filled.setFillRule(Dc.FillRule);
    std::vector<QRect> rects;
    // The runs of the band above; a row with the same runs extends that band.
    size_t bandStart = 0;
    bool bandOpen = false;
    std::vector<std::pair<int, int>> runs, bandRuns;
    for (int top = bounds.top(); top <= bounds.bottom(); top += stripRows) {
        if (OutOfTime())
            return {};
        strip.fill(0);
        {
            QPainter mask(&strip);
            mask.setRenderHint(QPainter::Antialiasing, false);
            mask.translate(-bounds.left(), -top);
            mask.fillPath(filled, Qt::white);
        }
        const int rows = std::min(stripRows, bounds.bottom() - top + 1);
        for (int row = 0; row < rows; ++row) {
            const uchar* line = strip.constScanLine(row);
            runs.clear();
            for (int x = 0; x < bounds.width();) {
                if (line[x] < 128) {
                    ++x;
                    continue;
                }
                const int start = x;
                while (x < bounds.width() && line[x] >= 128)
                    ++x;
                runs.emplace_back(start, x);
            }
            const int y = top + row;
            if (bandOpen && runs == bandRuns && !runs.empty()) {
                for (size_t i = bandStart; i < rects.size(); ++i)
                    rects[i].setBottom(y);
                continue;
            }
            bandStart = rects.size();
            bandRuns = runs;
            bandOpen = !runs.empty();
            for (const auto& [from, to] : runs)
                rects.emplace_back(QPoint(bounds.left() + from, y), QPoint(bounds.left() + to - 1, y));
            if (rects.size() > kMaxRegionRects) {
                cutShort_ = true;
                return {};
            }
        }
    }
    QRegion area;
    area.setRects(rects.data(), static_cast<int>(rects.size()));
    return area;
}

void TMetaCanvas::SelectClipPath(int mode) {
    inPath_ = false;
    CombineClip(PathRegion(path_), mode);
    path_ = QPainterPath();
}

}  // namespace lumvor::metafile
