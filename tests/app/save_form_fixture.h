// The image window made for the tests of saving, undo and drops, and the
// pictures they work on.
#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QPlainTextEdit>

#include "album/show8900.h"
#include "app/dialogs/batch_8900.h"
#include "app/dialogs/filter_8900.h"
#include "app/lumv8900.h"
#include "explorer/xplr8900.h"
#include "platform/Forms.h"
#include "platform/Menus.h"
#include "processing/tonal/Histogram.h"
#include "support/message_boxes.h"
#include "support/window_hooks.h"
#include "ui/Pix.h"
#include "zip/Unzip_8900.h"

#include <algorithm>
#include <string>
#include <vector>

namespace lumvor::test {

// The name of a depth's case in parameterised tests: "1bit" to "24bit".
inline std::string DepthName(int bits) { return std::to_string(bits) + "bit"; }

// A picture of bits per pixel with a pattern in every pixel; indexed pictures
// get a palette of distinct colours.
inline void MakePicture(TBitmap& b, int bits, int width = 37, int height = 23) {
    b.SetPixelFormat(DepthPixelFormat(bits));
    b.SetSize(width, height);
    if (bits <= 8) {
        const int count = 1 << bits;
        std::vector<uint32_t> table(static_cast<size_t>(count));
        for (int i = 0; i < count; ++i)
            table[size_t(i)] = bits == 1 ? (i ? 0xFFFFFFu : 0u)
                                         : uint32_t((i * 53) & 0xFF) << 16 | uint32_t((i * 101 + 7) & 0xFF) << 8 |
                                               uint32_t((255 - i * 17) & 0xFF);
        b.SetPalette(PaletteFromColorTable(table));
        for (int y = 0; y < height; ++y) {
            uint8_t* row = b.ScanLine(y);
            for (int x = 0; x < width; ++x) {
                const int v = (x + 3 * y) % count;
                if (bits == 8) {
                    row[x] = uint8_t(v);
                } else if (bits == 4) {
                    row[x / 2] = uint8_t(x % 2 ? (row[x / 2] & 0xF0) | v : (row[x / 2] & 0x0F) | v << 4);
                } else {
                    const uint8_t mask = uint8_t(0x80 >> (x % 8));
                    row[x / 8] = uint8_t(v ? row[x / 8] | mask : row[x / 8] & ~mask);
                }
            }
        }
        return;
    }
    for (int y = 0; y < height; ++y) {
        uint8_t* row = b.ScanLine(y);
        for (int x = 0; x < width; ++x) {
            row[3 * x] = uint8_t(x * 7);
            row[3 * x + 1] = uint8_t(y * 11);
            row[3 * x + 2] = uint8_t((x * y) & 0xFF);
        }
    }
}

// Same size, depth, palette and bytes (row padding aside).
inline ::testing::AssertionResult SamePicture(const TBitmap& expected, const TBitmap& actual) {
    if (expected.Width() != actual.Width() || expected.Height() != actual.Height() ||
        expected.PixelFormat() != actual.PixelFormat())
        return ::testing::AssertionFailure()
               << actual.Width() << "x" << actual.Height() << "(" << PixelFormatDepth(actual.PixelFormat())
               << "), expected " << expected.Width() << "x" << expected.Height() << "("
               << PixelFormatDepth(expected.PixelFormat()) << ")";
    if (!actual.GetEmpty() && expected.Handle()->ColorTable != actual.Handle()->ColorTable)
        return ::testing::AssertionFailure() << "the colour tables differ";
    const int64_t used = (int64_t(actual.Width()) * DepthBits(PixelFormatDepth(actual.PixelFormat())) + 7) / 8;
    for (int y = 0; y < actual.Height(); ++y)
        for (int64_t i = 0; i < used; ++i)
            if (expected.ScanLine(y)[i] != actual.ScanLine(y)[i])
                return ::testing::AssertionFailure() << "row " << y << " byte " << i << ": "
                                                     << int(actual.ScanLine(y)[i]) << ", expected "
                                                     << int(expected.ScanLine(y)[i]);
    return ::testing::AssertionSuccess();
}

// Colour (0x00RRGGBB) of a bitmap's pixel.
inline uint32_t ColorAt(const TBitmap& b, int x, int y) { return b.Handle()->GetColor(x, y) & 0xFFFFFF; }

class ImageWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ClearModalAnswers();
        SetStrictModalRuns(true);
        using namespace lumv8900;
        ViewerControls = TViewerControls{};
        JpegWizardSettings = TJpegWizardSettings{};
        FirstActivationDone = 0;
        ImageChanged = FullScreen = SlideshowRunning = MediaMode = false;
        ImageHistoryList.Clear();
        SaveDir.clear();
        TempStr.clear();
        JpegCommentText.clear();
        batch_8900::BatchRunning = batch_8900::NoLabBackup = batch_8900::BatchFormActive = false;
        MainUnitInit({});
        ASSERT_TRUE(ProgramStart());
        WebForm->mnuQuit->Tag = 1;
        // The window counts as activated once: the tests' own activations only
        // refresh the bars.
        FirstActivationDone = 1;
        WebForm->PendingCalls.clear();
    }
    void TearDown() override {
        using namespace lumv8900;
        delete batch_8900::BatchForm;
        batch_8900::BatchForm = nullptr;
        delete Unzip_8900::UnZipForm;
        Unzip_8900::UnZipForm = nullptr;
        delete xplr8900::FileForm;
        xplr8900::FileForm = nullptr;
        delete WebForm;
        WebForm = nullptr;
        ResetApplicationHooks();
        SetStrictModalRuns(false);
    }
    // Shows the picture in the window as the current, loaded picture.
    void Show(const TBitmap& b, const std::string& name = "/pictures/shown.bmp") {
        using namespace lumv8900;
        WebForm->Daz95->Bitmap()->Assign(&b);
        ImageWidth = b.Width();
        ImageHeight = b.Height();
        ImageBitCount = PixelFormatDepth(b.PixelFormat());
        FileName = name;
        FileExt = ".BMP";
    }
    TBitmap& Display() { return *lumv8900::WebForm->Daz95->Bitmap(); }
    // The recorded Lab script, line by line.
    std::vector<std::string> Script() const {
        std::vector<std::string> lines;
        for (int i = 0; i < lumv8900::LabScript.Count(); ++i)
            lines.push_back(lumv8900::LabScript[i]);
        return lines;
    }
    // The recorded calls of routines still to come, without the bar refreshes
    // every activation makes.
    std::vector<std::string> Calls() const {
        std::vector<std::string> out;
        for (const std::string& call : lumv8900::WebForm->PendingCalls)
            if (call != "ShortCuts_Enable" && call != "ToolbarResize")
                out.push_back(call);
        return out;
    }
    bool Called(const std::string& call) const {
        const auto& calls = lumv8900::WebForm->PendingCalls;
        return std::find(calls.begin(), calls.end(), call) != calls.end();
    }
};

