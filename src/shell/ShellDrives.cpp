#include "shell/ShellDrives.h"

#include <fstream>
#include <string_view>
#include <vector>
#include <sys/stat.h>

namespace lumvor {

namespace {

bool OneOf(std::string_view value, std::initializer_list<std::string_view> names) {
    for (std::string_view name : names)
        if (value == name)
            return true;
    return false;
}

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

// The kernel's removable flag of the block device behind a "/dev/..." source:
// /sys/block/<disk>/removable, where a partition's disk is its parent in sysfs.
bool DeviceIsRemovable(const std::string& device) {
    if (!StartsWith(device, "/dev/"))
        return false;
    std::string name = device.substr(5);
    for (const std::string& candidate :
         {"/sys/class/block/" + name + "/removable", "/sys/class/block/" + name + "/../removable"}) {
        std::ifstream flag(candidate);
        int value = 0;
        if (flag >> value)
            return value == 1;
    }
    return false;
}

}  // namespace

std::uint32_t DriveTypeOf(const TVolumeInfo& volume, bool removableDevice) {
    const std::string& fs = volume.FileSystem;
    if (OneOf(fs, {"nfs", "nfs4", "cifs", "smb3", "smbfs", "9p", "afs", "fuse.sshfs", "davfs", "fuse.rclone"}))
        return DRIVE_REMOTE;
    if (OneOf(fs, {"iso9660", "udf"}))
        return DRIVE_CDROM;
    if (OneOf(fs, {"tmpfs", "ramfs"}))
        return DRIVE_RAMDISK;
    if (removableDevice || StartsWith(volume.MountPoint, "/media/") ||
        StartsWith(volume.MountPoint, "/run/media/"))
        return DRIVE_REMOVABLE;
    return DRIVE_FIXED;
}

std::uint32_t GetDriveType(const std::string& Path) {
    struct stat info {};
    if (Path.empty() || ::stat(Path.c_str(), &info) != 0)
        return DRIVE_NO_ROOT_DIR;
    // The last mount on a mount point is the one that shows.
    const std::string mountPoint = MountPointOf(Path);
    const std::vector<TVolumeInfo> mounts = MountTable();
    for (auto volume = mounts.rbegin(); volume != mounts.rend(); ++volume)
        if (volume->MountPoint == mountPoint)
            return DriveTypeOf(*volume, DeviceIsRemovable(volume->Device));
    return DRIVE_UNKNOWN;
}

}  // namespace lumvor
