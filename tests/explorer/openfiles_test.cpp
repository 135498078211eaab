// Opening the explorer's files by their extension, one file or several,
// "Open Conta&ining Folder", the zip window command and the change of the
// thumbnail cache folder. The windows that receive the files are recorders
// (OpenHandOff), and so is the desktop's opener (ShellOpenDocument).
#include "explorer/xplr8900.h"

#include "app/lumv8900.h"
#include "state/ExplorerSettings.h"
#include "explorer/FolderListing.h"
#include "imaging/Helpers.h"
#include "imaging/ThumbCache.h"
#include "platform/Folders.h"
#include "platform/Forms.h"
#include "platform/SysUtils.h"
#include "ui/ComboBoxEx.h"
#include "ui/LookBoxEx.h"
#include "ui/ToolBarEx.h"
#include "ui/VListShowEx.h"
#include "ui/walk8900.h"
#include "zip/Unzip_8900.h"

#include <gtest/gtest.h>

#include <QPushButton>
#include <QTemporaryDir>

#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>

#include <ctime>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "support/case_names.h"
#include "support/file_helpers.h"
#include "support/message_boxes.h"
#include "support/window_hooks.h"

namespace lumvor {
namespace {

using namespace xplr8900;
using Events = std::vector<std::string>;

// A file dated a minute back: the listing skips files younger than 2 seconds.
void OldFile(const std::string& path, const std::string& text = "data") {
    test::WriteFileText(path, text);
    const auto then = std::filesystem::file_time_type::clock::now() - std::chrono::minutes(1);
    std::filesystem::last_write_time(path, then);
}

// A link or folder dated a minute back, for the same reason.
void OldLink(const std::string& path) {
    const timespec then[2] = {{std::time(nullptr) - 60, 0}, {std::time(nullptr) - 60, 0}};
    ::utimensat(AT_FDCWD, path.c_str(), then, AT_SYMLINK_NOFOLLOW);
}

class OpenFilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        root = dir.path().toStdString() + "/";
        lumv8900::ExplorerSettingsLoaded = false;
        lumv8900::WebForm = nullptr;
        lumv8900::EscapePressed = false;
        lumv8900::ImageHistoryList.Clear();
        EControls = TByteRecord<140>{};
        ExploreDir.clear();
        ExplorerDirty = false;
        SetStrictModalRuns(true);
        form = new TFileForm();
        FileForm = form;
        form->Listing->ActivationPending = false;
        OpenHandOff = [this](const std::string& command, const std::string& path) {
            events.push_back(path.empty() ? command : command + " " + Relative(path));
            if (command == "DragOpen" && escapeOnFirstPicture)
                lumv8900::EscapePressed = true;
        };
        lumv8900::ShellOpenDocument = [this](const std::string& path) {
            events.push_back("opener " + Relative(path));
            return openerWorks;
        };
    }
    void TearDown() override {
        delete form;
        FileForm = nullptr;
        delete Unzip_8900::UnZipForm;
        Unzip_8900::UnZipForm = nullptr;
        Unzip_8900::UnZipFormCreated = false;
        OpenHandOff = nullptr;
        lumv8900::ShellOpenDocument = nullptr;
        lumv8900::ImageHistoryList.Clear();
        if (!mounted.empty())
            ::umount2(mounted.c_str(), MNT_DETACH);
        EXPECT_EQ(UnansweredModalRuns(), 0);
        SetStrictModalRuns(false);
        test::ResetApplicationHooks();
    }
    std::string Relative(const std::string& path) const {
        return path.rfind(root, 0) == 0 ? path.substr(root.size()) : path;
    }
    // Lists folder (below the temporary folder) holding the given files.
    void ListFolder(const std::string& folder, const std::vector<std::string>& files) {
        for (const std::string& file : files)
            OldFile(root + folder + "/" + file);
        ForceDirectories(root + folder);
        form->LookBox->SetFolder(root + folder + "/");
        ASSERT_EQ(ExploreDir, root + folder + "/");
    }
    int Row(const std::string& name) const {
        for (int row = 0; row < int(form->Listing->FileOrder.size()); ++row)
            if (ExtractFileName(ExcludeTrailingPathDelimiter(form->Listing->GetItemPath(row))) == name)
                return row;
        ADD_FAILURE() << name << " is not listed";
        return 0;
    }
    // Selects the named rows, the first of them focused.
    void Select(const std::vector<std::string>& names) {
        form->XL->SetSelected(nullptr);
        for (const std::string& name : names)
            form->XL->SelectRows(Row(name), Row(name), true);
        form->XL->SetItemFocused(form->XL->Items()->Item(Row(names.front())));
    }
    std::vector<std::string> Bookmarks() const {
        std::vector<std::string> lines;
        for (int i = 0; i < lumv8900::ImageHistoryList.Count(); ++i)
            lines.push_back(Relative(lumv8900::ImageHistoryList[i]));
        return lines;
    }
    void PickFolder(const std::string& folder) {
        QueueModalAction([folder](QDialog& d) {
            auto& picker = static_cast<TWalkForm&>(d);
            picker.MoveHistory->SetText(folder);
            picker.btnOK->click();
        });
    }

