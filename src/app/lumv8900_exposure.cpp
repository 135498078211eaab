// Enhance > Fix OverExposure, Fix UnderExposure and Fix Contrast Levels: the
// filter dialog on a group of tonal methods with black and white points
// suggested from the picture, then the chosen method on the viewer picture.
// Most methods have a masked variant: the change is made on the picture while
// the duplicate keeps the unchanged copy, and the two are blended back through
// a tonal mask (the shadows for over-exposure, the highlights for
// under-exposure) or averaged (the contrast group). Each method records the
// lines that replay it.
#include "app/lumv8900.h"
#include "app/script/LabFrame.h"

#include "platform/Forms.h"
#include "processing/dialogs/FilterDlgModel.h"
#include "app/dialogs/filter_8900.h"
#include "processing/lab/Conform.h"
#include "processing/lab/ExposureFixes.h"
#include "processing/tonal/ColorMaps.h"
#include "processing/tonal/Histogram.h"
#include "ui/Pix.h"

#include <optional>

namespace lumvor {

using namespace lumv8900;

namespace {

constexpr int32_t UnderExposureGroup = 9990110;
constexpr int32_t OverExposureGroup = 9990111;
constexpr int32_t ContrastGroup = 9990120;

void RecordLine(const std::string& Line) {
    if (ExposureLineProbe)
        ExposureLineProbe(Line);
    AddLabCommand(Line);
}

// One map setter per channel, then ColorFilter on the viewer picture.
template <class Setter>
void FilterEachChannel(TWebForm& Form, Setter setter) {
    for (int channel = 0; channel < 3; ++channel)
        setter(channel);
    Form.ColorFilter(Form.Daz95);
}

// The histogram with sums of the viewer picture, for the statistics methods.
void PictureSums(TWebForm& Form) {
    ResetMaps();
    Form.DoCalcHistogram(Form.Daz95, false, true, false);
}

// How the masked variant of a method blends the changed picture with the
// unchanged duplicate.
enum class TBlend {
    Shadows,     // swap, then the shadows mask (over-exposure)
    Highlights,  // swap, then the highlights mask (under-exposure)
    MidTones,    // swap, then the mid-tone mask
    Average,     // the two averaged by the blend value in per cent
};

// A method's change on the viewer picture; Record tells whether it records
// its plain lines (the unmasked variant) as it goes.
using TChange = std::function<void(bool Record)>;

// The masked pattern: a fresh duplicate of the unchanged picture, the change
// without its plain lines, the masked line, the blend; nothing of it records
// a step of its own. The flash fill records its line after the blend.
void MaskedChange(TWebForm& Form, int32_t Mask, TBlend Blend, const std::string& Line, const TChange& change,
                  bool LineAfterBlend = false) {
    TScopedFlag running(batch_8900::BatchRunning, true);
    Form.mnuDuplicateClick(&Form);
    change(false);
    if (!LineAfterBlend)
        RecordLine(Line);
    if (Blend == TBlend::Average) {
        FilterCustom2 = Mask;
        Form.DoAverageBitmap(Form.Daz95);
    } else {
        Form.mnuSwapClick(&Form);
        FilterCustom1 = Mask;
        FilterCustom2 = 99;
        if (Blend == TBlend::MidTones)
            Form.DoCompositeMidTones(Form.Daz95, false, false);
        else
            Form.DoCompositeMask(Form.Daz95, Blend == TBlend::Shadows, false, false);
    }
    if (LineAfterBlend)
        RecordLine(Line);
}

// The method plain (Mask 0: the change with its lines) or masked.
void Blended(TWebForm& Form, int32_t Method, const TExposureValues& Values, int32_t Mask, TBlend Blend,
             const TChange& change) {
    if (Mask == 0) {
        change(true);
        return;
    }
    MaskedChange(Form, Mask, Blend, MaskedExposureLine(Method, Values), change, Method == 106);
}

// ---- The changes shared by several methods

void Brightness(TWebForm& Form, int32_t Value, bool Record) {
    if (Value == 0)
        return;
    FilterEachChannel(Form, [Value](int k) { SetBrightLUT(Value, k); });
    if (Record)
        RecordLine(LabLine("BRIGHTNESS", {Value, Value, Value}));
}

void LinearBrightnessContrast(TWebForm& Form, const TExposureValues& v, bool Record) {
    Brightness(Form, v.C1, Record);
    if (v.C2 == 0)
        return;
    FilterEachChannel(Form, [&v](int k) { SetContrastLUT(v.C2, k); });
    if (Record)
        RecordLine(LabLine("CONTRAST", {v.C2, v.C2, v.C2}));
}

void CurvilinearContrastBrightness(TWebForm& Form, const TExposureValues& v, bool Record) {
    if (v.C2 != 0) {
        FilterEachChannel(Form, [&v](int k) { SetGammaContrastLUT(v.C2 + 256, k); });
        if (Record)
            RecordLine(LabLine("CONTRAST_CURVE", {v.C2, v.C2, v.C2}));
    }
    Brightness(Form, v.C1, Record);
}

// The gamma step of the level methods.
void LevelsGamma(TWebForm& Form, int32_t Gamma, bool Record) {
    if (Gamma == 100)
        return;
    FilterEachChannel(Form, [Gamma](int k) { SetGammaLUT(Gamma, k, false); });
    if (Record)
        RecordLine(LabLine("GAMMA", {Gamma, Gamma, Gamma}));
}

// Red, green and blue moved relative to their own mean and spread.
void MapRGB(TWebForm& Form, const TExposureValues& v) {
    PictureSums(Form);
    FilterPix(Form, Form.Daz95, [&v](TBitmap& picture) {
        MapRGBBitmap(picture, RemapMeanOffset(v.C1), RemapSpreadOffset(v.C2));
    });
}

void MapRGBChange(TWebForm& Form, const TExposureValues& v, bool Record) {
    MapRGB(Form, v);
    if (Record)
        RecordLine(LabLine("MAP_RGB", {RemapMeanOffset(v.C1), RemapSpreadOffset(v.C2)}));
}

// UnEqualize and Boost: the multiply mask with c1 as its curve, "Inverse map"
// (c2 not 0) as its invert flag; no masked variant.
void MultiplyMaskMethod(TWebForm& Form, bool Boost, const TExposureValues& v) {
    FilterCustom1 = v.C1;
    FilterCustom2 = v.C2;
    const int invert = v.C2 != 0 ? 1 : 0;
    if (Boost)
        Form.BoostMultiplyMask(Form.Daz95, v.C1, 0, invert);
    else
        Form.MultiplyMask(Form.Daz95, v.C1, 0, invert);
    RecordLine(LabLine(Boost ? "BOOST" : "UNEQUALIZE", {v.C1, v.C2}));
}

// ---- The three groups

// The remap and the brightness and contrast methods, which both exposure
// groups offer with a blend of their own.
void BrightnessMethod(TWebForm& Form, int32_t Method, const TExposureValues& v, TBlend Blend) {
    Blended(Form, Method, v, v.C3, Blend, [&](bool record) {
        if (Method == 420 || Method == 421)
            MapRGBChange(Form, v, record);
        else if (Method == 8110 || Method == 9110)
            LinearBrightnessContrast(Form, v, record);
        else
            CurvilinearContrastBrightness(Form, v, record);
    });
}

void OverExposureMethod(TWebForm& Form, int32_t Method, const TExposureValues& v) {
    TPix* pix = Form.Daz95;
    const TBlend blend = TBlend::Shadows;
    switch (Method) {
    case 105:
        Blended(Form, Method, v, v.C1, blend, [&](bool record) {
            for (int k = 0; k < 3; ++k)
                SetGammaLUT(v.C3, k, false);
            Form.NegColorFilter(pix);
            if (record)
                RecordLine(LabLine("GAMMA_SUPPRESS", {v.C3, v.C3, v.C3}));
        });
        break;
    case 134:
        Blended(Form, Method, v, v.C3, blend, [&](bool record) {
            FilterEachChannel(Form, [&v](int k) { SetSupressLUT(v.C1, v.C2, k); });
            if (record)
                RecordLine(LabLine("SUPPRESS", {v.C1, v.C2}));
        });
        break;
    case 42:
        Blended(Form, Method, v, v.C1, blend, [&](bool record) {
            Form.MultiplyLuminance(pix);
            if (record)
                RecordLine(LabLine("ATTENUATE"));
        });
        break;
    case 40:
        // The masked unwash is a multiply mask of its own, not a blend.
        if (v.C1 == 0) {
            Form.MultiplyRGB(pix);
            RecordLine(LabLine("UNWASH"));
        } else {
            RecordLine(MaskedExposureLine(Method, v));
            TScopedFlag running(batch_8900::BatchRunning, true);
            FilterCustom1 = v.C1;
            FilterCustom2 = 99;
            Form.MultiplyMask(pix, v.C1, 1, 1);
        }
        break;
    case 43:
        MultiplyMaskMethod(Form, false, v);
        break;
    case 421:
    case 8110:
    case 8120:
        BrightnessMethod(Form, Method, v, blend);
        break;
    default:
        break;
    }
}

void UnderExposureMethod(TWebForm& Form, int32_t Method, const TExposureValues& v) {
    TPix* pix = Form.Daz95;
    const TBlend blend = TBlend::Highlights;
    switch (Method) {
    case 9110:
    case 9120:
    case 420:
        BrightnessMethod(Form, Method, v, blend);
        break;
    case 9130:
        Blended(Form, Method, v, v.C1, blend, [&](bool record) {
            if (v.C2 != 255) {
                FilterEachChannel(Form, [&v](int k) { SetStretchLUT(0, v.C2, k); });
                if (record)
                    RecordLine(LabLine("LEVELS", {0, v.C2}));
            }
            LevelsGamma(Form, v.C3, record);
        });
        break;
    case 106:
        Blended(Form, Method, v, v.C1, blend, [&](bool record) {
            if (v.C3 != 100) {
                FilterEachChannel(Form, [&v](int k) { SetGammaLUT(v.C3, k, true); });
                if (record)
                    RecordLine(LabLine("GAMMA_FILL", {v.C3, v.C3, v.C3}));
            }
            if (v.C2 != 100) {
                FilterCustom2 = v.C2;
                SetStretchLUT(0, 255, 1);
                SetGammaLUT(v.C2, 2, false);
                Form.SaturationFilter(pix);
                if (record)
                    RecordLine(LabLine("GAMMA_SATURATION", {v.C2}));
            }
        });
        break;
    case 116:
        MultiplyMaskMethod(Form, true, v);
        break;
    default:
        break;
    }
}

void ContrastMethod(TWebForm& Form, int32_t Method, const TExposureValues& v) {
    TPix* pix = Form.Daz95;
    switch (Method) {
    case 130:
        FilterEachChannel(Form, [&v](int k) { SetStretchLUT(v.C1, v.C2, k); });
        RecordLine(LabLine("LEVELS", {v.C1, v.C2}));
        LevelsGamma(Form, v.C3, true);
        break;
    case 133:
        SetStretchLUT(v.C1, v.C2, 1);
        Form.LuminanceFilter(pix);
        RecordLine(LabLine("LIGHTING", {v.C1, v.C2}));
        LevelsGamma(Form, v.C3, true);
        break;
    case 139:
        Blended(Form, Method, v, v.C1, TBlend::MidTones, [&](bool record) {
            PictureSums(Form);
            FilterPix(Form, pix, [](TBitmap& picture) { OptimizeBitmap(picture); });
            if (record)
                RecordLine(LabLine("OPTIMIZE"));
        });
        break;
    case 422:
        if (v.C3 == 0) {
            // The plain remap records its line before the change.
            RecordLine(LabLine("MAP_RGB", {RemapMeanOffset(v.C1), RemapSpreadOffset(v.C2)}));
            MapRGB(Form, v);
        } else {
            MaskedChange(Form, v.C3, TBlend::Average, MaskedExposureLine(Method, v), [&](bool) { MapRGB(Form, v); });
        }
        break;
    case 423:
        // The lightness to the mean and spread the sliders give; the line
        // holds them as offsets from the picture's own.
        Blended(Form, Method, v, v.C3, TBlend::Average, [&](bool record) {
            PictureSums(Form);
            FilterCustom1 = v.C1;
            FilterCustom2 = v.C2;
            FilterPix(Form, pix,
                      [&v](TBitmap& picture) { NormalizeBitmap(picture, NormalizeLightness, v.C1, v.C2); });
            if (record)
                RecordLine(LabLine("MAP_LIT", {v.Extra1, v.Extra2}));
        });
        break;
    default:
        break;
    }
}

// The dialog record of a fix: its group and start item, the three sliders
// over the fix's range at its start, the suggested black and white points.
TFilterDlgParam ExposureDialogRecord(int32_t Group, int32_t StartChoice, THistRange Levels) {
    TFilterDlgParam param{};
    const bool over = Group == OverExposureGroup;
    const int32_t min = over ? 0 : -255;
    const int32_t max = 255;
    const int32_t start = over ? Levels.High : 0;
    const auto slider = [&](int32_t& Min, int32_t& Max, int32_t& Position, int32_t& PageSize, int32_t& LineSize) {
        Min = min;
        Max = max;
        Position = start;
        PageSize = 8;
        LineSize = 1;
    };
    slider(param.Min1, param.Max1, param.Position1, param.PageSize1, param.LineSize1);
    slider(param.Min2, param.Max2, param.Position2, param.PageSize2, param.LineSize2);
    slider(param.Min3, param.Max3, param.Position3, param.PageSize3, param.LineSize3);
    param.MethodCode = Group;
    param.StartChoice = StartChoice;
    param.CustomSliders = 1;
    param.PresetLevel1 = Levels.Low;
    param.PresetLevel2 = Levels.High;
    if (Group != ContrastGroup) {
        const std::string low = over ? "0 (more)" : "-255 (less)";
        const std::string high = over ? "255 (less)" : "+255 (more)";
        param.MinLabel1 = param.MinLabel2 = param.MinLabel3 = low;
        param.MaxLabel1 = param.MaxLabel2 = param.MaxLabel3 = high;
    }
    return param;
}

bool SentBy(QObject* Sender, const char* Name) { return Sender && Sender->objectName() == Name; }

// Puts the default cursor back when a fix ends, also on a failure inside it.
struct TDefaultCursorAtEnd {
    TDefaultCursorAtEnd() = default;
    TDefaultCursorAtEnd(const TDefaultCursorAtEnd&) = delete;
    TDefaultCursorAtEnd& operator=(const TDefaultCursorAtEnd&) = delete;
    ~TDefaultCursorAtEnd() { Screen.SetCursor(crDefault); }
};

// The common course of the three fixes. The user's duplicate comes back
// before the cursor does.
void RunExposureFix(TWebForm& Form, int32_t Group, int32_t StartChoice, const std::string& BusyText) {
    if (!Form.AutoBackUp())
        return;
    Form.SetBitmap24();
    const TDefaultCursorAtEnd cursor;
    std::optional<TDuplicateLoan> loan;
    {
        TScopedFlag running(batch_8900::BatchRunning, true);
        loan.emplace(Form);
        Form.mnuDuplicateClick(&Form);
    }
    ResetMaps();
    Form.DoCalcHistogram(Form.Daz95, false, true, false);
    TFilterDlgResult answer{};
    ExecuteFilterDlg("", "", "", ExposureDialogRecord(Group, StartChoice, SuggestedExposureLevels()), answer);
    if (LabDialogCancelled(answer[ResultValue]))
        return;
    Form.StatusBusy(BusyText);
    Form.ApplyExposureMethod(Group, answer);
}

}  // namespace

void TWebForm::ApplyExposureMethod(int32_t Group, const std::array<int32_t, 7>& Answer) {
    const TExposureValues values{Answer[ResultCustom1], Answer[ResultCustom2], Answer[ResultCustom3],
                                 Answer[ResultExtra1], Answer[ResultExtra2]};
    SetFilterCustoms(values.C1, values.C2, values.C3);
    const int32_t method = Answer[ResultMethod];
    if (Group == OverExposureGroup)
        OverExposureMethod(*this, method, values);
    else if (Group == UnderExposureGroup)
        UnderExposureMethod(*this, method, values);
    else if (Group == ContrastGroup)
        ContrastMethod(*this, method, values);
}

void TWebForm::mnuFixOverExposureClick(QObject*) {
    RunExposureFix(*this, OverExposureGroup, 0, "Enhancing ...");
}

void TWebForm::mnuFixUnderExposureClick(QObject* Sender) {
    const int32_t start = SentBy(Sender, "btnAutoGamma") ? 1 : SentBy(Sender, "btnAutoContrast") ? 5 : 0;
    RunExposureFix(*this, UnderExposureGroup, start, "Adjusting ...");
}

void TWebForm::mnuFixContrastClick(QObject* Sender) {
    RunExposureFix(*this, ContrastGroup, SentBy(Sender, "mnuAutoLighting") ? 2 : 0, "Adjusting ...");
}

}  // namespace lumvor
