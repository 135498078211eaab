// The image window's view: fit and zoom, the scroll box, the window sized to
// the picture, full screen, the slide-show pauses, the hand, select and zoom
// tools and the selection rectangle. The arithmetic lives in ViewGeometry; the
// handlers here read the controls, call it and show the result.
#include "app/lumv8900.h"

#include "app/ShowClock.h"
#include "platform/MediaPlayer.h"

#include "imaging/OpenPicture.h"
#include "app/ViewGeometry.h"
#include "imaging/AvlScript.h"
#include "platform/ComCtrls.h"
#include "platform/Menus.h"
#include "processing/script/LabState.h"
#include "ui/Pix.h"
#include "ui/ScrollBoxEx.h"
#include "ui/Status_y.h"
#include "ui/vardlg_w.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QScrollBar>
#include <QStatusBar>
#include <QThread>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include <algorithm>
#include <cstdlib>

namespace lumvor {

using namespace lumv8900;
using namespace lumvor::viewgeo;

namespace {

// The selection's focus rectangle over the display control: a dotted frame,
// with the area inside inverted while the mouse draws it.
class TSelectionFrame : public QWidget {
public:
    explicit TSelectionFrame(QWidget* owner) : QWidget(owner) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setObjectName("SelectionFrame");
        hide();
    }
    bool Inverted = false;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        if (Inverted) {
            painter.setCompositionMode(QPainter::RasterOp_NotDestination);
            painter.fillRect(rect(), Qt::black);
        }
        painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        QPen pen(Qt::white);
        pen.setStyle(Qt::DotLine);
        painter.setPen(pen);
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
};

// Raises the window's resize reaction for every resize of the window.
class TResizeWatch : public QObject {
public:
    TResizeWatch(TWebForm* form) : QObject(form), form_(form) { form->installEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == form_ && event->type() == QEvent::Resize && !busy_) {
            busy_ = true;
            Guarded([this] { form_->FormResize(); });
            busy_ = false;
        }
        return false;
    }

private:
    TWebForm* form_;
    bool busy_ = false;
};

void SetChecked(TMenuItem* item, bool checked) {
    if (item)
        item->SetChecked(checked);
}

void SetEnabled(QAction* item, bool enabled) { TWebForm::SetItemEnabled(item, enabled); }

void SetDown(QToolButton* button, bool down) {
    if (button) {
        button->setCheckable(true);
        button->setChecked(down);
    }
}

bool IsNormalState(const QWidget& w) {
    return !(w.windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen));
}

// Drawn cursors all have the bitmap shape: their pictures tell them apart.
bool SameCursor(const QCursor& a, const QCursor& b) {
    return a.shape() == b.shape() && a.pixmap().cacheKey() == b.pixmap().cacheKey();
}

TJPEGScale ScaleOfDivisor(int d) {
    switch (d) {
    case 1: return jsFullSize;
    case 2: return jsHalf;
    case 4: return jsQuarter;
    case 8: return jsEighth;
    default: return jsSixteenth;
    }
}

}  // namespace

// ---- Components and measures

void TWebForm::BuildView() {
    ZoomBar->SetMin(MinZoom);
    ZoomBar->SetMax(MaxZoom);
    ZoomBar->SetPosition(ZoomPercent);
    // The display control fills the view edge to edge.
    ScrollBox->setFrameShape(QFrame::NoFrame);
    selectionFrame_ = new TSelectionFrame(Daz95);
    Daz95->OnMouseDown = [this](QObject* sender, TMouseButton button, TShiftState shift, int x, int y) {
        Guarded([&] { Daz95MouseDown(sender, button, shift, x, y); });
    };
    Daz95->OnMouseMove = [this](QObject* sender, TShiftState shift, int x, int y) {
        Guarded([&] { Daz95MouseMove(sender, shift, x, y); });
    };
    Daz95->OnMouseUp = [this](QObject* sender, TMouseButton button, TShiftState shift, int x, int y) {
        Guarded([&] { Daz95MouseUp(sender, button, shift, x, y); });
    };
    ConnectGuarded(btnZoomUp, &QToolButton::clicked, this, [this] { btnZoomUpClick(btnZoomUp); });
    ConnectGuarded(btnZoomDn, &QToolButton::clicked, this, [this] { btnZoomDnClick(btnZoomDn); });
    new TResizeWatch(this);
    RefitTimer = new QTimer(this);
    RefitTimer->setSingleShot(true);
    RefitTimer->setInterval(RefitSettleMilliseconds);
    ConnectGuarded(RefitTimer, &QTimer::timeout, this, [this] { RedecodeForView(); });
}

