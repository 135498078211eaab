// Files dropped on the image window, files handed over by name, and the first,
// last and reload commands.
#include "save_form_fixture.h"

#include "imaging/AvlScript.h"
#include "support/file_helpers.h"
#include "ui/DragDrop.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QMimeData>
#include <QTemporaryDir>
#include <QUrl>

using namespace lumvor;
using namespace lumvor::lumv8900;
using namespace lumvor::test;

namespace {

class DropTest : public ImageWindowTest {
protected:
    // A copy of a fixture picture (13 x 7 pixels) under a new name.
    std::string Picture(const std::string& fixture, const std::string& name) {
        const std::string target = dir.path().toStdString() + "/" + name;
        QFile::copy(QString::fromStdString(std::string(LUMVOR_FIXTURES) + "/bitmaps/" + fixture),
                    QString::fromStdString(target));
        return target;
    }
    // The picture named was opened and is shown.
    void ExpectOpened(const std::string& name) {
        EXPECT_EQ(FileName, name);
        EXPECT_EQ(Display().Width(), 13);
        EXPECT_EQ(Display().Height(), 7);
        EXPECT_FALSE(ImageChanged);
    }
    QTemporaryDir dir;
    std::vector<std::string> History() const {
        std::vector<std::string> out;
        for (int i = 0; i < ImageHistoryList.Count(); ++i)
            out.push_back(ImageHistoryList[i]);
        return out;
    }
};

TEST_F(DropTest, AThreeFileDropBookmarksTheOthersAndOpensTheFirst) {
    TBitmap picture;
    MakePicture(picture, 24);
    Show(picture, "/pictures/Before.JPG");
    ImageHistoryList.Add("/pictures/kept.jpg");
    const std::string one = Picture("bmp3_24.bmp", "One.BMP");
    // Through the window's drop target, as the desktop drops a file list.
    QMimeData data;
    data.setData(UriListMimeType, UriListOf({one, "/photos/Two.png", "/photos/Three.gif"}));
    int effect = DROPEFFECT_COPY;
    WebForm->DropTarget->Drop(&data, 0, TPoint{0, 0}, effect);
    // The third and then the second follow the earlier bookmarks; the open
    // bookmarks the first itself.
    const int kept = ImageHistoryList.IndexOf("/pictures/kept.jpg");
    ASSERT_GE(kept, 0);
    EXPECT_EQ(ImageHistoryList.IndexOf("/photos/Three.gif"), kept + 1);
    EXPECT_EQ(ImageHistoryList.IndexOf("/photos/Two.png"), kept + 2);
    EXPECT_GE(ImageHistoryList.IndexOf(one), 0);
    ExpectOpened(one);
    EXPECT_EQ(FileExt, ".BMP");
}

TEST_F(DropTest, UnsupportedDropsAndDropsDuringASlideShowChangeNothing) {
    TBitmap picture;
    MakePicture(picture, 24);
    Show(picture, "/pictures/Before.jpg");
    ImageChanged = true;
    for (const char* name : {"/docs/letter.odt", "/docs/archive.zip", "/docs/noext"}) {
        WebForm->WMDropFiles({name});
        EXPECT_EQ(FileName, "/pictures/Before.jpg") << name;
    }
    SlideshowRunning = true;
    WebForm->WMDropFiles({"/photos/a.jpg", "/photos/b.jpg"});
    SlideshowRunning = false;
    EXPECT_EQ(FileName, "/pictures/Before.jpg");
    EXPECT_EQ(ImageHistoryList.Count(), 0);
    EXPECT_TRUE(ImageChanged);
    EXPECT_FALSE(Display().GetEmpty());
    EXPECT_TRUE(Calls().empty());
    EXPECT_EQ(QueuedModalAnswers(), 0);  // nothing asked
}

TEST_F(DropTest, AModifiedPictureIsKeptWhenTheUserSaysNo) {
    TBitmap picture;
    MakePicture(picture, 24);
    Show(picture, "/pictures/Before.jpg");
    ImageChanged = true;
    const std::string dropped = Picture("pcx8.pcx", "a.pcx");
    QueueModalResult(mrNo);
    WebForm->WMDropFiles({dropped});
    EXPECT_EQ(FileName, "/pictures/Before.jpg");
    EXPECT_TRUE(ImageChanged);
    EXPECT_EQ(Display().Width(), 37);
    QueueModalResult(mrYes);
    WebForm->WMDropFiles({dropped});
    ExpectOpened(dropped);
}

TEST_F(DropTest, ScriptsGoToTheSlideShowAndArchivesToTheZipWindow) {
    const std::string script = dir.path().toStdString() + "/show.avl";
    WriteFileText(script, "[Header]\r\nVersion=11\r\n");
    TBitmap picture;
    MakePicture(picture, 24);
    Show(picture, "/pictures/Before.jpg");
    CmdLinePending = true;
    // The script holds no slide: the show says so and does not start.
    std::string message;
    QueueModalAction([&message](QDialog& d) {
        auto* label = d.findChild<QLabel*>("Message");
        message = label ? label->text().toStdString() : std::string();
        d.done(mrOk);
    });
    WebForm->WMDropFiles({script});
    EXPECT_EQ(SlideFileName, script);
    EXPECT_EQ(message, "Bad AVL file.");
    EXPECT_FALSE(CmdLinePending);
    EXPECT_FALSE(Called("BtnOpenEx " + script));

    WebForm->PendingCalls.clear();
    WebForm->DragOpen("/archives/Photos.ZIP");
    ASSERT_NE(Unzip_8900::UnZipForm, nullptr);
    EXPECT_EQ(Unzip_8900::UnZipForm->Archives(), std::vector<std::string>{"/archives/Photos.ZIP"});
    EXPECT_TRUE(Calls().empty());
    EXPECT_FALSE(Display().GetEmpty());  // the picture stays
}

TEST_F(DropTest, HandOverOpensPicturesAndMediaAndAnEmptyNameOnlyBringsTheWindowBack) {
    PreviousFileName = "/pictures/earlier.jpg";
    const std::string beach = Picture("bmp3_24.bmp", "Beach.Bmp");
    WebForm->DragOpen(beach);
    ExpectOpened(beach);
    EXPECT_EQ(PreviousFileName, "");

    // Media are shown unfitted (playback itself is refused for now).
    FitWindow = true;
    QueueModalResult(mrOk);
    WebForm->DragOpen("/music/song.mp3");
    EXPECT_FALSE(FitWindow);
    EXPECT_EQ(QueuedModalAnswers(), 0);

    FullScreen = true;
    FileName = beach;
    WebForm->PendingCalls.clear();
    WebForm->DragOpen("");
    EXPECT_EQ(FileName, beach);
    EXPECT_TRUE(Calls().empty());
    EXPECT_TRUE(WebForm->isVisible());
}

TEST_F(DropTest, FirstAndLastBookmarkOpenOrRefreshTheList) {
    const std::string first = Picture("bmp3_24.bmp", "first.bmp");
    const std::string gone = dir.path().toStdString() + "/gone.bmp";
    ImageHistoryList.Add(first);
    ImageHistoryList.Add(gone);
    WebForm->mnuFirstImage = new TMenuItem("&First", WebForm);
    WebForm->mnuFirstImageClick(WebForm->mnuFirstImage);
    EXPECT_EQ(ImageHistoryIndex, 0);
    ExpectOpened(first);

    // The last one is gone: the list refreshes itself instead of opening it.
    WebForm->mnuFirstImageClick(nullptr);
    EXPECT_EQ(ImageHistoryList.IndexOf(gone), -1);
    EXPECT_EQ(FileName == gone, false);

    // Reload opens the current file again.
    Display().Assign(nullptr);
    FileName = first;
    WebForm->mnuReloadClick(nullptr);
    ExpectOpened(first);
}

}  // namespace
