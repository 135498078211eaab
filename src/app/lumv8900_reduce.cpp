// The image window's colour-depth commands: reductions through the imaging
// library's colour reducer (dithered or posterized) and promotions of the
// picture's pixel format.
#include "app/lumv8900.h"
#include "app/script/LabFrame.h"

#include "imgman/ImgReduce.h"
#include "imgman/imgman.h"
#include "platform/Forms.h"
#include "platform/Menus.h"
#include "ui/Pix.h"

#include <memory>

namespace lumvor {

using namespace lumv8900;

namespace {

// Raised inside a command's work when the library failed (its text is shown).
struct TReductionFailed {};

// The flags of a dithered reduction by the method chosen (0 "Standard" .. 2
// "Optimal"); black and white has its own three.
int32_t DitherFlags(int Method, bool BlackWhite) {
    switch (Method) {
    case 1: return BlackWhite ? IMG_REDUCE_BW_ORDERED : IMG_REDUCE_BETTER;
    case 2: return BlackWhite ? IMG_REDUCE_BW_DIFFUSED : IMG_REDUCE_OPTIMAL;
    default: return BlackWhite ? IMG_REDUCE_BW_THRESHOLD : IMG_REDUCE_STANDARD;
    }
}

// The picture into the library, reduced there, and back with the reduced
// palette. False (the library's text shown, ImgHandle 0, the picture as it
// was) when the export or the reduction failed.
bool ReduceThroughLibrary(TWebForm& Form, int Colours, int32_t Flags) {
    if (Form.ExportBitmapToImg() == 0) {
        Form.ShowImgError();
        return false;
    }
    Screen.SetCursor(crHourGlass);
    const int reduced = ImgReduceColors(ImgHandle, Colours, Flags);
    ImgClose(ImgHandle);
    ImgHandle = reduced;
    if (reduced == 0) {
        Form.ShowImgError();
        return false;
    }
    const HPALETTE palette = ImgGetPalette(reduced);
    Form.ImportImgToBitmap(true, false);
    if (palette)
        Form.DisplayBitmap().SetPalette(palette);
    // A device-dependent bitmap is the same pixel memory here: nothing to convert.
    return true;
}

}  // namespace

void TWebForm::ImageReduce(QObject* Sender) {
    const int depth = TagOf(Sender);
    if (depth != 1 && depth != 4 && depth != 8)
        return;
    const int colours = 1 << depth;
    TLabCommand command;
    command.BusyText = "Converting...";
    command.Recording = TLabRecording::MenuOnly;
    command.Ending = TLabEnding::SizeChange;
    int32_t flags = IMG_REDUCE_FIXED;
    if (Sender == mnu8poster || Sender == mnu4poster) {
        command.Line = [depth] { return LabLine(depth == 4 ? "QUANTIZE16" : "QUANTIZE256"); };
    } else {
        const int method = SetColorQuality("Color reduction method", 2, 2);
        if (LabDialogCancelled(method))
            return;
        flags = DitherFlags(method, depth == 1);
        if (Sender == mnu8gray)
            flags |= IMG_REDUCE_GRAY;
        command.To24Bit = false;
    }
    command.Work = [this, colours, flags] {
        if (!ReduceThroughLibrary(*this, colours, flags))
            throw TReductionFailed{};
    };
    try {
        RunLabCommand(*this, command);
    } catch (const TReductionFailed&) {
        StatusReady();
    }
}

void TWebForm::DoPosterize(int Bits) {
    SetBitmap24();
    StatusBusy("Converting...");
    if (ReduceThroughLibrary(*this, Bits == 4 ? 16 : 256, IMG_REDUCE_FIXED))
        ProcessDone();
    else
        StatusReady();
}

void TWebForm::ImagePromote(QObject* Sender) {
    const int tag = TagOf(Sender);
    const int bits = tag == 4 || tag == 8 ? tag : 24;
    TLabCommand command;
    command.BusyText = "Promoting...";
    command.Recording = TLabRecording::MenuOnly;
    command.LineTime = TLabLineTime::AfterWork;
    command.Ending = TLabEnding::SizeChange;
    command.To24Bit = false;
    if (bits == 24)
        command.Line = [] { return LabLine("TRUECOLOR"); };
    command.Work = [this, bits] {
        TBitmap& display = DisplayBitmap();
        if (!display.GetEmpty())
            display.SetHandle(std::make_shared<TPixelBuffer>(imgman::ChangeDepth(*display.Handle(), bits)));
        ImageBitCount = bits;
    };
    RunLabCommand(*this, command);
}

}  // namespace lumvor
