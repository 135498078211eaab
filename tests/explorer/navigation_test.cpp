// The explorer's navigation: the path box's change, Up, Back and Forward over
// the visited folders, "Visited Folders", "Go to folder ...", GoToFolder,
// network places and the path texts of the web page generator.
#include "explorer/xplr8900.h"

#include "app/lumv8900.h"
#include "state/ExplorerSettings.h"
#include "explorer/FolderListing.h"
#include "imaging/Helpers.h"
#include "platform/Folders.h"
#include "platform/Forms.h"
#include "platform/Menus.h"
#include "platform/SysUtils.h"
#include "ui/ComboBoxEx.h"
#include "ui/LookBoxEx.h"
#include "ui/ToolBarEx.h"
#include "ui/VListShowEx.h"
#include "ui/listdlg_y.h"
#include "ui/walk8900.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>

#include <sys/mount.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "support/case_names.h"
#include "support/explorer_start.h"
#include "support/message_boxes.h"
#include "support/window_hooks.h"

namespace lumvor {
namespace {

using namespace xplr8900;

const std::string kCannotAccess = "Cannot access drive/folder.\nCheck device or security settings.\n\n";
const std::string kNetworkMessage =
    "Folder cannot be accessed.  If folder is on a network, check\n\n"
    "a) visibility in \"Network Neighborhood\" or \"Network Places\"\n"
    "  (use \"Add Network Place\" to make desired folder visible);\n\n"
    "b) if you have a valid and authorized connection;\n\n"
    "c) if Network support must be enabled.";

// A file dated a minute back: the listing skips files younger than 2 seconds.
void OldFile(const std::string& path) {
    QFile file(QString::fromStdString(path));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("picture");
    file.close();
    const auto then = std::filesystem::file_time_type::clock::now() - std::chrono::minutes(1);
    std::filesystem::last_write_time(path, then);
}

class NavigationTest : public test::ExplorerFormTest {
protected:
    void SetUp() override {
        ExplorerFormTest::SetUp();
        const auto shown = form->Listing->View.StatusMessage;
        form->Listing->View.StatusMessage = [this, shown](const std::string& text) {
            if (text == "Listing ...")
                ++listings;
            if (shown)
                shown(text);
        };
    }
    void TearDown() override {
        if (!mounted.empty())
            ::umount2(mounted.c_str(), MNT_DETACH);
        ExplorerFormTest::TearDown();
    }
    // A tmpfs mounted at root + name; "" where mounts cannot be made.
    std::string Mount(const std::string& name) {
        const std::string point = Folder(name);
        if (::mount("none", point.c_str(), "tmpfs", 0, "size=1m") != 0)
            return "";
        mounted = RemoveBackslash(point);
        return point;
    }

