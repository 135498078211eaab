// The image window's chrome: key and shortcut tables, bar toggles kept in the
// settings record, the merged tool bar, the pop-up and colour-depth enabling,
// the status panels, the path box and the help items.
#include "app/app_test_tools.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QCoreApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>

#include "app/ChromeTables.h"
#include "app/lumv8900.h"
#include "explorer/xplr8900.h"
#include "imaging/Helpers.h"
#include "platform/Folders.h"
#include "platform/Menus.h"
#include "platform/Registry.h"
#include "ui/Pix.h"
#include "ui/ScrollBoxEx.h"
#include "ui/Status_y.h"
#include "ui/voMsgBox.h"

#include <algorithm>
#include <string>
#include <vector>

using namespace lumvor;
using namespace lumvor::lumv8900;
using chrome::TKeyAction;

namespace {

void WriteRecords(const TViewerControls& viewer) {
    TRegistry registry;
    registry.OpenKey(SettingsKey, true);
    registry.WriteBinaryData(ViewerRecordName, viewer.Bytes.data(), TViewerControls::Size);
    TByteRecord<140> explorer;
    registry.WriteBinaryData(ExplorerRecordName, explorer.Bytes.data(), 140);
}

TViewerControls StoredDefaults() {
    TViewerControls record;
    SetViewerDefaults(record, 3);
    return record;
}

std::vector<uint8_t> StoredViewerRecord() {
    TRegistry registry;
    registry.OpenKey(SettingsKey, true);
    return registry.ReadBinary(ViewerRecordName);
}

bool ExplorerCalled(const std::string& call) {
    const auto& calls = xplr8900::FileForm->Calls;
    return std::find(calls.begin(), calls.end(), call) != calls.end();
}

std::string Caption(QObject* object) { return static_cast<QAction*>(object)->text().toStdString(); }

class ChromeTest : public ::testing::Test {
protected:
    void SetUp() override {
        ClearModalAnswers();
        ViewerControls = TViewerControls{};
        FirstActivationDone = 0;
        SlideshowRunning = MediaMode = FullScreen = UserInterrupt = EscapePressed = false;
        ImageChanged = JPEGReduced = AspectChanged = false;
        CancelPressed = 0;
        ImageHistoryList.Clear();
        ImageHistoryIndex = 0;
        RecycleYesToAll = false;
        xplr8900::ExplorerDirty = false;
        xplr8900::EControls = TByteRecord<140>{};
    }
    void TearDown() override {
        if (WebForm)
            WebForm->mnuQuit->Tag = 1;
        test::FreeWindows();
        ShellOpenDocument = nullptr;
    }
    // A start with stored settings, the window shown and activated.
    void Start(const TViewerControls& record = StoredDefaults()) {
        WriteRecords(record);
        MainUnitInit({});
        ASSERT_TRUE(ProgramStart());
        WebForm->show();
        WebForm->FormActivate();
        Application.OnIdle = nullptr;
        WebForm->show();
    }
    // Closes the window so that it writes the record, and starts again.
    void Restart() {
        WebForm->mnuQuit->Tag = 1;
        WebForm->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        delete xplr8900::FileForm;
        xplr8900::FileForm = nullptr;
        ViewerControls = TViewerControls{};
        MainUnitInit({});
        ASSERT_TRUE(ProgramStart());
        WebForm->show();
    }
    int Key(int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        int k = key;
        WebForm->FormKeyDown(WebForm, k, mods);
        return k;
    }
};

}  // namespace

// ---- Keys

