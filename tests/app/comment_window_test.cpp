// The "JPEG Text" window: its place and its bounds in the settings, the
// reading of a file into memo and label, the strip and insert commands with
// their backup, questions and messages, the information box's hand-over and
// the EXIF date lookup of the image window.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDialog>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QPlainTextEdit>

#include "imaging/JpegText.h"
#include "app/comment_8900.h"
#include "app/lumv8900.h"
#include "platform/Folders.h"
#include "platform/Menus.h"
#include "support/file_helpers.h"
#include "support/message_boxes.h"
#include "ui/OpenDialogPlus.h"

#include "app_test_tools.h"

#include <climits>
#include <string>
#include <vector>

using namespace lumvor;
using namespace lumvor::lumv8900;
using namespace lumvor::comment_8900;
using lumvor::test::Answer;
using lumvor::test::Box;
using lumvor::test::CopyToHome;
using lumvor::test::Fixture;

namespace {

std::string Quoted(const std::string& name) { return "'" + name + "'"; }
// jpeginfo -c finds no fault in the file (its exit status).
bool JpeginfoPasses(const std::string& file) {
    return test::CommandOutput("jpeginfo -c " + Quoted(file) + " > /dev/null 2>&1 && echo pass") == "pass\n";
}

std::string Djpeg(const std::string& file) { return test::CommandOutput("djpeg -pnm " + Quoted(file) + " 2>/dev/null"); }

// Answers the next open dialog with a file; title receives the dialog's title.
void ChooseFile(const std::string& path, std::string* title = nullptr) {
    QueueModalAction([path, title](QDialog& dialog) {
        if (title)
            *title = dialog.windowTitle().toStdString();
        static_cast<QFileDialog&>(dialog).selectFile(QString::fromStdString(path));
        dialog.accept();
    });
}

class CommentWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ClearModalAnswers();
        ViewerControls = TViewerControls{};
        ImageChanged = false;
        ShutDown = false;
        MainUnitInit({});
        ASSERT_TRUE(ProgramStart());
        WebForm->mnuQuit->Tag = 1;
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    }
    void TearDown() override {
        QLocale::setDefault(QLocale::system());
        ShutDown = false;
        test::FreeWindows();
    }
    TCommentForm& Form() {
        if (!CommentFormCreated)
            new TCommentForm(WebForm);
        return *CommentForm;
    }
};

}  // namespace

TEST(CommentFormPlace, BoundsTable) {
    struct Case {
        TRect stored;
        int screenWidth, screenHeight;
        TRect expected;
    } cases[] = {
        {Rect(100, 50, 740, 530), 1280, 1024, Rect(100, 50, 740, 530)},      // kept
        {Rect(0, 0, 0, 0), 1280, 1024, Rect(320, 256, 960, 768)},            // never stored: a quarter, centred
        {Rect(0, 0, 2000, 900), 1280, 1024, Rect(320, 256, 960, 768)},       // wider than the screen
        {Rect(10, 10, 60, 400), 1280, 1024, Rect(320, 256, 960, 768)},       // under 64 wide
        {Rect(0, 0, 0, 0), 600, 400, Rect(140, 80, 460, 320)},               // at least 320 x 240
        {Rect(-30, -5, 470, 395), 1280, 1024, Rect(0, 0, 500, 400)},         // negatives become 0
        {Rect(1000, 100, 1400, 500), 1280, 1024, Rect(440, 100, 840, 500)},  // past the right edge
        {Rect(100, 900, 500, 1200), 1280, 1024, Rect(100, 362, 500, 662)},   // past the bottom edge
        {Rect(INT_MIN, INT_MIN, INT_MAX, INT_MAX), 1280, 1024, Rect(320, 256, 960, 768)},
    };
    for (const Case& c : cases) {
        const TRect got = CommentFormBounds(c.stored, c.screenWidth, c.screenHeight);
        EXPECT_EQ(std::vector<int>({got.Left, got.Top, got.Right, got.Bottom}),
                  std::vector<int>({c.expected.Left, c.expected.Top, c.expected.Right, c.expected.Bottom}))
            << c.stored.Left << "," << c.stored.Top << "," << c.stored.Right << "," << c.stored.Bottom;
    }
}