int TWebForm::ClientWidth() const { return width(); }

int TWebForm::ClientHeight() const {
    const QMenuBar* bar = menuBar();
    return height() - (bar && bar->isVisibleTo(this) ? bar->height() : 0);
}

// The client area less the shown bars is where the layout puts the scroll box.
TRect TWebForm::ViewRect() const {
    if (QWidget* central = centralWidget())
        if (QLayout* layout = central->layout())
            layout->activate();
    const QPoint at = ScrollBox->mapTo(this, QPoint(0, 0));
    const int top = at.y() - (height() - ClientHeight());
    return Rect(at.x(), top, at.x() + ScrollBox->width(), top + ScrollBox->height());
}

int TWebForm::ViewWidth() const { return ViewRect().Width(); }

int TWebForm::ViewHeight() const { return ViewRect().Height(); }

TRect TWebForm::WindowBounds() const { return Rect(x(), y(), x() + width(), y() + height()); }

// Left and Top place the window's frame, as the settings record stores them.
void TWebForm::SetWindowBounds(const TRect& Bounds) {
    move(Bounds.Left, Bounds.Top);
    resize(Bounds.Width(), Bounds.Height());
}

// Status panel 1 shows the zoom.
void TWebForm::SetStatusZoom(const std::string& Text) {
    ZoomPanelText = Text;
    SetStatusPanel(1, Text);
}

// ---- Fit and zoom

void TWebForm::mnuFitWindowClick(QObject* Sender) {
    PreparedWidth = 0;
    if (!MediaMode) {
        chkHandToolClick(Sender);
        EnsureStretch();
    }
    FitWindow = !FitWindow;
    ShowFitState();
    if (MediaMode) {
        if (ViewerPlayer)
            ViewerPlayer->SetDisplaySize(FitWindow ? MediaSizeFit : MediaSizeDefault);
        return;
    }
    if (!FitWindow) {
        ZoomPercent = 100;
        AutoZoom();
    }
    FormResize();
    UpdateHistoryEdit();
    if (FitWindow && !SlideshowRunning && !IsBusy) {
        ZoomToolTag = 0;
        btnZoomToolClick(Sender);
    }
}

void TWebForm::ShowFitState() {
    if (FitWindow) {
        SetEnabled(mnuZoom, false);
        SetEnabled(mnuZoom1, false);
        SetStatusZoom("Fit");
    } else {
        btnZoomUp->setEnabled(true);
        btnZoomDn->setEnabled(true);
        SetEnabled(mnuZoom, !MediaMode);
        SetEnabled(mnuZoom1, !MediaMode);
        SetStatusZoom("100%");
    }
    SetChecked(mnuFitWindow, FitWindow);
    SetChecked(mnuFitWindow1, FitWindow);
    SetDown(btnFitWindow, FitWindow);
}

void TWebForm::btnZoomUpClick(QObject* Sender) { StepZoom(Sender, true); }

void TWebForm::btnZoomDnClick(QObject* Sender) { StepZoom(Sender, false); }

// One step of the zoom buttons; a fitted picture leaves fit mode first.
void TWebForm::StepZoom(QObject* Sender, bool Up) {
    if (MediaMode) {
        MediaStepSize(Up);
        return;
    }
    if (FitWindow)
        mnuFitWindowClick(Sender);
    ZoomPercent = Up ? ZoomUp(ZoomPercent) : ZoomDown(ZoomPercent);
    ZoomBar->SetPosition(ZoomPercent);
    ApplyZoom();
}

void TWebForm::SetZoomKey(int Percent) {
    if (FitWindow)
        mnuFitWindowClick(this);
    ZoomPercent = Percent;
    ApplyZoom();
}

void TWebForm::mnuZoomClick(QObject*) {
    const int answer = ExecuteVariableDlg(400, ZoomPercent, 110);
    if (answer == VariableDlgCancelled)
        return;
    ZoomPercent = ZoomFromAnswer(answer);
    ApplyZoom();
}

void TWebForm::ApplyZoom() {
    EnsureStretch();
    chkHandToolClick(this);
    Daz95->hide();
    QScrollBar* horz = ScrollBox->horizontalScrollBar();
    QScrollBar* vert = ScrollBox->verticalScrollBar();
    const int horzPercent = ScrollPercent(horz->value(), Daz95->width());
    const int vertPercent = ScrollPercent(vert->value(), Daz95->height());
    ResetSkyScrollPos();
    const int n = ZoomPercent / 100;
    AutoZoom();
    LayoutScrollBox();
    const QWidget* viewport = ScrollBox->viewport();
    horz->setValue(KeptScrollPosition(horzPercent, Daz95->width(), viewport->width(), ClientWidth(), n));
    vert->setValue(KeptScrollPosition(vertPercent, Daz95->height(), viewport->height(), ClientHeight(), n));
    Daz95->show();
    SetStatusZoom(IntToStr(ZoomPercent) + "%");
    ZoomBar->SetPosition(ZoomPercent);
}

