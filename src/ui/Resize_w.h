// The size and position dialog: asks for a width and height, optionally an
// origin, in pixels or as a percentage of an initial size. It serves resizing,
// resampling and distilling a picture, adjusting the marquee selection, a custom
// viewport, a border, a new picture's size and fill colour, and the slide
// window's size and position.
//
// The Mode picks the help context, the tip and the extra controls; the Option
// picks the meaning of the lower fields and the colour panel (see
// ExecuteResizeForm). The dialog reopens where the user left it, for the rest of
// the run. GUI thread only.
#pragma once

#include <cstdint>
#include <string>

#include "platform/Colors.h"
#include "platform/Forms.h"

class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;

namespace lumvor {

class TUpDown;

struct TResizeResult {
    int32_t X = 0;
    int32_t Y = 0;
    int32_t Width = 0;
    int32_t Height = 0;
    int32_t CopyOp = 0;       // index of the black-and-white sizing option
    int32_t BorderColor = 0;  // colour of the colour panel (a TColor)
    int32_t Scale = -1;       // uniform scale in hundredths of a percent, or -1
};

namespace Resize_w {
// The working values.
inline int RX = 0;
inline int RY = 0;
inline int RWidth = 0;
inline int RHeight = 0;
inline int RMaxWidth = 0;
inline int RMaxHeight = 0;
inline int ROption = 0;
inline int RMode = 0;
// The size and origin when the dialog opened, and the size at the last aspect fix.
inline int InitWidth = 0;
inline int InitHeight = 0;
inline int InitX = 0;
inline int InitY = 0;
inline int FixWidth = 0;
inline int FixHeight = 0;
// Set when the fields hold a rectangle (origin and size) rather than a size and
// its scale.
inline bool RectMode = false;
// Set while the user types into a field that Enter has not applied yet.
inline bool Editing = false;
// Where the dialog was when it last closed; -1, -1 = none (centre it).
inline int DlgLeft = -1;
inline int DlgTop = -1;
}  // namespace Resize_w

class TResizeForm : public TModalForm {
public:
    explicit TResizeForm(QWidget* owner = nullptr);

    QLabel* LabelW;
    QLineEdit* EditW;
    TUpDown* SpinW;
    QLabel* LabelH;
    QLineEdit* EditH;
    TUpDown* SpinH;
    QLabel* LabelX;
    QLineEdit* EditX;
    TUpDown* SpinX;
    QLabel* LabelY;
    QLineEdit* EditY;
    TUpDown* SpinY;
    QCheckBox* chkAspect;
    QComboBox* CopyOp;
    QLabel* PanelBorderColor;
    QComboBox* comboPreset;
    QPushButton* btnOk;
    QPushButton* btnCancel;
    QPushButton* btnReset;
    QPushButton* btnHelp;
    QPushButton* btnAuto;
    QPushButton* btnAspect;
    QFrame* PanelTip;
    QLabel* lblTip;

    // Applies the option to the controls (ExecuteResizeForm does this after creation).
    void ApplyOption();
    void FormActivate();
    void UpdateValues();
    // Applies what was typed into a field (Enter).
    void ApplyField(QLineEdit* edit);
    void SpinClick(QLineEdit* edit, bool up);
    // Corrects the working values to the limits; answers whether anything changed.
    bool Validate();
    void BtnOKClick(int modalResult);
    void BtnResetClick();
    void comboPresetChange(int index);
    void btnAspectClick();
    void PanelBorderColorClick();
    TColor BorderColor() const { return borderColor_; }
    void SetBorderColor(TColor color);

protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void SizeTyped(bool width, int value);
    void ScaleTyped(bool x, const std::string& text);
    bool ValidateRect();
    bool ValidateDefault();
    void SetField(QLineEdit* edit, int value);
    int FieldValue(QLineEdit* edit) const;

    TColor borderColor_ = clBlack;
};

// Runs the dialog. X, Y, Width and Height are the starting origin and size;
// MaxWidth and MaxHeight the limits. Option: above 1 a picture of more than one
// bit per pixel (sizing option "Normal", fixed), 1 a one-bit picture, 0 a
// rectangle (origin and size), -1 a size only, -2 a size with the colour panel,
// -10 a position in the size fields, 999 a custom viewport. Result.BorderColor
// passes the colour panel's first colour in. On OK Result gets the values as
// edited (Scale only in modes 6 and 7, when both scale fields show the same text,
// else -1); on Cancel Width and Height are -1; closing with Auto leaves Result
// as it was.
void ExecuteResizeForm(int X, int Y, int Width, int Height, int MaxWidth, int MaxHeight,
                       int Option, const std::string& Caption, int Mode, TResizeResult& Result);

}  // namespace lumvor
