// The image handlers of the keyword table. Each hands the line's checked
// values to the routine the interactive command uses, through TScriptRun::Call.
#include "app/script/ScriptHandlers.h"

#include "app/lumv8900.h"
#include "app/script/ScriptRun.h"
#include "app/Spatial.h"
#include "platform/Menus.h"
#include "processing/lab/ColourBalance.h"
#include "processing/lab/Conform.h"
#include "processing/lab/ExposureFixes.h"
#include "processing/script/LabState.h"
#include "processing/tonal/ColorMaps.h"
#include "processing/tonal/Histogram.h"
#include "ui/Pix.h"

#include <array>
#include <functional>

namespace lumvor::script {

using namespace lumv8900;

namespace {

// The values the keyword reads, a first.
std::vector<int32_t> ReadValues(const TScriptArgs& Args) {
    const std::array<int32_t, 4> all{Args.a, Args.b, Args.c, Args.d};
    const size_t count = Args.Arity > 0 ? size_t(Args.Arity) : 0;
    return {all.begin(), all.begin() + std::min<size_t>(count, all.size())};
}

// The channel a keyword ending in _RED, _GRN or _BLU names (else 3: all).
int ChannelOf(std::string_view Keyword) {
    if (Keyword.ends_with("_RED"))
        return 0;
    if (Keyword.ends_with("_GRN"))
        return 1;
    if (Keyword.ends_with("_BLU"))
        return 2;
    return 3;
}

// The colour maps through the viewer picture, then its repaint.
void ApplyMaps(TWebForm& Form, bool Repaint = true) {
    Form.ColorFilterBitmap(*Form.Daz95->Bitmap());
    if (Repaint)
        Form.RefreshImage();
}

}  // namespace

void TextMark(TScriptRun& Run, const TScriptArgs& Args) {
    const int corner = Args.Keyword.ends_with("TOPLEFT")      ? 0
                       : Args.Keyword.ends_with("TOPRIGHT")   ? 1
                       : Args.Keyword.ends_with("BOTTOMLEFT") ? 2
                                                              : 3;
    Run.Call(Args.Routine, {corner}, [&] { Run.Form.TextMark(Args.Text, corner); }, Args.Text);
}

void Delace(TScriptRun& Run, const TScriptArgs& Args) {
    Run.Call(Args.Routine, {}, [&] { Run.Form.mnuDelaceClick(&Run.Form); });
}

void BorderBands(TScriptRun& Run, const TScriptArgs& Args) {
    Run.Call(Args.Routine, ReadValues(Args), [&] {
        if (Args.Keyword == "BORDER")
            Run.Form.MergeBorder(TColor(Args.a), Args.b, Args.c);
        else
            Run.Form.MergeBorder_TopBot(TColor(Args.a), Args.b, Args.c);
    });
}

void ZeroMap(TScriptRun& Run, const TScriptArgs& Args) {
    Run.Call(Args.Routine, {}, [&] { Run.Form.mnuInitialize1Click(&Run.Form); });
}

void Negative(TScriptRun& Run, const TScriptArgs& Args) {
    Run.Call(Args.Routine, {}, [&] { Run.Form.mnuNegativeClick(&Run.Form); });
}

namespace {

TBitmap& Picture(TWebForm& Form) { return *Form.Daz95->Bitmap(); }

// ResetMaps, then the viewer picture's histogram with sums.
void CalcSums(TWebForm& Form, bool DoSaturation) {
    ResetMaps();
    Form.DoCalcHistogram(Form.Daz95, DoSaturation, true, false);
}

// Red, green and blue moved by MeanOffset and DeviationOffset from their own
// statistics (the histogram computed here, without saturation).
void MapRGB(TWebForm& Form, int32_t MeanOffset, int32_t DeviationOffset) {
    CalcSums(Form, false);
    MapRGBBitmap(Picture(Form), MeanOffset, DeviationOffset);
}

// Borrow: the user's duplicate parked, the duplicate := the picture.
void Borrow(TWebForm& Form) {
    Form.SaveDuplicateToTemp();
    Form.mnuDuplicateClick(&Form);
}

// Blend-back: the changed picture mixed over the borrowed copy through the mask.
void BlendBackMask(TWebForm& Form, int32_t Strength, bool LowTones) {
    Form.mnuSwapClick(&Form);
    FilterCustom1 = Strength;
    FilterCustom2 = 99;
    Form.DoCompositeMask(Form.Daz95, LowTones, true, false);
}

}  // namespace

void BlendHighLow(TScriptRun& Run, const TScriptArgs& Args) {
    const bool lowTones = Args.Keyword.ends_with("_LOW");
    Run.Call(Args.Routine, {Args.a, Args.b, Args.c, lowTones ? 1 : 0}, [&] {
        TWebForm& form = Run.Form;
        Borrow(form);
        MapRGB(form, Args.a, Args.b);
        BlendBackMask(form, Args.c, lowTones);
    });
}

void WhiteBalance(TScriptRun& Run, const TScriptArgs& Args) {
    Run.Call(Args.Routine, {Args.a, Args.b, Args.c}, [&] {
        WhiteBalanceBitmap(Picture(Run.Form), {Args.a, Args.b, Args.c});
        Run.Form.RefreshImage();
    });
}

void MapRGBPlain(TScriptRun& Run, const TScriptArgs& Args) {
    Run.Call(Args.Routine, ReadValues(Args), [&] {
        MapRGB(Run.Form, Args.a, Args.b);
        Run.Form.RefreshImage();
    });
}

namespace {

// Change on the picture; with Average, first the picture borrowed into the
// duplicate, and after the change Weight per cent of it averaged back in (the
// user's duplicate then given back). The picture repaints.
void AveragedChange(TWebForm& Form, bool Average, int32_t Weight, const std::function<void()>& Change) {
    if (Average)
        Borrow(Form);
    Change();
    if (Average) {
        FilterCustom2 = Weight;
        Form.DoAverageBitmap(Form.Daz95);
        Form.RestoreDuplicateFromTemp();
    }
    Form.RefreshImage();
}

}  // namespace

// The three channels moved on the picture, then averaged with the borrowed copy.
void MapRGBAverage(TScriptRun& Run, const TScriptArgs& Args) {
    Run.Call(Args.Routine, ReadValues(Args),
             [&] { AveragedChange(Run.Form, true, Args.c, [&] { MapRGB(Run.Form, Args.a, Args.b); }); });
}

// Red, green and blue to the same mean and spread (EQUALIZE: 128 and 127;
// MAP_EQ: the line's), each from its own statistics; MAP_EQ with a blend
// averages the picture before the change back in.
void Equalize(TScriptRun& Run, const TScriptArgs& Args) {
    Run.Call(Args.Routine, {}, [&] {
        CalcSums(Run.Form, false);
        for (int channel = 0; channel < 3; ++channel)
            NormalizeBitmap(Picture(Run.Form), channel, 128, 127);
        Run.Form.RefreshImage();
    });
}

void MapEqualize(TScriptRun& Run, const TScriptArgs& Args) {
    Run.Call(Args.Routine, ReadValues(Args), [&] {
        AveragedChange(Run.Form, Args.c != 0, Args.c, [&] {
            CalcSums(Run.Form, false);
            for (int channel = 0; channel < 3; ++channel)
                NormalizeBitmap(Picture(Run.Form), channel, Args.a, Args.b);
        });
    });
}

// Lightness moved by offsets from its own statistics; with a blend, averaged
// with the picture before the change.
void MapLightness(TScriptRun& Run, const TScriptArgs& Args) {
    Run.Call(Args.Routine, ReadValues(Args), [&] {
        AveragedChange(Run.Form, Args.c != 0, Args.c, [&] {
            CalcSums(Run.Form, true);
            const TRoundedStats own = NormalizeChannelStats(NormalizeLightness);
            NormalizeBitmap(Picture(Run.Form), NormalizeLightness, own.Mean + Args.a, own.Deviation + Args.b);
        });
    });
}

// Saturation moved by offsets from its own statistics (the maps are not reset
// before the histogram; the normalising resets them).
void MapSaturation(TScriptRun& Run, const TScriptArgs& Args) {
    Run.Call(Args.Routine, ReadValues(Args), [&] {
        Run.Form.DoCalcHistogram(Run.Form.Daz95, true, true, false);
        const TRoundedStats own = NormalizeChannelStats(NormalizeSaturation);
        NormalizeBitmap(Picture(Run.Form), NormalizeSaturation, own.Mean + Args.a, own.Deviation + Args.b);
        Run.Form.RefreshImage();
    });
}

// Lightness or saturation moved to the line's mean and deviation.
void ConformTone(TScriptRun& Run, const TScriptArgs& Args) {
    const int channel = Args.Keyword == "CONFORM_LIT" ? NormalizeLightness : NormalizeSaturation;
    Run.Call(Args.Routine, ReadValues(Args), [&] {
        CalcSums(Run.Form, true);
        NormalizeBitmap(Picture(Run.Form), channel, Args.a, Args.b);
        Run.Form.RefreshImage();
    });
}

void ConformGamma(TScriptRun& Run, const TScriptArgs& Args) {
    Run.Call(Args.Routine, ReadValues(Args), [&] {
        if (Args.Keyword == "CONFORM_GAMMA_RGB")
            ConformGammaRGBBitmap(Picture(Run.Form), {Args.a, Args.b, Args.c});
        else
            ConformGammaBitmap(Picture(Run.Form), Args.a);
        Run.Form.RefreshImage();
    });
}

// NORMALIZE and the conform data keywords reach the Lab > Advanced handler
// (the window itself as Sender for NORMALIZE); GET_CONFORM_DATA_EX takes the
// data without it.
void ConformDataLine(TScriptRun& Run, const TScriptArgs& Args) {
    const std::string_view keyword = Args.Keyword;
    Run.Call(Args.Routine, {}, [&] {
        TWebForm& form = Run.Form;
        if (keyword == "GET_CONFORM_DATA_EX") {
            CalcSums(form, true);
            form.TakeConformData();
            return;
        }
        QObject* sender = keyword == "GET_CONFORM_DATA"       ? form.mnuGetConformData
                          : keyword == "USE_CONFORM_DATA"     ? form.mnuUseConformData
                          : keyword == "USE_CONFORM_SAT_DATA" ? form.mnuUseConformSAT
                                                              : static_cast<QObject*>(&form);
        form.mnuConformDataClick(sender);
    });
}

// The spread widened; with a strength, blended back over the borrowed copy
// through the mid-tone mask.
void Optimize(TScriptRun& Run, const TScriptArgs& Args) {
    Run.Call(Args.Routine, ReadValues(Args), [&] {
        TWebForm& form = Run.Form;
        if (Args.a != 0)
            Borrow(form);
        ResetMaps();
        form.DoCalcHistogram(form.Daz95, false, true, false);
        OptimizeBitmap(Picture(form));
        if (Args.a != 0) {
            form.mnuSwapClick(&form);
            FilterCustom1 = Args.a;
            FilterCustom2 = 99;
            form.DoCompositeMidTones(form.Daz95, true, false);
        }
        form.RefreshImage();
    });
}

namespace {

// The three channels' maps from Setter(channel), then ColorFilter on the picture.
template <class Setter>
void ApplyEachChannel(TWebForm& Form, Setter setter) {
    for (int channel = 0; channel < 3; ++channel)
        setter(channel);
    Form.ColorFilter(Form.Daz95);
}

// The change a blended keyword makes to the borrowed copy before it is
// blended back; the strength of the blend and whether it keeps the low tones.
struct TBlendedChange {
    int32_t Strength = 0;
    bool LowTones = false;
    std::function<void()> Change;
};

TBlendedChange BlendedChange(TWebForm& Form, const TScriptArgs& Args) {
    const std::string_view keyword = Args.Keyword;
    const bool low = keyword.ends_with("_LOW");
    const int32_t a = Args.a, b = Args.b;
    TPix* pix = Form.Daz95;
    if (keyword.starts_with("BRIGHTNESS_"))
        return {Args.c, low, [&Form, a, b] {
                    if (a != 0)
                        ApplyEachChannel(Form, [a](int k) { SetBrightLUT(a, k); });
                    if (b != 0)
                        ApplyEachChannel(Form, [b](int k) { SetContrastLUT(b, k); });
                }};
    if (keyword.starts_with("CONTRAST_"))
        return {Args.c, low, [&Form, a, b] {
                    if (b != 0)
                        ApplyEachChannel(Form, [b](int k) { SetGammaContrastLUT(b + 256, k); });
                    if (a != 0)
                        ApplyEachChannel(Form, [a](int k) { SetBrightLUT(a, k); });
                }};
    if (keyword == "BACK_FILL")
        return {Args.c, false, [&Form, a, b] {
                    if (a != 255)
                        ApplyEachChannel(Form, [a](int k) { SetStretchLUT(0, a, k); });
                    if (b != 100)
                        ApplyEachChannel(Form, [b](int k) { SetGammaLUT(b, k, false); });
                }};
    if (keyword == "FLASH_FILL")
        return {Args.c, false, [&Form, pix, a, b] {
                    if (b != 100)
                        ApplyEachChannel(Form, [b](int k) { SetGammaLUT(b, k, true); });
                    if (a != 100) {
                        SetStretchLUT(0, 255, 1);
                        SetGammaLUT(a, 2, false);
                        Form.SaturationFilter(pix);
                    }
                }};
    if (keyword == "GAMMA_SUPPRESS_EX")
        return {b, true, [&Form, pix, a] {
                    for (int k = 0; k < 3; ++k) SetGammaLUT(a, k, false);
                    Form.NegColorFilter(pix);
                }};
    if (keyword == "SUPPRESS_EX")
        return {Args.c, true, [&Form, a, b] {
                    for (int k = 0; k < 3; ++k) SetSupressLUT(a, b, k);
                    Form.ColorFilterBitmap(*Form.Daz95->Bitmap());
                }};
    if (keyword == "ATTENUATE_EX")
        return {a, true, [&Form, pix] { Form.MultiplyLuminance(pix); }};
    return {a, true, [&Form, pix] { Form.DoUnCook(pix); }};  // UNCOOK_EX
}

}  // namespace

// The change made on a copy of the picture (the user's duplicate parked), then
// blended back over the unchanged picture through the luminance mask.
void BlendBack(TScriptRun& Run, const TScriptArgs& Args) {
    TWebForm& form = Run.Form;
    const TBlendedChange blended = BlendedChange(form, Args);
    std::vector<int32_t> values = ReadValues(Args);
    if (Args.Keyword.starts_with("BRIGHTNESS_") || Args.Keyword.starts_with("CONTRAST_"))
        values.push_back(blended.LowTones ? 1 : 0);
    Run.Call(Args.Routine, values, [&] {
        form.SaveDuplicateToTemp();
        form.mnuDuplicateClick(&form);
        blended.Change();
        form.mnuSwapClick(&form);
        FilterCustom1 = blended.Strength;
        FilterCustom2 = 99;
        form.DoCompositeMask(form.Daz95, blended.LowTones, true, false);
    });
}

// MAP_ lines move a channel by offsets from its own statistics, CONFORM_
// lines to the line's absolute mean and deviation.
void ChannelFamily(TScriptRun& Run, const TScriptArgs& Args) {
    const int channel = ChannelOf(Args.Keyword);
    Run.Call(Args.Routine, {channel, Args.a, Args.b}, [&] {
        const bool offsets = Args.Keyword.starts_with("MAP_");
        CalcSums(Run.Form, offsets);
        const TRoundedStats own = offsets ? ChannelStats(channel) : TRoundedStats{};
        NormalizeBitmap(Picture(Run.Form), channel, own.Mean + Args.a, own.Deviation + Args.b);
        Run.Form.RefreshImage();
    });
}

void Reference(TScriptRun& Run, const TScriptArgs& Args) {
    FilterCustom2 = Args.a == 1 ? 1 : 0;
    Run.Call(Args.Routine, {FilterCustom2}, [&] { Run.Form.DoReference(); });
}

void AutoFlash(TScriptRun& Run, const TScriptArgs& Args) {
    FilterCustom2 = Args.a > 2 ? 1 : std::max(Args.a, 0);
    Run.Call(Args.Routine, {FilterCustom2}, [&] { Run.Form.DoAutoFlash(); });
}

void AutoGamma(TScriptRun& Run, const TScriptArgs& Args) {
    FilterCustom2 = Args.a != 0 ? 1 : 0;
    Run.Call(Args.Routine, {FilterCustom2}, [&] { Run.Form.DoAutoGamma(); });
}

// AUTO_CONTRAST, AUTO_LIGHTING and AUTO_SATURATE stretch as their menu items do.
void AutoEqualize(TScriptRun& Run, const TScriptArgs& Args) {
    TWebForm& form = Run.Form;
    QObject* item = Args.Keyword == "AUTO_LIGHTING"   ? form.mnuAutoLighting
                    : Args.Keyword == "AUTO_SATURATE" ? form.mnuAutoSaturation
                                                      : form.mnuAutoContrast;
    Run.Call(Args.Routine, {}, [&] { form.DoEqualize(item); });
}

void AutoReference(TScriptRun& Run, const TScriptArgs& Args) {
    Run.Call(Args.Routine, {}, [&] { Run.Form.DoAutoReference(); });
}

void AutoBalance(TScriptRun& Run, const TScriptArgs& Args) {
    Run.Call(Args.Routine, {}, [&] { Run.Form.AutoBalanceClick(&Run.Form); });
}

void AutoWhite(TScriptRun& Run, const TScriptArgs& Args) {
    Run.Call(Args.Routine, {}, [&] { Run.Form.DoAutoWhite(); });
}

void Limit(TScriptRun& Run, const TScriptArgs& Args) {
    const int channel = ChannelOf(Args.Keyword);
    const int method = channel == 3 ? 400 : 401 + channel;
    Run.Call(Args.Routine, {method}, [&] {
        HardLimitBitmap(Picture(Run.Form), method, Args.a, Args.b, Args.c);
        Run.Form.RefreshImage();
    });
}

void Duplicate(TScriptRun& Run, const TScriptArgs& Args) {
    Run.Call(Args.Routine, {}, [&] { Run.Form.mnuDuplicateClick(&Run.Form); });
}

void Swap(TScriptRun& Run, const TScriptArgs& Args) {
    Run.Call(Args.Routine, {}, [&] { Run.Form.mnuSwapClick(&Run.Form); });
}

void CopyToBackUp(TScriptRun& Run, const TScriptArgs& Args) {
    Run.Call(Args.Routine, {}, [&] { Run.Form.CopyToBackUp(); });
}

void CopyFromBackUp(TScriptRun& Run, const TScriptArgs& Args) {
    Run.Call(Args.Routine, {}, [&] {
        Run.Form.CopyFromBackUp();
        // The later lines size their work by the picture brought back.
        ImageWidth = Run.Form.Daz95->Bitmap()->Width();
        ImageHeight = Run.Form.Daz95->Bitmap()->Height();
    });
}

void Average(TScriptRun& Run, const TScriptArgs& Args) {
    Run.Call(Args.Routine, {FilterCustom2}, [&] { Run.Form.DoAverageBitmap(Run.Form.Daz95); });
}

void TwoImage(TScriptRun& Run, const TScriptArgs& Args) {
    TWebForm& form = Run.Form;
    Run.Call(Args.Routine, {}, [&] {
        if (Args.Keyword == "MULTIPLY")
            form.mnuMultiply1Click(&form);
        else if (Args.Keyword == "MINIMUM")
            form.mnuMinimum1Click(&form);
        else if (Args.Keyword == "MAXIMUM")
            form.mnuMaximum1Click(&form);
        else if (Args.Keyword == "SUBTRACT")
            form.mnuSubtractClick(&form);
        else
            form.mnuDifference1Click(&form);
    });
}

void Descreen(TScriptRun& Run, const TScriptArgs& Args) {
    if (Args.Keyword == "DESCREEN_LIGHT") {
        Run.Call(Args.Routine, {7}, [&] { lumvor::Soften(Run.Form.Daz95, 7); });
        return;
    }
    const int mode = Args.Keyword == "DESCREEN_MEDIUM" ? 0 : Args.Keyword == "DESCREEN_STRONG" ? 1 : 2;
    Run.Call(Args.Routine, {mode}, [&] { DeScreen5x5(Run.Form.Daz95, mode); });
}

void Blur(TScriptRun& Run, const TScriptArgs& Args) {
    if (Args.Keyword == "DEFOCUS") {
        Run.Call(Args.Routine, {255 - Args.a}, [&] { DeFocus(Run.Form.Daz95, 255 - Args.a); });
        return;
    }
    const bool gaussian = Args.Keyword == "GAUSSIAN";
    const int divisor = gaussian ? 9 : 8;
    Run.Call(Args.Routine, {255 - Args.a, divisor, gaussian ? 0 : 1},
             [&] { GaussianBlur3x3(Run.Form.Daz95, 255 - Args.a, divisor, !gaussian); });
}

void Median(TScriptRun& Run, const TScriptArgs& Args) {
    const int mode = Args.Keyword == "DESPECKLE" ? Args.a : 1;
    const int threshold = Args.Keyword == "DESPECKLE" ? 0 : Args.a;
    Run.Call(Args.Routine, {mode, threshold}, [&] { lumvor::Median(Run.Form.Daz95, mode, threshold); });
}

void Soften(TScriptRun& Run, const TScriptArgs& Args) {
    Run.Call(Args.Routine, {Args.a}, [&] { lumvor::Soften(Run.Form.Daz95, Args.a); });
}

// MEANREMOVAL, HIGHPASS (HIGHPASSMEDIUM) and HIGHPASSLIGHT.
void Sharpen(TScriptRun& Run, const TScriptArgs& Args) {
    TPix* pix = Run.Form.Daz95;
    if (Args.Keyword == "MEANREMOVAL")
        Run.Call(Args.Routine, {Args.a}, [&] { MeanRemoval(pix, Args.a); });
    else if (Args.Keyword == "HIGHPASSLIGHT")
        Run.Call(Args.Routine, {}, [&] { HighPassLight(pix); });
    else
        Run.Call(Args.Routine, {Args.a}, [&] { HighPassMedium(pix, Args.a); });
}

void Interlace(TScriptRun& Run, const TScriptArgs& Args) {
    // FilterCustom2 := a is the row's; the field and the strength are checked here.
    if (Args.b != 0 && Args.b != 1)
        return;
    FilterCustom3 = Args.b;
    if (Args.a <= 0 || Args.a >= 256)
        return;
    Run.Call(Args.Routine, {Args.a, Args.b}, [&] { Run.Form.DoAverageField(Run.Form.Daz95, Args.b == 1 ? 1 : 0); });
}

void ColourMask(TScriptRun& Run, const TScriptArgs& Args) {
    TWebForm& form = Run.Form;
    const std::string_view keyword = Args.Keyword;
    if (keyword == "MASK_HLS" || keyword == "MASK_HLSINV") {
        const bool keep = keyword == "MASK_HLS";
        Run.Call(Args.Routine, {keep ? 1 : 0}, [&] { form.DoColorMask(form.Daz95, keep); });
    } else if (keyword == "REPLACE_RGB" || keyword == "REPLACE_RGBINV") {
        const bool select = keyword == "REPLACE_RGB";
        Run.Call(Args.Routine, {select ? 1 : 0, Args.a, Args.b, Args.c},
                 [&] { form.MaskRGBex(form.Daz95, select, Args.a, Args.b, Args.c); });
    } else {
        const bool invert = keyword == "REPLACE_HLSINV";
        Run.Call(Args.Routine, {invert ? 1 : 0, 1, 0}, [&] { form.MaskColors(form.Daz95, invert, true, false); });
    }
}

void CompositeMask(TScriptRun& Run, const TScriptArgs& Args) {
    TWebForm& form = Run.Form;
    const std::string_view keyword = Args.Keyword;
    if (keyword == "MASK_SHADOWS" || keyword == "MASK_HIGHLIGHTS") {
        const bool shadows = keyword == "MASK_SHADOWS";
        Run.Call(Args.Routine, {shadows ? 1 : 0, 0, 0}, [&] { form.DoCompositeMask(form.Daz95, shadows, false, false); });
        return;
    }
    Run.Call(Args.Routine, ReadValues(Args), [&] {
        if (keyword == "MASK_MIDTONES")
            form.DoCompositeMidTones(form.Daz95, false, false);
        else if (keyword == "MASK_CONTRAST")
            form.DoCompositeContrast(form.Daz95);
        else
            form.DoCompositeGray(form.Daz95, false);
    });
}

void Gamma(TScriptRun& Run, const TScriptArgs& Args) {
    const bool faded = Args.Keyword == "GAMMA_FILL";
    Run.Call(Args.Routine, {Args.a, Args.b, Args.c, faded ? 1 : 0}, [&] {
        const int32_t values[] = {Args.a, Args.b, Args.c};
        for (int channel = 0; channel < 3; ++channel) SetGammaLUT(values[channel], channel, faded);
        ApplyMaps(Run.Form);
    });
}

void MultiplyMask(TScriptRun& Run, const TScriptArgs& Args) {
    TWebForm& form = Run.Form;
    const bool washed = Args.Keyword == "UNWASH_EX";
    if (washed)
        FilterCustom2 = 99;
    const int mode = washed ? 1 : 0;
    const int invert = washed || Args.b != 0 ? 1 : 0;
    Run.Call(Args.Routine, {Args.a, mode, invert}, [&] {
        if (Args.Keyword == "BOOST")
            form.BoostMultiplyMask(form.Daz95, Args.a, mode, invert);
        else
            form.MultiplyMask(form.Daz95, Args.a, mode, invert);
    });
}

void Gray(TScriptRun& Run, const TScriptArgs& Args) {
    Run.Call(Args.Routine, {}, [&] {
        Run.Form.DoGray(Run.Form.Daz95);
        Run.Form.RefreshImage();
    });
}

void GammaSuppress(TScriptRun& Run, const TScriptArgs& Args) {
    Run.Call(Args.Routine, {Args.a, Args.b, Args.c}, [&] {
        const int32_t values[] = {Args.a, Args.b, Args.c};
        for (int channel = 0; channel < 3; ++channel) SetGammaLUT(values[channel], channel, false);
        Run.Form.NegColorFilter(Run.Form.Daz95);
    });
}

void ToneMaps(TScriptRun& Run, const TScriptArgs& Args) {
    const std::string_view keyword = Args.Keyword;
    Run.Call(Args.Routine, ReadValues(Args), [&] {
        const int32_t values[] = {Args.a, Args.b, Args.c};
        for (int channel = 0; channel < 3; ++channel) {
            const int32_t value = values[channel];
            if (keyword == "BRIGHTNESS")
                SetBrightLUT(value, channel);
            else if (keyword == "SHIFT")
                SetShiftLUT(value, channel);
            else if (keyword == "CONTRAST")
                SetContrastLUT(value, channel);
            else if (keyword == "CONTRAST_CURVE")
                SetGammaContrastLUT(value + 256, channel);
            else if (keyword == "SUPRESS" || keyword == "SUPPRESS")
                SetSupressLUT(Args.a, Args.b, channel);
            else if (keyword == "ENHANCE" || keyword == "LEVELS")
                SetStretchLUT(Args.a, Args.b, channel);
            else if (keyword == "SHADOWS")
                SetStretchLUT(value, 255, channel);
            else
                SetStretchLUT(0, value, channel);
        }
        // The suppression leaves the repaint to a later line.
        ApplyMaps(Run.Form, keyword != "SUPRESS" && keyword != "SUPPRESS");
    });
}

void PixFilter(TScriptRun& Run, const TScriptArgs& Args) {
    TWebForm& form = Run.Form;
    Run.Call(Args.Routine, {}, [&] {
        if (Args.Keyword == "UNCOOK")
            form.DoUnCook(form.Daz95);
        else if (Args.Keyword == "UNWASH")
            form.MultiplyRGB(form.Daz95);
        else
            form.MultiplyLuminance(form.Daz95);
        form.RefreshImage();
    });
}

void Lighting(TScriptRun& Run, const TScriptArgs& Args) {
    Run.Call(Args.Routine, {Args.a, Args.b}, [&] {
        SetStretchLUT(Args.a, Args.b, 1);
        Run.Form.LuminanceFilter(Run.Form.Daz95);
        Run.Form.RefreshImage();
    });
}

void Saturation(TScriptRun& Run, const TScriptArgs& Args) {
    Run.Call(Args.Routine, {Args.a, Args.b, 100}, [&] {
        SetStretchLUT(Args.a, Args.b, 1);
        SetGammaLUT(100, 2, false);
        Run.Form.SaturationFilter(Run.Form.Daz95);
        Run.Form.RefreshImage();
    });
}

void GammaSaturation(TScriptRun& Run, const TScriptArgs& Args) {
    Run.Call(Args.Routine, {0, 255, Args.a}, [&] {
        SetStretchLUT(0, 255, 1);
        SetGammaLUT(Args.a, 2, false);
        Run.Form.SaturationFilter(Run.Form.Daz95);
        Run.Form.RefreshImage();
    });
}

void UnsharpMask(TScriptRun& Run, const TScriptArgs& Args) {
    TWebForm& form = Run.Form;
    const bool fine = Args.c != 0;
    Run.Call(fine ? "UnSharpMask3x3" : "UnSharpMask5x5", {255 - Args.a, Args.b}, [&] {
        if (fine)
            form.UnSharpMask3x3(form.Daz95, 255 - Args.a, Args.b);
        else
            form.UnSharpMask5x5(form.Daz95, 255 - Args.a, Args.b);
        form.RefreshImage();
    });
}

void Clean(TScriptRun& Run, const TScriptArgs& Args) {
    Run.Call(Args.Routine, {Args.a, Args.b}, [&] {
        SharpGaussianBlur5x5(Run.Form.Daz95, Args.a, Args.b);
        Run.Form.RefreshImage();
    });
}

void MaskEdges(TScriptRun& Run, const TScriptArgs& Args) {
    TWebForm& form = Run.Form;
    Run.Call(Args.Routine, {Args.a, Args.b, 25}, [&] {
        form.ProgressReset();
        form.DoMaskEdges(form.Daz95, Args.a, true, Args.b, 25);
        form.RefreshImage();
    });
}

// RGBMAX and RGBMIN are the film look at full amount, at the brightest or darkest grey.
void FilmNoir(TScriptRun& Run, const TScriptArgs& Args) {
    const std::string_view keyword = Args.Keyword;
    int32_t level = Args.a, amount = Args.b;
    if (keyword == "RGBMAX" || keyword == "RGBMIN") {
        level = keyword == "RGBMAX" ? 255 : 0;
        amount = 255;
    }
    const bool ccd = keyword == "NATURALIZE_CCD";
    Run.Call(Args.Routine, {level, amount, ccd ? 1 : 0}, [&] {
        Run.Form.DoFilmNoir(Run.Form.Daz95, level, amount, ccd);
        Run.Form.RefreshImage();
    });
}

void Defog(TScriptRun& Run, const TScriptArgs& Args) {
    Run.Call(Args.Routine, {Args.a, Args.b}, [&] {
        Run.Form.DoDefog(Run.Form.Daz95, Args.a, Args.b);
        Run.Form.RefreshImage();
    });
}

void ZeroShift(TScriptRun& Run, const TScriptArgs& Args) {
    Run.Call(Args.Routine, {}, [&] { Run.Form.DoZeroShift(); });
}

void Hls(TScriptRun& Run, const TScriptArgs& Args) {
    // The saturation shift on the 0..3600 scale; the division truncates toward zero.
    const int32_t saturation = Args.c * 3600 / 999;
    Run.Call(Args.Routine, {Args.a, Args.b, saturation}, [&] {
        Run.Form.ColorTuneHLS(Run.Form.Daz95, Args.a, Args.b, saturation);
        Run.Form.RefreshImage();
    });
}

void Posterize(TScriptRun& Run, const TScriptArgs& Args) {
    Run.Call(Args.Routine, {Args.a}, [&] {
        Run.Form.LowRes(Run.Form.Daz95, Args.a);
        Run.Form.RefreshImage();
    });
}

void Quantize(TScriptRun& Run, const TScriptArgs& Args) {
    const int bits = Args.Keyword == "QUANTIZE16" ? 4 : 8;
    Run.Call(Args.Routine, {bits}, [&] {
        Run.Form.DoPosterize(bits);
        Run.Form.RefreshImage();
    });
}

void ParametricEq(TScriptRun& Run, const TScriptArgs& Args) {
    const int channel = ChannelOf(Args.Keyword);
    Run.Call(Args.Routine, {Args.a, Args.b, Args.c, channel}, [&] {
        SetParametricEqMaps(Args.a, Args.b, Args.c, channel);
        ApplyMaps(Run.Form);
    });
}

// De-pixelates across or along the pixel pairs (a = 0: diagonal).
void Depixelate(TScriptRun& Run, const TScriptArgs& Args) {
    const bool diagonal = Args.a == 0;
    Run.Call(Args.Routine, {diagonal ? 1 : 0}, [&] { DeMosaic2x2(Run.Form.Daz95, diagonal); });
}

void Mosaic(TScriptRun& Run, const TScriptArgs& Args) {
    Run.Call(Args.Routine, {Args.a}, [&] { Tile(Run.Form.Daz95, Args.a, true); });
}

// The row has put a, b, c into FilterCustom1..3; a failure inside is ignored.
void AirBrush(TScriptRun& Run, const TScriptArgs& Args) {
    Run.Call(Args.Routine, {Args.a, Args.b, Args.c}, [&] {
        try {
            Run.Form.AirBrush(Run.Form.Daz95);
        } catch (const std::exception&) {
        }
    });
}

void Artifact(TScriptRun& Run, const TScriptArgs& Args) {
    Run.Call(Args.Routine, {Args.a}, [&] { Run.Form.AddArtifact(Args.a); });
}

void Centre(TScriptRun& Run, const TScriptArgs& Args) {
    Run.Call(Args.Routine, {}, [&] { Run.Form.mnuCenter1Click(nullptr); });
}

}  // namespace lumvor::script