// The image window with the editing commands' state (flags, filter
// parameters, maps, histogram, recorded script) reset around each test.
class LabWindowTest : public ImageWindowTest {
protected:
    // Runs Lines as the Lab Script window's Perform does.
    static void RunLabScript(const std::vector<std::string>& lines) {
        if (!batch_8900::BatchForm)
            batch_8900::BatchForm = new TBatchForm();
        std::string text;
        for (const std::string& line : lines) text += line + "\n";
        batch_8900::BatchForm->Memo1->setPlainText(QString::fromStdString(text));
        TScopedFlag running(batch_8900::BatchRunning, true);
        lumv8900::WebForm->DoBatchImageProcess();
    }
    // A small 24-bit picture on screen for the filter dialogs, which then open
    // at their default place in actual view on the whole picture.
    void ShowDialogPicture() {
        filter_8900::FilterDlgPos = {};
        lumv8900::WebForm->chkSelectTool->SetChecked(true);
        lumv8900::LastSelection = TRect{};
        TBitmap picture;
        MakePicture(picture, 24, 40, 30);
        Show(picture);
    }
    void SetUp() override {
        ImageWindowTest::SetUp();
        ResetLabState();
        ClearHistogram();
        lumv8900::AutoFixBusy = false;
        lumv8900::LabScript.Clear();
    }
    void TearDown() override {
        ImageWindowTest::TearDown();
        lumv8900::LabScript.Clear();
        ResetLabState();
        ClearHistogram();
    }
};

}  // namespace lumvor::test
