// "HTML Page Options": the dialog that edits the web options (WebOptions.h)
// with their enabling rules and a live miniature of the resulting page.
//
// ExecuteWebDlg runs it modally and frees it. Every handler stores its value
// into the options at once, so Cancel leaves the options changed in memory:
// the callers then stop without saving, and the next run loads them anew.
// GUI thread only.
#pragma once

#include "explorer/WebOptions.h"
#include "platform/Forms.h"

#include <QWidget>

#include <functional>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace lumvor {

// The result of a cancelled or closed options dialog.
inline constexpr int WebDlgCancelled = -999;

namespace webdlg {
// The run's mode: -1 options only, -2 image catalog, a positive number the
// count of files of a web page or contact sheet run.
inline int WebDlgMode = -1;
// Set while the dialog copies the options into its controls: handlers then
// store their values but neither repaint nor re-synchronise the dialog.
inline bool WebDlgLoading = false;
}  // namespace webdlg

// Each of a colour's red, green and blue bytes times Percent / 100, rounded,
// capped at 255.
TColor ScaleColor(TColor Color, int Percent);

// The preview's paint box: its paint event calls OnPaint.
class TWebPaintBox : public QWidget {
public:
    explicit TWebPaintBox(QWidget* parent) : QWidget(parent) {}
    std::function<void(QPainter&)> OnPaint;

protected:
    void paintEvent(QPaintEvent* event) override;
};

// Where the preview puts its sample cells (pixels of the paint box).
struct TWebPreviewLayout {
    int CellWidth = 0;
    int CellHeight = 0;
    int Count = 0;
    int Left = 0;  // of the first cell; the row is centred
    static constexpr int Top = 12;
    // The thumbnail area of a cell (64 x 48 plus the link border) starts
    // this far inside the cell.
    static constexpr int ThumbInset = 3;
    // The navigation bar: 180 pixels wide, centred, its top this far above
    // the bottom of the box.
    static constexpr int NavWidth = 180;
    static constexpr int NavButtonWidth = 60;
    static constexpr int NavFromBottom = 32;
};
TWebPreviewLayout WebPreviewLayout(const THTMLSet& Options, int BoxWidth, int Mode);

class TWebDlg : public TModalForm {
public:
    explicit TWebDlg(QWidget* owner = nullptr);

    QLabel* LabelTitle;
    TWebPaintBox* TestFont;
    QGroupBox* RadioPageType;
    QRadioButton* PageTypeItems[3];
    QCheckBox* chkFileDetails;
    QCheckBox* chkImageComments;
    QCheckBox* chkContactSheet;
    QCheckBox* chkNavButtons;
    QCheckBox* chkUseFrames;
    QCheckBox* chkLaunchBrowser;
    QCheckBox* chkReviewSettings;
    QCheckBox* chkImagesOnly;
    QCheckBox* chkHomeURL;
    QCheckBox* chkBannerURL;
    QPushButton* btnPageColor;
    QPushButton* btnPageFontColor;
    QPushButton* btnGridColor;
    QPushButton* btnPageBorder;
    QPushButton* btnGridBorder;
    QPushButton* btnPageWidth;
    QPushButton* btnPageTitle;
    QLabel* LabelSize;
    QLabel* LabelURL;
    QLineEdit* edtWebFolder;
    QLineEdit* edtPageHome;
    QLineEdit* edtPageBanner;
    QLabel* LabelSubFolder;
    QLineEdit* edtSubFolder;
    QLabel* LabelThumbsPerPage;
    QSpinBox* UpDownThumbs;
    QPushButton* btnOK;
    QPushButton* btnCancel;
    QPushButton* btnHelp;

    // Copies the options into the controls and applies the enabling rules.
    void FormActivate();
    void TestFontPaint(QPainter& Painter);
    // The radio group's current item (0 to 2).
    int PageTypeIndex() const;

    void ColorButtonClick(QPushButton* Button);
    void BorderButtonClick(QPushButton* Button);
    void btnPageWidthClick();
    void btnPageTitleClick();
    void chkFileDetailsClick();
    void chkNavButtonsClick();
    void chkImageCommentsClick();
    void chkHomeURLClick();
    void chkBannerURLClick();
    void chkContactSheetClick();
    void RadioPageTypeClick(bool FromContactSheet = false);
    void btnOKClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void BuildControls();
    void ImageCommentsRule();
    void ContactSheetRule();
    void Repaint();
    std::string PageTypeNote(int Index) const;

    bool activated_ = false;
    bool painting_ = false;
};

// Runs the dialog in Mode: 1 when closed with "&Ok", WebDlgCancelled otherwise.
int ExecuteWebDlg(int Mode);

}  // namespace lumvor
