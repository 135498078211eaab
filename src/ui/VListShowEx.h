// The list control of every file, thumbnail and slide list.
//
// TVListShowEx is the owner-data list view with four additions:
// - PaintBusy, a paint lock the owner sets while it rebuilds its row data;
// - Callback, which asks the owner for a row's image (OnGetImageIdx) each time the
//   row is displayed, before the row itself is described through OnData (so
//   OnData may still set the image itself);
// - drags started in the list go to the owner's own drag code (OnOleDragNotify);
//   the list itself never starts a drag;
// - info tips whose text, title, delays and placement the owner decides
//   (OnToolTip, OnShowToolTip, ToolTipOptions).
// GUI thread only.
#pragma once

#include "ui/comctrls_x.h"

#include <QLabel>
#include <QPointer>

#include <cstdint>
#include <memory>
#include <string>

class QTimer;

namespace lumvor {

enum TEnumToolTipOptions {
    ttoInstantShow,
    ttoLongStay,
    ttoBelowItem,
    ttoOffSet,
    ttoAdjustForScreenBoundary,
};
// A set of TEnumToolTipOptions: bit (1 << option) for each member.
using TTooltipOptions = std::uint8_t;
constexpr TTooltipOptions TipBit(TEnumToolTipOptions o) { return TTooltipOptions(1u << o); }

// The tool tip's title icon: 0 none, 1 information, 2 warning, 3 error.
using TEnumToolTipIcon = int;

using TOnToolTipEvent = std::function<void(QObject* Sender, TVListItem* Item, int LogicalCol,
                                           std::string& ToolTipText, std::string& ToolTipTitle,
                                           TEnumToolTipIcon& ToolTipTitleIcon, TTooltipOptions& Options)>;
using TOnShowToolTipEvent =
    std::function<void(QObject* Sender, TVListItem* Item, int LogicalCol, const TRect& FieldBound,
                       const TRect& OldTooltipBound, int& AdjustedTooltipLeft, int& AdjustedTooltipTop)>;

// The options after a change: ttoOffSet and ttoBelowItem exclude each other, the
// newly added one wins (ttoOffSet when both are new).
TTooltipOptions MergeToolTipOptions(TTooltipOptions current, TTooltipOptions wanted);

// Where a tip goes (screen coordinates): cursor is the mouse position, label the
// row's label rectangle, tip the rectangle the tip would take by itself; with
// isIconView the tip's size is customSize. Applies ttoOffSet, ttoBelowItem and
// ttoAdjustForScreenBoundary against a screen of screenSize.
QPoint PlaceToolTip(TTooltipOptions options, const QPoint& cursor, const QRect& label, const QRect& tip,
                    bool isIconView, const QSize& customSize, const QSize& screenSize);

class TVListShowEx : public TVListView {
public:
    explicit TVListShowEx(QWidget* owner = nullptr);
    ~TVListShowEx() override;

    // Ask OnGetImageIdx for a row's image each time the row is displayed.
    bool Callback = false;
    bool PaintBusy() const { return paintBusy_; }
    void SetPaintBusy(bool value) { paintBusy_ = value; }

    TVLVNotifyEvent OnGetImageIdx;
    TNotifyEvent OnOleDragNotify;
    TOnToolTipEvent OnToolTip;
    TOnShowToolTipEvent OnShowToolTip;

    TTooltipOptions ToolTipOptions() const { return toolTipOptions_; }
    virtual void SetToolTipOptions(TTooltipOptions value);
    virtual int ToolTipWidth() const { return toolTipWidth_; }
    virtual void SetToolTipWidth(int value) { toolTipWidth_ = value; }
    virtual bool EnableToolTips() const { return enableToolTips_; }
    virtual void SetEnableToolTips(bool value) { enableToolTips_ = value; }
    TStrings* Help() const { return help_.get(); }
    // Assigning the property has no effect.
    void SetHelp(TStrings*) {}
    bool ShowToolTips = false;
    bool IsIconView = false;
    int CustomTipWidth = 0;
    int CustomTipHeight = 0;

    // The tip window's delays in milliseconds: before showing and before hiding.
    int AutomaticDelay() const { return automaticDelay_; }
    int AutoPopDelay() const { return autoPopDelay_; }
    // The tip window (nullptr until the first tip); its text, title and geometry
    // are those of the last tip shown.
    QLabel* TipWindow() const { return tip_; }
    const std::string& TipTitle() const { return tipTitle_; }
    TEnumToolTipIcon TipIcon() const { return tipIcon_; }
    // The options the last tip was shown with.
    TTooltipOptions TipOptions() const { return tipOptions_; }

protected:
    void DisplayInfo(int row, int imageIndex, RowInfo& info) const override;
    void BeginDrag(int row, bool right) override;
    bool PaintLocked() const override;
    bool ViewToolTip(const QPoint& at, const QPoint& globalAt) override;
    virtual void DoToolTip(TVListItem* item, int logicalCol, std::string& text, std::string& title,
                           TEnumToolTipIcon& icon, TTooltipOptions& options);
    virtual void DoShowToolTip(TVListItem* item, int logicalCol, const TRect& fieldBound,
                               const TRect& oldBound, int& left, int& top);

private:
    void ApplyDelays(TTooltipOptions options);
    void HideTip();

    bool paintBusy_ = false;
    TTooltipOptions toolTipOptions_ = TipBit(ttoAdjustForScreenBoundary);
    TTooltipOptions tipOptions_ = TipBit(ttoAdjustForScreenBoundary);
    int toolTipWidth_ = -1;
    bool enableToolTips_ = false;
    std::unique_ptr<TStringList> help_;
    int automaticDelay_ = 500;
    int autoPopDelay_ = 3000;
    QPointer<QLabel> tip_;
    QTimer* tipTimer_ = nullptr;
    std::string tipTitle_;
    TEnumToolTipIcon tipIcon_ = 0;
};

}  // namespace lumvor
