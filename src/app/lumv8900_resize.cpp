// The image window's size changes: Interpolate, Resample and Distill, their
// routines on the viewer picture, and the state of the Resize sub-menu.
#include "app/lumv8900.h"
#include "app/script/LabFrame.h"

#include "imgman/imgman.h"
#include "platform/Forms.h"
#include "platform/Menus.h"
#include "platform/PixelBuffer.h"
#include "processing/geometry/Resize24.h"
#include "processing/script/LabState.h"
#include "ui/Pix.h"
#include "ui/Resize_w.h"

namespace lumvor {

using namespace lumv8900;

namespace {

// The largest width and height the resize dialog offers.
constexpr int MaxResizeSide = 16384;
// Sizes below this are refused.
constexpr int MinResizeSide = 16;

// What the common front of the size changes obtained.
struct TNewSize {
    int Width = 0;
    int Height = 0;
    int CopyOp = 0;  // the dialog's sizing option for black-and-white pictures
    int Scale = -1;  // the uniform scale in hundredths of a per cent, or -1
};

// The new size, from the script (Sender mnuPerformBatch1) or from the resize
// dialog; false when nothing is to change: a cancel, the same size, or a side
// below the smallest.
bool AskNewSize(TWebForm& Form, QObject* Sender, int Mode, const std::string& Caption, TNewSize& Size) {
    if (Sender != nullptr && Sender == Form.mnuPerformBatch1) {
        Size.Width = FilterCustom2;
        Size.Height = FilterCustom1;
    } else {
        TResizeResult result;
        ExecuteResizeForm(0, 0, ImageWidth, ImageHeight, MaxResizeSide, MaxResizeSide, ImageBitCount, Caption,
                          Mode, result);
        if (result.Width == -1)
            return false;
        Size = {result.Width, result.Height, result.CopyOp, result.Scale};
    }
    if (Size.Width == ImageWidth && Size.Height == ImageHeight)
        return false;
    return Size.Width >= MinResizeSide && Size.Height >= MinResizeSide;
}

// "KEYWORD=w,h", and on a second line ">KEYWORD%%=scale" when the dialog gave
// a uniform scale.
std::string SizeLines(const std::string& Keyword, const TNewSize& Size) {
    std::string lines = LabLine(Keyword, {Size.Width, Size.Height});
    if (Size.Scale != -1) {
        lines += "\n>";
        lines += LabLine(Keyword + "%%", {Size.Scale});
    }
    return lines;
}


// The size change through the imaging library: the viewer picture exported,
// copied at the new size (through a copy at twice the new size when asked and
// possible) and shown. False, with the library's error shown and the picture
// kept, when a step failed.
bool LibraryResize(TWebForm& Form, const TNewSize& Size, bool ThroughDouble) {
    if (Form.ExportBitmapToImg() == 0) {
        Form.ShowImgError();
        return false;
    }
    Screen.SetCursor(crHourGlass);
    const int32_t method = Size.CopyOp == IMG_COPY_PRESERVE_BLACK || Size.CopyOp == IMG_COPY_PRESERVE_WHITE
                               ? Size.CopyOp
                               : IMG_COPY_SMOOTH;
    const int copy = ScaledCopy(ImgHandle, Size.Width, Size.Height, method, ThroughDouble);
    if (copy == 0) {
        Form.ShowImgError();
        return false;
    }
    Form.CloseImgHandle();
    ImgHandle = copy;
    Form.ImportImgToBitmap(true, false);
    return true;
}

// The viewer picture becomes the new 24-bit picture.
void ShowNewPicture(TWebForm& Form, TBitmap& Picture) {
    Form.Daz95->Bitmap()->SetHandle(Picture.ReleaseHandle());
    ImageBitCount = 24;
}

void InterpolatePicture(TWebForm& Form, int Width, int Height) {
    TBitmap copy;
    InterpolateCopy(*Form.Daz95->Bitmap(), copy, Width, Height);
    ShowNewPicture(Form, copy);
}

// The frame's common settings of a size change.
TLabCommand SizeCommand(const std::string& Keyword, const TNewSize& Size) {
    TLabCommand command;
    command.LineTime = TLabLineTime::AfterWork;
    command.Ending = TLabEnding::SizeChange;
    command.Line = [Keyword, Size] { return SizeLines(Keyword, Size); };
    return command;
}

}  // namespace

int lumv8900::ScaledCopy(int Handle, int Width, int Height, int32_t Method, bool ThroughDouble) {
    const auto copyOf = [Method](int source, int width, int height) {
        return ResizeCopy ? ResizeCopy(source, width, height, Method) : ImgCopy(source, width, height, nullptr, Method);
    };
    // A double size beyond the picture limits could never be made: one copy then.
    if (!ThroughDouble || !PictureSizeAllowed(2 * Width, 2 * Height)) return copyOf(Handle, Width, Height);
    const int twice = copyOf(Handle, 2 * Width, 2 * Height);
    if (twice == 0) return 0;
    const int copy = copyOf(twice, Width, Height);
    ImgClose(twice);
    return copy;
}

// ---- The commands

void TWebForm::mnuResizeClick(QObject* Sender) {
    TNewSize size;
    if (!AskNewSize(*this, Sender, 6, "Image Resize (interpolate only)", size))
        return;
    PreparedWidth = 0;
    TLabCommand command = SizeCommand("RESIZE", size);
    if (ImageBitCount >= 24) {
        command.Work = [&] { InterpolatePicture(*this, size.Width, size.Height); };
    } else {
        command.To24Bit = false;
        command.BusyText = "Resizing...";
        const bool narrowing = size.Height == ImageHeight && size.Width < ImageWidth;
        command.Attempt = [this, &size, narrowing] { return LibraryResize(*this, size, narrowing); };
    }
    RunLabCommand(*this, command);
}

void TWebForm::mnuResampleClick(QObject* Sender) {
    PreparedWidth = 0;
    const bool replay = Sender != nullptr && Sender == mnuPerformBatch1;
    // Pictures below 8 bits are resized by Interpolate, with its dialog.
    if (!replay && ImageBitCount < 8) {
        mnuResizeClick(this);
        return;
    }
    TNewSize size;
    if (!AskNewSize(*this, Sender, 6, "Image Resample (with smoothing)", size))
        return;
    TLabCommand command = SizeCommand("RESAMPLE", size);
    command.To24Bit = false;
    command.BusyText = "Resampling...";
    const bool shrinking = size.Height < ImageHeight || size.Width < ImageWidth;
    command.Attempt = [this, &size, shrinking] { return LibraryResize(*this, size, shrinking); };
    RunLabCommand(*this, command);
}

void TWebForm::mnuDistillClick(QObject* Sender) {
    TNewSize size;
    if (!AskNewSize(*this, Sender, 7, "Image Distill", size))
        return;
    PreparedWidth = 0;
    // The frame makes the picture 24-bit first, also for a script's DISTILL on
    // a picture of fewer bits.
    TLabCommand command = SizeCommand("DISTILL", size);
    command.BusyText = "Distilling...";
    command.Work = [&] { Distill2x2(2 * size.Width, 2 * size.Height, size.Width, size.Height); };
    RunLabCommand(*this, command);
}

void TWebForm::homeResize1Click(QObject*) { SetItemEnabled(mnuDistill, ImageBitCount >= 24); }

// ---- The routines on the viewer picture

void TWebForm::Interpolate(int Width, int Height) {
    InterpolatePicture(*this, Width, Height);
    ExitFilter(Daz95);
    ProcessDone();
}

void TWebForm::Distill2x2(int DoubleWidth, int DoubleHeight, int Width, int Height) {
    TBitmap distilled;
    Distill2x2Copy(*Daz95->Bitmap(), distilled, DoubleWidth, DoubleHeight, Width, Height);
    ShowNewPicture(*this, distilled);
}

void TWebForm::Interpolate2x2(int Width, int Height) {
    TBitmap copy;
    Interpolate2x2Copy(*Daz95->Bitmap(), copy, Width, Height);
    ShowNewPicture(*this, copy);
}

}  // namespace lumvor
