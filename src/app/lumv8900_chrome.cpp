// The image window's chrome: the top menu, the pop-up menu, the three tool bars,
// the path box, the status bar panels, the keys and shortcuts, the help items
// and the application's minimise and restore reactions.
//
// Items whose commands are not built yet are created with their names, captions
// and shortcuts and stay disabled (marked "Pending"): EnableControls and the
// pop-up rules record what they want for them but never enable them.
#include "app/lumv8900.h"
#include "platform/MediaPlayer.h"

#include "imaging/OpenPicture.h"

#include "ui/AppIcons.h"
#include "app/ChromeTables.h"
#include "explorer/xplr8900.h"
#include "imaging/Helpers.h"
#include "platform/Clipbrd.h"
#include "platform/ComCtrls.h"
#include "platform/Menus.h"
#include "platform/SysUtils.h"
#include "processing/script/LabState.h"
#include "ui/Pix.h"
#include "ui/ScrollBoxEx.h"
#include "ui/MenuItems.h"
#include "ui/Status_y.h"
#include "ui/voMsgBox.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

namespace lumvor {

using namespace lumv8900;
using chrome::TKeyAction;

namespace {

constexpr const char* WantedProperty = "Wanted";
// A tool bar button that never shows its caption (the zoom steps beside the track bar).
constexpr const char* IconOnlyProperty = "IconOnly";

// Status panel 0: its text is drawn by the window (the progress bar of the
// JPEG decoder draws into the same rectangle).
class TStatusTextPanel : public QWidget {
public:
    TStatusTextPanel(TWebForm* form, QWidget* owner) : QWidget(owner), form_(form) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter canvas(this);
        if (form_->StatusPanelOwnerDrawn) {
            Guarded([&] { form_->StatusBarDrawPanel(canvas, rect()); });
            return;
        }
        // A plain text panel: the status text, nothing drawn by the window.
        canvas.setPen(palette().color(QPalette::WindowText));
        canvas.drawText(rect().adjusted(3, 0, -3, 0), Qt::AlignVCenter | Qt::AlignLeft,
                        QString::fromStdString(form_->StatusPanelText(0)));
    }

private:
    TWebForm* form_;
};

// The overflow button of a bar that has no room for all its buttons: it pops
// up a menu of the hidden buttons, each entry pressing its button. (A bar
// outside the main window's tool bar areas cannot unfold itself.)
class TBarOverflow : public QObject {
public:
    explicit TBarOverflow(QToolBar* bar) : QObject(bar), bar_(bar) {
        button_ = bar->findChild<QToolButton*>("qt_toolbar_ext_button");
        if (button_)
            button_->installEventFilter(this);
        menu_ = new QMenu(bar);
        menu_->setObjectName(bar->objectName() + "Overflow");
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
            Guarded([this] { PopUp(); });
            return true;
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
            return true;
        default:
            return false;
        }
    }

private:
    void PopUp() {
        menu_->clear();
        for (QAction* action : bar_->actions()) {
            auto* button = qobject_cast<QToolButton*>(bar_->widgetForAction(action));
            if (!button || (button->isVisible() && bar_->rect().contains(button->geometry())))
                continue;
            QAction* entry = menu_->addAction(button->icon(), button->toolTip());
            entry->setObjectName(button->objectName());
            entry->setEnabled(button->isEnabled());
            entry->setCheckable(button->isCheckable());
            entry->setChecked(button->isChecked());
            QObject::connect(entry, &QAction::triggered, button, [button] { button->click(); });
        }
        const bool vertical = bar_->orientation() == Qt::Vertical;
        menu_->popup(button_->mapToGlobal(vertical ? QPoint(button_->width(), 0) : QPoint(0, button_->height())));
    }
    QToolBar* bar_;
    QToolButton* button_ = nullptr;
    QMenu* menu_ = nullptr;
};

bool IsPending(const QObject* object) { return object && object->property(PendingProperty).toBool(); }

}  // namespace

// ---- Building

// A menu item with its name and caption; disabled and pending until Wire gives
// it its command.
static TMenuItem* Item(TWebForm* form, QMenu* menu, const char* name, const char* caption,
                       QKeyCombination shortcut = QKeyCombination()) {
    return PendingMenuItem(form, menu, name, caption, shortcut);
}

static void Separator(QMenu* menu, QObject* owner, const char* name) {
    auto* separator = new QAction(owner);
    separator->setObjectName(name);
    separator->setSeparator(true);
    menu->addAction(separator);
}

template <typename Handler>
static void Wire(TWebForm* form, QAction* item, Handler handler) {
    WireMenuItem(form, item, handler);
}

template <typename Handler>
static void Wire(TWebForm* form, QToolButton* button, Handler handler) {
    WireToolButton(form, button, handler);
}

