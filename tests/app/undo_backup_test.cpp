// The automatic backup before an editing command and the one-shot undo.
#include "save_form_fixture.h"

#include "platform/Folders.h"
#include "platform/SysUtils.h"
#include "support/case_names.h"

#include <cstring>

using namespace lumvor;
using namespace lumvor::lumv8900;
using namespace lumvor::test;

namespace {

// What an editing command does to the picture: another size, depth and content.
void Edit(TBitmap& display) {
    display.SetPixelFormat(pf24bit);
    display.SetSize(11, 9);
    display.Canvas().Brush.Color = TColor{0x00FF00};
    display.Canvas().FillRect(Rect(0, 0, 11, 9));
    ImageWidth = 11;
    ImageHeight = 9;
    ImageBitCount = 24;
    ImageChanged = true;
}

class UndoTest : public ImageWindowTest, public ::testing::WithParamInterface<int> {};

TEST_P(UndoTest, BackupThenUndoRestoresPixelsPaletteSizeAndDepthOnce) {
    const int bits = GetParam();
    TBitmap original;
    MakePicture(original, bits);
    Show(original);
    ASSERT_TRUE(WebForm->AutoBackUp());
    EXPECT_TRUE(ImageUndoSaved);
    // Small pictures are kept as PCX images, the others as BMP images.
    ASSERT_GE(WorkStream.Size(), 2);
    EXPECT_EQ(WorkStream.Memory()[0], bits < 8 ? 0x0A : 'B');

    Edit(Display());
    WebForm->mnuUndoClick(nullptr);
    EXPECT_TRUE(SamePicture(Display(), original));
    EXPECT_EQ(ImageBitCount, bits);
    EXPECT_EQ(ImageWidth, 37);
    EXPECT_EQ(ImageHeight, 23);
    EXPECT_FALSE(ImageChanged);  // unmodified before the command
    EXPECT_FALSE(ImageUndoSaved);

    // One shot: a second undo has nothing left, says so and keeps the picture.
    std::vector<Box> boxes;
    Answer(boxes, mrOk);
    WebForm->mnuUndoClick(nullptr);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Undo failed.");
    EXPECT_TRUE(SamePicture(Display(), original));
}

INSTANTIATE_TEST_SUITE_P(Depths, UndoTest, ::testing::Values(1, 4, 8, 24), CaseNames<&DepthName>);

TEST_F(ImageWindowTest, UndoKeepsTheModifiedMarkOfEarlierEdits) {
    TBitmap original;
    MakePicture(original, 24);
    Show(original);
    ImageChanged = true;  // an earlier edit
    ASSERT_TRUE(WebForm->AutoBackUp());
    Edit(Display());
    WebForm->mnuUndoClick(nullptr);
    EXPECT_TRUE(SamePicture(Display(), original));
    EXPECT_TRUE(ImageChanged);
}

TEST_F(ImageWindowTest, AFailedUndoKeepsThePictureAndItsMark) {
    TBitmap original;
    MakePicture(original, 8);
    Show(original);
    ASSERT_TRUE(WebForm->AutoBackUp());
    Edit(Display());
    // The backup is damaged.
    WorkStream.SetSize(30);
    std::vector<Box> boxes;
    Answer(boxes, mrOk);
    WebForm->mnuUndoClick(nullptr);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Undo failed.");
    EXPECT_EQ(Display().Width(), 11);
    EXPECT_EQ(PixelFormatDepth(Display().PixelFormat()), 24);
    EXPECT_EQ(ColorAt(Display(), 5, 5), 0x00FF00u);
    EXPECT_TRUE(ImageChanged);
    EXPECT_EQ(FileName, "/pictures/shown.bmp");
}

TEST_F(ImageWindowTest, NoUndoAndScriptRunsSkipTheBackup) {
    TBitmap original;
    MakePicture(original, 24);
    Show(original);
    for (bool* flag : {&batch_8900::NoLabBackup, &batch_8900::BatchRunning}) {
        *flag = true;
        EXPECT_TRUE(WebForm->AutoBackUp());
        EXPECT_FALSE(ImageUndoSaved);
        EXPECT_EQ(WorkStream.Size(), 0);
        *flag = false;
    }
}

TEST_F(ImageWindowTest, TheUndoFileParksAndRestoresThePicture) {
    TBitmap original;
    MakePicture(original, 4);
    Show(original);
    ASSERT_FALSE(WebForm->CopyToUndoBitmap(true));
    EXPECT_TRUE(UndoValid);
    EXPECT_EQ(ExtractFileName(UndoFile).substr(ExtractFileName(UndoFile).size() - 11), "vo_undo.pcx");
    EXPECT_EQ(UndoFile.rfind(TempFolder(), 0), 0u);
    ASSERT_TRUE(FileExists(UndoFile));
    Edit(Display());
    ASSERT_FALSE(WebForm->CopyFromUndoBitmap());
    EXPECT_TRUE(SamePicture(Display(), original));
    EXPECT_FALSE(FileExists(UndoFile));
    EXPECT_FALSE(UndoValid);

    // The in-memory copy goes back through the temporary bitmap file.
    ASSERT_FALSE(WebForm->CopyToUndoBitmap(false));
    EXPECT_FALSE(UndoValid);
    Edit(Display());
    ASSERT_FALSE(WebForm->CopyFromUndoBitmap());
    EXPECT_TRUE(SamePicture(Display(), original));
    // Nothing left: a failure.
    EXPECT_TRUE(WebForm->CopyFromUndoBitmap());
}

}  // namespace
