// The bookmark list's logic without a window: where a new bookmark goes, how
// next and previous wrap, what removing the current one leaves, sorting, the
// position text and the list files (".vop": one full file name a line).
//
// Paths compare exactly: two names that differ only in letter case are two
// files and both stay in the list.
#pragma once

#include "platform/Classes.h"

#include <cstdint>
#include <functional>
#include <string>

namespace lumvor {

// Capacity of the bookmark list at creation and after a list file was loaded.
inline constexpr int BookmarkCapacity = 131072;
inline constexpr int BookmarkFileCapacity = 1048576;

// Adds Name after the current entry (in front of it while the first entry is
// current) unless the current entry is Name already. False when nothing was added.
bool InsertBookmark(TStringList& List, int32_t& Index, const std::string& Name);

// The index Delta (+1 or -1) steps from Index in a list of Count entries,
// wrapping at both ends. Index itself with fewer than 2 entries.
int32_t StepBookmark(int32_t Index, int Count, int Delta);

// Moves the current entry one place down (Down) or up, exchanging it with its
// neighbour; the index follows it. At either end it changes places with the
// entry at the other end, so the current entry stays current. Nothing moves
// with fewer than 2 entries or an index outside the list; false then.
bool MoveBookmark(TStringList& List, int32_t& Index, bool Down);

// Deletes the current entry. The index stays, but becomes 0 when fewer than 2
// entries remain and the last index when it is above 2 and no entry follows.
// True when an entry is left at the index to show in place of the removed one;
// false (and the index 0) when the list was empty, the index was not valid or
// no entry is at the index.
bool RemoveCurrentBookmark(TStringList& List, int32_t& Index);

// Sorts the list ignoring case in the user's locale order (equal names keep
// one entry; names that differ in case stay, in a fixed order), reverses it
// when asked, then drops every entry for which Exists answers false.
void SortBookmarks(TStringList& List, bool Reverse, const std::function<bool(const std::string&)>& Exists);

// The status bar's bookmark position: "..", "1 bookmark" or "3 of 10".
std::string BookmarkCountText(int Count, int32_t Index);

// What the file-name item of the menu bar shows in full screen.
struct TMenuFileNameInput {
    std::string PathText;   // the path box text
    std::string SizeText;   // the picture size text of the status bar
    int ImageWidth = 0, ImageHeight = 0;
    int ScreenWidth = 0;
    int MenuWidth = 0;      // width taken by the other top menu items
    int CharWidth = 1;      // width of one character of the menu font
    int Count = 0;          // bookmarks
    int32_t Index = 0;
    bool Fit = false;
    bool Untitled = false;  // the blank picture is shown
};
std::string MenuFileNameCaption(const TMenuFileNameInput& In);

// Reads a list file into List (cleared first, capacity BookmarkFileCapacity):
// lines end with CR LF or LF, text is UTF-8 or else Windows-1252. Raises the
// stream's error (EFOpenError, EReadError) when the file cannot be read; List
// is then unchanged.
void LoadBookmarkFile(const std::string& File, TStringList& List);

}  // namespace lumvor