void TWebForm::BuildMenus() {
    TopMenu = menuBar();
    auto top = [this](const char* name, const char* caption) {
        QMenu* menu = TopMenu->addMenu(QString::fromUtf8(caption));
        menu->setObjectName(name);
        menu->menuAction()->setObjectName(QString(name) + "Item");
        TopMenuItems.push_back(menu);
        return menu;
    };
    mnuFileV = top("mnuFileV", "&File");
    mnuEditV = top("mnuEditV", "&Edit");
    mnuViewV = top("mnuViewV", "&View");
    mnuImageV = top("mnuImageV", "&Image");
    homeLab = top("homeLab", "&Lab");
    mnuColorsV = top("mnuColorsV", "E&nhance");
    mnuToolsV = top("mnuToolsV", "&Tools");
    mnuHelpV = top("mnuHelpV", "&Help");
    _mnufname = Item(this, nullptr, "_mnufname", ".");
    TopMenu->addAction(_mnufname);

    // File
    QMenu* m = mnuFileV;
    mnuOpenV = Item(this, m, "mnuOpenV", "&Open...");
    mnuReload = Item(this, m, "mnuReload", "&Reload");
    mnuNew = Item(this, m, "mnuNew", "&New...");
    mnuSaveV = Item(this, m, "mnuSaveV", "&Save as...");
    Separator(m, this, "sepFile1");
    QMenu* pages = nullptr;
    mnuPage1 = SubMenuItem(m, this, "mnuPage1", "Pa&ge", &pages);
    mnuPage1->setVisible(false);
    mnuPageFirst = Item(this, pages, "mnuPageFirst", "&First page");
    mnuPagePrevious = Item(this, pages, "mnuPagePrevious", "&Previous page");
    mnuPageNext = Item(this, pages, "mnuPageNext", "&Next page");
    mnuPageLast = Item(this, pages, "mnuPageLast", "&Last page");
    mnuPageFirst->Tag = 0;
    mnuPagePrevious->Tag = -1;
    mnuPageNext->Tag = 1;
    mnuPageLast->Tag = 999;
    mnuInfo = Item(this, m, "mnuInfo", "&Info...");
    mnuPrint = Item(this, m, "mnuPrint", "&Print...");
    Separator(m, this, "sepFile2");
    mnuFCopyV = Item(this, m, "mnuFCopyV", "&Copy to...");
    mnuFMoveV = Item(this, m, "mnuFMoveV", "&Move to...");
    mnuRecycle = Item(this, m, "mnuRecycle", "&Recycle");
    mnuDeleteV = Item(this, m, "mnuDeleteV", "&Delete");
    QMenu* batchFiles = nullptr;
    HomeCompress1 = SubMenuItem(m, this, "HomeCompress1", "Batch &files", &batchFiles);
    mnuBatchJPG1 = Item(this, batchFiles, "mnuBatchJPG1", "to &JPG");
    mnuBatchBMP1 = Item(this, batchFiles, "mnuBatchBMP1", "to &BMP");
    mnuBatchPNG1 = Item(this, batchFiles, "mnuBatchPNG1", "to PN&G");
    mnuBatchTIF1 = Item(this, batchFiles, "mnuBatchTIF1", "to &TIF");
    mnuBatchTGA1 = Item(this, batchFiles, "mnuBatchTGA1", "to TG&A");
    mnuBatchPCX1 = Item(this, batchFiles, "mnuBatchPCX1", "to PC&X");
    int conversion = 0;
    for (TMenuItem* item : {mnuBatchJPG1, mnuBatchBMP1, mnuBatchPNG1, mnuBatchTIF1, mnuBatchTGA1, mnuBatchPCX1})
        item->Tag = conversion++;
    Separator(batchFiles, this, "sepBatchFiles");
    mnuDateName = Item(this, batchFiles, "mnuDateName", "Date&Name");
    mnuBatchRename1 = Item(this, batchFiles, "mnuBatchRename1", "&Rename");
    mnuBatchMove = Item(this, batchFiles, "mnuBatchMove", "&Move...");
    mnuBatchDelete = Item(this, batchFiles, "mnuBatchDelete", "R&ecycle...");
    Separator(m, this, "sepFile3");
    mnuHide = Item(this, m, "mnuHide", "&Hide viewer");
    mnuExit = Item(this, m, "mnuExit", "E&xit");

    // Edit
    m = mnuEditV;
    mnuUndo = Item(this, m, "mnuUndo", "&Undo");
    Separator(m, this, "sepEdit1");
    QMenu* copy = nullptr;
    mnuCopyMain1 = SubMenuItem(m, this, "mnuCopyMain1", "&Copy", &copy);
    mnuCopy = Item(this, copy, "mnuCopy", "&Image");
    mnuCopyMask = Item(this, copy, "mnuCopyMask", "&Selection");
    mnuCopyGrid1 = Item(this, copy, "mnuCopyGrid1", "&Grid");
    mnuCopyViewport = Item(this, copy, "mnuCopyViewport", "&Viewport");
    QMenu* paste = nullptr;
    homePaste = SubMenuItem(m, this, "homePaste", "&Paste", &paste);
    mnuPaste = Item(this, paste, "mnuPaste", "&Image");
    mnuPasteMask1 = Item(this, paste, "mnuPasteMask1", "&Selection");
    mnuEmpty = Item(this, m, "mnuEmpty", "&Empty");
    Separator(m, this, "sepEdit2");
    QMenu* select = nullptr;
    SubMenuItem(m, this, "mnuSelectMain1", "Se&lect", &select);
    mnuRegion1 = Item(this, select, "mnuRegion1", "&Marquee");
    mnuSelectall = Item(this, select, "mnuSelectall", "Select &all");
    mnuPreset = Item(this, select, "mnuPreset", "&Grid");
    mnuPreset->Tag = 2;  // the grid dialog's columns until the user picks others
    QMenu* pasteInto = nullptr;
    SubMenuItem(m, this, "mnuPasteInto1", "Paste &into", &pasteInto);
    mnuPasteGrid1 = Item(this, pasteInto, "mnuPasteGrid1", "&Grid");
    mnuCrop = Item(this, m, "mnuCrop", "C&rop");
    mnuTrim1 = Item(this, m, "mnuTrim1", "&Trim");

    // View
    m = mnuViewV;
    mnuFullscrn1 = Item(this, m, "mnuFullscrn1", "Full screen");
    mnuFitWindow1 = Item(this, m, "mnuFitWindow1", "&Fit to window");
    mnuZoom1 = Item(this, m, "mnuZoom1", "&Zoom...");
    mnuOptimizeWindow = Item(this, m, "mnuOptimizeWindow", "&Optimize window");
    mnuAdjustViewport = Item(this, m, "mnuAdjustViewport", "Adjust &viewport");
    mnuZoomRegion = Item(this, m, "mnuZoomRegion", "Zoom &region");
    chkExtendedDesktop = Item(this, m, "chkExtendedDesktop", "Extended &Desktop");
    Separator(m, this, "sepTools");
    chkHandTool = Item(this, m, "chkHandTool", "&Hand tool");
    chkSelectTool = Item(this, m, "chkSelectTool", "&Select tool");
    chkZoomTool = Item(this, m, "chkZoomTool", "&Zoom tool");
    Separator(m, this, "sepBars");
    mnuMenubar = Item(this, m, "mnuMenubar", "&Menu bar");
    mnuToolbarV = Item(this, m, "mnuToolbarV", "&Tool bar");
    mnuStatusbarV = Item(this, m, "mnuStatusbarV", "&Status bar");
    mnuSideBarV = Item(this, m, "mnuSideBarV", "Si&de bar");
    mnuPathbox = Item(this, m, "mnuPathbox", "&Path box");
    Separator(m, this, "sepViewModes");
    mnuScaleJPEG = Item(this, m, "mnuScaleJPEG", "Scaled &JPEG loading");
    mnuViewGamma = Item(this, m, "mnuViewGamma", "View &gamma");
    QMenu* aspect = nullptr;
    mnuAspect = SubMenuItem(m, this, "mnuAspect", "&Aspect", &aspect);
    mnuAspect->Tag = 1;  // the aspect mode: pictures keep their own proportions until the user chooses
    mnuAspectMonitor = Item(this, aspect, "mnuAspectMonitor", " &1:1 Monitor");
    mnuAspectWidth = Item(this, aspect, "mnuAspectWidth", " 1:1 Fit &width");
    mnuAspectBest = Item(this, aspect, "mnuAspectBest", " 1:1 &Best fit");
    mnuAspectTV = Item(this, aspect, "mnuAspectTV", " &4:3 TV");
    mnuAspectWide = Item(this, aspect, "mnuAspectWide", "16:&9 Wide");
    mnuAspectCustom = Item(this, aspect, "mnuAspectCustom", " n:1 &Custom");
    chkUpsampling = Item(this, m, "chkUpsampling", "&Upsampling");
    Separator(m, this, "sepViewOptions");
    mnuOptionsV = Item(this, m, "mnuOptionsV", "&Options...");

    // Image
    m = mnuImageV;
    QMenu* flip = nullptr;
    SubMenuItem(m, this, "mnuFlip1", "&Flip", &flip);
    mnuMirrorVert = Item(this, flip, "mnuMirrorVert", "&Vertical");
    mnuMirrorHorz = Item(this, flip, "mnuMirrorHorz", "&Horizontal");
    QMenu* rotate = nullptr;
    SubMenuItem(m, this, "mnuRotate1", "&Rotate", &rotate);
    mnuRotate90 = Item(this, rotate, "mnuRotate90", "&90 deg.");
    mnuRotate270 = Item(this, rotate, "mnuRotate270", "&270 deg.");
    mnuRotate = Item(this, rotate, "mnuRotate", "&Normal");
    mnuRotateFine = Item(this, rotate, "mnuRotateFine", "&Fine");
    mnuRotate90->Tag = 9000;
    mnuRotate270->Tag = 27000;
    QMenu* promote = nullptr;
    SubMenuItem(m, this, "mnuPromote1", "&Promote to", &promote);
    mnuPromote241 = Item(this, promote, "mnuPromote241", "16&M colors");
    mnuPromote81 = Item(this, promote, "mnuPromote81", "&256 colors");
    mnuPromote41 = Item(this, promote, "mnuPromote41", "&16 colors");
    QMenu* reduce = nullptr;
    SubMenuItem(m, this, "mnuReduce1", "&Reduce to", &reduce);
    mnu8bpp1 = Item(this, reduce, "mnu8bpp1", "&256 colors (dither)");
    mnu8gray = Item(this, reduce, "mnu8gray", "256 grays (dither)");
    mnu8poster = Item(this, reduce, "mnu8poster", "2&56 colors (poster)");
    mnu4bpp1 = Item(this, reduce, "mnu4bpp1", "&16 colors (dither)");
    mnu4poster = Item(this, reduce, "mnu4poster", "1&6 colors (poster)");
    mnu1bpp1 = Item(this, reduce, "mnu1bpp1", "&B/W");
    // The depth each item gives.
    const std::pair<TMenuItem*, int> depths[] = {{mnuPromote241, 24}, {mnuPromote81, 8}, {mnuPromote41, 4},
                                                 {mnu8bpp1, 8},       {mnu8gray, 8},     {mnu8poster, 8},
                                                 {mnu4bpp1, 4},       {mnu4poster, 4},   {mnu1bpp1, 1}};
    for (auto [item, depth] : depths)
        item->Tag = depth;
    QMenu* resize = nullptr;
    homeResize1 = SubMenuItem(m, this, "homeResize1", "Resi&ze", &resize);
    mnuResize = Item(this, resize, "mnuResize", "&Interpolate (fast)");
    mnuResample = Item(this, resize, "mnuResample", "&Resample (smooth)");
    mnuDistill = Item(this, resize, "mnuDistill", "&Distill (smooth)");
    mnuDePixelate = Item(this, resize, "mnuDePixelate", "De&Pixelate (CCD)");
    mnuDescreen = Item(this, resize, "mnuDescreen", "De&Screen");
    mnuMosaic1 = Item(this, resize, "mnuMosaic1", "&Mosaic (tile)");
    mnuMosaic1->Tag = 4;
    Separator(m, this, "sepImage1");
    mnuHistogram1 = Item(this, m, "mnuHistogram1", "&Histogram");
    mnuAnalyze = Item(this, m, "mnuAnalyze", "&Analyze");
    QMenu* jpeg = nullptr;
    JPEG1 = SubMenuItem(m, this, "JPEG1", "&JPEG", &jpeg);
    mnuEmbedded = Item(this, jpeg, "mnuEmbedded", "Load &Embedded");
    mnuCompress = Item(this, jpeg, "mnuCompress", "&Compression", Qt::CTRL | Qt::Key_J);
    JPEGReader = Item(this, jpeg, "JPEGReader", "E&XIF/ Comments");
    Separator(m, this, "sepImageMarks");
    BuildMarkItems(m);

    // Lab
    m = homeLab;
    mnuPerformBatch1 = Item(this, m, "mnuPerformBatch1", "&Perform");
    QMenu* batch = nullptr;
    SubMenuItem(m, this, "homeBatch", "&Batch", &batch);
    mnuBatchEditor1 = Item(this, batch, "mnuBatchEditor1", "&Edit script", Qt::ALT | Qt::Key_B);
    mnuDuplicate = Item(this, m, "mnuDuplicate", "&Duplicate", Qt::CTRL | Qt::Key_D);
    mnuSwap = Item(this, m, "mnuSwap", "S&wap image");
    QMenu* compute = nullptr;
    HomeCompute1 = SubMenuItem(m, this, "HomeCompute1", "&Compute", &compute);
    mnuMultiply1 = Item(this, compute, "mnuMultiply1", "Multipl&y");
    mnuMinimum1 = Item(this, compute, "mnuMinimum1", "Mi&nimum");
    mnuMaximum1 = Item(this, compute, "mnuMaximum1", "Ma&ximum");
    mnuDifference1 = Item(this, compute, "mnuDifference1", "Diffe&rence");
    mnuSubtract = Item(this, compute, "mnuSubtract", "S&ubtract");
    mnuAverage1 = Item(this, compute, "mnuAverage1", "&Average");
    mnuInterLace1 = Item(this, compute, "mnuInterLace1", "&Interlace");
    // The percentages the dialogs start at.
    mnuAverage1->Tag = 50;
    mnuInterLace1->Tag = 50;
    mnuMaskLevels = Item(this, m, "mnuMaskLevels", "Mask &Levels");
    mnuMaskColors = Item(this, m, "mnuMaskColors", "Mask Color&s");
    mnuMaskEdges = Item(this, m, "mnuMaskEdges", "Mask &Edges");
    mnuCreateMask = Item(this, m, "mnuCreateMask", "Create &Mask");
    QMenu* advanced = nullptr;
    HomeReMap1 = SubMenuItem(m, this, "HomeReMap1", "&Advanced", &advanced);
    mnuCopyToBackup = Item(this, advanced, "mnuCopyToBackup", "Copy &To Backup");
    mnuCopyFromBackup = Item(this, advanced, "mnuCopyFromBackup", "Copy &From Backup");
    mnuInitialize1 = Item(this, advanced, "mnuInitialize1", "&Zero map");
    mnuCenter1 = Item(this, advanced, "mnuCenter1", "C&enter");
    QMenu* comparisons = nullptr;
    homeComparisons = SubMenuItem(m, this, "homeComparisons", "&Comparisons", &comparisons);
    mnuCloneSpace = Item(this, comparisons, "mnuCloneSpace", "&Activate", Qt::CTRL | Qt::Key_Q);
    mnuCopytoRightPane = Item(this, comparisons, "mnuCopytoRightPane", "Send to &Right Pane (B)");
    mnuCopytoLeftPane = Item(this, comparisons, "mnuCopytoLeftPane", "Send to &Left Pane (A)");
    QMenu* experiment = nullptr;
    SubMenuItem(m, this, "mnuExperiment", "E&xperiment", &experiment);
    mnuNegative = Item(this, experiment, "mnuNegative", "&Negative");
    QMenu* other = nullptr;
    SubMenuItem(m, this, "homeOther", "&Other", &other);
    mnuRandomNoise = Item(this, other, "mnuRandomNoise", "&Random noise");
    mnuArtifacts = Item(this, other, "mnuArtifacts", "Add &Artifacts");
    mnuArtifacts->Tag = 48;

    // Enhance
    m = mnuColorsV;
    BuildAutoFixItems(m);
    Separator(m, this, "sepEnhanceFixes");
    mnuFixOverExposure = Item(this, m, "mnuFixOverExposure", "Fix &OverExposure");
    mnuFixUnderExposure = Item(this, m, "mnuFixUnderExposure", "Fix &UnderExposure");
    mnuFixContrast = Item(this, m, "mnuFixContrast", "Fix Contrast &Levels");
    Separator(m, this, "sepEnhanceDetails");
    mnuSharpen = Item(this, m, "mnuSharpen", "&Details / Sharpen");
    mnuNoiseRemoval = Item(this, m, "mnuNoiseRemoval", "&Clean / Soften");
    mnuRedEye1 = Item(this, m, "mnuRedEye1", "Fix &Red eye");
    BuildConformItems(advanced, other, m);
    Separator(m, this, "sepEnhanceColours");
    mnuColorBalance = Item(this, m, "mnuColorBalance", "Color &Balance");
    mnuColorTemperature = Item(this, m, "mnuColorTemperature", "Color &Temperature");
    mnuSaturation = Item(this, m, "mnuSaturation", "Color &Saturation");

    // Tools
    m = mnuToolsV;
    mnuExplorer1 = Item(this, m, "mnuExplorer1", "&Explorer");
    mnuSlideAlbum = Item(this, m, "mnuSlideAlbum", "&Slide Album");
    mnuCDPlayer1 = Item(this, m, "mnuCDPlayer1", "&CD Player");
    mnuHistorySlideshow = Item(this, m, "mnuHistorySlideshow", "Slide s&how");
    mnuSlideshow = Item(this, m, "mnuSlideshow", "&AVL slideshow...");
    QMenu* marks = nullptr;
    SubMenuItem(m, this, "mnuBookmarks", "&Bookmarks", &marks);
    mnuBookmarksView = Item(this, marks, "mnuBookmarksView", "&View");
    mnuNextImage1 = Item(this, marks, "mnuNextImage1", "&Next");
    mnuPrevImage1 = Item(this, marks, "mnuPrevImage1", "&Previous");
    mnuFirstImage1 = Item(this, marks, "mnuFirstImage1", "&First");
    mnuLastImage1 = Item(this, marks, "mnuLastImage1", "&Last");
    Separator(marks, this, "sepBookmarks1");
    mnuBookmarkUnmark = Item(this, marks, "mnuBookmarkUnmark", "&Unmark");
    mnuHistoryClear = Item(this, marks, "mnuHistoryClear", "&Clear");
    mnuHistorySort = Item(this, marks, "mnuHistorySort", "&Sort");
    mnuHistorySortReverse = Item(this, marks, "mnuHistorySortReverse", "Sort &reverse");
    mnuBookmarkUp = Item(this, marks, "mnuBookmarkUp", "Move &Up", Qt::CTRL | Qt::Key_PageUp);
    mnuBookmarkDn = Item(this, marks, "mnuBookmarkDn", "Move &Dn", Qt::CTRL | Qt::Key_PageDown);
    Separator(marks, this, "sepBookmarks2");
    mnuHistorySave = Item(this, marks, "mnuHistorySave", "Sa&ve...");
    mnuHistoryLoad = Item(this, marks, "mnuHistoryLoad", "L&oad...");
    mnuHistoryAlbum = Item(this, marks, "mnuHistoryAlbum", "Albu&m");
    mnuBookmarksRun = Item(this, marks, "mnuBookmarksRun", "&Run", Qt::CTRL | Qt::Key_R);
    mnuUnZipper = Item(this, m, "mnuUnZipper", "&UnZipper");
    QMenu* tile = nullptr;
    SubMenuItem(m, this, "mnuTileV", "&Tile", &tile);
    mnuTile1V = Item(this, tile, "mnuTile1V", "Viewer left - &Explorer right");
    mnuTile2V = Item(this, tile, "mnuTile2V", "Explorer left - &Viewer right");
    mnuTile3V = Item(this, tile, "mnuTile3V", "Overlapped &right");
    mnuTile4V = Item(this, tile, "mnuTile4V", "Overlapped &left");
    Separator(m, this, "sepTools1");
    mnuCreateTest = Item(this, m, "mnuCreateTest", "Multiple &Choice Quiz...");
    QMenu* wallpaper = nullptr;
    SubMenuItem(m, this, "mnuWallpaper", "&Wallpaper", &wallpaper);
    mnuWallpaperSet1 = Item(this, wallpaper, "mnuWallpaperSet1", "&Set");
    mnuWallpaperClear1 = Item(this, wallpaper, "mnuWallpaperClear1", "&Clear");
    QMenu* associations = nullptr;
    SubMenuItem(m, this, "mnuFileAssociations", "File &Associations", &associations);
    mnuAssociations = Item(this, associations, "mnuAssociations", "&Set");
    mnuAssociationsClear = Item(this, associations, "mnuAssociationsClear", "&Change");
    Separator(m, this, "sepToolsMemory");
    mnuMemory = Item(this, m, "mnuMemory", "&Memory");
    test = Item(this, m, "test", "test");
    test->setVisible(false);

    // Help
    m = mnuHelpV;
    mnuIndex1 = Item(this, m, "mnuIndex1", "&Contents");
    mnuHelpViewer = Item(this, m, "mnuHelpViewer", "&Viewer");
    mnuHelpHotkeys = Item(this, m, "mnuHelpHotkeys", "&Hot keys");
    mnuHelpSlideshows1 = Item(this, m, "mnuHelpSlideshows1", "&Slide shows");
    mnuHelpImageprocessing = Item(this, m, "mnuHelpImageprocessing", "&Image processing");
    Separator(m, this, "sepHelp1");
    mnuWebpage = Item(this, m, "mnuWebpage", "&Tutorials");
    mnuEmail = Item(this, m, "mnuEmail", "&Email us");
    Separator(m, this, "sepHelp2");
    mnuAbout = Item(this, m, "mnuAbout", "&About");
    for (const chrome::THelpItem& help : chrome::HelpItems())
        static_cast<TMenuItem*>(FindChrome(help.Item))->Tag = help.Context;

    // The pop-up menu over the picture, the bars and the path box.
    MainMenu = new QMenu(this);
    MainMenu->setObjectName("MainMenu");
    m = MainMenu;
    for (QAction* bar : {static_cast<QAction*>(mnuToolbarV), static_cast<QAction*>(mnuStatusbarV),
                         static_cast<QAction*>(mnuMenubar), static_cast<QAction*>(mnuSideBarV),
                         static_cast<QAction*>(mnuPathbox)})
        m->addAction(bar);
    Separator(m, this, "_mnuSep");
    QMenu* edit = nullptr;
    SubMenuItem(m, this, "HomeEditV", "&Edit", &edit);
    QMenu* copyPopup = nullptr;
    SubMenuItem(edit, this, "mnuCopyMain2", "&Copy", &copyPopup);
    copyPopup->addAction(mnuCopy);
    mnuCopyMask1 = Item(this, copyPopup, "mnuCopyMask1", "&Selection");
    mnuCopyGrid2 = Item(this, copyPopup, "mnuCopyGrid2", "&Grid");
    copyPopup->addAction(mnuCopyViewport);
    QMenu* pastePopup = nullptr;
    homePaste1 = SubMenuItem(edit, this, "homePaste1", "&Paste", &pastePopup);
    mnuPaste1 = Item(this, pastePopup, "mnuPaste1", "&Image");
    mnuPasteMask2 = Item(this, pastePopup, "mnuPasteMask2", "&Selection");
    mnuPasteGrid2 = Item(this, pastePopup, "mnuPasteGrid2", "&Grid");
    mnuEmpty1 = Item(this, pastePopup, "mnuEmpty1", "&Empty");
    QMenu* selectPopup = nullptr;
    SubMenuItem(edit, this, "mnuSelectMain2", "Se&lect", &selectPopup);
    mnuRegion2 = Item(this, selectPopup, "mnuRegion2", "&Marquee");
    mnuSelectall1 = Item(this, selectPopup, "mnuSelectall1", "Select &all");
    mnuPreset1 = Item(this, selectPopup, "mnuPreset1", "&Grid");
    mnuCrop1 = Item(this, edit, "mnuCrop1", "C&rop");
    mnuTrim2 = Item(this, edit, "mnuTrim2", "&Trim");
    QMenu* image = nullptr;
    HomeImage = SubMenuItem(m, this, "HomeImage", "&Bookmarks", &image);
    mnuNextImage = Item(this, image, "mnuNextImage", "&Next");
    mnuPrevImage = Item(this, image, "mnuPrevImage", "&Previous");
    mnuFirstImage = Item(this, image, "mnuFirstImage", "&First");
    mnuLastImage = Item(this, image, "mnuLastImage", "&Last");
    mnuBookmarksView2 = Item(this, image, "mnuBookmarksView2", "&View");
    mnuBookmarkUnmark2 = Item(this, image, "mnuBookmarkUnmark2", "&Unmark");
    mnuHistoryClear3 = Item(this, image, "mnuHistoryClear3", "&Clear");
    mnuHistorySort3 = Item(this, image, "mnuHistorySort3", "&Sort");
    mnuHistorySortReverse3 = Item(this, image, "mnuHistorySortReverse3", "Sort &reverse");
    mnuHistorySave2 = Item(this, image, "mnuHistorySave2", "Sa&ve...");
    mnuHistoryLoad2 = Item(this, image, "mnuHistoryLoad2", "L&oad...");
    mnuHistoryAlbum2 = Item(this, image, "mnuHistoryAlbum2", "Albu&m");
    mnuBookmarksRun2 = Item(this, image, "mnuBookmarksRun2", "&Run");
    mnuPage = new TMenuItem("Pa&ge", this);
    mnuPage->setObjectName("mnuPage");
    mnuPage->setMenu(pages);
    mnuPage->setVisible(false);
    m->addAction(mnuPage);
    Separator(m, this, "sepViewPage");
    m->addAction(mnuHistorySlideshow);
    Separator(m, this, "sepSlideshow");
    mnuFullscrn = Item(this, m, "mnuFullscrn", "Full screen");
    mnuFitWindow = Item(this, m, "mnuFitWindow", "&Fit to window");
    mnuZoom = Item(this, m, "mnuZoom", "&Zoom...");
    Separator(m, this, "sepView");
    mnuOpen = Item(this, m, "mnuOpen", "&Open...");
    mnuDeleteVP = Item(this, m, "mnuDeleteVP", "&Delete");
    mnuBookmarkUnmark3 = Item(this, m, "mnuBookmarkUnmark3", "&Unmark");
    mnuHistoryClear2 = Item(this, m, "mnuHistoryClear2", "&Clear bookmarks");
    mnuHistorySort2 = Item(this, m, "mnuHistorySort2", "&Sort bookmarks");
    Separator(m, this, "sepOptions");
    mnuOptionsVP = Item(this, m, "mnuOptionsVP", "&Options...");
    Separator(m, this, "_av");
    mnuAV_Play = Item(this, m, "mnuAV_Play", "&Play/pause");
    mnuAV_Stop = Item(this, m, "mnuAV_Stop", "&Stop");
    chkHandTool2 = Item(this, nullptr, "chkHandTool2", "&Hand tool");
    chkSelectTool2 = Item(this, nullptr, "chkSelectTool2", "&Select tool");
    chkZoomTool2 = Item(this, nullptr, "chkZoomTool2", "&Zoom tool");
    mnuUndo1 = Item(this, nullptr, "mnuUndo1", "&Undo");
    mnuReload3 = Item(this, nullptr, "mnuReload3", "&Reload");
    // Alt+D acts from anywhere in the window without a place in a menu.
    HistoryFocus1 = Item(this, nullptr, "HistoryFocus1", "HistoryFocus", Qt::ALT | Qt::Key_D);
    addAction(HistoryFocus1);

    CloseMenu = new QMenu(this);
    mnuHideViewer = Item(this, CloseMenu, "mnuHideViewer", "&Hide Viewer");
    mnuQuit = Item(this, CloseMenu, "mnuQuit", "&Exit");
    chkPromptOnClose = Item(this, CloseMenu, "chkPromptOnClose", "&Prompt on Close");

    // Shortcut-bearing items act wherever the window has the focus.
    for (const chrome::TShortCut& shortcut : chrome::ShortCutTable())
        if (auto* item = qobject_cast<QAction*>(FindChrome(shortcut.Item)))
            addAction(item);
    ShortCuts_Enable();
}

