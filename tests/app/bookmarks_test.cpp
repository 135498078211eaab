// The bookmark list: its logic on plain lists, its list files, and the image
// window's commands over it.
#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

#include "app/Bookmarks.h"
#include "app/lumv8900.h"
#include "app/app_test_tools.h"
#include "explorer/xplr8900.h"
#include "imaging/Helpers.h"
#include "platform/Folders.h"
#include "platform/Menus.h"
#include "platform/Streams.h"
#include "processing/script/LabState.h"
#include "ui/MeOpenDialogEx.h"
#include "ui/MeSaveDialogEx.h"
#include "ui/Status_y.h"
#include "ui/VListShowEx.h"
#include "ui/listdlg_y.h"
#include "ui/voMsgBox.h"
#include "support/file_helpers.h"
#include "support/message_boxes.h"

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

using namespace lumvor;
using namespace lumvor::lumv8900;

namespace {

using Names = std::vector<std::string>;

TStringList ListOf(const Names& names) {
    TStringList list;
    for (const std::string& name : names)
        list.Add(name);
    return list;
}

using test::Lines;

}  // namespace

// ---- The list logic

TEST(BookmarkLogic, InsertFollowsTheCurrentEntryExceptAtTheFirst) {
    struct Case {
        Names list;
        int32_t index;
        std::string name;
        Names after;
        int32_t indexAfter;
    };
    const std::vector<Case> cases = {
        {{}, 0, "a", {"a"}, 0},
        {{"a", "b", "c"}, 0, "n", {"n", "a", "b", "c"}, 0},      // in front while the first is current
        {{"a", "b", "c", "d"}, 2, "n", {"a", "b", "c", "n", "d"}, 3},
        {{"a", "b"}, 1, "n", {"a", "b", "n"}, 2},
        {{"a", "b"}, 1, "b", {"a", "b"}, 1},                      // the current entry again
        {{"/p/A.jpg"}, 0, "/p/a.jpg", {"/p/a.jpg", "/p/A.jpg"}, 0},  // another file by case
        {{"a", "b"}, 0, "b", {"b", "a", "b"}, 0},                 // duplicates are allowed
    };
    for (const Case& c : cases) {
        TStringList list = ListOf(c.list);
        int32_t index = c.index;
        InsertBookmark(list, index, c.name);
        EXPECT_EQ(Lines(list), c.after) << c.name << " at " << c.index;
        EXPECT_EQ(index, c.indexAfter) << c.name << " at " << c.index;
    }
}

TEST(BookmarkLogic, StepsWrapAtBothEnds) {
    EXPECT_EQ(StepBookmark(2, 3, +1), 0);
    EXPECT_EQ(StepBookmark(0, 3, -1), 2);
    EXPECT_EQ(StepBookmark(1, 3, +1), 2);
    EXPECT_EQ(StepBookmark(1, 3, -1), 0);
    EXPECT_EQ(StepBookmark(0, 1, +1), 0);  // one entry does not move
    EXPECT_EQ(StepBookmark(0, 0, -1), 0);
}

TEST(BookmarkLogic, RemovingTheCurrentEntry) {
    struct Case {
        Names list;
        int32_t index;
        bool left;
        Names after;
        int32_t indexAfter;
    };
    const std::vector<Case> cases = {
        {{"a", "b", "c"}, 2, false, {"a", "b"}, 0},  // the last of three: nothing at index 2
        {{"a", "b", "c", "d"}, 3, true, {"a", "b", "c"}, 2},
        {{"a", "b", "c"}, 1, true, {"a", "c"}, 1},
        {{"a", "b"}, 1, true, {"a"}, 0},
        {{"a"}, 0, false, {}, 0},
        {{}, 0, false, {}, 0},
        {{"a", "b"}, 5, false, {"a", "b"}, 0},  // an index out of range removes nothing
    };
    for (const Case& c : cases) {
        TStringList list = ListOf(c.list);
        int32_t index = c.index;
        EXPECT_EQ(RemoveCurrentBookmark(list, index), c.left) << c.list.size() << " at " << c.index;
        EXPECT_EQ(Lines(list), c.after) << c.list.size() << " at " << c.index;
        EXPECT_EQ(index, c.indexAfter) << c.list.size() << " at " << c.index;
    }
}

