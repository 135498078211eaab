#include "state/ViewerSettings.h"

#include "platform/Registry.h"

#include <vector>

namespace lumvor {

void SetViewerDefaults(TViewerControls& r, int32_t photoCDResolution) {
    r.SetInt(vc::LabBounds, -1);
    for (std::size_t i = 0; i < 16; i += 4)
        r.SetInt(vc::CommentBounds + i, 0);
    r.SetFlag(vc::MenuBar, true);
    r.SetFlag(vc::ToolBar, true);
    r.SetFlag(vc::StatusBar, true);
    r.SetFlag(vc::SideBar, true);
    r.SetFlag(vc::FitWindow, true);
    r.SetFlag(vc::LabComments, false);
    r.SetFlag(vc::MaxFullScreen, false);
    r.SetInt(vc::FaxQuality, 2);
    r.SetInt(vc::ViewGamma, 100);
    r.SetInt(vc::BackgroundColor, 0xFFFFFF);
    r.SetInt(vc::LogVisited, 1);
    r.SetFlag(vc::WindowedView, false);
    r.SetFlag(vc::OptimizeWindow, false);
    r.SetInt(vc::EffectsSpeed, 1);
    r.SetInt(vc::ThumbThreads, 2);
    r.SetInt(vc::SlideDelay, 500);
    for (std::size_t flag : {vc::MediaStatusBar, vc::MediaPositionBar, vc::MediaControls,
                             vc::MediaMaxFullScreen, vc::MediaAutoPlay})
        r.SetFlag(flag, true);
    r.SetInt(vc::MediaControlHeight, 0);
    r.SetInt(vc::MediaStatusHeight, 0);
    r.SetInt(vc::MediaPositionHeight, 0);
    r.SetInt(vc::MediaVolume, 500);
    r.SetFlag(vc::AutoSizeVideo, true);
    r.SetFlag(vc::AlwaysFullScreen, true);
    r.SetInt(vc::MiddleButton, 0);
    r.SetInt(vc::TextPosition, 0);
    r.SetFlag(vc::FastBmp, true);
    r.SetFlag(vc::MP3Jukebox, false);
    r.SetFlag(vc::PathBox, true);
    r.SetFlag(vc::Upsampling, false);
    r.SetInt(vc::PhotoCDResolution, photoCDResolution);
    r.SetInt(vc::WheelNavigation, 1);
    r.SetFlag(vc::MergeToolbar, false);
    r.SetFlag(vc::FullScreenMenus, true);
    r.SetFlag(vc::PromptOnClose, true);
    r.SetFlag(vc::NoViewPrompts, false);
    r.SetFlag(vc::ScaleJPEG, true);
    r.SetFlag(vc::NoLabBackup, false);
    r.SetInt(vc::JpegScale, 85);
    r.SetInt(vc::AspectCustom, 1000);
}

namespace {

void Clamp(TViewerControls& r, std::size_t offset, int32_t low, int32_t high) {
    const int32_t v = r.Int(offset);
    r.SetInt(offset, v < low ? low : v > high ? high : v);
}

void ReplaceOutside(TViewerControls& r, std::size_t offset, int32_t low, int32_t high,
                    int32_t replacement) {
    const int32_t v = r.Int(offset);
    if (v < low || v > high)
        r.SetInt(offset, replacement);
}

}  // namespace

void ClampViewerOnReading(TViewerControls& r) {
    ReplaceOutside(r, vc::SlideDelay, 0, MaxSlideDelay, 1000);
    Clamp(r, vc::FaxQuality, 0, 3);
    ReplaceOutside(r, vc::ViewGamma, 50, 200, 100);
}

void ClampViewerOnApplying(TViewerControls& r) {
    ReplaceOutside(r, vc::AspectCustom, 300, 3000, 1000);
    Clamp(r, vc::ThumbThreads, 0, 7);
    ReplaceOutside(r, vc::LogVisited, 0, 1, 1);
    Clamp(r, vc::MiddleButton, 0, 3);
    ReplaceOutside(r, vc::WheelNavigation, 0, 1, 0);
}

void SetJpegWizardDefaults(TJpegWizardSettings& s) {
    s.SetByte(0, 0);
    s.SetByte(1, 0);
    s.SetByte(2, 1);
    s.SetByte(3, 1);
    s.SetInt(TJpegWizardSettings::SmoothingKindOffset, 0);
    s.SetInt(TJpegWizardSettings::SmoothingOffset, 0);
    s.SetQuality(40);
}

TRect StoredBounds(const TViewerControls& record, std::size_t offset) {
    return Rect(record.Int(offset), record.Int(offset + 4), record.Int(offset + 8), record.Int(offset + 12));
}

void StoreBounds(TViewerControls& record, std::size_t offset, const TRect& bounds) {
    record.SetInt(offset, bounds.Left);
    record.SetInt(offset + 4, bounds.Top);
    record.SetInt(offset + 8, bounds.Right);
    record.SetInt(offset + 12, bounds.Bottom);
}

bool ReadSettingsBytes(TRegistry& registry, const std::string& name, uint8_t* data, std::size_t size) {
    if (!registry.ValueExists(name) || registry.GetDataType(name) != rdBinary)
        return false;
    const int stored = registry.GetDataSize(name);
    if (stored < 0 || std::size_t(stored) > size)
        return false;
    const std::vector<uint8_t> bytes = registry.ReadBinary(name);
    for (std::size_t i = 0; i < bytes.size() && i < size; ++i)
        data[i] = bytes[i];
    return true;
}

}  // namespace lumvor