void TWebForm::BuildBars(QWidget* Central) {
    auto button = [this](QToolBar* bar, const char* name, const char* caption, const char* icon) {
        auto* b = new QToolButton(bar);
        b->setObjectName(name);
        b->setText(QString::fromUtf8(caption));
        b->setToolTip(QString::fromUtf8(caption));
        b->setIcon(ProgramIcon(icon));
        b->setProperty(PendingProperty, true);
        b->setEnabled(false);
        // Buttons placed as widgets follow the bar's caption style themselves.
        b->setToolButtonStyle(bar->toolButtonStyle());
        ConnectGuarded(bar, &QToolBar::toolButtonStyleChanged, b, [b](Qt::ToolButtonStyle style) {
            if (!b->property(IconOnlyProperty).toBool())
                b->setToolButtonStyle(style);
        });
        bar->addWidget(b);
        return b;
    };

    PanelTool = new QWidget(Central);
    PanelTool->setObjectName("PanelTool");
    auto* toolRow = new QHBoxLayout(PanelTool);
    toolRow->setContentsMargins(0, 0, 0, 0);
    Toolbar1 = new QToolBar(PanelTool);
    Toolbar1->setObjectName("Toolbar1");
    Toolbar1->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    btnOpen = button(Toolbar1, "btnOpen", "Open", "open");
    btnSave = button(Toolbar1, "btnSave", "Save", "save");
    btnCopy = button(Toolbar1, "btnCopy", "Copy", "copy");
    btnTrash = button(Toolbar1, "btnTrash", "Recycle", "trash");
    btnInfo = button(Toolbar1, "btnInfo", "Info", "info");
    btnPrint = button(Toolbar1, "btnPrint", "Print", "print");
    Toolbar1->addSeparator();
    btnExplore = button(Toolbar1, "btnExplore", "Explore", "explore");
    btnFitWindow = button(Toolbar1, "btnFitWindow", "Fit", "fit");
    btnFitWindow->setCheckable(true);
    BtnFullScrn = button(Toolbar1, "BtnFullScrn", "Full", "fullscreen");
    BtnFullScrn->setCheckable(true);
    btnOptimizeWindow = button(Toolbar1, "btnOptimizeWindow", "Optimize", "optimize");
    btnPageNext = button(Toolbar1, "btnPageNext", "Page", "page");
    btn2_Run = button(Toolbar1, "btn2_Run", "Run", "run");
    Toolbar1->addSeparator();
    btnZoomDn = button(Toolbar1, "btnZoomDn", "Zoom out", "zoomout");
    ZoomBar = new TTrackBar(Toolbar1);
    ZoomBar->setObjectName("ZoomBar");
    ZoomBar->SetMin(1);
    ZoomBar->SetMax(30);
    ZoomBar->setMaximumWidth(140);
    Toolbar1->addWidget(ZoomBar);
    btnZoomUp = button(Toolbar1, "btnZoomUp", "Zoom in", "zoomin");
    for (QToolButton* step : {btnZoomDn, btnZoomUp}) {
        step->setProperty(IconOnlyProperty, true);
        step->setToolButtonStyle(Qt::ToolButtonIconOnly);
    }
    toolRow->addWidget(Toolbar1, 1);

    PanelHistory = new QWidget(Central);
    PanelHistory->setObjectName("PanelHistory");
    auto* historyRow = new QHBoxLayout(PanelHistory);
    historyRow->setContentsMargins(2, 2, 2, 2);
    historyRow->setSpacing(2);
    ToolBar2 = new QToolBar(PanelHistory);
    ToolBar2->setObjectName("ToolBar2");
    ToolBar2->setIconSize(QSize(16, 16));
    btnBookmarks = button(ToolBar2, "btnBookmarks", "Bookmarks", "bookmarks");
    btnBookmarks->setPopupMode(QToolButton::InstantPopup);
    btnPrevImage = button(ToolBar2, "btnPrevImage", "Previous", "previous");
    btnNextImage = button(ToolBar2, "btnNextImage", "Next", "next");
    History = new QComboBox(PanelHistory);
    History->setObjectName("History");
    History->setEditable(true);
    History->setMinimumWidth(64);
    History->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    historyRow->addWidget(ToolBar2);
    historyRow->addWidget(History, 1);

    PanelSide = new QWidget(Central);
    PanelSide->setObjectName("PanelSide");
    auto* sideColumn = new QVBoxLayout(PanelSide);
    sideColumn->setContentsMargins(0, 0, 0, 0);
    ToolBar3 = new QToolBar(PanelSide);
    ToolBar3->setObjectName("ToolBar3");
    ToolBar3->setOrientation(Qt::Vertical);
    ToolBar3->setIconSize(QSize(20, 20));
    struct TSideButton {
        const char* Name;
        const char* Hint;
        const char* Icon;
        int ImageIndex;
    };
    static const TSideButton sideButtons[] = {
        {"btnHandTool", "Hand srolling tool", "hand", 7},
        {"btnSelectTool", "Selection marquee tool", "select", 8},
        {"btnZoomTool", "Zoom tool", "zoomtool", 45},
        {"btnUndo", "Undo", "undo", 43},
        {"btnColorBalance", "Equalize and improve color balance", "colorbalance", 6},
        {"btnGammaColor", "Boost color saturation", "saturation", 32},
        {"btnAutoGamma", "Improve midtones (gamma)", "gamma", 37},
        {"btnAutoFlash", "Improve exposure with simulated flash", "flash", 16},
        {"btnAutoContrast", "Improve contrast", "contrast", 17},
        {"btnAutoClean", "Clean and minimize blemishes", "clean", 34},
        {"btnSharpen", "Improve sharpness", "sharpen", 33},
        {"btnRedEye", "Red eye", "redeye", 42},
        {"btnFilmNoir", "Make digital camera pictures more natural", "filmnoir", 38},
        {"btnRotate", "Rotate clockwise", "rotate", 35},
        {"btnRotateCounter", "Rotate counter-clockwise", "rotateccw", 36},
        {"btnMirrorVert", "Flip image vertically", "mirrorvert", 40},
        {"btnMirrorHorz", "Flip image horizontally", "mirrorhorz", 39},
        {"btnHistogram", "Histogram", "histogram", 41},
    };
    for (const TSideButton& side : sideButtons) {
        QToolButton* b = button(ToolBar3, side.Name, side.Hint, side.Icon);
        b->setProperty("ImageIndex", side.ImageIndex);
        b->setToolButtonStyle(Qt::ToolButtonIconOnly);
    }
    btnHandTool = PanelSide->findChild<QToolButton*>("btnHandTool");
    btnSelectTool = PanelSide->findChild<QToolButton*>("btnSelectTool");
    btnZoomTool = PanelSide->findChild<QToolButton*>("btnZoomTool");
    btnUndo = PanelSide->findChild<QToolButton*>("btnUndo");
    btnRotate = PanelSide->findChild<QToolButton*>("btnRotate");
    btnRotateCounter = PanelSide->findChild<QToolButton*>("btnRotateCounter");
    btnMirrorVert = PanelSide->findChild<QToolButton*>("btnMirrorVert");
    btnMirrorHorz = PanelSide->findChild<QToolButton*>("btnMirrorHorz");
    btnRotate->setProperty("Tag", 9000);
    btnRotateCounter->setProperty("Tag", 27000);
    for (QToolButton* tool : {btnHandTool, btnSelectTool, btnZoomTool})
        tool->setCheckable(true);
    sideColumn->addWidget(ToolBar3);
    sideColumn->addStretch(1);
    for (QToolBar* bar : {Toolbar1, ToolBar2, ToolBar3})
        new TBarOverflow(bar);
}

