// The kind of drive (mounted volume) a path lives on.
#pragma once

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

// The kind of the drive that holds Path.
inline std::uint32_t GetDriveType(const std::string& Path) {
    // PENDING: the drive kinds of the mounted volumes come with the shell components; every path counts as a fixed disk.
    (void)Path;
    return DRIVE_FIXED;
}

}  // namespace lumvor
