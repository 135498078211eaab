// The explorer window's components, menus, tool bars and status bar, the
// switches of the bars, the settings record applied at start and the menu
// handlers that belong to no other command.
//
// Items whose commands are not built yet exist with their names, captions and
// shortcuts and stay disabled (marked "Pending").
#include "explorer/xplr8900.h"

#include "state/AlbumState.h"
#include "ui/AppIcons.h"
#include "state/ViewerState.h"
#include "state/ImageWindowSeam.h"
#include "state/ExplorerSettings.h"
#include "explorer/FolderListing.h"
#include "explorer/ThumbWorkers.h"
#include "explorer/ThumbMakers.h"
#include "explorer/ThumbScale.h"
#include "imaging/Helpers.h"
#include "platform/ComCtrls.h"
#include "platform/Folders.h"
#include "platform/Forms.h"
#include "platform/Menus.h"
#include "platform/ShellIcons.h"
#include "platform/SysUtils.h"
#include "ui/StFileOp.h"
#include "shell/StNotify.h"
#include "ui/DragDrop.h"
#include "ui/LookBoxEx.h"
#include "ui/MenuItems.h"
#include "ui/Pix.h"
#include "ui/ToolBarEx.h"
#include "ui/TreeViewEx.h"
#include "ui/VListShowEx.h"

#include <QActionGroup>
#include <QApplication>
#include <QDir>
#include <QFontDatabase>
#include <QFontDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QSplitter>
#include <QStandardPaths>
#include <QStatusBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace lumvor {

using namespace xplr8900;

namespace {

constexpr int ToolIconSize = 20;
constexpr int PathIconSize = 16;
constexpr int SliderWidth = 120;

TMenuItem* Item(QWidget* form, QMenu* menu, const char* name, const char* caption,
                QKeyCombination shortcut = QKeyCombination()) {
    return PendingMenuItem(form, menu, name, caption, shortcut);
}

// A sub-menu's item; the sub-menu itself is enabled.
TMenuItem* SubMenu(QWidget* form, QMenu* parent, const char* name, const char* caption, QMenu** menuOut) {
    return SubMenuItem(parent, form, name, caption, menuOut);
}

void Separator(QMenu* menu) { menu->addSeparator(); }

template <typename Handler>
void Wire(TFileForm* form, QAction* item, Handler handler) {
    WireMenuItem(form, item, handler);
}

template <typename Handler>
void Wire(TFileForm* form, TToolButtonEx* button, Handler handler) {
    button->setProperty(PendingProperty, false);
    button->setEnabled(true);
    button->OnClick = [button, handler](QObject*) { handler(button); };
    (void)form;
}

TToolButtonEx* ToolButton(TToolBarEx* bar, TImageList& images, const char* name, const char* caption,
                          const char* hint, const char* icon) {
    auto* button = new TToolButtonEx(bar, name);
    button->setObjectName(name);
    button->SetCaption(caption);
    button->setToolTip(hint);
    button->setStatusTip(hint);
    button->SetImageIndex(images.Add(ProgramIcon(icon).pixmap(images.Width, images.Height)));
    button->setProperty(PendingProperty, true);
    button->setEnabled(false);
    return button;
}

int CaptionWidth(const QFontMetrics& metrics, const std::vector<TToolButtonEx*>& buttons) {
    int widest = 0;
    for (TToolButtonEx* button : buttons)
        widest = std::max(widest, metrics.horizontalAdvance(button->text()));
    return widest;
}

// The folder a special-folder item goes to.
std::string SpecialFolder(const std::string& Name) {
    if (Name == "mnuWinDocuments")
        return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation).toStdString();
    if (Name == "mnuWinFavorites") {
        // The desktop's folder bookmarks: the first local one.
        const QString file =
            QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + "/gtk-3.0/bookmarks";
        TStringList lines;
        try {
            lines.LoadFromFile(file.toStdString());
        } catch (const Exception&) {
            return "";
        }
        for (int i = 0; i < lines.Count(); ++i) {
            const QString line = QString::fromStdString(lines[i]).section(' ', 0, 0);
            const QUrl url(line);
            if (url.isLocalFile() && QDir(url.toLocalFile()).exists())
                return url.toLocalFile().toStdString();
        }
        return "";
    }
    return ProgramFolder() + "recent";
}

}  // namespace

// ---- Building

