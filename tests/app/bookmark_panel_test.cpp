// The bookmark panel's commands (view, reorder, hand to the album, the path
// box's keys) and the image window's launchers of the slide album, the CD
// player, the media player's buttons and the comment window.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QThread>

#include "album/show8900.h"
#include "app/Cdaudio_w.h"
#include "app/app_test_tools.h"
#include "app/comment_8900.h"
#include "app/lumv8900.h"
#include "explorer/FolderListing.h"
#include "explorer/xplr8900.h"
#include "imaging/AvlScript.h"
#include "imaging/Helpers.h"
#include "platform/Folders.h"
#include "platform/MediaPlayer.h"
#include "platform/Menus.h"
#include "ui/LookBoxEx.h"
#include "ui/ScrollBoxEx.h"
#include "ui/VListShowEx.h"
#include "ui/listdlg_y.h"
#include "ui/voMsgBox.h"
#include "support/message_boxes.h"

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

using namespace lumvor;
using namespace lumvor::lumv8900;

namespace {

using Names = std::vector<std::string>;

using test::Lines;
using test::WaitFor;

class BookmarkPanel : public ::testing::Test {
protected:
    void SetUp() override {
        ClearModalAnswers();
        ImageHistoryList.Clear();
        ImageHistoryIndex = 0;
        ImageChanged = false;
        show8900::AlbumChanged = false;
        MediaMode = SlideshowRunning = FullScreen = false;
    }
    void TearDown() override {
        delete show8900::ShowForm;
        test::FreeWindows();
        ClearModalAnswers();
    }
    // The window and the explorer as the program starts them.
    void Start() {
        MainUnitInit({});
        ASSERT_TRUE(ProgramStart());
        form = WebForm;
        FirstActivationDone = 1;
        QObject::connect(form, &QWidget::windowTitleChanged, form, [this] {
            if (FileName != "Untitled")
                opened.push_back(FileName);
        });
    }
    std::string File(const std::string& name) {
        const bool png = UpperCase(ExtractFileExt(name)) == ".PNG";
        return test::CopyToHome(png ? "png/rgb8.png" : "jpeg/baseline_444.jpg", name);
    }
    void SetList(const Names& names, int32_t index) {
        ImageHistoryList.Clear();
        for (const std::string& name : names)
            ImageHistoryList.Add(name);
        ImageHistoryIndex = index;
    }

    TWebForm* form = nullptr;
    Names opened;
};

}  // namespace

// ---- Reordering

TEST_F(BookmarkPanel, MoveUpAndDownWrapAndKeepTheEntryCurrent) {
    Start();
    const Names five = {"/p/a.jpg", "/p/b.jpg", "/p/c.jpg", "/p/d.jpg", "/p/e.jpg"};
    struct Case {
        const char* name;
        Names list;
        int32_t index;
        bool down;
        bool changed;
        Names after;
        int32_t indexAfter;
    };
    const std::vector<Case> cases = {
        {"down from the last wraps to the top", five, 4, true, false,
         {"/p/e.jpg", "/p/b.jpg", "/p/c.jpg", "/p/d.jpg", "/p/a.jpg"}, 0},
        {"down in the middle", five, 1, true, false, {"/p/a.jpg", "/p/c.jpg", "/p/b.jpg", "/p/d.jpg", "/p/e.jpg"}, 2},
        {"up in the middle", five, 2, false, false, {"/p/a.jpg", "/p/c.jpg", "/p/b.jpg", "/p/d.jpg", "/p/e.jpg"}, 1},
        {"up from the first wraps to the end", five, 0, false, false,
         {"/p/e.jpg", "/p/b.jpg", "/p/c.jpg", "/p/d.jpg", "/p/a.jpg"}, 4},
        {"one bookmark stays", {"/p/a.jpg"}, 0, true, false, {"/p/a.jpg"}, 0},
        {"unsaved edits keep the order", five, 2, false, true, five, 2},
    };
    for (const Case& c : cases) {
        SetList(c.list, c.index);
        ImageChanged = c.changed;
        form->mnuBookmarkUpClick(c.down ? form->mnuBookmarkDn : form->mnuBookmarkUp);
        EXPECT_EQ(Lines(ImageHistoryList), c.after) << c.name;
        EXPECT_EQ(ImageHistoryIndex, c.indexAfter) << c.name;
        // The moved entry is the current one wherever it went.
        if (!c.changed) {
            EXPECT_EQ(ImageHistoryList[ImageHistoryIndex], c.list[c.index]) << c.name;
        }
    }
    ImageChanged = false;
    // The items carry their keys and their command.
    EXPECT_EQ(form->mnuBookmarkUp->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_PageUp));
    SetList({"/p/a.jpg", "/p/b.jpg"}, 0);
    form->mnuBookmarkDn->trigger();
    EXPECT_EQ(Lines(ImageHistoryList), Names({"/p/b.jpg", "/p/a.jpg"}));
    EXPECT_EQ(ImageHistoryIndex, 1);
}

