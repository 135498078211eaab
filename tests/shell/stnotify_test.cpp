#include "shell/StNotify.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <random>
#include <set>
#include <string>
#include <vector>

using namespace lumvor;
namespace fs = std::filesystem;

namespace {

// Records every typed event as "<kind> <path>" (paths relative to base) and
// counts the general notifications.
struct Recorder {
    std::string base;
    std::vector<std::string> events;
    std::vector<TStNotifyEventsSet> sets;

    std::string Rel(const TStShellItem* item) const {
        if (!item || item->Path.empty()) return "-";
        if (item->Path == base) return ".";
        if (item->Path.compare(0, base.size() + 1, base + "/") == 0) return item->Path.substr(base.size() + 1);
        return item->Path;
    }

    void Attach(TStCustomShellNotification& n) {
        auto one = [this](const char* kind) {
            return [this, kind](QObject*, TStShellItem* item) { events.push_back(std::string(kind) + " " + Rel(item)); };
        };
        auto two = [this](const char* kind) {
            return [this, kind](QObject*, TStShellItem* a, TStShellItem* b) {
                events.push_back(std::string(kind) + " " + Rel(a) + (b->Path.empty() ? "" : " > " + Rel(b)));
            };
        };
        n.OnAssociationChange = [this](QObject*) { events.push_back("AssociationChange"); };
        n.OnImageListChange = [this](QObject*) { events.push_back("ImageListChange"); };
        n.OnAttributeChange = two("AttributeChange");
        n.OnFileChange = one("FileChange");
        n.OnFileCreate = one("FileCreate");
        n.OnFileDelete = two("FileDelete");
        n.OnFileRename = two("FileRename");
        n.OnDriveAdd = one("DriveAdd");
        n.OnDriveRemove = one("DriveRemove");
        n.OnMediaInsert = one("MediaInsert");
        n.OnMediaRemove = one("MediaRemove");
        n.OnFolderCreate = one("FolderCreate");
        n.OnFolderDelete = one("FolderDelete");
        n.OnFolderRename = two("FolderRename");
        n.OnFolderChange = one("FolderChange");
        n.OnDriveSpaceChange = [this](QObject*, int) { events.push_back("DriveSpaceChange"); };
        n.OnShellChangeNotify = [this](QObject*, TStShellItem*, TStShellItem*, TStNotifyEventsSet set) {
            sets.push_back(set);
        };
    }

    // Waits (with a deadline) until count events have arrived, then lets a
    // little more time pass so that extra events would show up too.
    bool WaitFor(size_t count, int milliseconds = 10000) {
        const bool ok = QTest::qWaitFor([&] { return events.size() >= count; }, milliseconds);
        QTest::qWait(60);
        return ok;
    }
};

void Touch(const std::string& path) {
    const int fd = ::open(path.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0644);
    ASSERT_GE(fd, 0) << path << ": " << std::strerror(errno);
    ::close(fd);
}

void Rename(const std::string& from, const std::string& to) {
    ASSERT_EQ(::rename(from.c_str(), to.c_str()), 0) << from << " -> " << to << ": " << std::strerror(errno);
}

class ShellNotification : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(temp.isValid());
        root = temp.path().toStdString() + "/watched";
        outside = temp.path().toStdString() + "/outside";
        fs::create_directories(root);
        fs::create_directories(outside);
        rec.base = root;
        rec.Attach(notify);
    }

    void Watch(bool recursive) {
        notify.SetWatchSubFolders(recursive);
        notify.SetWatchFolder(root);
        notify.SetActive(true);
        ASSERT_TRUE(notify.Registered());
    }

    std::string P(const std::string& rel) const { return root + "/" + rel; }

    QTemporaryDir temp;
    std::string root, outside;
    TStShellNotification notify;
    Recorder rec;
};

