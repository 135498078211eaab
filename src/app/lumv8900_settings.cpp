// The viewer settings record between the registry and the image window's state.
#include "app/lumv8900.h"

#include "imaging/AvlScript.h"
#include "platform/Menus.h"
#include "platform/Registry.h"
#include "ui/OpenDialogPlus.h"
#include "ui/Pix.h"
#include "ui/SaveDialogEx.h"
#include "ui/ScrollBoxEx.h"

#include <QColor>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>

#include <cstdlib>

namespace lumvor {

using namespace lumv8900;

namespace {

// The fields every start copies from the record (stored or default) into the
// running state.
void RecordToState(const TViewerControls& r) {
    MaxFullScreen = r.Flag(vc::MaxFullScreen);
    FullScreenMenus = r.Flag(vc::FullScreenMenus);
    MergeToolbar = r.Flag(vc::MergeToolbar);
    FitWindow = r.Flag(vc::FitWindow);
    BackgroundColor = TColor{r.Int(vc::BackgroundColor)};
    AutoSizeVideo = r.Flag(vc::AutoSizeVideo);
    AlwaysFullScreen = r.Flag(vc::AlwaysFullScreen);
    MP3Jukebox = r.Flag(vc::MP3Jukebox);
    SlideTextPosition = r.Int(vc::TextPosition);
    SlideDelay = r.Int(vc::SlideDelay);
    WindowedView = r.Flag(vc::WindowedView);
    OptimizeWindow = r.Flag(vc::OptimizeWindow);
    EffectsSpeed = r.Int(vc::EffectsSpeed);
    FaxQuality = r.Int(vc::FaxQuality);
    MediaShowStatusBar = r.Flag(vc::MediaStatusBar);
    MediaShowPositionBar = r.Flag(vc::MediaPositionBar);
    MediaShowControls = r.Flag(vc::MediaControls);
    MediaMaxFullScreen = r.Flag(vc::MediaMaxFullScreen);
    MediaAutoPlay = r.Flag(vc::MediaAutoPlay);
    MediaControlBarHeight = r.Int(vc::MediaControlHeight);
    MediaStatusBarHeight = r.Int(vc::MediaStatusHeight);
    MediaPositionBarHeight = r.Int(vc::MediaPositionHeight);
    MediaVolume = r.Int(vc::MediaVolume);
    PhotoCDResolution = r.Int(vc::PhotoCDResolution);
}

}  // namespace

void TWebForm::ReadViewerSettings(TRegistry& Registry) {
    TViewerControls& r = ViewerControls;
    ClampViewerOnReading(r);
    SavedBounds = Rect(r.Int(vc::WindowBounds), r.Int(vc::WindowBounds + 4), r.Int(vc::WindowBounds + 8),
                       r.Int(vc::WindowBounds + 12));
    if (PreviousFileName == "*" && SavedBounds.Width() > 0 && SavedBounds.Height() > 0) {
        move(SavedBounds.Left, SavedBounds.Top);
        resize(SavedBounds.Width(), SavedBounds.Height());
    }
    mnuMenubar->SetChecked(r.Flag(vc::MenuBar));
    mnuToolbarV->SetChecked(r.Flag(vc::ToolBar));
    mnuSideBarV->SetChecked(r.Flag(vc::SideBar));
    mnuStatusbarV->SetChecked(r.Flag(vc::StatusBar));
    mnuPathbox->SetChecked(r.Flag(vc::PathBox));
    RecordToState(r);
    OpenDialog->SetInitialDir(Registry.ReadString("OpenDir"));
    SaveDir = Registry.ReadString("SaveDir");
    SaveDialog->SetInitialDir(SaveDir);
    ThumbCacheDir = Registry.ReadString("CachePath");
    chkUpsampling->SetChecked(r.Flag(vc::Upsampling));
}

void TWebForm::SetViewerSettingsDefaults() {
    TViewerControls& r = ViewerControls;
    SetViewerDefaults(r, PhotoCDResolution);
    mnuMenubar->SetChecked(true);
    mnuToolbarV->SetChecked(true);
    mnuSideBarV->SetChecked(true);
    mnuStatusbarV->SetChecked(true);
    mnuPathbox->SetChecked(true);
    chkUpsampling->SetChecked(false);
    RecordToState(r);
    Daz95->FastPaint = true;
}

void TWebForm::ApplyViewerSettings() {
    TViewerControls& r = ViewerControls;
    ClampViewerOnApplying(r);
    JPEGScaleOn = r.Flag(vc::ScaleJPEG);
    mnuScaleJPEG->SetChecked(JPEGScaleOn);
    mnuAspectCustom->Tag = r.Int(vc::AspectCustom);
    SlideGamma = r.Int(vc::ViewGamma);
    mnuViewGamma->Tag = SlideGamma;
    mnuViewGamma->SetChecked(SlideGamma != 100);
    ScrollBox->CustomWheelMouse = r.Int(vc::WheelNavigation) == 1;
    PaintScrollBoxBackground();
    ApplyChrome();
}

void TWebForm::PaintScrollBoxBackground() {
    const auto rgb = static_cast<uint32_t>(BackgroundColor);
    const QColor colour(rgb & 0xFF, rgb >> 8 & 0xFF, rgb >> 16 & 0xFF);
    QPalette palette = ScrollBox->palette();
    palette.setColor(QPalette::Window, colour);
    ScrollBox->setPalette(palette);
    ScrollBox->setBackgroundRole(QPalette::Window);
    ScrollBox->setAutoFillBackground(true);
}

void TWebForm::WriteViewerSettings(TRegistry& Registry) {
    Registry.WriteString("OpenDir", OpenDialog->InitialDir());
    Registry.WriteString("SaveDir", SaveDir);
    Registry.WriteString("CachePath", ThumbCacheDir);
    TViewerControls& r = ViewerControls;
    r.SetInt(vc::WindowBounds, std::abs(x()));
    r.SetInt(vc::WindowBounds + 4, std::abs(y()));
    r.SetInt(vc::WindowBounds + 8, x() + width());
    r.SetInt(vc::WindowBounds + 12, y() + height());
    r.SetFlag(vc::PathBox, mnuPathbox->Checked());
    r.SetFlag(vc::FitWindow, FitWindow);
    r.SetFlag(vc::MergeToolbar, MergeToolbar);
    r.SetInt(vc::FaxQuality, FaxQuality);
    r.SetFlag(vc::MaxFullScreen, MaxFullScreen);
    r.SetFlag(vc::FullScreenMenus, FullScreenMenus);
    r.SetInt(vc::BackgroundColor, static_cast<int32_t>(BackgroundColor));
    r.SetFlag(vc::AutoSizeVideo, AutoSizeVideo);
    r.SetFlag(vc::AlwaysFullScreen, AlwaysFullScreen);
    r.SetFlag(vc::MP3Jukebox, MP3Jukebox);
    r.SetInt(vc::TextPosition, SlideTextPosition);
    r.SetFlag(vc::Upsampling, chkUpsampling->Checked());
    r.SetFlag(vc::ScaleJPEG, JPEGScaleOn);
    r.SetInt(vc::SlideDelay, SlideDelay);
    r.SetFlag(vc::WindowedView, WindowedView);
    r.SetFlag(vc::OptimizeWindow, OptimizeWindow);
    r.SetInt(vc::EffectsSpeed, EffectsSpeed);
    r.SetFlag(vc::MediaStatusBar, MediaShowStatusBar);
    r.SetFlag(vc::MediaPositionBar, MediaShowPositionBar);
    r.SetFlag(vc::MediaControls, MediaShowControls);
    r.SetFlag(vc::MediaAutoPlay, MediaAutoPlay);
    r.SetFlag(vc::MediaMaxFullScreen, MediaMaxFullScreen);
    r.SetInt(vc::MediaControlHeight, MediaControlBarHeight);
    r.SetInt(vc::MediaStatusHeight, MediaStatusBarHeight);
    r.SetInt(vc::MediaPositionHeight, MediaPositionBarHeight);
    r.SetInt(vc::MediaVolume, MediaVolume);
    r.SetInt(vc::PhotoCDResolution, PhotoCDResolution);
    Registry.WriteBinaryData(ViewerRecordName, r.Bytes.data(), TViewerControls::Size);
}

void TWebForm::InitializeJpegWizard() {
    if (JpegWizardSettings.Quality() != -1)
        return;
    TRegistry registry;
    registry.OpenKey(SettingsKey, true);
    TJpegWizardSettings stored;
    SetJpegWizardDefaults(stored);
    ReadSettingsRecord(registry, JpegRecordName, stored);
    JpegWizardSettings = stored;
}

}  // namespace lumvor
