// The filter dialog: one modal dialog through which the image commands ask
// for their parameters while a before/after preview shows the effect on a copy
// of the visible part of the picture (actual view) or on a fitted copy of the
// whole picture (fit view). A command fills a TFilterDlgParam, calls
// ExecuteFilterDlg and applies the method and values of the TFilterDlgResult.
// The picture shown in the image window is never changed by the dialog.
//
// The dialog's logic (record copies, method, slider coupling, scheduling,
// result packing) is TFilterDlgModel (processing/dialogs/FilterDlgModel.h);
// the form is a thin view over it; the preview routines of the methods are
// looked up by method code (FilterPreview.h). GUI thread only.
#pragma once

#include "platform/Forms.h"
#include "processing/dialogs/FilterDlgParam.h"

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

namespace filter_8900 {
// Where the dialog was when it last closed; Left -1: not placed yet (the
// dialog opens centred on the screen).
struct TFilterDlgPos {
    int Left = -1;
    int Top = -1;
};
inline TFilterDlgPos FilterDlgPos;
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
