// The neighbourhood filters on picture controls and the Sharpen command:
// cursor, progress, locks and endings around the headless routines of
// processing/spatial.
#include "app/lumv8900.h"
#include "app/script/LabFrame.h"

#include "app/dialogs/filter_8900.h"
#include "app/Spatial.h"
#include "platform/Forms.h"
#include "platform/SysUtils.h"
#include "processing/script/LabState.h"
#include "processing/spatial/SpatialFilters.h"
#include "processing/spatial/StructureFilters.h"
#include "processing/spatial/UnsharpMask.h"
#include "ui/Pix.h"

namespace lumvor {

using namespace lumv8900;

namespace {

using TWindowFilter = std::function<void(TBitmap&, const TRowProgress&)>;

bool IsViewerPicture(const TPix* Pix) { return WebForm && Pix == WebForm->Daz95; }

// Runs a window filter on Pix's bitmap under the hourglass and Pix's locks.
// For the viewer picture the progress bar starts again and moves every
// EveryRows rows, and pending events run once before the filter (so the busy
// status shows), never during it. A dialog's preview runs inside the dialog's
// own event handling and lets no events through.
void RunOnPix(TPix* Pix, int EveryRows, const TWindowFilter& Filter) {
    Screen.SetCursor(crHourGlass);
    TRowProgress progress;
    const bool viewer = IsViewerPicture(Pix);
    if (viewer) {
        TWebForm* form = WebForm;
        form->ProgressReset();
        progress = [form, EveryRows](int row, int rows) {
            if (row % EveryRows == 0)
                form->ProgressUpdate(row * 100 / rows);
        };
    }
    TPaintLock lock(*Pix);
    if (viewer)
        Application.ProcessMessages();
    Filter(*Pix->Bitmap(), progress);
}

// The filters' common ending, also where no image window exists (a dialog's
// preview in a test).
void ExitFilterOf(TPix* Pix) {
    if (WebForm) {
        WebForm->ExitFilter(Pix);
        return;
    }
    Pix->update();
    Screen.SetCursor(crDefault);
}

// The 3 x 3 convolution's ending: nothing is shown while a script's crop
// step runs; otherwise the picture is repainted and the viewer picture marked
// changed with "Ready.".
void EndSpatial3x3(TPix* Pix) {
    if (!(batch_8900::BatchRunning && CropFromScript)) {
        if (IsViewerPicture(Pix)) {
            ImageChanged = true;
            WebForm->StatusReady();
            WebForm->RefreshImage();
        } else {
            Pix->update();
        }
    }
    Screen.SetCursor(crDefault);
}

void RunUnsharpMask(TPix* Pix, int Size, const TWindowFilter& Filter) {
    RunOnPix(Pix, Size, Filter);
    ExitFilterOf(Pix);
}

}  // namespace

// ---- The spatial filters (Spatial.h)

void Spatial3x3(TPix* Pix, int Divisor) {
    const TSpatialKernel kernel = SpatialKernel;
    RunOnPix(Pix, 1, [&](TBitmap& bitmap, const TRowProgress& progress) {
        Spatial3x3Bitmap(bitmap, kernel, Divisor, progress);
    });
    EndSpatial3x3(Pix);
}

void MeanRemoval(TPix* Pix, int Strength) { Spatial3x3(Pix, SetMeanRemovalKernel(Strength)); }

void HighPassMedium(TPix* Pix, int Strength) { Spatial3x3(Pix, SetHighPassMediumKernel(Strength)); }

void HighPassLight(TPix* Pix) { Spatial3x3(Pix, SetHighPassLightKernel()); }

void Soften(TPix* Pix, int Level) { Spatial3x3(Pix, SetSoftenKernel(Level)); }

void DeFocus(TPix* Pix, int Amount) { Spatial3x3(Pix, SetDeFocusKernel(Amount)); }

void SharpGaussianBlur5x5(TPix* Pix, int Threshold, int Amount) {
    RunOnPix(Pix, 1, [&](TBitmap& bitmap, const TRowProgress& progress) {
        SharpGaussianBlur5x5Bitmap(bitmap, Threshold, Amount, progress);
    });
    ExitFilterOf(Pix);
}

void Median(TPix* Pix, int Mode, int Threshold) {
    RunOnPix(Pix, 1, [&](TBitmap& bitmap, const TRowProgress& progress) {
        MedianBitmap(bitmap, Mode, Threshold, progress);
    });
    ExitFilterOf(Pix);
}

void GaussianBlur3x3(TPix* Pix, int Threshold, int Divisor, bool SkipCentre) {
    RunOnPix(Pix, 1, [&](TBitmap& bitmap, const TRowProgress& progress) {
        GaussianBlur3x3Bitmap(bitmap, Threshold, Divisor, SkipCentre, progress);
    });
    ExitFilterOf(Pix);
}

void DeMosaic2x2(TPix* Pix, bool Diagonal) {
    RunOnPix(Pix, 1, [&](TBitmap& bitmap, const TRowProgress& progress) {
        DeMosaic2x2Bitmap(bitmap, Diagonal, progress);
    });
    ExitFilterOf(Pix);
}

void DeScreen5x5(TPix* Pix, int Mode) {
    RunOnPix(Pix, 1, [&](TBitmap& bitmap, const TRowProgress& progress) {
        DeScreen5x5Bitmap(bitmap, Mode, progress);
    });
    ExitFilterOf(Pix);
}

void Tile(TPix* Pix, int N, bool Repaint) {
    RunOnPix(Pix, 1, [&](TBitmap& bitmap, const TRowProgress& progress) { TileBitmap(bitmap, N, progress); });
    if (Repaint)
        Pix->update();
    if (IsViewerPicture(Pix)) {
        ImageChanged = true;
        if (WebForm->isVisible())
            WebForm->StatusReady();
    }
    Screen.SetCursor(crDefault);
}

void RandomNoise(TPix* Pix) {
    RandomNoiseBitmap(*Pix->Bitmap(), FilterCustom1, FilterCustom2, FilterCustom3, [] { return Random(); });
    ExitFilterOf(Pix);
}

// ---- The unsharp masks

void TWebForm::UnSharpMask3x3(TPix* Pix, int T, int A) {
    RunUnsharpMask(Pix, 3, [&](TBitmap& bitmap, const TRowProgress& progress) {
        UnSharpMask3x3Bitmap(bitmap, T, A, progress);
    });
}

void TWebForm::UnSharpMask5x5(TPix* Pix, int T, int A) {
    RunUnsharpMask(Pix, 5, [&](TBitmap& bitmap, const TRowProgress& progress) {
        UnSharpMask5x5Bitmap(bitmap, T, A, progress);
    });
}

void TWebForm::UnSharpMaskReference(TPix* Pix, int T, int A) {
    RunUnsharpMask(Pix, 1, [&](TBitmap& bitmap, const TRowProgress& progress) {
        UnSharpMaskReferenceBitmap(bitmap, T, A, progress);
    });
}

// ---- Enhance > Details / Sharpen

void TWebForm::mnuSharpenClick(QObject*) {
    TFilterDlgResult result{};
    TLabCommand command;
    command.BusyText = "Applying filter ...";
    command.Recording = TLabRecording::MenuOnly;
    command.Parameters = [&] {
        if (!AskFilterDlg("Sharpening Filters", "", "", OneSlider(1, 255, 3, 16, 1, 9990033), result))
            return false;
        FilterCustom1 = result[ResultCustom1];
        FilterCustom2 = result[ResultCustom2];
        FilterCustom3 = result[ResultCustom3];
        // A method outside the sharpening group does nothing.
        const int32_t method = result[ResultMethod];
        return method == 32 || method == 33 || method == 34 || method == 230;
    };
    command.Line = [&]() -> std::string {
        const int value = result[ResultValue];
        switch (result[ResultMethod]) {
            case 32:
                return LabLine("MEANREMOVAL", {value});
            case 33:
                return LabLine("HIGHPASS", {value});
            case 34:
                return LabLine("HIGHPASSLIGHT");
            default:
                return LabLine("UNSHARPMASK", {value, FilterCustom2, FilterCustom3});
        }
    };
    command.Work = [&] {
        const int value = result[ResultValue];
        switch (result[ResultMethod]) {
            case 32:
                MeanRemoval(Daz95, value);
                break;
            case 33:
                HighPassMedium(Daz95, value);
                break;
            case 34:
                HighPassLight(Daz95);
                break;
            default:
                if (FilterCustom3 != 0)
                    UnSharpMask3x3(Daz95, 255 - value, FilterCustom2);
                else
                    UnSharpMask5x5(Daz95, 255 - value, FilterCustom2);
                break;
        }
    };
    RunLabCommand(*this, command);
}

}  // namespace lumvor
