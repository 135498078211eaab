// The program's start, the image window's first activation and its close, with
// the explorer stand-in recording the calls made on it.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QToolButton>

#include "album/show8900.h"
#include "app/about_8900.h"
#include "app/lumv8900.h"
#include "app/app_test_tools.h"
#include "explorer/xplr8900.h"
#include "imaging/AvlScript.h"
#include "imaging/Helpers.h"
#include "platform/ComCtrls.h"
#include "platform/Folders.h"
#include "platform/HtmlHelp.h"
#include "platform/Menus.h"
#include "platform/Registry.h"
#include "app/dialogs/batch_8900.h"
#include "ui/OpenDialogPlus.h"
#include "ui/SaveDialogEx.h"
#include "ui/Status_y.h"
#include "ui/voMsgBox.h"
#include "support/message_boxes.h"
#include "support/settings_records.h"

#include <algorithm>
#include <string>
#include <vector>

using namespace lumvor;
using namespace lumvor::lumv8900;
using lumvor::test::CopyToHome;
using lumvor::test::Fixture;

namespace {

bool Contains(const std::vector<std::string>& calls, const std::string& call) {
    return std::find(calls.begin(), calls.end(), call) != calls.end();
}

using test::Answer;
using test::Box;

void WriteRecords(const TViewerControls& viewer, const std::string& exploreDir = "/tmp/") {
    test::WriteSettingsRecords(viewer, exploreDir);
}

void WriteStrings(std::initializer_list<std::pair<std::string, std::string>> values) {
    TRegistry registry;
    registry.OpenKey(SettingsKey, true);
    for (const auto& [name, value] : values)
        registry.WriteString(name, value);
}

TViewerControls StoredDefaults() {
    TViewerControls record;
    SetViewerDefaults(record, 3);
    return record;
}

// Stored defaults with the window at (30, 40), 500 x 400.
TViewerControls StoredWithBounds() {
    TViewerControls record = StoredDefaults();
    record.SetInt(vc::WindowBounds, 30);
    record.SetInt(vc::WindowBounds + 4, 40);
    record.SetInt(vc::WindowBounds + 8, 530);
    record.SetInt(vc::WindowBounds + 12, 440);
    return record;
}

std::vector<uint8_t> StoredValue(const std::string& name) {
    TRegistry registry;
    registry.OpenKey(SettingsKey, true);
    return registry.ValueExists(name) ? registry.ReadBinary(name) : std::vector<uint8_t>();
}

void FlushDeletes() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

class WebFormTest : public ::testing::Test {
protected:
    void SetUp() override {
        ClearModalAnswers();
        ViewerControls = TViewerControls{};
        JpegWizardSettings = TJpegWizardSettings{};
        FirstActivationDone = 0;
        ClosingStarted = DisplayChanged = UserInterrupt = SlideshowRunning = false;
        ImageChanged = FullScreen = false;
        UndoFile.clear();
        xplr8900::ExplorerActive = false;
        show8900::AlbumChanged = show8900::ShowFormActive = false;
        ImageHistoryList.Clear();
        ExploreDir.clear();
    }
    void TearDown() override {
        delete batch_8900::BatchForm;
        delete xplr8900::FileForm;
        delete WebForm;
        FlushDeletes();
        Application.OnException = nullptr;
        Application.OnHelp = nullptr;
        Application.OnIdle = nullptr;
        Application.OnRestore = nullptr;
        Application.OnMinimize = nullptr;
        OpenHelpPage = nullptr;
        ClearModalAnswers();
        Screen.SetCursor(crDefault);
    }
    void Start(const std::vector<std::string>& params = {}) {
        MainUnitInit(params);
        ASSERT_TRUE(ProgramStart());
        ASSERT_NE(WebForm, nullptr);
        ASSERT_NE(xplr8900::FileForm, nullptr);
    }
    std::vector<std::string>& ExplorerCalls() { return xplr8900::FileForm->Calls; }
    // Ends the test's window without the close menu.
    void SkipPromptOnClose() { WebForm->mnuQuit->Tag = 1; }
};

}  // namespace