void TWebForm::BuildStatusPanels() {
    StatusBar->setObjectName("StatusBar");
    StatusBar->setSizeGripEnabled(true);
    // The panels keep their widths without holding the window wider: what does
    // not fit is cut off at the right.
    auto* box = new QWidget(StatusBar);
    box->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(2);
    auto* text = new TStatusTextPanel(this, box);
    text->setObjectName("StatusPanel0");
    text->setFixedWidth(chrome::StatusPanelWidth[0]);
    StatusPanels[0] = text;
    row->addWidget(text);
    static const char* const initial[4] = {"", "100%", "..", "bookmarks"};
    for (int i = 1; i < 4; ++i) {
        auto* label = new QLabel(QString::fromUtf8(initial[i]), box);
        label->setObjectName(QString("StatusPanel%1").arg(i));
        label->setAlignment(i == 3 ? Qt::AlignVCenter | Qt::AlignLeft : Qt::AlignCenter);
        label->setFrameShape(QFrame::StyledPanel);
        label->setFixedWidth(chrome::StatusPanelWidth[i]);
        StatusPanels[i] = label;
        row->addWidget(label);
    }
    row->addStretch(1);
    StatusBar->addWidget(box, 1);
    StatusTextValue = "Ready";
}

void TWebForm::ConnectChrome() {
    Wire(this, mnuExit, [this](QObject* s) { mnuExitClick(s); });
    Wire(this, mnuAbout, [this](QObject* s) { mnuAboutClick(s); });
    Wire(this, mnuQuit, [this](QObject* s) { mnuQuitClick(s); });
    Wire(this, mnuHideViewer, [this](QObject* s) { mnuHideViewerClick(s); });
    for (QAction* item : {mnuOptionsV, mnuOptionsVP})
        Wire(this, item, [this](QObject* s) { mnuOptionsClick(s); });
    Wire(this, mnuHide, [this](QObject* s) { mnuHideClick(s); });
    Wire(this, mnuNew, [this](QObject* s) { mnuNewClick(s); });
    Wire(this, mnuMemory, [this](QObject* s) { mnuMemoryClick(s); });
    Wire(this, mnuUnZipper, [this](QObject* s) { mnuUnZipperClick(s); });
    for (QAction* item : {mnuTile1V, mnuTile2V, mnuTile3V, mnuTile4V})
        Wire(this, item, [this](QObject* s) { mnuTile1VClick(s); });
    Wire(this, test, [this](QObject* s) { testClick(s); });
    Wire(this, chkPromptOnClose, [this](QObject* s) { chkPromptOnCloseClick(s); });
    Wire(this, mnuMenubar, [this](QObject* s) { mnuMenubarClick(s); });
    Wire(this, mnuToolbarV, [this](QObject* s) { mnuToolbarVClick(s); });
    Wire(this, mnuStatusbarV, [this](QObject* s) { mnuStatusbarVClick(s); });
    Wire(this, mnuSideBarV, [this](QObject* s) { mnuSideBarVClick(s); });
    Wire(this, mnuPathbox, [this](QObject* s) { mnuPathboxClick(s); });
    Wire(this, mnuNegative, [this](QObject* s) { mnuNegativeClick(s); });
    Wire(this, mnuSharpen, [this](QObject* s) { mnuSharpenClick(s); });
    Wire(this, mnuNoiseRemoval, [this](QObject* s) { mnuNoiseRemovalClick(s); });
    Wire(this, mnuDePixelate, [this](QObject* s) { mnuDePixelateClick(s); });
    Wire(this, mnuDescreen, [this](QObject* s) { mnuDescreenClick(s); });
    Wire(this, mnuMosaic1, [this](QObject* s) { mnuMosaic1Click(s); });
    Wire(this, mnuRandomNoise, [this](QObject* s) { mnuRandomNoiseClick(s); });
    Wire(this, mnuArtifacts, [this](QObject* s) { mnuArtifactsClick(s); });
    Wire(this, mnuCenter1, [this](QObject* s) { mnuCenter1Click(s); });
    Wire(this, mnuRedEye1, [this](QObject* s) { mnuRedEye1Click(s); });
    Wire(this, mnuFixOverExposure, [this](QObject* s) { mnuFixOverExposureClick(s); });
    Wire(this, mnuFixUnderExposure, [this](QObject* s) { mnuFixUnderExposureClick(s); });
    Wire(this, mnuFixContrast, [this](QObject* s) { mnuFixContrastClick(s); });
    Wire(this, mnuColorBalance, [this](QObject* s) { mnuColorBalanceClick(s); });
    Wire(this, mnuColorTemperature, [this](QObject* s) { mnuColorTemperatureClick(s); });
    Wire(this, mnuSaturation, [this](QObject* s) { mnuSaturationClick(s); });
    ConnectAutoFix();
    // It waits for a selection, like the crop items.
    SetItemEnabled(mnuRedEye1, false);
    if (auto* redEye = PanelSide->findChild<QToolButton*>("btnRedEye"))
        Wire(this, redEye, [this](QObject* s) { mnuRedEye1Click(s); });
    Wire(this, mnuHistogram1, [this](QObject* s) { mnuHistogram1Click(s); });
    if (auto* button = qobject_cast<QToolButton*>(FindChrome("btnHistogram")))
        Wire(this, button, [this](QObject* s) { mnuHistogram1Click(s); });
    Wire(this, mnuPerformBatch1, [this](QObject* s) { mnuPerformBatch1Click(s); });
    Wire(this, mnuBatchEditor1, [this](QObject* s) { mnuBatchEditor1Click(s); });
    Wire(this, mnuDuplicate, [this](QObject* s) { mnuDuplicateClick(s); });
    Wire(this, mnuSwap, [this](QObject* s) { mnuSwapClick(s); });
    Wire(this, mnuMultiply1, [this](QObject* s) { mnuMultiply1Click(s); });
    Wire(this, mnuMinimum1, [this](QObject* s) { mnuMinimum1Click(s); });
    Wire(this, mnuMaximum1, [this](QObject* s) { mnuMaximum1Click(s); });
    Wire(this, mnuDifference1, [this](QObject* s) { mnuDifference1Click(s); });
    Wire(this, mnuCopyToBackup, [this](QObject* s) { mnuCopyToBackupClick(s); });
    Wire(this, mnuCopyFromBackup, [this](QObject* s) { mnuCopyFromBackupClick(s); });
    Wire(this, mnuInitialize1, [this](QObject* s) { mnuInitialize1Click(s); });
    Wire(this, mnuAverage1, [this](QObject* s) { mnuAverage1Click(s); });
    Wire(this, mnuInterLace1, [this](QObject* s) { mnuInterLace1Click(s); });
    Wire(this, mnuMaskLevels, [this](QObject* s) { mnuMaskLevelsClick(s); });
    Wire(this, mnuMaskColors, [this](QObject* s) { mnuMaskColorsClick(s); });
    Wire(this, mnuMaskEdges, [this](QObject* s) { mnuMaskEdgesClick(s); });
    Wire(this, mnuCreateMask, [this](QObject* s) { mnuCreateMaskClick(s); });
    Wire(this, mnuSubtract, [this](QObject* s) { mnuSubtractClick(s); });
    ConnectGuarded(homeLab, &QMenu::aboutToShow, this, [this] { homeLabClick(homeLab); });
    ConnectGuarded(HomeReMap1->menu(), &QMenu::aboutToShow, this, [this] { HomeReMap1Click(HomeReMap1); });
    for (TMenuItem* item : {mnuMenubar, mnuToolbarV, mnuStatusbarV, mnuSideBarV, mnuPathbox})
        item->setCheckable(true);
    for (const chrome::THelpItem& help : chrome::HelpItems())
        Wire(this, static_cast<QAction*>(FindChrome(help.Item)), [this](QObject* s) { mnuHelpContextClick(s); });
    Wire(this, mnuWebpage, [this](QObject* s) { mnuWebpageClick(s); });
    Wire(this, mnuCreateTest, [this](QObject* s) { mnuCreateTestClick(s); });
    Wire(this, mnuWallpaperSet1, [this](QObject* s) { mnuWallpaperSet1Click(s); });
    Wire(this, mnuWallpaperClear1, [this](QObject* s) { mnuWallpaperClear1Click(s); });
    Wire(this, mnuAssociations, [this](QObject* s) { mnuAssociationsClick(s); });
    Wire(this, mnuAssociationsClear, [this](QObject* s) { mnuAssociationsClick(s); });
    Wire(this, mnuEmail, [this](QObject* s) { mnuWebpageClick(s); });
    Wire(this, btnExplore, [this](QObject* s) { btnExploreClick(s); });
    Wire(this, mnuExplorer1, [this](QObject* s) { btnExploreClick(s); });
    Wire(this, mnuOpen, [this](QObject* s) { BtnOpenClick(s); });
    Wire(this, mnuOpenV, [this](QObject* s) { BtnOpenClick(s); });
    Wire(this, btnOpen, [this](QObject* s) { BtnOpenClick(s); });
    // The view's commands.
    for (QAction* item : {mnuFitWindow, mnuFitWindow1})
        Wire(this, item, [this](QObject* s) { mnuFitWindowClick(s); });
    Wire(this, btnFitWindow, [this](QObject* s) { mnuFitWindowClick(s); });
    for (QAction* item : {mnuZoom, mnuZoom1})
        Wire(this, item, [this](QObject* s) { mnuZoomClick(s); });
    for (QAction* item : {mnuFullscrn, mnuFullscrn1})
        Wire(this, item, [this](QObject* s) { mnuFullScrnClick(s); });
    Wire(this, BtnFullScrn, [this](QObject* s) { mnuFullScrnClick(s); });
    for (QAction* item : {chkHandTool, chkHandTool2})
        Wire(this, item, [this](QObject* s) { chkHandToolClick(s); });
    Wire(this, btnHandTool, [this](QObject* s) { btnHandToolClick(s); });
    for (QAction* item : {chkSelectTool, chkSelectTool2})
        Wire(this, item, [this](QObject* s) { chkSelectToolClick(s); });
    Wire(this, btnSelectTool, [this](QObject* s) {
        btnSelectToolClick(s, QGuiApplication::queryKeyboardModifiers().testFlag(Qt::ShiftModifier));
    });
    // Region selection.
    for (QAction* item : {mnuRegion1, mnuRegion2})
        Wire(this, item, [this](QObject* s) { mnuRegion1Click(s); });
    for (QAction* item : {mnuSelectall, mnuSelectall1})
        Wire(this, item, [this](QObject* s) { mnuSelectallClick(s); });
    for (QAction* item : {mnuPreset, mnuPreset1, mnuCopyGrid1, mnuCopyGrid2, mnuPasteGrid1, mnuPasteGrid2})
        Wire(this, item, [this](QObject* s) { mnuPreset_Region(s); });
    for (QAction* item : {chkZoomTool, chkZoomTool2})
        Wire(this, item, [this](QObject* s) { btnZoomToolClick(s); });
    Wire(this, btnZoomTool, [this](QObject* s) { btnZoomToolClick(s); });
    // The view modes.
    Wire(this, mnuOptimizeWindow, [this](QObject* s) { mnuOptimizeWindowClick(s); });
    Wire(this, btnOptimizeWindow, [this](QObject* s) { mnuOptimizeWindowClick(s); });
    Wire(this, mnuAdjustViewport, [this](QObject* s) { mnuAdjustViewportClick(s); });
    Wire(this, mnuCopyViewport, [this](QObject* s) { mnuCopyViewportClick(s); });
    Wire(this, mnuZoomRegion, [this](QObject* s) { mnuZoomRegionClick(s); });
    for (QAction* item :
         {mnuAspectMonitor, mnuAspectWidth, mnuAspectBest, mnuAspectTV, mnuAspectWide, mnuAspectCustom})
        Wire(this, item, [this](QObject* s) { mnuAspectClick(s); });
    Wire(this, mnuScaleJPEG, [this](QObject* s) { mnuScaleJPEGClick(s); });
    Wire(this, mnuViewGamma, [this](QObject* s) { mnuViewGammaClick(s); });
    Wire(this, chkUpsampling, [this](QObject* s) { chkUpsamplingClick(s); });
    Wire(this, chkExtendedDesktop, [this](QObject* s) { chkExtendedDesktopClick(s); });
    Wire(this, mnuEmbedded, [this](QObject* s) { mnuEmbeddedClick(s); });
    if (QMenu* jpeg = findChild<QMenu*>("JPEG1Menu"))
        ConnectGuarded(jpeg, &QMenu::aboutToShow, this, [this] { JPEG1Click(JPEG1); });
    ConnectViewModes();
    // The bookmark commands.
    for (QAction* item : {mnuNextImage, mnuNextImage1})
        Wire(this, item, [this](QObject* s) { btnNextImageClick(s); });
    Wire(this, static_cast<QToolButton*>(btnNextImage), [this](QObject* s) { btnNextImageClick(s); });
    for (QAction* item : {mnuPrevImage, mnuPrevImage1})
        Wire(this, item, [this](QObject* s) { btnPrevImageClick(s); });
    Wire(this, static_cast<QToolButton*>(btnPrevImage), [this](QObject* s) { btnPrevImageClick(s); });
    for (QAction* item : {mnuBookmarkUnmark, mnuBookmarkUnmark2, mnuBookmarkUnmark3})
        Wire(this, item, [this](QObject* s) { mnuBookmarkUnmarkClick(s); });
    for (QAction* item : {mnuHistoryClear, mnuHistoryClear2, mnuHistoryClear3})
        Wire(this, item, [this](QObject* s) { mnuHistoryClearClick(s); });
    for (QAction* item : {mnuHistorySort, mnuHistorySort2, mnuHistorySort3, mnuHistorySortReverse,
                          mnuHistorySortReverse3})
        Wire(this, item, [this](QObject* s) { mnuHistorySortClick(s); });
    for (QAction* item : {mnuHistorySave, mnuHistorySave2})
        Wire(this, item, [this](QObject* s) { mnuHistorySaveClick(s); });
    for (QAction* item : {mnuHistoryLoad, mnuHistoryLoad2})
        Wire(this, item, [this](QObject* s) { mnuHistoryLoadClick(s); });
    for (QAction* item : {mnuBookmarksView, mnuBookmarksView2})
        Wire(this, item, [this](QObject* s) { mnuBookmarksViewClick(s); });
    if (QMenu* marks = findChild<QMenu*>("mnuBookmarksMenu"))
        ConnectGuarded(marks, &QMenu::aboutToShow, this, [this, marks] { mnuBookmarksClick(marks); });
    ConnectBookmarkPanel();
    // Pages, picture information and printing.
    for (QAction* item : {mnuPageFirst, mnuPagePrevious, mnuPageNext, mnuPageLast})
        Wire(this, item, [this](QObject* s) { mnuPageChange(s); });
    Wire(this, btnPageNext, [this](QObject* s) { mnuPageChange(s); });
    for (QAction* item : {static_cast<QAction*>(mnuInfo), static_cast<QAction*>(_mnufname)})
        Wire(this, item, [this](QObject* s) { mnuImageInfoClick(s); });
    const auto analyze = [this](QObject* s) { mnuAnalyzeClick(s, QGuiApplication::keyboardModifiers()); };
    Wire(this, mnuAnalyze, analyze);
    Wire(this, btnInfo, analyze);
    Wire(this, mnuPrint, [this](QObject* s) { mnuPrintClick(s); });
    Wire(this, mnuCompress, [this](QObject* s) { mnuCompressClick(s); });
    Wire(this, btnPrint, [this](QObject* s) { mnuPrintClick(s); });
    // First and last bookmark, reload, save and undo.
    for (QAction* item : {mnuFirstImage, mnuFirstImage1, mnuLastImage, mnuLastImage1})
        Wire(this, item, [this](QObject* s) { mnuFirstImageClick(s); });
    for (QAction* item : {mnuReload, mnuReload3})
        Wire(this, item, [this](QObject* s) { mnuReloadClick(s); });
    Wire(this, mnuSaveV, [this](QObject* s) { mnuSaveClick(s); });
    Wire(this, btnSave, [this](QObject* s) { mnuSaveClick(s); });
    for (QAction* item : {mnuUndo, mnuUndo1})
        Wire(this, item, [this](QObject* s) { mnuUndoClick(s); });
    Wire(this, btnUndo, [this](QObject* s) { mnuUndoClick(s); });
    // Copy, crop, flips and rotation.
    Wire(this, mnuCopy, [this](QObject* s) { mnuCopyClick(s); });
    for (QAction* item : {mnuEmpty, mnuEmpty1})
        Wire(this, item, [this](QObject* s) { mnuEmptyClick(s); });
    for (QAction* item : {mnuPaste, mnuPaste1})
        Wire(this, item, [this](QObject* s) { mnuPasteClick(s); });
    for (QAction* item : {mnuPasteMask1, mnuPasteMask2}) {
        Wire(this, item, [this](QObject* s) { mnuPasteMask1Click(s); });
        // They wait for a selection.
        SetItemEnabled(item, false);
    }
    // The paste items follow the clipboard, so Ctrl+V works for a picture
    // another program has just copied.
    ConnectGuarded(QGuiApplication::clipboard(), &QClipboard::dataChanged, this, [this] {
        const bool picture = Clipboard().HasFormat(CF_BITMAP);
        for (const char* name : chrome::ClipboardItems())
            SetChromeEnabled(name, picture);
    });
    Wire(this, mnuCloneSpace, [this](QObject* s) { mnuCloneSpaceClick(s); });
    for (QAction* item : {mnuCopytoRightPane, mnuCopytoLeftPane})
        Wire(this, item, [this](QObject* s) { mnuCopytoRightPaneClick(s); });
    for (QAction* item : {mnuCopyMask, mnuCopyMask1, mnuCrop, mnuCrop1}) {
        Wire(this, item, [this](QObject* s) { mnuCopyMaskClick(s); });
        // They wait for a selection.
        SetItemEnabled(item, false);
    }
    for (const char* name : {"mnuCopyMain1Menu", "mnuCopyMain2Menu"})
        if (QMenu* copy = findChild<QMenu*>(name))
            ConnectGuarded(copy, &QMenu::aboutToShow, this, [this] { mnuCopyMain1Click(mnuCopyMain1); });
    for (QAction* item : {mnuMirrorVert, mnuMirrorHorz})
        Wire(this, item, [this](QObject* s) { mnuMirrorVertClick(s); });
    for (QToolButton* button : {btnMirrorVert, btnMirrorHorz})
        Wire(this, button, [this](QObject* s) { mnuMirrorVertClick(s); });
    const auto rotate = [this](QObject* s) {
        mnuRotateClick(s, QGuiApplication::queryKeyboardModifiers().testFlag(Qt::ShiftModifier));
    };
    for (QAction* item : {mnuRotate90, mnuRotate270, mnuRotate, mnuRotateFine})
        Wire(this, item, rotate);
    for (QToolButton* button : {btnRotate, btnRotateCounter})
        Wire(this, button, rotate);
    // The size changes.
    Wire(this, mnuResize, [this](QObject* s) { mnuResizeClick(s); });
    Wire(this, mnuResample, [this](QObject* s) { mnuResampleClick(s); });
    Wire(this, mnuDistill, [this](QObject* s) { mnuDistillClick(s); });
    ConnectGuarded(homeResize1->menu(), &QMenu::aboutToShow, this, [this] { homeResize1Click(homeResize1); });
    // Colour depth.
    for (QAction* item : {mnu8bpp1, mnu8gray, mnu8poster, mnu4bpp1, mnu4poster, mnu1bpp1})
        Wire(this, item, [this](QObject* s) { ImageReduce(s); });
    for (QAction* item : {mnuPromote241, mnuPromote81, mnuPromote41})
        Wire(this, item, [this](QObject* s) { ImagePromote(s); });
    // File operations, the "Batch files" menu and Trim.
    const auto keys = [] { return QGuiApplication::queryKeyboardModifiers(); };
    for (QAction* item : {mnuFCopyV, mnuFMoveV, mnuBatchMove})
        Wire(this, item, [this, keys](QObject* s) { mnuFMoveClick(s, keys()); });
    Wire(this, btnCopy, [this, keys](QObject* s) { mnuFMoveClick(s, keys()); });
    for (QAction* item : {mnuRecycle, mnuDeleteV, mnuDeleteVP, mnuBatchDelete})
        Wire(this, item, [this, keys](QObject* s) { mnuDeleteClick(s, keys()); });
    Wire(this, btnTrash, [this, keys](QObject* s) { mnuDeleteClick(s, keys()); });
    Wire(this, mnuDateName, [this, keys](QObject* s) { mnuDateNameClick(s, keys()); });
    Wire(this, mnuBatchRename1, [this, keys](QObject* s) { mnuBatchRename1Click(s, keys()); });
    for (QAction* item : {mnuBatchJPG1, mnuBatchBMP1, mnuBatchPNG1, mnuBatchTIF1, mnuBatchTGA1, mnuBatchPCX1})
        Wire(this, item, [this](QObject* s) { mnuBatchJPG1Click(s); });
    for (QAction* item : {mnuTrim1, mnuTrim2}) {
        Wire(this, item, [this](QObject* s) { mnuTrim1Click(s); });
        // They wait for a selection.
        SetItemEnabled(item, false);
    }
    if (QMenu* batchFiles = findChild<QMenu*>("HomeCompress1Menu"))
        ConnectGuarded(batchFiles, &QMenu::aboutToShow, this, [this] { HomeCompress1Click(HomeCompress1); });
    // The zoom buttons are connected by the view.
    for (QToolButton* zoom : {btnZoomUp, btnZoomDn}) {
        zoom->setProperty(PendingProperty, false);
        zoom->setEnabled(true);
    }

    // The bookmark shows.
    for (QAction* item : {static_cast<QAction*>(mnuBookmarksRun), static_cast<QAction*>(mnuBookmarksRun2)})
        Wire(this, item, [this](QObject* s) { mnuHistorySlideshowClick(s); });
    Wire(this, btn2_Run, [this](QObject* s) { mnuHistorySlideshowClick(s); });
    // The script shows.
    Wire(this, mnuHistorySlideshow, [this](QObject* s) { mnuHistorySlideshowClick(s); });
    Wire(this, mnuSlideshow, [this](QObject* s) { mnuSlideshowClick(s); });
    // The bookmark button drops down the bookmark commands.
    btnBookmarks->setMenu(findChild<QMenu*>("mnuBookmarksMenu"));
    btnBookmarks->setProperty(PendingProperty, false);
    btnBookmarks->setEnabled(true);

    // The top menus show the items the pop-up rules may have hidden.
    ConnectGuarded(mnuViewV, &QMenu::aboutToShow, this, [this] {
        for (TMenuItem* item : {mnuStatusbarV, mnuMenubar, mnuSideBarV, mnuPathbox})
            item->setVisible(true);
        mnuToolbarV->setVisible(!MergeToolbar);
        mnuPathbox->SetCaption(MergeToolbar ? "&Tool bar" : "&Path box");
    });
    ConnectGuarded(mnuToolsV, &QMenu::aboutToShow, this, [this] { mnuHistorySlideshow->setVisible(true); });

    // The pop-up menu opens over the picture, the bars, the status bar and the path box.
    for (QWidget* over : std::initializer_list<QWidget*>{ScrollBox, Daz95, Toolbar1, ToolBar2, ToolBar3, StatusBar,
                                                         History}) {
        over->setContextMenuPolicy(Qt::CustomContextMenu);
        ConnectGuarded(over, &QWidget::customContextMenuRequested, this,
                       [this, over](const QPoint& at) { PopupMainMenu(over, over->mapToGlobal(at)); });
    }
    if (QLineEdit* edit = History->lineEdit()) {
        edit->setContextMenuPolicy(Qt::CustomContextMenu);
        ConnectGuarded(edit, &QWidget::customContextMenuRequested, this,
                       [this, edit](const QPoint& at) { PopupMainMenu(History, edit->mapToGlobal(at)); });
        edit->installEventFilter(this);
    }
    History->installEventFilter(this);
    ConnectGuarded(History, &QComboBox::editTextChanged, this, [this](const QString&) { HistoryEditChange(History); });
    // Keys reach the window before the focused control does.
    qApp->installEventFilter(this);
    // The information items come on with the first picture shown, which also
    // shows the fit state and the rest of the picture commands.
    SetChromeEnabled("mnuInfo", false);
    SetChromeEnabled("btnInfo", false);
}