// ---- The list dialog

TEST_F(BookmarkPanel, ViewMarksTheCurrentEntryAndOpensTheChoice) {
    Start();
    form->show();
    const Names files = {File("v1.jpg"), File("v2.jpg"), File("v3.jpg"), File("v4.jpg")};
    SetList(files, 1);
    form->History->setEditText(QString::fromStdString(files[1]));
    std::string caption, label;
    std::vector<int> marked;
    QueueModalAction([&](QDialog& d) {
        auto& dialog = dynamic_cast<TListDlg&>(d);
        caption = dialog.windowTitle().toStdString();
        label = dialog.Label1->text().toStdString();
        marked = dialog.VChoices->SelectedRows();
        dialog.VChoices->SelectRows(2, 2, true);
        dialog.btnOK->click();
    });
    form->mnuBookmarksView->trigger();
    EXPECT_EQ(QueuedModalAnswers(), 0);
    EXPECT_EQ(caption, "Bookmarked Files");
    EXPECT_EQ(label, "Select item or press DELETE to remove selected item.");  // the bookmark mode
    EXPECT_EQ(CurFileName, files[1]);
    EXPECT_EQ(marked, std::vector<int>({1}));
    EXPECT_EQ(ImageHistoryIndex, 2);
    EXPECT_EQ(opened, Names({files[2]}));

    // No bookmarks: no dialog.
    ImageHistoryList.Clear();
    QueueModalAction([](QDialog& d) { d.reject(); });
    form->mnuBookmarksViewClick(form->mnuBookmarksView);
    EXPECT_EQ(QueuedModalAnswers(), 1);
}

// ---- The album

TEST_F(BookmarkPanel, AlbumGetsACopyAfterAskingWhenItHoldsContents) {
    Start();
    using test::Answer;
    using test::Box;
    std::vector<Box> boxes;

    SetList({"/p/a.jpg"}, 0);
    form->mnuHistoryAlbumClick(form->mnuHistoryAlbum);
    EXPECT_EQ(show8900::ShowForm, nullptr);  // one bookmark: nothing happens

    SetList({"/p/a.jpg", "/p/b.jpg", "/p/c.jpg"}, 0);
    show8900::AlbumChanged = true;
    Answer(boxes, mrNo);
    form->mnuHistoryAlbumClick(form->mnuHistoryAlbum);
    ASSERT_NE(show8900::ShowForm, nullptr);
    EXPECT_TRUE(show8900::ShowForm->isVisible());
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].title, "Copy Bookmarks to Slide Album");
    EXPECT_EQ(boxes[0].text, "Discard Slide Album contents?\n\n[Yes to All] avoids this dialog (for experts).");
    EXPECT_TRUE(show8900::ShowForm->Calls.empty());  // No stops

    Answer(boxes, mrYesToAll);
    form->mnuHistoryAlbum2->trigger();
    EXPECT_EQ(boxes.size(), 2u);
    EXPECT_EQ(form->mnuHistoryAlbum->Tag, 1);
    EXPECT_EQ(show8900::ShowForm->Calls, Names({"InstantSlideshow"}));
    ASSERT_NE(show8900::ShowForm->InstantFiles, nullptr);
    EXPECT_EQ(Lines(*show8900::ShowForm->InstantFiles), Names({"/p/a.jpg", "/p/b.jpg", "/p/c.jpg"}));

    // After Yes to All the album is refilled without a question, and what it
    // got does not follow later changes of the bookmarks.
    ASSERT_TRUE(show8900::AlbumChanged);
    form->mnuHistoryAlbumClick(form->mnuHistoryAlbum);
    EXPECT_EQ(boxes.size(), 2u);
    EXPECT_EQ(show8900::ShowForm->Calls.size(), 2u);
    ImageHistoryList.Clear();
    ImageHistoryList.Add("/p/z.jpg");
    EXPECT_EQ(Lines(*show8900::ShowForm->InstantFiles), Names({"/p/a.jpg", "/p/b.jpg", "/p/c.jpg"}));
}

