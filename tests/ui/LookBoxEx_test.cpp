// The look-in box: entries and levels for the computer, nested folders, a second
// mounted volume and network paths; picking an entry.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <sched.h>
#include <sys/mount.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/Classes.h"
#include "platform/Volumes.h"
#include "ui/LookBoxEx.h"

using namespace lumvor;

namespace {

using Entries = std::vector<std::pair<std::string, uint32_t>>;

Entries EntriesOf(const TLookBoxEx& box) {
    Entries out;
    for (int i = 0; i < box.ItemCount(); ++i) out.emplace_back(box.ItemText(i), box.ItemObject(i));
    return out;
}

// The drives as the mount table lists them (mount point + "/").
std::vector<std::string> Drives() {
    std::vector<std::string> out;
    for (const TVolumeInfo& v : DriveList()) out.push_back(v.MountPoint == "/" ? "/" : v.MountPoint + "/");
    return out;
}

std::string Slash(const std::string& p) { return p.back() == '/' ? p : p + "/"; }

// What the box should list for a folder two levels below drive.
Entries Expected(const TLookBoxEx& box, const std::vector<std::string>& drives, const std::string& drive,
                 const std::vector<std::string>& levels) {
    Entries e{{box.DesktopDir, 0}, {"", 4}};
    size_t i = 0;
    for (; drives[i] != drive; ++i) e.emplace_back(drives[i], 8);
    e.emplace_back(drive, 8);
    for (size_t l = 0; l < levels.size(); ++l)
        e.emplace_back(levels[l], uint32_t(4 * (3 + l) + (l + 1 == levels.size() ? 1 : 0)));
    for (++i; i < drives.size(); ++i) e.emplace_back(drives[i], 8);
    return e;
}

}  // namespace

TEST(LookBoxEx, NestedFolderListsItsChainBetweenTheDrives) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string root = Slash(dir.path().toStdString());
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(root + "a/b")));
    TLookBoxEx box;
    int changes = 0;
    box.OnChange = [&](QObject*) { ++changes; };
    box.SetFolder(root + "a/b");
    EXPECT_EQ(box.Folder(), root + "a/b/");
    EXPECT_EQ(changes, 1);

    const std::vector<std::string> drives = Drives();
    const std::string drive = Slash(MountPointOf(root));
    // Every folder level from the drive down: root's own levels, then a/ and a/b/.
    std::vector<std::string> levels;
    const std::string path = root + "a/b/";
    for (size_t at = drive.size(); at < path.size();) {
        const size_t slash = path.find('/', at);
        levels.push_back(path.substr(0, slash + 1));
        at = slash + 1;
    }
    EXPECT_EQ(EntriesOf(box), Expected(box, drives, drive, levels));
    EXPECT_EQ(box.ItemText(box.currentIndex()), path);
    EXPECT_EQ(box.ItemLevel(box.currentIndex()), int(2 + levels.size()));
    EXPECT_EQ(box.ItemCaption(box.currentIndex()), "b");

    // The same folder again (with or without its "/") changes nothing.
    box.SetFolder(root + "a/b");
    box.SetFolder(root + "a/b/");
    EXPECT_EQ(changes, 1);
}

TEST(LookBoxEx, DriveRootSelectsTheDriveAndEmptySelectsTheComputer) {
    TLookBoxEx box;
    box.SetFolder("/");
    const std::vector<std::string> drives = Drives();
    EXPECT_EQ(EntriesOf(box), Expected(box, drives, "/", {}));
    EXPECT_EQ(box.currentIndex(), 2);
    EXPECT_TRUE(box.IsDriveItem(2));
    EXPECT_FALSE(box.IsDriveItem(1));

    box.SetFolder("");
    Entries e{{box.DesktopDir, 0}, {"", 4}};
    for (const std::string& d : drives) e.emplace_back(d, 8);
    EXPECT_EQ(EntriesOf(box), e);
    EXPECT_EQ(box.currentIndex(), 1);
}