    QTemporaryDir dir;
    std::string root;
    std::string mounted;
    TFileForm* form = nullptr;
    Events events;
    bool openerWorks = true;
    bool escapeOnFirstPicture = false;
    std::vector<test::Box> boxes;
};

// ---- One dispatch table for both roads

struct DispatchCase {
    const char* name;
    std::vector<std::string> files;  // the selected files, the first focused
    bool viewerPlaysMedia;
    Events expected;
};

void PrintTo(const DispatchCase& c, std::ostream* os) { *os << c.name; }

class OpenDispatchTest : public OpenFilesTest, public ::testing::WithParamInterface<DispatchCase> {};

TEST_P(OpenDispatchTest, SendsEachFileWhereItsExtensionBelongs) {
    const DispatchCase& c = GetParam();
    EControls.SetInt(ec::ViewerPlaysMedia, c.viewerPlaysMedia ? 1 : 0);
    ListFolder("Photos", c.files);
    Select(c.files);
    form->btnOpenXClick(form->btnOpenX);
    EXPECT_EQ(events, c.expected);
    EXPECT_FALSE(form->OpenBusy);
}

INSTANTIATE_TEST_SUITE_P(
    Roads, OpenDispatchTest,
    ::testing::Values(
        DispatchCase{"OnePicture", {"beach.jpg"}, false, {"DragOpen Photos/beach.jpg"}},
        DispatchCase{"OneMetafile", {"plan.EMF"}, false, {"DragOpen Photos/plan.EMF"}},
        DispatchCase{"OneVideoWithoutMediaSetting", {"clip.avi"}, false, {"opener Photos/clip.avi"}},
        DispatchCase{"OneVideoWithMediaSetting", {"clip.avi"}, true, {"DragOpen Photos/clip.avi"}},
        DispatchCase{"OneWmvAlwaysToTheDesktop", {"movie.wmv"}, true, {"opener Photos/movie.wmv"}},
        DispatchCase{"OneLabScript", {"fix.bip"}, false, {"OpenBIPfile Photos/fix.bip"}},
        DispatchCase{"OneSlideShowScript", {"show.avl"}, false, {"btnLoadSClick Photos/show.avl"}},
        DispatchCase{"OneBookmarkListKeepsItsCase", {"Trip.VOP"}, false, {"mnuHistoryLoadClick Photos/Trip.VOP"}},
        DispatchCase{"OneArchive", {"Holiday.Zip"}, false, {"Populate Photos/Holiday.Zip"}},
        DispatchCase{"OneThumbnailDatabaseOpensNothing", {"Thumbs.db"}, false, {}},
        DispatchCase{"OneTextToTheDesktop", {"notes.txt"}, false, {"opener Photos/notes.txt"}},
        DispatchCase{"SeveralWithDatabaseToTheDesktop",
                     {"a.jpg", "Thumbs.db"},
                     false,
                     {"DragOpen Photos/a.jpg", "opener Photos/Thumbs.db", "HistoryControls"}},
        DispatchCase{"SeveralWithWmvAndMediaSettingToBookmarks",
                     {"a.jpg", "b.wmv"},
                     true,
                     {"DragOpen Photos/a.jpg", "HistoryControls"}},
        DispatchCase{"SeveralWithArchive",
                     {"a.jpg", "c.zip"},
                     false,
                     {"DragOpen Photos/a.jpg", "Populate Photos/c.zip", "HistoryControls"}},
        DispatchCase{"SeveralWithBookmarkListToTheDesktop",
                     {"a.vop", "b.jpg"},
                     false,
                     {"opener Photos/a.vop", "DragOpen Photos/b.jpg", "HistoryControls"}}),
    test::CaseNames<&DispatchCase::name>);

