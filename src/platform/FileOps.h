// The one engine for plain file operations of the program: copy, move, rename,
// delete and recycle over lists of paths. The shell-style entry points and the
// shell components all come here.
//
// Safety rules:
// - Sources are handled in list order; the first failure stops the run. Every
//   source not yet handled stays untouched, and the result names the sources that
//   were done.
// - A target that exists is never replaced unless the caller asks for it
//   (fofNoConfirmation); a rename never replaces. With fofRenameOnCollision the
//   copy or move gets a free name instead ("name (2).ext").
// - A replaced file is written beside the target first and renamed over it, so a
//   failed copy never destroys the old target.
// - A move onto another file system copies, reads the copy back and compares it
//   with the source, and only then deletes the source; a failed or different copy
//   is removed and the source kept.
// - Folders are copied and deleted with their contents; symbolic links are copied
//   and deleted as links, never followed.
// - A folder is never copied or moved into itself; "/" and mount points are
//   never deleted, moved or recycled.
// - Recycling moves the item to the freedesktop trash of its user; it fails when
//   the item did not arrive there.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace lumvor {

// Operation codes (the values of the shell's file operations).
enum TFileOpFunc : uint32_t { foMove = 1, foCopy = 2, foDelete = 3, foRename = 4 };

// Option bits (the values of the shell's flags).
enum : uint32_t {
    fofMultiDestFiles = 0x0001,    // To holds one target per source
    fofSilent = 0x0004,            // no progress
    fofRenameOnCollision = 0x0008, // a taken target name gets a free one
    fofNoConfirmation = 0x0010,    // replace existing targets without asking
    fofAllowUndo = 0x0040,         // delete = recycle to the trash
    fofFilesOnly = 0x0080,
    fofSimpleProgress = 0x0100,
    fofNoConfirmMkdir = 0x0200,
    fofNoErrorUI = 0x0400,
};

struct TFileOpResult {
    bool Succeeded = true;
    bool Aborted = false;             // the progress callback asked to stop
    std::vector<std::string> Done;    // sources handled completely, in order
    std::vector<std::string> Targets; // where each done source went ("" for delete)
    std::string FailedSource;         // the source the run stopped at
    std::string Error;                // why, in plain words
    int SystemError = 0;              // errno value of the failure (0 when none)
};

// Asked before each source; returning false stops the run (Aborted, not Succeeded).
using TFileOpProgress = std::function<bool(const std::string& source)>;

// Runs one operation. For copy and move, To is either one folder that receives
// every source under its own name, a new name for a single source, or (with
// fofMultiDestFiles) one target per source. Rename takes one new name per source.
// Delete ignores To and recycles instead when fofAllowUndo is set.
TFileOpResult RunFileOperation(TFileOpFunc func, const std::vector<std::string>& from,
                               const std::vector<std::string>& to, uint32_t flags,
                               const TFileOpProgress& progress = {});

// The name a taken target gets instead: "name (2).ext", "name (3).ext", ...
// whichever is free first in the target's folder.
std::string FreeTargetName(const std::string& target);

// Moves one file or folder to the freedesktop trash; on success trashPath is
// where it went (with its ".trashinfo" in the trash's "info" folder).
bool MoveToTrash(const std::string& path, std::string* trashPath, std::string* error);

namespace FileOps {
// Called after a copy made for a move across file systems and before it is
// compared with the source (tests use it to spoil the copy). Empty normally.
inline std::function<void(const std::string& copy)> BeforeVerify;
}  // namespace FileOps

}  // namespace lumvor
