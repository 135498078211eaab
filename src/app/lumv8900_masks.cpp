// The Lab's tonal composites, multiply masks and grey conversions on a picture
// control, the Mask Levels, Average and Interlace commands, and the states of
// the Lab menus' items when they open. The pixel work is in
// processing/lab/TonalComposites.h and processing/lab/MultiplyMasks.h.
#include "app/lumv8900.h"
#include "app/script/LabFrame.h"

#include "platform/Menus.h"
#include "processing/dialogs/FilterDlgModel.h"
#include "app/dialogs/filter_8900.h"
#include "processing/lab/MultiplyMasks.h"
#include "processing/lab/PixelArithmetic.h"
#include "processing/lab/TonalComposites.h"
#include "ui/Pix.h"

#include <optional>

namespace lumvor {

using namespace lumv8900;

namespace {

// Gives the user's parked duplicate back when the scope ends, if asked to.
class TRestoreDuplicate {
public:
    TRestoreDuplicate(TWebForm& Form, bool Restore) : form_(Form), restore_(Restore) {}
    ~TRestoreDuplicate() {
        if (restore_)
            form_.RestoreDuplicateFromTemp();
    }
    TRestoreDuplicate(const TRestoreDuplicate&) = delete;
    TRestoreDuplicate& operator=(const TRestoreDuplicate&) = delete;

private:
    TWebForm& form_;
    bool restore_;
};

}  // namespace

TBitmap* CompositePartner(TWebForm& Form, TPix* Pix) {
    if (Pix == Form.Daz95 && !Form.Ok2ComputeFull())
        return nullptr;
    TBitmap* partner = LabPartner(Form, Pix);
    const TBitmap& picture = *Pix->Bitmap();
    if (!partner || partner->Width() != picture.Width() || partner->Height() != picture.Height())
        return nullptr;
    return partner;
}

namespace {

// Runs Composite(target, other) on Pix and its partner inside Pix's locks,
// then ExitFilter(Pix); with WriteToPartner the partner is the target.
void RunComposite(TWebForm& Form, TPix* Pix, bool RestoreDuplicate, bool WriteToPartner,
                  const std::function<void(TBitmap& Target, const TBitmap& Other)>& Composite) {
    TRestoreDuplicate restore(Form, RestoreDuplicate);
    TBitmap* partner = CompositePartner(Form, Pix);
    if (!partner)
        return;
    FilterPix(Form, Pix, [&](TBitmap& picture) {
        if (WriteToPartner)
            Composite(*partner, picture);
        else
            Composite(picture, *partner);
    });
}

}  // namespace

bool TwoImagesReady(TWebForm& Form) {
    if (Form.Ok2ComputeFull())
        return true;
    Form.ShowTwoImageRefusal();
    return false;
}

bool AskTwoImageGroup(int32_t Group, TFilterDlgResult& Result) {
    TFilterDlgParam param{};
    param.Min1 = 1;
    param.Max1 = 255;
    param.Position1 = 3;
    param.MethodCode = Group;
    param.SelectedColor = TColor{0xC0C0C0};
    return AskFilterDialog(param, Result);
}

TFilterDlgParam OneSlider(int Min, int Max, int Position, int PageSize, int LineSize, int MethodCode) {
    TFilterDlgParam param{};
    param.Min1 = Min;
    param.Max1 = Max;
    param.Position1 = Position;
    param.PageSize1 = PageSize;
    param.LineSize1 = LineSize;
    param.MethodCode = MethodCode;
    return param;
}

bool AskFilterDlg(const std::string& Caption, const std::string& MinLabel, const std::string& MaxLabel,
                  const TFilterDlgParam& Param, TFilterDlgResult& Result) {
    ExecuteFilterDlg(Caption, MinLabel, MaxLabel, Param, Result);
    return !LabDialogCancelled(Result[ResultValue]);
}

bool AskFilterDialog(const TFilterDlgParam& Param, TFilterDlgResult& Result) {
    if (!AskFilterDlg("", "", "", Param, Result))
        return false;
    SetFilterCustoms(Result[ResultCustom1], Result[ResultCustom2], Result[ResultCustom3]);
    return true;
}

namespace {

// Shared slider fields of a percentage slider 1..99 at Start.
void PercentSlider(TFilterDlgParam& Param, int Row, int Start) {
    int32_t* fields[3][5] = {
        {&Param.Min1, &Param.Max1, &Param.Position1, &Param.PageSize1, &Param.LineSize1},
        {&Param.Min2, &Param.Max2, &Param.Position2, &Param.PageSize2, &Param.LineSize2},
        {&Param.Min3, &Param.Max3, &Param.Position3, &Param.PageSize3, &Param.LineSize3},
    };
    const int32_t values[5] = {1, 99, Start, 10, 1};
    for (int i = 0; i < 5; ++i)
        *fields[Row][i] = values[i];
}

}  // namespace

// ---- Composites and masks on a picture control

void TWebForm::DoCompositeMask(TPix* Pix, bool Invert, bool RestoreDuplicate, bool WriteToPartner) {
    RunComposite(*this, Pix, RestoreDuplicate, WriteToPartner, [&](TBitmap& target, const TBitmap& other) {
        CompositeMaskBitmap(target, other, FilterCustom1, FilterCustom2, Invert);
    });
}

void TWebForm::DoCompositeMidTones(TPix* Pix, bool RestoreDuplicate, bool WriteToPartner) {
    RunComposite(*this, Pix, RestoreDuplicate, WriteToPartner, [](TBitmap& target, const TBitmap& other) {
        CompositeMidTonesBitmap(target, other, FilterCustom1, FilterCustom2);
    });
}

void TWebForm::DoCompositeContrast(TPix* Pix) {
    RunComposite(*this, Pix, false, false, [](TBitmap& target, const TBitmap& other) {
        CompositeContrastBitmap(target, other, FilterCustom1, FilterCustom2);
    });
}

void TWebForm::DoCompositeGray(TPix* Pix, bool WriteToPartner) {
    // The viewer picture is made 24-bit by Ok2ComputeFull, once the two can be combined.
    RunComposite(*this, Pix, false, WriteToPartner, CompositeGrayBitmap);
}

void TWebForm::DoGray(TPix* Pix) {
    if (Pix == Daz95)
        SetBitmap24();
    FilterPix(*this, Pix, GrayBitmap);
}

void TWebForm::WhiteMax(TPix* Pix) {
    const bool changed = ImageChanged;
    TWhitePoint white;
    FilterPix(*this, Pix, [&](TBitmap& picture) { white = FindWhiteMax(picture); });
    // Measuring is not an edit.
    ImageChanged = changed;
    SetFilterCustoms(white.Red, white.Green, white.Red + 256 * white.Green + 65536 * white.Blue);
}

void TWebForm::SaturationPlane(TPix* Pix) { FilterPix(*this, Pix, SaturationPlaneBitmap); }

void TWebForm::HSLmask(TPix* Pix) { FilterPix(*this, Pix, HSLmaskBitmap); }

void TWebForm::MultiplyMask(TPix* Pix, int Gamma, int Mode, int Invert) {
    FilterPix(*this, Pix, [&](TBitmap& picture) { MultiplyMaskBitmap(picture, Gamma, Mode, Invert); });
}

void TWebForm::BoostMultiplyMask(TPix* Pix, int Gamma, int Mode, int Invert) {
    FilterPix(*this, Pix, [&](TBitmap& picture) { BoostMultiplyMaskBitmap(picture, Gamma, Mode, Invert); });
}

// ---- Mask Levels

void TWebForm::mnuMaskLevelsClick(QObject*) {
    if (!TwoImagesReady(*this))
        return;
    TFilterDlgResult result{};
    TLabCommand command;
    command.BusyText = "Combining ...";
    command.Recording = TLabRecording::MenuOnly;
    command.Parameters = [&] {
        if (!AskTwoImageGroup(9990501, result))
            return false;
        // A method outside the group does nothing.
        const int32_t method = result[ResultMethod];
        return method == 501 || method == 502 || method == 503 || method == 531 || method == 532;
    };
    command.Line = [&]() -> std::string {
        const int c1 = FilterCustom1, c2 = FilterCustom2;
        switch (result[ResultMethod]) {
        case 501: return LabLine("MASK_MIDTONES", {c1, c2});
        case 502: return LabLine("MASK_SHADOWS", {c1, c2});
        case 503: return LabLine("MASK_HIGHLIGHTS", {c1, c2});
        case 531: return LabLine("MASK_CONTRAST", {c1, c2});
        default: return LabLine("MASK_GRAYSCALE");
        }
    };
    command.Work = [&] {
        switch (result[ResultMethod]) {
        case 501: DoCompositeMidTones(Daz95, false, false); break;
        case 502: DoCompositeMask(Daz95, true, false, false); break;
        case 503: DoCompositeMask(Daz95, false, false, false); break;
        case 531: DoCompositeContrast(Daz95); break;
        default: DoCompositeGray(Daz95, false); break;
        }
    };
    RunLabCommand(*this, command);
}

// ---- Average and Interlace

void TWebForm::mnuAverage1Click(QObject*) {
    if (!TwoImagesReady(*this))
        return;
    int32_t percentage = 0;
    TLabCommand command;
    command.LineTime = TLabLineTime::AfterWork;
    command.Ending = TLabEnding::TwoImage;
    command.Parameters = [&] {
        TFilterDlgParam param{};
        PercentSlider(param, 0, mnuAverage1->Tag);
        param.MethodCode = 500;
        TFilterDlgResult result{};
        ExecuteFilterDlg("Average Bitmaps (%)", "1 (less)", "99 (more)", param, result);
        if (LabDialogCancelled(result[ResultValue]))
            return false;
        percentage = result[ResultValue];
        return true;
    };
    command.Line = [&] { return LabLine("AVERAGE", {percentage}); };
    command.Work = [&] {
        mnuAverage1->Tag = percentage;
        FilterCustom2 = percentage;
        DoAverageBitmap(Daz95);
    };
    RunLabCommand(*this, command);
}

void TWebForm::mnuInterLace1Click(QObject*) {
    if (!TwoImagesReady(*this))
        return;
    int32_t percentage = 0, field = 0;
    TLabCommand command;
    command.LineTime = TLabLineTime::AfterWork;
    command.Ending = TLabEnding::TwoImage;
    command.Parameters = [&] {
        TFilterDlgParam param{};
        param.CustomSliders = 1;
        param.MethodCode = 510;
        PercentSlider(param, 0, mnuInterLace1->Tag);
        PercentSlider(param, 2, mnuInterLace1->Tag);
        param.Min2 = 0;
        param.Max2 = 1;
        param.Position2 = InterlaceField;
        param.PageSize2 = param.LineSize2 = 1;
        param.MinLabel1 = param.MinLabel3 = "1 (less)";
        param.MaxLabel1 = param.MaxLabel3 = "99 (more)";
        param.MinLabel2 = "Even";
        param.MaxLabel2 = "Odd";
        TFilterDlgResult result{};
        ExecuteFilterDlg("Interlace Bitmaps (%)", "", "", param, result);
        if (LabDialogCancelled(result[ResultValue]))
            return false;
        // The preview leaves the blend in custom value 2 and the field in 3.
        percentage = result[ResultCustom2];
        field = result[ResultCustom3] != 0 ? 1 : 0;
        return true;
    };
    command.Line = [&] { return LabLine("INTERLACE", {percentage, field}); };
    command.Work = [&] {
        mnuInterLace1->Tag = percentage;
        FilterCustom2 = percentage;
        FilterCustom3 = field;
        InterlaceField = field;
        DoAverageField(Daz95, field);
    };
    RunLabCommand(*this, command);
}

// ---- Menu states

void TWebForm::homeLabClick(QObject*) {
    SetItemEnabled(mnuSwap, Ok2ComputeFull());
    bool backup = false;
    try {
        backup = BackupBitmap && BackupBitmap->Width() != 0 && BackupBitmap->Height() != 0;
    } catch (const std::exception&) {
        backup = false;
    }
    SetItemEnabled(mnuCopyFromBackup, backup);
}

void TWebForm::HomeReMap1Click(QObject*) {
    if (TagOf(FindChrome("mnuGetConformData")) == 0)
        return;
    SetChromeEnabled("mnuUseConformData", true);
    SetChromeEnabled("mnuUseConformSAT", true);
}

}  // namespace lumvor
