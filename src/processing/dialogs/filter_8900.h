// The filter dialog: one modal dialog through which the image commands ask
// for their parameters while a before/after preview shows the effect on a copy
// of the visible part of the picture (actual view) or on a fitted copy of the
// whole picture (fit view). A command fills a TFilterDlgParam, calls
// ExecuteFilterDlg and applies the method and values of the TFilterDlgResult.
// The picture shown in the image window is never changed by the dialog.
//
// The dialog's logic (record copies, method, slider coupling, scheduling,
// result packing) is TFilterDlgModel (FilterDlgModel.h); the form is a thin
// view over it; the preview routines of the methods are looked up by method
// code (FilterPreview.h). GUI thread only.
#pragma once

#include "platform/Colors.h"
#include "platform/Forms.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class QCheckBox;
class QColorDialog;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QScrollArea;
class QTimer;

namespace lumvor {

// How a command sets up the filter dialog. Callers start from a
// value-initialised record (zeros and empty labels) and set what they need.
struct TFilterDlgParam {
    // Slider 1: range, start position, large and small step.
    int32_t Min1 = 0;
    int32_t Max1 = 0;
    int32_t Position1 = 0;
    int32_t PageSize1 = 0;
    int32_t LineSize1 = 0;
    // Sliders 2 and 3, the same five fields each.
    int32_t Min2 = 0;
    int32_t Max2 = 0;
    int32_t Position2 = 0;
    int32_t PageSize2 = 0;
    int32_t LineSize2 = 0;
    int32_t Min3 = 0;
    int32_t Max3 = 0;
    int32_t Position3 = 0;
    int32_t PageSize3 = 0;
    int32_t LineSize3 = 0;
    int32_t Unused1 = 0;
    // Start positions of sliders 1..3 for "RGB Brightness" and "RGB Shifting".
    int32_t PresetR = 0;
    int32_t PresetG = 0;
    int32_t PresetB = 0;
    int32_t Unused2[3] = {0, 0, 0};
    // A method code, or a method-group code 999xxxx.
    int32_t MethodCode = 0;
    // Index of the group item selected when the dialog opens (some groups only).
    int32_t StartChoice = 0;
    // 0: the three sliders share slider 1's fields and the call's end labels;
    // non-zero: each slider has its own fields and the end labels below.
    uint8_t CustomSliders = 0;
    // Start positions for the level and saturation methods.
    int32_t PresetLevel1 = 0;
    int32_t PresetLevel2 = 0;
    int32_t PresetSat1 = 0;
    int32_t PresetSat2 = 0;
    // Shown in the "Selected" panel of the colour-picking methods.
    TColor SelectedColor{};
    // Texts under the ends of the three sliders.
    std::string MinLabel1;
    std::string MaxLabel1;
    std::string MinLabel2;
    std::string MaxLabel2;
    std::string MinLabel3;
    std::string MaxLabel3;
};

// What the dialog answers: seven integers.
using TFilterDlgResult = std::array<int32_t, 7>;
// Indexes into TFilterDlgResult.
inline constexpr size_t ResultMethod = 0;   // the method in force at Apply
inline constexpr size_t ResultValue = 1;    // slider 1 at Apply; -999 when cancelled
inline constexpr size_t ResultCustom1 = 2;  // FilterCustom1..3 at Apply
inline constexpr size_t ResultCustom2 = 3;
inline constexpr size_t ResultCustom3 = 4;
inline constexpr size_t ResultExtra1 = 5;   // see filter_8900::LastExtras
inline constexpr size_t ResultExtra2 = 6;

// Method codes of 9990033 and more name a group of methods.
inline constexpr int32_t FirstMethodGroup = 9990033;

namespace filter_8900 {
// Where the dialog was when it last closed; Left -1: not placed yet (the
// dialog opens centred on the screen).
struct TFilterDlgPos {
    int Left = -1;
    int Top = -1;
};
inline TFilterDlgPos FilterDlgPos;
// The two further integers of the result, as the last preview of a remap
// method left them (0 until one ran).
inline std::array<int32_t, 2> LastExtras{0, 0};
}  // namespace filter_8900

class TExTrackBar;
class TFilterDlgModel;
class TPix;
class TUpDown;

// The screen-width variants of the form: the window's outer size and how far
// the panes and the tip grow (the 1920-pixel variant also makes the panes
// taller and moves what lies below them down).
struct TFilterDlgLayout {
    int Width = 768;
    int Height = 560;
    int PaneGrowth = 0;
    int TipGrowth = 0;
    int Lower = 0;
};
TFilterDlgLayout FilterDlgLayoutFor(int ScreenWidth);

class TFilterDlg : public TModalForm {
public:
    // FormCreate: the controls, widened for ScreenWidth.
    explicit TFilterDlg(TFilterDlgModel& Model, int ScreenWidth, QWidget* owner = nullptr);
    ~TFilterDlg() override;