TEST(LookBoxEx, FolderOutsideTheDrivesStopsAfterDesktopAndComputer) {
    TLookBoxEx box;
    box.SetFolder("/proc/self");
    EXPECT_EQ(box.ItemCount(), 2);
    box.SetFolder("relative/path");
    EXPECT_EQ(box.ItemCount(), 2);
}

TEST(LookBoxEx, PickingAnEntryMakesItTheFolder) {
    QTemporaryDir dir;
    const std::string root = Slash(dir.path().toStdString());
    QDir().mkpath(QString::fromStdString(root + "x/y"));
    TLookBoxEx box;
    box.SetFolder(root + "x/y/");
    std::vector<std::string> seen;
    box.OnChange = [&](QObject* sender) { seen.push_back(static_cast<TLookBoxEx*>(sender)->Folder()); };
    const int parent = box.findText(QString::fromStdString(root + "x/"));
    ASSERT_GE(parent, 0);
    emit box.activated(parent);
    EXPECT_EQ(seen, std::vector<std::string>{root + "x/"});
    EXPECT_EQ(box.ItemObject(box.currentIndex()) & 1, 1u);  // now the current folder
    emit box.activated(box.currentIndex());  // the current folder again: nothing
    EXPECT_EQ(seen.size(), 1u);
}

TEST(LookBoxEx, NetworkRootsAndTheirFolders) {
    TLookBoxEx box;
    TStringList roots;
    roots.Add("//srv/pics");
    roots.Add("//srv/music");
    box.SetNetworkDrives(roots);
    box.SetFolder("//srv/pics/2024/june");
    // Without network support only the folder itself shows.
    EXPECT_EQ(box.ItemObject(box.ItemCount() - 1), 0x40000000u + 13);

    box.SetNetworkSupport(true);
    const size_t drives = Drives().size();
    const Entries all = EntriesOf(box);
    const Entries tail(all.begin() + 2 + long(drives), all.end());
    EXPECT_EQ(tail, (Entries{{"//srv/pics/", 0x80000000u},
                             {"//srv/pics/2024/", 0x40000000u + 12},
                             {"//srv/pics/2024/june/", 0x40000000u + 17},
                             {"//srv/music/", 0x80000001u}}));
    EXPECT_EQ(box.ItemText(box.currentIndex()), "//srv/pics/2024/june/");
    EXPECT_TRUE(box.IsNetworkItem(2 + int(drives)));
    EXPECT_FALSE(box.IsNetworkItem(3 + int(drives)));
    EXPECT_EQ(box.ItemLevel(2 + int(drives)), 2);
    EXPECT_EQ(box.ItemLevel(4 + int(drives)), 4);

    box.SetFolder("//srv/music");
    EXPECT_EQ(box.ItemText(box.currentIndex()), "//srv/music/");
    EXPECT_EQ(box.ItemObject(box.currentIndex()), 0x80000001u);
}

// A tmpfs mounted in a mount namespace of this test's own (needs root); the
// mount is invisible to every other process.
TEST(LookBoxEx, FolderOnASecondMountedVolume) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string mnt = dir.path().toStdString() + "/vol";
    QDir().mkpath(QString::fromStdString(mnt));
    if (::unshare(CLONE_NEWNS) != 0 || ::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        ::mount("tmpfs", mnt.c_str(), "tmpfs", 0, "size=1m") != 0)
        GTEST_SKIP() << "cannot mount a tmpfs in a private mount namespace here";
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(mnt + "/p/q")));
    TLookBoxEx box;
    const std::vector<std::string> drives = Drives();
    ASSERT_NE(std::find(drives.begin(), drives.end(), mnt + "/"), drives.end());
    EXPECT_EQ(box.DriveMask, drives);
    box.SetFolder(mnt + "/p/q");
    EXPECT_EQ(EntriesOf(box), Expected(box, drives, mnt + "/", {mnt + "/p/", mnt + "/p/q/"}));
    box.SetFolder(mnt);
    EXPECT_EQ(box.ItemText(box.currentIndex()), mnt + "/");
    EXPECT_TRUE(box.IsDriveItem(box.currentIndex()));
    ::umount(mnt.c_str());
}