TEST(ChromeKeys, EachKeyActsUnderItsCondition) {
    using A = TKeyAction;
    chrome::TKeyContext free;
    free.BookmarkCount = 1;
    chrome::TKeyContext noMarks;
    chrome::TKeyContext show = free;
    show.SlideshowRunning = true;
    chrome::TKeyContext media = free;
    media.MediaMode = true;
    chrome::TKeyContext pathBox = free;
    pathBox.PathBoxFocused = true;
    chrome::TKeyContext fullNoMenu = free;
    fullNoMenu.FullScreen = true;
    fullNoMenu.MenuBarVisible = false;
    chrome::TKeyContext fullWithMenu = free;
    fullWithMenu.FullScreen = true;
    chrome::TKeyContext fit = free;
    fit.FitWindow = true;
    chrome::TKeyContext shortCutsOff = free;
    shortCutsOff.ShortCutsOn = false;
    const auto none = Qt::NoModifier;
    const auto ctrl = Qt::ControlModifier;
    const auto alt = Qt::AltModifier;
    const auto pad = Qt::KeypadModifier;
    struct Case {
        int key;
        Qt::KeyboardModifiers mods;
        chrome::TKeyContext context;
        A expected;
    };
    const std::vector<Case> cases = {
        {Qt::Key_F1, none, show, A::Help},
        {Qt::Key_F1, alt, free, A::None},  // exactly Alt: nothing
        {Qt::Key_W, ctrl, show, A::FullScreen},
        {Qt::Key_W, none, free, A::FullScreen},
        {Qt::Key_W, none, show, A::None},
        {Qt::Key_Escape, none, pathBox, A::Escape},
        {Qt::Key_Space, none, free, A::Analyze},
        {Qt::Key_Space, none, media, A::None},
        {Qt::Key_Left, none, free, A::PrevBookmark},
        {Qt::Key_Right, none, free, A::NextBookmark},
        {Qt::Key_Right, none, pathBox, A::None},
        {Qt::Key_1, none, free, A::Zoom100},
        {Qt::Key_2, none, free, A::Zoom25},
        {Qt::Key_5, none, free, A::Zoom50},
        {Qt::Key_7, none, free, A::Zoom75},
        {Qt::Key_1, pad, free, A::None},
        {Qt::Key_3, none, free, A::None},
        {Qt::Key_A, ctrl, free, A::ExplorerSelectAll},
        {Qt::Key_A, ctrl, show, A::None},
        {Qt::Key_A, none, free, A::None},
        {Qt::Key_B, none, noMarks, A::BookmarkPanel},
        {Qt::Key_D, none, free, A::Recycle},
        {Qt::Key_D, none, noMarks, A::None},
        {Qt::Key_E, none, free, A::Explore},
        {Qt::Key_E, none, show, A::None},
        {Qt::Key_F, none, free, A::Fit},
        {Qt::Key_G, none, free, A::ViewGamma},
        {Qt::Key_H, none, free, A::ScaleJPEG},
        {Qt::Key_M, none, free, A::MoveFile},
        {Qt::Key_M, none, noMarks, A::None},
        {Qt::Key_R, none, free, A::BookmarkSlideshow},
        {Qt::Key_U, none, free, A::Unmark},
        {Qt::Key_Asterisk, pad, free, A::Unmark},
        {Qt::Key_Asterisk, none, free, A::None},
        {Qt::Key_U, none, noMarks, A::None},
        {Qt::Key_Y, none, free, A::CopyFile},
        {Qt::Key_Y, none, noMarks, A::None},
        {Qt::Key_F6, ctrl, free, A::PrevBookmark},
        {Qt::Key_F6, ctrl | Qt::ShiftModifier, free, A::NextBookmark},
        {Qt::Key_F6, none, free, A::None},
        {Qt::Key_Up, none, fullNoMenu, A::PrevBookmark},
        {Qt::Key_Down, none, fullNoMenu, A::NextBookmark},
        {Qt::Key_Down, none, fullWithMenu, A::None},
        {Qt::Key_Down, none, free, A::None},
        {Qt::Key_Plus, pad, free, A::ZoomUp},
        {Qt::Key_Minus, pad, free, A::ZoomDown},
        {Qt::Key_Plus, pad, fit, A::None},
        {Qt::Key_Plus, none, free, A::ZoomUp},
        {Qt::Key_Plus, Qt::ShiftModifier, fit, A::ZoomUp},
        {Qt::Key_Minus, none, fit, A::ZoomDown},
        {Qt::Key_Equal, none, free, A::None},
        {Qt::Key_Equal, ctrl, fit, A::ZoomUp},
        {Qt::Key_Plus, ctrl, free, A::ZoomUp},
        {Qt::Key_Minus, ctrl, fit, A::ZoomDown},
        {Qt::Key_Minus, ctrl, pathBox, A::None},
        {Qt::Key_Plus, none, pathBox, A::None},
        {Qt::Key_Plus, none, shortCutsOff, A::None},
        {Qt::Key_O, ctrl, free, A::Open},
        {Qt::Key_O, ctrl, pathBox, A::Open},
        {Qt::Key_O, ctrl, shortCutsOff, A::None},
        {Qt::Key_O, none, free, A::None},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(QKeySequence(c.key | c.mods.toInt()).toString().toStdString() + " key " + std::to_string(c.key));
        EXPECT_EQ(chrome::KeyAction(c.key, c.mods, c.context), c.expected);
    }
}

