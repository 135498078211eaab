// The image window's region selection: the marquee dialog, "Select all", the
// grid presets and showing a stored selection again; the side bar's hand and
// select buttons, the zoom tool's click, and the mouse over the window and the
// scroll box. The rectangle rules live in RegionGeometry.
#include "app/lumv8900.h"

#include "app/RegionGeometry.h"
#include "app/ViewGeometry.h"
#include "platform/Clipbrd.h"
#include "platform/Controls.h"
#include "platform/Menus.h"
#include "ui/Pix.h"
#include "ui/Resize_w.h"
#include "ui/ScrollBoxEx.h"
#include "ui/Status_y.h"
#include "ui/quadlg_w.h"
#include "ui/voMsgBox.h"

#include <QGuiApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QScrollBar>
#include <QToolButton>

namespace lumvor {

using namespace lumv8900;
using namespace lumvor::regiongeo;

namespace {

constexpr const char* GridRefusalText = "64x64 image (minimum) required to use this feature.";

bool ShiftHeld() { return QGuiApplication::queryKeyboardModifiers().testFlag(Qt::ShiftModifier); }

// The window's own mouse-ups and the scroll box's presses and double clicks.
// Presses and releases that no control takes reach the window.
class TViewToolsWatch : public QObject {
public:
    explicit TViewToolsWatch(TWebForm* form) : QObject(form), form_(form), viewport_(form->ScrollBox->viewport()) {
        form->installEventFilter(this);
        viewport_->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        const QEvent::Type type = event->type();
        if (type == QEvent::MouseButtonRelease && watched == form_) {
            const auto& mouse = static_cast<QMouseEvent&>(*event);
            const QPoint at = mouse.position().toPoint();
            Guarded([&] { form_->FormMouseUp(form_, MouseButtonOf(mouse), ShiftStateOf(mouse), at.x(), at.y()); });
        } else if (type == QEvent::MouseButtonPress && watched == viewport_) {
            Guarded([this] { form_->ScrollBoxMouseDown(form_->ScrollBox); });
        } else if (type == QEvent::MouseButtonDblClick && watched == viewport_) {
            Guarded([this] { form_->ScrollBoxDblClick(form_->ScrollBox); });
        }
        return false;
    }

private:
    TWebForm* form_;
    QWidget* viewport_;
};

// Clears a busy flag however the routine that set it ends.
class TBusyFlag {
public:
    explicit TBusyFlag(bool& flag) : flag_(flag) { flag_ = true; }
    ~TBusyFlag() { flag_ = false; }
    TBusyFlag(const TBusyFlag&) = delete;
    TBusyFlag& operator=(const TBusyFlag&) = delete;

private:
    bool& flag_;
};

}  // namespace

void TWebForm::BuildViewTools() {
    new TViewToolsWatch(this);
    // A click on the picture follows its mouse-up, as a click does.
    auto mouseUp = Daz95->OnMouseUp;
    Daz95->OnMouseUp = [this, mouseUp](QObject* sender, TMouseButton button, TShiftState shift, int x, int y) {
        if (mouseUp)
            mouseUp(sender, button, shift, x, y);
        if (button == mbLeft && Daz95->rect().contains(x, y))
            Guarded([&] { Daz95Click(sender); });
    };
}

// ---- The marquee dialog and Select all

void TWebForm::mnuRegion1Click(QObject* Sender) { mnuRegion1Click(Sender, ShiftHeld()); }

void TWebForm::mnuSelectallClick(QObject*) { mnuRegion1Click(mnuSelectall, false); }

void TWebForm::mnuRegion1Click(QObject* Sender, bool ShiftDown) {
    if (ImageWidth <= 0 || ImageHeight <= 0)
        return;
    const bool selecting = ViewTool == TViewTool::Select;
    const bool frameShown = SelectionDrawn;
    const TRect savedScreen = ScreenSelection;
    chkHandToolClick(this);
    Daz95->repaint();
    const TRect savedLast = LastSelection;
    const TRect savedSelection = Selection;
    LastSelection = Selection = viewgeo::Normalized(Selection);
    TRect region = MarqueeStartRect(Selection, ScreenSelection.Bottom, ShiftDown, ImageWidth, ImageHeight);
    if (Sender == mnuSelectall) {
        chkSelectToolClick(this);
        region = Rect(0, 0, ImageWidth, ImageHeight);
    } else if (Sender == mnuCopyMask) {
        chkSelectToolClick(this);
    } else {
        TResizeResult answer;
        answer.X = region.Left;
        answer.Y = region.Top;
        answer.Width = -1;
        ExecuteResizeForm(region.Left, region.Top, region.Width(), region.Height(), ImageWidth, ImageHeight, 0,
                          "Adjust Selection", 0, answer);
        if (answer.Width == -1) {
            if (!selecting)
                return;
            if (SavedRectRestorable(savedLast, ImageWidth, ImageHeight))
                LastSelection = savedLast;
            if (SavedRectRestorable(savedSelection, ImageWidth, ImageHeight))
                Selection = savedSelection;
            // The select tool stays on, with the marquee it showed.
            chkSelectToolClick(this);
            ScreenSelection = savedScreen;
            if (frameShown) {
                SetSelectionItems(true);
                DrawSelection(false);
                SelectionDrawn = true;
            }
            return;
        }
        chkSelectToolClick(this);
        region = MarqueeAnswerRect(answer.X, answer.Y, answer.Width, answer.Height);
    }
    LastSelection = Selection = region;
    ShowSelection();
}

void TWebForm::RestoreSelection() {
    Selection = LastSelection;
    ShowSelection();
}

// ---- Grid presets

void TWebForm::mnuPreset_Region(QObject* Sender) {
    EraseSelection();
    if (!GridPresetsAllowed(ImageWidth, ImageHeight)) {
        voMessageDlg("", "", GridRefusalText, mtInformation, mbOKOnly, AutoDefaultButton, 0);
        return;
    }
    TQuadDlgResult answer;
    ExecuteQuadDlg(mnuPreset->Tag, GridPresetIndex, ImageWidth, ImageHeight, answer);
    if (answer.Cancelled)
        return;
    GridPresetIndex = answer.Rows;
    mnuPreset->Tag = answer.Cols;
    const TRect cell = Rect(answer.Left, answer.Top, answer.Right, answer.Bottom);
    LastSelection = Selection = GridCellSelection(cell, ImageWidth, ImageHeight);
    ShowSelection();
    Application.ProcessMessages();
    if (Sender == mnuPasteGrid1 || Sender == mnuPasteGrid2) {
        mnuPasteMask1Click(mnuPasteMask1);
    } else if (Sender == mnuCopyGrid1 || Sender == mnuCopyGrid2) {
        Clipboard().Clear();
        mnuCopyMaskClick(mnuCopyMask);
    }
}

// ---- The side bar's tool buttons

void TWebForm::btnHandToolClick(QObject* Sender) {
    chkHandToolClick(Sender);
    if (FitWindow)
        mnuFitWindowClick(Sender);
}

void TWebForm::btnSelectToolClick(QObject* Sender, bool ShiftDown) {
    const bool wasOn = ViewTool == TViewTool::Select;
    chkSelectToolClick(Sender);
    if (wasOn || ShiftDown)
        mnuRegion1Click(Sender, ShiftDown);
}

// ---- The zoom tool's click

void TWebForm::Daz95Click(QObject*) {
    if (ZoomToolBusy || MediaMode || !chkZoomTool->Checked() || SlideshowRunning || IsBusy)
        return;
    TBusyFlag busy(ZoomToolBusy);
    Application.ProcessMessages();
    if (FitWindow) {
        ZoomInFromFit();
    } else if (ZoomToolTag != 0) {
        mnuFitWindowClick(btnZoomTool);
        btnZoomToolClick(btnZoomTool);
        ZoomToolTag = 0;
    }
}

// Leaves fit mode for the marquee's region, or for 100 % centred on the click.
void TWebForm::ZoomInFromFit() {
    const TBitmap* bitmap = Daz95->Bitmap();
    const TPoint at = ClickInPicture(ClickX, ClickY, bitmap ? bitmap->GetWidth() : ImageWidth,
                                     bitmap ? bitmap->GetHeight() : ImageHeight, Daz95->width(), Daz95->height());
    const bool toRegion = MarqueeZoomsToRegion(ScreenSelection);
    // The region in picture pixels is taken while the fitted scale holds.
    if (toRegion)
        GetAdjustedSelection();
    mnuFitWindowClick(btnZoomTool);
    if (toRegion) {
        ZoomToRegion();
        EraseSelection();
        ScreenSelection.Bottom = -1;
    } else {
        ZoomPercent = 100;
        ApplyZoom();
        const QWidget* area = ScrollBox->viewport();
        QScrollBar* horz = ScrollBox->horizontalScrollBar();
        QScrollBar* vert = ScrollBox->verticalScrollBar();
        const int left = CentredScrollPosition(at.X, area->width());
        const int top = CentredScrollPosition(at.Y, area->height());
        if (horz->value() != left || vert->value() != top) {
            vert->setValue(top);
            Application.ProcessMessages();
            horz->setValue(left);
        }
    }
    SelectionZoomed = true;
    ZoomToolTag = 1;
    btnZoomToolClick(btnZoomTool);
}

// ---- The window's and the scroll box's mouse

void TWebForm::FormMouseUp(QObject*, TMouseButton Button, TShiftState, int, int) {
    if (Button == mbRight)
        RightButtonReleased = true;
    else
        UserInterrupt = true;
}

void TWebForm::ScrollBoxMouseDown(QObject*) {
    if (!TopMenuItems.empty() && !TopMenuItems[0]->isEnabled())
        FormActivate();
}

void TWebForm::ScrollBoxDblClick(QObject*) { ExplorerTimer->SetEnabled(true); }

}  // namespace lumvor
