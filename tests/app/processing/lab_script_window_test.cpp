// The Lab Script window: where it goes, its menu and options, script files,
// the lines recorded into it, and performing its script on the picture.
#include "app/save_form_fixture.h"
#include "app/app_test_tools.h"

#include "app/dialogs/batch_8900.h"
#include "app/SlideSizing.h"
#include "support/file_helpers.h"
#include "support/permissions.h"
#include "ui/MeOpenDialogEx.h"
#include "ui/MeSaveDialogEx.h"
#include "ui/voMsgBox.h"

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QtTest/QTest>

#include <sys/stat.h>

#include <string>
#include <vector>

using namespace lumvor;
using namespace lumvor::lumv8900;
using namespace lumvor::test;

namespace {

// ---- Placement

TEST(LabScriptPlacement, FollowsTheStoredBoundsTheImageWindowAndTheScreen) {
    struct Case {
        const char* name;
        TRect stored;
        int viewerWidth;
        TRect expected;
    };
    const int never = -1;
    const std::vector<Case> cases = {
        {"never stored, 224 pixels beside the viewer: top left", {never, 0, 0, 0}, 800, {0, 0, 320, 480}},
        {"never stored, 424 pixels beside the viewer: beside it", {never, 0, 0, 0}, 600, {601, 0, 921, 480}},
        {"never stored, exactly 320 pixels to spare: top left", {never, 0, 0, 0}, 704, {0, 0, 320, 480}},
        {"stored as it was", {100, 50, 420, 650}, 800, {100, 50, 420, 650}},
        {"10 x 10: half the width, three quarters of the height", {100, 100, 110, 110}, 800, {100, 100, 612, 676}},
        {"a side of 63 pixels is too small", {0, 0, 63, 400}, 800, {0, 0, 512, 576}},
        {"partly off the right edge: ends at it", {900, 50, 1200, 450}, 800, {724, 50, 1024, 450}},
        {"partly off the bottom edge: ends at it", {10, 600, 410, 900}, 800, {10, 468, 410, 768}},
        {"negative left and top become 0", {-50, -20, 250, 380}, 800, {0, 0, 250, 380}},
        {"larger than the screen: the screen", {0, 0, 3000, 2000}, 800, {0, 0, 1024, 768}},
        {"a small window far down right is pulled back", {900, 700, 905, 705}, 800, {512, 192, 1024, 768}},
        {"garbage bounds do not overflow", {2147483000, 2147483000, -2147483000, -2147483000}, 800,
         {512, 192, 1024, 768}},
    };
    for (const Case& c : cases) {
        const TRect got = LabScriptBounds(c.stored, c.viewerWidth, 1024, 768);
        EXPECT_EQ(std::tuple(got.Left, got.Top, got.Right, got.Bottom),
                  std::tuple(c.expected.Left, c.expected.Top, c.expected.Right, c.expected.Bottom))
            << c.name;
    }
}

// ---- The window on the image window

// What a file dialog showed when the test answered it.
struct DialogSeen {
    std::string title;
    std::string folder;
    std::string name;
};

// Answers the next file dialog with path (cancels it when path is empty).
void AnswerFileDialog(DialogSeen& seen, const std::string& path) {
    QueueModalAction([&seen, path](QDialog& d) {
        auto& dialog = static_cast<QFileDialog&>(d);
        seen.title = dialog.windowTitle().toStdString();
        seen.folder = dialog.directory().absolutePath().toStdString();
        seen.name = dialog.findChild<QLineEdit*>("fileNameEdit")->text().toStdString();
        if (path.empty()) {
            dialog.reject();
            return;
        }
        dialog.selectFile(QString::fromStdString(path));
        static_cast<QDialog&>(dialog).accept();
    });
}

class LabScriptWindowTest : public LabWindowTest {
protected:
    void SetUp() override {
        LabWindowTest::SetUp();
        batch_8900::BipFolder.clear();
        batch_8900::BipFileName.clear();
        RecentPath.clear();
        ShutDown = false;
        TBitmap picture;
        MakePicture(picture, 24);
        Show(picture);
    }
    void TearDown() override {
        ShutDown = false;
        LabWindowTest::TearDown();
    }
    // The window as the Lab menu's "&Edit script" opens it, activated.
    TBatchForm& Open() {
        WebForm->mnuBatchEditor1Click(WebForm->mnuBatchEditor1);
        batch_8900::BatchForm->FormActivate();
        return *batch_8900::BatchForm;
    }
    std::string Memo() const { return batch_8900::BatchForm->Memo1->toPlainText().toStdString(); }
    void SetMemo(const std::string& text) { batch_8900::BatchForm->Memo1->setPlainText(QString::fromStdString(text)); }
    std::string Caption() const { return batch_8900::BatchForm->windowTitle().toStdString(); }
};

TEST_F(LabScriptWindowTest, TheMenuStandsInItsOrderAndSaveAndPerformWaitForTheFirstEdit) {
    TBatchForm& form = Open();
    EXPECT_EQ(Caption(), "Lab Script");
    std::vector<std::string> bar;
    for (QAction* action : form.menuBar()->actions())
        bar.push_back(action->objectName().toStdString() + " " + action->text().toStdString());
    EXPECT_EQ(bar, (std::vector<std::string>{"mnuNewB &New", "mnuOpenB &Open", "mnuSaveB &Save", "Exit1 &Close",
                                              "mnuLabOptionsItem Op&tions", "mnuPerformB &Perform",
                                              "mnuHelp &Help"}));
    std::vector<std::string> options;
    for (QAction* action : form.mnuLabOptions->actions())
        options.push_back(action->objectName().toStdString() + " " + action->text().toStdString());
    EXPECT_EQ(options, (std::vector<std::string>{"chkNoLabBackup No &Undo (faster)",
                                                  "chkLabComments Add commands as &JPEG comment"}));
    EXPECT_EQ(form.mnuHelp->Tag, 450);
    EXPECT_EQ(form.Memo1->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(form.Memo1->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);

    EXPECT_FALSE(form.mnuSaveB->isEnabled());
    EXPECT_FALSE(form.mnuPerformB->isEnabled());
    QTest::keyClicks(form.Memo1, "NEGATIVE");
    EXPECT_TRUE(form.mnuSaveB->isEnabled());
    EXPECT_TRUE(form.mnuPerformB->isEnabled());
    EXPECT_EQ(Memo(), "NEGATIVE");
}

TEST_F(LabScriptWindowTest, NewAsksAndOnlyNoKeepsTheMemo) {
    Open();
    SetMemo("NEGATIVE\nFLIP_HORIZONTAL");
    std::vector<Box> boxes;
    Answer(boxes, mrNo);
    batch_8900::BatchForm->mnuNewB->trigger();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Clear Lab commands?");
    EXPECT_EQ(voMsgBox::DefaultButtonName, "No");
    EXPECT_EQ(Memo(), "NEGATIVE\nFLIP_HORIZONTAL");
    Answer(boxes, mrYes);
    batch_8900::BatchForm->mnuNewB->trigger();
    EXPECT_EQ(Memo(), "");
}

TEST_F(LabScriptWindowTest, EachOptionIsTickedFromItsByteAndWritesItAndSaysWhatItDoes) {
    struct Option {
        TMenuItem* TBatchForm::*item;
        std::size_t offset;
        const char* on;
        const char* off;
    };
    const std::vector<Option> options = {
        {&TBatchForm::chkNoLabBackup, vc::NoLabBackup,
         "Image backup before lab processing disabled for faster operation.",
         "Image backup before lab processing enabled."},
        {&TBatchForm::chkLabComments, vc::LabComments,
         "Lab commands will be added to JPEG file as comments for future reference.",
         "Additional JPEG comments disabled."},
    };
    ViewerControls.SetFlag(vc::LabComments, true);
    TBatchForm& form = Open();
    EXPECT_FALSE(form.chkNoLabBackup->isChecked());
    EXPECT_TRUE(form.chkLabComments->isChecked());
    ViewerControls.SetFlag(vc::LabComments, false);
    form.FormActivate();
    for (const Option& option : options) {
        TMenuItem* item = form.*option.item;
        SCOPED_TRACE(item->objectName().toStdString());
        EXPECT_FALSE(item->isChecked());
        std::vector<Box> boxes;
        Answer(boxes, mrOk);
        item->trigger();
        EXPECT_TRUE(item->isChecked());
        EXPECT_EQ(ViewerControls.Bytes[option.offset], 1);
        Answer(boxes, mrOk);
        item->trigger();
        EXPECT_FALSE(item->isChecked());
        EXPECT_EQ(ViewerControls.Bytes[option.offset], 0);
        ASSERT_EQ(boxes.size(), 2u);
        EXPECT_EQ(boxes[0].text, option.on);
        EXPECT_EQ(boxes[1].text, option.off);
    }
}

TEST_F(LabScriptWindowTest, ClosingHidesTheWindowAndStoresItsBounds) {
    TBatchForm& form = Open();
    form.move(40, 30);
    form.resize(300, 400);
    form.Exit1->trigger();
    ASSERT_EQ(batch_8900::BatchForm, &form);
    EXPECT_FALSE(form.isVisible());
    EXPECT_TRUE(batch_8900::BatchFormOpen);
    EXPECT_EQ(std::tuple(ViewerControls.Int(vc::LabBounds), ViewerControls.Int(vc::LabBounds + 4),
                         ViewerControls.Int(vc::LabBounds + 8), ViewerControls.Int(vc::LabBounds + 12)),
              std::tuple(form.x(), form.y(), form.x() + 300, form.y() + 400));

    // At shut-down the window goes.
    ShutDown = true;
    QPointer<TBatchForm> gone = &form;
    form.Close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(gone.isNull());
    EXPECT_EQ(batch_8900::BatchForm, nullptr);
    EXPECT_FALSE(batch_8900::BatchFormOpen);
}

TEST_F(LabScriptWindowTest, TheWindowIsPlacedFromTheStoredBoundsWhenMade) {
    ViewerControls.SetInt(vc::LabBounds, -1);
    WebForm->resize(std::max(100, Screen.Width() - 500), 300);
    TBatchForm& form = Open();
    EXPECT_EQ(std::tuple(form.x(), form.y(), form.width(), form.height()),
              std::tuple(WebForm->width() + 1, 0, 320, 480));
}

// ---- Files

TEST_F(LabScriptWindowTest, ASavedScriptReopensWithTheSameLinesAndCrLfEndings) {
    QDir().mkpath(QString::fromStdString(ProgramFolder() + "bipfiles"));
    Open();
    SetMemo("NEGATIVE\nGAMMA=120,100,80\n\nSAVE=_web");
    const std::string folder = ProgramFolder() + "scripts/";
    QDir().mkpath(QString::fromStdString(folder));
    DialogSeen save;
    AnswerFileDialog(save, folder + "warm");
    batch_8900::BatchForm->mnuSaveB->trigger();
    EXPECT_EQ(save.title, "Save Lab Commands");
    EXPECT_EQ(save.folder, ProgramFolder() + "bipfiles");
    EXPECT_EQ(ReadFileText(folder + "warm.bip"), "NEGATIVE\r\nGAMMA=120,100,80\r\n\r\nSAVE=_web\r\n");
    EXPECT_EQ(Caption(), "Lab Script - warm.bip");
    EXPECT_EQ(batch_8900::BipFolder, folder);
    // The borrowed dialog is the bookmarks' again.
    EXPECT_EQ(WebForm->SaveDialogVOP->Title, "");
    EXPECT_EQ(WebForm->SaveDialogVOP->Filter, "");

    SetMemo("");
    DialogSeen open;
    AnswerFileDialog(open, folder + "warm.bip");
    batch_8900::BatchForm->mnuOpenB->trigger();
    EXPECT_EQ(open.title, "Open Lab Commands");
    EXPECT_EQ(open.folder + "/", folder);
    EXPECT_EQ(open.name, "warm.bip");
    EXPECT_EQ(Memo(), "NEGATIVE\nGAMMA=120,100,80\n\nSAVE=_web");
    EXPECT_EQ(WebForm->OpenDialogAny->Title, "");
}

TEST_F(LabScriptWindowTest, ScriptsWithLfEndingsOrInWindows1252Load) {
    struct Case {
        const char* fixture;
        std::string memo;
    };
    const std::vector<Case> cases = {
        {"bip/lf.bip", "NEGATIVE\nFLIP_HORIZONTAL\nTEXTMARK_TOPLEFT=ñandú"},
        {"bip/cp1252.bip", "TEXTMARK_TOPLEFT=Café — “Lab”\nNEGATIVE"},
    };
    Open();
    for (const Case& c : cases) {
        const std::string copy = CopyToHome(c.fixture, ExtractFileName(c.fixture));
        DialogSeen seen;
        AnswerFileDialog(seen, copy);
        batch_8900::BatchForm->mnuOpenB->trigger();
        EXPECT_EQ(Memo(), c.memo) << c.fixture;
        EXPECT_EQ(Caption(), "Lab Script - " + ExtractFileName(c.fixture));
    }
}

TEST_F(LabScriptWindowTest, AnUnreadableScriptEmptiesTheMemoSilently) {
    Open();
    SetMemo("NEGATIVE");
    const std::string script = ProgramFolder() + "locked.bip";
    WriteFileText(script, "FLIP_HORIZONTAL\r\n");
    ASSERT_EQ(::chmod(script.c_str(), 0), 0);
    NoPermissionOverride guard;
    if (FILE* f = std::fopen(script.c_str(), "r")) {
        std::fclose(f);
        GTEST_SKIP() << "this user can read files without permission";
    }
    DialogSeen seen;
    AnswerFileDialog(seen, script);
    batch_8900::BatchForm->mnuOpenB->trigger();
    EXPECT_EQ(Memo(), "");
    EXPECT_EQ(QueuedModalAnswers(), 0);
    EXPECT_EQ(UnansweredModalRuns(), 0);
}

TEST_F(LabScriptWindowTest, ASaveIntoAReadOnlyFolderSaysSoAndKeepsTheMemo) {
    Open();
    SetMemo("NEGATIVE");
    const std::string folder = ProgramFolder() + "locked";
    QDir().mkpath(QString::fromStdString(folder));
    ASSERT_EQ(::chmod(folder.c_str(), 0555), 0);
    {
        NoPermissionOverride guard;
        if (FILE* f = std::fopen((folder + "/probe").c_str(), "w")) {
            std::fclose(f);
            ::chmod(folder.c_str(), 0755);
            GTEST_SKIP() << "this user can write into read-only folders";
        }
        DialogSeen seen;
        AnswerFileDialog(seen, folder + "/kept.bip");
        std::vector<Box> boxes;
        Answer(boxes, mrAbort);
        batch_8900::BatchForm->mnuSaveB->trigger();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, "Cannot access drive/folder.\nCheck device or security settings.\nSave aborted.");
    }
    ::chmod(folder.c_str(), 0755);
    EXPECT_EQ(Memo(), "NEGATIVE");
    EXPECT_EQ(Caption(), "Lab Script");
    EXPECT_FALSE(FileExists(folder + "/kept.bip"));
}

TEST_F(LabScriptWindowTest, TheRecentButtonLeadsToTheRecentFolderMadeWhenMissing) {
    Open();
    DialogSeen first, second;
    QueueModalAction([&](QDialog&) { WebForm->OpenDialogAny->FRecent()->click(); });
    AnswerFileDialog(second, "");
    batch_8900::BatchForm->mnuOpenB->trigger();
    EXPECT_EQ(QueuedModalAnswers(), 0);
    EXPECT_EQ(second.title, "Open Lab Commands");
    EXPECT_EQ(second.folder, ProgramFolder() + "recent");
    EXPECT_TRUE(DirectoryExists(ProgramFolder() + "recent"));
}

TEST_F(LabScriptWindowTest, AScriptFileFromTheExplorerOpensWithTheFilePreselected) {
    WebForm->OpenBIPfile(ProgramFolder() + "missing.bip");
    EXPECT_EQ(batch_8900::BatchForm, nullptr);

    const std::string script = CopyToHome("bip/lf.bip", "handed/lf.bip");
    DialogSeen seen;
    AnswerFileDialog(seen, script);
    WebForm->OpenBIPfile(script);
    ASSERT_NE(batch_8900::BatchForm, nullptr);
    EXPECT_TRUE(batch_8900::BatchForm->isVisible());
    EXPECT_EQ(seen.folder + "/", ProgramFolder() + "handed/");
    EXPECT_EQ(seen.name, "lf.bip");
    EXPECT_EQ(Memo(), "NEGATIVE\nFLIP_HORIZONTAL\nTEXTMARK_TOPLEFT=ñandú");
    EXPECT_EQ(Caption(), "Lab Script - lf.bip");
}

// ---- Recording

TEST_F(LabScriptWindowTest, RecordedLinesMoveIntoTheMemoAtTheFirstOpeningAndLaterOnesFollow) {
    WebForm->mnuNegativeClick(WebForm->mnuNegative);
    WebForm->mnuNegativeClick(WebForm->mnuNegative);
    EXPECT_EQ(Script(), (std::vector<std::string>{"NEGATIVE", "NEGATIVE"}));
    Open();
    EXPECT_TRUE(batch_8900::BatchForm->isVisible());
    EXPECT_EQ(Memo(), "NEGATIVE\nNEGATIVE");
    EXPECT_TRUE(Script().empty());

    // Hidden, the window still takes the lines.
    batch_8900::BatchForm->Close();
    WebForm->mnuNegativeClick(WebForm->mnuNegative);
    EXPECT_EQ(Memo(), "NEGATIVE\nNEGATIVE\nNEGATIVE");
    EXPECT_TRUE(Script().empty());

    // Opening it again keeps its memo.
    WebForm->mnuBatchEditor1Click(nullptr);
    EXPECT_TRUE(batch_8900::BatchForm->isVisible());
    EXPECT_EQ(Memo(), "NEGATIVE\nNEGATIVE\nNEGATIVE");
}

TEST_F(LabScriptWindowTest, AltBOpensTheWindowAndPerformRunsTheMemo) {
    WebForm->show();
    WebForm->EnableControls();
    QApplication::setActiveWindow(WebForm);
    EXPECT_EQ(WebForm->mnuBatchEditor1->text().toStdString(), "&Edit script");
    QTest::keyClick(WebForm, Qt::Key_B, Qt::AltModifier);
    ASSERT_NE(batch_8900::BatchForm, nullptr);
    EXPECT_TRUE(batch_8900::BatchForm->isVisible());

    TBitmap before;
    before.Assign(&Display());
    SetMemo("FLIP_HORIZONTAL");
    WebForm->mnuPerformBatch1->trigger();
    EXPECT_EQ(ColorAt(Display(), 0, 0), ColorAt(before, 36, 0));
    EXPECT_EQ(WebForm->AnyTimer->Tag, 2);
    EXPECT_TRUE(WebForm->AnyTimer->Enabled());
    WebForm->AnyTimerTimer();
    EXPECT_EQ(StatusTextValue, "Lab done.");
}

// ---- Activation

TEST_F(LabScriptWindowTest, ActivationTakesTheImageWindowsFileAndViewMenusAndShortcutsUntilItIsActivated) {
    WebForm->show();
    WebForm->FormActivate();
    ASSERT_FALSE(WebForm->mnuUndo->shortcut().isEmpty());
    Open();
    EXPECT_FALSE(WebForm->mnuFileV->isEnabled());
    EXPECT_FALSE(WebForm->mnuViewV->isEnabled());
    EXPECT_TRUE(WebForm->mnuUndo->shortcut().isEmpty());
    EXPECT_TRUE(batch_8900::BatchFormOpen);
    EXPECT_EQ(batch_8900::BatchForm->focusWidget(), batch_8900::BatchForm->Memo1);

    batch_8900::BatchForm->Close();
    WebForm->FormActivate();
    EXPECT_TRUE(WebForm->mnuFileV->isEnabled());
    EXPECT_TRUE(WebForm->mnuViewV->isEnabled());
    EXPECT_FALSE(WebForm->mnuUndo->shortcut().isEmpty());
}

// ---- Perform

TEST_F(LabScriptWindowTest, PerformRunsTheScriptWithOneUndoForTheWholeRunAndRecordsNothing) {
    TBitmap before;
    before.Assign(&Display());
    Open();
    SetMemo("NEGATIVE\nFLIP_HORIZONTAL\nROTATE=90");
    batch_8900::BatchForm->mnuPerformB->trigger();
    EXPECT_EQ(std::tuple(Display().Width(), Display().Height()), std::tuple(23, 37));
    EXPECT_EQ(Memo(), "NEGATIVE\nFLIP_HORIZONTAL\nROTATE=90");  // a run adds no lines
    EXPECT_TRUE(Script().empty());
    EXPECT_FALSE(batch_8900::BatchRunning);
    EXPECT_FALSE(batch_8900::NoLabBackup);

    WebForm->mnuUndoClick(nullptr);
    EXPECT_TRUE(SamePicture(before, Display()));
}

TEST_F(LabScriptWindowTest, NoUndoTakesNoCopyAndAnEmptyMemoDoesNothing) {
    TBitmap before;
    before.Assign(&Display());
    Open();
    batch_8900::BatchForm->mnuPerformB->setEnabled(true);
    batch_8900::BatchForm->mnuPerformB->trigger();
    EXPECT_TRUE(SamePicture(before, Display()));
    EXPECT_FALSE(ImageUndoSaved);
    EXPECT_FALSE(WebForm->AnyTimer->Enabled());

    ViewerControls.SetFlag(vc::NoLabBackup, true);
    SetMemo("NEGATIVE");
    batch_8900::BatchForm->mnuPerformB->trigger();
    EXPECT_FALSE(SamePicture(before, Display()));
    EXPECT_FALSE(ImageUndoSaved);
    EXPECT_FALSE(batch_8900::NoLabBackup);
}

TEST_F(LabScriptWindowTest, PerformFromTheImageWindowOffersToTurnOffTheViewGamma) {
    const std::string picture = CopyToHome("geometry/src24.bmp", "pictures/src24.bmp");
    FileName = picture;
    Open();
    SetMemo("NEGATIVE");
    WebForm->mnuViewGamma->Tag = 120;

    // Abort: nothing runs, and "No Undo" is not left in force for the
    // commands that follow.
    TBitmap before;
    before.Assign(&Display());
    ViewerControls.SetFlag(vc::NoLabBackup, true);
    std::vector<Box> boxes;
    Answer(boxes, mrAbort);
    WebForm->mnuPerformBatch1Click(WebForm->mnuPerformBatch1);
    ViewerControls.SetFlag(vc::NoLabBackup, false);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "You have screen gamma enabled, which is cumulative;\nit will affect batch image "
                             "processing results.\nDisable?");
    EXPECT_EQ(voMsgBox::DefaultButtonName, "Abort");
    EXPECT_TRUE(SamePicture(before, Display()));
    EXPECT_EQ(WebForm->mnuViewGamma->Tag, 120);
    EXPECT_FALSE(batch_8900::NoLabBackup);

