// The explorer hands the files it opens to the real image window and slide
// album, each by the path it has on disk.
#include "save_form_fixture.h"

#include "album/show8900.h"
#include "explorer/FolderListing.h"
#include "imaging/Helpers.h"
#include "support/file_helpers.h"
#include "ui/LookBoxEx.h"
#include "ui/MeOpenDialogEx.h"
#include "ui/ToolBarEx.h"
#include "ui/VListShowEx.h"

#include <QFile>
#include <QTemporaryDir>

#include <chrono>
#include <filesystem>

using namespace lumvor;
using namespace lumvor::lumv8900;
using namespace lumvor::test;

namespace {

class ExplorerOpenTest : public ImageWindowTest {
protected:
    void SetUp() override {
        ImageWindowTest::SetUp();
        ASSERT_TRUE(dir.isValid());
        folder = dir.path().toStdString() + "/Holiday Photos/";
        ForceDirectories(folder);
    }
    void TearDown() override {
        delete show8900::ShowForm;
        ImageWindowTest::TearDown();
    }
    // Lists the folder in the explorer and selects the one named file.
    void ListAndSelect(const std::string& name) {
        const auto then = std::filesystem::file_time_type::clock::now() - std::chrono::minutes(1);
        for (const auto& entry : std::filesystem::directory_iterator(folder))
            std::filesystem::last_write_time(entry.path(), then);
        TFileForm& explorer = *xplr8900::FileForm;
        explorer.Listing->ActivationPending = false;
        explorer.LookBox->SetFolder(folder);
        ASSERT_EQ(ExploreDir, folder);
        for (int row = 0; row < int(explorer.Listing->FileOrder.size()); ++row)
            if (explorer.Listing->GetItemPath(row) == folder + name) {
                explorer.XL->SelectRows(row, row, true);
                explorer.XL->SetItemFocused(explorer.XL->Items()->Item(row));
                return;
            }
        FAIL() << name << " is not listed";
    }
    QTemporaryDir dir;
    std::string folder;
};

TEST_F(ExplorerOpenTest, APictureOpensInTheImageWindow) {
    QFile::copy(QString::fromStdString(std::string(LUMVOR_FIXTURES) + "/bitmaps/bmp3_24.bmp"),
                QString::fromStdString(folder + "Beach.BMP"));
    ListAndSelect("Beach.BMP");
    xplr8900::FileForm->btnOpenXClick(xplr8900::FileForm->btnOpenX);
    EXPECT_EQ(FileName, folder + "Beach.BMP");
    EXPECT_EQ(Display().Width(), 13);
}

TEST_F(ExplorerOpenTest, ABookmarkListLoadsAndStartsTheBookmarkShow) {
    WriteFileText(folder + "Trip.VOP", "/pictures/One.jpg\r\n/pictures/Two.JPG\r\n");
    ListAndSelect("Trip.VOP");
    xplr8900::FileForm->btnOpenXClick(xplr8900::FileForm->btnOpenX);
    ASSERT_EQ(ImageHistoryList.Count(), 2);
    EXPECT_EQ(ImageHistoryList[1], "/pictures/Two.JPG");
    EXPECT_EQ(WebForm->OpenDialogAny->FileName(), folder + "Trip.VOP");
}

TEST_F(ExplorerOpenTest, ASlideShowScriptShowsTheAlbumWithTheScriptNamed) {
    WriteFileText(folder + "Show.AVL", "[Header]\r\n");
    ListAndSelect("Show.AVL");
    xplr8900::FileForm->btnOpenXClick(xplr8900::FileForm->btnOpenX);
    ASSERT_NE(show8900::ShowForm, nullptr);
    EXPECT_TRUE(show8900::ShowForm->isVisible());
    EXPECT_EQ(WebForm->OpenDialogAny->FileName(), folder + "Show.AVL");
}

}  // namespace
