// The structure commands in the image window: where their items stand, the
// red-eye refusal without a selection and a cancelled artefacts dialog.
#include <gtest/gtest.h>

#include "app/lumv8900.h"
#include "app/save_form_fixture.h"
#include "platform/Forms.h"
#include "support/bitmap_raster.h"
#include "support/message_boxes.h"
#include "ui/Pix.h"
#include "ui/usrdlg_w.h"

#include <QMenu>
#include <QPushButton>

#include <string>
#include <vector>

using namespace lumvor;
using namespace lumvor::test;
using namespace lumvor::lumv8900;

namespace {

class StructureCommands : public LabWindowTest {
protected:
    void SetUp() override {
        LabWindowTest::SetUp();
        TBitmap picture;
        MakePicture(picture, 24);
        Show(picture);
        before = RasterOfBitmap(Display());
    }
    RgbRaster before;
};

// The titles of the menus an item stands in.
std::vector<std::string> MenusOf(const QAction* item) {
    std::vector<std::string> titles;
    for (QObject* owner : item->associatedObjects())
        if (auto* menu = qobject_cast<QMenu*>(owner))
            titles.push_back(menu->title().toStdString());
    return titles;
}

TEST_F(StructureCommands, ItemsStandInTheirMenus) {
    EXPECT_EQ(MenusOf(WebForm->mnuCenter1), std::vector<std::string>{"&Advanced"});
    EXPECT_EQ(WebForm->mnuCenter1->Caption(), "C&enter");
    EXPECT_EQ(MenusOf(WebForm->mnuRedEye1), std::vector<std::string>{"E&nhance"});
    EXPECT_EQ(MenusOf(WebForm->mnuNoiseRemoval), std::vector<std::string>{"E&nhance"});
    EXPECT_EQ(MenusOf(WebForm->mnuArtifacts), std::vector<std::string>{"&Other"});
}

TEST_F(StructureCommands, RedEyeWithoutASelectionOnlyAsks) {
    SelectionShown = false;
    std::vector<Box> boxes;
    Answer(boxes, mrOk);
    WebForm->mnuRedEye1Click(nullptr);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].title, "\"Red eye\" removal");
    EXPECT_EQ(boxes[0].text, "Please select (marquee) a region on your image.");
    EXPECT_TRUE(SameBitmap(before, Display()));
    EXPECT_TRUE(Script().empty());
}

TEST_F(StructureCommands, CancelledArtefactsLeavePictureAndUndoAsTheyWere) {
    const bool undoSaved = ImageUndoSaved;
    const bool changed = ImageChanged;
    QueueModalAction([](QDialog& d) { static_cast<TXScrlDlg&>(d).btnCancel->click(); });
    WebForm->mnuArtifactsClick(nullptr);
    EXPECT_EQ(QueuedModalAnswers(), 0);
    EXPECT_TRUE(SameBitmap(before, Display()));
    EXPECT_EQ(ImageUndoSaved, undoSaved);
    EXPECT_EQ(ImageChanged, changed);
    EXPECT_TRUE(Script().empty());
    EXPECT_EQ(WebForm->mnuArtifacts->Tag, 48);
}

}  // namespace