TEST(BookmarkLogic, SortReverseAndPrune) {
    const auto all = [](const std::string&) { return true; };
    TStringList list = ListOf({"/p/B.jpg", "/p/d.jpg", "/p/a.jpg", "/p/C.jpg"});
    SortBookmarks(list, false, all);
    EXPECT_EQ(Lines(list), Names({"/p/a.jpg", "/p/B.jpg", "/p/C.jpg", "/p/d.jpg"}));  // case aside
    SortBookmarks(list, true, all);
    EXPECT_EQ(Lines(list), Names({"/p/d.jpg", "/p/C.jpg", "/p/B.jpg", "/p/a.jpg"}));
    TStringList two = ListOf({"A", "B"});
    SortBookmarks(two, true, all);
    EXPECT_EQ(Lines(two), Names({"B", "A"}));

    // Equal names keep one entry; names that differ in case are two files and
    // stay, in the same order whatever order they came in; gone files go.
    const auto exists = [](const std::string& name) { return name.find("gone") == std::string::npos; };
    for (const Names& in : {Names{"/p/x.jpg", "/p/X.jpg", "/p/gone.jpg", "/p/x.jpg"},
                            Names{"/p/X.jpg", "/p/x.jpg", "/p/x.jpg", "/p/gone.jpg"}}) {
        TStringList mixed = ListOf(in);
        SortBookmarks(mixed, false, exists);
        EXPECT_EQ(Lines(mixed), Names({"/p/X.jpg", "/p/x.jpg"}));
    }
    TStringList empty;
    SortBookmarks(empty, true, all);
    EXPECT_EQ(empty.Count(), 0);
}

TEST(BookmarkLogic, PositionText) {
    EXPECT_EQ(BookmarkCountText(0, 0), "..");
    EXPECT_EQ(BookmarkCountText(1, 0), "1 bookmark");
    EXPECT_EQ(BookmarkCountText(10, 2), "3 of 10");
}

TEST(BookmarkLogic, FileNameInTheFullScreenMenuBar) {
    TMenuFileNameInput in;
    in.PathText = "/pictures/Holiday/Beach.JPG";
    in.SizeText = "640x480(24)";
    in.ScreenWidth = 1000;
    in.MenuWidth = 200;
    in.CharWidth = 10;  // n = 800 / 10 - 26 = 54
    in.Count = 1;
    EXPECT_EQ(MenuFileNameCaption(in), "/pictures/Holiday/Beach.JPG 640x480(24)");
    in.Count = 5;
    in.Index = 1;
    in.Fit = true;
    EXPECT_EQ(MenuFileNameCaption(in), "2 of 5 .../pictures/holiday/beach.jpg 640x480(24) Fit");
    in.Count = 0;
    in.Fit = false;
    in.ScreenWidth = 200 + 10 * (26 + 12);  // n = 12: the bare name fits
    EXPECT_EQ(MenuFileNameCaption(in), "Beach.JPG 640x480(24)");
    in.PathText = "/pictures/a-very-long-name.jpg";
    EXPECT_EQ(MenuFileNameCaption(in), "ong-name.jpg 640x480(24)");  // its last 12 characters
    in.ScreenWidth -= 10;  // n = 11
    EXPECT_EQ(MenuFileNameCaption(in), "...");
    in.Untitled = true;
    in.ImageWidth = 32;
    in.ImageHeight = 16;
    EXPECT_EQ(MenuFileNameCaption(in), "Untitled 32x16");
}

// ---- List files

TEST(BookmarkFiles, AListRoundTripsWithCrLf) {
    const std::string name = ProgramFolder() + "round trip.vop";
    const Names names = {"/pictures/My Holiday/beach 01.jpg", "/pictures/café/menu.png", "/p/a.jpg"};
    ListOf(names).SaveToFile(name);
    EXPECT_EQ(test::ReadFileText(name), "/pictures/My Holiday/beach 01.jpg\r\n/pictures/café/menu.png\r\n/p/a.jpg\r\n");
    TStringList loaded = ListOf({"old"});
    LoadBookmarkFile(name, loaded);
    EXPECT_EQ(Lines(loaded), names);
    EXPECT_GE(loaded.Capacity(), BookmarkFileCapacity);
}

