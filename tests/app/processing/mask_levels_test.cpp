// The Lab's Mask Levels, Average and Interlace commands, the filter dialog's
// masked and multiply-mask previews, and the Lab menus' item states: the
// commands driven with canned and real dialog answers, their pictures
// compared with the headless routines (themselves checked against numpy).
#include "app/save_form_fixture.h"
#include "app/app_test_tools.h"

#include "platform/Menus.h"
#include "processing/dialogs/FilterDlgModel.h"
#include "app/dialogs/filter_8900.h"
#include "processing/lab/MultiplyMasks.h"
#include "processing/lab/PixelArithmetic.h"
#include "processing/lab/TonalComposites.h"
#include "app/dialogs/batch_8900.h"
#include "processing/tonal/ColorMaps.h"
#include "processing/tonal/HLSFilters.h"
#include "support/bitmap_raster.h"
#include "ui/ExTrackBar.h"
#include "ui/Pix.h"

#include <QCheckBox>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

using namespace lumvor;
using namespace lumvor::lumv8900;
using namespace lumvor::test;

namespace {

class MaskLevelsTest : public LabWindowTest {
protected:
    void SetUp() override {
        LabWindowTest::SetUp();
        ShowDialogPicture();
        original.Assign(&Display());
    }
    void TearDown() override {
        filter_8900::FilterDlgPos = {};
        DuplicateBitmap.reset();
        BackupBitmap.reset();
        ParkedDuplicate.reset();
        LabWindowTest::TearDown();
    }
    // The duplicate: the picture's negative.
    void DuplicateNegative() {
        DuplicateBitmap = std::make_unique<TBitmap>();
        DuplicateBitmap->Assign(&Display());
        InvertBitmap(*DuplicateBitmap);
    }
    // The picture shown, against Expected.
    ::testing::AssertionResult Shows(const TBitmap& expected) { return SameBitmap(RasterOfBitmap(expected), Display()); }
    // Answers the next filter dialog from the user's side: Work moves its
    // controls; once a preview has run with them, Apply.
    static void AnswerDialog(std::function<void(TFilterDlg&)> work, std::function<void(TFilterDlg&)> check = {}) {
        QueueModalAction([work, check](QDialog& dialog) {
            auto& form = static_cast<TFilterDlg&>(dialog);
            if (QTest::qWaitFor([&] { return form.btnOK->isEnabled(); }, 3000)) {
                const int before = form.Model.PreviewCount;
                work(form);
                // The debounced preview of the last change has run.
                QTest::qWait(3 * FilterPreviewDelay);
                const bool previewed =
                    QTest::qWaitFor([&] { return form.Model.PreviewCount > before && form.btnOK->isEnabled(); }, 3000);
                EXPECT_TRUE(previewed);
                if (check)
                    check(form);
                form.btnOK->click();
            }
            if (dialog.isVisible())
                dialog.done(mrCancel);
        });
    }
    // Opens an exposure group on the method at Choice over a duplicate of the
    // picture (as the exposure commands do), moves the controls with Work and
    // applies; expects the modified pane to show Expected after the preview.
    TFilterDlgResult PreviewExposureMethod(int32_t Group, int32_t Choice, std::function<void(TFilterDlg&)> work,
                                           const TBitmap& Expected) {
        DuplicateBitmap = std::make_unique<TBitmap>();
        DuplicateBitmap->Assign(&original);
        TFilterDlgParam param{};
        param.MethodCode = Group;
        param.StartChoice = Choice;
        param.CustomSliders = 1;
        param.PresetLevel2 = 200;
        bool shown = false;
        AnswerDialog(std::move(work),
                     [&](TFilterDlg& form) { shown = SameBitmap(RasterOfBitmap(Expected), *form.AfterPix->Bitmap()); });
        TFilterDlgResult result{};
        ExecuteFilterDlg("", "", "", param, result);
        EXPECT_TRUE(shown);
        return result;
    }
    TBitmap original;
};

// ---- Mask Levels

TEST_F(MaskLevelsTest, MaskLevelsRunsTheChosenCompositeAndRecordsItsLine) {
    struct Case {
        int method;
        std::string line;
        std::function<void(TBitmap& picture, const TBitmap& duplicate)> routine;
    };
    const Case cases[] = {
        {503, "MASK_HIGHLIGHTS=150,60",
         [](TBitmap& p, const TBitmap& d) { CompositeMaskBitmap(p, d, 150, 60, false); }},
        {502, "MASK_SHADOWS=150,60", [](TBitmap& p, const TBitmap& d) { CompositeMaskBitmap(p, d, 150, 60, true); }},
        {501, "MASK_MIDTONES=150,60", [](TBitmap& p, const TBitmap& d) { CompositeMidTonesBitmap(p, d, 150, 60); }},
        {531, "MASK_CONTRAST=150,60", [](TBitmap& p, const TBitmap& d) { CompositeContrastBitmap(p, d, 150, 60); }},
        {532, "MASK_GRAYSCALE", CompositeGrayBitmap},
    };
    for (bool scriptRuns : {false, true}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(c.line + (scriptRuns ? " in a script" : ""));
            Show(original);
            DuplicateNegative();
            LabScript.Clear();
            TBitmap expected;
            expected.Assign(&original);
            c.routine(expected, *DuplicateBitmap);
            QueueModalAction(FilterDlgAnswer({c.method, 3, 150, 60, 100, 0, 0}));
            {
                TScopedFlag running(batch_8900::BatchRunning, scriptRuns);
                WebForm->mnuMaskLevelsClick(WebForm->mnuMaskLevels);
            }
            EXPECT_EQ(Script(), std::vector<std::string>{c.line});
            EXPECT_TRUE(Shows(expected));
            EXPECT_EQ(std::tuple(FilterCustom1, FilterCustom2, FilterCustom3), std::tuple(150, 60, 100));
        }
    }
    // Cancel changes nothing and records nothing.
    Show(original);
    DuplicateNegative();
    LabScript.Clear();
    QueueModalAction(FilterDlgAnswer({503, -999, 0, 0, 0, 0, 0}));
    WebForm->mnuMaskLevelsClick(WebForm->mnuMaskLevels);
    EXPECT_TRUE(Script().empty());
    EXPECT_TRUE(Shows(original));
}

