// The automatic fixes of Enhance > "Auto &Fix" and the side bar: routines that
// measure the viewer picture, choose their own parameters and chain the
// tonal, conform, composite and two-image steps; and the one-click commands
// around them, which take the undo copy, record their line and ask whether the
// user is satisfied (No undoes the fix and opens the manual command instead).
#include "app/lumv8900.h"
#include "app/script/LabFrame.h"

#include "app/Spatial.h"
#include "platform/Forms.h"
#include "processing/dialogs/FilterDlgModel.h"
#include "processing/lab/AutoFix.h"
#include "processing/lab/Conform.h"
#include "processing/tonal/ColorMaps.h"
#include "processing/tonal/Histogram.h"
#include "ui/MenuItems.h"
#include "ui/Pix.h"
#include "ui/voMsgBox.h"

#include <QGuiApplication>
#include <QToolButton>

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

namespace lumvor {

using namespace lumv8900;

namespace {

// A chain of automatic steps: the steps record nothing and take no undo copy
// (BatchRunning), and the histogram and filter steps leave the cursor and the
// ending to the chain (AutoFixBusy). Both flags, and the hourglass, are given
// back when the chain ends, also when a step throws.
class TAutoFixChain {
public:
    TAutoFixChain() : batch_(batch_8900::BatchRunning, true), busy_(AutoFixBusy, true) {
        Screen.SetCursor(crHourGlass);
    }
    ~TAutoFixChain() { Screen.SetCursor(crDefault); }
    TAutoFixChain(const TAutoFixChain&) = delete;
    TAutoFixChain& operator=(const TAutoFixChain&) = delete;

private:
    TScopedFlag batch_;
    TScopedFlag busy_;
};

int RoundHalfEven(double Value) { return int(std::nearbyint(Value)); }

// The byte of a packed colour (red 0, green 1, blue 2).
int ColourByte(int32_t Packed, int Index) { return Packed >> (8 * Index) & 0xFF; }

const char* const SatisfiedCheckBox = "Ignore this dialog (for experts).";
const char* const SatisfiedQuestion =
    "Are you satisfied with image improvement results?\n\nTip: Check IGNORE box then click YES button to reapply\n"
    "proceess (e.g., make image brighter) or experiment with\nother imaging bar procesess; no prompts will appear "
    "for\nduration of this session.";

// What a one-click command does and what it falls back to.
struct TOneClickFix {
    // The manual command: opened instead with Shift held (when ShiftOpensManual)
    // and after a No answer.
    std::function<void()> Manual;
    bool ShiftOpensManual = false;
    bool ShiftDown = false;
    std::vector<std::string> LinesBefore;
    std::function<void()> Work;
    std::vector<std::string> LinesAfter;
    TLabRecording Recording = TLabRecording::Step;
    // The fix marks the picture changed itself (the others rely on the undo copy).
    bool MarksChanged = false;
    // No question while a script or a compound command runs.
    bool AskOnlyOutsideBatch = false;
};

void RecordLines(const std::vector<std::string>& Lines, TLabRecording Recording) {
    if (!LabRecordsNow(Recording))
        return;
    for (const std::string& line : Lines)
        AddLabCommand(line);
}

// The question after a fix. A ticked box silences it for the rest of the run;
// No puts the picture back and opens the manual command.
void AskSatisfied(TWebForm& Form, const std::function<void()>& Manual) {
    if (Form.mnuAutoFix->Tag == 1)
        return;
    const int answer =
        voMessageDlg(SatisfiedCheckBox, "", SatisfiedQuestion, mtConfirmation, mbYesNo, mbYes, 0);
    if (answer & CheckBoxTicked)
        Form.mnuAutoFix->Tag = 1;
    if ((answer & 7) == mrNo) {
        Form.mnuUndoClick(Form.mnuAutoFix);
        Manual();
    }
}

// A fix whose manual command also opens with Shift held.
TOneClickFix WithShiftAlternative(std::function<void()> Manual, bool ShiftDown) {
    TOneClickFix fix;
    fix.Manual = std::move(Manual);
    fix.ShiftOpensManual = true;
    fix.ShiftDown = ShiftDown;
    return fix;
}

void RunOneClickFix(TWebForm& Form, const TOneClickFix& Fix) {
    if (Fix.ShiftOpensManual && Fix.ShiftDown) {
        Fix.Manual();
        return;
    }
    if (!Form.AutoBackUp())
        return;
    Form.SetBitmap24();
    RecordLines(Fix.LinesBefore, Fix.Recording);
    Fix.Work();
    RecordLines(Fix.LinesAfter, Fix.Recording);
    Form.RefreshImage();
    if (Fix.MarksChanged)
        ImageChanged = true;
    Screen.SetCursor(crDefault);
    if (Fix.AskOnlyOutsideBatch && batch_8900::BatchRunning)
        return;
    AskSatisfied(Form, Fix.Manual);
}

void ForEachChannel(const std::function<void(int)>& Set) {
    for (int channel = 0; channel < 3; ++channel)
        Set(channel);
}

}  // namespace

// ---- The balance filters

void TWebForm::BalanceGammaFilter(TPix* Pix) { FilterPix(*this, Pix, BalanceGammaFilterBitmap); }

void TWebForm::BalanceFilter(TPix* Pix) { FilterPix(*this, Pix, BalanceFilterBitmap); }

// ---- The measuring routines

void TWebForm::DoEqualize(QObject* Sender) {
    const TEqualizeMethod method = Sender != nullptr && Sender == mnuAutoLighting     ? TEqualizeMethod::Lighting
                                   : Sender != nullptr && Sender == mnuAutoSaturation ? TEqualizeMethod::Saturation
                                                                                      : TEqualizeMethod::Contrast;
    THistRange range;
    if (method == TEqualizeMethod::Saturation) {
        ResetMaps();
        DoCalcHistogram(Daz95, true, true, false);
        range = OccupiedRange(HistSat, SaturationScan);
    } else {
        DoCalcHistogram(Daz95, false, false, false);
        range = OccupiedRange(HistLum, LuminanceScan);
    }
    FilterCustom1 = range.Low;
    FilterCustom2 = range.High;
    StatusBusy("Enhancing ...");
    switch (method) {
    case TEqualizeMethod::Lighting:
        SetStretchLUT(range.Low, range.High, 1);
        LuminanceFilter(Daz95);
        break;
    case TEqualizeMethod::Saturation:
        SetStretchLUT(range.Low, range.High, 1);
        lumvor::SetGammaLUT(100, 2, false);
        SaturationFilter(Daz95);
        break;
    case TEqualizeMethod::Contrast:
        ForEachChannel([&](int channel) { SetStretchLUT(range.Low, range.High, channel); });
        ColorFilter(Daz95);
        break;
    }
}

void TWebForm::DoAutoGamma() {
    const int32_t mode = FilterCustom2;
    TAutoFixChain chain;
    Application.ProcessMessages();
    ResetMaps();
    DoCalcMidtones(Daz95);
    const TMidtoneStats stats = MidtoneStats();
    const std::optional<int> gamma = AutoGammaFor(stats.Mean, stats.Deviation);
    if (!gamma)
        return;
    lumvor::SetGammaLUT(*gamma, 1, false);
    BalanceGammaFilter(Daz95);
    if (mode != 0)
        return;
    // The gamma-corrected picture against its stretched copy: each pixel keeps
    // the larger of the two.
    TDuplicateLoan loan(*this);
    mnuDuplicateClick(this);
    DoEqualize(mnuAutoContrast);
    mnuMaximum1Click(this);
}

namespace {

// The unchanged picture comes to the front, the corrected one goes into the
// duplicate; FilterCustom1 := the mid-tone target given.
void SwapWithTarget(TWebForm& Form, int32_t Target) {
    FilterCustom1 = std::min(Target, 255);
    Form.mnuSwapClick(&Form);
}

}  // namespace

void TWebForm::DoAutoFlash() {
    const int32_t mode = FilterCustom2;
    {
        TAutoFixChain chain;
        TDuplicateLoan loan(*this);
        mnuDuplicateClick(this);
        StatusBusy("Enhancing ...");
        Application.ProcessMessages();
        ResetMaps();
        int gamma = 100, white = 255;
        if (mode == 2) {
            DoCalcHistogram(Daz95, false, true, false);
            DoCalcMidtones(Daz95);
            const TMidtoneStats stats = MidtoneStats();
            gamma = AutoGammaFor(stats.Mean, stats.Deviation).value_or(100);
            white = OccupiedRange(HistLum, LuminanceScan).High;
        } else {
            DoCalcMidtones(Daz95);
        }
        const int midtones = RoundHalfEven(MidtoneStats().Mean);
        if (mode == 2) {
            ForEachChannel([&](int channel) { SetStretchLUT(0, white, channel); });
            ColorFilter(Daz95);
            lumvor::SetGammaLUT(gamma, 1, false);
            BalanceGammaFilter(Daz95);
            // The faded gamma, applied two times.
            ForEachChannel([&](int channel) { lumvor::SetGammaLUT(gamma, channel, true); });
            ColorFilter(Daz95);
            ColorFilter(Daz95);
            FilterCustom1 = 24;
            FilterCustom2 = 99;
            mnuSwapClick(this);
            // The corrected copy prevails except in the brightest parts.
            DoCompositeMask(Daz95, false, false, false);
        } else if (mode == 1) {
            ResetMaps();
            DoCalcHistogram(Daz95, false, true, false);
            DoOptimize(Daz95);
            ResetMaps();
            DoCalcMidtones(Daz95);
            SwapWithTarget(*this, RoundHalfEven(MidtoneStats().Mean));
            StatusBusy("Enhancing ...");
            Application.ProcessMessages();
            // The unchanged picture's mid-tones lifted to the optimised copy's.
            if (FilterCustom1 > midtones)
                DoConformGamma(Daz95);
        } else if (mode == 0) {
            WhiteMax(Daz95);
            const int32_t whiteColour = FilterCustom3;
            SetFilterCustoms(ColourByte(whiteColour, 0), ColourByte(whiteColour, 1), ColourByte(whiteColour, 2));
            ResetMaps();
            DoCalcMidtones(Daz95);
            SwapWithTarget(*this, PackedWhiteLuminance(whiteColour) + RoundHalfEven(MidtoneStats().Mean));
            if (FilterCustom1 > midtones)
                DoConformGamma(Daz95);
            mnuSwapClick(this);
            // The stretched picture averaged with the lifted original.
            DoEqualize(mnuAutoContrast);
            FilterCustom2 = 50;
            DoAverageBitmap(Daz95);
        }
    }
    StatusReady();
}

void TWebForm::DoAutoWhite() {
    {
        TScopedFlag batch(batch_8900::BatchRunning, true);
        TDuplicateLoan loan(*this);
        mnuDuplicateClick(this);
        FilterCustom2 = 0;
        DoReference();
        StatusBusy("Balancing...");
        TAutoFixChain chain;
        Application.ProcessMessages();
        // Half the way from the white colour to full white, per channel.
        WhiteMax(Daz95);
        const int32_t white = FilterCustom3;
        SetFilterCustoms((255 - ColourByte(white, 0)) >> 1, (255 - ColourByte(white, 1)) >> 1,
                         (255 - ColourByte(white, 2)) >> 1);
        SetBrightLUT(FilterCustom1, 0);
        SetBrightLUT(FilterCustom2, 1);
        SetBrightLUT(FilterCustom3, 2);
        ColorFilter(Daz95);
        DoCalcHistogram(Daz95, false, true, false);
        SetFilterCustoms(ChannelStats(0).Mean, ChannelStats(1).Mean, ChannelStats(2).Mean);
        DoConformGammaRGB(Daz95);
        // The picture as it was comes to the front; dark parts take the
        // corrected copy, bright parts keep the original.
        mnuSwapClick(this);
        FilterCustom1 = 110;
        FilterCustom2 = 99;
        DoCompositeMask(Daz95, false, false, false);
    }
    StatusReady();
}

void TWebForm::DoReference() {
    int32_t mode = FilterCustom2;
    if (!batch_8900::BatchRunning) {
        if (!AutoBackUp())
            return;
        SetBitmap24();
        mode = 0;
    }
    {
        TAutoFixChain chain;
        Application.ProcessMessages();
        ResetMaps();
        const bool bySaturation = mode != 0;
        DoCalcHistogram(Daz95, bySaturation, true, false);
        const TRoundedStats reference = bySaturation ? RoundedStats(HistSumSat, HistSumSqSat, HistCount)
                                                     : RoundedStats(HistSumLum, HistSumSqLum, HistCount);
        FilterCustom1 = reference.Mean;
        FilterCustom2 = reference.Deviation;
        ForEachChannel([&](int channel) { DoNormalize(Daz95, channel); });
        RefreshImage();
    }
    ImageChanged = true;
}

void TWebForm::DoAutoReference() {
    TScopedFlag batch(batch_8900::BatchRunning, true);
    TDuplicateLoan loan(*this);
    mnuDuplicateClick(this);
    FilterCustom2 = 0;
    DoReference();
    // A third of the way towards the reference.
    FilterCustom2 = 33;
    DoAverageBitmap(Daz95);
}

// ---- The one-click commands

void TWebForm::AutoBalanceClick(QObject*) {
    const bool interactive = !batch_8900::BatchRunning;
    if (interactive) {
        if (!AutoBackUp())
            return;
        SetBitmap24();
    }
    FilterCustom2 = 0;
    DoReference();
    WhiteMax(Daz95);
    const int red = FilterCustom1, green = FilterCustom2, blue = ColourByte(FilterCustom3, 2);
    SetBrightLUTex(255 - red, 0);
    SetBrightLUTex(255 - green, 1);
    SetBrightLUTex(255 - blue, 2);
    Screen.SetCursor(crHourGlass);
    BalanceFilter(Daz95);
    Screen.SetCursor(crDefault);
    if (!interactive)
        return;
    AddLabCommand("AUTO_BALANCE");
    AskSatisfied(*this, [this] { mnuColorBalanceClick(FindChrome("btnGammaColor")); });
}

void TWebForm::mnuAutoGammaClick(QObject*, bool ShiftDown) {
    TOneClickFix fix =
        WithShiftAlternative([this] { mnuFixUnderExposureClick(FindChrome("btnAutoGamma")); }, ShiftDown);
    fix.Work = [this] {
        FilterCustom2 = 0;
        DoAutoGamma();
    };
    fix.LinesAfter = {"AUTO_GAMMA"};
    fix.MarksChanged = true;
    RunOneClickFix(*this, fix);
}

void TWebForm::mnuAutoFlashClick(QObject*, bool ShiftDown) {
    TOneClickFix fix =
        WithShiftAlternative([this] { mnuFixUnderExposureClick(FindChrome("btnAutoFlash")); }, ShiftDown);
    fix.LinesBefore = {"AUTO_FLASH"};
    fix.Work = [this] {
        FilterCustom2 = 0;
        DoAutoFlash();
    };
    fix.MarksChanged = true;
    RunOneClickFix(*this, fix);
}

void TWebForm::mnuAutoWhiteClick(QObject*) {
    TOneClickFix fix;
    fix.Manual = [this] { mnuColorBalanceClick(FindChrome("btnGammaColor")); };
    fix.LinesBefore = {"AUTO_WHITE"};
    fix.Work = [this] { DoAutoWhite(); };
    fix.MarksChanged = true;
    fix.AskOnlyOutsideBatch = true;
    RunOneClickFix(*this, fix);
}

void TWebForm::mnuAutoReferenceClick(QObject*) {
    TOneClickFix fix;
    fix.Manual = [this] { mnuColorBalanceClick(FindChrome("btnGammaColor")); };
    fix.Work = [this] { DoAutoReference(); };
    fix.LinesAfter = {"AUTO_REFERENCE"};
    fix.MarksChanged = true;
    RunOneClickFix(*this, fix);
}

namespace {

// The three stretching commands: DoEqualize with the item as Sender, the
// line recorded whatever runs.
TOneClickFix EqualizeFix(TWebForm& Form, QObject* Item, const char* Keyword, std::function<void()> Manual) {
    TOneClickFix fix;
    fix.Manual = std::move(Manual);
    fix.Work = [&Form, Item] { Form.DoEqualize(Item); };
    fix.LinesAfter = {Keyword};
    fix.Recording = TLabRecording::MenuOnly;
    return fix;
}

}  // namespace

void TWebForm::mnuAutoContrastClick(QObject*, bool ShiftDown) {
    TOneClickFix fix = EqualizeFix(*this, mnuAutoContrast, "AUTO_CONTRAST",
                                   [this] { mnuFixContrastClick(FindChrome("btnAutoContrast")); });
    fix.ShiftOpensManual = true;
    fix.ShiftDown = ShiftDown;
    RunOneClickFix(*this, fix);
}

void TWebForm::mnuAutoLightingClick(QObject*) {
    RunOneClickFix(*this, EqualizeFix(*this, mnuAutoLighting, "AUTO_LIGHTING",
                                      [this] { mnuFixContrastClick(mnuAutoLighting); }));
}

void TWebForm::mnuAutoSaturationClick(QObject*) {
    RunOneClickFix(*this, EqualizeFix(*this, mnuAutoSaturation, "AUTO_SATURATE",
                                      [this] { mnuSaturationClick(FindChrome("btnGammaColor")); }));
}

void TWebForm::mnuAutoCleanClick(QObject*, bool ShiftDown) {
    TOneClickFix fix = WithShiftAlternative([this] { mnuNoiseRemovalClick(mnuNoiseRemoval); }, ShiftDown);
    fix.LinesBefore = {"CLEAN=160,192"};
    fix.Work = [this] { SharpGaussianBlur5x5(Daz95, 160, 192); };
    RunOneClickFix(*this, fix);
}

void TWebForm::mnuAutoSharpenClick(QObject*, bool ShiftDown) {
    TOneClickFix fix = WithShiftAlternative([this] { mnuSharpenClick(mnuSharpen); }, ShiftDown);
    fix.LinesBefore = {"UNSHARPMASK=255,63"};
    fix.Work = [this] { UnSharpMask5x5(Daz95, 0, 63); };
    RunOneClickFix(*this, fix);
}

void TWebForm::btnGammaColorClick(QObject*, bool ShiftDown) {
    TOneClickFix fix = WithShiftAlternative([this] { mnuSaturationClick(FindChrome("btnGammaColor")); }, ShiftDown);
    // The saturation stretched, then lifted by a gamma of 1.16.
    fix.Work = [this] {
        DoEqualize(mnuAutoSaturation);
        SetStretchLUT(0, 255, 1);
        lumvor::SetGammaLUT(116, 2, false);
        SaturationFilter(Daz95);
    };
    fix.LinesAfter = {"AUTO_SATURATE", "GAMMA_SATURATION=116"};
    RunOneClickFix(*this, fix);
}

void TWebForm::btnFilmNoirClick(QObject*, bool ShiftDown) {
    TOneClickFix fix = WithShiftAlternative([this] { mnuSaturationClick(FindChrome("btnFilmNoir")); }, ShiftDown);
    fix.LinesBefore = {"NATURALIZE_CCD=128,52"};
    fix.Work = [this] { DoFilmNoir(Daz95, 128, 52, true); };
    RunOneClickFix(*this, fix);
}

// ---- The menu items and buttons

void TWebForm::BuildAutoFixItems(QMenu* Enhance) {
    QMenu* fixes = nullptr;
    mnuAutoFix = SubMenuItem(Enhance, this, "mnuAutoFix", "Auto &Fix", &fixes);
    mnuAutoReference = PendingMenuItem(this, fixes, "mnuAutoReference", "&Auto Reference");
    mnuAutoContrast = PendingMenuItem(this, fixes, "mnuAutoContrast", "Auto &Contrast");
    mnuAutoLighting = PendingMenuItem(this, fixes, "mnuAutoLighting", "Auto &Lighting");
    mnuAutoSaturation = PendingMenuItem(this, fixes, "mnuAutoSaturation", "Auto &Saturate");
    AutoBalance = PendingMenuItem(this, fixes, "AutoBalance", "Auto &Balance");
    mnuAutoGamma = PendingMenuItem(this, fixes, "mnuAutoGamma", "Auto &Gamma");
    mnuAutoFlash = PendingMenuItem(this, fixes, "mnuAutoFlash", "Auto &Flash");
    mnuAutoWhite = PendingMenuItem(this, fixes, "mnuAutoWhite", "Auto &White");
}

void TWebForm::ConnectAutoFix() {
    const auto shift = [] { return QGuiApplication::queryKeyboardModifiers().testFlag(Qt::ShiftModifier); };
    using THandler = std::function<void(QObject*)>;
    const THandler gamma = [this, shift](QObject* s) { mnuAutoGammaClick(s, shift()); };
    const THandler flash = [this, shift](QObject* s) { mnuAutoFlashClick(s, shift()); };
    const THandler white = [this](QObject* s) { mnuAutoWhiteClick(s); };
    const THandler contrast = [this, shift](QObject* s) { mnuAutoContrastClick(s, shift()); };
    const std::pair<TMenuItem*, THandler> items[] = {
        {mnuAutoReference, [this](QObject* s) { mnuAutoReferenceClick(s); }},
        {mnuAutoContrast, contrast},
        {mnuAutoLighting, [this](QObject* s) { mnuAutoLightingClick(s); }},
        {mnuAutoSaturation, [this](QObject* s) { mnuAutoSaturationClick(s); }},
        {AutoBalance, [this](QObject* s) { AutoBalanceClick(s); }},
        {mnuAutoGamma, gamma},
        {mnuAutoFlash, flash},
        {mnuAutoWhite, white},
    };
    for (const auto& [item, handler] : items)
        WireMenuItem(this, item, handler);
    const std::pair<const char*, THandler> buttons[] = {
        {"btnAutoGamma", gamma},
        {"btnAutoFlash", flash},
        {"btnColorBalance", white},
        {"btnAutoContrast", contrast},
        {"btnAutoClean", [this, shift](QObject* s) { mnuAutoCleanClick(s, shift()); }},
        {"btnSharpen", [this, shift](QObject* s) { mnuAutoSharpenClick(s, shift()); }},
        {"btnGammaColor", [this, shift](QObject* s) { btnGammaColorClick(s, shift()); }},
        {"btnFilmNoir", [this, shift](QObject* s) { btnFilmNoirClick(s, shift()); }},
    };
    for (const auto& [name, handler] : buttons) {
        if (auto* button = qobject_cast<QToolButton*>(FindChrome(name)))
            WireToolButton(this, button, handler);
    }
}

}  // namespace lumvor
