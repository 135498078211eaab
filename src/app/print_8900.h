// The print setup window: places the picture on the printer's page.
//
// A paper preview in the page's proportions shows the picture at its print
// size; a size bar (1..100 %) shrinks it and two bars move it across the page.
// Sizes and positions read in pixels, inches or centimetres. "&Setup" runs the
// system's print dialog. The window answers the chosen rectangle in printer
// pixels. GUI thread only.
#pragma once

#include "platform/Forms.h"

#include <cstdint>
#include <string>

class QComboBox;
class QFrame;
class QLabel;
class QPushButton;
class QScrollBar;

namespace lumvor {

class TPix;

// Where the picture goes on the page, in printer pixels. Top -1 = cancelled
// (the only field written then).
struct TPrintFormResult {
    int32_t Top = -1;
    int32_t Left = 0;
    int32_t Width = 0;
    int32_t Height = 0;
    uint8_t ColorPrinter = 0;
    uint8_t Reserved = 0;
};

// A size fitted into a box: the single-precision result and its rounding
// (to the nearest integer, halves to even).
struct TFittedSize {
    float Width = 0;
    float Height = 0;
    int32_t RoundedWidth = 0;
    int32_t RoundedHeight = 0;
};

// Fits a PictureWidth x PictureHeight picture into a BoxWidth x BoxHeight box,
// all in single precision. A box wider but not taller takes the box's height, a
// box taller but not wider the box's width; otherwise the side that differs
// most decides, and the result is then pulled inside the box.
TFittedSize FitPictureToBox(float BoxWidth, float BoxHeight, float PictureWidth, float PictureHeight);

// Measurements of the sizes and positions shown.
inline constexpr int msPixels = 0;
inline constexpr int msInches = 1;
inline constexpr int msCentimetres = 2;

namespace print_8900 {
// The picture's size as the caller gave it.
inline int32_t PictureWidth = 0;
inline int32_t PictureHeight = 0;
// The print size factor, 1.0 = 100 %.
inline double Zoom = 1.0;
// The printer's resolution in dots per inch.
inline int32_t ResolutionX = 0;
inline int32_t ResolutionY = 0;
// The picture's place on the page in printer pixels.
inline int32_t PrintTop = 0;
inline int32_t PrintLeft = 0;
inline int32_t PrintWidth = 0;
inline int32_t PrintHeight = 0;
inline uint8_t ColorPrinter = 0;
// msPixels, msInches or msCentimetres.
inline int32_t Measurement = msInches;
// Set while the sizes are recomputed: position changes are ignored meanwhile.
inline bool Updating = false;
}  // namespace print_8900

class TPrintForm : public TModalForm {
public:
    // FormCreate: builds the controls in a 592 x 428 client area.
    explicit TPrintForm(QWidget* owner = nullptr);

    // Its caption shows the page description.
    QLabel* PanelSettings;
    QFrame* PanelParent;
    QFrame* PanelImage;
    QFrame* PaperImage;
    TPix* DocImage;
    QFrame* PanelX;
    QScrollBar* XScroll;
    QFrame* PanelY;
    QScrollBar* YScroll;
    QLabel* LabelXPos;
    QLabel* LabelYpos;
    QLabel* LabelDocW;
    QLabel* LabelDocH;
    QLabel* ZoomLabel;
    QScrollBar* ZoomScroll;
    QLabel* Label1;
    QComboBox* MeasureBox;
    QPushButton* btnReset;
    QPushButton* btnSetup;
    QPushButton* btnPrintIt;
    QPushButton* btnClose;
    QPushButton* btnHelp;

    // The page description shown at the top.
    std::string PageText() const;

    void FormActivate();
    // Reads the printer (and with Mode not 0 its colour flag), then sizes the
    // print and centres it on the page.
    void AllSpecs(int Mode);
    // Takes the bars' positions into the print rectangle and shows the sizes.
    void UpdateDocPosition();
    void ResizePaper();
    // Sizes the preview picture; Center 1 centres it on the paper.
    void ResizeImage(int Center);
    // Moves the preview picture to where the position bars say.
    void UpdateXYscroll();
    void ZoomScrollScroll();
    void XScrollChange();
    void YScrollScroll();
    void MeasureBoxChange();
    void BtnResetClick();
    void BtnSetupClick();
    void BtnHelpClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void BuildControls();
    bool FullSize() const;
    // Sets a position bar's range and centres it; a bar that cannot move is
    // disabled, and so are both at full size.
    void SetPositionRange(QScrollBar& Bar, int Max);

    bool activated_ = false;
    // Set while AllSpecs places the bars: the preview is centred already.
    bool placingBars_ = false;
};

// Lets the user place a Width x Height picture named FileName on the page of
// the program's printer.
void ExecutePrintForm(const std::string& FileName, int32_t Width, int32_t Height, TPrintFormResult& Result);

}  // namespace lumvor
