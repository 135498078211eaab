// The drawing state that the WMF and EMF record players share: the object
// table, the device context with its saved copies, the mapping from logical
// coordinates to the destination and the drawing operations in logical
// coordinates. Used only by Metafile.cpp.
#pragma once

#include <QColor>
#include <QElapsedTimer>
#include <QImage>
#include <QPainterPath>
#include <QPolygonF>
#include <QRegion>
#include <QString>
#include <QTransform>

#include <cstdint>
#include <cstring>
#include <span>
#include <vector>

class QPainter;

namespace lumvor::metafile {

// Little-endian values inside one record; a read outside it gives 0, so a
// record that is too short can never lead outside the file's bytes.
class TBytes {
public:
    explicit TBytes(std::span<const uint8_t> data) : data_(data) {}
    size_t Size() const { return data_.size(); }
    bool Has(size_t offset, size_t count) const { return offset <= data_.size() && count <= data_.size() - offset; }
    uint8_t U8(size_t offset) const { return Has(offset, 1) ? data_[offset] : 0; }
    uint16_t U16(size_t offset) const {
        return Has(offset, 2) ? static_cast<uint16_t>(data_[offset] | data_[offset + 1] << 8) : 0;
    }
    int16_t I16(size_t offset) const { return static_cast<int16_t>(U16(offset)); }
    uint32_t U32(size_t offset) const {
        return Has(offset, 4) ? static_cast<uint32_t>(data_[offset]) | static_cast<uint32_t>(data_[offset + 1]) << 8 |
                                    static_cast<uint32_t>(data_[offset + 2]) << 16 |
                                    static_cast<uint32_t>(data_[offset + 3]) << 24
                              : 0;
    }
    int32_t I32(size_t offset) const { return static_cast<int32_t>(U32(offset)); }
    float F32(size_t offset) const {
        const uint32_t bits = U32(offset);
        float value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }
    // The bytes [offset, offset + count), or none when they are not all there.
    std::span<const uint8_t> Sub(size_t offset, size_t count) const {
        return Has(offset, count) ? data_.subspan(offset, count) : std::span<const uint8_t>{};
    }

private:
    std::span<const uint8_t> data_;
};

// A COLORREF (red in the low byte); the flag byte above it is ignored.
inline QColor ColorRef(uint32_t value) { return QColor(value & 0xFF, value >> 8 & 0xFF, value >> 16 & 0xFF); }

struct TPenObject {
    uint32_t Style = 0;  // PS_SOLID
    double Width = 0;    // logical units; 0 = one pixel
    QColor Color = Qt::black;
};

struct TBrushObject {
    uint32_t Style = 0;  // BS_SOLID
    uint32_t Hatch = 0;
    QColor Color = Qt::white;
    QImage Pattern;  // BS_PATTERN and BS_DIBPATTERN
};

struct TFontObject {
    double Height = 0;  // logical units; negative = character height, positive = cell height
    int Escapement = 0;  // tenths of a degree, counter-clockwise
    int Weight = 400;
    bool Italic = false, Underline = false, StrikeOut = false;
    QString Face;
};

enum class TObjectKind { Empty, Pen, Brush, Font, Other };

struct TGdiObject {
    TObjectKind Kind = TObjectKind::Empty;
    TPenObject Pen;
    TBrushObject Brush;
    TFontObject Font;
};

// Mapping modes.
enum : int { MM_TEXT = 1, MM_LOMETRIC, MM_HIMETRIC, MM_LOENGLISH, MM_HIENGLISH, MM_TWIPS, MM_ISOTROPIC, MM_ANISOTROPIC };

struct TDcState {
    TPenObject Pen;
    TBrushObject Brush;
    TFontObject Font;
    QColor TextColor = Qt::black;
    QColor BkColor = Qt::white;
    bool Opaque = true;  // background mode OPAQUE
    uint32_t TextAlign = 0;
    Qt::FillRule FillRule = Qt::OddEvenFill;
    int Rop2 = 13;  // R2_COPYPEN
    int MapMode = MM_TEXT;
    QPointF WindowOrg{0, 0}, WindowExt{1, 1}, ViewportOrg{0, 0}, ViewportExt{1, 1};
    QTransform World;
    bool Clipped = false;
    QRegion Clip;  // destination pixels
    QPointF Position;   // logical
    bool Clockwise = false;
};

enum class TArcKind { Arc, ArcTo, Pie, Chord };

class TMetaCanvas {
public:
    // Windowed: the window (origin and extent) is mapped onto Dest, as a
    // placeable WMF is played. Otherwise the window and viewport map logical
    // units to the reference device's pixels (DotsPerMm for the metric
    // modes), and DeviceToDest maps those onto the destination.
    TMetaCanvas(QPainter& painter, const QRectF& dest, bool windowed, const QTransform& deviceToDest,
                double dotsPerMmX, double dotsPerMmY);
    ~TMetaCanvas();
    TMetaCanvas(const TMetaCanvas&) = delete;
    TMetaCanvas& operator=(const TMetaCanvas&) = delete;

