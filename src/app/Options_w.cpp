// The Options window: building the six pages, filling them from the records,
// the enabling rules and applying the changed values through the image window.
#include "app/Options_w.h"

#include "state/ViewerSettings.h"
#include "app/lumv8900.h"
#include "explorer/xplr8900.h"
#include "imaging/AvlScript.h"
#include "platform/MediaPlayer.h"
#include "platform/Menus.h"
#include "platform/SysUtils.h"
#include "ui/FormParts.h"
#include "ui/ScrollBoxEx.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QLabel>
#include <QPalette>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QShowEvent>
#include <QSlider>
#include <QTabWidget>

#include <algorithm>
#include <cstdio>

namespace lumvor {

using namespace lumv8900;
namespace ec = xplr8900::ec;

namespace {

constexpr int CheckHeight = 20;
constexpr int ColumnWidth = 196;

QCheckBox* NewCheck(QWidget* parent, const char* name, const char* caption, int left, int top,
                    int width = ColumnWidth, const char* hint = nullptr) {
    auto* box = Placed(new QCheckBox(caption, parent), name, QRect(left, top, width, CheckHeight));
    if (hint)
        box->setToolTip(hint);
    return box;
}

QWidget* NewPage(QTabWidget* pages, const char* name, const char* caption, int helpTopic) {
    auto* page = new QWidget;
    page->setObjectName(name);
    page->setProperty("Tag", helpTopic);
    pages->addTab(page, caption);
    return page;
}

QComboBox* NewList(QWidget* parent, const char* name, QRect geometry, std::initializer_list<const char*> items) {
    auto* list = Placed(new QComboBox(parent), name, geometry);
    for (const char* item : items) list->addItem(item);
    return list;
}

// A label naming a control and giving it the focus for its accelerator.
QLabel* NewLabel(QWidget* parent, const char* name, const char* caption, QRect geometry, QWidget* buddy) {
    auto* label = Placed(new QLabel(caption, parent), name, geometry);
    label->setBuddy(buddy);
    return label;
}

bool Differs(const QCheckBox* box, bool value) { return box->isChecked() != value; }

}  // namespace

std::string SlideDelayLabel(int32_t Milliseconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%d.%ds", Milliseconds / 1000, Milliseconds % 1000 / 100);
    return std::string("&Delay = ") + text;
}

int32_t ClickStyleOf(bool SingleClick, bool UnderlineAll) {
    if (!SingleClick)
        return 0;
    return UnderlineAll ? 2 : 1;
}

// ---- TRadioGroup

TRadioGroup::TRadioGroup(QWidget* Parent, const char* Name, const char* Caption,
                         std::initializer_list<const char*> Items)
    : QGroupBox(Caption, Parent), group_(new QButtonGroup(this)) {
    setObjectName(Name);
    int top = 20;
    for (const char* caption : Items) {
        auto* item = new QRadioButton(caption, this);
        item->setGeometry(10, top, 170, CheckHeight);
        group_->addButton(item, int(items_.size()));
        items_.push_back(item);
        top += CheckHeight;
    }
}

int TRadioGroup::ItemIndex() const { return group_->checkedId(); }

void TRadioGroup::SetItemIndex(int Index) {
    if (Index >= 0 && Index < Count()) {
        items_[size_t(Index)]->setChecked(true);
        return;
    }
    group_->setExclusive(false);
    for (QRadioButton* item : items_) item->setChecked(false);
    group_->setExclusive(true);
}

// ---- Building

TOptionsForm::TOptionsForm(QWidget* Owner) : TModalForm(Owner) {
    setObjectName("OptionsForm");
    setWindowTitle("Options");
    SetDialogFont(*this);
    setFixedSize(520, 392);
    PageControl1 = Placed(new QTabWidget(this), "PageControl1", QRect(8, 8, 504, 338));
    PageControl1->setUsesScrollButtons(false);
    Tab_Viewer = NewPage(PageControl1, "Tab_Viewer", "Viewer", ViewerOptionsHelpTopic);
    Tab_Graphics = NewPage(PageControl1, "Tab_Graphics", "Graphics", ViewerOptionsHelpTopic);
    Tab_Show = NewPage(PageControl1, "Tab_Show", "Slideshow", ViewerOptionsHelpTopic);
    Tab_Video = NewPage(PageControl1, "Tab_Video", "Multimedia", ViewerOptionsHelpTopic);
    Tab_Explorer = NewPage(PageControl1, "Tab_Explorer", "Explorer", ExplorerOptionsHelpTopic);
    Tab_Advanced = NewPage(PageControl1, "Tab_Advanced", "Advanced", ExplorerOptionsHelpTopic);
    BuildViewerPage();
    BuildGraphicsPage();
    BuildShowPage();
    BuildVideoPage();
    BuildExplorerPage();
    BuildAdvancedPage();

    btnOK = NewButton(this, "btnOK", "Ok", QRect(172, 356, 80, 26));
    btnApply = NewButton(this, "btnApply", "&Apply", QRect(258, 356, 80, 26));
    btnCancel = NewButton(this, "btnCancel", "Cancel", QRect(344, 356, 80, 26));
    btnHelp = NewButton(this, "btnHelp", "&Help", QRect(430, 356, 80, 26));
    btnOK->setDefault(true);
    SetCancelButton(*btnCancel);
    SetModalResult(*this, *btnCancel, mrCancel);

    ColorDialog = new QColorDialog(this);
    ColorDialog->setObjectName("ColorDialog");
    ColorDialog->setOption(QColorDialog::DontUseNativeDialog);
    ConnectControls();
    PlaceAt(-1, -1);
}

void TOptionsForm::BuildViewerPage() {
    QWidget* p = Tab_Viewer;
    chkMenubar = NewCheck(p, "chkMenubar", "&Menus", 12, 12);
    chkToolbar = NewCheck(p, "chkToolbar", "&Tool bar", 12, 34);
    chkStatusbar = NewCheck(p, "chkStatusbar", "&Status bar", 12, 56);
    chkSideBar = NewCheck(p, "chkSideBar", "&Imaging bar", 12, 78);
    chkPathBox = NewCheck(p, "chkPathBox", "&Path box", 12, 100);
    chkScreenBar = NewCheck(p, "chkScreenBar", "M&erge Tool bar and Path box", 12, 122, 210);
    chkMaxFullScreen = NewCheck(p, "chkMaxFullScreen", "Max &Full screen", 228, 12);
    chkMaxFullScreenMenu = NewCheck(p, "chkMaxFullScreenMenu", "with Men&us", 246, 34, 178);
    chkAutoSize = NewCheck(p, "chkAutoSize", "Auto Si&ze", 228, 66);
    chkAutoCenter = NewCheck(p, "chkAutoCenter", "Auto Ce&nter", 228, 88);
    PanelBackground = NewButton(p, "PanelBackground", "Background &color", QRect(228, 120, 180, 28));
    MButtonBox = NewList(p, "MButtonBox", QRect(12, 200, 196, 24), {"[default]", "Unmark", "Recycle", "Fit to Window"});
    lblMButton = NewLabel(p, "lblMButton", " Mouse wheel button &assignment", QRect(12, 178, 260, 20), MButtonBox);
    chkMWheelMode = NewCheck(p, "chkMWheelMode", "Mouse &wheel navigation", 12, 236, 260);
}

void TOptionsForm::BuildGraphicsPage() {
    QWidget* p = Tab_Graphics;
    grpFaxQuality = new TRadioGroup(p, "grpFaxQuality", "Fa&x quality", {"b/w", "4 shades", "16 shades", "64 shades"});
    grpFaxQuality->setGeometry(12, 10, 196, 110);
    grpPhotoCD = new TRadioGroup(p, "grpPhotoCD", "&Photo-CD step",
                                 {"    64x96", "  128x192", "  256x384", "  512x768", "1024x1536", "2048x3072",
                                  "4096x6144"});
    grpPhotoCD->setGeometry(220, 10, 196, 170);
    chkFastBMP = NewCheck(p, "chkFastBMP", "Fast &BMP decoding", 12, 134);
}

void TOptionsForm::BuildShowPage() {
    QWidget* p = Tab_Show;
    ScrollBarDelay = Placed(new QScrollBar(Qt::Horizontal, p), "ScrollBarDelay", QRect(12, 34, 476, 18));
    ScrollBarDelay->setRange(0, MaxSlideDelay);
    ScrollBarDelay->setSingleStep(100);
    ScrollBarDelay->setPageStep(1000);
    lblDelay = NewLabel(p, "lblDelay", "&Delay = 0.0s", QRect(12, 12, 200, 20), ScrollBarDelay);
    grpSpeed = new TRadioGroup(p, "grpSpeed", "Effects &speed", {"Faster", "Normal", "Slower", "Slowest"});
    grpSpeed->setGeometry(12, 66, 196, 110);
    grpText = new TRadioGroup(p, "grpText", "Te&xt position", {"Auto", "Top", "Bottom"});
    grpText->setGeometry(220, 66, 196, 90);
    chkFitScreen = NewCheck(p, "chkFitScreen", "Auto &Size video", 12, 190);
    chkFullScreen = NewCheck(p, "chkFullScreen", "Always &Full screen", 12, 212);
    chkMP3jukebox = NewCheck(p, "chkMP3jukebox", "AVL &Jukebox", 12, 234);
    btnEffects = NewButton(p, "btnEffects", "&Effects", QRect(220, 176, 100, 28));
}

void TOptionsForm::BuildVideoPage() {
    QWidget* p = Tab_Video;
    chk_amStatus = NewCheck(p, "chk_amStatus", "&Status line", 12, 12);
    chk_amControls = NewCheck(p, "chk_amControls", "Player &controls", 12, 34);
    chk_amTracker = NewCheck(p, "chk_amTracker", "&Track bar", 30, 56, 178);
    chk_amMaxFull = NewCheck(p, "chk_amMaxFull", "Max &Full screen", 12, 86);
    chk_amAutoPlay = NewCheck(p, "chk_amAutoPlay", "Auto &Play + Loop", 12, 108);
    TrackVolume = Placed(new QSlider(Qt::Horizontal, p), "TrackVolume", QRect(12, 170, 400, 28));
    TrackVolume->setRange(0, 1000);
    TrackVolume->setPageStep(100);
    TrackVolume->setTickInterval(100);
    TrackVolume->setTickPosition(QSlider::TicksBelow);
    TrackVolume->setValue(500);
    lblVolume = NewLabel(p, "lblVolume", "&Volume", QRect(12, 148, 200, 20), TrackVolume);
}

void TOptionsForm::BuildExplorerPage() {
    QWidget* p = Tab_Explorer;
    chkToolbarX = NewCheck(p, "chkToolbarX", "&Tool bar", 12, 12);
    chkWin98styleX = NewCheck(p, "chkWin98styleX", "&Button text", 30, 34, 178);
    chkStatusbarX = NewCheck(p, "chkStatusbarX", "&Status bar", 12, 56);
    chkFolderTreeX = NewCheck(p, "chkFolderTreeX", "&Folder tree", 12, 78);
    chkSmartRefresh = NewCheck(p, "chkSmartRefresh", "Auto &refresh", 12, 100, ColumnWidth,
                               "Background monitoring of file additions and deletions");
    chkUseViewer = NewCheck(p, "chkUseViewer", "Use &Viewer to play multimedia", 12, 122, 260);
    chkLargeThumbs = NewCheck(p, "chkLargeThumbs", "&Large thumbs", 228, 12, 190);
    chkSingleClick = NewCheck(p, "chkSingleClick", "Single-clic&k", 228, 34, 190,
                              "Selects item when mouse hovers over it");
    chkUnderlineAll = NewCheck(p, "chkUnderlineAll", "&Underline items", 246, 56, 172);
    chkShowToolTips = NewCheck(p, "chkShowToolTips", "Listvie&w tool tips", 228, 78, 190,
                               "Shows item information in tool tip");
}

void TOptionsForm::BuildAdvancedPage() {
    QWidget* p = Tab_Advanced;
    chkHideOnClose = NewCheck(p, "chkHideOnClose", "Prompt before &closing Viewer", 12, 12, 300,
                              "Prompt to hide Viewer or close application");
    chkConfirmDeletions = NewCheck(p, "chkConfirmDeletions", "Confirm &deletions", 12, 34, 300,
                                   "Show prompts when deleting files");
    chkRecentMode = NewCheck(p, "chkRecentMode", "&Log visited folders", 12, 56, 300);
    chkSaveProfile = NewCheck(p, "chkSaveProfile", "Save &profile", 12, 78, 300);
    chkExpertViewMode = NewCheck(p, "chkExpertViewMode", "Disable &viewing mode prompts", 12, 100, 300,
                                 "Disable viewing mode prompts (e.g., widescreen, gamma)");
    chkEmbeddedThumbs = NewCheck(p, "chkEmbeddedThumbs", "Use &embedded thumbnails", 12, 122, 300,
                                 "Disable for consistent, high-quality JPEG thumbnails");
    PriorityBox = NewList(p, "PriorityBox", QRect(12, 182, 160, 24),
                          {"[disabled]", "2 threads", "3 threads", "4 threads", "5 threads", "6 threads",
                           "7 threads", "8 threads"});
    lblPriority = NewLabel(p, "lblPriority", "Multi-core &threads        ", QRect(12, 160, 200, 20), PriorityBox);
}

void TOptionsForm::ConnectControls() {
    const auto changed = [this] { Guarded([this] { chkMenubarClick(); }); };
    for (QCheckBox* box : findChildren<QCheckBox*>())
        connect(box, &QCheckBox::toggled, this, changed);
    for (TRadioGroup* group : findChildren<TRadioGroup*>())
        connect(group->Buttons(), &QButtonGroup::idToggled, this, [changed](int, bool on) {
            if (on)
                changed();
        });
    for (QComboBox* list : {MButtonBox, PriorityBox})
        connect(list, &QComboBox::currentIndexChanged, this, changed);
    connect(TrackVolume, &QSlider::valueChanged, this, changed);
    connect(ScrollBarDelay, &QScrollBar::valueChanged, this, [this] { Guarded([this] { ScrollBarDelayChange(); }); });
    connect(PanelBackground, &QPushButton::clicked, this, [this] { Guarded([this] { PanelBackgroundClick(); }); });
    connect(btnEffects, &QPushButton::clicked, this, [this] { Guarded([this] { btnEffectsClick(); }); });
    connect(btnHelp, &QPushButton::clicked, this, [this] { Guarded([this] { btnHelpClick(); }); });
    connect(btnApply, &QPushButton::clicked, this, [this] { Guarded([this] { btnApplyClick(); }); });
    connect(btnOK, &QPushButton::clicked, this, [this] {
        Guarded([this] { btnApplyClick(); });
        done(mrOk);
    });
}

// ---- Filling

void TOptionsForm::showEvent(QShowEvent* Event) {
    TModalForm::showEvent(Event);
    if (!activated_) {
        activated_ = true;
        Guarded([this] { FormActivate(); });
    }
}

void TOptionsForm::FormActivate() {
    changing_ = true;  // the values arrive; the change handler runs once at the end
    FillControls();
    // Without Auto Size there is no Auto Center, in the settings as well.
    chkAutoCenter->setEnabled(chkAutoSize->isChecked());
    if (!chkAutoSize->isChecked()) {
        chkAutoCenter->setChecked(false);
        OptimizeWindow = false;
    }
    chk_amTracker->setEnabled(chk_amControls->isChecked());
    chkWin98styleX->setEnabled(chkToolbarX->isChecked());
    chkSingleClick->setVisible(true);
    chkUnderlineAll->setVisible(true);
    chkUnderlineAll->setEnabled(chkSingleClick->isChecked());
    if (OptionsLimited)
        ApplyLimits();
    chkMaxFullScreenMenu->setEnabled(chkMaxFullScreen->isEnabled());
    changing_ = false;
    chkMenubarClick();
    ScrollBarDelayChange();
    btnApply->setEnabled(false);
}

void TOptionsForm::FillControls() {
    const TViewerControls& r = ViewerControls;
    chkMenubar->setChecked(r.Flag(vc::MenuBar));
    chkToolbar->setChecked(r.Flag(vc::ToolBar));
    chkStatusbar->setChecked(r.Flag(vc::StatusBar));
    chkSideBar->setChecked(r.Flag(vc::SideBar));
    chkPathBox->setChecked(WebForm && WebForm->mnuPathbox->Checked());
    chkScreenBar->setChecked(MergeToolbar);
    chkMaxFullScreen->setChecked(MaxFullScreen);
    chkMaxFullScreenMenu->setChecked(FullScreenMenus);
    chkAutoSize->setChecked(WindowedView);
    chkAutoCenter->setChecked(OptimizeWindow);
    SetPanelColor(BackgroundColor);
    MButtonBox->setCurrentIndex(std::clamp(r.Int(vc::MiddleButton), 0, MButtonBox->count() - 1));
    chkMWheelMode->setChecked(r.Int(vc::WheelNavigation) == 1);

    grpFaxQuality->SetItemIndex(FaxQuality);
    grpPhotoCD->SetItemIndex(PhotoCDResolution);
    chkFastBMP->setChecked(r.Flag(vc::FastBmp));

    ScrollBarDelay->setValue(std::clamp(SlideDelay, 0, MaxSlideDelay));
    grpSpeed->SetItemIndex(EffectsSpeed);
    grpText->SetItemIndex(SlideTextPosition);
    chkFitScreen->setChecked(AutoSizeVideo);
    chkFullScreen->setChecked(AlwaysFullScreen);
    chkMP3jukebox->setChecked(MP3Jukebox);

    chk_amStatus->setChecked(MediaShowStatusBar);
    chk_amTracker->setChecked(MediaShowPositionBar);
    chk_amControls->setChecked(MediaShowControls);
    chk_amMaxFull->setChecked(MediaMaxFullScreen);
    chk_amAutoPlay->setChecked(MediaAutoPlay);
    TrackVolume->setValue(MediaVolume);

    const TByteRecord<140>& e = xplr8900::EControls;
    chkToolbarX->setChecked(e.Flag(ec::ToolBar));
    chkStatusbarX->setChecked(e.Flag(ec::StatusBar));
    chkWin98styleX->setChecked(e.Flag(ec::ButtonText));
    chkSmartRefresh->setChecked(e.Flag(ec::AutoRefresh));
    chkFolderTreeX->setChecked(e.Flag(ec::FolderTree));
    chkUseViewer->setChecked(e.Int(ec::ViewerPlaysMedia) != 0);
    chkLargeThumbs->setChecked(e.Int(ec::AlbumCopy) == LargeThumbsValue);
    OptionsClickStyle = e.Int(ec::ClickMode);
    chkSingleClick->setChecked(OptionsClickStyle > 0);
    chkUnderlineAll->setChecked(OptionsClickStyle >= 2);
    chkShowToolTips->setChecked(e.Flag(ec::ListToolTips));

    chkHideOnClose->setChecked(r.Flag(vc::PromptOnClose));
    chkConfirmDeletions->setChecked(e.Flag(ec::ConfirmDeletions));
    chkRecentMode->setChecked(r.Int(vc::LogVisited) == 1);
    chkSaveProfile->setChecked(SaveProfile);
    chkExpertViewMode->setChecked(r.Flag(vc::NoViewPrompts));
    chkEmbeddedThumbs->setChecked(e.Flag(ec::ThumbJpegDecode));
    PriorityBox->setCurrentIndex(std::clamp(r.Int(vc::ThumbThreads), 0, PriorityBox->count() - 1));
}

// In full screen the window's own bars are the full screen's business.
void TOptionsForm::ApplyLimits() {
    chkMaxFullScreen->setEnabled(false);
    chkStatusbar->setEnabled(false);
    if (MaxFullScreen)
        for (QCheckBox* box : {chkMenubar, chkToolbar, chkSideBar, chkPathBox}) box->setEnabled(false);
    if (MediaMaxFullScreen)
        for (QCheckBox* box : {chk_amStatus, chk_amControls, chk_amTracker, chk_amMaxFull}) box->setEnabled(false);
}

void TOptionsForm::SetPanelColor(TColor Color) {
    panelColor_ = Color;
    const QColor colour = QColorOf(Color);
    QPalette palette = PanelBackground->palette();
    palette.setColor(QPalette::Button, colour);
    palette.setColor(QPalette::ButtonText, colour.lightness() < 128 ? Qt::white : Qt::black);
    PanelBackground->setPalette(palette);
    PanelBackground->setAutoFillBackground(true);
}

// ---- The change handlers

void TOptionsForm::chkMenubarClick() {
    if (changing_)
        return;
    changing_ = true;
    btnApply->setEnabled(true);
    const bool merged = chkScreenBar->isChecked();
    if (merged)
        chkToolbar->setChecked(false);
    chkToolbar->setVisible(!merged);
    chkPathBox->setText(merged ? "&Tool bar" : "&Path box");
    if (chkMaxFullScreen->isEnabled())
        chkMaxFullScreenMenu->setEnabled(chkMenubar->isChecked());
    if (chkToolbarX->isEnabled())
        chkWin98styleX->setEnabled(chkToolbarX->isChecked());
    chkAutoCenter->setEnabled(chkAutoSize->isChecked());
    if (!chkAutoSize->isChecked())
        chkAutoCenter->setChecked(false);
    chkUnderlineAll->setEnabled(chkSingleClick->isChecked());
    if (!OptionsLimited)
        chk_amTracker->setEnabled(chk_amControls->isChecked());
    changing_ = false;
}

void TOptionsForm::ScrollBarDelayChange() {
    const int delay = ScrollBarDelay->value();
    lblDelay->setText(Q(SlideDelayLabel(delay)));
    if (delay != SlideDelay)
        btnApply->setEnabled(true);
}

void TOptionsForm::PanelBackgroundClick() {
    ColorDialog->setCurrentColor(QColorOf(clWindow));
    if (ExecModal(*ColorDialog) != QDialog::Accepted)
        return;
    const QColor chosen = ColorDialog->selectedColor();
    SetPanelColor(RGB(uint8_t(chosen.red()), uint8_t(chosen.green()), uint8_t(chosen.blue())));
    chkMenubarClick();
}

void TOptionsForm::btnHelpClick() {
    Application.HelpContext(PageControl1->currentWidget()->property("Tag").toInt());
}

void TOptionsForm::btnEffectsClick() {
    if (WebForm)
        WebForm->mnuSlideEffectsClick(this);
}

// ---- Applying

void TOptionsForm::btnApplyClick() {
    if (WebForm) {
        WebForm->CloseImgHandle();
        const bool relayout = ApplyBars();
        ApplyViewerValues();
        ApplyPictureOptions();
        ApplyShowValues();
        ApplyPlayerValues();
        if (relayout)
            WebForm->FormResize();
        ApplyExplorerValues();
    }
    btnApply->setEnabled(false);
}

bool TOptionsForm::ApplyBars() {
    TWebForm& w = *WebForm;
    bool relayout = false;
    if (Differs(chkScreenBar, MergeToolbar)) {
        if (Differs(chkToolbar, ViewerControls.Flag(vc::ToolBar)))
            w.mnuToolbarVClick(this);
        w.mnuScreenBarClick(this);
        relayout = true;
    }
    struct TBar {
        QCheckBox* Box;
        bool Shown;
        void (TWebForm::*Toggle)(QObject*);
    };
    const TBar bars[] = {
        {chkStatusbar, ViewerControls.Flag(vc::StatusBar), &TWebForm::mnuStatusbarVClick},
        {chkMenubar, ViewerControls.Flag(vc::MenuBar), &TWebForm::mnuMenubarClick},
        {chkToolbar, ViewerControls.Flag(vc::ToolBar), &TWebForm::mnuToolbarVClick},
        {chkSideBar, ViewerControls.Flag(vc::SideBar), &TWebForm::mnuSideBarVClick},
        {chkPathBox, w.mnuPathbox->Checked(), &TWebForm::mnuPathboxClick},
    };
    for (const TBar& bar : bars) {
        if (!Differs(bar.Box, bar.Shown))
            continue;
        (w.*bar.Toggle)(this);
        relayout = true;
    }
    return relayout;
}

void TOptionsForm::ApplyViewerValues() {
    TViewerControls& r = ViewerControls;
    r.SetInt(vc::LogVisited, chkRecentMode->isChecked() ? 1 : 0);
    r.SetInt(vc::WheelNavigation, chkMWheelMode->isChecked() ? 1 : 0);
    WebForm->ScrollBox->CustomWheelMouse = chkMWheelMode->isChecked();
    r.SetFlag(vc::FastBmp, chkFastBMP->isChecked());
    r.SetInt(vc::MiddleButton, MButtonBox->currentIndex());
    r.SetInt(vc::ThumbThreads, PriorityBox->currentIndex());
    WindowedView = chkAutoSize->isChecked();
    OptimizeWindow = chkAutoCenter->isChecked();
    MaxFullScreen = chkMaxFullScreen->isChecked();
    FullScreenMenus = chkMaxFullScreenMenu->isChecked();
}

// Pages and Photo CD steps are chosen as a file opens: a file they concern
// opens again.
void TOptionsForm::ApplyPictureOptions() {
    if (grpFaxQuality->ItemIndex() >= 0 && grpFaxQuality->ItemIndex() != FaxQuality) {
        FaxQuality = grpFaxQuality->ItemIndex();
        if (PageCount > 1)
            WebForm->BtnOpenEx(WebForm);
    }
    if (grpPhotoCD->ItemIndex() >= 0 && grpPhotoCD->ItemIndex() != PhotoCDResolution) {
        PhotoCDResolution = grpPhotoCD->ItemIndex();
        if (UpperCase(ExtractFileExt(FileName)) == ".PCD")
            WebForm->BtnOpenEx(WebForm);
    }
}

void TOptionsForm::ApplyShowValues() {
    if (grpSpeed->ItemIndex() >= 0)
        EffectsSpeed = grpSpeed->ItemIndex();
    if (panelColor_ != BackgroundColor) {
        BackgroundColor = panelColor_;
        WebForm->PaintScrollBoxBackground();
    }
    if (grpText->ItemIndex() >= 0)
        SlideTextPosition = grpText->ItemIndex();
    AutoSizeVideo = chkFitScreen->isChecked();
    AlwaysFullScreen = chkFullScreen->isChecked();
    MP3Jukebox = chkMP3jukebox->isChecked();
    SlideDelay = ScrollBarDelay->value();
}

void TOptionsForm::ApplyPlayerValues() {
    TMediaPlayer* player = WebForm->ViewerPlayer;
    TMediaPlayer* shown = MediaMode ? player : nullptr;
    if (Differs(chk_amStatus, MediaShowStatusBar)) {
        MediaShowStatusBar = chk_amStatus->isChecked();
        if (shown)
            shown->SetShowStatusBar(MediaShowStatusBar);
    }
    if (Differs(chk_amControls, MediaShowControls)) {
        MediaShowControls = chk_amControls->isChecked();
        if (shown)
            shown->SetShowControls(MediaShowControls);
    }
    if (Differs(chk_amTracker, MediaShowPositionBar)) {
        MediaShowPositionBar = chk_amTracker->isChecked();
        if (shown)
            shown->SetShowTracker(MediaShowPositionBar);
    }
    MediaAutoPlay = chk_amAutoPlay->isChecked();
    if (TrackVolume->value() != MediaVolume) {
        MediaVolume = std::max(1, TrackVolume->value());
        if (player)
            player->SetVolume(MediaLinearVolume(MediaVolume));
    }
    MediaMaxFullScreen = chk_amMaxFull->isChecked();
}

void TOptionsForm::ApplyExplorerValues() {
    TWebForm& w = *WebForm;
    TByteRecord<140>& e = xplr8900::EControls;
    struct TToggle {
        QCheckBox* Box;
        std::size_t Offset;
        void (TWebForm::*Forward)();
    };
    const TToggle toggles[] = {
        {chkFolderTreeX, ec::FolderTree, &TWebForm::Explorer_FolderTree},
        {chkStatusbarX, ec::StatusBar, &TWebForm::Explorer_Statusbar},
        {chkToolbarX, ec::ToolBar, &TWebForm::Explorer_Toolbar},
        {chkWin98styleX, ec::ButtonText, &TWebForm::Explorer_Win98style},
    };
    for (const TToggle& toggle : toggles)
        if (Differs(toggle.Box, e.Flag(toggle.Offset)))
            (w.*toggle.Forward)();
    e.SetFlag(ec::ConfirmDeletions, chkConfirmDeletions->isChecked());
    if (Differs(chkShowToolTips, e.Flag(ec::ListToolTips))) {
        e.SetFlag(ec::ListToolTips, chkShowToolTips->isChecked());
        w.Explorer_Refresh();
    }
    const bool refresh = Differs(chkSmartRefresh, e.Flag(ec::AutoRefresh));
    if (refresh)
        e.SetFlag(ec::AutoRefresh, chkSmartRefresh->isChecked());
    e.SetInt(ec::AlbumCopy, chkLargeThumbs->isChecked() ? LargeThumbsValue : 0);
    SaveProfile = chkSaveProfile->isChecked();
    e.SetInt(ec::ViewerPlaysMedia, chkUseViewer->isChecked() ? 1 : 0);
    if (refresh)
        w.Explorer_Refresh();

    const int32_t style = ClickStyleOf(chkSingleClick->isChecked(), chkUnderlineAll->isChecked());
    e.SetInt(ec::ClickMode, style);
    if (style != OptionsClickStyle) {
        OptionsClickStyle = style;
        w.Explorer_ClickStyle();
    }
    ViewerControls.SetFlag(vc::PromptOnClose, chkHideOnClose->isChecked());
    ViewerControls.SetFlag(vc::NoViewPrompts, chkExpertViewMode->isChecked());
    e.SetFlag(ec::ThumbJpegDecode, chkEmbeddedThumbs->isChecked());
}

// ---- Running

int ExecuteOptionsForm(int Page, bool Limited) {
    TOptionsForm form(WebForm);
    form.OptionsLimited = Limited;
    const int index = Page >= opGraphics && Page <= opExplorer ? Page : opViewer;
    form.PageControl1->setCurrentIndex(index);
    return ExecModal(form) == mrOk ? 0 : -999;
}

// ---- The image window's command

void TWebForm::mnuOptionsClick(QObject*) {
    TFileForm* explorer = xplr8900::FileForm;
    if (explorer) {
        explorer->FolderMonitor_Terminate();
        explorer->Thumbnailing_Stop();
    }
    ShortCuts_Disable();
    const bool limited = FullScreenItemReadsNormal();
    int page = opViewer;
    if (MediaMode)
        page = opMultimedia;
    else if (limited && !FullScreenMenus)
        page = opGraphics;
    ExecuteOptionsForm(page, limited);
    ShortCuts_Enable();
    if (xplr8900::FileForm)
        xplr8900::FileForm->FolderMonitor_Restart();
}

}  // namespace lumvor
