// The memory check before large work, the memory report, the temporary bitmap
// file and the rebuild of the picture after a failed backup.
#include "app_test_tools.h"
#include "save_form_fixture.h"

#include "state/MemoryStatus.h"
#include "imaging/Helpers.h"
#include "imgman/imgman.h"
#include "platform/Clipbrd.h"
#include "platform/Folders.h"
#include "platform/SysUtils.h"
#include "support/case_names.h"
#include "support/file_helpers.h"
#include "support/picture_compare.h"
#include "support/pil_script.h"
#include "ui/Status_y.h"

#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QRegularExpression>

#include <cstring>

using namespace lumvor;
using namespace lumvor::lumv8900;
using namespace lumvor::test;

namespace {

constexpr int64_t MiB = 1048576;
constexpr int64_t GiB = 1024 * MiB;

// The status of the fixture machine: /proc/meminfo with 2 GiB of swap, and
// /proc/self/status of a small process.
TMemoryStatus FixtureStatus() {
    TMemoryStatus status;
    ParseMemInfo(ReadFileText(Fixture("memory/meminfo")), status);
    ParseProcessStatus(ReadFileText(Fixture("memory/self_status")), status);
    return status;
}

class MemoryTest : public ImageWindowTest {
protected:
    void TearDown() override {
        MemoryStatusReader = nullptr;
        MemoryProbe = nullptr;
        AutoFixBusy = false;
        QGuiApplication::clipboard()->clear();
        ImageWindowTest::TearDown();
    }
    // A picture of the given size in bytes as far as the check counts it.
    void PictureOfBytes(int64_t bytes) {
        ImageBitCount = 24;
        ImageWidth = 1024;
        ImageHeight = int32_t(bytes / (3 * 1024));
    }
};

// ---- The check

struct LowMemoryCase {
    const char* name;
    int64_t required;
    TMemoryStatus status;
    bool allocates;
    bool low;
    std::string message;  // "" when no box is shown
};

void PrintTo(const LowMemoryCase& c, std::ostream* os) { *os << c.name; }

TMemoryStatus Available(int64_t bytes, uint64_t limit = 0, uint64_t mapped = 0) {
    TMemoryStatus status;
    status.MemTotal = uint64_t(16 * GiB);
    status.MemAvailable = uint64_t(bytes);
    status.AddressLimit = limit;
    status.VmSize = mapped;
    return status;
}

std::string LowText(int64_t required, int64_t actual) {
    return "Free memory is fragmented or running low.\nSelect Tools | Memory to clear and check buffers.\n\nRequired=" +
           std::to_string(required) + " Actual=" + std::to_string(actual);
}

class MemoryRunningLowTest : public MemoryTest, public ::testing::WithParamInterface<LowMemoryCase> {};

TEST_P(MemoryRunningLowTest, ComparesWithWhatTheMachineCanGive) {
    const LowMemoryCase& c = GetParam();
    PictureOfBytes(c.required);
    ASSERT_EQ(WebForm->ImageDataSize(), c.required);
    MemoryStatusReader = [&c] { return c.status; };
    std::vector<int64_t> probed;
    MemoryProbe = [&](int64_t bytes) {
        probed.push_back(bytes);
        return c.allocates;
    };
    std::vector<Box> boxes;
    if (!c.message.empty())
        Answer(boxes, mrOk);
    EXPECT_EQ(TWebForm::MemoryRunningLow(), c.low);
    if (c.message.empty()) {
        EXPECT_TRUE(boxes.empty());
    } else {
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, c.message);
    }
    // The allocation is tried only for what the machine has.
    if (uint64_t(c.required) <= AvailableMemory(c.status)) {
        EXPECT_EQ(probed, std::vector<int64_t>{c.required});
    } else {
        EXPECT_TRUE(probed.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MemoryRunningLowTest,
    ::testing::Values(
        // Far beyond the old fixed probe of 255 MiB, and still not low.
        LowMemoryCase{"Picture300MiBWith2GiBAvailable", 300 * MiB, Available(2 * GiB), true, false, ""},
        LowMemoryCase{"MoreThanAvailable", 300 * MiB, Available(200 * MiB), true, true,
                      LowText(300 * MiB, 200 * MiB)},
        LowMemoryCase{"AllocationRefused", 300 * MiB, Available(2 * GiB), false, true,
                      LowText(300 * MiB, 2 * GiB)},
        // 1 GiB of address space of which 900 MiB are mapped leaves 124 MiB.
        LowMemoryCase{"AddressSpaceLimit", 300 * MiB, Available(2 * GiB, uint64_t(GiB), uint64_t(900 * MiB)), true,
                      true, LowText(300 * MiB, 124 * MiB)},
        LowMemoryCase{"ExactlyAvailable", 300 * MiB, Available(300 * MiB), true, false, ""}),
    CaseNames<&LowMemoryCase::name>);

TEST_F(MemoryTest, AnAutomaticFixKeepsItsCursor) {
    PictureOfBytes(4 * MiB);
    MemoryStatusReader = [] { return Available(GiB); };
    MemoryProbe = [](int64_t) { return true; };
    for (bool fixing : {true, false}) {
        AutoFixBusy = fixing;
        Screen.SetCursor(crHourGlass);
        EXPECT_FALSE(TWebForm::MemoryRunningLow());
        EXPECT_EQ(Screen.Cursor(), fixing ? crHourGlass : crDefault) << fixing;
    }
}

TEST_F(MemoryTest, TheMachinesOwnMemoryHoldsASmallPicture) {
    PictureOfBytes(MiB);
    EXPECT_FALSE(TWebForm::MemoryRunningLow());
    const TMemoryStatus status = ReadMemoryStatus();
    EXPECT_GT(status.MemTotal, 0u);
    EXPECT_GT(status.VmSize, 0u);
    EXPECT_LE(status.MemAvailable, status.MemTotal);
}

// ---- The report

struct KernelCase {
    const char* release;
    const char* line;
};

void PrintTo(const KernelCase& c, std::ostream* os) { *os << c.release; }

class MemoryReportTest : public MemoryTest, public ::testing::WithParamInterface<KernelCase> {};

TEST_P(MemoryReportTest, ReadsLineForLine) {
    TMemoryStatus status = FixtureStatus();
    status.AddressLimit = uint64_t(8 * GiB);
    MemoryStatusReader = [status] { return status; };
    WinVersion = KernelVersionNumber(GetParam().release);
    ScreenWidth = 1280;
    ScreenHeight = 1024;
    ScreenColorBits = 24;
    ImageHistoryList.Add("/pictures/a.jpg");
    ImageHistoryList.Add("/pictures/b.jpg");
    std::vector<Box> boxes;
    Answer(boxes, mrOk);
    WebForm->mnuMemoryClick(WebForm->mnuMemory);
    ASSERT_EQ(boxes.size(), 1u);
    // The numbers as awk computes them from the fixture (kB / 1024, truncated).
    EXPECT_EQ(boxes[0].text, std::string("Memory Utilization: 25 (100=max)\n\n"
                                         "Total Physical Memory: 24103 Mb\n"
                                         "Total Paged Memory: 26151 Mb\n"
                                         "Free Paged Memory: 18950 Mb\n"
                                         "Total Virtual Memory: 8192 Mb\n"
                                         "Free Virtual Memory: 8189 Mb\n"
                                         "Largest Free Block: 8189 Mb\n\n") +
                                 GetParam().line +
                                 "\nDisplay: 1280 x 1024 (24 bpp)\n\n"
                                 "Viewer bookmarks: 2 items");
}

INSTANTIATE_TEST_SUITE_P(Kernels, MemoryReportTest,
                         ::testing::Values(KernelCase{"6.1.0-18-amd64", "Linux version: 6.1"},
                                           KernelCase{"5.10.0", "Linux version: 5.1"},
                                           KernelCase{"6.8-rc3", "Linux version: 6.8"}),
                         [](const ::testing::TestParamInfo<KernelCase>& info) {
                             return "Kernel" + std::to_string(info.index);
                         });

TEST_F(MemoryTest, WithoutALimitTheWholeAddressSpaceCounts) {
    const TMemoryStatus status = FixtureStatus();
    MemoryStatusReader = [status] { return status; };
    std::vector<Box> boxes;
    Answer(boxes, mrOk);
    WebForm->mnuMemoryClick(WebForm->mnuMemory);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].text.find("Total Virtual Memory: 134217728 Mb\n"
                                 "Free Virtual Memory: 134217725 Mb\n"
                                 "Largest Free Block: 17926 Mb"),
              std::string::npos)
        << boxes[0].text;
}

