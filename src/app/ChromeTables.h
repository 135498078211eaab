// The image window's chrome rules that need no window: which keys do what and
// when, which shortcuts the menu items carry, which pop-up and colour-depth
// items show or are enabled in which state, and the status bar's size text.
//
// The window (lumv8900_chrome.cpp) reads its controls into these contexts and
// applies the answers to its items by name.
#pragma once

#include <QKeySequence>
#include <Qt>

#include <string>
#include <vector>

namespace lumvor::chrome {

// One item's state in an enabling or visibility table: the item's name and
// whether it is on (enabled or visible, depending on the table).
struct TItemState {
    std::string Name;
    bool On = false;
    bool operator==(const TItemState&) const = default;
};

// ---- Shortcuts

struct TShortCut {
    const char* Item;
    QKeyCombination Key;
};

// The shortcuts ShortCuts_Enable installs, in order.
const std::vector<TShortCut>& ShortCutTable();
// The one shortcut ShortCuts_Disable leaves in place (the bookmark panel's).
const char* const KeptShortCutItem = "mnuBookmarksView";

// ---- Keys

enum class TKeyAction {
    None,
    Help,               // F1: help at context 0
    FullScreen,         // Ctrl+W, W
    Escape,             // stops long runs, leaves the path box or full screen
    Analyze,            // Space
    PrevBookmark,       // Left, Ctrl+F6, Up (full screen without menus)
    NextBookmark,       // Right, Shift+Ctrl+F6, Down (full screen without menus)
    Zoom100,            // 1
    Zoom25,             // 2
    Zoom50,             // 5
    Zoom75,             // 7
    ExplorerSelectAll,  // Ctrl+A
    BookmarkPanel,      // B
    Recycle,            // D
    Explore,            // E
    Fit,                // F
    ViewGamma,          // G
    ScaleJPEG,          // H
    MoveFile,           // M
    BookmarkSlideshow,  // R
    Open,               // Ctrl+O
    Unmark,             // U, keypad *
    CopyFile,           // Y
    ZoomUp,             // keypad +
    ZoomDown,           // keypad -
};

// What the window is doing when a key arrives.
struct TKeyContext {
    bool SlideshowRunning = false;
    bool MediaMode = false;
    bool PathBoxFocused = false;
    bool FullScreen = false;
    // The top menu is on screen (turned on, and not hidden by full screen).
    bool MenuBarVisible = true;
    int BookmarkCount = 0;
    bool FitWindow = false;
    // The window's keyboard shortcuts are on (another window may have taken them).
    bool ShortCutsOn = true;
};

// The action of a key (a Qt key code) with its modifiers; None when the key does
// nothing in that state. Keypad keys carry Qt::KeypadModifier.
TKeyAction KeyAction(int Key, Qt::KeyboardModifiers Shift, const TKeyContext& Context);

// ---- Chrome layout from the settings record

struct TChromeFlags {
    bool MenuBar = true;
    bool ToolBar = true;
    bool StatusBar = true;
    bool SideBar = true;
    bool PathBox = true;
    bool MergeToolbar = false;
    bool FullScreen = false;
    bool MaxFullScreen = false;
    bool FullScreenMenus = true;
};

// Which panels of the window show.
struct TChromeLayout {
    bool TopMenu = true;
    bool PanelTool = true;
    bool PanelHistory = true;
    bool PanelSide = true;
    bool StatusBar = true;
    // The tool bar sits in the path box's panel.
    bool ToolbarMerged = false;
    bool operator==(const TChromeLayout&) const = default;
};

// The panels that show for the bar flags, in the normal window or in full
// screen ("Max Full screen" hides every bar, the menus too unless "with Menus").
TChromeLayout ChromeLayout(const TChromeFlags& Flags);

// ---- Pop-up menu

struct TPopupContext {
    bool OverBar = false;      // opened over Toolbar1, ToolBar2, ToolBar3 or the status bar
    bool OverPathBox = false;  // opened over the path box
    bool FullScreen = false;
    bool MaxFullScreen = false;
    bool MergeToolbar = false;
    bool Media = false;
    bool MediaPlaying = false;
    int BookmarkCount = 0;
    bool PageVisible = false;  // the page menu is shown (a multi-page file)
    bool ClipboardHasBitmap = false;
    int BitCount = 24;
};

struct TPopupState {
    std::vector<TItemState> Visible;
    std::vector<TItemState> Enabled;
    // The caption of mnuPathbox: "&Tool bar" while merged, else "&Path box".
    std::string PathboxCaption;
};

// The pop-up menu's items before it opens (paste and colour-depth items
// included).
TPopupState PopupState(const TPopupContext& Context);

// The colour-depth items enabled or disabled for a picture of Bits per pixel.
std::vector<TItemState> ColorDepthItems(int Bits);

// The items enabled exactly while the clipboard holds a picture.
const std::vector<const char*>& ClipboardItems();

// The items a drawn selection enables (the red-eye item only through
// ShowSelection, the last of the list).
const std::vector<const char*>& SelectionItems();

// The items EnableControls enables only for pictures (not for media).
const std::vector<const char*>& PictureOnlyItems();

// ---- Status bar

// The picture size text: width + "x" + height + "(" + bits + ")", followed by
// " [1:" + divisor + "]" for a reduced JPEG decode (divisor above 1).
std::string SizeText(int Width, int Height, int Bits, int Divisor);

// Status panel widths.
constexpr int StatusPanelWidth[4] = {110, 44, 160, 80};
// Extra width of panels 2 and 3 beyond their text.
constexpr int StatusTextMargin = 12;

// ---- Help

// The help contexts of the help menu's items.
struct THelpItem {
    const char* Item;
    int Context;
};
const std::vector<THelpItem>& HelpItems();

// The links page the "&Tutorials" and "&Email us" items open ("vo.html").
std::string LinksPage();

}  // namespace lumvor::chrome
