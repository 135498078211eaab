// The View menu's sizing and viewing modes: the window sized to the picture or
// to a typed viewport, zoom to a region, the copy of what is shown, the aspect
// modes, JPEG scale, the view gamma, the zoom bar and the mouse wheel.
#include "app/lumv8900.h"

#include "app/ViewGeometry.h"
#include "state/ViewerSettings.h"
#include "app/SlideSizing.h"
#include "imaging/Helpers.h"
#include "platform/ComCtrls.h"
#include "platform/Forms.h"
#include "platform/MediaPlayer.h"
#include "platform/Menus.h"
#include "platform/SysUtils.h"
#include "processing/script/LabState.h"
#include "ui/Pix.h"
#include "ui/Resize_w.h"
#include "ui/ScrollBoxEx.h"
#include "ui/vardlg_w.h"
#include "ui/voMsgBox.h"

#include <QActionGroup>
#include <QComboBox>
#include <QMenu>
#include <QToolButton>
#include <QGuiApplication>
#include <QScrollBar>

#include <algorithm>

namespace lumvor {

using namespace lumv8900;
using namespace viewgeo;

namespace {

constexpr const char* NotLinkedText = "Image is not linked to a filename. Setting cancelled.";
constexpr const char* DvdNote =
    "\nThis fixes raw, fullscreen DVD image captures (landscape).\nNormal 1:1 images will be distorted; video is "
    "not modified.";
constexpr const char* AudioExtensions = ".WAV.MP2.MP3.MPA.AIF.AIFF.AIFX.MID.RMI.AU.SND.RA.WMA.RMI.APE.FLAC.M4A.OGG";

bool IsNormalState(const QWidget& w) { return !w.isMinimized() && !w.isMaximized() && !w.isFullScreen(); }

bool ShiftHeld() { return QGuiApplication::queryKeyboardModifiers().testFlag(Qt::ShiftModifier); }

bool ExtensionIn(const std::string& ext, const std::string& list) {
    return !ext.empty() && Pos(UpperCase(ext) + ".", list + ".") > 0;
}

}  // namespace

// ---- Sizing the window

void TWebForm::mnuOptimizeWindowClick(QObject* Sender) {
    if (MediaMode) {
        const std::string ext = UpperCase(ExtractFileExt(FileName));
        TMediaSizing m;
        m.Fit = FitWindow;
        m.AudioOnly = ExtensionIn(ext, AudioExtensions);
        m.FullScreenDown = FullScreen;
        const TSize video = MediaVideoSize();
        m.VideoWidth = video.cx;
        m.VideoHeight = video.cy;
        m.DisplaySize = MediaDisplaySize();
        m.ClientWidth = ClientWidth();
        m.PlayerHeight = ViewHeight();
        m.MinWidth = GetWinMin();
        m.FrameWidth = FrameWidth;
        m.NonClientHeight = height() - ClientHeight();
        const bool controls = ViewerPlayer ? ViewerPlayer->ShowControls() : MediaShowControls;
        const bool tracker = ViewerPlayer ? ViewerPlayer->ShowTracker() : MediaShowPositionBar;
        const bool statusLine = ViewerPlayer ? ViewerPlayer->ShowStatusBar() : MediaShowStatusBar;
        m.BarsHeight = MediaBarsHeight(controls, tracker, statusLine, MediaControlBarHeight, MediaPositionBarHeight,
                                       MediaStatusBarHeight);
        m.PanelsHeight = PanelsHeight();
        m.ScreenWidth = ScreenWidth;
        m.ScreenHeight = ScreenHeight;
        const TMediaWindowSize size = MediaWindowSize(m);
        SetMediaVideoSize(size.Video);
        // From the zoom-up button a size that already fits needs nothing.
        if (Sender == btnZoomUp && size.Window.cx <= width() && size.Window.cy <= height())
            return;
        if (!IsNormalState(*this))
            showNormal();
        Application.ProcessMessages();
        if (FitWindow) {
            int left = x();
            int top = y();
            if (left + size.Window.cx > ScreenWidth)
                left = ScreenWidth - size.Window.cx;
            if (top + size.Window.cy > ScreenHeight)
                top = ScreenHeight - size.Window.cy;
            SetWindowBounds(Rect(left, top, left + size.Window.cx, top + size.Window.cy));
            return;
        }
        SizeWindowTo(size.Window.cx, size.Window.cy);
        return;
    }
    EnsureStretch();
    if (isMinimized())
        return;
    if (!IsNormalState(*this))
        showNormal();
    const TSize size =
        WindowSizeForPicture(FrameWidth + SidePanelWidth(), height() - ClientHeight(), Daz95->width(),
                             Daz95->height(), PanelsHeight(), ScreenWidth, ScreenHeight, PictureWindowMinWidth());
    ResetSkyScrollPos();
    if (FitWindow) {
        SetWindowBounds(Rect(x(), y(), x() + size.cx, y() + size.cy));
        return;
    }
    // Auto Size keeps the window on the screen; Shift centres it.
    const bool windowed = WindowedView;
    const bool optimize = OptimizeWindow;
    WindowedView = true;
    OptimizeWindow = ShiftHeld();
    SizeWindowTo(size.cx, size.cy);
    WindowedView = windowed;
    OptimizeWindow = optimize;
}

void TWebForm::mnuAdjustViewportClick(QObject*) {
    if (MediaMode)
        return;
    const int maxWidth = ScreenWidth - FrameWidth - SidePanelWidth();
    const int maxHeight = ScreenHeight - (height() - ClientHeight()) - PanelsHeight();
    TResizeResult result;
    ExecuteResizeForm(ViewWidth(), ViewHeight(), ViewWidth(), ViewHeight(), maxWidth, maxHeight, 2,
                      "Custom Viewport", 999, result);
    if (result.Width < 0)
        return;
    if (FitWindow)
        mnuFitWindowClick(this);
    for (int i = 0; i < 3; ++i)
        Application.ProcessMessages();
    EnsureStretch();
    const int nonClient = height() - ClientHeight();
    const int width = std::min(result.Width + FrameWidth + SidePanelWidth(), ScreenWidth);
    int height = std::min(result.Height + nonClient + PanelsHeight(), ScreenHeight);
    const bool windowed = WindowedView;
    const bool optimize = OptimizeWindow;
    WindowedView = true;
    OptimizeWindow = false;
    SizeWindowTo(width, height);
    Application.ProcessMessages();
    const int shortfall = result.Height - ViewHeight();
    if (shortfall > 0) {
        height += shortfall;
        SizeWindowTo(width, height);
    }
    WindowedView = windowed;
    OptimizeWindow = optimize;
}

void MaximizeWindow(QWidget& Form) { Form.setGeometry(0, 0, ScreenWidth - 1, ScreenHeight - 1); }

// The item only carries its check mark, which toggles itself; the window's
// resize reaction reads it.
void TWebForm::chkExtendedDesktopClick(QObject*) {}

// ---- Zoom to region

void TWebForm::mnuZoomRegionClick(QObject*) {
    PreparedWidth = 0;
    if (FitWindow) {
        mnuFitWindowClick(this);
        mnuRegion1Click(mnuCopyMask);
    } else if (!SelectionDrawn) {
        const bool inside = ZoomRegion.Right > 0 && ZoomRegion.Bottom > 0 && ZoomRegion.Left >= 0 &&
                            ZoomRegion.Top >= 0 && ZoomRegion.Right <= ImageWidth &&
                            ZoomRegion.Bottom <= ImageHeight;
        if (inside) {
            LastSelection = Selection = ZoomRegion;
        } else {
            mnuRegion1Click(mnuZoomRegion);
            return;
        }
    } else {
        GetAdjustedSelection();
    }
    ZoomToRegion();
}

void TWebForm::ZoomToRegion() {
    LastSelection = Normalized(LastSelection);
    const int regionWidth = std::min(LastSelection.Right, ImageWidth) - std::max(0, LastSelection.Left);
    const int regionHeight = std::min(LastSelection.Bottom, ImageHeight) - std::max(0, LastSelection.Top);
    chkHandToolClick(this);
    const int zoom = RegionZoom(ViewWidth(), ViewHeight(), std::max(1, regionWidth), std::max(1, regionHeight));
    if (ZoomPercent < MaxZoom) {
        ZoomPercent = zoom;
        ApplyZoom();
        for (int i = 0; i < 3; ++i)
            Application.ProcessMessages();
    }
    ScrollBox->horizontalScrollBar()->setValue(RegionScrollPosition(LastSelection.Left, ZoomPercent, ImageBitCount));
    ScrollBox->verticalScrollBar()->setValue(RegionScrollPosition(LastSelection.Top, ZoomPercent, ImageBitCount));
    ZoomRegion = LastSelection;
}

// ---- Aspect, JPEG scale and the view gamma

bool TWebForm::RefuseUntitled() {
    if (FileName != "Untitled")
        return false;
    ResetAutoViewOptions();
    voMessageDlg("", "", NotLinkedText, mtInformation, mbOKOnly, AutoDefaultButton, 0);
    return true;
}

void TWebForm::ResetAutoViewOptions() {
    ImageChanged = false;
    AspectChanged = false;
    mnuAspect->Tag = slidesize::AspectNatural;
    mnuAspectMonitor->SetChecked(true);
    mnuViewGamma->Tag = 100;
    mnuViewGamma->SetChecked(false);
}

void TWebForm::mnuAspectClick(QObject* Sender) {
    if (RefuseUntitled())
        return;
    PreparedWidth = 0;
    std::string note;
    bool dvd = false;
    if (Sender == mnuAspectTV) {
        mnuAspect->Tag = 4;
        AspectChanged = true;
        note = "resized to 4:3 TV aspect.";
        dvd = true;
    } else if (Sender == mnuAspectWide) {
        mnuAspect->Tag = 9;
        AspectChanged = true;
        note = "resized to 16:9 widescreen aspect.";
        dvd = true;
    } else if (Sender == mnuAspectBest) {
        mnuAspect->Tag = 1;
        AspectChanged = true;
        note = "resized to fit viewer window.";
    } else if (Sender == mnuAspectWidth) {
        mnuAspect->Tag = 100;
        AspectChanged = true;
        note = "resized to fit viewer window width only.";
    } else if (Sender == mnuAspectCustom) {
        const int value = ExecuteVariableDlg(600, mnuAspectCustom->Tag, 110);
        if (value == VariableDlgCancelled) {
            mnuAspect->Tag = 1;
            AspectChanged = false;
            note = "unchanged.";
        } else {
            mnuAspect->Tag = 8;
            AspectChanged = true;
            mnuAspectCustom->Tag = value;
            ViewerControls.SetInt(vc::AspectCustom, value);
            note = "resized to fit viewer with custom aspect ratio.";
        }
    } else {
        mnuAspect->Tag = 1;
        AspectChanged = false;
        note = "unchanged.";
    }
    if (auto* item = dynamic_cast<TMenuItem*>(Sender))
        item->SetChecked(true);
    if (dvd)
        note += DvdNote;
    AspectNote = note;
    if (PageCount > 1) {
        voMessageDlg("", "", "Multipage documents cannot use this feature.", mtInformation, mbOKOnly,
                     AutoDefaultButton, 0);
        mnuAspect->Tag = 1;
        AspectChanged = false;
        mnuAspectMonitor->SetChecked(true);
        return;
    }
    if (AspectChanged && !ViewerControls.Flag(vc::NoViewPrompts)) {
        const int answer = voMessageDlg("", "View with automatic resizing",
                                        "All images will be " + note + "\n\n" +
                                            "[Yes to All] avoids this dialog (for experts).",
                                        mtConfirmation, mbYesNoYesToAll, AutoDefaultButton, 0);
        if (answer == mrYesToAll) {
            ViewerControls.SetFlag(vc::NoViewPrompts, true);
        } else if (answer != mrYes) {
            mnuAspect->Tag = 1;
            AspectChanged = false;
            mnuAspectMonitor->SetChecked(true);
            return;
        }
    }
    if (FitWindow)
        mnuFitWindowClick(this);
    if (mnuReload->isEnabled())
        mnuReloadClick(this);
}

void TWebForm::mnuScaleJPEGClick(QObject*) {
    const int value = ExecuteVariableDlg(200, ViewerControls.Int(vc::JpegScale), 110);
    if (value == VariableDlgCancelled) {
        // The menu's own toggle is taken back.
        mnuScaleJPEG->SetChecked(JPEGScaleOn);
        return;
    }
    JPEGScaleOn = value != 0;
    if (JPEGScaleOn)
        ViewerControls.SetInt(vc::JpegScale, value);
    mnuScaleJPEG->SetChecked(JPEGScaleOn);
    ViewerControls.SetFlag(vc::ScaleJPEG, JPEGScaleOn);
    if (mnuReload->isEnabled())
        mnuReloadClick(this);
}

void TWebForm::mnuViewGammaClick(QObject*) {
    if (RefuseUntitled())
        return;
    if (!AutoBackUp())
        return;
    SetBitmap24();
    const int value = ExecuteVariableDlg(100, mnuViewGamma->Tag, 110);
    mnuViewGamma->SetChecked(mnuViewGamma->Tag != 100);
    if (value != VariableDlgCancelled) {
        mnuViewGamma->Tag = value;
        ViewerControls.SetInt(vc::ViewGamma, value);
        mnuViewGamma->SetChecked(value != 100);
        if (value != 100) {
            DoGamma();
            RefreshImage();
        }
    }
    const std::string shown = History ? History->currentText().toStdString() : std::string();
    if (!shown.empty() && FileExists(shown))
        mnuReloadClick(this);
}

// The item's check mark toggles itself.
void TWebForm::chkUpsamplingClick(QObject*) {
    if (FitWindow && !MediaMode)
        ResizeImage();
}

// Shrinks the picture for display to the client width and the picture area's
// height; the copy made is not an edit of the picture.
void TWebForm::mnuAutoDownsampleClick(QObject*) {
    if (!MediaMode) {
        PreparedWidth = 0;
        TSize fitted{};
        FitSizeInBox(ImageWidth, ImageHeight, ClientWidth(), ViewHeight(), fitted);
        FilterCustom2 = fitted.cx;
        FilterCustom1 = fitted.cy;
        mnuResampleClick(mnuPerformBatch1);
        Application.ProcessMessages();
        ImageChanged = false;
    }
    UpdateHistoryEdit();
}

// ---- The zoom bar and the mouse wheel

void TWebForm::ZoomBarKeyUp(QObject*) {
    if (ZoomBar->Position() == ZoomPercent)
        return;
    if (FitWindow)
        mnuFitWindowClick(this);
    ZoomPercent = ZoomBar->Position();
    ApplyZoom();
}

void TWebForm::ZoomBarMouseUp(QObject* Sender, TMouseButton Button) {
    if (Button != mbRight)
        ZoomBarKeyUp(Sender);
}

namespace {

// A wheel step runs one command; the turns that come meanwhile only let
// pending events through.
template <typename Step>
void WheelStep(Step step) {
    if (WheelBusy) {
        for (int i = 0; i < 32; ++i)
            Application.ProcessMessages();
        return;
    }
    WheelBusy = true;
    try {
        step();
    } catch (...) {
        WheelBusy = false;
        throw;
    }
    WheelBusy = false;
}

}  // namespace

void TWebForm::ScrollBoxMouseWheelDown(QObject* Sender) {
    WheelStep([this, Sender] { btnNextImageClick(Sender); });
}

void TWebForm::ScrollBoxMouseWheelUp(QObject* Sender) {
    WheelStep([this, Sender] { btnPrevImageClick(Sender); });
}

void TWebForm::ScrollBoxMouseWheelClick(QObject* Sender) {
    switch (ViewerControls.Int(vc::MiddleButton)) {
    case 1:
        mnuBookmarkUnmarkClick(Sender);
        break;
    case 2:
        // The file goes to the trash, never away for good.
        if (FileName != "Untitled" && FileExists(FileName) && RecycleFile(FileName))
            HistoryChangeUpdate();
        break;
    case 3:
        mnuFitWindowClick(Sender);
        break;
    case 4: {
        const bool wasFit = FitWindow;
        mnuFitWindowClick(Sender);
        if (!wasFit)
            chkSelectToolClick(Sender);
        break;
    }
    default:
        break;
    }
}

// ---- The JPEG submenu

void TWebForm::JPEG1Click(QObject*) {
    const std::string ext = UpperCase(ExtractFileExt(FileName));
    if (!JPEG1->menu())
        return;
    const QList<QAction*> items = JPEG1->menu()->actions();
    if (!items.isEmpty() && items.first() == mnuEmbedded)
        mnuEmbedded->setEnabled(ExtensionIn(ext, ".JPEG.JPG"));
}

void TWebForm::mnuEmbeddedClick(QObject*) {
    if (ImageChanged) {
        const int answer = CloseNow(this);
        if (answer != mrYes && answer != mrYesToAll)
            return;
    }
    EmbeddedJPEGRequested = true;
    mnuReloadClick(this);
    Application.ProcessMessages();
    const bool found = JPEGImage && JPEGImage->PreviewTaken();
    EmbeddedJPEGRequested = false;
    if (!found && mnuEmbedded->Tag != 1) {
        const int answer = voMessageDlg("Ignore this dialog (for experts).", "", "Embedded JPEG image not found.",
                                        mtInformation, mbOKOnly, AutoDefaultButton, 0);
        if (answer & CheckBoxTicked)
            mnuEmbedded->Tag = 1;
    }
}

// ---- Items and their handlers

void TWebForm::ConnectViewModes() {
    mnuOptimizeWindow->SetCaption("&Window");
    mnuAdjustViewport->SetCaption("&Viewport");
    mnuScaleJPEG->SetCaption("&Half JPEG  mode");
    mnuViewGamma->SetCaption("&Gamma");
    chkUpsampling->SetCaption("&Upsampled Fit");
    for (TMenuItem* item : {mnuScaleJPEG, mnuViewGamma, chkUpsampling, chkExtendedDesktop})
        item->setCheckable(true);
    chkExtendedDesktop->setVisible(false);
    auto* aspects = new QActionGroup(this);
    for (TMenuItem* item :
         {mnuAspectMonitor, mnuAspectWidth, mnuAspectBest, mnuAspectTV, mnuAspectWide, mnuAspectCustom}) {
        item->setCheckable(true);
        aspects->addAction(item);
    }
    mnuAspectMonitor->SetChecked(true);
    ScrollBox->OnMouseWheelDown = [this](QObject* s) { Guarded([this, s] { ScrollBoxMouseWheelDown(s); }); };
    ScrollBox->OnMouseWheelUp = [this](QObject* s) { Guarded([this, s] { ScrollBoxMouseWheelUp(s); }); };
    ScrollBox->OnMouseWheelClick = [this](QObject* s) { Guarded([this, s] { ScrollBoxMouseWheelClick(s); }); };
    ZoomBar->installEventFilter(this);
}

}  // namespace lumvor