TEST_F(MaskLevelsTest, MaskLevelsDialogOffersTheGroupOnASilverPanel) {
    DuplicateNegative();
    std::string caption;
    int32_t method = 0;
    TColor panel{};
    QueueModalAction([&](QDialog& dialog) {
        auto& form = static_cast<TFilterDlg&>(dialog);
        caption = form.windowTitle().toStdString();
        method = form.Model.Method;
        panel = form.Model.SelectedColor;
        dialog.done(mrCancel);
    });
    WebForm->mnuMaskLevelsClick(WebForm->mnuMaskLevels);
    EXPECT_EQ(caption, "Combine Bitmaps: Masked Levels");
    EXPECT_EQ(method, 503);
    EXPECT_EQ(panel, TColor{0xC0C0C0});
}

// ---- Average and Interlace

TEST_F(MaskLevelsTest, AverageRecordsItsPercentageWhichStartsTheNextDialog) {
    DuplicateNegative();
    QueueModalAction(FilterDlgAnswer({500, 50, 0, 0, 0, 0, 0}));
    WebForm->mnuAverage1->trigger();
    EXPECT_EQ(Script(), std::vector<std::string>{"AVERAGE=50"});
    EXPECT_EQ(WebForm->mnuAverage1->Tag, 50);
    TBitmap expected;
    expected.Assign(&original);
    AverageBitmaps(expected, *DuplicateBitmap, 50);
    EXPECT_TRUE(Shows(expected));

    WebForm->mnuAverage1->Tag = 27;
    int start = 0;
    std::string caption, low;
    QueueModalAction([&](QDialog& dialog) {
        auto& form = static_cast<TFilterDlg&>(dialog);
        start = form.ScrollBarCustom[0]->Position();
        caption = form.windowTitle().toStdString();
        dialog.done(mrCancel);
    });
    WebForm->mnuAverage1->trigger();
    EXPECT_EQ(start, 27);
    EXPECT_EQ(caption, "Average Bitmaps (%)");
}

