// The Options window over a shown image window: each control shows the stored
// value and "&Apply" writes a change back (records read back as bytes), the
// enabling rules, limited mode, the merge box, the slide delay, reopening,
// the click style, the player's volume and the opening command.
#include "app/app_test_tools.h"
#include "app/view_window_fixture.h"

#include "app/Options_w.h"
#include "app/SlideEffects.h"
#include "state/ViewerSettings.h"
#include "app/lumv8900.h"
#include "explorer/xplr8900.h"
#include "imaging/AvlScript.h"
#include "imaging/Transitions.h"
#include "platform/Forms.h"
#include "platform/MediaPlayer.h"
#include "platform/Menus.h"
#include "platform/Registry.h"
#include "support/case_names.h"
#include "ui/Pix.h"
#include "ui/ScrollBoxEx.h"
#include "ui/VListShowEx.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QSlider>
#include <QTabWidget>
#include <QStatusBar>
#include <QToolBar>

#include <algorithm>
#include <functional>
#include <string>

using namespace lumvor;
using namespace lumvor::lumv8900;
namespace ec = lumvor::xplr8900::ec;

namespace {

using xplr8900::EControls;

class OptionsWindowTest : public test::ShownWindowTest {
protected:
    void SetUp() override {
        ShownWindowTest::SetUp();
        SetViewerDefaults(ViewerControls, 3);
        ViewerControls.SetFlag(vc::MenuBar, true);
        ViewerControls.SetFlag(vc::ToolBar, true);
        ViewerControls.SetFlag(vc::StatusBar, true);
        ViewerControls.SetFlag(vc::SideBar, true);
        WindowedView = true;
        OptimizeWindow = false;
        MediaShowControls = true;
        FaxQuality = 2;
        PhotoCDResolution = 3;
        SlideDelay = 500;
        EControls = TByteRecord<140>{};
        EControls.SetFlag(ec::ToolBar, true);
        EControls.SetFlag(ec::StatusBar, true);
        EControls.SetFlag(ec::FolderTree, true);
        xplr8900::FileForm->Calls.clear();
    }
    void TearDown() override {
        ClearModalAnswers();
        ShownWindowTest::TearDown();
    }

    // Opens the dialog at Page, lets Work use it, then cancels what is left.
    int Run(int Page, bool Limited, const std::function<void(TOptionsForm&)>& Work) {
        QueueModalAction([Work](QDialog& dialog) {
            auto& options = static_cast<TOptionsForm&>(dialog);
            Work(options);
            if (options.isVisible())
                options.btnCancel->click();
        });
        return ExecuteOptionsForm(Page, Limited);
    }
    void Run(const std::function<void(TOptionsForm&)>& Work) { Run(opViewer, false, Work); }

