// The Lab's two-image commands (Compute > Multiply, Minimum, Maximum,
// Difference, Subtract) and its byte-arithmetic routines on a picture control, around
// the headless routines of processing/lab/PixelArithmetic.h and
// processing/tonal/HLSFilters.h.
#include "app/lumv8900.h"
#include "app/script/LabFrame.h"

#include "platform/Forms.h"
#include "platform/Menus.h"
#include "processing/lab/PixelArithmetic.h"
#include "processing/tonal/HLSFilters.h"
#include "ui/Pix.h"

#include <optional>

namespace lumvor {

using namespace lumv8900;

namespace {

// The start of every two-image command: the refusal box when the two pictures
// cannot be combined, then the undo copy (skipped while a script runs). False
// when the command must stop.
bool StartTwoImageCommand(TWebForm& Form, bool TakeUndoCopy) {
    if (!Form.Ok2ComputeFull()) {
        Form.ShowTwoImageRefusal();
        return false;
    }
    return !TakeUndoCopy || Form.AutoBackUp();
}

void RecordOrMarkChanged(const char* Keyword) {
    // The picture changed in both cases; the undo copy no longer says so.
    ImageChanged = true;
    if (!batch_8900::BatchRunning)
        AddLabCommand(Keyword);
}

void RunTwoImageCommand(TWebForm& Form, TTwoImageRule Rule, const char* Keyword) {
    if (!StartTwoImageCommand(Form, true))
        return;
    std::optional<TPaintLock> lock(std::in_place, *Form.Daz95);
    CombineBitmaps(*Form.Daz95->Bitmap(), *DuplicateBitmap, Rule);
    if (Rule == TTwoImageRule::Maximum) {
        // Maximum ends in its own order, and leaves the repaint to the
        // automatic fix that chains it.
        RecordOrMarkChanged(Keyword);
        Form.StatusReady();
        lock.reset();
        if (!AutoFixBusy) {
            Form.RefreshImage();
            Screen.SetCursor(crDefault);
        }
        return;
    }
    lock.reset();
    Form.StatusReady();
    Form.RefreshImage();
    RecordOrMarkChanged(Keyword);
}

}  // namespace

void TWebForm::mnuMultiply1Click(QObject*) { RunTwoImageCommand(*this, TTwoImageRule::Multiply, "MULTIPLY"); }

void TWebForm::mnuMinimum1Click(QObject*) { RunTwoImageCommand(*this, TTwoImageRule::Minimum, "MINIMUM"); }

void TWebForm::mnuMaximum1Click(QObject*) { RunTwoImageCommand(*this, TTwoImageRule::Maximum, "MAXIMUM"); }

void TWebForm::mnuSubtractClick(QObject*) { RunTwoImageCommand(*this, TTwoImageRule::Subtract, "SUBTRACT"); }

void TWebForm::mnuDifference1Click(QObject* Sender) {
    const bool measure = Sender != nullptr && Sender == mnuAnalyze;
    if (!measure) {
        RunTwoImageCommand(*this, TTwoImageRule::Difference, "DIFFERENCE");
        return;
    }
    // Measuring changes nothing, so it keeps the user's undo copy as it is.
    if (!StartTwoImageCommand(*this, false))
        return;
    int64_t sum = 0;
    {
        TPaintLock lock(*Daz95);
        sum = SumSquaredDifferences(*Daz95->Bitmap(), *DuplicateBitmap);
    }
    if (!batch_8900::BatchRunning)
        DifferenceSumSq = double(sum);
    StatusReady();
}

// ---- Routines on a picture control

void TWebForm::DoAverageBitmap(TPix* Pix) {
    if (Pix == Daz95 && !Ok2ComputeFull())
        return;
    const TBitmap* partner = LabPartner(*this, Pix);
    if (!partner)
        return;
    FilterPix(*this, Pix, [&](TBitmap& bitmap) { AverageBitmaps(bitmap, *partner, FilterCustom2); });
}

void TWebForm::DoAverageField(TPix* Pix, int Field) {
    if (Pix == Daz95 && !Ok2ComputeFull())
        return;
    const TBitmap* partner = LabPartner(*this, Pix);
    if (!partner)
        return;
    FilterPix(*this, Pix, [&](TBitmap& bitmap) { AverageField(bitmap, *partner, FilterCustom2, Field); });
}

void TWebForm::MultiplyLuminance(TPix* Pix) { FilterPix(*this, Pix, MultiplyLuminanceBitmap); }

void TWebForm::MultiplyRGB(TPix* Pix) { FilterPix(*this, Pix, MultiplyRGBBitmap); }

void TWebForm::DoUnCook(TPix* Pix) { FilterPix(*this, Pix, UnCookBitmap); }

void TWebForm::LowRes(TPix* Pix, int Level) {
    FilterPix(*this, Pix, [Level](TBitmap& bitmap) { LowResBitmap(bitmap, Level); });
}

}  // namespace lumvor
