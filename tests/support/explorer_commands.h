// The frame of a test that runs the explorer's commands with every message
// box and dialog answered by the test.
#pragma once

#include "app/lumv8900.h"
#include "explorer/xplr8900.h"
#include "imaging/Helpers.h"
#include "platform/Forms.h"

#include <gtest/gtest.h>

#include "support/explorer_state.h"
#include "support/window_hooks.h"

namespace lumvor::test {

// A fresh explorer state, no thumbnail run, and strict modal runs: a box the
// test did not answer counts as a fault.
inline void BeginExplorerCommands() {
    Application.Initialize();
    ResetExplorerState();
    xplr8900::ThumbRunActive = xplr8900::ThumbsComplete = false;
    xplr8900::CurrThumb = xplr8900::ThumbCount = -1;
    xplr8900::CoreCancel = false;
    SetStrictModalRuns(true);
}

// Frees the explorer and checks that every answer queued was used and no box
// ran unanswered.
inline void EndExplorerCommands() {
    delete xplr8900::FileForm;
    xplr8900::FileForm = nullptr;
    ExploreDir.clear();
    lumv8900::ShellOpenDocument = nullptr;
    EXPECT_EQ(QueuedModalAnswers(), 0) << "every box the test expected was shown";
    EXPECT_EQ(UnansweredModalRuns(), 0) << "no box the test did not expect was shown";
    SetStrictModalRuns(false);
    ResetApplicationHooks();
}

}  // namespace lumvor::test
