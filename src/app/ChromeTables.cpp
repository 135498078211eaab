#include "app/ChromeTables.h"

namespace lumvor::chrome {

const std::vector<TShortCut>& ShortCutTable() {
    static const std::vector<TShortCut> table = {
        {"mnuNextImage1", Qt::Key_PageDown},
        {"mnuPrevImage1", Qt::Key_PageUp},
        {"mnuFirstImage1", Qt::Key_Home},
        {"mnuLastImage1", Qt::Key_End},
        {"mnuDeleteV", Qt::SHIFT | Qt::Key_Delete},
        {"mnuRecycle", Qt::Key_Delete},
        {"mnuPaste", Qt::CTRL | Qt::Key_V},
        {"mnuCopy", Qt::CTRL | Qt::Key_C},
        {"mnuCopyViewport", Qt::SHIFT | Qt::CTRL | Qt::Key_C},
        {"mnuUndo", Qt::CTRL | Qt::Key_Z},
        {"mnuOptionsV", Qt::ALT | Qt::Key_O},
        {"mnuSlideAlbum", Qt::ALT | Qt::Key_S},
        {"mnuHistogram1", Qt::CTRL | Qt::Key_H},
        {"mnuFitWindow1", Qt::CTRL | Qt::Key_F},
        {"mnuHistoryClear", Qt::ALT | Qt::Key_End},
        {"mnuBookmarksView", Qt::CTRL | Qt::Key_B},
        {"mnuZoom1", Qt::ALT | Qt::Key_Z},
        {"mnuBookmarkUnmark", Qt::CTRL | Qt::Key_X},
        {"mnuBatchDelete", Qt::CTRL | Qt::Key_Delete},
    };
    return table;
}

TKeyAction KeyAction(int Key, Qt::KeyboardModifiers Shift, const TKeyContext& c) {
    const bool keypad = Shift.testFlag(Qt::KeypadModifier);
    const Qt::KeyboardModifiers mods = Shift & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    if (mods == Qt::AltModifier)
        return TKeyAction::None;
    const bool ctrl = mods.testFlag(Qt::ControlModifier);
    const bool shift = mods.testFlag(Qt::ShiftModifier);
    // The keys marked with a star act only outside slide shows and media and
    // while the path box does not have the focus.
    const bool free = !c.SlideshowRunning && !c.MediaMode && !c.PathBoxFocused;
    const bool marks = free && c.BookmarkCount >= 1;
    using A = TKeyAction;
    switch (Key) {
    case Qt::Key_F1:
        return A::Help;
    case Qt::Key_Escape:
        return A::Escape;
    case Qt::Key_F6:
        if (!ctrl || !free)
            return A::None;
        return shift ? A::NextBookmark : A::PrevBookmark;
    case Qt::Key_Up:
    case Qt::Key_Down:
        if (c.SlideshowRunning || !c.FullScreen || c.MediaMode || c.MenuBarVisible)
            return A::None;
        return Key == Qt::Key_Up ? A::PrevBookmark : A::NextBookmark;
    case Qt::Key_Plus:
    case Qt::Key_Minus:
    case Qt::Key_Equal:
        if (keypad) {
            // The keypad's keys zoom only in zoom mode.
            if (c.FitWindow || Key == Qt::Key_Equal)
                return A::None;
            return Key == Qt::Key_Plus ? A::ZoomUp : A::ZoomDown;
        }
        // The main row's keys (and with Ctrl, Ctrl+= too) act as the zoom
        // buttons; they belong to the path box while it has the focus.
        if (!c.ShortCutsOn || !free || (Key == Qt::Key_Equal && !ctrl))
            return A::None;
        return Key == Qt::Key_Minus ? A::ZoomDown : A::ZoomUp;
    case Qt::Key_Asterisk:
        return keypad && marks ? A::Unmark : A::None;
    default:
        break;
    }
    if (ctrl) {
        if (Key == Qt::Key_W)
            return A::FullScreen;
        if (Key == Qt::Key_O && !shift && c.ShortCutsOn && !c.SlideshowRunning)
            return A::Open;
        if (Key == Qt::Key_A && free)
            return A::ExplorerSelectAll;
        return A::None;
    }
    if (!free || keypad)
        return A::None;
    switch (Key) {
    case Qt::Key_Space: return A::Analyze;
    case Qt::Key_Left: return A::PrevBookmark;
    case Qt::Key_Right: return A::NextBookmark;
    case Qt::Key_1: return A::Zoom100;
    case Qt::Key_2: return A::Zoom25;
    case Qt::Key_5: return A::Zoom50;
    case Qt::Key_7: return A::Zoom75;
    case Qt::Key_B: return A::BookmarkPanel;
    case Qt::Key_D: return marks ? A::Recycle : A::None;
    case Qt::Key_E: return A::Explore;
    case Qt::Key_F: return A::Fit;
    case Qt::Key_G: return A::ViewGamma;
    case Qt::Key_H: return A::ScaleJPEG;
    case Qt::Key_M: return marks ? A::MoveFile : A::None;
    case Qt::Key_R: return A::BookmarkSlideshow;
    case Qt::Key_U: return marks ? A::Unmark : A::None;
    case Qt::Key_W: return A::FullScreen;
    case Qt::Key_Y: return marks ? A::CopyFile : A::None;
    default: return A::None;
    }
}

TChromeLayout ChromeLayout(const TChromeFlags& f) {
    TChromeLayout l;
    l.ToolbarMerged = f.MergeToolbar;
    l.TopMenu = f.MenuBar;
    l.PanelTool = f.ToolBar && !f.MergeToolbar;
    l.PanelHistory = f.PathBox;
    l.PanelSide = f.SideBar;
    l.StatusBar = f.StatusBar;
    if (f.FullScreen) {
        l.StatusBar = false;
        if (f.MaxFullScreen) {
            if (!f.FullScreenMenus)
                l.TopMenu = false;
            l.PanelTool = false;
            l.PanelHistory = false;
            l.PanelSide = false;
        }
    }
    return l;
}

std::vector<TItemState> ColorDepthItems(int b) {
    return {
        {"mnuNegative", b >= 8 || b == 1},
        {"mnuPromote1", b < 24},
        {"mnuPromote241", b < 24},
        {"mnuPromote81", b < 8},
        {"mnuPromote41", b < 4},
        {"mnuReduce1", b != 1},
        {"mnu8bpp1", b > 8},
        {"mnu8poster", b > 8},
        {"mnu4bpp1", b > 4},
        {"mnu4poster", b > 4},
    };
}

TPopupState PopupState(const TPopupContext& c) {
    TPopupState s;
    auto visible = [&s](const char* name, bool on) { s.Visible.push_back({name, on}); };
    auto enabled = [&s](const char* name, bool on) { s.Enabled.push_back({name, on}); };

    // The bar items show over a bar, and always in a full screen that keeps the bars.
    const bool fullKeepsBars = c.FullScreen && !c.MaxFullScreen;
    const bool barItems = c.OverBar || fullKeepsBars;
    for (const char* name : {"mnuToolbarV", "mnuStatusbarV", "mnuMenubar", "mnuSideBarV", "mnuPathbox"})
        visible(name, barItems);
    // The separator before them shows only where they always show, away from a bar.
    visible("_mnuSep", fullKeepsBars && !c.OverBar);

    // The picture items show away from the bars and the path box.
    const bool picture = !c.OverBar && !c.OverPathBox;
    const int n = c.BookmarkCount;
    const bool editV = picture && !c.Media && n > 0;
    const bool image = picture && n >= 2;
    const bool page = picture && c.PageVisible && n > 0;
    const bool slideshow = picture && n >= 2;
    visible("HomeEditV", editV);
    visible("HomeImage", image);
    visible("mnuPage", page);
    visible("mnuHistorySlideshow", slideshow);
    for (const char* name : {"mnuFullscrn", "mnuFitWindow", "mnuZoom", "mnuOpen", "mnuOptionsVP"})
        visible(name, picture);
    visible("mnuDeleteVP", picture && !c.Media);
    visible("mnuBookmarkUnmark3", picture && n > 0);
    visible("sepViewPage", editV || image || page);
    visible("sepSlideshow", slideshow);
    visible("sepView", picture);
    visible("sepOptions", picture);

    const bool listItems = c.OverPathBox && n > 0;
    visible("mnuHistoryClear2", listItems);
    visible("mnuHistorySort2", listItems);
    visible("_av", c.Media);
    visible("mnuAV_Play", c.Media);
    visible("mnuAV_Stop", c.Media);
    enabled("mnuAV_Stop", c.Media && c.MediaPlaying);

    for (const char* name : ClipboardItems())
        enabled(name, c.ClipboardHasBitmap);
    for (const TItemState& item : ColorDepthItems(c.BitCount))
        s.Enabled.push_back(item);

    if (c.MergeToolbar) {
        for (TItemState& item : s.Visible)
            if (item.Name == "mnuToolbarV")
                item.On = false;
        s.PathboxCaption = "&Tool bar";
    } else {
        s.PathboxCaption = "&Path box";
    }
    return s;
}

const std::vector<const char*>& ClipboardItems() {
    static const std::vector<const char*> items = {"homePaste", "homePaste1", "mnuEmpty",
                                                   "mnuEmpty1", "mnuPaste",   "mnuPaste1"};
    return items;
}

const std::vector<const char*>& SelectionItems() {
    static const std::vector<const char*> items = {"mnuTrim1",      "mnuTrim2",      "mnuCrop",
                                                   "mnuCrop1",      "mnuCopyMask",   "mnuCopyMask1",
                                                   "mnuPasteMask1", "mnuPasteMask2", "mnuRedEye1"};
    return items;
}

const std::vector<const char*>& PictureOnlyItems() {
    static const std::vector<const char*> items = {
        "btnCopy",       "btnTrash",     "btnSave",        "mnuSaveV",     "btnInfo",      "mnuInfo",
        "mnuPrint",      "btnPrint",     "btnSelectTool",  "chkSelectTool", "chkSelectTool2", "btnZoomTool",
        "chkZoomTool",   "chkZoomTool2", "mnuRegion1",     "mnuCopyMain1", "mnuCopyMain2", "mnuColorsV",
        "mnuImageV",     "mnuToolsV",    "homeLab",        "homeBatch",    "mnuZoomRegion", "mnuViewGamma",
        "mnuScaleJPEG",  "mnuAdjustViewport", "mnuNew",    "ToolBar3"};
    return items;
}

std::string SizeText(int Width, int Height, int Bits, int Divisor) {
    std::string text = std::to_string(Width) + "x" + std::to_string(Height) + "(" + std::to_string(Bits) + ")";
    if (Divisor > 1)
        text += " [1:" + std::to_string(Divisor) + "]";
    return text;
}

const std::vector<THelpItem>& HelpItems() {
    static const std::vector<THelpItem> items = {{"mnuIndex1", 0},
                                                 {"mnuHelpViewer", 100},
                                                 {"mnuHelpHotkeys", 110},
                                                 {"mnuHelpSlideshows1", 300},
                                                 {"mnuHelpImageprocessing", 400}};
    return items;
}

std::string LinksPage() {
    const std::string site = "https://www.quorvane.example/";
    auto link = [](const std::string& href, const std::string& text) {
        return "<li><a href=\"" + href + "\">" + text + "</a></li>\r\n";
    };
    return "<html>\r\n<head><title>Connect to Quorvane</title></head>\r\n<body>\r\n"
           "<h2>Connect to Quorvane</h2>\r\n<ul>\r\n" +
           link(site, "Home page") + link("mailto:support@quorvane.example", "E-mail") +
           "</ul>\r\n<h3>Online Tutorials</h3>\r\n<ul>\r\n" + link(site + "tutorials/imaging.html", "Image Processing") +
           link(site + "tutorials/avl.html", "AVL Slideshows") + "</ul>\r\n<h3>Misc. Online Resources</h3>\r\n<ul>\r\n" +
           link(site + "tips.html", "Tips and Tricks") + link(site + "hardware.html", "Hardware Advice") +
           link(site + "faq.html", "Frequently Asked Questions") + "</ul>\r\n</body>\r\n</html>\r\n";
}

}  // namespace lumvor::chrome