TEST_F(ChromeTest, ShortcutsComeAndGoButCtrlBStays) {
    Start();
    for (const chrome::TShortCut& s : chrome::ShortCutTable()) {
        auto* item = static_cast<QAction*>(WebForm->FindChrome(s.Item));
        ASSERT_NE(item, nullptr) << s.Item;
        EXPECT_EQ(item->shortcut(), QKeySequence(s.Key)) << s.Item;
    }
    EXPECT_EQ(WebForm->mnuCopyViewport->shortcut().toString().toStdString(), "Ctrl+Shift+C");
    WebForm->ShortCuts_Disable();
    for (const chrome::TShortCut& s : chrome::ShortCutTable()) {
        auto* item = static_cast<QAction*>(WebForm->FindChrome(s.Item));
        EXPECT_EQ(item->shortcut().isEmpty(), std::string(s.Item) != "mnuBookmarksView") << s.Item;
    }
    EXPECT_EQ(WebForm->mnuBookmarksView->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_B));
    WebForm->FormActivate();  // every activation installs them again
    EXPECT_EQ(WebForm->mnuRecycle->shortcut(), QKeySequence(Qt::Key_Delete));

    // Inside the path box Ctrl+V and Ctrl+C edit text; leaving it gives them back.
    WebForm->HistoryEnter();
    EXPECT_TRUE(WebForm->mnuPaste->shortcut().isEmpty());
    EXPECT_TRUE(WebForm->mnuCopy->shortcut().isEmpty());
    WebForm->HistoryExit();
    EXPECT_EQ(WebForm->mnuPaste->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_V));
    EXPECT_EQ(WebForm->mnuCopy->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_C));
}

TEST_F(ChromeTest, KeysActOnTheWindowOnlyWhenFree) {
    Start();
    long helpContext = -1;
    Application.OnHelp = [&](long context) {
        helpContext = context;
        return true;
    };
    EXPECT_EQ(Key(Qt::Key_F1), 0);
    EXPECT_EQ(helpContext, 0);

    xplr8900::FileForm->Calls.clear();
    EXPECT_EQ(Key(Qt::Key_E), 0);
    EXPECT_TRUE(ExplorerCalled("Show"));
    xplr8900::FileForm->Calls.clear();
    SlideshowRunning = true;
    EXPECT_EQ(Key(Qt::Key_E), Qt::Key_E);  // not handled: passed on
    EXPECT_TRUE(xplr8900::FileForm->Calls.empty());

    // Escape in a slide show stops it; elsewhere it only sets the flags.
    EXPECT_EQ(Key(Qt::Key_Escape), 0);
    EXPECT_EQ(CancelPressed, 1);
    EXPECT_TRUE(EscapePressed);
    EXPECT_TRUE(UserInterrupt);
    SlideshowRunning = false;

    // Escape in the path box gives back the current file's name.
    FileName = "/pictures/Shown.jpg";
    WebForm->History->setEditText("/typed/half");
    WebForm->History->setFocus();
    WebForm->History->lineEdit()->setFocus();
    if (WebForm->History->lineEdit()->hasFocus()) {
        EscapePressed = false;
        EXPECT_EQ(Key(Qt::Key_Escape), 0);
        EXPECT_EQ(WebForm->History->currentText().toStdString(), "/pictures/Shown.jpg");
        EXPECT_FALSE(EscapePressed);
        EXPECT_EQ(Key(Qt::Key_E), Qt::Key_E);
    }
}

