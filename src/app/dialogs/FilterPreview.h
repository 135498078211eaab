// The filter dialog's preview: the working copies it is computed on and the
// table from method code to preview routine. A routine runs the same image
// routines the command will run for its method, on the modified pane's
// picture (so the partner rule of the Lab routines picks WorkBitmap, which the
// frame fills with the duplicate's matching part for the two-image methods).
#pragma once

#include "platform/Colors.h"
#include "platform/Graphics.h"

#include <array>
#include <cstdint>
#include <functional>
#include <map>

namespace lumvor {

class TPix;
class TWebForm;

// What a preview routine gets: the pane's picture, the method and the slider
// positions, the dialog's check boxes and colours.
struct TFilterPreviewRun {
    TFilterPreviewRun(TWebForm& Form_, TPix* After_) : Form(Form_), After(After_) {}
    TWebForm& Form;
    TPix* After;
    int32_t Method = 0;
    // Slider positions, and the start positions they were set up with.
    std::array<int, 3> S{};
    std::array<int, 3> Starts{};
    bool MaskChecked = false;
    bool MaskEnabled = false;
    bool AlternateChecked = false;
    TColor SelectedColor{};
    TColor MaskColor{};
    // Where the RGB-mask methods leave their three packed values.
    std::array<int32_t, 3>* MaskValues = nullptr;
    // Shows WorkBitmap in the modified pane (the masked variants' composite).
    std::function<void()> ShowDuplicateBitmap;
};

using TFilterPreviewRoutine = std::function<void(TFilterPreviewRun&)>;

// The routine of a method; null for a method without one (the pane then shows
// the unchanged copy).
const TFilterPreviewRoutine* FindFilterPreview(int32_t Method);

// Adds the rows of the statistics-driven methods (410..416, 429, 499) to
// Routines.
void AddNormalizePreviews(std::map<int32_t, TFilterPreviewRoutine>& Routines);

// The masked variants' last step: FilterCustom1 := Mask; when Mask is not 0,
// FilterCustom2 := 99, Composite runs and WorkBitmap is shown.
void RunMaskedPreview(TFilterPreviewRun& Run, int Mask, const std::function<void()>& Composite);

// The changed pane averaged with the unchanged copy by Weight per cent (none
// at 0), as the contrast and balance commands average theirs.
void AveragedPreview(TFilterPreviewRun& Run, int Weight);

// The result's extras: sliders 1 and 2 moved from their start positions.
void SetRemapExtras(const TFilterPreviewRun& Run);

// ---- Working copies (24-bit targets; the target is resized)

// The Width x Height area of Picture whose top-left corner is (Left, Top);
// what lies outside Picture stays black.
void CopyPictureArea(const TBitmap& Picture, int Left, int Top, int Width, int Height, TBitmap& Target);
// The whole of Picture stretched (nearest neighbour) to Width x Height.
void StretchPictureNearest(const TBitmap& Picture, int Width, int Height, TBitmap& Target);
// Where the fit view shows a picture in a pane's client area: FitSizeInBox's
// size, centred where the client is larger.
TRect FitViewRect(int PictureWidth, int PictureHeight, int ClientWidth, int ClientHeight);

}  // namespace lumvor