TEST(BookmarkFiles, AHandWrittenListWithLfAndWindows1252Loads) {
    TStringList loaded;
    LoadBookmarkFile(std::string(LUMVOR_FIXTURES) + "/bookmarks/hand_lf_1252.vop", loaded);
    EXPECT_EQ(Lines(loaded), Names({"/pictures/My Holiday/beach 01.jpg", "/pictures/café/menu.png",
                                    "/pictures/Case.JPG", "/pictures/case.jpg"}));
}

TEST(BookmarkFiles, AnUnreadableFileLeavesTheListAlone) {
    TStringList list = ListOf({"/p/a.jpg", "/p/b.jpg"});
    EXPECT_THROW(LoadBookmarkFile(ProgramFolder() + "missing.vop", list), Exception);
    EXPECT_THROW(LoadBookmarkFile(ProgramFolder(), list), Exception);  // a folder
    EXPECT_EQ(Lines(list), Names({"/p/a.jpg", "/p/b.jpg"}));
}

// ---- The window's commands

namespace {

using test::Answer;
using test::Box;

class BookmarkWindow : public ::testing::Test {
protected:
    void SetUp() override {
        ClearModalAnswers();
        ImageHistoryList.Clear();
        ImageHistoryIndex = 0;
        ExploreDir.clear();
        RecentPath.clear();
        IsBusy = 0;
        SlideshowRunning = MediaMode = FullScreen = false;
        batch_8900::BatchRunning = false;
        MainUnitInit({});
        ASSERT_TRUE(ProgramStart());
        form = WebForm;
        // Showing the window must not run the first activation's windows.
        FirstActivationDone = 1;
        form->PendingCalls.clear();
        QObject::connect(form, &QWidget::windowTitleChanged, form, [this] {
            if (FileName != "Untitled")
                opened.push_back(FileName);
        });
    }
    void TearDown() override {
        test::FreeWindows();
    }

    // A picture in the test's home folder.
    std::string File(const std::string& name) {
        const bool png = UpperCase(ExtractFileExt(name)) == ".PNG";
        return lumvor::test::CopyToHome(png ? "png/rgb8.png" : "jpeg/baseline_444.jpg", name);
    }
    void SetList(const Names& names, int32_t index) {
        ImageHistoryList.Assign(ListOf(names));
        ImageHistoryIndex = index;
    }
    // The files shown, in order (each open names its file in the caption).
    std::vector<std::string> Opened() const { return opened; }
    std::vector<std::string> opened;
    std::string PathBox() const { return form->History->currentText().toStdString(); }

    TWebForm* form = nullptr;
};

}  // namespace

TEST_F(BookmarkWindow, NextAndPreviousWrapAndOpen) {
    const std::string a = File("a.jpg"), b = File("b.png"), c = File("C.JPG");
    SetList({a, b, c}, 2);
    form->btnNextImageClick(nullptr);
    EXPECT_EQ(ImageHistoryIndex, 0);
    EXPECT_EQ(FileName, a);
    EXPECT_EQ(FileExt, ".JPG");
    form->btnPrevImageClick(nullptr);
    EXPECT_EQ(ImageHistoryIndex, 2);
    EXPECT_EQ(FileExt, ".JPG");
    EXPECT_EQ(Opened(), Names({a, c}));

    SetList({a}, 0);
    opened.clear();
    form->btnNextImageClick(nullptr);
    form->btnPrevImageClick(nullptr);
    EXPECT_TRUE(Opened().empty());
}

TEST_F(BookmarkWindow, SteppingOntoGoneFilesRemovesThem) {
    const std::string a = File("a.jpg"), d = File("d.jpg");
    const std::string gone1 = ProgramFolder() + "gone1.jpg", gone2 = ProgramFolder() + "gone2.jpg";
    SetList({a, gone1, gone2, d}, 0);
    form->btnNextImageClick(nullptr);
    EXPECT_EQ(Lines(ImageHistoryList), Names({a, d}));
    EXPECT_EQ(ImageHistoryIndex, 1);
    EXPECT_EQ(FileName, d);
    EXPECT_EQ(Opened(), Names({d}));
    EXPECT_EQ(PathBox(), d);
}

