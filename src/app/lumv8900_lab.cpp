// The editing-command frame of the image window, and its colour-map routines:
// the view gamma and the colour filters over the headless maps.
#include "app/lumv8900.h"
#include "app/script/LabFrame.h"

#include "platform/Forms.h"
#include "platform/Menus.h"
#include "processing/tonal/ColorMaps.h"
#include "ui/Pix.h"

namespace lumvor {

using namespace lumv8900;

// ---- The frame

// Records each line of a command's text.
static void AddLabLines(const std::string& Text) {
    size_t start = 0;
    for (size_t end; (end = Text.find('\n', start)) != std::string::npos; start = end + 1)
        AddLabCommand(Text.substr(start, end - start));
    AddLabCommand(Text.substr(start));
}

bool RunLabCommand(TWebForm& Form, const TLabCommand& Command) {
    if (!Form.AutoBackUp())
        return false;
    if (Command.To24Bit)
        Form.SetBitmap24();
    if (Command.Parameters && !Command.Parameters())
        return false;
    if (!Command.BusyText.empty())
        Form.StatusBusy(Command.BusyText);
    const bool record = Command.Line && LabRecordsNow(Command.Recording);
    if (record && Command.LineTime == TLabLineTime::BeforeWork)
        AddLabLines(Command.Line());
    if (Command.Work)
        Command.Work();
    if (Command.Attempt && !Command.Attempt()) {
        Form.StatusReady();
        return false;
    }
    if (record && Command.LineTime == TLabLineTime::AfterWork)
        AddLabLines(Command.Line());
    switch (Command.Ending) {
    case TLabEnding::Filter:
        Form.ExitFilter(Form.Daz95);
        break;
    case TLabEnding::SizeChange:
        Form.ProcessDone();
        break;
    case TLabEnding::TwoImage:
        Form.StatusReady();
        Form.RefreshImage();
        ImageChanged = true;
        break;
    }
    return true;
}

TBitmap* LabPartner(const TWebForm& Form, const TPix* Pix) {
    return Pix == Form.Daz95 ? DuplicateBitmap.get() : WorkBitmap.get();
}

TPaintLock::TPaintLock(TPix& Pix) : pix_(Pix) {
    pix_.SetPaintLock(true);
    pix_.Bitmap()->Canvas().Lock();
}

TPaintLock::~TPaintLock() {
    pix_.Bitmap()->Canvas().Unlock();
    pix_.SetPaintLock(false);
}

void FilterPix(TWebForm& Form, TPix* Pix, const std::function<void(TBitmap&)>& Work) {
    {
        TPaintLock lock(*Pix);
        Work(*Pix->Bitmap());
    }
    Form.ExitFilter(Pix);
}

void TWebForm::ExitFilter(TPix* Pix) {
    Pix->SetPaintLock(false);
    if (AutoFixBusy)
        return;
    if (Pix == Daz95)
        ImageChanged = true;
    StatusReady();
    if (Pix == Daz95)
        RefreshImage();
    else
        Pix->update();
    Screen.SetCursor(crDefault);
}

// ---- Colour maps

void TWebForm::SetGammaLUT(int Gamma, int Channel, int Flag) { lumvor::SetGammaLUT(Gamma, Channel, Flag != 0); }

void TWebForm::ColorFilterBitmap(TBitmap& Bitmap) { lumvor::ColorFilterBitmap(Bitmap); }

void TWebForm::ColorFilter(TPix* Pix) { FilterPix(*this, Pix, [](TBitmap& bitmap) { lumvor::ColorFilterBitmap(bitmap); }); }

void TWebForm::NegColorFilter(TPix* Pix) { FilterPix(*this, Pix, NegColorFilterBitmap); }

void TWebForm::DoGamma() {
    // A 1-bit picture has no tones to correct.
    if (ImageBitCount < 3)
        return;
    SetBitmap24();
    for (int channel = 0; channel < 3; ++channel)
        lumvor::SetGammaLUT(mnuViewGamma->Tag, channel, true);
    lumvor::ColorFilterBitmap(*Daz95->Bitmap());
    // The display correction is not an edit.
    ImageChanged = false;
}

}  // namespace lumvor
