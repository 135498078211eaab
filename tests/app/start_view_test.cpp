// A start with a picture on the command line, the window with all its bars:
// the picture is fitted into what the bars leave, the zoom panel and the fit
// controls show fit mode, and the status keeps the load time.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QScrollArea>
#include <QStatusBar>
#include <QToolButton>

#include "state/ViewerSettings.h"
#include "app/app_test_tools.h"
#include "app/lumv8900.h"
#include "explorer/xplr8900.h"
#include "platform/Forms.h"
#include "platform/Menus.h"
#include "support/settings_records.h"
#include "ui/Pix.h"
#include "ui/ScrollBoxEx.h"

#include <string>

using namespace lumvor;
using namespace lumvor::lumv8900;
using lumvor::test::CopyToHome;

namespace {

class StartView : public ::testing::Test {
protected:
    void SetUp() override {
        ClearModalAnswers();
        ViewerControls = TViewerControls{};
        FirstActivationDone = 0;
        UserInterrupt = DisplayChanged = SlideshowRunning = FullScreen = MediaMode = false;
        ImageChanged = false;
        ImageHistoryList.Clear();
    }
    void TearDown() override {
        test::FreeWindows();
    }
    // Starts as the program does with `file` on the command line, every bar
    // shown and the window at (30, 40) with the given size; runs the event
    // loop until the deferred open is over.
    void Start(const std::string& file, int width, int height) {
        TViewerControls record;
        SetViewerDefaults(record, 3);
        for (std::size_t flag : {vc::MenuBar, vc::ToolBar, vc::StatusBar, vc::SideBar, vc::PathBox})
            record.SetFlag(flag, true);
        record.SetInt(vc::WindowBounds, 30);
        record.SetInt(vc::WindowBounds + 4, 40);
        record.SetInt(vc::WindowBounds + 8, 30 + width);
        record.SetInt(vc::WindowBounds + 12, 40 + height);
        test::WriteSettingsRecords(record);
        MainUnitInit({file});
        ASSERT_TRUE(ProgramStart());
        WebForm->mnuQuit->Tag = 1;
        WebForm->show();
        WebForm->FormActivate();
        QElapsedTimer clock;
        clock.start();
        // The window settles for a while; a busy machine may take longer to load.
        while (clock.elapsed() < 800 || (!ImageLoaded && clock.elapsed() < 15000))
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        ASSERT_TRUE(ImageLoaded);
        ASSERT_EQ(FileName, file);
    }
};

}  // namespace

TEST_F(StartView, CommandLinePictureIsFittedIntoTheViewTheBarsLeave) {
    for (const char* name : {"a.jpg"}) {
        SCOPED_TRACE(name);
        const std::string file = CopyToHome(std::string("jpeg/view_480x360.jpg"), name);
        Start(file, 640, 480);
        TWebForm& form = *WebForm;
        ASSERT_TRUE(FitWindow);
        EXPECT_TRUE(form.PanelTool->isVisible());
        EXPECT_TRUE(form.PanelSide->isVisible());
        EXPECT_TRUE(form.StatusBar->isVisible());
        const QWidget* view = form.ScrollBox->viewport();
        const int viewHeight = view->height();
        ASSERT_LT(viewHeight, 360);
        // The whole picture shows, in its proportions, inside the view.
        const QRect shown(form.Daz95->mapTo(view, QPoint(0, 0)), form.Daz95->size());
        EXPECT_TRUE(view->rect().contains(shown)) << shown.x() << "," << shown.y() << " " << shown.width() << "x"
                                                  << shown.height() << " in " << view->width() << "x" << viewHeight;
        EXPECT_EQ(form.ViewHeight(), viewHeight);
        EXPECT_EQ(form.ViewWidth(), view->width());
        EXPECT_NEAR(shown.width() * 360, shown.height() * 480, 480);
        // Fit mode shows in the zoom panel and the fit controls.
        EXPECT_EQ(form.StatusPanelText(1), "Fit");
        EXPECT_TRUE(form.mnuFitWindow->Checked());
        EXPECT_TRUE(form.mnuFitWindow1->Checked());
        EXPECT_TRUE(form.btnFitWindow->isChecked());
        // The start-up open leaves the load time, as any open of a JPEG does.
        EXPECT_EQ(form.StatusPanelText(0).rfind("Loaded ", 0), 0u) << form.StatusPanelText(0);
        TearDown();
        SetUp();
    }
}