TEST_F(BookmarkWindow, RemovingTheLastOfThreeShowsABlankPicture) {
    const std::string a = File("a.jpg"), b = File("b.jpg"), c = File("c.jpg");
    SetList({a, b, c}, 2);
    FileName = c;
    form->History->setEditText(QString::fromStdString(c));
    form->HistoryChangeUpdate();
    EXPECT_EQ(Lines(ImageHistoryList), Names({a, b}));
    EXPECT_EQ(ImageHistoryIndex, 0);
    EXPECT_EQ(FileName, "Untitled");
    EXPECT_EQ(PathBox(), "");
    EXPECT_TRUE(Opened().empty());
}

TEST_F(BookmarkWindow, RemovingNeverLeavesAGoneFileNamed) {
    // The file shown was deleted, and so was the one after it.
    const std::string b = File("b.jpg");
    SetList({ProgramFolder() + "gone1.jpg", ProgramFolder() + "gone2.jpg", b}, 0);
    form->HistoryChangeUpdate();
    EXPECT_EQ(Lines(ImageHistoryList), Names({b}));
    EXPECT_EQ(FileName, b);
    EXPECT_EQ(Opened(), Names({b}));

    SetList({ProgramFolder() + "gone1.jpg", ProgramFolder() + "gone2.jpg"}, 0);
    form->HistoryChangeUpdate();
    EXPECT_EQ(ImageHistoryList.Count(), 0);
    EXPECT_EQ(FileName, "Untitled");
}

TEST_F(BookmarkWindow, UnmarkAsksUntilYesToAll) {
    const std::string a = File("a.jpg"), b = File("b.jpg"), c = File("c.jpg");
    form->mnuBookmarkUnmark = new TMenuItem("&Unmark", form);
    SetList({a, b, c}, 0);
    std::vector<Box> boxes;
    Answer(boxes, mrNo);
    form->mnuBookmarkUnmarkClick(nullptr);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].title, "Remove bookmark");
    EXPECT_EQ(boxes[0].text, "[Yes to All] avoids this dialog (for experts).");
    EXPECT_EQ(ImageHistoryList.Count(), 3);

    Answer(boxes, mrYesToAll);
    form->mnuBookmarkUnmarkClick(nullptr);
    EXPECT_EQ(Lines(ImageHistoryList), Names({b, c}));
    EXPECT_EQ(form->mnuBookmarkUnmark->Tag, 1);
    form->mnuBookmarkUnmarkClick(nullptr);  // no question any more
    EXPECT_EQ(boxes.size(), 2u);
    EXPECT_EQ(Lines(ImageHistoryList), Names({c}));
    EXPECT_EQ(FileName, c);
}

TEST_F(BookmarkWindow, AddingAfterAnOpen) {
    const std::string a = File("a.jpg"), b = File("B.jpg");
    FileName = a;
    form->UpdateHistory(true);
    FileName = b;
    form->UpdateHistory(true);
    form->UpdateHistory(true);  // the same picture again
    EXPECT_EQ(Lines(ImageHistoryList), Names({b, a}));
    EXPECT_EQ(PathBox(), b);
    EXPECT_EQ(form->StatusPanelText(3), "1 of 2");

    batch_8900::BatchRunning = true;
    FileName = File("c.jpg");
    form->UpdateHistory(true);
    batch_8900::BatchRunning = false;
    EXPECT_EQ(ImageHistoryList.Count(), 2);
}

TEST_F(BookmarkWindow, ControlsFollowTheCount) {
    QToolButton* next = form->btnNextImage;
    auto* home = static_cast<QAction*>(form->HomeImage);
    TMenuItem* sort = form->mnuHistorySort;
    for (const auto& [names, several, any] :
         std::vector<std::tuple<Names, bool, bool>>{{{}, false, false}, {{"a"}, false, true}, {{"a", "b"}, true, true}}) {
        SetList(names, 0);
        form->HistoryControls();
        form->mnuBookmarksClick(nullptr);
        EXPECT_EQ(next->isEnabled(), several) << names.size();
        EXPECT_EQ(home->isVisible(), several) << names.size();
        // The recycle button and the slide show wait for their commands: their wanted state.
        EXPECT_EQ(form->ChromeEnabled("btnTrash"), any) << names.size();
        EXPECT_EQ(sort->isEnabled(), several) << names.size();
        EXPECT_EQ(form->ChromeEnabled("mnuHistorySlideshow"), several) << names.size();
    }
}