// The window takes its bounds from bytes 16 to 31; closing hides it and stores
// them back; Escape closes too; at shut-down it really closes.
TEST_F(CommentWindowTest, CloseHidesAndStoresTheBounds) {
    ViewerControls.SetInt(vc::CommentBounds, 40);
    ViewerControls.SetInt(vc::CommentBounds + 4, 30);
    ViewerControls.SetInt(vc::CommentBounds + 8, 440);
    ViewerControls.SetInt(vc::CommentBounds + 12, 330);
    TCommentForm& form = Form();
    EXPECT_EQ(form.windowTitle(), "JPEG Text");
    EXPECT_EQ(form.pos(), QPoint(40, 30));
    EXPECT_EQ(form.size(), QSize(400, 300));

    form.show();
    form.move(60, 70);
    form.resize(500, 350);
    EXPECT_FALSE(form.close());
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(CommentForm, &form);
    EXPECT_EQ(ViewerControls.Int(vc::CommentBounds), form.x());
    EXPECT_EQ(ViewerControls.Int(vc::CommentBounds + 4), form.y());
    EXPECT_EQ(ViewerControls.Int(vc::CommentBounds + 8), form.x() + 500);
    EXPECT_EQ(ViewerControls.Int(vc::CommentBounds + 12), form.y() + 350);

    form.show();
    QKeyEvent escape(QEvent::KeyRelease, Qt::Key_Escape, Qt::NoModifier);
    QCoreApplication::sendEvent(&form, &escape);
    EXPECT_FALSE(form.isVisible());

    ShutDown = true;
    EXPECT_TRUE(form.close());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(CommentForm, nullptr);
    EXPECT_FALSE(CommentFormCreated);
}

// Activating the window disables the image window's File and View menus and
// its shortcuts; the image window's close hides it and stores its bounds.
TEST_F(CommentWindowTest, ActivationAndTheImageWindowsClose) {
    WebForm->show();
    // The first activation shows the explorer, whose own activation takes the
    // image window's menus too.
    WebForm->FormActivate();
    TCommentForm& form = Form();
    form.show();
    form.FormActivate();
    EXPECT_FALSE(WebForm->mnuFileV->isEnabled());
    EXPECT_FALSE(WebForm->mnuViewV->isEnabled());
    EXPECT_TRUE(WebForm->mnuRecycle->shortcut().isEmpty());
    WebForm->FormActivate();  // the image window's activation gives them back
    EXPECT_TRUE(WebForm->mnuFileV->isEnabled());
    EXPECT_EQ(WebForm->mnuRecycle->shortcut(), QKeySequence(Qt::Key_Delete));

    form.move(80, 90);
    EXPECT_TRUE(WebForm->close());
    EXPECT_EQ(ViewerControls.Int(vc::CommentBounds), form.x());
    EXPECT_FALSE(form.isVisible());
}

// The menu's items and the help context.
TEST_F(CommentWindowTest, MenuItems) {
    TCommentForm& form = Form();
    std::vector<std::string> captions;
    for (QObject* item : {static_cast<QObject*>(form.mnuRead), static_cast<QObject*>(form.mnuAddComments),
                          static_cast<QObject*>(form.mnuStripALL), static_cast<QObject*>(form.mnuStripCOM),
                          static_cast<QObject*>(form.Exit1), static_cast<QObject*>(form.mnuHelp)})
        captions.push_back(static_cast<TMenuItem*>(item)->Caption());
    EXPECT_EQ(captions, (std::vector<std::string>{"&Read", "&Add text", "&All extra info", "&Comments only",
                                                  "&Close", "&Help"}));
    EXPECT_EQ(form.Strip1->title(), "&Strip");
    long asked = 0;
    Application.OnHelp = [&asked](long context) {
        asked = context;
        return true;
    };
    form.mnuHelp->trigger();
    EXPECT_EQ(asked, 600);
}

