// A scroll bar that reports mouse presses, releases and clicks.
#pragma once

#include <QScrollBar>

#include "platform/Controls.h"

namespace lumvor {

class TXScrollbar : public QScrollBar {
public:
    explicit TXScrollbar(QWidget* owner = nullptr) : QScrollBar(Qt::Horizontal, owner) {}

    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    // A left-button press and release over the bar.
    TNotifyEvent OnClick;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
};

}  // namespace lumvor
