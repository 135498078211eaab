// Emptying the thumbnail cache: only what the cache itself wrote goes.
//
// The cache root may be a folder the user chose among files of their own, so
// Clear deletes entries by what they are, never a whole folder:
// - in the root: the blank file "_.rec", the stock files "00000001" to
//   "00000004", the shared file "_other", and every shared per-extension file
//   (a name without a dot or lower-case letters, such as "TXT") that
//   ThumbFilePresent accepts as a cache file;
// - the folders' sub-folders (8 upper-case hexadecimal digits, not links) with
//   their cache files: 15-character names (8 hexadecimal digits, 3 base-32
//   digits, ".rec") and 16 hexadecimal digits; a sub-folder that then holds
//   anything else stays;
// - the leftovers of an interrupted write of any of these names (the scratch
//   files of WriteWholeFile: "<name>.lumvor-tmp" and
//   ".<name>.lumvor-<pid>-<n>.part").
// Only regular files are deleted (links and special files stay). Needs
// ThumbRecOffset measured (PrepareThumbFolder). GUI thread.
#pragma once

#include <string>
#include <string_view>

namespace lumvor {

// Whether Name is a per-file cache name of a sub-folder.
bool IsThumbSubFolderFileName(std::string_view Name);
// Whether Name is the name of a folder's cache sub-folder.
bool IsThumbSubFolderName(std::string_view Name);

// Deletes the cache's own entries in Root (a folder path with or without its
// trailing "/"); answers how many files and folders were deleted.
int ClearThumbCache(const std::string& Root);

}  // namespace lumvor