void TWebForm::AutoZoom() {
    if (!ImageLoaded)
        return;
    const int width = int(Trunc(ImageWidth * ZoomPercent * 0.01));
    const int height = int(Trunc(ImageHeight * ZoomPercent * 0.01));
    if (FitWindow) {
        PlaceImage(width, height);
    } else {
        Daz95->setGeometry(0, 0, width, height);
        SetScrollRanges();
    }
}

void TWebForm::ResizeImage() {
    if (MediaMode)
        return;
    // The picture keeps its proportions inside the view (the side bar's room
    // excluded), and is enlarged only with upsampling outside slide shows.
    // A reduced decode stands for the file: the file's size decides whether
    // the picture would be enlarged, and the decode is stretched to it.
    const bool enlarge = !SlideshowRunning && chkUpsampling->Checked();
    const TSize own = ShownReduced() ? ReducedPictureFileSize() : TSize{ImageWidth, ImageHeight};
    const TSize size = FittedPictureSize(own.cx, own.cy, ViewWidth(), ViewHeight(), enlarge);
    PlaceImage(size.cx, size.cy);
    Application.ProcessMessages();
}

void TWebForm::PlaceImage(int Width, int Height) {
    const TRect r = PlacedImageBounds(Width, Height, FitWindow, ViewWidth(), ViewHeight());
    ScrollBox->setAlignment(FitWindow ? Qt::AlignCenter : Qt::AlignLeft | Qt::AlignTop);
    Daz95->setGeometry(r.Left, r.Top, r.Width(), r.Height());
}

void TWebForm::SetBoundsEx() { Daz95->setGeometry(0, 0, ImageWidth, ImageHeight); }

bool TWebForm::NeedSetBounds() const {
    return Daz95->x() != 0 || Daz95->y() != 0 || Daz95->width() != ImageWidth || Daz95->height() != ImageHeight;
}

void TWebForm::EnsureStretch() {
    if (Daz95->Stretch)
        return;
    Daz95->Stretch = true;
    Application.ProcessMessages();
    ResetSkyScrollPos();
    SetBoundsEx();
    SetScrollRanges();
}

void TWebForm::ResetSkyScrollPos() {
    ScrollBox->horizontalScrollBar()->setValue(0);
    ScrollBox->verticalScrollBar()->setValue(0);
}

// The scroll ranges follow the control's size: the scroll area takes them from
// the control; this brings the bars up to date at once.
void TWebForm::SetScrollRanges() {
    const QWidget* viewport = ScrollBox->viewport();
    ScrollBox->horizontalScrollBar()->setRange(0, std::max(0, Daz95->width() - viewport->width()));
    ScrollBox->verticalScrollBar()->setRange(0, std::max(0, Daz95->height() - viewport->height()));
}

void TWebForm::LayoutScrollBox() {
    auto* box = static_cast<TScrollBoxEx*>(ScrollBox);
    if (MediaMode) {
        box->SetViewportMargins(0, 0, 0, 0);
        return;
    }
    if (FitWindow) {
        ScrollBox->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        ScrollBox->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        Application.ProcessMessages();
        Daz95->unsetCursor();
        HandAvailable = false;
        box->SetViewportMargins(0, 0, 0, 0);
        ScrollBox->setAlignment(Qt::AlignCenter);
        return;
    }
    ScrollBox->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    ScrollBox->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    ScrollBox->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    const TScrollBoxLayout layout =
        ScrollBoxLayout(ViewRect(), false, Daz95->width(), Daz95->height(), ZoomPercent, ScrollBarWidth);
    HandAvailable = layout.HandAvailable;
    if (HandAvailable)
        Daz95->setCursor(Screen.Cursors(1));
    else
        Daz95->unsetCursor();
    box->SetViewportMargins(layout.TrimLeft, layout.TrimTop, 0, 0);
    SetScrollRanges();
}