    TFilterDlgModel& Model;

    QGroupBox* FilterGroup;
    // The group's radio items, made when the group is set up.
    std::vector<QRadioButton*> FilterGroupItems;
    std::array<QFrame*, 3> PanelFilter{};
    std::array<TExTrackBar*, 3> ScrollBarCustom{};
    std::array<QLineEdit*, 3> EditCustom{};
    std::array<TUpDown*, 3> UpDown{};
    std::array<QLabel*, 3> lblFilter{};
    std::array<QLabel*, 3> LabelMin{};
    std::array<QLabel*, 3> LabelMax{};
    QComboBox* ComboMaskType;
    QCheckBox* chkSyncRGB;
    QCheckBox* chkAlternate;
    QPushButton* btnReset;
    QScrollArea* ScrollBox1;
    TPix* BeforePix;
    QCheckBox* chkScrollbars;
    QScrollArea* ScrollBox2;
    TPix* AfterPix;
    QCheckBox* chkModifiedMask;
    QFrame* PanelTip;
    QLabel* lblTip;
    QPushButton* btnCurve;
    QLabel* PanelColor;
    QLabel* PanelColorMask;
    QColorDialog* MaskColorDialog;
    QPushButton* btnOK;
    QPushButton* btnCancel;
    QPushButton* btnHelp;
    QTimer* Timer1;

    // FormActivate: the picture into the original pane, the method set up,
    // the first view (actual view at the selection with the select tool on,
    // else fit view).
    void FormActivate();
    void chkScrollbarsClick();
    // The preview frame: working copies, the method's routine on AfterPix.
    void btnTestClick();
    void ShowDuplicateBitmap();
    void BeforePixMouseUp(int X, int Y);
    void PanelColorMaskClick();
    // Shows the model's state in the controls.
    void ShowModel();

protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildControls();
    // The radio list of the model's group, sized (items + 1) x 22 + 1.
    void BuildGroupItems();
    void Widen(const TFilterDlgLayout& Layout);
    void ConnectControls();
    void ShowOriginal();

    bool activated_ = false;
    bool showing_ = false;
    int savedScrollLeft_ = 0;
    int savedScrollTop_ = 0;
    // Whether the picture is in the original pane at 100 %.
    bool originalLoaded_ = false;
    // The three form places of the slider rows.
    std::array<int, 3> rowTops_{};
};

// Runs the dialog on the viewer picture. Caption is the dialog's caption (a
// group's title replaces it); MinLabel and MaxLabel are the sliders' end texts
// when the record has no per-slider fields (empty: the numbers). On Apply the
// seven integers are written; on Cancel, Escape or when there is no picture to
// preview only Result[ResultValue] is, with -999.
void ExecuteFilterDlg(const std::string& Caption, const std::string& MinLabel, const std::string& MaxLabel,
                      const TFilterDlgParam& Param, TFilterDlgResult& Result);

// For tests of the commands: a modal action (QueueModalAction) that answers
// the next filter dialog with Canned as if the user had applied it:
// FilterCustom1..3 take Canned's three custom values, and the caller sees the
// whole of Canned. A Canned value of -999 answers as Cancel.
ModalAction FilterDlgAnswer(const TFilterDlgResult& Canned);

}  // namespace lumvor