void TFileForm::BuildComponents() {
    setObjectName("FileForm");
    ImageNormal = std::make_unique<TImageList>(ToolIconSize, ToolIconSize);
    auto* central = new QWidget(this);
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    // The first tool bar row: the file buttons and the thumbnail size slider.
    auto* barRow = new QWidget(central);
    barRow->setObjectName("PanelBar");
    auto* barLayout = new QHBoxLayout(barRow);
    barLayout->setContentsMargins(2, 1, 2, 1);
    barLayout->setSpacing(4);
    ToolBar1 = new TToolBarEx(barRow);
    ToolBar1->setObjectName("ToolBar1");
    ToolBar1->SetFlat(true);
    ToolBar1->SetWrapable(false);
    ToolBar1->SetImages(ImageNormal.get());
    PanelSlider = new QWidget(barRow);
    PanelSlider->setObjectName("PanelSlider");
    PanelSlider->setFixedWidth(SliderWidth + 2 * 22 + 8);
    btnThumbsDn = new QToolButton(PanelSlider);
    btnThumbsDn->setObjectName("btnThumbsDn");
    btnThumbsDn->setText("-");
    btnThumbsDn->setToolTip("Smaller thumbnails");
    btnThumbsDn->setAutoRaise(true);
    ThumbsBar = new TTrackBar(PanelSlider);
    ThumbsBar->setObjectName("ThumbsBar");
    ThumbsBar->SetMin(1);
    ThumbsBar->SetMax(8);
    ThumbsBar->SetPosition(8);
    ThumbsBar->SetPageSize(1);
    ThumbsBar->setToolTip("Adjust thumbnail size");
    btnThumbsUp = new QToolButton(PanelSlider);
    btnThumbsUp->setObjectName("btnThumbsUp");
    btnThumbsUp->setText("+");
    btnThumbsUp->setToolTip("Larger thumbnails");
    btnThumbsUp->setAutoRaise(true);
    barLayout->addWidget(ToolBar1);
    barLayout->addWidget(PanelSlider, 0, Qt::AlignVCenter);
    barLayout->addStretch(1);

    // The second row: Tree, Marks and Recent beside the path box.
    PanelTools = new QWidget(central);
    PanelTools->setObjectName("PanelTools");
    ToolBar2 = new TToolBarEx(PanelTools);
    ToolBar2->setObjectName("ToolBar2");
    ToolBar2->SetFlat(true);
    ToolBar2->SetWrapable(false);
    LookBox = new TLookBoxEx(PanelTools);
    LookBox->setObjectName("LookBox");
    LookBox->OnChange = [this](QObject* sender) { LookBoxChange(sender); };
    LabelCurrDir = new QLabel(PanelTools);
    LabelCurrDir->setObjectName("LabelCurrDir");
    LabelCurrDir->hide();

    HSplitter = new QSplitter(Qt::Horizontal, central);
    HSplitter->setObjectName("HSplitter");
    HSplitter->setChildrenCollapsible(false);
    PanelSide = new QWidget(HSplitter);
    PanelSide->setObjectName("PanelSide");
    auto* sideLayout = new QVBoxLayout(PanelSide);
    sideLayout->setContentsMargins(0, 0, 0, 0);
    Tree = new TTreeViewEx(PanelSide);
    Tree->setObjectName("Tree");
    Tree->setHeaderHidden(true);
    sideLayout->addWidget(Tree);
    PanelList = new QWidget(HSplitter);
    PanelList->setObjectName("PanelList");
    auto* listLayout = new QVBoxLayout(PanelList);
    listLayout->setContentsMargins(0, 0, 0, 0);
    XL = new TVListShowEx(PanelList);
    XL->setObjectName("XL");
    XL->SetOwnerData(true);
    XL->SetMultiSelect(true);
    XL->SetReadOnly(true);
    XL->SetLargeImages(&SystemLargeImages());
    XL->SetSmallImages(&SystemSmallImages());
    listLayout->addWidget(XL);
    HSplitter->addWidget(PanelSide);
    HSplitter->addWidget(PanelList);
    HSplitter->setStretchFactor(1, 1);

    column->addWidget(barRow);
    column->addWidget(PanelTools);
    column->addWidget(HSplitter, 1);
    setCentralWidget(central);

    StatusBarX = new QStatusBar(this);
    StatusBarX->setObjectName("StatusBarX");
    for (int i = 0; i < 3; ++i) {
        StatusPanels[i] = new QLabel(StatusBarX);
        StatusPanels[i]->setObjectName(QString("StatusPanel%1").arg(i));
        StatusPanels[i]->setFrameShape(QFrame::StyledPanel);
        StatusPanels[i]->setFrameShadow(QFrame::Sunken);
        StatusBarX->addWidget(StatusPanels[i], i == 2 ? 1 : 0);
    }
    setStatusBar(StatusBarX);

    DropFiles = new TDropTargetEx(this);
    DropFiles->setObjectName("DropFiles");
    DropFiles->SetDropControl(XL);
    DropFolder = new TDropTargetEx(this);
    DropFolder->setObjectName("DropFolder");
    DropFolder->SetDropControl(Tree);
    StFileOpX = new TStFileOperation(this);
    StFileOpX->setObjectName("StFileOpX");
    StFileOpX->Operation = fopMove;
    StFileOpX->Options = foAllowUndo;
    StLink = new TStShortcut(this);
    StLink->setObjectName("StLink");
    StShellComputer = new TStShellNotification(this);
    StShellComputer->setObjectName("StShellComputer");
    StWatchCurrDrive = new TStShellNotification(this);
    StWatchCurrDrive->setObjectName("StWatchCurrDrive");
    StWatchParent = new TStShellNotification(this);
    StWatchParent->setObjectName("StWatchParent");
    for (auto [timer, name] : {std::pair{&Timer1, "Timer1"}, std::pair{&TransitFiles, "TransitFiles"},
                               std::pair{&TransitTree, "TransitTree"}}) {
        *timer = new TTimer(this);
        (*timer)->setObjectName(name);
        (*timer)->SetEnabled(false);
        (*timer)->SetInterval(1333);
    }
    XFontDialog = new QFontDialog(this);
    XFontDialog->setObjectName("XFontDialog");

    ThumbMaker = std::make_unique<TThumbMaker>();
    ThumbMaker->OwnIcon = QGuiApplication::windowIcon();
    ThumbPix = new TPix(this);
    ThumbPix->hide();
    Listing = std::make_unique<TFolderListing>();
    ThumbWorkers = std::make_unique<TThumbWorkers>(*Listing);
    BindListing();

    BuildMenus();
    BuildToolBars();
    BindFileList();
    BindThumbnailRun();
    QFont formFont = font();
    if (formFont.pointSize() > 12) {
        formFont.setPointSize(12);
        setFont(formFont);
    }
    ApplyButtonGeometry(true);
    resize(640, 480);
}