void TWebForm::ReadImageSize() {
    TBitmap* bitmap = Daz95->Bitmap();
    ImageWidth = bitmap->Width();
    ImageHeight = bitmap->Height();
    for (int i = 0; i < 3; ++i)
        Application.ProcessMessages();
    switch (bitmap->PixelFormat()) {
    case pf1bit: ImageBitCount = 1; break;
    case pf4bit: ImageBitCount = 4; break;
    case pf8bit: ImageBitCount = 8; break;
    case pf24bit: ImageBitCount = 24; break;
    default:
        bitmap->SetPixelFormat(pf24bit);
        ImageBitCount = 24;
        break;
    }
}

void TWebForm::ProcessDone() {
    ReadImageSize();
    if (!FitWindow) {
        ZoomPercent = 100;
        ApplyZoom();
        SetStatusZoom("100%");
    } else {
        ChangeView();
    }
    Screen.SetCursor(crDefault);
    MultiPageDisable();
    StatusReady();
    ImageChanged = true;
}

void TWebForm::ChangeView() {
    Daz95->SetPaintLock(true);
    ResetSkyScrollPos();
    if (FitWindow)
        ResizeImage();
    else
        FitWindowToPicture();
    Daz95->SetPaintLock(false);
    RefreshImage();
    PreparedWidth = 0;
}

void TWebForm::RefreshView() {
    Daz95->SetPaintLock(false);
    if (!FitWindow)
        SetScrollRanges();
    else
        ResizeImage();
    // A paint that came while the lock was on was dropped; moving the
    // control alone would only shift what it showed before.
    Daz95->update();
}

void TWebForm::RefreshImage() { Daz95->update(); }

// ---- The window's size

void TWebForm::FitWindowToPicture() {
    if (FullScreen)
        return;
    SizingToPicture = true;
    const TSize size = WindowSizeForPicture(FrameWidth, height() - ClientHeight(), ImageWidth, ImageHeight,
                                            PanelsHeight(), ScreenWidth, ScreenHeight, PictureWindowMinWidth());
    SetBoundsEx();
    SizeWindowTo(size.cx, size.cy);
    SizingToPicture = false;
    ZoomPercent = 100;
    SetScrollRanges();
}

int TWebForm::PanelsHeight() const {
    int height = 0;
    for (QWidget* bar : {PanelTool, PanelHistory, static_cast<QWidget*>(StatusBar)})
        if (bar && bar->isVisibleTo(this))
            height += bar->height();
    return height;
}

int TWebForm::SidePanelWidth() const { return PanelSide && PanelSide->isVisibleTo(this) ? PanelSide->width() : 0; }

int TWebForm::PictureWindowMinWidth() {
    int minWidth = 0;
    if (!FitWindow && WindowFrameFree)
        minWidth = GetWinMin();
    if (ViewerControls.Flag(vc::MenuBar)) {
        if (MenuMinWidth == 360)
            MenuMinWidth = std::max(361, 54 * GetMenuFontCharWidth());
        minWidth = std::max(minWidth, MenuMinWidth);
    }
    return minWidth;
}

int TWebForm::GetWinMin() const {
    if (ViewerControls.Flag(vc::ToolBar) && !MergeToolbar) {
        int width = 16;
        for (QAction* action : Toolbar1->actions())
            if (QWidget* button = Toolbar1->widgetForAction(action))
                width += button->width();
        return width;
    }
    return MenuMinWidth * logicalDpiX() / 96;
}

void TWebForm::SizeWindowTo(int Width, int Height) {
    SetWindowBounds(PlacedWindow(WindowBounds(), Width, Height, ScreenWidth, ScreenHeight, WindowedView,
                                 OptimizeWindow, !isVisible() || !IsNormalState(*this)));
}

// The stored bounds when the start applied them, else the window's own.
void TWebForm::FitSavedBounds() {
    const bool stored = ViewerSettingsLoaded && ExplorerSettingsLoaded && PreviousFileName == "*";
    const TRect bounds = stored ? SavedBounds : WindowBounds();
    SetWindowBounds(FittedSavedBounds(bounds, ScreenWidth, ScreenHeight, WindowedView, OptimizeWindow));
}

void TWebForm::FormResize() {
    const bool normal = IsNormalState(*this);
    if (batch_8900::BatchRunning && (!normal || !isVisible()))
        CancelPressed = 1;
    WindowResized = 1;
    if (SlideshowRunning && isMinimized()) {
        showNormal();
        UserInterrupt = true;
        return;
    }
    if (MediaMode) {
        LayoutScrollBox();
        return;
    }
    if (OpenLayoutRunning)
        return;
    chkHandToolClick(this);
    Daz95->SetPaintLock(true);
    if (isVisible() && normal && !(chkExtendedDesktop && chkExtendedDesktop->Checked())) {
        const TPoint at = WindowPlacement(x(), y(), width(), height(), ScreenWidth, ScreenHeight, true, false);
        if (at.X != x() || at.Y != y())
            move(at.X, at.Y);
    }
    if (isMinimized())
        return;
    if (!ViewSwitching) {
        LayoutScrollBox();
        if (ImageLoaded && !SizingToPicture)
            RefreshView();
    }
    // A reduced JPEG is decoded again for a larger view once resizing settles.
    if (FitWindow && JPEGReduced && RefitTimer)
        RefitTimer->start();
}