TEST_F(BookmarkPanel, AnUnchangedAlbumIsFilledWithoutAQuestion) {
    Start();
    SetList({"/p/a.jpg", "/p/b.jpg"}, 1);
    form->mnuHistoryAlbumClick(form->mnuHistoryAlbum);
    EXPECT_EQ(UnansweredModalRuns(), 0);
    ASSERT_NE(show8900::ShowForm, nullptr);
    EXPECT_EQ(show8900::ShowForm->Calls, Names({"InstantSlideshow"}));
}

// ---- The slide album command

TEST_F(BookmarkPanel, SlideAlbumOnAFirstRunSetsTheExplorerDefaults) {
    Start();
    delete xplr8900::FileForm;  // the explorer was never made
    ASSERT_FALSE(xplr8900::FileFormCreated);
    ASSERT_FALSE(ExplorerSettingsLoaded);
    xplr8900::EControls.Bytes.fill(0xAB);
    xplr8900::ThumbWidth = xplr8900::ThumbHeight = 240;
    xplr8900::ThumbDecodeWidth = xplr8900::ThumbDecodeHeight = 240;
    form->mnuSlideAlbum->trigger();

    struct Field {
        std::size_t offset;
        int width;  // 1 byte or 4 (dword)
        int32_t value;
    };
    const std::vector<Field> table = {{32, 1, 1}, {33, 1, 1}, {34, 1, 1}, {37, 1, 0}, {44, 4, 0}, {56, 4, 0},
                                      {52, 4, 1}, {36, 1, 1}, {64, 4, 1}, {70, 1, 0}, {69, 1, 1}, {80, 1, 1}};
    for (const Field& f : table) {
        const int32_t got = f.width == 1 ? xplr8900::EControls.Byte(f.offset) : xplr8900::EControls.Int(f.offset);
        EXPECT_EQ(got, f.value) << "offset " << f.offset;
    }
    EXPECT_EQ(xplr8900::EControls.Byte(35), 0xAB);  // fields outside the table stay
    EXPECT_EQ(xplr8900::ThumbWidth, 168);
    EXPECT_EQ(xplr8900::ThumbHeight, 126);
    EXPECT_EQ(xplr8900::ThumbDecodeWidth, 168);
    EXPECT_EQ(xplr8900::ThumbDecodeHeight, 126);
    // The program's drive: the mount point of the data folder's volume.
    QProcess stat;
    stat.start("stat", {"-c", "%m", QString::fromStdString(ProgramFolder())});
    ASSERT_TRUE(stat.waitForFinished(5000));
    std::string mount = stat.readAllStandardOutput().trimmed().toStdString();
    EXPECT_EQ(ExploreDir, mount == "/" ? mount : mount + "/");
    ASSERT_NE(show8900::ShowForm, nullptr);
    EXPECT_TRUE(show8900::ShowForm->isVisible());
}

