// The filter dialog without widgets: the record copies, the current method,
// the three slider rows (bar, edit, up-down, names and end texts), the
// coupling of bars, edits and up-downs with and without sync, the scheduling
// of previews (a 133 ms one-shot timer, the busy mark, the editing and closing
// flags) and the packing of the result. The form (app/dialogs/filter_8900.h)
// shows this state and forwards the user's actions; tests drive the model
// directly.
#pragma once

#include "processing/dialogs/FilterDlgParam.h"

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace lumvor {

// The timer's interval: every change that should refresh the preview restarts it.
inline constexpr int FilterPreviewDelay = 133;

// A slider row: its track bar, its edit and up-down, its name and end texts.
struct TFilterSlider {
    int Min = 2;
    int Max = 255;
    int Position = 100;
    int PageSize = 1;
    int LineSize = 1;
    int Frequency = 1;
    std::string EditText = "0";
    int UpDownMin = 2;
    int UpDownMax = 255;
    int UpDownPosition = 100;
    std::string Name = "&Filter";
    std::string MinLabel = "2";
    std::string MaxLabel = "255";
    bool Visible = true;
};

// The names of the three sliders of a method and which rows it shows.
struct TSliderNames {
    std::array<std::string, 3> Names{"&Filter", "", ""};
    std::array<bool, 3> Rows{true, false, false};
    bool ResetHidden = false;
    bool ColorPanels = false;
};
TSliderNames SliderNamesOf(int32_t Method);

// A method group: the dialog's title, the help context, the curve button and
// the radio list's items (text and method code).
struct TFilterGroupItem {
    const char* Text;
    int32_t Method;
};
struct TFilterGroup {
    int32_t Code;
    const char* Title;
    int Help;
    // The curve button's caption; null: the button stays hidden.
    const char* Curve;
    // The list opens at the record's StartChoice (else at item 0).
    bool HasStartChoice;
    std::vector<TFilterGroupItem> Items;
};
// The group of a group code; null for any other code.
const TFilterGroup* FindFilterGroup(int32_t Code);

// Tick spacing of a track bar from its range.
int TrackTickSpacing(int Min, int Max);

// A colour mask's value: the band width in the high 16 bits, the picked
// component in the low 16 bits.
int32_t PackBand(int Band, int Component);
// FilterCustom1..3 := the three values.
void SetFilterCustoms(int32_t First, int32_t Second, int32_t Third);

// Methods whose preview runs on two pictures: the duplicate's matching part
// goes into WorkBitmap first.
bool IsTwoImageMethod(int32_t Method);

class TFilterDlgModel {
public:
    // The view's timer (started and stopped by the model), the preview
    // routine run by RunPreview, and Application.ProcessMessages.
    std::function<void()> OnTimerStart;
    std::function<void()> OnTimerStop;
    std::function<void()> OnPreview;
    std::function<void()> OnProcessMessages;
    // Shows the histogram window (the curve button); ExecuteHistogramDlg by default.
    std::function<void(const std::string& Caption, bool Saturation)> OnShowHistogram;

    // ExecuteFilterDlg's first steps: the record copies, slider 1's range, the
    // strings, the method; the flags cleared.
    void Open(const std::string& Caption, const std::string& MinLabel, const std::string& MaxLabel,
              const TFilterDlgParam& Param);
    // Fills the method list of a group record (none for a single method),
    // then FilterGroupClick.
    void SetupFilterGroupInterface();
    // The user chose item Index of the group's list.
    void GroupItemClicked(int Index);
    // The common reset of the check boxes, rows and panels, the method's
    // set-up, SetupFilterInterface and Reset (so a preview).
    void FilterGroupClick();
    // The sliders, names, rows and end texts of the current method from the
    // working record; Apply is disabled until the next preview.
    void SetupFilterInterface();

    // ---- the user's actions
    void SliderChanged(int Row, int Position);
    // The mouse let go of a bar (not with the right button).
    void SliderMouseUp(int Row, bool RightButton);
    void SliderEnter();
    // An up-down's arrow was released at Position.
    void UpDownClicked(int Row, int Position);
    void EditKeyDown();
    // A key released in an edit: Enter clears the editing flag and is
    // swallowed (true).
    bool EditKeyUp(bool Enter);
    void EditChanged(int Row, const std::string& Text);
    // Enter pressed in an edit: the value clamped, the bar (with sync all
    // three) follows, a preview is scheduled.
    void EditEnter(int Row);
    void SyncClicked(bool Checked);
    void MaskClicked(bool Checked);
    // Back to the start positions (the masked-level composites: 100 and 99)
    // and an immediate preview.
    void Reset();
    // A click in the original pane picked this colour.
    void Pick(uint8_t Red, uint8_t Green, uint8_t Blue);
    // A new mask colour was chosen.
    void MaskColorChosen(uint8_t Red, uint8_t Green, uint8_t Blue);
    void CurveClicked();

    // ---- scheduling
    void StartTimer();
    void StopTimer();
    void TimerTick();
    // The preview, unless the dialog closes or a preview runs already; a
    // completed preview enables Apply.
    void RunPreview();
    void Apply();
    void Cancel();
    // After the modal run: the closing flag; the result packed on OK.
    void Finish(bool Ok, TFilterDlgResult& Result);

    bool SyncOn() const { return SyncEnabled && SyncChecked; }
    // The slider positions as the preview reads them.
    std::array<int, 3> Positions() const;
    std::array<int, 3> ResetPositions{0, 0, 0};

    TFilterDlgParam Param;
    TFilterDlgParam Original;
    std::string Caption, MinLabel, MaxLabel;
    int32_t Method = 0;
    // Slider 1's range as set up (the first edit's Enter clamps to it).
    int CustomMin = 0;
    int CustomMax = 0;
    std::array<TFilterSlider, 3> Sliders;

    bool GroupVisible = false;
    // The group's item texts and the chosen one.
    std::vector<std::string> GroupItems;
    int GroupIndex = 0;
    // The form place (0 top .. 2 bottom) each slider row takes.
    std::array<int, 3> RowPlaces{0, 1, 2};
    std::string AlternateCaption = "Inverse map";
    std::string CurveCaption = "E&Q Curve";
    bool SyncVisible = true;
    bool SyncEnabled = false;
    bool SyncChecked = false;
    bool AlternateVisible = false;
    bool AlternateEnabled = false;
    bool AlternateChecked = false;
    bool MaskEnabled = false;
    bool MaskChecked = false;
    bool ResetVisible = true;
    bool ColorPanelsVisible = false;
    bool CurveVisible = false;
    // The curve button shows the saturation histogram.
    bool SaturationHistogram = false;
    TColor SelectedColor = RGB(192, 192, 192);
    TColor MaskColor = RGB(255, 0, 255);
    // The panels' captions: black until a colour is picked or chosen, then
    // the inverse of the colour.
    TColor SelectedTextColor = RGB(0, 0, 0);
    TColor MaskTextColor = RGB(0, 0, 0);
    int HelpContext = 400;
    std::string Tip;

    bool Editing = false;
    bool Closing = false;
    // The busy mark: a preview runs, or Apply or Cancel was pressed.
    bool Busy = false;
    bool OkEnabled = false;
    bool TimerOn = false;
    bool ActualView = true;
    // Previews completed since Open.
    int PreviewCount = 0;
    // The packed values of the last RGB-mask preview.
    std::array<int32_t, 3> MaskValues{0, 0, 0};

private:
    void SetSlider(int Row, int Position);
    void ShowPositionsInEdits(bool OnlyDiffering);
    void SetupSlider(int Row, int Min, int Max, int Position, int PageSize, int LineSize);
    // The group's common part and the chosen item's set-up on the working
    // record; a single method's tip and help.
    void SetupGroupMethod(const TFilterGroup& Group);
    void SetupSingleMethod();
    // Reset values a set-up gives apart from the start positions.
    std::array<std::optional<int>, 3> resetOverrides_;
    const TFilterGroup* group_ = nullptr;
};

}  // namespace lumvor
