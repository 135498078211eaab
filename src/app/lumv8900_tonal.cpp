// The image window's hue, lightness and saturation filters, the negative and
// the histogram computations: locks, status and endings around the headless
// routines of processing/tonal.
#include "app/lumv8900.h"
#include "app/script/LabFrame.h"

#include "platform/Forms.h"
#include "platform/SysUtils.h"
#include "processing/dialogs/histogram_w.h"
#include "processing/tonal/HLSFilters.h"
#include "processing/tonal/Histogram.h"
#include "ui/Pix.h"

#include <QMenu>

namespace lumvor {

using namespace lumv8900;

void TWebForm::ColorTuneHLS(TPix* Pix, int dH, int dL, int dS) {
    FilterPix(*this, Pix, [&](TBitmap& bitmap) { ColorTuneHLSBitmap(bitmap, dH, dL, dS); });
}

void TWebForm::SaturationFilter(TPix* Pix) { FilterPix(*this, Pix, SaturationFilterBitmap); }

void TWebForm::LuminanceFilter(TPix* Pix) { FilterPix(*this, Pix, LuminanceFilterBitmap); }

void TWebForm::mnuNegativeClick(QObject*) {
    TLabCommand command;
    command.LineTime = TLabLineTime::AfterWork;
    command.Ending = TLabEnding::SizeChange;
    command.Line = [] { return LabLine("NEGATIVE"); };
    command.Work = [this] { InvertBitmap(*Daz95->Bitmap()); };
    RunLabCommand(*this, command);
}

void TWebForm::DoCalcHistogram(TPix* Pix, bool DoSaturation, bool DoSums, bool DoHue) {
    const bool changed = ImageChanged;
    if (!AutoFixBusy)
        Screen.SetCursor(crHourGlass);
    FilterPix(*this, Pix, [&](TBitmap& bitmap) { CalcHistogram(bitmap, DoSaturation, DoSums, DoHue); });
    // Counting is not an edit.
    ImageChanged = changed;
}

void TWebForm::mnuHistogram1Click(QObject*) {
    if (!mnuImageV->menuAction()->isEnabled())
        return;
    const bool changed = ImageChanged;
    if (ImageBitCount != 24)
        SetBitmap24();
    DoCalcHistogram(Daz95, true, false, false);
    ExecuteHistogramDlg("Histogram [" + ExtractFileName(FileName) + "]", true);
    ImageChanged = changed;
}

void TWebForm::DoCalcMidtones(TPix* Pix) {
    if (!AutoFixBusy)
        Screen.SetCursor(crHourGlass);
    FilterPix(*this, Pix, CalcMidtones);
}

}  // namespace lumvor