TEST_F(BookmarkPanel, SlideAlbumStopsTheExplorerFirstAndKeepsItsSettings) {
    Start();
    ExplorerSettingsLoaded = true;
    xplr8900::FileFormCreated = false;  // loaded settings alone keep the record
    xplr8900::EControls.Bytes.fill(0x5C);
    const auto before = xplr8900::EControls.Bytes;
    ExploreDir = "/kept/";
    // The explorer's calls as the album comes up.
    show8900::ShowForm = new TShowForm();
    Names callsAtShow;
    struct TShowSpy : QObject {
        std::function<void()> onShow;
        bool eventFilter(QObject*, QEvent* e) override {
            if (e->type() == QEvent::Show)
                onShow();
            return false;
        }
    } spy;
    spy.onShow = [&] { callsAtShow = xplr8900::FileForm->Calls; };
    show8900::ShowForm->installEventFilter(&spy);
    xplr8900::FileForm->Calls.clear();
    form->mnuSlideAlbumClick(form->mnuSlideAlbum);
    show8900::ShowForm->removeEventFilter(&spy);
    ExplorerSettingsLoaded = false;
    EXPECT_EQ(xplr8900::EControls.Bytes, before);
    EXPECT_EQ(ExploreDir, "/kept/");
    EXPECT_EQ(callsAtShow, Names({"Thumbnailing_Stop", "FolderMonitor_Terminate"}));
    EXPECT_TRUE(show8900::ShowForm->isVisible());
}

// ---- The CD player

TEST_F(BookmarkPanel, CDPlayerWithoutADriveOnlySaysSo) {
    Start();
    const auto devices = Cdaudio_w::CDDevices;
    Cdaudio_w::CDDevices = {"/nonexistent/cdrom"};
    std::vector<test::Box> boxes;
    test::Answer(boxes, mrOk);
    form->mnuCDPlayer1->trigger();
    Cdaudio_w::CDDevices = devices;
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "No CD drive found.");
    EXPECT_EQ(Cdaudio_w::CDForm, nullptr);
    EXPECT_EQ(CDAudioActive(), 0);
}

// ---- The comment window

TEST_F(BookmarkPanel, CommentWindowLoadsTheExplorersFileOrAJpegShown) {
    const std::string folder = ProgramFolder() + "exif/";
    // Old enough for the explorer to list it at once.
    std::filesystem::last_write_time(test::CopyToHome("jpeg/baseline_444.jpg", "exif/only.jpg"),
                                     std::filesystem::file_time_type::clock::now() - std::chrono::hours(1));
    ExploreDir = folder;
    Start();
    TFileForm* explorer = xplr8900::FileForm;
    explorer->Listing->ActivationPending = false;
    ExploreDir = folder;
    explorer->LookBox->SetFolder(folder);
    ASSERT_TRUE(explorer->Listing->UpdateFiles(false));
    explorer->XL->Items()->SetCount(int(explorer->Listing->FileOrder.size()));
    const std::string wanted = folder + "only.jpg";
    int row = -1;
    for (int i = 0; i < explorer->XL->Items()->Count(); ++i)
        if (explorer->Listing->GetItemPath(i) == wanted)
            row = i;
    ASSERT_GE(row, 0);
    explorer->XL->SetItemFocused(explorer->XL->Items()->Item(row));
    comment_8900::CommentFileName.clear();
    form->JPEGReaderClick(explorer);
    TCommentForm* window = comment_8900::CommentForm;
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(comment_8900::CommentFileName, wanted);

    FileName = File("shown.JPG");
    form->JPEGReader->trigger();
    EXPECT_EQ(comment_8900::CommentFileName, FileName);
    EXPECT_EQ(FileExt, ".JPG");

    // A PNG: the window shows, nothing is loaded.
    comment_8900::CommentFileName.clear();
    window->hide();
    FileName = File("shown.png");
    form->JPEGReaderClick(form->JPEGReader);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(comment_8900::CommentFileName, "");
    EXPECT_EQ(comment_8900::CommentForm, window);  // made once
}