TEST_F(ChromeTest, RecycleKeyAsksThenTrashesAndRemovesTheBookmark) {
    Start();
    const std::string file = ProgramFolder() + "gone.jpg";
    QFile(QString::fromStdString(file)).open(QIODevice::WriteOnly);
    FileName = file;
    EXPECT_EQ(Key(Qt::Key_D), Qt::Key_D);  // no bookmark: nothing
    ImageHistoryList.Add(file);
    xplr8900::EControls.SetByte(69, 1);  // confirm deletions

    std::vector<std::string> questions;
    QueueModalAction([&](QDialog& dialog) {
        questions.push_back(dialog.windowTitle().toStdString());
        if (auto* text = dialog.findChild<QLabel*>("Message"))
            questions.push_back(text->text().toStdString());
        dialog.done(mrNo);
    });
    WebForm->PendingCalls.clear();
    EXPECT_EQ(Key(Qt::Key_D), 0);
    ASSERT_EQ(questions.size(), 2u);
    EXPECT_EQ(questions[0], "Recycle");
    EXPECT_EQ(questions[1], file + "\n\n[Yes to All] avoids this dialog (for experts).");
    EXPECT_TRUE(FileExists(file));

    QueueModalResult(mrYesToAll);
    Key(Qt::Key_D);
    EXPECT_FALSE(FileExists(file));
    EXPECT_EQ(ImageHistoryList.Count(), 0);  // its bookmark went with it
    EXPECT_TRUE(xplr8900::ExplorerDirty);
    EXPECT_TRUE(RecycleYesToAll);
}

// ---- Bars

TEST_F(ChromeTest, BarTogglesAreStoredAndComeBack) {
    Start();
    EXPECT_TRUE(WebForm->mnuMenubar->Checked());
    WebForm->mnuMenubar->trigger();
    WebForm->mnuToolbarV->trigger();
    WebForm->mnuStatusbarV->trigger();
    WebForm->mnuSideBarV->trigger();
    WebForm->mnuPathbox->trigger();
    EXPECT_FALSE(WebForm->mnuFileV->menuAction()->isVisible());
    EXPECT_FALSE(WebForm->PanelTool->isVisible());
    EXPECT_FALSE(WebForm->StatusBar->isVisible());
    EXPECT_FALSE(WebForm->PanelSide->isVisible());
    EXPECT_FALSE(WebForm->PanelHistory->isVisible());
    Restart();
    const std::vector<uint8_t> stored = StoredViewerRecord();
    ASSERT_EQ(stored.size(), 168u);
    for (int offset : {48, 49, 50, 51, 126})
        EXPECT_EQ(stored[offset], 0) << offset;
    for (TMenuItem* item : {WebForm->mnuMenubar, WebForm->mnuToolbarV, WebForm->mnuStatusbarV, WebForm->mnuSideBarV,
                            WebForm->mnuPathbox})
        EXPECT_FALSE(item->Checked()) << item->Caption();
    for (QMenu* menu : WebForm->TopMenuItems)
        EXPECT_FALSE(menu->menuAction()->isVisible());
    EXPECT_FALSE(WebForm->PanelTool->isVisible());
    EXPECT_FALSE(WebForm->StatusBar->isVisible());
    EXPECT_FALSE(WebForm->PanelSide->isVisible());
    EXPECT_FALSE(WebForm->PanelHistory->isVisible());

    // And on again.
    WebForm->mnuMenubar->trigger();
    WebForm->mnuStatusbarV->trigger();
    WebForm->mnuSideBarV->trigger();
    Restart();
    const std::vector<uint8_t> again = StoredViewerRecord();
    EXPECT_EQ(again[48], 1);
    EXPECT_EQ(again[50], 1);
    EXPECT_EQ(again[51], 1);
    EXPECT_EQ(again[49], 0);
    EXPECT_TRUE(WebForm->mnuEditV->menuAction()->isVisible());
    EXPECT_TRUE(WebForm->StatusBar->isVisible());
    EXPECT_TRUE(WebForm->ToolBar3->isVisible());
}