TEST_F(BookmarkWindow, ClearShowsABlankPicture) {
    SetList({File("a.jpg"), File("b.jpg")}, 1);
    form->History->setEditText("x");
    form->mnuHistoryClearClick(nullptr);
    EXPECT_EQ(ImageHistoryList.Count(), 0);
    EXPECT_EQ(ImageHistoryIndex, 0);
    EXPECT_EQ(FileName, "Untitled");
    EXPECT_EQ(PathBox(), "");
}

TEST_F(BookmarkWindow, SortOpensTheFirstUnlessShown) {
    const std::string a = File("a.jpg"), b = File("B.jpg"), c = File("c.jpg"), d = File("D.jpg");
    form->mnuHistorySortReverse = new TMenuItem("&Reverse", form);
    SetList({c, a, ProgramFolder() + "gone.jpg", d, b, a}, 3);
    FileName = d;
    form->mnuHistorySortClick(form->mnuHistorySortReverse);
    EXPECT_EQ(Lines(ImageHistoryList), Names({d, c, b, a}));
    EXPECT_EQ(ImageHistoryIndex, 0);
    EXPECT_TRUE(Opened().empty());  // the first is the picture shown
    form->mnuHistorySortClick(nullptr);
    EXPECT_EQ(Lines(ImageHistoryList), Names({a, b, c, d}));
    EXPECT_EQ(Opened(), Names({a}));
}

TEST_F(BookmarkWindow, SaveWritesTheListAndOffersTheRecentFolder) {
    const std::string a = File("a.jpg"), b = File("b c.jpg");
    SetList({a, b}, 0);
    const std::string target = ProgramFolder() + "saved.vop";
    std::string title, preset, recentDir;
    // The first run asks for the recent folder; the second saves.
    QueueModalAction([&](QDialog& d) {
        title = d.windowTitle().toStdString();
        preset = d.findChild<QLineEdit*>("fileNameEdit")->text().toStdString();
        form->SaveDialogVOP->FRecent()->click();
    });
    QueueModalAction([&](QDialog& d) {
        auto& dialog = static_cast<QFileDialog&>(d);
        recentDir = dialog.directory().absolutePath().toStdString();
        dialog.selectFile(QString::fromStdString(target));
        static_cast<QDialog&>(dialog).accept();
    });
    form->mnuHistorySaveClick(nullptr);
    EXPECT_EQ(QueuedModalAnswers(), 0);
    EXPECT_EQ(title, "Save Bookmarks");
    EXPECT_EQ(preset, "Untitled");
    EXPECT_EQ(RecentPath, ProgramFolder() + "recent");
    EXPECT_TRUE(DirectoryExists(RecentPath));
    EXPECT_EQ(recentDir, RecentPath);
    EXPECT_EQ(test::ReadFileText(target), a + "\r\n" + b + "\r\n");
    // The folder is logged ("&Log visited folders" is on by default).
    ASSERT_TRUE(ViewerControls.Flag(vc::LogVisited));
    int links = 0;
    for (const auto& entry : std::filesystem::directory_iterator(RecentPath))
        links += entry.is_symlink() &&
                 std::filesystem::read_symlink(entry.path()) == ExcludeTrailingPathDelimiter(ProgramFolder());
    EXPECT_EQ(links, 1);
}

TEST_F(BookmarkWindow, CancellingTheSaveDialogWritesNothing) {
    SetList({File("a.jpg")}, 0);
    QueueModalAction([](QDialog& d) { d.reject(); });
    form->mnuHistorySaveClick(nullptr);
    EXPECT_FALSE(FileExists(ProgramFolder() + "Untitled.vop"));
}

