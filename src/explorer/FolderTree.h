// What the explorer's folder tree reads from disk and how it orders and
// matches its nodes; no widget here.
//
// A folder's sub-folders are read in one pass over the folder: hidden folders
// are included, symbolic links are left out (a link is no folder of its own),
// and each sub-folder gets its own last write time and a cheap probe telling
// whether it holds a sub-folder in turn. The probe stops at the first entry
// that is a folder or a symbolic link to one, so a folder whose sub-folders are
// all links still shows that it has something to open.
//
// GUI thread only; the reads are plain system calls.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace lumvor {

// One sub-folder as the tree shows it.
struct TSubFolder {
    std::string Name;
    int32_t Date = 0;            // DOS date-time of the folder's last write (local time)
    bool HasSubFolders = false;  // the probe found a folder (or a link to one) inside
};

namespace FolderTree {
// Called with the folder each time ReadSubFolders reads a folder whole (not for
// the probes); tests count the reads with it. Empty normally.
inline std::function<void(const std::string& Folder)> OnFolderRead;
}  // namespace FolderTree

// Reads the sub-folders of Folder into Out, sorted as the tree lists them
// (TreeNameOrder). False when the folder cannot be opened.
bool ReadSubFolders(const std::string& Folder, std::vector<TSubFolder>& Out);

// Whether the folder holds at least one sub-folder or link to a folder; a
// folder that cannot be opened answers true when it exists but may not be read
// (opening its node then says so).
bool FolderHasSubFolders(const std::string& Folder);

// The tree's alphabetical order: the locale's collation without case, then the
// bytes of the names, so that "Photos" and "photos" keep one fixed order.
// Negative, zero or positive.
int TreeNameOrder(const std::string& A, const std::string& B);

// The positions of Names in TreeNameOrder (one sort key per name).
std::vector<size_t> TreeNameSortOrder(std::span<const std::string_view> Names);
std::vector<size_t> TreeNameSortOrder(const std::vector<std::string>& Names);

// The orders of the tree's "Arrange by" menu.
enum class TTreeSortKey { NameAscending, NameDescending, DateAscending, DateDescending, Family };

// One node to sort: its text and its Data.
struct TTreeSortEntry {
    std::string Text;
    int32_t Data = 0;
};

// The positions of Entries in the order of Key: names and the family key by the
// locale's collation without case; dates as the 8 hexadecimal digits of Data,
// compared as text. Equal keys keep their order.
std::vector<int> TreeSortOrder(const std::vector<TTreeSortEntry>& Entries, TTreeSortKey Key);

// The child of Names that Name matches: the one equal to it, else (when no name
// is equal) the first equal to it without case; -1 when none.
int MatchChildName(const std::vector<std::string>& Names, const std::string& Name);

// The folder names of a path, outermost first ("/a/b/" gives a and b).
std::vector<std::string> FolderNames(const std::string& Path);

// The characters a folder name may not hold (kept portable to FAT and NTFS media).
inline constexpr const char* IllegalNameCharacters = "\\/:*?\"<>|";
bool HasIllegalNameCharacters(const std::string& Name);

}  // namespace lumvor
