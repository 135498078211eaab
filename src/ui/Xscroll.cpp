#include "ui/Xscroll.h"

namespace lumvor {

void TXScrollbar::mousePressEvent(QMouseEvent* event) {
    QScrollBar::mousePressEvent(event);
    RaiseMouseEvent(OnMouseDown, this, *event);
}

void TXScrollbar::mouseReleaseEvent(QMouseEvent* event) {
    QScrollBar::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) && OnClick)
        OnClick(this);
    RaiseMouseEvent(OnMouseUp, this, *event);
}

}  // namespace lumvor