// The list view shows the listing's rows: one row per FileOrder entry, the
// caption and icon from its record.
void TFileForm::BindListing() {
    TListingView& v = Listing->View;
    v.PathBoxText = [this] { return LookBox->Folder().empty() ? ExploreDir : LookBox->Folder(); };
    v.ListBeginUpdate = [this] { XL->Items()->BeginUpdate(); };
    v.ListEndUpdate = [this] { XL->Items()->EndUpdate(); };
    v.RowCountChanged = [this] { XL->Items()->SetCount(int(Listing->FileOrder.size())); };
    v.SelectedCount = [this] { return XL->SelCount(); };
    v.IsRowSelected = [this](int row) {
        const std::vector<int> rows = XL->SelectedRows();
        return std::binary_search(rows.begin(), rows.end(), row);
    };
    v.SelectRow = [this](int row) { XL->SelectRows(row, row, true); };
    v.ClearSelection = [this] { XL->SetSelected(nullptr); };
    v.FocusedRow = [this] {
        TVListItem* focused = XL->ItemFocused();
        return focused ? focused->Index() : -1;
    };
    v.HourglassCursor = [](bool busy) { Screen.SetCursor(busy ? crHourGlass : crDefault); };
    v.StatusMessage = [this](const std::string& text) { StatusMessageSolo(text); };
    v.UpdateStatusBar = [this] { UpdateStatusBar(); };
    v.ProcessMessages = [] { Application.ProcessMessages(); };
    v.AnyCoresActive = [this] { return ThumbWorkers->AnyCoresActive(); };
    ThumbWorkers->View.RedrawRow = [this](int row) { XL->UpdateItems(row, row); };
    XL->OnDblClick = [this](QObject* sender) { XLDblClick(sender); };
}