TEST(ChromeLayout, FullScreenAndMergeRules) {
    chrome::TChromeFlags menuOff;
    menuOff.MenuBar = false;
    menuOff.FullScreen = true;
    menuOff.MaxFullScreen = true;
    menuOff.FullScreenMenus = true;
    EXPECT_FALSE(chrome::ChromeLayout(menuOff).TopMenu);  // "with Menus" does not bring it back

    chrome::TChromeFlags maxWithMenus = menuOff;
    maxWithMenus.MenuBar = true;
    chrome::TChromeLayout l = chrome::ChromeLayout(maxWithMenus);
    EXPECT_TRUE(l.TopMenu);
    EXPECT_FALSE(l.PanelTool || l.PanelHistory || l.PanelSide || l.StatusBar);

    chrome::TChromeFlags maxWithoutMenus = maxWithMenus;
    maxWithoutMenus.FullScreenMenus = false;
    EXPECT_FALSE(chrome::ChromeLayout(maxWithoutMenus).TopMenu);

    chrome::TChromeFlags plainFull;
    plainFull.FullScreen = true;
    l = chrome::ChromeLayout(plainFull);
    EXPECT_TRUE(l.TopMenu && l.PanelTool && l.PanelHistory && l.PanelSide);
    EXPECT_FALSE(l.StatusBar);

    chrome::TChromeFlags merged;
    merged.MergeToolbar = true;
    l = chrome::ChromeLayout(merged);
    EXPECT_FALSE(l.PanelTool);
    EXPECT_TRUE(l.PanelHistory && l.ToolbarMerged);
}

TEST_F(ChromeTest, MergedToolbarSitsInThePathBoxPanel) {
    TViewerControls record = StoredDefaults();
    record.SetFlag(vc::MergeToolbar, true);
    Start(record);
    EXPECT_EQ(WebForm->Toolbar1->parentWidget(), WebForm->PanelHistory);
    EXPECT_FALSE(WebForm->PanelTool->isVisible());
    EXPECT_TRUE(WebForm->PanelHistory->isVisible());
    EXPECT_FALSE(WebForm->mnuToolbarV->Checked());
    EXPECT_EQ(WebForm->Toolbar1->toolButtonStyle(), Qt::ToolButtonIconOnly);
    EXPECT_LT(WebForm->Toolbar1->x(), WebForm->ToolBar2->x());
    EXPECT_LT(WebForm->ToolBar2->x(), WebForm->History->x());

    WebForm->PopupComponent = WebForm->Toolbar1;
    WebForm->MainMenuPopup();
    EXPECT_FALSE(WebForm->mnuToolbarV->isVisible());
    EXPECT_TRUE(WebForm->mnuPathbox->isVisible());
    EXPECT_EQ(WebForm->mnuPathbox->Caption(), "&Tool bar");
}

// ---- Enabling

TEST(ChromeEnabling, ColorDepthItems) {
    struct Row {
        int bits;
        std::vector<std::string> enabled;
    };
    const std::vector<Row> rows = {
        {1, {"mnuNegative", "mnuPromote1", "mnuPromote241", "mnuPromote81", "mnuPromote41"}},
        {4, {"mnuPromote1", "mnuPromote241", "mnuPromote81", "mnuReduce1"}},
        {8, {"mnuNegative", "mnuPromote1", "mnuPromote241", "mnuReduce1", "mnu4bpp1", "mnu4poster"}},
        {24, {"mnuNegative", "mnuReduce1", "mnu8bpp1", "mnu8poster", "mnu4bpp1", "mnu4poster"}},
    };
    for (const Row& row : rows) {
        std::vector<std::string> on;
        for (const chrome::TItemState& item : chrome::ColorDepthItems(row.bits))
            if (item.On)
                on.push_back(item.Name);
        EXPECT_EQ(on, row.enabled) << row.bits << " bits";
    }
}

