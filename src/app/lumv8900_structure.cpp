// The structure commands of the image window: Clean / Soften, de-pixelation,
// descreening, mosaic tiles, random noise and red-eye removal, in the Lab
// command frame around the routines of processing/spatial.
#include "app/lumv8900.h"
#include "app/script/LabFrame.h"

#include "platform/Forms.h"
#include "platform/Menus.h"
#include "processing/dialogs/FilterDlgModel.h"
#include "app/dialogs/filter_8900.h"
#include "processing/script/LabState.h"
#include "processing/lab/ChannelPeaks.h"
#include "app/Spatial.h"
#include "processing/spatial/StructureFilters.h"
#include "processing/tonal/ColorMaps.h"
#include "processing/tonal/Histogram.h"
#include "ui/Pix.h"
#include "ui/usrdlg_w.h"
#include "ui/voMsgBox.h"

#include <algorithm>

namespace lumvor {

using namespace lumv8900;


void TWebForm::mnuNoiseRemovalClick(QObject*) {
    TFilterDlgResult result{};
    TLabCommand command;
    command.BusyText = "Smoothing ...";
    command.Recording = TLabRecording::MenuOnly;
    command.Parameters = [&] {
        TFilterDlgParam param = OneSlider(1, 255, 3, 0, 0, 9990230);
        param.SelectedColor = TColor(0xC0C0C0);
        if (!AskFilterDlg("", "", "", param, result))
            return false;
        FilterCustom1 = result[ResultCustom1];
        FilterCustom2 = result[ResultCustom2];
        FilterCustom3 = result[ResultCustom3];
        // A method outside the group does nothing.
        const int32_t method = result[ResultMethod];
        return method == 1 || method == 3 || method == 4 || method == 30 || method == 31 || method == 36 ||
               method == 155 || method == 231;
    };
    command.Line = [&]() -> std::string {
        const int value = result[ResultValue];
        switch (result[ResultMethod]) {
            case 1:
                return LabLine("OUTLIER", {value});
            case 3:
                return LabLine("SOFTEN", {value});
            case 4:
                return LabLine("DESPECKLE", {value});
            case 30:
                return LabLine("GAUSSIAN", {value});
            case 31:
                return LabLine("DEFOCUS", {value});
            case 36:
                return LabLine("UNSPOT", {value});
            case 155:
                return LabLine("AIRBRUSH", {result[ResultCustom1], result[ResultCustom2], result[ResultCustom3]});
            default:
                return LabLine("CLEAN", {value, FilterCustom2});
        }
    };
    command.Work = [&] {
        const int value = result[ResultValue];
        switch (result[ResultMethod]) {
            case 1:
                GaussianBlur3x3(Daz95, 255 - value, 8, true);
                break;
            case 3:
                Soften(Daz95, value);
                break;
            case 4:
                Median(Daz95, value, 0);
                break;
            case 30:
                GaussianBlur3x3(Daz95, 255 - value, 9, false);
                break;
            case 31:
                DeFocus(Daz95, 255 - value);
                break;
            case 36:
                Median(Daz95, 1, value);
                break;
            case 155:
                AirBrush(Daz95);
                break;
            default:
                SharpGaussianBlur5x5(Daz95, value, FilterCustom2);
                break;
        }
    };
    RunLabCommand(*this, command);
}

void TWebForm::mnuDePixelateClick(QObject*) {
    TLabCommand command;
    command.Recording = TLabRecording::MenuOnly;
    command.Line = [] { return LabLine("DEPIXELATE", {1}); };
    command.Work = [this] { DeMosaic2x2(Daz95, false); };
    RunLabCommand(*this, command);
}

void TWebForm::mnuDescreenClick(QObject*) {
    TFilterDlgResult result{};
    TLabCommand command;
    command.BusyText = "Descreening ...";
    command.Recording = TLabRecording::MenuOnly;
    command.Parameters = [&] {
        return AskFilterDlg("DeScreen", "1 (weak)", "4 (strong)", OneSlider(0, 3, 0, 1, 1, 260), result);
    };
    command.Line = [&] {
        static const char* const lines[] = {"DESCREEN_LIGHT", "DESCREEN_STRONG", "DESCREEN_HIGH", "DESCREEN_MEDIUM"};
        return LabLine(lines[std::clamp(result[ResultValue], 0, 3)]);
    };
    command.Work = [&] {
        const int value = std::clamp(result[ResultValue], 0, 3);
        if (value == 0)
            Soften(Daz95, 7);
        else
            DeScreen5x5(Daz95, value == 3 ? 0 : value);
        ImageChanged = true;
    };
    RunLabCommand(*this, command);
}

void TWebForm::mnuMosaic1Click(QObject*) {
    TFilterDlgResult result{};
    TLabCommand command;
    command.BusyText = "Tiling ...";
    command.Parameters = [&] {
        return AskFilterDlg("Mosaic Tile", "2x2", "16x16", OneSlider(2, 16, mnuMosaic1->Tag, 1, 1, 250), result);
    };
    command.Line = [&] { return LabLine("MOSAIC", {std::clamp(result[ResultValue], 2, 16)}); };
    command.Work = [&] { Tile(Daz95, std::clamp(result[ResultValue], 2, 16), true); };
    RunLabCommand(*this, command);
}

void TWebForm::mnuRandomNoiseClick(QObject*) {
    TLabCommand command;
    command.Parameters = [] {
        TFilterDlgParam param{};
        param.Min1 = param.Min2 = param.Min3 = 0;
        param.Max1 = param.Max2 = param.Max3 = 255;
        param.Position1 = param.Position2 = param.Position3 = 16;
        param.PageSize1 = param.PageSize2 = param.PageSize3 = 16;
        param.LineSize1 = param.LineSize2 = param.LineSize3 = 1;
        param.MinLabel1 = param.MinLabel2 = param.MinLabel3 = "0 (none)";
        param.MaxLabel1 = param.MaxLabel2 = param.MaxLabel3 = "100 (max)";
        param.CustomSliders = 1;
        param.MethodCode = 115;
        TFilterDlgResult result{};
        if (!AskFilterDlg("Add Random Noise", "", "", param, result))
            return false;
        FilterCustom1 = result[ResultCustom1];
        FilterCustom2 = result[ResultCustom2];
        FilterCustom3 = result[ResultCustom3];
        return true;
    };
    command.Work = [this] {
        RandomNoise(Daz95);
        ImageChanged = true;
    };
    RunLabCommand(*this, command);
}

void TWebForm::mnuRedEye1Click(QObject*) {
    if (!SelectionShown) {
        voMessageDlg("", "\"Red eye\" removal", "Please select (marquee) a region on your image.", mtInformation,
                     mbOKOnly, AutoDefaultButton, 440);
        return;
    }
    TLabCommand command;
    command.Ending = TLabEnding::TwoImage;
    command.Work = [this] {
        // The routine cuts its rows to the picture; the stored selection stays.
        TPaintLock lock(*Daz95);
        RedEyeBitmap(*Daz95->Bitmap(), Selection);
    };
    if (RunLabCommand(*this, command))
        RestoreSelection();
}

void TWebForm::WhiteProfile(TPix* Pix) { FilterPix(*this, Pix, WhiteProfileBitmap); }

void TWebForm::mnuCenter1Click(QObject*) {
    TLabCommand command;
    command.LineTime = TLabLineTime::AfterWork;
    command.Line = [] { return LabLine("CENTER"); };
    command.Work = [this] {
        DoCalcHistogram(Daz95, true, false, false);
        const std::array<int, 3> shifts = CentreShifts(HistR, HistG, HistB);
        // The saturated pixels are shown blackened for a moment; the shifts
        // come from the histogram of the whole picture, which is put back.
        WorkBitmap = std::make_unique<TBitmap>();
        WorkBitmap->Assign(Daz95->Bitmap());
        WhiteProfile(Daz95);
        SetFilterCustoms(shifts[0], shifts[1], shifts[2]);
        {
            TPaintLock lock(*Daz95);
            Daz95->Bitmap()->Assign(WorkBitmap.get());
        }
        WorkBitmap->Assign(nullptr);
        for (int c = 0; c < 3; ++c)
            SetShiftLUT(shifts[size_t(c)], c);
        TPaintLock lock(*Daz95);
        ColorFilterBitmap(*Daz95->Bitmap());
    };
    RunLabCommand(*this, command);
}

void TWebForm::AddArtifact(int Quality) {
    const int quality = std::clamp(Quality, 1, 255);
    AddArtifactBitmap(*Daz95->Bitmap(), quality);
    RefreshImage();
    if (!batch_8900::BatchRunning)
        AddLabCommand(LabLine("ARTIFACT", {quality}));
}

void TWebForm::mnuArtifactsClick(QObject*) {
    int quality = 0;
    TLabCommand command;
    command.BusyText = "Adding artifacts ...";
    command.Parameters = [&] {
        TXScrlDlgParam params;
        params.Min = 1;
        params.Max = 255;
        params.Position = mnuArtifacts->Tag;
        params.LargeChange = 8;
        params.SmallChange = 1;
        params.ShowPresets = 0;
        params.UseTrackBar = 0;
        quality = ExecuteXScrlDlg("Add JPEG artifacts", "1=(low)", "255=(high)", params);
        if (quality == XScrlCancelled) {
            mnuUndoClick(this);
            return false;
        }
        mnuArtifacts->Tag = quality;
        return true;
    };
    command.Work = [&] { AddArtifact(quality); };
    command.Ending = TLabEnding::TwoImage;
    RunLabCommand(*this, command);
}

}  // namespace lumvor
