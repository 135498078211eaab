// Mounted volumes: the "drives" of the program.
//
// A path's drive is the mount point of the volume that holds it, found by the
// longest mount point that is a leading folder of the path. The drive list is the
// mounted volumes that hold user files (pseudo file systems left out), in the
// order of the mount table, which stays stable while nothing is mounted or
// unmounted. Sizes are 64-bit.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace lumvor {

struct TVolumeInfo {
    std::string MountPoint;  // without a trailing "/" except for "/" itself
    std::string Device;      // mount source, e.g. "/dev/sda1"
    std::string FileSystem;  // e.g. "ext4", "vfat", "tmpfs"
};

// Every mount of the process's mount table, pseudo file systems included.
std::vector<TVolumeInfo> MountTable();

// The volumes offered as drives, in a stable order ("/" first).
std::vector<TVolumeInfo> DriveList();

// Absolute, lexically normalised form of path ("." and ".." folded, repeated
// "/" merged); relative paths are taken from the current folder. A trailing "/"
// is kept.
std::string NormalizePath(const std::string& path);

// True when path lies on a volume that is no drive: a pseudo file system of
// the kernel (proc, sysfs, devtmpfs, cgroup, debugfs, tracefs ...) or a mount
// below /proc, /sys, /dev or /run.
bool OnPseudoVolume(const std::string& path);

// The mount point of the volume that holds path (without a trailing "/" except
// for "/"); "/" when nothing else matches.
std::string MountPointOf(const std::string& path);

// Total and user-available bytes of the volume that holds path; -1 when the
// volume cannot be queried.
int64_t VolumeTotalBytes(const std::string& path);
int64_t VolumeFreeBytes(const std::string& path);

// The volume's label, or "" when it has none.
std::string VolumeLabel(const std::string& path);

// The volume's serial: the first 8 hexadecimal digits of its file-system UUID
// when it has one, else the file-system id of statvfs folded to 32 bits.
// False when the volume cannot be queried.
bool VolumeSerial(const std::string& path, uint32_t& serial);

// The user's mount of network places ($XDG_RUNTIME_DIR/gvfs/): a folder inside
// it stands for a network place.
std::string NetworkMountFolder();
// Whether a path is a network place: a "//" path or a folder inside the network
// places' mount (after following links).
bool IsNetworkPlace(const std::string& Path);

}  // namespace lumvor