// The spare bitmaps each hold a picture.
void FillSpares() {
    for (std::unique_ptr<TBitmap>* spare : {&WorkBitmap, &BackupBitmap, &DuplicateBitmap}) {
        if (!*spare)
            *spare = std::make_unique<TBitmap>();
        MakePicture(**spare, 24, 9, 7);
    }
}

bool SparesEmpty() {
    for (std::unique_ptr<TBitmap>* spare : {&WorkBitmap, &BackupBitmap, &DuplicateBitmap})
        if (*spare && !(*spare)->GetEmpty())
            return false;
    return true;
}

TEST_F(MemoryTest, FromThePasteCommandNothingIsShownAndTheClipboardStays) {
    MemoryStatusReader = FixtureStatus;
    FillSpares();
    QGuiApplication::clipboard()->setImage(QImage(4, 4, QImage::Format_RGB32));
    CancelPressed = 0;
    WebForm->mnuMemoryClick(WebForm->mnuPaste);
    EXPECT_TRUE(Clipboard().HasFormat(CF_BITMAP));
    EXPECT_TRUE(SparesEmpty());
    EXPECT_EQ(CancelPressed, 1);
    EXPECT_EQ(Screen.Cursor(), crDefault);
}

TEST_F(MemoryTest, OtherwiseTheClipboardAndTheSparesAreEmptiedAndABatchStops) {
    MemoryStatusReader = FixtureStatus;
    FillSpares();
    QGuiApplication::clipboard()->setImage(QImage(4, 4, QImage::Format_RGB32));
    CancelPressed = 0;
    std::vector<Box> boxes;
    Answer(boxes, mrOk);
    WebForm->mnuMemoryClick(WebForm->mnuMemory);
    EXPECT_EQ(boxes.size(), 1u);
    EXPECT_FALSE(Clipboard().HasFormat(CF_BITMAP));
    EXPECT_TRUE(SparesEmpty());
    EXPECT_EQ(CancelPressed, 1);
}