// Reading a file: the memo shows the EXIF lines and the comments, the caption
// the lower-case name, the label size, date (short format of the locale) and
// view, each part ending with LF CR.
TEST_F(CommentWindowTest, ReadFillsMemoAndLabel) {
    const std::string name = CopyToHome("exif/comments_around_exif.jpg", "Read/Photo.JPG");
    test::CommandOutput("touch -d '2021-07-04 13:05:00' " + Quoted(name));
    ImageViewInfo = "160x120(24)";
    TCommentForm& form = Form();
    form.LoadJpegText(name);
    const QStringList memo = form.Memo1->toPlainText().split('\n');
    EXPECT_EQ(memo.first(), "Make = ABC");
    EXPECT_TRUE(memo.contains("DateTimeOriginal = 2021:07:04 12:00:00"));
    EXPECT_EQ(memo.mid(memo.size() - 3),
              (QStringList{"Before the EXIF block", "After the EXIF block", ""}));
    EXPECT_EQ(form.windowTitle().toStdString(), LowerCase(name));
    const std::string size = test::CommandOutput("stat -c %s " + Quoted(name));
    EXPECT_EQ(form.LabelData->Caption(), "Size: " + size.substr(0, size.size() - 1) +
                                                         " bytes\n\rDate: 7/4/21 1:05 PM\n\rView: 160x120(24)\n\r");
    EXPECT_EQ(form.LabelData->text().count('\n'), 2);  // each LF CR shows as one line break
    EXPECT_EQ(CommentTextList.Count(), 17);

    // The list file holds the same lines; other extensions are not read.
    const std::string list = ProgramFolder() + "Read/lines.txt";
    EXPECT_TRUE(form.ReadJpegText(name, list));
    EXPECT_EQ(test::ReadFileText(list).substr(0, 12), "Make = ABC\r\n");
    EXPECT_FALSE(form.ReadJpegText(CopyToHome("png/rgb8.png", "Read/x.png"), ""));
    EXPECT_THROW(form.ReadJpegText(CopyToHome("png/rgb8.png", "Read/fake.jpg"), ""), EInvalidGraphic);
}

// The information box of a JPEG goes to the window: "View: " and the text;
// a file that is not a JPEG inside warns and shows the plain box.
TEST_F(CommentWindowTest, InformationBoxHandsJpegsToTheWindow) {
    FileName = CopyToHome("exif/exif_motorola.jpg", "Info/photo.jpg");
    FileExt = ".JPG";
    std::vector<Box> boxes;
    WebForm->mnuImageInfoClick(nullptr);
    ASSERT_NE(CommentForm, nullptr);
    EXPECT_TRUE(CommentForm->isVisible());
    const std::string label = CommentForm->LabelData->Caption();
    EXPECT_EQ(label.substr(0, 6), "View: ");
    EXPECT_NE(label.find("\r\nDate: "), std::string::npos);
    EXPECT_EQ(CommentForm->Memo1->toPlainText().split('\n').first(), "Make = ABC");
    EXPECT_EQ(UnansweredModalRuns(), 0);

    FileName = CopyToHome("png/rgb8.png", "Info/fake.jpg");
    Answer(boxes, mrOk);
    Answer(boxes, mrOk);
    WebForm->mnuImageInfoClick(nullptr);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, "Bad header; corrupted.\n" + FileName);
    EXPECT_NE(boxes[1].text.find("Name: fake.jpg\n"), std::string::npos);
}