TSize TWebForm::ReducedPictureFileSize() const {
    if (!ImageChanged)
        return TSize{PrevImageWidth, PrevImageHeight};
    // An edited picture keeps its own proportions at the file's scale.
    const int factor = FaxReduced ? FaxDivisor(FaxQuality) : JPEGScaleDivisor;
    return TSize{ImageWidth * factor, ImageHeight * factor};
}

bool TWebForm::ShownReduced() const { return (JPEGReduced && !AspectChanged) || FaxReduced; }

void TWebForm::RedecodeForView() {
    if (!FitWindow || !JPEGReduced || AspectChanged || ImageChanged || MediaMode || SlideshowRunning || IsBusy ||
        !ImageLoaded || FileName != ShownFileName || !mnuScaleJPEG->isChecked())
        return;
    const QSize view = ScrollBox->viewport()->size();
    if (view == RefitViewSize)
        return;
    RefitViewSize = view;
    const int threshold = JPEGScaleOn ? ViewerControls.Int(vc::JpegScale) : 67;
    const int wanted = ComputeJPEGScaleDivisor(PrevImageWidth, PrevImageHeight, view.width(), view.height(), threshold);
    if (AppliedJPEGDivisor(JPEGScaleCode(wanted)) >= JPEGScaleDivisor)
        return;
    const int shownDivisor = JPEGScaleDivisor;
    ImageWidth = PrevImageWidth;
    ImageHeight = PrevImageHeight;
    TickStart = GetTickCount();
    Daz95->SetPaintLock(true);
    try {
        LoadJPEGScaled();
    } catch (const Exception&) {
        // The file changed under the picture: the shown decode stays.
        ImageWidth = DisplayBitmap().GetWidth();
        ImageHeight = DisplayBitmap().GetHeight();
        JPEGReduced = true;
        JPEGScaleDivisor = shownDivisor;
    }
    Daz95->SetPaintLock(false);
    ResizeImage();
    RefreshImage();
    ShowSizeText();
}

// ---- Full screen

void TWebForm::SetFullScreenBars(bool Full) {
    // The bars full screen hides, under the conditions it hides them.
    const bool max = MaxFullScreen;
    if (max && !FullScreenMenus && mnuMenubar->Checked())
        for (QMenu* menu : TopMenuItems)
            menu->menuAction()->setVisible(!Full);
    if (max && !MergeToolbar && mnuToolbarV->Checked())
        PanelTool->setVisible(!Full);
    if (max && mnuPathbox->Checked())
        PanelHistory->setVisible(!Full);
    if (max && mnuSideBarV->Checked()) {
        PanelSide->setVisible(!Full);
        ToolBar3->setVisible(!Full);
    }
    StatusPanelOwnerDrawn = !Full;
    StatusPanels[0]->update();
    if (mnuStatusbarV->Checked())
        StatusBar->setVisible(!Full);
}