    // Yes to All: the gamma goes, the file opens again and later runs ask nothing.
    Answer(boxes, mrYesToAll);
    WebForm->mnuPerformBatch1Click(WebForm->mnuPerformBatch1);
    EXPECT_EQ(WebForm->mnuViewGamma->Tag, 100);
    EXPECT_EQ(WebForm->mnuPerformBatch1->Tag, 1);
    EXPECT_EQ(std::tuple(Display().Width(), Display().Height()), std::tuple(37, 23));
    TBitmap reopened;
    reopened.LoadFromFile(picture);
    reopened.SetPixelFormat(pf24bit);
    TBitmap negative;
    negative.Assign(&Display());
    for (int y = 0; y < negative.Height(); ++y)
        for (int x = 0; x < 3 * negative.Width(); ++x)
            negative.ScanLine(y)[x] = uint8_t(255 - negative.ScanLine(y)[x]);
    EXPECT_TRUE(SamePicture(reopened, negative));

    WebForm->mnuAspect->Tag = slidesize::AspectFourThree;
    WebForm->mnuPerformBatch1Click(WebForm->mnuPerformBatch1);
    EXPECT_EQ(boxes.size(), 2u);
    EXPECT_EQ(WebForm->mnuAspect->Tag, slidesize::AspectNatural);
}

