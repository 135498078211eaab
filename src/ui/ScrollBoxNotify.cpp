#include "ui/ScrollBoxNotify.h"

#include <QScrollBar>

namespace lumvor {

TScrollBoxNotify::TScrollBoxNotify(QWidget* owner) : QScrollArea(owner) {
    // actionTriggered comes before the scroll bar applies the action.
    for (QScrollBar* bar : {horizontalScrollBar(), verticalScrollBar()})
        connect(bar, &QScrollBar::actionTriggered, this, [this] {
            if (OnScroll)
                OnScroll(this);
        });
}

}  // namespace lumvor