TEST_F(MemoryTest, FromTheExplorerTheBookmarksAreLeftOut) {
    MemoryStatusReader = FixtureStatus;
    ImageHistoryList.Add("/pictures/a.jpg");
    std::vector<Box> boxes;
    Answer(boxes, mrOk);
    WebForm->mnuMemoryClick(xplr8900::FileForm);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text.find("Viewer bookmarks"), std::string::npos);
    EXPECT_NE(boxes[0].text.find("bpp)"), std::string::npos);
    EXPECT_EQ(CancelPressed, 1);
}

// ---- The temporary bitmap file

TEST_F(MemoryTest, TheTemporaryBitmapIsNamedByRunAndProcessAndReplacesAnOlderOne) {
    TBitmap picture;
    MakePicture(picture, 24, 13, 9);
    const QString pid = QString("%1").arg(QCoreApplication::applicationPid(), 8, 16, QChar('0')).toUpper();
    TempPrefix = "0A1B2C3D";  // drawn at the first activation
    const std::string expected = TempFolder() + "0A1B2C3D" + pid.toStdString() + "vo_process.bmp";
    WriteFileText(expected, "an older file");
    const std::string name = WebForm->SaveTempBitmap(picture);
    EXPECT_EQ(name, expected);
    ASSERT_TRUE(FileExists(name));
    EXPECT_EQ(ReadFileText(name).substr(0, 2), "BM");

    if (!QFile::exists("/usr/bin/python3"))
        GTEST_SKIP() << "python3 with PIL is needed";
    const std::string ppm = ProgramFolder() + "temp_bitmap.ppm";
    ASSERT_EQ(RunPilScript("import sys; from PIL import Image; im = Image.open(sys.argv[1]); "
                           "assert im.format == 'BMP' and im.mode == 'RGB', (im.format, im.mode); im.save(sys.argv[2])",
                           {QString::fromStdString(name), QString::fromStdString(ppm)}),
              "");
    EXPECT_TRUE(SamePixels(ReadPpm(ppm), 13, 9, [&](int x, int y) { return ColorAt(picture, x, y); }));
    DeleteFileNow(name);
}

// ---- Rebuilding the picture

class RecoverTest : public MemoryTest, public ::testing::WithParamInterface<int> {};

TEST_P(RecoverTest, ThePictureComesBackWholeAndTheLibraryHandleIsClosed) {
    TBitmap original;
    MakePicture(original, GetParam());
    Show(original, "/pictures/kept.bmp");
    ASSERT_NE(WebForm->ExportBitmapToImg(), 0);
    const int handle = ImgHandle;
    WebForm->RecoverBitmap();
    EXPECT_TRUE(SamePicture(Display(), original));
    EXPECT_EQ(ImageWidth, original.Width());
    EXPECT_EQ(ImageHeight, original.Height());
    EXPECT_EQ(ImageBitCount, GetParam());
    EXPECT_EQ(FileName, "/pictures/kept.bmp");
    EXPECT_EQ(ImgHandle, 0);
    EXPECT_EQ(ImgClose(handle), 0);  // gone from the library too
}

INSTANTIATE_TEST_SUITE_P(Depths, RecoverTest, ::testing::Values(1, 4, 8, 24), CaseNames<&DepthName>);

}  // namespace