    std::string mounted;
    int listings = 0;
    std::vector<test::Box> boxes;
};

// ---- Up

TEST_F(NavigationTest, UpIsDisabledOnlyAtTheRootAndClimbsOneFolder) {
    const std::string photos = Folder("a/photos");
    Go("/");
    EXPECT_FALSE(form->BtnUp->isEnabled());
    EXPECT_FALSE(form->mnuFLevel->isEnabled());
    Go(photos);
    EXPECT_TRUE(form->BtnUp->isEnabled());
    EXPECT_TRUE(form->mnuFLevel->isEnabled());
    form->BtnUpClick(form->BtnUp);
    EXPECT_EQ(form->LookBox->Folder(), root + "a/");
    EXPECT_EQ(ExploreDir, root + "a/");
}

TEST_F(NavigationTest, AMountPointIsNoDeadEnd) {
    const std::string volume = Mount("card");
    if (volume.empty())
        GTEST_SKIP() << "no tmpfs can be mounted here";
    ForceDirectories(volume + "x/y");
    ASSERT_TRUE(IsRootPath(volume));
    Go(volume);
    EXPECT_EQ(ExploreDir, volume);
    EXPECT_TRUE(form->BtnUp->isEnabled());
    form->BtnUpClick(form->BtnUp);
    EXPECT_EQ(form->LookBox->Folder(), root);

    // The path texts count their folders from the mount point.
    EXPECT_EQ(PathComponent(volume + "x/y/", 2), "x");
    EXPECT_EQ(PathComponent(volume + "x/y/", 3), "y");
    EXPECT_EQ(PathComponent(volume + "x/y/", 4), "");
    EXPECT_EQ(WebFolderName(volume), "Untitled");
    EXPECT_EQ(WebFolderName(volume + "x/"), "x");
}

// ---- The visited folders

TEST_F(NavigationTest, BackWrapsAroundAndDropsVanishedFolders) {
    const std::string a = Folder("a"), b = Folder("b"), c = Folder("c");
    const std::string home = HistoryList[0];
    for (const std::string& f : {a, b, c})
        Go(f);
    ASSERT_EQ(HistoryList.Count(), 4);
    EXPECT_EQ(HistoryIndex, 3);
    std::filesystem::remove(RemoveBackslash(b));

    form->btnNextClick(form->btnBack);
    EXPECT_EQ(ExploreDir, a);
    EXPECT_EQ(HistoryList.Count(), 3) << "the vanished folder's entry goes";
    form->btnNextClick(form->btnBack);
    EXPECT_EQ(ExploreDir, home);
    EXPECT_EQ(HistoryIndex, 0);
    form->btnNextClick(form->btnBack);
    EXPECT_EQ(ExploreDir, c) << "Back from the first entry wraps to the last";
    form->btnNextClick(form->btnNext);
    EXPECT_EQ(ExploreDir, home) << "Forward from the last entry wraps to the first";
    // Stepping adds nothing to the history.
    EXPECT_EQ(HistoryList.Count(), 3);
    EXPECT_EQ(HistoryList[1], a);
    EXPECT_EQ(HistoryList[2], c);
}

TEST_F(NavigationTest, FoldersDifferingInCaseAreTwoEntries) {
    const std::string upper = Folder("Photos"), lower = Folder("photos");
    Go(upper);
    Go(lower);
    ASSERT_EQ(HistoryList.Count(), 3);
    EXPECT_EQ(HistoryList[1], upper);
    EXPECT_EQ(HistoryList[2], lower);
    form->btnNextClick(form->mnuBackFolder);
    EXPECT_EQ(ExploreDir, upper);
    EXPECT_EQ(form->LookBox->Folder(), upper);
}

TEST_F(NavigationTest, TheHistoryKeepsTheLatest256AndIsSavedOnClose) {
    for (int i = 0; i < 300; ++i)
        Go(Folder("f" + std::to_string(i)));
    ASSERT_EQ(HistoryList.Count(), MaxHistory);
    EXPECT_EQ(HistoryList[0], root + "f44/");
    EXPECT_EQ(HistoryList[255], root + "f299/");
    EXPECT_EQ(HistoryIndex, 255);
    lumv8900::ShutDown = true;
    form->Close();
    TStringList saved;
    saved.LoadFromFile(HistoryListFile());
    ASSERT_EQ(saved.Count(), 256);
    EXPECT_EQ(saved[0], root + "f44/");
    EXPECT_EQ(saved[255], root + "f299/");
}

TEST_F(NavigationTest, VisitedFoldersGoesToTheChosenEntryWithoutAddingIt) {
    const std::string a = Folder("a"), b = Folder("b");
    Go(a);
    Go(b);
    const int before = HistoryList.Count();
    QueueModalAction([&](QDialog& d) {
        auto& dlg = dynamic_cast<TListDlg&>(d);
        EXPECT_EQ(dlg.windowTitle().toStdString(), "Visited Folders");
        // The current folder is pre-selected; the user picks the one before.
        EXPECT_TRUE(dlg.VChoices->Items()->Item(before - 1)->Selected());
        dlg.VChoices->Items()->Item(before - 1)->SetSelected(false);
        dlg.VChoices->Items()->Item(before - 2)->SetSelected(true);
        dlg.btnOK->click();
    });
    form->btnBookmarksClick(form->btnBookmarks);
    EXPECT_EQ(ExploreDir, a);
    EXPECT_EQ(HistoryList.Count(), before);
    EXPECT_FALSE(form->HistoryStep);

    QueueModalResult(mrCancel);
    form->btnBookmarksClick(form->btnBookmarks);
    EXPECT_EQ(ExploreDir, a);
    EXPECT_EQ(HistoryList.Count(), before);
}

// ---- Routes into a folder

TEST_F(NavigationTest, GoToFolderListsOnlyAnotherFolder) {
    const std::string a = Folder("a"), b = Folder("b");
    Go(a);
    listings = 0;
    form->GoToFolder(a);
    form->GoToFolder(RemoveBackslash(a));
    EXPECT_EQ(listings, 0);
    form->GoToFolder(b);
    EXPECT_EQ(listings, 1);
    EXPECT_EQ(ExploreDir, b);
    EXPECT_EQ(form->Calls.back(), "GoToFolder " + b);
}

TEST_F(NavigationTest, DotFoldersListAndDetoursAreRefused) {
    const std::string local = Folder(".local");
    OldFile(local + "note.jpg");
    Go(local);
    EXPECT_EQ(ExploreDir, local);
    EXPECT_EQ(form->Listing->FileOrder.size(), 1u);

    const std::string detour = local + "../.local/";
    test::Answer(boxes, mrOk);
    Go(detour);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, kCannotAccess + detour);
    EXPECT_EQ(ExploreDir, HomeFolder());
    EXPECT_EQ(form->LookBox->Folder(), HomeFolder());
}

TEST_F(NavigationTest, AMissingFolderIsReportedAndTheHomeFolderListed) {
    const std::string gone = root + "gone/";
    test::Answer(boxes, mrOk);
    Go(gone);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, kCannotAccess + gone);
    EXPECT_EQ(ExploreDir, HomeFolder());
    EXPECT_NE(HistoryList[HistoryList.Count() - 1], gone);
}