TEST_F(ShellNotification, ReportsFileAndFolderChangesInOrder) {
    Watch(false);
    Touch(P("a.txt"));
    fs::create_directory(P("sub"));
    Rename(P("a.txt"), P("b.txt"));
    Rename(P("sub"), P("sub2"));
    fs::remove(P("b.txt"));
    fs::remove(P("sub2"));
    ASSERT_TRUE(rec.WaitFor(6));
    const std::vector<std::string> expected = {
        "FileCreate a.txt", "FolderCreate sub",  "FileRename a.txt > b.txt",
        "FolderRename sub > sub2", "FileDelete b.txt", "FolderDelete sub2"};
    EXPECT_EQ(rec.events, expected);
    const std::vector<TStNotifyEventsSet> sets = {
        NotifySet(neFileCreate), NotifySet(neFolderCreate), NotifySet(neFileRename),
        NotifySet(neFolderRename), NotifySet(neFileDelete), NotifySet(neFolderDelete)};
    EXPECT_EQ(rec.sets, sets);
}

TEST_F(ShellNotification, WritingAFileReportsOneChangeWhileItWaits) {
    Touch(P("log.txt"));
    Watch(false);
    {
        FILE* f = std::fopen(P("log.txt").c_str(), "w");
        ASSERT_TRUE(f);
        for (int i = 0; i < 50; ++i) {
            std::fputs("line\n", f);
            std::fflush(f);
        }
        std::fclose(f);
    }
    ASSERT_TRUE(rec.WaitFor(1));
    EXPECT_EQ(rec.events, std::vector<std::string>{"FileChange log.txt"});
}

TEST_F(ShellNotification, BurstOfAThousandFilesLosesNone) {
    Watch(false);
    std::vector<std::string> expected;
    for (int i = 0; i < 1000; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "f%04d.jpg", i);
        Touch(P(name));
        expected.push_back(std::string("FileCreate ") + name);
    }
    ASSERT_TRUE(rec.WaitFor(1000)) << rec.events.size() << " of 1000";
    EXPECT_EQ(rec.events, expected);
    EXPECT_EQ(rec.sets.size(), 1000u);
}

TEST_F(ShellNotification, RecursiveWatchFollowsMovesAcrossSubFolders) {
    fs::create_directories(P("a"));
    fs::create_directories(P("b"));
    Touch(P("a/x.txt"));
    Touch(outside + "/z.txt");
    Watch(true);
    Rename(P("a/x.txt"), P("b/y.txt"));        // across sub-folders: one rename
    Rename(P("b/y.txt"), outside + "/y.txt");  // out of the tree: a deletion
    Rename(outside + "/z.txt", P("a/z.txt"));  // into the tree: a creation
    Rename(P("a"), P("c"));                    // a watched folder renamed ...
    Touch(P("c/new.txt"));                     // ... keeps reporting under its new name
    ASSERT_TRUE(rec.WaitFor(5));
    const std::vector<std::string> expected = {"FileRename a/x.txt > b/y.txt", "FileDelete b/y.txt",
                                               "FileCreate a/z.txt", "FolderRename a > c",
                                               "FileCreate c/new.txt"};
    EXPECT_EQ(rec.events, expected);
}

TEST_F(ShellNotification, FolderMovedOutOfTheTreeIsNoLongerWatched) {
    fs::create_directories(P("d/e"));
    Watch(true);
    Rename(P("d"), outside + "/d");
    ASSERT_TRUE(rec.WaitFor(1));
    Touch(outside + "/d/e/later.txt");
    Touch(P("here.txt"));
    ASSERT_TRUE(rec.WaitFor(2));
    const std::vector<std::string> expected = {"FolderDelete d", "FileCreate here.txt"};
    EXPECT_EQ(rec.events, expected);
}

TEST_F(ShellNotification, RecursiveWatchPicksUpNewSubFolders) {
    Watch(true);
    fs::create_directory(P("s"));
    ASSERT_TRUE(rec.WaitFor(1));
    Touch(P("s/f.txt"));
    ASSERT_TRUE(rec.WaitFor(2));
    // A tree made at once: its inner folders exist before their watches do.
    fs::create_directories(P("d1/d2/d3"));
    Touch(P("d1/d2/d3/g.txt"));
    ASSERT_TRUE(rec.WaitFor(6));
    Touch(P("d1/d2/d3/h.txt"));
    ASSERT_TRUE(rec.WaitFor(7));
    const std::vector<std::string> expected = {
        "FolderCreate s",        "FileCreate s/f.txt",       "FolderCreate d1",
        "FolderCreate d1/d2",    "FolderCreate d1/d2/d3",    "FileCreate d1/d2/d3/g.txt",
        "FileCreate d1/d2/d3/h.txt"};
    EXPECT_EQ(rec.events, expected);
}

