// What the explorer's folder change monitor watches for an explored folder.
//
// Three watches follow the explored folder:
// - the change notification (ChangeHandle) on the folder itself: its entries
//   created, deleted, renamed or written, and the folder's own deletion or move;
// - StWatchCurrDrive on the volume's mount point, for folders created, deleted
//   or renamed right below it;
// - StWatchParent on the folder's top-level ancestor (the one right below the
//   mount point), for the same folder events there and in every folder on the
//   way down to the explored folder's parent.
// Together they see every rename or removal on the path to the explored
// folder with one inotify watch per level: the depth of the folder below its
// mount point plus one. Watching the top-level ancestor's whole tree instead
// would take one watch per folder below it, often beyond the kernel's limit.
//
// Never watched: the drive level, folders on a volume missing from the drive
// list, network and optical volumes, network places and the kernel's pseudo
// file systems. No widget here.
#pragma once

#include <cstdint>
#include <string>

namespace lumvor {

struct TMonitorPlan {
    bool Watch = false;      // false: the monitor stops
    std::string WatchPath;   // the explored folder without its trailing "/"
    std::string DriveRoot;   // StWatchCurrDrive's folder; "" when the folder is the mount point
    std::string TopFolder;   // StWatchParent's folder; "" unless the folder lies deeper than one level
    std::string Branch;      // the explored folder's parent, where StWatchParent's watches end
};

// The drive kind that the monitor never watches: missing from the drive list
// (-1), a network share, a mapped network drive or an optical disc.
bool UnwatchedDriveKind(int32_t Kind);

// The plan for ExploreDir (with its trailing "/"). DriveKind is the kind of
// the volume in the window's drive list (-1 when missing); DrivesView is set at
// the drive level.
TMonitorPlan PlanFolderMonitor(const std::string& ExploreDir, int32_t DriveKind, bool DrivesView);

}  // namespace lumvor