void TWebForm::mnuFullScrnClick(QObject* Sender) {
    if (mnuFullscrn && !mnuFullscrn->isEnabled())
        return;
    if (MediaMode) {
        AV_FullScrnClick(Sender);
        return;
    }
    chkHandToolClick(Sender);
    EnsureStretch();
    Daz95->unsetCursor();
    HandAvailable = false;
    const int32_t bookmark = ImageHistoryIndex;
    const bool toFull = !FullScreen;
    ViewSwitching = true;
    hide();
    Application.ProcessMessages();
    Daz95->hide();
    Daz95->SetPaintLock(true);
    ResetSkyScrollPos();
    Application.ProcessMessages();
    for (TMenuItem* item : {mnuFullscrn, mnuFullscrn1})
        if (item)
            item->SetCaption(toFull ? "Normal window" : "Full screen");
    if (toFull) {
        const TRect b = WindowBounds();
        const int left = std::abs(b.Left), top = std::abs(b.Top);
        SavedBounds = Rect(left, top, left + b.Width(), top + b.Height());
        SetFullScreenBars(true);
        setWindowFlag(Qt::FramelessWindowHint, true);
        // Without a frame the window's client area is the whole rectangle.
        MaximizeWindow(*this);
        WindowFrameFree = false;
        FullScreen = true;
        SetEnabled(mnuOptimizeWindow, false);
        SetEnabled(mnuAdjustViewport, false);
    } else {
        setWindowFlag(Qt::FramelessWindowHint, false);
        setWindowState(Qt::WindowNoState);
        SetFullScreenBars(false);
        WindowFrameFree = true;
        FullScreen = false;
        SetEnabled(mnuOptimizeWindow, true);
        SetEnabled(mnuAdjustViewport, !mnuOptimizeWindow || mnuOptimizeWindow->isEnabled());
        SetWindowBounds(SavedBounds);
        ScrollBox->setToolTip(QString());
    }
    Application.ProcessMessages();
    ViewSwitching = false;
    show();
    ImageHistoryIndex = bookmark;
    if (!MaxFullScreen)
        mnuStatusbarV->setEnabled(!FullScreen);
    if (ViewerControls.Flag(vc::ToolBar) || MergeToolbar) {
        if (btnOptimizeWindow)
            btnOptimizeWindow->setEnabled(!FullScreen);
        SetDown(BtnFullScrn, FullScreen);
    }
    UpdateHistoryEdit();
    if (mnuToolbarV->Checked())
        ToolbarResize();
    Daz95->SetPaintLock(false);
    setEnabled(true);
    Daz95->show();
    // The view takes its new size now that the switch is over.
    LayoutScrollBox();
    if (ImageLoaded)
        RefreshView();
    activateWindow();
    setAcceptDrops(true);
    if (!SlideshowRunning && !IsBusy && FitWindow) {
        btnZoomToolClick(Sender);
        ZoomToolTag = 0;
    }
}

void TWebForm::LeaveFullScreen() {
    if (FullScreen)
        mnuFullScrnClick(this);
}

// ---- Pauses

int TWebForm::Wait(int Milliseconds) {
    DisplayChanged = false;
    if (UserInterrupt)
        return -1;
    if (RightButtonReleased) {
        RightButtonReleased = false;
        return 0;
    }
    const TCursor saved = Screen.Cursor();
    Screen.SetCursor(crAppStart);
    ShowClock().Pause(Milliseconds <= 0 ? 50 : Milliseconds,
                      [] { return UserInterrupt || DisplayChanged || RightButtonReleased; });
    RightButtonReleased = false;
    Screen.SetCursor(saved);
    return 0;
}

bool TWebForm::EffectWait(int, int, int Milliseconds) {
    if (UserInterrupt)
        return UserInterrupt;
    // A stop asked during the pause ends the pause; the effect stops at the next step.
    const bool before = UserInterrupt;
    ShowClock().Pause(std::max(0, Milliseconds), [] { return UserInterrupt; });
    return before;
}

// ---- Slides and the blank picture

void TWebForm::LoadSlideJPEG() {
    JPEGReduced = true;
    const bool widthOnly = mnuAspect && mnuAspect->Tag == 100;
    const int d = SlideJpegDivisor(ImageWidth, ImageHeight, ClientWidth(), ClientHeight(), widthOnly);
    JPEGImage->SetScale(ScaleOfDivisor(d));
    JPEGRetry = false;
    try {
        // The shared object may hold another picture: the slide is always read.
        JPEGImage->LoadFromFile(FileName);
        ImageWidth = JPEGImage->ScaledWidth();
        ImageHeight = JPEGImage->ScaledHeight();
    } catch (const Exception&) {
        JPEGRetry = true;
        const int code = JPEGImage->LastJpegError();
        if (code == jpegcode::NotJpeg || code == jpegcode::PreviewFailed)
            JPEGImage = std::make_unique<TJPEGImage>();
        JPEGImage->SetRetryRead(true);
        JPEGImage->SetScale(jsFullSize);
        JPEGImage->LoadFromFile(FileName);
        JPEGReduced = false;
        ImageWidth = JPEGImage->Width();
        ImageHeight = JPEGImage->Height();
        ImageBitCount = JPEGImage->BitCount();
    }
    TBitmap bitmap;
    JPEGImage->SetPixelFormat(ImageBitCount == 8 ? jf8Bit : jf24Bit);
    JPEGImage->SetPerformance(jpBestSpeed);
    JPEGImage->DecodeInto(bitmap);
    JPEGImage->SetRetryRead(false);
    JPEGRetry = false;
    if (SlideAdjust && SlideGamma != 100) {
        // The maps work on 24-bit pixels: a grey slide is raised first.
        bitmap.SetPixelFormat(pf24bit);
        ImageBitCount = 24;
        for (int channel = 0; channel < 3; ++channel)
            SetGammaLUT(SlideGamma, channel, 0);
        ColorFilterBitmap(bitmap);
    }
    Daz95->SetBitmap(&bitmap);
}