TEST_F(WebFormTest, FirstStartTilesTheExplorerAndWelcomes) {
    // Strings without records are not read at a first start.
    WriteStrings({{"OpenDir", "/somewhere/"}, {"CachePath", "/cache/"}});
    Start();
    EXPECT_FALSE(ViewerSettingsLoaded);
    EXPECT_FALSE(ExplorerSettingsLoaded);
    EXPECT_EQ(WebForm->windowTitle().toStdString(), "Lumvor 8.9");
    EXPECT_EQ(WebForm->OpenDialog->InitialDir(), "");
    EXPECT_EQ(ThumbCacheDir, "");
    EXPECT_EQ(ExploreDir, HomeFolder());
    EXPECT_EQ(ViewerControls.Int(vc::LabBounds), -1);
    EXPECT_EQ(WebForm->size(), QSize(640, 480));  // no bounds applied

    std::vector<Box> boxes;
    Answer(boxes, mrOk);
    WebForm->FormActivate();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].title, "Thank you for choosing Lumvor.");
    EXPECT_NE(boxes[0].text.find("This is the default setup with TWO main windows."), std::string::npos);
    EXPECT_NE(boxes[0].text.find(RemoveBackslash(AppDir)), std::string::npos);

    // The image window is not shown in this test: the explorer button refreshes the explorer.
    const std::vector<std::string> expected = {"Show", "mnuRefreshClick", "mnuTile1Click", "mnuFolderTreeClick",
                                               "mnuRefreshClick", "mnuViewThumbsClick", "mnuViewThumbsClick"};
    EXPECT_EQ(ExplorerCalls(), expected);
    EXPECT_TRUE(xplr8900::FileForm->isVisible());
    const int width = Screen.Width();
    EXPECT_EQ(xplr8900::FileForm->ThumbsBar->Position(), width == 800 ? 1 : width == 1024 ? 2 : 3);
    EXPECT_EQ(FileName, "Untitled");
    EXPECT_TRUE(ImageLoaded);
    EXPECT_EQ(WebForm->StatusPanelText(0), "Ready.");
    EXPECT_EQ(TempPrefix.size(), 8u);
    EXPECT_EQ(TempNameStem.rfind("_" + TempPrefix, 0), 0u);
    // The image window stays: an idle handler left is the explorer's thumbnail run.
    EXPECT_TRUE(!Application.OnIdle || xplr8900::ThumbRunActive);
}

TEST_F(WebFormTest, AnActivationDuringTheFirstOneChangesNothing) {
    Start();
    int boxes = 0;
    QueueModalAction([&boxes](QDialog& dialog) {
        ++boxes;
        WebForm->FormActivate();  // the welcome box lets events through
        dialog.done(mrOk);
    });
    WebForm->FormActivate();
    EXPECT_EQ(boxes, 1);
    EXPECT_EQ(std::count(ExplorerCalls().begin(), ExplorerCalls().end(), "mnuTile1Click"), 1);
}

TEST_F(WebFormTest, SecondStartAppliesStoredRecords) {
    TViewerControls stored = StoredWithBounds();
    stored.SetFlag(vc::StatusBar, false);
    stored.SetInt(vc::SlideDelay, 4000000);  // past the hour the options offer
    stored.SetInt(vc::ViewGamma, 150);
    stored.SetFlag(vc::Upsampling, true);
    // The explorer keeps a stored folder that exists.
    const std::string pictures = ProgramFolder() + "pictures/";
    ForceDirectories(pictures);
    WriteRecords(stored, pictures);
    WriteStrings({{"OpenDir", "/open/"}, {"SaveDir", "/save/"}});
    Start();
    EXPECT_TRUE(ViewerSettingsLoaded);
    EXPECT_TRUE(ExplorerSettingsLoaded);
    EXPECT_EQ(ExploreDir, pictures);
    EXPECT_EQ(WebForm->pos(), QPoint(30, 40));
    EXPECT_EQ(WebForm->size(), QSize(500, 400));
    EXPECT_EQ(WebForm->OpenDialog->InitialDir(), "/open");
    EXPECT_EQ(WebForm->SaveDialog->InitialDir(), "/save");
    EXPECT_EQ(SaveDir, "/save/");
    EXPECT_EQ(SlideDelay, 1000);
    EXPECT_EQ(SlideGamma, 150);
    EXPECT_TRUE(WebForm->mnuViewGamma->Checked());
    EXPECT_TRUE(WebForm->chkUpsampling->Checked());
    EXPECT_FALSE(WebForm->StatusBar->isVisibleTo(WebForm));
    EXPECT_FALSE(WebForm->mnuStatusbarV->Checked());

    WebForm->FormActivate();
    EXPECT_EQ(UnansweredModalRuns(), 0);
    // The image window is not shown yet: the explorer button refreshes the explorer.
    EXPECT_EQ(ExplorerCalls(), (std::vector<std::string>{"Show", "mnuRefreshClick"}));
    // With settings and no file the image window hides once the loop is idle.
    ASSERT_TRUE(Application.OnIdle);
    bool done = false;
    WebForm->show();
    Application.OnIdle(done);
    EXPECT_FALSE(WebForm->isVisible());
}

