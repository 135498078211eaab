// A scroll box that reports each scroll bar action before the box scrolls.
#pragma once

#include <QScrollArea>

#include "platform/Controls.h"

namespace lumvor {

class TScrollBoxNotify : public QScrollArea {
public:
    explicit TScrollBoxNotify(QWidget* owner = nullptr);

    TNotifyEvent OnScroll;
};

}  // namespace lumvor
