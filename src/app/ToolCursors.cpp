#include "app/ToolCursors.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace lumvor {

namespace {

constexpr int CursorSide = 32;

QPixmap BlankCursorPicture() {
    QPixmap picture(CursorSide, CursorSide);
    picture.fill(Qt::transparent);
    return picture;
}

// Strokes a path in black over a white rim two pixels wider.
void StrokeWithRim(QPainter& painter, const QPainterPath& path, qreal width) {
    painter.strokePath(path, QPen(Qt::white, width + 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.strokePath(path, QPen(Qt::black, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
}

// An open hand: four fingers and a thumb on a palm, white with a black edge.
QCursor DrawHand() {
    QPixmap picture = BlankCursorPicture();
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath hand;
    hand.setFillRule(Qt::WindingFill);
    const struct {
        qreal Left, Top, Bottom;
    } fingers[] = {{9, 8, 18}, {12.5, 5, 17}, {16, 5, 17}, {19.5, 8, 18}};
    for (const auto& f : fingers)
        hand.addRoundedRect(QRectF(f.Left, f.Top, 3, f.Bottom - f.Top), 1.5, 1.5);
    hand.addRoundedRect(QRectF(9, 14, 14, 13), 4, 4);
    QPainterPath thumb;
    thumb.addRoundedRect(QRectF(-1.75, -6, 3.5, 9), 1.75, 1.75);
    hand.addPath(QTransform().translate(8, 20).rotate(-40).map(thumb));
    const QPainterPath outline = hand.simplified();
    painter.fillPath(outline, Qt::white);
    painter.strokePath(outline, QPen(Qt::black, 1.2));
    return QCursor(picture, 16, 16);
}

// Four arms around the hot spot (15, 15), from `reach` pixels out to `gap`
// pixels off it.
void AddCrossArms(QPainterPath& path, qreal gap, qreal reach) {
    const qreal centre = 15.5;
    for (const qreal side : {-1.0, 1.0}) {
        path.moveTo(centre, centre + side * reach);
        path.lineTo(centre, centre + side * gap);
        path.moveTo(centre + side * reach, centre);
        path.lineTo(centre + side * gap, centre);
    }
}

// A cross with an open centre, and a dashed marquee beside it.
QCursor DrawSelect() {
    QPixmap picture = BlankCursorPicture();
    QPainter painter(&picture);
    QPainterPath cross;
    AddCrossArms(cross, 3.5, 11.5);
    StrokeWithRim(painter, cross, 1);
    painter.setPen(QPen(Qt::white, 3));
    painter.drawRect(QRectF(19.5, 19.5, 9, 7));
    QPen dashes(Qt::black, 1, Qt::CustomDashLine);
    dashes.setDashPattern({2, 2});
    painter.setPen(dashes);
    painter.drawRect(QRectF(19.5, 19.5, 9, 7));
    return QCursor(picture, 15, 15);
}

// Cross hairs through a ring.
QCursor DrawTarget() {
    QPixmap picture = BlankCursorPicture();
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath target;
    target.addEllipse(QPointF(15.5, 15.5), 7, 7);
    AddCrossArms(target, 3.5, 13.5);
    StrokeWithRim(painter, target, 1);
    return QCursor(picture, 15, 15);
}

// A magnifying glass with a plus (zoom in) or a minus (zoom out) in its lens.
QCursor DrawMagnifier(bool plus) {
    QPixmap picture = BlankCursorPicture();
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPointF centre(12, 12);
    QPainterPath handle;
    handle.moveTo(18, 18);
    handle.lineTo(27, 27);
    StrokeWithRim(painter, handle, 4);
    painter.setPen(QPen(Qt::white, 4));
    painter.setBrush(QColor(255, 255, 255, 200));
    painter.drawEllipse(centre, 8, 8);
    painter.setPen(QPen(Qt::black, 2));
    painter.drawEllipse(centre, 8, 8);
    QPainterPath sign;
    sign.moveTo(8, 12);
    sign.lineTo(16, 12);
    if (plus) {
        sign.moveTo(12, 8);
        sign.lineTo(12, 16);
    }
    painter.strokePath(sign, QPen(Qt::black, 2, Qt::SolidLine, Qt::FlatCap));
    return QCursor(picture, 12, 12);
}

}  // namespace

QCursor ToolCursor(TCursor Index) {
    switch (Index) {
    case HandCursor: return DrawHand();
    case SelectCursor: return DrawSelect();
    case TargetCursor: return DrawTarget();
    case ZoomRegionCursor: return DrawMagnifier(true);
    case ZoomDnCursor: return DrawMagnifier(false);
    default: return QCursor(Qt::ArrowCursor);
    }
}

void RegisterToolCursors() {
    for (TCursor index : {HandCursor, SelectCursor, TargetCursor, ZoomRegionCursor, ZoomDnCursor})
        Screen.SetCursors(index, ToolCursor(index));
}

}  // namespace lumvor
