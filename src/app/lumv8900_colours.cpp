// The colour balance, colour temperature and colour saturation commands of
// the Enhance menu, and the zero shift, defog and film-look routines on a
// picture control. The pixel work is in processing/lab/ColourBalance.h.
#include "app/lumv8900.h"
#include "app/script/LabFrame.h"

#include "platform/Forms.h"
#include "processing/dialogs/FilterDlgModel.h"
#include "app/dialogs/filter_8900.h"
#include "processing/lab/ColourBalance.h"
#include "processing/lab/Conform.h"
#include "processing/tonal/ColorMaps.h"
#include "processing/tonal/Histogram.h"
#include "ui/Pix.h"

#include <optional>

namespace lumvor {

using namespace lumv8900;

namespace {

// The three slider rows of a dialog record, each as (minimum, maximum,
// position, large step, small step) and its two end labels.
struct TSliderSetup {
    int32_t Min, Max, Position, PageSize, LineSize;
    const char* MinLabel;
    const char* MaxLabel;
};

void SetSliders(TFilterDlgParam& Param, const std::array<TSliderSetup, 3>& Rows) {
    auto fill = [](const TSliderSetup& row, int32_t& min, int32_t& max, int32_t& position, int32_t& page,
                   int32_t& line, std::string& minLabel, std::string& maxLabel) {
        min = row.Min, max = row.Max, position = row.Position, page = row.PageSize, line = row.LineSize;
        minLabel = row.MinLabel, maxLabel = row.MaxLabel;
    };
    fill(Rows[0], Param.Min1, Param.Max1, Param.Position1, Param.PageSize1, Param.LineSize1, Param.MinLabel1,
         Param.MaxLabel1);
    fill(Rows[1], Param.Min2, Param.Max2, Param.Position2, Param.PageSize2, Param.LineSize2, Param.MinLabel2,
         Param.MaxLabel2);
    fill(Rows[2], Param.Min3, Param.Max3, Param.Position3, Param.PageSize3, Param.LineSize3, Param.MinLabel3,
         Param.MaxLabel3);
    Param.CustomSliders = 1;
}

bool SentBy(const TWebForm& Form, QObject* Sender, const char* Name) {
    return Sender != nullptr && Sender == Form.FindChrome(Name);
}

// The colour balance methods; "Normalize" and "Reference" share one code.
constexpr int32_t WhiteBalanceMethod = 160;
constexpr int32_t NormalizeMethod = 499;
constexpr int32_t RgbRemapMethod = 429;

}  // namespace

// ---- Colour balance

void TWebForm::mnuColorBalanceClick(QObject* Sender) {
    // Declared first, so that the user's duplicate comes back after everything else, on every way out.
    std::optional<TDuplicateLoan> loan;
    TFilterDlgResult result{};
    std::array<TRoundedStats, 3> before{};
    TLabCommand command;
    command.BusyText = "Balancing ...";
    command.Recording = TLabRecording::MenuOnly;
    command.LineTime = TLabLineTime::AfterWork;
    command.Parameters = [&] {
        {
            // The dialog shows the original from the duplicate.
            TScopedFlag batch(batch_8900::BatchRunning, true);
            loan.emplace(*this);
            mnuDuplicateClick(this);
        }
        ResetMaps();
        DoCalcHistogram(Daz95, false, true, false);
        TFilterDlgParam param{};
        param.SelectedColor = TColor{0xC0C0C0};
        param.MethodCode = 9990160;
        param.StartChoice = SentBy(*this, Sender, "btnGammaColor") ? 2 : 0;
        if (!AskFilterDialog(param, result))
            return false;
        const int32_t method = result[ResultMethod];
        return method == WhiteBalanceMethod || method == NormalizeMethod || method == RgbRemapMethod;
    };
    command.Work = [&] {
        const int32_t c1 = result[ResultCustom1], c2 = result[ResultCustom2], c3 = result[ResultCustom3];
        const std::array<int32_t, 3> values{c1, c2, c3};
        // The previews measured their own copies: the statistics are taken from the picture again.
        const auto normalize = [&](const TChannelTarget& target) {
            FilterPix(*this, Daz95, [&](TBitmap& picture) {
                NormalizeChannelsBitmap(picture, [&](int channel, const TRoundedStats& stats) {
                    before[size_t(channel)] = stats;
                    return target(channel, stats);
                });
            });
        };
        switch (result[ResultMethod]) {
        case WhiteBalanceMethod:
            normalize([&](int k, const TRoundedStats& stats) {
                return TNormalizeTarget{stats.Mean + values[size_t(k)], stats.Deviation};
            });
            break;
        case RgbRemapMethod:
            normalize([&](int k, const TRoundedStats& stats) {
                return TNormalizeTarget{values[size_t(k)], stats.Deviation};
            });
            break;
        default: {
            const auto common = [&](int, const TRoundedStats&) { return TNormalizeTarget{c1, c2}; };
            if (c3 == 0) {
                normalize(common);
                break;
            }
            // The blend mixes c3 per cent of the picture before the change back in.
            TScopedFlag batch(batch_8900::BatchRunning, true);
            mnuDuplicateClick(this);
            normalize(common);
            FilterCustom2 = c3;
            DoAverageBitmap(Daz95);
            break;
        }
        }
    };
    command.Line = [&]() -> std::string {
        const int32_t c1 = result[ResultCustom1], c2 = result[ResultCustom2], c3 = result[ResultCustom3];
        switch (result[ResultMethod]) {
        case WhiteBalanceMethod: return LabLine("WHITEBALANCE", {c1, c2, c3});
        case RgbRemapMethod:
            // Offsets from the means, so that a replay moves the means by the same amounts.
            return LabLine("MAP_RED", {c1 - before[0].Mean, 0}) + "\n" + LabLine("MAP_GRN", {c2 - before[1].Mean, 0}) +
                   "\n" + LabLine("MAP_BLU", {c3 - before[2].Mean, 0});
        default: return c3 == 0 ? LabLine("MAP_EQ", {c1, c2}) : LabLine("MAP_EQ_EX", {c1, c2, c3});
        }
    };
    RunLabCommand(*this, command);
    Screen.SetCursor(crDefault);
}

// ---- Colour temperature

void TWebForm::mnuColorTemperatureClick(QObject*) {
    TFilterDlgResult result{};
    TLabCommand command;
    command.BusyText = "Tinting ...";
    command.Recording = TLabRecording::MenuOnly;
    command.Parameters = [&] {
        TFilterDlgParam param{};
        const TSliderSetup tint{-255, 255, 0, 8, 1, "-255 (less)", "+255 (more)"};
        SetSliders(param, {tint, tint, tint});
        param.SelectedColor = TColor{0xC0C0C0};
        param.MethodCode = 9990170;
        param.StartChoice = 0;
        ResetMaps();
        DoCalcHistogram(Daz95, false, true, false);
        // The shifts that would move each black point to 0.
        param.PresetR = -FirstOccupiedLevel(HistR);
        param.PresetG = -FirstOccupiedLevel(HistG);
        param.PresetB = -FirstOccupiedLevel(HistB);
        if (!AskFilterDialog(param, result))
            return false;
        const int32_t method = result[ResultMethod];
        return method == 100 || method == 102 || method == 104 || method == 110 || method == 113 || method == 120 ||
               method == 170;
    };
    command.Line = [&] {
        const char* keyword = "HLS";
        switch (result[ResultMethod]) {
        case 100: keyword = "GAMMA"; break;
        case 102: keyword = "GAMMA_SUPPRESS"; break;
        case 104: keyword = "GAMMA_FILL"; break;
        case 110: keyword = "BRIGHTNESS"; break;
        case 113: keyword = "SHIFT"; break;
        case 120: keyword = "CONTRAST"; break;
        default: break;
        }
        return LabLine(keyword, {result[ResultCustom1], result[ResultCustom2], result[ResultCustom3]});
    };
    command.Work = [&] {
        const int32_t method = result[ResultMethod];
        const std::array<int32_t, 3> values{result[ResultCustom1], result[ResultCustom2], result[ResultCustom3]};
        if (method == 170) {
            ColorTuneHLS(Daz95, values[0], values[1], values[2] * 3600 / 999);
            return;
        }
        for (int k = 0; k < 3; ++k) {
            const int32_t value = values[size_t(k)];
            switch (method) {
            case 100:
            case 102: lumvor::SetGammaLUT(value, k, false); break;
            case 104: lumvor::SetGammaLUT(value, k, true); break;
            case 110: SetBrightLUT(value, k); break;
            case 113: SetShiftLUT(value, k); break;
            default: SetContrastLUT(value, k); break;
            }
        }
        if (method == 102)
            NegColorFilter(Daz95);
        else
            ColorFilter(Daz95);
    };
    RunLabCommand(*this, command);
    Screen.SetCursor(crDefault);
}

// ---- Colour saturation

void TWebForm::mnuSaturationClick(QObject* Sender) {
    TFilterDlgResult result{};
    TLabCommand command;
    command.BusyText = "Adjusting saturation ...";
    command.Recording = TLabRecording::MenuOnly;
    command.Parameters = [&] {
        ResetMaps();
        DoCalcHistogram(Daz95, true, true, false);
        TFilterDlgParam param{};
        const THistRange occupied = OccupiedRange(HistSat, SaturationScan);
        param.PresetSat1 = occupied.Low;
        param.PresetSat2 = occupied.High;
        const TSliderSetup level{0, 255, 128, 16, 1, "0 (min)", "255 (max)"};
        SetSliders(param, {level, TSliderSetup{0, 255, 52, 16, 1, "0 (weak)", "255 (strong)"}, level});
        param.MethodCode = 9990240;
        param.StartChoice = SentBy(*this, Sender, "btnFilmNoir") ? 2 : 0;
        if (!AskFilterDialog(param, result))
            return false;
        const int32_t method = result[ResultMethod];
        return (method >= 241 && method <= 244) || method == 135 || method == 246 || method == 414;
    };
    command.Line = [&]() -> std::string {
        const int32_t v = result[ResultValue], c1 = result[ResultCustom1], c2 = result[ResultCustom2],
                      c3 = result[ResultCustom3];
        switch (result[ResultMethod]) {
        case 135: {
            const std::string first = LabLine("SATURATION", {c1, c2});
            return c3 == 100 ? first : first + "\n" + LabLine("GAMMA_SATURATION", {c3});
        }
        case 241: return LabLine("DEFOG", {v, c2});
        case 242: return LabLine("NATURALIZE_RGB", {v, c2});
        case 243: return LabLine("NATURALIZE_CCD", {v, c2});
        case 244: return LabLine("GRAYSCALE");
        case 246:
            if (v == 0)
                return LabLine("RGBMIN");
            return v == 255 ? LabLine("RGBMAX") : LabLine("NATURALIZE_RGB", {v, 255});
        default: return LabLine("MAP_SAT", {result[ResultExtra1], result[ResultExtra2]});
        }
    };
    command.Work = [&] {
        const int32_t v = result[ResultValue], c1 = result[ResultCustom1], c2 = result[ResultCustom2],
                      c3 = result[ResultCustom3];
        switch (result[ResultMethod]) {
        case 135:
            SetStretchLUT(c1, c2, 1);
            lumvor::SetGammaLUT(100, 2, false);
            SaturationFilter(Daz95);
            if (c3 != 100) {
                SetStretchLUT(0, 255, 1);
                lumvor::SetGammaLUT(c3, 2, false);
                SaturationFilter(Daz95);
            }
            break;
        case 241: DoDefog(Daz95, v, c2); break;
        case 242: DoFilmNoir(Daz95, v, c2, false); break;
        case 243: DoFilmNoir(Daz95, v, c2, true); break;
        case 244: DoGray(Daz95); break;
        case 246: DoFilmNoir(Daz95, v, 255, false); break;
        default:
            // The saturation is measured on the picture itself, not on the preview's copy.
            ResetMaps();
            DoCalcHistogram(Daz95, true, true, false);
            FilterPix(*this, Daz95, [&](TBitmap& picture) {
                NormalizeBitmap(picture, NormalizeSaturation, FilterCustom1, FilterCustom2);
            });
            break;
        }
    };
    RunLabCommand(*this, command);
    Screen.SetCursor(crDefault);
}

// ---- Routines on a picture control

void TWebForm::DoZeroShift() {
    DoCalcHistogram(Daz95, false, true, false);
    SetZeroShiftMaps();
    ColorFilter(Daz95);
}

void TWebForm::DoDefog(TPix* Pix, int Strength, int Boost) {
    FilterPix(*this, Pix, [&](TBitmap& picture) { DefogBitmap(picture, Strength, Boost); });
}

void TWebForm::DoFilmNoir(TPix* Pix, int Level, int Amount, bool Ccd) {
    FilterPix(*this, Pix, [&](TBitmap& picture) { FilmNoirBitmap(picture, Level, Amount, Ccd); });
}

}  // namespace lumvor