    TDcState Dc;

    // ---- Time
    // The play stops once Clock has run for more than LimitMs; long records
    // look at it as they go, not only between records.
    void SetTimeLimit(const QElapsedTimer& clock, int64_t limitMs);
    // True, and from then on, once the time is up or a record needed more
    // work than one record may take: the drawing is cut short there.
    bool OutOfTime();

    // ---- Objects
    void SetTableSize(size_t count);
    // WMF: the object takes the lowest free slot.
    void AddObject(const TGdiObject& object);
    // EMF: the object takes the given slot.
    void PutObject(size_t index, const TGdiObject& object);
    void SelectObject(size_t index);
    // EMF stock objects (the index without its high bit).
    void SelectStockObject(uint32_t stock);
    void DeleteObject(size_t index);
    // The brush of a table entry; the selected brush when the entry is none.
    TBrushObject ObjectBrush(size_t index) const;

    // ---- State
    void SaveDc();
    void RestoreDc(int which);
    QTransform LogicalToDest() const;
    // A clip rectangle or region in logical units / reference device pixels.
    void IntersectClip(const QRectF& logical);
    void ExcludeClip(const QRectF& logical);
    // Mode: RGN_AND 1, RGN_OR 2, RGN_XOR 3, RGN_DIFF 4, RGN_COPY 5.
    void CombineClip(const QRegion& dest, int mode);
    QTransform DeviceToDest() const { return deviceToDest_; }
    // The destination rectangle; nothing is drawn outside it.
    QRectF DestBounds() const { return dest_; }

    // ---- Drawing in logical coordinates
    void MoveTo(const QPointF& at);
    void LineTo(const QPointF& to);
    void Polyline(const QPolygonF& points);
    void PolylineTo(const QPolygonF& points);
    void PolyBezier(const QPolygonF& points);
    void PolyBezierTo(const QPolygonF& points);
    void Polygon(const QPolygonF& points);
    void PolyPolygon(const std::vector<QPolygonF>& polygons);
    void PolyPolyline(const std::vector<QPolygonF>& lines);
    void Rectangle(const QRectF& box);
    void RoundRect(const QRectF& box, const QSizeF& corner);
    void Ellipse(const QRectF& box);
    void Arc(const QRectF& box, const QPointF& start, const QPointF& end, TArcKind kind);
    void SetPixel(const QPointF& at, const QColor& color);
    // ETO_OPAQUE 2, ETO_CLIPPED 4; Advances in logical units (may be empty).
    void Text(const QPointF& at, const QString& text, uint32_t options, const QRectF* rect,
              const std::vector<double>& advances);
    void PatBlt(const QRectF& box, uint32_t rop);
    // Source in the picture's top-down pixels.
    void Bitmap(const QRectF& box, const QImage& picture, const QRectF& source, uint32_t rop);
    void FillPath(const QPainterPath& logical, const TBrushObject& brush);

    // ---- Path brackets (EMF)
    void BeginPath();
    void EndPath() { inPath_ = false; }
    void AbortPath();
    void CloseFigure();
    void FillPath();
    void StrokePath();
    void StrokeAndFillPath();
    void SelectClipPath(int mode);

private:
    QPointF Map(const QPointF& logical) const;
    QRegion DestRegion(const QRectF& logical) const;
    QPainterPath MapPath(const QPainterPath& logical) const;
    double LinearScale() const;
    QPen DestPen() const;
    QBrush DestBrush(const TBrushObject& brush) const;
    void ApplyClip();
    void Draw(const QPainterPath& dest, bool fill, bool stroke);
    // Adds to the open path bracket, or draws; true when it was added.
    bool AddToPath(const QPainterPath& dest, bool closeFigures);
    QPainterPath ArcPath(const QRectF& box, const QPointF& start, const QPointF& end, TArcKind kind) const;
    QFont DestFont(double& pixelHeight) const;
    // True when the open path has no room for `more`.
    bool PathFull(const QPainterPath& more) const;
    // The destination pixels inside the path, within the destination.
    QRegion PathRegion(const QPainterPath& dest);

    QPainter& painter_;
    QRectF dest_;
    bool windowed_;
    QTransform deviceToDest_;
    double dotsPerMmX_, dotsPerMmY_;
    std::vector<TGdiObject> objects_;
    std::vector<TDcState> saved_;
    bool inPath_ = false;
    QPainterPath path_;  // destination coordinates
    const QElapsedTimer* clock_ = nullptr;
    int64_t limitMs_ = 0;
    bool cutShort_ = false;
};

}  // namespace lumvor::metafile
