// The shared folder-tree walk: the expanded tree's order, files with their
// sizes, links never followed, loops and the thumbnail cache skipped, and the
// visitor's say over where the walk goes.
#include "explorer/FolderWalk.h"

#include "explorer/ThumbFiles.h"

#include <gtest/gtest.h>

#include "support/own_mounts.h"

using lumvor::test::NoOwnMounts;
using lumvor::test::RunWithOwnMounts;

#include <QTemporaryDir>

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

namespace lumvor {
namespace {

namespace fs = std::filesystem;

class FolderWalkTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(Temp.isValid());
        Root = Temp.path().toStdString() + "/tree/";
        fs::create_directories(Root);
    }
    void TearDown() override { xplr8900::ThumbRoot.clear(); }

    void Folder(const std::string& relative) { fs::create_directories(Root + relative); }
    void File(const std::string& relative, size_t bytes = 0) {
        std::ofstream(Root + relative, std::ios::binary) << std::string(bytes, 'x');
    }

    // The folders the walk visits, relative to the root ("" for the root).
    std::vector<std::string> VisitedFolders(const TWalkOptions& options = {}) {
        std::vector<std::string> seen;
        const bool ended = WalkFolderTree(Root, [&](TWalkFolder& folder) {
            seen.push_back(folder.Path.substr(Root.size()));
            return TWalkStep::Continue;
        }, options);
        EXPECT_TRUE(ended);
        return seen;
    }

    QTemporaryDir Temp;
    std::string Root;
};

TEST_F(FolderWalkTest, VisitsTheExpandedTreeInOrderWithDepths) {
    for (const char* name : {"b/x", "A/z/deep", "A/y", "c", "Trip"})
        Folder(name);
    File("Trip/Beach.JPG", 10);
    std::vector<std::string> paths;
    std::vector<int> depths;
    WalkFolderTree(Root.substr(0, Root.size() - 1), [&](TWalkFolder& folder) {
        paths.push_back(folder.Path.substr(Root.size()));
        depths.push_back(folder.Depth);
        return TWalkStep::Continue;
    });
    EXPECT_EQ(paths, (std::vector<std::string>{"", "A/", "A/y/", "A/z/", "A/z/deep/", "b/", "b/x/", "c/", "Trip/"}));
    EXPECT_EQ(depths, (std::vector<int>{0, 1, 2, 2, 3, 1, 2, 1, 1}));
}

TEST_F(FolderWalkTest, ListsFilesWithSizesAndLinksWithoutFollowingThem) {
    Folder("big");
    File("big/one.bin", 1024);
    File("big/sparse.bin");
    fs::resize_file(Root + "big/sparse.bin", int64_t(5) << 30);
    fs::create_symlink(Root + "big/sparse.bin", Root + "big/link.bin");
    fs::create_directory_symlink("..", Root + "big/loop");  // a folder link back up the tree
    int64_t total = 0;
    int links = 0;
    std::vector<std::string> folders;
    WalkFolderTree(Root, [&](TWalkFolder& folder) {
        folders.push_back(folder.Path.substr(Root.size()));
        for (const TWalkFile& file : folder.Files) {
            total += file.Size;
            links += file.IsLink ? 1 : 0;
            if (file.Name == "one.bin") {
                EXPECT_GT(file.Seconds, 0);
            }
        }
        return TWalkStep::Continue;
    });
    EXPECT_EQ(total, (int64_t(5) << 30) + 1024);
    EXPECT_EQ(links, 2);
    EXPECT_EQ(folders, (std::vector<std::string>{"", "big/"}));
}

TEST_F(FolderWalkTest, NamesOnlyWithoutStatsStillTellFoldersFromFiles) {
    Folder("sub");
    File("sub/a.jpg", 5);
    std::vector<TWalkFile> files;
    WalkFolderTree(Root, [&](TWalkFolder& folder) {
        files.insert(files.end(), folder.Files.begin(), folder.Files.end());
        return TWalkStep::Continue;
    }, TWalkOptions{false});
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files[0].Name, "a.jpg");
    EXPECT_TRUE(files[0].IsRegular);
    EXPECT_EQ(files[0].Size, 0);
}

TEST_F(FolderWalkTest, SkipsTheThumbnailCache) {
    Folder("photos");
    Folder("cache/0A1B2C3D");
    xplr8900::ThumbRoot = Root + "cache/";
    EXPECT_EQ(VisitedFolders(), (std::vector<std::string>{"", "photos/"}));
}

// Binds the root into its own sub-folder (in a child process with its own
// mounts, where the kernel allows them) and walks it: the walk must end,
// visiting the bound folder's tree once.
TEST_F(FolderWalkTest, ABindMountOfAnAncestorEndsTheWalkNormally) {
    Folder("a/b");
    const int outcome = RunWithOwnMounts(Root, Root + "a/b", [this] {
        int visits = 0;
        const bool ended = WalkFolderTree(Root, [&](TWalkFolder&) {
            ++visits;
            return visits > 100 ? TWalkStep::Stop : TWalkStep::Continue;
        });
        return ended && visits == 2 ? 0 : 1;  // the root and "a"; "a/b" is the root again
    });
    if (outcome == NoOwnMounts)
        GTEST_SKIP() << "no user and mount namespaces here";
    EXPECT_EQ(outcome, 0);
}

