// The image window's settings records: the 168-byte viewer record stored as
// "VControls8900" and the 16-byte JPEG settings stored as "JPGwiz1", both
// binary values under the program's key.
//
// Fields are little-endian at fixed offsets (the constants below); integers are
// signed 32-bit, flags one byte. Bytes that no field names are kept as they
// stand, so a record written by a newer program survives a round trip.
// Everything here works on the bytes alone; the image window moves the fields
// to and from its state.
#pragma once

#include "platform/ByteRecord.h"
#include "platform/Graphics.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace lumvor {

class TRegistry;

using TViewerControls = TByteRecord<168>;

// Offsets in TViewerControls.
namespace vc {
constexpr std::size_t LabBounds = 0;        // Left, Top, Right, Bottom; Left -1 = never placed
constexpr std::size_t CommentBounds = 16;
constexpr std::size_t WindowBounds = 32;
constexpr std::size_t MenuBar = 48;
constexpr std::size_t ToolBar = 49;
constexpr std::size_t StatusBar = 50;
constexpr std::size_t SideBar = 51;
constexpr std::size_t FitWindow = 52;
constexpr std::size_t LabComments = 53;
constexpr std::size_t MaxFullScreen = 54;
constexpr std::size_t FaxQuality = 56;      // 0..3
constexpr std::size_t ViewGamma = 60;       // per cent, 100 = none
constexpr std::size_t BackgroundColor = 64;
constexpr std::size_t LogVisited = 68;      // 0 or 1
constexpr std::size_t WindowedView = 72;
constexpr std::size_t OptimizeWindow = 73;
constexpr std::size_t EffectsSpeed = 76;
constexpr std::size_t ThumbThreads = 80;    // 0..7
constexpr std::size_t SlideDelay = 84;      // milliseconds
constexpr std::size_t MediaStatusBar = 88;
constexpr std::size_t MediaPositionBar = 89;
constexpr std::size_t MediaControls = 90;
constexpr std::size_t MediaMaxFullScreen = 91;
constexpr std::size_t MediaAutoPlay = 92;
constexpr std::size_t MediaControlHeight = 96;
constexpr std::size_t MediaStatusHeight = 100;
constexpr std::size_t MediaPositionHeight = 104;
constexpr std::size_t MediaVolume = 108;
constexpr std::size_t AutoSizeVideo = 112;
constexpr std::size_t AlwaysFullScreen = 113;
constexpr std::size_t MiddleButton = 116;   // 0..3
constexpr std::size_t TextPosition = 120;
constexpr std::size_t FastBmp = 124;
constexpr std::size_t MP3Jukebox = 125;
constexpr std::size_t PathBox = 126;
constexpr std::size_t Upsampling = 127;
constexpr std::size_t PhotoCDResolution = 128;
constexpr std::size_t WheelNavigation = 140;  // 0 or 1
constexpr std::size_t MergeToolbar = 145;
constexpr std::size_t FullScreenMenus = 146;
constexpr std::size_t PromptOnClose = 147;
constexpr std::size_t NoViewPrompts = 148;
constexpr std::size_t ScaleJPEG = 149;
constexpr std::size_t NoLabBackup = 150;
constexpr std::size_t JpegScale = 152;
constexpr std::size_t AspectCustom = 156;   // 300..3000
}  // namespace vc

// The JPEG settings record. Quality -1 in memory means it was never loaded in
// this run (and is then not written back).
struct TJpegWizardSettings : TByteRecord<16> {
    static constexpr std::size_t ProgressiveOffset = 0;
    static constexpr std::size_t SubsampleOffset = 1;
    static constexpr std::size_t SmoothingKindOffset = 4;
    static constexpr std::size_t SmoothingOffset = 8;
    static constexpr std::size_t QualityOffset = 12;
    int32_t Quality() const { return Int(QualityOffset); }
    void SetQuality(int32_t quality) { SetInt(QualityOffset, quality); }
};

// Registry names.
inline constexpr const char* SettingsKey = "Software\\Quorvane\\Lumvor";
inline constexpr const char* ViewerRecordName = "VControls8900";
inline constexpr const char* ExplorerRecordName = "EControls8900";
inline constexpr const char* JpegRecordName = "JPGwiz1";

// The defaults of a first run (no stored record): every named field except the
// window rectangle, which keeps its bytes. photoCDResolution is the index the
// program started with.
void SetViewerDefaults(TViewerControls& record, int32_t photoCDResolution);
// The longest slide delay the options offer, in milliseconds (one hour).
inline constexpr int32_t MaxSlideDelay = 3600000;
// The replacements made while a stored record is read: a slide delay outside
// 0..MaxSlideDelay becomes 1000, the fax quality is clamped to 0..3, a view gamma outside
// 50..200 becomes 100.
void ClampViewerOnReading(TViewerControls& record);
// The replacements made every time the record is applied: custom aspect outside
// 300..3000 becomes 1000, thread index clamped to 0..7, visited-folder log
// outside 0..1 becomes 1, middle button clamped to 0..3, wheel navigation
// outside 0..1 becomes 0.
void ClampViewerOnApplying(TViewerControls& record);

// A window's bounds (Left, Top, Right, Bottom) stored at offset, and storing
// them there.
TRect StoredBounds(const TViewerControls& record, std::size_t offset);
void StoreBounds(TViewerControls& record, std::size_t offset, const TRect& bounds);

// The JPEG settings of a missing record (quality 40).
void SetJpegWizardDefaults(TJpegWizardSettings& settings);

// Reads a binary value into the leading bytes of a record. False, leaving the
// record as it is, when the value is missing, not binary or longer than the
// record (such a value is not ours to interpret).
template <std::size_t N>
bool ReadSettingsRecord(TRegistry& registry, const std::string& name, TByteRecord<N>& record);
bool ReadSettingsBytes(TRegistry& registry, const std::string& name, uint8_t* data, std::size_t size);
template <std::size_t N>
bool ReadSettingsRecord(TRegistry& registry, const std::string& name, TByteRecord<N>& record) {
    return ReadSettingsBytes(registry, name, record.Bytes.data(), N);
}

}  // namespace lumvor
