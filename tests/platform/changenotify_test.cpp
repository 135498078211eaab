// A folder's change notification: which changes signal it, re-arming, the
// kernel queue's overflow; and a shell watch that follows one branch of a tree.
#include "platform/ChangeNotify.h"
#include "platform/ShellNotify.h"
#include "platform/WatchRelease.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "support/case_names.h"
#include "support/event_wait.h"

namespace lumvor {
namespace {

namespace fs = std::filesystem;

void Write(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class ChangeNotificationTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        folder = dir.path().toStdString() + "/watched";
        fs::create_directories(folder + "/sub");
        Write(folder + "/old.jpg", "picture");
        ASSERT_TRUE(handle.Open(folder + "/"));
    }

    QTemporaryDir dir;
    std::string folder;
    TChangeNotification handle;
};

struct ChangeCase {
    const char* name;
    std::function<void(const std::string& folder, const std::string& outside)> change;
    bool signalled;
};

class ChangeKinds : public ChangeNotificationTest, public ::testing::WithParamInterface<ChangeCase> {};

TEST_P(ChangeKinds, SignalOnlyWhatTheListShows) {
    EXPECT_EQ(handle.Folder(), folder);
    EXPECT_EQ(handle.WatchCount(), 1);
    EXPECT_FALSE(handle.Signalled());
    GetParam().change(folder, dir.path().toStdString());
    EXPECT_EQ(handle.Signalled(), GetParam().signalled);
    handle.Rearm();
    EXPECT_FALSE(handle.Signalled()) << "re-arming takes every change so far as seen";
}

const ChangeCase kChangeCases[] = {
    {"FileCreated", [](auto& f, auto&) { Write(f + "/new.jpg", "x"); }, true},
    {"FileDeleted", [](auto& f, auto&) { fs::remove(f + "/old.jpg"); }, true},
    {"FileRenamed", [](auto& f, auto&) { fs::rename(f + "/old.jpg", f + "/new.jpg"); }, true},
    {"FileMovedOut", [](auto& f, auto& o) { fs::rename(f + "/old.jpg", o + "/old.jpg"); }, true},
    {"FileOverwritten", [](auto& f, auto&) { Write(f + "/old.jpg", "another picture"); }, true},
    {"FolderCreated", [](auto& f, auto&) { fs::create_directory(f + "/made"); }, true},
    {"WatchedFolderRemoved", [](auto& f, auto&) { fs::remove_all(f); }, true},
    {"WatchedFolderMoved", [](auto& f, auto& o) { fs::rename(f, o + "/moved"); }, true},
    {"FileRead", [](auto& f, auto&) { EXPECT_EQ(Read(f + "/old.jpg"), "picture"); }, false},
    {"FolderListed", [](auto& f, auto&) { for ([[maybe_unused]] auto& e : fs::directory_iterator(f)) {} }, false},
    {"AttributesChanged", [](auto& f, auto&) { ::chmod((f + "/old.jpg").c_str(), 0600); }, false},
    {"ChangeInsideASubFolder", [](auto& f, auto&) { Write(f + "/sub/deep.jpg", "x"); }, false},
};

INSTANTIATE_TEST_SUITE_P(Changes, ChangeKinds, ::testing::ValuesIn(kChangeCases),
                         test::CaseNames<&ChangeCase::name>);

TEST_F(ChangeNotificationTest, ClosedNotificationWatchesNothing) {
    handle.Close();
    Write(folder + "/new.jpg", "x");
    EXPECT_FALSE(handle.IsOpen());
    EXPECT_EQ(handle.WatchCount(), 0);
    EXPECT_EQ(handle.Folder(), "");
    EXPECT_FALSE(handle.Signalled());
    EXPECT_FALSE(handle.Open(folder + "/missing"));
    EXPECT_FALSE(handle.Open(folder + "/old.jpg")) << "only a folder can be watched";
    EXPECT_FALSE(handle.IsOpen());
}

TEST_F(ChangeNotificationTest, EventsReadByTheEventLoopStaySignalled) {
    Write(folder + "/new.jpg", "x");
    test::SpinFor(50);
    EXPECT_TRUE(handle.Signalled());
}

TEST_F(ChangeNotificationTest, QueueOverflowIsReportedAndSignals) {
    int limit = 16384;
    std::ifstream("/proc/sys/fs/inotify/max_queued_events") >> limit;
    if (limit > 100000) GTEST_SKIP() << "the kernel queues " << limit << " events";
    // Nothing reads the queue while the entries are made.
    for (int i = 0; i <= limit; ++i) Write(folder + "/f" + std::to_string(i), "x");
    EXPECT_TRUE(handle.Overflowed());
    EXPECT_TRUE(handle.Signalled());
    handle.Rearm();
    EXPECT_FALSE(handle.Overflowed());
    EXPECT_FALSE(handle.Signalled());
}

// ---- A shell watch along one branch

TEST(ShellWatchBranch, WatchesOnlyTheFoldersOnTheWayDown) {
    QTemporaryDir dir;
    const std::string top = dir.path().toStdString() + "/top";
    for (const char* sub : {"/a/b/c", "/a/side", "/other/deep"}) fs::create_directories(top + sub);
    TShellChangeWatcher watcher;
    std::vector<TShellChange> seen;
    watcher.OnChange = [&](const TShellChange& change) { seen.push_back(change); };
    watcher.SetBranch(top + "/a/b/");
    ASSERT_TRUE(watcher.Start(top, true, SHCNE_MKDIR | SHCNE_RMDIR | SHCNE_RENAMEFOLDER));
    EXPECT_EQ(watcher.WatchCount(), 3) << "top, a and b; not c, side, other or deep";

    fs::create_directory(top + "/other/deep/x");  // off the branch: unseen
    Write(top + "/a/b/file.txt", "x");            // a file written: not asked for
    fs::rename(top + "/a/b/c", top + "/a/b/c2");
    ASSERT_TRUE(test::SpinUntil([&] { return !seen.empty(); }, 15000));
    test::SpinFor(100);
    const std::vector<TShellChange> expected{
        {SHCNE_CREATE, top + "/a/b/file.txt", ""}, {SHCNE_RENAMEFOLDER, top + "/a/b/c", top + "/a/b/c2"}};
    EXPECT_EQ(seen, expected);

    watcher.SetBranch("");
    ASSERT_TRUE(watcher.Start(top, true, SHCNE_MKDIR));
    EXPECT_EQ(watcher.WatchCount(), 8) << "the whole tree without a branch";
}

// ---- Watch descriptors closed in the background

bool DescriptorOpen(int fd) { return ::fcntl(fd, F_GETFD) != -1; }

// Stopped watchers hand their descriptors over to be closed in the
// background: each is closed soon after, and a burst of them never leaves
// more than a few open (the kernel allows a user only so many).
TEST(WatchRelease, ReleasedDescriptorsCloseSoonAndNeverPileUp) {
    QTemporaryDir dir;
    std::set<int> numbers;  // a closed descriptor's number is soon handed out again
    size_t mostOpen = 0;
    for (int i = 0; i < 40; ++i) {
        const int fd = ::inotify_init1(IN_CLOEXEC);
        ASSERT_GE(fd, 0);
        ASSERT_GE(::inotify_add_watch(fd, dir.path().toLocal8Bit().constData(), IN_CREATE), 0);
        numbers.insert(fd);
        ReleaseWatchDescriptor(fd);
        mostOpen = std::max(mostOpen, size_t(std::count_if(numbers.begin(), numbers.end(), DescriptorOpen)));
    }
    EXPECT_LE(mostOpen, 8u);
    EXPECT_TRUE(test::SpinUntil(
        [&] { return std::none_of(numbers.begin(), numbers.end(), DescriptorOpen); }, 10000));
    ReleaseWatchDescriptor(-1);  // nothing to close
}

// A watcher stopped and started again at once keeps working: the descriptor
// of the old watch is being closed meanwhile.
TEST(WatchRelease, AWatcherRestartedAtOnceStillReports) {
    QTemporaryDir dir;
    const std::string folder = dir.path().toStdString();
    TChangeNotification handle;
    for (int i = 0; i < 20; ++i)
        ASSERT_TRUE(handle.Open(folder));
    Write(folder + "/new.jpg", "picture");
    EXPECT_TRUE(test::SpinUntil([&] { return handle.Signalled(); }, 15000));
}

}  // namespace
}  // namespace lumvor
