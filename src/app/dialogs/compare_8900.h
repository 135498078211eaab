// The "Comparisons" window: two pictures side by side, "Picture (A)" in the
// left pane and "Picture (B)" in the right one. The image window sends its
// picture into either pane; either pane takes the clipboard's picture, goes to
// the clipboard or back to the image window. Both panes show at 100 % with
// their scroll bars (pictures of one size scroll together) or fitted into
// their halves of the window.
//
// One window per run, made on first use as a top-level child of the image
// window; closing or minimising it only hides it and brings the image window
// back, until the program shuts down. Every hand-over of a picture happens
// in memory. GUI thread only.
#pragma once

#include "platform/Graphics.h"

#include <QMainWindow>

#include <string>

class QLabel;
class QMenu;
class QStatusBar;

namespace lumvor {

class TCompareForm;
class TMenuItem;
class TPix;
class TScrollBoxNotify;

namespace compare_8900 {
inline TCompareForm* CompareForm = nullptr;
// Set once the window was first activated.
inline uint8_t CompareFormActive = 0;
// Help context of the window.
inline constexpr long CompareHelpContext = 461;
// The pane titles shown after the picture sizes.
inline constexpr const char* UntitledPaneTitle = " - [untitled]";
inline constexpr const char* ClipboardPaneTitle = " - [from clipboard]";
}  // namespace compare_8900

// ---- Geometry (pure)

// Where the window starts on a screen of the given size: 80 pixels in from
// the left and top edges, the screen size less 160, at least 320 x 240.
TRect CompareFormBounds(int ScreenWidth, int ScreenHeight);
inline constexpr int CompareFormMinWidth = 320;
inline constexpr int CompareFormMinHeight = 240;

// Where a pane shows a Width x Height picture in a BoxWidth x BoxHeight pane.
// Fitted: a picture smaller than the pane in both directions keeps its size,
// any other takes the largest size of its proportions inside the pane;
// either way it is centred. Actual size: at (0, 0) with its own size.
TRect ComparePaneRect(int Width, int Height, int BoxWidth, int BoxHeight, bool Fitted);

// The status text of a pane: " Picture (A) 640x480 - [untitled]".
std::string ComparePaneStatus(char Pane, int Width, int Height, const std::string& Title);

// Whether scrolling one pane scrolls the other: only at actual size and for
// two pictures of the same width and height.
bool ComparePanesScrollTogether(bool Fitted, int WidthA, int HeightA, int WidthB, int HeightB);

// ---- The window

class TCompareForm : public QMainWindow {
public:
    explicit TCompareForm(QWidget* owner);
    ~TCompareForm() override;

    QWidget* PanelA = nullptr;
    QWidget* PanelB = nullptr;
    TScrollBoxNotify* ScrollBox1 = nullptr;
    TScrollBoxNotify* ScrollBox2 = nullptr;
    TPix* PixA = nullptr;
    TPix* PixB = nullptr;
    QStatusBar* StatusBarC = nullptr;
    QLabel* StatusPanels[2] = {nullptr, nullptr};
    std::string PaneTitleA = compare_8900::UntitledPaneTitle;
    std::string PaneTitleB = compare_8900::UntitledPaneTitle;

    TMenuItem* mnuNew = nullptr;
    QMenu* mnuClipboard = nullptr;
    QMenu* mnuCopyC = nullptr;
    TMenuItem* mnuCopyLeft = nullptr;
    TMenuItem* mnuCopyRight = nullptr;
    QMenu* mnuPasteC = nullptr;
    TMenuItem* mnuPasteLeft = nullptr;
    TMenuItem* mnuPasteRight = nullptr;
    QMenu* mnuSendC = nullptr;
    TMenuItem* mnuSendLeft = nullptr;
    TMenuItem* mnuSendRight = nullptr;
    TMenuItem* mnuEmptyC = nullptr;
    QMenu* mnuViewC = nullptr;
    TMenuItem* mnuFitToWindowC = nullptr;
    QMenu* mnuToolsC = nullptr;
    TMenuItem* mnuViewerC = nullptr;
    TMenuItem* mnuExplorerC = nullptr;
    TMenuItem* mnuClearCompare = nullptr;
    TMenuItem* Help1 = nullptr;

    // The status texts, the pane titles and the view after every change of a
    // pane, of the window's size or of the view mode.
    void RepaintImagePanes();
    // Both boxes scrolled back to their origin, both pictures at (0, 0).
    void ResetScrollBars();
    // The pane that goes with a pane command's Sender (A unless a right-pane item).
    TPix* PaneOf(QObject* Sender) const;

    void FormCreate();
    void FormActivate();
    void FormResize();
    // Unless the program shuts down the window is only hidden and the image
    // window comes back.
    void FormCloseQuery(bool& CanClose);
    void FormClose();
    void ScrollBox1Scroll(QObject* Sender);
    void ScrollBox2Scroll(QObject* Sender);
    void mnuNewClick(QObject* Sender);
    void mnuClipboardClick(QObject* Sender);
    void mnuCopyCClick(QObject* Sender);
    void mnuCopyLeftClick(QObject* Sender);
    void mnuPasteLeftClick(QObject* Sender);
    void mnuSendCClick(QObject* Sender);
    void mnuSendLeftClick(QObject* Sender);
    void mnuEmptyCClick(QObject* Sender);
    void mnuFitToWindowCClick(QObject* Sender);
    void mnuViewerCClick(QObject* Sender);
    void mnuExplorerCClick(QObject* Sender);
    void mnuClearCompareClick(QObject* Sender);
    void Help1Click(QObject* Sender);

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void BuildMenu();
    void BuildPanes();
    // Lays one pane out for the view mode.
    void PlacePane(TScrollBoxNotify* Box, TPix* Pix);
    // The other box follows the scrolled one when the pictures allow it.
    void FollowScroll(TScrollBoxNotify* From, TScrollBoxNotify* To);
    // Hides the window and brings the image window back.
    void HideToViewer();
    bool Fitted() const;
};

// The compare window, made on first use.
TCompareForm& EnsureCompareForm();

}  // namespace lumvor
