// The kind of drive (mounted volume) a path lives on.
#pragma once

#include "platform/Volumes.h"

#include <cstdint>
#include <string>

namespace lumvor {

// Drive kinds, numbered as the explorer stores them.
constexpr std::uint32_t DRIVE_UNKNOWN = 0;
constexpr std::uint32_t DRIVE_NO_ROOT_DIR = 1;
constexpr std::uint32_t DRIVE_REMOVABLE = 2;
constexpr std::uint32_t DRIVE_FIXED = 3;
constexpr std::uint32_t DRIVE_REMOTE = 4;
constexpr std::uint32_t DRIVE_CDROM = 5;
constexpr std::uint32_t DRIVE_RAMDISK = 6;

// The kind of a mounted volume, from its file system, its mount point and
// whether the kernel reports its block device as removable.
std::uint32_t DriveTypeOf(const TVolumeInfo& volume, bool removableDevice);

// The kind of the drive that holds Path; DRIVE_NO_ROOT_DIR when Path does not exist.
std::uint32_t GetDriveType(const std::string& Path);

}  // namespace lumvor