TEST_F(LabScriptWindowTest, AnAspectModeIsNamedAndAnUntitledPictureIsNotOpenedAgain) {
    FileName = "Untitled";
    Open();
    SetMemo("NEGATIVE");
    WebForm->mnuAspect->Tag = slidesize::AspectSixteenNine;
    TBitmap before;
    before.Assign(&Display());
    std::vector<Box> boxes;
    Answer(boxes, mrYes);
    Answer(boxes, mrOk);
    WebForm->mnuPerformBatch1Click(WebForm->mnuPerformBatch1);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, "You have an automatic resizing feature enabled;\nit will affect batch image "
                             "processing results.\nDisable?");
    EXPECT_EQ(boxes[1].text, "Image is not linked to a filename. Setting cancelled.");
    EXPECT_EQ(WebForm->mnuPerformBatch1->Tag, 0);
    EXPECT_EQ(WebForm->mnuAspect->Tag, slidesize::AspectNatural);
    // The script ran on the picture as it was.
    EXPECT_FALSE(SamePicture(before, Display()));
    WebForm->mnuUndoClick(nullptr);
    EXPECT_TRUE(SamePicture(before, Display()));
}

TEST_F(LabScriptWindowTest, PerformBeforeTheWindowWasEverMadeDoesNothing) {
    TBitmap before;
    before.Assign(&Display());
    LabScript.Add("NEGATIVE");
    ViewerControls.SetFlag(vc::NoLabBackup, true);
    WebForm->mnuPerformBatch1Click(WebForm->mnuPerformBatch1);
    EXPECT_TRUE(SamePicture(before, Display()));
    EXPECT_FALSE(batch_8900::NoLabBackup);
    EXPECT_EQ(batch_8900::BatchForm, nullptr);
}

}  // namespace