void TFileForm::BuildMenus() {
    QMenuBar* bar = menuBar();
    bar->setObjectName("MainMenu1");
    auto top = [this, bar](const char* name, const char* caption, TMenuItem*& item) {
        QMenu* menu = nullptr;
        item = SubMenu(this, nullptr, name, caption, &menu);
        bar->addAction(item);
        return menu;
    };

    QMenu* m = top("mnuFileX", "&File", mnuFileX);
    Item(this, m, "mnuFOpenContainer", "Open Conta&ining Folder");
    m->addSeparator()->setObjectName("N_OpenContainer");
    Item(this, m, "mnuOpenX", "&Open");
    Item(this, m, "mnuPropertiesX", "&Properties");
    Item(this, m, "mnuInfoX", "I&nfo");
    Separator(m);
    Item(this, m, "mnuFCopy", "Cop&y to", Qt::CTRL | Qt::Key_Y);
    Item(this, m, "mnuFMove", "&Move to", Qt::CTRL | Qt::Key_Insert);
    Item(this, m, "mnuFDelete", "&Delete", QKeyCombination(Qt::Key_Delete));
    Item(this, m, "mnuFRecycle", "[Recycle]", Qt::SHIFT | Qt::Key_Delete)->setVisible(false);
    Item(this, m, "mnuFRename", "&Rename", QKeyCombination(Qt::Key_F2));
    mnuDatename = Item(this, m, "mnuDatename", "Dat&ename");
    QMenu* sub = nullptr;
    SubMenu(this, m, "mnuCommentX", "Commen&t", &sub);
    Item(this, sub, "mnuAddExifDates", "Add E&XIF datestamps");
    Item(this, sub, "mnuEditComment", "&Add or edit comment");
    mnuAddExt = Item(this, m, "mnuAddExt", "Add e&xtension");
    Separator(m);
    SubMenu(this, m, "mnuSlideshowX", "&Slideshow", &SlideSubMenu);
    SlideSubMenu->setObjectName("SlideSubMenu");
    Item(this, SlideSubMenu, "mnuInstantSlideshow", "&Instant slideshow");
    Item(this, SlideSubMenu, "mnuNewSlideAlbumX", "Slid&e album (new)");
    Item(this, SlideSubMenu, "mnuAddSlideAlbumX", "Slide &album (add)");
    Item(this, SlideSubMenu, "mnuListSlideAlbum", "&Recursive listing")->setVisible(false);
    Item(this, m, "mnuNewfolder", "Ne&w Folder");
    Separator(m);
    mnuExit1 = Item(this, m, "mnuExit1", "&Close");

    m = top("mnuEditX", "&Edit", mnuEditX);
    Item(this, m, "mnuSelectAll", "Select &All", Qt::CTRL | Qt::Key_A);
    Item(this, m, "mnuSelectAllFiles", "Select All &Files", Qt::CTRL | Qt::SHIFT | Qt::Key_A);
    Item(this, m, "mnuSelectAllImages", "Select All Imag&es", Qt::CTRL | Qt::ALT | Qt::Key_A);
    Item(this, m, "mnuInvertSelection", "&Invert selection");
    Separator(m);
    Item(this, m, "mnuFindcaption", "&Find filename", Qt::CTRL | Qt::Key_F);
    Item(this, m, "mnuQueryComments", "&Query comments");
    Item(this, m, "mnuMatchImage", "&Match", QKeyCombination(Qt::Key_F12));

    m = top("mnuViewX", "&View", mnuViewX);
    SubMenu(this, m, "mnuControls", "&Controls", &sub);
    mnuFolderTree = Item(this, sub, "mnuFolderTree", "&Folder tree");
    mnuToolbarX = Item(this, sub, "mnuToolbarX", "&Tool bar");
    mnuStatusbarX = Item(this, sub, "mnuStatusbarX", "&Status bar");
    mnuButtonText = Item(this, sub, "mnuButtonText", "&Button text");
    Separator(m);
    mnuViewThumbs = Item(this, m, "mnuViewThumbs", "&Thumbnails");
    mnuViewLgIcons = Item(this, m, "mnuViewLgIcons", "&Icons");
    mnuViewList = Item(this, m, "mnuViewList", "&List");
    mnuViewReport = Item(this, m, "mnuViewReport", "&Details");
    auto* views = new QActionGroup(this);
    for (TMenuItem* view : {mnuViewThumbs, mnuViewLgIcons, mnuViewList, mnuViewReport}) {
        view->setCheckable(true);
        views->addAction(view);
    }
    Item(this, m, "mnuThumbnailSize", "Thumb si&ze");
    Item(this, m, "mnuViewFont", "&Font");
    QMenu* arrange = nullptr;
    SubMenu(this, m, "mnuArrangeBy", "&Arrange by", &arrange);
    const char* arrangeNames[] = {"mnuByName", "mnuByNameD", "mnuBySize",    "mnuBySizeD", "mnuByDate",
                                  "mnuByDateD", "mnuByType", "mnuByFamily1", "mnuByComment"};
    const char* arrangeCaptions[] = {"&Name +", "Na&me -", "&Size   +", "Si&ze   -", "&Date  +",
                                     "D&ate  -", "&Type",  "&Family",   "Comment"};
    for (int i = 0; i < 9; ++i)
        ArrangeItems.push_back(Item(this, arrange, arrangeNames[i], arrangeCaptions[i]));
    Separator(m);
    mnuRefresh = Item(this, m, "mnuRefresh", "Refres&h", QKeyCombination(Qt::Key_F5));
    mnuFolderUsage = Item(this, m, "mnuFolderUsage", "Fol&der size", Qt::CTRL | Qt::Key_F5);
    Item(this, m, "mnuDetectDrives", "Detect dri&ves", Qt::ALT | Qt::Key_F5);
    Separator(m);
    mnuOptions = Item(this, m, "mnuOptions", "&Options...", Qt::ALT | Qt::Key_O);
    QMenu* networks = nullptr;
    SubMenu(this, m, "mnuAllowNetworks", "&Networks", &networks);
    mnuNetworkSupport = Item(this, networks, "mnuNetworkSupport", "&Network support");
    mnuNetworkSupport->setCheckable(true);

    m = top("mnuGoX", "&Go", mnuGoX);
    mnuBackFolder = Item(this, m, "mnuBackFolder", "&Back");
    mnuNextFolder = Item(this, m, "mnuNextFolder", "&Forward");
    mnuFLevel = Item(this, m, "mnuFLevel", "&Up One Level");
    Item(this, m, "mnuGotoFolder", "&To ..");
    Separator(m);
    SubMenu(this, m, "mnuWindows", "&Windows", &sub);
    Item(this, sub, "mnuWinDocuments", "&Documents");
    Item(this, sub, "mnuWindowsRecent", "&Recent Files");
    Item(this, sub, "mnuWinFavorites", "&Favorites");
    Item(this, m, "mnuHistory", "&History");
    Item(this, m, "mnuRecentX", "&Recent");

    m = top("mnuToolsX", "&Tools", mnuToolsX);
    Item(this, m, "mnuViewer1", "&Viewer", Qt::ALT | Qt::Key_Home);
    Item(this, m, "mnuSlideEditorX", "&Slide Album", Qt::ALT | Qt::Key_S);
    Item(this, m, "mnuUnzipper", "&Unzipper", Qt::ALT | Qt::Key_U);
    Separator(m);
    SubMenu(this, m, "mnuHtmlMake", "HTML &Make", &sub);
    Item(this, sub, "mnuSimplePage", "&Simple page");
    Item(this, sub, "mnuImageCatalog", "&Image catalog");
    Item(this, sub, "mnuWebPages", "&Web page(s)");
    Item(this, sub, "mnuDirectoryTree", "&Directory tree");
    SubMenu(this, m, "mnuHtmlOptions", "HTML &Options", &sub);
    Item(this, sub, "mnuHtmlSet", "&Set");
    Item(this, sub, "mnuHtmlReset", "&Reset");
    Separator(m);
    mnuRedoThumbs = Item(this, m, "mnuRedoThumbs", "Redo thumbs");
    SubMenu(this, m, "mnuCache", "&Cache", &sub);
    Item(this, sub, "mnuCacheInfo", "&Info");
    Item(this, sub, "mnuCacheKill", "&Clear");
    Item(this, sub, "mnuCacheChange", "Cha&nge");
    SubMenu(this, m, "mnuRecentTools", "&Recent", &sub);
    Item(this, sub, "mnuAddRecent", "&Add");
    Item(this, sub, "mnuKillRecent", "&Clear");
    SubMenu(this, m, "mnuTile", "&Tile", &sub);
    const char* tileNames[] = {"mnuTile1", "mnuTile2", "mnuTile3", "mnuTile4"};
    const char* tileCaptions[] = {"Viewer left - &Explorer right", "Explorer left - &Viewer right",
                                  "Overlapped &right", "Overlapped &left"};
    for (int i = 0; i < 4; ++i)
        Item(this, sub, tileNames[i], tileCaptions[i])->Tag = i;

    m = top("mnuHelpX", "&Help", mnuHelpX);
    const std::pair<const char*, const char*> helpItems[] = {{"mnuIndex1", "&Index"},
                                                             {"mnuHelpMenus1", "E&xplorer"},
                                                             {"mnuHelpSlideAlbum", "S&cratchPad"},
                                                             {"mnuHelpWebPage1", "&Web pages"}};
    const int helpContexts[] = {0, 101, 512, 120};
    for (int i = 0; i < 4; ++i) {
        TMenuItem* help = Item(this, m, helpItems[i].first, helpItems[i].second);
        help->Tag = helpContexts[i];
        Wire(this, help, [this](QObject* s) { HelpItemClick(s); });
    }
    Separator(m);
    Item(this, m, "mnuHomePage1", "&Tutorials");
    Item(this, m, "mnuEmailX", "&Email us");

    // The pop-ups: the list's (file items, views, arrange copies), the tree's,
    // and the Views button's.
    FileMenu = new QMenu(this);
    FileMenu->setObjectName("FileMenu");
    FileMenu->addAction(static_cast<QAction*>(FindItem("mnuFOpenContainer")));
    FileMenu->addSeparator()->setObjectName("N_OpenContainerP");
    for (const char* name : {"mnuOpenX", "mnuPropertiesX", "mnuInfoX"})
        FileMenu->addAction(static_cast<QAction*>(FindItem(name)));
    Separator(FileMenu);
    for (const char* name : {"mnuFCopy", "mnuFMove", "mnuFDelete", "mnuFRename", "mnuAddExt"})
        FileMenu->addAction(static_cast<QAction*>(FindItem(name)));
    FileMenu->addAction(static_cast<QAction*>(FindItem("mnuSlideshowX")));
    Separator(FileMenu);
    QMenu* arrangePopup = nullptr;
    SubMenu(this, FileMenu, "mnuArrangeByP", "&Arrange by", &arrangePopup);
    const char* popupCaptions[] = {"&Name +", "Na&me -", "&Size   +", "Si&ze   -", "&Date  +",
                                   "D&ate  -", "&Type",  "&Family",   "&Comment"};
    for (int i = 0; i < 9; ++i)
        ArrangePopupItems.push_back(
            Item(this, arrangePopup, (std::string(arrangeNames[i]) + "P").c_str(), popupCaptions[i]));
    FileMenu->addAction(mnuRefresh);

    FolderMenu = new QMenu(this);
    FolderMenu->setObjectName("FolderMenu");
    Item(this, FolderMenu, "mnuNewfolderT", "Ne&w Folder");
    Separator(FolderMenu);
    Item(this, FolderMenu, "mnuTMove", "&Move to");
    Item(this, FolderMenu, "mnuTCopy", "Cop&y to");
    Item(this, FolderMenu, "mnuTRename", "&Rename");
    Item(this, FolderMenu, "mnuTDelete", "&Delete");
    Separator(FolderMenu);
    QMenu* treeSort = nullptr;
    SubMenu(this, FolderMenu, "mnuTreeSort", "&Arrange by", &treeSort);
    Item(this, treeSort, "mnuTree_ByNameA", "&Name +");
    Item(this, treeSort, "mnuTree_ByNameD", "Na&me -");
    Item(this, treeSort, "mnuTree_ByDateA", "&Date  +");
    Item(this, treeSort, "mnuTree_ByDateD", "D&ate  -");
    Item(this, treeSort, "mnuTree_ByFamilyA", "&Family");
    Item(this, FolderMenu, "mnuFolderFindText", "&Locate");
    Item(this, FolderMenu, "mnuTreeGotoFirst", "&Go to first");
    Item(this, FolderMenu, "mnuTreeRebuild", "Re&build");
    Separator(FolderMenu);
    Item(this, FolderMenu, "mnuPropertiesT", "&Properties");

    ViewMenu = new QMenu(this);
    ViewMenu->setObjectName("ViewMenu");
    for (TMenuItem* view : {mnuViewThumbs, mnuViewLgIcons, mnuViewList, mnuViewReport})
        ViewMenu->addAction(view);
    Separator(ViewMenu);
    mnuFolderTreeX = Item(this, ViewMenu, "mnuFolderTreeX", "&Folder tree");
    mnuToolbarXP = Item(this, ViewMenu, "mnuToolbarXP", "&Tool bar");
    mnuStatusbarXP = Item(this, ViewMenu, "mnuStatusbarXP", "&Status bar");
    mnuButtonTextP = Item(this, ViewMenu, "mnuButtonTextP", "&Button text");

    // Back and Forward keep their keys while the image window has focus elsewhere.
    mnuBackFolder->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Left));
    mnuNextFolder->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Right));

    // The commands of this window.
    for (TMenuItem* item : {mnuToolbarX, mnuToolbarXP})
        Wire(this, item, [this](QObject* s) { mnuToolbarXClick(s); });
    for (TMenuItem* item : {mnuStatusbarX, mnuStatusbarXP})
        Wire(this, item, [this](QObject* s) { mnuStatusbarXClick(s); });
    for (TMenuItem* item : {mnuButtonText, mnuButtonTextP})
        Wire(this, item, [this](QObject* s) { mnuButtonTextClick(s); });
    for (TMenuItem* item : {mnuFolderTree, mnuToolbarX, mnuStatusbarX, mnuButtonText, mnuFolderTreeX, mnuToolbarXP,
                            mnuStatusbarXP, mnuButtonTextP})
        item->setCheckable(true);
    Wire(this, static_cast<QAction*>(FindItem("mnuViewer1")), [this](QObject* s) { mnuViewer1Click(s); });
    Wire(this, mnuExit1, [this](QObject* s) { mnuExit1Click(s); });
    Wire(this, mnuOptions, [this](QObject* s) { mnuOptionsClick(s); });
    Wire(this, static_cast<QAction*>(FindItem("mnuAddRecent")), [this](QObject* s) { mnuAddRecentClick(s); });
    Wire(this, static_cast<QAction*>(FindItem("mnuHtmlSet")), [this](QObject* s) { mnuWebOptions1Click(s); });
    Wire(this, static_cast<QAction*>(FindItem("mnuHtmlReset")), [this](QObject* s) { mnuResetWebOptionsClick(s); });
    for (const char* name : {"mnuWinDocuments", "mnuWindowsRecent", "mnuWinFavorites"})
        Wire(this, static_cast<QAction*>(FindItem(name)), [this](QObject* s) { mnuWindowsRecentClick(s); });
    for (const char* name : {"mnuHomePage1", "mnuEmailX"})
        Wire(this, static_cast<QAction*>(FindItem(name)), [this](QObject* s) { mnuHomePage1Click(s); });
    ConnectGuarded(mnuToolsX->menu(), &QMenu::aboutToShow, this, [this] { mnuToolsXClick(this); });

    // "Arrange by": radio groups of the main menu and of the pop-up.
    for (auto* items : {&ArrangeItems, &ArrangePopupItems}) {
        auto* group = new QActionGroup(this);
        for (int i = 0; i < 8; ++i) {
            (*items)[size_t(i)]->setCheckable(true);
            group->addAction((*items)[size_t(i)]);
        }
        (*items)[0]->setChecked(true);
        for (int i : {0, 1})
            Wire(this, (*items)[size_t(i)], [this](QObject* s) { mnuByNameClick(s); });
        for (int i : {2, 3})
            Wire(this, (*items)[size_t(i)], [this](QObject* s) { mnuBySizeClick(s); });
        for (int i : {4, 5})
            Wire(this, (*items)[size_t(i)], [this](QObject* s) { mnuByDateClick(s); });
        Wire(this, (*items)[6], [this](QObject* s) { mnuByTypeClick(s); });
        Wire(this, (*items)[7], [this](QObject* s) { mnuByFamily1Click(s); });
    }
    Wire(this, ArrangeItems[8], [this](QObject* s) { mnuByCommentClick(s); });
}