// Stripping comments through the window: the original goes to ".bak", the
// message names the bytes removed, the picture's data is untouched.
TEST_F(CommentWindowTest, StripCommentsWithBackup) {
    const std::string photo = CopyToHome("exif/comments_around_exif.jpg", "Strip/photo.jpg");
    const std::string original = test::ReadFileText(photo);
    const std::string filter = WebForm->OpenDialog->Filter;
    std::vector<Box> boxes;
    std::string title;
    ChooseFile(photo, &title);
    Answer(boxes, mrOk);
    Form().mnuStripCOM->trigger();
    EXPECT_EQ(title, "Select file to remove JPEG comments. (Original will be copied to *.bak.)");
    EXPECT_EQ(WebForm->OpenDialog->Filter, filter);
    ASSERT_EQ(boxes.size(), 1u);
    const std::string stripped = test::ReadFileText(photo);
    EXPECT_EQ(boxes[0].text, "Comments removed:" + std::to_string(original.size() - stripped.size()) + " bytes");
    EXPECT_EQ(original.size() - stripped.size(), 25u + 24);
    EXPECT_EQ(test::ReadFileText(ProgramFolder() + "Strip/photo.bak"), original);
    EXPECT_EQ(test::CommandOutput("rdjpgcom " + Quoted(photo)), "");
    EXPECT_EQ(Djpeg(photo), Djpeg(Fixture("exif/comments_around_exif.jpg")));
    EXPECT_TRUE(JpeginfoPasses(photo));
    EXPECT_EQ(test::CommandOutput("exiftool -s3 -Make " + Quoted(photo)), "ABC\n");

    // Nothing left to strip: no backup is written.
    QFile::remove(QString::fromStdString(ProgramFolder() + "Strip/photo.bak"));
    ChooseFile(photo);
    Answer(boxes, mrOk);
    Form().mnuStripCOM->trigger();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1].text, "No Comments found.\nFile unchanged.");
    EXPECT_FALSE(FileExists(ProgramFolder() + "Strip/photo.bak"));
}

// An older ".bak" brings the question; No leaves the file as it was.
TEST_F(CommentWindowTest, ExistingBackupAsksFirst) {
    const std::string photo = CopyToHome("exif/all_segments.jpg", "Ask/photo.jpg");
    const std::string backup = ProgramFolder() + "Ask/photo.bak";
    test::WriteFileText(backup, "older");
    const std::string original = test::ReadFileText(photo);
    std::vector<Box> boxes;
    ChooseFile(photo);
    Answer(boxes, mrNo);
    Form().mnuStripALL->trigger();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, backup + " exists.\nOrignal file is copied to *.bak.\nOverwrite *.bak file?");
    EXPECT_EQ(test::ReadFileText(photo), original);
    EXPECT_EQ(test::ReadFileText(backup), "older");

    ChooseFile(photo);
    Answer(boxes, mrYes);
    Answer(boxes, mrOk);
    Form().mnuStripALL->trigger();
    ASSERT_EQ(boxes.size(), 3u);
    const size_t removed = original.size() - test::ReadFileText(photo).size();
    EXPECT_EQ(boxes[2].text, "Extra info removed:" + std::to_string(removed) + " bytes");
    EXPECT_EQ(test::ReadFileText(backup), original);
    EXPECT_EQ(Djpeg(photo), Djpeg(Fixture("exif/all_segments.jpg")));
}

// "Add text" puts the memo's lines, CR LF between them, into a new comment
// after the EXIF block; too long a text is refused before anything is asked.
TEST_F(CommentWindowTest, AddTextInsertsTheMemo) {
    const std::string photo = CopyToHome("exif/exif_motorola.jpg", "Add/photo.jpg");
    QFile::setPermissions(QString::fromStdString(photo), QFile::ReadOwner | QFile::WriteOwner);
    TCommentForm& form = Form();
    form.Memo1->setPlainText("First line\nSecond line");
    ChooseFile(photo);
    form.mnuAddComments->trigger();
    EXPECT_EQ(QueuedModalAnswers(), 0);
    EXPECT_EQ(test::CommandOutput("rdjpgcom -raw " + Quoted(photo)), "First line\r\nSecond line\n");
    EXPECT_EQ(test::ReadFileText(ProgramFolder() + "Add/photo.bak"), test::ReadFileText(Fixture("exif/exif_motorola.jpg")));
    EXPECT_EQ(test::CommandOutput("exiftool -s3 -Make -Orientation -n " + Quoted(photo)), "ABC\n6\n");
    EXPECT_EQ(Djpeg(photo), Djpeg(Fixture("exif/exif_motorola.jpg")));
    EXPECT_EQ(form.windowTitle().toStdString(), photo);
    // The rewritten file and its backup stay private, as the photo was.
    for (const std::string& name : {photo, ProgramFolder() + "Add/photo.bak"})
        EXPECT_EQ(QFile::permissions(QString::fromStdString(name)) &
                      (QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther),
                  QFileDevice::Permissions())
            << name;

    form.Memo1->setPlainText(QString(32001, 'x'));
    std::vector<Box> boxes;
    Answer(boxes, mrOk);
    form.mnuAddComments->trigger();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Comment too large (maximum 32000 characters).");
    EXPECT_EQ(UnansweredModalRuns(), 0);
}