void TWebForm::NewBlankImage(bool Named) {
    TBitmap blank;
    blank.SetPixelFormat(pf24bit);
    blank.SetSize(32, 32);
    blank.Canvas().Brush.Color = BackgroundColor;
    blank.Canvas().FillRect(Rect(0, 0, 32, 32));
    Daz95->SetBitmap(&blank);
    SetEnabled(mnuReload, false);
    SetEnabled(mnuReload3, false);
    // A new picture: nothing of the last one can be undone, and it is not reduced.
    SetUndoControls(false);
    JPEGReduced = FaxReduced = false;
    if (Named) {
        FileName = "Untitled";
        ShownFileName = FileName;
        ImageWidth = ImageHeight = 32;
        ImageBitCount = 24;
    }
    EnableControls();
    ImageLoaded = true;
    ProcessDone();
    FormResize();
    UpdateCaption();
    ImageChanged = false;
    PreparedWidth = 0;
}

// ---- Tools

void TWebForm::CheckTool(TViewTool Tool) {
    ViewTool = Tool;
    SetChecked(chkHandTool, Tool == TViewTool::Hand);
    SetChecked(chkHandTool2, Tool == TViewTool::Hand);
    SetChecked(chkSelectTool, Tool == TViewTool::Select);
    SetChecked(chkSelectTool2, Tool == TViewTool::Select);
    SetChecked(chkZoomTool, Tool == TViewTool::Zoom);
    SetChecked(chkZoomTool2, Tool == TViewTool::Zoom);
    SetDown(btnHandTool, Tool == TViewTool::Hand);
    SetDown(btnSelectTool, Tool == TViewTool::Select);
    SetDown(btnZoomTool, Tool == TViewTool::Zoom);
}

void TWebForm::SetSelectionItems(bool Enabled) {
    for (TMenuItem* item : {mnuTrim1, mnuTrim2, mnuCrop, mnuCrop1, mnuCopyMask, mnuCopyMask1, mnuPasteMask1,
                            mnuPasteMask2, mnuRedEye1})
        SetEnabled(item, Enabled);
}

void TWebForm::chkHandToolClick(QObject*) {
    if (ViewTool == TViewTool::Hand)
        return;
    CheckTool(TViewTool::Hand);
    EraseSelection();
    SelectMode = false;
    Daz95->unsetCursor();
    SetSelectionItems(false);
    LayoutScrollBox();
    Application.ProcessMessages();
}

// Selects the select or the zoom tool (nothing when it is selected already):
// a drag then draws a rectangle, with the tool's cursor.
void TWebForm::SelectRectangleTool(TViewTool Tool, TCursor ToolCursor) {
    EnsureStretch();
    if (ViewTool == Tool)
        return;
    CheckTool(Tool);
    SelectMode = true;
    ScreenSelection.Bottom = -1;
    HandAvailable = false;
    EraseSelection();
    Daz95->setCursor(Screen.Cursors(ToolCursor));
}

void TWebForm::chkSelectToolClick(QObject*) { SelectRectangleTool(TViewTool::Select, 3); }

void TWebForm::btnZoomToolClick(QObject* Sender) {
    SelectRectangleTool(TViewTool::Zoom, 5);
    if (ZoomToolTag == 0 && !SlideshowRunning && !IsBusy && FileExists(FileName) && !MediaMode && !FitWindow)
        mnuFitWindowClick(Sender);
}

void TWebForm::chkZoomToolClick(QObject*) {}

// ---- The selection on the display control

void TWebForm::DrawSelection(bool Inverted) {
    auto* frame = static_cast<TSelectionFrame*>(selectionFrame_);
    const TRect r = Normalized(ScreenSelection);
    frame->Inverted = Inverted;
    frame->setGeometry(r.Left, r.Top, r.Width(), r.Height());
    frame->show();
    frame->raise();
    frame->update();
}

void TWebForm::EraseSelection() {
    selectionFrame_->hide();
    SelectionDrawn = false;
}

