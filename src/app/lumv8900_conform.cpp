// The Lab's conform commands (Conform info, Get / Use Conform data, Conform
// saturation, the script's NORMALIZE), Enhance > RGB Levels and Parametric EQ,
// Lab > Other > Posterize with the hard limits, and the conform routines on a
// picture control, around the headless routines of processing/lab/Conform.h.
#include "app/lumv8900.h"
#include "app/script/LabFrame.h"

#include "platform/Forms.h"
#include "processing/dialogs/FilterDlgModel.h"
#include "app/dialogs/filter_8900.h"
#include "processing/lab/Conform.h"
#include "processing/tonal/ColorMaps.h"
#include "processing/tonal/Histogram.h"
#include "ui/MenuItems.h"
#include "ui/Pix.h"

#include <array>

namespace lumvor {

using namespace lumv8900;

// ---- The routines on a picture control

void TWebForm::DoNormalize(TPix* Pix, int Channel) {
    FilterPix(*this, Pix, [Channel](TBitmap& picture) { NormalizeBitmap(picture, Channel, FilterCustom1, FilterCustom2); });
}

void TWebForm::DoNormalizeRGB(TPix* Pix) {
    FilterPix(*this, Pix, [](TBitmap& picture) { NormalizeRGBBitmap(picture, ConformData); });
}

void TWebForm::DoConformGamma(TPix* Pix) {
    FilterPix(*this, Pix, [](TBitmap& picture) { ConformGammaBitmap(picture, FilterCustom1); });
}

void TWebForm::DoConformGammaRGB(TPix* Pix) {
    FilterPix(*this, Pix, [](TBitmap& picture) {
        ConformGammaRGBBitmap(picture, {FilterCustom1, FilterCustom2, FilterCustom3});
    });
}

void TWebForm::DoOptimize(TPix* Pix) {
    FilterPix(*this, Pix, [](TBitmap& picture) { OptimizeBitmap(picture); });
}

// ---- Lab > Advanced: the conform data

namespace {

enum class TConformBranch { Info, Get, Use, Saturation, Normalize };

// The five inert lines of Conform info, one per statistic.
constexpr std::array<const char*, 5> ConformInfoKeywords{">CONFORM_RED", ">CONFORM_GRN", ">CONFORM_BLU",
                                                          ">CONFORM_LIT", ">CONFORM_SAT"};

}  // namespace

void TWebForm::TakeConformData() {
    ConformData = ConformDataFromHistogram();
    ConformDataTaken = true;
    // Lab > Advanced enables the items that use them from this mark on.
    if (mnuGetConformData)
        mnuGetConformData->Tag = 1;
}

void TWebForm::mnuConformDataClick(QObject* Sender) {
    const TConformBranch branch = Sender == mnuConformData      ? TConformBranch::Info
                                  : Sender == mnuGetConformData ? TConformBranch::Get
                                  : Sender == mnuUseConformData ? TConformBranch::Use
                                  : Sender == mnuUseConformSAT  ? TConformBranch::Saturation
                                                                : TConformBranch::Normalize;
    // The zero statistics of untaken conform data would blacken the picture.
    const bool usesData = branch == TConformBranch::Use || branch == TConformBranch::Saturation;
    if (usesData && !ConformDataTaken)
        return;
    if (!batch_8900::BatchRunning) {
        if (!AutoBackUp())
            return;
        SetBitmap24();
    }
    const bool saturation = branch != TConformBranch::Use && branch != TConformBranch::Normalize;
    ResetMaps();
    DoCalcHistogram(Daz95, saturation, true, false);
    const bool record = LabRecordsNow(TLabRecording::Step);
    switch (branch) {
    case TConformBranch::Info: {
        mnuBatchEditor1Click(mnuBatchEditor1);
        // The window's activation may still wait in the event queue; the lines
        // go to its memo all the same.
        TScopedFlag windowOpen(batch_8900::BatchFormOpen, true);
        const TConformData statistics = ConformDataFromHistogram();
        for (size_t k = 0; k < ConformInfoKeywords.size(); ++k) {
            FilterCustom1 = statistics.Mean(int(k));
            FilterCustom2 = statistics.Deviation(int(k));
            AddLabCommand(LabLine(ConformInfoKeywords[k], {FilterCustom1, FilterCustom2}));
        }
        StatusReady();
        return;
    }
    case TConformBranch::Get:
        TakeConformData();
        if (record)
            AddLabCommand("GET_CONFORM_DATA");
        StatusReady();
        return;
    case TConformBranch::Use:
        DoNormalizeRGB(Daz95);
        if (record)
            AddLabCommand("USE_CONFORM_DATA");
        return;
    case TConformBranch::Saturation:
        FilterCustom1 = ConformData.Mean(4);
        FilterCustom2 = ConformData.Deviation(4);
        DoNormalize(Daz95, NormalizeSaturation);
        if (record)
            AddLabCommand("USE_CONFORM_SAT_DATA");
        return;
    case TConformBranch::Normalize:
        FilterPix(*this, Daz95, NormalizeToBrightestBitmap);
        return;
    }
}

// ---- Enhance > RGB Levels

void TWebForm::mnuLevelsRGBClick(QObject*) {
    TFilterDlgResult result{};
    TLabCommand command;
    command.BusyText = "RGB Levels ...";
    command.LineTime = TLabLineTime::AfterWork;
    command.Parameters = [&] {
        // The statistics give the remap methods their start positions.
        ResetMaps();
        DoCalcHistogram(Daz95, false, true, false);
        TFilterDlgParam param{};
        param.MethodCode = 9990600;
        if (!AskFilterDialog(param, result))
            return false;
        const int32_t method = result[ResultMethod];
        return method == 131 || method == 132 || (method >= 411 && method <= 413);
    };
    command.Work = [&] {
        const int32_t method = result[ResultMethod];
        const std::array<int32_t, 3> levels{FilterCustom1, FilterCustom2, FilterCustom3};
        if (method == 131 || method == 132) {
            for (int k = 0; k < 3; ++k) {
                const int32_t level = levels[size_t(k)];
                SetStretchLUT(method == 131 ? level : 0, method == 131 ? 255 : level, k);
            }
            ColorFilter(Daz95);
        } else if (method >= 411 && method <= 413) {
            // The previews may have measured other pictures since the dialog opened.
            ResetMaps();
            DoCalcHistogram(Daz95, false, true, false);
            DoNormalize(Daz95, method - 411);
        }
    };
    // The remaps record their offsets from the channel's own mean and spread,
    // so that a replay moves the channel by the same amounts.
    command.Line = [&]() -> std::string {
        switch (result[ResultMethod]) {
        case 131: return LabLine("SHADOWS", {FilterCustom1, FilterCustom2, FilterCustom3});
        case 132: return LabLine("HIGHLIGHTS", {FilterCustom1, FilterCustom2, FilterCustom3});
        case 411: return LabLine("MAP_RED", {result[ResultExtra1], result[ResultExtra2]});
        case 412: return LabLine("MAP_GRN", {result[ResultExtra1], result[ResultExtra2]});
        default: return LabLine("MAP_BLU", {result[ResultExtra1], result[ResultExtra2]});
        }
    };
    RunLabCommand(*this, command);
}

// ---- Enhance > Parametric EQ

void TWebForm::mnuParametricEQClick(QObject*) {
    TFilterDlgResult result{};
    TLabCommand command;
    command.BusyText = "Parametric EQ ...";
    command.LineTime = TLabLineTime::AfterWork;
    command.Parameters = [&] {
        TFilterDlgParam param{};
        param.MethodCode = 9990140;
        param.CustomSliders = 1;
        param.SelectedColor = TColor{0xC0C0C0};
        param.Min1 = 0, param.Max1 = 255, param.Position1 = 127;
        param.Min2 = 7, param.Max2 = 127, param.Position2 = 63;
        param.Min3 = -127, param.Max3 = 127, param.Position3 = 1;
        param.PageSize1 = param.PageSize2 = param.PageSize3 = 8;
        param.LineSize1 = param.LineSize2 = param.LineSize3 = 1;
        param.MinLabel1 = "0 (dark)", param.MaxLabel1 = "255 (bright)";
        param.MinLabel2 = "7 (narrow)", param.MaxLabel2 = "127 (wide)";
        param.MinLabel3 = "-127 (cut)", param.MaxLabel3 = "+127 (boost)";
        return AskFilterDialog(param, result);
    };
    // 141..143 one plane, anything else all three.
    const auto channel = [&] {
        const int32_t method = result[ResultMethod];
        return method >= 141 && method <= 143 ? method - 141 : 3;
    };
    command.Work = [&] {
        SetParametricEqMaps(FilterCustom1, FilterCustom2, FilterCustom3, channel());
        ColorFilter(Daz95);
    };
    command.Line = [&] {
        constexpr std::array<const char*, 4> keywords{"PARAMETRIC_EQ_RED", "PARAMETRIC_EQ_GRN", "PARAMETRIC_EQ_BLU",
                                                      "PARAMETRIC_EQ_ALL"};
        return LabLine(keywords[size_t(channel())], {FilterCustom1, FilterCustom2, FilterCustom3});
    };
    RunLabCommand(*this, command);
}

// ---- Lab > Other > Posterize and the hard limits

void TWebForm::mnuHardLimitClick(QObject*) { DoHardLimitimg(400); }

void TWebForm::DoHardLimitimg(int Method) {
    TFilterDlgResult result{};
    result[ResultMethod] = Method;
    TLabCommand command;
    command.BusyText = "Limiting ...";
    command.Parameters = [&] {
        if (batch_8900::BatchRunning)
            return true;
        // For the dialog's histogram.
        ResetMaps();
        DoCalcHistogram(Daz95, false, false, false);
        TFilterDlgParam param{};
        param.MethodCode = 9990400;
        param.CustomSliders = 1;
        param.SelectedColor = TColor{0xC0C0C0};
        if (!AskFilterDialog(param, result))
            return false;
        const int32_t method = result[ResultMethod];
        return method == 251 || (method >= 400 && method <= 403);
    };
    const auto posterize = [&] { return result[ResultMethod] == 251; };
    command.Work = [&] {
        if (posterize()) {
            LowRes(Daz95, result[ResultValue]);
            ImageChanged = true;
            return;
        }
        FilterPix(*this, Daz95, [&](TBitmap& picture) {
            HardLimitBitmap(picture, result[ResultMethod], FilterCustom1, FilterCustom2, FilterCustom3);
        });
    };
    command.Line = [&] {
        if (posterize())
            return LabLine("POSTERIZE", {result[ResultValue]});
        const int32_t method = result[ResultMethod];
        const char* keyword = method == 401   ? "LIMIT_RED"
                              : method == 402 ? "LIMIT_GRN"
                              : method == 403 ? "LIMIT_BLU"
                                              : "LIMIT_ALL";
        return LabLine(keyword, {FilterCustom1, FilterCustom2, FilterCustom3});
    };
    RunLabCommand(*this, command);
}

// ---- The menu items

void TWebForm::BuildConformItems(QMenu* Advanced, QMenu* Other, QMenu* Enhance) {
    Advanced->addSeparator();
    mnuConformData = PendingMenuItem(this, Advanced, "mnuConformData", "Conform &info");
    mnuGetConformData = PendingMenuItem(this, Advanced, "mnuGetConformData", "&Get Conform data");
    mnuUseConformData = PendingMenuItem(this, Advanced, "mnuUseConformData", "&Use Conform data");
    mnuUseConformSAT = PendingMenuItem(this, Advanced, "mnuUseConformSAT", "Conform &saturation");
    for (TMenuItem* item : {mnuConformData, mnuGetConformData, mnuUseConformData, mnuUseConformSAT})
        WireMenuItem(this, item, [this](QObject* s) { mnuConformDataClick(s); });
    // Lab > Advanced enables them once conform data were taken.
    mnuUseConformData->setEnabled(false);
    mnuUseConformSAT->setEnabled(false);
    mnuHardLimit = PendingMenuItem(this, Other, "mnuHardLimit", "&Posterize");
    WireMenuItem(this, mnuHardLimit, [this](QObject* s) { mnuHardLimitClick(s); });
    Enhance->addSeparator();
    mnuLevelsRGB = PendingMenuItem(this, Enhance, "mnuLevelsRGB", "R&GB Levels");
    mnuParametricEQ = PendingMenuItem(this, Enhance, "mnuParametricEQ", "Parametric E&Q");
    WireMenuItem(this, mnuLevelsRGB, [this](QObject* s) { mnuLevelsRGBClick(s); });
    WireMenuItem(this, mnuParametricEQ, [this](QObject* s) { mnuParametricEQClick(s); });
}

}  // namespace lumvor