// ---- The path box's keys

TEST_F(BookmarkPanel, CtrlVInThePathBoxPastesTextNotAPicture) {
    Start();
    form->show();
    QApplication::setActiveWindow(form);
    auto* data = new QMimeData;
    data->setText("/typed/path.jpg");
    QImage red(8, 8, QImage::Format_RGB32);
    red.fill(Qt::red);
    data->setImageData(red);
    QApplication::clipboard()->setMimeData(data);
    const std::string shown = FileName;
    QLineEdit* edit = form->History->lineEdit();
    form->History->setEditText("");
    edit->setFocus();
    ASSERT_TRUE(WaitFor([&] { return edit->hasFocus(); }, 15000));
    QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(edit->text().toStdString(), "/typed/path.jpg");
    EXPECT_EQ(FileName, shown);
    EXPECT_FALSE(ImageChanged);
    // Outside the box the shortcut is back.
    form->ScrollBox->setFocus();
    ASSERT_TRUE(WaitFor([&] { return !edit->hasFocus(); }, 15000));
    EXPECT_EQ(form->mnuPaste->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_V));
    QApplication::clipboard()->clear();
}

TEST_F(BookmarkPanel, AltDFocusesThePathBoxWhileItIsShown) {
    Start();
    form->show();
    QApplication::setActiveWindow(form);
    ASSERT_TRUE(form->PanelHistory->isVisible());
    form->ScrollBox->setFocus();
    EXPECT_EQ(form->HistoryFocus1->shortcut(), QKeySequence(Qt::ALT | Qt::Key_D));
    form->HistoryFocus1->trigger();
    EXPECT_TRUE(WaitFor([&] { return form->History->hasFocus() || form->History->lineEdit()->hasFocus(); }, 15000));
    form->ScrollBox->setFocus();
    form->mnuPathboxClick(form->mnuPathbox);  // hidden
    ASSERT_FALSE(form->PanelHistory->isVisible());
    form->HistoryFocus1Click(form->HistoryFocus1);
    QCoreApplication::processEvents();
    EXPECT_FALSE(form->History->hasFocus() || form->History->lineEdit()->hasFocus());
}

// ---- The media player's buttons

TEST_F(BookmarkPanel, PlayPauseAndStopDriveTheViewerPlayer) {
    Start();
    form->resize(640, 480);
    form->show();
    MediaAutoPlay = true;  // plays on in a loop
    MediaOpenWait = 5000;
    FileName = test::CopyToHome("media/tone.wav", "media/panel.wav");
    FileExt = ".WAV";
    form->BtnOpenEx(form);
    ASSERT_TRUE(MediaMode);
    ASSERT_TRUE(WaitFor([] { return ViewerPlayState == MediaPlaying; }, 15000));
    form->mnuAV_Play->trigger();
    EXPECT_TRUE(WaitFor([] { return ViewerPlayState == MediaPaused; }, 15000));
    form->mnuAV_PlayClick(form->mnuAV_Play);
    EXPECT_TRUE(WaitFor([] { return ViewerPlayState == MediaPlaying; }, 15000));
    form->mnuAV_StopClick(form->mnuAV_Stop);
    EXPECT_TRUE(WaitFor([] { return ViewerPlayState == MediaStopped; }, 15000));
    // Stopped: Stop leaves it alone, Play starts it again.
    form->mnuAV_StopClick(form->mnuAV_Stop);
    WaitFor([] { return false; }, 200);
    EXPECT_EQ(ViewerPlayState, MediaStopped);
    form->mnuAV_PlayClick(form->mnuAV_Play);
    EXPECT_TRUE(WaitFor([] { return ViewerPlayState == MediaPlaying; }, 15000));
    form->AV_UI(false);
    MediaOpenWait = 2000;
}