TEST_F(WebFormTest, SavedBoundsApplyOnlyWithoutACommandLineFile) {
    TViewerControls stored = StoredWithBounds();
    WriteRecords(stored);
    const std::string png = CopyToHome("png/grey1.png", "grey.png");
    Start({png});
    EXPECT_EQ(WebForm->size(), QSize(640, 480));
    EXPECT_EQ(WebForm->SavedBounds.Left, 30);
    EXPECT_EQ(WebForm->SavedBounds.Bottom, 440);
}

TEST_F(WebFormTest, CommandLineNamesOneFile) {
    const std::string jpeg = CopyToHome("jpeg/baseline_420.jpg", "my holiday pic.jpg");
    const std::string folder = ProgramFolder();
    MainUnitInit({folder + "my", "holiday", "pic.jpg"});
    EXPECT_EQ(FileName, jpeg);
    EXPECT_EQ(PreviousFileName, jpeg);
    EXPECT_EQ(FileExt, ".JPG");
    EXPECT_FALSE(CmdLinePending);
    EXPECT_TRUE(ImageLoaded);
    EXPECT_GT(ImageWidth, 0);

    MainUnitInit({folder + "missing.jpg"});
    EXPECT_EQ(FileName, "");
    EXPECT_EQ(PreviousFileName, "*");
    EXPECT_FALSE(ImageLoaded);

    // A JPEG whose header cannot be read is left to the deferred open, which reports it.
    const std::string bad = ProgramFolder() + "bad.jpeg";
    QFile file(QString::fromStdString(bad));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("not a jpeg");
    file.close();
    MainUnitInit({bad});
    EXPECT_EQ(FileName, bad);
    EXPECT_FALSE(ImageLoaded);
    EXPECT_TRUE(CmdLinePending);

    MainUnitInit({});
    EXPECT_EQ(PreviousFileName, "*");
    EXPECT_EQ(ZoomPercent, 100);
    EXPECT_EQ(voMsgBox::MsgLeft, -1);
    EXPECT_EQ(voMsgBox::MsgTop, -1);
    EXPECT_TRUE(JPEGImage != nullptr);
}

TEST_F(WebFormTest, CommandLineJpegOpensAtFirstActivation) {
    WriteRecords(StoredDefaults());
    const std::string jpeg = CopyToHome("jpeg/baseline_444.jpg", "a.jpg");
    Start({jpeg});
    ASSERT_TRUE(ImageLoaded);
    WebForm->FormActivate();
    EXPECT_EQ(FileName, jpeg);
    EXPECT_EQ(WebForm->windowTitle().toStdString(), "a.jpg - Lumvor 8.9");
    EXPECT_TRUE(Contains(ExplorerCalls(), "GoToFolder " + ProgramFolder()));
    EXPECT_FALSE(Contains(ExplorerCalls(), "Show"));  // the picture is shown, not the explorer
    EXPECT_FALSE(WebForm->Timer2->Enabled());
}