void TFileForm::BuildToolBars() {
    TImageList& images = *ImageNormal;
    btnBack = ToolButton(ToolBar1, images, "btnBack", "Back", "Previous location", "previous");
    btnNext = ToolButton(ToolBar1, images, "btnNext", "Next", "Next location", "next");
    BtnUp = ToolButton(ToolBar1, images, "BtnUp", "Up", "Up one level", "up");
    btnOpenX = ToolButton(ToolBar1, images, "btnOpenX", "Open", "View file(s) or open folder", "open");
    btnCopyX = ToolButton(ToolBar1, images, "btnCopyX", "Copy", "Copy/move", "copy");
    btnDeleteX = ToolButton(ToolBar1, images, "btnDeleteX", "Delete", "Recycle/delete", "trash");
    btnInfoX = ToolButton(ToolBar1, images, "btnInfoX", "Info", "File info", "info");
    btnSlideshow = ToolButton(ToolBar1, images, "btnSlideshow", "Slides", "Create slideshow", "slides");
    btnViewStyle = ToolButton(ToolBar1, images, "btnViewStyle", "Views", "Views", "views");
    // The two drop-down buttons only open their menus.
    for (auto [button, menu] : {std::pair{btnSlideshow, SlideSubMenu}, std::pair{btnViewStyle, ViewMenu}}) {
        button->SetStyle(tbsDropDown);
        button->SetDropdownMenu(menu);
        button->setMenu(menu);
        button->setPopupMode(QToolButton::InstantPopup);
        button->setProperty(PendingProperty, false);
        button->setEnabled(true);
    }

    auto* smallImages = new TImageList(PathIconSize, PathIconSize);
    pathImages_.reset(smallImages);
    ToolBar2->SetImages(smallImages);
    btnTreeView = ToolButton(ToolBar2, *smallImages, "btnTreeView", "Tree", "Show/Hide Tree view", "tree");
    btnBookmarks = ToolButton(ToolBar2, *smallImages, "btnBookmarks", "Marks", "Folder bookmarks", "bookmarks");
    btnRecent = ToolButton(ToolBar2, *smallImages, "btnRecent", "Recent", "Recent folders", "recent");
    Wire(this, btnRecent, [this](QObject* s) { btnRecentClick(s); });
    PanelTools->installEventFilter(this);
}

