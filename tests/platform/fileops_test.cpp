// The file-operation engine in a temporary tree: copy, move, rename, delete and
// recycle, with the safety rules for existing targets, failures part-way and
// moves across file systems.
#include "platform/FileOps.h"

#include "platform/SysUtils.h"
#include "platform/Volumes.h"

#include "support/file_helpers.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace lumvor {
namespace {

namespace fs = std::filesystem;

using test::ReadFileText;
constexpr auto Read = ReadFileText;
constexpr auto Write = test::WriteFileText;

class FileOpsTest : public ::testing::Test {
protected:
    void SetUp() override {
        root = IncludeTrailingPathDelimiter(std::getenv("LUMVOR_HOME")) + "ops/";
        fs::create_directories(root);
        Write(root + "src/a.jpg", "AAAA");
        Write(root + "src/b.jpg", "BBBBBB");
        Write(root + "src/album/c.jpg", "CC");
        Write(root + "src/album/deep/d.jpg", "D");
        fs::create_directories(root + "dst");
    }
    void TearDown() override { FileOps::BeforeVerify = nullptr; }
    std::string root;
};

TEST_F(FileOpsTest, CopiesFilesAndFoldersIntoAFolder) {
    const auto r = RunFileOperation(foCopy, {root + "src/a.jpg", root + "src/album"}, {root + "dst"}, 0);
    ASSERT_TRUE(r.Succeeded) << r.Error;
    EXPECT_EQ(r.Done.size(), 2u);
    EXPECT_EQ(r.Targets[1], root + "dst/album");
    EXPECT_EQ(Read(root + "dst/a.jpg"), "AAAA");
    EXPECT_EQ(Read(root + "dst/album/deep/d.jpg"), "D");
    EXPECT_EQ(Read(root + "src/a.jpg"), "AAAA");  // sources stay
    // No scratch files are left beside the targets.
    for (const auto& e : fs::directory_iterator(root + "dst")) EXPECT_NE(e.path().filename().string()[0], '.');
}

TEST_F(FileOpsTest, ExistingTargetsAreKeptUnlessReplacingIsAsked) {
    Write(root + "dst/a.jpg", "old");
    auto r = RunFileOperation(foCopy, {root + "src/a.jpg"}, {root + "dst"}, 0);
    EXPECT_FALSE(r.Succeeded);
    EXPECT_EQ(r.FailedSource, root + "src/a.jpg");
    EXPECT_EQ(Read(root + "dst/a.jpg"), "old");
    EXPECT_EQ(r.SystemError, EEXIST);

    r = RunFileOperation(foCopy, {root + "src/a.jpg"}, {root + "dst"}, fofRenameOnCollision);
    ASSERT_TRUE(r.Succeeded) << r.Error;
    EXPECT_EQ(r.Targets[0], root + "dst/a (2).jpg");
    EXPECT_EQ(Read(root + "dst/a (2).jpg"), "AAAA");
    EXPECT_EQ(Read(root + "dst/a.jpg"), "old");

    r = RunFileOperation(foCopy, {root + "src/a.jpg"}, {root + "dst"}, fofNoConfirmation);
    ASSERT_TRUE(r.Succeeded) << r.Error;
    EXPECT_EQ(Read(root + "dst/a.jpg"), "AAAA");

    // A file never replaces a folder, nor a folder a file.
    fs::create_directories(root + "dst/b.jpg");
    r = RunFileOperation(foMove, {root + "src/b.jpg"}, {root + "dst"}, fofNoConfirmation);
    EXPECT_FALSE(r.Succeeded);
    EXPECT_EQ(Read(root + "src/b.jpg"), "BBBBBB");
}

TEST_F(FileOpsTest, RenameNeverReplaces) {
    auto r = RunFileOperation(foRename, {root + "src/a.jpg"}, {"b.jpg"}, fofNoConfirmation | fofRenameOnCollision);
    EXPECT_FALSE(r.Succeeded);
    EXPECT_EQ(Read(root + "src/a.jpg"), "AAAA");
    EXPECT_EQ(Read(root + "src/b.jpg"), "BBBBBB");

    r = RunFileOperation(foRename, {root + "src/a.jpg"}, {"Renamed.JPG"}, 0);
    ASSERT_TRUE(r.Succeeded) << r.Error;
    EXPECT_FALSE(fs::exists(root + "src/a.jpg"));
    EXPECT_EQ(Read(root + "src/Renamed.JPG"), "AAAA");
}

TEST_F(FileOpsTest, FailurePartWayLeavesTheRestInPlace) {
    // A vanished source in the middle of a move.
    auto r = RunFileOperation(foMove, {root + "src/a.jpg", root + "src/gone.jpg", root + "src/b.jpg"},
                              {root + "dst"}, 0);
    EXPECT_FALSE(r.Succeeded);
    ASSERT_EQ(r.Done.size(), 1u);
    EXPECT_EQ(r.Done[0], root + "src/a.jpg");
    EXPECT_EQ(r.FailedSource, root + "src/gone.jpg");
    EXPECT_FALSE(r.Error.empty());
    EXPECT_EQ(r.SystemError, ENOENT);
    EXPECT_EQ(Read(root + "dst/a.jpg"), "AAAA");
    EXPECT_EQ(Read(root + "src/b.jpg"), "BBBBBB");
    EXPECT_FALSE(fs::exists(root + "dst/b.jpg"));

    // A target that cannot be made (its folder is a file), even for root.
    Write(root + "blocker", "x");
    r = RunFileOperation(foCopy, {root + "src/b.jpg", root + "src/album"},
                         {root + "dst/b2.jpg", root + "blocker/album"}, fofMultiDestFiles);
    EXPECT_FALSE(r.Succeeded);
    EXPECT_EQ(r.Done.size(), 1u);
    EXPECT_EQ(r.FailedSource, root + "src/album");
    EXPECT_TRUE(fs::exists(root + "src/album/deep/d.jpg"));

    // The progress callback stops the run before the next source.
    int asked = 0;
    r = RunFileOperation(foDelete, {root + "dst/a.jpg", root + "dst/b2.jpg"}, {}, 0,
                         [&](const std::string&) { return ++asked < 2; });
    EXPECT_TRUE(r.Aborted);
    EXPECT_EQ(r.Done.size(), 1u);
    EXPECT_TRUE(fs::exists(root + "dst/b2.jpg"));
}

TEST_F(FileOpsTest, FoldersAreNeverPutIntoThemselves) {
    auto r = RunFileOperation(foCopy, {root + "src/album"}, {root + "src/album/deep"}, 0);
    EXPECT_FALSE(r.Succeeded);
    r = RunFileOperation(foMove, {root + "src"}, {root + "src/album/inner"}, fofMultiDestFiles);
    EXPECT_FALSE(r.Succeeded);
    EXPECT_TRUE(fs::exists(root + "src/album/deep/d.jpg"));
    EXPECT_FALSE(fs::exists(root + "src/album/deep/album"));
}

TEST_F(FileOpsTest, DeleteRemovesFoldersButNotWhatLinksPointAt) {
    Write(root + "outside/keep.jpg", "K");
    fs::create_symlink(root + "outside", root + "src/album/link");
    auto r = RunFileOperation(foDelete, {root + "src/album"}, {}, 0);
    ASSERT_TRUE(r.Succeeded) << r.Error;
    EXPECT_FALSE(fs::exists(root + "src/album"));
    EXPECT_EQ(Read(root + "outside/keep.jpg"), "K");

    for (const std::string& forbidden : {std::string("/"), std::string("")}) {
        r = RunFileOperation(foDelete, {forbidden}, {}, 0);
        EXPECT_FALSE(r.Succeeded) << forbidden;
    }
    const std::string shm = MountPointOf("/dev/shm/x");
    if (shm != "/") {
        r = RunFileOperation(foDelete, {shm}, {}, 0);
        EXPECT_FALSE(r.Succeeded);
        EXPECT_TRUE(fs::exists(shm));
    }
}

TEST_F(FileOpsTest, CopiesLinksAsLinks) {
    fs::create_symlink("a.jpg", root + "src/alias.jpg");
    auto r = RunFileOperation(foCopy, {root + "src/alias.jpg"}, {root + "dst"}, 0);
    ASSERT_TRUE(r.Succeeded) << r.Error;
    EXPECT_TRUE(fs::is_symlink(root + "dst/alias.jpg"));
    EXPECT_EQ(fs::read_symlink(root + "dst/alias.jpg"), "a.jpg");
}

TEST_F(FileOpsTest, RecycledItemsAreInTheFreedesktopTrash) {
    // A data folder that does not exist yet must be made, not replaced by a
    // trash in the current folder.
    const std::string oldData = std::getenv("XDG_DATA_HOME") ? std::getenv("XDG_DATA_HOME") : "";
    const std::string data = root + "xdg-data";
    setenv("XDG_DATA_HOME", data.c_str(), 1);
    const std::string cwd = fs::current_path().string();
    fs::current_path(root + "dst");

    std::string inTrash, error;
    const bool ok = MoveToTrash(root + "src/a.jpg", &inTrash, &error);
    auto r = RunFileOperation(foDelete, {root + "src/album"}, {}, fofAllowUndo);

    fs::current_path(cwd);
    if (oldData.empty()) {
        unsetenv("XDG_DATA_HOME");
    } else {
        setenv("XDG_DATA_HOME", oldData.c_str(), 1);
    }

    ASSERT_TRUE(ok) << error;
    EXPECT_EQ(inTrash, data + "/Trash/files/a.jpg");
    EXPECT_EQ(Read(inTrash), "AAAA");
    EXPECT_FALSE(fs::exists(root + "src/a.jpg"));
    const std::string info = Read(data + "/Trash/info/a.jpg.trashinfo");
    EXPECT_NE(info.find("[Trash Info]"), std::string::npos);
    EXPECT_NE(info.find("Path=" + root + "src/a.jpg"), std::string::npos);
    EXPECT_NE(info.find("DeletionDate="), std::string::npos);
    EXPECT_FALSE(fs::exists(root + "dst/files"));

    ASSERT_TRUE(r.Succeeded) << r.Error;
    EXPECT_EQ(r.Targets[0], data + "/Trash/files/album");
    EXPECT_EQ(Read(data + "/Trash/files/album/deep/d.jpg"), "D");

    EXPECT_FALSE(MoveToTrash(root + "src/missing.jpg", nullptr, &error));
}

// A move onto another file system (the tmpfs at /dev/shm) copies, verifies, then
// deletes; a copy that does not match keeps the source.
TEST_F(FileOpsTest, MoveAcrossFileSystemsVerifiesBeforeDeleting) {
    struct stat home {}, shm {};
    if (::stat("/dev/shm", &shm) != 0 || ::stat(root.c_str(), &home) != 0 || shm.st_dev == home.st_dev) {
        GTEST_SKIP() << "no second file system at /dev/shm";
    }
    const std::string other = "/dev/shm/lumvor-fileops-" + std::to_string(::getpid());
    fs::create_directories(other);

    FileOps::BeforeVerify = [](const std::string& copy) {
        if (fs::is_directory(copy)) {
            Write(copy + "/deep/d.jpg", "spoiled");
        } else {
            Write(copy, "spoiled");
        }
    };
    auto r = RunFileOperation(foMove, {root + "src/a.jpg", root + "src/album"}, {other}, 0);
    EXPECT_FALSE(r.Succeeded);
    EXPECT_TRUE(r.Done.empty());
    EXPECT_EQ(Read(root + "src/a.jpg"), "AAAA");
    EXPECT_TRUE(fs::is_empty(other));

    FileOps::BeforeVerify = nullptr;
    r = RunFileOperation(foMove, {root + "src/a.jpg", root + "src/album"}, {other}, 0);
    const bool movedFile = Read(other + "/a.jpg") == "AAAA";
    const bool movedTree = Read(other + "/album/deep/d.jpg") == "D";
    const bool sourcesGone = !fs::exists(root + "src/a.jpg") && !fs::exists(root + "src/album");
    fs::remove_all(other);
    ASSERT_TRUE(r.Succeeded) << r.Error;
    EXPECT_TRUE(movedFile);
    EXPECT_TRUE(movedTree);
    EXPECT_TRUE(sourcesGone);
}

}  // namespace
}  // namespace lumvor