TEST_F(OpenFilesTest, AnArchiveOpensTheZipWindowOnceAndMarksTheFolderForRereading) {
    ListFolder("z", {"a.zip"});
    Select({"a.zip"});
    form->btnOpenXClick(form->btnOpenX);
    ASSERT_TRUE(Unzip_8900::UnZipFormCreated);
    TUnZipForm* first = Unzip_8900::UnZipForm;
    EXPECT_TRUE(first->isVisible());
    EXPECT_TRUE(ExplorerDirty);
    form->mnuUnzipperClick(nullptr);
    EXPECT_EQ(Unzip_8900::UnZipForm, first);
}

TEST_F(OpenFilesTest, AFailingOpenerSaysSoAndEndsTheWalk) {
    openerWorks = false;
    ListFolder("t", {"a.txt"});
    Select({"a.txt"});
    test::Answer(boxes, mrAbort);
    form->btnOpenXClick(form->btnOpenX);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Associated application not found.");
    EXPECT_FALSE(form->OpenBusy);

    // Several files: the walk ends at the failure.
    events.clear();
    ListFolder("u", {"a.txt", "b.doc", "c.jpg"});
    Select({"a.txt", "b.doc", "c.jpg"});
    test::Answer(boxes, mrAbort);
    form->btnOpenXClick(form->btnOpenX);
    EXPECT_EQ(events, (Events{"opener u/a.txt", "HistoryControls"}));
    EXPECT_EQ(boxes.size(), 2u);
    EXPECT_FALSE(form->OpenBusy);
}

TEST_F(OpenFilesTest, DoubleClickOnAFileOpensIt) {
    ListFolder("d", {"x.png"});
    Select({"x.png"});
    form->XLDblClick(form->XL);
    EXPECT_EQ(events, Events{"DragOpen d/x.png"});
    EXPECT_FALSE(form->Listing->ListBusy);
}

// ---- Several pictures become the bookmark list

TEST_F(OpenFilesTest, FivePicturesShowTheFirstAndBookmarkTheRest) {
    const std::vector<std::string> five = {"1.jpg", "2.jpg", "3.JPG", "4.png", "5.jpg"};
    ListFolder("Five", five);
    lumv8900::ImageHistoryList.Add(root + "old/A.jpg");
    lumv8900::ImageHistoryList.Add(root + "old/b.jpg");
    Select(five);
    form->btnOpenXClick(form->btnOpenX);
    EXPECT_EQ(events, (Events{"DragOpen Five/1.jpg", "HistoryControls"}));
    EXPECT_EQ(Bookmarks(), (std::vector<std::string>{"Five/2.jpg", "Five/3.JPG", "Five/4.png", "Five/5.jpg"}));
    TStringList kept;
    kept.LoadFromFile(ProgramFolder() + "latest_bookmarks.vop");
    ASSERT_EQ(kept.Count(), 2);
    EXPECT_EQ(kept[0], root + "old/A.jpg");
    EXPECT_EQ(kept[1], root + "old/b.jpg");
}

TEST_F(OpenFilesTest, WithTwoRowsTheBookmarkListGrows) {
    ListFolder("Two", {"a.jpg", "b.jpg"});
    lumv8900::ImageHistoryList.Add(root + "old/A.jpg");
    Select({"a.jpg", "b.jpg"});
    form->btnOpenXClick(form->btnOpenX);
    EXPECT_EQ(events, (Events{"DragOpen Two/a.jpg", "HistoryControls"}));
    EXPECT_EQ(Bookmarks(), (std::vector<std::string>{"old/A.jpg", "Two/b.jpg"}));
}

TEST_F(OpenFilesTest, FoldersAmongSeveralAreSkippedAndEscapeEndsTheWalk) {
    OldFile(root + "Mixed/sub/inner.jpg");
    OldLink(root + "Mixed/sub");
    ListFolder("Mixed", {"a.jpg", "b.jpg", "c.jpg"});
    Select({"sub", "a.jpg", "b.jpg", "c.jpg"});
    form->btnOpenXClick(form->btnOpenX);
    EXPECT_EQ(events, (Events{"DragOpen Mixed/a.jpg", "HistoryControls"}));
    EXPECT_EQ(Bookmarks(), (std::vector<std::string>{"Mixed/b.jpg", "Mixed/c.jpg"}));

    events.clear();
    escapeOnFirstPicture = true;
    Select({"a.jpg", "b.jpg", "c.jpg"});
    form->btnOpenXClick(form->btnOpenX);
    EXPECT_EQ(events, (Events{"DragOpen Mixed/a.jpg", "HistoryControls"}));
    EXPECT_TRUE(Bookmarks().empty());
    EXPECT_FALSE(form->OpenBusy);
}