// ---- The bars

bool TFileForm::eventFilter(QObject* watched, QEvent* e) {
    if (watched == PanelTools && e->type() == QEvent::Resize)
        Guarded([this] { PanelToolsResize(); });
    return QMainWindow::eventFilter(watched, e);
}

void TFileForm::mnuToolbarXClick(QObject*) {
    Record("mnuToolbarXClick");
    TExplorerControls c(EControls);
    const bool shown = !c.ToolBar();
    c.SetToolBar(shown);
    mnuToolbarX->setChecked(shown);
    mnuToolbarXP->setChecked(shown);
    ToolBar1->parentWidget()->setVisible(shown);
    PanelTools->setVisible(shown);
}

void TFileForm::mnuStatusbarXClick(QObject*) {
    Record("mnuStatusbarXClick");
    TExplorerControls c(EControls);
    const bool shown = !c.StatusBar();
    c.SetStatusBar(shown);
    mnuStatusbarX->setChecked(shown);
    mnuStatusbarXP->setChecked(shown);
    StatusBarX->setVisible(shown);
}

void TFileForm::mnuButtonTextClick(QObject*) {
    Record("mnuButtonTextClick");
    const bool captions = !captionsShown_;
    mnuButtonText->setChecked(captions);
    mnuButtonTextP->setChecked(captions);
    TExplorerControls(EControls).SetButtonText(captions);
    ApplyButtonGeometry(captions);
}