TEST_F(ChromeTest, PopupAndEnablingTablesFollowThePicture) {
    Start();
    // One bookmark: the bookmark controls (copy, recycle, info) are on as well.
    ImageHistoryList.Add("/a.jpg");
    WebForm->PopupComponent = WebForm->ScrollBox;
    WebForm->SetChromeEnabled("mnuInfo", false);  // else a shown picture's controls stay as they are
    WebForm->EnableControls();
    WebForm->HistoryControls();
    for (int bits : {1, 8, 24}) {
        SCOPED_TRACE(std::to_string(bits) + " bits");
        ImageBitCount = bits;
        WebForm->MainMenuPopup();
        for (const chrome::TItemState& item : chrome::ColorDepthItems(bits)) {
            EXPECT_EQ(WebForm->ChromeEnabled(item.Name), item.On) << item.Name;
            auto* action = static_cast<QAction*>(WebForm->FindChrome(item.Name));
            const bool pending = action->property("Pending").toBool();
            if (!action->menu()) {
                EXPECT_EQ(action->isEnabled(), item.On && !pending) << item.Name;
            }
        }
        // No selection: the selection items are off.
        for (const char* name : chrome::SelectionItems())
            EXPECT_FALSE(WebForm->ChromeEnabled(name)) << name;
        for (const char* name : chrome::PictureOnlyItems())
            EXPECT_TRUE(WebForm->ChromeEnabled(name)) << name;
    }
    // Media: the picture-only items go off.
    MediaMode = true;
    WebForm->EnableControls();  // media always runs it
    EXPECT_FALSE(WebForm->ChromeEnabled("mnuSaveV"));
    EXPECT_FALSE(WebForm->ToolBar3->isEnabled());
    MediaMode = false;

    // Over the picture with two bookmarks, over a bar, over the path box.
    ImageHistoryList.Add("/b.jpg");
    WebForm->PopupComponent = WebForm->Daz95;
    WebForm->MainMenuPopup();
    for (const char* name : {"HomeEditV", "HomeImage", "mnuHistorySlideshow", "mnuFitWindow", "mnuOpen",
                             "mnuBookmarkUnmark3", "sepViewPage"})
        EXPECT_TRUE(WebForm->ChromeVisible(name)) << name;
    for (const char* name : {"mnuToolbarV", "mnuPathbox", "mnuHistoryClear2", "mnuAV_Play", "mnuPage"})
        EXPECT_FALSE(WebForm->ChromeVisible(name)) << name;
    EXPECT_EQ(WebForm->mnuPathbox->Caption(), "&Path box");

    WebForm->PopupComponent = WebForm->StatusBar;
    WebForm->MainMenuPopup();
    for (const char* name : {"mnuToolbarV", "mnuStatusbarV", "mnuMenubar", "mnuSideBarV", "mnuPathbox"})
        EXPECT_TRUE(WebForm->ChromeVisible(name)) << name;
    for (const char* name : {"HomeEditV", "mnuFitWindow", "mnuOpen", "_mnuSep"})
        EXPECT_FALSE(WebForm->ChromeVisible(name)) << name;

    WebForm->PopupComponent = WebForm->History;
    WebForm->MainMenuPopup();
    EXPECT_TRUE(WebForm->ChromeVisible("mnuHistoryClear2"));
    EXPECT_TRUE(WebForm->ChromeVisible("mnuHistorySort2"));
    EXPECT_FALSE(WebForm->ChromeVisible("mnuOpen"));

    // The View menu shows the bar items again.
    emit WebForm->mnuViewV->aboutToShow();
    EXPECT_TRUE(WebForm->mnuToolbarV->isVisible());
}

TEST(ChromePopup, BookmarkCountsAndMedia) {
    chrome::TPopupContext one;
    one.BookmarkCount = 1;
    auto visible = [](const chrome::TPopupState& s, const std::string& name) {
        for (const auto& item : s.Visible)
            if (item.Name == name)
                return item.On;
        ADD_FAILURE() << name;
        return false;
    };
    chrome::TPopupState s = chrome::PopupState(one);
    EXPECT_TRUE(visible(s, "HomeEditV"));
    EXPECT_FALSE(visible(s, "HomeImage"));
    EXPECT_FALSE(visible(s, "sepSlideshow"));
    EXPECT_TRUE(visible(s, "sepViewPage"));

    chrome::TPopupContext media = one;
    media.Media = true;
    s = chrome::PopupState(media);
    EXPECT_FALSE(visible(s, "HomeEditV"));
    EXPECT_FALSE(visible(s, "mnuDeleteVP"));
    EXPECT_TRUE(visible(s, "mnuAV_Stop"));

    chrome::TPopupContext full;
    full.FullScreen = true;
    s = chrome::PopupState(full);
    EXPECT_TRUE(visible(s, "mnuStatusbarV"));
    EXPECT_TRUE(visible(s, "_mnuSep"));
    full.MaxFullScreen = true;
    s = chrome::PopupState(full);
    EXPECT_FALSE(visible(s, "mnuStatusbarV"));
    EXPECT_FALSE(visible(s, "_mnuSep"));
}

// ---- Status bar

