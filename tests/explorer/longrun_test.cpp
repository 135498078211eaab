// The pieces the explorer's long runs share: the refusal while busy, the cancel
// rule, the network warnings and the scan-rate line.
#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include <cstdlib>
#include <ostream>
#include <string>
#include <vector>

#include "app/lumv8900.h"
#include "ui/LongRun.h"
#include "platform/Forms.h"
#include "platform/SysUtils.h"
#include "ui/Status_y.h"
#include "support/case_names.h"
#include "support/message_boxes.h"
#include "support/window_hooks.h"

using namespace lumvor;
using namespace lumvor::test;

namespace {

class LongRun : public ::testing::Test {
protected:
    void SetUp() override {
        IsBusy = 0;
        CancelPressed = 0;
        lumv8900::AppQuitting = false;
        lumv8900::NetPasswordWarned = false;
        const char* runtime = std::getenv("XDG_RUNTIME_DIR");
        savedRuntime = runtime ? runtime : "";
        ASSERT_TRUE(runtimeDir.isValid());
        setenv("XDG_RUNTIME_DIR", runtimeDir.path().toUtf8().constData(), 1);
        SetStrictModalRuns(true);
    }
    void TearDown() override {
        EXPECT_EQ(UnansweredModalRuns(), 0);
        SetStrictModalRuns(false);
        setenv("XDG_RUNTIME_DIR", savedRuntime.c_str(), 1);
        IsBusy = 0;
        CancelPressed = 0;
        lumv8900::AppQuitting = false;
        lumv8900::NetPasswordWarned = false;
        ResetApplicationHooks();
    }
    // A folder in the injected mount of the network places.
    std::string NetworkPlace(const std::string& name) {
        const std::string path = runtimeDir.path().toStdString() + "/gvfs/" + name + "/";
        EXPECT_TRUE(QDir().mkpath(QString::fromStdString(path)));
        return path;
    }

    QTemporaryDir runtimeDir;
    std::string savedRuntime;
    std::vector<Box> boxes;
};

TEST_F(LongRun, RefusesWhileAnotherRunIsBusy) {
    EXPECT_FALSE(LongRunRefused());
    IsBusy = 1;
    Answer(boxes, mrOk);
    EXPECT_TRUE(LongRunRefused());
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "A critical process is being executed.\nCancel the process to proceed.");
    EXPECT_EQ(IsBusy, 1);
}

// The cancel rule: what each state of the flags and each answer leads to.
struct CancelCase {
    const char* name;
    bool cancelPressed;
    bool quitting;
    int answer;  // 0: no question expected
    bool ends;
    bool pressedAfter;
};
void PrintTo(const CancelCase& c, std::ostream* os) { *os << c.name; }

class CancelRule : public LongRun, public ::testing::WithParamInterface<CancelCase> {};

