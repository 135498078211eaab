// One walk of a whole folder tree, shared by the long runs over folder trees:
// lists for the slide album and bookmarks, folder sizes and image catalogs.
//
// The walk visits the folders in the order the folder tree would show them
// fully expanded: the root, then each sub-folder's whole tree in turn, the
// sub-folders of a folder in the tree's order (TreeNameOrder). Each folder is
// read once; the visitor gets its files and the sub-folders still to come.
//
// It is safe on any tree: symbolic links are never followed, a folder reached
// a second time (a bind mount of an ancestor) is skipped by its device and
// inode, folders of pseudo file systems (proc, sysfs ...) are not entered, and
// the thumbnail cache is skipped. Paths are kept exactly as on disk.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace lumvor {

// One entry of a walked folder that is not a sub-folder to walk.
struct TWalkFile {
    std::string Name;        // exactly as on disk
    int64_t Size = 0;        // st_size of a regular file, 0 for anything else
    int64_t Seconds = 0;     // last write, seconds since the epoch (0 when StatFiles is false)
    bool IsRegular = false;  // a regular file (not a link, FIFO, socket, device)
    bool IsLink = false;     // a symbolic link (never followed; Size 0)
};

// One folder as the visitor sees it.
struct TWalkFolder {
    std::string Path;                     // exact path, always ending in "/"
    int Depth = 0;                        // 0 for the root
    int64_t Entries = 0;                  // every entry read in it, sub-folders included
    std::vector<TWalkFile> Files;         // its entries that are not walked folders (those KeepFile
                                          // takes), in readdir order
    std::vector<std::string> SubFolders;  // names of the sub-folders the walk enters next, in the
                                          // tree's order; the visitor may erase names to keep the
                                          // walk out of them
};

enum class TWalkStep { Continue, SkipSubFolders, Stop };

struct TWalkOptions {
    bool StatFiles = true;  // fill Size, Seconds and IsRegular by one fstatat per file; false:
                            // names and kinds from the directory entries only (faster)
    // When set, only the files whose names it accepts go into Files (the rest
    // are counted in Entries, never copied nor examined further).
    bool (*KeepFile)(std::string_view Name) = nullptr;
};

// Visits Root, then every sub-folder depth first (pre-order). A folder that
// cannot be read is visited with no files and no sub-folders. Returns false
// when the visitor answered Stop, true when the walk ran to its end.
bool WalkFolderTree(const std::string& Root, const std::function<TWalkStep(TWalkFolder&)>& Visit,
                    const TWalkOptions& Options = {});

}  // namespace lumvor