// Button sizes for captions on or off: the first bar's buttons fit their
// captions, the slider panel follows the bar, the second bar's buttons are 56
// or 16 pixels wide; then the path box is placed again.
void TFileForm::ApplyButtonGeometry(bool Captions) {
    captionsShown_ = Captions;
    const QFontMetrics metrics = ToolBar1->fontMetrics();
    std::vector<TToolButtonEx*> buttons;
    for (int i = 0; i < ToolBar1->ButtonCount(); ++i)
        if (auto* button = dynamic_cast<TToolButtonEx*>(ToolBar1->Buttons(i)))
            buttons.push_back(button);
    ToolBar1->SetShowCaptions(Captions);
    const int buttonWidth = Captions ? std::max(ToolIconSize + 12, CaptionWidth(metrics, buttons) + 14) : ToolIconSize + 10;
    const int buttonHeight = Captions ? ToolIconSize + metrics.height() + 12 : ToolIconSize + 10;
    ToolBar1->SetButtonWidth(buttonWidth);
    ToolBar1->SetButtonHeight(buttonHeight);
    int barWidth = 0;
    for (TToolButtonEx* button : buttons)
        barWidth += buttonWidth + (button->Style() == tbsDropDown ? 12 : 0);
    ToolBar1->setFixedSize(barWidth, buttonHeight);

    ThumbsBar->SetTickStyle(Captions ? tsAuto : tsNone);
    const int sliderHeight = Captions ? 42 : buttonHeight + 6;
    const int buttonTop = Captions ? 8 : 2;
    PanelSlider->setFixedHeight(sliderHeight);
    btnThumbsDn->setGeometry(0, buttonTop, 22, 22);
    ThumbsBar->setGeometry(24, 0, SliderWidth, sliderHeight);
    btnThumbsUp->setGeometry(24 + SliderWidth + 2, buttonTop, 22, 22);

    // A caption goes under its icon: beside it "Recent" would not fit in 56 pixels.
    ToolBar2->SetShowCaptions(Captions);
    ToolBar2->SetButtonWidth(Captions ? 56 : 16);
    ToolBar2->SetButtonHeight(Captions ? PathIconSize + ToolBar2->fontMetrics().height() + 8 : 22);
    ToolBar2->setFixedSize(ToolBar2->ButtonCount() * ToolBar2->ButtonWidth(), ToolBar2->ButtonHeight());
    PanelTools->setFixedHeight(ToolBar2->height() + 6);
    for (int pass = 0; pass < 2; ++pass)
        PanelToolsResize();
}

void TFileForm::PanelToolsResize() {
    const int barWidth = ToolBar2->ButtonCount() * ToolBar2->ButtonWidth();
    ToolBar2->setGeometry(2, 3, barWidth, ToolBar2->ButtonHeight());
    // The box keeps its own height, centred beside a bar that shows captions.
    const int boxHeight = std::min(ToolBar2->height() + 2, std::max(22, LookBox->sizeHint().height()));
    const int top = std::max(3, (PanelTools->height() - boxHeight) / 2);
    LookBox->setGeometry(barWidth + 6, top, std::max(64, PanelTools->width() - (barWidth + 8)), boxHeight);
}

// ---- Settings at start

void TFileForm::ApplyExplorerSettings() {
    TExplorerControls c(EControls);
    const int listFontSize = QApplication::font().pointSize() > 0 ? QApplication::font().pointSize() : 9;
    if (lumv8900::ExplorerSettingsLoaded) {
        RepairExplorerSettings(EControls, listFontSize);
        ViewCode = c.ListView();
        if (c.FolderTree()) {
            PanelSide->resize(c.TreeWidth(), PanelSide->height());
            HSplitter->setSizes({c.TreeWidth(), std::max(1, width() - c.TreeWidth())});
            c.SetFolderTree(false);
            TreeWanted = true;
        }
    } else {
        LookBox->SetFolder(ExploreDir);
        SetExplorerDefaults(Screen.Width(), listFontSize);
        ViewCode = 3;
        InitAlbumSettings(EControls, show8900::ShowSettings);
    }
    TMenuItem* view = ViewCode == 2 ? mnuViewReport : ViewCode == 3 ? mnuViewLgIcons : ViewCode == 4 ? mnuViewThumbs
                                                                                        : mnuViewList;
    view->setChecked(true);
    mnuFolderTree->setChecked(TreeWanted);
    mnuFolderTreeX->setChecked(TreeWanted);
    for (TMenuItem* item : {mnuToolbarX, mnuToolbarXP})
        item->setChecked(c.ToolBar());
    for (TMenuItem* item : {mnuStatusbarX, mnuStatusbarXP})
        item->setChecked(c.StatusBar());
    StatusBarX->setVisible(c.StatusBar());
    DoFont();

    ThumbWidth = ThumbDecodeWidth = ThumbCellWidth;
    ThumbHeight = ThumbDecodeHeight = ThumbCellHeight;
    c.SetThumbSize(std::clamp(c.ThumbSize(), 1, 8));
    SetThumbnailSize(c.ThumbSize());
    ThumbsBar->SetPosition(c.ThumbSize());
    mnuSingleClick(this);

    const bool captions = c.ButtonText();
    for (TMenuItem* item : {mnuButtonText, mnuButtonTextP})
        item->setChecked(captions);
    if (!captions) {
        captionsShown_ = true;
        mnuButtonTextClick(this);
    } else {
        ApplyButtonGeometry(true);
    }
    if (!c.ToolBar()) {
        ToolBar1->parentWidget()->hide();
        PanelTools->hide();
    }
}

