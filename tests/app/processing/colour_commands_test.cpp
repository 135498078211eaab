// The Enhance menu's Color Balance, Color Temperature and Color Saturation
// commands: the dialog each opens, the method applied to the viewer picture
// (compared with the headless routines, themselves checked against numpy),
// the lines recorded, and the user's duplicate kept on every way out.
#include "app/save_form_fixture.h"
#include "app/app_test_tools.h"

#include "platform/Menus.h"
#include "processing/dialogs/FilterDlgModel.h"
#include "app/dialogs/batch_8900.h"
#include "app/dialogs/filter_8900.h"
#include "processing/lab/ColourBalance.h"
#include "processing/lab/Conform.h"
#include "processing/lab/PixelArithmetic.h"
#include "processing/tonal/ColorMaps.h"
#include "processing/tonal/HLSFilters.h"
#include "processing/tonal/Histogram.h"
#include "support/bitmap_raster.h"
#include "ui/ExTrackBar.h"
#include "ui/Pix.h"

#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <functional>
#include <memory>
#include <string>
#include <vector>

using namespace lumvor;
using namespace lumvor::lumv8900;
using namespace lumvor::test;

namespace {

class ColourCommandsTest : public LabWindowTest {
protected:
    void SetUp() override {
        LabWindowTest::SetUp();
        ShowDialogPicture();
        original.Assign(&Display());
        // The user's duplicate: the picture's negative.
        DuplicateBitmap = std::make_unique<TBitmap>();
        DuplicateBitmap->Assign(&original);
        InvertBitmap(*DuplicateBitmap);
        userDuplicate.Assign(DuplicateBitmap.get());
    }
    void TearDown() override {
        filter_8900::FilterDlgPos = {};
        DuplicateBitmap.reset();
        BackupBitmap.reset();
        ParkedDuplicate.reset();
        LabWindowTest::TearDown();
    }
    ::testing::AssertionResult Shows(const TBitmap& expected) { return SameBitmap(RasterOfBitmap(expected), Display()); }
    ::testing::AssertionResult DuplicateKept() {
        if (!DuplicateBitmap)
            return ::testing::AssertionFailure() << "no duplicate";
        return SameBitmap(RasterOfBitmap(userDuplicate), *DuplicateBitmap);
    }
    // The original with a headless change applied.
    std::unique_ptr<TBitmap> Changed(const std::function<void(TBitmap&)>& change) const {
        auto changed = std::make_unique<TBitmap>();
        changed->Assign(&original);
        change(*changed);
        return changed;
    }
    static void RunScript(const std::vector<std::string>& lines) {
        if (!batch_8900::BatchForm)
            batch_8900::BatchForm = new TBatchForm();
        std::string text;
        for (const std::string& line : lines) text += line + "\n";
        batch_8900::BatchForm->Memo1->setPlainText(QString::fromStdString(text));
        TScopedFlag running(batch_8900::BatchRunning, true);
        WebForm->DoBatchImageProcess();
    }
    // The rounded mean of each channel of the original.
    std::array<int, 3> Means() const {
        CalcHistogram(original, false, true, false);
        return {ChannelStats(0).Mean, ChannelStats(1).Mean, ChannelStats(2).Mean};
    }
    TBitmap original;
    TBitmap userDuplicate;
};

void Apply(const TFilterDlgResult& answer) { QueueModalAction(FilterDlgAnswer(answer)); }

// ---- Colour balance

TEST_F(ColourCommandsTest, RgbRemapToTheCurrentMeansRecordsZeroOffsets) {
    const std::array<int, 3> means = Means();
    Apply({429, means[0], means[0], means[1], means[2], 0, 0});
    WebForm->mnuColorBalance->trigger();
    EXPECT_EQ(Script(), (std::vector<std::string>{"MAP_RED=0,0", "MAP_GRN=0,0", "MAP_BLU=0,0"}));
    EXPECT_TRUE(Shows(*Changed([&](TBitmap& b) {
        NormalizeChannelsBitmap(b, [&](int k, const TRoundedStats& s) {
            return TNormalizeTarget{means[size_t(k)], s.Deviation};
        });
    })));
    EXPECT_TRUE(DuplicateKept());
}

TEST_F(ColourCommandsTest, RgbRemapRecordsTheMovesOfTheMeansAndReplaysThem) {
    const std::array<int, 3> means = Means();
    Apply({429, 90, 90, 140, 200, 0, 0});
    WebForm->mnuColorBalance->trigger();
    EXPECT_EQ(Script(), (std::vector<std::string>{"MAP_RED=" + std::to_string(90 - means[0]) + ",0",
                                                  "MAP_GRN=" + std::to_string(140 - means[1]) + ",0",
                                                  "MAP_BLU=" + std::to_string(200 - means[2]) + ",0"}));
    TBitmap applied;
    applied.Assign(&Display());
    Show(original);
    RunScript(Script());
    EXPECT_TRUE(Shows(applied));
}

TEST_F(ColourCommandsTest, NormalizeWithoutBlendRecordsOnlyMapEqAndWithABlendMixesThePictureBefore) {
    const std::unique_ptr<TBitmap> normalised = Changed([](TBitmap& b) {
        NormalizeChannelsBitmap(b, [](int, const TRoundedStats&) { return TNormalizeTarget{128, 50}; });
    });
    Apply({499, 128, 128, 50, 0, 0, 0});
    WebForm->mnuColorBalance->trigger();
    EXPECT_EQ(Script(), std::vector<std::string>{"MAP_EQ=128,50"});
    EXPECT_TRUE(Shows(*normalised));
    EXPECT_TRUE(DuplicateKept());

    Show(original);
    LabScript.Clear();
    Apply({499, 128, 128, 50, 30, 0, 0});
    WebForm->mnuColorBalance->trigger();
    EXPECT_EQ(Script(), std::vector<std::string>{"MAP_EQ_EX=128,50,30"});
    TBitmap blended;
    blended.Assign(normalised.get());
    AverageBitmaps(blended, original, 30);
    EXPECT_TRUE(Shows(blended));
    EXPECT_TRUE(DuplicateKept());
    EXPECT_EQ(FilterCustom2, 30);
}

TEST_F(ColourCommandsTest, WhiteBalanceFromAPickedPixelRecordsItsOffsetsAndReplaysToTheSamePicture) {
    uint32_t picked = 0;
    QueueModalAction([&](QDialog& dialog) {
        auto& form = static_cast<TFilterDlg&>(dialog);
        ASSERT_TRUE(QTest::qWaitFor([&] { return form.btnOK->isEnabled(); }, 3000));
        EXPECT_EQ(form.Model.Method, 160);
        EXPECT_EQ(form.ScrollBarCustom[0]->Position(), 0);
        picked = PixelAt(*form.BeforePix->Bitmap(), 5, 3);
        const int before = form.Model.PreviewCount;
        form.BeforePixMouseUp(5, 3);
        EXPECT_TRUE(QTest::qWaitFor([&] { return form.Model.PreviewCount > before; }, 3000));
        form.btnOK->click();
    });
    WebForm->mnuColorBalance->trigger();
    EXPECT_EQ(UnansweredModalRuns(), 0);
    EXPECT_EQ(picked, PixelAt(original, 5, 3));
    const std::array<int32_t, 3> offsets{255 - int(picked >> 16), 255 - int(picked >> 8 & 0xFF),
                                         255 - int(picked & 0xFF)};
    EXPECT_EQ(Script(), std::vector<std::string>{"WHITEBALANCE=" + std::to_string(offsets[0]) + "," +
                                                 std::to_string(offsets[1]) + "," + std::to_string(offsets[2])});
    const std::unique_ptr<TBitmap> balanced = Changed([&](TBitmap& b) { WhiteBalanceBitmap(b, offsets); });
    EXPECT_TRUE(Shows(*balanced));
    EXPECT_TRUE(DuplicateKept());
    Show(original);
    RunScript(Script());
    EXPECT_TRUE(Shows(*balanced));
}

TEST_F(ColourCommandsTest, TheSideBarButtonsOpenTheirGroupsAtTheirStartChoice) {
    struct Case {
        const char* name;
        std::function<void(QObject*)> command;
        QObject* sender;
        int32_t method;
        std::string caption;
    };
    const Case cases[] = {
        {"BalanceFromTheMenu", [](QObject* s) { WebForm->mnuColorBalanceClick(s); }, WebForm->mnuColorBalance, 160,
         "Color Balancing and Equalization"},
        {"BalanceFromTheColourButton", [](QObject* s) { WebForm->mnuColorBalanceClick(s); },
         WebForm->FindChrome("btnGammaColor"), 499, "Color Balancing and Equalization"},
        {"SaturationFromTheMenu", [](QObject* s) { WebForm->mnuSaturationClick(s); }, WebForm->mnuSaturation, 135,
         "Color Saturation"},
        {"SaturationFromTheFilmButton", [](QObject* s) { WebForm->mnuSaturationClick(s); },
         WebForm->FindChrome("btnFilmNoir"), 243, "Color Saturation"},
        {"Temperature", [](QObject* s) { WebForm->mnuColorTemperatureClick(s); }, WebForm->mnuColorTemperature, 170,
         "Color Temperature, Hues and Tints"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_NE(c.sender, nullptr);
        int32_t method = 0;
        std::string caption;
        QueueModalAction([&](QDialog& dialog) {
            auto& form = static_cast<TFilterDlg&>(dialog);
            method = form.Model.Method;
            caption = form.windowTitle().toStdString();
            dialog.done(mrCancel);
        });
        c.command(c.sender);
        EXPECT_EQ(method, c.method);
        EXPECT_EQ(caption, c.caption);
    }
}

TEST_F(ColourCommandsTest, CancelLeavesPictureScriptAndTheUsersDuplicate) {
    const std::function<void()> commands[] = {
        [] { WebForm->mnuColorBalance->trigger(); },
        [] { WebForm->mnuColorTemperature->trigger(); },
        [] { WebForm->mnuSaturation->trigger(); },
    };
    for (const auto& command : commands) {
        Apply({160, -999, 0, 0, 0, 0, 0});
        command();
        EXPECT_TRUE(Script().empty());
        EXPECT_TRUE(Shows(original));
        EXPECT_TRUE(DuplicateKept());
        EXPECT_EQ(ParkedDuplicate, nullptr);
    }
}

// ---- Colour temperature and saturation set-ups

TEST_F(ColourCommandsTest, TemperaturePresetsAreTheShiftsOfEachBlackPoint) {
    // Red starts at 30 and blue at 12 in more than 48 pixels; green at 0.
    std::vector<uint32_t> colours(60, 0x1E000C);
    colours.insert(colours.end(), 60, 0xC89650);
    TBitmap picture;
    LoadRaster(picture, RgbRaster{12, 10, colours});
    Show(picture);
    TFilterDlgParam shown{};
    QueueModalAction([&](QDialog& dialog) {
        shown = static_cast<TFilterDlg&>(dialog).Model.Original;
        dialog.done(mrCancel);
    });
    WebForm->mnuColorTemperature->trigger();
    EXPECT_EQ(std::tuple(shown.PresetR, shown.PresetG, shown.PresetB), std::tuple(-30, 0, -12));
    EXPECT_EQ(std::tuple(shown.Min1, shown.Max1, shown.Position1, shown.PageSize1, shown.LineSize1),
              std::tuple(-255, 255, 0, 8, 1));
    EXPECT_EQ(std::tuple(shown.MinLabel3, shown.MaxLabel3), std::tuple("-255 (less)", "+255 (more)"));
}

TEST_F(ColourCommandsTest, SaturationPresetsAreTheOccupiedSaturationRange) {
    TFilterDlgParam shown{};
    QueueModalAction([&](QDialog& dialog) {
        shown = static_cast<TFilterDlg&>(dialog).Model.Original;
        dialog.done(mrCancel);
    });
    WebForm->mnuSaturation->trigger();
    CalcHistogram(original, true, true, false);
    const THistRange range = OccupiedRange(HistSat, SaturationScan);
    EXPECT_EQ(std::tuple(shown.PresetSat1, shown.PresetSat2), std::tuple(range.Low, range.High));
    EXPECT_EQ(std::tuple(shown.Position1, shown.Position2, shown.Position3), std::tuple(128, 52, 128));
    EXPECT_EQ(std::tuple(shown.MinLabel2, shown.MaxLabel2), std::tuple("0 (weak)", "255 (strong)"));
}

TEST_F(ColourCommandsTest, RemapSaturationNormalisesTheSaturationAndRecordsTheDialogsOffsets) {
    Apply({414, 120, 120, 40, 0, 7, -3});
    WebForm->mnuSaturation->trigger();
    EXPECT_EQ(Script(), std::vector<std::string>{"MAP_SAT=7,-3"});
    EXPECT_TRUE(Shows(*Changed([](TBitmap& b) {
        ResetMaps();
        CalcHistogram(b, true, true, false);
        NormalizeBitmap(b, NormalizeSaturation, 120, 40);
    })));
}

TEST_F(ColourCommandsTest, TheUsersDuplicateOutlivesEveryAppliedMethod) {
    struct Case {
        TMenuItem* TWebForm::*item;
        TFilterDlgResult answer;
    };
    const Case cases[] = {
        {&TWebForm::mnuColorBalance, {160, 0, 20, -15, 40, 0, 0}},
        {&TWebForm::mnuColorBalance, {499, 128, 128, 50, 30, 0, 0}},
        {&TWebForm::mnuColorBalance, {429, 128, 128, 95, 135, 0, 0}},
        {&TWebForm::mnuColorTemperature, {113, -12, -12, 0, 30, 0, 0}},
        {&TWebForm::mnuSaturation, {243, 128, 128, 52, 128, 0, 0}},
        {&TWebForm::mnuSaturation, {241, 255, 255, 64, 128, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer[ResultMethod]);
        Show(original);
        Apply(c.answer);
        (WebForm->*c.item)->trigger();
        EXPECT_FALSE(Shows(original));
        EXPECT_TRUE(DuplicateKept());
        EXPECT_EQ(ParkedDuplicate, nullptr);
    }
}

TEST_F(ColourCommandsTest, UnknownMethodsChangeAndRecordNothing) {
    Apply({999, 10, 10, 10, 10, 0, 0});
    WebForm->mnuColorTemperature->trigger();
    Apply({135, 10, 10, 10, 10, 0, 0});
    WebForm->mnuColorBalance->trigger();
    Apply({160, 10, 10, 10, 10, 0, 0});
    WebForm->mnuSaturation->trigger();
    EXPECT_TRUE(Script().empty());
    EXPECT_TRUE(Shows(original));
    EXPECT_TRUE(DuplicateKept());
}

}  // namespace