TEST_F(ShellNotification, WatchWithoutSubFoldersIgnoresThem) {
    fs::create_directories(P("deep"));
    Watch(false);
    Touch(P("deep/inner.txt"));
    Rename(P("deep"), P("deeper"));
    ASSERT_TRUE(rec.WaitFor(1));
    EXPECT_EQ(rec.events, std::vector<std::string>{"FolderRename deep > deeper"});
}

TEST_F(ShellNotification, DeletedWatchedFolderIsReported) {
    Touch(P("f.txt"));
    Watch(false);
    fs::remove_all(root);
    ASSERT_TRUE(rec.WaitFor(2));
    const std::vector<std::string> expected = {"FileDelete f.txt", "FolderDelete ."};
    EXPECT_EQ(rec.events, expected);
}

TEST_F(ShellNotification, AttributeChangesAreReportedBeforeQueuedOnes) {
    Watch(false);
    Touch(P("x.txt"));
    ASSERT_EQ(::chmod(P("x.txt").c_str(), 0600), 0);
    ASSERT_TRUE(rec.WaitFor(2));
    const std::vector<std::string> expected = {"AttributeChange x.txt", "FileCreate x.txt"};
    EXPECT_EQ(rec.events, expected);
    EXPECT_EQ(rec.sets.front(), NotifySet(neAttributesChange));
}

TEST_F(ShellNotification, SeveralKindsInOneNotificationFireInFixedOrder) {
    notify.Notify({SHCNE_UPDATEIMAGE | SHCNE_MKDIR | SHCNE_CREATE | SHCNE_ASSOCCHANGED | SHCNE_UPDATEITEM,
                   P("n"), {}});
    EXPECT_TRUE(rec.events.empty()) << "reported one turn later";
    ASSERT_TRUE(rec.WaitFor(5));
    const std::vector<std::string> expected = {"AssociationChange", "FileChange n", "FileCreate n",
                                               "FolderCreate n", "ImageListChange"};
    EXPECT_EQ(rec.events, expected);
    ASSERT_EQ(rec.sets.size(), 1u);
    EXPECT_EQ(rec.sets[0], NotifySet(neAssociationChange) | NotifySet(neFileChange) | NotifySet(neFileCreate) |
                               NotifySet(neFolderCreate) | NotifySet(neImageListChange));
}

TEST_F(ShellNotification, OnlyTheAskedKindsAreReported) {
    notify.SetNotifyEvents(NotifySet(neFolderCreate) | NotifySet(neFolderRename));
    Watch(false);
    Touch(P("ignored.txt"));
    fs::create_directory(P("kept"));
    Rename(P("kept"), P("kept2"));
    ASSERT_TRUE(rec.WaitFor(2));
    const std::vector<std::string> expected = {"FolderCreate kept", "FolderRename kept > kept2"};
    EXPECT_EQ(rec.events, expected);
}

TEST_F(ShellNotification, GeneralEventFiresWithoutTypedHandlers) {
    TStShellNotification bare;
    int count = 0;
    bare.OnShellChangeNotify = [&](QObject* sender, TStShellItem* a, TStShellItem* b, TStNotifyEventsSet set) {
        EXPECT_EQ(sender, &bare);
        EXPECT_EQ(a->Path, P("gone.txt"));
        EXPECT_EQ(a->DisplayName, "gone.txt");
        EXPECT_TRUE(b->Path.empty());
        EXPECT_EQ(set, NotifySet(neFileDelete));
        ++count;
    };
    bare.Notify({SHCNE_DELETE, P("gone.txt"), {}});
    EXPECT_TRUE(QTest::qWaitFor([&] { return count == 1; }, 5000));
}

