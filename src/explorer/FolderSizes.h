// The total size of every sub-folder of a folder, for "Fol&der size".
//
// One walk of the folder's tree (FolderWalk.h: links never followed, loops
// through bind mounts, pseudo file systems and the thumbnail cache skipped)
// adds the sizes of the regular files of each direct sub-folder's whole tree
// as 64-bit byte counts; the folder's own files belong to no sub-folder.
// Nothing here touches a widget; any one thread.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>

namespace lumvor {

struct TFolderSizes {
    // Bytes of each direct sub-folder by its name, exactly as on disk.
    std::map<std::string, int64_t> Totals;
    // Entries that are not folders, and folders, seen so far (the root included).
    int64_t Files = 0;
    int64_t Folders = 0;
    // The walk was stopped by the step.
    bool Stopped = false;
};

// Sums Root's sub-folders. Step, when given, is called after every folder with
// the counts so far; answering false stops the walk (Stopped is then set and
// the totals are partial).
TFolderSizes SumFolderSizes(const std::string& Root, const std::function<bool(const TFolderSizes&)>& Step = {});

}  // namespace lumvor
