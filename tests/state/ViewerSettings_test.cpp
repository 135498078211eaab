// The viewer settings record over raw bytes: defaults, clamps on reading and on
// applying, the slide-delay rule of the close, and how stored values are taken.
#include <gtest/gtest.h>

#include "state/ViewerSettings.h"
#include "platform/Registry.h"

#include <vector>

using namespace lumvor;

namespace {

struct ClampCase {
    const char* what;
    std::size_t offset;
    int32_t stored;
    int32_t expected;
    bool onReading;  // else on applying
};

}  // namespace

TEST(ViewerSettings, ClampsReplaceOutOfRangeValues) {
    const ClampCase cases[] = {
        {"slide delay 70,000 stays", vc::SlideDelay, 70000, 70000, true},
        {"slide delay 60,000 stays", vc::SlideDelay, 60000, 60000, true},
        {"slide delay of an hour stays", vc::SlideDelay, 3600000, 3600000, true},
        {"slide delay past an hour", vc::SlideDelay, 3600001, 1000, true},
        {"slide delay -1", vc::SlideDelay, -1, 1000, true},
        {"fax quality 5", vc::FaxQuality, 5, 3, true},
        {"fax quality -2", vc::FaxQuality, -2, 0, true},
        {"gamma 40", vc::ViewGamma, 40, 100, true},
        {"gamma 250", vc::ViewGamma, 250, 100, true},
        {"gamma 50 stays", vc::ViewGamma, 50, 50, true},
        {"gamma 200 stays", vc::ViewGamma, 200, 200, true},
        {"aspect 200", vc::AspectCustom, 200, 1000, false},
        {"aspect 3001", vc::AspectCustom, 3001, 1000, false},
        {"aspect 300 stays", vc::AspectCustom, 300, 300, false},
        {"threads 9", vc::ThumbThreads, 9, 7, false},
        {"threads -1", vc::ThumbThreads, -1, 0, false},
        {"visited 5", vc::LogVisited, 5, 1, false},
        {"visited -1", vc::LogVisited, -1, 1, false},
        {"visited 0 stays", vc::LogVisited, 0, 0, false},
        {"middle button 7", vc::MiddleButton, 7, 3, false},
        {"middle button -4", vc::MiddleButton, -4, 0, false},
        {"wheel 2", vc::WheelNavigation, 2, 0, false},
        {"wheel 1 stays", vc::WheelNavigation, 1, 1, false},
    };
    for (const ClampCase& c : cases) {
        SCOPED_TRACE(c.what);
        TViewerControls record;
        SetViewerDefaults(record, 3);
        record.SetInt(c.offset, c.stored);
        if (c.onReading)
            ClampViewerOnReading(record);
        else
            ClampViewerOnApplying(record);
        EXPECT_EQ(record.Int(c.offset), c.expected);
    }
}

TEST(ViewerSettings, SlideDelayAbove4000IsStoredAsItIs) {
    // The options offer delays up to an hour; the record keeps each of them.
    for (int32_t delay : {500, 4000, 4001, 5000, 10000, MaxSlideDelay}) {
        SCOPED_TRACE(delay);
        TViewerControls record;
        SetViewerDefaults(record, 3);
        record.SetInt(vc::SlideDelay, delay);
        ClampViewerOnReading(record);
        EXPECT_EQ(record.Int(vc::SlideDelay), delay);
    }
}

TEST(ViewerSettings, DefaultsFillNamedFieldsAndKeepTheRest) {
    TViewerControls record;
    for (auto& b : record.Bytes)
        b = 0xA5;
    SetViewerDefaults(record, 3);
    // Named fields (little-endian integers, one-byte flags).
    EXPECT_EQ(record.Int(vc::LabBounds), -1);
    EXPECT_EQ(record.Int(vc::CommentBounds + 12), 0);
    EXPECT_EQ(record.Int(vc::SlideDelay), 500);
    EXPECT_EQ(record.Bytes[vc::SlideDelay], 0xF4);
    EXPECT_EQ(record.Bytes[vc::SlideDelay + 1], 0x01);
    EXPECT_EQ(record.Int(vc::BackgroundColor), 0xFFFFFF);
    EXPECT_EQ(record.Int(vc::ViewGamma), 100);
    EXPECT_EQ(record.Int(vc::FaxQuality), 2);
    EXPECT_EQ(record.Int(vc::ThumbThreads), 2);
    EXPECT_EQ(record.Int(vc::MediaVolume), 500);
    EXPECT_EQ(record.Int(vc::PhotoCDResolution), 3);
    EXPECT_EQ(record.Int(vc::JpegScale), 85);
    EXPECT_EQ(record.Int(vc::AspectCustom), 1000);
    EXPECT_EQ(record.Byte(vc::PromptOnClose), 1);
    EXPECT_EQ(record.Byte(vc::MaxFullScreen), 0);
    // The window rectangle and the reserved bytes stay as they were.
    for (std::size_t offset : {std::size_t(vc::LabBounds + 4), std::size_t(vc::WindowBounds),
                               std::size_t(vc::WindowBounds + 15), std::size_t(55), std::size_t(74),
                               std::size_t(93), std::size_t(132), std::size_t(144), std::size_t(151),
                               std::size_t(160), std::size_t(167)})
        EXPECT_EQ(record.Byte(offset), 0xA5) << "offset " << offset;
}

TEST(ViewerSettings, StoredValuesFillLeadingBytesOrAreIgnored) {
    TRegistry registry;
    ASSERT_TRUE(registry.OpenKey(SettingsKey, true));
    std::vector<uint8_t> shortValue(100, 7);
    registry.WriteBinaryData("Short", shortValue.data(), int(shortValue.size()));
    std::vector<uint8_t> longValue(169, 9);
    registry.WriteBinaryData("Long", longValue.data(), int(longValue.size()));
    registry.WriteString("Text", "not binary");

    TViewerControls record;
    record.Bytes.fill(1);
    ASSERT_TRUE(ReadSettingsRecord(registry, "Short", record));
    EXPECT_EQ(record.Byte(0), 7);
    EXPECT_EQ(record.Byte(99), 7);
    EXPECT_EQ(record.Byte(100), 1);
    EXPECT_EQ(record.Byte(167), 1);

    TViewerControls untouched;
    untouched.Bytes.fill(2);
    EXPECT_FALSE(ReadSettingsRecord(registry, "Long", untouched));
    EXPECT_FALSE(ReadSettingsRecord(registry, "Text", untouched));
    EXPECT_FALSE(ReadSettingsRecord(registry, "Missing", untouched));
    for (uint8_t b : untouched.Bytes)
        ASSERT_EQ(b, 2);
}

TEST(ViewerSettings, JpegSettingsDefaults) {
    TJpegWizardSettings settings;
    settings.Bytes.fill(0xEE);
    SetJpegWizardDefaults(settings);
    const std::vector<uint8_t> expected = {0, 0, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 40, 0, 0, 0};
    EXPECT_EQ(std::vector<uint8_t>(settings.Bytes.begin(), settings.Bytes.end()), expected);
    settings.SetQuality(-1);
    EXPECT_EQ(settings.Byte(15), 0xFF);
}
