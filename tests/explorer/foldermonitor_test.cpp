// The explorer's folder change monitor with real inotify on temporary
// folders: files copied, written, made in a burst and overwritten by other
// programs reach the list; the explored folder removed or renamed from
// outside; a hidden explorer; "Auto refresh" off; the folders never watched;
// a refresh that stays idle. Every wait has a deadline.
#include "explorer/xplr8900.h"

#include "state/ExplorerSettings.h"
#include "explorer/FolderListing.h"
#include "explorer/FolderMonitor.h"
#include "explorer/ListCells.h"
#include "explorer/ThumbFiles.h"
#include "imaging/FileRec.h"
#include "imaging/Helpers.h"
#include "imaging/ThumbCache.h"
#include "platform/ChangeNotify.h"
#include "platform/Folders.h"
#include "platform/Forms.h"
#include "platform/Menus.h"
#include "platform/SysUtils.h"
#include "shell/StNotify.h"
#include "ui/LookBoxEx.h"
#include "ui/StringListEx.h"
#include "ui/TreeViewEx.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "support/case_names.h"
#include "support/event_wait.h"
#include "support/explorer_state.h"
#include "support/file_helpers.h"
#include "support/window_hooks.h"

namespace lumvor {
namespace {

namespace fs = std::filesystem;
using namespace xplr8900;
using test::SpinFor;
using test::SpinUntil;

const std::string Fixtures = std::string(LUMVOR_FIXTURES) + "/";

std::string Quoted(const std::string& path) { return "'" + path + "'"; }

void Shell(const std::string& command) { ASSERT_EQ(std::system(command.c_str()), 0) << command; }

// The names in a folder as `ls -A` lists them.
std::set<std::string> LsNames(const std::string& folder) {
    const std::vector<std::string> lines = test::CommandLines("ls -A " + Quoted(folder));
    return {lines.begin(), lines.end()};
}

// Width and height as ImageMagick reads them.
std::string IdentifiedSize(const std::string& file) {
    return test::CommandOutput("identify -format '%wx%h' " + Quoted(file));
}

class FolderMonitorTest : public ::testing::Test {
protected:
    void SetUp() override {
        Application.Initialize();
        test::ResetExplorerState();
        ThumbRunHooks = {};
        ExplorerDirty = false;
        ASSERT_TRUE(dir.isValid());
        root = dir.path().toStdString() + "/";
        folder = Folder("watched");
        ExploreDir = folder;
    }
    void TearDown() override {
        ThumbRunHooks = {};
        test::CloseExplorer();
        test::ResetApplicationHooks();
    }

    // root + name made with its parents, dated an hour back; with a trailing "/".
    std::string Folder(const std::string& name) {
        ForceDirectories(root + name);
        Shell("touch -d '-1 hour' " + Quoted(root + name));
        return root + name + "/";
    }
    // A file at path with an old date, as `cp -p` of an old file leaves it.
    void CopyOld(const std::string& source, const std::string& path) {
        const std::string old = root + "old-" + ExtractFileName(path);
        Shell("cp " + Quoted(source) + " " + Quoted(old) + " && touch -d '-1 hour' " + Quoted(old));
        Shell("cp -p " + Quoted(old) + " " + Quoted(path));
    }
    void OldText(const std::string& path) {
        test::WriteFileText(path, "text");
        Shell("touch -d '-1 hour' " + Quoted(path));
    }

    // The explorer shown and activated over ExploreDir; every refresh counted.
    TFileForm* Open() {
        TFileForm* form = test::OpenExplorer();
        auto suspend = form->Listing->View.FolderMonitor_Suspend;
        form->Listing->View.FolderMonitor_Suspend = [this, suspend] {
            ++refreshes;
            if (suspend) suspend();
        };
        return form;
    }
    void Explore(const std::string& path) { FileForm->LookBox->SetFolder(path); }

    static std::set<std::string> Listed() {
        std::set<std::string> names;
        for (int32_t recNo : FileForm->Listing->FileOrder)
            names.insert(std::string(FileForm->Listing->ReadRec(recNo).Name()));
        return names;
    }
    static bool IsListed(const std::string& name) { return test::ListedRow(name) >= 0; }
    static int Watches() {
        return FileForm->StWatchCurrDrive->Watcher().WatchCount() + FileForm->StWatchParent->Watcher().WatchCount() +
               FileForm->ChangeHandle->WatchCount();
    }

