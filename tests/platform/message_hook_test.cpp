// The message hook without the controls: messages of the lower layers reach
// standard error and a request to stop the long run is dropped.
#include "platform/MessageHook.h"

#include <gtest/gtest.h>

#include <string>

using namespace lumvor;

TEST(MessageHook, WithoutAHookMessagesGoToStandardError) {
    const TMessageHook saved = SetMessageHook({});
    testing::internal::CaptureStderr();
    ShowHookedMessage("Insufficient disk space.\nReq.: 5 Kb", TMessageKind::Warning);
    StopHookedLongRun();
    ShowHookedMessage("Invalid DCX file.", TMessageKind::Error);
    const std::string written = testing::internal::GetCapturedStderr();
    SetMessageHook(saved);
    EXPECT_EQ(written, "Warning: Insufficient disk space.\nReq.: 5 Kb\nError: Invalid DCX file.\n");
}