// ---- Finding items

QObject* TWebForm::FindChrome(const std::string& Name) const {
    const QString name = QString::fromStdString(Name);
    if (auto* item = findChild<QAction*>(name))
        return item;
    if (auto* widget = findChild<QWidget*>(name))
        return widget;
    return nullptr;
}

void TWebForm::SetItemEnabled(QObject* Item, bool On) {
    if (!Item)
        return;
    Item->setProperty(WantedProperty, On);
    Item->setProperty("enabled", On && !IsPending(Item));
}

void TWebForm::SetChromeEnabled(const std::string& Name, bool On) { SetItemEnabled(FindChrome(Name), On); }

void TWebForm::SetChromeVisible(const std::string& Name, bool On) {
    QObject* object = FindChrome(Name);
    if (auto* item = qobject_cast<QAction*>(object))
        item->setVisible(On);
    else if (auto* widget = qobject_cast<QWidget*>(object))
        widget->setVisible(On);
}

bool TWebForm::ChromeEnabled(const std::string& Name) const {
    QObject* object = FindChrome(Name);
    if (!object)
        return false;
    // A pending item answers what its state would be once it has its command.
    const QVariant wanted = object->property(WantedProperty);
    if (IsPending(object))
        return wanted.isValid() && wanted.toBool();
    if (auto* item = qobject_cast<QAction*>(object))
        return item->isEnabled();
    return static_cast<QWidget*>(object)->isEnabled();
}

