#include "processing/dialogs/FilterPreview.h"

#include "app/lumv8900.h"
#include "explorer/ThumbScale.h"
#include "processing/dialogs/FilterDlgModel.h"
#include "processing/script/LabState.h"
#include "processing/spatial/Spatial.h"
#include "processing/tonal/ColorMaps.h"
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

std::map<int32_t, TFilterPreviewRoutine> BuildRoutines() {
    std::map<int32_t, TFilterPreviewRoutine> r;
    r[31] = [](TFilterPreviewRun& run) { DeFocus(run.After, 255 - run.S[0]); };
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
        // PENDING: the RGB colour mask routine (MaskRGBex) is still to come; the pane shows the unmasked copy.
    };
    r[156] = rgbMask;
    r[157] = rgbMask;
    r[500] = [](TFilterPreviewRun& run) {
        FilterCustom2 = run.S[0];
        run.Form.DoAverageBitmap(run.After);
    };
    return r;
}

}  // namespace

const TFilterPreviewRoutine* FindFilterPreview(int32_t Method) {
    static const std::map<int32_t, TFilterPreviewRoutine> routines = BuildRoutines();
    const auto found = routines.find(Method);
    return found == routines.end() ? nullptr : &found->second;
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