TEST_F(FolderWalkTest, TheRootMayBeALinkButNoOtherFolder) {
    Folder("real/inner");
    fs::create_directory_symlink(Root + "real", Temp.path().toStdString() + "/via");
    std::vector<std::string> seen;
    WalkFolderTree(Temp.path().toStdString() + "/via", [&](TWalkFolder& folder) {
        seen.push_back(folder.Path);
        return TWalkStep::Continue;
    });
    const std::string via = Temp.path().toStdString() + "/via/";
    EXPECT_EQ(seen, (std::vector<std::string>{via, via + "inner/"}));
}

TEST_F(FolderWalkTest, TheVisitorStopsSkipsOrPrunesTheWalk) {
    for (const char* name : {"a/a1", "b/b1", "c"})
        Folder(name);
    std::vector<std::string> seen;
    const bool ended = WalkFolderTree(Root, [&](TWalkFolder& folder) {
        const std::string relative = folder.Path.substr(Root.size());
        seen.push_back(relative);
        if (relative.empty())
            std::erase(folder.SubFolders, std::string("c"));
        if (relative == "a/")
            return TWalkStep::SkipSubFolders;
        return relative == "b/b1/" ? TWalkStep::Stop : TWalkStep::Continue;
    });
    EXPECT_FALSE(ended);
    EXPECT_EQ(seen, (std::vector<std::string>{"", "a/", "b/", "b/b1/"}));
}

// Folders far below the root are opened by their whole path rather than from
// their parent's open folder: a chain of 80 levels, each holding a file, a
// leaf folder and the next level, is walked whole in the tree's order, and a
// link back up from the deepest level is not followed.
TEST_F(FolderWalkTest, AVeryDeepTreeIsWalkedWholeInOrder) {
    std::string level;
    std::vector<std::string> expected{""};
    for (int depth = 0; depth < 80; ++depth) {
        Folder(level + "a");
        File(level + "f.jpg", 3);
        expected.push_back(level + "a/");
        level += "b/";
        expected.push_back(level);
    }
    Folder(level);
    fs::create_directory_symlink("../..", Root + level + "up");
    std::vector<std::string> seen;
    int files = 0;
    int deepest = 0;
    WalkFolderTree(Root, [&](TWalkFolder& folder) {
        seen.push_back(folder.Path.substr(Root.size()));
        files += int(folder.Files.size());
        deepest = std::max(deepest, folder.Depth);
        return TWalkStep::Continue;
    });
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(files, 80 + 1);  // a file on every level, and the link on the last
    EXPECT_EQ(deepest, 80);
}

bool JpegName(std::string_view name) { return name.ends_with(".jpg"); }

// KeepFile chooses the files the visitor gets; Entries still counts every
// entry, sub-folders and refused files too.
TEST_F(FolderWalkTest, KeepFileChoosesTheFilesAndEntriesCountEveryEntry) {
    Folder("sub");
    File("a.jpg", 4);
    File("b.txt", 5);
    File("C.JPG", 6);
    File("sub/d.jpg", 7);
    fs::create_symlink("a.jpg", Root + "link.jpg");
    for (const bool statFiles : {true, false}) {
        TWalkOptions options;
        options.StatFiles = statFiles;
        options.KeepFile = JpegName;
        std::vector<std::string> kept;
        std::vector<int64_t> entries;
        WalkFolderTree(Root, [&](TWalkFolder& folder) {
            entries.push_back(folder.Entries);
            for (const TWalkFile& file : folder.Files)
                kept.push_back(folder.Path.substr(Root.size()) + file.Name + (file.IsLink ? " link" : "") +
                               (file.IsRegular ? " " + std::to_string(file.Size) : ""));
            return TWalkStep::Continue;
        }, options);
        std::sort(kept.begin(), kept.end());
        const std::string size = statFiles ? " 4" : " 0";
        EXPECT_EQ(kept, (std::vector<std::string>{"a.jpg" + size, "link.jpg link", "sub/d.jpg" + (statFiles ? std::string(" 7") : " 0")}))
            << "StatFiles " << statFiles;
        EXPECT_EQ(entries, (std::vector<int64_t>{5, 1})) << "StatFiles " << statFiles;
    }
}

TEST_F(FolderWalkTest, AMissingRootVisitsNothing) {
    int visits = 0;
    EXPECT_TRUE(WalkFolderTree(Root + "gone", [&](TWalkFolder&) { ++visits; return TWalkStep::Continue; }));
    EXPECT_EQ(visits, 0);
}

}  // namespace
}  // namespace lumvor