TEST_F(ChromeTest, StatusPanelsShowReadyAndTheSize) {
    Start();
    WebForm->ShowFitState();
    EXPECT_EQ(WebForm->StatusPanelText(1), FitWindow ? "Fit" : "100%");
    ImageWidth = 640;
    ImageHeight = 480;
    ImageBitCount = 24;
    WebForm->StatusReady();
    EXPECT_EQ(WebForm->StatusPanelText(0), "Ready.");
    EXPECT_EQ(WebForm->StatusPanelText(2), "640x480(24)");

    // A reduced JPEG shows the file's size and the divisor.
    JPEGReduced = true;
    JPEGScaleDivisor = 4;
    PrevImageWidth = 2560;
    PrevImageHeight = 1920;
    ImageWidth = 640;
    WebForm->StatusReady();
    EXPECT_EQ(WebForm->StatusPanelText(2), "2560x1920(24) [1:4]");
    AspectChanged = true;
    WebForm->StatusReady();
    EXPECT_EQ(WebForm->StatusPanelText(2), "640x480(24)");
    JPEGReduced = AspectChanged = false;

    WebForm->StatusBusy("Saving x.png ...");
    EXPECT_EQ(WebForm->StatusPanelText(0), "Busy ...");
    EXPECT_EQ(WebForm->StatusPanelText(2), "Saving x.png ...");
    Screen.SetCursor(crDefault);

    // Panels 2 and 3 widen to their text.
    const int narrow = WebForm->StatusPanels[2]->width();
    WebForm->SetStatusPanel(2, std::string(60, 'W'));
    EXPECT_GT(WebForm->StatusPanels[2]->width(), narrow);
    EXPECT_GT(WebForm->StatusPanels[2]->width(), 160);

    ImageHistoryList.Add("/a.jpg");
    ImageHistoryList.Add("/b.jpg");
    ImageHistoryIndex = 1;
    WebForm->HistoryControls();
    EXPECT_EQ(WebForm->StatusPanelText(3), "2 of 2");
}

TEST(ChromeStatus, Texts) {
    EXPECT_EQ(chrome::SizeText(640, 480, 24, 1), "640x480(24)");
    EXPECT_EQ(chrome::SizeText(1, 1, 1, 8), "1x1(1) [1:8]");
}

// ---- Path box, help, minimise

TEST_F(ChromeTest, PathBoxOpensFilesAndFolders) {
    Start();
    const std::string file = ProgramFolder() + "typed.png";
    ASSERT_TRUE(QFile::copy(QString(LUMVOR_FIXTURES) + "/png/grey2.png", QString::fromStdString(file)));
    FileName = "Untitled";
    auto enter = [] {
        char key = 13;
        WebForm->HistoryKeyPress(WebForm->History, key);
        return key;
    };
    WebForm->History->setEditText(QString::fromStdString(file));
    EXPECT_EQ(enter(), 0);
    EXPECT_EQ(FileName, file);
    EXPECT_EQ(FileExt, ".PNG");
    EXPECT_TRUE(ImageLoaded);
    EXPECT_EQ(ImageHistoryList.Count(), 1);  // opened as a bookmark

    // The picture already shown is not opened again.
    ImageWidth = 12345;
    WebForm->History->setEditText(QString::fromStdString(file));
    enter();
    EXPECT_EQ(ImageWidth, 12345);

    // A folder gets its trailing separator and opens in the explorer.
    const std::string folder = RemoveBackslash(ProgramFolder());
    WebForm->History->setEditText(QString::fromStdString(folder));
    enter();
    EXPECT_EQ(WebForm->History->currentText().toStdString(), folder + "/");
    EXPECT_TRUE(ExplorerCalled("Show"));

    // Neither: a message and the current name back.
    std::string message;
    QueueModalAction([&](QDialog& dialog) {
        if (auto* text = dialog.findChild<QLabel*>("Message"))
            message = text->text().toStdString();
        dialog.done(mrOk);
    });
    WebForm->History->setEditText("/no/such/thing.jpg");
    enter();
    EXPECT_EQ(message, "File not found.");
    EXPECT_EQ(WebForm->History->currentText().toStdString(), file);

    // Other keys are left to the box.
    char other = 'a';
    WebForm->HistoryKeyPress(WebForm->History, other);
    EXPECT_EQ(other, 'a');
}

