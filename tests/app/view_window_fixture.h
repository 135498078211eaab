// The image window shown offscreen at 640 x 480 in fit mode, past its first
// activation, with strict modal runs: the start of the view tests.
#pragma once

#include "app/app_test_tools.h"
#include "app/lumv8900.h"
#include "platform/Forms.h"
#include "platform/Menus.h"
#include "ui/Status_y.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <functional>

namespace lumvor::test {

using namespace lumvor::lumv8900;

class ShownWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ClearModalAnswers();
        SetStrictModalRuns(true);
        ViewerControls = TViewerControls{};
        FirstActivationDone = 0;
        UserInterrupt = DisplayChanged = SlideshowRunning = FullScreen = RightButtonReleased = false;
        MaxFullScreen = false;
        FullScreenMenus = true;
        MergeToolbar = false;
        ImageLoaded = false;
        Selection = LastSelection = ZoomRegion = TRect{};
        ScreenSelection = Rect(0, 0, 0, -1);
        MainUnitInit({});
        ASSERT_TRUE(ProgramStart());
        form = WebForm;
        form->mnuQuit->Tag = 1;
        // The first activation's start-up work is not what these tests look at.
        FirstActivationDone = 1;
        LayoutPending = false;
        form->move(20, 30);
        form->resize(640, 480);
        form->show();
        QCoreApplication::processEvents();
        ASSERT_TRUE(FitWindow);
    }
    void TearDown() override {
        test::FreeWindows();
        SetStrictModalRuns(false);
        UserInterrupt = false;
        CancelPressed = 0;
    }

    // Runs a five-second pause that `release` ends 50 ms into it: Wait's
    // answer and how long the pause lasted, in milliseconds.
    struct TPause {
        int Result;
        qint64 Elapsed;
    };
    TPause PauseEndedBy(std::function<void()> release) {
        QTimer::singleShot(50, form, release);
        QElapsedTimer clock;
        clock.start();
        const int result = form->Wait(5000);
        return {result, clock.elapsed()};
    }

    TWebForm* form = nullptr;
};

}  // namespace lumvor::test