    std::vector<std::string>& ExplorerCalls() { return xplr8900::FileForm->Calls; }
    bool ExplorerCalled(const std::string& Call) {
        return std::count(ExplorerCalls().begin(), ExplorerCalls().end(), Call) > 0;
    }
};

template <class Control>
Control* Find(TOptionsForm& form, const char* name) {
    auto* control = form.findChild<Control*>(name);
    EXPECT_NE(control, nullptr) << name;
    return control;
}

// ---- Check boxes: the stored value shows, a change and Apply store it back

struct BoxCase {
    const char* name;
    const char* box;
    std::function<bool()> stored;
    std::function<void(bool)> store;
};

void PrintTo(const BoxCase& c, std::ostream* os) { *os << c.name; }

std::function<bool()> ViewerFlag(std::size_t offset) {
    return [offset] { return ViewerControls.Flag(offset); };
}
std::function<void(bool)> SetViewerFlag(std::size_t offset) {
    return [offset](bool on) { ViewerControls.SetFlag(offset, on); };
}
// A dword option: 1 on, 0 off, nothing else.
std::function<bool()> ViewerSwitch(std::size_t offset) {
    return [offset] {
        EXPECT_TRUE(ViewerControls.Int(offset) == 0 || ViewerControls.Int(offset) == 1);
        return ViewerControls.Int(offset) == 1;
    };
}
std::function<void(bool)> SetViewerSwitch(std::size_t offset) {
    return [offset](bool on) { ViewerControls.SetInt(offset, on ? 1 : 0); };
}
std::function<bool()> ExplorerFlag(std::size_t offset) {
    return [offset] { return EControls.Flag(offset); };
}
std::function<void(bool)> SetExplorerFlag(std::size_t offset) {
    return [offset](bool on) { EControls.SetFlag(offset, on); };
}
std::function<bool()> Global(bool& value) {
    return [&value] { return value; };
}
std::function<void(bool)> SetGlobal(bool& value) {
    return [&value](bool on) { value = on; };
}

class OptionsBoxTest : public OptionsWindowTest, public ::testing::WithParamInterface<BoxCase> {};

TEST_P(OptionsBoxTest, ShowsTheStoredValueAndApplyStoresAChange) {
    const BoxCase& c = GetParam();
    for (bool before : {false, true}) {
        SCOPED_TRACE(before ? "checked before" : "unchecked before");
        c.store(before);
        bool shown = !before;
        Run([&](TOptionsForm& form) {
            QCheckBox* box = Find<QCheckBox>(form, c.box);
            shown = box->isChecked();
            box->setChecked(!before);
            form.btnApply->click();
        });
        EXPECT_EQ(shown, before);
        EXPECT_EQ(c.stored(), !before);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Controls, OptionsBoxTest,
    ::testing::Values(
        BoxCase{"MenuBar", "chkMenubar", ViewerFlag(vc::MenuBar), SetViewerFlag(vc::MenuBar)},
        BoxCase{"ToolBar", "chkToolbar", ViewerFlag(vc::ToolBar), SetViewerFlag(vc::ToolBar)},
        BoxCase{"StatusBar", "chkStatusbar", ViewerFlag(vc::StatusBar), SetViewerFlag(vc::StatusBar)},
        BoxCase{"ImagingBar", "chkSideBar", ViewerFlag(vc::SideBar), SetViewerFlag(vc::SideBar)},
        BoxCase{"PathBox", "chkPathBox", [] { return WebForm->mnuPathbox->Checked(); },
                [](bool on) {
                    WebForm->mnuPathbox->SetChecked(on);
                    ViewerControls.SetFlag(vc::PathBox, on);
                }},
        BoxCase{"MergedBars", "chkScreenBar", Global(MergeToolbar), SetGlobal(MergeToolbar)},
        BoxCase{"MaxFullScreen", "chkMaxFullScreen", Global(MaxFullScreen), SetGlobal(MaxFullScreen)},
        BoxCase{"FullScreenMenus", "chkMaxFullScreenMenu", Global(FullScreenMenus), SetGlobal(FullScreenMenus)},
        BoxCase{"AutoSize", "chkAutoSize", Global(WindowedView), SetGlobal(WindowedView)},
        BoxCase{"AutoCenter", "chkAutoCenter", Global(OptimizeWindow), SetGlobal(OptimizeWindow)},
        BoxCase{"WheelNavigation", "chkMWheelMode", ViewerSwitch(vc::WheelNavigation),
                SetViewerSwitch(vc::WheelNavigation)},
        BoxCase{"FastBmp", "chkFastBMP", ViewerFlag(vc::FastBmp), SetViewerFlag(vc::FastBmp)},
        BoxCase{"AutoSizeVideo", "chkFitScreen", Global(AutoSizeVideo), SetGlobal(AutoSizeVideo)},
        BoxCase{"AlwaysFullScreen", "chkFullScreen", Global(AlwaysFullScreen), SetGlobal(AlwaysFullScreen)},
        BoxCase{"Jukebox", "chkMP3jukebox", Global(MP3Jukebox), SetGlobal(MP3Jukebox)},
        BoxCase{"PlayerStatus", "chk_amStatus", Global(MediaShowStatusBar), SetGlobal(MediaShowStatusBar)},
        BoxCase{"PlayerTracker", "chk_amTracker", Global(MediaShowPositionBar), SetGlobal(MediaShowPositionBar)},
        BoxCase{"PlayerControls", "chk_amControls", Global(MediaShowControls), SetGlobal(MediaShowControls)},
        BoxCase{"PlayerMaxFull", "chk_amMaxFull", Global(MediaMaxFullScreen), SetGlobal(MediaMaxFullScreen)},
        BoxCase{"PlayerAutoPlay", "chk_amAutoPlay", Global(MediaAutoPlay), SetGlobal(MediaAutoPlay)},
        BoxCase{"ExplorerToolBar", "chkToolbarX", ExplorerFlag(ec::ToolBar), SetExplorerFlag(ec::ToolBar)},
        BoxCase{"ExplorerStatusBar", "chkStatusbarX", ExplorerFlag(ec::StatusBar), SetExplorerFlag(ec::StatusBar)},
        BoxCase{"ButtonText", "chkWin98styleX", ExplorerFlag(ec::ButtonText), SetExplorerFlag(ec::ButtonText)},
        BoxCase{"AutoRefresh", "chkSmartRefresh", ExplorerFlag(ec::AutoRefresh), SetExplorerFlag(ec::AutoRefresh)},
        BoxCase{"FolderTree", "chkFolderTreeX", ExplorerFlag(ec::FolderTree), SetExplorerFlag(ec::FolderTree)},
        BoxCase{"UseViewer", "chkUseViewer",
                [] {
                    EXPECT_TRUE(EControls.Int(ec::ViewerPlaysMedia) == 0 || EControls.Int(ec::ViewerPlaysMedia) == 1);
                    return EControls.Int(ec::ViewerPlaysMedia) == 1;
                },
                [](bool on) { EControls.SetInt(ec::ViewerPlaysMedia, on ? 1 : 0); }},
        BoxCase{"LargeThumbs", "chkLargeThumbs",
                [] {
                    EXPECT_TRUE(EControls.Int(ec::AlbumCopy) == 0 || EControls.Int(ec::AlbumCopy) == 240);
                    return EControls.Int(ec::AlbumCopy) == 240;
                },
                [](bool on) { EControls.SetInt(ec::AlbumCopy, on ? 240 : 0); }},
        BoxCase{"ToolTips", "chkShowToolTips", ExplorerFlag(ec::ListToolTips), SetExplorerFlag(ec::ListToolTips)},
        BoxCase{"PromptOnClose", "chkHideOnClose", ViewerFlag(vc::PromptOnClose), SetViewerFlag(vc::PromptOnClose)},
        BoxCase{"ConfirmDeletions", "chkConfirmDeletions", ExplorerFlag(ec::ConfirmDeletions),
                SetExplorerFlag(ec::ConfirmDeletions)},
        BoxCase{"LogVisited", "chkRecentMode", ViewerSwitch(vc::LogVisited), SetViewerSwitch(vc::LogVisited)},
        BoxCase{"SaveProfile", "chkSaveProfile", Global(SaveProfile), SetGlobal(SaveProfile)},
        BoxCase{"NoViewPrompts", "chkExpertViewMode", ViewerFlag(vc::NoViewPrompts), SetViewerFlag(vc::NoViewPrompts)},
        BoxCase{"EmbeddedThumbs", "chkEmbeddedThumbs", ExplorerFlag(ec::ThumbJpegDecode),
                SetExplorerFlag(ec::ThumbJpegDecode)}),
    test::CaseNames<&BoxCase::name>);

// ---- Lists, groups and bars holding a number

struct NumberCase {
    const char* name;
    const char* control;
    int before, after;
    std::function<int()> stored;
    std::function<void(int)> store;
};

void PrintTo(const NumberCase& c, std::ostream* os) { *os << c.name; }

int ValueOf(QWidget* control) {
    if (auto* list = qobject_cast<QComboBox*>(control))
        return list->currentIndex();
    if (auto* bar = qobject_cast<QAbstractSlider*>(control))
        return bar->value();
    return static_cast<TRadioGroup*>(control)->ItemIndex();
}

void SetValueOf(QWidget* control, int value) {
    if (auto* list = qobject_cast<QComboBox*>(control))
        list->setCurrentIndex(value);
    else if (auto* bar = qobject_cast<QAbstractSlider*>(control))
        bar->setValue(value);
    else
        static_cast<TRadioGroup*>(control)->SetItemIndex(value);
}

std::function<int()> ViewerInt(std::size_t offset) {
    return [offset] { return ViewerControls.Int(offset); };
}
std::function<void(int)> SetViewerInt(std::size_t offset) {
    return [offset](int value) { ViewerControls.SetInt(offset, value); };
}
std::function<int()> GlobalInt(int32_t& value) {
    return [&value] { return value; };
}
std::function<void(int)> SetGlobalInt(int32_t& value) {
    return [&value](int v) { value = v; };
}

class OptionsNumberTest : public OptionsWindowTest, public ::testing::WithParamInterface<NumberCase> {};

TEST_P(OptionsNumberTest, ShowsTheStoredValueAndApplyStoresAChange) {
    const NumberCase& c = GetParam();
    c.store(c.before);
    int shown = -1;
    Run([&](TOptionsForm& form) {
        QWidget* control = Find<QWidget>(form, c.control);
        shown = ValueOf(control);
        SetValueOf(control, c.after);
        form.btnApply->click();
    });
    EXPECT_EQ(shown, c.before);
    EXPECT_EQ(c.stored(), c.after);
}

INSTANTIATE_TEST_SUITE_P(
    Controls, OptionsNumberTest,
    ::testing::Values(
        NumberCase{"WheelButton", "MButtonBox", 1, 3, ViewerInt(vc::MiddleButton), SetViewerInt(vc::MiddleButton)},
        NumberCase{"Threads", "PriorityBox", 2, 7, ViewerInt(vc::ThumbThreads), SetViewerInt(vc::ThumbThreads)},
        NumberCase{"FaxQuality", "grpFaxQuality", 2, 0, GlobalInt(FaxQuality), SetGlobalInt(FaxQuality)},
        NumberCase{"PhotoCdStep", "grpPhotoCD", 3, 5, GlobalInt(PhotoCDResolution), SetGlobalInt(PhotoCDResolution)},
        NumberCase{"EffectsSpeed", "grpSpeed", 1, 3, GlobalInt(EffectsSpeed), SetGlobalInt(EffectsSpeed)},
        NumberCase{"TextPosition", "grpText", 0, 2, GlobalInt(SlideTextPosition), SetGlobalInt(SlideTextPosition)},
        NumberCase{"SlideDelay", "ScrollBarDelay", 2500, 3600000, GlobalInt(SlideDelay), SetGlobalInt(SlideDelay)},
        NumberCase{"Volume", "TrackVolume", 500, 800, GlobalInt(MediaVolume), SetGlobalInt(MediaVolume)}),
    test::CaseNames<&NumberCase::name>);

TEST_F(OptionsWindowTest, TheVolumeIsStoredAsAtLeastOne) {
    Run([](TOptionsForm& form) {
        form.TrackVolume->setValue(0);
        form.btnApply->click();
    });
    EXPECT_EQ(MediaVolume, 1);
}

TEST_F(OptionsWindowTest, TheBackgroundColourComesFromTheColourDialog) {
    BackgroundColor = RGB(255, 255, 255);
    Run([](TOptionsForm& form) {
        QueueModalAction([](QDialog& dialog) {
            auto& colours = static_cast<QColorDialog&>(dialog);
            colours.setCurrentColor(QColor(10, 20, 30));
            colours.accept();
        });
        form.PanelBackground->click();
        EXPECT_EQ(form.PanelColor(), RGB(10, 20, 30));
        EXPECT_TRUE(form.btnApply->isEnabled());
        form.btnApply->click();
    });
    EXPECT_EQ(BackgroundColor, RGB(10, 20, 30));
    EXPECT_EQ(WebForm->ScrollBox->palette().color(QPalette::Window), QColor(10, 20, 30));
}

// ---- Enabling

TEST_F(OptionsWindowTest, AutoCenterIsClearedAtOpeningEvenWhenCancelled) {
    WindowedView = false;
    OptimizeWindow = true;
    EXPECT_EQ(Run(opViewer, false, [](TOptionsForm& form) {
                  EXPECT_FALSE(form.chkAutoCenter->isEnabled());
                  EXPECT_FALSE(form.chkAutoCenter->isChecked());
                  form.chkAutoSize->setChecked(true);
                  EXPECT_TRUE(form.chkAutoCenter->isEnabled());
                  form.chkAutoCenter->setChecked(true);
                  form.chkAutoSize->setChecked(false);
                  EXPECT_FALSE(form.chkAutoCenter->isEnabled());
                  EXPECT_FALSE(form.chkAutoCenter->isChecked());
              }),
              -999);
    EXPECT_FALSE(OptimizeWindow);
    EXPECT_FALSE(WindowedView);
}

struct DependencyCase {
    const char* name;
    const char* master;
    const char* dependent;
};

void PrintTo(const DependencyCase& c, std::ostream* os) { *os << c.name; }

class OptionsDependencyTest : public OptionsWindowTest, public ::testing::WithParamInterface<DependencyCase> {};

TEST_P(OptionsDependencyTest, TheDependentBoxFollowsItsMaster) {
    const DependencyCase& c = GetParam();
    Run([&](TOptionsForm& form) {
        QCheckBox* master = Find<QCheckBox>(form, c.master);
        QCheckBox* dependent = Find<QCheckBox>(form, c.dependent);
        master->setChecked(false);
        EXPECT_FALSE(dependent->isEnabled());
        master->setChecked(true);
        EXPECT_TRUE(dependent->isEnabled());
    });
}

INSTANTIATE_TEST_SUITE_P(
    Boxes, OptionsDependencyTest,
    ::testing::Values(DependencyCase{"TrackerNeedsControls", "chk_amControls", "chk_amTracker"},
                      DependencyCase{"ButtonTextNeedsToolBar", "chkToolbarX", "chkWin98styleX"},
                      DependencyCase{"UnderlineNeedsSingleClick", "chkSingleClick", "chkUnderlineAll"},
                      DependencyCase{"MenusInFullScreenNeedTheMenuBar", "chkMenubar", "chkMaxFullScreenMenu"},
                      DependencyCase{"AutoCenterNeedsAutoSize", "chkAutoSize", "chkAutoCenter"}),
    test::CaseNames<&DependencyCase::name>);

TEST_F(OptionsWindowTest, TheDependentBoxesStartAsTheirMastersAre) {
    MediaShowControls = false;
    EControls.SetFlag(ec::ToolBar, false);
    EControls.SetInt(ec::ClickMode, 0);
    Run([](TOptionsForm& form) {
        EXPECT_FALSE(form.chk_amTracker->isEnabled());
        EXPECT_FALSE(form.chkWin98styleX->isEnabled());
        EXPECT_FALSE(form.chkUnderlineAll->isEnabled());
        EXPECT_FALSE(form.chkSingleClick->isHidden());
        EXPECT_FALSE(form.chkUnderlineAll->isHidden());
    });
}

TEST_F(OptionsWindowTest, LimitedModeDisablesTheFullScreensBoxes) {
    MaxFullScreen = true;
    MediaMaxFullScreen = true;
    Run(opViewer, true, [](TOptionsForm& form) {
        for (QCheckBox* box : {form.chkMaxFullScreen, form.chkStatusbar, form.chkMaxFullScreenMenu, form.chkMenubar,
                               form.chkToolbar, form.chkSideBar, form.chkPathBox, form.chk_amStatus,
                               form.chk_amControls, form.chk_amTracker, form.chk_amMaxFull}) {
            SCOPED_TRACE(box->objectName().toStdString());
            EXPECT_FALSE(box->isEnabled());
        }
        // A change elsewhere keeps the player's tracker off.
        form.chk_amAutoPlay->toggle();
        EXPECT_FALSE(form.chk_amTracker->isEnabled());
        EXPECT_TRUE(form.chkScreenBar->isEnabled());
    });
    MaxFullScreen = MediaMaxFullScreen = false;
    Run(opViewer, true, [](TOptionsForm& form) {
        EXPECT_FALSE(form.chkMaxFullScreen->isEnabled());
        EXPECT_FALSE(form.chkStatusbar->isEnabled());
        EXPECT_TRUE(form.chkMenubar->isEnabled());
        EXPECT_TRUE(form.chk_amStatus->isEnabled());
    });
}

TEST_F(OptionsWindowTest, ApplyIsEnabledOnlyAfterAChange) {
    Run([](TOptionsForm& form) {
        EXPECT_FALSE(form.btnApply->isEnabled());
        form.ScrollBarDelay->setValue(SlideDelay);
        EXPECT_FALSE(form.btnApply->isEnabled());
        form.chkFastBMP->toggle();
        EXPECT_TRUE(form.btnApply->isEnabled());
        form.btnApply->click();
        EXPECT_FALSE(form.btnApply->isEnabled());
        form.ScrollBarDelay->setValue(SlideDelay + 100);
        EXPECT_TRUE(form.btnApply->isEnabled());
    });
}

TEST_F(OptionsWindowTest, TheMergeBoxHidesTheToolBarBoxAndRenamesThePathBox) {
    Run([](TOptionsForm& form) {
        EXPECT_EQ(form.chkPathBox->text(), "&Path box");
        EXPECT_TRUE(form.chkToolbar->isChecked());
        form.chkScreenBar->setChecked(true);
        EXPECT_FALSE(form.chkToolbar->isVisibleTo(&form));
        EXPECT_FALSE(form.chkToolbar->isChecked());
        EXPECT_EQ(form.chkPathBox->text(), "&Tool bar");
        form.chkScreenBar->setChecked(false);
        EXPECT_TRUE(form.chkToolbar->isVisibleTo(&form));
        EXPECT_EQ(form.chkPathBox->text(), "&Path box");
    });
}

TEST_F(OptionsWindowTest, ApplyingTheMergeMergesTheWindowsBars) {
    Run([](TOptionsForm& form) {
        form.chkScreenBar->setChecked(true);
        form.btnApply->click();
    });
    EXPECT_TRUE(MergeToolbar);
    EXPECT_TRUE(ViewerControls.Flag(vc::MergeToolbar));
    EXPECT_FALSE(ViewerControls.Flag(vc::ToolBar));
    EXPECT_FALSE(WebForm->mnuToolbarV->Checked());
}

TEST_F(OptionsWindowTest, TheBarBoxesRunTheWindowsToggles) {
    Run([](TOptionsForm& form) {
        form.chkStatusbar->setChecked(false);
        form.chkSideBar->setChecked(false);
        form.btnApply->click();
    });
    EXPECT_FALSE(WebForm->mnuStatusbarV->Checked());
    EXPECT_FALSE(WebForm->StatusBar->isVisibleTo(WebForm));
    EXPECT_FALSE(WebForm->mnuSideBarV->Checked());
    EXPECT_FALSE(WebForm->PanelSide->isVisibleTo(WebForm));
}

// ---- The slide delay

TEST(SlideDelayLabel, CutsToTenthsOfASecond) {
    EXPECT_EQ(SlideDelayLabel(2500), "&Delay = 2.5s");
    EXPECT_EQ(SlideDelayLabel(999), "&Delay = 0.9s");
    EXPECT_EQ(SlideDelayLabel(0), "&Delay = 0.0s");
    EXPECT_EQ(SlideDelayLabel(3600000), "&Delay = 3600.0s");
}

TEST_F(OptionsWindowTest, TheDelayLabelFollowsTheBar) {
    SlideDelay = 2500;
    Run(opSlideshow, false, [](TOptionsForm& form) {
        EXPECT_EQ(form.PageControl1->currentWidget(), form.Tab_Show);
        EXPECT_EQ(form.lblDelay->text(), "&Delay = 2.5s");
        form.ScrollBarDelay->setValue(999);
        EXPECT_EQ(form.lblDelay->text(), "&Delay = 0.9s");
    });
}

TEST_F(OptionsWindowTest, ATenSecondDelaySurvivesACloseAndARestart) {
    Run([](TOptionsForm& form) {
        form.ScrollBarDelay->setValue(10000);
        form.btnOK->click();
    });
    ASSERT_EQ(SlideDelay, 10000);
    TRegistry registry;
    ASSERT_TRUE(registry.OpenKey(SettingsKey, true));
    WebForm->WriteViewerSettings(registry);
    TViewerControls stored;
    ASSERT_TRUE(ReadSettingsRecord(registry, ViewerRecordName, stored));
    EXPECT_EQ(stored.Int(vc::SlideDelay), 10000);
    EXPECT_EQ(stored.Bytes[vc::SlideDelay], 0x10);
    EXPECT_EQ(stored.Bytes[vc::SlideDelay + 1], 0x27);
    SlideDelay = 0;
    ViewerControls = stored;
    WebForm->ReadViewerSettings(registry);
    EXPECT_EQ(SlideDelay, 10000);
}

// ---- Reopening

TEST_F(OptionsWindowTest, ThePhotoCdStepReopensOnlyAPhotoCd) {
    // A JPEG is not opened again: its file is replaced behind the window's back.
    FileName = test::CopyToHome("jpeg/baseline_420.jpg", "shown.jpg");
    FileExt = UpperCase(ExtractFileExt(FileName));
    WebForm->BtnOpenEx(WebForm);
    ASSERT_TRUE(ImageLoaded);
    const int width = WebForm->Daz95->Bitmap()->GetWidth();
    test::CopyToHome("jpeg/medium.jpg", "shown.jpg");
    Run(opGraphics, false, [](TOptionsForm& form) {
        form.grpPhotoCD->SetItemIndex(2);
        form.btnApply->click();
    });
    EXPECT_EQ(PhotoCDResolution, 2);
    EXPECT_EQ(WebForm->Daz95->Bitmap()->GetWidth(), width);

    PhotoCDResolution = 3;
    FileName = test::CopyToHome("pcd/img0001.pcd", "photos/img0001.pcd");
    FileExt = UpperCase(ExtractFileExt(FileName));
    WebForm->BtnOpenEx(WebForm);
    ASSERT_EQ(ImageWidth, 768);
    Run(opGraphics, false, [](TOptionsForm& form) {
        form.grpPhotoCD->SetItemIndex(2);
        form.btnApply->click();
    });
    EXPECT_EQ(PhotoCDCurrentResolution, 2);
    EXPECT_EQ(ImageWidth, 384);
    EXPECT_EQ(ImageHeight, 256);
}

TEST_F(OptionsWindowTest, TheFaxQualityReopensAPagedFile) {
    FaxQuality = 1;
    FileName = test::CopyToHome("imgman/g4_3pages.tif", "fax.tif");
    FileExt = UpperCase(ExtractFileExt(FileName));
    WebForm->BtnOpenEx(WebForm);
    ASSERT_EQ(PageCount, 3);
    ASSERT_EQ(WebForm->Daz95->Bitmap()->GetWidth(), 32);
    Run(opGraphics, false, [](TOptionsForm& form) {
        form.grpFaxQuality->SetItemIndex(3);
        form.btnApply->click();
    });
    EXPECT_EQ(FaxQuality, 3);
    EXPECT_EQ(WebForm->Daz95->Bitmap()->GetWidth(), 16);
}

// ---- The explorer's options

struct ClickCase {
    const char* name;
    bool single, underline;
    int32_t style;
};

void PrintTo(const ClickCase& c, std::ostream* os) { *os << c.name; }

class OptionsClickTest : public OptionsWindowTest, public ::testing::WithParamInterface<ClickCase> {};

TEST_P(OptionsClickTest, TheTwoBoxesGiveTheClickStyle) {
    const ClickCase& c = GetParam();
    EControls.SetInt(ec::ClickMode, 1);
    Run([&](TOptionsForm& form) {
        form.chkSingleClick->setChecked(true);
        form.chkUnderlineAll->setChecked(c.underline);
        form.chkSingleClick->setChecked(c.single);
        form.btnApply->click();
    });
    EXPECT_EQ(EControls.Int(ec::ClickMode), c.style);
    // The explorer's list takes the style again only when it changed.
    EXPECT_EQ(ExplorerCalled("mnuSingleClick"), c.style != 1);
}

INSTANTIATE_TEST_SUITE_P(Styles, OptionsClickTest,
                         ::testing::Values(ClickCase{"DoubleClickEvenWithUnderline", false, true, 0},
                                           ClickCase{"DoubleClick", false, false, 0},
                                           ClickCase{"SingleClickUnchanged", true, false, 1},
                                           ClickCase{"SingleClickUnderlined", true, true, 2}),
                         test::CaseNames<&ClickCase::name>);

TEST_F(OptionsWindowTest, TheExplorerBarsGoThroughTheExplorersCommands) {
    Run([](TOptionsForm& form) {
        form.chkFolderTreeX->setChecked(false);
        form.chkShowToolTips->setChecked(true);
        form.btnApply->click();
    });
    EXPECT_TRUE(ExplorerCalled("mnuFolderTreeClick"));
    EXPECT_TRUE(ExplorerCalled("mnuRefreshClick"));
    EXPECT_FALSE(ExplorerCalled("mnuToolbarXClick"));
    EXPECT_FALSE(ExplorerCalled("mnuStatusbarXClick"));
    EXPECT_TRUE(xplr8900::FileForm->XL->ShowToolTips);
}

// ---- Ok, Cancel and the opener

TEST_F(OptionsWindowTest, CancelAfterApplyKeepsWhatWasApplied) {
    EXPECT_EQ(Run(opViewer, false,
                  [](TOptionsForm& form) {
                      form.chkFastBMP->setChecked(true);
                      form.btnApply->click();
                      form.chkRecentMode->setChecked(false);
                      form.btnCancel->click();
                  }),
              -999);
    EXPECT_TRUE(ViewerControls.Flag(vc::FastBmp));
    EXPECT_EQ(ViewerControls.Int(vc::LogVisited), 1);
}

TEST_F(OptionsWindowTest, OkAppliesAndAnswersZero) {
    EXPECT_EQ(Run(opAdvanced, false,
                  [](TOptionsForm& form) {
                      form.PriorityBox->setCurrentIndex(5);
                      form.btnOK->click();
                  }),
              0);
    EXPECT_EQ(ViewerControls.Int(vc::ThumbThreads), 5);
}

TEST_F(OptionsWindowTest, HelpShowsTheActivePagesTopic) {
    std::vector<long> topics;
    Application.OnHelp = [&](long topic) {
        topics.push_back(topic);
        return true;
    };
    Run(opExplorer, false, [](TOptionsForm& form) {
        form.btnHelp->click();
        form.PageControl1->setCurrentWidget(form.Tab_Graphics);
        form.btnHelp->click();
    });
    Application.OnHelp = nullptr;
    EXPECT_EQ(topics, (std::vector<long>{102, 103}));
}

TEST_F(OptionsWindowTest, TheEffectsButtonOpensTheEffectsChoice) {
    std::string caption;
    Run(opSlideshow, false, [&](TOptionsForm& form) {
        QueueModalAction([&](QDialog& dialog) {
            caption = dialog.windowTitle().toStdString();
            dialog.done(mrCancel);
        });
        form.btnEffects->click();
    });
    EXPECT_NE(caption.find("Transitions Effects"), std::string::npos) << caption;
}

TEST_F(OptionsWindowTest, TheSpeedIndexGivesTheTransitionSpeed) {
    Run(opSlideshow, false, [](TOptionsForm& form) {
        form.grpSpeed->SetItemIndex(3);
        form.btnApply->click();
    });
    ASSERT_EQ(EffectsSpeed, 3);
    PopulateEffectsList();
    int32_t previous = 0;
    ChooseSlideTransition(false, 0, 0, TSelectedEffects{}, previous, 640, 480, EffectsSpeed, [](int32_t) { return 0; });
    EXPECT_EQ(TransitionSpeed, 4);
}

TEST_F(OptionsWindowTest, TheMenuCommandStopsTheExplorersWorkAndChoosesThePage) {
    int page = -1;
    QueueModalAction([&](QDialog& dialog) {
        page = static_cast<TOptionsForm&>(dialog).PageControl1->currentIndex();
        EXPECT_FALSE(static_cast<TOptionsForm&>(dialog).OptionsLimited);
        dialog.done(mrCancel);
    });
    WebForm->mnuOptionsV->trigger();
    EXPECT_EQ(page, opViewer);
    EXPECT_EQ(ExplorerCalls(),
              (std::vector<std::string>{"FolderMonitor_Terminate", "Thumbnailing_Stop", "FolderMonitor_Restart"}));

    // Full screen without menus opens the graphics page, limited.
    WebForm->mnuFullscrn->setText("Normal window");
    FullScreenMenus = false;
    bool limited = false;
    QueueModalAction([&](QDialog& dialog) {
        page = static_cast<TOptionsForm&>(dialog).PageControl1->currentIndex();
        limited = static_cast<TOptionsForm&>(dialog).OptionsLimited;
        dialog.done(mrCancel);
    });
    WebForm->mnuOptionsClick(WebForm->mnuOptionsVP);
    EXPECT_EQ(page, opGraphics);
    EXPECT_TRUE(limited);

    // Media shown opens the multimedia page.
    MediaMode = true;
    QueueModalAction([&](QDialog& dialog) {
        page = static_cast<TOptionsForm&>(dialog).PageControl1->currentIndex();
        dialog.done(mrCancel);
    });
    WebForm->mnuOptionsClick(WebForm->mnuOptionsV);
    MediaMode = false;
    WebForm->mnuFullscrn->setText("Full screen");
    EXPECT_EQ(page, opMultimedia);
}

TEST_F(OptionsWindowTest, TheExplorersItemOpensTheExplorerPage) {
    TFileForm& explorer = *xplr8900::FileForm;
    ASSERT_TRUE(explorer.mnuOptions->isEnabled());
    int page = -1;
    bool itemEnabled = true;
    QueueModalAction([&](QDialog& dialog) {
        page = static_cast<TOptionsForm&>(dialog).PageControl1->currentIndex();
        itemEnabled = explorer.mnuOptions->isEnabled();
        dialog.done(mrCancel);
    });
    explorer.mnuOptions->trigger();
    EXPECT_EQ(page, opExplorer);
    EXPECT_FALSE(itemEnabled);
    EXPECT_TRUE(explorer.mnuOptions->isEnabled());
    EXPECT_EQ(ExplorerCalls(),
              (std::vector<std::string>{"FolderMonitor_Terminate", "Thumbnailing_Stop", "FolderMonitor_Restart"}));
}

// ---- The player, live while media is shown

TEST_F(OptionsWindowTest, ThePlayersOptionsReachTheShownPlayer) {
    MediaAutoPlay = false;
    MediaVolume = 1000;
    FileName = test::CopyToHome("media/tone.wav", "media/tone.wav");
    FileExt = UpperCase(ExtractFileExt(FileName));
    WebForm->BtnOpenEx(WebForm);
    ASSERT_TRUE(MediaMode);
    TMediaPlayer* player = WebForm->ViewerPlayer;
    ASSERT_NE(player, nullptr);
    Run(opMultimedia, false, [](TOptionsForm& form) {
        form.TrackVolume->setValue(500);
        form.chk_amControls->setChecked(false);
        form.chk_amStatus->setChecked(false);
        form.btnApply->click();
    });
    EXPECT_NEAR(player->Volume(), 0.45, 0.01);
    EXPECT_FALSE(player->ShowControls());
    EXPECT_FALSE(player->ShowStatusBar());
    Run(opMultimedia, false, [](TOptionsForm& form) {
        form.TrackVolume->setValue(1000);
        form.btnApply->click();
    });
    EXPECT_NEAR(player->Volume(), 1.0, 0.001);
    WebForm->AV_UI(false);
    MediaAutoPlay = true;
    MediaShowControls = MediaShowStatusBar = true;
}

}  // namespace