TEST_F(ChromeTest, HelpItemsAndTheLinksPage) {
    Start();
    std::vector<long> contexts;
    Application.OnHelp = [&](long context) {
        contexts.push_back(context);
        return true;
    };
    for (const char* name :
         {"mnuIndex1", "mnuHelpViewer", "mnuHelpHotkeys", "mnuHelpSlideshows1", "mnuHelpImageprocessing"})
        static_cast<QAction*>(WebForm->FindChrome(name))->trigger();
    EXPECT_EQ(contexts, (std::vector<long>{0, 100, 110, 300, 400}));
    EXPECT_EQ(Caption(WebForm->mnuWebpage), "&Tutorials");
    EXPECT_EQ(Caption(WebForm->mnuEmail), "&Email us");

    std::vector<std::string> opened;
    ShellOpenDocument = [&](const std::string& name) {
        opened.push_back(name);
        return true;
    };
    contexts.clear();
    WebForm->mnuWebpage->trigger();
    std::string data;
    GetDataFolder(data);
    ASSERT_EQ(opened, std::vector<std::string>{data + "vo.html"});
    QFile page(QString::fromStdString(data + "vo.html"));
    ASSERT_TRUE(page.open(QIODevice::ReadOnly));
    const std::string html = page.readAll().toStdString();
    for (const char* text : {"Connect to Quorvane", "Online Tutorials", "Image Processing", "AVL Slideshows",
                             "Misc. Online Resources", "Tips and Tricks", "Hardware Advice",
                             "Frequently Asked Questions", "mailto:"})
        EXPECT_NE(html.find(text), std::string::npos) << text;
    EXPECT_TRUE(contexts.empty());

    // The shell could not open it: the help's page instead.
    ShellOpenDocument = [](const std::string&) { return false; };
    WebForm->mnuEmail->trigger();
    EXPECT_EQ(contexts, std::vector<long>{990});
}

TEST_F(ChromeTest, MenusCarryTheirNamesCaptionsAndStates) {
    Start();
    const std::vector<std::string> top = {"&File", "&Edit", "&View", "&Image", "&Lab", "E&nhance", "&Tools", "&Help"};
    ASSERT_EQ(WebForm->TopMenuItems.size(), top.size());
    for (size_t i = 0; i < top.size(); ++i)
        EXPECT_EQ(WebForm->TopMenuItems[i]->title().toStdString(), top[i]);
    EXPECT_EQ(WebForm->_mnufname->Caption(), ".");
    EXPECT_EQ(WebForm->mnuFullscrn->Caption(), "Full screen");
    EXPECT_EQ(WebForm->mnuPageLast->Tag, 999);
    EXPECT_EQ(WebForm->mnuPagePrevious->Tag, -1);
    // Items whose commands are still to come are there but disabled.
    for (const char* name : {"mnuHistorySlideshow"}) {
        auto* item = static_cast<QAction*>(WebForm->FindChrome(name));
        ASSERT_NE(item, nullptr) << name;
        EXPECT_FALSE(item->isEnabled()) << name;
    }
    for (const char* name : {"mnuExit", "mnuAbout", "mnuWebpage", "mnuIndex1", "mnuOpenV", "mnuExplorer1", "mnuFitWindow1",
                             "mnuOptimizeWindow", "mnuSlideAlbum"})
        EXPECT_TRUE(static_cast<QAction*>(WebForm->FindChrome(name))->isEnabled()) << name;
    // The side bar's buttons, with their pictures' numbers.
    ASSERT_NE(WebForm->FindChrome("btnHistogram"), nullptr);
    EXPECT_EQ(WebForm->FindChrome("btnHistogram")->property("ImageIndex").toInt(), 41);
    EXPECT_EQ(WebForm->FindChrome("btnZoomTool")->property("ImageIndex").toInt(), 45);
}

TEST_F(ChromeTest, MinimisingDuringAShowInterruptsIt) {
    Start();
    SlideshowRunning = true;
    ASSERT_TRUE(Application.OnMinimize);
    Application.OnMinimize();
    EXPECT_TRUE(UserInterrupt);
    EXPECT_EQ(CancelPressed, 1);
    SlideshowRunning = false;
}