TEST_F(MaskLevelsTest, InterlaceThroughTheDialogBlendsOneFieldRecordsAndReplays) {
    DuplicateNegative();
    InterlaceField = 1;
    AnswerDialog([](TFilterDlg& form) {
        form.ScrollBarCustom[0]->SetPosition(40);
        form.ScrollBarCustom[1]->SetPosition(0);
    });
    WebForm->mnuInterLace1->trigger();
    EXPECT_EQ(UnansweredModalRuns(), 0);
    EXPECT_EQ(Script(), std::vector<std::string>{"INTERLACE=40,0"});
    EXPECT_EQ(WebForm->mnuInterLace1->Tag, 40);
    EXPECT_EQ(InterlaceField, 0);
    TBitmap expected;
    expected.Assign(&original);
    AverageField(expected, *DuplicateBitmap, 40, 0);
    EXPECT_TRUE(Shows(expected));
    // Only the rows 1, 3, 5, ... changed.
    for (int y = 0; y < Display().Height(); y += 2)
        for (int x = 0; x < Display().Width(); ++x) {
            ASSERT_EQ(PixelAt(Display(), x, y), PixelAt(original, x, y)) << x << "," << y;
        }
    // The line replays to the same bytes (a run starts with empty buffers:
    // the script makes the same duplicate first).
    Show(original);
    std::vector<std::string> lines{"DUPLICATE", "NEGATIVE", "SWAP"};
    lines.push_back(Script().front());
    RunLabScript(lines);
    EXPECT_TRUE(Shows(expected));
}

// ---- The filter dialog's previews

// The picture with the exposure change of a method, as the command makes it.
void Changed(const TBitmap& picture, const std::function<void(TBitmap&)>& change, TBitmap& changed) {
    changed.Assign(&picture);
    change(changed);
}

