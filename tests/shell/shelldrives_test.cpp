#include "shell/ShellDrives.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace lumvor;

TEST(ShellDrives, KindFollowsFileSystemMountPointAndRemovableFlag) {
    struct Case {
        const char* mountPoint;
        const char* fileSystem;
        bool removable;
        std::uint32_t kind;
    } cases[] = {
        {"/", "ext4", false, DRIVE_FIXED},
        {"/home", "btrfs", false, DRIVE_FIXED},
        {"/mnt/usb", "vfat", true, DRIVE_REMOVABLE},
        {"/media/anna/CARD", "exfat", false, DRIVE_REMOVABLE},
        {"/run/media/anna/CAMERA", "vfat", false, DRIVE_REMOVABLE},
        {"/mnt/share", "nfs4", false, DRIVE_REMOTE},
        {"/mnt/nas", "cifs", false, DRIVE_REMOTE},
        {"/media/cdrom", "iso9660", true, DRIVE_CDROM},
        {"/dev/shm", "tmpfs", false, DRIVE_RAMDISK},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mountPoint);
        EXPECT_EQ(DriveTypeOf({c.mountPoint, "/dev/x", c.fileSystem}, c.removable), c.kind);
    }
}

TEST(ShellDrives, MissingPathHasNoRootAndAnExistingOneHasAKind) {
    EXPECT_EQ(GetDriveType("/no/such/folder/anywhere"), DRIVE_NO_ROOT_DIR);
    EXPECT_EQ(GetDriveType(""), DRIVE_NO_ROOT_DIR);
    const char* home = std::getenv("LUMVOR_HOME");
    ASSERT_NE(home, nullptr);
    EXPECT_NE(GetDriveType(home), DRIVE_NO_ROOT_DIR);
    EXPECT_NE(GetDriveType(home), DRIVE_UNKNOWN);
}