TEST_F(WebFormTest, CommandLinePngOpensAfter333Milliseconds) {
    WriteRecords(StoredDefaults());
    const std::string png = CopyToHome("png/grey1.png", "b.png");
    Start({png});
    EXPECT_TRUE(CmdLinePending);
    QElapsedTimer clock;
    clock.start();
    WebForm->FormActivate();
    const auto opened = [] { return WebForm->windowTitle().toStdString() == "b.png - Lumvor 8.9"; };
    EXPECT_FALSE(opened());
    EXPECT_TRUE(WebForm->Timer2->Enabled());
    while (!opened() && clock.elapsed() < 15000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    EXPECT_TRUE(opened());
    EXPECT_EQ(FileName, png);
    EXPECT_GE(clock.elapsed(), 300);
    EXPECT_FALSE(CmdLinePending);
    EXPECT_FALSE(WebForm->Timer2->Enabled());
}

TEST_F(WebFormTest, CloseDuringASlideShowOnlyStopsTheShow) {
    Start();
    WebForm->FormActivate();
    WebForm->show();
    SlideshowRunning = true;
    EXPECT_FALSE(WebForm->close());
    EXPECT_TRUE(UserInterrupt);
    EXPECT_TRUE(ClosingStarted);
    EXPECT_TRUE(StoredValue(ViewerRecordName).empty());
    SlideshowRunning = false;
}

TEST_F(WebFormTest, PromptOnCloseMenuAndTurningItOff) {
    WriteRecords(StoredDefaults());
    Start();
    WebForm->FormActivate();
    WebForm->show();
    ASSERT_TRUE(ViewerControls.Flag(vc::PromptOnClose));
    EXPECT_FALSE(WebForm->close());
    EXPECT_TRUE(WebForm->CloseMenu->isVisible());
    WebForm->CloseMenu->hide();

    std::vector<Box> boxes;
    Answer(boxes, mrOk);
    QPointer<TWebForm> form = WebForm;
    WebForm->chkPromptOnClose->trigger();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].title, "\"Prompt before Closing Viewer\" disabled.");
    EXPECT_EQ(boxes[0].text, "To reenable this feature, activate Options dialog <Alt-O>.\n"
                             "Check \"Prompt before Closing Viewer\" option in Advanced tab.");
    FlushDeletes();
    EXPECT_TRUE(form.isNull());
    const std::vector<uint8_t> stored = StoredValue(ViewerRecordName);
    ASSERT_EQ(stored.size(), 168u);
    EXPECT_EQ(stored[vc::PromptOnClose], 0);
}

TEST_F(WebFormTest, ExitFromTheCloseMenuClosesWithoutAskingAgain) {
    WriteRecords(StoredDefaults());
    Start();
    WebForm->FormActivate();
    WebForm->show();
    EXPECT_FALSE(WebForm->close());
    QPointer<TWebForm> form = WebForm;
    WebForm->mnuQuit->trigger();
    FlushDeletes();
    EXPECT_TRUE(form.isNull());
    EXPECT_EQ(StoredValue(ViewerRecordName).size(), 168u);
}

TEST_F(WebFormTest, LongLabScriptIsKeptOnNo) {
    Start();
    WebForm->FormActivate();
    WebForm->show();
    SkipPromptOnClose();
    batch_8900::BatchForm = new TBatchForm();
    batch_8900::BatchFormActive = true;
    batch_8900::BatchForm->Memo1->setPlainText("GAMMA=120\nSHARPEN\nBLUR\nCROP=1,1,5,5\nSAVE");

    std::vector<Box> boxes;
    Answer(boxes, mrNo);
    EXPECT_FALSE(WebForm->close());
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].title, "Exit Lumvor 8.9");
    EXPECT_EQ(boxes[0].text, "Discard image processing script?\n\n[Yes to All] avoids this dialog (for experts).");
    EXPECT_TRUE(batch_8900::BatchForm->isVisible());

    // Four lines are not worth a question.
    batch_8900::BatchForm->Memo1->setPlainText("A\nB\nC\nD");
    QPointer<TWebForm> form = WebForm;
    EXPECT_TRUE(WebForm->close());
    EXPECT_EQ(boxes.size(), 1u);
}

TEST_F(WebFormTest, YesToAllSilencesLaterQuestions) {
    Start();
    std::vector<Box> boxes;
    ImageChanged = true;
    Answer(boxes, mrYesToAll);
    EXPECT_EQ(WebForm->CloseNow(WebForm), mrYesToAll);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Discard modified image?\n\n[Yes to All] avoids this dialog (for experts).");
    EXPECT_FALSE(ImageChanged);
    EXPECT_EQ(WebForm->mnuExit->Tag, 1);
    ImageChanged = true;
    const int unanswered = UnansweredModalRuns();
    EXPECT_EQ(WebForm->CloseNow(WebForm->btnExplore), mrYes);
    EXPECT_EQ(UnansweredModalRuns(), unanswered);
    EXPECT_FALSE(ImageChanged);
}