TEST_F(BookmarkWindow, TheExplorerLoadsTheListItNamed) {
    const std::string list = ProgramFolder() + "handed.vop";
    ListOf({"/p/one.jpg", "/p/two.jpg"}).SaveToFile(list);
    SetList({"/p/old.jpg"}, 0);
    form->OpenDialogAny->SetFileName(list);
    form->mnuHistoryLoadClick(xplr8900::FileForm);  // no dialog is shown
    EXPECT_EQ(Lines(ImageHistoryList), Names({"/p/one.jpg", "/p/two.jpg"}));
    EXPECT_EQ(ImageHistoryIndex, 0);
    EXPECT_GE(ImageHistoryList.Capacity(), BookmarkFileCapacity);
    EXPECT_EQ(form->OpenDialogAny->Title, "Load Bookmarks");
    EXPECT_EQ(form->OpenDialogAny->Filter, "Lumvor List|*.vop");
}

TEST_F(BookmarkWindow, AListThatCannotBeReadKeepsTheOldOneAndSaysSo) {
    SetList({"/p/a.jpg", "/p/b.jpg"}, 1);
    form->OpenDialogAny->SetFileName(ProgramFolder() + "missing.vop");
    std::vector<Box> boxes;
    Answer(boxes, mrOk);
    form->mnuHistoryLoadClick(xplr8900::FileForm);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Could not load bookmarks.");
    EXPECT_EQ(Lines(ImageHistoryList), Names({"/p/a.jpg", "/p/b.jpg"}));
    EXPECT_EQ(ImageHistoryIndex, 1);
    EXPECT_EQ(Screen.Cursor(), crDefault);
}

TEST_F(BookmarkWindow, LoadingThroughTheDialogShowsTheList) {
    const std::string a = File("a.jpg"), b = File("b.jpg");
    const std::string list = ProgramFolder() + "pick.vop";
    ListOf({a, b}).SaveToFile(list);
    form->show();
    QueueModalAction([&](QDialog& d) {
        auto& dialog = static_cast<QFileDialog&>(d);
        dialog.selectFile(QString::fromStdString(list));
        static_cast<QDialog&>(dialog).accept();
    });
    std::string caption;
    QueueModalAction([&](QDialog& d) {
        caption = d.windowTitle().toStdString();
        auto& dialog = dynamic_cast<TListDlg&>(d);
        dialog.VChoices->SelectRows(1, 1, true);
        dialog.btnOK->click();
    });
    form->mnuHistoryLoadClick(nullptr);
    EXPECT_EQ(QueuedModalAnswers(), 0);
    EXPECT_EQ(caption, "Bookmarked Files");
    EXPECT_EQ(Lines(ImageHistoryList), Names({a, b}));
    EXPECT_EQ(ImageHistoryIndex, 1);
    EXPECT_EQ(Opened(), Names({b}));
}

TEST_F(BookmarkWindow, ExploreGoesToThePathBoxFolder) {
    const std::string a = File("a.jpg");
    QDir().mkpath(QString::fromStdString(ProgramFolder() + "sub"));
    const std::string inSub = ProgramFolder() + "sub/x.jpg";
    struct Case {
        std::string pathBox;
        std::string exploreDir;
        QObject* sender;
        std::vector<std::string> calls;
    };
    form->show();
    QObject* button = form->btnExplore;
    const std::vector<Case> cases = {
        {a, "/elsewhere/", button, {"GoToFolder " + ProgramFolder(), "Show"}},
        {inSub, ProgramFolder() + "sub", button, {"Show"}},  // already there
        {"/no/such/folder/x.jpg", "/elsewhere/", button, {"GoToFolder " + AppDir, "Show"}},
        {"", "/elsewhere/", button, {"Show"}},
        {a, "/elsewhere/", nullptr, {"Show"}},  // the application's call keeps the folder
    };
    for (const Case& c : cases) {
        form->History->setEditText(QString::fromStdString(c.pathBox));
        ExploreDir = c.exploreDir;
        xplr8900::FileForm->Calls.clear();
        form->btnExploreClick(c.sender);
        EXPECT_EQ(xplr8900::FileForm->Calls, c.calls) << c.pathBox;
    }
    form->hide();
    xplr8900::FileForm->Calls.clear();
    form->btnExploreClick(nullptr);
    EXPECT_EQ(xplr8900::FileForm->Calls, Names({"Show", "mnuRefreshClick"}));
    IsBusy = 1;
    xplr8900::FileForm->Calls.clear();
    form->btnExploreClick(nullptr);
    IsBusy = 0;
    EXPECT_TRUE(xplr8900::FileForm->Calls.empty());
}