TEST_F(MaskLevelsTest, MaskedPreviewsShowTheCompositeAndApplyReturnsTheCommandsValues) {
    struct Case {
        const char* name;
        int32_t group;
        int32_t choice;
        int maskSlider;  // 0-based row of the mask slider
        std::function<void(TBitmap&)> change;
        bool shadows;
        int mask;
        TFilterDlgResult applied;  // method and custom values at Apply
    };
    const Case cases[] = {
        {"GammaSuppression", 9990111, 1, 2,
         [](TBitmap& b) {
             for (int k = 0; k < 3; ++k) SetGammaLUT(120, k, false);
             NegColorFilterBitmap(b);
         },
         true, 300, {105, 120, 300, 0, 120, 0, 0}},
        {"LevelsBackFill", 9990110, 1, 0,
         [](TBitmap& b) {
             for (int k = 0; k < 3; ++k) SetStretchLUT(0, 200, k);
             ColorFilterBitmap(b);
         },
         false, 260, {9130, 260, 260, 200, 100, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TBitmap expected;
        expected.Assign(&original);
        TBitmap changed;
        Changed(original, c.change, changed);
        CompositeMaskBitmap(expected, changed, c.mask, 99, c.shadows);
        const TFilterDlgResult result = PreviewExposureMethod(
            c.group, c.choice, [&](TFilterDlg& form) { form.ScrollBarCustom[size_t(c.maskSlider)]->SetPosition(c.mask); },
            expected);
        EXPECT_EQ(result[ResultMethod], c.applied[ResultMethod]);
        EXPECT_EQ(std::tuple(result[ResultCustom1], result[ResultCustom2], result[ResultCustom3]),
                  std::tuple(c.applied[ResultCustom1], c.applied[ResultCustom2], c.applied[ResultCustom3]));
    }
    // The viewer picture itself is never changed by the dialog.
    EXPECT_TRUE(Shows(original));
}

TEST_F(MaskLevelsTest, InverseMapPreviewsEqualTheUnequalizeAndBoostLines) {
    struct Case {
        const char* name;
        int32_t group;
        int32_t choice;
        std::function<void(TBitmap&)> line;  // UNEQUALIZE=300,1 or BOOST=300,1
    };
    const Case cases[] = {
        {"UnEqualize", 9990111, 4, [](TBitmap& b) { MultiplyMaskBitmap(b, 300, 0, 1); }},
        {"BoostBrightness", 9990110, 5, [](TBitmap& b) { BoostMultiplyMaskBitmap(b, 300, 0, 1); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TBitmap expected;
        Changed(original, c.line, expected);
        const TFilterDlgResult result = PreviewExposureMethod(c.group, c.choice, [](TFilterDlg& form) {
            // Checking the box resets the sliders first.
            form.chkAlternate->click();
            form.ScrollBarCustom[2]->SetPosition(300);
        }, expected);
        EXPECT_EQ(std::tuple(result[ResultCustom1], result[ResultCustom2]), std::tuple(300, 99));
    }
}

TEST_F(MaskLevelsTest, WhiteMaxLeavesTheWhitestNeutralColourInTheCustomValues) {
    TBitmap white;
    LoadRaster(white, RgbRaster{4, 3, std::vector<uint32_t>(12, 0xFFFFFF)});
    Show(white);
    ImageChanged = false;
    WebForm->WhiteMax(WebForm->Daz95);
    EXPECT_EQ(std::tuple(FilterCustom1, FilterCustom2, FilterCustom3), std::tuple(255, 255, 0xFFFFFF));
    EXPECT_FALSE(ImageChanged);
}

// ---- Menu states

TEST_F(MaskLevelsTest, LabMenuEnablesSwapAndCopyFromBackupByWhatExists) {
    const auto open = [] { emit WebForm->homeLab->aboutToShow(); };
    open();
    EXPECT_FALSE(WebForm->mnuSwap->isEnabled());
    EXPECT_FALSE(WebForm->mnuCopyFromBackup->isEnabled());
    DuplicateNegative();
    BackupBitmap = std::make_unique<TBitmap>();
    BackupBitmap->Assign(&original);
    open();
    EXPECT_TRUE(WebForm->mnuSwap->isEnabled());
    EXPECT_TRUE(WebForm->mnuCopyFromBackup->isEnabled());
    // A duplicate of another size cannot be swapped; an emptied backup not copied back.
    TBitmap other;
    MakePicture(other, 24, 12, 9);
    DuplicateBitmap->Assign(&other);
    BackupBitmap->SetSize(0, 0);
    open();
    EXPECT_FALSE(WebForm->mnuSwap->isEnabled());
    EXPECT_FALSE(WebForm->mnuCopyFromBackup->isEnabled());
}

TEST_F(MaskLevelsTest, AdvancedMenuEnablesTheConformItemsOnceConformDataWereTaken) {
    const auto open = [] { emit WebForm->HomeReMap1->menu()->aboutToShow(); };
    TMenuItem* get = WebForm->mnuGetConformData;
    TMenuItem* use = WebForm->mnuUseConformData;
    TMenuItem* saturation = WebForm->mnuUseConformSAT;
    get->Tag = 0;
    open();
    EXPECT_FALSE(use->isEnabled());
    EXPECT_FALSE(saturation->isEnabled());
    get->Tag = 1;
    open();
    EXPECT_TRUE(use->isEnabled());
    EXPECT_TRUE(saturation->isEnabled());
    // Without conform data the states stay as they are.
    get->Tag = 0;
    open();
    EXPECT_TRUE(use->isEnabled());
}

}  // namespace
