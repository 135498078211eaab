#include "app/dialogs/FilterPreview.h"

#include "app/dialogs/filter_8900.h"
#include "app/lumv8900.h"
#include "app/script/LabFrame.h"
#include "app/Spatial.h"
#include "explorer/ThumbScale.h"
#include "processing/dialogs/FilterDlgModel.h"
#include "processing/lab/ColourBalance.h"
#include "processing/lab/Conform.h"
#include "processing/lab/ExposureFixes.h"
#include "processing/script/LabState.h"
#include "processing/tonal/ColorMaps.h"
#include "processing/tonal/Histogram.h"
#include "ui/Pix.h"

#include <algorithm>
#include <map>

namespace lumvor {

namespace {

// A fresh black 24-bit picture of Width x Height in Target.
void MakeBlank24(TBitmap& Target, int Width, int Height) {
    Target.SetPixelFormat(pf24bit);
    Target.SetSize(std::max(Width, 0), std::max(Height, 0));
    for (int y = 0; y < Target.Height(); ++y)
        std::fill_n(Target.ScanLine(y), 3 * size_t(Target.Width()), uint8_t(0));
}

// One map setter for each channel k = 0, 1, 2.
template <class Setter>
void PerChannel(Setter setter) {
    for (int k = 0; k < 3; ++k)
        setter(k);
}

void ColorFilterRow(TFilterPreviewRun& run) { run.Form.ColorFilter(run.After); }

// The gamma step of the level methods when the gamma slider left 100.
void LevelsGamma(TFilterPreviewRun& run) {
    if (run.S[2] == 100)
        return;
    PerChannel([&](int k) { SetGammaLUT(run.S[2], k, false); });
    ColorFilterRow(run);
}

// The shadow and highlight remaps of the hard-limiting methods; Channels are
// the channels concerned.
void RemapLimits(TFilterPreviewRun& run, int firstChannel, int lastChannel) {
    int shadows = run.S[0];
    const int median = run.S[1];
    int highlights = run.S[2];
    if (shadows > median)
        shadows = median - 4;
    shadows = std::max(shadows, 0);
    if (median - shadows > 3) {
        ResetMaps();
        for (int k = firstChannel; k <= lastChannel; ++k)
            SetLoRemap(shadows, median, k);
        ColorFilterRow(run);
    }
    if (highlights < median)
        highlights = median + 4;
    highlights = std::min(highlights, 255);
    if (highlights - median > 3) {
        for (int k = firstChannel; k <= lastChannel; ++k)
            SetHiRemap(highlights, median, k);
        ColorFilterRow(run);
    }
}

// The mask slider's blend of the original into the result, as the command
// blends after its swap: the unchanged copy (WorkBitmap) is the target and
// takes the composite, which the pane then shows; Shadows picks the mask side.
void MaskComposite(TFilterPreviewRun& run, int mask, bool shadows) {
    RunMaskedPreview(run, mask, [&] { run.Form.DoCompositeMask(run.After, shadows, false, true); });
}

// The multiply masks of the exposure groups: slider 3 is the curve, "Inverse
// map" the invert flag.
template <class Mask>
void MultiplyMaskRow(TFilterPreviewRun& run, Mask mask) {
    FilterCustom1 = run.S[2];
    FilterCustom2 = run.AlternateChecked ? 99 : 0;
    mask(run.S[2], 0, run.AlternateChecked ? 1 : 0);
}

// Per channel: a map setter, then ColorFilter.
template <class Setter>
void EachChannelFiltered(TFilterPreviewRun& run, Setter setter) {
    PerChannel(setter);
    ColorFilterRow(run);
}

// The parametric equaliser on Channel (3: all three): the curve applied, or
// (mask view) the colours it affects.
void ParametricEq(TFilterPreviewRun& run, int Channel) {
    SetParametricEqMaps(run.S[0], run.S[1], run.S[2], Channel);
    if (run.MaskEnabled && run.MaskChecked) {
        run.Form.ShowParametricMask(run.After, run.MaskColor);
        return;
    }
    ColorFilterRow(run);
}

std::map<int32_t, TFilterPreviewRoutine> BuildRoutines() {
    std::map<int32_t, TFilterPreviewRoutine> r;
    // The spatial filters and the sharpeners.
    r[3] = [](TFilterPreviewRun& run) { Soften(run.After, run.S[0]); };
    r[4] = [](TFilterPreviewRun& run) { Median(run.After, run.S[0], 0); };
    r[31] = [](TFilterPreviewRun& run) { DeFocus(run.After, 255 - run.S[0]); };
    r[32] = [](TFilterPreviewRun& run) { MeanRemoval(run.After, run.S[0]); };
    r[33] = [](TFilterPreviewRun& run) { HighPassMedium(run.After, run.S[0]); };
    r[34] = [](TFilterPreviewRun& run) { HighPassLight(run.After); };
    r[36] = [](TFilterPreviewRun& run) { Median(run.After, 1, run.S[0]); };
    // "Fine edges" picks the 3 x 3 mask; FilterCustom3 tells the command which.
    r[230] = [](TFilterPreviewRun& run) {
        FilterCustom3 = run.AlternateChecked ? 1 : 0;
        if (run.AlternateChecked)
            run.Form.UnSharpMask3x3(run.After, 255 - run.S[0], run.S[1]);
        else
            run.Form.UnSharpMask5x5(run.After, 255 - run.S[0], run.S[1]);
    };
    r[100] = [](TFilterPreviewRun& run) {
        PerChannel([&](int k) { SetGammaLUT(run.S[size_t(k)], k, false); });
        ColorFilterRow(run);
    };
    r[102] = [](TFilterPreviewRun& run) {
        PerChannel([&](int k) { SetGammaLUT(run.S[size_t(k)], k, false); });
        run.Form.NegColorFilter(run.After);
    };
    r[103] = [](TFilterPreviewRun& run) {
        SetStretchLUT(0, 255, 1);
        SetGammaLUT(run.S[0], 2, false);
        run.Form.SaturationFilter(run.After);
    };
    r[104] = [](TFilterPreviewRun& run) {
        PerChannel([&](int k) { SetGammaLUT(run.S[size_t(k)], k, true); });
        ColorFilterRow(run);
    };
    r[110] = [](TFilterPreviewRun& run) {
        PerChannel([&](int k) { SetBrightLUT(run.S[size_t(k)], k); });
        ColorFilterRow(run);
    };
    r[113] = [](TFilterPreviewRun& run) {
        PerChannel([&](int k) { SetShiftLUT(run.S[size_t(k)], k); });
        ColorFilterRow(run);
    };
    r[114] = r[113];
    r[120] = [](TFilterPreviewRun& run) {
        PerChannel([&](int k) { SetContrastLUT(run.S[size_t(k)], k); });
        ColorFilterRow(run);
    };
    r[122] = [](TFilterPreviewRun& run) {
        PerChannel([&](int k) { SetGammaContrastLUT(run.S[size_t(k)], k); });
        ColorFilterRow(run);
    };
    r[130] = [](TFilterPreviewRun& run) {
        PerChannel([&](int k) { SetStretchLUT(run.S[0], run.S[1], k); });
        ColorFilterRow(run);
        LevelsGamma(run);
    };
    r[131] = [](TFilterPreviewRun& run) {
        PerChannel([&](int k) { SetStretchLUT(run.S[size_t(k)], 255, k); });
        ColorFilterRow(run);
    };
    r[132] = [](TFilterPreviewRun& run) {
        PerChannel([&](int k) { SetStretchLUT(0, run.S[size_t(k)], k); });
        ColorFilterRow(run);
    };
    r[133] = [](TFilterPreviewRun& run) {
        SetStretchLUT(run.S[0], run.S[1], 1);
        run.Form.LuminanceFilter(run.After);
        LevelsGamma(run);
    };
    r[135] = [](TFilterPreviewRun& run) {
        SetGammaLUT(100, 2, false);
        SetStretchLUT(run.S[0], run.S[1], 1);
        run.Form.SaturationFilter(run.After);
        if (run.S[2] != 100) {
            SetStretchLUT(0, 255, 1);
            SetGammaLUT(run.S[2], 2, false);
            run.Form.SaturationFilter(run.After);
        }
    };
    r[170] = [](TFilterPreviewRun& run) { run.Form.ColorTuneHLS(run.After, run.S[0], run.S[1], run.S[2] * 3600 / 999); };
    r[231] = [](TFilterPreviewRun& run) { SharpGaussianBlur5x5(run.After, run.S[0], run.S[1]); };
    r[251] = [](TFilterPreviewRun& run) { run.Form.LowRes(run.After, run.S[0]); };
    r[1] = [](TFilterPreviewRun& run) { GaussianBlur3x3(run.After, 255 - run.S[0], 8, true); };
    r[30] = [](TFilterPreviewRun& run) { GaussianBlur3x3(run.After, 255 - run.S[0], 9, false); };
    r[115] = [](TFilterPreviewRun& run) {
        SetFilterCustoms(run.S[0], run.S[1], run.S[2]);
        RandomNoise(run.After);
    };
    r[250] = [](TFilterPreviewRun& run) { Tile(run.After, run.S[0], true); };
    r[260] = [](TFilterPreviewRun& run) {
        if (run.S[0] == 0)
            Soften(run.After, 7);
        else
            DeScreen5x5(run.After, run.S[0] >= 3 ? 0 : run.S[0]);
    };
    r[400] = [](TFilterPreviewRun& run) { RemapLimits(run, 0, 2); };
    for (int channel = 0; channel < 3; ++channel)
        r[401 + channel] = [channel](TFilterPreviewRun& run) { RemapLimits(run, channel, channel); };
    // The RGB colour masks: band width in the high 16 bits, the component of
    // the picked colour in the low ones; the result takes these values.
    const TFilterPreviewRoutine rgbMask = [](TFilterPreviewRun& run) {
        const std::array<int, 3> picked{GetRValue(run.SelectedColor), GetGValue(run.SelectedColor),
                                         GetBValue(run.SelectedColor)};
        std::array<int32_t, 3> packed{};
        for (size_t i = 0; i < 3; ++i)
            packed[i] = PackBand(run.S[i], picked[i]);
        SetFilterCustoms(packed[0], packed[1], packed[2]);
        if (run.MaskValues)
            *run.MaskValues = packed;
        run.Form.MaskRGBex(run.After, run.Method == 156, packed[0], packed[1], packed[2]);
    };
    r[156] = rgbMask;
    // The HLS colour masks: band width in the high 16 bits, the picked hue,
    // lightness and saturation in the low ones; "show mask only" paints the
    // selection in the mask colour.
    for (int method = 151; method <= 155; ++method)
        r[method] = [](TFilterPreviewRun& run) {
            SetFilterCustoms(PackBand(run.S[0], PickedHue), PackBand(run.S[1], PickedLightness),
                             PackBand(run.S[2], PickedSaturation));
            const bool maskView = run.MaskChecked;
            switch (run.Method) {
            case 151:
            case 152:
                if (maskView)
                    run.Form.ShowMaskColors(run.After, run.Method == 151, run.MaskColor, false, false);
                else
                    run.Form.DoColorMask(run.After, run.Method == 151);
                break;
            case 153:
            case 154:
                if (maskView)
                    run.Form.ShowMaskColors(run.After, run.Method == 154, run.MaskColor, false, false);
                else
                    run.Form.MaskColors(run.After, run.Method == 154, true, false);
                break;
            default:
                if (maskView)
                    run.Form.ShowMaskColors(run.After, false, run.MaskColor, true, false);
                else
                    run.Form.AirBrush(run.After);
                break;
            }
        };
    r[520] = [](TFilterPreviewRun& run) {
        FilterCustom2 = run.S[1];
        run.Form.DoMaskEdges(run.After, run.S[0], true, run.S[1], 25);
    };
    r[157] = rgbMask;
    // The exposure methods: what the command reads is put back after the mask.
    r[40] = [](TFilterPreviewRun& run) {
        run.Form.MultiplyRGB(run.After);
        MaskComposite(run, run.S[2], true);
        SetFilterCustoms(run.S[2], run.S[1], run.S[2]);
    };
    r[42] = [](TFilterPreviewRun& run) {
        run.Form.MultiplyLuminance(run.After);
        MaskComposite(run, run.S[2], true);
        SetFilterCustoms(run.S[2], run.S[1], run.S[2]);
    };
    r[101] = [](TFilterPreviewRun& run) {
        EachChannelFiltered(run, [&](int k) { SetGammaLUT(run.S[size_t(k)], k, false); });
        MaskComposite(run, run.S[2], false);
        SetFilterCustoms(run.S[0], run.S[1], run.S[2]);
    };
    r[105] = [](TFilterPreviewRun& run) {
        PerChannel([&](int k) { SetGammaLUT(run.S[0], k, false); });
        run.Form.NegColorFilter(run.After);
        MaskComposite(run, run.S[2], true);
        SetFilterCustoms(run.S[2], run.S[1], run.S[0]);
    };
    r[106] = [](TFilterPreviewRun& run) {
        EachChannelFiltered(run, [&](int k) { SetGammaLUT(run.S[0], k, true); });
        if (run.S[1] != 100) {
            SetStretchLUT(0, 255, 1);
            SetGammaLUT(run.S[1], 2, false);
            run.Form.SaturationFilter(run.After);
        }
        MaskComposite(run, run.S[2], false);
        SetFilterCustoms(run.S[2], run.S[1], run.S[0]);
    };
    r[134] = [](TFilterPreviewRun& run) {
        EachChannelFiltered(run, [&](int k) { SetSupressLUT(run.S[0], run.S[1], k); });
        MaskComposite(run, run.S[2], true);
        SetFilterCustoms(run.S[0], run.S[1], run.S[2]);
    };
    r[140] = [](TFilterPreviewRun& run) { ParametricEq(run, 3); };
    for (int channel = 0; channel < 3; ++channel)
        r[141 + channel] = [channel](TFilterPreviewRun& run) { ParametricEq(run, channel); };
    // White balance: the offsets that make the picked colour white at
    // brightness s1 are what the command applies.
    r[160] = [](TFilterPreviewRun& run) {
        const std::array<int, 3> picked{GetRValue(run.SelectedColor), GetGValue(run.SelectedColor),
                                         GetBValue(run.SelectedColor)};
        std::array<int32_t, 3> offsets{};
        for (size_t k = 0; k < 3; ++k)
            offsets[k] = run.S[0] + 255 - picked[k];
        WhiteBalanceBitmap(*run.After->Bitmap(), offsets);
        SetFilterCustoms(offsets[0], offsets[1], offsets[2]);
    };
    // Hard limits: exactly what the command applies (the maps reset first, a
    // limit only where its two levels are more than 3 apart).
    for (int method = 400; method <= 403; ++method)
        r[method] = [method](TFilterPreviewRun& run) {
            HardLimitBitmap(*run.After->Bitmap(), method, run.S[0], run.S[1], run.S[2]);
        };
    // Interlace: s1 is the blend in per cent, s2 the field (0 even, else odd).
    r[510] = [](TFilterPreviewRun& run) {
        FilterCustom2 = run.S[0];
        FilterCustom3 = run.S[1];
        run.Form.DoAverageField(run.After, run.S[1] != 0 ? 1 : 0);
    };
    // Over-exposure (8xxx) keeps the shadows, under-exposure (9xxx) the highlights.
    const auto linearBrightness = [](TFilterPreviewRun& run) {
        EachChannelFiltered(run, [&](int k) { SetBrightLUT(run.S[0], k); });
        EachChannelFiltered(run, [&](int k) { SetContrastLUT(run.S[1], k); });
        MaskComposite(run, run.S[2], run.Method == 8110);
        SetFilterCustoms(run.S[0], run.S[1], run.S[2]);
    };
    r[8110] = linearBrightness;
    r[9110] = linearBrightness;
    const auto curvilinearContrast = [](TFilterPreviewRun& run) {
        EachChannelFiltered(run, [&](int k) { SetGammaContrastLUT(run.S[1] + 256, k); });
        EachChannelFiltered(run, [&](int k) { SetBrightLUT(run.S[0], k); });
        MaskComposite(run, run.S[2], run.Method == 8120);
        SetFilterCustoms(run.S[0], run.S[1], run.S[2]);
    };
    r[8120] = curvilinearContrast;
    r[9120] = curvilinearContrast;
    r[9130] = [](TFilterPreviewRun& run) {
        if (run.S[1] != 255)
            EachChannelFiltered(run, [&](int k) { SetStretchLUT(0, run.S[1], k); });
        if (run.S[2] != 100)
            EachChannelFiltered(run, [&](int k) { SetGammaLUT(run.S[2], k, false); });
        MaskComposite(run, run.S[0], false);
        SetFilterCustoms(run.S[0], run.S[1], run.S[2]);
    };
    r[43] = [](TFilterPreviewRun& run) {
        MultiplyMaskRow(run, [&](int gamma, int mode, int invert) { run.Form.MultiplyMask(run.After, gamma, mode, invert); });
    };
    r[116] = [](TFilterPreviewRun& run) {
        MultiplyMaskRow(run, [&](int gamma, int mode, int invert) {
            run.Form.BoostMultiplyMask(run.After, gamma, mode, invert);
        });
    };
    // The remaps move each channel relative to the whole picture's statistics
    // (the histogram the command took before the dialog), so the pane shows
    // its part of the command's result.
    const auto remapRGB = [](TFilterPreviewRun& run) {
        FilterPix(run.Form, run.After, [&](TBitmap& picture) {
            MapRGBBitmap(picture, RemapMeanOffset(run.S[0]), RemapSpreadOffset(run.S[1]));
        });
        if (run.Method == 422)
            AveragedPreview(run, run.S[2]);
        else
            MaskComposite(run, run.S[2], run.Method == 421);
        SetFilterCustoms(run.S[0], run.S[1], run.S[2]);
    };
    for (int method = 420; method <= 422; ++method)
        r[method] = remapRGB;
    // The lightness to the sliders' mean and spread; the command records them
    // as offsets from the start positions (the picture's own).
    r[423] = [](TFilterPreviewRun& run) {
        FilterPix(run.Form, run.After, [&](TBitmap& picture) {
            NormalizeBitmap(picture, NormalizeLightness, run.S[0], run.S[1]);
        });
        AveragedPreview(run, run.S[2]);
        SetFilterCustoms(run.S[0], run.S[1], run.S[2]);
        SetRemapExtras(run);
    };
    r[139] = [](TFilterPreviewRun& run) {
        FilterPix(run.Form, run.After, [](TBitmap& picture) { OptimizeBitmap(picture); });
        RunMaskedPreview(run, run.S[2], [&] { run.Form.DoCompositeMidTones(run.After, false, true); });
        SetFilterCustoms(run.S[2], run.S[1], run.S[2]);
    };
    r[244] = [](TFilterPreviewRun& run) { run.Form.DoGray(run.After); };
    // Defog and the film look: slider 1 the level, slider 2 the amount ("Pseudo gray" at full amount).
    r[241] = [](TFilterPreviewRun& run) { run.Form.DoDefog(run.After, run.S[0], run.S[1]); };
    r[242] = [](TFilterPreviewRun& run) { run.Form.DoFilmNoir(run.After, run.S[0], run.S[1], false); };
    r[243] = [](TFilterPreviewRun& run) { run.Form.DoFilmNoir(run.After, run.S[0], run.S[1], true); };
    r[246] = [](TFilterPreviewRun& run) { run.Form.DoFilmNoir(run.After, run.S[0], 255, false); };
    // Mask Levels: the picture's copy is the target, the duplicate's the other.
    r[501] = [](TFilterPreviewRun& run) { run.Form.DoCompositeMidTones(run.After, false, false); };
    r[502] = [](TFilterPreviewRun& run) { run.Form.DoCompositeMask(run.After, true, false, false); };
    r[503] = [](TFilterPreviewRun& run) { run.Form.DoCompositeMask(run.After, false, false, false); };
    r[531] = [](TFilterPreviewRun& run) { run.Form.DoCompositeContrast(run.After); };
    r[532] = [](TFilterPreviewRun& run) { run.Form.DoCompositeGray(run.After, false); };
    r[500] = [](TFilterPreviewRun& run) {
        FilterCustom2 = run.S[0];
        run.Form.DoAverageBitmap(run.After);
    };
    AddNormalizePreviews(r);
    return r;
}

}  // namespace

const TFilterPreviewRoutine* FindFilterPreview(int32_t Method) {
    static const std::map<int32_t, TFilterPreviewRoutine> routines = BuildRoutines();
    const auto found = routines.find(Method);
    return found == routines.end() ? nullptr : &found->second;
}

void AveragedPreview(TFilterPreviewRun& Run, int Weight) {
    if (Weight == 0)
        return;
    FilterCustom2 = Weight;
    Run.Form.DoAverageBitmap(Run.After);
}

void SetRemapExtras(const TFilterPreviewRun& Run) {
    filter_8900::LastExtras = {Run.S[0] - Run.Starts[0], Run.S[1] - Run.Starts[1]};
}

void RunMaskedPreview(TFilterPreviewRun& Run, int Mask, const std::function<void()>& Composite) {
    FilterCustom1 = Mask;
    if (Mask == 0)
        return;
    FilterCustom2 = 99;
    Composite();
    if (Run.ShowDuplicateBitmap)
        Run.ShowDuplicateBitmap();
}

void CopyPictureArea(const TBitmap& Picture, int Left, int Top, int Width, int Height, TBitmap& Target) {
    MakeBlank24(Target, Width, Height);
    if (Picture.Empty() || Target.Empty())
        return;
    const TPixelBuffer& source = *Picture.Handle();
    CopyUnscaled(source, source.Width(), source.Height(), *Target.Handle(), -Left, -Top);
}

void StretchPictureNearest(const TBitmap& Picture, int Width, int Height, TBitmap& Target) {
    MakeBlank24(Target, Width, Height);
    if (Picture.Empty() || Target.Empty())
        return;
    StretchNearest(*Picture.Handle(), *Target.Handle(), TRect{0, 0, Width, Height});
}

TRect FitViewRect(int PictureWidth, int PictureHeight, int ClientWidth, int ClientHeight) {
    TSize size;
    FitSizeInBox(PictureWidth, PictureHeight, ClientWidth, ClientHeight, size);
    const int left = std::max(0, (ClientWidth - size.cx) / 2);
    const int top = std::max(0, (ClientHeight - size.cy) / 2);
    return TRect{left, top, left + size.cx, top + size.cy};
}

}  // namespace lumvor
