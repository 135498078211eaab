// The Options window: the viewer, graphics, slide-show, multimedia, explorer
// and advanced options in one dialog.
//
// The dialog reads the image window's viewer record (ViewerControls) and its
// globals, and the explorer's record (EControls). "&Apply" and "Ok" write the
// values back and apply each changed one at once through the image window's
// own commands; the records' owners persist them. GUI thread only.
#pragma once

#include "platform/Colors.h"
#include "platform/Forms.h"

#include <QGroupBox>

#include <cstdint>
#include <initializer_list>
#include <vector>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QColorDialog;
class QLabel;
class QPushButton;
class QRadioButton;
class QScrollBar;
class QSlider;
class QTabWidget;

namespace lumvor {

// Pages of the dialog, as ExecuteOptionsForm numbers them.
inline constexpr int opViewer = 0;
inline constexpr int opGraphics = 1;
inline constexpr int opSlideshow = 2;
inline constexpr int opMultimedia = 3;
inline constexpr int opExplorer = 4;
inline constexpr int opAdvanced = 5;

// The help topics of the pages (each page's Tag).
inline constexpr int ViewerOptionsHelpTopic = 103;
inline constexpr int ExplorerOptionsHelpTopic = 102;

// The explorer record's large-thumbs value (dword 56).
inline constexpr int32_t LargeThumbsValue = 240;

// "&Delay = 2.5s": whole seconds and the tenth, cut rather than rounded.
std::string SlideDelayLabel(int32_t Milliseconds);
// The explorer's click style from the two boxes: 0 double click, 1 single
// click, 2 single click with every item underlined.
int32_t ClickStyleOf(bool SingleClick, bool UnderlineAll);

// A titled group of radio buttons with one checked item.
class TRadioGroup : public QGroupBox {
public:
    TRadioGroup(QWidget* Parent, const char* Name, const char* Caption, std::initializer_list<const char*> Items);
    // -1 when none is checked.
    int ItemIndex() const;
    void SetItemIndex(int Index);
    QRadioButton* Item(int Index) const { return items_[size_t(Index)]; }
    int Count() const { return int(items_.size()); }
    QButtonGroup* Buttons() const { return group_; }

private:
    QButtonGroup* group_;
    std::vector<QRadioButton*> items_;
};

class TOptionsForm : public TModalForm {
public:
    explicit TOptionsForm(QWidget* Owner = nullptr);

    QTabWidget* PageControl1;
    QWidget* Tab_Viewer;
    QWidget* Tab_Graphics;
    QWidget* Tab_Show;
    QWidget* Tab_Video;
    QWidget* Tab_Explorer;
    QWidget* Tab_Advanced;
    QPushButton* btnOK;
    QPushButton* btnApply;
    QPushButton* btnCancel;
    QPushButton* btnHelp;

    // Viewer
    QCheckBox* chkMenubar;
    QCheckBox* chkToolbar;
    QCheckBox* chkStatusbar;
    QCheckBox* chkSideBar;
    QCheckBox* chkPathBox;
    QCheckBox* chkScreenBar;
    QCheckBox* chkMaxFullScreen;
    QCheckBox* chkMaxFullScreenMenu;
    QCheckBox* chkAutoSize;
    QCheckBox* chkAutoCenter;
    QPushButton* PanelBackground;
    QLabel* lblMButton;
    QComboBox* MButtonBox;
    QCheckBox* chkMWheelMode;
    // Graphics
    TRadioGroup* grpFaxQuality;
    TRadioGroup* grpPhotoCD;
    QCheckBox* chkFastBMP;
    // Slideshow
    QScrollBar* ScrollBarDelay;
    QLabel* lblDelay;
    TRadioGroup* grpSpeed;
    TRadioGroup* grpText;
    QCheckBox* chkFitScreen;
    QCheckBox* chkFullScreen;
    QCheckBox* chkMP3jukebox;
    QPushButton* btnEffects;
    // Multimedia
    QCheckBox* chk_amStatus;
    QCheckBox* chk_amTracker;
    QCheckBox* chk_amControls;
    QCheckBox* chk_amMaxFull;
    QCheckBox* chk_amAutoPlay;
    QLabel* lblVolume;
    QSlider* TrackVolume;
    // Explorer
    QCheckBox* chkToolbarX;
    QCheckBox* chkStatusbarX;
    QCheckBox* chkWin98styleX;
    QCheckBox* chkSmartRefresh;
    QCheckBox* chkFolderTreeX;
    QCheckBox* chkUseViewer;
    QCheckBox* chkLargeThumbs;
    QCheckBox* chkSingleClick;
    QCheckBox* chkUnderlineAll;
    QCheckBox* chkShowToolTips;
    // Advanced
    QCheckBox* chkHideOnClose;
    QCheckBox* chkConfirmDeletions;
    QCheckBox* chkRecentMode;
    QCheckBox* chkSaveProfile;
    QCheckBox* chkExpertViewMode;
    QCheckBox* chkEmbeddedThumbs;
    QLabel* lblPriority;
    QComboBox* PriorityBox;

    QColorDialog* ColorDialog;

    // Set by the opener while the viewer is in full-screen mode.
    bool OptionsLimited = false;
    // The explorer's click style when the dialog was filled (or last applied).
    int32_t OptionsClickStyle = 0;

    // The background colour the panel shows.
    TColor PanelColor() const { return panelColor_; }

    void FormActivate();
    // The change handler every box, group, list and the volume bar share.
    void chkMenubarClick();
    void ScrollBarDelayChange();
    void PanelBackgroundClick();
    // "Ok" and "&Apply".
    void btnApplyClick();
    void btnHelpClick();
    void btnEffectsClick();

protected:
    void showEvent(QShowEvent* Event) override;

private:
    void BuildViewerPage();
    void BuildGraphicsPage();
    void BuildShowPage();
    void BuildVideoPage();
    void BuildExplorerPage();
    void BuildAdvancedPage();
    void ConnectControls();
    void FillControls();
    void ApplyLimits();
    void SetPanelColor(TColor Color);

    // The window's chrome (bars, path box, merged layout); true when the
    // window needs laying out again.
    bool ApplyBars();
    void ApplyViewerValues();
    void ApplyPictureOptions();
    void ApplyShowValues();
    void ApplyPlayerValues();
    void ApplyExplorerValues();

    TColor panelColor_{0xFFFFFF};
    bool activated_ = false;
    bool changing_ = false;
};

// Shows the dialog modally at Page (1 Graphics, 2 Slideshow, 3 Multimedia,
// 4 Explorer, anything else Viewer); Limited when the viewer is full screen.
// 0 when it closed with "Ok", -999 otherwise.
int ExecuteOptionsForm(int Page, bool Limited);

}  // namespace lumvor
