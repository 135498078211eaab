#include "explorer/FolderMonitor.h"

#include "explorer/FolderListing.h"
#include "explorer/xplr8900.h"
#include "imaging/Helpers.h"
#include "platform/SysUtils.h"
#include "platform/Volumes.h"

namespace lumvor {

bool UnwatchedDriveKind(int32_t Kind) {
    using namespace xplr8900;
    return Kind < 0 || Kind == DriveRemote || Kind == DriveMappedNetwork || Kind == DriveOptical;
}

TMonitorPlan PlanFolderMonitor(const std::string& ExploreDir, int32_t DriveKind, bool DrivesView) {
    TMonitorPlan plan;
    if (DrivesView || ExploreDir.empty() || ExploreDir.front() != '/')
        return plan;
    if (UnwatchedDriveKind(DriveKind) || OnPseudoVolume(ExploreDir) || IsNetworkPlace(ExploreDir))
        return plan;
    const std::string explored = IncludeTrailingPathDelimiter(ExploreDir);
    std::string root;
    GetPathRoot(explored, root);
    plan.Watch = true;
    plan.WatchPath = RemoveBackslash(explored);
    if (explored == root || explored.compare(0, root.size(), root) != 0)
        return plan;
    plan.DriveRoot = RemoveBackslash(root);
    // The ancestor right below the mount point; none when the explored folder
    // is that folder itself.
    const std::string top = explored.substr(0, explored.find('/', root.size()));
    if (top == plan.WatchPath)
        return plan;
    plan.TopFolder = top;
    plan.Branch = RemoveBackslash(ExtractFilePath(plan.WatchPath));
    return plan;
}

}  // namespace lumvor
