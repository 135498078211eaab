#include "ui/Pix.h"

#include "imaging/Helpers.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

namespace lumvor {

QRect PixDestRect(int bw, int bh, int cw, int ch, bool stretch, bool center) {
    if (stretch)
        return QRect(0, 0, cw, ch);
    if (center)
        // Integer division toward zero: negative when the bitmap is larger.
        return QRect((cw - bw) / 2, (ch - bh) / 2, bw, bh);
    return QRect(0, 0, bw, bh);
}

std::vector<TPixBlit> FastPaintBlits(int bw, int bh, int cw, int ch, const QRect& clip, bool oneBit) {
    std::vector<TPixBlit> blits;
    if (bw <= 0 || bh <= 0 || cw <= 0 || ch <= 0 || clip.isEmpty())
        return blits;
    int cl = clip.left(), ct = clip.top();
    int cW = clip.width(), cH = clip.height();
    auto source = [&](int left, int top, int width, int height) {
        return QRect(MulDiv(left, bw, cw), MulDiv(top, bh, ch), MulDiv(width, bw, cw),
                     MulDiv(height, bh, ch));
    };
    if (bh == ch) {
        blits.push_back({clip, clip});
    } else if (bh > ch) {
        if (oneBit) {
            blits.push_back({source(cl, ct, cW, cH), clip});
        } else {
            // One picture row per control row: no averaging of rows.
            const QRect columns = source(cl, 0, cW, 0);
            for (int y = ct; y < ct + cH; ++y)
                blits.push_back({QRect(columns.left(), MulDiv(y, bh, ch), columns.width(), 1),
                                 QRect(cl, y, cW, 1)});
        }
    } else {
        const int f = ch / bh;
        if (f > 1) {
            // Widen the area by its remainder against the factor, so that it covers
            // whole enlarged picture pixels: to the right or bottom when there is
            // room, else to the left or top.
            if (const int rw = cW % f; rw != 0) {
                if (cl + cW + rw < cw) {
                    cW += rw;
                } else if (rw < cl) {
                    cW += rw;
                    cl -= rw;
                }
            }
            if (const int rh = cH % f; rh != 0) {
                if (ct + cH + rh < ch) {
                    cH += rh;
                } else if (rh < ct) {
                    cH += rh;
                    ct -= rh;
                }
            }
        }
        blits.push_back({source(cl, ct, cW, cH), QRect(cl, ct, cW, cH)});
    }
    return blits;
}

TPix::TPix(QWidget* owner) : QWidget(owner), bitmap_(std::make_unique<TBitmap>()) {
    resize(105, 105);
}

TPix::~TPix() = default;

HPALETTE TPix::GetPalette() const { return bitmap_ ? bitmap_->GetPalette() : nullptr; }

void TPix::paintEvent(QPaintEvent* event) {
    if (paintLock_)
        return;
    QPainter painter(this);
    Paint(painter, event->rect());
}

void TPix::Paint(QPainter& painter, const QRect& clip) {
    if (paintLock_)
        return;
    paintLock_ = drawing_ = true;
    const TBitmap& bitmap = *bitmap_;
    if (!bitmap.Empty()) {
        // Pixels are copied as they are (nearest pixel), never smoothed.
        painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
        const QImage image = bitmap.ToQImage();
        if (FastPaint && bitmap.HandleType() == bmDIB) {
            const bool oneBit = bitmap.PixelFormat() == pf1bit;
            for (const TPixBlit& blit : FastPaintBlits(bitmap.Width(), bitmap.Height(), width(),
                                                       height(), clip, oneBit))
                if (!blit.Source.isEmpty() && !blit.Dest.isEmpty())
                    painter.drawImage(blit.Dest, image, blit.Source);
        } else {
            painter.drawImage(
                PixDestRect(bitmap.Width(), bitmap.Height(), width(), height(), Stretch, Center), image);
        }
    }
    paintLock_ = drawing_ = false;
}

void TPix::mousePressEvent(QMouseEvent* event) {
    pressed_ = event->button() == Qt::LeftButton;
    RaiseMouseEvent(OnMouseDown, this, *event);
}

void TPix::mouseMoveEvent(QMouseEvent* event) { RaiseMouseMoveEvent(OnMouseMove, this, *event); }

void TPix::mouseReleaseEvent(QMouseEvent* event) {
    const bool click = pressed_ && event->button() == Qt::LeftButton &&
                       rect().contains(event->position().toPoint());
    pressed_ = false;
    if (click && OnClick)
        OnClick(this);
    RaiseMouseEvent(OnMouseUp, this, *event);
}

void TPix::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && OnDblClick)
        OnDblClick(this);
    RaiseMouseEvent(OnMouseDown, this, *event);
}

void FitSizeInBox(int Width, int Height, int BoxWidth, int BoxHeight, TSize& Size) {
    TFitSize fit;
    FitSizeInBoxEx(Width, Height, BoxWidth, BoxHeight, fit);
    Size = {fit.Width, fit.Height};
}

}  // namespace lumvor