bool TWebForm::ChromeVisible(const std::string& Name) const {
    QObject* object = FindChrome(Name);
    if (auto* item = qobject_cast<QAction*>(object))
        return item->isVisible();
    if (auto* widget = qobject_cast<QWidget*>(object))
        return !widget->isHidden();
    return false;
}

// ---- Bars from the record and their toggles

bool TWebForm::TopMenuShown() const {
    chrome::TChromeFlags flags;
    flags.MenuBar = ViewerControls.Flag(vc::MenuBar);
    flags.FullScreen = FullScreen;
    flags.MaxFullScreen = MaxFullScreen;
    flags.FullScreenMenus = FullScreenMenus;
    return chrome::ChromeLayout(flags).TopMenu;
}

void TWebForm::ApplyChrome() {
    const TViewerControls& r = ViewerControls;
    chrome::TChromeFlags flags;
    flags.MenuBar = r.Flag(vc::MenuBar);
    flags.ToolBar = r.Flag(vc::ToolBar);
    flags.StatusBar = r.Flag(vc::StatusBar);
    flags.SideBar = r.Flag(vc::SideBar);
    flags.PathBox = r.Flag(vc::PathBox);
    flags.MergeToolbar = MergeToolbar;
    const chrome::TChromeLayout layout = chrome::ChromeLayout(flags);
    for (auto it = TopMenuItems.rbegin(); it != TopMenuItems.rend(); ++it)
        (*it)->menuAction()->setVisible(layout.TopMenu);
    _mnufname->setVisible(layout.TopMenu);
    if (!flags.ToolBar || MergeToolbar)
        ViewerControls.SetFlag(vc::ToolBar, false);
    mnuToolbarV->SetChecked(ViewerControls.Flag(vc::ToolBar));
    PanelTool->setVisible(layout.PanelTool);
    mnuStatusbarV->SetChecked(flags.StatusBar);
    StatusBar->setVisible(layout.StatusBar);
    mnuPathbox->SetChecked(flags.PathBox);
    PanelHistory->setVisible(layout.PanelHistory);
    if (MergeToolbar)
        LayoutMergedToolbar();
    if (!flags.SideBar) {
        ToolBar3->setVisible(false);
        Application.ProcessMessages();
    }
    mnuSideBarV->SetChecked(flags.SideBar);
    PanelSide->setVisible(layout.PanelSide);
    mnuMenubar->SetChecked(flags.MenuBar);
}

