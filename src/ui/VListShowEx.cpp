#include "ui/VListShowEx.h"

#include <QAbstractItemView>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QTimer>

#include "platform/Forms.h"

namespace lumvor {

TTooltipOptions MergeToolTipOptions(TTooltipOptions current, TTooltipOptions wanted) {
    const TTooltipOptions added = TTooltipOptions(wanted & ~current);
    if (added & TipBit(ttoOffSet)) wanted &= TTooltipOptions(~TipBit(ttoBelowItem));
    else if (added & TipBit(ttoBelowItem)) wanted &= TTooltipOptions(~TipBit(ttoOffSet));
    return wanted;
}

QPoint PlaceToolTip(TTooltipOptions options, const QPoint& cursor, const QRect& label, const QRect& tip,
                    bool isIconView, const QSize& customSize, const QSize& screenSize) {
    int left = tip.left(), top = tip.top();
    if (options & TipBit(ttoOffSet)) {
        left = cursor.x() + 20;
        top = cursor.y() + label.height() / 2;
    } else if (options & TipBit(ttoBelowItem)) {
        top = tip.top() + label.height();
    }
    if (options & TipBit(ttoAdjustForScreenBoundary)) {
        if (left < 0) left = 0;
        if (top < 0) top = 0;
        const QSize size = isIconView ? customSize : tip.size();
        if (left + size.width() > screenSize.width()) left = screenSize.width() - size.width();
        if (top + size.height() > screenSize.height()) top = screenSize.height() - size.height();
    }
    return QPoint(left, top);
}

TVListShowEx::TVListShowEx(QWidget* owner) : TVListView(owner), help_(std::make_unique<TStringList>()) {
    ApplyDelays(toolTipOptions_);
}

TVListShowEx::~TVListShowEx() { delete tip_.data(); }

void TVListShowEx::ApplyDelays(TTooltipOptions options) {
    automaticDelay_ = options & TipBit(ttoInstantShow) ? 1 : 500;
    autoPopDelay_ = options & TipBit(ttoLongStay) ? 32000 : 3000;
}

void TVListShowEx::SetToolTipOptions(TTooltipOptions value) {
    toolTipOptions_ = MergeToolTipOptions(toolTipOptions_, value);
    ApplyDelays(toolTipOptions_);
}

void TVListShowEx::DisplayInfo(int row, int imageIndex, RowInfo& info) const {
    if (Callback && OnGetImageIdx) {
        // The owner picks the image first; an owner-data row is then described
        // with that image as its starting value.
        TVListItem* item = Items()->Item(row);
        if (item) {
            OnGetImageIdx(const_cast<TVListShowEx*>(this), item);
            imageIndex = item->ImageIndex();
        }
    }
    TVListView::DisplayInfo(row, imageIndex, info);
}

void TVListShowEx::BeginDrag(int, bool) {
    // The list's own drag never starts: the owner runs the drag.
    if (OnOleDragNotify) OnOleDragNotify(this);
}

bool TVListShowEx::PaintLocked() const { return paintBusy_ || TVListView::PaintLocked(); }

void TVListShowEx::DoToolTip(TVListItem* item, int logicalCol, std::string& text, std::string& title,
                             TEnumToolTipIcon& icon, TTooltipOptions& options) {
    if (OnToolTip) OnToolTip(this, item, logicalCol, text, title, icon, options);
}

void TVListShowEx::DoShowToolTip(TVListItem* item, int logicalCol, const TRect& fieldBound,
                                 const TRect& oldBound, int& left, int& top) {
    if (OnShowToolTip) OnShowToolTip(this, item, logicalCol, fieldBound, oldBound, left, top);
}

void TVListShowEx::HideTip() {
    if (tip_) tip_->hide();
}

bool TVListShowEx::ViewToolTip(const QPoint& at, const QPoint& globalAt) {
    if (!EnableToolTips()) return false;
    int row = -1, col = -1;
    SubItemHitTest(at, row, col);
    if (row < 0) {
        // Over empty space the system's own handling stays.
        HideTip();
        return false;
    }

    // The text the tip asks for.
    tipOptions_ = toolTipOptions_;
    ApplyDelays(tipOptions_);
    TVListItem* item = Items()->Item(row);
    std::string text;
    if (item) text = col <= 0 ? item->Caption()
                              : (col - 1 < item->SubItems()->Count() ? item->SubItems()->At(col - 1) : "");
    tipTitle_.clear();
    tipIcon_ = 0;
    if (item && OnToolTip) DoToolTip(item, col, text, tipTitle_, tipIcon_, tipOptions_);
    if (text.empty()) {
        HideTip();
        return true;
    }

    if (!tip_) {
        tip_ = new QLabel(nullptr, Qt::ToolTip | Qt::FramelessWindowHint);
        tip_->setWordWrap(true);
        tip_->setMargin(3);
        tip_->setForegroundRole(QPalette::ToolTipText);
        tip_->setBackgroundRole(QPalette::ToolTipBase);
        tip_->setAutoFillBackground(true);
        tipTimer_ = new QTimer(this);
        tipTimer_->setSingleShot(true);
        QObject::connect(tipTimer_, &QTimer::timeout, this, Guard([this] { HideTip(); }));
    }
    const QString body = QString::fromStdString(text);
    tip_->setText(tipTitle_.empty() ? body : QString::fromStdString(tipTitle_) + "\n" + body);
    if (ToolTipWidth() > 0) tip_->setMaximumWidth(ToolTipWidth());
    else tip_->setMaximumWidth(QWIDGETSIZE_MAX);
    tip_->adjustSize();

    // Where the tip goes: the system's place below the cursor, then the options.
    ApplyDelays(tipOptions_);
    const QRect systemTip(globalAt + QPoint(2, 16), tip_->size());
    const TRect labelRect = ItemRect(row, drLabel);
    const QRect label(Viewport()->mapToGlobal(QPoint(labelRect.Left, labelRect.Top)),
                      QSize(labelRect.Width(), labelRect.Height()));
    const QSize screen(Screen.Width(), Screen.Height());
    QPoint place = PlaceToolTip(tipOptions_, globalAt, label, systemTip, IsIconView,
                                QSize(CustomTipWidth, CustomTipHeight), screen);
    int left = place.x(), top = place.y();
    DoShowToolTip(item, col, labelRect,
                  TRect{systemTip.left(), systemTip.top(), systemTip.left() + systemTip.width(),
                        systemTip.top() + systemTip.height()},
                  left, top);
    if (!ShowToolTips) {
        // Moved out of sight: 1 x 1 pixel at the bottom of the z-order.
        tip_->setGeometry(left, top, 1, 1);
        tip_->hide();
    } else {
        if (IsIconView) tip_->setGeometry(left, top, CustomTipWidth, CustomTipHeight);
        else tip_->move(left, top);
        tip_->show();
        tip_->raise();
        tipTimer_->start(autoPopDelay_);
    }
    // The published options apply again to the next tip.
    ApplyDelays(toolTipOptions_);
    return true;
}

}  // namespace lumvor
