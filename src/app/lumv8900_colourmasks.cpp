// The colour masks and the edge mask on picture controls, and the Lab's Mask
// Colors, Mask Edges and Create Mask commands, around the headless routines
// of processing/lab/ColourMasks.h.
#include "app/lumv8900.h"
#include "app/script/LabFrame.h"

#include "platform/Forms.h"
#include "processing/dialogs/FilterDlgModel.h"
#include "app/dialogs/filter_8900.h"
#include "processing/lab/ColourMasks.h"
#include "ui/Pix.h"

namespace lumvor {

using namespace lumv8900;

namespace {

// Unpacks the HLS box of FilterCustom1..3 once: the centres go to the mask
// centre globals, the tolerances stay in FilterCustom1..3.
TColourBox UnpackFilterBox() {
    const TColourBox box = UnpackColourBox(FilterCustom1, FilterCustom2, FilterCustom3);
    MaskHueCentre = box.HueCentre;
    MaskLitCentre = box.LitCentre;
    MaskSatCentre = box.SatCentre;
    SetFilterCustoms(box.HueTolerance, box.LitTolerance, box.SatTolerance);
    return box;
}

TMaskColour MaskColourOf(TColor Colour) {
    const TColor rgb = ColorToRGB(Colour);
    return {GetRValue(rgb), GetGValue(rgb), GetBValue(rgb)};
}

// The ending of the routines that draw a mask: "Ready.", default cursor, repaint.
void EndMaskView(TWebForm& Form, TPix* Pix) {
    Form.StatusReady();
    Screen.SetCursor(crDefault);
    if (Pix == Form.Daz95)
        Form.RefreshImage();
    else
        Pix->update();
}

// Runs a mask routine on Pix's bitmap inside its locks, then EndMaskView.
void DrawMask(TWebForm& Form, TPix* Pix, const std::function<void(TBitmap&)>& Work) {
    {
        TPaintLock lock(*Pix);
        Work(*Pix->Bitmap());
    }
    EndMaskView(Form, Pix);
}

}  // namespace

void TWebForm::MaskColors(TPix* Pix, bool Invert, bool Black, bool Quantize) {
    const TColourBox box = UnpackFilterBox();
    DrawMask(*this, Pix, [&](TBitmap& picture) { MaskColoursBitmap(picture, box, Invert, Black, Quantize); });
}

void TWebForm::ShowMaskColors(TPix* Pix, bool Invert, TColor Colour, bool Quantize, bool Black) {
    const TColourBox box = UnpackFilterBox();
    const TMaskColour selected = MaskColourOf(Colour);
    DrawMask(*this, Pix,
             [&](TBitmap& picture) { MaskColoursBitmap(picture, box, Invert, Black, Quantize, selected); });
}

void TWebForm::DoColorMask(TPix* Pix, bool Keep) {
    TBitmap* partner = CompositePartner(*this, Pix);
    if (!partner)
        return;
    const TColourBox box = UnpackFilterBox();
    FilterPix(*this, Pix, [&](TBitmap& picture) { ColourMaskBitmap(picture, *partner, box, Keep); });
}

void TWebForm::ShowParametricMask(TPix* Pix, TColor Colour) {
    const TMaskColour colour = MaskColourOf(Colour);
    {
        TPaintLock lock(*Pix);
        ParametricMaskBitmap(*Pix->Bitmap(), RedMap, GreenMap, BlueMap, colour);
    }
    StatusReady();
}

void TWebForm::DoMaskEdges(TPix* Pix, int Threshold, bool ShowProgress, int Weight, int) {
    TBitmap* partner = CompositePartner(*this, Pix);
    if (!partner)
        return;
    Screen.SetCursor(crHourGlass);
    std::function<void(int, int)> progress;
    const bool viewer = Pix == Daz95;
    if (viewer) {
        ProgressReset();
        if (ShowProgress)
            progress = [this](int row, int rows) { ProgressUpdate(row * 100 / rows); };
    }
    FilterPix(*this, Pix, [&](TBitmap& picture) {
        if (viewer)
            Application.ProcessMessages();
        MaskEdgesBitmap(picture, *partner, Threshold, Weight, progress);
    });
}

void TWebForm::AirBrush(TPix* Pix) {
    const TColourBox box = UnpackFilterBox();
    std::function<void(int, int)> progress;
    const bool viewer = Pix == Daz95;
    if (viewer) {
        ProgressReset();
        progress = [this](int row, int rows) { ProgressUpdate(row * 100 / rows); };
    }
    FilterPix(*this, Pix, [&](TBitmap& picture) {
        AirBrushBitmap(picture, box, progress);
        // Only for the viewer: in the preview a pending Apply would run early.
        if (viewer)
            Application.ProcessMessages();
    });
}

void TWebForm::MaskRGBex(TPix* Pix, bool Select, int32_t Red, int32_t Green, int32_t Blue) {
    SetFilterCustoms(Red & 255, Green & 255, Blue & 255);
    DrawMask(*this, Pix, [&](TBitmap& picture) { MaskRGBBitmap(picture, Select, Red, Green, Blue); });
}

// ---- Lab > Mask Colors, Mask Edges, Create Mask

void TWebForm::mnuMaskColorsClick(QObject*) {
    if (!TwoImagesReady(*this))
        return;
    TFilterDlgResult result{};
    TLabCommand command;
    command.BusyText = "Combining ...";
    command.Parameters = [&] {
        return AskTwoImageGroup(9990151, result) && (result[ResultMethod] == 151 || result[ResultMethod] == 152);
    };
    // Recorded before the routine unpacks the values.
    command.Line = [&] {
        return LabLine(result[ResultMethod] == 151 ? "MASK_HLS" : "MASK_HLSINV",
                       {FilterCustom1, FilterCustom2, FilterCustom3});
    };
    command.Work = [&] { DoColorMask(Daz95, result[ResultMethod] == 151); };
    RunLabCommand(*this, command);
    Screen.SetCursor(crDefault);
}

void TWebForm::mnuMaskEdgesClick(QObject*) {
    if (!TwoImagesReady(*this))
        return;
    TFilterDlgResult result{};
    TLabCommand command;
    command.BusyText = "Masking edges ...";
    command.Parameters = [&] {
        if (!AskFilterDlg("Mask Edges", "1 (weak)", "255 (strong)", OneSlider(1, 255, 192, 16, 1, 520), result))
            return false;
        FilterCustom2 = result[ResultCustom2];
        return true;
    };
    command.Line = [&] { return LabLine("MASK_EDGES", {result[ResultValue], FilterCustom2}); };
    command.Work = [&] { DoMaskEdges(Daz95, result[ResultValue], true, FilterCustom2, 25); };
    RunLabCommand(*this, command);
}

void TWebForm::mnuCreateMaskClick(QObject*) {
    TFilterDlgResult result{};
    TLabCommand command;
    command.Parameters = [&] {
        TFilterDlgParam param{};
        param.MethodCode = 9990150;
        param.StartChoice = 0;
        param.SelectedColor = TColor{0xC0C0C0};
        if (!AskFilterDialog(param, result))
            return false;
        const int32_t method = result[ResultMethod];
        return method == 153 || method == 154 || method == 156 || method == 157;
    };
    command.Line = [&] {
        const char* keywords[] = {"REPLACE_HLS", "REPLACE_HLSINV", "", "REPLACE_RGB", "REPLACE_RGBINV"};
        return LabLine(keywords[result[ResultMethod] - 153], {FilterCustom1, FilterCustom2, FilterCustom3});
    };
    command.Work = [&] {
        const int32_t c1 = result[ResultCustom1], c2 = result[ResultCustom2], c3 = result[ResultCustom3];
        switch (result[ResultMethod]) {
        case 153: MaskColors(Daz95, false, true, false); break;
        case 154: MaskColors(Daz95, true, true, false); break;
        case 156: MaskRGBex(Daz95, true, c1, c2, c3); break;
        default: MaskRGBex(Daz95, false, c1, c2, c3); break;
        }
    };
    RunLabCommand(*this, command);
}

}  // namespace lumvor
