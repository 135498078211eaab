// The preset value dialog: one modal dialog for several viewer and editor
// settings, each chosen by a mode number: screen gamma (100, 101), partial JPEG
// views (200), picking a colour (300, 301), magnification (400, 401), rotation by
// degrees (500) or hundredths of a degree (501) and a custom aspect ratio (600).
//
// Every mode shows a tip, a preset group and a track bar with an edit field and
// up-down arrows; the colour modes show a colour picture to click on instead.
// ExecuteVariableDlg builds, runs and frees the dialog; it reopens where the user
// left it, for the rest of the run. GUI thread only.
#pragma once

#include <QImage>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Colors.h"
#include "platform/Forms.h"

class QColorDialog;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace lumvor {

class TExTrackBar;
class TUpDown;

// Answers of ExecuteVariableDlg besides a value.
inline constexpr int32_t VariableDlgCancelled = int32_t(0xFF000000u);
inline constexpr int32_t VariableDlgAutoColor = int32_t(0x88FFFFFFu);

namespace vardlg_w {
// Mode, initial value and help context of the running dialog.
inline int Mode = 0;
inline int Value = 0;
inline int HelpCtx = 0;
inline std::string TipText;
// Set once the dialog closes: the change handlers then do nothing.
inline bool Closing = false;
// Set while the user types into the edit field.
inline bool Typing = false;
// Set by the Auto button.
inline bool AutoPressed = false;
// Where the dialog was when it last closed; -1, -1 = none (centre it).
inline int DlgLeft = -1;
inline int DlgTop = -1;
}  // namespace vardlg_w

// The colour picture of the colour modes: 128 x 180 pixels, hue down the rows and
// lightness and saturation rising along each row.
QImage MakeColorPicture();

class TVariableDlg : public TModalForm {
public:
    // Builds the dialog for vardlg_w::Mode and vardlg_w::Value.
    explicit TVariableDlg(QWidget* owner = nullptr);
    ~TVariableDlg() override;

    QGroupBox* GroupOptions;
    std::vector<QRadioButton*> GroupItems;
    QFrame* PanelTip;
    QLabel* lblTip;
    QFrame* PanelFilter1;
    TExTrackBar* UserTrackBar;
    QLabel* lblMin;
    QLabel* lblMax;
    QLineEdit* EditCustom;
    TUpDown* UpDown1;
    QPushButton* btnOK;
    QPushButton* btnCancel;
    QPushButton* btnHelp;
    QPushButton* btnAuto;
    QPushButton* btnCustom;
    QLabel* Image1;
    QLabel* PanelColor;
    QFrame* ColorSelectedPanel;
    QColorDialog* ColorDialog;

    // The colour of ColorSelectedPanel.
    TColor SelectedColor() const { return selected_; }
    // The colour under a point of Image1 (in Image1's coordinates).
    TColor ColorAt(int x, int y) const;

    void Image1MouseMove(int x, int y);
    void Image1Click(int x, int y);
    void btnCustomClick();
    void btnAutoClick();
    void GroupOptionsClick(int index);
    void UserTrackBarChange();
    void EditCustomChange();
    void EditCustomEnter();
    void btnHelpClick();

protected:
    void done(int result) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FitPresetsToTheirTexts();
    void SetSelectedColor(TColor color);
    void ShowColorTip(TColor color);

    QImage bitmap_;
    TColor selected_ = clBlack;
};

// Runs the dialog of Mode. Value is the initial track bar position, or the
// initial colour (a TColor) in modes 300 and 301. Answers on Cancel 0 in modes 500
// and 501, else VariableDlgCancelled; in modes 300 and 301 VariableDlgAutoColor
// after Auto, else the chosen colour; in the other modes the track bar position.
int ExecuteVariableDlg(int Mode, int Value, int HelpCtx);

}  // namespace lumvor