// A photo whose EXIF thumbnail carries "JFIF" keeps its full picture through
// both commands; junk in front of SOI is dropped exactly.
TEST_F(CommentWindowTest, ThumbnailWithJfifKeepsThePhoto) {
    const std::string expected = Djpeg(Fixture("exif/exif_thumb.jpg"));
    const std::string photo = CopyToHome("exif/exif_thumb.jpg", "Thumb/photo.jpg");
    TCommentForm& form = Form();
    form.Memo1->setPlainText("Note");
    ChooseFile(photo);
    form.mnuAddComments->trigger();
    EXPECT_EQ(Djpeg(photo), expected);
    std::vector<Box> boxes;
    ChooseFile(photo);
    Answer(boxes, mrYes);  // replace the backup
    Answer(boxes, mrOk);
    form.mnuStripALL->trigger();
    EXPECT_EQ(Djpeg(photo), expected);

    std::string junk(60 * 1024, 'j');
    const std::string junked = ProgramFolder() + "Thumb/junked.jpg";
    test::WriteFileText(junked, junk + test::ReadFileText(Fixture("exif/exif_thumb.jpg")));
    ChooseFile(junked);
    form.mnuAddComments->trigger();
    const std::string written = test::ReadFileText(junked);
    EXPECT_EQ(written.size(), test::ReadFileText(Fixture("exif/exif_thumb.jpg")).size() + 8);
    EXPECT_EQ(written.substr(0, 4), "\xFF\xD8\xFF\xE1");
    EXPECT_EQ(Djpeg(junked), expected);

    // A file with no JPEG start is refused.
    const std::string fake = CopyToHome("png/rgb8.png", "Thumb/fake.jpg");
    ChooseFile(fake);
    Answer(boxes, mrAbort);
    form.mnuStripCOM->trigger();
    EXPECT_EQ(boxes.back().text, "File has bad JPEG markers.");
    EXPECT_EQ(test::ReadFileText(fake), test::ReadFileText(Fixture("png/rgb8.png")));
}

// The image window's date lookup: the current picture stays the same.
TEST_F(CommentWindowTest, DateLookupLeavesTheCurrentPicture) {
    FileName = "/pictures/current.png";
    const std::string taken = CopyToHome("exif/exif_motorola.jpg", "Dates/taken.jpg");
    const std::string edited = CopyToHome("exif/exif_edited_only.jpg", "Dates/edited.JPEG");
    EXPECT_EQ(WebForm->GetJPEGDateText(taken), "Taken = 2021:07:04 12:00:00");
    EXPECT_EQ(WebForm->GetJPEGDateText(edited), "Edited = 2021:07:05 08:30:00");
    EXPECT_EQ(WebForm->GetJPEGDateText(CopyToHome("exif/bare.jpg", "Dates/none.jpg")), "");
    EXPECT_EQ(WebForm->GetJPEGDateText(CopyToHome("png/rgb8.png", "Dates/x.png")), "");
    EXPECT_EQ(WebForm->GetJPEGDateText(ProgramFolder() + "Dates/missing.jpg"), "");
    EXPECT_EQ(FileName, "/pictures/current.png");
}