TEST_P(CancelRule, AsksOnlyWhenCancelledAndNotQuitting) {
    const CancelCase c = GetParam();
    CancelPressed = c.cancelPressed;
    lumv8900::AppQuitting = c.quitting;
    if (c.answer)
        Answer(boxes, c.answer);
    EXPECT_EQ(LongRunCancelled(), c.ends);
    EXPECT_EQ(CancelPressed != 0, c.pressedAfter);
    if (c.answer) {
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, "Cancel batch operation?");
    } else {
        EXPECT_TRUE(boxes.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Flags, CancelRule,
    ::testing::Values(CancelCase{"NothingPressed", false, false, 0, false, false},
                      CancelCase{"YesEndsTheRun", true, false, mrYes, true, true},
                      CancelCase{"NoGoesOn", true, false, mrNo, false, false},
                      CancelCase{"ClosedBoxGoesOn", true, false, mrCancel, false, false},
                      CancelCase{"QuittingEndsWithoutAsking", false, true, 0, true, true},
                      CancelCase{"QuittingAfterCancelEndsWithoutAsking", true, true, 0, true, true}),
    CaseNames<&CancelCase::name>);

TEST_F(LongRun, LocalFoldersAndMountedNetworkDrivesPassWithoutWarning) {
    EXPECT_TRUE(NetworkRunAllowed("/tmp/"));
    EXPECT_TRUE(NetworkRunAllowed(runtimeDir.path().toStdString() + "/"));
    EXPECT_TRUE(boxes.empty());
}

TEST_F(LongRun, NetworkPlaceWarnsAndIgnoreLastsForTheRun) {
    const std::string share = NetworkPlace("smb-share:server=nas,share=photos");
    Answer(boxes, mrCancel);
    EXPECT_FALSE(NetworkRunAllowed(share));
    Answer(boxes, mrOk);
    EXPECT_TRUE(NetworkRunAllowed(share));
    EXPECT_FALSE(lumv8900::NetPasswordWarned);
    Answer(boxes, mrIgnore);
    EXPECT_TRUE(NetworkRunAllowed(share + "2019/"));
    EXPECT_TRUE(lumv8900::NetPasswordWarned);
    EXPECT_TRUE(NetworkRunAllowed(share));  // no box any more
    ASSERT_EQ(boxes.size(), 3u);
    for (const Box& box : boxes) {
        EXPECT_EQ(box.text.rfind("Password dialogs are NOT invoked for recursive lists of networked resources.\n", 0),
                  0u);
        EXPECT_TRUE(box.hasIgnore);
    }
}

TEST_F(LongRun, ServerRootAsksForASharedFolderEvenWhenIgnored) {
    lumv8900::NetPasswordWarned = true;
    const std::string mount = runtimeDir.path().toStdString() + "/gvfs/";  // the places' mount itself
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(mount)));
    Answer(boxes, mrCancel);
    EXPECT_FALSE(NetworkRunAllowed(mount));
    Answer(boxes, mrCancel);
    EXPECT_FALSE(NetworkRunAllowed("//nas/"));
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, "Please select a shared folder from the server.\n" + mount);
    EXPECT_EQ(boxes[1].text, "Please select a shared folder from the server.\n//nas/");
    EXPECT_FALSE(IsNetworkServerRoot("//nas/photos/"));
}

struct RateCase {
    const char* name;
    int64_t files;
    int32_t units;
    const char* text;
};
void PrintTo(const RateCase& c, std::ostream* os) { *os << c.name; }

class ScanRate : public ::testing::TestWithParam<RateCase> {};

TEST_P(ScanRate, ShowsFilesPerMinuteFromTwoUnitsOn) {
    EXPECT_EQ(ScanRateText(GetParam().files, GetParam().units), GetParam().text);
}

// 100 units of 600 ms are one minute.
INSTANTIATE_TEST_SUITE_P(
    Units, ScanRate,
    ::testing::Values(RateCase{"NothingBeforeTwoUnits", 5000, 1, ""},
                      RateCase{"NothingAtTheStart", 0, 0, ""},
                      RateCase{"TwoUnits", 30, 2, "Files scanned: 30 ... Files/min: 1500"},
                      RateCase{"OneMinute", 12345, 100, "Files scanned: 12345 ... Files/min: 12345"},
                      RateCase{"RoundsDown", 7, 3, "Files scanned: 7 ... Files/min: 233"},
                      RateCase{"PastTwoBillionFiles", 3000000000LL, 200,
                               "Files scanned: 3000000000 ... Files/min: 1500000000"}),
    CaseNames<&RateCase::name>);

TEST_F(LongRun, PacerLetsTheFirstUpdateThroughThenSpacesThem) {
    TProgressPacer pacer(200);
    EXPECT_TRUE(pacer.Due());
    EXPECT_FALSE(pacer.Due());
    WaitWithEvents(220);
    EXPECT_TRUE(pacer.Due());
}

TEST_F(LongRun, ProgressClockCountsUnitsOfSixHundredMilliseconds) {
    lumv8900::ProgressStartTick = GetTickCount() - 1300;
    EXPECT_EQ(ScanRateStatus(100), "Files scanned: 100 ... Files/min: 5000");
    EXPECT_EQ(lumv8900::ProgressElapsed, 2);
    StartProgressClock();
    EXPECT_EQ(ScanRateStatus(100), "");
}

}  // namespace
