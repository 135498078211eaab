// Files dropped on the image window, files handed over by name, and the first,
// last and reload commands.
#include "save_form_fixture.h"

#include "imaging/AvlScript.h"
#include "support/file_helpers.h"
#include "ui/DragDrop.h"

#include <QComboBox>
#include <QMimeData>
#include <QTemporaryDir>
#include <QUrl>

using namespace lumvor;
using namespace lumvor::lumv8900;
using namespace lumvor::test;

namespace {

class DropTest : public ImageWindowTest {
protected:
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
    // Through the window's drop target, as the desktop drops a file list.
    QMimeData data;
    data.setData(UriListMimeType, UriListOf({"/photos/One.JPG", "/photos/Two.png", "/photos/Three.gif"}));
    int effect = DROPEFFECT_COPY;
    WebForm->DropTarget->Drop(&data, 0, TPoint{0, 0}, effect);
    const std::vector<std::string> expected = {"/pictures/kept.jpg", "/photos/Three.gif", "/photos/Two.png"};
    EXPECT_EQ(History(), expected);
    EXPECT_EQ(FileName, "/photos/One.JPG");
    EXPECT_EQ(FileExt, ".JPG");
    EXPECT_TRUE(Called("BtnOpenEx /photos/One.JPG"));
    EXPECT_TRUE(Display().GetEmpty());
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
    QueueModalResult(mrNo);
    WebForm->WMDropFiles({"/photos/a.jpg"});
    EXPECT_EQ(FileName, "/pictures/Before.jpg");
    EXPECT_TRUE(ImageChanged);
    EXPECT_FALSE(Display().GetEmpty());
    QueueModalResult(mrYes);
    WebForm->WMDropFiles({"/photos/a.jpg"});
    EXPECT_EQ(FileName, "/photos/a.jpg");
    EXPECT_FALSE(ImageChanged);
}

TEST_F(DropTest, ScriptsGoToTheSlideShowAndArchivesToTheZipWindow) {
    QTemporaryDir dir;
    const std::string script = dir.path().toStdString() + "/show.avl";
    WriteFileText(script, "[Header]\r\nVersion=11\r\n");
    TBitmap picture;
    MakePicture(picture, 24);
    Show(picture, "/pictures/Before.jpg");
    CmdLinePending = true;
    WebForm->WMDropFiles({script});
    EXPECT_EQ(SlideFileName, script);
    EXPECT_TRUE(Called("mnuHistorySlideshowClick"));
    EXPECT_FALSE(CmdLinePending);
    EXPECT_FALSE(Called("BtnOpenEx " + script));

    WebForm->PendingCalls.clear();
    WebForm->DragOpen("/archives/Photos.ZIP");
    ASSERT_NE(Unzip_8900::UnZipForm, nullptr);
    EXPECT_EQ(Unzip_8900::UnZipForm->Calls, std::vector<std::string>{"Populate /archives/Photos.ZIP"});
    EXPECT_TRUE(Calls().empty());
    EXPECT_FALSE(Display().GetEmpty());  // the picture stays
}

TEST_F(DropTest, HandOverOpensPicturesAndMediaAndAnEmptyNameOnlyBringsTheWindowBack) {
    PreviousFileName = "/pictures/earlier.jpg";
    WebForm->DragOpen("/photos/Beach.Png");
    EXPECT_EQ(FileName, "/photos/Beach.Png");
    EXPECT_EQ(FileExt, ".PNG");
    EXPECT_TRUE(Called("BtnOpenEx /photos/Beach.Png"));
    EXPECT_EQ(PreviousFileName, "");

    FitWindow = true;
    WebForm->PendingCalls.clear();
    WebForm->DragOpen("/music/song.mp3");
    // Media are shown unfitted.
    EXPECT_FALSE(FitWindow);
    EXPECT_TRUE(Called("BtnOpenEx /music/song.mp3"));

    FullScreen = true;
    WebForm->PendingCalls.clear();
    WebForm->DragOpen("");
    EXPECT_EQ(FileName, "/music/song.mp3");
    EXPECT_TRUE(Calls().empty());
    EXPECT_TRUE(WebForm->isVisible());
}

TEST_F(DropTest, FirstAndLastBookmarkOpenOrRefreshTheList) {
    QTemporaryDir dir;
    const std::string first = dir.path().toStdString() + "/first.jpg";
    WriteFileText(first, "x");
    ImageHistoryList.Add(first);
    ImageHistoryList.Add(dir.path().toStdString() + "/gone.jpg");
    WebForm->mnuFirstImage = new TMenuItem("&First", WebForm);
    WebForm->mnuFirstImageClick(WebForm->mnuFirstImage);
    EXPECT_EQ(ImageHistoryIndex, 0);
    EXPECT_TRUE(Called("BtnOpenEx " + first));

    // The last one is gone: the list refreshes itself instead of opening it.
    WebForm->PendingCalls.clear();
    WebForm->mnuFirstImageClick(nullptr);
    EXPECT_EQ(ImageHistoryList.IndexOf(dir.path().toStdString() + "/gone.jpg"), -1);
    EXPECT_FALSE(Called("BtnOpenEx " + dir.path().toStdString() + "/gone.jpg"));

    WebForm->PendingCalls.clear();
    FileName = first;
    WebForm->mnuReloadClick(nullptr);
    EXPECT_EQ(Calls(), std::vector<std::string>{"BtnOpenEx " + first});
}

}  // namespace
