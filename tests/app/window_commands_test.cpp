// The image window's timers, its forwarding to the explorer, the new blank
// picture, hiding the viewer, tiling and the zip window.
#include "save_form_fixture.h"

#include "support/case_names.h"
#include "ui/Resize_w.h"
#include "ui/Status_y.h"
#include "ui/VListShowEx.h"

#include <QElapsedTimer>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>

#include <functional>

using namespace lumvor;
using namespace lumvor::lumv8900;
using namespace lumvor::test;

namespace {

class WindowCommandsTest : public ImageWindowTest {
protected:
    void SetUp() override {
        ImageWindowTest::SetUp();
        xplr8900::ExplorerActive = false;
        xplr8900::ExplorerDirty = false;
        show8900::ShowFormActive = false;
        show8900::SlideCount = 0;
        IsBusy = 0;
        Explorer().Calls.clear();
        Explorer().hide();
    }
    void TearDown() override {
        delete show8900::ShowForm;
        show8900::ShowForm = nullptr;
        show8900::ShowFormActive = false;
        show8900::SlideCount = 0;
        xplr8900::ExplorerActive = false;
        xplr8900::ExplorerDirty = false;
        SlidesPerMinute = 1;
        IsBusy = 0;
        ImageWindowTest::TearDown();
    }
    TFileForm& Explorer() { return *xplr8900::FileForm; }
};

// ---- The remaining-time text

struct FinishCase {
    const char* name;
    int rate;
    int remaining;
    bool showRate;
    const char* text;
    int storedRate;
};

void PrintTo(const FinishCase& c, std::ostream* os) { *os << c.name; }

class TimeToFinishTest : public WindowCommandsTest, public ::testing::WithParamInterface<FinishCase> {};

TEST_P(TimeToFinishTest, GivesTheMinutesLeft) {
    const FinishCase& c = GetParam();
    SlidesPerMinute = c.rate;
    std::string text = "old";
    WebForm->TimeToFinish(c.showRate, c.remaining, text);
    EXPECT_EQ(text, c.text);
    EXPECT_EQ(SlidesPerMinute, c.storedRate);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TimeToFinishTest,
    ::testing::Values(FinishCase{"OneAndAHalfMinutesReadsOne", 60, 90, true, "Files/min: 60 ... ~ 1 min. to finish", 60},
                      FinishCase{"TwoMinutes", 60, 120, true, "Files/min: 60 ... ~ 2 min. to finish", 60},
                      FinishCase{"RateZeroCountsAsOne", 0, 5, true, "Files/min: 1 ... ~ 5 min. to finish", 1},
                      FinishCase{"NegativeRate", -4, 3, false, "~ 3 min. to finish", 1},
                      FinishCase{"WithoutRate", 60, 120, false, "~ 2 min. to finish", 60},
                      FinishCase{"NothingLeft", 10, 0, false, "~ 1 min. to finish", 10}),
    CaseNames<&FinishCase::name>);

// ---- The one-shot timers

TEST_F(WindowCommandsTest, TheEndTimerTellsWhatEndedOnce) {
    const std::pair<int, std::string> cases[] = {{1, "Batch done."}, {2, "Lab done."}, {0, "unchanged"}};
    for (const auto& [tag, status] : cases) {
        SCOPED_TRACE(tag);
        StatusTextValue = "unchanged";
        Screen.SetCursor(crHourGlass);
        WebForm->AnyTimer->Tag = tag;
        WebForm->AnyTimer->SetEnabled(true);
        WebForm->AnyTimerTimer();
        EXPECT_EQ(WebForm->StatusPanelText(0), status);
        EXPECT_EQ(Screen.Cursor(), crDefault);
        EXPECT_FALSE(WebForm->AnyTimer->Enabled());
        EXPECT_EQ(WebForm->AnyTimer->Tag, 0);
    }
}

TEST_F(WindowCommandsTest, TheEndTimerFiresByItself) {
    EXPECT_EQ(WebForm->AnyTimer->Interval(), 600);
    EXPECT_FALSE(WebForm->AnyTimer->Enabled());
    StatusTextValue = "Busy ...";
    WebForm->AnyTimer->Tag = 2;
    WebForm->AnyTimer->SetEnabled(true);
    QElapsedTimer clock;
    clock.start();
    while (WebForm->AnyTimer->Enabled() && clock.elapsed() < 15000)
        QTest::qWait(20);
    EXPECT_EQ(WebForm->StatusPanelText(0), "Lab done.");
    EXPECT_FALSE(WebForm->AnyTimer->Enabled());
}

TEST_F(WindowCommandsTest, TheExplorerTimerStopsAndShowsTheExplorer) {
    EXPECT_EQ(WebForm->ExplorerTimer->Interval(), 333);
    EXPECT_FALSE(WebForm->ExplorerTimer->Enabled());
    WebForm->ExplorerTimer->SetEnabled(true);
    WebForm->ExplorerTimerTimer();
    EXPECT_FALSE(WebForm->ExplorerTimer->Enabled());
    EXPECT_NE(std::find(Explorer().Calls.begin(), Explorer().Calls.end(), "Show"), Explorer().Calls.end());
    EXPECT_TRUE(Explorer().isVisible());
}

// ---- Forwarding to the explorer

struct ForwardCase {
    const char* name;
    void (TWebForm::*forwarder)();
    const char* command;
};

void PrintTo(const ForwardCase& c, std::ostream* os) { *os << c.name; }

class ForwardTest : public WindowCommandsTest, public ::testing::WithParamInterface<ForwardCase> {};

TEST_P(ForwardTest, AnActiveExplorerHasItsMonitorStoppedFirst) {
    xplr8900::ExplorerActive = true;
    (WebForm->*GetParam().forwarder)();
    EXPECT_EQ(Explorer().Calls, (std::vector<std::string>{"FolderMonitor_Terminate", GetParam().command}));
}

TEST_P(ForwardTest, AnInactiveExplorerIsShownFirst) {
    (WebForm->*GetParam().forwarder)();
    // Shown, the explorer is activated: its monitor is then stopped as well.
    EXPECT_EQ(Explorer().Calls,
              (std::vector<std::string>{"Show", "FolderMonitor_Terminate", GetParam().command}));
    EXPECT_TRUE(Explorer().isVisible());
    EXPECT_TRUE(xplr8900::ExplorerActive);
}

INSTANTIATE_TEST_SUITE_P(
    Toggles, ForwardTest,
    ::testing::Values(ForwardCase{"FolderTree", &TWebForm::Explorer_FolderTree, "mnuFolderTreeClick"},
                      ForwardCase{"ButtonText", &TWebForm::Explorer_Win98style, "mnuButtonTextClick"},
                      ForwardCase{"ToolBar", &TWebForm::Explorer_Toolbar, "mnuToolbarXClick"},
                      ForwardCase{"StatusBar", &TWebForm::Explorer_Statusbar, "mnuStatusbarXClick"},
                      ForwardCase{"ClickStyle", &TWebForm::Explorer_ClickStyle, "mnuSingleClick"},
                      ForwardCase{"NetworkSupport", &TWebForm::Explorer_NetworkSupport, "mnuNetworkSupportClick"},
                      ForwardCase{"Refresh", &TWebForm::Explorer_Refresh, "mnuRefreshClick"}),
    CaseNames<&ForwardCase::name>);

TEST_F(WindowCommandsTest, WhileTheViewerMenusAreOffTheExplorerIsNotShownButTheMenusComeBack) {
    WebForm->mnuFileV->setEnabled(false);
    WebForm->mnuViewV->setEnabled(false);
    WebForm->Explorer_Toolbar();
    EXPECT_EQ(Explorer().Calls, std::vector<std::string>{"mnuToolbarXClick"});
    EXPECT_TRUE(WebForm->mnuFileV->isEnabled());
    EXPECT_TRUE(WebForm->mnuViewV->isEnabled());
}

TEST_F(WindowCommandsTest, RefreshCarriesTheToolTipOptionIntoTheList) {
    for (bool tips : {false, true, true}) {
        SCOPED_TRACE(tips);
        xplr8900::EControls.SetFlag(xplr8900::ec::ListToolTips, tips);
        WebForm->Explorer_Refresh();
        EXPECT_EQ(Explorer().XL->ShowToolTips, tips);
        EXPECT_EQ(Explorer().Calls.back(), "mnuRefreshClick");
    }
}

TEST_F(WindowCommandsTest, UpdateLaterMarksTheFolderAndStopsTheMonitorWithoutShowing) {
    WebForm->Explorer_UpdateLater();
    EXPECT_TRUE(xplr8900::ExplorerDirty);
    EXPECT_EQ(Explorer().Calls, std::vector<std::string>{"FolderMonitor_Terminate"});
    EXPECT_FALSE(Explorer().isVisible());
}

// ---- New picture

// Runs the new-picture command with the dialog answered by action.
void RunNew(std::function<void(TResizeForm&)> action) {
    QueueModalAction([action](QDialog& d) { action(static_cast<TResizeForm&>(d)); });
    WebForm->mnuNew->trigger();
    EXPECT_EQ(QueuedModalAnswers(), 0);
}

void Type(QLineEdit* edit, const QString& text) {
    edit->selectAll();
    QTest::keyClicks(edit, text);
    QTest::keyClick(edit, Qt::Key_Return);
}

TEST_F(WindowCommandsTest, ANewPictureOfLessThan16PixelsIsRefusedSilently) {
    TBitmap old;
    MakePicture(old, 8);
    Show(old);
    RunNew([](TResizeForm& d) {
        Type(d.EditW, "15");
        Type(d.EditH, "100");
        d.btnOk->click();
    });
    EXPECT_EQ(FileName, "/pictures/shown.bmp");
    EXPECT_EQ(Display().Width(), 37);
    EXPECT_FALSE(ImageChanged);
}

TEST_F(WindowCommandsTest, ANewPictureIsABlankUntitledOneThatUndoTakesBack) {
    TBitmap old;
    MakePicture(old, 8);
    Show(old);
    PageCount = 3;
    WebForm->mnuPage1->setVisible(true);
    ASSERT_TRUE(WebForm->mnuNew->isEnabled());
    RunNew([](TResizeForm& d) {
        EXPECT_EQ(d.windowTitle(), "New Image");
        // The screen's size is proposed.
        EXPECT_EQ(d.EditW->text().toInt(), ScreenWidth);
        EXPECT_EQ(d.EditH->text().toInt(), ScreenHeight);
        d.SetBorderColor(TColor{0x3366CC});  // red 0xCC, green 0x66, blue 0x33
        Type(d.EditW, "16");
        Type(d.EditH, "16");
        d.btnOk->click();
    });
    EXPECT_EQ(Display().Width(), 16);
    EXPECT_EQ(Display().Height(), 16);
    EXPECT_EQ(Display().PixelFormat(), pf24bit);
    EXPECT_EQ(ColorAt(Display(), 0, 0), 0xCC6633u);
    EXPECT_EQ(ColorAt(Display(), 15, 15), 0xCC6633u);
    EXPECT_EQ(FileName, "Untitled");
    EXPECT_EQ(ImageWidth, 16);
    EXPECT_EQ(ImageHeight, 16);
    EXPECT_EQ(ImageBitCount, 24);
    EXPECT_TRUE(ImageChanged);
    EXPECT_EQ(ImgHandle, 0);
    EXPECT_FALSE(WebForm->ChromeEnabled("mnuReload"));
    EXPECT_FALSE(WebForm->mnuPage1->isVisible());
    EXPECT_EQ(PageCount, 0);

    WebForm->mnuUndoClick(nullptr);
    EXPECT_EQ(Display().Width(), 37);
    EXPECT_EQ(Display().PixelFormat(), pf8bit);
    EXPECT_EQ(ColorAt(Display(), 5, 7), ColorAt(old, 5, 7));
}

TEST_F(WindowCommandsTest, ANewPictureCannotBeLargerThan16384EitherWay) {
    RunNew([](TResizeForm& d) {
        d.EditW->setText("20000");
        d.EditH->setText("16");
        d.btnOk->click();
        ASSERT_TRUE(d.isVisible());
        EXPECT_EQ(d.EditW->text(), "16384");
        d.EditW->setText("16");
        d.EditH->setText("16385");
        d.btnOk->click();
        ASSERT_TRUE(d.isVisible());
        EXPECT_EQ(d.EditH->text(), "16384");
        d.btnCancel->click();
    });
    EXPECT_NE(FileName, "Untitled");
}

// ---- Hide, tile, zip window

QKeySequence ShortCutOf(const char* item) {
    return static_cast<QAction*>(WebForm->FindChrome(item))->shortcut();
}

TEST_F(WindowCommandsTest, HidingShowsTheExplorerUnlessTheAlbumWasUsedAndHoldsSlides) {
    struct Case {
        bool albumActivated;
        int slides;
        bool albumShown;
    };
    for (const Case& c : {Case{false, 3, false}, Case{true, 3, true}, Case{true, 0, false}}) {
        SCOPED_TRACE(std::to_string(c.albumActivated) + " " + std::to_string(c.slides));
        if (!show8900::ShowForm)
            show8900::ShowForm = new TShowForm();
        show8900::ShowForm->hide();
        Explorer().hide();
        Explorer().Calls.clear();
        show8900::ShowFormActive = c.albumActivated;
        show8900::SlideCount = c.slides;
        WebForm->show();
        WebForm->mnuHide->trigger();
        EXPECT_FALSE(WebForm->isVisible());
        EXPECT_EQ(show8900::ShowForm->isVisible(), c.albumShown);
        EXPECT_EQ(Explorer().isVisible(), !c.albumShown);
    }
}

TEST_F(WindowCommandsTest, TheCloseMenusHideActsAsTheFileMenus) {
    WebForm->show();
    WebForm->mnuHideViewer->trigger();
    EXPECT_FALSE(WebForm->isVisible());
    EXPECT_TRUE(Explorer().isVisible());
}

TEST_F(WindowCommandsTest, AHiddenViewerHidesTheZipWindowAndItsShortcuts) {
    WebForm->show();
    ASSERT_FALSE(ShortCutOf("mnuNextImage1").isEmpty());
    WebForm->mnuUnZipper->trigger();
    ASSERT_NE(Unzip_8900::UnZipForm, nullptr);
    EXPECT_TRUE(Unzip_8900::UnZipForm->isVisible());
    WebForm->mnuHide->trigger();
    EXPECT_FALSE(Unzip_8900::UnZipForm->isVisible());
    EXPECT_TRUE(ShortCutOf("mnuNextImage1").isEmpty());
    EXPECT_FALSE(ShortCutOf("mnuBookmarksView").isEmpty());  // the one kept
    WebForm->show();
    EXPECT_FALSE(ShortCutOf("mnuNextImage1").isEmpty());
}

TEST_F(WindowCommandsTest, TheZipWindowIsMadeOnceAndNotShownDuringALongRun) {
    IsBusy = 1;
    WebForm->mnuUnZipperClick(nullptr);
    TUnZipForm* made = Unzip_8900::UnZipForm;
    ASSERT_NE(made, nullptr);
    EXPECT_TRUE(Unzip_8900::UnZipFormCreated);
    EXPECT_FALSE(made->isVisible());
    IsBusy = 0;
    WebForm->mnuUnZipperClick(nullptr);
    EXPECT_EQ(Unzip_8900::UnZipForm, made);
    EXPECT_TRUE(made->isVisible());
}

TEST_F(WindowCommandsTest, EachTileItemShowsTheExplorerThenTiles) {
    const std::vector<std::string> captions = {"Viewer left - &Explorer right", "Explorer left - &Viewer right",
                                               "Overlapped &right", "Overlapped &left"};
    const std::vector<TMenuItem*> items = {WebForm->mnuTile1V, WebForm->mnuTile2V, WebForm->mnuTile3V,
                                           WebForm->mnuTile4V};
    for (size_t i = 0; i < items.size(); ++i) {
        EXPECT_EQ(items[i]->text().toStdString(), captions[i]);
        Explorer().Calls.clear();
        items[i]->trigger();
        EXPECT_EQ(Explorer().Calls, (std::vector<std::string>{"Show", "mnuTile1Click"}));
    }
}

}  // namespace