// The tool bar without captions at the left of the path box's panel; the path
// box takes the rest of the panel.
void TWebForm::LayoutMergedToolbar() {
    Toolbar1->setToolButtonStyle(Qt::ToolButtonIconOnly);
    Toolbar1->setIconSize(QSize(16, 16));
    Toolbar1->setMinimumHeight(0);
    Toolbar1->setMaximumHeight(QWIDGETSIZE_MAX);
    auto* row = static_cast<QHBoxLayout*>(PanelHistory->layout());
    row->insertWidget(0, Toolbar1, 0);
    ZoomBar->SetTickStyle(tsNone);
    ZoomBar->setFixedHeight(Toolbar1->sizeHint().height() + 6);
    PanelHistoryResize();
}

// The tool bar back in its own panel at the top, with captions.
void TWebForm::LayoutToolPanel() {
    Toolbar1->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    Toolbar1->setIconSize(QSize());
    static_cast<QHBoxLayout*>(PanelTool->layout())->addWidget(Toolbar1, 1);
    ZoomBar->SetTickStyle(tsAuto);
    ZoomBar->setMinimumHeight(0);
    ZoomBar->setMaximumHeight(QWIDGETSIZE_MAX);
    Toolbar1->show();
}

void TWebForm::mnuScreenBarClick(QObject*) {
    MergeToolbar = !MergeToolbar;
    ViewerControls.SetFlag(vc::MergeToolbar, MergeToolbar);
    if (MergeToolbar) {
        ViewerControls.SetFlag(vc::ToolBar, false);
        mnuToolbarV->SetChecked(false);
        PanelTool->setVisible(false);
        LayoutMergedToolbar();
    } else {
        LayoutToolPanel();
        ViewerControls.SetFlag(vc::ToolBar, true);
        mnuToolbarV->SetChecked(true);
        PanelTool->setVisible(!(FullScreen && MaxFullScreen));
        SetToolbarHeight();
        ToolbarResize();
        PanelHistoryResize();
    }
    Application.ProcessMessages();
}

void TWebForm::mnuMenubarClick(QObject* Sender) {
    const bool on = !ViewerControls.Flag(vc::MenuBar);
    ViewerControls.SetFlag(vc::MenuBar, on);
    mnuMenubar->SetChecked(on);
    const bool shown = TopMenuShown();
    for (auto it = TopMenuItems.rbegin(); it != TopMenuItems.rend(); ++it)
        (*it)->menuAction()->setVisible(shown);
    _mnufname->setVisible(shown);
    if (Sender != mnuViewV)
        Application.ProcessMessages();
}

// The full-screen and optimise buttons of a bar that was just shown.
static void ShowWindowButtons(TWebForm* form) {
    form->SetChromeEnabled("btnOptimizeWindow", !FullScreen);
    form->BtnFullScrn->setChecked(FullScreen);
}

void TWebForm::mnuToolbarVClick(QObject* Sender) {
    const bool on = !ViewerControls.Flag(vc::ToolBar);
    ViewerControls.SetFlag(vc::ToolBar, on);
    mnuToolbarV->SetChecked(on);
    PanelTool->setVisible(on && !MergeToolbar);
    if (on) {
        Application.ProcessMessages();
        ShowWindowButtons(this);
    }
    Toolbar1Resize(Sender);
}

void TWebForm::mnuStatusbarVClick(QObject*) {
    const bool on = !ViewerControls.Flag(vc::StatusBar);
    ViewerControls.SetFlag(vc::StatusBar, on);
    mnuStatusbarV->SetChecked(on);
    StatusBar->setVisible(on);
}

void TWebForm::mnuSideBarVClick(QObject* Sender) {
    const bool on = !ViewerControls.Flag(vc::SideBar);
    ViewerControls.SetFlag(vc::SideBar, on);
    mnuSideBarV->SetChecked(on);
    PanelSide->setVisible(on);
    Application.ProcessMessages();
    if (on) {
        ShowWindowButtons(this);
        ToolBar3->setVisible(true);
    }
    Toolbar1Resize(Sender);
}

void TWebForm::mnuPathboxClick(QObject* Sender) {
    const bool on = !ViewerControls.Flag(vc::PathBox);
    ViewerControls.SetFlag(vc::PathBox, on);
    mnuPathbox->SetChecked(on);
    PanelHistory->setVisible(on);
    Application.ProcessMessages();
    if (Sender != mnuViewV)
        PanelHistoryResize();
}

void TWebForm::ToolbarResize() { Toolbar1Resize(this); }

void TWebForm::Toolbar1Resize(QObject*) {
    if (!ViewerControls.Flag(vc::ToolBar) || MergeToolbar)
        return;
    PanelTool->setFixedHeight(Toolbar1->height() + 4);
}

void TWebForm::PanelHistoryResize() {
    // The path box takes the rest of the panel, never less than 64 pixels.
    History->setMinimumWidth(64);
    History->setFixedHeight(std::max(ToolBar2->sizeHint().height() - 2, History->minimumSizeHint().height()));
}

// ---- Shortcuts and keys

void TWebForm::ApplyShortCuts(bool Enable) {
    shortCutsOn_ = Enable;
    for (const chrome::TShortCut& shortcut : chrome::ShortCutTable()) {
        auto* item = qobject_cast<QAction*>(FindChrome(shortcut.Item));
        if (!item)
            continue;
        const bool keep = std::string(shortcut.Item) == chrome::KeptShortCutItem;
        item->setShortcut(Enable || keep ? QKeySequence(shortcut.Key) : QKeySequence());
    }
}

void TWebForm::ShortCuts_Enable() { ApplyShortCuts(true); }

void TWebForm::ShortCuts_Disable() { ApplyShortCuts(false); }

void TWebForm::OtherWindowActivated() {
    if (!isVisible())
        return;
    mnuFileV->setEnabled(false);
    mnuViewV->setEnabled(false);
    ShortCuts_Disable();
}

void TWebForm::FormKeyDown(QObject*, int& Key, Qt::KeyboardModifiers Shift) {
    chrome::TKeyContext context;
    context.SlideshowRunning = SlideshowRunning;
    context.MediaMode = MediaMode;
    context.PathBoxFocused = History->hasFocus() || (History->lineEdit() && History->lineEdit()->hasFocus());
    context.FullScreen = FullScreen;
    context.MenuBarVisible = TopMenuShown();
    context.BookmarkCount = ImageHistoryList.Count();
    context.FitWindow = FitWindow;
    context.ShortCutsOn = shortCutsOn_;
    const TKeyAction action = chrome::KeyAction(Key, Shift, context);
    if (action == TKeyAction::None)
        return;
    Key = 0;
    if (action == TKeyAction::Escape) {
        CancelPressed = 1;
        if (context.PathBoxFocused) {
            History->setEditText(QString::fromStdString(FileName));
            return;
        }
        EscapePressed = true;
        if (SlideshowRunning) {
            if (MediaMode)
                AV_UI(false);
            UserInterrupt = true;
        } else if (FullScreen) {
            LeaveFullScreen();
        }
        return;
    }
    RunKeyAction(static_cast<int>(action));
}