    QTemporaryDir dir;
    std::string root;
    std::string folder;
    int refreshes = 0;
};

// ---- Files from outside

TEST_F(FolderMonitorTest, CopiedFileAppearsSoonAndAFreshFileOnceItIsTwoSecondsOld) {
    Open();
    ASSERT_TRUE(FileForm->Timer1->Enabled());
    EXPECT_TRUE(Listed().empty());

    QElapsedTimer clock;
    clock.start();
    CopyOld(Fixtures + "jpeg/baseline_420.jpg", folder + "copied.jpg");
    ASSERT_TRUE(SpinUntil([] { return IsListed("copied.jpg"); }, 15000)) << "a copy with an old date soon";

    test::WriteFileText(folder + "fresh.txt", "written now");
    clock.restart();
    ASSERT_TRUE(SpinUntil([] { return IsListed("fresh.txt"); }, 15000)) << "a fresh file once it is two seconds old";
    EXPECT_GE(clock.elapsed(), 1900) << "a file younger than 2 seconds is held back";
    EXPECT_EQ(Listed(), LsNames(folder));
}

TEST_F(FolderMonitorTest, BurstOfAThousandFilesAppearsCompletelyWithFewRefreshes) {
    Open();
    QProcess script;
    script.setWorkingDirectory(QString::fromStdString(folder));
    QElapsedTimer clock;
    clock.start();
    script.start("sh", {"-c", "i=1; while [ $i -le 1000 ]; do echo x > f$i.txt; i=$((i+1)); done"});
    ASSERT_TRUE(script.waitForStarted(5000));
    const bool complete = SpinUntil([] { return FileForm->Listing->FileOrder.size() >= 1000; }, 30000);
    const qint64 elapsed = clock.elapsed();
    ASSERT_TRUE(script.state() == QProcess::NotRunning || script.waitForFinished(5000));
    ASSERT_EQ(script.exitCode(), 0);
    ASSERT_TRUE(complete) << FileForm->Listing->FileOrder.size() << " rows";
    EXPECT_EQ(Listed(), LsNames(folder));
    EXPECT_EQ(FileForm->Listing->FileOrder.size(), 1000u) << "no entry listed twice";
    EXPECT_LE(refreshes, elapsed / 1333 + 1) << refreshes << " refreshes in " << elapsed << " ms";
}

TEST_F(FolderMonitorTest, OneFileCopiedIntoTenThousandCostsOneRefreshAndOneRecord) {
    Shell("cd " + Quoted(folder) + " && seq -f 'file%05g.txt' 10000 | xargs sh -c 'for f; do echo x > \"$f\"; done' _" +
          " && touch -d '-1 hour' *.txt");
    Open();
    ASSERT_EQ(FileForm->Listing->FileOrder.size(), 10000u);
    const std::vector<int32_t> before = FileForm->Listing->FileOrder;

    CopyOld(Fixtures + "jpeg/baseline_420.jpg", folder + "copied.jpg");
    ASSERT_TRUE(SpinUntil([] { return IsListed("copied.jpg"); }, 15000));
    SpinFor(1500);
    EXPECT_EQ(refreshes, 1);
    const std::vector<int32_t>& after = FileForm->Listing->FileOrder;
    ASSERT_EQ(after.size(), 10001u);
    EXPECT_TRUE(std::equal(before.begin(), before.end(), after.begin())) << "every other row keeps its record";
    EXPECT_EQ(test::ListedRow("copied.jpg"), 10000);
}

TEST_F(FolderMonitorTest, OverwrittenPictureShowsItsNewSizeAndANewThumbnail) {
    const std::string photo = folder + "photo.jpg";
    CopyOld(Fixtures + "jpeg/baseline_420.jpg", photo);
    Open();
    FileForm->mnuViewThumbsClick(FileForm->mnuViewThumbs);
    auto trailerSize = [](const std::string& name) {
        const int row = test::ListedRow(name);
        FileRec trailer;
        if (row < 0 || !ThumbFilePresent(ThumbRecFile(test::ListedRec(row)), test::ListedRec(row), &trailer))
            return std::string();
        return std::to_string(trailer.Width()) + "x" + std::to_string(trailer.Height());
    };
    ASSERT_TRUE(SpinUntil([&] { return trailerSize("photo.jpg") == IdentifiedSize(photo); }, 10000));
    ASSERT_EQ(IdentifiedSize(photo), "70x46");

    // The same file written over in place (cp opens it truncated), its date kept old.
    CopyOld(Fixtures + "jpeg/view_480x360.jpg", photo);
    ASSERT_EQ(IdentifiedSize(photo), "480x360");
    ASSERT_TRUE(SpinUntil([&] { return trailerSize("photo.jpg") == "480x360"; }, 10000))
        << "the thumbnail shows " << trailerSize("photo.jpg");
    EXPECT_EQ(test::ListedRec(test::ListedRow("photo.jpg")).FileSize(), int64_t(fs::file_size(photo)));
    EXPECT_EQ(FileForm->Listing->FileOrder.size(), 1u);
}

// ---- The explored folder removed or renamed

struct VanishCase {
    const char* name;
    bool treeShown;
    const char* explored;  // below <tmp>/
    const char* renamed;   // the folder renamed from outside; nullptr: the explored folder is deleted
    const char* expected;  // where the explorer ends; nullptr: the home folder
};

class VanishedFolder : public FolderMonitorTest, public ::testing::WithParamInterface<VanishCase> {};

TEST_P(VanishedFolder, ExplorerMovesToTheNearestFolderLeft) {
    const VanishCase& c = GetParam();
    for (const char* sub : {"g/a", "g/p/d", "g/p/e"}) {
        ForceDirectories(root + sub);
        OldText(root + sub + "/in-" + ExtractFileName(sub) + ".txt");
    }
    OldText(root + "g/p/in-p.txt");
    // Every folder dated back after its files were written.
    for (const char* sub : {"g/a", "g/p/d", "g/p/e", "g/p", "g"}) Folder(sub);
    Open();
    if (c.treeShown) FileForm->mnuFolderTreeClick(FileForm->mnuFolderTree);
    FileForm->mnuViewThumbsClick(FileForm->mnuViewThumbs);
    Explore(root + c.explored);
    ASSERT_EQ(ExploreDir, root + c.explored);
    if (c.treeShown) {
        ASSERT_EQ(FileForm->GetNodePath(FileForm->Tree->currentItem()), ExploreDir);
    }

    if (c.renamed)
        fs::rename(root + c.renamed, root + c.renamed + "-renamed");
    else
        fs::remove_all(root + c.explored);
    const std::string expected = c.expected ? root + c.expected : HomeFolder();
    EXPECT_TRUE(SpinUntil([&] { return ExploreDir == expected && !FileForm->Listing->Risky; }, 15000))
        << "ended in " << ExploreDir;
    EXPECT_EQ(FileForm->LookBox->Folder(), expected);
    EXPECT_FALSE(FileForm->ThumbnailView()) << "the list view replaces the thumbnail view";
    for (int row = 0; row < int(FileForm->Listing->FileOrder.size()); ++row) {
        const std::string path = FileForm->Listing->GetItemPath(row);
        EXPECT_EQ(path.rfind(expected, 0), 0u) << path;
        EXPECT_TRUE(fs::exists(fs::symlink_status(path))) << path << " is listed but gone";
    }
    if (c.expected) {
        EXPECT_EQ(Listed(), LsNames(expected));
    }
    if (c.treeShown && c.expected) {
        EXPECT_EQ(FileForm->GetNodePath(FileForm->Tree->currentItem()), expected);
    }
    EXPECT_TRUE(FileForm->Timer1->Enabled()) << "the monitor follows the new folder";
}

const VanishCase kVanishCases[] = {
    {"DeletedGoesToPreviousSibling", true, "g/p/e/", nullptr, "g/p/d/"},
    {"DeletedFirstChildGoesToParent", true, "g/p/d/", nullptr, "g/p/"},
    {"ParentRenamedStepsOnceMore", true, "g/p/d/", "g/p", "g/a/"},
    {"SiblingAndParentGoneEndsAtHome", true, "g/p/e/", "g/p", nullptr},
    {"GrandparentRenamedEndsAtHome", true, "g/p/d/", "g", nullptr},
    {"TreeHiddenEndsAtHome", false, "g/p/e/", nullptr, nullptr},
};

INSTANTIATE_TEST_SUITE_P(Folders, VanishedFolder, ::testing::ValuesIn(kVanishCases),
                         test::CaseNames<&VanishCase::name>);

TEST_F(FolderMonitorTest, ScreenshotsBeforeAndAfterTheExploredFolderVanishes) {
    const char* shots = std::getenv("LUMVOR_SHOTS");
    if (!shots) GTEST_SKIP() << "set LUMVOR_SHOTS to a folder to take the screenshots";
    for (const char* name : {"Trips/2023 Rome", "Trips/2024 Beach/Day 1", "Trips/2024 Beach/Day 2"}) {
        ForceDirectories(root + name);
        for (const char* file : {"sunrise.jpg", "waves.jpg"})
            CopyOld(Fixtures + "jpeg/view_480x360.jpg", root + name + "/" + file);
        Folder(name);
    }
    Folder("Trips/2024 Beach");
    Folder("Trips");
    Open();
    FileForm->resize(900, 600);
    TExplorerControls(EControls).SetTreeWidth(320);
    FileForm->mnuFolderTreeClick(FileForm->mnuFolderTree);
    FileForm->mnuViewReportClick(FileForm->mnuViewReport);
    Explore(root + "Trips/2024 Beach/Day 2/");
    SpinFor(200);
    const std::string out = IncludeTrailingPathDelimiter(shots);
    ASSERT_TRUE(FileForm->grab().save(QString::fromStdString(out + "monitor_before.png")));
    fs::remove_all(root + "Trips/2024 Beach/Day 2");
    ASSERT_TRUE(SpinUntil([&] { return ExploreDir == root + "Trips/2024 Beach/Day 1/"; }, 15000));
    SpinFor(200);
    ASSERT_TRUE(FileForm->grab().save(QString::fromStdString(out + "monitor_after.png")));
}

TEST_F(FolderMonitorTest, TreeShowsFoldersMadeAboveTheExploredFolderAndKeepsItSelected) {
    const std::string explored = Folder("g/p/e");
    Open();
    FileForm->mnuFolderTreeClick(FileForm->mnuFolderTree);
    Explore(explored);
    ASSERT_EQ(FileForm->GetNodePath(FileForm->Tree->currentItem()), explored);
    TTreeNode* e = FileForm->Tree->currentItem();
    auto children = [](TTreeNode* node) {
        std::set<std::string> names;
        for (int i = 0; node && i < node->childCount(); ++i) names.insert(node->child(i)->text(0).toStdString());
        return names;
    };
    ASSERT_EQ(children(e->parent()->parent()), std::set<std::string>{"p"});

    fs::create_directory(root + "g/made");
    fs::create_directory(root + "g/p/made too");
    ASSERT_TRUE(SpinUntil(
        [&] {
            TTreeNode* node = FileForm->Tree->currentItem();
            return node && node->parent() && node->parent()->parent() &&
                   children(node->parent()) == std::set<std::string>{"e", "made too"} &&
                   children(node->parent()->parent()) == std::set<std::string>{"made", "p"};
        },
        5000));
    EXPECT_EQ(FileForm->GetNodePath(FileForm->Tree->currentItem()), explored);
    EXPECT_EQ(ExploreDir, explored);
}

// ---- When changes do not reach the list at once

TEST_F(FolderMonitorTest, HiddenExplorerRefreshesOnceAtItsNextActivation) {
    Open();
    FileForm->hide();
    for (int i = 0; i < 20; ++i) {
        CopyOld(Fixtures + "jpeg/baseline_420.jpg", folder + "hidden" + std::to_string(i) + ".jpg");
        SpinFor(50);
    }
    ASSERT_TRUE(SpinUntil([] { return ExplorerDirty; }, 15000));
    // Two more periods: every change has been looked at.
    SpinFor(3000);
    EXPECT_EQ(refreshes, 0);
    EXPECT_TRUE(Listed().empty());

    FileForm->show();
    FileForm->FormActivate();
    SpinFor(4000);
    EXPECT_EQ(refreshes, 1);
    EXPECT_EQ(Listed(), LsNames(folder));
    EXPECT_FALSE(ExplorerDirty);
}

TEST_F(FolderMonitorTest, WithoutAutoRefreshNoOutsideChangeReachesTheList) {
    EControls.SetFlag(ec::AutoRefresh, false);
    Open();
    CopyOld(Fixtures + "jpeg/baseline_420.jpg", folder + "copied.jpg");
    SpinFor(3000);
    EXPECT_TRUE(Listed().empty());
    EXPECT_EQ(refreshes, 0);
    EXPECT_EQ(Watches(), 0);
}

TEST_F(FolderMonitorTest, RefreshOfAnIdleFolderTriggersNoFurtherRefresh) {
    OldText(folder + "idle.txt");
    Open();
    FileForm->FilesChanged();
    EXPECT_EQ(refreshes, 1);
    SpinFor(5000);
    EXPECT_EQ(refreshes, 1);
    EXPECT_TRUE(FileForm->Timer1->Enabled()) << "the refresh resumed the monitor";
    EXPECT_EQ(Listed(), std::set<std::string>{"idle.txt"});
}

// ---- What is watched

struct WatchCase {
    const char* name;
    std::function<std::string(TFileForm&, const std::string& deep)> setUp;  // the folder to explore
    bool watched;
};

class WatchedFolders : public FolderMonitorTest, public ::testing::WithParamInterface<WatchCase> {};

// The drive list's entry of the volume that holds path.
int DriveEntry(TFileForm& form, const std::string& path) {
    std::string rootPath;
    GetPathRoot(path, rootPath);
    for (int i = 0; i < form.DriveList->Count(); ++i)
        if (form.DriveList->Get(i) == rootPath) return i;
    return -1;
}

TEST_P(WatchedFolders, OneWatchPerLevelOrNone) {
    const std::string deep = Folder("g/p/e");
    Open();
    const std::string explored = GetParam().setUp(*FileForm, deep);
    Explore(explored);
    ASSERT_EQ(FileForm->LookBox->Folder(), explored);
    if (!GetParam().watched) {
        EXPECT_EQ(Watches(), 0);
        EXPECT_FALSE(FileForm->Timer1->Enabled());
        return;
    }
    // The depth below the volume's mount point as findmnt finds it.
    const std::vector<std::string> found = test::CommandLines("findmnt -n -o TARGET -T " + Quoted(explored));
    ASSERT_EQ(found.size(), 1u);
    const std::string& mount = found[0];
    const std::string below = explored.substr(mount == "/" ? 0 : mount.size());
    const int depth = int(std::count(below.begin(), below.end(), '/')) - 1;
    EXPECT_EQ(Watches(), depth + 1) << explored << " on " << mount;
    EXPECT_TRUE(FileForm->Timer1->Enabled());
}

// Gives the drive list's entry of the explored volume another kind.
std::function<std::string(TFileForm&, const std::string&)> DriveKindOf(int32_t kind) {
    return [kind](TFileForm& form, const std::string& deep) {
        form.DriveList->PutData(DriveEntry(form, deep), kind);
        return deep;
    };
}

const WatchCase kWatchCases[] = {
    {"DeepFolder", [](TFileForm&, const std::string& deep) { return deep; }, true},
    {"NetworkShare", DriveKindOf(DriveRemote), false},
    {"MappedNetworkDrive", DriveKindOf(DriveMappedNetwork), false},
    {"OpticalDisc", DriveKindOf(DriveOptical), false},
    {"VolumeMissingFromDriveList",
     [](TFileForm& f, const std::string& deep) {
         f.DriveList->Put(DriveEntry(f, deep), "/no-such-volume/");
         return deep;
     },
     false},
    {"ProcFileSystem", [](TFileForm&, const std::string&) { return std::string("/proc/"); }, false},
    {"DriveLevel", [](TFileForm&, const std::string&) { return std::string(); }, false},
};

INSTANTIATE_TEST_SUITE_P(Folders, WatchedFolders, ::testing::ValuesIn(kWatchCases),
                         test::CaseNames<&WatchCase::name>);

// ---- The plan behind the watches

TEST(FolderMonitorPlan, WatchesTheMountPointTheTopFolderAndTheBranch) {
    const std::string mount = MountPointOf("/tmp");
    const std::string base = mount == "/" ? "/" : mount + "/";
    TMonitorPlan plan = PlanFolderMonitor(base + "g/p/e/", DriveFixed, false);
    EXPECT_TRUE(plan.Watch);
    EXPECT_EQ(plan.WatchPath, base + "g/p/e");
    EXPECT_EQ(plan.DriveRoot, mount);
    EXPECT_EQ(plan.TopFolder, base + "g");
    EXPECT_EQ(plan.Branch, base + "g/p");

    plan = PlanFolderMonitor(base + "g/", DriveRemovable, false);
    EXPECT_TRUE(plan.Watch);
    EXPECT_EQ(plan.DriveRoot, mount);
    EXPECT_EQ(plan.TopFolder, "") << "a folder right below the mount point has no ancestor to watch";

    plan = PlanFolderMonitor(base, DriveFixed, false);
    EXPECT_TRUE(plan.Watch);
    EXPECT_EQ(plan.DriveRoot, "");
    EXPECT_EQ(plan.TopFolder, "");

    EXPECT_FALSE(PlanFolderMonitor(base + "g/", DriveFixed, true).Watch) << "the drive level";
    EXPECT_FALSE(PlanFolderMonitor("", DriveFixed, false).Watch);
    for (int32_t kind : {-1, int32_t(DriveRemote), DriveMappedNetwork, DriveOptical})
        EXPECT_FALSE(PlanFolderMonitor(base + "g/", kind, false).Watch) << kind;
    EXPECT_FALSE(PlanFolderMonitor("/sys/kernel/", DriveFixed, false).Watch) << "a pseudo file system";
}

}  // namespace
}  // namespace lumvor
