// The flow, file, buffer, size, crop and turn keywords of the Lab script.
#include "app/script/ScriptHandlers.h"

#include "app/ViewGeometry.h"
#include "app/lumv8900.h"
#include "app/script/ScriptRun.h"
#include "imaging/Helpers.h"
#include "imgman/imgman.h"
#include "platform/Colors.h"
#include "platform/Forms.h"
#include "imgman/imgman.h"
#include "platform/Menus.h"
#include "platform/SysUtils.h"
#include "processing/script/LabState.h"
#include "ui/Pix.h"
#include "ui/voMsgBox.h"

#include <cmath>
#include <cstdio>

namespace lumvor::script {

using namespace lumv8900;

namespace {

constexpr const char* AbortQuestion = "Abort batch processing?";
// The pause after a reopened picture was made 24-bit.
constexpr uint32_t SettlePause = 133;

// Asks whether to abort the run; Yes ends it.
bool AskAbort(TScriptRun& Run, const std::string& Text) {
    if (voMessageDlg("", "", Text, mtConfirmation, mbYesNo, mbYes, 0) != mrYes)
        return false;
    Run.Form.SaveDialogTag = 0;
    Run.Stop();
    return true;
}

// A reopened picture is worked on at 24 bits.
void After24BitReload(TWebForm& Form) {
    if (ImageBitCount == 24)
        return;
    OriginalBitCount = 24;
    Form.SetBitmap24();
    Application.ProcessMessages();
    Sleep(SettlePause);
}

void EmptyScratch(std::unique_ptr<TBitmap>& Bitmap) {
    if (Bitmap)
        EmptyBitmap(*Bitmap);
}

// Crops to LastSelection when it lies inside the picture. Its corners are put
// in order first, as the crop command does, so a rectangle given with a
// negative width or height crops the same block as its ordered twin.
void CropToSelection(TWebForm& Form) {
    LastSelection = viewgeo::Normalized(LastSelection);
    const TRect& r = LastSelection;
    const TBitmap& picture = *Form.Daz95->Bitmap();
    // A rectangle reaching outside the picture or empty crops nothing.
    if (r.Left < 0 || r.Top < 0 || r.Left >= r.Right || r.Top >= r.Bottom || r.Right > picture.Width() ||
        r.Bottom > picture.Height())
        return;
    {
        TScopedFlag fromScript(CropFromScript, true);
        Form.mnuCopyMaskClick(&Form);
    }
    Form.SetBoundsEx();
    Form.UpdateCaption();
}

// Runs a size change with the new width and height handed in FilterCustom2 and
// FilterCustom1, then re-reads the picture's size.
void RunSizeChange(TScriptRun& Run, const TScriptArgs& Args, int32_t Width, int32_t Height) {
    FilterCustom2 = Width;
    FilterCustom1 = Height;
    TWebForm& form = Run.Form;
    Run.Call(Args.Routine, {Width, Height}, [&] {
        QObject* sender = form.mnuPerformBatch1;
        if (Args.Routine == "mnuDistillClick")
            form.mnuDistillClick(sender);
        else if (Args.Routine == "mnuResizeClick")
            form.mnuResizeClick(sender);
        else
            form.mnuResampleClick(sender);
        ImageWidth = form.Daz95->Bitmap()->Width();
        ImageHeight = form.Daz95->Bitmap()->Height();
        form.RefreshImage();
    });
}

bool Distills(const TScriptArgs& Args) { return Args.Routine == "mnuDistillClick"; }

// LOADFILE's name: "*" stands for the current file's name without its extension.
std::string ScriptFileName(const std::string& Current, const std::string& Name) {
    if (Name.find('*') == std::string::npos || !FileExists(Current))
        return Name;
    return ChangeFileExt(Current, "") + Name.substr(1);
}

}  // namespace

void BenchmarkStart(TScriptRun&, const TScriptArgs&) { BenchmarkStartTick = GetTickCount(); }

void BenchmarkEnd(TScriptRun&, const TScriptArgs&) {
    uint32_t elapsed = GetTickCount() - BenchmarkStartTick;
    if (elapsed > 200)
        elapsed -= 100;
    char text[32];
    std::snprintf(text, sizeof text, "%u.%us", elapsed / 1000, elapsed % 1000 / 100);
    voMessageDlg("", "", std::string("Done: ") + text, mtInformation, mbOKOnly, AutoDefaultButton, 0);
}

void Reload(TScriptRun& Run, const TScriptArgs&) {
    ImageChanged = false;
    Run.Form.mnuReloadClick(&Run.Form);
    After24BitReload(Run.Form);
}

void NoModifyFlag(TScriptRun&, const TScriptArgs&) { ImageChanged = false; }

void NextImage(TScriptRun& Run, const TScriptArgs&) {
    Run.Form.btnNextImageClick(&Run.Form);
    Run.Form.UpdateHistoryEdit();
}

void PreviousImage(TScriptRun& Run, const TScriptArgs&) {
    Run.Form.btnPrevImageClick(&Run.Form);
    Run.Form.UpdateHistoryEdit();
}

void Trace(TScriptRun& Run, const TScriptArgs&) { Run.Trace = true; }

void PromptString(TScriptRun& Run, const TScriptArgs& Args) {
    if (AskAbort(Run, Args.Text + "\n" + AbortQuestion))
        Run.Form.RefreshImage();
}

void LoadFile(TScriptRun& Run, const TScriptArgs& Args) {
    ImageChanged = false;
    const std::string name = ScriptFileName(FileName, Args.Text);
    if (!FileExists(name))
        return;
    // The picture becomes the other file's while the window keeps naming its own.
    const std::string current = FileName;
    struct TRestoreName {
        const std::string& Name;
        ~TRestoreName() { FileName = Name; }
    } restore{current};
    FileName = name;
    Run.Form.mnuReloadClick(&Run.Form);
    After24BitReload(Run.Form);
}

void PromptFileName(TScriptRun& Run, const TScriptArgs& Args) {
    const bool wantsText = Args.Keyword == "PROMPT_HAS_FILESTRING";
    const bool hasText = UpperCase(FileName).find(UpperCase(Args.Text)) != std::string::npos;
    if (hasText != wantsText)
        return;
    const std::string text = ExtractFileName(FileName) + (hasText ? " contains \"" : " does not contain \"") +
                             Args.Text + "\"\nAbort?";
    if (voMessageDlg("", "", text, mtWarning, mbYesNo, AutoDefaultButton, 0) != mrYes)
        return;
    Run.Form.SaveDialogTag = 0;
    Run.Loop = false;
    Run.Stop();
}

void DeleteFile(TScriptRun&, const TScriptArgs&) {
    if (FileExists(FileName))
        DeleteFileNow(FileName);
}

void Loop(TScriptRun& Run, const TScriptArgs&) { Run.Loop = true; }

void Crop(TScriptRun& Run, const TScriptArgs& Args) {
    Run.Form.SetBitmap24();
    // Each value holds two 16-bit halves: Top and Left, Bottom and Right.
    const auto low = [](int32_t v) { return int32_t(uint32_t(v) & 0xFFFF); };
    const auto high = [](int32_t v) { return int32_t(uint32_t(v) >> 16); };
    LastSelection = TRect{low(Args.a), high(Args.a), low(Args.b), high(Args.b)};
    CropToSelection(Run.Form);
}

void CropEx(TScriptRun& Run, const TScriptArgs& Args) {
    Run.Form.SetBitmap24();
    const int64_t right = int64_t(Args.a) + Args.c, bottom = int64_t(Args.b) + Args.d;
    // Sums beyond 32 bits lie outside every picture.
    if (right > INT32_MAX || bottom > INT32_MAX || right < INT32_MIN || bottom < INT32_MIN)
        return;
    LastSelection = TRect{Args.a, Args.b, int32_t(right), int32_t(bottom)};
    CropToSelection(Run.Form);
}

void Save(TScriptRun& Run, const TScriptArgs& Args) {
    // "SAVE" alone proposes the file's own name.
    TempStr = Run.Line.HasArgument ? Args.Text : std::string();
    Run.Form.mnuSaveClick(Run.Form.mnuPerformBatch1);
    Run.Form.SaveDialogTag = 1;
}

void ClearBuffers(TScriptRun&, const TScriptArgs&) {
    EmptyScratch(WorkBitmap);
    EmptyScratch(BackupBitmap);
    EmptyScratch(DuplicateBitmap);
    UndoValid = false;
    EmptyScratch(UndoBitmap);
}

void TrueColor(TScriptRun& Run, const TScriptArgs&) {
    Run.Form.SetBitmap24();
    Run.Form.RefreshImage();
    Run.Form.UpdateCaption();
}

void Refresh(TScriptRun& Run, const TScriptArgs&) {
    Run.Form.RefreshImage();
    Run.Form.UpdateCaption();
}

void SizeByPerCent(TScriptRun& Run, const TScriptArgs& Args) {
    const bool hundredths = Args.Keyword.ends_with("%%");
    int64_t width, height;
    if (hundredths) {
        // Rounded to nearest, ties to even (the default rounding mode).
        width = std::llrint(double(ImageWidth) * Args.a * 0.0001);
        height = std::llrint(double(ImageHeight) * Args.a * 0.0001);
    } else {
        width = int64_t(ImageWidth) * Args.a / 100;
        height = int64_t(ImageHeight) * Args.a / 100;
    }
    if (Args.b >= 1 && Args.b <= 16) {
        width -= width % Args.b;
        height -= height % Args.b;
    }
    // Too small a picture is not made: one side must come out above 32.
    if ((width <= 32 && height <= 32) || width > INT32_MAX || height > INT32_MAX)
        return;
    if (Distills(Args) && (width >= ImageWidth || height >= ImageHeight))
        return;
    RunSizeChange(Run, Args, int32_t(width), int32_t(height));
}

void SizeBySides(TScriptRun& Run, const TScriptArgs& Args) {
    if (Distills(Args) && (Args.a >= ImageWidth || Args.b >= ImageHeight))
        return;
    RunSizeChange(Run, Args, Args.a, Args.b);
}

void Downsample(TScriptRun& Run, const TScriptArgs& Args) {
    const TBitmap& picture = *Run.Form.Daz95->Bitmap();
    TSize fitted;
    FitSizeInBox(picture.Width(), picture.Height(), std::min(Args.a, picture.Width()),
                 std::min(Args.b, picture.Height()), fitted);
    RunSizeChange(Run, Args, fitted.cx, fitted.cy);
}

void Flip(TScriptRun& Run, const TScriptArgs& Args) {
    const bool vertical = Args.Keyword == "FLIP_VERTICAL";
    TWebForm& form = Run.Form;
    Run.Call(Args.Routine, {vertical ? 1 : 0, vertical ? 0 : 1}, [&] {
        if (form.ExportBitmapToImg() == 0)
            return;
        // A failure inside the library leaves the picture as it was.
        try {
            if (ImgMirror(ImgHandle, vertical ? 1 : 0, vertical ? 0 : 1) == 0)
                return;
            form.ImportImgToBitmap(false, false);
            form.ProcessDone();
        } catch (const std::exception&) {
        }
    });
}

void Rotate(TScriptRun& Run, const TScriptArgs& Args) {
    // Anticlockwise in hundredths of a degree: the picture turns clockwise.
    const int angle = 36000 - (Args.Keyword == "ROTATE" ? 100 * Args.a : Args.a);
    TWebForm& form = Run.Form;
    Run.Call(Args.Routine, {angle}, [&] {
        if (form.ExportBitmapToImg() == 0)
            return;
        const auto fill = static_cast<uint32_t>(ToColorValue(ColorToRGB(BackgroundColor)));
        // A failed turn keeps the picture; the library's error is shown.
        int turned = 0;
        try {
            turned = ImgRotate(ImgHandle, angle, fill);
        } catch (const std::exception&) {
            turned = 0;
        }
        if (turned == 0) {
            form.ShowImgError();
            return;
        }
        ImgClose(ImgHandle);
        ImgHandle = turned;
        form.ImportImgToBitmap(true, false);
        form.ProcessDone();
    });
}

}  // namespace lumvor::script
