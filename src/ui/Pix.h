// The control every window shows a picture in, and the fitting of sizes.
//
// TPix paints its own TBitmap either at the bitmap's size (top left, or centred
// with Center) or stretched to the whole control (Stretch, which wins over Center).
// With FastPaint it instead scales the picture to the whole control and paints
// only the area that needs repainting, straight from the bitmap's pixels without
// smoothing: a reduction goes row by row (each control row is one picture row), an
// enlargement widens the area by its remainder against the enlargement factor.
// While PaintLock is set, paint requests are ignored; painting sets it for its
// own duration. GUI thread only.
#pragma once

#include <QRect>
#include <QWidget>

#include <memory>
#include <vector>

#include "platform/Controls.h"
#include "platform/Graphics.h"

namespace lumvor {

// One copy of the fast path: a picture rectangle scaled into a control rectangle.
struct TPixBlit {
    QRect Source;
    QRect Dest;
};

// Where the normal path draws a bw x bh bitmap in a cw x ch control.
QRect PixDestRect(int bw, int bh, int cw, int ch, bool stretch, bool center);

// The copies the fast path makes for the clip rectangle of a cw x ch control
// showing a bw x bh picture (oneBit: a 1-bit picture, reduced in one copy).
std::vector<TPixBlit> FastPaintBlits(int bw, int bh, int cw, int ch, const QRect& clip, bool oneBit);

class TPix : public QWidget {
public:
    // 105 x 105 pixels with an empty bitmap.
    explicit TPix(QWidget* owner = nullptr);
    ~TPix() override;

    TBitmap* Bitmap() const { return bitmap_.get(); }
    // Copies b into the control's own bitmap (the bitmap object is never replaced).
    void SetBitmap(const TBitmap* b) { bitmap_->Assign(b); }

    // The flags are only stored: none repaints by itself. AutoSize does not resize.
    bool AutoSize = false;
    bool Stretch = false;
    bool Center = false;
    bool FastPaint = false;
    // Selects the picture's palette as a background palette in the fast path.
    bool BackgroundPalette = true;

    bool PaintLock() const { return paintLock_; }
    void SetPaintLock(bool flag) { paintLock_ = flag; }

    // The palette of the bitmap, or none.
    HPALETTE GetPalette() const;

    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TMouseEvent OnMouseDown;
    TMouseMoveEvent OnMouseMove;
    TMouseEvent OnMouseUp;

protected:
    // Paints the bitmap on painter, limited to clip; does nothing while PaintLock is set.
    virtual void Paint(QPainter& painter, const QRect& clip);

    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    std::unique_ptr<TBitmap> bitmap_;
    bool paintLock_ = false;
    bool drawing_ = false;
    bool pressed_ = false;
};

// The largest size with the proportions of Width x Height that fits into
// BoxWidth x BoxHeight (enlarging as well as reducing). Any size of 0 or below
// gives (0, 0).
void FitSizeInBox(int Width, int Height, int BoxWidth, int BoxHeight, TSize& Size);

}  // namespace lumvor