TEST_F(OpenFilesTest, AThousandPicturesBecomeTheBookmarkListWithoutAFolderRead) {
    std::vector<std::string> names;
    for (int i = 0; i < 1000; ++i)
        names.push_back("IMG_" + std::string(i < 10 ? "000" : i < 100 ? "00" : i < 1000 ? "0" : "") +
                        std::to_string(i) + ".jpg");
    ListFolder("Many", names);
    int listings = 0;
    form->Listing->View.StatusMessage = [&listings](const std::string& text) { listings += text == "Listing ..."; };
    form->XL->SelectRows(0, 999, true);
    form->XL->SetItemFocused(form->XL->Items()->Item(0));
    const auto start = std::chrono::steady_clock::now();
    form->btnOpenXClick(form->btnOpenX);
    const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    RecordProperty("milliseconds", int(took.count()));
    ASSERT_EQ(lumv8900::ImageHistoryList.Count(), 999);
    EXPECT_EQ(Relative(lumv8900::ImageHistoryList[998]), "Many/IMG_0999.jpg");
    EXPECT_EQ(events.front(), "DragOpen Many/IMG_0000.jpg");
    EXPECT_EQ(listings, 0);
}

TEST_F(OpenFilesTest, AFileInAFolderDeletedMeanwhileMovesToTheFallbackFolder) {
    ListFolder("Gone", {"a.jpg"});
    Select({"a.jpg"});
    std::filesystem::remove_all(root + "Gone");
    form->btnOpenXClick(form->btnOpenX);
    EXPECT_TRUE(events.empty());
    EXPECT_EQ(ExploreDir, HomeFolder());
    EXPECT_FALSE(form->OpenBusy);
}

// ---- Open Containing Folder

TEST_F(OpenFilesTest, ContainingFolderOfALinkIsItsTargetsFolder) {
    OldFile(root + "b/x.jpg");
    ForceDirectories(root + "a");
    std::filesystem::create_symlink(root + "b/x.jpg", root + "a/x.jpg");
    std::filesystem::create_symlink("../b/x.jpg", root + "a/rel.jpg");
    std::filesystem::create_symlink(root + "nowhere.jpg", root + "a/dangling.jpg");
    for (const char* link : {"x.jpg", "rel.jpg", "dangling.jpg"})
        OldLink(root + "a/" + link);
    ListFolder("a", {});
    for (const char* link : {"x.jpg", "rel.jpg"}) {
        form->LookBox->SetFolder(root + "a/");
        Select({link});
        form->mnuFOpenContainerClick(nullptr);
        EXPECT_EQ(ExploreDir, root + "b/") << link;
    }
}

// ---- The thumbnail cache folder

TEST_F(OpenFilesTest, AWritableCacheFolderIsTakenWithItsBlankFile) {
    lumv8900::ThumbCacheDir = root + "old-cache";
    ForceDirectories(root + "new cache");
    PickFolder(root + "new cache/");
    form->mnuCacheChangeClick(nullptr);
    EXPECT_EQ(lumv8900::ThumbCacheDir, root + "new cache");
    EXPECT_TRUE(FileExists(root + "new cache/_.rec"));
    EXPECT_EQ(test::CommandOutput("find '" + root + "' -name '*.tst'"), "");
    EXPECT_TRUE(boxes.empty());

    // Cancel changes nothing.
    QueueModalResult(mrCancel);
    form->mnuCacheChangeClick(nullptr);
    EXPECT_EQ(lumv8900::ThumbCacheDir, root + "new cache");
}

TEST_F(OpenFilesTest, ACacheFolderThatRefusesWritesLeavesTheCacheAsItWas) {
    // A read-only tmpfs where one can be mounted; else /proc, where no file can be made.
    std::string refusing = "/proc/";
    const std::string point = root + "ro";
    ForceDirectories(point);
    if (::mount("none", point.c_str(), "tmpfs", MS_RDONLY, "size=64k") == 0) {
        mounted = point;
        refusing = point + "/";
    }
    lumv8900::ThumbCacheDir = root + "cache";
    PickFolder(refusing);
    test::Answer(boxes, mrOk);
    form->mnuCacheChangeClick(nullptr);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Cannot write thumbs to selected folder.\nChange aborted.");
    EXPECT_EQ(lumv8900::ThumbCacheDir, root + "cache");
}

}  // namespace
}  // namespace lumvor