TEST_F(ShellNotification, RepeatedUpdatesAreFoldedAndFloodsBecomeAFolderUpdate) {
    Watch(false);
    for (int i = 0; i < 5; ++i) notify.Notify({SHCNE_UPDATEITEM, P("p.txt"), {}});
    notify.Notify({SHCNE_CREATE, P("q.txt"), {}});
    notify.Notify({SHCNE_UPDATEITEM, P("p.txt"), {}});
    ASSERT_TRUE(rec.WaitFor(2));
    const std::vector<std::string> folded = {"FileChange p.txt", "FileCreate q.txt"};
    EXPECT_EQ(rec.events, folded);

    rec.events.clear();
    for (size_t i = 0; i <= TStShellNotification::kMaxPendingNotifications; ++i)
        notify.Notify({SHCNE_CREATE, P("n" + std::to_string(i)), {}});
    EXPECT_LE(notify.PendingCount(), TStShellNotification::kMaxPendingNotifications);
    ASSERT_TRUE(rec.WaitFor(1));
    EXPECT_EQ(rec.events, std::vector<std::string>{"FolderChange ."});
}

TEST_F(ShellNotification, KernelQueueOverflowAsksForAFullRefresh) {
    Watch(true);
    alignas(inotify_event) char record[sizeof(inotify_event)] = {};
    inotify_event overflow{};
    overflow.wd = -1;
    overflow.mask = IN_Q_OVERFLOW;
    std::memcpy(record, &overflow, sizeof overflow);
    notify.Watcher().ProcessEventBuffer(record, sizeof record);
    ASSERT_TRUE(rec.WaitFor(1));
    EXPECT_EQ(rec.events, std::vector<std::string>{"FolderChange ."});
}

TEST_F(ShellNotification, DamagedEventBuffersAreHarmless) {
    Watch(true);
    TShellChangeWatcher& watcher = notify.Watcher();
    // A record whose name runs past the buffer, and one for an unknown watch.
    inotify_event header{};
    header.wd = 1;
    header.mask = IN_CREATE;
    header.len = 4096;
    std::vector<char> buffer(sizeof header + 16, 'x');
    std::memcpy(buffer.data(), &header, sizeof header);
    watcher.ProcessEventBuffer(buffer.data(), buffer.size());
    header.wd = 9999;
    header.len = 16;
    std::memcpy(buffer.data(), &header, sizeof header);
    watcher.ProcessEventBuffer(buffer.data(), buffer.size());
    std::mt19937 random(7);
    for (int round = 0; round < 500; ++round) {
        std::vector<char> noise(random() % 200);
        for (char& c : noise) c = char(random());
        watcher.ProcessEventBuffer(noise.data(), noise.size());
    }
    watcher.ProcessEventBuffer(nullptr, 0);
    QTest::qWait(50);
    // Whatever the noise made up, the watch still reports real changes.
    rec.events.clear();
    Touch(P("real.txt"));
    EXPECT_TRUE(QTest::qWaitFor([&] {
        return std::find(rec.events.begin(), rec.events.end(), "FileCreate real.txt") != rec.events.end();
    }, 10000));
}

TEST_F(ShellNotification, VolumesThatComeAndGoAreDrivesOrMedia) {
    const std::vector<TVolumeInfo> base = {{"/", "/dev/sda1", "ext4"}, {"/home", "/dev/sda2", "ext4"}};
    const std::vector<TVolumeInfo> plugged = {{"/", "/dev/sda1", "ext4"},
                                              {"/home", "/dev/sda2", "ext4"},
                                              {"/media/stick", "/dev/sdb1", "vfat"},
                                              {"/media/cdrom", "/dev/sr0", "iso9660"}};
    const std::vector<TVolumeInfo> swapped = {{"/", "/dev/sda1", "ext4"}, {"/media/stick", "/dev/sdc1", "vfat"}};
    struct Case {
        const std::vector<TVolumeInfo>& before;
        const std::vector<TVolumeInfo>& after;
        std::vector<TShellChange> expected;
    } cases[] = {
        {base, base, {}},
        {base, plugged, {{SHCNE_DRIVEADD, "/media/stick", {}}, {SHCNE_MEDIAINSERTED, "/media/cdrom", {}}}},
        {plugged, base, {{SHCNE_DRIVEREMOVED, "/media/stick", {}}, {SHCNE_MEDIAREMOVED, "/media/cdrom", {}}}},
        {plugged, swapped,
         {{SHCNE_DRIVEREMOVED, "/home", {}}, {SHCNE_DRIVEREMOVED, "/media/stick", {}},
          {SHCNE_MEDIAREMOVED, "/media/cdrom", {}}, {SHCNE_DRIVEADD, "/media/stick", {}}}},
    };
    for (const Case& c : cases) EXPECT_EQ(VolumeChanges(c.before, c.after), c.expected);
}