TEST_F(WebFormTest, CloseNowTexts) {
    Start();
    std::vector<Box> boxes;
    show8900::AlbumChanged = true;
    Answer(boxes, mrNo);
    EXPECT_EQ(WebForm->CloseNow(WebForm), mrNo);
    Answer(boxes, mrNo);
    EXPECT_EQ(WebForm->CloseNow(WebForm->btnExplore), mrNo);
    IsBusy = 1;
    Answer(boxes, mrOk);
    EXPECT_EQ(WebForm->CloseNow(WebForm), mrNo);
    IsBusy = 0;
    show8900::AlbumChanged = false;
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(boxes[0].title, "Exit Lumvor 8.9");
    EXPECT_EQ(boxes[0].text.rfind("Discard Slide Album contents?", 0), 0u);
    EXPECT_EQ(boxes[1].title, "Lose unsaved changes.");
    EXPECT_EQ(boxes[1].text.rfind("Discard modified image?", 0), 0u);
    EXPECT_EQ(boxes[2].text, "A critical process is being executed.\nCancel the process to proceed.");
}

TEST_F(WebFormTest, CloseWritesSettingsBookmarksAndDeletesTemporaryFiles) {
    TViewerControls stored = StoredDefaults();
    stored.SetInt(vc::SlideDelay, 5000);
    stored.SetByte(55, 0x5A);   // reserved bytes survive
    stored.SetByte(167, 0xC3);
    WriteRecords(stored);
    Start();
    WebForm->FormActivate();
    WebForm->show();
    SkipPromptOnClose();
    ImageHistoryList.Add("/pictures/a.jpg");
    ImageHistoryList.Add("/pictures/b.png");

    std::string dataFolder;
    GetDataFolder(dataFolder);
    const std::string handle8 = IntToHex(uint32_t(QCoreApplication::applicationPid()), 8);
    const std::vector<std::string> temporary = {
        TempFolder() + TempPrefix + handle8 + "voexport.pcx",
        AppDir + "Lumvor 8.9" + TempNameStem + ".avc",
        dataFolder + TempNameStem + "._d_",
        dataFolder + TempNameStem + "._c_",
        dataFolder + TempNameStem + ".vop",
        dataFolder + TempNameStem + ".dir",
    };
    for (const std::string& name : temporary) {
        QFile file(QString::fromStdString(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << name;
    }
    EXPECT_TRUE(WebForm->close());
    FlushDeletes();
    EXPECT_EQ(WebForm, nullptr);
    for (const std::string& name : temporary)
        EXPECT_FALSE(FileExists(name)) << name;

    const std::vector<uint8_t> record = StoredValue(ViewerRecordName);
    ASSERT_EQ(record.size(), 168u);
    TViewerControls written;
    written.Load(record.data(), record.size());
    EXPECT_EQ(written.Int(vc::SlideDelay), 5000);  // kept as the options set it
    EXPECT_EQ(written.Byte(55), 0x5A);
    EXPECT_EQ(written.Byte(167), 0xC3);
    EXPECT_TRUE(StoredValue(JpegRecordName).empty());  // JPEG settings were not used

    QFile bookmarks(QString::fromStdString(AppDir + "latest_bookmarks.vop"));
    ASSERT_TRUE(bookmarks.open(QIODevice::ReadOnly));
    EXPECT_EQ(bookmarks.readAll().toStdString(), "/pictures/a.jpg\r\n/pictures/b.png\r\n");
    EXPECT_TRUE(Contains(ExplorerCalls(), "FolderMonitor_Terminate"));
    EXPECT_TRUE(Contains(ExplorerCalls(), "Close"));
    EXPECT_TRUE(ShutDown);
}

TEST_F(WebFormTest, CloseWritesJpegSettingsOnlyWhenUsed) {
    {
        TRegistry registry;
        registry.OpenKey(SettingsKey, true);
        const uint8_t jpeg[16] = {1, 0, 1, 1, 2, 0, 0, 0, 30, 0, 0, 0, 75, 0, 0, 0};
        registry.WriteBinaryData(JpegRecordName, jpeg, 16);
    }
    Start();
    WebForm->FormActivate();
    EXPECT_EQ(JpegWizardSettings.Quality(), -1);
    WebForm->InitializeJpegWizard();
    EXPECT_EQ(JpegWizardSettings.Quality(), 75);
    JpegWizardSettings.SetQuality(60);
    SkipPromptOnClose();
    EXPECT_TRUE(WebForm->close());
    const std::vector<uint8_t> stored = StoredValue(JpegRecordName);
    ASSERT_EQ(stored.size(), 16u);
    EXPECT_EQ(stored[0], 1);
    EXPECT_EQ(stored[8], 30);
    EXPECT_EQ(stored[12], 60);
}

TEST_F(WebFormTest, AvlScriptRunWritesNoSettings) {
    const std::string script = ProgramFolder() + "show.avl";
    {
        QFile file(QString::fromStdString(script));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("[Header]\r\nN=1\r\n");
    }
    Start({script});
    EXPECT_TRUE(CmdLinePending);
    WebForm->FormActivate();
    EXPECT_TRUE(AvlStartMode);
    EXPECT_EQ(SlideFileName, script);
    // The script is handed over to the slide show, which finds no slide in it.
    std::string message;
    QueueModalAction([&message](QDialog& d) {
        auto* label = d.findChild<QLabel*>("Message");
        message = label ? label->text().toStdString() : std::string();
        d.done(mrOk);
    });
    WebForm->Timer2Timer();
    EXPECT_FALSE(CmdLinePending);
    EXPECT_EQ(message, "Bad AVL file.");
    WebForm->show();
    EXPECT_TRUE(WebForm->close());  // no close menu while a script plays
    EXPECT_TRUE(StoredValue(ViewerRecordName).empty());
}

TEST_F(WebFormTest, UnexpectedExceptionWithUnsavedPictureOffersIgnore) {
    Start();
    WebForm->FormActivate();
    WebForm->show();
    ImageChanged = true;
    std::vector<Box> boxes;
    Answer(boxes, mrIgnore);
    Application.HandleException(Exception("Access violation"));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_TRUE(boxes[0].hasIgnore);
    EXPECT_EQ(boxes[0].text.rfind("Unexpected exception.  Please report following error.\n", 0), 0u);
    EXPECT_NE(boxes[0].text.find("Access violation"), std::string::npos);
    EXPECT_FALSE(AppQuitting);
    EXPECT_TRUE(WebForm->isVisible());

    // Nothing to save: the program closes after OK.
    ImageChanged = false;
    Answer(boxes, mrOk);
    QPointer<TWebForm> form = WebForm;
    Application.HandleException(Exception("Access violation"));
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_FALSE(boxes[1].hasIgnore);
    EXPECT_TRUE(AppQuitting);
    EXPECT_TRUE(ShutDown);
    FlushDeletes();
    EXPECT_TRUE(form.isNull());
}

TEST_F(WebFormTest, JpegFailureShowsABlankPicture) {
    Start();
    WebForm->FormActivate();
    FileName = "/pictures/broken.jpg";
    std::vector<Box> boxes;
    Answer(boxes, mrOk);
    TJPEGImage* before = JPEGImage.get();
    Application.HandleException(Exception("JPEG error #53"));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "JPEG error #53\nFilename:/pictures/broken.jpg\nLocation:/pictures/");
    EXPECT_NE(JPEGImage.get(), before);
    EXPECT_EQ(FileName, "Untitled");
    EXPECT_FALSE(AppQuitting);
}

TEST_F(WebFormTest, DisplayChangeWarnsOnlyWhenSomethingChanged) {
    Start();
    const int unanswered = UnansweredModalRuns();
    WebForm->DisplayChange(ScreenColorBits, ScreenWidth, ScreenHeight);
    EXPECT_FALSE(DisplayChanged);
    EXPECT_EQ(UnansweredModalRuns(), unanswered);
    std::vector<Box> boxes;
    Answer(boxes, mrOk);
    WebForm->DisplayChange(ScreenColorBits, ScreenWidth + 1, ScreenHeight);
    EXPECT_TRUE(DisplayChanged);
    EXPECT_TRUE(UserInterrupt);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Display has changed.\nLumvor 8.9 should be closed and restarted.");
}

TEST_F(WebFormTest, HelpWithoutHelpFilesSaysSoOnceInTheStatusBar) {
    Start();
    EXPECT_TRUE(Application.HelpContext(103));
    // The note goes to panel 0: the four panels stay on the status bar.
    EXPECT_EQ(WebForm->StatusPanelText(0), "Help is not installed.");
    EXPECT_EQ(WebForm->StatusBar->currentMessage().toStdString(), "");
    for (QWidget* panel : WebForm->StatusPanels)
        EXPECT_TRUE(panel->isVisibleTo(WebForm));
    WebForm->StatusText("Ready.");
    EXPECT_TRUE(Application.HelpContext(103));
    EXPECT_EQ(WebForm->StatusPanelText(0), "Ready.");
    EXPECT_EQ(UnansweredModalRuns(), 0);

    // Installed help: a folder of pages, one per context number.
    QDir().mkpath(QString::fromStdString(HelpFileName));
    QFile page(QString::fromStdString(HelpFileName + "/103.html"));
    ASSERT_TRUE(page.open(QIODevice::WriteOnly));
    page.close();
    std::vector<QUrl> opened;
    OpenHelpPage = [&opened](const QUrl& url) {
        opened.push_back(url);
        return true;
    };
    EXPECT_TRUE(Application.HelpContext(103));
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_TRUE(opened[0].toLocalFile().endsWith("/103.html"));
}

TEST_F(WebFormTest, MinimiseAndRestore) {
    Start();
    SlideshowRunning = true;
    CancelPressed = 0;
    WebForm->AppMinimize();
    EXPECT_TRUE(UserInterrupt);
    EXPECT_EQ(CancelPressed, 1);
    SlideshowRunning = false;
    CancelPressed = 0;

    xplr8900::ExplorerActive = true;
    ExploreDir = "/no/such/folder/";
    WebForm->AppRestore();
    EXPECT_EQ(ExploreDir, HomeFolder());
    EXPECT_TRUE(Contains(ExplorerCalls(), "GoToFolder " + HomeFolder()));
    EXPECT_TRUE(Contains(ExplorerCalls(), "Show"));
}

TEST_F(WebFormTest, AboutBoxAcknowledgesItsLibraries) {
    Start();
    std::string text, button;
    QueueModalAction([&](QDialog& dialog) {
        auto& about = static_cast<TAboutForm&>(dialog);
        text = about.About->toPlainText().toStdString();
        button = about.btnExit->text().toStdString();
        about.btnExit->click();
    });
    WebForm->mnuAbout->trigger();
    EXPECT_EQ(button, "&Ok");
    EXPECT_NE(text.find("Independent JPEG Group"), std::string::npos);
    EXPECT_NE(text.find("Qt"), std::string::npos);
}

namespace {

class ExplorerCloseTest : public WebFormTest {
protected:
    // A second start with the image window and the explorer on the screen.
    TFileForm* StartWithBothWindowsShown() {
        WriteRecords(StoredDefaults());
        Start();
        SkipPromptOnClose();
        WebForm->show();
        xplr8900::FileForm->show();
        return xplr8900::FileForm;
    }
};

// The explorer's close hides it while the image window shows; with the image
// window hidden it ends the program, and the explorer's own close then saves
// the visited folders.
TEST_F(ExplorerCloseTest, ClosingTheExplorerHidesItOrEndsTheProgram) {
    TFileForm* explorer = StartWithBothWindowsShown();
    explorer->close();
    EXPECT_FALSE(explorer->isVisible());
    EXPECT_TRUE(WebForm->isVisible());
    EXPECT_FALSE(ShutDown);
    EXPECT_FALSE(FileExists(xplr8900::HistoryListFile()));

    WebForm->hide();
    explorer->show();
    explorer->close();
    EXPECT_TRUE(ShutDown);
    EXPECT_TRUE(Application.Terminated());
    EXPECT_TRUE(FileExists(xplr8900::HistoryListFile()));
}

// "&Close" of the explorer's File menu hides the image window and ends the program.
TEST_F(ExplorerCloseTest, ExplorersCloseItemEndsTheProgram) {
    TFileForm* explorer = StartWithBothWindowsShown();
    explorer->mnuExit1->trigger();
    EXPECT_FALSE(explorer->isVisible());
    EXPECT_TRUE(ShutDown);
}

TEST_F(WebFormTest, MinimisingTheExplorerMinimisesTheProgram) {
    WriteRecords(StoredDefaults());
    Start();
    TFileForm* explorer = xplr8900::FileForm;
    WebForm->hide();
    explorer->show();
    explorer->showMinimized();
    QCoreApplication::processEvents();
    EXPECT_TRUE(xplr8900::ExplorerDirty);
    EXPECT_TRUE(WebForm->isMinimized());
}

}  // namespace