// ---- Network places

TEST_F(NavigationTest, ANetworkPlaceListsOnlyWithNetworkSupport) {
    setenv("XDG_RUNTIME_DIR", (root + "run").c_str(), 1);
    const std::string share = Folder("run/gvfs/smb-share:server=nas,share=pics");
    const std::string pics = Folder("run/gvfs/smb-share:server=nas,share=pics/2024");
    OldFile(pics + "beach.jpg");

    Go(pics);
    EXPECT_EQ(ExploreDir, pics);
    EXPECT_TRUE(form->Listing->FileOrder.empty()) << "nothing is listed, and no message shown";

    test::Answer(boxes, mrOk);
    form->mnuNetworkSupportClick(form->mnuNetworkSupport);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].text.find("Authorized access to networked resources is assumed"), std::string::npos);
    EXPECT_TRUE(EControls.Flag(ec::NetworkSupport));
    EXPECT_TRUE(form->mnuNetworkSupport->isChecked());
    ASSERT_EQ(form->NetRoots.Count(), 1);
    EXPECT_EQ(form->NetRoots[0], RemoveBackslash(share));
    form->LookBoxChange(form->LookBox);
    EXPECT_EQ(form->Listing->FileOrder.size(), 1u);

    // Switching off leaves the network place for the home folder.
    form->mnuNetworkSupportClick(form->mnuNetworkSupport);
    EXPECT_FALSE(EControls.Flag(ec::NetworkSupport));
    EXPECT_EQ(ExploreDir, HomeFolder());
    EXPECT_EQ(boxes.size(), 1u);
}