TEST_F(ShellNotification, ComputerWatchReportsDrivesAndFolderWatchOnlyItsOwn) {
    TStShellNotification computer;
    Recorder drives;
    drives.base = "/media";
    drives.Attach(computer);
    computer.SetSpecialWatchFolder(sfDrives);
    computer.SetActive(true);
    ASSERT_TRUE(computer.Registered());
    Watch(false);

    std::vector<TVolumeInfo> now = DriveList();
    std::vector<TVolumeInfo> plugged = now;
    plugged.push_back({"/media/stick", "/dev/sdz1", "vfat"});
    plugged.push_back({root + "/card", "/dev/mmcblk9p1", "exfat"});
    for (auto* n : {&computer, static_cast<TStShellNotification*>(&notify)}) {
        n->Watcher().PollVolumes(plugged);
        n->Watcher().PollVolumes(now);
    }
    ASSERT_TRUE(drives.WaitFor(4));
    const std::vector<std::string> all = {"DriveAdd stick", "DriveAdd " + root + "/card", "DriveRemove stick",
                                          "DriveRemove " + root + "/card"};
    EXPECT_EQ(drives.events, all);
    const std::vector<std::string> own = {"DriveAdd card", "DriveRemove card"};
    EXPECT_EQ(rec.events, own);
}

TEST_F(ShellNotification, WatchFolderRulesAndRegistration) {
    Watch(false);
    try {
        notify.SetWatchFolder(root + "/missing");
        FAIL() << "no exception";
    } catch (const EStInvalidFolder& e) {
        EXPECT_EQ(e.MessageId, 240);
        EXPECT_STREQ(e.what(), "Invalid folder");
    }
    // The old watch is still in place.
    EXPECT_TRUE(notify.Registered());
    Touch(P("still.txt"));
    ASSERT_TRUE(rec.WaitFor(1));
    EXPECT_EQ(rec.events, std::vector<std::string>{"FileCreate still.txt"});

    // A new folder while active moves the watch there.
    rec.events.clear();
    notify.SetWatchFolder(outside);
    EXPECT_EQ(notify.SpecialWatchFolder(), sfNone);
    Touch(P("old.txt"));
    Touch(outside + "/new.txt");
    ASSERT_TRUE(rec.WaitFor(1));
    EXPECT_EQ(rec.events, std::vector<std::string>{"FileCreate " + outside + "/new.txt"});

    // Inactive: nothing.
    rec.events.clear();
    notify.SetActive(false);
    EXPECT_FALSE(notify.Registered());
    Touch(outside + "/quiet.txt");
    QTest::qWait(100);
    EXPECT_TRUE(rec.events.empty());

    // A plain file cannot be watched as a folder: not registered, not reported.
    notify.SetWatchFolder(outside + "/quiet.txt");
    notify.SetActive(true);
    EXPECT_FALSE(notify.Registered());
    EXPECT_TRUE(notify.Active());
}

TEST_F(ShellNotification, SpecialFoldersAndVersionGate) {
    TStShellNotification n;
    n.SetWatchFolder(root);
    n.SetSpecialWatchFolder(sfDrives);
    EXPECT_EQ(n.WatchFolder(), "");
    n.SetActive(true);
    EXPECT_TRUE(n.Registered());
    EXPECT_EQ(n.Watcher().Folder(), "");
    // The shell here is new enough for every special folder.
    EXPECT_NO_THROW(n.SetSpecialWatchFolder(sfHistory));
    EXPECT_TRUE(n.Registered());
}

}  // namespace
