// The advanced JPEG compression dialog.
//
// The user picks a smoothing filter and its strength, progressive output,
// chroma subsampling and a compression setting on the linear quality scale,
// presses "&Test" to encode the picture into memory, sees the decoded result
// beside the original with both sizes, and writes exactly the tested bytes with
// "Save &As". The choices are kept in JpegWizardSettings ("JPGwiz1"), which
// batch conversion reads as well. The picture in the image window is never
// changed by the dialog. GUI thread only.
#pragma once

#include "app/dialogs/filter_8900.h"
#include "platform/Forms.h"
#include "platform/Graphics.h"
#include "platform/Streams.h"

#include <QTimer>

#include <cstdint>
#include <memory>
#include <string>

class QCheckBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QScrollArea;
class QScrollBar;

namespace lumvor {

class TPix;

// Smoothing kinds (the index of "Standard", "Parametric" and "Clean").
inline constexpr int skStandard = 0;
inline constexpr int skParametric = 1;
inline constexpr int skClean = 2;

// The lightness threshold of "Clean" for a strength of 1 or more:
// (255 div strength) x 128 + 127, at most 255.
int CleanThreshold(int Strength);
// The smoothing factor the encoder gets: the strength for "Standard", else 0
// (the other kinds smooth the pixels before encoding).
int EncoderSmoothing(int Kind, int Strength);
// Smooths the picture before a JPEG encode: "Parametric" defocuses by
// 255 - strength, "Clean" runs the edge-preserving blur; "Standard" and a
// strength of 0 leave the pixels.
void SmoothBeforeJpeg(TPix* Pix, int Kind, int Strength);

// What a test encode takes besides the picture.
struct TJpegTestOptions {
    int Kind = skStandard;
    int Strength = 0;
    bool Progressive = false;
    bool Subsample = false;
    // The linear quality scale: percent of the standard quantisation tables.
    int Scale = 40;
};
// The dialog's test encode. Picture, already smoothed by SmoothBeforeJpeg, is
// encoded into Stream (replacing what it held) with optimised Huffman coding,
// the floating-point DCT and the encoder smoothing of the options' kind, then
// decoded from Stream back into Picture at 24 bits. Raises EJPEG when libjpeg
// fails; Stream then holds nothing.
void EncodeJpegTest(TBitmap& Picture, const TJpegTestOptions& Options, TMemoryStream& Stream);

// "1,440,000 bytes": the count with thousands separators.
std::string ByteCountText(int64_t Count);
// The tip after a successful test: both sizes and the ratio raw : compressed
// with one decimal ("Compression ratio: 3.3 to 1"). Compressed must be above 0.
std::string CompressionTipText(int64_t Raw, int64_t Compressed);
// The tip after a failed test.
std::string CompressionFailedTipText(int64_t Raw, const std::string& Reason);
// A chosen file name as Save As writes it: ".jpg" and ".jpeg" (in any case) are
// kept, any other extension or none becomes ".jpg".
std::string JpegSaveName(const std::string& Chosen);

namespace jpgdlg_8900 {
// The last tested JPEG data (exists while the dialog is open).
inline std::unique_ptr<TMemoryStream> TestStream;
// The temporary bitmap file holding the picture for the left preview; empty
// when the picture could not be written.
inline std::string TempBitmapName;
// The filter scroll bar's bounds as the caller gave them.
inline int CustomMin = 0;
inline int CustomMax = 255;
inline int CustomPosition = 0;
// Set while the user types into an edit: scroll bar changes then leave the
// edit alone.
inline bool Editing = false;
// Set while the timer's handler runs.
inline bool TimerBusy = false;
// Scroll position chkScrollbarsClick gives the left preview.
inline int SavedScrollLeft = 0;
inline int SavedScrollTop = 0;
}  // namespace jpgdlg_8900

class TJPEGdialog : public TModalForm {
public:
    // FormCreate: builds the controls, widens the form to the screen and writes
    // the window's picture to the temporary bitmap file.
    explicit TJPEGdialog(QWidget* owner = nullptr);
    ~TJPEGdialog() override;

    QPushButton* btnTest;
    QPushButton* btnOK;
    QPushButton* btnCancel;
    QPushButton* btnHelp;
    QGroupBox* grpSmoothing;
    QRadioButton* SmoothingItems[3];
    QCheckBox* chkProgressive;
    QCheckBox* chkSubSample;
    QLabel* lblFilter;
    QScrollBar* ScrollBarCustom;
    QLineEdit* EditCustom;
    QLabel* LabelMin;
    QLabel* LabelMax;
    QGroupBox* GroupJPEG;
    QScrollBar* ScrollBarJPG;
    QLineEdit* EditJPG;
    QLabel* LabelBest;
    QLabel* LabelSmallest;
    QLabel* lblOriginal;
    QLabel* lblCompressed;
    QScrollArea* ScrollBox1;
    QScrollArea* ScrollBox2;
    TPix* BeforePix;
    TPix* AfterPix;
    QFrame* PanelTip;
    QLabel* lblTip;
    QTimer* Timer1;

    // The selected smoothing kind (-1 when none is checked).
    int SmoothingIndex() const;
    void SetSmoothingIndex(int Index);

    // Places the controls for a screen of this width: 1280 pixels and more
    // give a form 1184 pixels wide, more than 800 one of 928, else the form's
    // own 760 x 526 client area.
    void WidenForScreen(int ScreenWidth);

    void FormActivate();
    void FormClose();
    void ScrollBarCustomChange(QScrollBar* Sender);
    void ScrollBarCustomScroll();
    void EditCustomChange(QLineEdit* Sender);
    void EditCustomKeyDown();
    // Answers whether the key was swallowed (Enter).
    bool EditCustomKeyUp(int Key);
    void btnTestClick();
    void BtnOKClick();
    void BtnCancelClick();
    void btnHelpClick();
    void Timer1Timer();
    void chkScrollbarsClick();

protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildControls();
    void RunTest();
    void SaveTestStream();

    bool activated_ = false;
    bool closed_ = false;
};

// Runs the dialog with Caption and the filter scroll bar set up from slider 1
// of Param (its end labels from the record when it has custom sliders, else
// MinLabel and MaxLabel, else the numbers). Answers -999 when the dialog was
// closed or could not be shown (the picture could not be written to its
// temporary file), else the filter scroll bar's position.
int ExecuteJPEGDialog(const std::string& Caption, const std::string& MinLabel, const std::string& MaxLabel,
                      const TFilterDlgParam& Param);

}  // namespace lumvor