void TWebForm::RunKeyAction(int Action) {
    switch (static_cast<TKeyAction>(Action)) {
    case TKeyAction::Help:
        Application.HelpContext(0);
        break;
    case TKeyAction::ExplorerSelectAll:
        btnExploreClick(this);
        if (xplr8900::FileForm)
            xplr8900::FileForm->mnuSelectAllClick(this);
        break;
    case TKeyAction::Explore:
        btnExploreClick(this);
        break;
    case TKeyAction::Recycle:
        RecycleCurrentFile();
        break;
    case TKeyAction::FullScreen:
        mnuFullScrnClick(this);
        break;
    case TKeyAction::Fit:
        mnuFitWindowClick(this);
        break;
    case TKeyAction::Zoom100:
        SetZoomKey(100);
        break;
    case TKeyAction::Zoom25:
        SetZoomKey(25);
        break;
    case TKeyAction::Zoom50:
        SetZoomKey(50);
        break;
    case TKeyAction::Zoom75:
        SetZoomKey(75);
        break;
    case TKeyAction::ZoomUp:
        btnZoomUpClick(btnZoomUp);
        break;
    case TKeyAction::ZoomDown:
        btnZoomDnClick(btnZoomDn);
        break;
    case TKeyAction::PrevBookmark:
        btnPrevImageClick(this);
        break;
    case TKeyAction::NextBookmark:
        btnNextImageClick(this);
        break;
    case TKeyAction::Unmark:
        mnuBookmarkUnmarkClick(mnuBookmarkUnmark);
        break;
    case TKeyAction::BookmarkPanel:
        mnuBookmarksViewClick(this);
        break;
    case TKeyAction::MoveFile:
        mnuFMoveClick(mnuFMoveV, Qt::NoModifier);
        break;
    case TKeyAction::CopyFile:
        mnuFMoveClick(mnuFCopyV, Qt::NoModifier);
        break;
    case TKeyAction::Open:
        BtnOpenClick(mnuOpenV);
        break;
    case TKeyAction::ViewGamma:
        mnuViewGammaClick(mnuViewGamma);
        break;
    case TKeyAction::ScaleJPEG:
        mnuScaleJPEGClick(mnuScaleJPEG);
        break;
    case TKeyAction::BookmarkSlideshow:
        mnuHistorySlideshowClick(this);
        break;
    case TKeyAction::Analyze:
        mnuAnalyzeClick(mnuAnalyze, QGuiApplication::keyboardModifiers());
        break;
    case TKeyAction::None:
    case TKeyAction::Escape:
        // No key action, or one FormKeyDown handles itself.
        break;
    }
}

bool TWebForm::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    const bool historyControl = History && (watched == History || watched == History->lineEdit());
    if (historyControl && type == QEvent::FocusIn)
        Guarded([this] { HistoryEnter(); });
    else if (historyControl && type == QEvent::FocusOut)
        Guarded([this] { HistoryExit(); });
    if (watched == ZoomBar && type == QEvent::KeyRelease)
        Guarded([this] { ZoomBarKeyUp(ZoomBar); });
    if (watched == ZoomBar && type == QEvent::MouseButtonRelease) {
        const bool right = static_cast<QMouseEvent*>(event)->button() == Qt::RightButton;
        Guarded([this, right] { ZoomBarMouseUp(ZoomBar, right ? mbRight : mbLeft); });
    }
    if (type != QEvent::KeyPress)
        return QMainWindow::eventFilter(watched, event);
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->window() != this)
        return QMainWindow::eventFilter(watched, event);
    auto* keyEvent = static_cast<QKeyEvent*>(event);
    const int pressed = keyEvent->key();
    if (historyControl && (pressed == Qt::Key_Return || pressed == Qt::Key_Enter)) {
        char key = 13;
        Guarded([&] { HistoryKeyPress(History, key); });
        return key == 0;
    }
    int key = pressed;
    Guarded([&] { FormKeyDown(this, key, keyEvent->modifiers()); });
    return key == 0;
}

// ---- Enabling

void TWebForm::EnableControls() {
    const int kind = MediaMode ? 0 : 1;
    if (kind == 1 && ChromeEnabled("mnuInfo"))
        return;
    for (const char* name : {"btnFitWindow", "mnuFitWindow", "mnuFitWindow1"})
        SetChromeEnabled(name, true);
    ShowFitState();
    for (const char* name : {"BtnFullScrn", "mnuFullscrn", "mnuFullscrn1"})
        SetChromeEnabled(name, true);
    SetChromeEnabled("btnOptimizeWindow", !FullScreen);
    SetChromeEnabled("mnuOptimizeWindow", !FullScreen);
    SetChromeEnabled("mnuAdjustViewport", ChromeEnabled("mnuOptimizeWindow"));
    WindowFrameFree = !MediaMode;
    const bool picture = !MediaMode;
    for (const char* name : chrome::PictureOnlyItems())
        SetChromeEnabled(name, picture);
    if (picture)
        SetChromeEnabled("mnuAdjustViewport", ChromeEnabled("mnuOptimizeWindow"));
    // ToolBar3 holds commands that are not all built: its buttons keep their own state.
    ToolBar3->setEnabled(picture);
    HistoryControls();
    MainMenuPopup();
}

void TWebForm::PopupMainMenu(QWidget* Over, const QPoint& Pos) {
    PopupComponent = Over;
    MainMenuPopup();
    MainMenu->popup(Pos);
}

void TWebForm::MainMenuPopup() {
    if (MainMenuTag == 1)
        MainMenuTag = 0;
    QWidget* over = PopupComponent;
    chrome::TPopupContext context;
    context.OverBar = over && (over == Toolbar1 || over == ToolBar2 || over == ToolBar3 || over == StatusBar);
    context.OverPathBox = over && over == History;
    context.FullScreen = FullScreen;
    context.MaxFullScreen = MaxFullScreen;
    context.MergeToolbar = MergeToolbar;
    context.Media = MediaMode;
    context.MediaPlaying = MediaMode && ViewerPlayState == MediaPlaying;
    context.BookmarkCount = ImageHistoryList.Count();
    context.PageVisible = mnuPage1->isVisible();
    context.ClipboardHasBitmap = Clipboard().HasFormat(CF_BITMAP);
    context.BitCount = ImageBitCount;
    const chrome::TPopupState state = chrome::PopupState(context);
    for (const chrome::TItemState& item : state.Visible)
        SetChromeVisible(item.Name, item.On);
    for (const chrome::TItemState& item : state.Enabled)
        SetChromeEnabled(item.Name, item.On);
    mnuPathbox->SetCaption(state.PathboxCaption);
}

void TWebForm::MultiPageDisable() {
    PageCount = 0;
    mnuPage->setVisible(false);
    mnuPage1->setVisible(false);
    SetChromeEnabled("btnPageNext", false);
}

// ---- Status bar

void TWebForm::StatusText(const std::string& Text) {
    StatusTextValue = Text;
    if (StatusPanels[0])
        StatusPanels[0]->repaint();
}

void TWebForm::StatusReady() {
    std::string text = batch_8900::BatchRunning ? "Busy ..." : "Ready.";
    if (CancelPressed)
        text = "Ready.";
    StatusTextValue = text;
    SetStatusPanel(2, SizeText());
    StatusBar->repaint();
    StatusPanels[0]->repaint();
    Screen.SetCursor(crDefault);
}

std::string TWebForm::SizeText() const {
    if (JPEGReduced && !AspectChanged)
        return chrome::SizeText(PrevImageWidth, PrevImageHeight, ImageBitCount, JPEGScaleDivisor);
    // A bilevel page shown with grey levels is described as the page it is.
    if (FaxReduced)
        return chrome::SizeText(PrevImageWidth, PrevImageHeight, 1, FaxDivisor(FaxQuality));
    return chrome::SizeText(ImageWidth, ImageHeight, ImageBitCount, 1);
}

void TWebForm::ShowSizeText() { SetStatusPanel(2, SizeText()); }

void TWebForm::SetStatusPanel(int Index, const std::string& Text) {
    if (Index == 0) {
        StatusText(Text);
        return;
    }
    auto* label = static_cast<QLabel*>(StatusPanels[Index]);
    label->setText(QString::fromStdString(Text));
    // Panels 2 and 3 take the width of their text.
    if (Index >= 2)
        label->setFixedWidth(label->fontMetrics().horizontalAdvance(label->text()) + chrome::StatusTextMargin);
}

std::string TWebForm::StatusPanelText(int Index) const {
    if (Index == 0)
        return StatusTextValue;
    return static_cast<QLabel*>(StatusPanels[Index])->text().toStdString();
}

void TWebForm::StatusBarDrawPanel(QPainter& Canvas, const QRect& Rect) {
    ProgressRect = lumvor::Rect(Rect.left(), Rect.top(), Rect.right() + 1, Rect.bottom() + 1);
    Canvas.fillRect(Rect, palette().color(QPalette::Button));
    Canvas.setPen(palette().color(QPalette::ButtonText));
    const QFontMetrics metrics(Canvas.font());
    Canvas.drawText(Rect.left() + 3, Rect.top() + 4 + metrics.ascent(), QString::fromStdString(StatusTextValue));
}

// ---- Help

void TWebForm::mnuHelpContextClick(QObject* Sender) {
    auto* item = dynamic_cast<TMenuItem*>(Sender);
    Application.HelpContext(item ? item->Tag : 0);
}

void TWebForm::mnuWebpageClick(QObject*) {
    std::string folder;
    GetDataFolder(folder);
    const std::string page = folder + "vo.html";
    QFile file(QString::fromStdString(page));
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(QByteArray::fromStdString(chrome::LinksPage()));
    file.close();
    if (ExecuteFile(page, "", "", 1) <= 32)
        Application.HelpContext(990);
}

// ---- The path box

void TWebForm::HistoryKeyPress(QObject*, char& Key) {
    if (Key != 13)
        return;
    Key = 0;
    const std::string text = History->currentText().toStdString();
    if (!text.empty() && FileExists(text)) {
        // The picture already shown is not opened again.
        if (text != FileName) {
            FileName = text;
            FileExt = UpperCase(ExtractFileExt(FileName));
            BtnOpenEx(History);
        }
        return;
    }
    if (!text.empty() && FolderExists(text)) {
        const std::string folder = AddBackslash(text);
        if (folder != text)
            History->setEditText(QString::fromStdString(folder));
        btnExploreClick(History);
        return;
    }
    voMessageDlg("", "", "File not found.", mtInformation, mbOKOnly, AutoDefaultButton, 0);
    History->setEditText(QString::fromStdString(FileName));
}

void TWebForm::HistoryEditChange(QObject*) {}

// While the path box has the focus, Ctrl+V and Ctrl+C edit its text.
void TWebForm::HistoryEnter() {
    mnuPaste->setShortcut(QKeySequence());
    mnuCopy->setShortcut(QKeySequence());
}

void TWebForm::HistoryExit() {
    mnuPaste->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_V));
    mnuCopy->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
}

// ---- The recycle key

void TWebForm::RecycleCurrentFile() {
    if (!RecycleConfirmed("Recycle", FileName + "\n\n"))
        return;
    // A file that could not be recycled keeps its bookmark.
    if (RecycleFile(FileName))
        HistoryChangeUpdate();
    xplr8900::ExplorerDirty = true;
}

}  // namespace lumvor