TEST_F(NavigationTest, GoToFolderIntoANetworkPlaceWithoutSupportFallsBack) {
    setenv("XDG_RUNTIME_DIR", (root + "run").c_str(), 1);
    const std::string pics = Folder("run/gvfs/smb-share:server=nas,share=pics");
    Go(Folder("a"));
    QueueModalAction([&](QDialog& d) {
        auto& picker = static_cast<TWalkForm&>(d);
        picker.MoveHistory->SetText(pics);
        picker.btnOK->click();
    });
    test::Answer(boxes, mrOk);
    form->mnuGotoFolderClick(nullptr);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, kNetworkMessage);
    EXPECT_EQ(ExploreDir, HomeFolder());
}

TEST_F(NavigationTest, GoToFolderTakesThePickedFolder) {
    const std::string a = Folder("a"), b = Folder("b");
    Go(a);
    QueueModalAction([&](QDialog& d) {
        auto& picker = static_cast<TWalkForm&>(d);
        picker.MoveHistory->SetText(b);
        picker.btnOK->click();
    });
    form->mnuGotoFolderClick(nullptr);
    EXPECT_EQ(ExploreDir, b);
    EXPECT_EQ(HistoryList[HistoryList.Count() - 1], b);
}

// ---- Volumes

struct DriveKindCase {
    const char* fileSystem;
    const char* mountPoint;
    int32_t kind;
};

class DriveKindTest : public ::testing::TestWithParam<DriveKindCase> {};

TEST_P(DriveKindTest, ByFileSystemAndPlace) {
    EXPECT_EQ(DriveKind(GetParam().fileSystem, GetParam().mountPoint), GetParam().kind);
}

INSTANTIATE_TEST_SUITE_P(Volumes, DriveKindTest,
                         ::testing::Values(DriveKindCase{"ext4", "/", DriveFixed},
                                           DriveKindCase{"nfs4", "/srv/share", DriveMappedNetwork},
                                           DriveKindCase{"cifs", "/mnt/nas", DriveMappedNetwork},
                                           DriveKindCase{"fuse.sshfs", "/home/u/remote", DriveMappedNetwork},
                                           DriveKindCase{"iso9660", "/media/u/CDROM", DriveOptical},
                                           DriveKindCase{"udf", "/run/media/u/DVD", DriveOptical},
                                           DriveKindCase{"vfat", "/media/u/CARD", DriveRemovable}),
                         test::CaseNames<&DriveKindCase::fileSystem>);

TEST_F(NavigationTest, TheDriveListFollowsThePathBoxVolumes) {
    form->SetupDrives();
    int drives = 0;
    for (int i = 2; i < form->LookBox->ItemCount(); ++i)
        drives += form->LookBox->IsDriveItem(i) ? 1 : 0;
    EXPECT_EQ(form->DriveList->Count(), drives);
    const int rootIndex = form->GetDriveIndex("/");
    if (form->DriveList->Count() >= 2) {
        ASSERT_GE(rootIndex, 0);
        EXPECT_EQ(form->DriveList->Get(rootIndex), "/");
    } else {
        EXPECT_EQ(rootIndex, 1);
    }
}

// ---- Path texts of the web page generator

TEST(WebPathTexts, NamesAndEscapes) {
    EXPECT_EQ(WebFolderName("/a/"), "a");
    EXPECT_EQ(WebFolderName("/"), "Untitled");
    EXPECT_EQ(WebFolderName("/home/u/Holiday 2024/"), "Holiday 2024");
    EXPECT_EQ(UrlEscape("my #1 trip"), "my%20%231%20trip");
    EXPECT_EQ(UpperFolderNames("/x/y/z/", 1), "y/z");
    EXPECT_EQ(UpperFolderNames("/x/y/z/", 0), "z");
    EXPECT_EQ(UpperFolderNames("/x/", 3), "x");
    EXPECT_EQ(PathComponent("/x/y/", 2), "x");
    EXPECT_EQ(PathComponent("/x/y/", 1), "");
}

}  // namespace
}  // namespace lumvor