// The list font from the record; a name no installed font has gives the
// desktop's own font of that size.
void TFileForm::mnuSingleClick(QObject*) {
    Record("mnuSingleClick");
    const int mode = TExplorerControls(EControls).ClickMode();
    XL->SetHotTrack(mode > 0);
    XL->SetGridLines(true);
    XL->SetRowSelect(true);
    XL->HotTrackStyles = mode == 1   ? THotTrackStyles(1u << htUnderlineHot)
                         : mode >= 2 ? THotTrackStyles(1u << htUnderlineCold)
                                     : THotTrackStyles(0);
    XL->SetOneClickActivate(mode > 0);
    XL->Viewport()->update();
}

// ---- Menu handlers

void TFileForm::mnuViewer1Click(QObject*) {
    using lumv8900::ImageWindow;
    if (lumv8900::SlideshowRunning || !ImageWindow)
        return;
    ImageWindow->Form().show();
    ImageWindow->Form().setEnabled(true);
    ImageWindow->Form().raise();
    ImageWindow->Form().activateWindow();
}

// The options dialog on its explorer page, with the folder monitor and the
// thumbnails resting meanwhile.
void TFileForm::mnuOptionsClick(QObject*) {
    FolderMonitor_Terminate();
    Thumbnailing_Stop();
    mnuOptions->setEnabled(false);
    using lumv8900::ImageWindow;
    if (ImageWindow)
        ImageWindow->ShowExplorerOptions(ImageWindow->FullScreenItemReadsNormal());
    mnuOptions->setEnabled(true);
    FolderMonitor_Restart();
}

void TFileForm::mnuToolsXClick(QObject*) {
    if (!mnuFolderUsage->property(PendingProperty).toBool())
        mnuFolderUsage->setEnabled(!Listing->DrivesView);
    if (!mnuRedoThumbs->property(PendingProperty).toBool())
        mnuRedoThumbs->setEnabled(mnuViewThumbs->isChecked());
}

void TFileForm::btnRecentClick(QObject*) {
    const std::string recent = ProgramFolder() + "recent/";
    ForceDirectories(recent);
    ExploreDir = recent;
    LookBox->SetFolder(recent);
}

void TFileForm::mnuAddRecentClick(QObject*) {
    if (lumv8900::ImageWindow)
        lumv8900::ImageWindow->AddToAppRecent(ExploreDir);
}

void TFileForm::mnuWindowsRecentClick(QObject* Sender) {
    auto* item = dynamic_cast<QObject*>(Sender);
    const std::string folder = SpecialFolder(item ? item->objectName().toStdString() : "");
    if (folder.empty() || !DirectoryExists(folder))
        return;
    ExploreDir = IncludeTrailingPathDelimiter(folder);
    LookBox->SetFolder(ExploreDir);
}


void TFileForm::HelpItemClick(QObject* Sender) {
    auto* item = dynamic_cast<TMenuItem*>(Sender);
    Application.HelpContext(item ? item->Tag : 0);
}

void TFileForm::mnuHomePage1Click(QObject* Sender) {
    if (lumv8900::ImageWindow)
        lumv8900::ImageWindow->mnuWebpageClick(Sender);
}

void TFileForm::StatusMessageSolo(const std::string& Text) {
    const QString text = QString::fromStdString(Text);
    StatusPanels[0]->setText(text);
    StatusPanels[0]->setFixedWidth(StatusPanels[0]->fontMetrics().horizontalAdvance(text) + 12);
    StatusPanels[1]->setFixedWidth(1);
    StatusPanels[2]->setText("");
}

// ---- "Arrange by"

// Checks the item's pair in both menus, keeps the direction in the Tag of the
// main ascending item and sorts the rows.
void TFileForm::ArrangeClick(QObject* Sender, int Ascending, int Descending) {
    const bool descending = Descending >= 0 && (Sender == ArrangeItems[size_t(Descending)] ||
                                                Sender == ArrangePopupItems[size_t(Descending)]);
    const int index = descending ? Descending : Ascending;
    ArrangeItems[size_t(index)]->setChecked(true);
    ArrangePopupItems[size_t(index)]->setChecked(true);
    ArrangeItems[size_t(Ascending)]->Tag = descending ? 1 : 0;
    static constexpr TListSortKey keys[] = {TListSortKey::Name, TListSortKey::Name, TListSortKey::Size,
                                            TListSortKey::Size, TListSortKey::Date, TListSortKey::Date,
                                            TListSortKey::Type, TListSortKey::Family};
    Listing->SortRows(keys[index], descending);
}

void TFileForm::mnuByNameClick(QObject* Sender) { ArrangeClick(Sender, 0, 1); }
void TFileForm::mnuBySizeClick(QObject* Sender) { ArrangeClick(Sender, 2, 3); }
void TFileForm::mnuByDateClick(QObject* Sender) { ArrangeClick(Sender, 4, 5); }
void TFileForm::mnuByTypeClick(QObject* Sender) { ArrangeClick(Sender, 6, -1); }
void TFileForm::mnuByFamily1Click(QObject* Sender) { ArrangeClick(Sender, 7, -1); }

void TFileForm::mnuByCommentClick(QObject*) {
    if (Listing->CommentsLoaded)
        Listing->SortRows(TListSortKey::Comment, false);
}

}  // namespace lumvor