void TWebForm::Daz95MouseDown(QObject*, TMouseButton Button, TShiftState, int X, int Y) {
    if (!TopMenuItems[0]->isEnabled())
        FormActivate();
    EnsureStretch();
    if (Button == mbLeft)
        MouseIsDown = true;
    ClickX = X;
    ClickY = Y;
    if (SelectMode && MouseIsDown) {
        HandAvailable = false;
        EraseSelection();
        if (ViewTool == TViewTool::Select)
            PreviousSelection = {ScreenSelection, LastSelection};
        ScreenSelection.Bottom = -1;
    }
    const int n = MouseDownGrid(ZoomPercent, ImageBitCount);
    DragOrigin = Point(Snap(X, n, 2), Snap(Y, n, 2));
}

void TWebForm::Daz95MouseMove(QObject*, TShiftState, int X, int Y) {
    if (!FitWindow && SameCursor(Daz95->cursor(), Screen.Cursors(5)) && ViewTool == TViewTool::Zoom)
        Daz95->setCursor(Screen.Cursors(6));
    if (!MouseIsDown || !(HandAvailable || SelectMode))
        return;
    HandAvailable = false;
    if (!SelectMode && (X < 0 || Y < 0)) {
        HandAvailable = true;
        return;
    }
    const int n = MouseMoveGrid(ZoomPercent, ImageBitCount);
    X = std::max(0, Snap(X, n, 2));
    Y = std::max(0, Snap(Y, n, 2));
    if (SelectMode) {
        ScreenSelection = Normalized(Rect(DragOrigin.X, DragOrigin.Y, X, Y));
        DrawSelection(true);
        SelectionDrawn = true;
        return;
    }
    QScrollBar* horz = ScrollBox->horizontalScrollBar();
    QScrollBar* vert = ScrollBox->verticalScrollBar();
    const int left = HandDragOffset(-horz->value(), DragOrigin.X, X);
    const int top = HandDragOffset(-vert->value(), DragOrigin.Y, Y);
    vert->setValue(std::abs(top));
    Application.ProcessMessages();
    horz->setValue(std::abs(left));
    HandAvailable = true;
}

void TWebForm::Daz95MouseUp(QObject*, TMouseButton Button, TShiftState Shift, int, int) {
    MouseIsDown = false;
    const bool ctrl = (Shift & ssCtrl) != 0;
    ScrollBox->setFocus();
    if (Button == mbRight) {
        // Ends a slide show's pause early.
        if (SlideshowRunning)
            RightButtonReleased = true;
        return;
    }
    UserInterrupt = true;
    CancelPressed = 1;
    // A hand drag leaves the selection as it is.
    if (!SelectMode)
        return;
    const TRect spanned = Normalized(ScreenSelection);
    if (ScreenSelection.Bottom == -1 || spanned.Width() < 4 || spanned.Height() < 4) {
        EraseSelection();
        return;
    }
    if (SelectionDrawn) {
        SetSelectionItems(true);
        DrawSelection(false);
    }
    bool moved = false;
    if (ctrl && ViewTool == TViewTool::Select) {
        const TMovedSelection m = MoveSelection(ScreenSelection, PreviousSelection.Screen, PreviousSelection.Picture,
                                                FitWindow, ZoomPercent, Daz95->width(), Daz95->height(),
                                                ImageWidth, ImageHeight);
        ScreenSelection = m.Screen;
        LastSelection = m.Picture;
        moved = m.Clipped;
        if (SelectionDrawn)
            DrawSelection(false);
    } else {
        GetAdjustedSelection();
    }
    Selection = LastSelection;
    if (moved)
        ShowSelection();
    const TRect final = Normalized(ScreenSelection);
    if (final.Width() < 4 || final.Height() < 4)
        EraseSelection();
}

void TWebForm::GetAdjustedSelection() {
    ScreenSelection = Normalized(ScreenSelection);
    LastSelection = ScreenToPicture(ScreenSelection, FitWindow, ZoomPercent, Daz95->width(), Daz95->height(),
                                    ImageWidth, ImageHeight);
}

void TWebForm::DisplaySelection() {
    LastSelection = Normalized(LastSelection);
    ScreenSelection = PictureToScreen(LastSelection, FitWindow, ZoomPercent, Daz95->width(), Daz95->height(),
                                      ImageWidth, ImageHeight);
}

void TWebForm::ShowSelection() {
    chkHandToolClick(this);
    Daz95->repaint();
    LastSelection = SelectionInsidePicture(Selection, ImageWidth, ImageHeight);
    chkSelectToolClick(this);
    DisplaySelection();
    SelectMode = true;
    HandAvailable = false;
    SetSelectionItems(true);
    DrawSelection(false);
    SelectionDrawn = true;
    SelectionShown = true;
    SelectionZoomed = false;
    SavedScreenRect = ScreenSelection;
}

}  // namespace lumvor
